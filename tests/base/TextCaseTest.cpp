#include "base/text/TextCase.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/text/CompareLocale.h"

namespace {

// Installs AutoCorrect flags for French while it lives.
class TFrenchFlags {
public:
    explicit TFrenchFlags(std::int32_t flags)
        : Previous(SetAutocorrectFlagsHook(
              [flags](std::uint16_t language) { return (language & 0x3FF) == 0x0C ? flags : 0; })) {}
    ~TFrenchFlags() { SetAutocorrectFlagsHook(Previous); }

private:
    TAutocorrectFlagsHook Previous;
};

std::string UpperForLanguage(std::uint16_t language, const std::string& s) {
    std::string out(s.size(), '\0');
    UpperCaseForLanguage(language, s.data(), out.data(), static_cast<std::int32_t>(s.size()));
    return out;
}

TEST(TextCaseTest, CharactersMapUnderTheCurrentLocale) {
    struct Case {
        const char* name;
        std::uint32_t locale;
        char c, upper, lower;
    };
    const Case cases[] = {
        {"ASCII", 0x409, 'q', 'Q', 'q'},
        {"Western accent", 0x409, '\xE9', '\xC9', '\xE9'},
        {"capital moves to 0x9F", 0x409, '\xFF', '\x9F', '\xFF'},
        {"sharp s stays", 0x407, '\xDF', '\xDF', '\xDF'},
        {"micro has no capital in 1252", 0x409, '\xB5', '\xB5', '\xB5'},
        {"Cyrillic ya", 0x419, '\xFF', '\xDF', '\xFF'},
        {"Turkish i", 0x41F, 'i', '\xDD', 'i'},
        {"Turkish I", 0x41F, 'I', 'I', '\xFD'},
        {"digit", 0x409, '5', '5', '5'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TCompareLocaleScope scope(c.locale);
        EXPECT_EQ(UpperCharLocale(c.c), c.upper);
        EXPECT_EQ(LowerCharLocale(c.c), c.lower);
        EXPECT_EQ(UpperCharInLocale(c.locale, c.c), c.upper);
        EXPECT_EQ(LowerCharInLocale(c.locale, c.c), c.lower);
    }
    // An explicit locale does not depend on the current one.
    const TCompareLocaleScope english(0x409);
    EXPECT_EQ(UpperCharInLocale(0x41F, 'i'), '\xDD');
    EXPECT_EQ(UpperCharInLocale(0x419, '\xE0'), '\xC0');
    EXPECT_EQ(UpperWideCharLocale(u'\u00DF'), u'\u00DF');
    EXPECT_EQ(LowerWideCharLocale(u'\u0410'), u'\u0430');
}

TEST(TextCaseTest, CaseClassesAndMatching) {
    const TCompareLocaleScope scope(0x409);
    EXPECT_TRUE(IsLowerCaseChar('a'));
    EXPECT_FALSE(IsUpperCaseChar('a'));
    EXPECT_TRUE(IsUpperCaseChar('\xC9'));
    EXPECT_FALSE(IsCasedChar('7'));
    EXPECT_FALSE(IsCasedChar('\xDF'));  // sharp s has no one-character capital
    EXPECT_TRUE(IsCasedWideChar(u'\u03A9'));
    EXPECT_TRUE(IsLowerCaseWideChar(u'\u03C9'));
    EXPECT_FALSE(IsCasedWideChar(u'\u65E5'));

    EXPECT_EQ(MatchCharCase('A', 'b'), 'B');
    EXPECT_EQ(MatchCharCase('a', 'B'), 'b');
    EXPECT_EQ(MatchCharCase('1', 'B'), 'b');  // a model without case asks for lower case
}

TEST(TextCaseTest, WholeStringsKeepTheirLength) {
    const TCompareLocaleScope scope(0x407);
    EXPECT_EQ(UpperCaseLocale("stra\337e"), "STRA\337E");  // sharp s stays
    EXPECT_EQ(LowerCaseLocale("\xC4RGER"), "\xE4rger");
    EXPECT_EQ(UpperCaseWideLocale(u"stra\u00DFe"), u"STRA\u00DFE");
    EXPECT_EQ(LowerCaseWideLocale(u"\u00C4RGER"), u"\u00E4rger");
    EXPECT_EQ(UpperCaseLocale(""), "");
    EXPECT_EQ(LowerCaseWideLocale(u""), u"");
    // Zero bytes are text like any other.
    EXPECT_EQ(UpperCaseLocale(std::string("a\0b", 3)), std::string("A\0B", 3));
}

TEST(TextCaseTest, CasePatternsOfWords) {
    struct Case {
        const char* word;
        bool allLower, allUpper, capitalized, mixed;
    };
    // clang-format off
    const Case cases[] = {
        // word         all lower  all upper  capitalised  mixed
        {"hello",       true,      false,     false,       false},
        {"Hello",       false,     false,     true,        false},
        {"HELLO",       false,     true,      false,       false},
        {"iPod",        false,     false,     false,       true},
        {"McDonald",    false,     false,     false,       true},
        {"HEllo",       false,     false,     false,       true},
        {"H",           false,     true,      true,        false},
        {"1aB",         false,     false,     false,       false},  // starts with a non-letter
        {"12345",       true,      true,      false,       false},
        {"",            true,      true,      false,       false},
        {"\xC9t\xE9",   false,     false,     true,        false},  // Windows-1252 accents
        {"\xE9T\xC9",   false,     false,     false,       true},
    };
    // clang-format on
    const TCompareLocaleScope scope(0x409);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        EXPECT_EQ(IsAllLowerCase(c.word), c.allLower);
        EXPECT_EQ(IsAllUpperCase(c.word), c.allUpper);
        EXPECT_EQ(IsCapitalizedWord(c.word), c.capitalized);
        EXPECT_EQ(IsMixedCaseWord(c.word), c.mixed);
        // The wide forms agree on the same letters (Windows-1252 is Latin-1
        // from 0xA0 up).
        std::u16string wide;
        for (const char ch : std::string(c.word))
            wide += static_cast<char16_t>(static_cast<unsigned char>(ch));
        EXPECT_EQ(IsAllLowerCaseWide(wide), c.allLower);
        EXPECT_EQ(IsAllUpperCaseWide(wide), c.allUpper);
        EXPECT_EQ(IsCapitalizedWordWide(wide), c.capitalized);
    }
}

TEST(TextCaseTest, PartsOfATextAreTestedOneByOne) {
    struct Case {
        const char* text;
        bool capitalized, mixed;
    };
    const Case cases[] = {
        {"jean-Luc", true, false},  {"jean-luc", false, false},  {"l'Eau", true, false}, {"the iPod", false, true},
        {"x Yz", true, false},      {"a  b", false, false},      {"-", false, false},    {"", false, false},
        {"JEAN-luc", false, false}, {"mcDonald's", false, true},
    };
    const TCompareLocaleScope scope(0x409);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(HasCapitalizedWord(c.text), c.capitalized);
        EXPECT_EQ(HasMixedCaseWord(c.text), c.mixed);
        const std::string s(c.text);
        EXPECT_EQ(HasCapitalizedWordWide(std::u16string(s.begin(), s.end())), c.capitalized);
    }
    // Only the three separators split: a non-breaking space does not.
    EXPECT_FALSE(HasCapitalizedWordWide(u"ab\u00A0Cd"));
}

TEST(TextCaseTest, TurkishCasePatterns) {
    const TCompareLocaleScope scope(0x41F);
    EXPECT_TRUE(IsCapitalizedWord("\xDDstanbul"));
    EXPECT_TRUE(IsAllUpperCase("ISPARTA"));
    EXPECT_TRUE(IsAllLowerCase("\xFDs\xFD"));
}

TEST(TextCaseTest, UpperCaseForLanguageUsesTheLanguageAndTheFrenchOption) {
    const TCompareLocaleScope english(0x409);  // the language decides, not the current locale
    EXPECT_EQ(UpperForLanguage(0x41F, "istanbul"), "\xDDSTANBUL");
    EXPECT_EQ(UpperForLanguage(0x40C, "\xE9t\xE9"), "\xC9T\xC9");
    {
        const TFrenchFlags plainCapitals(acfFrenchPlainCapitals);
        EXPECT_EQ(UpperForLanguage(0x40C, "\xE9t\xE9 \xE0 l'\xEEle"), "ETE A L'ILE");
        EXPECT_EQ(UpperForLanguage(0xC0C, "\xE9"), "E");  // every French sublanguage
        EXPECT_EQ(UpperForLanguage(0x407, "\xE9"), "\xC9");
    }
    {
        const TFrenchFlags otherFlags(acfFrenchPlainCapitals ^ 0xFF);
        EXPECT_EQ(UpperForLanguage(0x40C, "\xE9"), "\xC9");
    }
    char inPlace[] = "\xE9t\xE9";
    UpperCaseForLanguage(0x40C, inPlace, inPlace, 3);
    EXPECT_STREQ(inPlace, "\xC9T\xC9");
}

TEST(TextCaseTest, SameTextUpperForLanguage) {
    auto same = [](std::uint16_t language, const std::string& a, const std::string& b) {
        return SameTextUpperForLanguage(language, a.data(), b.data(), static_cast<std::int32_t>(a.size()),
                                        static_cast<std::int32_t>(b.size()));
    };
    EXPECT_TRUE(same(0x409, "Hello", "hELLO"));
    EXPECT_TRUE(same(0x41F, "i", "\xDD"));
    EXPECT_FALSE(same(0x41F, "i", "I"));
    EXPECT_FALSE(same(0x409, "ab", "abc"));
    EXPECT_TRUE(same(0x409, "", ""));
    EXPECT_FALSE(same(0x40C, "\xE9t\xE9", "ETE"));
    {
        const TFrenchFlags plainCapitals(acfFrenchPlainCapitals);
        EXPECT_TRUE(same(0x40C, "\xE9t\xE9", "ETE"));
    }
    // Longer than the stack buffers.
    const std::string lower(300, 'x'), upper(300, 'X');
    EXPECT_TRUE(same(0x409, lower, upper));
    EXPECT_FALSE(same(0x409, lower, upper.substr(0, 299) + "Y"));
}

TEST(TextCaseTest, StripCapitalAccents) {
    const std::string accented = "\xC0\xC1\xC2\xC8\xC9\xCA\xCC\xCD\xCE\xD2\xD3\xD4\xD9\xDA\xDB";
    std::string out(accented.size(), '\0');
    StripCapitalAccents(accented.data(), out.data(), static_cast<std::int32_t>(accented.size()));
    EXPECT_EQ(out, "AAAEEEIIIOOOUUU");

    // Small letters and other capitals (C cedilla, A diaeresis) stay.
    char text[] = "\xE9\xC7\xC4Z\xC9";
    StripCapitalAccents(text, text, 5);
    EXPECT_STREQ(text, "\xE9\xC7\xC4ZE");

    std::u16string wide = u"\u00C9\u00E9\u00C7\u0100\u00DB\u0C09";
    StripCapitalAccentsWide(wide.data(), wide.data(), static_cast<std::int32_t>(wide.size()));
    EXPECT_EQ(wide, u"E\u00E9\u00C7\u0100U\u0C09");
}

}  // namespace
