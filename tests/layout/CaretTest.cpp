#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ViewFixture.h"
#include "layout/selection/CaretDevice.h"
#include "layout/selection/CaretMoves.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TLine.h"

namespace {

Platform::TTextMetrics Metrics(std::int32_t ascent, std::int32_t descent, std::int32_t leading, bool italic) {
    Platform::TTextMetrics m;
    m.Ascent = ascent;
    m.Descent = descent;
    m.ExternalLeading = leading;
    m.Italic = italic ? 1 : 0;
    return m;
}

TEST(CaretShape, FollowsTheFontsHeightSlantAndSmallCaps) {
    struct Case {
        const char* name;
        Platform::TTextMetrics metrics;
        bool smallCaps;
        std::int32_t systemWidth;
        TCaretShape want;
    };
    const Case cases[] = {
        {"upright", Metrics(12, 4, 1, false), false, 2, {2, 17, 1, 0}},
        // 13 pixels high: four bands of slant, so two pixels plus three.
        {"italic 13 pixels", Metrics(10, 3, 0, true), false, 2, {5, 13, 2, 4}},
        {"italic with leading", Metrics(20, 5, 2, true), false, 1, {7, 27, 3, 7}},
        // Small caps are measured with a font 80 % high; the caret is not.
        {"small caps", Metrics(8, 2, 0, false), true, 2, {2, 13, 1, 0}},
        {"no system width", Metrics(8, 2, 0, false), false, 0, {2, 10, 1, 0}},
        {"no font at all", Metrics(0, 0, 0, true), false, 2, {2, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TCaretShape got = CaretShapeFor(c.metrics, c.smallCaps, c.systemWidth);
        EXPECT_EQ(got.Width, c.want.Width);
        EXPECT_EQ(got.Height, c.want.Height);
        EXPECT_EQ(got.XOffset, c.want.XOffset);
        EXPECT_EQ(got.SlantSteps, c.want.SlantSteps);
    }
}

TEST(CaretShape, ItalicCaretLeansOnePixelPerFourRows) {
    const TCaretShape shape = CaretShapeFor(Metrics(10, 3, 0, true), false, 2);
    const std::vector<std::uint8_t> mask = CaretSlantMask(shape, 2);
    ASSERT_EQ(mask.size(), 5u * 13u);
    std::string rows;
    for (int y = 0; y < 13; ++y) {
        for (int x = 0; x < 5; ++x)
            rows += mask[y * 5 + x] != 0 ? '#' : '.';
        rows += '\n';
    }
    // The lowest band stands at the insertion point; the topmost one is
    // cut off by the box.
    EXPECT_EQ(rows,
              "...##\n"
              "..##.\n..##.\n..##.\n..##.\n"
              ".##..\n.##..\n.##..\n.##..\n"
              "##...\n##...\n##...\n##...\n");
}

// A document of paragraphs made of "line" lines joined by line breaks.
class CaretFixture : public ViewFixture {
protected:
    void SetUp() override {
        ViewFixture::SetUp();
        SetBodyLines(10);
    }
    void MakeDoc(int paragraphs, int lines) {
        Fill(paragraphs, lines);
        Show(600, 400);
        Doc->MoveCaretTo(0, 0, 4, 0);
    }
    // The caret where a position is located, optionally at a line end.
    TTextPos Place(std::int32_t par, std::int32_t offset, bool atLineEnd, std::uint32_t flags) {
        TTextPos pos;
        MakeTextPos(par, offset, pos);
        pos.Line = 0;  // the preferred line: the earlier one, where a line end lies
        Doc->LocatePos(pos, atLineEnd);
        Doc->SetCaret(pos, flags);
        return Doc->Caret;
    }
};

TEST_F(CaretFixture, CaretAfterABreakStandsBeforeItAtALineEnd) {
    MakeDoc(2, 3);  // "line\aline\aline" and its mark: breaks at 4 and 9
    struct Case {
        const char* name;
        std::int32_t offset;
        bool atLineEnd;
        std::uint32_t flags;
        std::int32_t wantOffset, wantLine;
    };
    const Case cases[] = {
        {"next line's start", 5, false, 0, 5, 1},     {"line end after a line break", 5, true, 0, 4, 0},
        {"line end kept as asked", 5, true, 2, 5, 0}, {"after the paragraph mark", 15, false, 0, 14, 2},
        {"inside a line", 2, false, 0, 2, 0},         {"paragraph start", 0, true, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TTextPos caret = Place(0, c.offset, c.atLineEnd, c.flags);
        EXPECT_EQ(caret.Offset, c.wantOffset);
        EXPECT_EQ(caret.Line, c.wantLine);
    }
}

TEST_F(CaretFixture, LocatingAPositionPaginatesOnlyAsFarAsItNeeds) {
    for (int i = 0; i < 80; ++i)
        Plain(Lines(5));
    Doc->UpdatePageMetrics();
    Doc->Paginate(0, 1);
    const std::int32_t built = Doc->Pages.Count;
    TTextPos pos;
    MakeTextPos(30, 3, pos);
    pos.Line = UnlocatedLine;
    Doc->LocatePos(pos, false);
    EXPECT_EQ(pos.Line, 0);
    const TLine* line = Doc->Par(30)->Lines->At<TLine>(0);
    ASSERT_NE(line->Box, nullptr);
    EXPECT_EQ(pos.Page, PageOfLine(*Doc->Par(30), 0));
    EXPECT_GT(Doc->Pages.Count, built);
    // Two paragraphs a page: the page of paragraph 30 and some more, not
    // the whole document.
    EXPECT_LT(Doc->Pages.Count, 80 / 2);
}

TEST_F(CaretFixture, CaretBoxFollowsItsLineDownThePages) {
    MakeDoc(6, 5);
    Doc->MoveCaretTo(0, 0, 4, 0);
    const std::int32_t x0 = Doc->CaretX, y0 = Doc->CaretY;
    EXPECT_GT(Doc->CaretHeight, 1);
    EXPECT_EQ(Doc->CaretSlantSteps, 0);
    Doc->MoveCaretTo(0, 5, 4, 0);  // the second line, at its start
    EXPECT_EQ(Doc->CaretX, x0);
    EXPECT_GT(Doc->CaretY, y0);
    Doc->MoveCaretTo(0, 2, 4, 0);
    EXPECT_GT(Doc->CaretX, x0);
    EXPECT_EQ(Doc->CaretY, y0);
    // A paragraph on a later page is lower in the view than the last line
    // of the first page.
    Doc->MoveCaretTo(1, 10, 4, 0);
    const std::int32_t firstPageBottom = Doc->CaretY;
    Doc->MoveCaretTo(4, 0, 4, 0);
    EXPECT_GT(Doc->Caret.Page, 0);
    EXPECT_GT(Doc->CaretY, firstPageBottom);
}

TEST_F(CaretFixture, MovementsTakeTheCaretWhereTheKeysSay) {
    MakeDoc(3, 3);  // each paragraph: "line\aline\aline" + mark, 15 characters
    struct Case {
        const char* name;
        std::int32_t par, offset;
        TCaretMove move;
        std::int32_t wantPar, wantOffset;
    };
    const Case cases[] = {
        {"char right", 0, 0, TCaretMove::CharRight, 0, 1},
        {"char right over the mark", 0, 14, TCaretMove::CharRight, 1, 0},
        {"char left over the mark", 1, 0, TCaretMove::CharLeft, 0, 14},
        {"char left at the start", 0, 0, TCaretMove::CharLeft, 0, 0},
        {"line down keeps x", 0, 2, TCaretMove::LineDown, 0, 7},
        {"line down into the next paragraph", 0, 12, TCaretMove::LineDown, 1, 2},
        {"line up into the previous paragraph", 1, 2, TCaretMove::LineUp, 0, 12},
        {"line start", 0, 7, TCaretMove::LineStart, 0, 5},
        {"line end stands before the break", 0, 7, TCaretMove::LineEnd, 0, 9},
        {"paragraph down", 0, 7, TCaretMove::ParDown, 1, 0},
        {"paragraph up to its start", 1, 7, TCaretMove::ParUp, 1, 0},
        {"paragraph up from a start", 1, 0, TCaretMove::ParUp, 0, 0},
        {"document end", 0, 3, TCaretMove::DocEnd, 2, 14},
        {"document start", 2, 3, TCaretMove::DocStart, 0, 0},
        {"line down on the last line", 2, 12, TCaretMove::LineDown, 2, 14},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Doc->MoveCaretTo(c.par, c.offset, 4, 0);
        MoveCaretBy(*Doc, c.move, false);
        EXPECT_EQ(Doc->Caret.Par, c.wantPar);
        EXPECT_EQ(Doc->Caret.Offset, c.wantOffset);
        EXPECT_FALSE(Doc->HasSelection());
    }
}

TEST_F(CaretFixture, ExtendingSelectsFromTheAnchorAndBackToNothing) {
    MakeDoc(3, 3);
    Doc->MoveCaretTo(0, 2, 4, 0);
    MoveCaretBy(*Doc, TCaretMove::CharRight, true);
    MoveCaretBy(*Doc, TCaretMove::CharRight, true);
    ASSERT_TRUE(Doc->HasSelection());
    EXPECT_EQ(Doc->Selection->Fragment(0).Start.Offset, 2);
    EXPECT_EQ(Doc->Selection->Fragment(0).End.Offset, 4);
    EXPECT_EQ(Doc->Caret.Offset, 4);
    // Back past the anchor: the range turns round the anchor.
    for (int i = 0; i < 3; ++i)
        MoveCaretBy(*Doc, TCaretMove::CharLeft, true);
    ASSERT_TRUE(Doc->HasSelection());
    EXPECT_EQ(Doc->Selection->Fragment(0).Start.Offset, 1);
    EXPECT_EQ(Doc->Selection->Fragment(0).End.Offset, 2);
    MoveCaretBy(*Doc, TCaretMove::CharRight, true);
    EXPECT_FALSE(Doc->HasSelection());
    EXPECT_EQ(Doc->Caret.Offset, 2);
    // Extending down onto the next paragraph's start stops at the end of
    // the paragraph before.
    Doc->MoveCaretTo(0, 14, 4, 0);
    MoveCaretBy(*Doc, TCaretMove::CharRight, true);
    ASSERT_TRUE(Doc->HasSelection());
    EXPECT_EQ(Doc->Selection->Fragment(0).End.Par, 0);
    EXPECT_EQ(Doc->Selection->Fragment(0).End.Offset, 15);
    EXPECT_EQ(Doc->Caret.Par, 1);
}

}  // namespace
