#include "base/text/Units.h"

#include <gtest/gtest.h>

#include "base/text/NumberFormats.h"

namespace {

class UnitsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SavedUnit = MeasureUnit();
        SavedSeparator = DecimalSeparator();
        SetDecimalSeparator('.');
    }
    void TearDown() override {
        SetMeasureUnit(SavedUnit);
        SetDecimalSeparator(SavedSeparator);
    }
    std::int32_t SavedUnit = 0;
    char SavedSeparator = '.';
};

TEST_F(UnitsTest, ConversionsAndTextPerUnit) {
    struct Case {
        std::int32_t unit;
        std::int32_t twips;
        std::int32_t hundredths;
        const char* text;
        std::int32_t back;  // UnitHundredthsToTwips(hundredths)
    };
    const Case cases[] = {
        {muCentimeters, 1440, 254, "2.54 cm", 1440},
        {muCentimeters, 567, 100, "1 cm", 567},
        {muCentimeters, -1440, -254, "-2.54 cm", -1440},
        {muInches, 1080, 75, "0.75\"", 1080},
        {muInches, 1441, 100, "1\"", 1440},
        {muPoints, 250, 1250, "12 pt", 250},  // 12.5 rounds to even
        {muPoints, 270, 1350, "14 pt", 270},  // 13.5 rounds to even
        {muPoints, 21, 110, "1 pt", 22},      // the half-point is rounded first
        {muPicas, 1440, 600, "6 pi", 1440},
        {muPicas, 300, 125, "1.25 pi", 300},
        {muMillimeters, 1440, 2540, "25 mm", 1440},
        {muMillimeters, 57, 100, "1 mm", 57},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        SetMeasureUnit(c.unit);
        EXPECT_EQ(TwipsToUnitHundredths(c.twips), c.hundredths);
        EXPECT_EQ(FormatTwipsInUnit(c.twips), c.text);
        EXPECT_EQ(UnitHundredthsToTwips(c.hundredths), c.back);
    }
    EXPECT_EQ(TwipsToPointHundredths(250), 1250);
    EXPECT_EQ(TwipsToPointHundredths(-250), -1250);

    SetDecimalSeparator(',');
    SetMeasureUnit(muCentimeters);
    EXPECT_EQ(FormatTwipsInUnit(1440), "2,54 cm");

    // A stored unit outside the table falls back to centimetres.
    SetMeasureUnit(7);
    EXPECT_EQ(MeasureUnit(), muCentimeters);
    EXPECT_STREQ(MeasureUnitSuffix(), " cm");
}

TEST_F(UnitsTest, PaperSizes) {
    EXPECT_EQ(PaperSizes[0].Code, 1);
    EXPECT_EQ(PaperSizes[9].Width, 11905);
    EXPECT_EQ(PaperSizes[31].Code, 27);
    EXPECT_STREQ(PaperSizes[CustomPaperSize].Caption, "custom");
    for (int i = FirstEnvelopeSize; i <= LastEnvelopeSize; ++i)
        EXPECT_NE(std::string(PaperSizes[i].Caption).find("Envelope"), std::string::npos) << i;

    struct Case {
        std::int32_t width, height;
        int paper, envelope;
        std::int32_t code;
    };
    const Case cases[] = {
        {12240, 15840, 0, -1, 1},
        {15840, 12240, 0, -1, 1},  // US Letter in landscape
        {11910, 16830, 9, -1, 9},  // A4 within 20 twips
        {11925, 16838, 9, -1, 9},  // exactly 20 twips off
        {11926, 16838, CustomPaperSize, -1, 0},
        {10000, 10000, CustomPaperSize, -1, 0},
        {5940, 13680, 14, 14, 20},  // #10 envelope
        {13680, 5940, 14, 14, 20},
        {12472, 17575, 28, 28, 0},         // E4 has no printer code
        {-1, -1, CustomPaperSize, -1, 0},  // the custom entry itself is never matched
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        EXPECT_EQ(FindPaperSize(c.width, c.height), c.paper);
        EXPECT_EQ(FindEnvelopeSize(c.width, c.height), c.envelope);
        EXPECT_EQ(PaperCodeOfSize(c.width, c.height), c.code);
    }

    EXPECT_EQ(GetPaperSizeCaption(0, false), "US Letter, 8 1/2 x 11 in");
    EXPECT_EQ(GetPaperSizeCaption(0, true), "US Letter, 11 x 8 1/2 in");
    EXPECT_EQ(GetPaperSizeCaption(9, true), "A4 sheet, 297 x 210 mm");
    EXPECT_EQ(GetPaperSizeCaption(18, true), "6 3/4 Envelope, 6 1/2 x 3 5/8 in");
    EXPECT_EQ(GetPaperSizeCaption(CustomPaperSize, true), "custom");
    EXPECT_EQ(GetPaperSizeCaption(36, false), "");
}

TEST_F(UnitsTest, BasicColorsAndUnderlines) {
    EXPECT_EQ(NearestBasicColor(0x7F7F7F, -1), 15);        // 50% grey
    EXPECT_EQ(NearestBasicColor(0x0000FF, -1), 6);         // red
    EXPECT_EQ(NearestBasicColor(0x0000F0, 0x0000FF), 13);  // red excluded: dark red is next
    EXPECT_EQ(NearestBasicColor(0x0000FF, 0x0000FF), 6);   // the colour itself is never excluded
    EXPECT_EQ(NearestBasicColor(0x404040, -1), 1);         // black and 50% grey tie: the first wins
    EXPECT_EQ(NearestBasicColor(static_cast<std::int32_t>(0xFF000000u), -1), 0);
    EXPECT_TRUE(IsBasicColor(0xC0C0C0));
    EXPECT_FALSE(IsBasicColor(0xC0C0C1));
    EXPECT_FALSE(IsBasicColor(static_cast<std::int32_t>(0xFF000000u)));

    EXPECT_EQ(IndexOfUnderlineStyle(0), 0);
    EXPECT_EQ(IndexOfUnderlineStyle(55), 17);
    EXPECT_EQ(IndexOfUnderlineStyle(5), -1);
    EXPECT_STREQ(UnderlineStyles[IndexOfUnderlineStyle(11)].Name, "wave underline");
}

TEST_F(UnitsTest, Sixteenths) {
    struct Case {
        std::int32_t value;
        bool scaled;
        std::int32_t zoom;
        std::int32_t to, from;
    };
    const Case cases[] = {
        {1, false, 100, 16, 0},    {-1, false, 100, -31, 1},  // negative values mirror around one half: 1 - f(1 - v)
        {24, false, 100, 384, 2},                             // 24 / 16 = 1.5 rounds up
        {23, false, 100, 368, 1},  {8, false, 100, 128, 1},   {7, false, 100, 112, 0},
        {-8, false, 100, -143, 0}, {-9, false, 100, -159, 0}, {-24, false, 100, -399, -1},
        {150, true, 50, 75, 300},  {3, true, 50, 2, 6},  // 1.5 rounds up
        {1, true, 150, 2, 1},                            // 1.5 rounds up; 100 / 150 rounds to 1
        {-3, true, 50, -1, -7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.value) + (c.scaled ? " scaled" : ""));
        EXPECT_EQ(ValueToSixteenths(c.value, c.scaled, c.zoom), c.to);
        EXPECT_EQ(ValueFromSixteenths(c.value, c.scaled, c.zoom), c.from);
    }
    EXPECT_EQ(ValueFromSixteenths(ValueToSixteenths(-1, false, 100), false, 100), -1);
    EXPECT_EQ(SixteenthsToWhole(24), 2);
    EXPECT_EQ(SixteenthsToWhole(23), 1);
}

TEST_F(UnitsTest, BorderWidthText) {
    struct Case {
        std::int32_t twips;
        const char* text;
    };
    const Case cases[] = {
        {20, "1"}, {30, "1 1/2"}, {10, "1/2"}, {5, "1/4"}, {15, "3/4"}, {45, "2 1/4"}, {7, "0.35"}, {60, "3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.twips);
        EXPECT_EQ(BorderWidthText(c.twips), c.text);
    }
}

}  // namespace
