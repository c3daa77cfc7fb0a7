#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/core/DateTime.h"

// Numbers and dates as fields, page numbers, sections and notes print them.

// Number styles (FormatNumberStyle; the numbering of fields and of section
// page numbers).
enum : std::int32_t { nsArabic = 0, nsLowerLetter = 1, nsUpperLetter = 2, nsLowerRoman = 3, nsUpperRoman = 4 };

// n in a number style: arabic digits, letters (27 gives "AA"), or Roman
// numerals. Letters and Roman numerals need n above 0 and give an empty
// text otherwise. A style outside 0..4 counts as arabic.
std::string FormatNumberStyle(std::int32_t n, std::int32_t style);

// n in a page-number format (page numbers and note settings): 0 arabic, 1
// upper-case Roman, 2 lower-case Roman, 3 upper-case letters, 4 lower-case
// letters, any other value the note symbols (asterisk, dagger, double
// dagger, section sign of Windows-1252), symbol (n - 1) mod 4 written
// ceil(n / 4) times.
std::string FormatPageNumber(std::int32_t n, std::int32_t pageNumberFormat);

// Letters and symbols repeat with the number; beyond this many characters a
// number text says nothing more, so longer ones are cut there rather than
// letting a corrupt start value fill the memory.
constexpr std::int32_t MaxRepeatedNumberChars = 255;

// A date-time through a date picture, in the conventions of a language:
// d, dd (day of month), ddd, dddd (weekday), ddddd, dddddd (the language's
// short and long date), M, MM (month number), MMM, MMMM (month name), y, yy
// (two-digit year), yyyy (year), h, hh (12-hour clock), H, HH (24-hour
// clock), m, mm (minutes), s, ss (seconds), t, tt, AM/PM, am/pm, A/P, a/p
// (the time marker); text in single quotes is copied ('' is a quote), every
// other character as it stands.
std::u16string FormatDatePicture(std::u16string_view picture, std::int32_t language, TDateTime dateTime);

// The first date format (or time format) of a language as fields use it
// when their instruction gives no picture. The options install their own
// formats (the user may change the rows); until then the built-in ones
// stand: the short date for the user's own language, the first explicit
// row of the language's date table for others, and "HH:mm" for times.
using TFieldDateFormatHook = std::function<std::u16string(std::int32_t language, bool time)>;
void SetFieldDateFormatHook(TFieldDateFormatHook hook);
std::u16string FieldDateFormat(std::int32_t language, bool time);
