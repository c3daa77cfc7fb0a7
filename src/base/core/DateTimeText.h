#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/core/DateTime.h"

// Date-times as ISO 8601 text, and day numbers that order dates.

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
