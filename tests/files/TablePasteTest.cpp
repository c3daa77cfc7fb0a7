// Pasting table content into tables: rows, columns, cells laid over cells,
// content spread over selected cells, and the 63-cell limit of a row.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TransferDoc.h"
#include "base/messages/MessageBoxes.h"
#include "editing/tables/TableStructure.h"
#include "files/transfer/Paste.h"
#include "files/transfer/TablePaste.h"
#include "model/document/TDoc.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TTableRow.h"
#include "model/paragraphs/TPar.h"
#include "support/ModelInvariants.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::TScriptedMessageBoxes;

// A table in RTF: rows of cells one inch wide, each cell's text given.
std::string TableRtf(const std::vector<std::vector<std::string>>& rows, const std::string& after = "after") {
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}";
    for (const auto& row : rows) {
        rtf += "\\trowd";
        for (std::size_t c = 0; c < row.size(); ++c)
            rtf += "\\cellx" + std::to_string(1440 * (c + 1));
        rtf += "\\pard\\intbl ";
        for (const std::string& cell : row)
            rtf += cell + "\\cell ";
        rtf += "\\row ";
    }
    // Copied table content ends with its last row.
    if (!after.empty())
        rtf += "\\pard " + after + "\\par";
    return rtf + "}";
}

// The cells' texts row by row: "a,b;c,d".
std::string Cells(TDoc& doc) {
    std::string text;
    std::string cell;
    bool rowStart = true;
    for (std::int32_t p = 0; p < doc.StoryCounts[stMain] && InTablePar(doc, p); ++p) {
        const TPar& par = *doc.Par(p);
        if (IsRowEnd(doc, p)) {
            text += ';';
            rowStart = true;
            continue;
        }
        for (std::int32_t i = 0; i + 1 < par.CharCount(); ++i)
            cell += static_cast<char>(par.Chars.Data[i]);
        if (EndsCellOrRow(doc, p)) {
            if (!rowStart)
                text += ',';
            rowStart = false;
            text += cell;
            cell.clear();
        } else {
            cell += '/';
        }
    }
    return text;
}

void PasteTable(TTransferScope& scope, TDoc& doc, const std::string& rtf, int selectionType) {
    scope.Clipboard.Clear();
    SetClipboardRegistered(scope.Clipboard, RtfClipboardFormat, rtf);
    if (selectionType >= 0)
        SetClipboardRegistered(scope.Clipboard, TableSelectionClipboardFormat,
                               std::string(1, static_cast<char>(selectionType)));
    TPasteData data;
    doc.PerformOperation(TPasteArgs{&data});
}

// The first paragraph of cell c of row r (rows of one-paragraph cells).
std::int32_t CellPar(TDoc& doc, std::int32_t r, std::int32_t c) {
    std::int32_t row = 0, cell = 0;
    for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
        if (IsRowEnd(doc, p)) {
            ++row;
            cell = 0;
            continue;
        }
        if (row == r && cell == c)
            return p;
        if (EndsCellOrRow(doc, p))
            ++cell;
    }
    return -1;
}

class TablePasteTest : public ::testing::Test {
protected:
    TTransferScope scope;
};

TEST_F(TablePasteTest, TableContentGoesWhereTheKindSays) {
    struct Case {
        const char* Name;
        std::vector<std::vector<std::string>> Dest;
        std::vector<std::vector<std::string>> Content;
        int SelectionType;  // stored with the copy; -1 none
        std::int32_t Row, Cell;
        const char* Expected;
    };
    const Case cases[] = {
        {"two rows above the caret's middle row",
         {{"a1", "a2"}, {"b1", "b2"}, {"c1", "c2"}},
         {{"x1", "x2"}, {"y1", "y2"}},
         2,
         1,
         0,
         "a1,a2;x1,x2;y1,y2;b1,b2;c1,c2;"},
        {"columns before the caret's cell in every row",
         {{"a1", "a2"}, {"b1", "b2"}, {"c1", "c2"}},
         {{"x"}, {"y"}},
         1,
         0,
         1,
         "a1,x,a2;b1,y,b2;c1,c2;"},
        {"a block of cells from the caret's cell, a row appended",
         {{"a1", "a2", "a3"}, {"b1", "b2", "b3"}},
         {{"p", "q"}, {"r", "s"}},
         0,
         1,
         1,
         "a1,a2,a3;b1,p,q;,r,s;"},
        {"a whole table without a stored kind into a cell: new rows", {{"a1"}, {"b1"}}, {{"x"}}, -1, 1, 0, "a1;x;b1;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<TDoc> doc = DocFromRtf(TableRtf(c.Dest));
        ASSERT_NE(doc, nullptr);
        const std::string before = TestSupport::DocumentBytes(*doc);
        doc->Caret = TTextPos{CellPar(*doc, c.Row, c.Cell), 0};
        PasteTable(scope, *doc, TableRtf(c.Content, ""), c.SelectionType);
        EXPECT_EQ(Cells(*doc), c.Expected);
        EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
        doc->Undo(false);
        EXPECT_EQ(TestSupport::DocumentBytes(*doc), before);
    }
}

TEST_F(TablePasteTest, ARowOfMoreThanSixtyThreeCellsIsRefusedBeforeAnyChange) {
    struct Case {
        const char* Name;
        std::size_t DestCells;
        std::size_t ContentCells;
        int SelectionType;
        std::int32_t Cell;
        bool Refused;
    };
    const Case cases[] = {
        {"40 cells receive 24 columns", 40, 24, 1, 0, true},
        {"40 cells receive 23 columns", 40, 23, 1, 0, false},
        {"cells from the 50th, 15 of them", 50, 15, 0, 49, true},
        {"cells from the 50th, 14 of them", 50, 14, 0, 49, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<std::string> dest(c.DestCells, "d"), content(c.ContentCells, "c");
        std::unique_ptr<TDoc> doc = DocFromRtf(TableRtf({dest}));
        ASSERT_NE(doc, nullptr);
        const std::string before = TestSupport::DocumentBytes(*doc);
        doc->Caret = TTextPos{CellPar(*doc, 0, static_cast<std::int32_t>(c.Cell)), 0};
        TScriptedMessageBoxes boxes({mrOk});
        PasteTable(scope, *doc, TableRtf({content}, ""), c.SelectionType);
        TTableRow* row = TableRowOf(*doc, 0);
        ASSERT_NE(row, nullptr);
        if (c.Refused) {
            ASSERT_EQ(boxes.Shown().size(), 1u);
            EXPECT_EQ(boxes.Shown()[0].Text, TooManyCellsMessage);
            EXPECT_EQ(TestSupport::DocumentBytes(*doc), before);
            EXPECT_EQ(row->Data.CellCount, static_cast<std::int32_t>(c.DestCells));
        } else {
            EXPECT_TRUE(boxes.Shown().empty());
            EXPECT_LE(row->Data.CellCount, MaxTableCells);
            EXPECT_GT(row->Data.CellCount, static_cast<std::int32_t>(c.DestCells) - 1);
            EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
        }
    }
}

TEST_F(TablePasteTest, LinesSpreadOverSelectedCellsRepeatingFromTheFirst) {
    struct Case {
        const char* Name;
        std::u16string Text;
        std::size_t Cells;
        const char* Expected;
    };
    const Case cases[] = {
        {"three lines into five cells", u"1\r\n2\r\n3", 5, "1,2,3,1,2;"},
        {"tab-separated items into three cells", u"a\tb\tc", 3, "a,b,c;"},
        {"one line into two cells", u"z", 2, "z,z;"},
    };
    PasteOptions().SmartCutAndPaste = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<std::string> cells(c.Cells, "old");
        std::unique_ptr<TDoc> doc = DocFromRtf(TableRtf({cells}));
        ASSERT_NE(doc, nullptr);
        scope.Clipboard.Clear();
        SetClipboardUnicode(scope.Clipboard, c.Text);
        const std::int32_t last = CellPar(*doc, 0, static_cast<std::int32_t>(c.Cells) - 1);
        SelectRanges(*doc, {TFragment{TTextPos{0, 0}, TTextPos{last + 1, 0}}});
        TPasteData data;
        doc->PerformOperation(TPasteArgs{&data});
        EXPECT_EQ(Cells(*doc), c.Expected);
        EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
    }
}

}  // namespace
