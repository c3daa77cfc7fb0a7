// A paragraph that starts with a drop cap: its first line stands in a box of
// its own at the paragraph's top left, and the next lines wrap beside it.

#include <gtest/gtest.h>

#include <string>

#include "PageFixture.h"
#include "base/core/ObjectHandles.h"
#include "layout/boxes/TPage.h"
#include "layout/lines/LineLayout.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TLine.h"

namespace {

class DropCapFlowTest : public PageFixture {
protected:
    // A paragraph whose first letter is a drop cap three times the size of
    // its text, then the given words.
    TPar& CapPar(std::string_view rest) { return DropCapPar("W", 72, 0, rest); }
};

std::string Words(int n) {
    std::string text;
    for (int i = 0; i < n; ++i)
        text += " word";
    return text;
}

TEST_F(DropCapFlowTest, LinesWrapBesideTheCapUntilItsBottom) {
    struct Case {
        const char* Name;
        int Words;
        std::int32_t LeftIndent;
    };
    const Case cases[] = {
        {"long paragraph", 200, 0},
        {"long paragraph with a left indent", 200, 720},
        {"text shorter than the cap", 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TearDown();
        SetUp();
        Plain("before");
        TPar& par = CapPar(Words(c.Words));
        par.Format.LeftIndent = c.LeftIndent;
        TPar& after = Plain("after");
        SetBodyLines(40);
        PaginateAll();
        ASSERT_NE(par.Flags & pfDropCap, 0);
        ASSERT_GE(par.LineCount(), 2);
        const TLine& cap = LineOf(par, 0);
        ASSERT_NE(cap.Flags & lfDropCap, 0u);
        EXPECT_EQ(cap.CharCount, 1);
        ASSERT_NE(cap.Box, nullptr);
        const TBox& capBox = *cap.Box;
        EXPECT_NE(capBox.Flags & bxDropCap, 0u);
        // The cap's box is a child of the text box that holds the rest.
        const TLine& second = LineOf(par, 1);
        ASSERT_NE(second.Box, nullptr);
        ASSERT_EQ(capBox.Parent, second.Box);
        const TBox& text = *second.Box;
        // The cap stands where the paragraph starts, at its left indent.
        EXPECT_EQ(capBox.Bounds.Top - text.Insets.Top, second.Top);
        EXPECT_EQ(capBox.Bounds.Left + capBox.Insets.Left, text.Insets.Left + c.LeftIndent);
        EXPECT_GT(capBox.Bounds.Bottom - capBox.Bounds.Top, 2 * (second.Height - 1));
        // Every character after the cap lies on one line.
        std::int32_t next = cap.CharCount;
        bool below = false;
        for (std::int32_t i = 1; i < par.LineCount(); ++i) {
            const TLine& line = LineOf(par, i);
            SCOPED_TRACE(i);
            EXPECT_EQ(line.FirstChar, next);
            next += line.CharCount;
            const std::int32_t left = Px16ToTwips(line.Pos(0));
            const std::int32_t capRight = capBox.Bounds.Right - text.Insets.Left;
            if (line.Top + text.Insets.Top < capBox.Bounds.Bottom) {
                EXPECT_FALSE(below) << "a line beside the cap after one below it";
                EXPECT_GE(left, capRight - 20);
            } else {
                below = true;
                EXPECT_LT(left, capRight);
            }
        }
        EXPECT_EQ(next, par.CharCount());
        if (c.Words > 100) {
            EXPECT_TRUE(below);
        }
        // The next paragraph starts below the cap, however short the text
        // beside it.
        ASSERT_GE(after.LineCount(), 1);
        EXPECT_GE(LineOf(after, 0).Top + text.Insets.Top, capBox.Bounds.Bottom);
    }
}

// A cap that does not fit at the bottom of a page goes to the next page with
// its paragraph, and the page it left keeps no empty cap box.
TEST_F(DropCapFlowTest, CapWithoutRoomMovesWithItsParagraph) {
    for (int i = 0; i < 5; ++i)
        Plain("x");
    TPar& par = CapPar(Words(30));
    SetBodyLines(6);
    PaginateAll();
    ASSERT_GE(Doc->Pages.Count, 2);
    EXPECT_EQ(PageOfLine(par, 0), 1);
    EXPECT_EQ(PageOfLine(par, 1), 1);
    const std::string layout = Layout();
    const std::string capBox = "box " + std::to_string(bxText | bxDropCap) + " ";
    const std::size_t at = layout.find(capBox);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(layout.find(capBox, at + 1), std::string::npos) << layout;
    EXPECT_GT(at, layout.find("page 1")) << layout;
}

}  // namespace
