// The kinds of table selection and the cell block, on small tables written
// as paragraph tokens (TableDoc.h).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditDoc.h"
#include "TableDoc.h"
#include "editing/tables/TableSelection.h"
#include "editing/tables/TableStructure.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"

namespace {

struct TSel {
    std::int32_t StartPar, StartOffset, EndPar, EndOffset;
};

// Selects the ranges (none: a caret at the first range's start).
void Select(TDoc& doc, const std::vector<TSel>& ranges, bool caretOnly = false) {
    doc.Caret = {ranges.front().StartPar, ranges.front().StartOffset};
    if (caretOnly) {
        doc.Selection->SetSingle(doc.Caret.Par, doc.Caret.Offset, doc.Caret.Par, doc.Caret.Offset);
        return;
    }
    doc.Selection->SetCount(static_cast<std::int32_t>(ranges.size()));
    for (std::size_t i = 0; i < ranges.size(); ++i)
        MakeFragment(ranges[i].StartPar, ranges[i].StartOffset, ranges[i].EndPar, ranges[i].EndOffset,
                     doc.Selection->Fragment(static_cast<std::int32_t>(i)));
}

// The end of paragraph p (after its mark).
std::int32_t EndOf(TDoc& doc, std::int32_t p) {
    return doc.Par(p)->CharCount();
}

std::string Describe(const TCompoundFragment& set) {
    std::string out;
    for (std::int32_t i = 0; i < set.Count(); ++i) {
        const TFragment& f = set.Fragment(i);
        if (FragmentIsEmpty(f))
            continue;
        out += (out.empty() ? "" : " ") + std::to_string(f.Start.Par) + "-" + std::to_string(f.End.Par);
    }
    return out;
}

// Paragraph 0 outside; rows of two cells at 1-3, 4-6, 7-9; paragraph 10
// outside.
TTableDoc ThreeByTwo() {
    return TTableDoc({"x", "a]", "b]", "#", "c]", "d]", "#", "e]", "f]", "#", "y"},
                     {"0:1440,2880", "0:1440,2880", "0:1440,2880"});
}

TEST(TableSelectionTest, SelectionTypes) {
    struct Case {
        const char* name;
        std::vector<std::string> pars;
        std::vector<std::string> rows;
        std::vector<TSel> selection;
        bool caretOnly;
        std::int32_t type;
    };
    const std::vector<std::string> grid = {"x", "a]", "b]", "#", "c]", "d]", "#", "e]", "f]", "#", "y"};
    const std::vector<std::string> gridRows = {"0:1440,2880", "0:1440,2880", "0:1440,2880"};
    const Case cases[] = {
        {"caret outside", grid, gridRows, {{0, 0, 0, 0}}, true, tsNone},
        {"caret in a cell of a two-cell row", grid, gridRows, {{1, 0, 1, 0}}, true, tsNone},
        {"caret in a one-row one-cell table", {"x", "a]", "#", "y"}, {"0:1440"}, {{1, 0, 1, 0}}, true, tsTable},
        {"caret in a one-cell row of a longer table",
         {"x", "a]", "#", "b]", "#", "y"},
         {"0:1440", "0:1440"},
         {{1, 0, 1, 0}},
         true,
         tsRows},
        {"only the row ends of every row", grid, gridRows, {{3, 0, 3, 1}, {6, 0, 6, 1}, {9, 0, 9, 1}}, false, tsTable},
        {"only one row end", grid, gridRows, {{3, 0, 3, 1}}, false, tsRows},
        {"one whole row", grid, gridRows, {{4, 0, 5, 2}}, false, tsRows},
        {"one whole row with its end", grid, gridRows, {{4, 0, 6, 1}}, false, tsRows},
        {"every row", grid, gridRows, {{1, 0, 9, 1}}, false, tsTable},
        {"the first column", grid, gridRows, {{1, 0, 1, 2}, {4, 0, 4, 2}, {7, 0, 7, 2}}, false, tsColumns},
        {"part of a column", grid, gridRows, {{1, 0, 1, 2}, {4, 0, 4, 2}}, false, tsNone},
        {"text inside a cell", grid, gridRows, {{1, 0, 1, 1}}, false, tsNone},
        {"the last column by its cells", grid, gridRows, {{2, 0, 2, 2}, {5, 0, 5, 2}, {8, 0, 8, 2}}, false, tsColumns},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TTableDoc t(c.pars, c.rows);
        Select(t.Doc(), c.selection, c.caretOnly);
        EXPECT_EQ(TableSelectionType(t.Doc()), c.type);
    }
}

// The answer follows the cells selected, however the ranges cut them: the
// selection snaps a range dragged across cells to one range a row, while
// cells picked one by one stay one range a cell.
TEST(TableSelectionTest, SelectionTypesFollowTheCellsSelected) {
    // Paragraph 0 outside; rows of three cells at 1-4, 5-8, 9-12 (the row
    // ends at 4, 8, 12); paragraph 13 outside. Each cell is one paragraph
    // of two characters: its letter and its cell-end mark.
    const std::vector<std::string> pars = {"x",  "a]", "b]", "c]", "#",  "d]", "e]",
                                           "f]", "#",  "g]", "h]", "i]", "#",  "y"};
    const std::vector<std::string> rows = {"0:1440,2880,4320", "0:1440,2880,4320", "0:1440,2880,4320"};
    struct Case {
        const char* name;
        std::vector<TSel> selection;
        std::int32_t type;
    };
    const Case cases[] = {
        {"two columns, one range a cell",
         {{1, 0, 1, 2}, {2, 0, 2, 2}, {5, 0, 5, 2}, {6, 0, 6, 2}, {9, 0, 9, 2}, {10, 0, 10, 2}},
         tsColumns},
        {"two columns, one range a row", {{1, 0, 2, 2}, {5, 0, 6, 2}, {9, 0, 10, 2}}, tsColumns},
        {"the last two columns, one range a row", {{2, 0, 3, 2}, {6, 0, 7, 2}, {10, 0, 11, 2}}, tsColumns},
        {"rows cut differently, the same two columns",
         {{1, 0, 2, 2}, {5, 0, 5, 2}, {6, 0, 6, 2}, {9, 0, 10, 2}},
         tsColumns},
        {"a range a row ending at the next cell's start takes no part of it",
         {{1, 0, 2, 0}, {5, 0, 6, 0}, {9, 0, 10, 0}},
         tsColumns},
        {"two columns of two rows only", {{1, 0, 2, 2}, {5, 0, 6, 2}}, tsNone},
        {"two columns and a cell of the third", {{1, 0, 2, 2}, {5, 0, 7, 2}, {9, 0, 10, 2}}, tsNone},
        {"a range a row, one ending inside a cell", {{1, 0, 2, 2}, {5, 0, 6, 1}, {9, 0, 10, 2}}, tsNone},
        {"a range a row, one starting inside a cell", {{1, 0, 2, 2}, {5, 1, 6, 2}, {9, 0, 10, 2}}, tsNone},
        {"a whole row, one range a cell", {{5, 0, 5, 2}, {6, 0, 6, 2}, {7, 0, 7, 2}}, tsRows},
        {"a whole row, one range", {{5, 0, 7, 2}}, tsRows},
        {"two whole rows, one cut by cells", {{1, 0, 3, 2}, {5, 0, 5, 2}, {6, 0, 6, 2}, {7, 0, 7, 2}}, tsRows},
        {"a row but its last cell", {{5, 0, 6, 2}}, tsNone},
        {"every cell, one range a cell",
         {{1, 0, 1, 2},
          {2, 0, 2, 2},
          {3, 0, 3, 2},
          {5, 0, 5, 2},
          {6, 0, 6, 2},
          {7, 0, 7, 2},
          {9, 0, 9, 2},
          {10, 0, 10, 2},
          {11, 0, 11, 2}},
         tsTable},
        {"every row, one range a row", {{1, 0, 3, 2}, {5, 0, 7, 2}, {9, 0, 11, 2}}, tsTable},
        {"a range leaving the table", {{9, 0, 13, 1}}, tsNone},
        {"a range entering the table", {{0, 0, 3, 2}}, tsNone},
        {"columns and a range leaving the table", {{1, 0, 2, 2}, {5, 0, 6, 2}, {9, 0, 13, 1}}, tsNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TTableDoc t(pars, rows);
        Select(t.Doc(), c.selection);
        EXPECT_EQ(TableSelectionType(t.Doc()), c.type);
    }

    // The first cell of the middle row (paragraph 5) continues the merge
    // above it: selecting the row's cells that show selects the row.
    const std::vector<std::string> merged = {"x",  "a]", "b]", "c]", "#",  "]", "e]",
                                             "f]", "#",  "g]", "h]", "i]", "#", "y"};
    const std::vector<std::string> mergedRows = {"0:1440F,2880,4320", "0:1440C,2880,4320", "0:1440,2880,4320"};
    const Case mergedCases[] = {
        {"the cells that show, one range", {{6, 0, 7, 2}}, tsRows},
        {"the cells that show, one range a cell", {{6, 0, 6, 2}, {7, 0, 7, 2}}, tsRows},
        {"part of the row", {{6, 0, 6, 2}}, tsNone},
    };
    for (const Case& c : mergedCases) {
        SCOPED_TRACE(c.name);
        TTableDoc t(merged, mergedRows);
        Select(t.Doc(), c.selection);
        EXPECT_EQ(TableSelectionType(t.Doc()), c.type);
    }
}

// Whole columns dragged across as one range a row share their width with a
// column inserted at their edge, as the same columns picked cell by cell
// do: the insertion asks the selection type first.
TEST(TableSelectionTest, ColumnsDraggedAcrossShareTheirWidthWithANewOne) {
    TEditingInstalled installed;
    struct Case {
        const char* name;
        std::vector<TSel> selection;
    };
    const Case cases[] = {
        {"one range a cell", {{0, 0, 0, 3}, {1, 0, 1, 3}, {4, 0, 4, 3}, {5, 0, 5, 3}}},
        {"one range a row", {{0, 0, 1, 3}, {4, 0, 5, 3}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TTableDoc t({"a1]", "b1]", "c1]", "#", "a2]", "b2]", "c2]", "#", "end"},
                    {"0:1500,3000,4500", "0:1500,3000,4500"});
        Select(t.Doc(), c.selection);
        TInsertAtTableHandleArgs handle;
        handle.Hit.Kind = thColumn;
        handle.Hit.TablePar = 0;
        handle.Hit.ColumnX = 3000;
        t.Doc().PerformOperation(handle);
        std::string edges;
        for (std::int32_t p = 0; p < t.Doc().ParCount(); ++p)
            if (IsRowEnd(t.Doc(), p))
                edges += (edges.empty() ? "" : " / ") + TTableDoc::DescribeRow(TableRowOf(t.Doc(), p)->Data);
        EXPECT_EQ(edges, "0:1000,2000,3000,4500 / 0:1000,2000,3000,4500");
    }
}

TEST(TableSelectionTest, CellsInXRangeTakeCellsThatMeetTheRange) {
    TTableDoc t({"x", "a]", "b]", "c]", "#", "d]", "e]", "#", "y"}, {"0:1000,2000,3000", "0:1500,3000"});
    TFragment table{};
    TableRange(t.Doc(), 1, table);
    struct Case {
        const char* name;
        std::int32_t x1, x2;
        const char* cells;
    };
    const Case cases[] = {
        {"the first column", 0, 1000, "1-1 5-5"},
        {"within tolerance of an edge", 3, 998, "1-1 5-5"},
        {"a range inside a wide cell", 1600, 1900, "2-2 6-6"},
        {"everything", 0, 3000, "1-1 2-2 3-3 5-5 6-6"},
        {"the row ends", NoCellEdge, NoCellEdge, "4-4 7-7"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TCompoundFragment* cells = CellsInXRange(t.Doc(), table, AllTableRows, c.x1, c.x2, 0);
        EXPECT_EQ(Describe(*cells), c.cells);
        ReleaseCompoundFragment(cells);
    }
    TCompoundFragment* second = CellsInXRange(t.Doc(), table, 1, 0, 3000, 1);
    EXPECT_EQ(Describe(*second), "5-5 6-6");
    ReleaseCompoundFragment(second);
}

TEST(TableSelectionTest, SelectedCellBlock) {
    struct Case {
        const char* name;
        std::vector<std::string> pars;
        std::vector<std::string> rows;
        std::vector<TSel> selection;
        const char* block;
    };
    const std::vector<std::string> grid = {"x", "a]", "b]", "#", "c]", "d]", "#", "e]", "f]", "#", "y"};
    const std::vector<std::string> gridRows = {"0:1440,2880", "0:1440,2880", "0:1440,2880"};
    const Case cases[] = {
        {"two whole rows of cells", grid, gridRows, {{1, 0, 2, 2}, {4, 0, 5, 2}}, "1-2 4-5"},
        {"a single cell is no block", grid, gridRows, {{1, 0, 1, 2}}, ""},
        {"a column of single cells is no block", grid, gridRows, {{1, 0, 1, 2}, {4, 0, 4, 2}}, ""},
        {"part of a cell", grid, gridRows, {{1, 0, 2, 1}}, ""},
        {"rows that are not consecutive", grid, gridRows, {{1, 0, 2, 2}, {7, 0, 8, 2}}, ""},
        {"a merge is taken whole",
         {"x", "a]", "b]", "#", "]", "c]", "#", "y"},
         {"0:1440F,2880", "0:1440C,2880"},
         {{1, 0, 2, 2}, {5, 0, 5, 2}},
         "1-2 4-5"},
        {"a merge that leaves the block uneven",
         {"x", "a]", "b]", "#", "]", "c]", "#", "y"},
         {"0:1440F,2880", "0:1440C,2880"},
         {{1, 0, 2, 2}},
         ""},
        {"a block starting in a continuation",
         {"x", "a]", "b]", "#", "]", "c]", "#", "y"},
         {"0:1440F,2880", "0:1440C,2880"},
         {{4, 0, 5, 2}},
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TTableDoc t(c.pars, c.rows);
        Select(t.Doc(), c.selection);
        TFragment table{};
        TableRange(t.Doc(), 1, table);
        TCompoundFragment* block = SelectedCellBlock(t.Doc(), table);
        EXPECT_EQ(Describe(*block), c.block);
        ReleaseCompoundFragment(block);
    }
}

TEST(TableSelectionTest, RangesSplitIntoWholeCells) {
    // Paragraph 0 outside; a row whose first cell has two paragraphs (1, 2),
    // then cells 3 and 4, the row end 5.
    struct Case {
        const char* name;
        std::vector<TSel> selection;
        bool caretOnly;
        const char* cells;
        std::vector<std::int32_t> starts;
    };
    const Case cases[] = {
        {"the caret's cell", {{2, 0, 2, 0}}, true, "", {1}},
        {"inside one cell", {{1, 1, 2, 1}}, false, "1-2", {1}},
        {"two ranges in one cell are one", {{1, 0, 1, 1}, {2, 0, 2, 1}}, false, "1-2", {1}},
        {"across three cells", {{2, 1, 4, 1}}, false, "1-2 3-3 4-4", {1, 3, 4}},
        {"two ranges in two cells", {{3, 0, 3, 1}, {4, 0, 4, 1}}, false, "3-3 4-4", {3, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TTableDoc t({"x", "a/", "b]", "c]", "d]", "#", "y"}, {"0:1440,2880,4320"});
        Select(t.Doc(), c.selection, c.caretOnly);
        if (!c.caretOnly) {
            TCompoundFragment* cells = SplitRangesIntoCells(t.Doc(), *t.Doc().Selection);
            EXPECT_EQ(Describe(*cells), c.cells);
            ReleaseCompoundFragment(cells);
        }
        EXPECT_EQ(SelectedCellStarts(t.Doc()), c.starts);
    }
}

}  // namespace
