#include "widgets/modal.h"

#include <vector>

#include "base/win32/msgloop.h"
#include "widgets/control.h"

namespace vx {

namespace {

struct Zakazanie {
    HWND okno;
    std::vector<HWND> zakazane;
};

BOOL CALLBACK ZakazOkno(HWND w, LPARAM lp) {
    auto* z = reinterpret_cast<Zakazanie*>(lp);
    if (w != z->okno && IsWindowVisible(w) && IsWindowEnabled(w)) {
        EnableWindow(w, FALSE);
        z->zakazane.push_back(w);
    }
    return TRUE;
}

}  // namespace

void RunModal(HWND w, const bool& done, HWND owner, const std::function<void()>& onShow) {
    if (!w) return;
    Zakazanie z{w, {}};
    EnumThreadWindows(GetCurrentThreadId(), ZakazOkno, reinterpret_cast<LPARAM>(&z));
    ShowWindow(w, SW_SHOW);
    SetForegroundWindow(w);
    if (onShow) {
        try {
            onShow();
        } catch (...) {
            HandleCurrentException();
        }
    }

    // The thread's one message loop; a modal window ends with the program.
    TMessageLoop loop;
    loop.dialog = w;
    loop.done = [&] { return done || !IsWindow(w); };
    loop.endOnQuit = true;
    RunMessageLoop(loop);

    // Enabled again before the window goes, so that activation returns to
    // the window below it.
    for (auto it = z.zakazane.rbegin(); it != z.zakazane.rend(); ++it)
        if (IsWindow(*it)) EnableWindow(*it, TRUE);
    if (IsWindow(w)) {
        ShowWindow(w, SW_HIDE);
        if (owner && IsWindowVisible(owner)) SetForegroundWindow(owner);
    }
}

void CenterOver(HWND w, HWND over) {
    RECT o{}, r{};
    if (over && IsWindowVisible(over))
        GetWindowRect(over, &o);
    else if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &o, 0))
        o = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    GetWindowRect(w, &r);
    const int sirka = r.right - r.left, vyska = r.bottom - r.top;
    const int x = o.left + (o.right - o.left - sirka) / 2, y = o.top + (o.bottom - o.top - vyska) / 2;
    SetWindowPos(w, nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace vx
