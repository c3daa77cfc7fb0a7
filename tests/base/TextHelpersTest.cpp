#include "base/text/TextHelpers.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

TEST(TextHelpersTest, FindByteAndWideChar) {
    const char bytes[] = "abcabc";
    EXPECT_EQ(FindByte(bytes, 'c', 6), 2);
    EXPECT_EQ(FindByte(bytes, 'c', 2), -1);  // only count bytes are looked at
    EXPECT_EQ(FindByte(bytes, 'z', 6), -1);
    EXPECT_EQ(FindByte(bytes, 'a', 0), -1);
    EXPECT_EQ(FindByte("\xFF", 0xFF, 1), 0);

    const char16_t wide[] = u"x\u20ACy\u20AC";
    EXPECT_EQ(FindWideChar(wide, u'\u20AC', 4), 1);
    EXPECT_EQ(FindWideChar(wide, u'\u20AC', 1), -1);
    EXPECT_EQ(FindWideChar(wide, u'x', 0), -1);
}

TEST(TextHelpersTest, FirstControlCharIndex) {
    EXPECT_EQ(FirstControlCharIndex("abc", 3), 3);
    EXPECT_EQ(FirstControlCharIndex("ab\tc", 4), 2);
    EXPECT_EQ(FirstControlCharIndex("\x1F", 1), 0);
    EXPECT_EQ(FirstControlCharIndex(" \x80\xFF", 3), 3);  // high bytes are text
    EXPECT_EQ(FirstControlCharIndex("", 0), 0);
}

TEST(TextHelpersTest, FormatThousandsSpaced) {
    struct Case {
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {1234567, "1 234 567"},
        {0, "0"},
        {999, "999"},
        {1000, "1 000"},
        {-1234.5, "-1 235"},
        {2.5, "3"},
        {-0.4, "0"},
        {100000, "100 000"},
        {1e15, "1 000 000 000 000 000"},
        {999.5, "1 000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(FormatThousandsSpaced(c.value), c.expected);
    }
}

TEST(TextHelpersTest, ReplaceCharAndBars) {
    EXPECT_EQ(ReplaceChar("a.b.c", '.', '/'), "a/b/c");
    EXPECT_EQ(ReplaceChar(std::string("a\0b", 3), '\0', ' '), "a b");

    struct Case {
        const char* bars;
        const char* breaks;
    };
    const Case cases[] = {
        {"one||two", "one\r\ntwo"}, {"||", "\r\n"}, {"a||||b", "a\r\n\r\nb"}, {"plain", "plain"}, {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bars);
        EXPECT_EQ(BarsToLineBreaks(c.bars), c.breaks);
        EXPECT_EQ(LineBreaksToBars(c.breaks), c.bars);
    }
    // Lone bars and lone line-break characters pass unchanged.
    EXPECT_EQ(BarsToLineBreaks("a|b|||"), "a|b\r\n|");
    EXPECT_EQ(LineBreaksToBars("a\nb\r\rc\n\r"), "a\nb\r\rc\n\r");
}

TEST(TextHelpersTest, WideStringToHexWritesTheLowByteFirst) {
    EXPECT_EQ(WideStringToHex(u"A"), "4100");
    EXPECT_EQ(WideStringToHex(u"\u00E9\u20AC"), "E900AC20");
    EXPECT_EQ(WideStringToHex(u""), "");
    EXPECT_EQ(HexToWideString("E900AC20"), u"\u00E9\u20AC");
    EXPECT_EQ(HexToWideString("e900ac20"), u"\u00E9\u20AC");  // either case
    EXPECT_EQ(HexToWideString("4100A"), u"A");                // a partial unit is dropped

    std::mt19937 rng(11);
    for (int round = 0; round < 50; ++round) {
        std::u16string w(rng() % 20, u'\0');
        for (char16_t& c : w)
            c = static_cast<char16_t>(rng());
        EXPECT_EQ(HexToWideString(WideStringToHex(w)), w);
    }
}

TEST(TextHelpersTest, HexDecodingStopsAtTheFirstPairThatIsNotHex) {
    // The units from the bad pair on are 0.
    EXPECT_EQ(HexToWideString("41zz4200"), std::u16string(u"\u0041\0", 2));
    EXPECT_EQ(HexToWideString("4G00"), std::u16string(1, u'\0'));

    std::uint8_t out[4] = {};
    std::string_view cursor = "0aFfx1";
    EXPECT_EQ(HexPairsToBytes(cursor, out, 4), 2);
    EXPECT_EQ(out[0], 0x0A);
    EXPECT_EQ(out[1], 0xFF);
    EXPECT_EQ(cursor, "x1");

    cursor = "010203";
    EXPECT_EQ(HexPairsToBytes(cursor, out, 2), 2);  // count limits
    EXPECT_EQ(cursor, "03");
    EXPECT_EQ(HexPairsToBytes(cursor, out, 4), 1);
    EXPECT_EQ(cursor, "");

    cursor = "7";  // half a pair is not decoded
    EXPECT_EQ(HexPairsToBytes(cursor, out, 4), 0);
    EXPECT_EQ(cursor, "7");
}

}  // namespace
