#include "base/text/PaperSizes.h"

#include <gtest/gtest.h>

namespace {

TEST(PaperSizesTest, FindsSizesAndCaptions) {
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

}  // namespace
