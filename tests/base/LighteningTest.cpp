#include "base/graphics/Lightening.h"

#include <gtest/gtest.h>

#include "base/graphics/TBitmap.h"
#include "base/graphics/TCanvas.h"

namespace {

TEST(LighteningTest, ColoursAndBitmapsMoveTowardsWhite) {
    EXPECT_EQ(LightenColor(0x000000), MakeRGB(178, 178, 178));
    EXPECT_EQ(LightenColor(0xFFFFFF), 0xFFFFFF);
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(2, 1);
    bitmap.Canvas()->Brush->SetColor(0x000000);
    bitmap.Canvas()->FillRect({0, 0, 2, 1});
    LightenBitmap(bitmap, 5);
    EXPECT_EQ(bitmap.ScanLine(0)[0], 127);
    EXPECT_EQ(LightenFactor, 7);  // restored
}

}  // namespace
