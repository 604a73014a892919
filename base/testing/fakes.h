// Virtual clock, timers and message pump for unit tests: time moves only
// when a test (or a Sleep in the code under test) moves it.
#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "base/clock.h"
#include "base/pump.h"

namespace vx::fake {

class FakeClock : public IClock {
public:
    DateTime now;
    uint32_t tick = 0;
    // Each reading of the tick count moves the clock on by this many
    // microseconds: the time that work which looks at the clock takes.
    uint32_t stepUs = 0;
    DateTime Now() override { return now; }
    uint32_t TickCount() override;
    // Advances both the tick count and the wall clock by ms.
    void Advance(uint32_t ms);

private:
    uint32_t subUs_ = 0;
};

class FakeTimer;

// Owns the virtual time line: timers fire when time is advanced past them.
class FakeTimerFactory : public ITimerFactory {
public:
    explicit FakeTimerFactory(FakeClock& clock) : clock_(clock) {}
    std::unique_ptr<ITimer> CreateTimer() override;
    // Moves virtual time forward by ms, firing due timers in time order.
    void Advance(uint32_t ms);
    FakeClock& clock() { return clock_; }

private:
    friend class FakeTimer;
    FakeClock& clock_;
    std::vector<FakeTimer*> timers_;
};

class FakeTimer : public ITimer {
public:
    explicit FakeTimer(FakeTimerFactory& f) : f_(f) {}
    ~FakeTimer() override;
    void SetInterval(uint32_t ms) override;
    uint32_t Interval() const override { return interval_; }
    void SetEnabled(bool on) override;
    bool Enabled() const override { return enabled_; }
    uint64_t due = 0;

private:
    friend class FakeTimerFactory;
    FakeTimerFactory& f_;
    uint32_t interval_ = 1000;
    bool enabled_ = false;
};

// Sleep advances virtual time (firing timers); ProcessMessages runs hooks.
class FakePump : public IMessagePump {
public:
    explicit FakePump(FakeTimerFactory& t) : timers_(t) {}
    void ProcessMessages() override {
        ++processed;
        if (onProcess) onProcess();
    }
    void Sleep(uint32_t ms) override { timers_.Advance(ms); }
    int processed = 0;
    std::function<void()> onProcess;

private:
    FakeTimerFactory& timers_;
};

// A clock, its timers and a message pump on one virtual time line: what a
// test of code that waits or keeps time starts from.
struct VirtualTime {
    FakeClock clock;
    FakeTimerFactory timers{clock};
    FakePump pump{timers};
};

}  // namespace vx::fake
