#include "base/clock.h"

#include <gtest/gtest.h>

#include "base/testing/fakes.h"

using namespace vx;

TEST(Clock, Formats) {
    DateTime t;
    t.Year = 2026; t.Month = 3; t.Day = 7; t.Hour = 9; t.Minute = 5; t.Second = 1;
    EXPECT_EQ(FormatDate(t), "07.03.2026");
    EXPECT_EQ(FormatTime(t), "09:05:01");
}

TEST(Clock, FakeTimersFireInOrder) {
    fake::FakeClock clock;
    fake::FakeTimerFactory f(clock);
    auto a = f.CreateTimer();
    auto b = f.CreateTimer();
    std::string seen;
    a->OnTimer = [&] { seen += "a"; };
    b->OnTimer = [&] { seen += "b"; b->SetEnabled(false); };
    a->SetInterval(100);
    b->SetInterval(250);
    a->SetEnabled(true);
    b->SetEnabled(true);
    f.Advance(300);
    EXPECT_EQ(seen, "aaba");
    EXPECT_EQ(clock.tick, 300u);
}

TEST(Clock, FakeClockCarriesIntoNextDay) {
    fake::FakeClock clock;
    clock.now = {2026, 12, 31, 23, 59, 59, 500};
    clock.Advance(600);
    EXPECT_EQ(FormatDate(clock.now), "01.01.2027");
    EXPECT_EQ(FormatTime(clock.now), "00:00:00");
}
