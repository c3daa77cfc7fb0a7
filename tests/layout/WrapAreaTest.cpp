// Paragraphs laid out in rows beside exclusion rectangles.

#include <gtest/gtest.h>

#include <string>

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

}  // namespace
