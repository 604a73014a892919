// ITimer on Win32 timers of the user-interface thread: WM_TIMER of a hidden
// message window calls OnTimer. An interval of 0 never fires.
#pragma once
#include <windows.h>

#include <memory>

#include "base/pump.h"

namespace vx {

class TMessageWindow;

class TWinTimer : public ITimer {
public:
    TWinTimer();
    ~TWinTimer() override;
    void SetInterval(uint32_t ms) override;
    uint32_t Interval() const override { return interval_; }
    void SetEnabled(bool on) override;
    bool Enabled() const override { return enabled_; }

private:
    void Update();
    void Fire();
    HWND Wnd() const;
    std::unique_ptr<TMessageWindow> wnd_;
    uint32_t interval_ = 1000;
    bool enabled_ = false;
};

class TWinTimerFactory : public ITimerFactory {
public:
    std::unique_ptr<ITimer> CreateTimer() override { return std::make_unique<TWinTimer>(); }
};

// IMessagePump on the thread's message queue.
class TWinPump : public IMessagePump {
public:
    void ProcessMessages() override;
    void ProcessMessagesLeavingPaint() override;
    void Sleep(uint32_t ms) override { ::Sleep(ms); }
};

}  // namespace vx
