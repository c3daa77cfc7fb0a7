#include "base/graphics/TServiceBitmap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/graphics/TCaretBitmap.h"
#include "platform/Screen.h"

namespace {

constexpr TColor kRed = 0x0000FF;
constexpr std::uint32_t kRedPixel = 0xFF0000;

class ServiceBitmapTest : public ::testing::Test {
protected:
    void SetUp() override {
        bitmap.Width = 20;
        bitmap.Height = 12;
        bitmap.AllocateBitmap();
    }
    std::uint32_t Pixel(int x, int y) const { return bitmap.Bits[y * bitmap.Width + x] & 0xFFFFFF; }
    // The columns of row y that hold colour px.
    std::vector<int> Row(int y, std::uint32_t px = kRedPixel) const {
        std::vector<int> xs;
        for (int x = 0; x < bitmap.Width; ++x)
            if (Pixel(x, y) == px)
                xs.push_back(x);
        return xs;
    }
    int Count(std::uint32_t px = kRedPixel) const {
        int n = 0;
        for (int y = 0; y < bitmap.Height; ++y)
            n += static_cast<int>(Row(y, px).size());
        return n;
    }
    TServiceBitmap bitmap;
};

TEST_F(ServiceBitmapTest, StartsAtTheScreenSizePlusAMargin) {
    TServiceBitmap fresh;
    EXPECT_EQ(fresh.Width, Platform::ScreenWidth() + 32);
    EXPECT_EQ(fresh.Height, Platform::ScreenHeight() + 32);
    EXPECT_EQ(bitmap.Bounds, (TRect{0, 0, 20, 12}));
}

TEST_F(ServiceBitmapTest, FillBoxClipsToTheBitmap) {
    struct Case {
        const char* name;
        TRect box;
        int filled;
    };
    const Case cases[] = {
        {"zero width", {10, 10, 10, 20}, 0},
        {"top-left corner", {-5, -5, 3, 3}, 9},
        {"bottom-right corner", {18, 10, 40, 40}, 4},
        {"wholly outside", {30, 0, 40, 10}, 0},
        {"upside down", {5, 5, 2, 2}, 0},
        {"whole bitmap and more", {-100, -100, 100, 100}, 240},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bitmap.FillBox(0, 0, 20, 12, 0);
        bitmap.FillRect(c.box, kRed);
        EXPECT_EQ(Count(), c.filled);
    }
}

TEST_F(ServiceBitmapTest, FillsSwapRedAndBlueAndFramesAreOnePixel) {
    bitmap.FillBounds(1, 1, 2, 1, 0x00123456);
    EXPECT_EQ(bitmap.Bits[1 * 20 + 1], 0x00563412u);
    bitmap.FillBox(0, 0, 20, 12, 0);
    bitmap.FrameBox(2, 2, 8, 6, kRed);
    EXPECT_EQ(Count(), 6 + 6 + 2 + 2);
    EXPECT_EQ(Row(2), (std::vector<int>{2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(Row(3), (std::vector<int>{2, 7}));
    EXPECT_EQ(Row(5), (std::vector<int>{2, 3, 4, 5, 6, 7}));
}

TEST_F(ServiceBitmapTest, SetPixelKeepsTheFourthByteAndIgnoresOutside) {
    bitmap.Bits[0] = 0xAB000000;
    bitmap.SetPixel(0, 0, kRed);
    EXPECT_EQ(bitmap.Bits[0], 0xABFF0000u);
    for (TPoint p : {TPoint{-1, 0}, TPoint{0, -1}, TPoint{20, 0}, TPoint{0, 12}})
        bitmap.SetPixel(p.X, p.Y, kRed);
    EXPECT_EQ(Count(), 1);
}

TEST_F(ServiceBitmapTest, PatternLinesKeepTheirPhase) {
    struct Case {
        const char* name;
        int x1, x2, style, originX;
        std::vector<int> pixels;
    };
    const Case cases[] = {
        {"style 0", 0, 9, 0, 0, {0, 2, 4, 6, 8}},
        {"style 0 shifted", 0, 9, 0, 1, {1, 3, 5, 7, 9}},
        {"style 1", 0, 9, 1, 0, {0, 3, 6, 9}},
        {"style 2 from inside a period", 3, 19, 2, 0, {5, 10, 15}},
        {"style 3", 0, 19, 3, 0, {0, 3, 8, 11, 16, 19}},
        {"style 4", 0, 15, 4, 0, {0, 1, 3, 4, 8, 9, 11, 12}},
        {"clipped at both ends", -7, 40, 0, 0, {0, 2, 4, 6, 8, 10, 12, 14, 16, 18}},
        {"unknown style", 0, 9, 5, 0, {}},
        {"negative style", 0, 9, -1, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bitmap.FillBox(0, 0, 20, 12, 0);
        bitmap.PatternOriginX = c.originX;
        bitmap.HorzPatternLine(c.x1, c.x2, 4, kRed, c.style);
        EXPECT_EQ(Row(4), c.pixels);
        EXPECT_EQ(Count(), static_cast<int>(c.pixels.size()));
    }
}

TEST_F(ServiceBitmapTest, PatternLinesHonourTheThickness) {
    PatternLineThickness = 2;
    bitmap.PatternOriginY = 1;
    bitmap.VertPatternLine(18, 0, 11, kRed, 0);
    bitmap.HorzPatternLine(0, 3, 11, kRed, 0);  // the second row lies outside
    PatternLineThickness = 1;
    for (int y = 0; y < 12; ++y) {
        SCOPED_TRACE(y);
        const bool on = (y % 2) == 1;
        EXPECT_EQ(Pixel(18, y) == kRedPixel, on);
        EXPECT_EQ(Pixel(19, y) == kRedPixel, on);
    }
    EXPECT_EQ(Row(11), (std::vector<int>{0, 2, 18, 19}));
}

TEST(CaretBitmapTest, ANewBitmapOnlyWhenTheSizeChanges) {
    TCaretBitmap caret;
    EXPECT_EQ(caret.Bitmap, nullptr);
    EXPECT_EQ(caret.Info.BitCount, 1);
    caret.SetSize(2, 18);
    Platform::HBITMAP first = caret.Bitmap;
    ASSERT_NE(first, nullptr);
    caret.SetSize(2, 18);
    EXPECT_EQ(caret.Bitmap, first);
    caret.SetSize(3, 18);
    EXPECT_NE(caret.Bitmap, nullptr);
    EXPECT_EQ(caret.Info.Width, 3);
}

}  // namespace
