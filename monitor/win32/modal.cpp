#include "monitor/win32/modal.h"

#include <vector>

#include "base/win32/msgloop.h"

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

void RunModal(HWND w, const bool& done) {
    if (!w) return;
    Zakazanie z{w, {}};
    EnumThreadWindows(GetCurrentThreadId(), ZakazOkno, reinterpret_cast<LPARAM>(&z));
    ShowWindow(w, SW_SHOW);
    SetForegroundWindow(w);

    TMessageLoop loop;
    loop.dialog = w;
    loop.done = [&] { return done || !IsWindow(w); };
    loop.endOnQuit = true;
    RunMessageLoop(loop);

    // Enabled again before the window goes, so that activation returns to
    // the window below it.
    for (HWND x : z.zakazane)
        if (IsWindow(x)) EnableWindow(x, TRUE);
    if (IsWindow(w)) ShowWindow(w, SW_HIDE);
}

POINT CenterOnScreen(int width, int height) {
    RECT wa;
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &wa, 0)) {
        wa = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    POINT p{wa.left + (wa.right - wa.left - width) / 2, wa.top + (wa.bottom - wa.top - height) / 2};
    if (p.x < wa.left) p.x = wa.left;
    if (p.y < wa.top) p.y = wa.top;
    return p;
}

}  // namespace vx
