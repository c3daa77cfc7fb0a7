// Pictures of Windows Write files: metafiles and bitmaps read into inline
// picture shapes at the size and scale their header states, damaged ones
// dropped with the reason and offset, and the corpus against the sizes an
// independent reader (LibreOffice) shows.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "WriFileBuilder.h"
#include "files/opening/OpenDocument.h"
#include "files/write/WriReader.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/formats/ShapePicture.h"
#include "model/formats/TShape.h"
#include "model/paragraphs/TPar.h"
#include "platform/ByteReader.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

// A Write file of "Before", a picture paragraph with the given bytes and
// "After": the text, a character page of defaults, a paragraph page and no
// font table.
std::vector<std::uint8_t> FileWithPicture(const std::string& picture) {
    const std::string text = "Before\r\n" + picture + "After";
    std::vector<std::uint8_t> file((128 + text.size() + 127) / 128 * 128, 0);
    StoreU16LE(file.data(), 0xBE31);
    StoreU32LE(file.data() + 14, 128 + static_cast<std::uint32_t>(text.size()));
    std::copy(text.begin(), text.end(), file.begin() + 128);
    AppendWriPropertyPage(file, 128, {{static_cast<std::uint32_t>(text.size()), {}}});
    const auto pnPara = static_cast<std::uint16_t>(file.size() / 128);
    std::vector<std::uint8_t> pictureProps(17, 0);
    pictureProps[1] = 1;  // centred
    pictureProps[16] = 0x10;
    const auto pictureEnd = static_cast<std::uint32_t>(8 + picture.size());
    AppendWriPropertyPage(file, 128,
                          {{8, {}}, {pictureEnd, pictureProps}, {static_cast<std::uint32_t>(text.size()), {}}});
    const auto pnEnd = static_cast<std::uint16_t>(file.size() / 128);
    StoreU16LE(file.data() + 18, pnPara);
    for (const std::size_t field : {20, 22, 24, 26, 28, 96})
        StoreU16LE(file.data() + field, pnEnd);
    return file;
}

// A picture header and its data, as Write stores a picture paragraph.
struct TPictureHeader {
    std::uint16_t Mode = 8;
    std::uint16_t XExt = 2540;
    std::uint16_t YExt = 1270;
    std::uint16_t Width = 2880;
    std::uint16_t Height = 1440;
    std::uint16_t BitmapWidth = 0;
    std::uint16_t BitmapHeight = 0;
    std::uint16_t WidthBytes = 0;
    std::uint8_t Planes = 0;
    std::uint8_t BitsPixel = 0;
    std::uint16_t HeaderSize = 40;
    std::int64_t DataSize = -1;  // -1: the data's own size
    std::uint16_t ScaleX = 1000;
    std::uint16_t ScaleY = 1000;

    std::string With(const std::string& data) const {
        std::string header(40, '\0');
        auto* p = reinterpret_cast<std::uint8_t*>(header.data());
        StoreU16LE(p, Mode);
        StoreU16LE(p + 2, XExt);
        StoreU16LE(p + 4, YExt);
        StoreU16LE(p + 10, Width);
        StoreU16LE(p + 12, Height);
        StoreU16LE(p + 18, BitmapWidth);
        StoreU16LE(p + 20, BitmapHeight);
        StoreU16LE(p + 22, WidthBytes);
        p[24] = Planes;
        p[25] = BitsPixel;
        StoreU16LE(p + 30, HeaderSize);
        StoreU32LE(p + 32, static_cast<std::uint32_t>(DataSize < 0 ? data.size() : DataSize));
        StoreU16LE(p + 36, ScaleX);
        StoreU16LE(p + 38, ScaleY);
        return header + data;
    }
};

// The smallest Windows metafile: its header and the end record.
std::string Metafile() {
    std::string wmf(24, '\0');
    auto* p = reinterpret_cast<std::uint8_t*>(wmf.data());
    StoreU16LE(p, 1);
    StoreU16LE(p + 2, 9);
    StoreU16LE(p + 4, 0x300);
    StoreU32LE(p + 6, 12);
    StoreU32LE(p + 12, 3);
    StoreU32LE(p + 18, 3);
    return wmf;
}

std::vector<const TShape*> Shapes(const TDoc& doc) {
    std::vector<const TShape*> shapes;
    for (std::int32_t i = 0; i < doc.Shapes.Count; ++i)
        shapes.push_back(doc.Shapes.At<TShape>(i));
    return shapes;
}

std::string ParText(TPar& par) {
    return std::string(reinterpret_cast<const char*>(par.Chars.Data), static_cast<std::size_t>(par.Chars.Size));
}

std::unique_ptr<TDoc> Read(const std::vector<std::uint8_t>& file, TReadResult& flaw) {
    auto doc = std::make_unique<TDoc>(true);
    TWriReadOutcome outcome;
    const TReadResult result = ReadWriDocument(*doc, file, outcome);
    EXPECT_TRUE(result.Good) << result.Reason;
    flaw = outcome.Flaw;
    return doc;
}

TEST(WriPictures, PicturesBecomeInlineShapesOfTheirOwnParagraph) {
    struct Case {
        const char* Name;
        TPictureHeader Header;
        std::string Data;
        std::uint8_t Kind;
        std::int32_t GoalWidth, GoalHeight, ScaleX, ScaleY;
    };
    TPictureHeader scaled;
    scaled.ScaleX = 500;
    scaled.ScaleY = 1500;
    TPictureHeader unsized;  // no size in twips: the extent in 100ths of a mm
    unsized.Width = unsized.Height = 0;
    unsized.ScaleX = unsized.ScaleY = 0;
    TPictureHeader bitmap;
    bitmap.Mode = 0xE3;
    bitmap.BitmapWidth = 20;
    bitmap.BitmapHeight = 3;
    bitmap.WidthBytes = 4;
    bitmap.Planes = 1;
    bitmap.BitsPixel = 1;
    TPictureHeader scaledBitmap = bitmap;
    scaledBitmap.ScaleX = 2000;
    TPictureHeader longHeader;  // a header longer than the 40 bytes read
    longHeader.HeaderSize = 44;
    longHeader.DataSize = static_cast<std::int64_t>(Metafile().size());
    const Case cases[] = {
        {"metafile", {}, Metafile(), pkWmf, 2880, 1440, 100, 100},
        {"scaled metafile", scaled, Metafile(), pkWmf, 2880, 1440, 50, 150},
        {"metafile without a size", unsized, Metafile(), pkWmf, 1440, 720, 100, 100},
        // A bitmap is its pixels at 96 dots per inch whatever size the
        // header states.
        {"bitmap", bitmap, std::string(12, '\x55'), pkBitmap, 300, 45, 100, 100},
        {"scaled bitmap", scaledBitmap, std::string(12, '\x55'), pkBitmap, 300, 45, 200, 100},
        {"longer header", longHeader, std::string(4, '\0') + Metafile(), pkWmf, 2880, 1440, 100, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TReadResult flaw;
        auto doc = Read(FileWithPicture(c.Header.With(c.Data)), flaw);
        EXPECT_TRUE(flaw.Good) << flaw.Reason << " at " << flaw.Offset;
        ASSERT_EQ(doc->ParCount(), 3);
        EXPECT_EQ(ParText(*doc->Par(0)), std::string("Before") + char(chParEnd));
        const std::string anchorLine{char(chShapeAnchor), char(chParEnd)};
        EXPECT_EQ(ParText(*doc->Par(1)), anchorLine);
        EXPECT_EQ(doc->Par(1)->Format.Alignment, 1);
        EXPECT_EQ(ParText(*doc->Par(2)), "After");
        const auto shapes = Shapes(*doc);
        ASSERT_EQ(shapes.size(), 1u);
        const TShapePicture& picture = shapes[0]->Picture;
        EXPECT_EQ(shapes[0]->AnchorPar, doc->Par(1));
        EXPECT_EQ(shapes[0]->AnchorOffset, 0);
        EXPECT_EQ(picture.Kind, c.Kind);
        EXPECT_EQ(picture.GoalWidth, c.GoalWidth);
        EXPECT_EQ(picture.GoalHeight, c.GoalHeight);
        EXPECT_EQ(picture.ScaleX, c.ScaleX);
        EXPECT_EQ(picture.ScaleY, c.ScaleY);
        // The bytes after the header, kept as they came.
        EXPECT_EQ(picture.Data, c.Data.substr(c.Header.HeaderSize - 40));
        if (c.Kind == pkBitmap) {
            EXPECT_EQ(picture.PixelWidth, 20);
            EXPECT_EQ(picture.PixelHeight, 3);
            EXPECT_EQ(picture.WidthBytes, 4);
        } else {
            EXPECT_EQ(picture.KindParam, 8);
        }
    }
}

// A damaged picture is dropped with the reason and the offset of its first
// bad byte; the text around it is all read. The picture starts at byte 136
// (the text at 128, "Before\r\n" ahead of it).
TEST(WriPictures, DamagedPicturesAreDroppedWithTheirReason) {
    struct Case {
        const char* Name;
        std::string Picture;
        std::string Reason;
        std::uint64_t Offset;
    };
    auto header = [](auto change) {
        TPictureHeader h;
        change(h);
        return h;
    };
    std::string notMetafile = Metafile();
    notMetafile[2] = 7;
    const Case cases[] = {
        {"header size below 40", header([](TPictureHeader& h) { h.HeaderSize = 20; }).With(Metafile()),
         "a picture header of an impossible size", 136 + 30},
        {"header past the paragraph", header([](TPictureHeader& h) { h.HeaderSize = 400; }).With(Metafile()),
         "a picture header of an impossible size", 136 + 30},
        {"metafile cut short", TPictureHeader{}.With(Metafile().substr(0, 10)), "a metafile cut short in its header",
         136 + 40},
        {"no metafile", TPictureHeader{}.With(notMetafile), "not a Windows metafile: the header is wrong", 136 + 40},
        {"metafile without any size", header([](TPictureHeader& h) { h.Width = h.XExt = 0; }).With(Metafile()),
         "a metafile picture without a size", 136 + 10},
        {"bitmap without pixels", header([](TPictureHeader& h) { h.Mode = 0xE3; }).With(std::string(12, '\0')),
         "a bitmap without a stated size", 136 + 18},
        {"bitmap lines too narrow", header([](TPictureHeader& h) {
                                        h.Mode = 0xE3;
                                        h.BitmapWidth = 40;
                                        h.BitmapHeight = 3;
                                        h.WidthBytes = 4;
                                        h.Planes = h.BitsPixel = 1;
                                    }).With(std::string(12, '\0')),
         "a bitmap of an impossible layout", 136 + 22},
        {"bitmap bits cut short", header([](TPictureHeader& h) {
                                      h.Mode = 0xE3;
                                      h.BitmapWidth = 20;
                                      h.BitmapHeight = 30;
                                      h.WidthBytes = 4;
                                      h.Planes = h.BitsPixel = 1;
                                  }).With(std::string(12, '\0')),
         "a bitmap shorter than its stated size", 136 + 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TReadResult flaw;
        auto doc = Read(FileWithPicture(c.Picture), flaw);
        EXPECT_EQ(flaw.Reason, c.Reason);
        EXPECT_EQ(flaw.Offset, c.Offset);
        EXPECT_TRUE(Shapes(*doc).empty());
        EXPECT_EQ(ParText(*doc->Par(0)), std::string("Before") + char(chParEnd));
        EXPECT_EQ(ParText(*doc->Par(doc->ParCount() - 1)), "After");
    }
}

// An embedded object is left out as the model holds none; that is no flaw
// of the file.
TEST(WriPictures, EmbeddedObjectsAreLeftOutQuietly) {
    TPictureHeader object;
    object.Mode = 0xE4;
    TReadResult flaw;
    auto doc = Read(FileWithPicture(object.With(std::string(30, 'x'))), flaw);
    EXPECT_TRUE(flaw.Good) << flaw.Reason;
    EXPECT_TRUE(Shapes(*doc).empty());
    EXPECT_EQ(ParText(*doc->Par(doc->ParCount() - 1)), "After");
}

// --- The corpus against an independent reader -------------------------------

// tests/data/wri-pictures.tsv (scripts/make-wri-picture-references.sh): per
// corpus file, the size in twips of every picture frame LibreOffice shows.
std::map<std::string, std::vector<std::pair<std::int32_t, std::int32_t>>> PictureReferences() {
    std::map<std::string, std::vector<std::pair<std::int32_t, std::int32_t>>> references;
    std::ifstream in(fs::path(REZ_TEST_DATA_DIR) / "wri-pictures.tsv");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string name;
        int count = 0;
        fields >> name >> count;
        auto& sizes = references[name];
        std::int32_t w = 0, h = 0;
        while (fields >> w >> h)
            sizes.emplace_back(w, h);
        EXPECT_EQ(static_cast<int>(sizes.size()), count) << line;
    }
    return references;
}

TEST(WriPictures, CorpusPicturesMatchTheIndependentReader) {
    const fs::path corpus = fs::path(REZ_CORPUS_DIR) / "wri";
    if (!fs::exists(corpus))
        GTEST_SKIP() << "no corpus at " << corpus;
    const auto references = PictureReferences();
    int files = 0;
    for (const auto& entry : fs::directory_iterator(corpus)) {
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        const auto reference = references.find(name);
        ASSERT_NE(reference, references.end());
        TestSupport::TScriptedMessageBoxes boxes;
        TDoc doc(true);
        TDocOpeningOptions options;
        options.FileName = entry.path().string();
        options.Format = 0xFFFF;
        ASSERT_TRUE(OpenDocument(doc, options));
        std::vector<std::pair<std::int32_t, std::int32_t>> sizes;
        for (const TShape* shape : Shapes(doc)) {
            const TShapePicture& p = shape->Picture;
            sizes.emplace_back(p.GoalWidth * p.ScaleX / 100, p.GoalHeight * p.ScaleY / 100);
        }
        // LibreOffice gives sizes in hundredths of a millimetre at most:
        // a twip either way is the same size.
        ASSERT_EQ(sizes.size(), reference->second.size());
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            EXPECT_NEAR(sizes[i].first, reference->second[i].first, 1);
            EXPECT_NEAR(sizes[i].second, reference->second[i].second, 1);
        }
        ++files;
    }
    EXPECT_GT(files, 0);
}

}  // namespace
