#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/core/DateTime.h"
#include "base/core/Geometry.h"

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
    return static_cast<std::int32_t>((static_cast<std::uint32_t>(high) << 16) |
                                     (static_cast<std::uint32_t>(low) & 0xFFFF));
}
// MakeRGB, ColorGreen and ColorBlue are in base/graphics/Colors.h.
void FillZero(void* p, std::size_t size);

// Points packed into 32 bits: X in the low 16 bits, Y in the high 16 bits,
// both sign-extended when unpacked.
void UnpackPoint(std::int32_t packed, TPoint& p);
std::int32_t PackPoint(const TPoint& p);
TPoint MakePoint(std::int32_t x, std::int32_t y);
TRect MakeRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
TRect MakeBoundsRect(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);
TRect MakeSizeRect(std::int32_t width, std::int32_t height);

// Screen units at the screen's pixels per inch (ScreenPixelsPerInch).
// Twips to pixels round half up for positive values and truncate negative
// ones toward zero; the products are taken in 64 bits, so large lengths at
// high zoom do not overflow.
std::int32_t PixelsToTwips(std::int32_t pixels);
std::int32_t TwipsToPixels(std::int32_t twips);
// zoom in percent.
std::int32_t TwipsToPixelsAtZoom(std::int32_t twips, std::int32_t zoom);
// The negative font height of a size in half points.
std::int32_t HalfPointsToFontHeight(std::int32_t halfPoints);

// year x 365 + month x 31 + day: orders dates, does not count days.
std::int32_t DateToDayNumber(TDateTime date);
// "2024-03-05T13:07:09Z": the local date-time converted to UTC, followed by
// Z (a time the zone rules cannot place is written without the Z).
std::string DateTimeToIsoText(TDateTime dt);
// Reads "YYYY-MM-DDTHH:MM:SS[.fff][Z]" (the separators are optional); a
// time with Z is UTC and comes back as local time, one without is local. False
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
