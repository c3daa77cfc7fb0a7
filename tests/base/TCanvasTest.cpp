#include "base/graphics/TCanvas.h"

#include <gtest/gtest.h>

#include "base/core/TList.h"
#include "base/graphics/DrawingHelpers.h"
#include "base/graphics/Graphics.h"
#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"
#include "support/TestSupport.h"

namespace {

// A canvas on a white 32-bit bitmap.
class CanvasTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestSupport::UseFixtureFonts();
        dc = Platform::CreateCompatibleDC(nullptr);
        bitmap = Platform::CreateBitmap32(80, 40);
        original = Platform::SelectBitmap(dc, bitmap);
        canvas.SetHandle(dc);
        canvas.FillRect({0, 0, 80, 40});
    }
    void TearDown() override {
        canvas.SetHandle(nullptr);
        Platform::SelectBitmap(dc, original);
        Platform::DeleteBitmap(bitmap);
        Platform::DeleteDC(dc);
    }
    std::uint32_t Pixel(int x, int y) {
        Platform::TBitmapInfo info;
        Platform::GetBitmapInfo(bitmap, info);
        return info.Bits[y * info.Width + x] & 0xFFFFFF;
    }
    int CountNot(std::uint32_t px, const TRect& r) {
        int n = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                n += Pixel(x, y) != px;
        return n;
    }

    Platform::HDC dc = nullptr;
    Platform::HBITMAP bitmap = nullptr;
    Platform::HBITMAP original = nullptr;
    TCanvas canvas;
};

TEST_F(CanvasTest, PartsAreSelectedLazilyAndDroppedWhenTheyChange) {
    EXPECT_EQ(canvas.State, csHandleValid | csBrushValid);
    canvas.TextWidth("x");
    EXPECT_EQ(canvas.State, csHandleValid | csFontValid | csBrushValid);
    EXPECT_EQ(Platform::CurrentFont(dc), canvas.Font->Handle());
    canvas.Font->SetHeight(-30);
    EXPECT_EQ(canvas.State & csFontValid, 0);
    EXPECT_NE(Platform::CurrentFont(dc), canvas.Font->Handle());
    canvas.Font->SetColor(0x0000FF);  // colour changes deselect too: the text colour is set on selection
    canvas.TextOut(0, 0, "x");
    EXPECT_EQ(Platform::GetTextColor(dc), 0x0000FFu);

    canvas.Pen->SetColor(0x00FF00);
    canvas.MoveTo(0, 39);
    canvas.LineTo(10, 39);
    EXPECT_EQ(Pixel(9, 39), 0x00FF00u);
    EXPECT_EQ(Pixel(10, 39), 0xFFFFFFu);  // the last point is left out

    canvas.SetHandle(nullptr);
    EXPECT_EQ(canvas.State, 0);
    EXPECT_EQ(Platform::CurrentFont(dc), Platform::StockSystemFont());
}

TEST_F(CanvasTest, DrawingOperationsNotifyMeasuringDoesNot) {
    int changing = 0, changed = 0;
    canvas.OnChanging = [&](TCanvas*) { ++changing; };
    canvas.OnChange = [&](TCanvas*) { ++changed; };
    canvas.TextExtent("abc");
    canvas.CharHeight();
    canvas.GetPixelColor(1, 1);
    EXPECT_EQ(changing + changed, 0);
    canvas.FrameRect({1, 1, 5, 5});
    canvas.SetPixelColor(0, 0, 0);
    EXPECT_EQ(changing, 2);
    EXPECT_EQ(changed, 2);
    canvas.TextWidthW(u"abc");  // the wide measure selects everything and says so
    EXPECT_EQ(changing, 3);
    EXPECT_EQ(canvas.State, csAllValid);
}

TEST_F(CanvasTest, TextRectFillsUnlessTheBrushIsClear) {
    canvas.Font->SetFaceName("Arial");
    canvas.Font->SetHeight(-12);
    canvas.Brush->SetColor(0x0000FF);
    canvas.TextRect({0, 0, 40, 20}, 2, 2, "Hi");
    EXPECT_EQ(Pixel(38, 18), 0xFF0000u);  // the whole rectangle took the brush
    EXPECT_EQ(Pixel(45, 5), 0xFFFFFFu);   // nothing outside it

    canvas.Brush->SetStyle(bsClear);
    canvas.TextRect({40, 0, 80, 20}, 42, 2, "Hi");
    EXPECT_EQ(Pixel(78, 18), 0xFFFFFFu);
    EXPECT_GT(CountNot(0xFFFFFF, {40, 0, 80, 20}), 0);  // but the text is there
    // Text is clipped to the rectangle.
    canvas.TextRect({0, 25, 6, 40}, 0, 25, "WWWW");
    EXPECT_EQ(CountNot(0xFFFFFF, {6, 25, 80, 40}), 0);
}

TEST_F(CanvasTest, ExtentsAndClipBounds) {
    canvas.Font->SetFaceName("Arial");
    canvas.Font->SetHeight(-16);
    const TSize size = canvas.TextExtent("Hello");
    EXPECT_EQ(size.cy, 18);
    EXPECT_EQ(size.cx, canvas.TextWidthW(u"Hello"));
    EXPECT_EQ(canvas.TextExtent("").cx, 0);
    EXPECT_EQ(canvas.ClipBounds(), (TRect{0, 0, 80, 40}));
}

TEST_F(CanvasTest, CanvasesAreListedWhileTheyLive) {
    const std::int32_t before = CanvasList().Count;
    {
        TCanvas other;
        EXPECT_EQ(CanvasList().Count, before + 1);
        EXPECT_TRUE(CanvasList().Contains(&other));
    }
    EXPECT_EQ(CanvasList().Count, before);
    canvas.TextWidth("x");
    SystemColorsChanged();
    EXPECT_EQ(canvas.State, csHandleValid);
}

TEST_F(CanvasTest, AGraphicOfNilOrEmptyDrawsNothing) {
    canvas.Draw(0, 0, nullptr);
    canvas.StretchDraw({0, 0, 10, 10}, nullptr);
    EXPECT_EQ(CountNot(0xFFFFFF, {0, 0, 80, 40}), 0);
}

TEST_F(CanvasTest, KeyColourPixelsTakeTheBrushOrStayTransparent) {
    // A 4 x 2 source: green except two magenta key pixels.
    Platform::HBITMAP source = Platform::CreateBitmap32(4, 2);
    Platform::TBitmapInfo info;
    Platform::GetBitmapInfo(source, info);
    for (int i = 0; i < 8; ++i)
        info.Bits[i] = 0x00FF00;
    info.Bits[1] = info.Bits[6] = 0xFF00FF;
    canvas.Brush->SetColor(0x0000FF);  // red brush
    canvas.CopyWithKeyColor({0, 0, 4, 2}, source, {0, 0, 4, 2}, 0xFF00FF);
    EXPECT_EQ(Pixel(0, 0), 0x00FF00u);
    EXPECT_EQ(Pixel(1, 0), 0xFF0000u);
    EXPECT_EQ(Pixel(2, 1), 0xFF0000u);

    canvas.Brush->SetStyle(bsClear);
    for (TRect dest : {TRect{10, 0, 14, 2}, TRect{20, 0, 28, 4}}) {  // same size, then stretched
        SCOPED_TRACE(dest.Width());
        canvas.CopyWithKeyColor(dest, source, {0, 0, 4, 2}, 0xFF00FF);
        const int sx = dest.Width() / 4;
        EXPECT_EQ(Pixel(dest.Left, dest.Top), 0x00FF00u);
        EXPECT_EQ(Pixel(dest.Left + sx, dest.Top), 0xFFFFFFu);  // the page shows through
        EXPECT_EQ(Pixel(dest.Left + 2 * sx, dest.Top + sx), 0xFFFFFFu);
        EXPECT_EQ(Pixel(dest.Left + 3 * sx, dest.Top + sx), 0x00FF00u);
    }
    Platform::DeleteBitmap(source);
}

TEST_F(CanvasTest, WavyLinesStayInTheirBandAndRestoreTheClip) {
    const TRect clip{0, 0, 70, 40};
    Platform::IntersectClipRect(dc, clip);
    DrawWavyLine(dc, 5, 60, 20, 0x000000, 1, 2, 6, 0);
    EXPECT_GT(CountNot(0xFFFFFF, {5, 15, 60, 26}), 20);
    EXPECT_EQ(CountNot(0xFFFFFF, {0, 0, 80, 15}) + CountNot(0xFFFFFF, {0, 26, 80, 40}), 0);
    EXPECT_EQ(CountNot(0xFFFFFF, {0, 0, 5, 40}) + CountNot(0xFFFFFF, {60, 0, 80, 40}), 0);
    EXPECT_EQ(canvas.ClipBounds(), clip);
    // Degenerate periods draw nothing rather than dividing by zero or looping.
    for (int period : {0, 1, -6}) {
        DrawWavyLine(dc, 5, 60, 35, 0x000000, 1, 2, period, 0);
        EXPECT_EQ(CountNot(0xFFFFFF, {0, 30, 80, 40}), 0);
    }
}

TEST_F(CanvasTest, UnderlineSamples) {
    struct Case {
        int style;
        std::vector<int> columns;  // inked columns of the centre row, first 12
        int rows;
    };
    const Case cases[] = {
        {1, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 1},
        {6, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 2},
        {4, {0, 1, 4, 5, 8, 9}, 1},
        {20, {0, 1, 4, 5, 8, 9}, 2},
        {7, {0, 1, 2, 3, 4, 5, 6, 7}, 1},
        {9, {0, 1, 2, 3, 4, 5, 6, 7, 10, 11}, 1},
        {99, {}, 0},
    };
    canvas.Brush->SetColor(0x000000);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        Platform::HBRUSH white = Platform::CreateSolidBrush(0xFFFFFF);
        Platform::FillRect(dc, {0, 0, 80, 40}, white);
        Platform::DeleteBrush(white);
        DrawUnderlineSample(canvas, {0, 10, 40, 21}, c.style, false);  // centre row 15
        std::vector<int> inked;
        for (int x = 0; x < 12; ++x)
            if (Pixel(x, 15) == 0)
                inked.push_back(x);
        EXPECT_EQ(inked, c.columns);
        EXPECT_EQ(CountNot(0xFFFFFF, {0, 16, 80, 17}) > 0, c.rows == 2);
        EXPECT_EQ(CountNot(0xFFFFFF, {40, 0, 80, 40}), 0);  // clipped at the right edge
    }
}

}  // namespace

namespace {

TEST(PaletteHelpersTest, BitmapInfoArithmetic) {
    EXPECT_EQ(ColorCountOfBits(1), 2);
    EXPECT_EQ(ColorCountOfBits(4), 16);
    EXPECT_EQ(ColorCountOfBits(8), 256);
    EXPECT_EQ(ColorCountOfBits(24), 0);
    EXPECT_EQ(ScanlineBytes(1, 1, 32), 4);
    EXPECT_EQ(ScanlineBytes(33, 1, 32), 8);
    EXPECT_EQ(ScanlineBytes(3, 24, 32), 12);
    EXPECT_EQ(ScanlineBytes(3, 24, 8), 9);
    std::uint8_t entries[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    SwapPaletteColors(entries, 2);
    EXPECT_EQ(entries[0], 3);
    EXPECT_EQ(entries[2], 1);
    EXPECT_EQ(entries[4], 7);
    const std::uint16_t header[10] = {0xCDD7, 0x9AC6, 0, 0, 0, 100, 100, 1440, 0, 0};
    EXPECT_EQ(PlaceableHeaderChecksum(header), 0xCDD7 ^ 0x9AC6 ^ 100 ^ 100 ^ 1440);
}

TEST(PaletteHelpersTest, PalettesRoundTripThroughColourTables) {
    std::uint8_t table[16 * 4];
    EXPECT_EQ(PaletteToColorTable(DefaultPalette16(), table, 15), 16);
    EXPECT_EQ(table[1 * 4 + 2], 128);  // dark red: red in the third byte
    EXPECT_EQ(PaletteFromColorTable(table, 16), DefaultPalette16());
    DeletePalette(DefaultPalette16());  // the shared palette survives
    EXPECT_EQ(PaletteToColorTable(DefaultPalette16(), table, 3), 4);

    const std::uint8_t two[8] = {0x10, 0x20, 0x30, 0, 0xA0, 0xB0, 0xC0, 0};
    Platform::HPALETTE p = PaletteFromColorTable(two, 2);
    ASSERT_NE(p, nullptr);
    std::uint8_t back[8] = {};
    EXPECT_EQ(PaletteToColorTable(p, back, 255), 2);
    EXPECT_EQ(std::vector<std::uint8_t>(back, back + 8), std::vector<std::uint8_t>(two, two + 8));
    DeletePalette(p);
    EXPECT_EQ(PaletteFromColorTable(two, 0), nullptr);
    const std::int32_t colors[16] = {0x0000FF};
    p = CreatePalette16(colors);
    EXPECT_EQ(PaletteToColorTable(p, table, 15), 16);
    EXPECT_EQ(table[2], 0xFF);
    DeletePalette(p);
    DeletePalette(nullptr);
}

}  // namespace
