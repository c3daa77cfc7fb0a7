#include "base/text/MeasurementUnits.h"

#include <gtest/gtest.h>

#include "base/text/NumberFormats.h"

namespace {

class MeasurementUnitsTest : public ::testing::Test {
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

TEST_F(MeasurementUnitsTest, ConversionsAndTextPerUnit) {
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

TEST_F(MeasurementUnitsTest, BorderWidthText) {
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
