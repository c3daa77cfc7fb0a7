#include "base/pictures/SharedGlyphs.h"

#include <gtest/gtest.h>

#include "base/graphics/TBitmap.h"
#include "base/graphics/TCanvas.h"
#include "base/pictures/TPNGImage.h"
#include "platform/Screen.h"

namespace {

TEST(SharedGlyphsTest, SharedGlyphCellsAndScaling) {
    // A strip whose every column x has the colour x (blue byte), on the
    // olive key colour in its top row.
    auto* strip = new TPNGImage;
    strip->SetPixelFormat(pf24bit);
    strip->SetSize(33 * 21, 16);
    for (int y = 0; y < 16; ++y) {
        std::uint8_t* row = strip->ScanLine(y);
        for (int x = 0; x < 33 * 21; ++x) {
            row[x * 3] = static_cast<std::uint8_t>(x);
            row[x * 3 + 1] = static_cast<std::uint8_t>(x >> 8);
            row[x * 3 + 2] = 0x10;
        }
    }
    strip->Canvas()->Brush->SetColor(0x008080);
    strip->Canvas()->FillRect({0, 0, 33 * 21, 1});
    TPNGImage* saved = SharedGlyphs;
    SharedGlyphs = strip;
    TBitmap glyph;
    DrawSharedGlyph(22, glyph, 0xFFFFFF);
    EXPECT_EQ(glyph.GetWidth(), 21);
    EXPECT_EQ(glyph.GetHeight(), 16);
    const std::uint8_t* row = glyph.ScanLine(5);
    EXPECT_EQ(row[0] | (row[1] << 8), 352) << "glyph 22 starts at x = 352";
    EXPECT_EQ(glyph.ScanLine(0)[0], 0xFF) << "the key colour becomes the background";
    DrawSharedGlyph(3, glyph, 0xFFFFFF);
    EXPECT_EQ(glyph.GetWidth(), 16);
    EXPECT_EQ(glyph.ScanLine(5)[0], 48);

    Platform::SetScreenMetrics(1920, 1080, 120);
    DrawSharedGlyph(3, glyph, 0xFFFFFF);
    Platform::SetScreenMetrics(1920, 1080, 96);
    EXPECT_EQ(glyph.GetWidth(), 20);
    EXPECT_EQ(glyph.GetHeight(), 20);
    SharedGlyphs = saved;
    delete strip;
}

}  // namespace
