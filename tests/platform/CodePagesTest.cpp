#include "platform/CodePages.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace Platform;

TEST(CodePagesTest, SingleBytePagesConvertBothWays) {
    struct Case {
        int codePage;
        unsigned char byte;
        char16_t wide;
    };
    const Case cases[] = {
        {1252, 0x80, u'\u20AC'}, {1252, 0xE9, u'\u00E9'}, {1250, 0x8A, u'\u0160'}, {1251, 0xC0, u'\u0410'},
        {1253, 0xC1, u'\u0391'}, {1254, 0xF0, u'\u011F'}, {1255, 0xE0, u'\u05D0'}, {1256, 0xC7, u'\u0627'},
        {1257, 0xE0, u'\u0105'}, {874, 0xA1, u'\u0E01'}, {10000, 0x8E, u'\u00E9'}, {437, 0x82, u'\u00E9'},
        {1252, 0x81, u'\u0081'},  // a hole of 1252 keeps its value
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codePage);
        EXPECT_EQ(ByteToWide(c.codePage, c.byte), c.wide);
        const std::string one(1, static_cast<char>(c.byte));
        EXPECT_EQ(BytesToWide(c.codePage, one), std::u16string(1, c.wide));
        EXPECT_EQ(WideToBytes(c.codePage, std::u16string(1, c.wide)), one);
    }
    bool used = false;
    EXPECT_EQ(WideToBytes(1252, u"a\u0416b", '?', &used), "a?b");
    EXPECT_TRUE(used);
}

TEST(CodePagesTest, MultiBytePagesGoThroughIconv) {
    const std::u16string text = u"\u65E5\u672C";  // two kanji
    const std::string sjis = WideToBytes(932, text);
    EXPECT_EQ(sjis.size(), 4u);
    EXPECT_EQ(BytesToWide(932, sjis), text);
}

TEST(CodePagesTest, Utf8RoundTripsSurrogatePairs) {
    const std::u16string text = u"a\u00E9\u20AC\U0001F600z";
    const std::string utf8 = Utf16ToUtf8(text);
    EXPECT_EQ(utf8, "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z");
    EXPECT_EQ(Utf8ToUtf16(utf8), text);

    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        std::u16string w;
        for (int i = 0; i < 20; ++i) {
            std::uint32_t cp = rng() % 0x110000;
            if (cp >= 0xD800 && cp <= 0xDFFF)
                cp = 0x41;
            if (cp >= 0x10000) {
                cp -= 0x10000;
                w.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
                w.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
            } else {
                w.push_back(static_cast<char16_t>(cp));
            }
        }
        ASSERT_EQ(Utf8ToUtf16(Utf16ToUtf8(w)), w);
    }
}

TEST(CodePagesTest, InvalidUtf8IsReplacedWithoutLosingNeighbours) {
    struct Case {
        const char* name;
        std::string in;
        std::u16string out;
    };
    const Case cases[] = {
        {"stray continuation", "a\x80z", u"a\uFFFDz"},
        {"truncated at the end", "a\xE2\x82", u"a\uFFFD"},
        {"truncated before ascii", "\xE2\x82z", u"\uFFFDz"},
        {"overlong", "\xC0\xAFz", u"\uFFFD\uFFFDz"},
        {"surrogate encoded", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Utf8ToUtf16(c.in), c.out);
    }
    EXPECT_EQ(Utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");  // a lone surrogate
}

}  // namespace
