#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/core/Errors.h"
#include "base/graphics/TBitmap.h"
#include "base/graphics/TBitmapImage.h"
#include "base/pictures/PictureHelpers.h"
#include "base/pictures/TMetafile.h"
#include "base/pictures/TPNGImage.h"
#include "base/text/TStringList.h"
#include "platform/Bitmaps.h"
#include "platform/Screen.h"
#include "support/TestSupport.h"

namespace {

struct TOut {
    std::vector<std::uint8_t> B;
    void U32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            B.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
};

// A packed string table of (id, text) pairs in ascending id order.
std::vector<std::uint8_t> PackedTable(const std::vector<std::pair<std::uint32_t, std::string>>& entries) {
    TOut t;
    t.U32(static_cast<std::uint32_t>(entries.size()));
    for (const auto& e : entries)
        t.U32(e.first);
    std::uint32_t offset = static_cast<std::uint32_t>(4 + entries.size() * 8);
    for (const auto& e : entries) {
        t.U32((offset << 10) | static_cast<std::uint32_t>(e.second.size()));
        offset += static_cast<std::uint32_t>(e.second.size());
    }
    for (const auto& e : entries)
        t.B.insert(t.B.end(), e.second.begin(), e.second.end());
    return t.B;
}

TEST(PictureHelpersTest, Lightening) {
    EXPECT_EQ(LightenColor(0x000000), MakeRGB(178, 178, 178));
    EXPECT_EQ(LightenColor(0xFFFFFF), 0xFFFFFF);
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(2, 1);
    bitmap.Canvas()->Brush->SetColor(0x000000);
    bitmap.Canvas()->FillRect({0, 0, 2, 1});
    LightenBitmap(bitmap, 5);
    EXPECT_EQ(bitmap.ScanLine(0)[0], 127);
    EXPECT_EQ(LightenFactor, 7);  // restored
}

TEST(PictureHelpersTest, PackedStringTables) {
    const std::vector<std::uint8_t> bytes = PackedTable({{3, "Open"}, {7, ""}, {12, "Save as"}, {400, "Print"}});
    const TPackedStringTable table{bytes.data(), bytes.size()};
    struct Case {
        std::uint32_t Id;
        const char* Text;
    };
    const Case cases[] = {{3, "Open"}, {12, "Save as"}, {400, "Print"}, {7, ""}, {4, ""}, {0, ""}, {9999, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Id);
        EXPECT_EQ(LookupPackedString(table, c.Id), c.Text);
    }
    TStringList strings;
    strings.Add("left over");
    LoadPackedStrings(table, strings);
    ASSERT_EQ(strings.GetCount(), 4);
    EXPECT_EQ(strings.GetString(2), "Save as");
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(strings.GetObject(3)), 400u);

    // A damaged table gives nothing rather than reading past its end.
    std::vector<std::uint8_t> damaged = bytes;
    damaged[4 + 4 * 4 + 2 * 4 + 1] = 0xFF;  // the offset of id 12 far out
    EXPECT_EQ(LookupPackedString({damaged.data(), damaged.size()}, 12), "");
    std::vector<std::uint8_t> tooMany = bytes;
    tooMany[3] = 0x7F;
    EXPECT_EQ(LookupPackedString({tooMany.data(), tooMany.size()}, 3), "");
    EXPECT_EQ(LookupPackedString({nullptr, 0}, 3), "");
}

TEST(PictureHelpersTest, ResourcesByNameAndType) {
    const TResourceBytes version = LoadResourceData("VERSION", "RCDATA");
    ASSERT_NE(version.Address, nullptr);
    EXPECT_GT(version.Size, 0);
    EXPECT_EQ(LoadResourceData("NO SUCH THING", "RCDATA").Size, 0);
    TestSupport::TTempDir dir;
    EXPECT_TRUE(SaveResourceToFile("VERSION", "RCDATA", dir.File("version.txt")));
    EXPECT_EQ(TestSupport::ReadFileBytes(dir.File("version.txt")),
              std::string(reinterpret_cast<const char*>(version.Address), static_cast<std::size_t>(version.Size)));
    EXPECT_FALSE(SaveResourceToFile("NO SUCH THING", "RCDATA", dir.File("none")));
    EXPECT_FALSE(SaveResourceToFile("VERSION", "RCDATA", dir.Path() + "/missing/folder/file"));
    TPNGImage png;
    EXPECT_THROW(LoadPngResource("NO SUCH PICTURE", png), EAbort);
}

TEST(PictureHelpersTest, MetafilesBecomeBitmapsAndBack) {
    // A bitmap drawn into a metafile and rendered again keeps its pixels;
    // the size comes from the frame.
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(30, 20);
    bitmap.Canvas()->Brush->SetColor(0x0000FF);
    bitmap.Canvas()->FillRect({0, 0, 30, 20});
    bitmap.Canvas()->Brush->SetColor(0x00FF00);
    bitmap.Canvas()->FillRect({10, 5, 20, 15});
    Platform::HENHMETAFILE emf = BitmapToMetafile(bitmap);
    ASSERT_NE(emf, nullptr);
    TBitmap rendered;
    RenderMetafileToBitmap(emf, rendered, {0, 0});
    EXPECT_EQ(rendered.GetWidth(), 30);
    EXPECT_EQ(rendered.GetHeight(), 20);
    EXPECT_EQ(rendered.GetPixelFormat(), pf1bit) << "two colours reduce to one bit";
    EXPECT_EQ(rendered.Canvas()->GetPixelColor(2, 2), 0x0000FF);
    EXPECT_EQ(rendered.Canvas()->GetPixelColor(15, 10), 0x00FF00);
    Platform::HBITMAP handle = MetafileToBitmapHandle(emf, {60, 40});
    Platform::TBitmapInfo info;
    ASSERT_TRUE(Platform::GetBitmapInfo(handle, info));
    EXPECT_EQ(info.Width, 60);
    Platform::DeleteBitmap(handle);
    Platform::DeleteEnhMetaFile(emf);

    // An empty frame gives a 1 x 1 bitmap.
    const Platform::TRect frame{0, 0, 0, 0};
    Platform::HDC recording = Platform::CreateEnhMetaFile(nullptr, &frame);
    Platform::HENHMETAFILE empty = Platform::CloseEnhMetaFile(recording);
    TBitmap tiny;
    RenderMetafileToBitmap(empty, tiny, {0, 0});
    EXPECT_EQ(tiny.GetWidth(), 1);
    EXPECT_EQ(tiny.GetHeight(), 1);
    Platform::DeleteEnhMetaFile(empty);
}

TEST(PictureHelpersTest, SharedGlyphCellsAndScaling) {
    // A strip whose every column x has the colour x (blue byte), on the
    // olive key colour in its top row.
    auto* strip = new TPNGImage;
    strip->SetPixelFormat(pf24bit);
    strip->SetSize(33 * 21, 16);
    for (int y = 0; y < 16; ++y) {
        std::uint8_t* row = strip->ScanLine(y);
        for (int x = 0; x < 33 * 21; ++x) {
            row[x * 3] = static_cast<std::uint8_t>(x);
            row[x * 3 + 1] = static_cast<std::uint8_t>(x >> 8);
            row[x * 3 + 2] = 0x10;
        }
    }
    strip->Canvas()->Brush->SetColor(0x008080);
    strip->Canvas()->FillRect({0, 0, 33 * 21, 1});
    TPNGImage* saved = SharedGlyphs;
    SharedGlyphs = strip;
    TBitmap glyph;
    DrawSharedGlyph(22, glyph, 0xFFFFFF);
    EXPECT_EQ(glyph.GetWidth(), 21);
    EXPECT_EQ(glyph.GetHeight(), 16);
    const std::uint8_t* row = glyph.ScanLine(5);
    EXPECT_EQ(row[0] | (row[1] << 8), 352) << "glyph 22 starts at x = 352";
    EXPECT_EQ(glyph.ScanLine(0)[0], 0xFF) << "the key colour becomes the background";
    DrawSharedGlyph(3, glyph, 0xFFFFFF);
    EXPECT_EQ(glyph.GetWidth(), 16);
    EXPECT_EQ(glyph.ScanLine(5)[0], 48);

    Platform::SetScreenMetrics(1920, 1080, 120);
    DrawSharedGlyph(3, glyph, 0xFFFFFF);
    Platform::SetScreenMetrics(1920, 1080, 96);
    EXPECT_EQ(glyph.GetWidth(), 20);
    EXPECT_EQ(glyph.GetHeight(), 20);
    SharedGlyphs = saved;
    delete strip;
}

TEST(PictureHelpersTest, LayoutIllustrationsAreMadeOnce) {
    const auto savedColors = InterfacePaletteColor;
    MakePictureLayoutImages();
    TBitmap* first = WrapIllustrations[0];
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetWidth(), 36);
    EXPECT_EQ(PositionIllustrations[8]->GetWidth(), 40);
    EXPECT_EQ(PositionIllustrations[8]->GetHeight(), 56);
    MakePictureLayoutImages();
    EXPECT_EQ(WrapIllustrations[0], first);
    // New colours after the scheme changed.
    FreePictureLayoutImages();
    EXPECT_EQ(WrapIllustrations[0], nullptr);
    InterfacePaletteColor = [](int entry) -> TColor { return entry == 3 ? 0x0000FF : 0x00FF00; };
    MakePictureLayoutImages();
    EXPECT_EQ(WrapIllustrations[4]->Canvas()->GetPixelColor(0, 0), 0x0000FF);
    EXPECT_EQ(PositionIllustrations[0]->Canvas()->GetPixelColor(0, 0), 0x00FF00) << "the frame";
    FreePictureLayoutImages();
    InterfacePaletteColor = savedColors;
}

}  // namespace
