#include "base/text/TextCase.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#include "base/text/CompareLocale.h"
#include "platform/Collation.h"

namespace {

TAutocorrectFlagsHook& FlagsHook() {
    static TAutocorrectFlagsHook* hook = new TAutocorrectFlagsHook;
    return *hook;
}

unsigned char Byte(char c) {
    return static_cast<unsigned char>(c);
}

// The case tests of one character type, so that the word patterns below
// are written once for bytes and for UTF-16.
struct TByteCase {
    static bool IsUpper(char c) { return IsUpperCaseChar(c); }
    static bool IsLower(char c) { return IsLowerCaseChar(c); }
};

struct TWideCase {
    static bool IsUpper(char16_t c) { return IsUpperCaseWideChar(c); }
    static bool IsLower(char16_t c) { return IsLowerCaseWideChar(c); }
};

template <class Case, class View>
bool AllLower(View s) {
    for (std::size_t i = s.size(); i-- > 0;)
        if (Case::IsUpper(s[i]))
            return false;
    return true;
}

template <class Case, class View>
bool AllUpper(View s) {
    for (std::size_t i = s.size(); i-- > 0;)
        if (Case::IsLower(s[i]))
            return false;
    return true;
}

template <class Case, class View>
bool Capitalized(View s) {
    return !s.empty() && Case::IsUpper(s[0]) && AllLower<Case>(s.substr(1));
}

template <class Case, class View>
bool MixedCase(View s) {
    if (s.empty())
        return false;
    std::size_t upper = 0, lower = 0;
    for (auto c : s) {
        upper += Case::IsUpper(c);
        lower += Case::IsLower(c);
    }
    if (upper == 0 || lower == 0)
        return false;
    return Case::IsLower(s[0]) || (Case::IsUpper(s[0]) && upper > 1);
}

// Whether some part of s passes test; parts are separated by space,
// apostrophe and hyphen, and an empty part never passes.
template <class View, class Test>
bool SomePart(View s, Test test) {
    std::size_t start = 0;
    for (std::size_t i = 0; i <= s.size(); ++i) {
        if (i < s.size()) {
            const auto c = s[i];
            if (c != ' ' && c != '\'' && c != '-')
                continue;
        }
        if (i > start && test(s.substr(start, i - start)))
            return true;
        start = i + 1;
    }
    return false;
}

// Windows-1252 capitals with accents (sorted by byte value) and their plain
// letters.
constexpr unsigned char kAccentedCapitals[] = {0xC0, 0xC1, 0xC2, 0xC8, 0xC9, 0xCA, 0xCC, 0xCD,
                                               0xCE, 0xD2, 0xD3, 0xD4, 0xD9, 0xDA, 0xDB};
constexpr char kPlainCapitals[] = "AAAEEEIIIOOOUUU";

// The plain capital of code (a byte or a UTF-16 code unit), or 0.
char PlainCapital(unsigned code) {
    const auto* end = std::end(kAccentedCapitals);
    const auto* found = std::lower_bound(std::begin(kAccentedCapitals), end, code,
                                         [](unsigned char key, unsigned value) { return key < value; });
    if (found == end || *found != code)
        return 0;
    return kPlainCapitals[found - std::begin(kAccentedCapitals)];
}

}  // namespace

char LowerCharLocale(char c) {
    return LowerCharInLocale(CompareLocale(), c);
}

char UpperCharLocale(char c) {
    return UpperCharInLocale(CompareLocale(), c);
}

char LowerCharInLocale(std::uint32_t locale, char c) {
    return static_cast<char>(Platform::LowerByteInLocale(locale, Byte(c)));
}

char UpperCharInLocale(std::uint32_t locale, char c) {
    return static_cast<char>(Platform::UpperByteInLocale(locale, Byte(c)));
}

char16_t LowerWideCharLocale(char16_t c) {
    return Platform::LowerWideCharInLocale(CompareLocale(), c);
}

char16_t UpperWideCharLocale(char16_t c) {
    return Platform::UpperWideCharInLocale(CompareLocale(), c);
}

bool IsLowerCaseChar(char c) {
    return UpperCharLocale(c) != c;
}

bool IsUpperCaseChar(char c) {
    return LowerCharLocale(c) != c;
}

bool IsCasedChar(char c) {
    return IsLowerCaseChar(c) || IsUpperCaseChar(c);
}

bool IsLowerCaseWideChar(char16_t c) {
    return UpperWideCharLocale(c) != c;
}

bool IsUpperCaseWideChar(char16_t c) {
    return LowerWideCharLocale(c) != c;
}

bool IsCasedWideChar(char16_t c) {
    return IsLowerCaseWideChar(c) || IsUpperCaseWideChar(c);
}

char MatchCharCase(char model, char c) {
    return IsUpperCaseChar(model) ? UpperCharLocale(c) : LowerCharLocale(c);
}

std::string LowerCaseLocale(std::string_view s) {
    std::string out(s.size(), '\0');
    Platform::LowerCaseBytesInLocale(CompareLocale(), s.data(), out.data(), s.size());
    return out;
}

std::string UpperCaseLocale(std::string_view s) {
    std::string out(s.size(), '\0');
    Platform::UpperCaseBytesInLocale(CompareLocale(), s.data(), out.data(), s.size());
    return out;
}

std::u16string LowerCaseWideLocale(std::u16string_view w) {
    return Platform::LowerCaseWideInLocale(CompareLocale(), w);
}

std::u16string UpperCaseWideLocale(std::u16string_view w) {
    return Platform::UpperCaseWideInLocale(CompareLocale(), w);
}

bool IsAllLowerCase(std::string_view s) {
    return AllLower<TByteCase>(s);
}

bool IsAllLowerCaseWide(std::u16string_view w) {
    return AllLower<TWideCase>(w);
}

bool IsAllUpperCase(std::string_view s) {
    return AllUpper<TByteCase>(s);
}

bool IsAllUpperCaseWide(std::u16string_view w) {
    return AllUpper<TWideCase>(w);
}

bool IsCapitalizedWord(std::string_view s) {
    return Capitalized<TByteCase>(s);
}

bool IsCapitalizedWordWide(std::u16string_view w) {
    return Capitalized<TWideCase>(w);
}

bool IsMixedCaseWord(std::string_view s) {
    return MixedCase<TByteCase>(s);
}

bool HasCapitalizedWord(std::string_view s) {
    return SomePart(s, [](std::string_view part) { return IsCapitalizedWord(part); });
}

bool HasCapitalizedWordWide(std::u16string_view w) {
    return SomePart(w, [](std::u16string_view part) { return IsCapitalizedWordWide(part); });
}

bool HasMixedCaseWord(std::string_view s) {
    return SomePart(s, [](std::string_view part) { return IsMixedCaseWord(part); });
}

void UpperCaseForLanguage(std::uint16_t language, const char* src, char* dst, std::int32_t n) {
    if (n <= 0)
        return;
    Platform::UpperCaseBytesInLocale(language, src, dst, static_cast<std::size_t>(n));
    const TAutocorrectFlagsHook& hook = FlagsHook();
    if ((language & 0x3FF) == 0x0C && hook && (hook(language) & acfFrenchPlainCapitals) != 0)
        StripCapitalAccents(dst, dst, n);
}

bool SameTextUpperForLanguage(std::uint16_t language,
                              const char* s1,
                              const char* s2,
                              std::int32_t len1,
                              std::int32_t len2) {
    if (len1 != len2)
        return false;
    if (len1 <= 0)
        return true;
    // Words are short: two stack buffers serve nearly every call.
    char small[2][128];
    std::unique_ptr<char[]> large;
    char* u1 = small[0];
    char* u2 = small[1];
    if (len1 > static_cast<std::int32_t>(sizeof(small[0]))) {
        large.reset(new char[2 * static_cast<std::size_t>(len1)]);
        u1 = large.get();
        u2 = u1 + len1;
    }
    UpperCaseForLanguage(language, s1, u1, len1);
    UpperCaseForLanguage(language, s2, u2, len1);
    return std::memcmp(u1, u2, static_cast<std::size_t>(len1)) == 0;
}

void StripCapitalAccents(const char* src, char* dst, std::int32_t n) {
    for (std::int32_t i = 0; i < n; ++i) {
        const char plain = PlainCapital(Byte(src[i]));
        dst[i] = plain != 0 ? plain : src[i];
    }
}

void StripCapitalAccentsWide(const char16_t* src, char16_t* dst, std::int32_t n) {
    for (std::int32_t i = 0; i < n; ++i) {
        const char plain = src[i] <= 0xFF ? PlainCapital(src[i]) : 0;
        dst[i] = plain != 0 ? static_cast<char16_t>(plain) : src[i];
    }
}

TAutocorrectFlagsHook SetAutocorrectFlagsHook(TAutocorrectFlagsHook hook) {
    return std::exchange(FlagsHook(), std::move(hook));
}
