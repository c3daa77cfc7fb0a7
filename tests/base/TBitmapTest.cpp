#include <gtest/gtest.h>

#include <filesystem>

#include "base/core/Errors.h"
#include "base/core/TList.h"
#include "base/graphics/Graphics.h"
#include "base/graphics/TBitmap.h"
#include "base/graphics/TBitmapImage.h"
#include "base/graphics/TCanvas.h"
#include "base/pictures/TFileFormats.h"
#include "base/pictures/TGIFImage.h"
#include "base/pictures/TJPEGImage.h"
#include "base/pictures/TPNGImage.h"
#include "platform/DibSections.h"
#include "platform/Palettes.h"
#include "support/PictureSupport.h"
#include "support/TestSupport.h"

namespace {

// A 24-bit bitmap filled with one colour.
void Fill(TBitmap& bitmap, std::int32_t width, std::int32_t height, TColor color) {
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(width, height);
    bitmap.Canvas()->Brush->SetColor(color);
    bitmap.Canvas()->FillRect({0, 0, width, height});
}

}  // namespace

TEST(TBitmapTest, CopiesShareUntilOneIsDrawnOn) {
    TBitmap a;
    Fill(a, 4, 4, 0x0000FF);
    TBitmap b;
    b.Assign(&a);
    EXPECT_EQ(a.Image(), b.Image());
    b.Canvas()->SetPixelColor(1, 1, 0x00FF00);
    EXPECT_NE(a.Image(), b.Image());
    EXPECT_EQ(a.Canvas()->GetPixelColor(1, 1), 0x0000FF);
    EXPECT_EQ(b.Canvas()->GetPixelColor(1, 1), 0x00FF00);

    // Rows written through ScanLine do not reach the other copy either.
    TBitmap c;
    c.Assign(&a);
    c.ScanLine(0)[0] = 0x12;
    EXPECT_EQ(a.ScanLine(0)[0], 0x00);
    EXPECT_EQ(c.ScanLine(0)[0], 0x12);
}

TEST(TBitmapTest, GrowingKeepsThePixelsAndFillsTheRest) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(2, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) {
            std::uint8_t* px = bitmap.ScanLine(y) + 3 * x;  // red, written without a canvas
            px[0] = 0;
            px[1] = 0;
            px[2] = 0xFF;
        }
    bitmap.SetSize(4, 3);
    const auto rgb = TestSupport::BitmapRgb(bitmap);
    EXPECT_EQ(rgb[(1 * 4 + 1) * 3], 0xFF);
    EXPECT_EQ(rgb[(1 * 4 + 1) * 3 + 1], 0x00);
    EXPECT_EQ(rgb[(2 * 4 + 3) * 3 + 1], 0xFF);  // white without a canvas...
    bitmap.Canvas()->Brush->SetColor(0x00FF00);
    bitmap.SetSize(5, 3);
    EXPECT_EQ(bitmap.Canvas()->GetPixelColor(4, 0), 0x00FF00);  // ...the brush colour with one
    EXPECT_EQ(bitmap.Canvas()->GetPixelColor(0, 0), 0x0000FF);
}

TEST(TBitmapTest, ScanLinesFollowTheRowOrder) {
    for (const bool topDown : {false, true}) {
        SCOPED_TRACE(topDown);
        Platform::TBitmapInfoHeader h;
        h.biSize = 40;
        h.biWidth = 3;
        h.biHeight = topDown ? -4 : 4;
        h.biPlanes = 1;
        h.biBitCount = 24;
        TBitmap bitmap;
        bitmap.SetHandle(Platform::CreateDIBSection(h, nullptr, nullptr, 0));
        TList rows;
        bitmap.GetScanLines(rows);
        ASSERT_EQ(rows.Count, 4);
        auto* base = static_cast<std::uint8_t*>(Platform::DibBits(bitmap.Image()->DIBHandle));
        // Row 0 is the first row in memory top-down and the last bottom-up.
        EXPECT_EQ(bitmap.ScanLine(0), topDown ? base : base + 3 * 12);
        EXPECT_EQ(rows.Item(3), static_cast<void*>(topDown ? base + 3 * 12 : base));
        bitmap.ScanLine(0)[2] = 0xFF;  // red at the top left
        EXPECT_EQ(bitmap.Canvas()->GetPixelColor(0, 0), 0x0000FF);
    }
}

TEST(TBitmapTest, TransparentColourValue) {
    TBitmap empty;
    EXPECT_EQ(empty.TransparentColorValue(), 0x02FFFFFF);
    TBitmap mono;
    mono.SetSize(3, 3);
    mono.SetMonochrome(true);
    EXPECT_TRUE(mono.IsMonochrome());
    EXPECT_EQ(mono.TransparentColorValue(), 0x02FFFFFF);
    TBitmap colour;
    Fill(colour, 3, 3, 0x123456);
    colour.Canvas()->SetPixelColor(0, 2, 0x00FF00);
    EXPECT_EQ(colour.TransparentColorValue(), 0x0200FF00);
}

TEST(TBitmapTest, PixelFormatsConvertAndKeepColours) {
    TBitmap bitmap;
    Fill(bitmap, 4, 2, 0x0000FF);
    bitmap.Canvas()->SetPixelColor(1, 0, 0x808080);
    bitmap.SetPixelFormat(pf4bit);
    EXPECT_EQ(bitmap.GetPixelFormat(), pf4bit);
    EXPECT_EQ(bitmap.GetPalette(), DefaultPalette16());
    bitmap.SetPixelFormat(pf24bit);
    EXPECT_EQ(bitmap.GetPixelFormat(), pf24bit);
    EXPECT_EQ(bitmap.Canvas()->GetPixelColor(0, 0), 0x0000FF);
    EXPECT_EQ(bitmap.Canvas()->GetPixelColor(1, 0), 0x808080);
    bitmap.SetPixelFormat(pfDevice);
    EXPECT_TRUE(bitmap.IsDeviceDependent());
    EXPECT_EQ(bitmap.Canvas()->GetPixelColor(1, 0), 0x808080);
    bitmap.SetPixelFormat(pf8bit);
    EXPECT_EQ(bitmap.GetPixelFormat(), pf8bit);
    EXPECT_EQ(Platform::PaletteEntryCount(bitmap.GetPalette()), 256);
    EXPECT_EQ(bitmap.Canvas()->GetPixelColor(0, 0), 0x0000FF);  // red is in the halftone cube
}

TEST(TBitmapTest, SixteenBitFormatsReadByTheirMasks) {
    struct Case {
        const char* name;
        std::uint32_t compression;
        std::uint32_t masks[3];
        std::uint8_t format;
    };
    const Case cases[] = {
        {"no compression", Platform::BI_RGB, {0, 0, 0}, pf15bit},
        {"5-6-5 fields", Platform::BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}, pf16bit},
        {"other fields", Platform::BI_BITFIELDS, {0x7C00, 0x03E0, 0x001F}, pf32bit},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Platform::TBitmapInfoHeader h;
        h.biSize = 40;
        h.biWidth = 2;
        h.biHeight = 2;
        h.biPlanes = 1;
        h.biBitCount = 16;
        h.biCompression = c.compression;
        TBitmap bitmap;
        bitmap.SetHandle(Platform::CreateDIBSection(h, c.masks, nullptr, 0));
        EXPECT_EQ(bitmap.GetPixelFormat(), c.format);
    }
}

TEST(TBitmapTest, TransparentDrawingLeavesTheKeyColourOut) {
    TBitmap picture;
    Fill(picture, 3, 3, 0x00FF00);  // green all round, the bottom-left pixel too
    picture.Canvas()->SetPixelColor(1, 1, 0x0000FF);
    picture.Transparent = true;
    TBitmap target;
    Fill(target, 3, 3, 0xFF0000);
    target.Canvas()->Draw(0, 0, &picture);
    EXPECT_EQ(target.Canvas()->GetPixelColor(0, 0), 0xFF0000);
    EXPECT_EQ(target.Canvas()->GetPixelColor(1, 1), 0x0000FF);

    // The key-colour copy uses the bitmap's own mask when the colours agree.
    TBitmap other;
    Fill(other, 3, 3, 0xFFFFFF);
    other.Canvas()->Brush->SetColor(0x00FFFF);
    other.Canvas()->CopyWithKeyColor({0, 0, 3, 3}, &picture, {0, 0, 3, 3}, 0x00FF00);
    EXPECT_EQ(other.Canvas()->GetPixelColor(0, 0), 0x00FFFF);
    EXPECT_EQ(other.Canvas()->GetPixelColor(1, 1), 0x0000FF);
}

TEST(TBitmapTest, PatternBrushesDrawTheirBitmap) {
    TBitmap pattern;
    Fill(pattern, 2, 2, 0x0000FF);
    pattern.Canvas()->SetPixelColor(1, 0, 0x00FF00);
    TBrushData data = DefaultBrushData();
    data.Bitmap = &pattern;
    TBitmap target;
    Fill(target, 4, 2, 0);
    target.Canvas()->Brush->SetData(data);
    target.Canvas()->FillRect({0, 0, 4, 2});
    EXPECT_EQ(target.Canvas()->GetPixelColor(2, 0), 0x0000FF);
    EXPECT_EQ(target.Canvas()->GetPixelColor(3, 0), 0x00FF00);
}

TEST(TBitmapTest, PictureClassesByExtension) {
    struct Case {
        const char* extension;
        TGraphicClass expected;
    };
    const Case cases[] = {
        {"bmp", &CreateGraphic<TBitmap>},   {"JPG", &CreateGraphic<TJPEGImage>}, {"jpeg", &CreateGraphic<TJPEGImage>},
        {"png", &CreateGraphic<TPNGImage>}, {"Gif", &CreateGraphic<TGIFImage>},  {"txt", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extension);
        EXPECT_EQ(GraphicFileFormats().FindClass(c.extension), c.expected);
    }
}

TEST(TBitmapTest, AFailedSaveLeavesTheOldFile) {
    TestSupport::TTempDir dir;
    const std::string path = dir.File("picture.png");
    TestSupport::WriteFileBytes(path, "old contents");
    TPNGImage empty;  // a PNG cannot be empty: saving fails
    EXPECT_THROW(empty.SaveToFile(path), EAbort);
    EXPECT_EQ(TestSupport::ReadFileBytes(path), "old contents");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()), 1);
}

TEST(TBitmapTest, DibHelpersDescribeAndReadABitmap) {
    TBitmap bitmap;
    Fill(bitmap, 5, 3, 0x0000FF);
    bitmap.SetPixelFormat(pf8bit);
    Platform::HBITMAP dib = bitmap.Image()->DIBHandle;
    std::int32_t headerSize = 0, imageSize = 0;
    DibSizesOf(dib, 0, headerSize, imageSize);
    EXPECT_EQ(headerSize, 40 + 4 * 256);
    EXPECT_EQ(imageSize, 8 * 3);
    Platform::TBitmapInfoHeader h;
    ASSERT_TRUE(FillBitmapInfoHeader(dib, h, 2));
    EXPECT_EQ(h.biBitCount, 1);
    h.biBitCount = 24;
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(ScanlineBytes(5, 24, 32)) * 3);
    ASSERT_TRUE(ReadBitmapBits(dib, nullptr, h, nullptr, bits.data()));
    EXPECT_EQ(bits[0], 0x00);
    EXPECT_EQ(bits[2], 0xFF);  // red, blue-green-red order

    // A device-dependent bitmap has a description too; a null one has none.
    TBitmap device;
    device.SetSize(4, 4);
    ASSERT_TRUE(FillBitmapInfoHeader(device.Image()->Handle, h, 0));
    EXPECT_EQ(h.biBitCount, 32);
    EXPECT_EQ(h.biSizeImage, 64u);
    EXPECT_FALSE(FillBitmapInfoHeader(nullptr, h, 0));
}
