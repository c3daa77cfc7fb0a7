#include "base/files/SystemShims.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/graphics/Graphics.h"
#include "platform/KeyState.h"
#include "platform/MessageQueue.h"
#include "platform/Time.h"

namespace {

std::int64_t g_lastUserActivity = 0;

bool AllDigits(std::string_view s) {
    if (s.empty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

int Digits(std::string_view s) {
    int v = 0;
    for (char c : s)
        v = v * 10 + (c - '0');
    return v;
}

}  // namespace

void InitWindowsUnit() {
    Platform::SetMainThread();
}

std::int64_t NonNegativeTickCount() {
    return Platform::MonotonicTickMs();
}

void MarkUserActivity() {
    g_lastUserActivity = NonNegativeTickCount();
}

bool UserIdleFor(std::int64_t ms) {
    return NonNegativeTickCount() - g_lastUserActivity >= ms;
}

void FillZero(void* p, std::size_t size) {
    if (size > 0)
        std::memset(p, 0, size);
}

void UnpackPoint(std::int32_t packed, TPoint& p) {
    const auto u = static_cast<std::uint32_t>(packed);
    p.X = static_cast<std::int16_t>(u & 0xFFFF);
    p.Y = static_cast<std::int16_t>(u >> 16);
}

std::int32_t PackPoint(const TPoint& p) {
    return static_cast<std::int32_t>((static_cast<std::uint32_t>(p.Y) << 16) |
                                     (static_cast<std::uint32_t>(p.X) & 0xFFFF));
}

TPoint MakePoint(std::int32_t x, std::int32_t y) {
    TPoint p;
    p.X = x;
    p.Y = y;
    return p;
}

TRect MakeRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    TRect r;
    r.Left = left;
    r.Top = top;
    r.Right = right;
    r.Bottom = bottom;
    return r;
}

TRect MakeBoundsRect(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
    return MakeRect(left, top, left + width, top + height);
}

TRect MakeSizeRect(std::int32_t width, std::int32_t height) {
    return MakeRect(0, 0, width, height);
}

std::int32_t PixelsToTwips(std::int32_t pixels) {
    return MulDiv(pixels, 1440, ScreenPixelsPerInch());
}

std::int32_t TwipsToPixels(std::int32_t twips) {
    const std::int64_t product = static_cast<std::int64_t>(twips) * ScreenPixelsPerInch();
    return static_cast<std::int32_t>(product / 1440 + (product % 1440 >= 720 ? 1 : 0));
}

std::int32_t TwipsToPixelsAtZoom(std::int32_t twips, std::int32_t zoom) {
    const std::int64_t product = static_cast<std::int64_t>(twips) * zoom * ScreenPixelsPerInch();
    return static_cast<std::int32_t>(product / 144000 + (product % 144000 > 71999 ? 1 : 0));
}

std::int32_t HalfPointsToFontHeight(std::int32_t halfPoints) {
    const std::int64_t product = static_cast<std::int64_t>(halfPoints) * ScreenPixelsPerInch();
    return -static_cast<std::int32_t>(product / 144 + (product % 144 > 71 ? 1 : 0));
}

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
    if (date.size() != 8 || time.size() != 6 || !AllDigits(date) || !AllDigits(time))
        return false;
    TDateTime datePart = 0, timePart = 0;
    const bool dateValid =
        TryEncodeDate(Digits(date.substr(0, 4)), Digits(date.substr(4, 2)), Digits(date.substr(6, 2)), datePart);
    if (!dateValid)
        datePart = 0;
    // A time of day that cannot be (25:61:00) is not a date-time at all.
    if (!TryEncodeTime(Digits(time.substr(0, 2)), Digits(time.substr(2, 2)), Digits(time.substr(4, 2)), 0, timePart))
        return false;
    dt = datePart + timePart;
    if (utc && dateValid) {
        // A time in UTC becomes the local time it stands for.
        Platform::TCalendarTime c;
        c.Year = Digits(date.substr(0, 4));
        c.Month = Digits(date.substr(4, 2));
        c.Day = Digits(date.substr(6, 2));
        c.Hour = Digits(time.substr(0, 2));
        c.Minute = Digits(time.substr(2, 2));
        c.Second = Digits(time.substr(4, 2));
        const Platform::TCalendarTime local = Platform::UnixToLocalTime(Platform::UtcTimeToUnix(c));
        TDateTime localDate = 0, localTime = 0;
        if (local.Year != 0 && TryEncodeDate(local.Year, local.Month, local.Day, localDate) &&
            TryEncodeTime(local.Hour, local.Minute, local.Second, 0, localTime))
            dt = localDate + (localDate < 0 ? -localTime : localTime);
    }
    return dt != 0;
}

std::int32_t VersionToNumber(std::string_view s) {
    std::int64_t sum = 0, factor = 10000000;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = s.find('.', start);
        const std::string_view part =
            s.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
        // A part that is not a decimal number counts as 0; so does one too
        // long to be a version number.
        if (AllDigits(part) && part.size() <= 9)
            sum += factor * Digits(part);
        factor = factor > 1000 ? factor / 100 : 1;
        if (dot == std::string_view::npos)
            break;
        start = dot + 1;
    }
    return static_cast<std::int32_t>(sum);
}

bool IsKeyDown(int virtualKey) {
    return Platform::IsKeyDown(virtualKey);
}

unsigned GetShiftStateAsync() {
    return Platform::AsyncShiftState();
}

void DisableMinimizeAnimation() {
    // Not available: window animations belong to the window manager.
}

void RestoreMinimizeAnimation() {
    // Not available (see DisableMinimizeAnimation).
}

bool IsSnapToDefaultButtonOn() {
    return false;  // not available: no desktop here moves the pointer to buttons
}

bool IsProcessElevated() {
    return false;  // not available: the program never raises its own rights
}
