#pragma once

#include <cstdint>

// Clocks. The tick counter is 64-bit milliseconds from a monotonic clock, so
// it neither jumps with the wall clock nor wraps in any realistic run.
namespace Platform {

std::int64_t MonotonicTickMs();

struct TCalendarTime {
    int Year = 0, Month = 0, Day = 0;  // month and day from 1
    int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

// The wall clock in local time.
TCalendarTime LocalTimeNow();
// Seconds since 1970-01-01 UTC as local calendar time.
TCalendarTime UnixToLocalTime(std::int64_t unixSeconds);

}  // namespace Platform
