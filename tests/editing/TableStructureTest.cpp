#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TableDoc.h"
#include "editing/tables/TableStructure.h"
#include "model/formats/TCompoundFragment.h"

namespace {

std::string Range(const TFragment& f) {
    return std::to_string(f.Start.Par) + "," + std::to_string(f.Start.Offset) + "-" + std::to_string(f.End.Par) + "," +
           std::to_string(f.End.Offset);
}

std::string Rows(const TTableDoc& t, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i)
        out += (i > 0 ? " " : "") + TTableDoc::DescribeRow(t.Row(i)->Data);
    return out;
}

// Paragraph 0 outside, a two-row table in 1 to 7 whose first cell has two
// paragraphs, paragraph 8 outside.
TTableDoc TwoRows() {
    return TTableDoc({"before", "a]", "b/", "c]", "#", "d]", "e]", "#", "after"}, {"0:1440,2880", "0:1440,2880"});
}

}  // namespace

TEST(TableStructureTest, CellQueriesFollowTheMarks) {
    TTableDoc t = TwoRows();
    TDoc& doc = t.Doc();
    struct Case {
        std::int32_t par;
        std::int32_t cell;
        const char* cellRange;
        const char* rowRange;
        std::int32_t left, right;
    };
    const Case cases[] = {
        {1, 0, "1,0-1,2", "1,0-4,1", 0, 1440},
        {2, 1, "2,0-3,2", "1,0-4,1", 1440, 2880},
        {3, 1, "2,0-3,2", "1,0-4,1", 1440, 2880},
        // The row end counts the row's cells and is a cell range of its own.
        {4, 2, "4,0-4,1", "1,0-4,1", NoCellEdge, NoCellEdge},
        {5, 0, "5,0-5,2", "5,0-7,1", 0, 1440},
        {7, 2, "7,0-7,1", "5,0-7,1", NoCellEdge, NoCellEdge},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.par);
        EXPECT_EQ(CellIndex(doc, c.par), c.cell);
        TFragment f{};
        CellRange(doc, c.par, f);
        EXPECT_EQ(Range(f), c.cellRange);
        RowRange(doc, c.par, f);
        EXPECT_EQ(Range(f), c.rowRange);
        TViewPoint bounds;
        CellXBounds(doc, c.par, bounds);
        EXPECT_EQ(bounds.X, c.left);
        EXPECT_EQ(bounds.Y, c.right);
        TableRange(doc, c.par, f);
        EXPECT_EQ(Range(f), "1,0-7,1");
    }
    EXPECT_EQ(TableRowOf(doc, 2), t.Row(0));
    EXPECT_EQ(TableRowOf(doc, 4), t.Row(0));
    EXPECT_EQ(TableRowOf(doc, 5), t.Row(1));
    EXPECT_TRUE(IsRowEnd(doc, 4));
    EXPECT_FALSE(IsRowEnd(doc, 3));
    EXPECT_FALSE(IsRowEnd(doc, 8));

    TFragment f{};
    NthCellRange(doc, 5, 1, f);
    EXPECT_EQ(Range(f), "6,0-6,2");
    NthCellRange(doc, 5, 2, f);
    EXPECT_EQ(Range(f), "7,0-7,1");
    NthCellRange(doc, 1, 1, f);
    EXPECT_EQ(Range(f), "2,0-3,2");
}

TEST(TableStructureTest, TableRangeKeepsToItsStoryAndItsCache) {
    TTableDoc t({"a]", "#", "b]", "#"}, {"0:1440", "0:1440"});
    TDoc& doc = t.Doc();
    // The footnote story starts at the second row: the main story's table
    // must not run into it.
    doc.StoryCounts[0] = 2;
    doc.StoryCounts[1] = 2;
    TFragment f{};
    TableRange(doc, 1, f);
    EXPECT_EQ(Range(f), "0,0-1,1");
    TableRange(doc, 2, f);
    EXPECT_EQ(Range(f), "2,0-3,1");
    ASSERT_EQ(doc.TableCacheRanges.size(), 2u);

    std::vector<TTableRow*> rows;
    TableRows(doc, 3, rows, f);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], t.Row(1));
    EXPECT_EQ(rows[0]->RowIndex, 0);

    // A step that changes a row forgets the cache.
    TTableRowData data = t.Row(0)->Data;
    data.Height = 500;
    t.InOperation([&] { ApplyRowData(doc, t.Row(0), data); });
    EXPECT_TRUE(doc.TableCacheRanges.empty());
    doc.Undo(true);
    EXPECT_EQ(t.Row(0)->Data.Height, 0);
    EXPECT_TRUE(doc.TableCacheRanges.empty());
}

TEST(TableStructureTest, ColumnEdgesCountAndMergeNearEdges) {
    struct Case {
        std::vector<std::string> rows;
        std::vector<std::int32_t> plain;
        std::vector<std::int32_t> merged;
    };
    const Case cases[] = {
        // Three twips apart is one edge, four twips apart are two.
        {{"0:1440", "0:1443"}, {0, 1440, 1443}, {0, 1440}},
        {{"0:1440", "0:1444"}, {0, 1440, 1444}, {0, 1440, 1444}},
        // The edge more rows use stays; on a tie the upper one goes, and the
        // scan goes on below the pair, so 1440 and 1441 are never compared.
        {{"0:1440,2880", "2:1442,2880", "0:1441,2880"}, {0, 2, 1440, 1441, 1442, 2880}, {0, 1440, 1441, 2880}},
        {{"0:1440,2880", "2:1442,2880", "0:1440,2880"}, {0, 2, 1440, 1442, 2880}, {0, 1440, 2880}},
        {{"0:1443", "0:1440", "0:1443"}, {0, 1440, 1443}, {0, 1443}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.rows));
        std::vector<std::string> pars;
        for (std::size_t i = 0; i < c.rows.size(); ++i) {
            pars.push_back("x]");
            pars.push_back("#");
        }
        TTableDoc t(pars, c.rows);
        EXPECT_EQ(TableColumnEdges(t.Doc(), 0, nullptr, false), c.plain);
        EXPECT_EQ(TableColumnEdges(t.Doc(), 0, nullptr, true), c.merged);
    }
}

TEST(TableStructureTest, SplitRangesByRowsLeavesRowEndsOut) {
    TTableDoc t = TwoRows();
    struct Case {
        TFragment range;
        const char* pieces;
    };
    const Case cases[] = {
        {{{1, 0}, {6, 1}}, "1,0-3,2 5,0-6,1"},
        {{{2, 1}, {3, 2}}, "2,1-3,2"},
        // Only row ends selected: nothing is left.
        {{{4, 0}, {4, 1}}, "0,0-0,0"},
        {{{4, 0}, {7, 1}}, "5,0-6,2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pieces);
        TCompoundFragment* set = NewCompoundFragment();
        set->Fragment(0) = c.range;
        TCompoundFragment* split = SplitRangesByRows(t.Doc(), *set);
        std::string got;
        for (std::int32_t i = 0; i < split->Count(); ++i)
            got += (i > 0 ? " " : "") + Range(split->Fragment(i));
        EXPECT_EQ(got, c.pieces);
        ReleaseCompoundFragment(split);
        ReleaseCompoundFragment(set);
    }
}

TEST(TableStructureTest, MergeQueriesWalkTheColumn) {
    // A merge over three rows in the first column; the second column plain.
    TTableDoc t({"a]", "b]", "#", "]", "c]", "#", "]", "d]", "#"}, {"0:1440F,2880", "0:1440C,2880", "0:1440C,2880"});
    TDoc& doc = t.Doc();
    EXPECT_EQ(MergedCellsBelow(doc, 0), (std::vector<std::int32_t>{0, 0}));
    EXPECT_TRUE(MergedCellsBelow(doc, 1).empty());
    EXPECT_TRUE(MergedCellsBelow(doc, 3).empty());
    EXPECT_FALSE(InMergedCell(doc, 0));
    EXPECT_TRUE(InMergedCell(doc, 3));
    EXPECT_TRUE(InMergedCell(doc, 6));
    EXPECT_FALSE(InMergedCell(doc, 7));
    EXPECT_EQ(MergedCellOrigin(doc, 6), 0);
    EXPECT_EQ(MergedCellOrigin(doc, 3), 0);
    EXPECT_EQ(MergedCellOrigin(doc, 7), 7);

    // The caret leaves a row end over the hidden cell after it.
    MakeTextPos(2, 0, doc.Caret);
    LeaveRowEnd(doc);
    EXPECT_EQ(doc.Caret.Par, 4);
}

TEST(TableStructureTest, RepairRestoresTheTable) {
    struct Case {
        const char* name;
        std::vector<std::string> pars;
        std::vector<std::string> rows;
        std::int32_t par;  // the paragraph repaired
        const char* shape;
        const char* rowsAfter;
        bool deleted;
    };
    const Case cases[] = {
        {"well formed",
         {"a]", "b]", "#", "c]", "d]", "#", "x"},
         {"0:1440,2880", "0:1440,2880"},
         0,
         "a] b] #0 c] d] #1 x",
         "0:1440,2880 0:1440,2880",
         false},
        {"fewer cell ends than definitions",
         {"a]", "b]", "#", "x"},
         {"0:1440,2880,4320"},
         1,
         "a] b] #0 x",
         "0:1440,2880",
         false},
        {"more cell ends than definitions",
         {"a]", "b]", "c]", "#", "x"},
         {"0:1440,2880"},
         0,
         "a] b] c] #0 x",
         "0:1440,2880,4320",
         false},
        {"cells without any definition", {"a]", "b]", "#", "x"}, {"100:"}, 0, "a] b] #0 x", "100:1540,2980", false},
        {"last cell without its cell end",
         {"a]", "b/", "#", "x"},
         {"0:1440,2880"},
         0,
         "a] b] #0 x",
         "0:1440,2880",
         false},
        {"paragraphs after the last row end",
         {"a]", "#", "b]", "c/", "x"},
         {"0:1440"},
         3,
         "a] #0 b c x",
         "0:1440",
         false},
        {"no row end at all", {"a]", "b]", "x"}, {}, 0, "a b x", "", false},
        {"cell mark outside a table", {"a}", "x"}, {}, 0, "a x", "", false},
        {"row without cells", {"a]", "#", "#", "x"}, {"0:1440", "0:"}, 0, "a] #0 x", "0:1440 0:", true},
        {"row of continuation cells only",
         {"a]", "b]", "#", "]", "]", "#", "x"},
         {"0:1440F,2880F", "0:1440C,2880C"},
         0,
         "a] b] #0 x",
         "0:1440,2880 0:1440C,2880C",
         true},
        {"continuation with text starts a merge",
         {"a]", "b]", "#", "t]", "u]", "#", "]", "v]", "#", "x"},
         {"0:1440F,2880", "0:1440C,2880", "0:1440C,2880"},
         0,
         "a] b] #0 t] u] #1 ] v] #2 x",
         "0:1440,2880 0:1440F,2880 0:1440C,2880",
         false},
        {"continuation without a merge above",
         {"a]", "b]", "#", "]", "c]", "#", "x"},
         {"0:1440,2880", "0:1440C,2880"},
         0,
         "a] b] #0 ] c] #1 x",
         "0:1440,2880 0:1440,2880",
         false},
        {"edges snap to the table's columns",
         {"a]", "b]", "#", "c]", "d]", "#", "e]", "f]", "#", "x"},
         {"0:1440,2880", "2:1442,2880", "0:1440,2880"},
         0,
         "a] b] #0 c] d] #1 e] f] #2 x",
         "0:1440,2880 0:1440,2880 0:1440,2880",
         false},
        {"header rows stay a run from the top",
         {"a]", "#", "b]", "#", "c]", "#", "x"},
         {"0h:1440", "0:1440", "0h:1440"},
         0,
         "a] #0 b] #1 c] #2 x",
         "0h:1440 0:1440 0:1440",
         false},
        {"a merge from a header row takes its row along",
         {"a]", "b]", "#", "]", "c]", "#", "x"},
         {"0h:1440F,2880", "0:1440C,2880"},
         0,
         "a] b] #0 ] c] #1 x",
         "0h:1440F,2880 0h:1440C,2880",
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TTableDoc t(c.pars, c.rows);
        TDoc& doc = t.Doc();
        const std::string shapeBefore = t.Shape();
        const std::string rowsBefore = Rows(t, c.rows.size());
        bool deleted = false;
        t.InOperation([&] { deleted = RepairTable(doc, c.par); });
        EXPECT_EQ(t.Shape(), c.shape);
        EXPECT_EQ(Rows(t, c.rows.size()), c.rowsAfter);
        EXPECT_EQ(deleted, c.deleted);
        EXPECT_EQ(doc.StateFlagStackDepth(), 0);
        // A repaired table stays repaired.
        t.InOperation([&] { RepairTable(doc, 0); });
        EXPECT_EQ(t.Shape(), c.shape);
        doc.Undo(true);
        doc.Undo(true);
        EXPECT_EQ(t.Shape(), shapeBefore);
        EXPECT_EQ(Rows(t, c.rows.size()), rowsBefore);
    }
}

TEST(TableStructureTest, RepairJoinsCellsBeyondTheLastARowCanHold) {
    std::vector<std::string> pars;
    for (int i = 0; i < MaxTableCells + 2; ++i)
        pars.push_back(std::to_string(i) + "]");
    pars.push_back("#");
    pars.push_back("x");
    TTableDoc t(pars, {"0:100"});
    t.InOperation([&] { RepairTable(t.Doc(), 0); });
    EXPECT_EQ(CellIndex(t.Doc(), MaxTableCells + 1), MaxTableCells - 1);
    EXPECT_EQ(t.Row(0)->Data.CellCount, MaxTableCells);
    EXPECT_EQ(t.Row(0)->Data.Cells[MaxTableCells - 1].RightEdge, 100 + (MaxTableCells - 1) * 100);
    TFragment last{};
    CellRange(t.Doc(), MaxTableCells + 1, last);
    EXPECT_EQ(Range(last), "62,0-64,3");
}

TEST(TableStructureTest, RepairRowDetails) {
    // An automatic-height row made only of merged cells gets a height; the
    // first-of-merge takes the bottom border of its last continuation; every
    // row takes the first row's paddings.
    TTableDoc t({"a]", "b]", "#", "]", "]", "c]", "#", "x"}, {"0:1440F,2880F", "0:1440C,2880C,4320"});
    t.Row(0)->Data.Padding[0] = 108;
    t.Row(1)->Data.Cells[0].Borders[tbBottom].Kind = brSingle;
    t.Row(1)->Data.Cells[0].Borders[tbBottom].Width = 15;
    t.InOperation([&] { RepairTable(t.Doc(), 0); });
    EXPECT_EQ(t.Row(0)->Data.Height, MergedRowHeight);
    EXPECT_EQ(t.Row(1)->Data.Height, 0);
    EXPECT_EQ(t.Row(1)->Data.Padding[0], 108);
    EXPECT_EQ(t.Row(0)->Data.Cells[0].Borders[tbBottom].Width, 15);
    EXPECT_EQ(t.Row(0)->Data.Changed, 1);

    // While repair is suspended nothing happens.
    TTableDoc s({"a]", "b]", "#", "x"}, {"0:1440,2880,4320"});
    s.Doc().TableRepairSuspended = 1;
    s.InOperation([&] { EXPECT_FALSE(RepairTable(s.Doc(), 0)); });
    EXPECT_EQ(s.Row(0)->Data.CellCount, 3);
}
