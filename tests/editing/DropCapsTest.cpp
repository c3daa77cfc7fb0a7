// Drop caps: adding, changing and removing them through opDropCap (with
// undo and redo coming back byte for byte), the size search over the
// letters' outlines, keeping a drop cap through a replacement of its
// letter, and the removal of drop caps that an edit made invalid.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "EditDoc.h"
#include "base/core/TList.h"
#include "base/graphics/TwipsAndPixels.h"
#include "editing/dropcaps/DropCaps.h"
#include "layout/boxes/TBox.h"
#include "layout/pagination/TLayoutClient.h"
#include "model/document/TDoc.h"
#include "model/fields/TField.h"
#include "model/formats/TCharFormat.h"
#include "model/formats/TLine.h"
#include "model/host/TDocClient.h"
#include "model/managers/TFontManager.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "platform/DeviceContexts.h"
#include "platform/Fonts.h"
#include "support/ModelInvariants.h"
#include "support/TestSupport.h"

namespace {

class DropCapsTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestSupport::UseFixtureFonts();
        savedTimes = DefaultCharFormat[caFont];
        savedArial = LabelCharFormat[caFont];
        fonts = std::make_unique<TFontManager>();
    }
    void TearDown() override {
        fonts.reset();
        SetConstantFormatFonts(savedTimes, savedArial);
    }

    static TDropCapDescription Settings(std::uint8_t position, std::uint8_t lines, std::uint16_t distance) {
        TDropCapDescription s;
        s.Position = position;
        s.Lines = lines;
        s.Distance = distance;
        return s;
    }
    static void Apply(TDoc& doc, const TDropCapDescription* s, const std::string* font = nullptr) {
        doc.PerformOperation(TDropCapArgs{nullptr, s, font});
    }
    static TCharFormat LetterFormat(TDoc& doc, std::int32_t par) {
        TCharFormat f;
        doc.FormatAtPos(TTextPos{par, 0}, f);
        return f;
    }

    TEditingInstalled Installed;
    std::unique_ptr<TFontManager> fonts;
    std::int32_t savedTimes = 0;
    std::int32_t savedArial = 0;
};

// Every step of a drop cap's life is one undo step, and undo and redo give
// the model back byte for byte.
TEST_F(DropCapsTest, AddChangeRemoveUndoAndRedoExactly) {
    TEditDoc ed({"Once upon a time there was a letter.", "Second paragraph."});
    TDoc& doc = ed.Doc();
    const TDropCapDescription add = Settings(1, 3, 144);
    const TDropCapDescription linesOnly = Settings(DropCapKeepByte, 2, DropCapKeepDistance);
    const std::string serif = "Liberation Sans";
    struct Case {
        const char* Name;
        const TDropCapDescription* Settings;
        const std::string* Font;
        bool CapAfter;
        std::uint8_t Lines;
    };
    const Case cases[] = {
        {"add", &add, nullptr, true, 3},
        {"change lines only", &linesOnly, nullptr, true, 2},
        {"change font", &linesOnly, &serif, true, 2},
        {"remove", nullptr, nullptr, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string before = TestSupport::DocumentBytes(doc);
        Apply(doc, c.Settings, c.Font);
        const std::string after = TestSupport::DocumentBytes(doc);
        EXPECT_NE(after, before);
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
        TField* cap = doc.DropCapOfPar(0);
        ASSERT_EQ(cap != nullptr, c.CapAfter);
        if (cap != nullptr) {
            const TDropCapDescription* s = DropCapSettings(cap);
            ASSERT_NE(s, nullptr);
            EXPECT_EQ(s->Lines, c.Lines);
            // Position and distance survive a change that leaves them unset.
            EXPECT_EQ(s->Position, 1);
            EXPECT_EQ(s->Distance, 144);
            EXPECT_EQ(ed.Text(), "<O>nce upon a time there was a letter. / Second paragraph.");
        }
        doc.Undo(false);
        EXPECT_EQ(TestSupport::DocumentBytes(doc), before);
        doc.Redo();
        EXPECT_EQ(TestSupport::DocumentBytes(doc), after);
    }
    // Removing keeps the letter's look as direct formatting.
    EXPECT_GT(LetterFormat(doc, 0)[caSize], DefaultCharFormat[caSize]);
    EXPECT_EQ(ed.Text(), "Once upon a time there was a letter. / Second paragraph.");
}

TEST_F(DropCapsTest, ChangingTheLinesKeepsTheFontAndResizes) {
    TEditDoc ed({"Once upon a time."});
    TDoc& doc = ed.Doc();
    const TDropCapDescription three = Settings(1, 3, 0);
    const std::string sans = "Liberation Sans";
    Apply(doc, &three, &sans);
    const TCharFormat atThree = LetterFormat(doc, 0);
    const TDropCapDescription two = Settings(DropCapKeepByte, 2, DropCapKeepDistance);
    Apply(doc, &two);
    const TCharFormat atTwo = LetterFormat(doc, 0);
    EXPECT_EQ(atTwo[caFont], atThree[caFont]);
    EXPECT_NE(atThree[caFont], DefaultCharFormat[caFont]);
    EXPECT_LT(atTwo[caSize], atThree[caSize]);
}

// Paragraphs that cannot take a drop cap are left as they were, and the
// operation records nothing.
TEST_F(DropCapsTest, ParagraphsThatTakeNoDropCap) {
    struct Case {
        const char* Name;
        std::vector<std::string> Pars;
    };
    const Case cases[] = {
        {"starts with a tab", {"\tIndented"}},
        {"starts with a space", {" spaced"}},
        {"empty", {""}},
        {"in a table", {"T|Cell", "#"}},
    };
    const TDropCapDescription s = Settings(1, 3, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc ed(c.Pars);
        TDoc& doc = ed.Doc();
        const std::string before = TestSupport::DocumentBytes(doc);
        const std::string text = ed.Text();
        Apply(doc, &s);
        EXPECT_EQ(doc.DropCapOfPar(0), nullptr);
        EXPECT_EQ(ed.Text(), text);
        EXPECT_EQ(TestSupport::DocumentBytes(doc), before);
    }
}

// The letter's ink height, measured here independently of the search.
double InkHeight(const std::string& face, std::int32_t halfPoints, char16_t letter) {
    Platform::TLogFont lf;
    lf.Height = HalfPointsToFontHeight(halfPoints);
    lf.FaceName = face;
    const Platform::HFONT font = Platform::CreateFontIndirect(lf);
    const Platform::HDC dc = Platform::CreateCompatibleDC(nullptr);
    const Platform::HFONT old = Platform::SelectFont(dc, font);
    std::vector<Platform::TOutlineContour> contours;
    double top = 0;
    double bottom = 0;
    if (Platform::GetGlyphOutlineW(dc, letter, contours))
        for (const auto& contour : contours)
            for (const auto& p : contour) {
                top = std::max(top, p.Y);
                bottom = std::min(bottom, p.Y);
            }
    Platform::SelectFont(dc, old);
    Platform::DeleteFont(font);
    Platform::DeleteDC(dc);
    return top - bottom;
}

double LineHeight(const std::string& face, std::int32_t halfPoints) {
    Platform::TLogFont lf;
    lf.Height = HalfPointsToFontHeight(halfPoints);
    lf.FaceName = face;
    const Platform::HFONT font = Platform::CreateFontIndirect(lf);
    const Platform::HDC dc = Platform::CreateCompatibleDC(nullptr);
    const Platform::HFONT old = Platform::SelectFont(dc, font);
    Platform::TTextMetrics tm;
    Platform::GetTextMetrics(dc, tm);
    Platform::SelectFont(dc, old);
    Platform::DeleteFont(font);
    Platform::DeleteDC(dc);
    return tm.Height;
}

// The size is the largest whose letter stays below 95% of the lines it
// spans: one half-point more reaches the target.
TEST_F(DropCapsTest, SizeSearchFindsTheLargestLetterBelowTheTarget) {
    struct Case {
        const char* Name;
        char16_t Letter;
        std::int16_t Spacing;
        std::int16_t Multiple;
        std::int32_t Lines;
    };
    const Case cases[] = {
        {"3 lines, single", u'O', 240, 1, 3},    {"2 lines, single", u'O', 240, 1, 2},
        {"3 lines, double", u'O', 480, 1, 3},    {"3 lines, exactly 18 pt", u'H', -360, 0, 3},
        {"3 lines, descender", u'g', 240, 1, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc ed({"Letter"});
        TDoc& doc = ed.Doc();
        doc.Par(0)->Format.LineSpacing = c.Spacing;
        doc.Par(0)->Format.LineSpacingMultiple = c.Multiple;
        TCharFormat format = LetterFormat(doc, 0);
        const std::string face = fonts->RegFont(format[caFont])->GetName();
        TDropCapSize size;
        ASSERT_TRUE(FindDropCapSize(doc, 0, std::u16string(1, c.Letter), format, format, c.Lines, size));
        const double line =
            c.Multiple == 1 ? LineHeight(face, format[caSize]) * c.Spacing / 240.0 : TwipsToPixels(-c.Spacing);
        const double target = 0.95 * line * c.Lines;
        EXPECT_LT(InkHeight(face, size.Size, c.Letter), target);
        EXPECT_GE(InkHeight(face, size.Size + 1, c.Letter), target);
    }
}

// The offset is in points, like every other vertical offset: the painter
// puts a drop cap's baseline at 80% of its box, and the offset lifts a
// letter with a descender until its lowest ink is on the bottom of the
// lines it spans. A letter without a descender is lowered by the 20% under
// the baseline instead.
TEST_F(DropCapsTest, OffsetIsInPointsAndPlacesTheInkOnTheLastLine) {
    TEditDoc ed({"Letter"});
    TDoc& doc = ed.Doc();
    TCharFormat format = LetterFormat(doc, 0);
    const std::string face = fonts->RegFont(format[caFont])->GetName();
    const double target = 0.95 * LineHeight(face, format[caSize]) * 3;
    TDropCapSize flat;
    ASSERT_TRUE(FindDropCapSize(doc, 0, u"H", format, format, 3, flat));
    // -20% of the target, in points (pixels at 96 per inch: 0.75 pt).
    EXPECT_NEAR(flat.Offset, -0.2 * target * 0.75, 1.0);
    TDropCapSize deep;
    ASSERT_TRUE(FindDropCapSize(doc, 0, u"g", format, format, 3, deep));
    EXPECT_GT(deep.Offset, flat.Offset);
    // Far from the twentieth of a point the other reading would give.
    EXPECT_LT(std::abs(flat.Offset), 40);
    EXPECT_GT(std::abs(flat.Offset), 2);
}

// Laid out, the letter sits in its box where the painter draws it: the
// baseline at 80% of the box less the offset read as points. A letter with
// a descender, and one without, keep their ink inside the box they were
// sized for.
TEST_F(DropCapsTest, LaidOutLetterKeepsItsInkInsideItsBox) {
    struct Case {
        const char* Name;
        const char* Text;
        char16_t Letter;
    };
    const Case cases[] = {
        {"descender", "guess what the letter is, it hangs below its line", u'g'},
        {"capital", "Hardly anything hangs below this one", u'H'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc ed({c.Text, "More text.", "And more."});
        TDoc& doc = ed.Doc();
        TLayoutClient client;
        doc.Client = &client;
        const TDropCapDescription s = Settings(1, 3, 0);
        Apply(doc, &s);
        ASSERT_NE(doc.DropCapOfPar(0), nullptr);
        doc.UpdatePageMetrics();
        doc.PaginateAll();
        const TPar& par = *doc.Par(0);
        ASSERT_GT(par.LineCount(), 1);
        const TLine& cap = *par.Lines->At<TLine>(0);
        ASSERT_NE(cap.Flags & lfDropCap, 0u);
        ASSERT_NE(cap.Box, nullptr);
        const TCharFormat letter = LetterFormat(doc, 0);
        const std::string face = fonts->RegFont(letter[caFont])->GetName();
        // Outlines in pixels at 96 per inch: 15 twips each.
        Platform::TLogFont lf;
        lf.Height = HalfPointsToFontHeight(letter[caSize]);
        lf.FaceName = face;
        const Platform::HFONT font = Platform::CreateFontIndirect(lf);
        const Platform::HDC dc = Platform::CreateCompatibleDC(nullptr);
        const Platform::HFONT old = Platform::SelectFont(dc, font);
        std::vector<Platform::TOutlineContour> contours;
        double top = 0;
        double depth = 0;
        ASSERT_TRUE(Platform::GetGlyphOutlineW(dc, c.Letter, contours));
        for (const auto& contour : contours)
            for (const auto& p : contour) {
                top = std::max(top, p.Y);
                depth = std::max(depth, -p.Y);
            }
        Platform::SelectFont(dc, old);
        Platform::DeleteFont(font);
        Platform::DeleteDC(dc);
        const std::int32_t boxHeight = cap.Box->Bounds.Bottom - cap.Box->Bounds.Top;
        const std::int32_t before = cap.SpaceBefore();
        const auto bottomOfInk = [&](double offsetTwips) {
            const double baseline = (boxHeight - before) * 80 / 100 + before - offsetTwips;
            return baseline + depth * 15;
        };
        const double inkTop = (boxHeight - before) * 80 / 100 + before - letter[caOffset] * 20 - top * 15;
        EXPECT_LE(bottomOfInk(letter[caOffset] * 20), boxHeight + 15);
        EXPECT_GE(inkTop, -15);
        doc.DestroyLayout();
        doc.Client = &NullDocClient();
    }
}

TEST_F(DropCapsTest, TypingOverTheLetterKeepsADropCap) {
    TEditDoc ed({"Once upon a time."});
    TDoc& doc = ed.Doc();
    const TDropCapDescription s = Settings(2, 4, 72);
    Apply(doc, &s);
    const TCharFormat look = LetterFormat(doc, 0);
    const std::string before = TestSupport::DocumentBytes(doc);
    const TextBytes w("W");
    doc.PerformOperation(TReplaceTextArgs{TTextPos{0, 0}, TTextPos{0, 1}, &w, 0});
    EXPECT_EQ(ed.Text(), "<W>nce upon a time.");
    TField* cap = doc.DropCapOfPar(0);
    ASSERT_NE(cap, nullptr);
    const TDropCapDescription* kept = DropCapSettings(cap);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->Position, 2);
    EXPECT_EQ(kept->Lines, 4);
    EXPECT_EQ(kept->Distance, 72);
    EXPECT_EQ(LetterFormat(doc, 0)[caSize], look[caSize]);
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    doc.Undo(false);
    EXPECT_EQ(TestSupport::DocumentBytes(doc), before);
}

// An edit in a paragraph removes the drop caps it made invalid, and only
// those; the text stays.
TEST_F(DropCapsTest, EditsRemoveInvalidDropCaps) {
    struct Case {
        const char* Name;
        std::vector<std::string> Pars;
        std::size_t Fields;
        TTextPos From, To;  // the text deleted
        const char* Text;   // afterwards
    };
    const Case cases[] = {
        {"valid stays", {"<a>bcdx"}, 1, {0, 4}, {0, 5}, "<a>bcd"},
        {"not at the start", {"ab<c>dx"}, 1, {0, 4}, {0, 5}, "abcd"},
        {"covers the whole text", {"<abc>de"}, 1, {0, 3}, {0, 5}, "abc"},
        {"second of the paragraph", {"<a><b>cdx"}, 2, {0, 4}, {0, 5}, "<a>bcd"},
        {"in a table", {"T|<a>bcx", "#"}, 1, {0, 3}, {0, 4}, "T|abc / #"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<TFieldSpec> fields(c.Fields, TFieldSpec{fkDropCap, 0, u""});
        TEditDoc ed(c.Pars, fields);
        TDoc& doc = ed.Doc();
        doc.Caret = c.From;
        doc.PerformOperation(TDeleteTextArgs{nullptr, c.From, c.To, 0});
        EXPECT_EQ(ed.Text(), c.Text);
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    }
}

}  // namespace
