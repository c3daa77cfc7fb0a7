// Line decorations: how underline records merge and where their segments
// lie, words-only underlines, underline patterns fixed to the page,
// borders that draw nothing, highlight bands, spelling squiggles and the
// rectangles the highlight layers collect.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "LinePaintFixture.h"
#include "base/core/ObjectHandles.h"
#include "layout/painting/TLinePainter.h"
#include "model/fields/TField.h"
#include "model/formats/BorderSets.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "platform/Regions.h"

namespace {

constexpr std::uint32_t UnderlineBlue = 0xFF0000;

class LineDecorationsTest : public LinePaintFixture {
protected:
    // The fills of one colour, left to right.
    static std::vector<Platform::TRect> FillsOf(const TRecording& recording, std::uint32_t color) {
        std::vector<Platform::TRect> fills;
        for (std::size_t i = 0; i < recording.Fills.size(); ++i)
            if (recording.FillColors[i] == color)
                fills.push_back(recording.Fills[i]);
        std::sort(fills.begin(), fills.end(),
                  [](const Platform::TRect& a, const Platform::TRect& b) { return a.Left < b.Left; });
        return fills;
    }

    // The device x where character k of a line starts when the line is
    // painted at x 0.
    static std::int32_t CharLeftOfLine(TPar& par, std::int32_t lineIndex, std::int32_t k) {
        TLine& line = LineOf(par, lineIndex);
        line.PrepareZoomWidths();
        const auto* widths = reinterpret_cast<const std::uint16_t*>(par.LayoutScratch->Data + 4) + line.FirstChar;
        std::int32_t x = (line.Positions[1] + 8) / 16;
        for (std::int32_t i = 0; i < k; ++i)
            x += widths[i];
        return x;
    }

    // The device x where character k of a paragraph's first line starts
    // when the line is painted at x 0 (the first text run's x is that of
    // character 0).
    std::int32_t CharLeft(TPar& par, std::int32_t k) {
        TLine& line = LineOf(par, 0);
        line.PrepareZoomWidths();
        const auto* widths = reinterpret_cast<const std::uint16_t*>(par.LayoutScratch->Data + 4) + line.FirstChar;
        const TRecording recording = Record({&par}, 0, 0);
        std::int32_t x = recording.Texts.front().X;
        for (std::int32_t i = 0; i < k; ++i)
            x += widths[i];
        return x;
    }
};

// Runs in different fonts and sizes that share the underline kind and
// colours get one underline, placed by the tallest run; the paragraph mark
// stays bare, with and without formatting marks shown.
TEST_F(LineDecorationsTest, AdjacentRunsShareOneUnderline) {
    for (bool marks : {false, true}) {
        SCOPED_TRACE(marks);
        LinePaintOptions().ShowMarks = marks;
        TPar& par = Par("", Times(), 20);
        AppendAttr(par, caUnderline, ulSingle);
        AppendAttr(par, caUnderlineColor, static_cast<std::int32_t>(UnderlineBlue));
        AppendText(par, "small ");
        AppendAttr(par, caFont, Arial());
        AppendAttr(par, caSize, 40);
        AppendText(par, "LARGE");
        Layout(par, 6000);
        const TRecording recording = Record({&par}, 0, 0);
        const std::vector<Platform::TRect> fills = FillsOf(recording, UnderlineBlue);
        ASSERT_EQ(fills.size(), 1u);
        EXPECT_EQ(fills[0].Left, CharLeft(par, 0));
        EXPECT_EQ(fills[0].Right, CharLeft(par, 11));  // up to the paragraph mark
        // Below the baseline of the large run, not the small one.
        const TRecordedText& large = recording.Texts.back();
        EXPECT_GT(fills[0].Top, large.Y + large.Ascent);
        EXPECT_GE(fills[0].Height(), 1);
    }
}

TEST_F(LineDecorationsTest, RunsThatDifferInKindOrColourKeepTheirOwnUnderlines) {
    struct Case {
        std::uint8_t attr;
        std::int32_t value;
        std::size_t blueFills;
    };
    const Case cases[] = {
        {caUnderline, ulDouble, 2 + 1},   // one single, two double bars
        {caUnderlineColor, 0x00FF00, 1},  // the second run is green
        {caColor, 0x000080, 2},           // another text colour
        {caBold, 1, 1},                   // boldness merges
        {caScript, 2, 2},                 // lowered text apart
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.attr));
        TPar& par = Par("", Times(), 24);
        AppendAttr(par, caUnderline, ulSingle);
        AppendAttr(par, caUnderlineColor, static_cast<std::int32_t>(UnderlineBlue));
        AppendText(par, "first ");
        AppendAttr(par, c.attr, c.value);
        AppendText(par, "second");
        Layout(par, 6000);
        const TRecording recording = Record({&par}, 0, 0);
        EXPECT_EQ(FillsOf(recording, UnderlineBlue).size(), c.blueFills);
    }
}

TEST_F(LineDecorationsTest, WordsOnlyLeavesSpacesAndTabsBare) {
    TPar& par = Par("", Times(), 24);
    AppendAttr(par, caUnderline, ulWords);
    AppendAttr(par, caUnderlineColor, static_cast<std::int32_t>(UnderlineBlue));
    AppendText(par, "one two\tthree");
    Layout(par, 6000);
    const TRecording recording = Record({&par}, 0, 0);
    const std::vector<Platform::TRect> fills = FillsOf(recording, UnderlineBlue);
    ASSERT_EQ(fills.size(), 3u);
    EXPECT_EQ(fills[0].Left, CharLeft(par, 0));
    EXPECT_EQ(fills[0].Right, CharLeft(par, 3));
    EXPECT_EQ(fills[1].Left, CharLeft(par, 4));
    EXPECT_EQ(fills[1].Right, CharLeft(par, 7));
    EXPECT_EQ(fills[2].Left, CharLeft(par, 8));
    EXPECT_EQ(fills[2].Right, CharLeft(par, 13));
}

// Scrolling the view right by five pixels paints the line five pixels
// further left; the dots and dashes must move with it, not stay put.
TEST_F(LineDecorationsTest, UnderlinePatternsStayFixedToThePage) {
    for (std::int32_t kind : {ulDotted, ulDashed, ulThickDotDash, ulLongDash}) {
        SCOPED_TRACE(kind);
        TPar& par = Par("", Arial(), 24);
        AppendAttr(par, caUnderline, kind);
        AppendAttr(par, caUnderlineColor, static_cast<std::int32_t>(UnderlineBlue));
        AppendText(par, "a long run of dotted or dashed text");
        Layout(par, 8000);
        Doc->ScrollPos.X = 0;
        const std::vector<Platform::TRect> still = FillsOf(Record({&par}, 40, 0), UnderlineBlue);
        Doc->ScrollPos.X = 5;
        const std::vector<Platform::TRect> scrolled = FillsOf(Record({&par}, 35, 0), UnderlineBlue);
        Doc->ScrollPos.X = 0;
        ASSERT_GE(still.size(), 3u);
        ASSERT_EQ(still.size(), scrolled.size());
        // The first and last segments are cut at the run's ends; the inner
        // ones are whole and must lie at the same page positions.
        for (std::size_t i = 1; i + 1 < still.size(); ++i) {
            EXPECT_EQ(scrolled[i].Left + 5, still[i].Left) << i;
            EXPECT_EQ(scrolled[i].Right + 5, still[i].Right) << i;
        }
    }
}

TEST_F(LineDecorationsTest, ABorderOfStyle255DrawsNothingWhateverItsWidth) {
    TBorderSet set;
    InitBorderSet(set);
    for (TBorder& border : set.Borders) {
        border.Type = NoBorderType;
        border.Width = 60;
        border.Color = static_cast<std::int32_t>(UnderlineBlue);
    }
    set.Borders[bsLeft].Type = 1;  // one real border keeps the set from being empty
    set.Borders[bsLeft].Color = 0x00FF00;
    TPar& par = Par("Bordered", Arial(), 24);
    par.Format.Borders = static_cast<std::int16_t>(InternBorderSet(set));
    Layout(par, 6000);
    const TRecording recording = Record({&par}, 0, 0);
    EXPECT_TRUE(FillsOf(recording, UnderlineBlue).empty());
    EXPECT_EQ(FillsOf(recording, 0x00FF00).size(), 1u);
}

TEST_F(LineDecorationsTest, HighlightFillsTheBandOfItsRunOnly) {
    TPar& par = Par("plain ", Arial(), 24);
    AppendAttr(par, caHighlight, 0x00FFFF);
    AppendText(par, "marked");
    AppendAttr(par, caHighlight, AutoColor);
    AppendText(par, " plain");
    Layout(par, 6000);
    MakeBitmap(200, 40);
    PaintPars({&par}, 0, 0);
    const std::int32_t left = CharLeft(par, 6);
    const std::int32_t right = CharLeft(par, 12);
    const std::int32_t height = LineOf(par, 0).HeightPixels(nullptr);
    std::int32_t inside = 0, outside = 0;
    for (std::int32_t y = 0; y < 40; ++y)
        for (std::int32_t x = 0; x < 200; ++x) {
            const std::uint32_t pixel = Bitmap->Bits[y * 200 + x] & 0xFFFFFF;
            if (pixel != 0xFFFF00)  // yellow in pixel order
                continue;
            if (x >= left && x < right && y < height)
                ++inside;
            else
                ++outside;
        }
    EXPECT_GT(inside, (right - left) * height / 2);
    EXPECT_EQ(outside, 0);
}

// The spelling code fills the paragraph's marks; with none, nothing is
// drawn, and each mark gets one zigzag pixel per column over its extent.
TEST_F(LineDecorationsTest, SpellingSquigglesFollowTheParagraphsMarks) {
    TPar& par = Par("one wrnog word", Arial(), 24);
    Layout(par, 6000);
    const auto redColumns = [&](std::int32_t& first, std::int32_t& last) {
        std::int32_t count = 0;
        first = 1000;
        last = -1;
        for (std::int32_t x = 0; x < 200; ++x) {
            std::int32_t inColumn = 0;
            for (std::int32_t y = 0; y < 40; ++y)
                if ((Bitmap->Bits[y * 200 + x] & 0xFFFFFF) == 0xFF0000)  // red in pixel order
                    ++inColumn;
            if (inColumn > 0) {
                EXPECT_EQ(inColumn, 1) << x;
                first = std::min(first, x);
                last = std::max(last, x);
                ++count;
            }
        }
        return count;
    };
    std::int32_t first = 0, last = 0;
    MakeBitmap(200, 40);
    PaintPars({&par}, 0, 0);
    EXPECT_EQ(redColumns(first, last), 0);

    par.SpellMarks.push_back({4, 9, 0x0000FF});
    MakeBitmap(200, 40);
    PaintPars({&par}, 0, 0);
    const std::int32_t columns = redColumns(first, last);
    EXPECT_EQ(first, CharLeft(par, 4));
    EXPECT_EQ(last, CharLeft(par, 9) - 1);
    EXPECT_EQ(columns, last - first + 1);

    // A language without a spellchecker is no misspelling; switched off,
    // no mark is drawn at all.
    par.SpellMarks = {{0, 3, SpellMarkNoSpellchecker}};
    MakeBitmap(200, 40);
    PaintPars({&par}, 0, 0);
    EXPECT_EQ(redColumns(first, last), 0);
    par.SpellMarks = {{4, 9, 0x0000FF}};
    // Marks of an older check are stale: none until the paragraph is
    // checked again.
    par.SpellGeneration = 3;
    LinePaintHooks().SpellGeneration = [] { return std::uint32_t{4}; };
    MakeBitmap(200, 40);
    PaintPars({&par}, 0, 0);
    EXPECT_EQ(redColumns(first, last), 0);
    LinePaintHooks().SpellGeneration = [] { return std::uint32_t{3}; };
    MakeBitmap(200, 40);
    PaintPars({&par}, 0, 0);
    EXPECT_EQ(redColumns(first, last), columns);
    LinePaintOptions().ShowSpellMarks = false;
    MakeBitmap(200, 40);
    PaintPars({&par}, 0, 0);
    EXPECT_EQ(redColumns(first, last), 0);
}

// The selection and the other highlight layers become rectangles of their
// regions, from the range's first character to its last on each line; a
// range that runs on past the line covers it to its end.
TEST_F(LineDecorationsTest, HighlightLayersCollectTheirRectangles) {
    TPar& first = Par("first paragraph", Arial(), 24);
    TPar& second = Par("second paragraph", Arial(), 24);
    Layout(first, 6000);
    Layout(second, 6000);
    // Where the characters lie, asked before any region collects.
    const std::int32_t firstAt6 = 3 + CharLeft(first, 6);
    const std::int32_t firstEnd = 3 + CharLeft(first, 16);
    const std::int32_t secondAt0 = 3 + CharLeft(second, 0);
    const std::int32_t secondAt6 = 3 + CharLeft(second, 6);
    const std::int32_t firstHeight = LineOf(first, 0).HeightPixels(nullptr);
    const std::int32_t secondHeight = LineOf(second, 0).HeightPixels(nullptr);
    Doc->SelectionRgn = Platform::CreateRectRgn(0, 0, 0, 0);
    Doc->MarkedRgn = Platform::CreateRectRgn(0, 0, 0, 0);
    Doc->MatchRgn = Platform::CreateRectRgn(0, 0, 0, 0);
    Doc->Selection->SetSingle(0, 6, 1, 6);
    static TCompoundFragment* marked = nullptr;
    marked = NewCompoundFragment();
    marked->SetSingle(1, 0, 1, 6);
    LinePaintHooks().LayerRanges = [](TDoc&, int layer) -> const TCompoundFragment* {
        return layer == hlMarked ? marked : nullptr;
    };
    MakeBitmap(300, 80);
    PaintPars({&first, &second}, 3, 0);
    Platform::TRect box;
    Platform::GetRgnBox(Doc->SelectionRgn, box);
    EXPECT_EQ(box.Left, secondAt0);
    EXPECT_EQ(box.Top, 0);
    EXPECT_EQ(box.Right, firstEnd);
    EXPECT_EQ(box.Bottom, firstHeight + secondHeight);
    EXPECT_TRUE(Platform::PtInRegion(Doc->SelectionRgn, firstAt6, 1));
    EXPECT_FALSE(Platform::PtInRegion(Doc->SelectionRgn, firstAt6 - 1, 1));
    EXPECT_TRUE(Platform::PtInRegion(Doc->SelectionRgn, firstEnd - 1, 1));  // to the line's end
    EXPECT_TRUE(Platform::PtInRegion(Doc->SelectionRgn, secondAt6 - 1, firstHeight + 1));
    EXPECT_FALSE(Platform::PtInRegion(Doc->SelectionRgn, secondAt6, firstHeight + 1));
    Platform::GetRgnBox(Doc->MarkedRgn, box);
    EXPECT_EQ(box.Left, secondAt0);
    EXPECT_EQ(box.Right, secondAt6);
    EXPECT_EQ(box.Top, firstHeight);
    EXPECT_TRUE(Platform::GetRegionRects(Doc->MatchRgn).empty());
    ReleaseCompoundFragment(marked);
    for (Platform::HRGN* region : {&Doc->SelectionRgn, &Doc->MarkedRgn, &Doc->MatchRgn}) {
        Platform::DeleteRegion(*region);
        *region = nullptr;
    }
}

// A field that spans two lines is shaded on both, each band ending at the
// line's edge; text outside the field stays bare, and with field shading
// off nothing is shaded.
TEST_F(LineDecorationsTest, FieldShadingCoversTheFieldOnEveryLine) {
    auto* field = new TField;
    Doc->Fields.Add(field);
    const auto handle = static_cast<std::int32_t>(ObjectHandle(field));
    TPar& par = Par("before ", Arial(), 24);
    AppendAttr(par, fcFieldStart, handle);
    AppendText(par, "field text that runs on long enough to wrap");
    AppendAttr(par, fcFieldEnd, handle);
    AppendText(par, " after");
    Layout(par, 3000);
    ASSERT_GE(par.LineCount(), 2);
    const std::uint32_t shade = static_cast<std::uint32_t>(Colors->DisplayColorOn(0xC0C0C0, AutoColor));
    const std::uint32_t shadePixel = ((shade & 0xFF) << 16) | (shade & 0xFF00) | ((shade >> 16) & 0xFF);
    for (std::uint8_t option : {std::uint8_t{2}, std::uint8_t{0}}) {
        SCOPED_TRACE(static_cast<int>(option));
        LinePaintOptions().FieldShading = option;
        MakeBitmap(260, 80);
        PaintPars({&par}, 0, 0);
        // The shaded columns of the middle row of each line.
        std::int32_t y = 0;
        for (std::int32_t i = 0; i < par.LineCount(); ++i) {
            TLine& line = LineOf(par, i);
            const std::int32_t row = y + line.HeightPixels(nullptr) / 2;
            std::int32_t first = -1, last = -1;
            for (std::int32_t x = 0; x < 260; ++x)
                if ((Bitmap->Bits[row * 260 + x] & 0xFFFFFF) == shadePixel) {
                    if (first < 0)
                        first = x;
                    last = x;
                }
            if (option == 0) {
                EXPECT_EQ(first, -1) << i;
            } else if (i == 0) {
                EXPECT_EQ(first, CharLeft(par, 7)) << i;  // from the field's first character
                EXPECT_GE(last + 1, CharLeftOfLine(par, 0, line.CharCount) - 1);
            } else if (i == par.LineCount() - 1) {
                EXPECT_LE(first, CharLeftOfLine(par, i, 0) + 1);
                EXPECT_LT(last, CharLeftOfLine(par, i, line.CharCount - 7));  // not " after"
            }
            y += line.HeightPixels(nullptr);
        }
    }
}

}  // namespace
