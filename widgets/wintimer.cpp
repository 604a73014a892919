#include "widgets/wintimer.h"

#include "base/win32/msgloop.h"
#include "widgets/control.h"

namespace vx {

namespace {
const UINT_PTR kTimerId = 1;
const wchar_t kClass[] = L"VxTimerWindow";
}  // namespace

TWinTimer::TWinTimer() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExW(ResourceModule(), kClass, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = Proc;
        wc.hInstance = ResourceModule();
        wc.lpszClassName = kClass;
        RegisterClassExW(&wc);
    }
    // Each timer has its own message-only window, so a handler that frees
    // its timer (or another one) never leaves a stale lookup behind.
    wnd_ = CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ResourceModule(), nullptr);
    SetWindowLongPtrW(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TWinTimer::~TWinTimer() {
    if (wnd_) {
        KillTimer(wnd_, kTimerId);
        SetWindowLongPtrW(wnd_, GWLP_USERDATA, 0);
        DestroyWindow(wnd_);
    }
}

void TWinTimer::SetInterval(uint32_t ms) {
    interval_ = ms;
    Update();
}

void TWinTimer::SetEnabled(bool on) {
    if (on == enabled_) return;
    enabled_ = on;
    Update();
}

void TWinTimer::Update() {
    if (!wnd_) return;
    KillTimer(wnd_, kTimerId);
    if (enabled_ && interval_ > 0) {
        UINT ms = interval_ > 0x7FFFFFFFu ? 0x7FFFFFFFu : interval_;
        SetTimer(wnd_, kTimerId, ms, nullptr);
    }
}

LRESULT CALLBACK TWinTimer::Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER) {
        auto* self = reinterpret_cast<TWinTimer*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        if (self && self->enabled_ && self->OnTimer) {
            auto handler = self->OnTimer;  // the handler may free its own timer
            try {
                handler();
            } catch (...) {
                HandleCurrentException();
            }
        }
        return 0;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

void TWinPump::ProcessMessages() { ProcessPendingMessages(); }

void TWinPump::ProcessMessagesLeavingPaint() { ProcessPendingMessagesLeavingPaint(); }

}  // namespace vx
