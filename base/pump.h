// What the core needs of the user-interface thread's message loop.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>

#include "base/clock.h"

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

// For a long loop on the user-interface thread: lets the pending window
// messages through whenever ms milliseconds have passed since the last pass
// (or since the start), however much or little each step of the loop costs.
// A pass is a round trip to the window system that may cost far more than a
// step, so counting steps would either stall the window or the loop.
class TPriechodPoCase {
public:
    TPriechodPoCase(IMessagePump& pump, IClock& clock, uint32_t ms)
        : pump_(pump), clock_(clock), ms_(ms), posledny_(clock.TickCount()) {}
    // Called after each step; true when it let messages through.
    bool Krok() {
        if (clock_.TickCount() - posledny_ < ms_) return false;
        Teraz();
        return true;
    }
    // Lets the messages through now, and counts from here: for a loop that
    // follows work which let none through.
    void Teraz() {
        pump_.ProcessMessages();
        posledny_ = clock_.TickCount();
    }

private:
    IMessagePump& pump_;
    IClock& clock_;
    const uint32_t ms_;
    uint32_t posledny_;
};

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
