// The widget layer in a window of its own: the grid's cells as another
// process reads them, column resizing, what only a table does (header,
// scroll bar, keys, editing in place), the tray record and the timers.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/win32/msgloop.h"
#include "base/win32/text.h"
#include "widgets/control.h"
#include "widgets/grid.h"
#include "widgets/gridpaint.h"
#include "widgets/modal.h"
#include "widgets/msgwindow.h"
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
    g.SetRowHeight(18);
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

// A table over a model of 3 columns and 6 rows, row 0 and column 0 fixed.
struct Tabulka {
    std::vector<std::vector<std::string>> bunky = std::vector<std::vector<std::string>>(6, {"#", "a", "b"});
    std::vector<std::string> upravy;  // "col,row=text" of each edit reported
    TGrid g;
    explicit Tabulka(HWND parent) : g(parent, 8, 0, 0, 300, 100, 3, nullptr) {
        for (int c = 0; c < 3; ++c) g.SetColWidth(c, 50);
        g.Rows = [this] { return static_cast<int>(bunky.size()); };
        g.Text = [this](int c, int r) { return bunky[static_cast<size_t>(r)][static_cast<size_t>(c)]; };
        g.OnCellEdited = [this](int c, int r, const std::string& t) {
            upravy.push_back(std::to_string(c) + "," + std::to_string(r) + "=" + t);
            bunky[static_cast<size_t>(r)][static_cast<size_t>(c)] = t;
            g.Refresh();
        };
        g.Refresh();
    }
    HWND Editor() const { return FindWindowExW(g.Handle(), nullptr, L"EDIT", nullptr); }
};

TEST_F(Okno, ATableEditsItsModelsCellsInPlaceAndByMessage) {
    Tabulka t(hwnd);
    // Not editable: neither a typed letter nor WM_SETTEXT changes a cell.
    SendMessageW(t.g.Handle(), WM_CHAR, L'x', 0);
    EXPECT_EQ(t.Editor(), nullptr);
    ASSERT_EQ(SendMessageW(t.g.Handle(), VXGM_QUERYCELL, 1, 2), TRUE);
    EXPECT_EQ(SendMessageW(t.g.Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"y")), FALSE);

    t.g.SetEditable(true);
    EXPECT_EQ(SendMessageW(t.g.Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"\u017dilina")), TRUE);
    ASSERT_EQ(SendMessageW(t.g.Handle(), VXGM_QUERYCELL, 0, 2), TRUE);  // the fixed column
    EXPECT_EQ(SendMessageW(t.g.Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"z")), FALSE);

    // A typed letter opens the editor over the current cell with that letter;
    // Enter gives the model what the editor holds.
    t.g.SetSelection(2, 3);
    SendMessageW(t.g.Handle(), WM_CHAR, L'K', 0);
    HWND e = t.Editor();
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(GetWindowLongW(e, GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(GetText(e), L"K");
    SetWindowTextW(e, L"Ko\u0161ice");
    SendMessageW(e, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_FALSE(GetWindowLongW(e, GWL_STYLE) & WS_VISIBLE);
    // Escape leaves the cell as it was; F2 edits the cell's own text.
    SendMessageW(t.g.Handle(), WM_CHAR, L'q', 0);
    SendMessageW(e, WM_KEYDOWN, VK_ESCAPE, 0);
    SendMessageW(t.g.Handle(), WM_KEYDOWN, VK_F2, 0);
    EXPECT_EQ(GetText(e), L"Ko\u0161ice");
    SetWindowTextW(e, L"Nitra");
    t.g.EndEdit();
    const std::vector<std::string> ocakavane = {"1,2=\x8Eilina", "2,3=Ko\x9A" "ice", "2,3=Nitra"};
    EXPECT_EQ(t.upravy, ocakavane);
    EXPECT_EQ(t.bunky[3][2], "Nitra");
}

// The two kinds of the one grid differ only in what the kind says: a list
// has no scroll bar and no keys, sizes a column by its edge in any row, and
// takes a press on an edge that moved nothing for a click; a table sizes by
// its header's edges only and never takes a press on one for a click.
TEST_F(Okno, AListAndATableDifferOnlyInWhatTheirKindSays) {
    TStringGrid list(hwnd, 7, 0, 120, 300, 100, 3, 6, nullptr);
    Tabulka table(hwnd);
    for (int c = 0; c < 3; ++c) list.SetColWidth(c, 50);
    list.SetRowHeight(18);
    struct Pripad {
        TGrid* g;
        const char* meno;
        bool posuvnik;
        int ups;    // mouse-ups seen after a press and release on the first edge of the first row
        int riadok; // the current row after the Down key
        int sirka;  // column 0 after dragging its edge in row 2 by 20 pixels
    } pripady[] = {{&list, "list", false, 1, 0, 70}, {&table.g, "table", true, 0, 2, 50}};
    for (const Pripad& p : pripady) {
        int ups = 0;
        p.g->OnMouseUp = [&](int, int, int) { ++ups; };
        EXPECT_EQ((GetWindowLongW(p.g->Handle(), GWL_STYLE) & WS_VSCROLL) != 0, p.posuvnik) << p.meno;
        SendMessageW(p.g->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 5));
        SendMessageW(p.g->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(50, 5));
        EXPECT_EQ(ups, p.ups) << p.meno;
        EXPECT_EQ(p.g->ColWidth(0), 50) << p.meno;
        SendMessageW(p.g->Handle(), WM_KEYDOWN, VK_DOWN, 0);
        EXPECT_EQ(p.g->Row(), p.riadok) << p.meno;
        const int y = 2 * 17 + 5;
        SendMessageW(p.g->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, y));
        SendMessageW(p.g->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(70, y));
        SendMessageW(p.g->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(70, y));
        EXPECT_EQ(p.g->ColWidth(0), p.sirka) << p.meno;
        p.g->OnMouseUp = nullptr;
    }
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

// What another thread posts reaches the handler on the thread that made the
// window, each message once and in order; a handler's error is reported and
// the next message still comes; a handler may free its own window.
TEST_F(Okno, AMessageWindowHandsItsMessageToItsOwnThread) {
    std::vector<std::string> errors;
    SetExceptionHandler([&](const std::string& m) { errors.push_back(m); });
    const UINT kMsg = WM_APP + 0x77;
    std::vector<std::pair<WPARAM, LPARAM>> got;
    std::vector<DWORD> threads;
    std::unique_ptr<TMessageWindow> w;
    w = std::make_unique<TMessageWindow>(L"VxTestMessageWindow", kMsg, [&](WPARAM wp, LPARAM lp) {
        threads.push_back(GetCurrentThreadId());
        got.emplace_back(wp, lp);
        if (wp == 1) throw std::runtime_error("handler failed");
        if (wp == 3) w.reset();
    });
    ASSERT_TRUE(w->Handle());
    const HWND h = w->Handle();
    std::thread t([h, kMsg] {
        PostMessageW(h, kMsg, 1, 10);
        PostMessageW(h, WM_APP + 0x78, 9, 90);  // not its message
        PostMessageW(h, kMsg, 2, 20);
        PostMessageW(h, kMsg, 3, 30);
        PostMessageW(h, kMsg, 4, 40);  // the window is gone by then
    });
    t.join();
    Pump(200);
    SetExceptionHandler(nullptr);
    EXPECT_EQ(got, (std::vector<std::pair<WPARAM, LPARAM>>{{1, 10}, {2, 20}, {3, 30}}));
    EXPECT_EQ(threads, std::vector<DWORD>(3, GetCurrentThreadId()));
    EXPECT_EQ(errors, std::vector<std::string>{"handler failed"});
    EXPECT_FALSE(w);
    EXPECT_FALSE(IsWindow(h));
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

// ------------------------------------------------------------ texts as drawn

// What KresliRiadok draws of a text in room [vlavo, vlavo + sirka) of a
// white picture: the columns holding ink, first and last (-1, -1: none).
struct TAtrament {
    int prvy = -1, posledny = -1;
    std::vector<bool> stlpce;
};
TAtrament Nakresli(HFONT f, const std::wstring& text, int vlavo, int sirka, UINT align = DT_LEFT) {
    TOffscreen b(600, 40);  // one size for every picture, so pictures compare
    HGDIOBJ stary = SelectObject(b.Dc(), f);
    SetBkMode(b.Dc(), TRANSPARENT);
    SetTextColor(b.Dc(), RGB(0, 0, 0));
    KresliRiadok(b.Dc(), text, RECT{vlavo, 0, vlavo + sirka, b.Height()}, align);
    TAtrament a;
    a.stlpce.assign(static_cast<size_t>(b.Width()), false);
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if (b.Pixel(x, y) != 0xFFFFFF) a.stlpce[static_cast<size_t>(x)] = true;
    for (int x = 0; x < b.Width(); ++x)
        if (a.stlpce[static_cast<size_t>(x)]) {
            if (a.prvy < 0) a.prvy = x;
            a.posledny = x;
        }
    SelectObject(b.Dc(), stary);
    return a;
}

// The fonts of the windows, crisp and smoothed, and texts of theirs with the
// letters whose ink reaches past their advance (ť, ď, ľ, ĺ) and digits.
struct TPismoVelkost {
    const wchar_t* face;
    int vyska;
    bool bold, smooth;
};
std::vector<TPismoVelkost> PismaOkien() {
    std::vector<TPismoVelkost> v;
    for (int h = 8; h <= 16; ++h)
        for (bool bold : {false, true})
            for (bool smooth : {false, true}) v.push_back({L"Tahoma", h, bold, smooth});
    v.push_back({L"MS Shell Dlg", 11, false, false});
    v.push_back({L"MS Sans Serif", 11, false, false});
    return v;
}
const wchar_t* const kTextyOkien[] = {
    L"10.12.2026  14:31:00", L"Prida\u0165 meno", L"Notifik\u00e1cia", L"\u013dubica \u010eurica",
    L"D\u013a\u017eka a \u0160\u00edrka, s.r.o.", L"\u010cisti\u010dky odpadov\u00fdch v\u00f4d, \u0164ahanovsk\u00e1 15",
    L"Telef\u00f3nne \u010d\u00edslo 1", L"0905123456"};

TEST_F(Okno, ATextIsDrawnWithinTheWidthItWasMeasuredAt) {
    // Every pixel a text leaves lies within the width TextWidth gave it: a
    // face with bitmaps for small sizes (Wine's own Tahoma) draws its glyphs
    // at the bitmaps' advances, wider or narrower than GetTextExtentPoint32
    // says, and a date fitted by that spilled over its column.
    for (const TPismoVelkost& p : PismaOkien()) {
        HFONT f = MakeFont(p.face, p.vyska, p.bold, p.smooth);
        for (const wchar_t* t : kTextyOkien) {
            const int sirka = TextWidth(f, t);
            const TAtrament a = Nakresli(f, t, 20, sirka + 100);
            ASSERT_GE(a.prvy, 0);
            EXPECT_GE(a.prvy, 20) << Narrow(t) << " " << Narrow(p.face) << " " << p.vyska << (p.bold ? " bold" : "");
            EXPECT_LT(a.posledny, 20 + sirka)
                << Narrow(t) << " " << Narrow(p.face) << " " << p.vyska << (p.bold ? " bold" : "") << ": ink to "
                << a.posledny - 20 + 1 << " px, measured " << sirka;
            // In a room of exactly that width it is drawn whole, not cut.
            const TAtrament v = Nakresli(f, t, 20, sirka);
            EXPECT_EQ(v.stlpce, a.stlpce) << Narrow(t) << " " << p.vyska << " in " << sirka << " px";
        }
        DeleteObject(f);
    }
}

TEST_F(Okno, WhatFollowsALetterWhoseAccentReachesPastItStaysClearOfTheAccent) {
    // Tahoma's ť, ľ and ď carry their caron beside the stem, past their
    // advance: drawn at the advance, "Pridať meno" reads "Pridaťmeno" and the
    // caron of "Predvoľba" stands on the stem of the b ("Predvolba").
    struct Pripad {
        const wchar_t *slovo, *dalej;
        int medzera;  // clear columns at least between the two
    } pripady[] = {{L"Prida\u0165", L" meno", 2}, {L"Ve\u013e", L" meno", 2}, {L"Ma\u010f", L" meno", 2},
                   {L"Predvo\u013e", L"ba", 1},   {L"p\u00e4\u0165", L"desiat", 1}, {L"Ma\u010f", L"ar", 1}};
    for (const TPismoVelkost& p : PismaOkien()) {
        HFONT f = MakeFont(p.face, p.vyska, p.bold, p.smooth);
        for (const Pripad& c : pripady) {
            const std::wstring cele = std::wstring(c.slovo) + c.dalej;
            const TAtrament prve = Nakresli(f, c.slovo, 20, 300), obe = Nakresli(f, cele, 20, 300);
            ASSERT_GE(prve.posledny, 0);
            int medzera = 0;
            for (int x = prve.posledny + 1; !obe.stlpce[static_cast<size_t>(x)]; ++x) ++medzera;
            EXPECT_GE(medzera, c.medzera) << Narrow(cele) << " " << Narrow(p.face) << " " << p.vyska
                                          << (p.bold ? " bold" : "") << (p.smooth ? " smooth" : "");
        }
        DeleteObject(f);
    }
}

// The pass that a call's history step makes handles what is pending but
// leaves the painting of a changed window to the next pass; the grid takes a
// call's rows at once and is then painted once.
TEST_F(Okno, APassLeavingPaintHandlesTheMessagesAndTheNextPassPaints) {
    ShowWindow(hwnd, SW_SHOW);
    TStringGrid grid(hwnd, 7, 0, 0, 300, 200, 2, 3, nullptr);
    Pump(100);
    ASSERT_FALSE(GetUpdateRect(grid.Handle(), nullptr, FALSE));
    grid.SetCells({"a", "b", "c", "d", "e", "f"});
    EXPECT_EQ(grid.Cell(1, 2), "f");
    bool doslo = false;
    TWinTimerFactory f;
    auto t = f.CreateTimer();
    t->SetInterval(1);
    t->OnTimer = [&] { doslo = true; };
    t->SetEnabled(true);
    Sleep(20);
    PostMessageW(hwnd, WM_NULL, 0, 0);
    TWinPump pump;
    pump.ProcessMessagesLeavingPaint();
    EXPECT_TRUE(doslo);                                         // the timer ran
    EXPECT_TRUE(GetUpdateRect(grid.Handle(), nullptr, FALSE));  // the grid is not painted yet
    t->SetEnabled(false);
    pump.ProcessMessages();
    EXPECT_FALSE(GetUpdateRect(grid.Handle(), nullptr, FALSE));
    // The same texts again change nothing and paint nothing.
    grid.SetCells({"a", "b", "c", "d", "e", "f"});
    EXPECT_FALSE(GetUpdateRect(grid.Handle(), nullptr, FALSE));
}

TEST_F(Okno, ATextThatDoesNotFitEndsWithAnEllipsisAndIsNeverSqueezed) {
    HFONT f = MakeDialogFont();
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, f);
    const std::wstring firma = L"\u010cisti\u010dky odpadov\u00fdch v\u00f4d, \u0164ahanovsk\u00e1 15";
    const int cela = TextWidth(f, firma);
    struct Pripad {
        int miesto;
        bool cely;
    } pripady[] = {{cela, true}, {cela + 40, true}, {cela - 1, false}, {cela / 2, false}, {20, false}};
    for (const Pripad& p : pripady) {
        const std::wstring t = TextNaSirku(dc, firma, p.miesto);
        EXPECT_LE(TextWidth(f, t), p.miesto) << p.miesto;
        // Drawn in its room it shows whole: every pixel of it, none cut off.
        const TAtrament v = Nakresli(f, firma, 20, p.miesto), s = Nakresli(f, t, 20, p.miesto + 200);
        EXPECT_EQ(v.stlpce, s.stlpce) << p.miesto;
        EXPECT_LT(v.posledny, 20 + p.miesto) << p.miesto;
        if (p.cely) {
            EXPECT_EQ(t, firma) << p.miesto;
            continue;
        }
        ASSERT_GE(t.size(), 2u) << p.miesto;
        EXPECT_EQ(t.back(), L'\u2026') << p.miesto;
        EXPECT_NE(t[t.size() - 2], L' ') << "a cut ends in a word, not a blank";
        EXPECT_EQ(firma.compare(0, t.size() - 1, t, 0, t.size() - 1), 0) << "the beginning of the text";
        // The longest beginning: one more letter would not fit.
        const std::wstring dlhsi = firma.substr(0, t.size()) + L"\u2026";
        if (firma[t.size() - 1] != L' ') {
            EXPECT_GT(TextWidth(f, dlhsi), p.miesto);
        }
    }
    // No room even for the ellipsis: nothing.
    EXPECT_EQ(TextNaSirku(dc, firma, 1), L"");
    EXPECT_EQ(TextNaSirku(dc, L"", 0), L"");
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    DeleteObject(f);
}

TEST_F(Okno, StaticTextAndGridsTellTheirFontAndTheTextAsDrawn) {
    HFONT f = MakeDialogFont();
    const std::string dlhy = "Ústav slovenskej literatúry Slovenskej akadémie vied";
    TStaticText t(hwnd, 10, 0, 0, 80, 20, f, 0, RGB(255, 255, 255));
    t.SetText(dlhy);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(t.Handle(), WM_GETFONT, 0, 0)), f);
    EXPECT_EQ(GetText(t.Handle()), Wide(dlhy)) << "the whole text by default";
    SendMessageW(t.Handle(), VXM_SHOWNTEXT, TRUE, 0);
    const std::wstring zobrazeny = GetText(t.Handle());
    EXPECT_EQ(zobrazeny.back(), L'\u2026');
    EXPECT_LE(TextWidth(f, zobrazeny), 80);
    SendMessageW(t.Handle(), VXM_SHOWNTEXT, FALSE, 0);
    EXPECT_EQ(t.Text(), dlhy);

    TStringGrid g(hwnd, 7, 0, 30, 480, 100, 2, 2, f);
    g.SetColWidth(0, 60);
    g.SetColWidth(1, TextWidth(f, Wide(dlhy)) + 60 - GridCellRoom(60));  // just wide enough
    g.SetCell(0, 0, dlhy);
    g.SetCell(1, 0, dlhy);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(g.Handle(), WM_GETFONT, 0, 0)), f);
    EXPECT_EQ(SendMessageW(g.Handle(), VXGM_GETROWHEIGHT, 0, 0), 18);
    SendMessageW(g.Handle(), VXGM_QUERYCELL, 0 | VXGM_SHOWN, 0);
    const std::wstring bunka = GetText(g.Handle());
    EXPECT_EQ(bunka.back(), L'\u2026');
    EXPECT_LE(TextWidth(f, bunka), GridCellRoom(60));
    SendMessageW(g.Handle(), VXGM_QUERYCELL, 1 | VXGM_SHOWN, 0);
    EXPECT_EQ(GetText(g.Handle()), Wide(dlhy)) << "a cell wide enough shows whole";
    SendMessageW(g.Handle(), VXGM_QUERYCELL, 0, 0);
    EXPECT_EQ(GetText(g.Handle()), Wide(dlhy)) << "without VXGM_SHOWN the whole text";
    DeleteObject(f);
}

TEST_F(Okno, LargestFittingHeightTakesTheLargestFontInWhichEveryTextFits) {
    const std::wstring texty[2] = {L"Nastavenie", L"Prida\u0165 meno"};
    HFONT f11 = MakeFont(L"Tahoma", 11, false);
    const int siroky = TextWidth(f11, texty[1]);
    DeleteObject(f11);
    EXPECT_EQ(LargestFittingHeight(L"Tahoma", false, false, 11, 6, texty, 2, siroky), 11);
    const int h = LargestFittingHeight(L"Tahoma", false, false, 11, 6, texty, 2, siroky - 8);
    EXPECT_LT(h, 11);
    HFONT fh = MakeFont(L"Tahoma", h, false);
    EXPECT_LE(TextWidth(fh, texty[0]), siroky - 8);
    EXPECT_LE(TextWidth(fh, texty[1]), siroky - 8);
    EXPECT_GT(LineHeight(fh), 0);
    DeleteObject(fh);
    EXPECT_EQ(LargestFittingHeight(L"Tahoma", false, false, 11, 6, texty, 2, 1), 6) << "none fits: the smallest";
}

// ------------------------------------------------------------ the modal loop

TEST_F(Okno, ModalLoopDisablesTheOtherWindowsKeepsTimersAndGivesThemBack) {
    ShowWindow(hwnd, SW_SHOW);
    HWND modal = CreateWindowW(L"VxWidgetTest", L"m", WS_POPUP | WS_CAPTION, 10, 10, 200, 100, hwnd, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(modal);
    bool done = false, zakazane = true, zobrazene = false;
    int tiky = 0;
    TWinTimerFactory f;
    auto t = f.CreateTimer();
    t->OnTimer = [&] {
        // Timers run inside the loop, with the owner disabled.
        zakazane = zakazane && !IsWindowEnabled(hwnd);
        if (++tiky == 3) done = true;
    };
    t->SetInterval(20);
    t->SetEnabled(true);
    RunModal(modal, done, hwnd, [&] {
        zobrazene = IsWindowVisible(modal) != FALSE;
        throw std::runtime_error("raised while showing");  // shown as the standard error; the loop goes on
    });
    EXPECT_TRUE(zobrazene);
    EXPECT_EQ(tiky, 3);
    EXPECT_TRUE(zakazane);
    EXPECT_TRUE(IsWindowEnabled(hwnd)) << "the owner is enabled again";
    EXPECT_FALSE(IsWindowVisible(modal)) << "the modal window is hidden";

    // A window destroyed from inside ends the loop too; a quit is passed on.
    t->OnTimer = [&] {
        t->SetEnabled(false);
        DestroyWindow(modal);
        PostQuitMessage(7);
    };
    bool nikdy = false;
    RunModal(modal, nikdy);
    EXPECT_TRUE(IsWindowEnabled(hwnd));
    MSG m;
    EXPECT_TRUE(PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit reaches the outer loop";
}

}  // namespace
}  // namespace vx
