// Date, time and the clock the core reads them from.
#pragma once
#include <cstdint>
#include <string>

namespace vx {

struct DateTime {
    int Year = 2000, Month = 1, Day = 1;
    int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

// "dd.mm.yyyy" and "hh:mm:ss": the program's fixed date and time formats.
std::string FormatDate(const DateTime& t);
std::string FormatTime(const DateTime& t);
// Days since 1.1.1 of the proleptic Gregorian calendar (for comparisons).
int64_t DayNumber(int year, int month, int day);
bool IsValidDate(int year, int month, int day);

class IClock {
public:
    virtual ~IClock() = default;
    virtual DateTime Now() = 0;            // local time
    virtual uint32_t TickCount() = 0;      // milliseconds, wraps
};

}  // namespace vx
