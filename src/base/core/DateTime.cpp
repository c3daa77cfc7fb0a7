#include "base/core/DateTime.h"

#include <cmath>

#include "platform/Time.h"

namespace {

// Days from 1 January of the year 1 to 30 December 1899.
constexpr std::int64_t kDateDelta = 693594;

std::int64_t DaysBeforeYear(int year) {
    const std::int64_t y = year - 1;
    return y * 365 + y / 4 - y / 100 + y / 400;
}

TDateTime FromCalendar(const Platform::TCalendarTime& c) {
    TDateTime date = 0, time = 0;
    if (!TryEncodeDate(c.Year, c.Month, c.Day, date))
        return 0;
    TryEncodeTime(c.Hour, c.Minute, c.Second, c.Millisecond, time);
    return date + time;
}

}  // namespace

bool IsLeapYear(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return days[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

bool TryEncodeDate(int year, int month, int day, TDateTime& out) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    std::int64_t days = DaysBeforeYear(year);
    for (int m = 1; m < month; ++m)
        days += DaysInMonth(year, m);
    days += day - 1;
    out = static_cast<TDateTime>(days + 1 - kDateDelta);
    return true;
}

bool TryEncodeTime(int hour, int minute, int second, int ms, TDateTime& out) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || ms < 0 || ms > 999)
        return false;
    out = ((hour * 3600.0 + minute * 60.0 + second) * 1000.0 + ms) / 86400000.0;
    return true;
}

void DecodeDate(TDateTime dt, int& year, int& month, int& day) {
    std::int64_t days = static_cast<std::int64_t>(std::trunc(dt)) + kDateDelta - 1;  // since 1 January of year 1
    if (days < 0) {
        year = month = day = 0;
        return;
    }
    // 400-year cycles, then centuries, 4-year groups and years.
    std::int64_t y = 1;
    y += 400 * (days / 146097);
    days %= 146097;
    std::int64_t c = days / 36524;
    if (c == 4)
        c = 3;
    y += 100 * c;
    days -= c * 36524;
    y += 4 * (days / 1461);
    days %= 1461;
    std::int64_t k = days / 365;
    if (k == 4)
        k = 3;
    y += k;
    days -= k * 365;
    year = static_cast<int>(y);
    month = 1;
    while (days >= DaysInMonth(year, month)) {
        days -= DaysInMonth(year, month);
        ++month;
    }
    day = static_cast<int>(days) + 1;
}

void DecodeTime(TDateTime dt, int& hour, int& minute, int& second, int& ms) {
    const double frac = std::fabs(dt - std::trunc(dt));
    std::int64_t total = std::llround(frac * 86400000.0);
    if (total >= 86400000)
        total = 86400000 - 1;
    ms = static_cast<int>(total % 1000);
    total /= 1000;
    second = static_cast<int>(total % 60);
    total /= 60;
    minute = static_cast<int>(total % 60);
    hour = static_cast<int>(total / 60);
}

TDateTime Now() {
    return FromCalendar(Platform::LocalTimeNow());
}

TDateTime UnixTimeToLocalDateTime(std::int64_t unixSeconds) {
    return FromCalendar(Platform::UnixToLocalTime(unixSeconds));
}
