#include "base/text/HexText.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

TEST(HexTextTest, WideStringToHexWritesTheLowByteFirst) {
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

TEST(HexTextTest, HexDecodingStopsAtTheFirstPairThatIsNotHex) {
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
