#include "model/fields/FieldFormats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "base/text/NumberWords.h"
#include "model/formats/DocConstants.h"
#include "model/managers/TLangManager.h"
#include "platform/Languages.h"

namespace {

std::string LowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// Letters for n, the repetition cut at MaxRepeatedNumberChars.
std::string Letters(std::int32_t n) {
    if (n <= 0)
        return {};
    const std::int32_t repeat = (n - 1) / 26 + 1;
    if (repeat > MaxRepeatedNumberChars)
        n = (MaxRepeatedNumberChars - 1) * 26 + (n - 1) % 26 + 1;
    return AlphabeticNumber(n);
}

// Roman numerals for n, the thousands cut the same way.
std::string Roman(std::int32_t n) {
    if (n <= 0)
        return {};
    if (n / 1000 > MaxRepeatedNumberChars)
        n = MaxRepeatedNumberChars * 1000 + n % 1000;
    return RomanNumeral(n);
}

TFieldDateFormatHook& DateFormatHook() {
    static TFieldDateFormatHook hook;
    return hook;
}

// The names of a language, asked of the locale data once per language.
const Platform::TDateNames& NamesOf(std::int32_t language) {
    static std::map<std::int32_t, Platform::TDateNames> cache;
    auto it = cache.find(language);
    if (it == cache.end()) {
        Platform::TDateNames names;
        Platform::GetDateNames(static_cast<std::uint32_t>(language), names);
        it = cache.emplace(language, std::move(names)).first;
    }
    return it->second;
}

std::u16string Digits(int value, bool twoDigits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, twoDigits ? "%02d" : "%d", value);
    return std::u16string(buffer, buffer + std::char_traits<char>::length(buffer));
}

struct TDateParts {
    int Year = 0, Month = 1, Day = 1, Hour = 0, Minute = 0, Second = 0, WeekDay = 0;  // Sunday 0
};

// Whether a picture names the day of the month, in which case month names
// take the form they have inside a date.
bool HasDayOfMonth(std::u16string_view picture) {
    for (std::size_t i = 0; i < picture.size();) {
        if (picture[i] == u'\'') {
            const std::size_t close = picture.find(u'\'', i + 1);
            i = close == std::u16string_view::npos ? picture.size() : close + 1;
            continue;
        }
        std::size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == picture[i])
            ++run;
        if (picture[i] == u'd' && run <= 2)
            return true;
        i += run;
    }
    return false;
}

void FormatParts(std::u16string& out,
                 std::u16string_view picture,
                 const Platform::TDateNames& names,
                 const TDateParts& p,
                 int depth) {
    const bool dayInDate = HasDayOfMonth(picture);
    const std::u16string& marker = names.AmPm[p.Hour >= 12 ? 1 : 0];
    for (std::size_t i = 0; i < picture.size();) {
        const char16_t c = picture[i];
        if (c == u'\'') {
            // Quoted text; two quotes stand for one.
            std::size_t j = i + 1;
            if (j < picture.size() && picture[j] == u'\'') {
                out += u'\'';
                i = j + 1;
                continue;
            }
            for (; j < picture.size(); ++j) {
                if (picture[j] != u'\'') {
                    out += picture[j];
                } else if (j + 1 < picture.size() && picture[j + 1] == u'\'') {
                    out += u'\'';
                    ++j;
                } else {
                    break;
                }
            }
            i = j + 1;
            continue;
        }
        const std::u16string_view rest = picture.substr(i);
        if (rest.starts_with(u"AM/PM") || rest.starts_with(u"am/pm")) {
            std::u16string text = marker;
            for (char16_t& ch : text)
                if (c == u'a' && ch >= u'A' && ch <= u'Z')
                    ch = static_cast<char16_t>(ch - u'A' + u'a');
            out += text;
            i += 5;
            continue;
        }
        if (rest.starts_with(u"A/P") || rest.starts_with(u"a/p")) {
            if (!marker.empty()) {
                char16_t ch = marker[0];
                if (c == u'a' && ch >= u'A' && ch <= u'Z')
                    ch = static_cast<char16_t>(ch - u'A' + u'a');
                out += ch;
            }
            i += 3;
            continue;
        }
        std::size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c)
            ++run;
        switch (c) {
            case u'd':
                if (run <= 2) {
                    out += Digits(p.Day, run == 2);
                } else if (run == 3) {
                    out += names.ShortDays[p.WeekDay];
                } else if (run == 4) {
                    out += names.Days[p.WeekDay];
                } else if (depth == 0) {
                    // The short and long date forms hold no date forms of
                    // their own, so one level of expansion is enough.
                    FormatParts(out, run == 5 ? names.ShortDatePicture : names.LongDatePicture, names, p, 1);
                }
                break;
            case u'M':
                if (run <= 2)
                    out += Digits(p.Month, run == 2);
                else if (run == 3)
                    out += names.ShortMonths[p.Month - 1];
                else
                    out += dayInDate ? names.Months[p.Month - 1] : names.StandaloneMonths[p.Month - 1];
                break;
            case u'y':
                out += run <= 2 ? Digits(p.Year % 100, run == 2) : Digits(p.Year, false);
                break;
            case u'h':
                out += Digits(p.Hour % 12 == 0 ? 12 : p.Hour % 12, run >= 2);
                break;
            case u'H':
                out += Digits(p.Hour, run >= 2);
                break;
            case u'm':
                out += Digits(p.Minute, run >= 2);
                break;
            case u's':
                out += Digits(p.Second, run >= 2);
                break;
            case u't':
                out += run >= 2 ? marker : marker.substr(0, 1);
                break;
            default:
                out.append(run, c);
                break;
        }
        i += run;
    }
}

}  // namespace

std::string FormatNumberStyle(std::int32_t n, std::int32_t style) {
    switch (style) {
        case nsLowerLetter:
            return LowerAscii(Letters(n));
        case nsUpperLetter:
            return Letters(n);
        case nsLowerRoman:
            return LowerAscii(Roman(n));
        case nsUpperRoman:
            return Roman(n);
        default:
            return std::to_string(n);
    }
}

std::string FormatPageNumber(std::int32_t n, std::int32_t pageNumberFormat) {
    switch (pageNumberFormat) {
        case 0:
            return FormatNumberStyle(n, nsArabic);
        case 1:
            return FormatNumberStyle(n, nsUpperRoman);
        case 2:
            return FormatNumberStyle(n, nsLowerRoman);
        case 3:
            return FormatNumberStyle(n, nsUpperLetter);
        case 4:
            return FormatNumberStyle(n, nsLowerLetter);
        default:
            break;
    }
    if (n <= 0)
        return {};
    const std::int32_t repeat = std::min((n - 1) / 4 + 1, MaxRepeatedNumberChars);
    return std::string(static_cast<std::size_t>(repeat), NoteSymbols[(n - 1) % 4]);
}

std::u16string FormatDatePicture(std::u16string_view picture, std::int32_t language, TDateTime dateTime) {
    if (!std::isfinite(dateTime) || std::fabs(dateTime) > 3000000.0)
        return {};
    TDateParts p;
    int ms = 0;
    DecodeDate(dateTime, p.Year, p.Month, p.Day);
    DecodeTime(dateTime, p.Hour, p.Minute, p.Second, ms);
    p.Month = std::clamp(p.Month, 1, 12);
    // Day 0 (30 December 1899) was a Saturday; the whole part counts days
    // on either side of it.
    const auto day = static_cast<std::int64_t>(std::trunc(dateTime));
    p.WeekDay = static_cast<int>(((day % 7) + 7 + 6) % 7);
    std::u16string out;
    FormatParts(out, picture, NamesOf(language), p, 0);
    return out;
}

void SetFieldDateFormatHook(TFieldDateFormatHook hook) {
    DateFormatHook() = std::move(hook);
}

std::u16string FieldDateFormat(std::int32_t language, bool time) {
    if (const TFieldDateFormatHook& hook = DateFormatHook())
        return hook(language, time);
    if (time)
        return u"HH:mm";
    if (language == 0 || language == 0x400 || language == UserInterfaceLanguage())
        return u"ddddd";
    static const char16_t* const firstRows[3] = {u"dd MMMM yyyy", u"MMMM dd, yyyy", u"dd/MM/yy"};
    return firstRows[DateStyleOfLanguage(language)];
}
