#pragma once

#include <cstdint>
#include <string>

// Names of languages, by Windows language id.
namespace Platform {

// The display name of the locale a language id stands for, in English
// ("German (Germany)"), UTF-8; empty when the id names no locale of its own
// (an unknown sublanguage does not borrow its language's name).
std::string LanguageDisplayName(std::uint32_t languageId);

// What a date needs of a language's conventions: month and weekday names
// and the short and long date forms, the latter written as Windows date
// pictures (d, dd, ddd, dddd, M .. MMMM, yy, yyyy, quoted literals).
struct TDateNames {
    std::u16string Months[12];            // as in a date with a day ("de janvier", "января")
    std::u16string StandaloneMonths[12];  // on their own ("janvier", "январь")
    std::u16string ShortMonths[12];
    std::u16string Days[7];  // Sunday first
    std::u16string ShortDays[7];
    std::u16string AmPm[2];
    std::u16string ShortDatePicture;
    std::u16string LongDatePicture;
};

// The names of a language; a language id with only a primary language
// takes its default sublanguage. False, with the names of English (United
// States), when the id names no locale.
bool GetDateNames(std::uint32_t languageId, TDateNames& names);

}  // namespace Platform
