#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "base/core/Errors.h"
#include "base/core/TMemoryStream.h"
#include "base/core/TZCompressionStream.h"
#include "base/graphics/TBitmap.h"
#include "base/graphics/TCanvas.h"
#include "base/pictures/TPNGImage.h"
#include "platform/ByteReader.h"
#include "support/PictureSupport.h"
#include "support/TestSupport.h"

namespace {

// libpng's view of a file, turned into what this program shows: samples
// reduced to their high byte, gAMA applied as (v / 255) ^ (1 / (gamma x
// 2.2)), and transparency composited over white.
bool ReferenceRgb(const std::string& path, int& width, int& height, std::vector<std::uint8_t>& rgb) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr)
        return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<std::uint8_t> rgba;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    width = static_cast<int>(png_get_image_width(png, info));
    height = static_cast<int>(png_get_image_height(png, info));
    png_fixed_point gamma = 0;
    const bool hasGamma = png_get_gAMA_fixed(png, info, &gamma) != 0 && gamma > 0;
    rgba.resize(static_cast<std::size_t>(width) * height * 4);
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[y] = rgba.data() + static_cast<std::size_t>(y) * width * 4;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    std::uint8_t table[256];
    for (int i = 0; i < 256; ++i)
        table[i] =
            hasGamma
                ? static_cast<std::uint8_t>(std::nearbyint(std::pow(i / 255.0, 1.0 / (gamma / 100000.0 * 2.2)) * 255.0))
                : static_cast<std::uint8_t>(i);
    rgb.resize(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0, j = 0; i < rgba.size(); i += 4, j += 3) {
        const unsigned a = rgba[i + 3];
        for (int c = 0; c < 3; ++c)
            rgb[j + c] = static_cast<std::uint8_t>((a * table[rgba[i + c]] + 255 * (255 - a)) / 255);
    }
    return true;
}

std::vector<std::string> SuiteFiles() {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(TestSupport::CorpusPath("pictures/png/pngsuite")))
        if (e.path().extension() == ".png")
            names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool Load(TPNGImage& image, const std::string& bytes) {
    TMemoryStream stream;
    stream.WriteExact(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    stream.SeekTo(0);
    try {
        image.LoadFromStream(stream);
        return true;
    } catch (const EAbort&) {
        return false;
    }
}

std::string Save(TBitmap& image) {
    TMemoryStream stream;
    image.SaveToStream(stream);
    return std::string(reinterpret_cast<const char*>(stream.Memory), static_cast<std::size_t>(stream.MemSize));
}

// A PNG made in the test: IHDR fields and raw (filtered) scanlines.
std::string MakePng(std::uint32_t width,
                    std::uint32_t height,
                    std::uint8_t depth,
                    std::uint8_t colorType,
                    std::uint8_t interlace,
                    const std::string& scanlines,
                    const std::string& extraChunks = std::string()) {
    auto chunk = [](const char* type, const std::string& data) {
        std::string out(4, '\0');
        const auto n = static_cast<std::uint32_t>(data.size());
        for (int i = 0; i < 4; ++i)
            out[i] = static_cast<char>(n >> (24 - 8 * i));
        out += type;
        out += data;
        const std::string body = std::string(type) + data;
        std::uint32_t crc = static_cast<std::uint32_t>(
            ::crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size())));
        for (int i = 0; i < 4; ++i)
            out += static_cast<char>(crc >> (24 - 8 * i));
        return out;
    };
    std::string ihdr(13, '\0');
    for (int i = 0; i < 4; ++i) {
        ihdr[i] = static_cast<char>(width >> (24 - 8 * i));
        ihdr[4 + i] = static_cast<char>(height >> (24 - 8 * i));
    }
    ihdr[8] = static_cast<char>(depth);
    ihdr[9] = static_cast<char>(colorType);
    ihdr[12] = static_cast<char>(interlace);
    TMemoryStream z;
    {
        TZCompressionStream deflater(z);
        deflater.WriteExact(scanlines.data(), static_cast<std::int32_t>(scanlines.size()));
    }
    const std::string idat(reinterpret_cast<const char*>(z.Memory), static_cast<std::size_t>(z.MemSize));
    return std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", ihdr) + extraChunks + chunk("IDAT", idat) +
           chunk("IEND", "");
}

std::string Chunk(const char* type, const std::string& data) {
    return [&] {
        std::string out(4, '\0');
        const auto n = static_cast<std::uint32_t>(data.size());
        for (int i = 0; i < 4; ++i)
            out[i] = static_cast<char>(n >> (24 - 8 * i));
        const std::string body = std::string(type) + data;
        const auto crc = static_cast<std::uint32_t>(
            ::crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size())));
        out += body;
        for (int i = 0; i < 4; ++i)
            out += static_cast<char>(crc >> (24 - 8 * i));
        return out;
    }();
}

}  // namespace

// The whole suite: every sound picture shows libpng's pixels, composited
// over white, and every corrupt one (x*.png) is refused.
TEST(TPNGImageTest, SuiteMatchesLibpngAndRefusesCorruptFiles) {
    const auto names = SuiteFiles();
    ASSERT_GT(names.size(), 150u);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::string path = TestSupport::CorpusPath("pictures/png/pngsuite/" + name);
        TPNGImage image;
        bool loaded = true;
        try {
            image.LoadFromFile(path);
        } catch (const EAbort&) {
            loaded = false;
        }
        if (name[0] == 'x') {
            EXPECT_FALSE(loaded);
            continue;
        }
        ASSERT_TRUE(loaded);
        int width = 0, height = 0;
        std::vector<std::uint8_t> expected;
        ASSERT_TRUE(ReferenceRgb(path, width, height, expected));
        EXPECT_EQ(image.GetWidth(), width);
        EXPECT_EQ(image.GetHeight(), height);
        EXPECT_TRUE(TestSupport::BitmapRgb(image) == expected);
    }
}

TEST(TPNGImageTest, WrittenPicturesPassPngcheckAndReadBack) {
    TestSupport::TTempDir dir;
    for (const char* name : {"basn0g01.png", "basn0g02.png", "basn3p04.png", "basn3p08.png", "basn2c08.png",
                             "basn6a08.png", "basi4a16.png", "tbrn2c08.png"}) {
        SCOPED_TRACE(name);
        TPNGImage image;
        image.LoadFromFile(TestSupport::CorpusPath(std::string("pictures/png/pngsuite/") + name));
        const auto pixels = TestSupport::BitmapRgb(image);
        const std::string out = dir.File(name);
        image.SaveToFile(out);
        int status = -1;
        const std::string report = TestSupport::RunCommand("pngcheck -q '" + out + "' 2>&1", &status);
        EXPECT_EQ(status, 0) << report;
        TPNGImage back;
        back.LoadFromFile(out);
        EXPECT_TRUE(TestSupport::BitmapRgb(back) == pixels);
        int width = 0, height = 0;
        std::vector<std::uint8_t> expected;
        ASSERT_TRUE(ReferenceRgb(out, width, height, expected));
        EXPECT_TRUE(expected == pixels);
    }
}

TEST(TPNGImageTest, WriterChoosesColourTypeByPixelFormat) {
    struct Case {
        const char* name;
        std::uint8_t format;
        std::uint8_t colorType;
        std::uint8_t depth;
        bool palette;
    };
    const Case cases[] = {
        {"1 bit", pf1bit, 3, 1, true},     {"4 bits", pf4bit, 3, 4, true},    {"8 bits", pf8bit, 3, 8, true},
        {"24 bits", pf24bit, 2, 8, false}, {"32 bits", pf32bit, 2, 8, false}, {"device", pfDevice, 2, 8, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPNGImage image;
        image.SetSize(7, 3);
        image.SetPixelFormat(c.format);
        const std::string bytes = Save(image);
        EXPECT_EQ(static_cast<std::uint8_t>(bytes[24]), c.depth);
        EXPECT_EQ(static_cast<std::uint8_t>(bytes[25]), c.colorType);
        EXPECT_EQ(bytes.find("PLTE") != std::string::npos, c.palette);
        EXPECT_EQ(bytes.find("gAMA"), std::string::npos);
        if (c.format == pf32bit || c.format == pfDevice) {
            EXPECT_EQ(image.GetPixelFormat(), pf24bit);  // converted in place
        }
    }
}

TEST(TPNGImageTest, FilterChoiceFollowsTheScores) {
    // A flat colour whose channels differ: Sub wins the first row (it
    // repeats every three bytes), Paeth every later one (all zero).
    TPNGImage image;
    image.SetPixelFormat(pf24bit);
    image.SetSize(8, 3);
    image.Canvas()->Brush->SetColor(0x302010);
    image.Canvas()->FillRect({0, 0, 8, 3});
    const std::string bytes = Save(image);
    const std::size_t idat = bytes.find("IDAT");
    ASSERT_NE(idat, std::string::npos);
    std::uint32_t length = 0;
    for (int i = 0; i < 4; ++i)
        length = (length << 8) | static_cast<std::uint8_t>(bytes[idat - 4 + i]);
    std::vector<std::uint8_t> raw(3 * 25);
    uLongf rawSize = raw.size();
    ASSERT_EQ(::uncompress(raw.data(), &rawSize, reinterpret_cast<const Bytef*>(bytes.data() + idat + 4), length),
              Z_OK);
    ASSERT_EQ(rawSize, 75u);
    EXPECT_EQ(raw[0], 1);
    EXPECT_EQ(raw[25], 4);
    EXPECT_EQ(raw[50], 4);

    // An all-black row scores alike under every filter: None.
    TPNGImage black;
    black.SetPixelFormat(pf24bit);
    black.SetSize(8, 1);
    black.Canvas()->Brush->SetColor(0);
    black.Canvas()->FillRect({0, 0, 8, 1});
    const std::string blackBytes = Save(black);
    const std::size_t at = blackBytes.find("IDAT");
    rawSize = raw.size();
    ASSERT_EQ(::uncompress(raw.data(), &rawSize, reinterpret_cast<const Bytef*>(blackBytes.data() + at + 4),
                           static_cast<uLong>(blackBytes.size() - at - 4 - 16)),
              Z_OK);
    EXPECT_EQ(raw[0], 0);
}

TEST(TPNGImageTest, DecodingEdgeCases) {
    TPNGImage image;
    // A 2-bit grey picture shows its four levels through indices 0, 5, 10, 15.
    ASSERT_TRUE(Load(image, MakePng(4, 1, 2, 0, 0, std::string("\0\x1b", 2))));
    EXPECT_EQ(image.GetPixelFormat(), pf4bit);
    const std::uint8_t* row = image.ScanLine(0);
    EXPECT_EQ(row[0], 0x05);
    EXPECT_EQ(row[1], 0xAF);
    EXPECT_EQ(TestSupport::BitmapRgb(image),
              (std::vector<std::uint8_t>{0, 0, 0, 85, 85, 85, 170, 170, 170, 255, 255, 255}));

    // 16-bit grey with the Sub filter is unfiltered two bytes apart.
    ASSERT_TRUE(Load(image, MakePng(2, 1, 16, 0, 0, std::string("\x01\x10\x00\x10\x00", 5))));
    EXPECT_EQ(image.ScanLine(0)[1], 0x20);

    // RGBA: alpha 0 is white, alpha 255 keeps the colour.
    ASSERT_TRUE(Load(image, MakePng(2, 1, 8, 6, 0, std::string("\x00\x10\x20\x30\x00\x10\x20\x30\xFF", 9))));
    EXPECT_EQ(TestSupport::BitmapRgb(image), (std::vector<std::uint8_t>{255, 255, 255, 0x10, 0x20, 0x30}));

    // Grey with alpha at 8 and 16 bits: grey 0 half covered is mid grey.
    ASSERT_TRUE(Load(image, MakePng(1, 1, 8, 4, 0, std::string("\x00\x00\x80", 3))));
    EXPECT_EQ(TestSupport::BitmapRgb(image)[0], (255 * 127) / 255);
    ASSERT_TRUE(Load(image, MakePng(1, 1, 16, 4, 0, std::string("\x00\x00\x00\x80\xFF", 5))));
    EXPECT_EQ(TestSupport::BitmapRgb(image)[0], (255 * 127) / 255);

    // An interlaced 1 x 1 picture comes from pass 1 alone; an Up filter on
    // a pass's first row works against a zero row.
    ASSERT_TRUE(Load(image, MakePng(1, 1, 8, 0, 1, std::string("\x02\x7F", 2))));
    EXPECT_EQ(TestSupport::BitmapRgb(image)[0], 0x7F);

    // A shorter tRNS blends only the entries it covers.
    const std::string plte = Chunk("PLTE", std::string("\x00\x00\x00\x00\x00\x00", 6));
    const std::string trns = Chunk("tRNS", std::string("\x00", 1));
    ASSERT_TRUE(Load(image, MakePng(2, 1, 8, 3, 0, std::string("\x00\x00\x01", 3), plte + trns)));
    EXPECT_EQ(TestSupport::BitmapRgb(image), (std::vector<std::uint8_t>{255, 255, 255, 0, 0, 0}));
}

TEST(TPNGImageTest, DamagedFilesAreRefusedAndKeepThePicture) {
    const std::string good = MakePng(2, 2, 8, 2, 0, std::string(14, '\0'));
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"image data cut short", MakePng(2, 2, 8, 2, 0, std::string(7, '\0'))},
        {"unknown filter type", MakePng(1, 1, 8, 0, 0, std::string("\x05\x00", 2))},
        {"wrong signature",
         [&] {
             std::string b = good;
             b[0] = '\x88';
             return b;
         }()},
        {"truncated file", good.substr(0, good.size() - 20)},
        {"palette picture without PLTE", MakePng(1, 1, 8, 3, 0, std::string(2, '\0'))},
        {"PLTE not a multiple of 3", MakePng(1, 1, 8, 3, 0, std::string(2, '\0'), Chunk("PLTE", "ab"))},
        {"bit depth 3", MakePng(1, 1, 3, 0, 0, std::string(2, '\0'))},
        {"interlace method 2", MakePng(1, 1, 8, 0, 2, std::string(2, '\0'))},
        {"zero width", MakePng(0, 1, 8, 0, 0, std::string(1, '\0'))},
        {"huge picture from a few bytes", MakePng(60000, 60000, 8, 2, 0, std::string(1, '\0'))},
        {"damaged zlib data",
         [&] {
             std::string b = good;
             b[b.find("IDAT") + 6] ^= 0x55;
             return b;
         }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPNGImage image;
        image.SetSize(5, 5);
        EXPECT_FALSE(Load(image, c.bytes));
        EXPECT_EQ(image.GetWidth(), 5);
    }
}

TEST(TPNGImageTest, GammaZeroIsIgnoredAndOtherChunksAreSkipped) {
    const std::string gama0 = Chunk("gAMA", std::string(4, '\0'));
    const std::string text = Chunk("tEXt", std::string("Comment\0hello", 13));
    TPNGImage image;
    ASSERT_TRUE(Load(image, MakePng(1, 1, 8, 0, 0, std::string("\x00\x40", 2), gama0 + text)));
    EXPECT_EQ(TestSupport::BitmapRgb(image)[0], 0x40);
}

TEST(TPNGImageTest, SeveralIdatChunksAreJoined) {
    const std::string whole = MakePng(3, 1, 8, 2, 0, std::string("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09", 10));
    const std::size_t at = whole.find("IDAT") - 4;
    std::uint32_t length = 0;
    for (int i = 0; i < 4; ++i)
        length = (length << 8) | static_cast<std::uint8_t>(whole[at + i]);
    const std::string data = whole.substr(at + 8, length);
    const std::string split = whole.substr(0, at) + Chunk("IDAT", data.substr(0, 5)) + Chunk("IDAT", data.substr(5)) +
                              whole.substr(at + 12 + length);
    TPNGImage image;
    ASSERT_TRUE(Load(image, split));
    EXPECT_EQ(TestSupport::BitmapRgb(image), (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

// The inner read names why a file was refused and the offset of the first
// byte it could not accept; the picture stays as it was.
TEST(TPNGImageTest, DamagedFilesReportTheReasonAndOffset) {
    const std::string good = MakePng(2, 2, 8, 2, 0, std::string(14, '\0'));
    const std::size_t idat = good.find("IDAT") - 4;
    const std::size_t idatLength = LoadU32BE(good.data() + idat);
    const std::size_t idatEnd = idat + 8 + idatLength;
    constexpr std::size_t kAnywhereInIdat = SIZE_MAX;
    struct Case {
        const char* name;
        std::string bytes;
        const char* reason;
        std::size_t offset;  // kAnywhereInIdat: some byte of the image data
    };
    const Case cases[] = {
        {"a cut PNG chunk", good.substr(0, idat + 20), "a cut PNG chunk", idat},
        {"a cut chunk header", good.substr(0, idat + 6), "a cut PNG chunk", idat},
        {"wrong signature", "\x89PNF" + good.substr(4), "not a PNG signature", 0},
        {"first chunk not IHDR", good.substr(0, 8) + Chunk("IEND", ""), "the first chunk is not IHDR", 8},
        {"unknown critical chunk", MakePng(2, 2, 8, 2, 0, std::string(14, '\0'), Chunk("ABCD", "x")),
         "an unknown critical chunk", 33},
        {"IHDR with a wrong CRC",
         [&] {
             std::string b = good;
             b[29] ^= 1;
             return b;
         }(),
         "a chunk whose CRC does not match", 29},
        {"zero width", MakePng(0, 1, 8, 0, 0, std::string(1, '\0')), "a picture size of 0 or over 2^31 - 1", 16},
        {"bit depth 3", MakePng(1, 1, 3, 0, 0, std::string(2, '\0')),
         "a colour type and bit depth that do not go together", 24},
        {"interlace method 2", MakePng(1, 1, 8, 0, 2, std::string(2, '\0')),
         "an unknown compression, filter or interlace method", 26},
        {"palette picture without PLTE", MakePng(1, 1, 8, 3, 0, std::string(2, '\0')), "a palette picture without PLTE",
         MakePng(1, 1, 8, 3, 0, std::string(2, '\0')).size()},
        {"huge picture from a few bytes", MakePng(60000, 60000, 8, 2, 0, std::string(1, '\0')),
         "a picture larger than its image data can hold", 16},
        {"image data cut short", MakePng(2, 2, 8, 2, 0, std::string(7, '\0')), "the image data ends early",
         idat + 8 + LoadU32BE(MakePng(2, 2, 8, 2, 0, std::string(7, '\0')).data() + idat)},
        {"unknown filter type", MakePng(1, 1, 8, 0, 0, std::string("\x05\x00", 2)), "an unknown filter type",
         kAnywhereInIdat},
        {"damaged zlib data",
         [&] {
             std::string b = good;
             b[idat + 10] ^= 0x55;
             // The CRC is made right again, so that the inflater meets the damage.
             StoreU32BE(b.data() + idatEnd,
                        static_cast<std::uint32_t>(::crc32(0, reinterpret_cast<const Bytef*>(b.data() + idat + 4),
                                                           static_cast<uInt>(idatLength + 4))));
             return b;
         }(),
         "damaged image data", kAnywhereInIdat},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPNGImage image;
        image.SetSize(5, 5);
        const TReadResult result =
            image.ReadFromBytes({reinterpret_cast<const std::uint8_t*>(c.bytes.data()), c.bytes.size()});
        EXPECT_FALSE(result.Good);
        EXPECT_EQ(result.Reason, c.reason);
        if (c.offset == kAnywhereInIdat) {
            EXPECT_GE(result.Offset, idat + 8);
            EXPECT_LE(result.Offset, c.bytes.find("IEND") - 4);
        } else {
            EXPECT_EQ(result.Offset, c.offset);
        }
        EXPECT_EQ(image.GetWidth(), 5);
    }
}

// Headers claiming far more pixels than their data could ever inflate to
// are refused before pixel memory is taken for them; so is a picture too
// large for memory whatever its data.
TEST(TPNGImageTest, HostileHeadersAreRefused) {
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"16 million by 1 in 68 bytes", MakePng(1u << 24, 1, 8, 2, 0, std::string(1, '\0'))},
        {"1 by 2^31 - 1, interlaced", MakePng(1, 0x7FFFFFFF, 16, 6, 1, std::string(9, '\0'))},
        {"2^31 - 1 square, 1 bit", MakePng(0x7FFFFFFF, 0x7FFFFFFF, 1, 0, 0, std::string(64, '\0'))},
        {"many empty IDAT chunks",
         [] {
             std::string b = MakePng(40000, 40000, 8, 6, 0, std::string(1, '\0'));
             std::string empties;
             for (int i = 0; i < 1000; ++i)
                 empties += Chunk("IDAT", "");
             return b.insert(b.find("IDAT") - 4, empties);
         }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPNGImage image;
        EXPECT_FALSE(Load(image, c.bytes));
        EXPECT_TRUE(image.IsEmpty());
    }
    // Sound files read from a stream at any position leave it after IEND.
    const std::string good = MakePng(1, 1, 8, 0, 0, std::string("\x00\x40", 2));
    TMemoryStream stream;
    stream.WriteExact("junk", 4);
    stream.WriteExact(good.data(), static_cast<std::int32_t>(good.size()));
    stream.WriteExact("tail", 4);
    stream.SeekTo(4);
    TPNGImage image;
    image.LoadFromStream(stream);
    EXPECT_EQ(stream.Position(), static_cast<std::int64_t>(4 + good.size()));
}
