#include "base/testing/fakes.h"

#include <algorithm>

namespace vx::fake {

static uint64_t g_now_ms(FakeClock& c) { return c.tick; }

void FakeClock::Advance(uint32_t ms) {
    tick += ms;
    // Carry milliseconds into the wall clock, day changes included.
    int64_t total = now.Millisecond + static_cast<int64_t>(ms);
    now.Millisecond = static_cast<int>(total % 1000);
    int64_t secs = now.Second + total / 1000;
    now.Second = static_cast<int>(secs % 60);
    int64_t mins = now.Minute + secs / 60;
    now.Minute = static_cast<int>(mins % 60);
    int64_t hours = now.Hour + mins / 60;
    now.Hour = static_cast<int>(hours % 24);
    int64_t days = hours / 24;
    while (days-- > 0) {
        ++now.Day;
        if (!IsValidDate(now.Year, now.Month, now.Day)) {
            now.Day = 1;
            if (++now.Month > 12) {
                now.Month = 1;
                ++now.Year;
            }
        }
    }
}

uint32_t FakeClock::TickCount() {
    const uint32_t t = tick;
    subUs_ += stepUs;
    if (subUs_ >= 1000) {
        Advance(subUs_ / 1000);
        subUs_ %= 1000;
    }
    return t;
}

std::unique_ptr<ITimer> FakeTimerFactory::CreateTimer() {
    auto t = std::make_unique<FakeTimer>(*this);
    timers_.push_back(t.get());
    return t;
}

void FakeTimerFactory::Advance(uint32_t ms) {
    uint64_t end = g_now_ms(clock_) + ms;
    for (;;) {
        FakeTimer* next = nullptr;
        for (FakeTimer* t : timers_)
            if (t->enabled_ && t->due <= end && (!next || t->due < next->due)) next = t;
        if (!next) break;
        uint64_t now = g_now_ms(clock_);
        if (next->due > now) clock_.Advance(static_cast<uint32_t>(next->due - now));
        next->due = g_now_ms(clock_) + std::max<uint32_t>(next->interval_, 1);
        if (next->OnTimer) next->OnTimer();
    }
    uint64_t now = g_now_ms(clock_);
    if (end > now) clock_.Advance(static_cast<uint32_t>(end - now));
}

FakeTimer::~FakeTimer() {
    auto& v = f_.timers_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
}

void FakeTimer::SetInterval(uint32_t ms) {
    interval_ = ms;
    if (enabled_) due = f_.clock().tick + std::max<uint32_t>(ms, 1);
}

void FakeTimer::SetEnabled(bool on) {
    if (on && !enabled_) due = f_.clock().tick + std::max<uint32_t>(interval_, 1);
    enabled_ = on;
}

}  // namespace vx::fake
