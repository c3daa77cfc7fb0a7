#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "base/core/Errors.h"
#include "base/core/TMemoryStream.h"
#include "base/graphics/TCanvas.h"
#include "base/pictures/TGIFImage.h"
#include "support/PictureSupport.h"
#include "support/TestSupport.h"

namespace {

std::vector<std::string> CorpusFiles() {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(TestSupport::CorpusPath("pictures/gif")))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool LoadFile(TGIFImage& image, const std::string& path) {
    try {
        image.LoadFromFile(path);
        return true;
    } catch (const EAbort&) {
        return false;
    }
}

}  // namespace

// Single-picture files that giflib reads decode to gif2rgb's pixels; the
// rest are read or refused without a crash.
TEST(TGIFImageTest, CorpusMatchesGiflibsOwnDecoder) {
    const std::string sources = TestSupport::CorpusPath("pictures/SOURCES.md");
    static const std::regex digest("^`([0-9a-f]{32})`$");
    int compared = 0;
    for (const std::string& name : CorpusFiles()) {
        SCOPED_TRACE(name);
        TGIFImage image;
        const bool loaded = LoadFile(image, TestSupport::CorpusPath("pictures/gif/" + name));
        const auto row = TestSupport::SourcesRow(sources, name);
        ASSERT_GE(row.size(), 8u);
        std::smatch m;
        // Transparent colours are shown white here, so such files differ.
        const std::string bytes = TestSupport::ReadFileBytes(TestSupport::CorpusPath("pictures/gif/" + name));
        const std::size_t control = bytes.find("\x21\xF9\x04");
        const bool transparent = control != std::string::npos && (bytes[control + 3] & 1) != 0;
        if (!loaded || row[4] != "1" || transparent || !std::regex_match(row[7], m, digest)) {
            if (loaded)
                TestSupport::BitmapRgb(image);
            continue;
        }
        const auto rgb = TestSupport::BitmapRgb(image);
        EXPECT_EQ(TestSupport::Md5Hex(rgb.data(), rgb.size()), m[1].str());
        EXPECT_EQ(image.Interlaced, row[5] == "yes");
        ++compared;
    }
    EXPECT_GE(compared, 8);
}

TEST(TGIFImageTest, PalettePicturesRoundTripInterlacedOrNot) {
    for (const bool interlaced : {false, true}) {
        SCOPED_TRACE(interlaced);
        TGIFImage image;
        image.LoadFromFile(TestSupport::CorpusPath("pictures/gif/wuffs__hippopotamus.regular.gif"));
        const auto pixels = TestSupport::BitmapRgb(image);
        image.Interlaced = interlaced;
        TMemoryStream stream;
        image.SaveToStream(stream);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(stream.Memory), 6), "GIF87a");
        stream.SeekTo(0);
        TGIFImage back;
        back.LoadFromStream(stream);
        EXPECT_EQ(back.Interlaced, interlaced);
        EXPECT_TRUE(TestSupport::BitmapRgb(back) == pixels);
    }
}

TEST(TGIFImageTest, TrueColourPicturesAreReducedTo256Colours) {
    TGIFImage image;
    image.SetPixelFormat(pf24bit);
    image.SetSize(32, 8);
    for (int x = 0; x < 32; ++x) {
        image.Canvas()->Brush->SetColor(static_cast<TColor>(x * 8 | ((255 - x * 8) << 16)));
        image.Canvas()->FillRect({x, 0, x + 1, 8});
    }
    const auto pixels = TestSupport::BitmapRgb(image);
    TMemoryStream stream;
    image.SaveToStream(stream);
    EXPECT_EQ(image.GetPixelFormat(), pf24bit);  // the picture itself keeps its colours
    stream.SeekTo(0);
    TGIFImage back;
    back.LoadFromStream(stream);
    EXPECT_EQ(back.GetPixelFormat(), pf8bit);
    const auto reduced = TestSupport::BitmapRgb(back);
    ASSERT_EQ(reduced.size(), pixels.size());
    for (std::size_t i = 0; i < pixels.size(); ++i)
        EXPECT_NEAR(reduced[i], pixels[i], 12) << i;
}

TEST(TGIFImageTest, DamagedFilesAreRefusedAndKeepThePicture) {
    for (const char* name : {"wuffs__hippopotamus.interlaced.truncated.gif", "pil__decompression_bomb.gif",
                             "wuffs__no-frames.gif", "nsgif__lzwoob.gif"}) {
        SCOPED_TRACE(name);
        TGIFImage image;
        image.SetSize(3, 3);
        EXPECT_FALSE(LoadFile(image, TestSupport::CorpusPath(std::string("pictures/gif/") + name)));
        EXPECT_EQ(image.GetWidth(), 3);
    }
}
