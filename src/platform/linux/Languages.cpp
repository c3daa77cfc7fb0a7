#include "platform/Languages.h"

#include <algorithm>
#include <cstdio>

#include <unicode/udat.h>
#include <unicode/uloc.h>
#include <unicode/ustring.h>

#include "platform/CodePages.h"

namespace Platform {

namespace {

// The ICU locale of a language id that names one of its own.
bool LocaleOfLanguage(std::uint32_t languageId, char (&name)[ULOC_FULLNAME_CAPACITY]) {
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = uloc_getLocaleForLCID(languageId, name, sizeof(name), &status);
    return U_SUCCESS(status) && status != U_STRING_NOT_TERMINATED_WARNING && n > 0;
}

std::u16string Symbol(UDateFormat* format, UDateFormatSymbolType type, int32_t index) {
    UChar buffer[128];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = udat_getSymbols(format, type, index, buffer, 128, &status);
    if (U_FAILURE(status) || status == U_STRING_NOT_TERMINATED_WARNING || n <= 0)
        return {};
    return std::u16string(reinterpret_cast<const char16_t*>(buffer), static_cast<std::size_t>(n));
}

// An ICU date pattern as a Windows date picture. The fields a Windows picture
// cannot hold (eras, quarters, week numbers) are left out with the literal
// text that only they need being kept, which the date forms of the common
// locales never use.
std::u16string PatternToPicture(const std::u16string& pattern) {
    std::u16string out;
    for (std::size_t i = 0; i < pattern.size();) {
        const char16_t c = pattern[i];
        if (c == u'\'') {
            // Quoted literals are written the same way in both syntaxes.
            std::size_t j = i + 1;
            while (j < pattern.size() && pattern[j] != u'\'')
                ++j;
            out.append(pattern, i, std::min(j + 1, pattern.size()) - i);
            i = j + 1;
            continue;
        }
        std::size_t run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c)
            ++run;
        switch (c) {
            case u'y':
                out += run == 2 ? u"yy" : u"yyyy";
                break;
            case u'M':
            case u'L':
                out.append(std::min<std::size_t>(run, 4), u'M');
                break;
            case u'd':
                out.append(std::min<std::size_t>(run, 2), u'd');
                break;
            case u'E':
            case u'c':
                out += run >= 4 ? u"dddd" : u"ddd";
                break;
            default:
                if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'))
                    break;
                out.append(run, c);
                break;
        }
        i += run;
    }
    return out;
}

std::u16string DatePattern(const char* locale, UDateFormatStyle style) {
    UErrorCode status = U_ZERO_ERROR;
    UDateFormat* format = udat_open(UDAT_NONE, style, locale, nullptr, 0, nullptr, 0, &status);
    if (U_FAILURE(status))
        return {};
    UChar buffer[256];
    status = U_ZERO_ERROR;
    const int32_t n = udat_toPattern(format, false, buffer, 256, &status);
    udat_close(format);
    if (U_FAILURE(status) || status == U_STRING_NOT_TERMINATED_WARNING || n <= 0)
        return {};
    return PatternToPicture(std::u16string(reinterpret_cast<const char16_t*>(buffer), static_cast<std::size_t>(n)));
}

}  // namespace

std::string LanguageDisplayName(std::uint32_t languageId) {
    char name[ULOC_FULLNAME_CAPACITY];
    if (!LocaleOfLanguage(languageId, name))
        return {};
    // ICU answers an unknown sublanguage with its language alone; only a
    // locale that maps back to the same id is this language's own.
    if (uloc_getLCID(name) != languageId)
        return {};
    UChar display[256];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = uloc_getDisplayName(name, "en", display, 256, &status);
    if (U_FAILURE(status) || status == U_STRING_NOT_TERMINATED_WARNING || length <= 0)
        return {};
    return Utf16ToUtf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(display), static_cast<std::size_t>(length)));
}

bool GetDateNames(std::uint32_t languageId, TDateNames& names) {
    char name[ULOC_FULLNAME_CAPACITY];
    bool known = LocaleOfLanguage(languageId, name);
    if (!known && languageId < 0x400)
        known = LocaleOfLanguage(languageId | 0x400, name);
    if (!known)
        std::snprintf(name, sizeof(name), "%s", "en_US");
    UErrorCode status = U_ZERO_ERROR;
    UDateFormat* format = udat_open(UDAT_DEFAULT, UDAT_DEFAULT, name, nullptr, 0, nullptr, 0, &status);
    if (U_FAILURE(status))
        return false;
    for (int i = 0; i < 12; ++i) {
        names.Months[i] = Symbol(format, UDAT_MONTHS, i);
        names.StandaloneMonths[i] = Symbol(format, UDAT_STANDALONE_MONTHS, i);
        names.ShortMonths[i] = Symbol(format, UDAT_SHORT_MONTHS, i);
    }
    // ICU counts weekdays from 1 (Sunday).
    for (int i = 0; i < 7; ++i) {
        names.Days[i] = Symbol(format, UDAT_WEEKDAYS, i + 1);
        names.ShortDays[i] = Symbol(format, UDAT_SHORT_WEEKDAYS, i + 1);
    }
    names.AmPm[0] = Symbol(format, UDAT_AM_PMS, 0);
    names.AmPm[1] = Symbol(format, UDAT_AM_PMS, 1);
    udat_close(format);
    names.ShortDatePicture = DatePattern(name, UDAT_SHORT);
    names.LongDatePicture = DatePattern(name, UDAT_FULL);
    return known;
}

}  // namespace Platform
