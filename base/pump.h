// What the core needs of the user-interface thread's message loop.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>

namespace vx {

class IMessagePump {
public:
    virtual ~IMessagePump() = default;
    // Handle every pending window message (timers, clicks) once.
    virtual void ProcessMessages() = 0;
    // The same, except that windows waiting to be painted are painted by the
    // next pass: for a pass that what follows it must not wait for.
    virtual void ProcessMessagesLeavingPaint() { ProcessMessages(); }
    virtual void Sleep(uint32_t ms) = 0;
};

// Cakaj(Total, Step): Total div Step rounds of sleeping Step ms and
// processing the pending messages.
void Cakaj(IMessagePump& pump, int total, int step);

// A timer of the user-interface thread (interval in ms, fires OnTimer).
class ITimer {
public:
    virtual ~ITimer() = default;
    virtual void SetInterval(uint32_t ms) = 0;
    virtual uint32_t Interval() const = 0;
    virtual void SetEnabled(bool on) = 0;
    virtual bool Enabled() const = 0;
    std::function<void()> OnTimer;
};

class ITimerFactory {
public:
    virtual ~ITimerFactory() = default;
    virtual std::unique_ptr<ITimer> CreateTimer() = 0;
};

}  // namespace vx
