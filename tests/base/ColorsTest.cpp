#include "base/graphics/Colors.h"

#include <gtest/gtest.h>

namespace {

TEST(ColorsTest, AdaptColorKeepsColoursOnWhite) {
    for (TColor c : {0x000000, 0x0000FF, 0x00FF00, 0xFF0000, 0x123456, 0xFFFFFF, 0x808080})
        EXPECT_EQ(AdaptColorToBackground(c, clWhite), c) << std::hex << c;
}

TEST(ColorsTest, AdaptColorDarkensOnLightAndLightensOnDark) {
    struct Case {
        const char* name;
        TColor color, background, expected;
    };
    const Case cases[] = {
        // On a light grey page black stays black and white takes the page colour.
        {"black on light grey", 0x000000, 0xE0E0E0, 0x000000},
        {"white on light grey", 0xFFFFFF, 0xE0E0E0, 0xE0E0E0},
        {"mid grey on light grey", 0x808080, 0xE0E0E0, 0x616161},
        // On a dark page the distance from white is added to the background.
        {"black on dark grey", 0x000000, 0x404040, 0xFFFFFF},
        {"grey on dark grey", 0xC0C0C0, 0x404040, 0x7F7F7F},
        // Near-black backgrounds stretch the distance two and a half times.
        {"light grey on black", 0xF0F0F0, 0x000000, 0x252525},
        // A channel that cannot be darkened enough carries the rest to the
        // others in a second pass.
        {"red on pale blue", 0x0000FF, 0xFFE0E0, 0x0000C1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(AdaptColorToBackground(c.color, c.background), c.expected)
            << std::hex << AdaptColorToBackground(c.color, c.background);
    }
}

TEST(ColorsTest, ContrastAndReadableColours) {
    EXPECT_NEAR(ContrastRatio(clBlack, clWhite), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(0x777777, 0x777777), 1.0, 1e-9);
    EXPECT_NEAR(RelativeLuminance(clWhite), 1.0, 1e-9);
    EXPECT_NEAR(SrgbToLinear(10), 10 / 255.0 / 12.92, 1e-12);
    // Too little contrast: the best of the colour, white and black.
    EXPECT_EQ(ReadableColor(0x777777, 0x808080), clBlack);
    EXPECT_EQ(ReadableColor(0x202020, 0x303030), clWhite);
    EXPECT_EQ(ReadableColor(clBlack, clWhite), clBlack);
    EXPECT_EQ(ReadableColor(0x0000FF, clWhite), 0x0000FF);  // red on white is readable
}

TEST(ColorsTest, SystemColoursResolve) {
    EXPECT_EQ(ResolveSysColor(clWindowText), 0x000000);
    EXPECT_EQ(ResolveSysColor(clBtnShadow), 0xA0A0A0);
    EXPECT_EQ(ResolveSysColor(0x123456), 0x123456);
    EXPECT_EQ(MakeRGB(1, 2, 3), 0x030201);
    EXPECT_EQ(ColorGreen(0x030201), 2);
    EXPECT_EQ(ColorBlue(0x030201), 3);
}

}  // namespace
