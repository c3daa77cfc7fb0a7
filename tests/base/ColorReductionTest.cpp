#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/core/TList.h"
#include "base/graphics/TBitmap.h"
#include "base/graphics/TBitmapImage.h"
#include "base/pictures/ColorReduction.h"
#include "base/pictures/TColorLookup.h"
#include "base/pictures/TColorQuantizer.h"
#include "base/pictures/TDitherer.h"
#include "base/pictures/TJPEGImage.h"
#include "platform/DibSections.h"
#include "support/PictureSupport.h"
#include "support/TestSupport.h"

namespace {

// A 24-bit bitmap whose pixel values ($RRGGBB) come from value(x, y).
template <class F>
void Make(TBitmap& bitmap, int width, int height, F value) {
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = value(x, y);
            row[x * 3] = static_cast<std::uint8_t>(v);
            row[x * 3 + 1] = static_cast<std::uint8_t>(v >> 8);
            row[x * 3 + 2] = static_cast<std::uint8_t>(v >> 16);
        }
    }
}

// The colour table of a palette bitmap as pixel values.
std::vector<std::uint32_t> Table(TBitmap& bitmap) {
    std::uint8_t colors[1024] = {};
    const int n = Platform::GetDIBColorTable(bitmap.Image()->DIBHandle, 0, 256, colors);
    std::vector<std::uint32_t> out;
    for (int i = 0; i < n; ++i)
        out.push_back(colors[i * 4] | (colors[i * 4 + 1] << 8) | (static_cast<std::uint32_t>(colors[i * 4 + 2]) << 16));
    return out;
}

// The pixel value of (x, y) of any bitmap, through a 24-bit copy.
std::uint32_t PixelOf(TBitmap& bitmap, int x, int y) {
    TBitmap copy;
    copy.Assign(&bitmap);
    copy.SetPixelFormat(pf24bit);
    const std::uint8_t* p = copy.ScanLine(y) + x * 3;
    return p[0] | (p[1] << 8) | (static_cast<std::uint32_t>(p[2]) << 16);
}

TEST(ColorReductionTest, FewColoursBecomeAPaletteOfExactlyThoseColours) {
    struct Case {
        const char* Name;
        int Colours;
        bool Transparent;
        bool No4Bit;
        std::uint8_t Format;  // after ReduceBitmapColors
        std::size_t TableUsed;
    };
    const Case cases[] = {
        {"two colours: 1 bit", 2, false, false, pf1bit, 2},
        {"five colours: 4 bits", 5, false, false, pf4bit, 5},
        {"five colours without 4-bit pictures: 8 bits, 17 entries", 5, false, true, pf8bit, 17},
        {"256 colours: 8 bits", 256, false, false, pf8bit, 256},
        {"257 colours stay 24-bit", 257, false, false, pf24bit, 0},
        {"transparent, 255 colours without white: 256 entries", 255, true, false, pf8bit, 256},
        {"transparent, 256 colours without white stay 24-bit", 256, true, false, pf24bit, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        // Colours counted down from a blue near 0x80: none is white.
        TBitmap bitmap;
        const int width = 16, height = (c.Colours + 15) / 16;
        Make(bitmap, width, height, [&](int x, int y) {
            const int i = std::min(y * width + x, c.Colours - 1);
            return static_cast<std::uint32_t>(0x102080 + i * 0x010101 % 0x1000000 + i * 7);
        });
        bitmap.Transparent = c.Transparent;
        ReduceColorsNo4Bit = c.No4Bit;
        ReduceBitmapColors(bitmap);
        ReduceColorsNo4Bit = false;
        EXPECT_EQ(bitmap.GetPixelFormat(), c.Format);
        if (c.Format == pf24bit)
            continue;
        const std::vector<std::uint32_t> table = Table(bitmap);
        ASSERT_GE(table.size(), c.TableUsed);
        for (std::size_t i = 1; i < c.TableUsed; ++i)
            EXPECT_LT(table[i - 1], table[i]) << "entries ascend";
        if (c.No4Bit) {
            for (std::uint32_t v = 0; v < 12; ++v)
                EXPECT_EQ(table[v], v) << "unused near-black entries";
        }
        if (c.Transparent) {
            EXPECT_EQ(table[c.TableUsed - 1], 0xFFFFFFu) << "white was added";
        }
    }
}

TEST(ColorReductionTest, TwoColoursKeepTheirPixels) {
    TBitmap bitmap;
    Make(bitmap, 9, 3, [](int x, int y) { return (x + y) % 3 == 0 ? 0x3366CCu : 0x112233u; });
    ReduceBitmapColors(bitmap);
    ASSERT_EQ(bitmap.GetPixelFormat(), pf1bit);
    EXPECT_EQ(Table(bitmap), (std::vector<std::uint32_t>{0x112233, 0x3366CC}));
    EXPECT_EQ(PixelOf(bitmap, 0, 0), 0x3366CCu);
    EXPECT_EQ(PixelOf(bitmap, 1, 0), 0x112233u);
    EXPECT_EQ(PixelOf(bitmap, 2, 1), 0x3366CCu);
}

TEST(ColorReductionTest, MostFrequentColoursAndBlackAndWhite) {
    // Twenty colours, colour i used (i + 1) times: sixteen colours keep the
    // sixteen most frequent exactly.
    std::vector<std::uint32_t> pixels;
    for (std::uint32_t i = 0; i < 20; ++i)
        for (std::uint32_t k = 0; k <= i; ++k)
            pixels.push_back(0x204060 + i * 0x030201);
    const int width = 21, height = static_cast<int>((pixels.size() + 20) / 21);
    TBitmap bitmap;
    Make(bitmap, width, height, [&](int x, int y) {
        const std::size_t i = static_cast<std::size_t>(y * width + x);
        return i < pixels.size() ? pixels[i] : pixels.back();
    });
    std::unique_ptr<TBitmap> sixteen(ReduceToColors(bitmap, 3));
    const std::vector<std::uint32_t> table = Table(*sixteen);
    ASSERT_GE(table.size(), 16u);
    const std::set<std::uint32_t> kept(table.begin(), table.begin() + 16);
    for (std::uint32_t i = 4; i < 20; ++i)
        EXPECT_TRUE(kept.count(0x204060 + i * 0x030201)) << i;
    EXPECT_EQ(table[0], 0x204060u + 19 * 0x030201) << "the most frequent first";
    EXPECT_EQ(PixelOf(*sixteen, width - 1, height - 1), pixels.back());

    std::unique_ptr<TBitmap> two(ReduceToColors(bitmap, 0));
    const std::vector<std::uint32_t> bw = Table(*two);
    ASSERT_GE(bw.size(), 2u);
    EXPECT_EQ(bw[0], 0u);
    EXPECT_EQ(bw[1], 0xFFFFFFu);
}

TEST(ColorReductionTest, OctreeLookupAndDitherer) {
    // Two colours give two leaves of exactly those colours.
    TColorQuantizer quantizer(8);
    for (int i = 0; i < 5; ++i)
        quantizer.AddColor(200, 10, 10);
    quantizer.AddColor(0, 0, 255);
    std::vector<Platform::TPaletteEntry> table;
    quantizer.GetColorTable(table);
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(quantizer.LeafCount, 2u);
    // More colours than wanted are merged down to at most the maximum.
    TBitmap many;
    Make(many, 16, 6, [](int x, int y) { return static_cast<std::uint32_t>(x * 0x110000 + y * 0x33); });
    TColorQuantizer four(4);
    four.AddBitmap(many);
    EXPECT_LE(four.LeafCount, 4u);
    four.GetColorTable(table);
    EXPECT_EQ(table.size(), four.LeafCount);

    // Colours in one 15-bit cell share the first answer.
    const std::vector<Platform::TPaletteEntry> palette = {{0, 0, 0, 0}, {255, 255, 255, 0}, {128, 128, 128, 0}};
    TColorLookup lookup(palette);
    Platform::TPaletteEntry entry;
    EXPECT_EQ(lookup.Find(100, 100, 100, entry), 2);
    EXPECT_EQ(lookup.Find(103, 101, 102, entry), 2);
    EXPECT_EQ(lookup.Find(250, 250, 250, entry), 1);
    EXPECT_EQ(entry.Red, 255);

    // Rows run in alternate directions.
    TDitherer ditherer(4, true, lookup);
    EXPECT_EQ(ditherer.Position, 0);
    for (int i = 0; i < 4; ++i)
        ditherer.Find(0, 0, 0);
    ditherer.NextRow();
    EXPECT_EQ(ditherer.Direction, -1);
    EXPECT_EQ(ditherer.Position, 3);
    // Dithering a mid grey between black and white mixes both.
    TColorLookup blackWhite(std::vector<Platform::TPaletteEntry>{{0, 0, 0, 0}, {255, 255, 255, 0}});
    TDitherer sierra(16, false, blackWhite);
    int white = 0;
    for (int row = 0; row < 8; ++row) {
        for (int i = 0; i < 16; ++i)
            white += sierra.Find(128, 128, 128) == 1;
        sierra.NextRow();
    }
    EXPECT_GT(white, 40);
    EXPECT_LT(white, 88);
}

TEST(ColorReductionTest, QuarterTurn) {
    TBitmap* bitmap = new TBitmap;
    Make(*bitmap, 3, 2, [](int x, int y) { return static_cast<std::uint32_t>(0x100000 * (y + 1) + x); });
    RotateBitmap90(bitmap);
    ASSERT_EQ(bitmap->GetWidth(), 2);
    ASSERT_EQ(bitmap->GetHeight(), 3);
    EXPECT_EQ(PixelOf(*bitmap, 0, 0), 0x100002u) << "the source's top-right pixel";
    EXPECT_EQ(PixelOf(*bitmap, 1, 2), 0x200000u) << "the source's bottom-left pixel";
    delete bitmap;
}

std::vector<std::uint8_t> Rgb(TBitmap& bitmap) {
    TBitmap copy;
    copy.Assign(&bitmap);
    copy.SetPixelFormat(pf24bit);
    return TestSupport::BitmapRgb(copy);
}

double Psnr(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        sum += (a[i] - b[i]) * static_cast<double>(a[i] - b[i]);
    const double mse = sum / static_cast<double>(std::max<std::size_t>(1, a.size()));
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

TEST(ColorReductionTest, APhotoTo256ColoursComparesWithImageMagick) {
    const std::string photo = TestSupport::CorpusPath("pictures/jpeg/ljt__testorig.jpg");
    TJPEGImage jpeg;
    try {
        jpeg.LoadFromFile(photo);
    } catch (...) {
        GTEST_SKIP() << "no corpus";
    }
    TBitmap original;
    original.Assign(&jpeg);
    original.SetPixelFormat(pf24bit);
    const std::vector<std::uint8_t> source = Rgb(original);
    std::unique_ptr<TBitmap> ours(ReduceToColors(original, 7));
    EXPECT_LE(Table(*ours).size(), 256u);
    const double oursPsnr = Psnr(source, Rgb(*ours));
    // Thirty-two colours map to the nearest without dithering.
    std::unique_ptr<TBitmap> few(ReduceToColors(original, 4));
    const double fewPsnr = Psnr(source, Rgb(*few));
    std::printf("256 colours: %.2f dB; 32 colours: %.2f dB\n", oursPsnr, fewPsnr);
    EXPECT_GT(oursPsnr, 28);
    EXPECT_GT(oursPsnr, fewPsnr + 3);

    int status = 0;
    const std::string ppm =
        TestSupport::RunCommand("convert-im6.q16 '" + photo + "' -colors 256 ppm:- 2>/dev/null", &status);
    if (status != 0 || ppm.size() < 20)
        return;  // ImageMagick is not installed
    // The PPM header: P6, width, height, 255, then RGB bytes.
    std::size_t at = 0;
    int fields = 0;
    while (fields < 4 && at < ppm.size()) {
        while (at < ppm.size() && std::isspace(static_cast<unsigned char>(ppm[at])))
            ++at;
        while (at < ppm.size() && !std::isspace(static_cast<unsigned char>(ppm[at])))
            ++at;
        ++fields;
    }
    const std::vector<std::uint8_t> theirs(ppm.begin() + static_cast<std::ptrdiff_t>(at + 1), ppm.end());
    ASSERT_EQ(theirs.size(), source.size());
    const double imagePsnr = Psnr(source, theirs);
    std::printf("ImageMagick -colors 256: %.2f dB\n", imagePsnr);
    EXPECT_GT(oursPsnr, imagePsnr - 3);
}

}  // namespace
