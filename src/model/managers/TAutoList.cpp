#include "model/managers/TAutoList.h"

#include <cstring>

#include "base/core/ObjectHandles.h"
#include "base/text/NumberWords.h"

namespace {

bool LevelsEqual(const TListLevel& a, const TListLevel& b, std::uint32_t flags) {
    if (a.NumberFormat != b.NumberFormat)
        return false;
    if (flags & aleFormatsOnly)
        return true;
    if (!(flags & aleIgnoreStart) && a.StartValue != b.StartValue)
        return false;
    // Formats compare byte by byte: a list keeps exactly what it was given.
    return std::memcmp(&a.CharFormat, &b.CharFormat, sizeof(TCharFormat)) == 0 &&
           std::memcmp(&a.ParFormat, &b.ParFormat, sizeof(TParFormat)) == 0 && a.Alignment == b.Alignment &&
           a.LabelText == b.LabelText && a.FollowKind == b.FollowKind && a.NumberingFlags[0] == b.NumberingFlags[0] &&
           a.NumberingFlags[1] == b.NumberingFlags[1] && PictureBulletsEqual(a.PictureBullet, b.PictureBullet);
}

bool IsAsciiLower(char16_t c) {
    return c >= u'a' && c <= u'z';
}
bool IsAsciiUpper(char16_t c) {
    return c >= u'A' && c <= u'Z';
}

}  // namespace

TPictureBulletHooks& PictureBulletHooks() {
    static TPictureBulletHooks hooks;
    return hooks;
}

TAutoList::~TAutoList() {
    ReleaseObjectHandle(this);
}

void TAutoList::Assign(const TAutoList& source) {
    if (&source == this)
        return;
    SingleLevel = source.SingleLevel;
    for (int i = 0; i < 9; ++i)
        Levels[i] = source.Levels[i];
}

int TAutoList::Kind() const {
    if (!IsSingleLevel())
        return 2;
    return IsBulletFormat(Levels[0].NumberFormat) ? 0 : 1;
}

bool TAutoList::LevelIsBullet(std::int32_t level) const {
    if (IsSingleLevel() || level < 0 || level > 8)
        level = 0;
    return IsBulletFormat(Levels[level].NumberFormat);
}

bool TAutoList::HasNoNumberedLevel() const {
    for (std::int32_t i = 0; i < UsedLevelCount(); ++i)
        if (!LevelIsBullet(i))
            return false;
    return true;
}

bool AutoListLevelIsNumbered(const TAutoList& list, std::int32_t level) {
    return !list.LevelIsBullet(level);
}

bool AutoListsEqual(const TAutoList& a, const TAutoList& b, std::uint32_t flags) {
    if (a.SingleLevel != b.SingleLevel)
        return false;
    for (std::int32_t i = 0; i < a.UsedLevelCount(); ++i)
        if (!LevelsEqual(a.Levels[i], b.Levels[i], flags))
            return false;
    return true;
}

bool PictureBulletsEqual(const TShape* a, const TShape* b) {
    if (a == nullptr || b == nullptr)
        return a == b;
    if (a == b)
        return true;
    const auto& hook = PictureBulletHooks().SamePicture;
    return hook ? hook(*a, *b) : false;
}

std::string LevelNumbersOfLevelText(std::u16string_view labelText) {
    std::string out;
    for (char16_t level = 0; level <= 8; ++level) {
        const std::size_t at = labelText.find(level);
        // RTF keeps the positions in single bytes; later ones cannot be said.
        if (at != std::u16string_view::npos && at < 255)
            out += static_cast<char>(at + 1);
    }
    return out;
}

bool RecognizeTypedListNumber(std::u16string_view text,
                              std::u16string& labelText,
                              std::vector<TListNumberReading>& readings) {
    readings.clear();
    labelText.clear();
    if (text.size() < 2 || (text.back() != u')' && text.back() != u'.'))
        return false;
    const bool parenthesised = text.front() == u'(';
    if (parenthesised && text.back() != u')')
        return false;
    std::u16string_view rest = text.substr(0, text.size() - 1);
    if (parenthesised)
        rest.remove_prefix(1);
    if (rest.empty())
        return false;

    bool decimal = true;
    std::int64_t n = 0;
    for (char16_t c : rest) {
        if (c < u'0' || c > u'9' || n > 0x7FFFFFFF) {
            decimal = false;
            break;
        }
        n = n * 10 + (c - u'0');
    }
    if (decimal && n <= 0x7FFFFFFF) {
        const auto value = static_cast<std::int32_t>(n);
        if (rest.size() == 2 && rest[0] == u'0') {
            readings.push_back({lnLeadingZero, value});
        } else {
            readings.push_back({lnArabic, value});
            if (rest.size() > 1)
                readings.push_back({lnLeadingZero, value});
        }
    } else if (!decimal) {
        std::string upper;
        bool allLower = true;
        bool ascii = true;
        for (char16_t c : rest) {
            if (!IsAsciiLower(c) && !IsAsciiUpper(c)) {
                ascii = false;
                break;
            }
            allLower = allLower && IsAsciiLower(c);
            upper += static_cast<char>(IsAsciiLower(c) ? c - u'a' + u'A' : c);
        }
        if (ascii) {
            // Only numerals in their usual form count: "dim" and "iiii" are
            // words, not numbers.
            const std::int32_t roman = upper.size() <= 16 ? RomanToInt(upper, 0) : 0;
            if (roman > 0 && RomanNumeral(roman) == upper)
                readings.push_back({allLower ? lnLowerRoman : lnUpperRoman, roman});
            bool repeated = true;
            for (char16_t c : rest)
                repeated = repeated && c == rest[0];
            if (repeated && rest.size() <= 1000) {
                const auto k = static_cast<std::int32_t>(rest.size());
                const std::int32_t index = (upper[0] - 'A' + 1) + 26 * (k - 1);
                readings.push_back({IsAsciiUpper(rest[0]) ? lnUpperLetter : lnLowerLetter, index});
            }
        }
    }
    if (readings.empty())
        return false;
    // The typed text with its number part replaced by the level-0
    // placeholder.
    const char16_t label[3] = {u'(', u'\0', text.back()};
    labelText.assign(parenthesised ? label : label + 1, parenthesised ? 3 : 2);
    return true;
}

bool IsBulletFormat(std::int32_t numberFormat) {
    return numberFormat >= 23 && numberFormat != 255;
}

bool IsNumberFormat(std::int32_t numberFormat) {
    return !IsBulletFormat(numberFormat);
}
