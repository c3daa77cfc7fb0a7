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
#include "layout/words/WordServices.h"
#include "model/formats/FormatStream.h"
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

// "a:b-c:d" for a range from paragraph a, offset b to paragraph c, offset d.
std::string R(std::int32_t a, std::int32_t ao, std::int32_t b, std::int32_t bo) {
    return std::to_string(a) + ":" + std::to_string(ao) + "-" + std::to_string(b) + ":" + std::to_string(bo);
}

// A paragraph, a table of three rows of three cells ("a0".."c2", each
// three characters and the cell mark) and a paragraph after it.
class CellSelectionTest : public SelectionModelTest {
protected:
    void SetUp() override {
        SelectionModelTest::SetUp();
        Plain("before");
        for (const char* row : {"a", "b", "c"}) {
            const std::string r(row);
            Rows.push_back(AddRow({r + "0x", r + "1x", r + "2x"}, {1440, 2880, 4320}));
        }
        After = Plain("after").Index;
        Ready();
    }
    // First paragraph of cell (row, column); column 3 is the row-end mark.
    std::int32_t C(int row, int column) const { return Rows[row][column]->Index; }
    std::string Cells(int row, int from, int to) const { return R(C(row, from), 0, C(row, to), 4); }

    std::vector<std::vector<TPar*>> Rows;
    std::int32_t After = 0;
};

TEST_F(CellSelectionTest, RangesLeavingTheirCellBecomeBlocksOfCellsOrWholeRows) {
    struct Case {
        const char* name;
        std::int32_t startPar, startOffset, endOffset, endPar;
        bool wholeRows;  // state flag 147: rows instead of a block
        std::string want;
    };
    const Case cases[] = {
        {"inside one cell", C(1, 1), 1, 3, C(1, 1), false, R(C(1, 1), 1, C(1, 1), 3)},
        {"a cell-end mark selects its cell", C(1, 1), 3, 4, C(1, 1), false, Cells(1, 1, 1)},
        {"a block across cells", C(0, 0), 1, 1, C(1, 1), false, Cells(0, 0, 1) + " " + Cells(1, 0, 1)},
        {"reversed ends give the same block", C(1, 1), 1, 1, C(0, 0), false, Cells(0, 0, 1) + " " + Cells(1, 0, 1)},
        {"a block leftwards and down", C(0, 2), 2, 0, C(2, 1), false,
         Cells(0, 1, 2) + " " + Cells(1, 1, 2) + " " + Cells(2, 1, 2)},
        {"an end at offset 0 keeps its cell", C(0, 1), 0, 0, C(1, 1), false, Cells(0, 1, 1) + " " + Cells(1, 1, 1)},
        {"whole rows", C(0, 0), 1, 1, C(1, 1), true, R(C(0, 0), 0, C(1, 3), 1)},
        {"into the table from before", 0, 2, 1, C(1, 2), false, R(0, 2, C(1, 3), 1)},
        {"out of the table", C(1, 1), 2, 3, After, false, R(C(1, 0), 0, After, 3)},
        {"the whole table stays", C(0, 0), 0, 1, C(2, 3), false, R(C(0, 0), 0, C(2, 3), 1)},
        // An end at a cell's start stays in the table: the row is taken.
        {"an end at the table's first offset", 0, 2, 0, C(0, 0), false, R(0, 2, C(0, 3), 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.wholeRows)
            Doc->PushStateFlag(147);
        Doc->SetSelection(c.startPar, c.startOffset, 0, c.endOffset, c.endPar);
        if (c.wholeRows)
            Doc->PopStateFlag();
        EXPECT_EQ(Ranges(), c.want);
    }
}

TEST_F(CellSelectionTest, RangesAreCutAtCellsAndInvertedAroundThem) {
    const std::int32_t afterLen = Doc->Par(After)->CharCount();
    TCompoundFragment set;
    // From inside "before" over the first row into "after": the text before
    // the table, each cell and the row-end mark, and the text after.
    set.SetSingle(0, 2, C(1, 0), 2);
    Doc->SplitRangesAtCells(set);
    Doc->Selection->Assign(set);
    EXPECT_EQ(Ranges(), R(0, 2, 0, 7) + " " + Cells(0, 0, 0) + " " + Cells(0, 1, 1) + " " + Cells(0, 2, 2) + " " +
                            R(C(0, 3), 0, C(0, 3), 1) + " " + R(C(1, 0), 0, C(1, 0), 2));
    // Inverting one cell inside the whole text: before and after the cell,
    // cut at the cells and joined again where whole cells of a row meet.
    const TFragment whole{{0, 0}, {After, afterLen}};
    set.SetSingle(C(1, 1), 0, C(1, 1), 4);
    Doc->InvertRanges(set, whole);
    Doc->Selection->Assign(set);
    // Whole rows join the text beside them; the cut row stays in pieces.
    EXPECT_EQ(Ranges(), R(0, 0, C(0, 3), 1) + " " + Cells(1, 0, 0) + " " + R(C(1, 2), 0, C(1, 3), 1) + " " +
                            R(C(2, 0), 0, After, afterLen));
    // Nothing selected inverts to everything; everything to nothing.
    set.Reset();
    Doc->InvertRanges(set, whole);
    EXPECT_EQ(set.Count(), 1);
    EXPECT_EQ(CompareTextPos(set.Fragment(0).Start, whole.Start), 0);
    EXPECT_EQ(CompareTextPos(set.Fragment(0).End, whole.End), 0);
    Doc->InvertRanges(set, whole);
    EXPECT_TRUE(IsEmptyCompoundFragment(&set));
}

// The view hides the paragraphs of a set, as collapsed headings do.
class HidingServices : public TWordServices {
public:
    bool IsParHidden(const TDoc&, std::int32_t par) const override { return Hidden.count(par) != 0; }
    std::set<std::int32_t> Hidden;
};

class HiddenSelectionTest : public SelectionModelTest {
protected:
    void SetUp() override {
        SelectionModelTest::SetUp();
        for (int i = 0; i < 8; ++i)
            Plain("paragraph " + std::to_string(i));
        Ready();
        Services.Hidden = {3, 4};
        Previous = SetWordServices(&Services);
    }
    void TearDown() override {
        SetWordServices(Previous);
        SelectionModelTest::TearDown();
    }
    std::string WithHidden() const {
        std::string text;
        for (std::int32_t i = 0; i < Doc->SelectionWithHidden->Count(); ++i) {
            const TFragment& r = Doc->SelectionWithHidden->Fragment(i);
            text += (i > 0 ? " " : "") + R(r.Start.Par, r.Start.Offset, r.End.Par, r.End.Offset);
        }
        return text;
    }
    std::int32_t Len(std::int32_t par) const { return Doc->Par(par)->CharCount(); }

    HidingServices Services;
    TWordServices* Previous = nullptr;
};

TEST_F(HiddenSelectionTest, HiddenParagraphsStayOutOfTheSelectionButNotOutOfItsCopy) {
    struct Case {
        const char* name;
        std::int32_t startPar, startOffset, endOffset, endPar;
        std::string want, wantWithHidden;
    };
    const Case cases[] = {
        // A whole paragraph takes the hidden ones under it into its copy.
        {"a whole paragraph before hidden ones", 2, 0, Len(2), 2, R(2, 0, 2, Len(2)), R(2, 0, 4, Len(4))},
        {"across hidden paragraphs", 1, 2, 3, 6, R(1, 2, 2, Len(2)) + " " + R(5, 0, 6, 3), R(1, 2, 6, 3)},
        {"only hidden text: no selection", 3, 1, 2, 4, "0:0-0:0", "0:0-0:0"},
        {"beside the hidden ones", 5, 1, 4, 5, R(5, 1, 5, 4), R(5, 1, 5, 4)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Doc->SetSelection(c.startPar, c.startOffset, 0, c.endOffset, c.endPar);
        const bool none = c.want == "0:0-0:0";
        EXPECT_EQ(Doc->HasSelection(), !none);
        if (!none)
            EXPECT_EQ(Ranges(), c.want);
        ASSERT_NE(Doc->SelectionWithHidden, nullptr);
        if (none)
            EXPECT_TRUE(IsEmptyCompoundFragment(Doc->SelectionWithHidden.get()));
        else
            EXPECT_EQ(WithHidden(), c.wantWithHidden);
    }
    // The caret steps over hidden paragraphs, and so does extending.
    Doc->MoveCaretTo(2, 0, 4, 0);
    MoveCaretBy(*Doc, TCaretMove::ParDown, false);
    EXPECT_EQ(Doc->Caret.Par, 5);
    Doc->MoveCaretTo(2, 0, 4, 0);
    MoveCaretBy(*Doc, TCaretMove::ParDown, true);
    EXPECT_EQ(Ranges(), R(2, 0, 2, Len(2)));
    EXPECT_EQ(WithHidden(), R(2, 0, 4, Len(4)));
}

TEST_F(SelectionModelTest, WholeStoryCommandsAddedRangesAndTheAnchor) {
    TPar& first = Plain("zero words");
    for (int i = 1; i < 5; ++i)
        Plain("paragraph number " + std::to_string(i));
    AddFootnote(first, "a note");
    Ready();
    auto len = [&](std::int32_t par) { return Doc->Par(par)->CharCount(); };
    // Everything of the caret's story, not the notes; inverted, nothing.
    Doc->SelectAll();
    EXPECT_EQ(Ranges(), R(0, 0, 4, len(4)));
    Doc->InvertSelection();
    EXPECT_FALSE(Doc->HasSelection());
    // An added range keeps the others, and the selection before it.
    Doc->SetSelection(1, 2, 0, 5, 1);
    Doc->SetSelection(3, 0, 4, 2, 3);
    EXPECT_EQ(Ranges(), R(1, 2, 1, 5) + " " + R(3, 0, 3, 2));
    ASSERT_NE(Doc->BaseSelection, nullptr);
    ASSERT_EQ(Doc->BaseSelection->Count(), 1);
    EXPECT_EQ(Doc->BaseSelection->Fragment(0).Start.Offset, 2);
    // The gaps: a gap ending at a paragraph's start ends after the one
    // before.
    Doc->InvertSelection();
    EXPECT_EQ(Ranges(), R(0, 0, 1, 2) + " " + R(1, 5, 2, len(2)) + " " + R(3, 2, 4, len(4)));
    // A new single range forgets the selection added to.
    Doc->SetSelection(2, 0, 0, 3, 2);
    EXPECT_TRUE(IsEmptyCompoundFragment(Doc->BaseSelection.get()));

    // The same text as one range or as whole paragraphs side by side.
    TCompoundFragment pieces, whole, longer;
    pieces.SetSingle(1, 0, 1, len(1));
    pieces.Insert(1, TFragment{{2, 0}, {2, 2}});
    whole.SetSingle(1, 0, 2, 2);
    longer.SetSingle(1, 0, 2, 3);
    EXPECT_TRUE(Doc->SameRanges(pieces, whole));
    EXPECT_FALSE(Doc->SameRanges(pieces, longer));

    struct Case {
        const char* name;
        TFragment range;
        TTextPos anchor, want;
    };
    const Case cases[] = {
        {"near the start by paragraphs", {{1, 2}, {3, 4}}, {1, 9}, {1, 2}},
        {"near the end by paragraphs", {{1, 2}, {3, 4}}, {3, 1}, {3, 4}},
        {"halfway goes to the start", {{1, 2}, {3, 4}}, {2, 0}, {1, 2}},
        {"at an end stays", {{1, 2}, {3, 4}}, {3, 4}, {3, 4}},
        {"within one paragraph by characters", {{1, 2}, {1, 10}}, {1, 7}, {1, 10}},
        {"outside every range: the first start", {{1, 2}, {3, 4}}, {0, 1}, {1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Doc->SetSelection(c.range.Start.Par, c.range.Start.Offset, 0, c.range.End.Offset, c.range.End.Par);
        Doc->SelAnchor = c.anchor;
        Doc->SnapAnchorToRangeEnd();
        EXPECT_EQ(Doc->SelAnchor.Par, c.want.Par);
        EXPECT_EQ(Doc->SelAnchor.Offset, c.want.Offset);
    }
    Doc->CaretToSelectionStart();
    EXPECT_EQ(Doc->Caret.Par, 1);
    EXPECT_EQ(Doc->Caret.Offset, 2);
    EXPECT_TRUE(Doc->HasSelection());
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

namespace {

// Text, a table of three rows of three cells, more text of which the view
// hides two paragraphs, and a note.
class RandomBlockSelectionTest : public HiddenSelectionTest {
protected:
    void SetUp() override {
        SelectionModelTest::SetUp();
        TPar& first = Plain(Lines(3));
        Plain("short words here and there");
        for (const char* row : {"a", "b", "c"}) {
            const std::string r(row);
            AddRow({r + "0 cell text", Lines(2), r + "2"}, {1440, 2880, 4320});
        }
        for (int i = 0; i < 5; ++i)
            Plain(i % 2 == 0 ? "words after the table" : Lines(2));
        AddFootnote(first, "a note of some words");
        Ready();
        const std::int32_t tableEnd = 2 + 3 * 4;
        Services.Hidden = {tableEnd + 1, tableEnd + 2};
        Previous = SetWordServices(&Services);
    }
};

bool InTablePar(const TDoc& doc, std::int32_t par) {
    return doc.Par(par)->Format.InTable == 1;
}

// Whether a position is the start or the end of a cell (the row-end mark
// counts as a cell) or of a row.
bool AtCellStart(const TDoc& doc, const TTextPos& pos) {
    if (pos.Offset != 0)
        return false;
    const std::int32_t before = pos.Par - 1;
    if (before < 0 || !InTablePar(doc, before))
        return true;
    const TPar* p = doc.Par(before);
    const std::uint8_t last = p->Chars.Data[p->CharCount() - 1];
    return last == chCellEnd || last == chRowEnd;
}

bool AtCellEnd(const TDoc& doc, const TTextPos& pos) {
    const TPar* p = doc.Par(pos.Par);
    const std::uint8_t last = p->Chars.Data[p->CharCount() - 1];
    return pos.Offset == p->CharCount() && (last == chCellEnd || last == chRowEnd);
}

bool AtRowStart(const TDoc& doc, const TTextPos& pos) {
    if (pos.Offset != 0)
        return false;
    const std::int32_t before = pos.Par - 1;
    return before < 0 || !InTablePar(doc, before) || doc.Par(before)->Chars.Data[0] == chRowEnd;
}

bool AtRowEnd(const TDoc& doc, const TTextPos& pos) {
    return doc.Par(pos.Par)->Chars.Data[0] == chRowEnd && pos.Offset == doc.Par(pos.Par)->CharCount();
}

TEST_F(RandomBlockSelectionTest, RandomSelectionsKeepCellBlocksAndHiddenParagraphsWellFormed) {
    const TCaretMove moves[] = {
        TCaretMove::CharLeft, TCaretMove::CharRight, TCaretMove::WordLeft, TCaretMove::WordRight, TCaretMove::LineUp,
        TCaretMove::LineDown, TCaretMove::LineStart, TCaretMove::LineEnd,  TCaretMove::ParUp,     TCaretMove::ParDown,
        TCaretMove::PageUp,   TCaretMove::PageDown,  TCaretMove::DocStart, TCaretMove::DocEnd,
    };
    std::mt19937 random(20261212);
    const std::int32_t mainPars = Doc->StoryCounts[0];
    // How often the walk met what it is here for: blocks of several cells,
    // and selections the hidden paragraphs were taken out of.
    int blocks = 0, hiddenCuts = 0;
    for (int step = 0; step < 3000; ++step) {
        const std::uint32_t roll = random() % 100;
        const bool wholeRows = random() % 4 == 0;
        if (wholeRows)
            Doc->PushStateFlag(147);
        if (roll < 5) {
            const std::int32_t par = static_cast<std::int32_t>(random() % Doc->ParCount());
            Doc->MoveCaretTo(par, static_cast<std::int32_t>(random() % 8), 4, 0);
        } else if (roll < 25) {
            // Between any two places of the main text, the table's cells
            // most of all; now and then added to the ranges there are.
            const std::int32_t p1 = static_cast<std::int32_t>(random() % mainPars);
            const std::int32_t p2 = static_cast<std::int32_t>(random() % mainPars);
            const std::int32_t o2 = static_cast<std::int32_t>(random() % 30);
            Doc->SetSelection(p1, static_cast<std::int32_t>(random() % 30), (random() % 3 == 0) ? 4 : 0, o2, p2);
            Doc->MoveCaretTo(p2, o2, 0, 0);
        } else {
            MoveCaretBy(*Doc, moves[random() % std::size(moves)], random() % 2 == 0);
        }
        if (wholeRows)
            Doc->PopStateFlag();
        SCOPED_TRACE("step " + std::to_string(step) + ": " + Ranges());
        ASSERT_LE(Doc->Caret.Offset, Doc->Par(Doc->Caret.Par)->CharCount());
        if (!Doc->HasSelection()) {
            ASSERT_TRUE(IsEmptyCompoundFragment(Doc->SelectionWithHidden.get()));
            continue;
        }
        ASSERT_NE(Doc->SelectionWithHidden, nullptr);
        ASSERT_TRUE(Doc->SelectionWithHidden->Covers(*Doc->Selection));
        if (!Doc->SelectionWithHidden->Equals(*Doc->Selection))
            ++hiddenCuts;
        if (Doc->Selection->Count() > 1 && InTablePar(*Doc, Doc->Selection->Fragment(0).Start.Par) &&
            InTablePar(*Doc, Doc->Selection->Fragment(1).Start.Par))
            ++blocks;
        for (std::int32_t i = 0; i < Doc->Selection->Count(); ++i) {
            const TFragment& r = Doc->Selection->Fragment(i);
            ASSERT_LE(CompareTextPos(r.Start, r.End), 0);
            ASSERT_EQ(Doc->StoryOfPar(r.Start.Par), Doc->StoryOfPar(r.End.Par));
            ASSERT_LE(r.End.Offset, Doc->Par(r.End.Par)->CharCount());
            if (i > 0)
                ASSERT_LT(CompareTextPos(Doc->Selection->Fragment(i - 1).End, r.Start), 0);
            // Nothing the view hides is selected.
            for (std::int32_t p = r.Start.Par; p <= r.End.Par; ++p)
                ASSERT_EQ(Services.Hidden.count(p), 0u) << "paragraph " << p;
            // A range that leaves its cell holds whole cells, and one that
            // leaves the table whole rows.
            const bool startIn = InTablePar(*Doc, r.Start.Par), endIn = InTablePar(*Doc, r.End.Par);
            if (r.Start.Par == r.End.Par || (!startIn && !endIn))
                continue;
            if (startIn && endIn) {
                bool sameCell = true;
                for (std::int32_t p = r.Start.Par; p < r.End.Par && sameCell; ++p) {
                    const TPar* par = Doc->Par(p);
                    sameCell = par->Chars.Data[par->CharCount() - 1] != chCellEnd && par->Chars.Data[0] != chRowEnd;
                }
                if (sameCell)
                    continue;
                ASSERT_TRUE(AtCellStart(*Doc, r.Start));
                ASSERT_TRUE(AtCellEnd(*Doc, r.End));
            }
            if (startIn && !endIn)
                ASSERT_TRUE(AtRowStart(*Doc, r.Start));
            if (endIn && !startIn)
                ASSERT_TRUE(AtRowEnd(*Doc, r.End));
        }
    }
    EXPECT_GT(blocks, 30);
    EXPECT_GT(hiddenCuts, 30);
}

}  // namespace
