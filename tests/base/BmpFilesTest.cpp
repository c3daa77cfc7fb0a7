#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "base/core/Errors.h"
#include "base/core/TFileStream.h"
#include "base/core/TMemoryStream.h"
#include "base/graphics/TBitmap.h"
#include "base/graphics/TCanvas.h"
#include "support/PictureSupport.h"
#include "support/TestSupport.h"

namespace {

std::string Sources() {
    return TestSupport::CorpusPath("pictures/SOURCES.md");
}

bool LoadBmp(TBitmap& bitmap, const std::string& path) {
    try {
        bitmap.LoadFromFile(path);
        return true;
    } catch (const EAbort&) {
        return false;
    }
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(TestSupport::CorpusPath(folder)))
        if (e.path().extension() == ".bmp")
            names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A small BMP built in the test: header fields, then the rest as given.
std::string BmpBytes(std::uint32_t headerSize,
                     std::int32_t width,
                     std::int32_t height,
                     std::uint16_t bits,
                     std::uint32_t compression,
                     std::uint32_t colorsUsed,
                     const std::string& rest) {
    std::string dib(std::max<std::uint32_t>(headerSize, 40), '\0');
    auto put32 = [&](std::size_t at, std::uint32_t v) { std::memcpy(&dib[at], &v, 4); };
    auto put16 = [&](std::size_t at, std::uint16_t v) { std::memcpy(&dib[at], &v, 2); };
    put32(0, headerSize);
    if (headerSize == 12) {
        put16(4, static_cast<std::uint16_t>(width));
        put16(6, static_cast<std::uint16_t>(height));
        put16(8, 1);
        put16(10, bits);
    } else {
        put32(4, static_cast<std::uint32_t>(width));
        put32(8, static_cast<std::uint32_t>(height));
        put16(12, 1);
        put16(14, bits);
        put32(16, compression);
        put32(32, colorsUsed);
    }
    dib.resize(headerSize);  // short headers lose the fields past their end
    std::string file = "BM" + std::string(12, '\0');
    const std::uint32_t size = static_cast<std::uint32_t>(14 + dib.size() + rest.size());
    std::memcpy(&file[2], &size, 4);
    return file + dib + rest;
}

bool LoadBytes(TBitmap& bitmap, const std::string& bytes) {
    TMemoryStream stream;
    stream.WriteExact(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    stream.SeekTo(0);
    try {
        bitmap.LoadFromStream(stream);
        return true;
    } catch (const EAbort&) {
        return false;
    }
}

}  // namespace

// Every picture of the suite's g/ folder decodes to the reference pixels.
TEST(BmpFilesTest, GoodSuitePicturesMatchTheReference) {
    for (const std::string& name : FilesIn("pictures/bmp/bmpsuite/g")) {
        SCOPED_TRACE(name);
        int width = 0, height = 0;
        std::string md5;
        const auto row = TestSupport::SourcesRow(Sources(), "g/" + name);
        ASSERT_GE(row.size(), 3u);
        ASSERT_TRUE(TestSupport::ParseSizeAndDigest(row[2], width, height, md5));
        TBitmap bitmap;
        ASSERT_TRUE(LoadBmp(bitmap, TestSupport::CorpusPath("pictures/bmp/bmpsuite/g/" + name)));
        EXPECT_EQ(bitmap.GetWidth(), width);
        EXPECT_EQ(bitmap.GetHeight(), height);
        const auto rgba = TestSupport::BitmapRgba(bitmap);
        EXPECT_EQ(TestSupport::Md5Hex(rgba.data(), rgba.size()), md5);
    }
}

// Bad and questionable pictures, and the extra header variants, either load
// or are refused; nothing crashes or reads outside the file.
TEST(BmpFilesTest, DamagedAndUnusualPicturesNeverCrash) {
    for (const char* folder :
         {"pictures/bmp/bmpsuite/b", "pictures/bmp/bmpsuite/q", "pictures/bmp/bmpsuite/x", "pictures/bmp/image-rs"}) {
        for (const std::string& name : FilesIn(folder)) {
            SCOPED_TRACE(name);
            TBitmap bitmap;
            if (LoadBmp(bitmap, TestSupport::CorpusPath(std::string(folder) + "/" + name)))
                TestSupport::BitmapRgb(bitmap);
        }
    }
}

TEST(BmpFilesTest, ImageRsPicturesThatReadersAgreeOnMatchTheReference) {
    // Core headers, top-down rows and 16- and 32-bit bit fields without alpha.
    for (const char* name :
         {"Core_1_Bit.bmp", "Core_4_Bit.bmp", "Core_8_Bit.bmp", "Info_1_Bit_Top_Down.bmp", "Info_8_Bit_Top_Down.bmp",
          "Info_R8_G8_B8.bmp", "Info_X1_R5_G5_B5.bmp", "V3_R5_G6_B5.bmp", "V4_24_Bit.bmp"}) {
        SCOPED_TRACE(name);
        int width = 0, height = 0;
        std::string md5;
        const auto row = TestSupport::SourcesRow(Sources(), name);
        ASSERT_GE(row.size(), 3u);
        ASSERT_TRUE(TestSupport::ParseSizeAndDigest(row[2], width, height, md5));
        TBitmap bitmap;
        ASSERT_TRUE(LoadBmp(bitmap, TestSupport::CorpusPath(std::string("pictures/bmp/image-rs/") + name)));
        const auto rgba = TestSupport::BitmapRgba(bitmap);
        EXPECT_EQ(TestSupport::Md5Hex(rgba.data(), rgba.size()), md5);
    }
}

TEST(BmpFilesTest, HeadersThatWouldOverrunTheColourTableAreRefused) {
    struct Case {
        const char* name;
        std::string bytes;
    };
    const std::string pixels(64, '\0');
    const Case cases[] = {
        // More colours than 8 bits can index: the table has room for 256.
        {"300 colours", BmpBytes(40, 4, 4, 8, 0, 300, std::string(1200, '\x10') + pixels)},
        {"header of 24 bytes", BmpBytes(24, 4, 4, 8, 0, 0, std::string(1024, '\0') + pixels)},
        {"header of 39 bytes", BmpBytes(39, 4, 4, 8, 0, 0, std::string(1024, '\0') + pixels)},
        {"planes not 1",
         [&] {
             std::string b = BmpBytes(40, 4, 4, 24, 0, 0, pixels);
             b[14 + 12] = 2;
             return b;
         }()},
        {"2 bits a pixel", BmpBytes(40, 4, 4, 2, 0, 0, std::string(16, '\0') + pixels)},
        {"RLE8 of 24 bits", BmpBytes(40, 4, 4, 24, 1, 0, pixels)},
        {"zero width", BmpBytes(40, 0, 4, 24, 0, 0, pixels)},
        {"colour table cut short", BmpBytes(40, 4, 4, 8, 0, 0, std::string(100, '\0'))},
        {"huge picture from a few bytes", BmpBytes(40, 30000, 30000, 24, 0, 0, pixels)},
        {"not BM", "XM" + BmpBytes(40, 4, 4, 24, 0, 0, pixels).substr(2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap bitmap;
        bitmap.SetSize(3, 3);
        EXPECT_FALSE(LoadBytes(bitmap, c.bytes));
        EXPECT_EQ(bitmap.GetWidth(), 3);  // the previous picture stays
    }
}

TEST(BmpFilesTest, CoreHeaderWithThreeByteColoursLoads) {
    // 2 x 1 at 8 bits: colours red and blue, pixels 1 then 0.
    std::string table(256 * 3, '\0');
    table[2] = '\xFF';  // entry 0: red (blue, green, red)
    table[3] = '\xFF';  // entry 1: blue
    const std::string row = std::string("\x01\x00", 2) + std::string(2, '\0');
    TBitmap bitmap;
    ASSERT_TRUE(LoadBytes(bitmap, BmpBytes(12, 2, 1, 8, 0, 0, table + row)));
    const auto rgb = TestSupport::BitmapRgb(bitmap);
    EXPECT_EQ(rgb, (std::vector<std::uint8_t>{0, 0, 255, 255, 0, 0}));
}

TEST(BmpFilesTest, ShortPixelDataLoadsAndLeavesTheRestBlank) {
    // 2 x 2 at 24 bits; only the bottom row is in the file.
    const std::string bottom = std::string("\xFF\xFF\xFF\xFF\xFF\xFF", 6) + std::string(2, '\0');
    TBitmap bitmap;
    ASSERT_TRUE(LoadBytes(bitmap, BmpBytes(40, 2, 2, 24, 0, 0, bottom)));
    const auto rgb = TestSupport::BitmapRgb(bitmap);
    EXPECT_EQ(rgb, (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 255, 255, 255, 255, 255, 255}));
}

TEST(BmpFilesTest, EmptyStreamGivesAnEmptyBitmap) {
    TBitmap bitmap;
    bitmap.SetSize(2, 2);
    TMemoryStream stream;
    bitmap.LoadFromStream(stream);
    EXPECT_TRUE(bitmap.IsEmpty());
}

TEST(BmpFilesTest, WrittenFilesHaveTheDocumentedLayoutAndReadBack) {
    struct Case {
        const char* name;
        std::uint8_t format;
        std::uint32_t offset;
    };
    const Case cases[] = {
        {"8 bits, full table", pf8bit, 54 + 4 * 256},
        {"4 bits", pf4bit, 54 + 4 * 16},
        {"16 bits 5-6-5, masks after the header", pf16bit, 66},
        {"24 bits", pf24bit, 54},
        {"32 bits", pf32bit, 54},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap bitmap;
        bitmap.SetPixelFormat(pf24bit);
        bitmap.SetSize(5, 3);
        bitmap.Canvas()->SetPixelColor(1, 1, 0x0000FF);  // red
        bitmap.Canvas()->SetPixelColor(4, 2, 0xFF0000);  // blue
        bitmap.SetPixelFormat(c.format);
        TMemoryStream stream;
        bitmap.SaveToStream(stream);
        std::uint32_t offset = 0;
        std::memcpy(&offset, stream.Memory + 10, 4);
        EXPECT_EQ(offset, c.offset);
        stream.SeekTo(0);
        TBitmap back;
        back.LoadFromStream(stream);
        EXPECT_EQ(back.GetPixelFormat(), c.format);
        EXPECT_EQ(TestSupport::BitmapRgb(back), TestSupport::BitmapRgb(bitmap));
        EXPECT_EQ(back.Canvas()->GetPixelColor(1, 1), 0x0000FF);
    }
}

TEST(BmpFilesTest, ReadsFromTheStreamPosition) {
    TBitmap source;
    source.SetPixelFormat(pf24bit);
    source.SetSize(2, 2);
    TMemoryStream stream;
    stream.WriteExact("junk", 4);
    source.SaveToStream(stream);
    stream.SeekTo(4);
    TBitmap bitmap;
    bitmap.LoadFromStream(stream);
    EXPECT_EQ(bitmap.GetWidth(), 2);
}

// The inner read names why a file was refused and the offset (from the
// file's start) of the first byte it could not accept, before any pixel
// memory is taken; the picture stays as it was.
TEST(BmpFilesTest, DamagedFilesReportTheReasonAndOffset) {
    const std::string pixels(64, '\0');
    struct Case {
        const char* name;
        std::string bytes;
        const char* reason;
        std::uint64_t offset;
    };
    const Case cases[] = {
        {"a BMP whose palette overruns", BmpBytes(40, 4, 4, 8, 0, 0, std::string(100, '\0')),
         "a colour table past the end of the picture", 54},
        {"a core palette that overruns", BmpBytes(12, 4, 4, 8, 0, 0, std::string(700, '\0')),
         "a colour table past the end of the picture", 26},
        {"file header cut short", "BM\x10\x00", "a BMP file header cut short", 0},
        {"not BM", "XM" + BmpBytes(40, 4, 4, 24, 0, 0, pixels).substr(2), "not a BMP file", 0},
        {"DIB header cut short", BmpBytes(40, 4, 4, 24, 0, 0, pixels).substr(0, 16), "a DIB header cut short", 14},
        {"header of 24 bytes", BmpBytes(24, 4, 4, 8, 0, 0, std::string(1024, '\0') + pixels),
         "a DIB header of an unknown size", 14},
        {"planes not 1",
         [&] {
             std::string b = BmpBytes(40, 4, 4, 24, 0, 0, pixels);
             b[14 + 12] = 2;
             return b;
         }(),
         "a plane count other than 1", 26},
        {"2 bits a pixel", BmpBytes(40, 4, 4, 2, 0, 0, std::string(16, '\0') + pixels),
         "a bit count and compression that cannot be read", 28},
        {"zero width", BmpBytes(40, 0, 4, 24, 0, 0, pixels), "a picture size out of range", 18},
        {"run-length top-down", BmpBytes(40, 4, -4, 8, 1, 0, std::string(1024, '\0') + pixels),
         "a run-length picture stored top-down", 22},
        {"300 colours", BmpBytes(40, 4, 4, 8, 0, 300, std::string(1200, '\x10') + pixels),
         "more colours than the bit count can index", 46},
        {"bit-field masks cut short", BmpBytes(40, 4, 4, 32, 3, 0, "\xFF\x00"), "bit-field masks cut short", 54},
        {"huge picture from a few bytes", BmpBytes(40, 30000, 30000, 24, 0, 0, pixels),
         "a picture larger than its pixel data can fill", 18},
        // 118 bytes claiming 4096 x 4096 at 24 bits (48 MiB of rows).
        {"4096 square from 64 bytes", BmpBytes(40, 4096, 4096, 24, 0, 0, pixels),
         "a picture larger than its pixel data can fill", 18},
        {"fewer than half the rows", BmpBytes(40, 4, 5, 24, 0, 0, std::string(2 * 12, '\0')),
         "a picture larger than its pixel data can fill", 18},
        // Runs of two bytes cover at most 255 pixels each.
        {"4096 square of runs from 64 bytes", BmpBytes(40, 4096, 4096, 8, 1, 0, std::string(1024, '\0') + pixels),
         "a picture larger than its pixel data can fill", 18},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TMemoryStream stream;
        stream.WriteExact(c.bytes.data(), static_cast<std::int32_t>(c.bytes.size()));
        stream.SeekTo(0);
        TBitmap bitmap;
        bitmap.SetSize(3, 3);
        const TReadResult result = bitmap.ParseBMPStream(stream, stream.Size());
        EXPECT_FALSE(result.Good);
        EXPECT_EQ(result.Reason, c.reason);
        EXPECT_EQ(result.Offset, c.offset);
        EXPECT_EQ(bitmap.GetWidth(), 3);
    }
}

// The limits let through what a sound file can hold: half the rows of a
// plain picture, and runs that cover the picture at the most they can.
TEST(BmpFilesTest, PicturesAtTheLimitsLoad) {
    TBitmap bitmap;
    // 4 x 4 at 24 bits with two of its rows.
    ASSERT_TRUE(LoadBytes(bitmap, BmpBytes(40, 4, 4, 24, 0, 0, std::string(2 * 12, '\x7F'))));
    EXPECT_EQ(bitmap.GetHeight(), 4);
    // A last row without its padding still counts.
    ASSERT_TRUE(LoadBytes(bitmap, BmpBytes(40, 1, 2, 24, 0, 0, std::string(3, '\x7F'))));
    EXPECT_EQ(TestSupport::BitmapRgb(bitmap), (std::vector<std::uint8_t>{0, 0, 0, 127, 127, 127}));
    // 1020 x 256 at 8 bits, every row four runs of 255 pixels of colour 1
    // and an end of line: 2560 bytes of runs.
    std::string table(1024, '\0');
    table[4] = '\xFF';  // colour 1 is blue
    std::string runs;
    for (int y = 0; y < 256; ++y)
        runs += std::string("\xFF\x01\xFF\x01\xFF\x01\xFF\x01\x00\x00", 10);
    ASSERT_TRUE(LoadBytes(bitmap, BmpBytes(40, 1020, 256, 8, 1, 0, table + runs)));
    EXPECT_EQ(bitmap.Canvas()->GetPixelColor(1019, 255), 0xFF0000);
}
