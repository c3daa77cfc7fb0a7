#include "base/core/DateTimeText.h"

#include <cstdio>

#include "base/core/DecimalDigits.h"
#include "platform/Time.h"

std::int32_t DateToDayNumber(TDateTime date) {
    int y, m, d;
    DecodeDate(date, y, m, d);
    return y * 365 + m * 31 + d;
}

std::string DateTimeToIsoText(TDateTime dt) {
    int y, mo, d, h, mi, s, ms;
    DecodeDate(dt, y, mo, d);
    DecodeTime(dt, h, mi, s, ms);
    // The "Z" promises UTC, so the local time is converted first; a time the
    // zone rules cannot place is written as it is, without the promise.
    Platform::TCalendarTime local;
    local.Year = y;
    local.Month = mo;
    local.Day = d;
    local.Hour = h;
    local.Minute = mi;
    local.Second = s;
    std::int64_t unixSeconds = 0;
    const char* zone = "";
    if (Platform::LocalTimeToUnix(local, unixSeconds)) {
        const Platform::TCalendarTime utc = Platform::UnixToUtcTime(unixSeconds);
        if (utc.Year != 0) {
            y = utc.Year, mo = utc.Month, d = utc.Day, h = utc.Hour, mi = utc.Minute, s = utc.Second;
            zone = "Z";
        }
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%d-%.2d-%.2dT%.2d:%.2d:%.2d%s", y, mo, d, h, mi, s, zone);
    return buffer;
}

bool ParseIsoDateTime(std::string_view s, TDateTime& dt) {
    std::string text;
    for (char c : s)
        if (c != ':' && c != '-')
            text.push_back(c);
    const bool utc = !text.empty() && text.back() == 'Z';
    if (utc)
        text.pop_back();
    const std::size_t t = text.find('T');
    if (t == std::string::npos)
        return false;
    const std::string_view date = std::string_view(text).substr(0, t);
    std::string_view time = std::string_view(text).substr(t + 1);
    time = time.substr(0, time.find('.'));
    if (date.size() != 8 || time.size() != 6 || !IsAllDigits(date) || !IsAllDigits(time))
        return false;
    TDateTime datePart = 0, timePart = 0;
    const bool dateValid = TryEncodeDate(DigitsValue(date.substr(0, 4)), DigitsValue(date.substr(4, 2)),
                                         DigitsValue(date.substr(6, 2)), datePart);
    if (!dateValid)
        datePart = 0;
    // A time of day that cannot be (25:61:00) is not a date-time at all.
    if (!TryEncodeTime(DigitsValue(time.substr(0, 2)), DigitsValue(time.substr(2, 2)), DigitsValue(time.substr(4, 2)),
                       0, timePart))
        return false;
    dt = datePart + timePart;
    if (utc && dateValid) {
        // A time in UTC becomes the local time it stands for.
        Platform::TCalendarTime c;
        c.Year = DigitsValue(date.substr(0, 4));
        c.Month = DigitsValue(date.substr(4, 2));
        c.Day = DigitsValue(date.substr(6, 2));
        c.Hour = DigitsValue(time.substr(0, 2));
        c.Minute = DigitsValue(time.substr(2, 2));
        c.Second = DigitsValue(time.substr(4, 2));
        const Platform::TCalendarTime local = Platform::UnixToLocalTime(Platform::UtcTimeToUnix(c));
        TDateTime localDate = 0, localTime = 0;
        if (local.Year != 0 && TryEncodeDate(local.Year, local.Month, local.Day, localDate) &&
            TryEncodeTime(local.Hour, local.Minute, local.Second, 0, localTime))
            dt = localDate + (localDate < 0 ? -localTime : localTime);
    }
    return dt != 0;
}
