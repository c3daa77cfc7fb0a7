#include "base/graphics/TwipsAndPixels.h"

#include <gtest/gtest.h>

#include "base/graphics/Graphics.h"

namespace {

TEST(TwipsAndPixelsTest, ScreenUnits) {
    if (ScreenPixelsPerInch() != 96)
        GTEST_SKIP() << "the expected figures are for 96 pixels per inch";
    struct Case {
        std::int32_t Twips, Pixels;
    };
    const Case cases[] = {{720, 48}, {15, 1}, {7, 0}, {8, 1}, {-15, -1}, {-22, -1}, {-23, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Twips);
        EXPECT_EQ(TwipsToPixels(c.Twips), c.Pixels);
    }
    EXPECT_EQ(PixelsToTwips(48), 720);
    EXPECT_EQ(PixelsToTwips(1), 15);
    EXPECT_EQ(TwipsToPixelsAtZoom(1440, 100), 96);
    EXPECT_EQ(TwipsToPixelsAtZoom(1440, 150), 144);
    EXPECT_EQ(TwipsToPixelsAtZoom(1, 750), 1);  // 0.5 rounds up
    // Large lengths at high zoom stay exact (the product needs 64 bits).
    EXPECT_EQ(TwipsToPixelsAtZoom(20000000, 400), 5333333);
    EXPECT_EQ(HalfPointsToFontHeight(24), -16);
    EXPECT_EQ(HalfPointsToFontHeight(21), -14);
    EXPECT_EQ(HalfPointsToFontHeight(20), -13);
}

}  // namespace
