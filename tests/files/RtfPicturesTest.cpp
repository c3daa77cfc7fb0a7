// Pictures in RTF: their bytes checked and measured by kind, read into
// inline picture shapes in every form RTF gives them, and written back
// unchanged.

#include "RtfMemory.h"
#include "files/rtf/RtfPictures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "FontManagerScope.h"
#include "SaveTestSupport.h"
#include "TabManagerScope.h"
#include "base/core/TMemory.h"
#include "files/import/TReadWindow.h"
#include "files/rtf/RtfReader.h"
#include "files/saving/SaveToFormat.h"
#include "model/document/TDoc.h"
#include "model/formats/TShape.h"
#include "model/paragraphs/TPar.h"

namespace {

namespace fs = std::filesystem;

// A PNG signature and header chunk for a picture of the given size.
std::string Png(std::uint32_t width, std::uint32_t height) {
    std::string b = "\x89PNG\r\n\x1A\n";
    b += std::string("\0\0\0\x0D", 4) + "IHDR";
    for (std::uint32_t v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8)
            b.push_back(static_cast<char>((v >> shift) & 0xFF));
    b += std::string("\x08\x06\0\0\0", 5) + "CRC!";
    return b;
}

// A JPEG start, a JFIF segment and a baseline frame header.
std::string Jpeg(std::uint16_t width, std::uint16_t height) {
    std::string b("\xFF\xD8", 2);
    b += std::string("\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 18);
    b += std::string("\xFF\xC0\x00\x11\x08", 5);
    b.push_back(static_cast<char>(height >> 8));
    b.push_back(static_cast<char>(height & 0xFF));
    b.push_back(static_cast<char>(width >> 8));
    b.push_back(static_cast<char>(width & 0xFF));
    b += std::string(10, '\x01');
    return b;
}

std::string Le32(std::int32_t v) {
    std::string b;
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF));
    return b;
}

// A packed DIB: a 40-byte header and one row of pixels.
std::string Dib(std::int32_t width, std::int32_t height) {
    std::string b = Le32(40) + Le32(width) + Le32(height) + std::string("\x01\x00\x18\x00", 4);
    b += std::string(24, '\0');
    b += std::string(static_cast<std::size_t>(width * 3 + 3) / 4 * 4, '\x7F');
    return b;
}

// An enhanced metafile header record with bounds (0, 0) to (w-1, h-1).
std::string Emf(std::int32_t width, std::int32_t height) {
    std::string b = Le32(1) + Le32(88) + Le32(0) + Le32(0) + Le32(width - 1) + Le32(height - 1);
    b += std::string(16, '\0') + Le32(0x464D4520);
    b += std::string(88 - b.size(), '\0');
    return b;
}

// A Windows metafile header (memory metafile, version 3) and its end record.
std::string Wmf() {
    return std::string("\x01\x00\x09\x00\x00\x03\x0C\x00\x00\x00\x00\x00\x03\x00\x00\x00\x00\x00", 18) +
           std::string("\x03\x00\x00\x00\x00\x00", 6);
}

std::string Hex(const std::string& bytes) {
    static constexpr char Digits[] = "0123456789abcdef";
    std::string out;
    for (char c : bytes) {
        out.push_back(Digits[static_cast<std::uint8_t>(c) >> 4]);
        out.push_back(Digits[static_cast<std::uint8_t>(c) & 15]);
    }
    return out;
}

TEST(RtfPicturesTest, MeasuresEachKindAndRefusesDamagedData) {
    struct Case {
        const char* Name;
        std::uint8_t Kind;
        std::string Data;
        bool Good;
        std::int32_t Width;  // pixels, when good
        std::int32_t Height;
        std::uint64_t Offset;  // of the first bad byte, when not
    };
    std::string badJpegSegment = Jpeg(4, 3);
    badJpegSegment[4] = '\x7F';  // the JFIF segment's length runs past the end
    const Case cases[] = {
        {"PNG", pkPng, Png(220, 45), true, 220, 45, 0},
        {"PNG without its signature", pkPng, "GIF89a" + Png(1, 1), false, 0, 0, 0},
        {"PNG cut inside its header", pkPng, Png(2, 2).substr(0, 18), false, 0, 0, 12},
        {"PNG of width 0", pkPng, Png(0, 5), false, 0, 0, 16},
        {"JPEG", pkJpeg, Jpeg(640, 480), true, 640, 480, 0},
        {"JPEG without its start marker", pkJpeg, Jpeg(1, 1).substr(2), false, 0, 0, 0},
        {"JPEG with a segment longer than the data", pkJpeg, badJpegSegment, false, 0, 0, 4},
        {"JPEG without a frame header", pkJpeg, std::string("\xFF\xD8\xFF\xD9", 4), false, 0, 0, 4},
        {"DIB", pkDib, Dib(3, -2), true, 3, 2, 0},
        {"DIB with a header of unknown size", pkDib, Le32(7) + Dib(1, 1), false, 0, 0, 0},
        {"EMF", pkEmf, Emf(100, 50), true, 100, 50, 0},
        {"EMF without its signature", pkEmf, Emf(1, 1).replace(40, 4, "FME "), false, 0, 0, 40},
        {"WMF", pkWmf, Wmf(), true, 0, 0, 0},
        {"WMF with a wrong header size", pkWmf, std::string(Wmf()).replace(2, 1, "\x05"), false, 0, 0, 0},
        {"WMF cut short", pkWmf, Wmf().substr(0, 10), false, 0, 0, 0},
        {"no data", pkPng, "", false, 0, 0, 0},
        {"a kind not supported", pkNone, Png(1, 1), false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TShapePicture picture;
        picture.Kind = c.Kind;
        picture.Data = c.Data;
        const TReadResult result = MeasurePicture(picture);
        EXPECT_EQ(result.Good, c.Good) << result.Reason;
        if (c.Good) {
            EXPECT_EQ(picture.PixelWidth, c.Width);
            EXPECT_EQ(picture.PixelHeight, c.Height);
        } else {
            EXPECT_FALSE(result.Reason.empty());
            EXPECT_EQ(result.Offset, c.Offset) << result.Reason;
        }
    }
}

TEST(RtfPicturesTest, ADeviceDependentBitmapMustHoldItsStatedSize) {
    TShapePicture picture;
    picture.Kind = pkBitmap;
    picture.PicWidth = 16;
    picture.PicHeight = 2;
    picture.WidthBytes = 2;
    picture.Data = std::string(4, '\x55');
    EXPECT_TRUE(MeasurePicture(picture).Good);
    EXPECT_EQ(picture.PixelWidth, 16);
    picture.PicHeight = 3;
    const TReadResult result = MeasurePicture(picture);
    EXPECT_FALSE(result.Good);
    EXPECT_EQ(result.Offset, 4u);
}

TEST(RtfPicturesTest, PicturesWithoutGoalSizesTakeTheirOwn) {
    struct Case {
        const char* Name;
        std::uint8_t Kind;
        std::int32_t PixelWidth, PixelHeight, PicWidth, PicHeight;
        std::int32_t GoalWidth, GoalHeight;
    };
    const Case cases[] = {
        // Pictures of pixels at 96 dots per inch; JPEG the same as PNG.
        {"PNG", pkPng, 100, 50, 0, 0, 1500, 750},
        {"JPEG", pkJpeg, 640, 480, 640, 480, 9600, 7200},
        // Metafiles at their stated extent: 2540 hundredths of a millimetre
        // make an inch.
        {"WMF", pkWmf, 0, 0, 2540, 1270, 1440, 720},
        {"EMF", pkEmf, 10, 10, 5080, 2540, 2880, 1440},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TShapePicture picture;
        picture.Kind = c.Kind;
        picture.PixelWidth = c.PixelWidth;
        picture.PixelHeight = c.PixelHeight;
        picture.PicWidth = c.PicWidth;
        picture.PicHeight = c.PicHeight;
        SetDefaultGoalSize(picture);
        EXPECT_EQ(picture.GoalWidth, c.GoalWidth);
        EXPECT_EQ(picture.GoalHeight, c.GoalHeight);
    }
}

class RtfPictureReadingTest : public ::testing::Test {
protected:
    void SetUp() override { fonts.emplace(); }
    void TearDown() override { fonts.reset(); }

    static std::unique_ptr<TDoc> Read(const std::string& rtf) { return ReadRtfBytes(rtf); }

    static std::string Write(TDoc& doc) { return SaveRtfToMemory(doc); }

    // The pictures of a document, in the order they were read.
    static std::vector<const TShapePicture*> Pictures(const TDoc& doc) {
        std::vector<const TShapePicture*> pictures;
        for (std::int32_t i = 0; i < doc.Shapes.Count; ++i)
            if (doc.Shapes.At<TShape>(i)->Picture.Kind != pkNone)
                pictures.push_back(&doc.Shapes.At<TShape>(i)->Picture);
        return pictures;
    }

private:
    TTabManagerScope tabs;
    std::optional<TFontManagerScope> fonts;
};

TEST_F(RtfPictureReadingTest, EveryFormReadsAndWritesBackUnchanged) {
    const std::string png = Png(220, 45), jpeg = Jpeg(20, 22), dib = Dib(3, 2), emf = Emf(8, 4), wmf = Wmf();
    const std::string bits(4, '\x0F');
    // Hexadecimal data broken over lines with CR LF.
    std::string brokenHex = Hex(png);
    brokenHex.insert(10, "\r\n");
    brokenHex.insert(31, " \n");
    struct Case {
        const char* Name;
        std::string Rtf;
        std::uint8_t Kind;
        std::string Data;
        std::int32_t GoalWidth, GoalHeight;
    };
    const std::vector<Case> cases = {
        {"PNG with goal sizes", "{\\pict\\pngblip\\picw220\\pich45\\picwgoal3300\\pichgoal675 " + Hex(png) + "}", pkPng,
         png, 3300, 675},
        {"PNG broken over lines", "{\\pict\\pngblip\\picwgoal100\\pichgoal100\r\n" + brokenHex + "}", pkPng, png, 100,
         100},
        // Without goal sizes a JPEG takes its own size, not a metafile's.
        {"JPEG without goal sizes", "{\\pict\\jpegblip " + Hex(jpeg) + "}", pkJpeg, jpeg, 300, 330},
        {"EMF", "{\\pict\\emfblip\\picw200\\pich100\\picwgoal113\\pichgoal57 " + Hex(emf) + "}", pkEmf, emf, 113, 57},
        {"WMF", "{\\pict\\wmetafile8\\picw2540\\pich2540 " + Hex(wmf) + "}", pkWmf, wmf, 1440, 1440},
        {"DIB", "{\\pict\\dibitmap0\\picw3\\pich2\\picwgoal45\\pichgoal30 " + Hex(dib) + "}", pkDib, dib, 45, 30},
        {"device-dependent bitmap",
         "{\\pict\\wbitmap0\\wbmbitspixel1\\wbmplanes1\\wbmwidthbytes2\\picw16\\pich2 " + Hex(bits) + "}", pkBitmap,
         bits, 240, 30},
        // Binary data may hold braces and backslashes.
        {"binary data",
         "{\\pict\\wmetafile8\\picwgoal20\\pichgoal20\\bin" + std::to_string(wmf.size() + 3) + " " + wmf + "{}\\}",
         pkWmf, wmf + "{}\\", 20, 20},
        // The picture of a shape's pib property, of an object's result and
        // of a shppict group, where the nonshppict alternative is passed over.
        {"shape",
         "{\\shp{\\*\\shpinst{\\sp{\\sn shapeType}{\\sv 75}}{\\sp{\\sn pib}{\\sv {\\pict\\pngblip " + Hex(png) +
             "}}}}{\\shprslt{\\pict\\wmetafile8 " + Hex(wmf) + "}}}",
         pkPng, png, 3300, 675},
        {"object",
         "{\\object\\objemb{\\*\\objclass Paint}{\\*\\objdata 0102}{\\result{\\pict\\emfblip " + Hex(emf) + "}}}",
         pkEmf, emf, 120, 60},
        {"shppict",
         "{\\*\\shppict{\\pict\\jpegblip " + Hex(jpeg) + "}}{\\nonshppict{\\pict\\wmetafile8 " + Hex(wmf) + "}}",
         pkJpeg, jpeg, 300, 330},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<TDoc> doc = Read("{\\rtf1 A" + c.Rtf + "B\\par}");
        auto pictures = Pictures(*doc);
        ASSERT_EQ(pictures.size(), 1u);
        EXPECT_EQ(pictures[0]->Kind, c.Kind);
        EXPECT_EQ(pictures[0]->Data, c.Data);
        EXPECT_EQ(pictures[0]->GoalWidth, c.GoalWidth);
        EXPECT_EQ(pictures[0]->GoalHeight, c.GoalHeight);
        // Saved and read again, the same bytes in the same form.
        std::unique_ptr<TDoc> again = Read(Write(*doc));
        auto back = Pictures(*again);
        ASSERT_EQ(back.size(), 1u);
        EXPECT_EQ(back[0]->Kind, c.Kind);
        EXPECT_EQ(back[0]->Data, c.Data);
        EXPECT_EQ(back[0]->GoalWidth, c.GoalWidth);
        EXPECT_EQ(back[0]->GoalHeight, c.GoalHeight);
    }
}

TEST_F(RtfPictureReadingTest, PicturesThatCannotBeReadAreDropped) {
    const std::string cases[] = {
        "{\\pict\\pngblip 0102030405}",                          // no PNG
        "{\\pict\\macpict " + Hex(Png(1, 1)) + "}",              // a kind this system does not read
        "{\\pict\\pngblip}",                                     // no data
        "{\\shp{\\*\\shpinst{\\sp{\\sn shapeType}{\\sv 1}}}}",   // a shape without a picture
        "{\\deleted {\\pict\\pngblip " + Hex(Png(1, 1)) + "}}",  // deleted text
    };
    for (const std::string& rtf : cases) {
        SCOPED_TRACE(rtf);
        std::unique_ptr<TDoc> doc = Read("{\\rtf1 A" + rtf + "B\\par}");
        EXPECT_TRUE(Pictures(*doc).empty());
        EXPECT_EQ(doc->Par(0)->CharCount(), 3);  // A, B and the paragraph end
    }
}

// Corpus pictures that the reader does not take, and why.
const std::map<std::string, std::string> PicturePins = {
    {"tika__testBinControlWord", "its one picture is ten bytes of 0xFF, no metafile: dropped as undecodable"},
    {"derived__odf12-part1.lo", "five pictures stand in the text of text boxes (shptxt), which is not read yet"},
    {"rtfpipe__Issue46", "its second picture stands in the text of a shape (shptxt), which is not read yet"},
};

std::string FileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

TEST_F(RtfPictureReadingTest, CorpusPicturesDecodeToTheSizeImageMagickFinds) {
    const std::vector<fs::path> files = CorpusRtfFiles();
    if (files.empty())
        GTEST_SKIP() << "no corpus";
    static const std::map<std::string, std::uint8_t> kinds = {{"pngblip", pkPng},  {"jpegblip", pkJpeg},
                                                              {"emfblip", pkEmf},  {"wmetafile", pkWmf},
                                                              {"dibitmap", pkDib}, {"wbitmap", pkBitmap}};
    const fs::path references = fs::path(REZ_TEST_DATA_DIR) / "picture-reference";
    for (const fs::path& path : files) {
        const std::string name = path.stem().string();
        SCOPED_TRACE(name);
        // The pictures themselves, not the alternatives for other readers.
        struct Expected {
            std::uint8_t Kind;
            std::size_t Bytes;
            std::string Width, Height;
        };
        std::vector<Expected> expected;
        std::istringstream in(fs::exists(references / (name + ".tsv")) ? FileBytes(references / (name + ".tsv"))
                                                                       : std::string());
        for (std::string line; std::getline(in, line);) {
            std::istringstream fields(line);
            std::string index, kind, role;
            Expected e{};
            fields >> index >> kind >> e.Bytes >> e.Width >> e.Height >> role;
            if (role != "picture")
                continue;
            e.Kind = kinds.count(kind) != 0 ? kinds.at(kind) : pkNone;
            expected.push_back(e);
        }
        auto doc = std::make_unique<TDoc>(true);
        TReadWindow window;
        const std::string bytes = FileBytes(path);
        window.AttachMemory(bytes.data(), bytes.size());
        TRtfReadOutcome outcome;
        ASSERT_TRUE(ReadRtfDocument(*doc, window, {}, outcome).Good);
        const auto ours = Pictures(*doc);
        bool same = ours.size() == expected.size();
        for (std::size_t i = 0; same && i < ours.size(); ++i) {
            SCOPED_TRACE("picture " + std::to_string(i));
            const Expected& e = expected[i];
            same = ours[i]->Kind == e.Kind && ours[i]->Data.size() == e.Bytes;
            if (same && e.Width != "-") {
                same =
                    std::to_string(ours[i]->PixelWidth) == e.Width && std::to_string(ours[i]->PixelHeight) == e.Height;
                EXPECT_TRUE(same || PicturePins.count(name) != 0)
                    << "ours " << ours[i]->PixelWidth << "x" << ours[i]->PixelHeight << ", ImageMagick " << e.Width
                    << "x" << e.Height;
            }
        }
        const auto pin = PicturePins.find(name);
        if (pin != PicturePins.end())
            EXPECT_FALSE(same) << "pinned as \"" << pin->second << "\" but agrees now";
        else
            EXPECT_TRUE(same) << ours.size() << " pictures read, " << expected.size() << " in the reference";
    }
}

}  // namespace
