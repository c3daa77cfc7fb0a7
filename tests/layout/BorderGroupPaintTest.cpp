// Border groups as painted on a page: bordered paragraphs that form one
// group share one box, those that do not get a box each. Pixel probes count
// the boxes, golden images show them (PagePaintFixture; regenerate with
// REZ_UPDATE_GOLDEN=1 and look at the images before committing).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "PagePaintFixture.h"
#include "model/formats/BorderSets.h"
#include "model/paragraphs/TPar.h"

namespace {

// Green reads the same as a colour reference and as a bitmap pixel.
constexpr std::uint32_t BorderColor = 0x00C000;

const char* const Prose[] = {
    "The quick brown fox jumps over the lazy dog while the river runs past the old mill.",
    "Pack my box with five dozen liquor jugs, said the grocer, and write the bill in ink.",
};

// A box on all four sides and nothing between the paragraphs of a group, so
// that each box shows exactly one top and one bottom line.
std::int16_t BoxBorders() {
    TBorderSet set;
    InitBorderSet(set);
    for (int side : {bsLeft, bsTop, bsRight, bsBottom}) {
        set.Borders[side].Type = 1;
        set.Borders[side].Width = 15;
        set.Borders[side].Color = static_cast<std::int32_t>(BorderColor);
    }
    return static_cast<std::int16_t>(InternBorderSet(set));
}

class BorderGroupPaintTest : public PagePaintFixture {
protected:
    BorderGroupPaintTest() : PagePaintFixture(12) {}

    bool IsBorder(const std::vector<std::uint32_t>& pixels, std::int32_t x, std::int32_t y) const {
        return (pixels[static_cast<std::size_t>(y) * View.Width + x] & 0xFFFFFF) == BorderColor;
    }

    // The horizontal border lines in each run of columns that holds border
    // pixels, counted down the columns a quarter and three quarters across
    // the run: two lines for each box stacked there.
    std::vector<int> HorizontalLinesAcrossRuns() const {
        const std::vector<std::uint32_t> pixels = View.Pixels();
        std::vector<std::pair<std::int32_t, std::int32_t>> runs;
        bool inRun = false;
        for (std::int32_t x = 0; x < View.Width; ++x) {
            bool any = false;
            for (std::int32_t y = 0; y < View.Height && !any; ++y)
                any = IsBorder(pixels, x, y);
            if (any && !inRun)
                runs.push_back({x, x});
            if (any)
                runs.back().second = x;
            inRun = any;
        }
        std::vector<int> lines;
        for (const auto& [left, right] : runs) {
            for (const std::int32_t x : {left + (right - left) / 4, left + 3 * (right - left) / 4}) {
                int count = 0;
                for (std::int32_t y = 0; y < View.Height; ++y)
                    if (IsBorder(pixels, x, y) && (y == 0 || !IsBorder(pixels, x, y - 1)))
                        ++count;
                lines.push_back(count);
            }
        }
        return lines;
    }
};

TEST_F(BorderGroupPaintTest, LeftIndentsDecideWhetherTwoParagraphsShareABox) {
    struct Case {
        const char* Name;
        std::int16_t SecondLeft;
        int Lines;  // horizontal border lines down the boxes
    };
    const Case cases[] = {
        {"the same indent: one box", 720, 2},
        {"3 twips further in: still one box", 723, 2},
        {"4 twips further in: two boxes", 724, 4},
        {"half an inch further in: two boxes", 1440, 4},
    };
    const std::int16_t borders = BoxBorders();
    TPar& first = Plain(Prose[0]);
    TPar& second = Plain(Prose[1]);
    first.Format.Borders = second.Format.Borders = borders;
    first.Format.LeftIndent = 720;
    // Space before keeps two boxes apart; inside one box it adds no line.
    first.Format.SpaceBefore = second.Format.SpaceBefore = 240;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        second.Format.LeftIndent = c.SecondLeft;
        Doc->DestroyLayout();
        PaintFirstPage();
        EXPECT_EQ(HorizontalLinesAcrossRuns(), (std::vector<int>{c.Lines, c.Lines}));
    }
    ExpectGolden("border-groups-two-indents");
}

// Two cells of one row hold one bordered paragraph each, one after the
// other in the text and alike in borders and indents: each cell still
// draws a whole box of its own. Indents keep the side borders, which stand
// out beyond the text, inside the cells.
TEST_F(BorderGroupPaintTest, EachCellDrawsItsOwnBox) {
    Plain(Prose[0]);
    const std::vector<TPar*> row = AddRow({"Left cell", "Right cell"}, {4320, 8640});
    for (TPar* cell : {row[0], row[1]}) {
        cell->Format.Borders = BoxBorders();
        cell->Format.LeftIndent = cell->Format.RightIndent = 360;
    }
    Plain(Prose[1]);
    PaintFirstPage();
    EXPECT_EQ(HorizontalLinesAcrossRuns(), (std::vector<int>{2, 2, 2, 2}));
    ExpectGolden("border-groups-two-cells");
}

}  // namespace
