// Inserting and deleting table rows, columns and cells, on small tables
// written as paragraph tokens (TableDoc.h). Every case also checks that
// undo gives back the bytes from before, rows included, and redo the bytes
// from after.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "EditDoc.h"
#include "TableDoc.h"
#include "base/messages/MessageBoxes.h"
#include "editing/tables/TableEditGrid.h"
#include "editing/tables/TableLimits.h"
#include "editing/tables/TableRowsColumns.h"
#include "editing/tables/TableStructure.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "support/ModelInvariants.h"
#include "support/TestSupport.h"

namespace {

class TableRowsColumnsTest : public ::testing::Test {
protected:
    TEditingInstalled Installed;
};

struct TSel {
    std::int32_t StartPar, StartOffset, EndPar, EndOffset;
};

// Selects the ranges; one empty range puts the caret there.
void Select(TDoc& doc, const std::vector<TSel>& ranges) {
    doc.Caret = {ranges.front().StartPar, ranges.front().StartOffset};
    doc.Selection->SetCount(static_cast<std::int32_t>(ranges.size()));
    for (std::size_t i = 0; i < ranges.size(); ++i)
        MakeFragment(ranges[i].StartPar, ranges[i].StartOffset, ranges[i].EndPar, ranges[i].EndOffset,
                     doc.Selection->Fragment(static_cast<std::int32_t>(i)));
}

// Whole cells first to last (paragraphs), as a selection range.
TSel Cells(TDoc& doc, std::int32_t first, std::int32_t last) {
    return TSel{first, 0, last, doc.Par(last)->CharCount()};
}

TSel Caret(std::int32_t par) {
    return TSel{par, 0, par, 0};
}

// The table starting at paragraph first, row by row: its definition
// ("left:edge,edge", F and C for merges) and its cells' texts.
std::string Table(TDoc& doc, std::int32_t first) {
    if (!InTablePar(doc, first))
        return "no table";
    const TEditGrid grid = EditGrid(doc, first);
    std::string out;
    for (const TEditGridRow& row : grid.Rows) {
        if (!out.empty())
            out += " / ";
        out += TTableDoc::DescribeRow(row.Row->Data) + " ";
        for (std::size_t c = 0; c < row.Cells.size(); ++c) {
            out += c == 0 ? "[" : "|";
            for (std::int32_t p = row.Cells[c].First; p <= row.Cells[c].Last; ++p) {
                const TPar* par = doc.Par(p);
                if (p > row.Cells[c].First)
                    out += "+";
                for (std::int32_t i = 0; i + 1 < par->CharCount(); ++i)
                    out += static_cast<char>(par->Chars.Data[i]);
            }
        }
        out += "]";
    }
    return out;
}

// The document's bytes and every row's data; the changed mark, which undo
// and redo set, is left out.
std::string Bytes(TDoc& doc) {
    std::string out = TestSupport::DocumentBytes(doc);
    for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
        if (!IsRowEnd(doc, p))
            continue;
        TTableRowData data = TableRowOf(doc, p)->Data;
        data.Changed = 0;
        out.append(reinterpret_cast<const char*>(&data), sizeof data);
    }
    return out;
}

// Runs the operation, checks the model, the table it leaves and the
// messages shown, then undo and redo byte for byte.
template <typename TArgs>
void Check(TDoc& doc, const TArgs& args, std::int32_t tableFirst, const std::string& expected, bool refused = false) {
    const std::string before = Bytes(doc);
    TestSupport::TScriptedMessageBoxes boxes({mrOk});
    doc.PerformOperation(args);
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    EXPECT_EQ(Table(doc, tableFirst), expected);
    if (refused) {
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].Text, TooManyCellsMessage);
        EXPECT_TRUE(Bytes(doc) == before) << "a refusal changed the document";
        return;
    }
    EXPECT_TRUE(boxes.Shown().empty());
    const std::string after = Bytes(doc);
    ASSERT_TRUE(after != before) << "nothing changed";
    doc.Undo(false);
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    EXPECT_TRUE(Bytes(doc) == before) << "undo: " << Table(doc, tableFirst);
    doc.Redo();
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    EXPECT_TRUE(Bytes(doc) == after) << "redo: " << Table(doc, tableFirst);
}

// Three rows of three cells of an inch: a1 b1 c1 at 0-2 (row end 3), a2 b2
// c2 at 4-6 (7), a3 b3 c3 at 8-10 (11); paragraph 12 after the table.
// A continuation cell (C) holds nothing: its text would end the merge.
TTableDoc ThreeByThree(const std::vector<std::string>& rows = {"0:1440,2880,4320", "0:1440,2880,4320",
                                                               "0:1440,2880,4320"}) {
    std::vector<std::string> pars;
    for (std::size_t r = 0; r < 3; ++r) {
        const std::string spec = r < rows.size() ? rows[r] : "";
        std::size_t at = spec.find(':') + 1;
        for (const char* column : {"a", "b", "c"}) {
            const std::size_t comma = spec.find(',', at);
            const std::string edge = spec.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
            pars.push_back(!edge.empty() && edge.back() == 'C' ? "]" : column + std::to_string(r + 1) + "]");
            at = comma == std::string::npos ? spec.size() : comma + 1;
        }
        pars.push_back("#");
    }
    pars.push_back("end");
    return TTableDoc(pars, rows);
}

TEST_F(TableRowsColumnsTest, InsertingRows) {
    struct Case {
        const char* Name;
        std::vector<std::string> Rows;
        std::function<std::vector<TSel>(TDoc&)> Selection;
        bool Above;
        const char* Expected;
    };
    const std::string plain = "0:1440,2880,4320";
    const std::vector<Case> cases = {
        {"two neighbouring rows get two copies of the upper one above them",
         {plain, plain, plain},
         [](TDoc& doc) { return std::vector<TSel>{Cells(doc, 4, 10)}; },
         true,
         "0:1440,2880,4320 [a1|b1|c1] / 0:1440,2880,4320 [||] / 0:1440,2880,4320 [||] / "
         "0:1440,2880,4320 [a2|b2|c2] / 0:1440,2880,4320 [a3|b3|c3]"},
        {"rows one and three get one row above each",
         {plain, plain, plain},
         [](TDoc& doc) {
             return std::vector<TSel>{Cells(doc, 0, 0), Cells(doc, 9, 9)};
         },
         true,
         "0:1440,2880,4320 [||] / 0:1440,2880,4320 [a1|b1|c1] / 0:1440,2880,4320 [a2|b2|c2] / "
         "0:1440,2880,4320 [||] / 0:1440,2880,4320 [a3|b3|c3]"},
        {"below the last row, copies of a merged row lose their merges",
         {plain, "0:1440F,2880,4320", "0:1440C,2880,4320"},
         [](TDoc&) { return std::vector<TSel>{Caret(9)}; },
         false,
         "0:1440,2880,4320 [a1|b1|c1] / 0:1440F,2880,4320 [a2|b2|c2] / 0:1440C,2880,4320 [|b3|c3] / "
         "0:1440,2880,4320 [||]"},
        {"above a continuation, the copy continues the merge",
         {plain, "0:1440F,2880,4320", "0:1440C,2880,4320"},
         [](TDoc&) { return std::vector<TSel>{Caret(10)}; },
         true,
         "0:1440,2880,4320 [a1|b1|c1] / 0:1440F,2880,4320 [a2|b2|c2] / 0:1440C,2880,4320 [||] / "
         "0:1440C,2880,4320 [|b3|c3]"},
        {"below a middle row, before the row after it",
         {plain, "0:1000,2880,4320", plain},
         [](TDoc&) { return std::vector<TSel>{Caret(5)}; },
         false,
         "0:1440,2880,4320 [a1|b1|c1] / 0:1000,2880,4320 [a2|b2|c2] / 0:1000,2880,4320 [||] / "
         "0:1440,2880,4320 [a3|b3|c3]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TTableDoc t = ThreeByThree(c.Rows);
        Select(t.Doc(), c.Selection(t.Doc()));
        if (c.Above)
            Check(t.Doc(), TInsertRowsAboveArgs{}, 0, c.Expected);
        else
            Check(t.Doc(), TInsertRowsBelowArgs{}, 0, c.Expected);
    }
}

TEST_F(TableRowsColumnsTest, InsertingColumns) {
    struct Case {
        const char* Name;
        std::vector<std::string> Rows;
        std::function<std::vector<TSel>(TDoc&)> Selection;
        bool Left;
        const char* Expected;
    };
    const std::string plain = "0:1440,2880,4320";
    const std::vector<Case> cases = {
        {"left of the first column, as wide as the first cell: the table grows",
         {"0:1000,2880,4320", "0:1000,2880,4320", "0:1000,2880,4320"},
         [](TDoc&) { return std::vector<TSel>{Caret(0)}; },
         true,
         "0:1000,2000,3880,5320 [|a1|b1|c1] / 0:1000,2000,3880,5320 [|a2|b2|c2] / "
         "0:1000,2000,3880,5320 [|a3|b3|c3]"},
        {"right of the last column, as wide as the last cell",
         {plain, plain, plain},
         [](TDoc&) { return std::vector<TSel>{Caret(6)}; },
         false,
         "0:1440,2880,4320,5760 [a1|b1|c1|] / 0:1440,2880,4320,5760 [a2|b2|c2|] / "
         "0:1440,2880,4320,5760 [a3|b3|c3|]"},
        {"two selected columns give two new ones left of them",
         {plain, plain, plain},
         [](TDoc& doc) {
             return std::vector<TSel>{Cells(doc, 1, 2), Cells(doc, 5, 6), Cells(doc, 9, 10)};
         },
         true,
         "0:1440,2880,4320,5760,7200 [a1|||b1|c1] / 0:1440,2880,4320,5760,7200 [a2|||b2|c2] / "
         "0:1440,2880,4320,5760,7200 [a3|||b3|c3]"},
        {"the narrowest neighbour on the insertion side gives the width",
         {plain, "0:1440,2000,4320", plain},
         [](TDoc&) { return std::vector<TSel>{Caret(5)}; },
         true,
         "0:1440,2000,3440,4880 [a1||b1|c1] / 0:1440,2000,2560,4880 [a2||b2|c2] / "
         "0:1440,2000,3440,4880 [a3||b3|c3]"},
        {"text selected inside a cell puts one column after every row",
         {plain, plain, plain},
         [](TDoc&) {
             return std::vector<TSel>{TSel{5, 0, 5, 1}};
         },
         true,
         "0:1440,2880,4320,5760 [a1|b1|c1|] / 0:1440,2880,4320,5760 [a2|b2|c2|] / "
         "0:1440,2880,4320,5760 [a3|b3|c3|]"},
        {"a merge beside the line is copied into the new column",
         {plain, "0:1440,2880F,4320", "0:1440,2880C,4320"},
         [](TDoc&) { return std::vector<TSel>{Caret(1)}; },
         false,
         "0:1440,2880,4320,5760 [a1|b1||c1] / 0:1440,2880F,4320F,5760 [a2|b2||c2] / "
         "0:1440,2880C,4320C,5760 [a3|||c3]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TTableDoc t = ThreeByThree(c.Rows);
        Select(t.Doc(), c.Selection(t.Doc()));
        if (c.Left)
            Check(t.Doc(), TInsertColumnsLeftArgs{}, 0, c.Expected);
        else
            Check(t.Doc(), TInsertColumnsRightArgs{}, 0, c.Expected);
    }
}

// A row of n cells of 100 twips each, all holding "x".
std::pair<std::vector<std::string>, std::string> WideRow(int n) {
    std::vector<std::string> pars;
    std::string row = "0:";
    for (int i = 0; i < n; ++i) {
        pars.push_back("x]");
        row += (i > 0 ? "," : "") + std::to_string(100 * (i + 1));
    }
    pars.push_back("#");
    pars.push_back("end");
    return {pars, row};
}

TEST_F(TableRowsColumnsTest, NoRowGetsMoreThanItsLimitOfCells) {
    auto [pars, row] = WideRow(MaxTableCells - 1);
    TTableDoc t(pars, {row});
    TDoc& doc = t.Doc();
    // Two selected cells would need two more: refused, nothing changes.
    Select(doc, {Cells(doc, 0, 1)});
    const std::string before = Table(doc, 0);
    Check(doc, TInsertColumnsRightArgs{}, 0, before, true);
    Check(doc, TInsertCellsArgs{0}, 0, before, true);
    // One fits, and then the row is full for the handle too.
    Select(doc, {Caret(0)});
    doc.PerformOperation(TInsertColumnsLeftArgs{});
    EXPECT_EQ(TableRowOf(doc, 0)->Data.CellCount, MaxTableCells);
    const std::string full = Table(doc, 0);
    {
        TestSupport::TScriptedMessageBoxes boxes({mrOk});
        EXPECT_FALSE(CanAddColumn(doc));
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].Text, TooManyCellsMessage);
    }
    Select(doc, {Caret(0)});
    Check(doc, TInsertColumnsLeftArgs{}, 0, full, true);
    TInsertAtTableHandleArgs handle;
    handle.Hit.Kind = thColumn;
    handle.Hit.ColumnX = 100;
    Check(doc, handle, 0, full, true);
}

TEST_F(TableRowsColumnsTest, InsertingAtTheHandle) {
    struct Case {
        const char* Name;
        std::vector<std::string> Rows;
        std::int32_t X;
        const char* Expected;
    };
    const std::vector<Case> cases = {
        // The first row ends at the line: its last cell, beside the line,
        // is narrower than the cell the second row has there, and gives
        // the width.
        {"a line that is one row's last right edge",
         {"0:1000,2000", "0:1000,2000,3500"},
         2000,
         "0:1000,2000,3000 [a1|b1|] / 0:1000,2000,3000,4500 [a2|b2||c2]"},
        {"a line at the table's left edge",
         {"0:1000,2000", "0:1000,2000,3500"},
         0,
         "0:1000,2000,3000 [|a1|b1] / 0:1000,2000,3000,4500 [|a2|b2|c2]"},
        {"a line that crosses a cell widens it",
         {"0:1000,2500", "0:1000,2000,2500"},
         2000,
         "0:1000,3000 [a1|b1] / 0:1000,2000,2500,3000 [a2|b2||c2]"},
        {"a row that starts right of the line moves over",
         {"0:1000,2000", "1500:2500,3500"},
         1000,
         "0:1000,2000,3000 [a1||b1] / 2500:3500,4500 [a2|b2]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const bool threeInSecond = c.Rows[1].find(',', c.Rows[1].find(',') + 1) != std::string::npos;
        std::vector<std::string> pars = {"a1]", "b1]", "#", "a2]", "b2]"};
        if (threeInSecond)
            pars.push_back("c2]");
        pars.push_back("#");
        pars.push_back("end");
        TTableDoc t(pars, c.Rows);
        TDoc& doc = t.Doc();
        Select(doc, {Caret(0)});
        TInsertAtTableHandleArgs handle;
        handle.Hit.Kind = thColumn;
        handle.Hit.TablePar = 0;
        handle.Hit.ColumnX = c.X;
        Check(doc, handle, 0, c.Expected);
    }
}

TEST_F(TableRowsColumnsTest, HandleRowsGoBeforeARowOrAfterTheTable) {
    TTableDoc t = ThreeByThree({"0:1440,2880,4320", "0:1440F,2880,4320", "0:1440C,2880,4320"});
    TDoc& doc = t.Doc();
    Select(doc, {Caret(0)});
    TInsertAtTableHandleArgs handle;
    handle.Hit.Kind = thRow;
    handle.Hit.TablePar = 5;
    handle.Hit.RowToCopy = t.Row(2);
    handle.Hit.RowToInsertBefore = nullptr;
    Check(doc, handle, 0,
          "0:1440,2880,4320 [a1|b1|c1] / 0:1440F,2880,4320 [a2|b2|c2] / 0:1440C,2880,4320 [|b3|c3] / "
          "0:1440,2880,4320 [||]");
    EXPECT_EQ(doc.Caret.Par, 12);
    handle.Hit.RowToCopy = t.Row(0);
    handle.Hit.RowToInsertBefore = t.Row(0);
    Check(doc, handle, 0,
          "0:1440,2880,4320 [||] / 0:1440,2880,4320 [a1|b1|c1] / 0:1440F,2880,4320 [a2|b2|c2] / "
          "0:1440C,2880,4320 [|b3|c3] / 0:1440,2880,4320 [||]");
}

TEST_F(TableRowsColumnsTest, InsertingCells) {
    struct Case {
        const char* Name;
        std::vector<std::string> Rows;
        std::function<std::vector<TSel>(TDoc&)> Selection;
        std::uint8_t ShiftDown;
        const char* Expected;
    };
    const std::string plain = "0:1440,2880,4320";
    const std::vector<Case> cases = {
        {"shifting right grows only the caret's row",
         {plain, plain, plain},
         [](TDoc&) { return std::vector<TSel>{Caret(5)}; },
         0,
         "0:1440,2880,4320 [a1|b1|c1] / 0:1440,2880,4320,5760 [a2||b2|c2] / 0:1440,2880,4320 [a3|b3|c3]"},
        {"shifting right, each row as many cells as it selects",
         {plain, plain, plain},
         [](TDoc& doc) {
             return std::vector<TSel>{Cells(doc, 1, 2), Cells(doc, 9, 9)};
         },
         0,
         "0:1440,2880,4320,5760,7200 [a1|||b1|c1] / 0:1440,2880,4320 [a2|b2|c2] / "
         "0:1440,2880,4320,5760 [a3||b3|c3]"},
        {"a caret on a row end adds a cell after the row's last",
         {plain, plain, plain},
         [](TDoc&) { return std::vector<TSel>{Caret(7)}; },
         1,
         "0:1440,2880,4320 [a1|b1|c1] / 0:1440,2880,4320,5760 [a2|b2|c2|] / 0:1440,2880,4320 [a3|b3|c3]"},
        {"shifting down moves the column down a row",
         {plain, plain, plain},
         [](TDoc&) { return std::vector<TSel>{Caret(1)}; },
         1,
         "0:1440,2880,4320 [a1||c1] / 0:1440,2880,4320 [a2|b1|c2] / 0:1440,2880,4320 [a3|b2|c3] / "
         "0:1440,2880,4320 [|b3|]"},
        {"two selected rows move down two rows",
         {plain, plain, plain},
         [](TDoc& doc) {
             return std::vector<TSel>{Cells(doc, 0, 0), Cells(doc, 4, 4)};
         },
         1,
         "0:1440,2880,4320 [|b1|c1] / 0:1440,2880,4320 [|b2|c2] / 0:1440,2880,4320 [a1|b3|c3] / "
         "0:1440,2880,4320 [a2||] / 0:1440,2880,4320 [a3||]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TTableDoc t = ThreeByThree(c.Rows);
        Select(t.Doc(), c.Selection(t.Doc()));
        Check(t.Doc(), TInsertCellsArgs{c.ShiftDown}, 0, c.Expected);
    }
}

TEST_F(TableRowsColumnsTest, DeletingCellsRowsAndTables) {
    struct Case {
        const char* Name;
        std::vector<std::string> Rows;
        std::function<std::vector<TSel>(TDoc&)> Selection;
        std::uint8_t Mode;
        const char* Expected;
    };
    const std::string plain = "0:1440,2880,4320";
    const std::vector<Case> cases = {
        {"shifting up moves the column up and leaves an empty cell at its foot",
         {plain, plain, plain},
         [](TDoc&) { return std::vector<TSel>{Caret(1)}; },
         0,
         "0:1440,2880,4320 [a1|b2|c1] / 0:1440,2880,4320 [a2|b3|c2] / 0:1440,2880,4320 [a3||c3]"},
        {"shifting up in the last row only empties the cell",
         {plain, plain, plain},
         [](TDoc&) { return std::vector<TSel>{Caret(10)}; },
         0,
         "0:1440,2880,4320 [a1|b1|c1] / 0:1440,2880,4320 [a2|b2|c2] / 0:1440,2880,4320 [a3|b3|]"},
        {"shifting up passes over rows without the same cell",
         {plain, "0:1440,2000,4320", plain},
         [](TDoc&) { return std::vector<TSel>{Caret(1)}; },
         0,
         "0:1440,2880,4320 [a1|b3|c1] / 0:1440,2000,4320 [a2|b2|c2] / 0:1440,2880,4320 [a3||c3]"},
        {"shifting left narrows the row by the cell's width",
         {plain, plain, plain},
         [](TDoc&) { return std::vector<TSel>{Caret(4)}; },
         1,
         "0:1440,2880,4320 [a1|b1|c1] / 0:1440,2880 [b2|c2] / 0:1440,2880,4320 [a3|b3|c3]"},
        {"shifting left takes a merge's continuations with it",
         {plain, "0:1440,2880F,4320", "0:1440,2880C,4320"},
         [](TDoc&) { return std::vector<TSel>{Caret(5)}; },
         1,
         "0:1440,2880,4320 [a1|b1|c1] / 0:1440,2880 [a2|c2] / 0:1440,2880 [a3|c3]"},
        {"every cell of a row with shift left deletes the row",
         {plain, plain, plain},
         [](TDoc& doc) { return std::vector<TSel>{Cells(doc, 4, 6)}; },
         1,
         "0:1440,2880,4320 [a1|b1|c1] / 0:1440,2880,4320 [a3|b3|c3]"},
        {"every cell of the first row with shift up deletes the row",
         {plain, plain, plain},
         [](TDoc& doc) { return std::vector<TSel>{Cells(doc, 0, 2)}; },
         0,
         "0:1440,2880,4320 [a2|b2|c2] / 0:1440,2880,4320 [a3|b3|c3]"},
        {"the caret's row",
         {plain, plain, plain},
         [](TDoc&) { return std::vector<TSel>{Caret(10)}; },
         2,
         "0:1440,2880,4320 [a1|b1|c1] / 0:1440,2880,4320 [a2|b2|c2]"},
        {"the rows a selection touches, the first and the last",
         {plain, plain, plain},
         [](TDoc& doc) {
             return std::vector<TSel>{Cells(doc, 1, 1), TSel{9, 0, 9, 1}};
         },
         2,
         "0:1440,2880,4320 [a2|b2|c2]"},
        {"a merge's first row: the continuation below becomes a plain cell",
         {plain, "0:1440F,2880,4320", "0:1440C,2880,4320"},
         [](TDoc&) { return std::vector<TSel>{Caret(5)}; },
         2,
         "0:1440,2880,4320 [a1|b1|c1] / 0:1440,2880,4320 [|b3|c3]"},
        {"every row deletes the table",
         {plain, plain, plain},
         [](TDoc& doc) { return std::vector<TSel>{Cells(doc, 0, 10)}; },
         2,
         "no table"},
        {"the table", {plain, plain, plain}, [](TDoc&) { return std::vector<TSel>{Caret(5)}; }, 3, "no table"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TTableDoc t = ThreeByThree(c.Rows);
        Select(t.Doc(), c.Selection(t.Doc()));
        Check(t.Doc(), TDeleteCellsArgs{c.Mode}, 0, c.Expected);
    }
}

}  // namespace

namespace {

TEST_F(TableRowsColumnsTest, ColumnsSelectedWholeShareTheirWidthWithANewOne) {
    struct Case {
        const char* Name;
        std::vector<std::string> Pars;
        std::vector<std::string> Rows;
        std::vector<TSel> Selection;
        std::int32_t X;
        const char* Expected;
    };
    const std::vector<Case> cases = {
        {"two columns of 1500 give three of 1000 and the table keeps its width",
         {"a1]", "b1]", "c1]", "#", "a2]", "b2]", "c2]", "#", "end"},
         {"0:1500,3000,4500", "0:1500,3000,4500"},
         {{0, 0, 0, 3}, {1, 0, 1, 3}, {4, 0, 4, 3}, {5, 0, 5, 3}},
         3000,
         "0:1000,2000,3000,4500 [a1|b1||c1] / 0:1000,2000,3000,4500 [a2|b2||c2]"},
        {"the whole table, the new column at its left edge",
         {"a1]", "b1]", "#", "a2]", "b2]", "#", "end"},
         {"0:1500,3000", "0:1500,3000"},
         {{0, 0, 5, 1}},
         0,
         "0:1000,2000,3000 [|a1|b1] / 0:1000,2000,3000 [|a2|b2]"},
        {"too narrow to share: the new column takes its own width",
         {"a1]", "b1]", "#", "a2]", "b2]", "#", "end"},
         {"0:200,400", "0:200,400"},
         {{0, 0, 5, 1}},
         400,
         "0:200,400,600 [a1|b1|] / 0:200,400,600 [a2|b2|]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TTableDoc t(c.Pars, c.Rows);
        TDoc& doc = t.Doc();
        Select(doc, c.Selection);
        TInsertAtTableHandleArgs handle;
        handle.Hit.Kind = thColumn;
        handle.Hit.TablePar = 0;
        handle.Hit.ColumnX = c.X;
        Check(doc, handle, 0, c.Expected);
    }
}

// A bookmark from the first cell into the second: moving cells up would
// put its end before its start.
TEST_F(TableRowsColumnsTest, CellsDoNotMoveUnderAFieldThatRunsAcrossCells) {
    TEditDoc ed({"T|<one", "T|two>", "#", "T|three", "T|four", "#", "end"}, {{fkBookmark, 0, u"mark"}});
    TDoc& doc = ed.Doc();
    Select(doc, {Caret(0)});
    const std::string before = Bytes(doc);
    doc.PerformOperation(TDeleteCellsArgs{0});
    EXPECT_TRUE(Bytes(doc) == before);
    Select(doc, {Caret(0)});
    doc.PerformOperation(TInsertCellsArgs{1});
    EXPECT_TRUE(Bytes(doc) == before);
    // A whole row goes as a row, with or without the field.
    Select(doc, {Cells(doc, 3, 4)});
    doc.PerformOperation(TDeleteCellsArgs{0});
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    EXPECT_EQ(ed.Text(), "T|<one / T|two> / # / end");
    doc.Undo(false);
    EXPECT_TRUE(Bytes(doc) == before);
    // Shifting left moves nothing up or down: the cell goes, and the
    // bookmark keeps what is left of it.
    Select(doc, {Caret(0)});
    doc.PerformOperation(TDeleteCellsArgs{1});
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    EXPECT_EQ(ed.Text(), "T|<two> / # / T|three / T|four / # / end");
}

}  // namespace
