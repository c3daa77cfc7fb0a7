// One scene drawn through the canvas and the off-screen bitmap, compared
// with a golden image: text runs with advance arrays, the line and
// underline helpers, pattern lines, fills, frames, inversions and the
// key-colour and mask blits. Regenerate with REZ_UPDATE_GOLDEN=1.

#include <gtest/gtest.h>

#include "base/graphics/DrawingHelpers.h"
#include "base/graphics/Graphics.h"
#include "base/graphics/TCanvas.h"
#include "base/graphics/TServiceBitmap.h"
#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"
#include "platform/Fonts.h"
#include "support/GoldenImages.h"
#include "support/TestSupport.h"

namespace {

// Advances for text: the font's own, with every third one a pixel wider,
// so that the golden image shows the array is honoured.
std::vector<std::int32_t> Advances(Platform::HDC dc, std::u16string_view text) {
    std::vector<std::int32_t> dx;
    for (std::size_t i = 0; i < text.size(); ++i)
        dx.push_back(Platform::GetCharWidthW(dc, text[i]) + (i % 3 == 2 ? 1 : 0));
    return dx;
}

void DrawTextRuns(TCanvas& canvas) {
    struct Run {
        const char* face;
        int height;
        int y;
        std::u16string text;
    };
    const Run runs[] = {
        {"Arial", -13, 4, u"Arial 10 pt: quick fox"},
        {"Arial", -24, 20, u"Arial 18 \u00C9t\u00E9 \u0416"},
        {"Times New Roman", -13, 50, u"Times 10 pt: AVA Wa"},
        {"Times New Roman", -24, 66, u"Times 18 fi\u2014\u20AC"},
    };
    canvas.Brush->SetStyle(bsClear);
    for (const Run& run : runs) {
        canvas.Font->SetFaceName(run.face);
        canvas.Font->SetHeight(run.height);
        canvas.Font->SetColor(run.y < 50 ? 0x000000 : 0x800000);
        Platform::HDC dc = canvas.Handle();
        const std::vector<std::int32_t> dx = Advances(dc, run.text);
        Platform::ExtTextOutW(dc, 4, run.y, 0, nullptr, run.text, dx.data());
    }
    // Opaque, clipped byte text in a 1252 run.
    canvas.Font->SetFaceName("Arial");
    canvas.Font->SetHeight(-12);
    canvas.Font->SetStyles(fsUnderline);
    canvas.Font->SetColor(0xFFFFFF);
    canvas.Brush->SetColor(0x808000);
    canvas.TextRect({4, 96, 150, 112}, 6, 97, "Clipped \xE9\x80 text that runs on and on");
    canvas.Font->SetStyles(0);
}

void DrawLines(TCanvas& canvas, TServiceBitmap& bitmap) {
    DrawEtchedLine(canvas, 160, 300, 8);
    const std::int32_t samples[] = {1, 3, 6, 4, 20, 9, 10, 11, 27, 43, 39};
    canvas.Brush->SetColor(0x0000C0);
    canvas.Font->SetHeight(-11);
    canvas.Font->SetColor(0x000000);
    for (int i = 0; i < 11; ++i)
        DrawUnderlineSample(canvas, {160, 14 + i * 8, 300, 22 + i * 8}, samples[i], false);
    canvas.Brush->SetColor(0x000000);
    DrawUnderlineSample(canvas, {160, 104, 300, 118}, 0, true);
    DrawWavyLine(canvas.Handle(), 160, 300, 126, 0x00A000, 3, 3, 8, 0);
    // Pattern lines fixed to a scrolled page.
    bitmap.PatternOriginX = 3;
    bitmap.PatternOriginY = 5;
    for (int style = 0; style < 5; ++style) {
        bitmap.HorzPatternLine(160, 300, 140 + style * 3, 0x000000, style);
        bitmap.VertPatternLine(304 + style * 3, 10, 150, 0xC00000, style);
    }
    PatternLineThickness = 2;
    bitmap.HorzPatternLine(160, 300, 156, 0x0000FF, 3);
    DottedPixelsHorz(bitmap.DC, 160, 300, 160, 0x008000);
    PatternLineThickness = 1;
}

void DrawShapes(TCanvas& canvas, TServiceBitmap& bitmap) {
    bitmap.FillBox(4, 120, 40, 150, 0x00C0FF);
    bitmap.FrameBox(44, 120, 80, 150, 0x404040);
    canvas.Brush->SetColor(0xC08040);
    canvas.FillRect({84, 120, 120, 150});
    canvas.Brush->SetColor(0x000080);
    canvas.FrameRect({124, 120, 150, 150});
    canvas.DrawFocusRect({128, 124, 146, 146});
    Platform::InvertRect(canvas.Handle(), {20, 130, 100, 140});
    DrawTwoToneFrame(canvas, {4, 154, 40, 176}, 0xC0C0C0, 0x404040);
    canvas.Pen->SetColor(0x008000);
    canvas.Pen->SetWidth(3);
    const TPoint zigzag[] = {{44, 174}, {54, 156}, {64, 174}, {74, 156}};
    canvas.Polyline(zigzag, 3);
    canvas.Pen->SetWidth(1);
}

void DrawBlits(TCanvas& canvas) {
    // A 12 x 12 source: four colour quadrants with a magenta key cross.
    Platform::HBITMAP source = Platform::CreateBitmap32(12, 12);
    Platform::TBitmapInfo info;
    Platform::GetBitmapInfo(source, info);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            info.Bits[y * 12 + x] = (x == 5 || x == 6 || y == 5 || y == 6)
                                        ? 0xFF00FF
                                        : (x < 6 ? (y < 6 ? 0xFF0000 : 0x00FF00) : (y < 6 ? 0x0000FF : 0xFFFF00));
    canvas.Brush->SetColor(0xFFFF00);
    canvas.CopyWithKeyColor({160, 166, 172, 178}, source, {0, 0, 12, 12}, 0xFF00FF);
    canvas.Brush->SetStyle(bsClear);
    canvas.CopyWithKeyColor({180, 166, 192, 178}, source, {0, 0, 12, 12}, 0xFF00FF);
    canvas.CopyWithKeyColor({200, 162, 224, 186}, source, {0, 0, 12, 12}, 0xFF00FF);

    // A mask blit: a diagonal monochrome mask keeps the page on one side.
    Platform::HBITMAP mask = Platform::CreateMonoBitmap(12, 12);
    Platform::GetBitmapInfo(mask, info);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            info.Bits[y * 12 + x] = x > y ? 0xFFFFFF : 0;
    Platform::HDC sourceDC = Platform::CreateCompatibleDC(nullptr);
    Platform::HBITMAP old = Platform::SelectBitmap(sourceDC, source);
    Platform::MaskBlt(canvas.Handle(), 232, 166, 12, 12, sourceDC, 0, 0, mask, 0, 0,
                      Platform::MakeRop4(0x00AA0029, Platform::SRCCOPY));
    // Halftone and nearest-colour stretching of the same source.
    Platform::StretchBlt(canvas.Handle(), 252, 164, 20, 20, sourceDC, 0, 0, 12, 12, Platform::SRCCOPY);
    const int mode = Platform::SetStretchBltMode(canvas.Handle(), Platform::COLORONCOLOR);
    Platform::StretchBlt(canvas.Handle(), 280, 164, 20, 20, sourceDC, 0, 0, 12, 12, Platform::SRCCOPY);
    Platform::SetStretchBltMode(canvas.Handle(), mode);
    Platform::SelectBitmap(sourceDC, old);
    Platform::DeleteDC(sourceDC);
    Platform::DeleteBitmap(mask);
    Platform::DeleteBitmap(source);
}

TEST(GoldenSceneTest, CanvasSceneMatchesTheGoldenImage) {
    TestSupport::UseFixtureFonts();
    TServiceBitmap bitmap;
    bitmap.Width = 320;
    bitmap.Height = 190;
    bitmap.AllocateBitmap();
    bitmap.FillBox(0, 0, 320, 190, 0xFFFFFF);
    {
        TCanvas canvas;
        canvas.SetHandle(bitmap.DC);
        DrawTextRuns(canvas);
        canvas.Brush->SetStyle(bsSolid);
        DrawLines(canvas, bitmap);
        DrawShapes(canvas, bitmap);
        DrawBlits(canvas);
        canvas.SetHandle(nullptr);
    }
    const std::string mismatch = TestSupport::CompareWithGolden(bitmap.Bitmap, "canvas-scene");
    EXPECT_TRUE(mismatch.empty()) << mismatch;
}

}  // namespace
