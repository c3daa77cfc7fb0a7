// The real metafiles of the corpus: every one plays without harm, and those
// a reference renderer can draw (libwmf's wmf2svg, emf2svg-conv; their SVG
// rasterised by rsvg-convert) look like our rendering. Metafiles inside the
// corpus RTF documents are taken out at run time and played too.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"
#include "platform/Metafiles.h"
#include "support/PictureSupport.h"
#include "support/TestSupport.h"

namespace {

using namespace Platform;
namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

// A picture as 32-bit pixels.
struct TImage {
    int W = 0, H = 0;
    std::vector<std::uint32_t> Px;
    std::uint32_t At(int x, int y) const { return Px[static_cast<std::size_t>(y) * W + x]; }
};

TImage FromBitmap(HBITMAP bitmap) {
    TBitmapInfo info;
    TImage image;
    if (bitmap == nullptr || !GetBitmapInfo(bitmap, info))
        return image;
    image.W = info.Width;
    image.H = info.Height;
    image.Px.assign(info.Bits, info.Bits + static_cast<std::size_t>(info.Width) * info.Height);
    return image;
}

bool Ink(std::uint32_t p) {
    return ((p >> 16) & 0xFF) < 235 || ((p >> 8) & 0xFF) < 235 || (p & 0xFF) < 235;
}

// The picture cut to what is drawn on it, so that renderers that frame the
// picture differently still compare.
TImage Trim(const TImage& in) {
    int l = in.W, t = in.H, r = -1, b = -1;
    for (int y = 0; y < in.H; ++y)
        for (int x = 0; x < in.W; ++x)
            if (Ink(in.At(x, y))) {
                l = std::min(l, x);
                r = std::max(r, x);
                t = std::min(t, y);
                b = std::max(b, y);
            }
    TImage out;
    if (r < 0)
        return out;
    out.W = r - l + 1;
    out.H = b - t + 1;
    for (int y = t; y <= b; ++y)
        for (int x = l; x <= r; ++x)
            out.Px.push_back(in.At(x, y));
    return out;
}

// Averaged down (or up) to w x h: the comparison looks at shapes and
// colours, not at the antialiasing of edges.
TImage Resize(const TImage& in, int w, int h) {
    TImage out;
    out.W = w;
    out.H = h;
    out.Px.resize(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int x0 = x * in.W / w, x1 = std::max(x0 + 1, (x + 1) * in.W / w);
            const int y0 = y * in.H / h, y1 = std::max(y0 + 1, (y + 1) * in.H / h);
            std::uint64_t s[3] = {0, 0, 0}, n = 0;
            for (int yy = y0; yy < y1 && yy < in.H; ++yy)
                for (int xx = x0; xx < x1 && xx < in.W; ++xx) {
                    const std::uint32_t p = in.At(xx, yy);
                    s[0] += (p >> 16) & 0xFF;
                    s[1] += (p >> 8) & 0xFF;
                    s[2] += p & 0xFF;
                    ++n;
                }
            n = std::max<std::uint64_t>(n, 1);
            out.Px[static_cast<std::size_t>(y) * w + x] =
                static_cast<std::uint32_t>((s[0] / n) << 16 | (s[1] / n) << 8 | (s[2] / n));
        }
    return out;
}

// The mean difference of the channels (0 to 255) of two pictures brought to
// 64 x 64, trimmed first when the renderers frame the picture differently;
// 255 when only one of them shows anything.
double Difference(const TImage& ours, const TImage& reference, bool trim) {
    const TImage a = trim ? Trim(ours) : ours, b = trim ? Trim(reference) : reference;
    if (a.Px.empty() || b.Px.empty())
        return a.Px.empty() && b.Px.empty() ? 0 : 255;
    const TImage sa = Resize(a, 64, 64), sb = Resize(b, 64, 64);
    double sum = 0;
    for (std::size_t i = 0; i < sa.Px.size(); ++i)
        for (int shift = 0; shift <= 16; shift += 8)
            sum +=
                std::abs(static_cast<int>((sa.Px[i] >> shift) & 0xFF) - static_cast<int>((sb.Px[i] >> shift) & 0xFF));
    return sum / (sa.Px.size() * 3.0);
}

// Plays a metafile on white into a bitmap whose larger side is at most
// limit pixels. An enhanced metafile is framed as emf2svg-conv frames it, by
// its bounds (the frame still decides the scale, as in any playback); a
// Windows metafile by its placeable box or its last window extent.
TImage Render(const std::string& path, bool enhanced, int limit) {
    const std::vector<std::uint8_t> bytes = ReadAll(path);
    double w = 400, h = 300;
    HENHMETAFILE emf = nullptr;
    TRect target;
    bool haveTarget = false;
    if (enhanced) {
        emf = SetEnhMetaFileBits(bytes.data(), bytes.size());
        TEnhMetaHeader header;
        if (emf == nullptr || !GetEnhMetaFileHeader(emf, header))
            return {};
        const TRect& b = header.Bounds;
        w = b.Right - b.Left;
        h = b.Bottom - b.Top;
        if (w > 0 && h > 0 && header.Millimeters.cx > 0 && header.Millimeters.cy > 0) {
            const double s = limit / std::max(w, h);
            const double kx = static_cast<double>(header.Device.cx) / (header.Millimeters.cx * 100.0);
            const double ky = static_cast<double>(header.Device.cy) / (header.Millimeters.cy * 100.0);
            target = {static_cast<std::int32_t>(std::lround((header.Frame.Left * kx - b.Left) * s)),
                      static_cast<std::int32_t>(std::lround((header.Frame.Top * ky - b.Top) * s)),
                      static_cast<std::int32_t>(std::lround((header.Frame.Right * kx - b.Left) * s)) - 1,
                      static_cast<std::int32_t>(std::lround((header.Frame.Bottom * ky - b.Top) * s)) - 1};
            haveTarget = target.Right > target.Left && target.Bottom > target.Top;
        }
    } else if (bytes.size() >= 22 && bytes[0] == 0xD7 && bytes[1] == 0xCD) {
        w = std::abs(static_cast<std::int16_t>(bytes[10] | bytes[11] << 8) -
                     static_cast<std::int16_t>(bytes[6] | bytes[7] << 8));
        h = std::abs(static_cast<std::int16_t>(bytes[12] | bytes[13] << 8) -
                     static_cast<std::int16_t>(bytes[8] | bytes[9] << 8));
    } else {
        // A Windows metafile without the placeable header: the proportions
        // of the last window extent its records set.
        for (std::size_t at = 18; at + 10 <= bytes.size();) {
            const std::uint32_t words = bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | bytes[at + 3] << 24;
            const int function = bytes[at + 4] | bytes[at + 5] << 8;
            if (words < 3 || words > (bytes.size() - at) / 2)
                break;
            if (function == 0x020C) {
                h = std::abs(static_cast<std::int16_t>(bytes[at + 6] | bytes[at + 7] << 8));
                w = std::abs(static_cast<std::int16_t>(bytes[at + 8] | bytes[at + 9] << 8));
            }
            at += words * 2;
        }
    }
    if (w <= 0 || h <= 0)
        w = h = 1;
    const double scale = limit / std::max(w, h);
    const int iw = std::max(1, static_cast<int>(w * scale)), ih = std::max(1, static_cast<int>(h * scale));
    if (!haveTarget)
        target = {0, 0, iw - 1, ih - 1};
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap32(iw, ih);
    HBITMAP old = SelectBitmap(dc, bitmap);
    PatBlt(dc, 0, 0, iw, ih, WHITENESS);
    if (enhanced)
        PlayEnhMetaFile(dc, emf, target);
    else
        PlayWinMetaFile(dc, bytes.data(), bytes.size(), target);
    TImage out = FromBitmap(bitmap);
    SelectBitmap(dc, old);
    DeleteBitmap(bitmap);
    DeleteDC(dc);
    DeleteEnhMetaFile(emf);
    return out;
}

bool HaveTool(const std::string& name) {
    int status = 0;
    TestSupport::RunCommand("command -v " + name + " >/dev/null 2>&1", &status);
    return status == 0;
}

// The reference rendering at about limit pixels; empty when the renderer
// refuses the file.
TImage Reference(const std::string& path, bool enhanced, const std::string& work, int limit) {
    const std::string svg = work + "/reference.svg", png = work + "/reference.png";
    std::remove(svg.c_str());
    std::remove(png.c_str());
    int status = 0;
    if (enhanced)
        TestSupport::RunCommand("emf2svg-conv -i '" + path + "' -o '" + svg + "' 2>/dev/null", &status);
    else
        TestSupport::RunCommand("wmf2svg -o '" + svg + "' '" + path + "' 2>/dev/null", &status);
    if (status != 0 || !fs::exists(svg) || fs::file_size(svg) == 0)
        return {};
    TestSupport::RunCommand(
        "rsvg-convert -b white -w " + std::to_string(limit) + " '" + svg + "' -o '" + png + "' 2>/dev/null", &status);
    HBITMAP bitmap = status == 0 ? LoadBitmapFromPng(png) : nullptr;
    TImage image = FromBitmap(bitmap);
    DeleteBitmap(bitmap);
    return image;
}

// Side by side, ours on the left, for a picture that differs.
void SaveSideBySide(const TImage& ours, const TImage& reference, const std::string& path) {
    const int h = std::max(ours.H, reference.H), w = ours.W + reference.W + 4;
    HBITMAP bitmap = CreateBitmap32(w, h);
    TBitmapInfo info;
    GetBitmapInfo(bitmap, info);
    std::fill(info.Bits, info.Bits + static_cast<std::size_t>(w) * h, 0x808080u);
    for (int y = 0; y < ours.H; ++y)
        for (int x = 0; x < ours.W; ++x)
            info.Bits[static_cast<std::size_t>(y) * w + x] = ours.At(x, y);
    for (int y = 0; y < reference.H; ++y)
        for (int x = 0; x < reference.W; ++x)
            info.Bits[static_cast<std::size_t>(y) * w + ours.W + 4 + x] = reference.At(x, y);
    SaveBitmapToPng(bitmap, path);
    DeleteBitmap(bitmap);
}

// How far each picture may be from the reference (mean channel difference
// of the trimmed pictures at 64 x 64). Pictures not listed may differ by
// kDefaultTolerance. Where ours is right and the reference is not (or the
// two disagree for a reason we accept), the reason is given and a small
// side-by-side image (ours left) is kept in tests/data/metafiles/.
constexpr double kDefaultTolerance = 16;
struct TTolerance {
    const char* Name;
    double Tolerance;
    const char* Reason;
};
const TTolerance kTolerances[] = {
    // Ours is right, the reference is not.
    {"docx4j__star_picture_save_as.emf", 34, "the star's DIB pattern brush is left out by the reference"},
    {"pil__drawing.wmf", 90, "the reference fills the circle pale pink; the file's brush is opaque red"},
    {"poi__WithEmbeded__image2.emf", 68, "the reference paints the icon's masked-out parts black"},
    {"poi__nested_wmf.emf", 250, "the reference paints the whole picture black"},
    {"poi__vector_image.emf", 72, "the reference shifts the picture right and cuts it off"},
    {"poi__45541_Footer__image2.wmf", 44, "the reference paints the pattern-brush boxes plain dark grey"},
    // Framing: Windows fits the frame to the rectangle; the reference fits the bounds.
    {"poi__SimpleEMF_windows.emf", 32, "the frame is smaller than the drawing, which playback cuts off"},
    // Text: the tests draw with the two fixture fonts, the reference with the
    // machine's fonts (and libwmf with its own), so glyph shapes and widths
    // differ; the Equation Editor's Symbol and MT Extra fonts are missing.
    {"oxmlsdk__equation-1__image78.wmf", 42, "equation fonts"},
    {"poi__63327.emf", 55, "a picture of text only"},
    {"poi__64716_image1.wmf", 33, "text"},
    {"oxmlsdk__o09_Performance_typical__image4.wmf", 30, "text"},
    {"oxmlsdk__632399964516872542_1__image4.wmf", 29, "chart labels"},
    {"oxmlsdk__632399964516872542_1__image5.wmf", 26, "chart labels"},
    {"oxmlsdk__SalesProposalPresentation_TP10219422__image4.emf", 24, "text"},
    {"oxmlsdk__o09_Performance_typical__image1.emf", 20, "chart labels"},
    {"poi__testException2.doc-2.wmf", 41, "text size and hatched brushes"},
    {"tika__018367__image2.emf", 23, "chart labels"},
    {"tika__testEMF_iconOnlyLongFilename.emf", 26, "the file name under the icon"},
    {"tika__testMSChart-govdocs-428996__image1.emf", 22, "chart labels"},
    {"tika__testMSChart-govdocs-428996__image1_0aa187.emf", 25, "chart labels"},
    {"poi__aascu.org_workarea_downloadasset.aspx_id_5864__image5.emf", 19, "text"},
    {"wmf2svg__fulltest.emf", 19, "captions"},
    // Hairlines: one whole pixel here, antialiased hairlines there.
    {"pydocx__CVS_LOGO.WMF", 38, "the letters' one-pixel outlines weigh more at 240 pixels"},
};

double ToleranceOf(const std::string& name) {
    for (const TTolerance& t : kTolerances)
        if (name == t.Name)
            return t.Tolerance;
    return kDefaultTolerance;
}

struct TCorpusCase {
    std::string Path;
    std::string Name;
    bool Enhanced;
};

std::vector<TCorpusCase> CorpusMetafiles() {
    std::vector<TCorpusCase> out;
    for (const char* folder : {"emf", "wmf"}) {
        const std::string dir = TestSupport::CorpusPath(std::string("pictures/") + folder);
        if (!fs::exists(dir))
            continue;
        for (const auto& entry : fs::directory_iterator(dir))
            out.push_back({entry.path().string(), entry.path().filename().string(), folder[0] == 'e'});
    }
    std::sort(out.begin(), out.end(), [](const TCorpusCase& a, const TCorpusCase& b) { return a.Name < b.Name; });
    return out;
}

class MetafileCorpusTest : public ::testing::Test {
protected:
    void SetUp() override { TestSupport::UseFixtureFonts(); }
};

TEST_F(MetafileCorpusTest, EveryMetafilePlaysAtTwoSizes) {
    const std::vector<TCorpusCase> cases = CorpusMetafiles();
    if (cases.empty())
        GTEST_SKIP() << "no corpus";
    for (const TCorpusCase& c : cases) {
        SCOPED_TRACE(c.Name);
        // A tiny picture and a modest one: scaling must neither fail nor
        // reach outside the bitmap.
        EXPECT_FALSE(Render(c.Path, c.Enhanced, 7).Px.empty());
        const TImage image = Render(c.Path, c.Enhanced, 300);
        EXPECT_FALSE(image.Px.empty());
    }
}

TEST_F(MetafileCorpusTest, RenderingMatchesTheReferenceRenderers) {
    if (!HaveTool("emf2svg-conv") || !HaveTool("wmf2svg") || !HaveTool("rsvg-convert"))
        GTEST_SKIP() << "the reference renderers are not installed";
    TestSupport::TTempDir work;
    const bool keep = std::getenv("REZ_UPDATE_GOLDEN") != nullptr;
    int compared = 0;
    for (const TCorpusCase& c : CorpusMetafiles()) {
        SCOPED_TRACE(c.Name);
        const TImage reference = Reference(c.Path, c.Enhanced, work.Path(), 240);
        if (reference.Px.empty())
            continue;  // the reference renderer refuses it (SOURCES.md says which)
        const TImage ours = Render(c.Path, c.Enhanced, 240);
        // libwmf frames a Windows metafile without the placeable header by
        // what it draws; the other pictures are framed alike.
        const std::vector<std::uint8_t> head = ReadAll(c.Path);
        const bool placeable = head.size() > 2 && head[0] == 0xD7 && head[1] == 0xCD;
        const double difference = Difference(ours, reference, !c.Enhanced && !placeable);
        std::printf("%-70s %6.2f\n", c.Name.c_str(), difference);
        EXPECT_LE(difference, ToleranceOf(c.Name));
        if (keep && ToleranceOf(c.Name) > kDefaultTolerance)
            SaveSideBySide(ours, reference, TestSupport::TestDataPath("metafiles/" + c.Name + ".png"));
        ++compared;
    }
    EXPECT_GT(compared, 50);
}

// RTF pictures: a \pict group with \emfblip or \wmetafile and hexadecimal
// data. Only the picture's own group is read; nested groups inside it (such
// as \*\blipuid) are skipped.
struct TRtfPicture {
    bool Enhanced = false;
    std::vector<std::uint8_t> Bytes;
    int Goal = 0;  // \picwgoal in twips
};

std::vector<TRtfPicture> RtfPictures(const std::string& text) {
    std::vector<TRtfPicture> out;
    std::size_t at = 0;
    while ((at = text.find("\\pict", at)) != std::string::npos) {
        at += 5;
        TRtfPicture picture;
        int depth = 0;
        bool known = false;
        bool binary = false;  // \bin data is not hexadecimal; such pictures are left out
        std::size_t i = at;
        std::string hex;
        for (; i < text.size(); ++i) {
            const char ch = text[i];
            if (ch == '{') {
                ++depth;
            } else if (ch == '}') {
                if (depth-- == 0)
                    break;
            } else if (ch == '\\' && depth == 0) {
                std::size_t j = i + 1;
                while (j < text.size() && std::isalpha(static_cast<unsigned char>(text[j])))
                    ++j;
                const std::string word = text.substr(i + 1, j - i - 1);
                // The word's number, and the space that ends it, are no data.
                std::size_t k = j;
                if (k < text.size() && text[k] == '-')
                    ++k;
                while (k < text.size() && std::isdigit(static_cast<unsigned char>(text[k])))
                    ++k;
                if (word == "emfblip") {
                    picture.Enhanced = known = true;
                } else if (word == "wmetafile") {
                    known = true;
                } else if (word == "picwgoal") {
                    picture.Goal = std::atoi(text.c_str() + j);
                } else if (word == "bin") {
                    binary = true;
                }
                if (k < text.size() && text[k] == ' ')
                    ++k;
                i = (j == i + 1 ? j : k) - 1;
            } else if (depth == 0 && std::isxdigit(static_cast<unsigned char>(ch))) {
                hex.push_back(ch);
            }
        }
        at = i;
        if (!known || binary)
            continue;
        for (std::size_t k = 0; k + 1 < hex.size(); k += 2)
            picture.Bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(k, 2), nullptr, 16)));
        out.push_back(std::move(picture));
    }
    return out;
}

TEST_F(MetafileCorpusTest, MetafilesInsideRtfDocumentsPlay) {
    const std::string dir = TestSupport::CorpusPath("rtf");
    if (!fs::exists(dir))
        GTEST_SKIP() << "no corpus";
    int played = 0, enhanced = 0;
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        const std::vector<std::uint8_t> raw = ReadAll(file.string());
        const std::string text(raw.begin(), raw.end());
        for (const TRtfPicture& picture : RtfPictures(text)) {
            if (played >= 24)
                break;
            SCOPED_TRACE(file.filename().string());
            HDC dc = CreateCompatibleDC(nullptr);
            HBITMAP bitmap = CreateBitmap32(160, 120);
            HBITMAP old = SelectBitmap(dc, bitmap);
            PatBlt(dc, 0, 0, 160, 120, WHITENESS);
            if (picture.Enhanced) {
                HENHMETAFILE emf = SetEnhMetaFileBits(picture.Bytes.data(), picture.Bytes.size());
                EXPECT_NE(emf, nullptr);
                PlayEnhMetaFile(dc, emf, {0, 0, 159, 119});
                DeleteEnhMetaFile(emf);
                ++enhanced;
            } else {
                // RTF keeps Windows metafiles without the placeable header;
                // the conversion to an enhanced metafile must take them.
                const TMetafilePict pict{MM_ANISOTROPIC, std::max(1, picture.Goal) * 2540 / 1440,
                                         std::max(1, picture.Goal) * 2540 / 1440};
                HENHMETAFILE emf = SetWinMetaFileBits(picture.Bytes.data(), picture.Bytes.size(), nullptr, &pict);
                EXPECT_NE(emf, nullptr);
                PlayEnhMetaFile(dc, emf, {0, 0, 159, 119});
                DeleteEnhMetaFile(emf);
            }
            const TImage image = FromBitmap(bitmap);
            EXPECT_FALSE(Trim(image).Px.empty()) << "nothing drawn";
            SelectBitmap(dc, old);
            DeleteBitmap(bitmap);
            DeleteDC(dc);
            ++played;
        }
    }
    std::printf("played %d RTF pictures, %d of them enhanced\n", played, enhanced);
    EXPECT_GT(played, 0);
}

}  // namespace
