#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/core/Errors.h"
#include "base/core/TMemoryStream.h"
#include "base/graphics/Graphics.h"
#include "base/graphics/TBitmap.h"
#include "base/pictures/TFileFormats.h"
#include "base/pictures/TJPEGImage.h"
#include "base/pictures/TMetafile.h"
#include "base/pictures/TPicture.h"
#include "platform/Palettes.h"
#include "support/TestSupport.h"

namespace {

struct TOut {
    std::vector<std::uint8_t> B;
    TOut& U32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            B.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        return *this;
    }
    TOut& U16(std::uint16_t v) {
        B.push_back(static_cast<std::uint8_t>(v));
        B.push_back(static_cast<std::uint8_t>(v >> 8));
        return *this;
    }
};

// A Windows metafile: a red brush and a rectangle over the left half of a
// 1000 x 1000 window.
std::vector<std::uint8_t> Wmf() {
    TOut w;
    auto record = [&](std::uint16_t function, std::vector<std::uint16_t> params) {
        w.U32(static_cast<std::uint32_t>(3 + params.size())).U16(function);
        for (std::uint16_t p : params)
            w.U16(p);
    };
    w.U16(1).U16(9).U16(0x0300).U32(0).U16(1).U32(0).U16(0);
    record(0x020C, {1000, 1000});
    record(0x02FC, {0, 0xFF, 0, 0});
    record(0x012D, {0});
    record(0x041B, {1000, 500, 0, 0});
    record(0x0000, {});
    return w.B;
}

std::vector<std::uint8_t> Placeable(std::int16_t right, std::int16_t bottom, std::uint16_t inch) {
    TOut p;
    p.U32(0x9AC6CDD7).U16(0).U16(0).U16(0).U16(static_cast<std::uint16_t>(right));
    p.U16(static_cast<std::uint16_t>(bottom)).U16(inch).U32(0).U16(0);
    const std::vector<std::uint8_t> body = Wmf();
    p.B.insert(p.B.end(), body.begin(), body.end());
    return p.B;
}

// An enhanced metafile of no drawing with paletteEntries entries in its end
// record and the given frame (0.01 mm).
std::vector<std::uint8_t> Emf(std::uint32_t paletteEntries, std::int32_t frameRight = 2645) {
    TOut e;
    const std::uint32_t eofSize = 20 + paletteEntries * 4;
    e.U32(1).U32(88).U32(0).U32(0).U32(99).U32(99).U32(0).U32(0).U32(static_cast<std::uint32_t>(frameRight)).U32(2645);
    e.U32(0x464D4520).U32(0x10000).U32(88 + eofSize).U32(2).U16(1).U16(0).U32(0).U32(0).U32(paletteEntries);
    e.U32(1920).U32(1440).U32(508).U32(381);
    e.U32(14).U32(eofSize).U32(paletteEntries).U32(16);
    for (std::uint32_t i = 0; i < paletteEntries; ++i)
        e.U32(i);
    e.U32(eofSize);
    return e.B;
}

void Load(TMetafile& metafile, const std::vector<std::uint8_t>& bytes) {
    TMemoryStream stream;
    stream.WriteExact(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    stream.SeekTo(0);
    metafile.LoadFromStream(stream);
}

TEST(TMetafileTest, WindowsMetafileSizes) {
    struct Case {
        const char* Name;
        std::vector<std::uint8_t> Bytes;
        std::int32_t HintCx, HintCy;
        std::int32_t MMWidth, MMHeight;
        std::uint16_t Inch;
    };
    const Case cases[] = {
        {"no placeable header, no hint", Wmf(), 0, 0, 2646, 2646, 96},
        {"no placeable header, a hint of one inch by half an inch", Wmf(), 914400, 457200, 2646, 1323, 96},
        {"placeable, 576 units per inch", Placeable(576, 288, 576), 0, 0, 2540, 1270, 576},
        // Units per inch 0 count as 96 for the size; the stored value stays 0.
        {"placeable, 0 units per inch", Placeable(96, 48, 0), 0, 0, 2540, 1270, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        MetafileSizeHintCx = c.HintCx;
        MetafileSizeHintCy = c.HintCy;
        TMetafile metafile;
        Load(metafile, c.Bytes);
        MetafileSizeHintCx = MetafileSizeHintCy = 0;
        EXPECT_FALSE(metafile.Enhanced);
        EXPECT_EQ(metafile.MMWidth(), c.MMWidth);
        EXPECT_EQ(metafile.MMHeight(), c.MMHeight);
        EXPECT_EQ(metafile.SharedImage()->Inch, c.Inch);
        EXPECT_NE(metafile.Handle(), nullptr);
    }
}

TEST(TMetafileTest, SavingAWindowsMetafileWritesThePlaceableHeader) {
    TMetafile metafile;
    Load(metafile, Placeable(576, 288, 576));
    TMemoryStream out;
    metafile.SaveToStream(out);
    ASSERT_GE(out.Size(), 22);
    const std::uint8_t* h = out.Memory;
    auto word = [&](int at) { return static_cast<std::uint16_t>(h[at] | (h[at + 1] << 8)); };
    EXPECT_EQ(word(0) | (word(2) << 16), 0x9AC6CDD7u);
    EXPECT_EQ(word(6), 0);
    EXPECT_EQ(word(10), metafile.GetWidth());  // the picture's size in screen pixels
    EXPECT_EQ(word(12), metafile.GetHeight());
    EXPECT_EQ(metafile.GetWidth(), 96);
    EXPECT_EQ(word(14), 576);
    std::uint16_t x = 0;
    for (int i = 0; i < 10; ++i)
        x ^= word(i * 2);
    EXPECT_EQ(word(20), x);
    // The Windows metafile follows unchanged.
    const std::vector<std::uint8_t> body = Wmf();
    ASSERT_EQ(out.Size(), static_cast<std::int64_t>(22 + body.size()));
    EXPECT_EQ(std::memcmp(h + 22, body.data(), body.size()), 0);
}

TEST(TMetafileTest, EnhancedStreamsNeedMoreThanAHundredBytes) {
    std::vector<std::uint8_t> emf = Emf(0);
    ASSERT_EQ(emf.size(), 108u);
    TMemoryStream stream;
    stream.WriteExact(emf.data(), 100);
    stream.SeekTo(0);
    EXPECT_FALSE(TMetafile::IsEnhancedStream(stream));
    stream.SeekTo(100);
    stream.WriteExact(emf.data() + 100, 8);
    stream.SeekTo(0);
    EXPECT_TRUE(TMetafile::IsEnhancedStream(stream));
    EXPECT_EQ(stream.Position(), 0);
    TMetafile metafile;
    metafile.LoadFromStream(stream);
    EXPECT_TRUE(metafile.Enhanced);
    EXPECT_EQ(metafile.MMWidth(), 2645);
    EXPECT_EQ(metafile.GetWidth(), 100);  // 2645 x 1920 / 50800, rounded
}

TEST(TMetafileTest, DamagedStreamsAbortAndLeaveAnEmptyImage) {
    struct Case {
        const char* Name;
        std::vector<std::uint8_t> Bytes;
    };
    std::vector<std::uint8_t> longer = Emf(0);
    longer[48] = 0xFF;  // a total size beyond the stream
    longer[49] = 0xFF;
    std::vector<std::uint8_t> small = Emf(0);
    small[48] = 90;  // a total of 100 bytes or fewer
    small[49] = 0;
    const Case cases[] = {
        {"total size beyond the stream", longer},
        {"total size too small", small},
        {"neither format", std::vector<std::uint8_t>(300, 0x41)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TMetafile metafile;
        Load(metafile, Emf(0));
        EXPECT_THROW(Load(metafile, c.Bytes), EAbort);
        EXPECT_FALSE(metafile.IsEmpty());
        EXPECT_EQ(metafile.Handle(), nullptr);
    }
}

TEST(TMetafileTest, PaletteTakesTheFirst256Entries) {
    TMetafile metafile;
    Load(metafile, Emf(300));
    EXPECT_TRUE(metafile.PaletteModified);
    Platform::HPALETTE palette = metafile.GetPalette();
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(Platform::PaletteEntryCount(palette), 256);
    Platform::TPaletteEntry last;
    Platform::GetPaletteEntries(palette, 255, 1, &last);
    EXPECT_EQ(last.Red, 255);
    TMetafile none;
    Load(none, Emf(0));
    EXPECT_EQ(none.GetPalette(), nullptr);
}

TEST(TMetafileTest, CopiesShareUntilOneIsResizedOrRecordedInto) {
    TMetafile a;
    Load(a, Emf(0));
    TMetafile b;
    b.Assign(&a);
    EXPECT_EQ(a.SharedImage(), b.SharedImage());
    b.SetMMWidth(5000);
    EXPECT_NE(a.SharedImage(), b.SharedImage());
    EXPECT_EQ(a.MMWidth(), 2645);
    EXPECT_EQ(b.MMWidth(), 5000);

    TMetafile c;
    c.Assign(&a);
    { TMetafileCanvas canvas(&c, nullptr); }
    EXPECT_NE(a.SharedImage(), c.SharedImage());
    EXPECT_NE(a.Handle(), c.Handle());
}

TEST(TMetafileTest, ACanvasRecordsAPictureThatDrawsLikeTheCalls) {
    TMetafile metafile;
    metafile.SetPixelSize(40, 20);
    {
        TMetafileCanvas canvas(&metafile, nullptr);
        canvas.Brush->SetColor(0x0000FF);
        canvas.FillRect({0, 0, 20, 20});
        canvas.Brush->SetColor(0x00FF00);
        canvas.FillRect({20, 0, 40, 20});
    }
    ASSERT_NE(metafile.Handle(), nullptr);
    EXPECT_EQ(metafile.GetWidth(), 40);
    EXPECT_EQ(metafile.GetHeight(), 20);
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(40, 20);
    bitmap.Canvas()->StretchDraw({0, 0, 40, 20}, &metafile);
    EXPECT_EQ(bitmap.Canvas()->GetPixelColor(0, 0), 0x0000FF);
    EXPECT_EQ(bitmap.Canvas()->GetPixelColor(19, 19), 0x0000FF);
    EXPECT_EQ(bitmap.Canvas()->GetPixelColor(20, 0), 0x00FF00);
    EXPECT_EQ(bitmap.Canvas()->GetPixelColor(39, 19), 0x00FF00);
}

TEST(TPictureTest, FormatsAreFoundByExtension) {
    const TFileFormats& formats = GraphicFileFormats();
    ASSERT_GE(formats.Formats.size(), 3u);
    EXPECT_EQ(formats.Formats[0].Extension, "wmf");
    EXPECT_EQ(formats.Formats[1].Extension, "emf");
    EXPECT_EQ(formats.Formats[2].Extension, "bmp");
    EXPECT_EQ(formats.FindClass("EMF"), &CreateGraphic<TMetafile>);

    TestSupport::TTempDir dir;
    const std::vector<std::uint8_t> wmf = Placeable(96, 96, 96);
    TestSupport::WriteFileBytes(dir.File("picture.WMF"), std::string(wmf.begin(), wmf.end()));
    TestSupport::WriteFileBytes(dir.File("broken.wmf"), "not a metafile");
    TPicture picture;
    int changes = 0;
    picture.OnChange = [&](TPicture*) { ++changes; };
    picture.LoadFromFile(dir.File("picture.WMF"));
    ASSERT_NE(dynamic_cast<TMetafile*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 96);
    EXPECT_EQ(changes, 1);
    TGraphic* loaded = picture.Graphic();

    struct Case {
        const char* Name;
        std::string Path;
    };
    const Case failures[] = {
        {"the only dot is in a folder name", dir.Path() + "/old.dir/file"},
        {"no class for the extension", dir.File("notes.txt")},
        {"a file that does not load", dir.File("broken.wmf")},
        {"a file that is not there", dir.File("missing.emf")},
    };
    for (const Case& c : failures) {
        SCOPED_TRACE(c.Name);
        EXPECT_THROW(picture.LoadFromFile(c.Path), EAbort);
        EXPECT_EQ(picture.Graphic(), loaded);
    }
    EXPECT_EQ(changes, 1);

    // A copy of the picture's graphic shares the metafile; Bitmap replaces it.
    TPicture copy;
    copy.Assign(&picture);
    auto* copied = dynamic_cast<TMetafile*>(copy.Graphic());
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->SharedImage(), static_cast<TMetafile*>(loaded)->SharedImage());
    TBitmap* bitmap = copy.Bitmap();
    EXPECT_EQ(copy.Graphic(), bitmap);
    EXPECT_EQ(copy.Bitmap(), bitmap);
    EXPECT_EQ(copy.Width(), 0);
}

}  // namespace
