#include "base/text/CompareLocale.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <string_view>

namespace {

// Every test leaves the stack as it found it.
class CompareLocaleTest : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_EQ(CompareLocaleDepth(), 0);
        EXPECT_EQ(CompareLocale(), 0x400u);
    }
};

TEST_F(CompareLocaleTest, PushChoosesTheLocaleAndPopRestoresIt) {
    struct Case {
        std::uint32_t pushed, current;
    };
    const Case cases[] = {
        {0, 0x400},                                          // no language: the user's default
        {0x7F, 0x400},                                       // below 0x400 as well
        {0x409, 0x409}, {0x41F, 0x41F}, {0x10407, 0x10407},  // a sort identifier is kept
        {0x476, 0x409},                                      // no sorting rules: English (United States)
        {0x493, 0x409}, {0x7FF, 0x409}, {0x492, 0x492},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pushed);
        PushCompareLocale(0x40C);
        PushCompareLocale(c.pushed);
        EXPECT_EQ(CompareLocale(), c.current);
        EXPECT_EQ(CompareLocaleDepth(), 2);
        PopCompareLocale();
        EXPECT_EQ(CompareLocale(), 0x40Cu);
        PopCompareLocale();
    }
}

TEST_F(CompareLocaleTest, NestedPushesRestoreInReverseOrder) {
    PushCompareLocale(0x407);
    PushCompareLocale(0x41F);
    PushCompareLocale(0);
    EXPECT_EQ(CompareLocale(), 0x400u);
    PopCompareLocale();
    EXPECT_EQ(CompareLocale(), 0x41Fu);
    PopCompareLocale();
    EXPECT_EQ(CompareLocale(), 0x407u);
    PopCompareLocale();
}

TEST_F(CompareLocaleTest, ScopePushesOnlyALanguageAndPopsOnEveryPath) {
    {
        const TCompareLocaleScope none(0);
        EXPECT_EQ(CompareLocaleDepth(), 0);
    }
    try {
        const TCompareLocaleScope turkish(0x41F);
        EXPECT_EQ(CompareLocale(), 0x41Fu);
        throw std::runtime_error("leaving early");
    } catch (const std::runtime_error&) {
    }
}

// The comparisons follow the locale that is current when they run.
TEST_F(CompareLocaleTest, ComparisonsFollowTheCurrentLocale) {
    using Compare = int (*)(std::string_view, std::string_view);
    const Compare text = [](std::string_view a, std::string_view b) { return CompareTextLocale(a, b); };
    const Compare exact = [](std::string_view a, std::string_view b) { return CompareLongStrLocale(a, b); };
    const Compare pchar = [](std::string_view a, std::string_view b) {
        return CompareTextPCharLocale(std::string(a).c_str(), std::string(b).c_str());
    };
    const Compare str = [](std::string_view a, std::string_view b) {
        return CompareStrLocale(std::string(a).c_str(), std::string(b).c_str());
    };
    struct Case {
        const char* name;
        std::uint32_t locale;
        Compare compare;
        std::string_view a, b;
        int expected;
    };
    const Case cases[] = {
        {"case ignored", 0x409, text, "Apple", "aPPLE", 0},
        {"case ignored (zero-terminated)", 0x409, pchar, "Apple", "aPPLE", 0},
        {"case respected", 0x409, exact, "apple", "Apple", -1},
        {"case respected (zero-terminated)", 0x409, str, "apple", "Apple", -1},
        // Windows-1252 e acute sorts after e and before f; case is ignored,
        // the accent is not.
        {"accent after base", 0x40C, str, "e", "\xE9", -1},
        {"accent before next", 0x40C, str, "\xE9", "f", -1},
        {"accented capital", 0x40C, pchar, "\xE9t\xE9", "\xC9T\xC9", 0},
        {"accent counts", 0x40C, text, "ete", "\xE9t\xE9", -1},
        // The code page follows the language: capital and small ya in
        // Windows-1251 are sharp s and y diaeresis in Windows-1252.
        {"Cyrillic code page", 0x419, text, "\xDF", "\xFF", 0},
        {"Western code page", 0x409, text, "\xDF", "\xFF", -1},
        // Turkish: I is the capital of dotless i (0xFD in Windows-1254).
        {"Turkish I", 0x41F, text, "I", "\xFD", 0},
        {"Turkish i", 0x41F, text, "i", "I", 1},
        {"English i", 0x409, text, "i", "I", 0},
        // String sort: punctuation sorts as an ordinary character.
        {"hyphen as character", 0x409, text, "co-op", "cook", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TCompareLocaleScope scope(c.locale);
        EXPECT_EQ(c.compare(c.a, c.b), c.expected);
        EXPECT_EQ(c.compare(c.b, c.a), -c.expected);
    }
}

TEST_F(CompareLocaleTest, WordSortLetsHyphensAndApostrophesWeighLess) {
    const TCompareLocaleScope scope(0x409);
    EXPECT_EQ(CompareTextWordSort("co-op", "cook"), 1);
    EXPECT_EQ(CompareTextWordSort("can't", "cane"), 1);
    EXPECT_EQ(CompareTextWordSort("CO-OP", "co-op"), 0);
    EXPECT_NE(CompareTextWordSort("coop", "co-op"), 0);
}

TEST_F(CompareLocaleTest, ExtentsOfTheComparisons) {
    const TCompareLocaleScope scope(0x409);
    // Zero-terminated forms stop at the first zero byte; the forms with
    // lengths see what follows it.
    const std::string_view a("ab\0c", 4), b("ab\0d", 4);
    EXPECT_EQ(CompareStrLocale(a.data(), b.data()), 0);
    EXPECT_EQ(CompareLongStrLocale(a, b), -1);
    EXPECT_EQ(CompareTextLocale(a, b), -1);

    // The N forms compare the first N characters of each.
    EXPECT_EQ(CompareTextLocaleN("ABCx", "abcy", 3), 0);
    EXPECT_EQ(CompareTextLocaleN("ABCx", "abcy", 4), -1);
    EXPECT_EQ(CompareStrLocaleN("ABCx", "abcy", 3), 1);
    EXPECT_EQ(CompareStrLocaleN("ab", "abc", 10), -1);
    EXPECT_EQ(CompareStrLocaleN("ab", "abc", 2), 0);
    EXPECT_EQ(CompareTextLocaleN("x", "y", 0), 0);

    EXPECT_EQ(CompareWideStrLocale(u"abc", u"abd"), -1);
    EXPECT_EQ(CompareWideTextLocale(u"\u00C9T\u00C9", u"\u00E9t\u00E9"), 0);
    EXPECT_EQ(CompareWideStrLocaleN(u"abX", u"aby", 2), 0);
    EXPECT_EQ(CompareWideTextLocaleN(u"ABx", u"aby", 3), -1);
}

}  // namespace
