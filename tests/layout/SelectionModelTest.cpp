#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "ViewFixture.h"
#include "layout/painting/BoxPainting.h"
#include "layout/selection/CaretMoves.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TLine.h"

namespace {

std::vector<std::pair<std::int32_t, std::int32_t>> g_painted;  // (paragraph, line)

void RecordLine(TLine& line, Platform::HDC, std::int32_t, std::int32_t) {
    g_painted.emplace_back(line.Par->Index, line.IndexInPar);
}

class SelectionModelTest : public ViewFixture {
protected:
    void SetUp() override {
        ViewFixture::SetUp();
        SetBodyLines(20);
    }
    void TearDown() override {
        LinePaintObserver = nullptr;
        ViewFixture::TearDown();
    }
    void Ready() {
        Doc->UpdatePageMetrics();
        PaginateAll();
        Show(600, 800);
        Doc->MoveCaretTo(0, 0, 4, 0);
    }
    std::string Ranges() const {
        std::string text;
        for (std::int32_t i = 0; i < Doc->Selection->Count(); ++i) {
            const TFragment& r = Doc->Selection->Fragment(i);
            text += (i > 0 ? " " : "") + std::to_string(r.Start.Par) + ":" + std::to_string(r.Start.Offset) + "-" +
                    std::to_string(r.End.Par) + ":" + std::to_string(r.End.Offset);
        }
        return text;
    }
};

TEST_F(SelectionModelTest, RangeEndsAreCutOrderedAndMovedOffParagraphEnds) {
    Plain("abcd");  // 0, five characters with its mark
    Plain("efgh");  // 1
    Plain("ijkl");  // 2
    Ready();
    struct Case {
        const char* name;
        TTextPos start, end;
        const char* want;  // start par:offset - end par:offset
    };
    const Case cases[] = {
        {"in order", {0, 1}, {1, 2}, "0:1-1:2"},
        {"reversed paragraphs", {2, 1}, {0, 3}, "0:3-2:1"},
        {"reversed offsets", {1, 4}, {1, 1}, "1:1-1:4"},
        {"offsets cut to the length", {0, 99}, {1, 99}, "1:0-1:5"},
        {"start at a paragraph's length", {0, 5}, {2, 2}, "1:0-2:2"},
        {"end at offset 0", {0, 2}, {2, 0}, "0:2-1:5"},
        {"end at offset 0 of the first paragraph", {0, 0}, {0, 0}, "0:0-0:0"},
        {"collapsing over a paragraph end", {0, 5}, {1, 0}, "1:0-1:0"},
        {"last paragraph keeps its length", {2, 5}, {2, 5}, "2:5-2:5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TTextPos start = c.start, end = c.end;
        Doc->OrderRangeEnds(start, end, true);
        EXPECT_EQ(std::to_string(start.Par) + ":" + std::to_string(start.Offset) + "-" + std::to_string(end.Par) + ":" +
                      std::to_string(end.Offset),
                  c.want);
    }
}

TEST_F(SelectionModelTest, SetSelectionTakesEndsInEitherOrderAndKeepsTheAnchor) {
    Plain("abcd");
    Plain("efgh");
    Plain("ijkl");
    Ready();
    Doc->SetSelection(0, 0, 0, 0, 0);
    EXPECT_FALSE(Doc->HasSelection());
    ASSERT_EQ(Doc->Selection->Count(), 1);
    const TFragment& none = Doc->Selection->Fragment(0);
    EXPECT_EQ(std::vector<std::int32_t>({none.Start.Par, none.Start.Offset, none.Start.Page, none.Start.Line,
                                         none.End.Par, none.End.Offset, none.End.Page, none.End.Line}),
              std::vector<std::int32_t>(8, 0));

    Doc->SetSelection(2, 1, 0, 3, 0);  // reversed: start 2:1, end 0:3
    EXPECT_EQ(Ranges(), "0:3-2:1");
    EXPECT_EQ(Doc->SelAnchor.Par, 2);
    EXPECT_EQ(Doc->SelAnchor.Offset, 1);
    const TFragment reversed = Doc->Selection->Fragment(0);
    Doc->SetSelection(0, 3, 0, 1, 2);
    EXPECT_TRUE(FragmentsEqual(Doc->Selection->Fragment(0), reversed));
    // The anchor stays while it lies inside the new range.
    EXPECT_EQ(Doc->SelAnchor.Par, 2);
    // An end at offset 0 ends at the end of the paragraph before.
    Doc->SetSelection(0, 2, 0, 0, 2);
    EXPECT_EQ(Ranges(), "0:2-1:5");
    // Adding a range keeps the ones there.
    Doc->SetSelection(2, 1, 4, 3, 2);
    EXPECT_EQ(Ranges(), "0:2-1:5 2:1-2:3");
}

TEST_F(SelectionModelTest, NormalizingJoinsWholeParagraphsButNotStories) {
    Plain("abcd");
    Plain("efgh");
    TPar& c = Plain("ijkl");
    AddFootnote(c, "note");  // the reference makes paragraph 2 one longer
    Ready();
    const std::int32_t note = Doc->StoryCounts[0];
    const std::string last = std::to_string(c.CharCount());
    struct Case {
        const char* name;
        std::vector<TFragment> ranges;
        std::string want;
    };
    auto r = [](std::int32_t sp, std::int32_t so, std::int32_t ep, std::int32_t eo) {
        return TFragment{{sp, so}, {ep, eo}};
    };
    const Case cases[] = {
        {"neighbouring paragraphs", {r(1, 0, 1, 5), r(0, 2, 0, 5)}, "0:2-1:5"},
        {"overlapping", {r(0, 1, 0, 3), r(0, 2, 1, 1)}, "0:1-1:1"},
        {"a gap stays", {r(0, 1, 0, 3), r(1, 1, 1, 2)}, "0:1-0:3 1:1-1:2"},
        {"not before the paragraph's end", {r(0, 1, 0, 4), r(1, 0, 1, 2)}, "0:1-0:4 1:0-1:2"},
        {"across stories",
         {r(2, 0, 2, 5), r(note, 0, note, 2)},
         "2:0-2:5 " + std::to_string(note) + ":0-" + std::to_string(note) + ":2"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TCompoundFragment set;
        set.Fragment(0) = k.ranges[0];
        for (std::size_t i = 1; i < k.ranges.size(); ++i)
            set.Insert(static_cast<std::int32_t>(i), k.ranges[i]);
        Doc->NormalizeRanges(set);
        Doc->Selection->Assign(set);
        EXPECT_EQ(Ranges(), k.want);
    }
}

TEST_F(SelectionModelTest, TableRangesTakeWholeCellsAndRows) {
    Plain("before");
    const std::vector<TPar*> row = AddRow({"one", "two"}, {1440, 2880});
    Plain("after");
    Ready();
    const std::int32_t one = row[0]->Index, two = row[1]->Index, end = row[2]->Index;
    // Only a cell's end mark: the whole cell.
    Doc->SetSelection(one, 3, 0, 4, one);
    EXPECT_EQ(Ranges(), std::to_string(one) + ":0-" + std::to_string(one) + ":4");
    // From before the table into a cell: to the end of the row.
    Doc->SetSelection(0, 2, 0, 1, two);
    EXPECT_EQ(Ranges(), "0:2-" + std::to_string(end) + ":1");
}

TEST_F(SelectionModelTest, MovingOneEndRepaintsOnlyTheLinesBetween) {
    for (int i = 0; i < 12; ++i)
        Plain(Lines(3));
    SetBodyLines(40);
    Ready();
    Doc->SetSelection(3, 0, 0, 2, 3);
    LinePaintObserver = &RecordLine;
    g_painted.clear();
    Doc->SetSelection(3, 0, 0, 7, 3);  // the end moves from line 0 to line 1
    std::set<std::pair<std::int32_t, std::int32_t>> lines(g_painted.begin(), g_painted.end());
    EXPECT_EQ(lines.count({3, 1}), 1u);
    // The painter repaints a few lines around a range as well (their
    // ascenders and descenders may overlap), but not the page.
    EXPECT_LT(lines.size(), 36u / 3);
    for (const auto& [par, line] : lines) {
        SCOPED_TRACE(std::to_string(par) + "/" + std::to_string(line));
        EXPECT_GE(par, 1);
        EXPECT_LE(par, 5);
    }
}

TEST_F(SelectionModelTest, RandomCaretMovesKeepTheRangesOrderedDisjointAndInTheirStories) {
    TPar& a = Plain(Lines(4));
    for (int i = 0; i < 6; ++i)
        Plain(i % 2 == 0 ? "short words here and there" : Lines(3));
    Plain("last");
    AddFootnote(a, "a note of some words");
    Ready();
    const TCaretMove moves[] = {
        TCaretMove::CharLeft, TCaretMove::CharRight, TCaretMove::WordLeft, TCaretMove::WordRight, TCaretMove::LineUp,
        TCaretMove::LineDown, TCaretMove::LineStart, TCaretMove::LineEnd,  TCaretMove::ParUp,     TCaretMove::ParDown,
        TCaretMove::PageUp,   TCaretMove::PageDown,  TCaretMove::DocStart, TCaretMove::DocEnd,
    };
    std::mt19937 random(20261211);
    for (int step = 0; step < 3000; ++step) {
        const std::uint32_t roll = random() % 100;
        if (roll < 3) {
            // Into a story of its own now and then.
            const std::int32_t par = static_cast<std::int32_t>(random() % Doc->ParCount());
            Doc->MoveCaretTo(par, static_cast<std::int32_t>(random() % 8), 4, 0);
        } else if (roll < 6) {
            const std::int32_t p1 = static_cast<std::int32_t>(random() % Doc->StoryCounts[0]);
            const std::int32_t p2 = static_cast<std::int32_t>(random() % Doc->StoryCounts[0]);
            const std::int32_t o2 = static_cast<std::int32_t>(random() % 40);
            Doc->SetSelection(p1, static_cast<std::int32_t>(random() % 40), (random() % 2) * 4, o2, p2);
            // The caret goes to the moving end, as the window puts it.
            Doc->MoveCaretTo(p2, o2, 0, 0);
        } else {
            MoveCaretBy(*Doc, moves[random() % std::size(moves)], random() % 2 == 0);
        }
        SCOPED_TRACE("step " + std::to_string(step) + ": " + Ranges());
        ASSERT_GE(Doc->Caret.Par, 0);
        ASSERT_LT(Doc->Caret.Par, Doc->ParCount());
        ASSERT_LE(Doc->Caret.Offset, Doc->Par(Doc->Caret.Par)->CharCount());
        if (!Doc->HasSelection())
            continue;
        for (std::int32_t i = 0; i < Doc->Selection->Count(); ++i) {
            const TFragment& r = Doc->Selection->Fragment(i);
            ASSERT_LE(CompareTextPos(r.Start, r.End), 0);
            ASSERT_EQ(Doc->StoryOfPar(r.Start.Par), Doc->StoryOfPar(r.End.Par));
            ASSERT_LE(r.End.Offset, Doc->Par(r.End.Par)->CharCount());
            ASSERT_GE(r.Start.Offset, 0);
            if (i > 0)
                ASSERT_LT(CompareTextPos(Doc->Selection->Fragment(i - 1).End, r.Start), 0);
        }
    }
}

}  // namespace
