#include "base/pictures/PictureLayoutImages.h"

#include <gtest/gtest.h>

#include "base/graphics/TBitmap.h"
#include "base/graphics/TCanvas.h"

namespace {

TEST(PictureLayoutImagesTest, LayoutIllustrationsAreMadeOnce) {
    const auto savedColors = InterfacePaletteColor;
    MakePictureLayoutImages();
    TBitmap* first = WrapIllustrations[0];
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetWidth(), 36);
    EXPECT_EQ(PositionIllustrations[8]->GetWidth(), 40);
    EXPECT_EQ(PositionIllustrations[8]->GetHeight(), 56);
    MakePictureLayoutImages();
    EXPECT_EQ(WrapIllustrations[0], first);
    // New colours after the scheme changed.
    FreePictureLayoutImages();
    EXPECT_EQ(WrapIllustrations[0], nullptr);
    InterfacePaletteColor = [](int entry) -> TColor { return entry == 3 ? 0x0000FF : 0x00FF00; };
    MakePictureLayoutImages();
    EXPECT_EQ(WrapIllustrations[4]->Canvas()->GetPixelColor(0, 0), 0x0000FF);
    EXPECT_EQ(PositionIllustrations[0]->Canvas()->GetPixelColor(0, 0), 0x00FF00) << "the frame";
    FreePictureLayoutImages();
    InterfacePaletteColor = savedColors;
}

}  // namespace
