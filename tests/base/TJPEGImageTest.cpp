#include <gtest/gtest.h>

#include <filesystem>

#include "base/core/Errors.h"
#include "base/core/TMemoryStream.h"
#include "base/graphics/TBitmap.h"
#include "base/graphics/TCanvas.h"
#include "base/pictures/TJPEGImage.h"
#include "support/PictureSupport.h"
#include "support/TestSupport.h"

namespace {

std::vector<std::string> CorpusFiles() {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(TestSupport::CorpusPath("pictures/jpeg")))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string FileBytes(const std::string& path) {
    return TestSupport::ReadFileBytes(path);
}

std::string Saved(TGraphic& graphic) {
    TMemoryStream stream;
    graphic.SaveToStream(stream);
    return std::string(reinterpret_cast<const char*>(stream.Memory), static_cast<std::size_t>(stream.MemSize));
}

// The first quantisation table of a JPEG file, in the file's zigzag order.
std::vector<int> FirstQuantTable(const std::string& jpeg) {
    const std::size_t dqt = jpeg.find("\xFF\xDB");
    if (dqt == std::string::npos)
        return {};
    std::vector<int> table;
    for (int i = 0; i < 64; ++i)
        table.push_back(static_cast<std::uint8_t>(jpeg[dqt + 5 + i]));
    return table;
}

}  // namespace

// Every corpus file that djpeg decodes decodes to djpeg's pixels; the others
// are refused or show what could be decoded, never crash.
TEST(TJPEGImageTest, CorpusMatchesDjpeg) {
    const std::string sources = TestSupport::CorpusPath("pictures/SOURCES.md");
    int compared = 0;
    for (const std::string& name : CorpusFiles()) {
        SCOPED_TRACE(name);
        TJPEGImage image;
        bool loaded = true;
        try {
            image.LoadFromFile(TestSupport::CorpusPath("pictures/jpeg/" + name));
        } catch (const EAbort&) {
            loaded = false;
        }
        const auto row = TestSupport::SourcesRow(sources, name);
        ASSERT_GE(row.size(), 4u);
        int width = 0, height = 0;
        std::string md5;
        const bool reference = TestSupport::ParseSizeAndDigest(row[3], width, height, md5);
        if (!loaded)
            continue;
        TBitmap* bitmap = image.DecodedBitmap();
        if (!reference || row[3].find("warns") != std::string::npos) {
            TestSupport::BitmapRgb(*bitmap);
            continue;
        }
        EXPECT_EQ(image.GetWidth(), width);
        EXPECT_EQ(image.GetHeight(), height);
        auto rgb = TestSupport::BitmapRgb(*bitmap);
        if (row[3].rfind("PGM", 0) == 0) {
            EXPECT_EQ(bitmap->GetPixelFormat(), pf8bit);
            std::vector<std::uint8_t> grey;
            for (std::size_t i = 0; i < rgb.size(); i += 3)
                grey.push_back(rgb[i]);
            rgb = grey;
        } else {
            EXPECT_EQ(bitmap->GetPixelFormat(), pf24bit);
        }
        EXPECT_EQ(TestSupport::Md5Hex(rgb.data(), rgb.size()), md5);
        ++compared;
    }
    EXPECT_GT(compared, 30);
}

TEST(TJPEGImageTest, SavingKeepsTheLoadedBytesAlsoAfterDrawing) {
    const std::string path = TestSupport::CorpusPath("pictures/jpeg/go__video-001.q50.420.jpeg");
    TJPEGImage image;
    image.LoadFromFile(path);
    EXPECT_EQ(image.GetWidth(), 150);  // from the header, without decoding
    EXPECT_EQ(image.GetHeight(), 103);
    EXPECT_EQ(Saved(image), FileBytes(path));
    TBitmap target;
    target.SetSize(150, 103);
    target.Canvas()->Draw(0, 0, &image);
    EXPECT_EQ(Saved(image), FileBytes(path));

    // Copies share the bytes; either writes them.
    TJPEGImage copy;
    copy.Assign(&image);
    EXPECT_EQ(copy.Data(), image.Data());
    EXPECT_EQ(Saved(copy), FileBytes(path));
}

TEST(TJPEGImageTest, EncodesBaselineAtQualityNinetyWithTwoByTwoSampling) {
    TBitmap source;
    source.SetPixelFormat(pf24bit);
    source.SetSize(40, 24);
    source.Canvas()->Brush->SetColor(0x2060A0);
    source.Canvas()->FillRect({0, 0, 20, 24});
    TJPEGImage image;
    image.Assign(&source);
    const std::string bytes = Saved(image);
    ASSERT_GT(bytes.size(), 100u);
    const std::vector<int> table = FirstQuantTable(bytes);
    ASSERT_EQ(table.size(), 64u);
    EXPECT_EQ((std::vector<int>{table[0], table[1], table[2], table[3]}), (std::vector<int>{3, 2, 2, 3}));
    const std::size_t sof = bytes.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);                        // baseline
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[sof + 9]), 3);  // components
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[sof + 11]), 0x22);
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[sof + 14]), 0x11);
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[sof + 17]), 0x11);
    EXPECT_EQ(source.GetPixelFormat(), pf24bit);  // the source bitmap is not changed

    // The encoded picture decodes close to the source.
    TJPEGImage back;
    TMemoryStream stream;
    stream.WriteExact(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    stream.SeekTo(0);
    back.LoadFromStream(stream);
    const auto pixels = TestSupport::BitmapRgb(*back.DecodedBitmap());
    EXPECT_NEAR(pixels[(12 * 40 + 5) * 3], 0xA0, 6);
    EXPECT_NEAR(pixels[(12 * 40 + 5) * 3 + 2], 0x20, 6);
}

TEST(TJPEGImageTest, EmptyPictureAndDamagedHeader) {
    TJPEGImage empty;
    EXPECT_TRUE(empty.IsEmpty());
    TBitmap target;
    target.SetSize(4, 4);
    target.Canvas()->Draw(0, 0, &empty);  // nothing happens
    EXPECT_EQ(Saved(empty), "");

    TMemoryStream junk;
    junk.WriteExact("not a jpeg at all", 17);
    junk.SeekTo(0);
    TJPEGImage image;
    EXPECT_THROW(image.LoadFromStream(junk), EAbort);
    EXPECT_EQ(image.GetWidth(), 0);
    EXPECT_FALSE(image.IsEmpty());  // the bytes are kept
}

TEST(TJPEGImageTest, CmykPicturesBecomeThreeByteRows) {
    TJPEGImage image;
    image.LoadFromFile(TestSupport::CorpusPath("pictures/jpeg/jpegdec__mozilla_jpg-cmyk-1.jpg"));
    TBitmap* bitmap = image.DecodedBitmap();
    EXPECT_EQ(bitmap->GetPixelFormat(), pf24bit);
    EXPECT_GT(bitmap->GetWidth(), 0);
}
