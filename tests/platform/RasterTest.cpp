// Regions, blits, lines and pixels of the drawing layer.

#include <gtest/gtest.h>

#include <vector>

#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"
#include "platform/Regions.h"

namespace {

using namespace Platform;

// A memory context on a bitmap filled with one pixel value.
struct TCanvasBits {
    TCanvasBits(int w, int h, std::uint32_t fill = 0xFFFFFF, bool mono = false) : W(w), H(h) {
        DC = CreateCompatibleDC(nullptr);
        Bitmap = mono ? CreateMonoBitmap(w, h) : CreateBitmap32(w, h);
        Old = SelectBitmap(DC, Bitmap);
        TBitmapInfo info;
        GetBitmapInfo(Bitmap, info);
        Bits = info.Bits;
        for (int i = 0; i < w * h; ++i)
            Bits[i] = fill;
    }
    ~TCanvasBits() {
        SelectBitmap(DC, Old);
        DeleteBitmap(Bitmap);
        DeleteDC(DC);
    }
    std::uint32_t& At(int x, int y) { return Bits[y * W + x]; }
    int Count(std::uint32_t px) const {
        int n = 0;
        for (int i = 0; i < W * H; ++i)
            n += (Bits[i] & 0xFFFFFF) == px;
        return n;
    }
    int W, H;
    HDC DC;
    HBITMAP Bitmap, Old;
    std::uint32_t* Bits;
};

TEST(RegionsTest, PolygonFillRules) {
    // A five-pointed star drawn in one stroke: its centre is enclosed twice.
    const TPoint star[] = {{50, 0}, {79, 90}, {2, 34}, {98, 34}, {21, 90}};
    HRGN winding = CreatePolygonRgn(star, 5, WINDING);
    HRGN alternate = CreatePolygonRgn(star, 5, ALTERNATE);
    EXPECT_TRUE(PtInRegion(winding, 50, 50));
    EXPECT_FALSE(PtInRegion(alternate, 50, 50));
    EXPECT_TRUE(PtInRegion(alternate, 50, 10));  // a point of the star
    EXPECT_FALSE(PtInRegion(winding, 5, 80));
    TRect box;
    GetRgnBox(winding, box);
    EXPECT_LE(box.Left, 3);
    EXPECT_GE(box.Right, 97);
    EXPECT_EQ(box.Bottom, 90);

    // A triangle: row by row, the pixels whose centres are inside.
    const TPoint triangle[] = {{0, 0}, {4, 0}, {0, 4}};
    HRGN t = CreatePolygonRgn(triangle, 3, ALTERNATE);
    const std::vector<TRect> rows = GetRegionRects(t);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (TRect{0, 0, 3, 1}));
    EXPECT_EQ(rows[1], (TRect{0, 1, 2, 2}));
    EXPECT_EQ(rows[2], (TRect{0, 2, 1, 3}));
    // Fewer than three points make an empty region.
    HRGN none = CreatePolygonRgn(triangle, 2, ALTERNATE);
    EXPECT_EQ(GetRgnBox(none, box), NULLREGION);
    for (HRGN r : {winding, alternate, t, none})
        DeleteRegion(r);
}

TEST(RegionsTest, CombineOffsetAndCompare) {
    HRGN a = CreateRectRgn(0, 0, 10, 10);
    HRGN b = CreateRectRgn(15, 15, 5, 5);  // corners in any order
    HRGN r = CreateRectRgn(0, 0, 0, 0);
    struct Case {
        int mode;
        int kind;
        std::vector<TPoint> inside, outside;
    };
    const Case cases[] = {
        {RGN_OR, COMPLEXREGION, {{1, 1}, {12, 12}}, {{12, 1}}}, {RGN_AND, SIMPLEREGION, {{7, 7}}, {{1, 1}, {12, 12}}},
        {RGN_DIFF, COMPLEXREGION, {{1, 1}}, {{7, 7}}},          {RGN_XOR, COMPLEXREGION, {{1, 1}, {12, 12}}, {{7, 7}}},
        {RGN_COPY, SIMPLEREGION, {{7, 7}}, {{12, 12}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        EXPECT_EQ(CombineRgn(r, a, b, c.mode), c.kind);
        for (TPoint p : c.inside)
            EXPECT_TRUE(PtInRegion(r, p.X, p.Y));
        for (TPoint p : c.outside)
            EXPECT_FALSE(PtInRegion(r, p.X, p.Y));
    }
    EXPECT_EQ(CombineRgn(r, a, nullptr, RGN_OR), RGN_ERROR);
    EXPECT_TRUE(RectInRegion(a, {9, 9, 20, 20}));
    EXPECT_FALSE(RectInRegion(a, {10, 0, 20, 10}));
    OffsetRgn(r, 1, 1);
    EXPECT_TRUE(PtInRegion(r, 10, 10));
    EXPECT_FALSE(EqualRgn(r, b));
    CombineRgn(r, b, nullptr, RGN_COPY);
    EXPECT_TRUE(EqualRgn(r, b));
    for (HRGN x : {a, b, r})
        DeleteRegion(x);
}

TEST(RasterTest, ThinLinesLeaveOutTheLastPointAndHonourTheClip) {
    TCanvasBits c(20, 20);
    HPEN red = CreatePen(0x0000FF, 1);
    SelectPen(c.DC, red);
    MoveTo(c.DC, 2, 2);
    LineTo(c.DC, 12, 2);
    EXPECT_EQ(c.At(11, 2), 0xFF0000u);
    EXPECT_EQ(c.At(12, 2), 0xFFFFFFu);
    EXPECT_EQ(c.Count(0xFF0000), 10);
    // A diagonal through a clip rectangle: only the part inside is drawn.
    IntersectClipRect(c.DC, {5, 5, 10, 10});
    MoveTo(c.DC, 0, 0);
    LineTo(c.DC, 20, 20);
    EXPECT_EQ(c.Count(0xFF0000), 15);
    EXPECT_EQ(c.At(5, 5), 0xFF0000u);
    EXPECT_EQ(c.At(4, 4), 0xFFFFFFu);
    SelectClipRgn(c.DC, nullptr);
    // Lines far outside the bitmap are harmless.
    MoveTo(c.DC, -100000, -5);
    LineTo(c.DC, 100000, -5);
    EXPECT_EQ(c.Count(0xFF0000), 15);
    // Mixes: NOT inverts what is there.
    SetROP2(c.DC, R2_NOT);
    MoveTo(c.DC, 0, 19);
    LineTo(c.DC, 3, 19);
    EXPECT_EQ(c.At(1, 19), 0x000000u);
    DeletePen(red);
}

TEST(RasterTest, WideLinesCoverTheirWidth) {
    TCanvasBits c(20, 20);
    HPEN pen = CreatePen(0x000000, 3);
    SelectPen(c.DC, pen);
    MoveTo(c.DC, 4, 10);
    LineTo(c.DC, 16, 10);
    for (int y : {9, 10, 11})
        EXPECT_EQ(c.At(10, y) & 0xFFFFFF, 0u) << y;
    EXPECT_EQ(c.At(10, 8) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(c.At(10, 12) & 0xFFFFFF, 0xFFFFFFu);
    DeletePen(pen);
}

TEST(RasterTest, PixelsAndFills) {
    TCanvasBits c(4, 4);
    EXPECT_EQ(SetPixel(c.DC, 1, 1, 0x0000FF), 0x0000FFu);
    EXPECT_EQ(GetPixel(c.DC, 1, 1), 0x0000FFu);
    EXPECT_EQ(c.At(1, 1), 0xFF0000u);  // pixels are 0x00RRGGBB
    EXPECT_EQ(SetPixel(c.DC, 4, 0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(GetPixel(c.DC, -1, 0), 0xFFFFFFFFu);
    HBRUSH blue = CreateSolidBrush(0xFF0000);
    FillRect(c.DC, {-10, -10, 2, 2}, blue);
    EXPECT_EQ(c.Count(0x0000FF), 4);
    HBRUSH hollow = CreateHollowBrush();
    FillRect(c.DC, {0, 0, 4, 4}, hollow);
    EXPECT_EQ(c.Count(0x0000FF), 4);
    InvertRect(c.DC, {0, 0, 4, 1});
    EXPECT_EQ(c.At(0, 0), 0xFFFF00u);
    EXPECT_EQ(c.At(3, 0), 0x000000u);
    DeleteBrush(blue);
    DeleteBrush(hollow);
}

TEST(RasterTest, RasterOperations) {
    struct Case {
        const char* name;
        std::uint32_t rop;
        std::uint32_t expected;  // for source 0x0F0F0F, destination 0x333333, brush pattern 0x550055
    };
    const Case cases[] = {
        {"copy", SRCCOPY, 0x0F0F0F},
        {"and", SRCAND, 0x030303},
        {"invert", SRCINVERT, 0x3C3C3C},
        {"erase", SRCERASE, 0x0C0C0C},
        {"paint", SRCPAINT, 0x3F3F3F},
        {"not copy", NOTSRCCOPY, 0xF0F0F0},
        {"pattern", PATCOPY, 0x550055},
        {"dest invert", DSTINVERT, 0xCCCCCC},
        {"blackness", BLACKNESS, 0x000000},
        {"whiteness", WHITENESS, 0xFFFFFF},
        // Destination where the source is 0, brush where it is 1.
        {"select by source", 0xE20746, 0x353035},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TCanvasBits src(1, 1, 0x0F0F0F), dst(1, 1, 0x333333);
        HBRUSH brush = CreateSolidBrush(0x550055);
        SelectBrush(dst.DC, brush);
        EXPECT_TRUE(BitBlt(dst.DC, 0, 0, 1, 1, src.DC, 0, 0, c.rop));
        EXPECT_EQ(dst.At(0, 0) & 0xFFFFFF, c.expected);
        DeleteBrush(brush);
    }
}

TEST(RasterTest, MonochromeConversions) {
    // Colour to monochrome: the source's background colour becomes white.
    TCanvasBits colour(3, 1, 0x00FF00), mono(3, 1, 0, true);
    colour.At(1, 0) = 0xFF0000;
    SetBkColor(colour.DC, 0x0000FF);  // red, as a colour value
    BitBlt(mono.DC, 0, 0, 3, 1, colour.DC, 0, 0, SRCCOPY);
    EXPECT_EQ(mono.At(0, 0), 0u);
    EXPECT_EQ(mono.At(1, 0), 0xFFFFFFu);
    // Monochrome to colour: 0 takes the text colour, 1 the background colour.
    TCanvasBits out(3, 1, 0x123456);
    SetTextColor(out.DC, 0xFF0000);
    SetBkColor(out.DC, 0x00FF00);
    BitBlt(out.DC, 0, 0, 3, 1, mono.DC, 0, 0, SRCCOPY);
    EXPECT_EQ(out.At(0, 0), 0x0000FFu);
    EXPECT_EQ(out.At(1, 0), 0x00FF00u);
}

TEST(RasterTest, MaskBlitTakesTheOperationOfEachMaskBit) {
    TCanvasBits src(4, 1, 0x0000FF), dst(4, 1, 0xFFFFFF), mask(4, 1, 0, true);
    mask.At(1, 0) = mask.At(3, 0) = 0xFFFFFF;
    ASSERT_TRUE(MaskBlt(dst.DC, 0, 0, 4, 1, src.DC, 0, 0, mask.Bitmap, 0, 0, MakeRop4(0x00AA0029, SRCCOPY)));
    EXPECT_EQ(dst.At(0, 0), 0x0000FFu);
    EXPECT_EQ(dst.At(1, 0), 0xFFFFFFu);
    EXPECT_EQ(dst.At(2, 0), 0x0000FFu);
    EXPECT_EQ(dst.At(3, 0), 0xFFFFFFu);
    // A colour bitmap is no mask.
    EXPECT_FALSE(MaskBlt(dst.DC, 0, 0, 4, 1, src.DC, 0, 0, src.Bitmap, 0, 0, SRCCOPY));
}

TEST(RasterTest, StretchingModes) {
    TCanvasBits src(2, 1, 0);
    src.At(1, 0) = 0xFFFFFF;
    TCanvasBits halftone(1, 1), nearest(4, 1);
    SetStretchBltMode(halftone.DC, HALFTONE);
    StretchBlt(halftone.DC, 0, 0, 1, 1, src.DC, 0, 0, 2, 1, SRCCOPY);
    EXPECT_EQ(halftone.At(0, 0), 0x808080u);  // the average of black and white
    StretchBlt(nearest.DC, 0, 0, 4, 1, src.DC, 0, 0, 2, 1, SRCCOPY);
    EXPECT_EQ(nearest.At(1, 0), 0u);
    EXPECT_EQ(nearest.At(2, 0), 0xFFFFFFu);
    // Mirrored by a negative width, from the right edge pixel leftwards.
    StretchBlt(nearest.DC, 3, 0, -4, 1, src.DC, 0, 0, 2, 1, SRCCOPY);
    EXPECT_EQ(nearest.At(0, 0), 0xFFFFFFu);
    EXPECT_EQ(nearest.At(3, 0), 0u);
}

TEST(RasterTest, BlitsReachingOutsideAreClipped) {
    TCanvasBits src(4, 4, 0x111111), dst(4, 4, 0xFFFFFF);
    SetBkColor(src.DC, 0x222222);
    // Source beyond its bitmap reads as its background; destination beyond
    // its bitmap is cut off.
    EXPECT_TRUE(BitBlt(dst.DC, -2, -2, 8, 8, src.DC, 0, 0, SRCCOPY));
    EXPECT_EQ(dst.At(0, 0), 0x111111u);
    EXPECT_EQ(dst.At(3, 3), 0x222222u);
    // Within one bitmap the source is read before it is overwritten.
    TCanvasBits self(4, 1, 0);
    for (int x = 0; x < 4; ++x)
        self.At(x, 0) = static_cast<std::uint32_t>(x);
    BitBlt(self.DC, 1, 0, 3, 1, self.DC, 0, 0, SRCCOPY);
    EXPECT_EQ(self.At(3, 0), 2u);
    EXPECT_FALSE(BitBlt(nullptr, 0, 0, 1, 1, src.DC, 0, 0, SRCCOPY));
    EXPECT_FALSE(BitBlt(dst.DC, 0, 0, 1, 1, nullptr, 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(dst.DC, 0, 0, 1, 1, nullptr, 0, 0, BLACKNESS));
}

TEST(RasterTest, PngRoundTrip) {
    TCanvasBits c(3, 2, 0x123456);
    c.At(2, 1) = 0xABCDEF;
    const std::string path = ::testing::TempDir() + "/rezozuri-raster.png";
    ASSERT_TRUE(SaveBitmapToPng(c.Bitmap, path));
    HBITMAP back = LoadBitmapFromPng(path);
    ASSERT_NE(back, nullptr);
    TBitmapInfo info;
    GetBitmapInfo(back, info);
    EXPECT_EQ(info.Width, 3);
    EXPECT_EQ(info.Bits[5], 0xABCDEFu);
    DeleteBitmap(back);
    EXPECT_EQ(LoadBitmapFromPng(path + ".missing"), nullptr);
}

}  // namespace
