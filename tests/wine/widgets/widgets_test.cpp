// The widget layer in a window of its own: the grid's cells as another
// process reads them, column resizing, the tray record and the timers.
#include <gtest/gtest.h>

#include <functional>

#include "base/win32/msgloop.h"

#include "widgets/control.h"
#include "widgets/popupmenu.h"
#include "widgets/stringgrid.h"
#include "widgets/trayicon.h"
#include "widgets/wintimer.h"

namespace vx {
namespace {

class Okno : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VxWidgetTest";
        RegisterClassW(&wc);
        hwnd = CreateWindowW(L"VxWidgetTest", L"t", WS_OVERLAPPEDWINDOW, 0, 0, 500, 300, nullptr, nullptr,
                             wc.hInstance, nullptr);
        ASSERT_TRUE(hwnd);
    }
    void TearDown() override { DestroyWindow(hwnd); }
    static void Pump(DWORD ms) {
        DWORD start = GetTickCount();
        do {
            MSG m;
            while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
            Sleep(5);
        } while (GetTickCount() - start < ms);
    }
    static std::wstring GetText(HWND w) {
        wchar_t buf[256] = {};
        SendMessageW(w, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(buf));
        return buf;
    }
    HWND hwnd = nullptr;
};

TEST_F(Okno, GridCellsAreReadableThroughWindowMessages) {
    TStringGrid g(hwnd, 7, 0, 0, 400, 200, 4, 10, nullptr);
    g.SetCell(1, 0, "0905");
    g.SetCell(3, 9, "Účtovníctvo");
    g.SetCell(4, 0, "outside");  // ignored
    EXPECT_EQ(SendMessageW(g.Handle(), VXGM_QUERYCELL, 1, 0), TRUE);
    EXPECT_EQ(GetText(g.Handle()), L"0905");
    EXPECT_EQ(SendMessageW(g.Handle(), WM_GETTEXTLENGTH, 0, 0), 4);
    EXPECT_EQ(SendMessageW(g.Handle(), VXGM_QUERYCELL, 3, 9), TRUE);
    EXPECT_EQ(GetText(g.Handle()), L"\u00DA\u010Dtovn\u00EDctvo");
    EXPECT_EQ(SendMessageW(g.Handle(), VXGM_QUERYCELL, 4, 0), FALSE);
    EXPECT_EQ(GetText(g.Handle()), L"");
    EXPECT_EQ(SendMessageW(g.Handle(), VXGM_QUERYCELL, 0, 10), FALSE);

    g.SetSelection(0, 10);
    EXPECT_EQ(SendMessageW(g.Handle(), VXGM_GETSELECTION, 0, 0), MAKELRESULT(0, 10));
}

TEST_F(Okno, GridColumnsResizeByTheirEdgeAndClicksFindTheirCell) {
    TStringGrid g(hwnd, 7, 0, 0, 400, 200, 4, 10, nullptr);
    for (int c = 0; c < 4; ++c) g.SetColWidth(c, 50);
    g.SetDefaultRowHeight(18);
    int ups = 0, upCol = -2, upRow = -2, upButton = 0;
    g.OnMouseUp = [&](int b, int x, int y) {
        ++ups;
        upButton = b;
        g.MouseToCell(x, y, upCol, upRow);
    };
    // Drag the right edge of column 0 (x = 50) by 30 pixels.
    SendMessageW(g.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 5));
    SendMessageW(g.Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(80, 5));
    SendMessageW(g.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(80, 5));
    EXPECT_EQ(g.ColWidth(0), 80);
    EXPECT_EQ(SendMessageW(g.Handle(), VXGM_GETCOLWIDTH, 0, 0), 80);
    EXPECT_EQ(ups, 0);  // a resize is no click
    // Row 2 starts at 2 x 19; column 1 now starts at 81.
    SendMessageW(g.Handle(), WM_RBUTTONUP, 0, MAKELPARAM(90, 40));
    EXPECT_EQ(ups, 1);
    EXPECT_EQ(upButton, MK_RBUTTON);
    EXPECT_EQ(upCol, 1);
    EXPECT_EQ(upRow, 2);
    // Below the last row: no cell.
    int c, r;
    EXPECT_FALSE(g.MouseToCell(10, 10 * 19 + 1, c, r));
    EXPECT_EQ(c, -1);
    EXPECT_EQ(r, -1);
    // A left click selects the cell.
    SendMessageW(g.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 60));
    EXPECT_EQ(g.Col(), 0);
    EXPECT_EQ(g.Row(), 3);
}

TEST_F(Okno, ImageButtonClicksAndIndicatorsShowAndHide) {
    TImage im(hwnd, 9, 0, 0, 20, 10, nullptr);
    int clicks = 0;
    im.OnClick = [&] { ++clicks; };
    SendMessageW(im.Handle(), BM_CLICK, 0, 0);
    SendMessageW(im.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageW(im.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    SendMessageW(im.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageW(im.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(40, 3));  // released outside
    EXPECT_EQ(clicks, 2);
    im.SetVisible(false);
    EXPECT_FALSE(im.Visible());
    im.SetVisible(true);
    EXPECT_TRUE(im.Visible());  // its own state, although the window is hidden

    TStaticText t(hwnd, 10, 0, 20, 100, 12, nullptr, 0, 0);
    t.SetText("Štart");
    EXPECT_EQ(GetText(t.Handle()), L"\u0160tart");
    EXPECT_EQ(t.Text(), "Štart");
}

TEST_F(Okno, HiddenMenuItemsAreLeftOutAndDoNothing) {
    TPopupMenu m;
    int shown = 0;
    m.Add(1, "Deaktivovať");
    m.AddSeparator(2);
    m.Add(3, "Zobraziť", [&] { ++shown; });
    m.Add(4, "Ukončiť");
    m.Find(1)->Visible = false;
    EXPECT_EQ(m.VisibleCaptions(), (std::vector<std::string>{"-", "Zobraziť", "Ukončiť"}));
    EXPECT_TRUE(m.HandleCommand(3));
    EXPECT_EQ(shown, 1);
    m.Find(3)->Visible = false;
    EXPECT_FALSE(m.HandleCommand(3));
    EXPECT_FALSE(m.HandleCommand(99));
    EXPECT_EQ(shown, 1);
}

TEST_F(Okno, TrayRecordIsTheFirstFormWithMessageIconAndTip) {
    TTrayIcon t;
    t.Add(hwnd, 1, 1025, LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION)), "Vestrix");
    const NOTIFYICONDATAA& r = t.Record();
    EXPECT_EQ(r.cbSize, sizeof(void*) == 4 ? 88u : 104u);
    EXPECT_EQ(r.hWnd, hwnd);
    EXPECT_EQ(r.uID, 1u);
    EXPECT_EQ(r.uFlags, 7u);
    EXPECT_EQ(r.uCallbackMessage, 1025u);
    EXPECT_STREQ(r.szTip, "Vestrix");
    t.Delete();
    EXPECT_FALSE(t.Added());

    std::string dlhy(100, 'x');
    t.Add(hwnd, 1, 1025, nullptr, dlhy);
    EXPECT_EQ(std::string(t.Record().szTip), std::string(63, 'x'));
}

TEST_F(Okno, TimersFireOnTheMessageLoopAndStopWhenDisabled) {
    TWinTimerFactory f;
    auto a = f.CreateTimer();
    auto zero = f.CreateTimer();
    int ticks = 0, zeroTicks = 0;
    a->OnTimer = [&] {
        ++ticks;
        a->SetEnabled(false);  // a handler may stop its own timer
    };
    zero->OnTimer = [&] { ++zeroTicks; };
    a->SetInterval(50);
    a->SetEnabled(true);
    zero->SetInterval(0);
    zero->SetEnabled(true);
    Pump(400);
    EXPECT_EQ(ticks, 1);
    EXPECT_FALSE(a->Enabled());
    EXPECT_EQ(zeroTicks, 0);

    // A handler that frees its own timer.
    auto b = f.CreateTimer();
    b->OnTimer = [&] {
        ++ticks;
        b.reset();
    };
    b->SetInterval(20);
    b->SetEnabled(true);
    Pump(300);
    EXPECT_EQ(ticks, 2);
}

// Told to end (a WM_QUIT in the queue), every wait that lets messages
// through still runs the timers (the time limits of a call under way) and
// leaves the quit for the loop outside; a modal window ends at once with it.
TEST_F(Okno, AQuitIsKeptForTheLoopOutsideWhileWaitsGoOn) {
    TWinTimerFactory f;
    auto limit = f.CreateTimer();
    bool struck = false;
    HANDLE ev = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    limit->OnTimer = [&] {
        struck = true;
        limit->SetEnabled(false);
        SetEvent(ev);
    };
    auto passes = [&](const std::function<void()>& pass) {
        const DWORD start = GetTickCount();
        while (!struck && GetTickCount() - start < 3000) pass();
    };
    struct Case {
        const char* name;
        std::function<TLoopEnd()> wait;
        TLoopEnd end;
        bool timerRuns;
    } cases[] = {
        {"passes of the core's pump",
         [&] {
             TWinPump p;
             passes([&] {
                 p.ProcessMessages();
                 p.Sleep(10);
             });
             return TLoopEnd::Done;
         },
         TLoopEnd::Done, true},
        {"passes that wait for a message",
         [&] {
             passes([] { ProcessPendingMessages(50); });
             return TLoopEnd::Done;
         },
         TLoopEnd::Done, true},
        {"a wait on a handle",
         [&] {
             TMessageLoop l;
             l.handle = ev;
             l.timeoutMs = 3000;
             return RunMessageLoop(l);
         },
         TLoopEnd::Signalled, true},
        {"a wait until done",
         [&] {
             TMessageLoop l;
             l.done = [&] { return struck; };
             l.timeoutMs = 3000;
             return RunMessageLoop(l);
         },
         TLoopEnd::Done, true},
        {"a modal window",
         [&] {
             TMessageLoop l;
             l.dialog = hwnd;
             l.done = [&] { return struck; };
             l.endOnQuit = true;
             l.timeoutMs = 3000;
             return RunMessageLoop(l);
         },
         TLoopEnd::Quit, false},
    };
    for (const Case& c : cases) {
        struck = false;
        ResetEvent(ev);
        limit->SetInterval(100);
        limit->SetEnabled(true);
        PostQuitMessage(5);
        EXPECT_EQ(c.wait(), c.end) << c.name;
        EXPECT_EQ(struck, c.timerRuns) << c.name;
        MSG m;
        ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << c.name << ": the quit was lost";
        EXPECT_EQ(m.wParam, 5u) << c.name;
        EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << c.name << ": a second quit";
        limit->SetEnabled(false);
    }
    CloseHandle(ev);
}

}  // namespace
}  // namespace vx
