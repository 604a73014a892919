#include "widgets/wintimer.h"

#include "base/win32/msgloop.h"
#include "widgets/msgwindow.h"

namespace vx {

namespace {
const UINT_PTR kTimerId = 1;
const wchar_t kClass[] = L"VxTimerWindow";
}  // namespace

// Each timer has its own message-only window, so a handler that frees its
// timer (or another one) never leaves a stale lookup behind.
TWinTimer::TWinTimer()
    : wnd_(std::make_unique<TMessageWindow>(kClass, WM_TIMER, [this](WPARAM, LPARAM) { Fire(); })) {}

TWinTimer::~TWinTimer() {
    if (HWND w = Wnd()) KillTimer(w, kTimerId);
}

HWND TWinTimer::Wnd() const { return wnd_->Handle(); }

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
    HWND w = Wnd();
    if (!w) return;
    KillTimer(w, kTimerId);
    if (enabled_ && interval_ > 0) {
        UINT ms = interval_ > 0x7FFFFFFFu ? 0x7FFFFFFFu : interval_;
        SetTimer(w, kTimerId, ms, nullptr);
    }
}

void TWinTimer::Fire() {
    if (!enabled_ || !OnTimer) return;
    auto handler = OnTimer;  // the handler may free its own timer
    handler();
}

void TWinPump::ProcessMessages() { ProcessPendingMessages(); }

void TWinPump::ProcessMessagesLeavingPaint() { ProcessPendingMessagesLeavingPaint(); }

}  // namespace vx
