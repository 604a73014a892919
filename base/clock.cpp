#include "base/clock.h"

#include <cstdio>

namespace vx {

std::string FormatDate(const DateTime& t) {
    char b[32];
    std::snprintf(b, sizeof b, "%02d.%02d.%04d", t.Day, t.Month, t.Year);
    return b;
}

std::string FormatTime(const DateTime& t) {
    char b[32];
    std::snprintf(b, sizeof b, "%02d:%02d:%02d", t.Hour, t.Minute, t.Second);
    return b;
}

static bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

bool IsValidDate(int year, int month, int day) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    int dm = days[month - 1] + (month == 2 && IsLeap(year) ? 1 : 0);
    return day <= dm;
}

int64_t DayNumber(int y, int m, int d) {
    // Shift the year to start in March so February's length does not matter.
    if (m < 3) {
        y -= 1;
        m += 12;
    }
    return 365LL * y + y / 4 - y / 100 + y / 400 + (153 * (m - 3) + 2) / 5 + d - 1;
}

}  // namespace vx
