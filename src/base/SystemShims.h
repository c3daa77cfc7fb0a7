#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/DateTime.h"

// Small system-level helpers used all over the program: the tick counter and
// the user-activity stamp that gates background work, ISO 8601 date-time
// text, packed values, dotted version numbers, and the few system settings
// the interface consults.

// The platform layer's start-up: records the main thread. (The scroll-bar
// metrics, common controls and OLE of other systems have nothing to set up
// here.)
void InitWindowsUnit();

// Milliseconds from a monotonic clock. 64 bits wide, so it never goes
// negative and never wraps in a realistic run: background work gated by
// UserIdleFor keeps running however long the program stays open.
std::int64_t NonNegativeTickCount();
// Notes a user action (key, mouse, command, hot key, clipboard change) now.
void MarkUserActivity();
// True when at least ms milliseconds have passed since the last user action.
bool UserIdleFor(std::int64_t ms);

// Packed values.
inline std::int32_t MakeLong(std::int32_t low, std::int32_t high) {
    return static_cast<std::int32_t>((static_cast<std::uint32_t>(high) << 16) | (static_cast<std::uint32_t>(low) & 0xFFFF));
}
inline std::uint32_t MakeRGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return r | (static_cast<std::uint32_t>(g) << 8) | (static_cast<std::uint32_t>(b) << 16);
}
// The caller takes the low byte.
inline std::uint32_t ColorGreen(std::uint32_t color) {
    return color >> 8;
}
inline std::uint32_t ColorBlue(std::uint32_t color) {
    return color >> 16;
}
void FillZero(void* p, std::size_t size);

// year x 365 + month x 31 + day: orders dates, does not count days.
std::int32_t DateToDayNumber(TDateTime date);
// "2024-03-05T14:07:09Z": the local time as it is, followed by Z.
std::string DateTimeToIsoText(TDateTime dt);
// Reads "YYYY-MM-DDTHH:MM:SS[.fff][Z]" (the separators are optional). False
// for anything else, time-zone offsets included; dt is changed only when
// both parts are numbers. An impossible date keeps only the time.
bool ParseIsoDateTime(std::string_view s, TDateTime& dt);

// "1.2.3.4" -> 10203004: the parts weigh 10000000, 100000, 1000, then 1.
std::int32_t VersionToNumber(std::string_view s);

// Keys as the window system sees them (nothing is down without one).
bool IsKeyDown(int virtualKey);
// 1 Shift, 4 Control, 8 left mouse button, 16 right mouse button.
unsigned GetShiftStateAsync();

// Settings of other systems with no counterpart here. The window system
// decides about window animations and where the pointer goes, and a program
// does not raise its own rights, so these answer "not available".
void DisableMinimizeAnimation();
void RestoreMinimizeAnimation();
bool IsSnapToDefaultButtonOn();
bool IsProcessElevated();
