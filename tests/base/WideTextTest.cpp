#include "base/text/WideText.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "base/text/Charsets.h"

namespace {

TEST(WideTextTest, CodePageOfChar) {
    struct Case {
        char16_t c;
        std::int32_t expected;
    };
    const Case cases[] = {
        {0x0416, 1251}, {0x20AC, 1252}, {0x0100, 1257}, {0x0102, 1250}, {0x4E00, -7},   {u'a', 1252},   {0x00FF, 1252},
        {0x0152, 1252}, {0x03A9, 1253}, {0x011E, 1254}, {0x05D0, 1255}, {0x0627, 1256}, {0x0131, 1254}, {0x0401, 1251},
        {0x040D, -7},   {0x0491, 1251}, {0x02DD, 1250}, {0x0301, 1252}, {0x0096, 1252}, {0x00A0, 1252}, {0xFFFF, -7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.c));
        EXPECT_EQ(CodePageOfChar(c.c, -7), c.expected);
    }
    KeepSpecialChars = true;
    EXPECT_EQ(CodePageOfChar(0x00A0, -7), -7);
    EXPECT_EQ(CodePageOfChar(0x0096, -7), -7);
    EXPECT_EQ(CodePageOfChar(0x0097, -7), -7);
    EXPECT_EQ(CodePageOfChar(0x00A1, -7), 1252);
    KeepSpecialChars = false;
}

TEST(WideTextTest, DominantCodePage) {
    struct Case {
        const char* name;
        std::u16string text;
        std::int32_t page;
        std::int32_t count;
    };
    const Case cases[] = {
        {"two Cyrillic, three Greek", u"\u0416\u0417 \u03A9\u03A8\u03A7", 1253, 3},
        {"plain ASCII", u"plain text", 1252, 10},
        {"empty", u"", 99, 0},
        {"only characters without a page", u"\u4E00\u4E01", 99, 0},
        {"a tie takes the lower page", u"\u0416\u03A9", 1251, 1},
        {"any other page beats 1252", u"Hello \u0102", 1250, 1},
        {"1252 above 126", u"\u00E9\u4E00", 1252, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::int32_t count = -1;
        EXPECT_EQ(DominantCodePage(c.text, 99, &count), c.page);
        EXPECT_EQ(count, c.count);
    }
}

TEST(WideTextTest, RunsOfOneCodePage) {
    std::string narrow = "stale";
    std::vector<std::int32_t> pages = {1}, ends = {1};
    WideToNarrowRuns(u"Ab\u0416\u0417 \u4E00\u4E01", narrow, pages, ends);
    EXPECT_EQ(pages, (std::vector<std::int32_t>{1252, 1251, 1252, DefaultCodePage()}));
    EXPECT_EQ(ends, (std::vector<std::int32_t>{2, 4, 5, 7}));
    ASSERT_EQ(narrow.size(), 7u);
    EXPECT_EQ(narrow.substr(0, 5), "Ab\xC6\xC7 ");

    WideToNarrowRuns(u"", narrow, pages, ends);
    EXPECT_TRUE(narrow.empty() && pages.empty() && ends.empty());

    EXPECT_EQ(WideToNarrowAuto(u"\u0416\u0417!", narrow), 1251);
    EXPECT_EQ(narrow, "\xC6\xC7!");
    EXPECT_EQ(WideToNarrowAuto(u"\u4E00", narrow), DefaultCodePage());
}

TEST(WideTextTest, NarrowTextKeepsOneBytePerCharacter) {
    EXPECT_EQ(WideToAnsiInCodePage(u"\u0416a\u20AC", 1251),
              "\xC6"
              "a\x88");
    EXPECT_EQ(WideToAnsiInCodePage(u"\u0416a", 1252), "?a");
    // A double-byte page keeps the character count: wide characters become "?".
    EXPECT_EQ(WideToAnsiInCodePage(u"a\u65E5b", 932), "a?b");
    EXPECT_EQ(AnsiToWideInCodePage("\xC6z", 1251), u"\u0416z");
}

TEST(WideTextTest, Utf8BothWays) {
    EXPECT_EQ(Utf8ToWide("\xE2\x82\xAC"), u"\u20AC");
    EXPECT_EQ(Utf8ToWide("\xF0\x9F\x98\x80!"), u"\U0001F600!");  // outside the BMP: a surrogate pair
    EXPECT_EQ(Utf8ToWide(std::string("ab\0cd", 5)), u"ab");      // stops at a zero byte
    EXPECT_EQ(Utf8ToWide("a\xE2\x82"), u"a\uFFFD");              // truncated at the end
    EXPECT_EQ(Utf8ToWide("\xF0\x9F"
                         "A"),
              u"\uFFFD"
              "A");                                            // the neighbour survives
    EXPECT_EQ(WideToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");  // one sequence, not two halves
    EXPECT_EQ(WideToUtf8(u"\xDC00"), "\xEF\xBF\xBD");

    // The bounded form never writes a part of a character.
    char buffer[8];
    EXPECT_EQ(Utf16ToUtf8Bytes(u"ab\U0001F600", buffer, 5), 2);
    EXPECT_EQ(Utf16ToUtf8Bytes(u"ab\U0001F600", buffer, 6), 6);
    EXPECT_EQ(std::string(buffer, 6), "ab\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf16ToUtf8Bytes(u"\u20AC", buffer, 2), 0);

    std::mt19937 rng(11);
    for (int round = 0; round < 300; ++round) {
        std::u16string w;
        for (int i = 0; i < 16; ++i) {
            std::uint32_t cp = 1 + rng() % 0x10FFFF;
            if (cp >= 0xD800 && cp <= 0xDFFF)
                cp = 0x20AC;
            if (cp >= 0x10000) {
                cp -= 0x10000;
                w.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
                w.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
            } else {
                w.push_back(static_cast<char16_t>(cp));
            }
        }
        ASSERT_EQ(Utf8ToWide(WideToUtf8(w)), w);
    }
}

TEST(WideTextTest, MacRomanToAnsi) {
    const char mac[] = "a\x80\x8E\xA5\xCA\xD2\xFF";
    char ansi[sizeof mac] = {};
    MacRomanToAnsi(mac, ansi, sizeof mac - 1);
    EXPECT_EQ(std::string(ansi), "a\xC4\xE9\xA5\xA0\xD2\xFF");
    std::string same = "\x8A";
    MacRomanToAnsi(same.data(), same.data(), 1);
    EXPECT_EQ(same, "\xE4");
}

}  // namespace
