// Merging and splitting cells, row formatting, distribution and the Tab
// step, on small tables written as paragraph tokens (TableDoc.h). Every
// operation that changes the table is undone and redone against snapshots
// of the paragraphs and of the rows' data.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "TableDoc.h"
#include "editing/services/EditingInstall.h"
#include "editing/tables/CellMerging.h"
#include "editing/tables/RowFormatting.h"
#include "editing/tables/TableLimits.h"
#include "editing/tables/TableStructure.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "model/undo/TRowProperties.h"
#include "support/ModelInvariants.h"
#include "support/TestSupport.h"

namespace {

// The paragraphs as tokens ("a]" a cell end, "a/" a paragraph inside a
// cell, "x" outside), each row end as its row's data ("#0:1000,2000F").
std::string Table(TDoc& doc) {
    std::string out;
    for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
        const TPar* par = doc.Par(p);
        if (p > 0)
            out += ' ';
        if (IsRowEnd(doc, p)) {
            const TTableRow* row = TableRowOf(doc, p);
            out += "#" + (row != nullptr ? TTableDoc::DescribeRow(row->Data) : std::string("?"));
            continue;
        }
        const std::int32_t n = par->CharCount();
        for (std::int32_t c = 0; c + 1 < n; ++c)
            out += static_cast<char>(par->Chars.Data[c]);
        if (par->Format.InTable == 1)
            out += n > 0 && par->Chars.Data[n - 1] == chCellEnd ? "]" : "/";
    }
    return out;
}

// The paragraphs and the data of every row the text names, without the
// flag that tells layout a row changed.
std::string Snapshot(TDoc& doc) {
    std::string out = TestSupport::DocumentBytes(doc);
    for (std::int32_t p = 0; p < doc.ParCount(); ++p)
        if (IsRowEnd(doc, p))
            if (const TTableRow* row = TableRowOf(doc, p)) {
                TTableRowData data = row->Data;
                data.Changed = 0;
                out.append(reinterpret_cast<const char*>(&data), sizeof data);
            }
    return out;
}

void SelectRanges(TDoc& doc, std::initializer_list<TFragment> ranges) {
    doc.Selection->SetCount(static_cast<std::int32_t>(ranges.size()));
    std::int32_t i = 0;
    for (const TFragment& f : ranges)
        doc.Selection->Fragment(i++) = f;
    doc.Caret = ranges.begin()->Start;
}

TFragment Pars(std::int32_t first, std::int32_t startOffset, std::int32_t last, std::int32_t endOffset) {
    TFragment f{};
    MakeFragment(first, startOffset, last, endOffset, f);
    return f;
}

// Whole cells: paragraphs first .. last, the last one's cell-end mark
// included.
TFragment Cells(TDoc& doc, std::int32_t first, std::int32_t last) {
    return Pars(first, 0, last, doc.Par(last)->CharCount());
}

class CellMergingTest : public ::testing::Test {
protected:
    void SetUp() override { InstallEditing(); }

    // Runs the operation, checks the table it leaves, then undo and redo
    // against the snapshots before and after it.
    template <typename TArgs>
    static void PerformUndoRedo(TDoc& doc, const TArgs& args, const std::string& expected) {
        const std::string before = Snapshot(doc);
        const std::int32_t steps = doc.UndoList.Count;
        doc.PerformOperation(args);
        EXPECT_EQ(Table(doc), expected);
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
        const std::string after = Snapshot(doc);
        ASSERT_EQ(doc.UndoList.Count, steps + 1);
        doc.Undo(true);
        EXPECT_EQ(Snapshot(doc), before);
        doc.Redo();
        EXPECT_EQ(Snapshot(doc), after);
        EXPECT_EQ(Table(doc), expected);
    }
};

// Two rows of three cells, 1000 twips each, between two plain paragraphs.
TTableDoc Grid() {
    return TTableDoc({"x", "a]", "b]", "c]", "#", "d]", "e]", "f]", "#", "y"},
                     {"0:1000,2000,3000", "0:1000,2000,3000"});
}

TEST_F(CellMergingTest, MergeCheckGivesEachReason) {
    struct Case {
        const char* Name;
        std::function<void(TDoc&)> Select;
        bool Ok;
        std::int32_t Reason;
        const char* Block;  // left,right rows first-last
    };
    const Case cases[] = {
        {"caret only",
         [](TDoc& d) {
             d.Caret = TTextPos{1, 0};
         },
         false, mrNotMultipleCells, ""},
        {"inside one cell", [](TDoc& d) { SelectRanges(d, {Pars(1, 0, 1, 1)}); }, false, mrNotMultipleCells, ""},
        {"only row ends",
         [](TDoc& d) {
             SelectRanges(d, {Pars(4, 0, 4, 1), Pars(8, 0, 8, 1)});
         },
         false, mrOnlyRowEnds, ""},
        {"two cells of a row", [](TDoc& d) { SelectRanges(d, {Cells(d, 1, 2)}); }, true, mrCannotMerge, "0,2000 0-0"},
        {"a two by two block",
         [](TDoc& d) {
             SelectRanges(d, {Cells(d, 2, 3), Cells(d, 6, 7)});
         },
         true, mrCannotMerge, "1000,3000 0-1"},
        {"rows of different extent",
         [](TDoc& d) {
             SelectRanges(d, {Cells(d, 1, 2), Cells(d, 5, 5)});
         },
         false, mrCannotMerge, ""},
        {"a gap in a row",
         [](TDoc& d) {
             SelectRanges(d, {Cells(d, 1, 1), Cells(d, 3, 3)});
         },
         false, mrCannotMerge, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TTableDoc t = Grid();
        c.Select(t.Doc());
        const TMergeCellsInfo info = MergeCellsCheck(t.Doc());
        EXPECT_EQ(info.Ok, c.Ok);
        EXPECT_EQ(info.Reason, c.Reason);
        if (c.Ok) {
            EXPECT_EQ(std::to_string(info.LeftX) + "," + std::to_string(info.RightX) + " " +
                          std::to_string(info.FirstRow) + "-" + std::to_string(info.LastRow),
                      c.Block);
        }
    }
}

TEST_F(CellMergingTest, MergeCheckWantsConsecutiveRowsAndWholeMerges) {
    // Three rows; the middle row's first cell continues a merge from the top.
    TTableDoc t({"x", "a]", "b]", "#", "]", "e]", "#", "g]", "h]", "#", "y"},
                {"0:1000F,2000", "0:1000C,2000", "0:1000,2000"});
    TDoc& doc = t.Doc();
    SelectRanges(doc, {Cells(doc, 2, 2), Cells(doc, 8, 8)});
    EXPECT_FALSE(MergeCellsCheck(doc).Ok) << "rows 0 and 2 without row 1";
    // The merged cell brings its continuation's row along: selecting the
    // first row's and the last row's first cells is a column of three rows.
    SelectRanges(doc, {Cells(doc, 1, 1), Cells(doc, 7, 7)});
    const TMergeCellsInfo column = MergeCellsCheck(doc);
    EXPECT_TRUE(column.Ok);
    EXPECT_EQ(column.FirstRow, 0);
    EXPECT_EQ(column.LastRow, 2);
}

TEST_F(CellMergingTest, MergingJoinsTheCellsText) {
    struct Case {
        const char* Name;
        std::vector<std::string> Pars;
        std::vector<std::string> Rows;
        std::function<void(TDoc&)> Select;
        const char* Expected;
    };
    const Case cases[] = {
        {"two cells with text become one cell of two paragraphs",
         {"x", "a]", "b]", "c]", "#", "y"},
         {"0:1000,2000,3000"},
         [](TDoc& d) { SelectRanges(d, {Cells(d, 1, 2)}); },
         "x a/ b] c] #0:2000,3000 y"},
        {"an empty cell simply goes",
         {"x", "a]", "]", "c]", "#", "y"},
         {"0:1000,2000,3000"},
         [](TDoc& d) { SelectRanges(d, {Cells(d, 1, 2)}); },
         "x a] c] #0:2000,3000 y"},
        {"empty cells leave one empty cell",
         {"x", "]", "]", "c]", "#", "y"},
         {"0:1000,2000,3000"},
         [](TDoc& d) { SelectRanges(d, {Cells(d, 1, 2)}); },
         "x ] c] #0:2000,3000 y"},
        {"a two by two block is one cell over two rows, texts in reading order",
         {"x", "a]", "b]", "c]", "#", "d]", "e]", "f]", "#", "y"},
         {"0:1000,2000,3000", "0:1000,2000,3000"},
         [](TDoc& d) {
             SelectRanges(d, {Cells(d, 1, 2), Cells(d, 5, 6)});
         },
         "x a/ b/ d/ e] c] #0:2000F,3000 ] f] #0:2000C,3000 y"},
        {"an empty top cell changes places with the text below",
         {"x", "]", "]", "c]", "#", "d]", "]", "f]", "#", "y"},
         {"0:1000,2000,3000", "0:1000,2000,3000"},
         [](TDoc& d) {
             SelectRanges(d, {Cells(d, 1, 2), Cells(d, 5, 6)});
         },
         "x d] c] #0:2000F,3000 ] f] #0:2000C,3000 y"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TTableDoc t(c.Pars, c.Rows);
        c.Select(t.Doc());
        PerformUndoRedo(t.Doc(), TMergeCellsArgs{}, c.Expected);
    }
}

TEST_F(CellMergingTest, MergingWhatTheCheckRefusesChangesNothing) {
    TTableDoc t = Grid();
    TDoc& doc = t.Doc();
    SelectRanges(doc, {Cells(doc, 1, 1), Cells(doc, 3, 3)});
    const std::string before = Snapshot(doc);
    const std::int32_t steps = doc.UndoList.Count;
    doc.PerformOperation(TMergeCellsArgs{});
    EXPECT_EQ(Snapshot(doc), before);
    EXPECT_EQ(doc.UndoList.Count, steps);
}

TEST_F(CellMergingTest, SplittingDividesWidthsAndDealsOutParagraphs) {
    struct Case {
        const char* Name;
        std::vector<std::string> Pars;
        std::vector<std::string> Rows;
        std::int32_t Caret;
        std::int32_t Columns, Rows_;
        const char* Expected;
    };
    const Case cases[] = {
        {"1000 twips in three columns: 334, 333, 333",
         {"x", "a]", "#", "y"},
         {"0:1000"},
         1,
         3,
         1,
         "x a] ] ] #0:334,667,1000 y"},
        {"paragraphs dealt out over columns",
         {"x", "a/", "b/", "c]", "z]", "#", "y"},
         {"0:1000,2000"},
         1,
         2,
         1,
         "x a/ b] c] z] #0:500,1000,2000 y"},
        {"five paragraphs in three rows: 2, 2 and 1",
         {"x", "a/", "b/", "c/", "d/", "e]", "z]", "#", "y"},
         {"0:1000,2000"},
         1,
         1,
         3,
         "x a/ b] z] #0:1000,2000F c/ d] ] #0:1000,2000C e] ] #0:1000,2000C y"},
        {"a cell over four rows in two starts the second in the third row",
         {"x", "a/", "b]", "p]", "#", "]", "q]", "#", "]", "r]", "#", "]", "s]", "#", "y"},
         {"0:1000F,2000", "0:1000C,2000", "0:1000C,2000", "0:1000C,2000"},
         1,
         1,
         2,
         "x a] p] #0:1000F,2000 ] q] #0:1000C,2000 b] r] #0:1000F,2000 ] s] #0:1000C,2000 y"},
        {"a merged cell split in columns splits its continuation too",
         {"x", "a]", "p]", "#", "]", "q]", "#", "y"},
         {"0:1000F,2000", "0:1000C,2000"},
         1,
         2,
         1,
         "x a] ] p] #0:500F,1000F,2000 ] ] q] #0:500C,1000C,2000 y"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TTableDoc t(c.Pars, c.Rows);
        t.Doc().Caret = TTextPos{c.Caret, 0};
        PerformUndoRedo(t.Doc(), TSplitCellsArgs{c.Columns, c.Rows_}, c.Expected);
    }
}

TEST_F(CellMergingTest, SplittingPastSixtyThreeCellsIsRefused) {
    // 61 cells: splitting one in three gives 63, in four 64.
    std::vector<std::string> pars{"x"};
    std::string row = "0:";
    for (int c = 0; c < 61; ++c) {
        pars.push_back("]");
        row += (c > 0 ? "," : "") + std::to_string((c + 1) * 100);
    }
    pars.push_back("#");
    pars.push_back("y");
    {
        TTableDoc t(pars, {row});
        TDoc& doc = t.Doc();
        doc.Caret = TTextPos{1, 0};
        TestSupport::TScriptedMessageBoxes boxes;
        doc.PerformOperation(TSplitCellsArgs{3, 1});
        EXPECT_TRUE(boxes.Shown().empty());
        EXPECT_EQ(TableRowOf(doc, 1)->Data.CellCount, 63);
    }
    {
        TTableDoc t(pars, {row});
        TDoc& doc = t.Doc();
        doc.Caret = TTextPos{1, 0};
        const std::string before = Snapshot(doc);
        const std::int32_t steps = doc.UndoList.Count;
        TestSupport::TScriptedMessageBoxes boxes({mrOk});
        doc.PerformOperation(TSplitCellsArgs{4, 1});
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].Text, TooManyCellsMessage);
        EXPECT_EQ(Snapshot(doc), before);
        EXPECT_EQ(doc.UndoList.Count, steps);
    }
}

TEST_F(CellMergingTest, SplitTableCutsAboveTheRow) {
    struct Case {
        const char* Name;
        std::int32_t Caret;
        const char* Expected;
    };
    const Case cases[] = {
        {"in the first row an empty paragraph goes before the table", 1, "x  a] b] #0:1000,2000 c] d] #0:1000,2000 y"},
        {"in the second row the table is cut in two", 4, "x a] b] #0:1000,2000  c] d] #0:1000,2000 y"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TTableDoc t({"x", "a]", "b]", "#", "c]", "d]", "#", "y"}, {"0:1000,2000", "0:1000,2000"});
        t.Doc().Caret = TTextPos{c.Caret, 0};
        PerformUndoRedo(t.Doc(), TSplitTableArgs{}, c.Expected);
        EXPECT_EQ(t.Doc().Caret.Par, c.Caret);
    }
}

TEST_F(CellMergingTest, SplitTableBelowAMergeGivesTheLowerPartItsOwnCell) {
    TTableDoc t({"x", "a]", "b]", "#", "]", "d]", "#", "y"}, {"0:1000F,2000", "0:1000C,2000"});
    t.Doc().Caret = TTextPos{5, 0};
    PerformUndoRedo(t.Doc(), TSplitTableArgs{}, "x a] b] #0:1000,2000  ] d] #0:1000,2000 y");
}

TEST_F(CellMergingTest, RowDataThatOnlyMovesWithinTheToleranceRecordsNothing) {
    TTableDoc t = Grid();
    TDoc& doc = t.Doc();
    TRowProperties props;
    props.Rows = {t.Row(0)};
    props.Data = {t.Row(0)->Data};
    props.Data[0].Cells[0].RightEdge += 2;
    props.Data[0].Cells[1].RightEdge -= 3;
    props.TablePar = 1;
    const std::int32_t steps = doc.UndoList.Count;
    doc.PerformOperation(TFormatTableRowsArgs{&props});
    EXPECT_EQ(doc.UndoList.Count, steps);
    EXPECT_EQ(Table(doc), "x a] b] c] #0:1000,2000,3000 d] e] f] #0:1000,2000,3000 y");

    props.Data[0].Cells[0].RightEdge = 1200;
    PerformUndoRedo(doc, TFormatTableRowsArgs{&props}, "x a] b] c] #0:1200,2000,3000 d] e] f] #0:1000,2000,3000 y");
}

TEST_F(CellMergingTest, CellAlignmentGoesToTheSelectedCellsText) {
    struct Case {
        const char* Name;
        std::function<void(TDoc&)> Select;
        std::vector<std::int32_t> Centred;
    };
    // "x a/ b] c] # d] e] # y": the first cell has two paragraphs.
    const Case cases[] = {
        {"the caret's cell",
         [](TDoc& d) {
             d.Caret = TTextPos{1, 0};
         },
         {1, 2}},
        {"a selection over a row end leaves the row end alone",
         [](TDoc& d) { SelectRanges(d, {Pars(3, 0, 5, 1)}); },
         {3, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TTableDoc t({"x", "a/", "b]", "c]", "#", "d]", "e]", "#", "y"}, {"0:1000,2000", "0:1000,2000"});
        TDoc& doc = t.Doc();
        c.Select(doc);
        TRowProperties props;
        props.CellAlignment = 1;
        props.TablePar = 1;
        const std::string before = Snapshot(doc);
        doc.PerformOperation(TFormatTableRowsArgs{&props});
        for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
            const bool centred = std::find(c.Centred.begin(), c.Centred.end(), p) != c.Centred.end();
            EXPECT_EQ(doc.Par(p)->Format.Alignment, centred ? 1 : 0) << p;
        }
        doc.Undo(true);
        EXPECT_EQ(Snapshot(doc), before);
    }
}

TEST_F(CellMergingTest, DistributingColumnsSharesTheSpan) {
    struct Case {
        const char* Name;
        bool Select;
        const char* Expected;
    };
    const Case cases[] = {
        {"every row over its width", false, "x a] b] c] #0:1333,2667,4000 d] e] f] #0:1333,2667,4000 y"},
        {"the selected block only", true, "x a] b] c] #0:1000,2500,4000 d] e] f] #0:1000,2500,4000 y"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TTableDoc t({"x", "a]", "b]", "c]", "#", "d]", "e]", "f]", "#", "y"}, {"0:1000,1500,4000", "0:1000,1500,4000"});
        TDoc& doc = t.Doc();
        doc.Caret = TTextPos{1, 0};
        if (c.Select)
            SelectRanges(doc, {Cells(doc, 2, 3), Cells(doc, 6, 7)});
        PerformUndoRedo(doc, TDistributeColumnsArgs{}, c.Expected);
    }
}

TEST_F(CellMergingTest, DistributedRowHeightIsTheAverageButFitsTheContent) {
    struct Case {
        const char* Name;
        std::vector<TRowMeasure> Rows;
        std::int32_t Height;
    };
    const Case cases[] = {
        {"300, 300 and 900 give 500", {{300, 200, 1}, {300, 200, 1}, {900, 200, 1}}, 500},
        {"content of 800 raises all to 800", {{300, 200, 1}, {300, 200, 1}, {900, 800, 1}}, 800},
        {"a row over two pages counts its average part", {{600, 200, 2}, {300, 200, 1}}, 300},
        {"halves round to even", {{301, 0, 1}, {300, 0, 1}, {300, 0, 1}, {300, 0, 1}}, 300},
        {"no rows", {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(DistributedRowHeight(c.Rows), c.Height);
    }
}

TEST_F(CellMergingTest, DistributingRowsKeepsExactHeightsExact) {
    TTableDoc t({"x", "a]", "#", "b]", "#", "c]", "#", "y"}, {"0:1000", "0:1000", "0:1000"});
    TDoc& doc = t.Doc();
    t.Row(0)->Data.Height = -300;
    t.Row(1)->Data.Height = 300;
    t.Row(2)->Data.Height = -900;
    doc.Caret = TTextPos{1, 0};
    PerformUndoRedo(doc, TDistributeRowsArgs{}, "x a] #0:1000 b] #0:1000 c] #0:1000 y");
    EXPECT_EQ(t.Row(0)->Data.Height, -500);
    EXPECT_EQ(t.Row(1)->Data.Height, 500);
    EXPECT_EQ(t.Row(2)->Data.Height, -500);
}

// Rows as a layout would measure them: 300, 300 and 900 twips, the last
// one's text needing 800.
std::vector<TRowMeasure> TallContent(TDoc&, const std::vector<TTableRow*>& rows) {
    std::vector<TRowMeasure> measures;
    const TRowMeasure known[] = {{300, 200, 1}, {300, 200, 1}, {900, 800, 1}};
    for (std::size_t i = 0; i < rows.size(); ++i)
        measures.push_back(known[i % 3]);
    return measures;
}

TEST_F(CellMergingTest, DistributingSelectedRowsRaisesThemToTheTallestContent) {
    TTableDoc t({"x", "a]", "#", "b]", "#", "c]", "#", "d]", "#", "y"}, {"0:1000", "0:1000", "0:1000", "0:1000"});
    TDoc& doc = t.Doc();
    SetRowMeasurer(&TallContent);
    SelectRanges(doc, {Pars(1, 0, 5, 1)});
    PerformUndoRedo(doc, TDistributeRowsArgs{}, "x a] #0:1000 b] #0:1000 c] #0:1000 d] #0:1000 y");
    SetRowMeasurer(nullptr);
    EXPECT_EQ(t.Row(0)->Data.Height, 800);
    EXPECT_EQ(t.Row(1)->Data.Height, 800);
    EXPECT_EQ(t.Row(2)->Data.Height, 800);
    EXPECT_EQ(t.Row(3)->Data.Height, 0) << "a row outside the selection keeps its height";
}

std::string Where(TDoc& doc) {
    std::string out = std::to_string(doc.Caret.Par) + "," + std::to_string(doc.Caret.Offset);
    if (!IsEmptyCompoundFragment(doc.Selection)) {
        const TFragment& f = doc.Selection->Fragment(0);
        out += " sel " + std::to_string(f.Start.Par) + "," + std::to_string(f.Start.Offset) + "-" +
               std::to_string(f.End.Par) + "," + std::to_string(f.End.Offset);
    }
    return out;
}

TEST_F(CellMergingTest, TabStepsFromCellToCell) {
    struct Case {
        const char* Name;
        std::int32_t From;
        bool Back;
        const char* Where;
    };
    // Row 0: "ab", empty; row 1: "c", "d".
    const Case cases[] = {
        {"into an empty cell only the caret moves", 1, false, "2,0"},
        {"to the next row's first cell, its content selected", 2, false, "4,0 sel 4,0-4,1"},
        {"the row end steps on to the next row", 3, false, "4,0 sel 4,0-4,1"},
        {"back to the previous row's last cell", 4, true, "2,0"},
        {"back within a row", 5, true, "4,0 sel 4,0-4,1"},
        {"back from the table's first cell does nothing", 1, true, "1,0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TTableDoc t({"x", "ab]", "]", "#", "c]", "d]", "#", "y"}, {"0:1000,2000", "0:1000,2000"});
        TDoc& doc = t.Doc();
        doc.Caret = TTextPos{c.From, 0};
        if (c.Back)
            SelectPreviousCell(doc, c.From);
        else
            NextCellOrNewRow(doc, c.From);
        EXPECT_EQ(Where(doc), c.Where);
    }
}

TEST_F(CellMergingTest, TabInTheLastCellAppendsARow) {
    TTableDoc t({"x", "a]", "b]", "#", "y"}, {"0:1000F,2000"});
    TDoc& doc = t.Doc();
    doc.Caret = TTextPos{2, 0};
    PerformUndoRedo(doc, TAppendTableRowArgs{}, "x a] b] #0:1000F,2000 ] ] #0:1000,2000 y");
    EXPECT_EQ(Where(doc), "4,0");
}

TEST_F(CellMergingTest, TabThroughAMergedCellContinuesInTheRowItEntered) {
    // Column 0 is merged over both rows.
    TTableDoc t({"x", "m]", "p]", "q]", "#", "]", "r]", "s]", "#", "y"}, {"0:1000F,2000,3000", "0:1000C,2000,3000"});
    TDoc& doc = t.Doc();
    // From the end of row 0 the next cell is row 1's hidden cell: the step
    // goes to the merge's first cell instead.
    NextCellOrNewRow(doc, 3);
    EXPECT_EQ(Where(doc), "1,0 sel 1,0-1,1");
    // The next step goes on in row 1, through which the merge was entered.
    NextCellOrNewRow(doc, doc.Caret.Par);
    EXPECT_EQ(Where(doc), "6,0 sel 6,0-6,1");
    // Shift+Tab from there enters the merge again, and the next Shift+Tab
    // goes on from row 1: to the last cell of the row above it.
    SelectPreviousCell(doc, 6);
    EXPECT_EQ(Where(doc), "1,0 sel 1,0-1,1");
    SelectPreviousCell(doc, doc.Caret.Par);
    EXPECT_EQ(Where(doc), "3,0 sel 3,0-3,1");
}

}  // namespace

namespace {

// Every row's record has one cell per cell-end mark, with edges that grow
// from the row's left edge.
std::string RowsMatchText(TDoc& doc) {
    std::int32_t cells = 0;
    for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
        if (!InTablePar(doc, p))
            continue;
        if (!IsRowEnd(doc, p)) {
            cells += EndsCellOrRow(doc, p) ? 1 : 0;
            continue;
        }
        const TTableRow* row = TableRowOf(doc, p);
        if (row == nullptr)
            return "row end " + std::to_string(p) + " names no row";
        if (row->Data.CellCount != cells)
            return "row end " + std::to_string(p) + ": " + std::to_string(row->Data.CellCount) + " cells for " +
                   std::to_string(cells) + " marks";
        for (std::int32_t c = 0; c < row->Data.CellCount; ++c)
            if (row->Data.Cells[c].RightEdge <= row->Data.CellLeft(c))
                return "row end " + std::to_string(p) + ": cell " + std::to_string(c) + " has no width";
        cells = 0;
    }
    return "";
}

}  // namespace

TEST_F(CellMergingTest, RandomMergesAndSplitsKeepRowsAndTextTogetherAndUndoExactly) {
    std::uint32_t seed = 12345;
    const auto random = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<std::int32_t>((seed >> 16) & 0x7FFF);
    };
    std::size_t changes = 0;
    for (int session = 0; session < 20; ++session) {
        SCOPED_TRACE(session);
        TTableDoc t({"x", "a]", "b/", "c]", "d]", "#", "e]", "]", "f]", "#", "g]", "h]", "i/", "j]", "#", "y"},
                    {"0:1000,2000,3000", "0:1000,2000,3000", "0:1000,2000,3000"});
        TDoc& doc = t.Doc();
        const std::string initial = Snapshot(doc);
        std::vector<std::string> after;
        for (int step = 0; step < 12; ++step) {
            SCOPED_TRACE(step);
            std::int32_t first = 1;
            while (first < doc.ParCount() - 1 && !InTablePar(doc, first))
                ++first;
            std::int32_t last = first;
            while (last + 1 < doc.ParCount() && InTablePar(doc, last + 1))
                ++last;
            if (!InTablePar(doc, first))
                break;
            const std::int32_t a = first + random() % (last - first + 1);
            const std::int32_t b = std::min(last, a + random() % 6);
            doc.Selection->Reset();
            doc.Caret = TTextPos{a, 0};
            if (random() % 3 != 0)
                SelectRanges(doc, {Pars(a, 0, b, doc.Par(b)->CharCount())});
            const std::int32_t steps = doc.UndoList.Count;
            switch (random() % 6) {
                case 0:
                case 1:
                    doc.PerformOperation(TMergeCellsArgs{});
                    break;
                case 2:
                    doc.PerformOperation(TSplitCellsArgs{1 + random() % 3, 1 + random() % 3});
                    break;
                case 3:
                    doc.PerformOperation(TDistributeColumnsArgs{});
                    break;
                case 4:
                    doc.PerformOperation(TAppendTableRowArgs{});
                    break;
                default:
                    doc.PerformOperation(TSplitTableArgs{});
                    break;
            }
            ASSERT_EQ(RowsMatchText(doc), "") << Table(doc);
            ASSERT_EQ(TestSupport::CheckModelInvariants(doc), "") << Table(doc);
            if (doc.UndoList.Count > steps)
                after.push_back(Snapshot(doc));
        }
        changes += after.size();
        for (std::size_t i = after.size(); i-- > 0;) {
            EXPECT_EQ(Snapshot(doc), after[i]);
            doc.Undo(true);
        }
        EXPECT_EQ(Snapshot(doc), initial);
        for (const std::string& expected : after) {
            doc.Redo();
            EXPECT_EQ(Snapshot(doc), expected);
        }
    }
    // The sessions must really change tables, or they test nothing.
    EXPECT_GT(changes, 60u);
}
