#include "model/formats/TDocGraphic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>

#include "base/core/TMemoryStream.h"
#include "base/graphics/TBitmap.h"
#include "base/graphics/TCanvas.h"
#include "base/pictures/TGIFImage.h"
#include "base/pictures/TJPEGImage.h"
#include "base/pictures/TMetafile.h"
#include "base/pictures/TPNGImage.h"
#include "model/document/TDoc.h"
#include "model/formats/ShapePicture.h"
#include "model/formats/TShape.h"
#include "model/managers/TAutoList.h"
#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"
#include "platform/Files.h"

namespace {

using Platform::TRect;

// Pixels as $RRGGBB by position.
using TPixelFn = std::function<std::uint32_t(std::int32_t x, std::int32_t y)>;

std::uint32_t White(std::int32_t, std::int32_t) {
    return 0xFFFFFF;
}

void Paint(TBitmap& bitmap, std::int32_t w, std::int32_t h, const TPixelFn& pixel) {
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(w, h);
    for (std::int32_t y = 0; y < h; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (std::int32_t x = 0; x < w; ++x) {
            const std::uint32_t c = pixel(x, y);
            row[3 * x] = static_cast<std::uint8_t>(c);
            row[3 * x + 1] = static_cast<std::uint8_t>(c >> 8);
            row[3 * x + 2] = static_cast<std::uint8_t>(c >> 16);
        }
    }
}

std::string Encoded(TGraphic& graphic) {
    TMemoryStream stream;
    graphic.SaveToStream(stream);
    return std::string(reinterpret_cast<const char*>(stream.Memory), static_cast<std::size_t>(stream.MemSize));
}

std::string PngFile(std::int32_t w, std::int32_t h, const TPixelFn& pixel = White) {
    TPNGImage png;
    Paint(png, w, h, pixel);
    return Encoded(png);
}
std::string JpegFile(std::int32_t w, std::int32_t h) {
    TBitmap bitmap;
    Paint(bitmap, w, h, [](std::int32_t x, std::int32_t) { return x < 8 ? 0x000000u : 0xFFFFFFu; });
    TJPEGImage jpeg;
    jpeg.Assign(&bitmap);
    return Encoded(jpeg);
}
std::string GifFile(std::int32_t w, std::int32_t h) {
    TGIFImage gif;
    Paint(gif, w, h, [](std::int32_t x, std::int32_t) { return x % 2 == 0 ? 0xFF0000u : 0x0000FFu; });
    return Encoded(gif);
}
std::string BmpFile(std::int32_t w, std::int32_t h) {
    TBitmap bitmap;
    Paint(bitmap, w, h, [](std::int32_t, std::int32_t y) { return y < 2 ? 0x00FF00u : 0xFFFFFFu; });
    return Encoded(bitmap);
}
// A metafile of w x h pixels: red left half, green right half.
std::string MetafileFile(std::int32_t w, std::int32_t h, bool enhanced) {
    TMetafile metafile;
    metafile.SetPixelSize(w, h);
    {
        TMetafileCanvas canvas(&metafile, nullptr);
        canvas.Brush->SetColor(0x0000FF);
        canvas.FillRect({0, 0, w / 2, h});
        canvas.Brush->SetColor(0x00FF00);
        canvas.FillRect({w / 2, 0, w, h});
    }
    metafile.Enhanced = enhanced;
    return Encoded(metafile);
}

std::span<const std::uint8_t> Span(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

// A drawing surface of the given size, white.
class TSurface {
public:
    TSurface(std::int32_t w, std::int32_t h) {
        Bitmap.SetPixelFormat(pf24bit);
        Bitmap.SetSize(w, h);
        Bitmap.Canvas()->Brush->SetColor(0xFFFFFF);
        Bitmap.Canvas()->FillRect({0, 0, w, h});
    }
    Platform::HDC DC() { return Bitmap.Canvas()->Handle(); }
    std::uint32_t Pixel(std::int32_t x, std::int32_t y) { return Bitmap.Canvas()->GetPixelColor(x, y); }
    TBitmap Bitmap;
};

// Restores the loaded-bytes limit a test lowered.
class TLimitGuard {
public:
    explicit TLimitGuard(std::int64_t limit) : Saved(TDocGraphic::LoadedBytesLimit()) {
        TDocGraphic::SetLoadedBytesLimit(limit);
    }
    ~TLimitGuard() { TDocGraphic::SetLoadedBytesLimit(Saved); }
    std::int64_t Saved;
};

TEST(DocGraphicTest, KindAndSizeComeFromTheBytes) {
    struct Case {
        const char* Name;
        std::string Bytes;
        std::uint8_t Declared;
        TGraphicKind Kind;
        std::int32_t PixelWidth, PixelHeight, TwipsWidth, TwipsHeight;
    };
    const Case cases[] = {
        {"png", PngFile(1000, 800), pkNone, TGraphicKind::Png, 1000, 800, 15000, 12000},
        {"png declared as jpeg", PngFile(30, 20), pkJpeg, TGraphicKind::Png, 30, 20, 450, 300},
        {"jpeg", JpegFile(40, 24), pkNone, TGraphicKind::Jpeg, 40, 24, 600, 360},
        {"gif", GifFile(17, 9), pkNone, TGraphicKind::Gif, 17, 9, 255, 135},
        {"bmp", BmpFile(12, 5), pkNone, TGraphicKind::Bmp, 12, 5, 180, 75},
        {"packed dib", BmpFile(12, 5).substr(14), pkDib, TGraphicKind::Dib, 12, 5, 180, 75},
        // Larger than the natural-size cap: shrunk to 4000 pixels, in proportion.
        {"huge png", PngFile(8000, 2), pkNone, TGraphicKind::Png, 8000, 2, 60000, 15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TGraphicHeader header;
        ASSERT_TRUE(ReadGraphicHeader(Span(c.Bytes), c.Declared, header));
        EXPECT_EQ(header.Kind, c.Kind);
        auto graphic = TDocGraphic::FromBytes(Span(c.Bytes));
        if (c.Declared != pkNone) {
            TShapePicture picture;
            picture.Kind = c.Declared;
            picture.Data = c.Bytes;
            graphic = TDocGraphic::FromPicture(picture);
        }
        EXPECT_EQ(graphic->Kind(), c.Kind);
        EXPECT_EQ(graphic->PixelWidth(), c.PixelWidth);
        EXPECT_EQ(graphic->PixelHeight(), c.PixelHeight);
        EXPECT_EQ(graphic->TwipsWidth(), c.TwipsWidth);
        EXPECT_EQ(graphic->TwipsHeight(), c.TwipsHeight);
        EXPECT_FALSE(graphic->Loaded());
    }
}

TEST(DocGraphicTest, MetafilesMeasureByTheirFrame) {
    struct Case {
        const char* Name;
        bool Enhanced;
        TGraphicKind Kind;
    };
    for (const Case c : {Case{"emf", true, TGraphicKind::Emf}, Case{"placeable wmf", false, TGraphicKind::Wmf}}) {
        SCOPED_TRACE(c.Name);
        const std::string bytes = MetafileFile(120, 60, c.Enhanced);
        auto graphic = TDocGraphic::FromBytes(Span(bytes));
        EXPECT_EQ(graphic->Kind(), c.Kind);
        // 120 x 60 pixels of the reference device: about 1800 x 900 twips;
        // the frame's rounding to hundredths of a millimetre may move it a
        // pixel.
        EXPECT_NEAR(graphic->PixelWidth(), 120, 2);
        EXPECT_NEAR(graphic->PixelHeight(), 60, 2);
        EXPECT_NEAR(graphic->TwipsWidth(), 1800, 30);
        EXPECT_NEAR(graphic->TwipsHeight(), 900, 30);

        // Drawn, the picture shows its two halves.
        TSurface surface(120, 60);
        graphic->Draw(surface.DC(), {0, 0, 120, 60});
        EXPECT_EQ(surface.Pixel(10, 30), 0x0000FFu);
        EXPECT_EQ(surface.Pixel(110, 30), 0x00FF00u);
        const std::string& png = graphic->PngBytesOfMetafile();
        ASSERT_GT(png.size(), 8u);
        TPNGImage back;
        ASSERT_TRUE(back.ReadFromBytes(Span(png)));
        EXPECT_EQ(back.GetWidth(), graphic->TwipsWidth() / 15);
        EXPECT_EQ(graphic->CountColours(), 2);
    }
}

TEST(DocGraphicTest, APlainWindowsMetafileTakesItsExtentFromBesideItsBytes) {
    const std::string placeable = MetafileFile(40, 40, false);
    TShapePicture picture;
    picture.Kind = pkWmf;
    picture.Data = placeable.substr(22);  // RTF keeps Windows metafiles without the placeable header
    picture.PicWidth = 2540;              // one inch in hundredths of a millimetre
    picture.PicHeight = 1270;
    auto graphic = TDocGraphic::FromPicture(picture);
    EXPECT_EQ(graphic->Kind(), TGraphicKind::Wmf);
    EXPECT_EQ(graphic->TwipsWidth(), 1440);
    EXPECT_EQ(graphic->TwipsHeight(), 720);
    EXPECT_EQ(graphic->PixelWidth(), 96);
    EXPECT_EQ(graphic->PixelHeight(), 48);

    // Without any extent it is the placeholder's size, never zero.
    picture.PicWidth = picture.PicHeight = 0;
    graphic = TDocGraphic::FromPicture(picture);
    EXPECT_EQ(graphic->TwipsWidth(), TDocGraphic::PlaceholderTwips);
    EXPECT_EQ(graphic->PixelHeight(), TDocGraphic::PlaceholderPixels);
}

TEST(DocGraphicTest, DamagedHeadersNameTheReasonAndOffset) {
    std::string badIhdr = PngFile(4, 4);
    badIhdr[12] = 'X';
    std::string zeroWidth = PngFile(4, 4);
    zeroWidth.replace(16, 4, std::string(4, '\0'));
    std::string hugeWidth = PngFile(4, 4);
    hugeWidth.replace(16, 4, "\x7F\xFF\xFF\xFF");
    std::string jpegNoFrame = "\xFF\xD8\xFF\xDA";
    jpegNoFrame += std::string(10, '\0');
    std::string bmpBadHeader = BmpFile(4, 4);
    bmpBadHeader[14] = 7;  // an information header of 7 bytes
    std::string emfNoDevice = MetafileFile(20, 20, true);
    emfNoDevice.replace(72, 4, std::string(4, '\0'));
    std::string wmfNoInch = MetafileFile(20, 20, false);
    wmfNoInch.replace(14, 2, std::string(2, '\0'));
    struct Case {
        const char* Name;
        std::string Bytes;
        std::string Reason;
        std::uint64_t Offset;
    };
    const Case cases[] = {
        {"empty", "", "no picture bytes", 0},
        {"text", "hello, world", "picture kind not known", 0},
        {"png cut in its header", PngFile(4, 4).substr(0, 20), "PNG file ends inside its header", 20},
        {"png without IHDR first", badIhdr, "PNG file does not begin with its IHDR chunk", 8},
        {"png of width 0", zeroWidth, "picture size out of range", 16},
        {"png of absurd width", hugeWidth, "picture size out of range", 16},
        {"jpeg without frame", jpegNoFrame, "JPEG image data before its frame header", 2},
        {"jpeg cut short", std::string("\xFF\xD8\xFF\xE0\x00", 5), "JPEG file ends before its frame header", 5},
        {"bmp with unknown header", bmpBadHeader, "bitmap header size not known", 14},
        {"emf without device size", emfNoDevice, "EMF reference device out of range", 72},
        {"wmf with no units per inch", wmfNoInch, "metafile units per inch are 0", 14},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TGraphicHeader header;
        const TReadResult result = ReadGraphicHeader(Span(c.Bytes), pkNone, header);
        EXPECT_FALSE(result.Good);
        EXPECT_EQ(result.Reason, c.Reason);
        EXPECT_EQ(result.Offset, c.Offset);
        EXPECT_EQ(header.Kind, TGraphicKind::None);

        // As a picture: the placeholder's size, the bytes kept, a frame drawn.
        auto graphic = TDocGraphic::FromBytes(Span(c.Bytes));
        EXPECT_FALSE(graphic->Readable());
        EXPECT_EQ(graphic->PixelWidth(), TDocGraphic::PlaceholderPixels);
        EXPECT_EQ(graphic->TwipsHeight(), TDocGraphic::PlaceholderTwips);
        EXPECT_EQ(graphic->Bytes(), c.Bytes);
        TSurface surface(40, 40);
        graphic->Draw(surface.DC(), {5, 5, 35, 35});
        EXPECT_FALSE(graphic->Loaded());
        EXPECT_EQ(surface.Pixel(5, 20), 0x808080u);
        EXPECT_EQ(surface.Pixel(20, 20), 0xFFFFFFu);
        EXPECT_EQ(graphic->ToBitmap(), nullptr);
        EXPECT_EQ(graphic->CountColours(), 0);
    }
}

TEST(DocGraphicTest, APictureWhoseBytesCannotBeDecodedStaysUnloaded) {
    // A sound header over damaged image data: the size is believed, the
    // decoding fails quietly and the bytes stay as they were.
    std::string png = PngFile(64, 32);
    png.resize(png.size() - 30);
    auto graphic = TDocGraphic::FromBytes(Span(png));
    EXPECT_TRUE(graphic->Readable());
    EXPECT_EQ(graphic->PixelWidth(), 64);
    const std::int64_t before = TDocGraphic::TotalLoadedBytes();
    graphic->SetSwapped(false);
    EXPECT_FALSE(graphic->Loaded());
    EXPECT_EQ(TDocGraphic::TotalLoadedBytes(), before);
    TSurface surface(64, 32);
    graphic->Draw(surface.DC(), {0, 0, 64, 32});
    EXPECT_EQ(surface.Pixel(0, 10), 0x808080u);
    EXPECT_EQ(graphic->Bytes(), png);
}

TEST(DocGraphicTest, LoadingCountsOnceAndTheBackingFileGoesWithThePicture) {
    const std::string bytes = PngFile(1000, 800);
    std::string file;
    {
        auto graphic = TDocGraphic::FromBytes(Span(bytes));
        file = graphic->FileName();
        ASSERT_FALSE(file.empty());
        EXPECT_TRUE(Platform::FileExists(file));
        const std::int64_t base = TDocGraphic::TotalLoadedBytes();
        graphic->SetSwapped(false);
        graphic->SetSwapped(false);
        EXPECT_TRUE(graphic->Loaded());
        EXPECT_EQ(graphic->LoadedBytes(), 2400000);
        EXPECT_EQ(TDocGraphic::TotalLoadedBytes(), base + 2400000);
        graphic->SetSwapped(true);
        graphic->SetSwapped(true);
        EXPECT_FALSE(graphic->Loaded());
        EXPECT_EQ(TDocGraphic::TotalLoadedBytes(), base);
        graphic->SetSwapped(false);  // destroyed while loaded
    }
    EXPECT_FALSE(Platform::FileExists(file));
}

TEST(DocGraphicTest, RepeatedScaledDrawsUseTheResampledCopyFromTheFourthOn) {
    struct Case {
        const char* Name;
        std::int32_t W, H;
        std::uint32_t Flags;
        bool Cached;
    };
    const Case cases[] = {
        {"scaled 200 x 60", 200, 60, 0, true},
        {"small 100 x 100", 100, 100, 0, false},  // width + height under 256
        {"at its own size", 300, 90, 0, false},
        {"printing", 200, 60, TDocGraphic::dfPrinting, false},
        {"lightened", 200, 60, TDocGraphic::dfLightened, true},
    };
    const std::string bytes =
        PngFile(300, 90, [](std::int32_t x, std::int32_t) { return x < 150 ? 0x000000u : 0xFFFFFFu; });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        auto graphic = TDocGraphic::FromBytes(Span(bytes));
        TSurface surface(c.W + 10, c.H + 10);
        std::uint32_t first = 0;
        for (int draw = 1; draw <= 6; ++draw) {
            SCOPED_TRACE(draw);
            graphic->Draw(surface.DC(), {5, 5, 5 + c.W, 5 + c.H}, c.Flags);
            EXPECT_EQ(graphic->LastDrawCached(), c.Cached && draw >= 4);
            // The copy shows what a direct draw shows.
            if (draw == 1)
                first = surface.Pixel(5 + c.W / 4, 5 + c.H / 2);
            EXPECT_EQ(surface.Pixel(5 + c.W / 4, 5 + c.H / 2), first);
        }
        EXPECT_EQ(graphic->DrawCount(), 6);
        if ((c.Flags & TDocGraphic::dfLightened) != 0)
            EXPECT_NE(first, 0u);
        else
            EXPECT_EQ(first, 0u);
        // A new size starts the count again.
        graphic->Draw(surface.DC(), {5, 5, 5 + c.W - 1, 5 + c.H}, c.Flags);
        EXPECT_FALSE(graphic->LastDrawCached());
    }
}

TEST(DocGraphicTest, AHundredLargePicturesStayUnderTheLimitWhilePainted) {
    // A hundred 1000 x 800 pictures count 240 MB: under a limit of a tenth
    // of that, painting them all, page after page, must unload as it goes.
    const std::string bytes = PngFile(1000, 800, [](std::int32_t x, std::int32_t y) {
        return static_cast<std::uint32_t>((x * 7 + y * 3) & 0xFF) * 0x010101u;
    });
    TLimitGuard limit(24'000'000);
    std::vector<std::unique_ptr<TDocGraphic>> pictures;
    for (int i = 0; i < 100; ++i)
        pictures.push_back(TDocGraphic::FromBytes(Span(bytes)));
    TDocGraphic::ResetPeakLoadedBytes();
    const std::int64_t base = TDocGraphic::TotalLoadedBytes();
    TSurface page(300, 240);
    for (int pass = 0; pass < 2; ++pass)
        for (std::size_t i = 0; i < pictures.size(); ++i) {
            // Half the pictures lie on pages scrolled past without painting.
            if (i % 2 == 1)
                continue;
            pictures[i]->Draw(page.DC(), {0, 0, 300, 240});
            ASSERT_LE(TDocGraphic::TotalLoadedBytes(), TDocGraphic::LoadedBytesLimit());
        }
    EXPECT_LE(TDocGraphic::PeakLoadedBytes(), TDocGraphic::LoadedBytesLimit());
    EXPECT_GT(TDocGraphic::PeakLoadedBytes(), base);
    std::int32_t loaded = 0;
    for (const auto& picture : pictures)
        loaded += picture->Loaded() ? 1 : 0;
    EXPECT_GT(loaded, 0);
    EXPECT_LT(loaded, 50);
    // Every picture, painted or not, still holds its own bytes.
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(pictures[i]->DrawCount(), i % 2 == 0 ? 2 : 0);
        ASSERT_EQ(pictures[i]->Bytes(), bytes);
    }
    pictures.clear();
    EXPECT_EQ(TDocGraphic::TotalLoadedBytes(), base);
}

TEST(DocGraphicTest, APictureLargerThanTheLimitIsNeverDecoded) {
    const std::string bytes = PngFile(200, 200);
    TLimitGuard limit(100'000);  // under the 120,000 bytes it would count
    auto graphic = TDocGraphic::FromBytes(Span(bytes));
    TSurface surface(50, 50);
    graphic->Draw(surface.DC(), {0, 0, 50, 50});
    EXPECT_FALSE(graphic->Loaded());
    EXPECT_EQ(surface.Pixel(0, 25), 0x808080u);
    EXPECT_EQ(graphic->ToBitmap(), nullptr);
}

TEST(DocGraphicTest, OverTheLimitAPictureIsUnloadedAfterEachUse) {
    const std::string bytes = PngFile(100, 100);  // 30,000 bytes loaded
    auto graphic = TDocGraphic::FromBytes(Span(bytes));
    graphic->KeepLoaded = false;
    TSurface surface(100, 100);
    graphic->Draw(surface.DC(), {0, 0, 100, 100});
    EXPECT_FALSE(graphic->Loaded());
    graphic->KeepLoaded = true;
    graphic->Draw(surface.DC(), {0, 0, 100, 100});
    EXPECT_TRUE(graphic->Loaded());
    {
        TLimitGuard limit(40'000);
        auto other = TDocGraphic::FromBytes(Span(bytes));
        // Loading the other makes room by unloading the first.
        EXPECT_NE(other->ToBitmap(), nullptr);
        EXPECT_FALSE(graphic->Loaded());
        EXPECT_TRUE(other->Loaded());
    }
}

TEST(DocGraphicTest, TracingFollowsTheDarkPartsAndStaysBounded) {
    struct Case {
        const char* Name;
        std::int32_t W, H;
        TPixelFn Pixel;
        bool Square;
    };
    const auto disc = [](std::int32_t w, std::int32_t h) {
        return [w, h](std::int32_t x, std::int32_t y) {
            const double dx = x - w / 2.0;
            const double dy = y - h / 2.0;
            return std::sqrt(dx * dx + dy * dy) < std::min(w, h) / 4.0 ? 0x000000u : 0xFFFFFFu;
        };
    };
    const Case cases[] = {
        {"disc", 200, 200, disc(200, 200), false},
        {"all white", 120, 80, White, true},
        {"disc in a large picture", 3000, 2400, disc(3000, 2400), false},
        {"noise", 500, 500,
         [](std::int32_t x, std::int32_t y) { return ((x * 31 + y * 17) % 7 < 3) ? 0x000000u : 0xFFFFFFu; }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string bytes = PngFile(c.W, c.H, c.Pixel);
        auto graphic = TDocGraphic::FromBytes(Span(bytes));
        const std::vector<Platform::TPoint> outline = graphic->TraceOutline();
        if (c.Square) {
            const std::vector<Platform::TPoint> square{{0, 0}, {21600, 0}, {21600, 21600}, {0, 21600}};
            EXPECT_EQ(outline, square);
            continue;
        }
        ASSERT_GT(outline.size(), 2u);
        EXPECT_LE(outline.size(), 1600u);
        for (const auto& p : outline) {
            EXPECT_GE(p.X, 0);
            EXPECT_LE(p.X, 21600);
            EXPECT_GE(p.Y, 0);
            EXPECT_LE(p.Y, 21600);
        }
        if (std::string(c.Name).starts_with("disc")) {
            // The disc spans the middle half: its outline keeps off the
            // picture's edges (with a sampling radius to spare).
            std::int32_t minX = 21600, maxX = 0, minY = 21600, maxY = 0;
            for (const auto& p : outline) {
                minX = std::min(minX, p.X);
                maxX = std::max(maxX, p.X);
                minY = std::min(minY, p.Y);
                maxY = std::max(maxY, p.Y);
            }
            EXPECT_GT(minY, 21600 / 4 - 1000);
            EXPECT_LT(maxY, 21600 * 3 / 4 + 1000);
            EXPECT_GT(maxX - minX, 21600 / 4);
            EXPECT_GT(minX, 1000);
            EXPECT_LT(maxX, 21600 - 1000);
        }
    }
}

TEST(DocGraphicTest, EveryKindConvertsToABitmapAndCountsItsColours) {
    struct Case {
        const char* Name;
        std::string Bytes;
        bool Metafile;
    };
    const Case cases[] = {
        {"png", PngFile(10, 10, [](std::int32_t x, std::int32_t) { return x < 5 ? 0xFF0000u : 0x0000FFu; }), false},
        {"gif", GifFile(10, 10), false},
        {"bmp", BmpFile(10, 10), false},
        {"emf", MetafileFile(20, 10, true), true},
        {"wmf", MetafileFile(20, 10, false), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        auto graphic = TDocGraphic::FromBytes(Span(c.Bytes));
        std::unique_ptr<TBitmap> bitmap = graphic->ToBitmap();
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(bitmap->GetPixelFormat(), pf24bit);
        // A metafile rendered at its natural size in whole pixels may keep a
        // white edge where its frame rounds up.
        if (c.Metafile) {
            EXPECT_GE(graphic->CountColours(), 2);
            EXPECT_LE(graphic->CountColours(), 3);
        } else {
            EXPECT_EQ(graphic->CountColours(), 2);
        }
        EXPECT_EQ(graphic->PngBytesOfMetafile().empty(), !c.Metafile);
    }
    // A JPEG's colours are many after its compression; it still converts.
    auto jpeg = TDocGraphic::FromBytes(Span(JpegFile(32, 16)));
    ASSERT_NE(jpeg->ToBitmap(), nullptr);
    EXPECT_GE(jpeg->CountColours(), 2);
}

TEST(DocGraphicTest, AShapeMakesItsPictureOnFirstUseAndKeepsTheBytesItSaves) {
    const std::string bytes = PngFile(50, 40);
    TShape never(nullptr);
    never.Picture.Kind = pkPng;
    never.Picture.Data = bytes;
    EXPECT_EQ(never.Graphic, nullptr);

    TShape drawn(nullptr);
    drawn.Picture.Kind = pkPng;
    drawn.Picture.Data = bytes;
    TDocGraphic& graphic = drawn.DocGraphic();
    EXPECT_EQ(&graphic, &drawn.DocGraphic());
    TSurface surface(100, 80);
    graphic.Draw(surface.DC(), {0, 0, 100, 80});
    graphic.TraceOutline();

    // What the writers save is untouched by drawing or by never loading.
    EXPECT_EQ(never.Picture.Data, bytes);
    EXPECT_EQ(drawn.Picture.Data, bytes);
    EXPECT_EQ(graphic.Bytes(), bytes);
}

TEST(DocGraphicTest, PictureBulletsCompareAndCopyThroughTheirPictures) {
    TDoc source(true), target(true);  // a new document installs the hooks
    const std::string png = PngFile(8, 8);
    const auto bullet = [&](const std::string& bytes, std::uint8_t kind) {
        auto* shape = new TShape(&source);
        shape->Picture.Kind = kind;
        shape->Picture.Data = bytes;
        source.Shapes.Add(shape);
        return shape;
    };
    TShape* a = bullet(png, pkPng);
    TShape* sameBytes = bullet(png, pkJpeg);  // declared wrongly, read by its bytes
    TShape* other = bullet(PngFile(8, 9), pkPng);
    TShape* empty = bullet("", pkNone);
    TShape* alsoEmpty = bullet("", pkNone);
    EXPECT_TRUE(PictureBulletsEqual(a, sameBytes));
    EXPECT_FALSE(PictureBulletsEqual(a, other));
    EXPECT_FALSE(PictureBulletsEqual(a, empty));
    EXPECT_FALSE(PictureBulletsEqual(empty, alsoEmpty));  // no picture: only itself
    EXPECT_TRUE(PictureBulletsEqual(empty, empty));

    a->DocGraphic();  // a made picture is copied along
    TAutoList list;
    list.SingleLevel = 1;
    list.Levels[0].NumberFormat = lnBullet;
    list.Levels[0].PictureBullet = a;
    TAutoList copied;
    copied.AssignToDoc(list, target);
    TShape* copy = copied.Levels[0].PictureBullet;
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Doc, &target);
    EXPECT_TRUE(target.Shapes.Contains(copy));
    EXPECT_EQ(copy->Picture.Data, png);
    ASSERT_NE(copy->Graphic, nullptr);
    EXPECT_NE(copy->Graphic->FileName(), a->Graphic->FileName());
    EXPECT_TRUE(copy->Graphic->SamePicture(*a->Graphic));
    EXPECT_TRUE(PictureBulletsEqual(a, copy));
}

}  // namespace
