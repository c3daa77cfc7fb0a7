#include "platform/Time.h"

#include <time.h>

namespace Platform {
namespace {

TCalendarTime FromTm(const struct tm& t, int ms) {
    TCalendarTime c;
    c.Year = t.tm_year + 1900;
    c.Month = t.tm_mon + 1;
    c.Day = t.tm_mday;
    c.Hour = t.tm_hour;
    c.Minute = t.tm_min;
    c.Second = t.tm_sec > 59 ? 59 : t.tm_sec;  // a leap second folds into the one before
    c.Millisecond = ms;
    return c;
}

}  // namespace

std::int64_t MonotonicTickMs() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

TCalendarTime LocalTimeNow() {
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    struct tm t;
    const time_t secs = ts.tv_sec;
    localtime_r(&secs, &t);
    return FromTm(t, static_cast<int>(ts.tv_nsec / 1000000));
}

TCalendarTime UnixToLocalTime(std::int64_t unixSeconds) {
    struct tm t;
    const time_t secs = static_cast<time_t>(unixSeconds);
    if (localtime_r(&secs, &t) == nullptr)
        return {};
    return FromTm(t, 0);
}

}  // namespace Platform
