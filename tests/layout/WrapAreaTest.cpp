// Paragraphs laid out in rows beside exclusion rectangles.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "LineFixture.h"
#include "layout/lines/WrapArea.h"
#include "model/formats/FormatStream.h"

namespace {

using WrapAreaTest = LineFixture;

std::string Words(int n) {
    std::string text;
    for (int i = 0; i < n; ++i)
        text += "word ";
    return text;
}

// No piece's text runs into a rectangle that shares its row.
void ExpectClearOfExclusions(const TPar& par, const TWrapArea& area) {
    for (std::int32_t i = 0; i < par.LineCount(); ++i) {
        const TLine& line = *par.Lines->At<TLine>(i);
        if ((line.Flags & lfWrapPiece) == 0)
            continue;
        std::int32_t k = line.CharCount;
        while (k > 0 &&
               (par.Chars.Data[line.FirstChar + k - 1] == ' ' || par.Chars.Data[line.FirstChar + k - 1] == chParEnd))
            --k;
        const std::int32_t left = Px16ToTwips(line.Pos(0));
        const std::int32_t right = Px16ToTwips(line.Pos(k));
        for (const TWrapRect& r : area.Exclusions) {
            const bool rowMeets = r.Top < line.Top + line.Height && r.Bottom > line.Top;
            EXPECT_FALSE(rowMeets && left < r.Right && right > r.Left) << "line " << i;
        }
    }
}

TEST_F(WrapAreaTest, RowsBesideRectangles) {
    struct Case {
        const char* name;
        std::vector<TWrapRect> exclusions;
        int piecesPerRow;  // in the rows beside the rectangles
    };
    const Case cases[] = {
        {"a rectangle on the left", {{0, 0, 2000, 1000}}, 1},
        {"a rectangle on the right", {{4000, 0, 6000, 1000}}, 1},
        {"a rectangle in the middle", {{2500, 0, 3500, 1000}}, 2},
        {"two rectangles", {{1500, 0, 2000, 800}, {3500, 200, 4000, 1000}}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPar& par = Par(Words(120));
        TWrapArea area;
        area.Exclusions = c.exclusions;
        par.LayoutLines(0, 6000, &area);
        ASSERT_GT(par.LineCount(), 3);
        ExpectClearOfExclusions(par, area);
        // Every character is on exactly one line.
        std::int32_t next = 0;
        for (std::int32_t i = 0; i < par.LineCount(); ++i) {
            EXPECT_EQ(LineOf(par, i).FirstChar, next);
            next += LineOf(par, i).CharCount;
        }
        EXPECT_EQ(next, par.CharCount());
        // The first row's pieces share their baseline and top.
        const TLine& first = LineOf(par, 0);
        EXPECT_NE(first.Flags & lfWrapFirstRow, 0u);
        if (c.piecesPerRow == 2) {
            const TLine& second = LineOf(par, 1);
            EXPECT_EQ(second.Row, first.Row);
            EXPECT_EQ(second.Top, first.Top);
            EXPECT_EQ(second.Ascent, first.Ascent);
            EXPECT_EQ(second.Descent, first.Descent);
            EXPECT_GE(Px16ToTwips(second.Pos(0)), 3500);
            // Each piece's limit is the edge of the rectangle to its right.
            EXPECT_EQ(first.WidthLimit, 2500);
            EXPECT_EQ(second.WidthLimit, 6000);
        }
        // Below the rectangles the lines are plain and full width.
        const TLine& last = LineOf(par, par.LineCount() - 2);
        EXPECT_EQ(last.Flags & lfWrapPiece, 0u);
        EXPECT_GE(area.Y, 1000);
    }
}

TEST_F(WrapAreaTest, ARowWithoutRoomMovesBelowTheRectangle) {
    TPar& par = Par(Words(20));
    TWrapArea area;
    area.Y = 100;
    area.Exclusions = {{0, 0, 6000, 1500}};
    par.LayoutLines(0, 6000, &area);
    ASSERT_GT(par.LineCount(), 0);
    const TLine& first = LineOf(par, 0);
    EXPECT_NE(first.Flags & lfTopFixed, 0u);
    EXPECT_EQ(first.Top, 1500);
    EXPECT_EQ(first.FirstChar, 0);
}

// The check the breaker runs per item, on a piece that starts at 1000
// twips in a row at the top of the area. Widths are the item's end in
// twips; a failed check leaves the row's slots as they were.
TEST_F(WrapAreaTest, TheWrapCheckOfOneItem) {
    struct Case {
        const char* name;
        std::vector<TWrapRect> exclusions;
        std::vector<TWrapRect> earlierSlots;  // pieces already in the row
        std::int32_t rowHeight;
        std::int32_t endTwips;  // WrapLineEndX stays as is
        bool fits;
        std::int32_t x;  // the area's X after a failed check
        bool movedPast;
    };
    const std::int32_t lineEnd = WrapLineEndX;
    const Case cases[] = {
        {"clear of everything", {{3000, 0, 4000, 500}}, {}, 0, 2000, true, 0, false},
        {"runs into a rectangle", {{3000, 0, 4000, 500}}, {}, 0, 3200, false, 4000, true},
        {"into two rectangles side by side",
         {{3000, 0, 4000, 500}, {4000, 100, 4500, 400}},
         {},
         0,
         3200,
         false,
         4500,
         true},
        {"a rectangle below the row is no obstacle", {{3000, 2000, 4000, 2500}}, {}, 0, 3200, true, 0, false},
        {"beyond the limit once the row has a height", {}, {}, 200, 6500, false, 6000, false},
        {"the first item beyond the limit is taken", {}, {}, 0, 6500, true, 0, false},
        {"an earlier piece meets a rectangle as the row grows",
         {{0, 250, 500, 300}},
         {{0, 0, 900, 0}},
         0,
         1500,
         false,
         INT32_MAX,
         false},
        {"the line's end", {}, {}, 0, lineEnd, true, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPar& par = Par("text");
        Layout(par, 6000);
        TLine& line = LineOf(par, 0);
        TWrapArea area;
        area.Exclusions = c.exclusions;
        area.Limit = 6000;
        area.RowHeight = c.rowHeight;
        area.Slots = c.earlierSlots;
        area.Slots.push_back({1000, 0, 1000, 0});
        const std::vector<TWrapRect> before = area.Slots;
        Breaker.Flags = bfMetricsChanged;
        // Text of 12 points is some 276 twips high: it reaches the
        // rectangles that start at 100 and 250.
        const std::int32_t x = c.endTwips == lineEnd ? lineEnd : TwipsToPx16(c.endTwips);
        EXPECT_EQ(line.FitsWrapArea(area, x, line.Ascent, line.Descent, line.BaseAscent), c.fits);
        EXPECT_EQ((Breaker.Flags & bfMovedPastExclusion) != 0, c.movedPast);
        EXPECT_GE(area.RowHeight, 200);
        if (c.fits) {
            EXPECT_EQ(area.Slots.back().Right, c.endTwips == lineEnd ? 6000 : c.endTwips);
            EXPECT_EQ(area.Slots.back().Bottom, area.RowHeight);
        } else {
            EXPECT_EQ(area.X, c.x);
            ASSERT_EQ(area.Slots.size(), before.size());
            for (std::size_t i = 0; i < before.size(); ++i) {
                EXPECT_EQ(area.Slots[i].Right, before[i].Right);
                EXPECT_EQ(area.Slots[i].Bottom, before[i].Bottom);
            }
        }
        Breaker.Flags = 0;
    }
}

TEST_F(WrapAreaTest, RowHasExclusion) {
    struct Case {
        const char* name;
        std::vector<TWrapRect> exclusions;
        std::vector<TWrapRect> slots;
        bool expected;
    };
    const Case cases[] = {
        {"one piece, nothing on the band", {{0, 500, 6000, 900}}, {{1000, 0, 2000, 300}}, false},
        {"one piece, a rectangle far to the right", {{5000, 100, 5500, 200}}, {{1000, 0, 2000, 300}}, true},
        {"one piece, a rectangle left of it", {{0, 0, 500, 200}}, {{1000, 0, 2000, 300}}, true},
        {"two pieces", {}, {{0, 0, 1000, 300}, {2000, 0, 3000, 300}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPar& par = Par("text");
        Layout(par, 6000);
        TWrapArea area;
        area.Exclusions = c.exclusions;
        area.Slots = c.slots;
        area.RowHeight = 300;
        EXPECT_EQ(LineOf(par, 0).RowHasExclusion(area), c.expected);
    }
}

// A row that holds nothing goes down to the nearest rectangle bottom, and
// on by the smallest overlap it still meets, until a gap opens as wide as
// the text that did not fit.
TEST_F(WrapAreaTest, RowsThatHoldNothingMoveDown) {
    struct Case {
        const char* name;
        std::vector<TWrapRect> exclusions;
        std::int32_t top;   // of the paragraph's first line
        std::int32_t left;  // twips, at least
        bool piece;         // the first line is a piece of a wrap row
    };
    const Case cases[] = {
        {"one rectangle across", {{0, 0, 6000, 1000}}, 1000, 0, false},
        {"two across, the lower one overlapping", {{0, 0, 6000, 1000}, {0, 800, 6000, 1400}}, 1400, 0, false},
        {"across, then a narrow one beside the gap", {{0, 0, 6000, 1000}, {0, 900, 2000, 1300}}, 1000, 2000, true},
        {"across, then gaps too narrow for a word", {{0, 0, 6000, 1000}, {0, 900, 5800, 1300}}, 1300, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPar& par = Par(Words(60));
        TWrapArea area;
        area.Exclusions = c.exclusions;
        par.LayoutLines(0, 6000, &area);
        ASSERT_GT(par.LineCount(), 1);
        const TLine& first = LineOf(par, 0);
        EXPECT_EQ(first.Top, c.top);
        EXPECT_NE(first.Flags & lfTopFixed, 0u);
        EXPECT_EQ((first.Flags & lfWrapPiece) != 0, c.piece);
        EXPECT_GE(Px16ToTwips(first.Pos(0)), c.left);
        EXPECT_NE(par.Flags & pfRelayout, 0u);
        ExpectClearOfExclusions(par, area);
    }
}

}  // namespace
