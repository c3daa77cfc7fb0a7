// Fonts and text on the drawing layer, checked on pixels with the fixture
// fonts (Liberation Sans and Serif, known here as Arial and Times New Roman).

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"
#include "platform/Fonts.h"
#include "support/TestSupport.h"

namespace {

using namespace Platform;

// A white 32-bit bitmap in a memory context.
class TSurface {
public:
    TSurface(int width, int height) : Width(width), Height(height) {
        DC = CreateCompatibleDC(nullptr);
        Bitmap = CreateBitmap32(width, height);
        Old = SelectBitmap(DC, Bitmap);
        Clear();
        SetBkMode(DC, TRANSPARENT);
    }
    ~TSurface() {
        SelectBitmap(DC, Old);
        DeleteBitmap(Bitmap);
        DeleteDC(DC);
    }
    void Clear() {
        HBRUSH white = CreateSolidBrush(0xFFFFFF);
        FillRect(DC, {0, 0, Width, Height}, white);
        DeleteBrush(white);
    }
    std::uint32_t Pixel(int x, int y) const {
        TBitmapInfo info;
        GetBitmapInfo(Bitmap, info);
        return info.Bits[y * Width + x] & 0xFFFFFF;
    }
    // Pixels whose channels differ by more than tolerance.
    int Differences(const TSurface& other, int tolerance = 40) const {
        int n = 0;
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x) {
                const std::uint32_t a = Pixel(x, y), b = other.Pixel(x, y);
                for (int s = 0; s < 24; s += 8)
                    if (std::abs(static_cast<int>((a >> s) & 0xFF) - static_cast<int>((b >> s) & 0xFF)) > tolerance) {
                        ++n;
                        break;
                    }
            }
        return n;
    }
    int Ink(TRect r) const {
        int n = 0;
        for (int y = std::max(0, r.Top); y < std::min(Height, r.Bottom); ++y)
            for (int x = std::max(0, r.Left); x < std::min(Width, r.Right); ++x)
                n += Pixel(x, y) != 0xFFFFFF;
        return n;
    }
    int Width, Height;
    HDC DC;
    HBITMAP Bitmap, Old;
};

HFONT MakeFont(const char* face,
               int height,
               int weight = 400,
               bool italic = false,
               std::uint8_t charset = 1,
               int width = 0) {
    TLogFont lf;
    lf.FaceName = face;
    lf.Height = height;
    lf.Weight = weight;
    lf.Italic = italic;
    lf.Charset = charset;
    lf.Width = width;
    return CreateFontIndirect(lf);
}

class TextDrawingTest : public ::testing::Test {
protected:
    void SetUp() override { TestSupport::UseFixtureFonts(); }
};

std::u16string RandomText(std::mt19937& rng, int length) {
    static const std::u16string alphabet =
        u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .,;:!?'\"()-"
        u"\u00E9\u00E8\u00FC\u00DF\u00C5\u0416\u0436\u03A9\u20AC\u2014";
    std::u16string s;
    for (int i = 0; i < length; ++i)
        s += alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(rng)];
    return s;
}

// Text is measured with the font made at 16 times the zoomed size, as line
// layout does; the advance array derived from it must put every glyph on
// the pixel where the glyph drawn alone at that position lands.
TEST_F(TextDrawingTest, GlyphsAreDrawnWhereTheyWereMeasured) {
    std::mt19937 rng(20240611);
    const int zooms[] = {10, 25, 50, 75, 100, 125, 150, 200, 300, 400, 500};
    for (const char* face : {"Arial", "Times New Roman"}) {
        for (int zoom : zooms) {
            SCOPED_TRACE(testing::Message() << face << " at " << zoom << "%");
            const int height = std::max(1, (16 * zoom + 50) / 100);
            HFONT big = MakeFont(face, -16 * height);
            HFONT font = MakeFont(face, -height);
            const std::u16string text = RandomText(rng, 24);
            TSurface whole(24 * height + 40, 3 * height + 10), single(24 * height + 40, 3 * height + 10);

            // Positions in sixteenths of a pixel, rounded to whole pixels.
            SelectFont(whole.DC, big);
            std::vector<std::int32_t> positions{0};
            std::int32_t sixteenths = 0;
            for (char16_t c : text) {
                sixteenths += GetCharWidthW(whole.DC, c);
                positions.push_back((sixteenths + 8) / 16);
            }
            std::vector<std::int32_t> dx;
            for (std::size_t i = 0; i < text.size(); ++i)
                dx.push_back(positions[i + 1] - positions[i]);

            SelectFont(whole.DC, font);
            SelectFont(single.DC, font);
            ExtTextOutW(whole.DC, 5, 5, 0, nullptr, text, dx.data());
            for (std::size_t i = 0; i < text.size(); ++i)
                TextOutW(single.DC, 5 + positions[i], 5, text.substr(i, 1));
            const int ink = whole.Ink({0, 0, whole.Width, whole.Height});
            EXPECT_GT(ink, 0);
            // Only antialiased edges where neighbouring glyphs overlap may differ.
            EXPECT_LE(whole.Differences(single), std::max(4, ink / 40));

            // Without an array the glyphs follow the font's own advances,
            // and the measured extent is their sum.
            whole.Clear();
            single.Clear();
            TextOutW(whole.DC, 5, 5, text);
            std::int32_t x = 5;
            for (char16_t c : text) {
                TextOutW(single.DC, x, 5, std::u16string(1, c));
                x += GetCharWidthW(single.DC, c);
            }
            EXPECT_EQ(GetTextExtentW(whole.DC, text).cx, x - 5);
            EXPECT_LE(whole.Differences(single), std::max(4, ink / 40));

            // The check sees a glyph moved by one pixel.
            if (zoom == 100) {
                single.Clear();
                for (std::size_t i = 0; i < text.size(); ++i)
                    TextOutW(single.DC, 5 + positions[i] + (i == text.size() / 2 ? 1 : 0), 5, text.substr(i, 1));
                whole.Clear();
                ExtTextOutW(whole.DC, 5, 5, 0, nullptr, text, dx.data());
                if (text[text.size() / 2] != u' ') {
                    EXPECT_GT(whole.Differences(single), 4);
                }
            }
            DeleteFont(big);
            DeleteFont(font);
        }
    }
}

TEST_F(TextDrawingTest, DocumentNamesResolveToTheirMetricCompatibleFamilies) {
    struct Case {
        const char* asked;
        const char* face;
    };
    const Case cases[] = {
        {"Arial", "Arial"},
        {"arial", "Arial"},
        {"Times New Roman", "Times New Roman"},
        {"Liberation Serif", "Liberation Serif"},
        {"MS Shell Dlg 2", "MS Shell Dlg 2"},
        {"No Such Family", "Arial"},  // unknown faces fall back to the sans-serif
        {"", "Arial"},
    };
    TSurface s(10, 10);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked);
        HFONT f = MakeFont(c.asked, -16);
        SelectFont(s.DC, f);
        EXPECT_EQ(GetTextFace(s.DC), c.face);
        DeleteFont(f);
    }

    std::vector<std::string> ansi;
    bool cyrillicArial = false;
    for (const TFontFamilyInfo& f : EnumFontFamilies()) {
        if (f.Charset == ANSI_CHARSET)
            ansi.push_back(f.Name);
        cyrillicArial |= f.Name == "Arial" && f.Charset == RUSSIAN_CHARSET;
        EXPECT_EQ(f.FontType, TRUETYPE_FONTTYPE);
    }
    std::sort(ansi.begin(), ansi.end());
    EXPECT_EQ(ansi, (std::vector<std::string>{"Arial", "Liberation Sans", "Liberation Serif", "Times New Roman"}));
    EXPECT_TRUE(cyrillicArial);
}

TEST_F(TextDrawingTest, MetricsFollowTheLogicalHeightAndWidth) {
    TSurface s(10, 10);
    struct Case {
        int height, width;
        TTextMetrics expected;  // Height, Ascent, Descent, InternalLeading, ExternalLeading
    };
    // Liberation Sans: 2048 units per em, Windows ascent 1854, descent 434.
    const Case cases[] = {
        {-16, 0, {18, 15, 3, 2, 1}},
        {18, 0, {18, 15, 3, 2, 1}},  // a positive height is the cell height
        {-160, 0, {179, 145, 34, 19, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.height);
        HFONT f = MakeFont("Arial", c.height);
        SelectFont(s.DC, f);
        TTextMetrics tm;
        ASSERT_TRUE(GetTextMetrics(s.DC, tm));
        EXPECT_EQ(tm.Height, c.expected.Height);
        EXPECT_EQ(tm.Ascent, c.expected.Ascent);
        EXPECT_EQ(tm.Descent, c.expected.Descent);
        EXPECT_EQ(tm.InternalLeading, c.expected.InternalLeading);
        EXPECT_EQ(tm.ExternalLeading, c.expected.ExternalLeading);
        DeleteFont(f);
    }
    // A width of twice the average character width doubles every advance.
    HFONT normal = MakeFont("Arial", -160);
    SelectFont(s.DC, normal);
    TTextMetrics tm;
    GetTextMetrics(s.DC, tm);
    const int m = GetCharWidthW(s.DC, u'm');
    HFONT wide = MakeFont("Arial", -160, 400, false, 1, tm.AveCharWidth * 2);
    SelectFont(s.DC, wide);
    EXPECT_NEAR(GetCharWidthW(s.DC, u'm'), 2 * m, 2);
    DeleteFont(normal);
    DeleteFont(wide);
}

TEST_F(TextDrawingTest, ByteTextUsesTheCodePageOfTheCharacterSet) {
    TSurface bytes(60, 30), wide(60, 30);
    HFONT cyrillic = MakeFont("Arial", -20, 400, false, RUSSIAN_CHARSET);
    SelectFont(bytes.DC, cyrillic);
    SelectFont(wide.DC, cyrillic);
    TTextMetrics tm;
    GetTextMetrics(bytes.DC, tm);
    EXPECT_EQ(tm.Charset, RUSSIAN_CHARSET);
    TextOut(bytes.DC, 2, 2, "\xC6\xE6");  // Zhe and zhe in 1251
    TextOutW(wide.DC, 2, 2, u"\u0416\u0436");
    EXPECT_GT(bytes.Ink({0, 0, 60, 30}), 20);
    EXPECT_EQ(bytes.Differences(wide, 0), 0);
    std::int32_t widths[2];
    ASSERT_TRUE(GetCharWidths(bytes.DC, 0xC6, 0xC7, widths));
    EXPECT_EQ(widths[0], GetCharWidthW(bytes.DC, 0x416));
    EXPECT_EQ(GetTextExtent(bytes.DC, "\xC6\xE6").cx, GetTextExtentW(wide.DC, u"\u0416\u0436").cx);

    // The same bytes in the western set are other letters.
    HFONT western = MakeFont("Arial", -20, 400, false, ANSI_CHARSET);
    SelectFont(bytes.DC, western);
    ASSERT_TRUE(GetCharWidths(bytes.DC, 0xC6, 0xC6, widths));
    EXPECT_EQ(widths[0], GetCharWidthW(bytes.DC, 0xC6));  // AE
    DeleteFont(cyrillic);
    DeleteFont(western);
}

TEST_F(TextDrawingTest, KerningPairsOfTimesNewRoman) {
    TSurface s(10, 10);
    HFONT small = MakeFont("Times New Roman", -32);
    HFONT big = MakeFont("Times New Roman", -512);
    SelectFont(s.DC, small);
    const std::vector<TKerningPair> pairs = GetKerningPairs(s.DC);
    ASSERT_FALSE(pairs.empty());
    for (std::size_t i = 1; i < pairs.size(); ++i)
        ASSERT_TRUE(pairs[i - 1].First < pairs[i].First ||
                    (pairs[i - 1].First == pairs[i].First && pairs[i - 1].Second < pairs[i].Second));
    auto amount = [](const std::vector<TKerningPair>& list, char16_t a, char16_t b) {
        for (const TKerningPair& p : list)
            if (p.First == a && p.Second == b)
                return p.Amount;
        return 0;
    };
    const int av = amount(pairs, 'A', 'V');
    EXPECT_LT(av, -1);
    EXPECT_EQ(amount(pairs, 'V', 'A'), av);
    SelectFont(s.DC, big);
    const int avBig = amount(GetKerningPairs(s.DC), 'A', 'V');
    EXPECT_NEAR(avBig, av * 16, 16);
    DeleteFont(small);
    DeleteFont(big);
}

TEST_F(TextDrawingTest, FontTablesAndGlyphs) {
    TSurface s(10, 10);
    HFONT f = MakeFont("Arial", -2048);  // one pixel per font unit
    SelectFont(s.DC, f);
    std::vector<std::uint8_t> cmap;
    ASSERT_TRUE(GetFontData(s.DC, 0x636D6170, cmap));
    ASSERT_GE(cmap.size(), 4u);
    EXPECT_EQ(cmap[0] << 8 | cmap[1], 0);  // table version 0
    EXPECT_FALSE(GetFontData(s.DC, 0x5A5A5A5A, cmap));
    EXPECT_TRUE(cmap.empty());

    TGlyphMetrics gm;
    ASSERT_TRUE(GetGlyphMetricsW(s.DC, U'H', gm));
    EXPECT_EQ(gm.CellIncX, GetCharWidthW(s.DC, u'H'));
    EXPECT_GT(gm.BlackBoxY, 1400u);  // cap height of Liberation Sans: 1409 units
    EXPECT_LT(gm.BlackBoxY, 1420u);
    std::vector<TOutlineContour> outline;
    ASSERT_TRUE(GetGlyphOutlineW(s.DC, U'o', outline));
    EXPECT_EQ(outline.size(), 2u);  // the outer and the inner ring
    DeleteFont(f);
}

TEST_F(TextDrawingTest, SimulatedStylesAndDecorations) {
    TSurface regular(120, 40), bold(120, 40);
    HFONT r = MakeFont("Arial", -24);
    HFONT b = MakeFont("Arial", -24, 700, true);  // the fixture has no bold or italic face
    SelectFont(regular.DC, r);
    SelectFont(bold.DC, b);
    TextOutW(regular.DC, 2, 2, u"Hello");
    TextOutW(bold.DC, 2, 2, u"Hello");
    EXPECT_GT(bold.Ink({0, 0, 120, 40}), regular.Ink({0, 0, 120, 40}));
    EXPECT_GE(GetTextExtentW(bold.DC, u"Hello").cx, GetTextExtentW(regular.DC, u"Hello").cx + 5);

    TLogFont lf;
    lf.FaceName = "Arial";
    lf.Height = -24;
    lf.Underline = true;
    HFONT u = CreateFontIndirect(lf);
    regular.Clear();
    SelectFont(regular.DC, u);
    TTextMetrics tm;
    GetTextMetrics(regular.DC, tm);
    TextOutW(regular.DC, 2, 2, u"   ");  // spaces: only the underline has ink
    EXPECT_GT(regular.Ink({0, 2 + tm.Ascent, 120, 2 + tm.Height}), 0);
    EXPECT_EQ(regular.Ink({0, 0, 120, 2 + tm.Ascent}), 0);
    DeleteFont(r);
    DeleteFont(b);
    DeleteFont(u);
}

TEST_F(TextDrawingTest, AlignmentOpaqueAndClipping) {
    TSurface s(100, 40);
    HFONT f = MakeFont("Arial", -20);
    SelectFont(s.DC, f);
    const int width = GetTextExtentW(s.DC, u"Wide").cx;
    TTextMetrics tm;
    GetTextMetrics(s.DC, tm);
    // Right-aligned on the baseline: ink left of x, above y.
    SetTextAlign(s.DC, TA_RIGHT | TA_BASELINE);
    TextOutW(s.DC, 90, 30, u"Wide");
    EXPECT_GT(s.Ink({90 - width, 30 - tm.Ascent, 90, 30}), 0);
    EXPECT_EQ(s.Ink({90, 0, 100, 40}) + s.Ink({0, 31, 100, 40}), 0);
    // Opaque output fills the clip rectangle and draws nothing outside it.
    s.Clear();
    SetTextAlign(s.DC, TA_LEFT | TA_TOP);
    SetBkColor(s.DC, 0x00FF00);
    const TRect rect{10, 5, 30, 30};
    ExtTextOutW(s.DC, 12, 5, ETO_OPAQUE | ETO_CLIPPED, &rect, u"WWWWW", nullptr);
    EXPECT_EQ(s.Pixel(10, 29), 0x00FF00u);
    EXPECT_EQ(s.Ink({0, 0, 10, 40}) + s.Ink({30, 0, 100, 40}) + s.Ink({0, 30, 100, 40}), 0);
    DeleteFont(f);
}

TEST_F(TextDrawingTest, PrivateFontFiles) {
    const std::uint32_t generation = FontSetGeneration();
    TestSupport::TTempDir dir;
    EXPECT_FALSE(AddFontResource(dir.File("missing.ttf")));
    TestSupport::WriteFileBytes(dir.File("junk.ttf"), "not a font");
    EXPECT_FALSE(AddFontResource(dir.File("junk.ttf")));
    EXPECT_FALSE(RemoveFontResource(dir.File("never-added.ttf")));

    const std::string copy = dir.File("Copy.ttf");
    TestSupport::WriteFileBytes(
        copy, TestSupport::ReadFileBytes(TestSupport::TestDataPath("fonts/LiberationSerif-Regular.ttf")));
    ASSERT_TRUE(AddFontResource(copy));
    EXPECT_GT(FontSetGeneration(), generation);
    const auto files = InstalledFontFiles();
    EXPECT_NE(std::find(files.begin(), files.end(), copy), files.end());
    EXPECT_TRUE(RemoveFontResource(copy));
    const auto after = InstalledFontFiles();
    EXPECT_EQ(std::find(after.begin(), after.end(), copy), after.end());
    EXPECT_EQ(after.size(), files.size() - 1);  // the other fonts stay
}

}  // namespace
