#include "model/formats/TCharFormat.h"

#include <gtest/gtest.h>

#include "FontQueriesStub.h"

namespace {

// Fonts 1 and 2: one face in ANSI and Russian; font 3 another face.
TFontQueriesStub::TFont Face(std::uint8_t charset, std::int32_t id) {
    return {charset, id};
}

class CharFormatTest : public ::testing::Test {
protected:
    TFontQueriesStub Fonts{{{1, Face(0, 100)}, {2, Face(204, 100)}, {3, Face(0, 300)}}};

    static TCharFormat WithFont(std::int32_t font) {
        TCharFormat f = DefaultCharFormat;
        f[caFont] = font;
        return f;
    }
};

TEST_F(CharFormatTest, FontRuleMatchesOneFaceAcrossCharacterSets) {
    struct Case {
        const char* name;
        std::int32_t a, b;
        bool equal;
    };
    const Case cases[] = {
        {"same face, two character sets", 1, 2, true},
        {"two faces", 1, 3, false},
        {"one unset", UnsetValue, 1, false},
        {"both unset", UnsetValue, UnsetValue, true},
        {"the same font", 3, 3, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CharFormatsEqual(WithFont(c.a), WithFont(c.b)), c.equal);
        EXPECT_EQ(CharFormatsEqual(WithFont(c.b), WithFont(c.a)), c.equal);
    }
}

TEST_F(CharFormatTest, FontRuleAppliesToTheFontOnly) {
    // Attribute values that happen to be font indices of one face are still
    // different values.
    TCharFormat a = DefaultCharFormat, b = DefaultCharFormat;
    a[caSize] = 1;
    b[caSize] = 2;
    EXPECT_FALSE(CharFormatsEqual(a, b));
}

TEST_F(CharFormatTest, IntersectKeepsTheFirstFontAndUnsetsDifferences) {
    TCharFormat a = WithFont(2), b = WithFont(1);
    a[caBold] = 1;
    IntersectCharFormats(a, b);
    EXPECT_EQ(a[caFont], 2);  // a's own font, not b's
    EXPECT_EQ(a[caBold], UnsetValue);
    EXPECT_EQ(a[caSize], 24);

    TCharFormat c = WithFont(3);
    IntersectCharFormats(c, b);
    EXPECT_EQ(c[caFont], UnsetValue);
}

TEST_F(CharFormatTest, SubtractLeavesTheDifference) {
    TCharFormat a = WithFont(2), b = WithFont(1);
    a[caItalic] = 1;
    a[caColor] = 0x0000FF;
    SubtractCharFormat(a, b);
    for (int i = 0; i < CharAttrCount; ++i) {
        SCOPED_TRACE(i);
        const bool kept = i == caItalic || i == caColor;
        EXPECT_EQ(a[i] != UnsetValue, kept);
    }
}

TEST_F(CharFormatTest, FillAndOverlayTakeOnlyWhatIsMissingOrGiven) {
    TCharFormat partial = UnsetCharFormat;
    partial[caBold] = 1;
    TCharFormat typed = DefaultCharFormat;
    OverlayCharFormat(typed, partial);
    EXPECT_EQ(typed[caBold], 1);
    EXPECT_EQ(typed[caSize], 24);

    TCharFormat style = partial;
    FillUnsetCharFormat(style, DefaultCharFormat);
    EXPECT_EQ(style[caBold], 1);
    EXPECT_FALSE(CharFormatHasUnset(style));
}

TEST_F(CharFormatTest, ConstantFormats) {
    EXPECT_FALSE(CharFormatHasUnset(DefaultCharFormat));
    EXPECT_TRUE(CharFormatHasUnset(PlainCharFormat));
    EXPECT_TRUE(CharFormatIsClear(UnsetCharFormat));
    EXPECT_FALSE(CharFormatIsClear(PlainCharFormat));
    EXPECT_EQ(PlainCharFormat[caLanguage], 0);
    EXPECT_EQ(PlainCharFormat[caCharStyle], -1);
    EXPECT_EQ(DefaultCharFormat[caUnderlineColor], AutoColor);
    EXPECT_EQ(DefaultCharFormat[caScale], 100);

    TCharFormat f = DefaultCharFormat;
    ClearCharFormat(f);
    EXPECT_TRUE(CharFormatIsClear(f));

    const TCharFormat savedDefault = DefaultCharFormat;
    SetConstantFormatFonts(7, 9);
    EXPECT_EQ(DefaultCharFormat[caFont], 7);
    EXPECT_EQ(LabelCharFormat[caFont], 9);
    EXPECT_EQ(BoldLabelCharFormat[caFont], 9);
    EXPECT_EQ(BoldLabelCharFormat[caBold], 1);
    EXPECT_EQ(LabelCharFormat[caBold], 0);
    SetConstantFormatFonts(savedDefault[caFont], 0);
}

}  // namespace
