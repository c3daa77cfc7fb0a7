// Inserting tables, converting text to tables and back, and joining a
// table to the one above: the text and rows each makes, and undo and redo
// giving back the model byte for byte.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "EditDoc.h"
#include "TabStopsProbe.h"
#include "TableDoc.h"
#include "editing/tables/TableCreation.h"
#include "editing/tables/TableStructure.h"
#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "model/undo/TOperation.h"
#include "support/ModelInvariants.h"

namespace {

// The model as bytes: the paragraphs, and the data of every row the text
// names (without the marks that only say undo touched the row).
std::string Snapshot(TDoc& doc) {
    std::string out = TestSupport::DocumentBytes(doc);
    for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
        if (!IsRowEnd(doc, p))
            continue;
        const TTableRow* row = TableRowOf(doc, p);
        if (row == nullptr)
            continue;
        TTableRowData data = row->Data;
        data.Changed = 0;
        for (TTableCell& cell : data.Cells)
            cell.Work[0] = cell.Work[1] = 0;
        out.append(reinterpret_cast<const char*>(&data), sizeof data);
    }
    return out;
}

void Select(TDoc& doc, std::int32_t p1, std::int32_t o1, std::int32_t p2, std::int32_t o2) {
    doc.Caret = TTextPos{p2, o2};
    doc.Selection->SetSingle(p1, o1, p2, o2);
}

void PlaceCaret(TDoc& doc, std::int32_t p, std::int32_t o) {
    doc.Caret = TTextPos{p, o};
    doc.Selection->Reset();
}

// Puts a special character (a page or column break) before the mark of p.
void AppendSpecial(TDoc& doc, std::int32_t p, std::uint8_t ch) {
    TPar& par = *doc.Par(p);
    const std::int32_t at = par.StreamOffsetOfChar(par.CharCount() - 1);
    InsertFormatControl(par.Stream, at, fcSpecialChar, ch);
    par.Chars.InsertBuffer(&ch, par.CharCount() - 1, 1);
}

const TTableRowData& RowAt(TDoc& doc, std::int32_t p) {
    return TableRowOf(doc, p)->Data;
}

std::vector<std::int32_t> RowEnds(TDoc& doc) {
    std::vector<std::int32_t> ends;
    for (std::int32_t p = 0; p < doc.ParCount(); ++p)
        if (IsRowEnd(doc, p))
            ends.push_back(p);
    return ends;
}

class TableCreationTest : public ::testing::Test {
protected:
    void SetUp() override {
        tabs = EnsureTabManager();
        saved = TableCreationSeams();
        // No default table document unless a test offers one.
        TableCreationSeams().DefaultTableFile = [] { return std::string(); };
        TableCreationSeams().OpenRtfText = nullptr;
        TableCreationSeams().FindOpenDocument = nullptr;
    }
    void TearDown() override {
        TableCreationSeams() = saved;
        DefaultTable = nullptr;
        tabs.reset();
    }

    // Offers doc as the open default table document.
    static void OfferDefaultTable(TDoc& doc) {
        DefaultTable = &doc;
        TableCreationSeams().DefaultTableFile = [] { return std::string("Default Table.rtf"); };
        TableCreationSeams().FindOpenDocument = [](const std::string&) { return DefaultTable; };
    }

    // Runs the operation, checks the model, and undoes and redoes it
    // against the snapshots before and after.
    template <class TArgs>
    void PerformUndoRedo(TDoc& doc, const TArgs& args, const std::function<void()>& check) {
        const std::string before = Snapshot(doc);
        const std::int32_t undoBefore = doc.UndoList.Count;
        doc.PerformOperation(args);
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
        check();
        const std::string after = Snapshot(doc);
        ASSERT_EQ(doc.UndoList.Count, undoBefore + 1);
        doc.Undo(true);
        EXPECT_TRUE(Snapshot(doc) == before) << "undo did not give the model back";
        doc.Redo();
        EXPECT_TRUE(Snapshot(doc) == after) << "redo did not make the same model";
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    }

    static inline TDoc* DefaultTable = nullptr;
    TEditingInstalled editing;
    std::shared_ptr<void> tabs;
    TTableCreationSeams saved;
};

TEST_F(TableCreationTest, InsertTablePlacesTheTableBetweenParagraphs) {
    struct Case {
        const char* Name;
        std::vector<std::string> Pars;
        std::int32_t Par, Offset;
        std::int32_t Rows, Columns;
        std::string Expected;
    };
    const Case cases[] = {
        {"in the middle of a paragraph", {"abcd", "end"}, 0, 2, 1, 2, "ab / T| / T| / # / cd / end"},
        {"at a paragraph start", {"abcd", "end"}, 0, 0, 2, 1, "T| / # / T| / # / abcd / end"},
        {"at the start of a paragraph under a table",
         {"T|x", "#", "after", "end"},
         2,
         0,
         1,
         1,
         "T|x / # /  / T| / # / after / end"},
        {"at the end of the last paragraph", {"abcd", "end"}, 1, 3, 1, 1, "abcd / end / T| / # / "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc d(c.Pars);
        TDoc& doc = d.Doc();
        PlaceCaret(doc, c.Par, c.Offset);
        PerformUndoRedo(doc, TInsertTableArgs{c.Rows, c.Columns, nullptr}, [&] {
            EXPECT_EQ(d.Text(), c.Expected);
            // The new rows (the table above, where there is one, is older).
            const std::vector<std::int32_t> ends = RowEnds(doc);
            for (std::size_t r = ends.size() - static_cast<std::size_t>(c.Rows); r < ends.size(); ++r) {
                const TTableRowData& row = RowAt(doc, ends[r]);
                EXPECT_EQ(row.PreferredWidth, 5000);
                EXPECT_EQ(row.Padding[0], 108);
                EXPECT_EQ(row.Cells[0].Borders[tbTop].Width, 10);
                EXPECT_EQ(row.Cells[0].Borders[tbTop].Kind, brSingle);
                EXPECT_EQ(row.Cells[0].RightEdge, UnsetValue);
            }
        });
    }
}

TEST_F(TableCreationTest, InsertTableForAutoCorrectJoinsTheTableAbove) {
    TEditDoc d({"T|x", "#", "after", "end"});
    TDoc& doc = d.Doc();
    PlaceCaret(doc, 2, 0);
    auto* op = new TOperation(&doc, 0);
    doc.BeginOperation(op);
    InsertTable(doc, 1, 1, true, nullptr);
    doc.EndOperation();
    doc.CommitOperation(op);
    EXPECT_EQ(d.Text(), "T|x / # / T| / # / after / end");
}

TEST_F(TableCreationTest, InsertTableCopiesTheDefaultTable) {
    // Two default rows of three cells; each row and cell tells itself apart.
    TTableDoc defaults({"T]", "T]", "T]", "#", "T]", "T]", "T]", "#", "end"}, {"0:1000,2000,3000", "0:1000,2000,3000"});
    for (std::int32_t r = 0; r < 2; ++r) {
        TTableRowData& row = defaults.Row(static_cast<std::size_t>(r))->Data;
        row.Height = 100 * (r + 1);
        row.HeaderRow = r == 0 ? 1 : 0;
        row.LeftEdge = 50;
        for (std::int32_t c = 0; c < 3; ++c) {
            row.Cells[c].Background = 10 * (r + 1) + c;
            row.Cells[c].Borders[tbLeft].Width = 30;
        }
    }
    // The first default cell is centred and bold.
    TDoc& def = defaults.Doc();
    def.Par(0)->Format.Alignment = 1;
    def.Par(0)->Format.Style = 3;
    InsertFormatControl(def.Par(0)->Stream, 0, caBold, 1);
    OfferDefaultTable(def);

    TEditDoc d({"text", "end"});
    TDoc& doc = d.Doc();
    PlaceCaret(doc, 1, 0);
    PerformUndoRedo(doc, TInsertTableArgs{4, 5, nullptr}, [&] {
        const std::vector<std::int32_t> ends = RowEnds(doc);
        ASSERT_EQ(ends.size(), 4u);
        const std::int32_t heights[] = {100, 200, 200, 200};
        for (std::size_t r = 0; r < ends.size(); ++r) {
            SCOPED_TRACE(r);
            const TTableRowData& row = RowAt(doc, ends[r]);
            EXPECT_EQ(row.Height, heights[r]);
            EXPECT_EQ(row.HeaderRow, r == 0 ? 1 : 0);
            EXPECT_EQ(row.LeftEdge, 50);
            ASSERT_EQ(row.CellCount, 5);
            // Cells 0 and 4 copy the first and last default cell, the ones
            // between default cell 1.
            const std::int32_t base = r == 0 ? 10 : 20;
            const std::int32_t expected[] = {base, base + 1, base + 1, base + 1, base + 2};
            for (std::int32_t c = 0; c < 5; ++c) {
                EXPECT_EQ(row.Cells[c].Background, expected[c]);
                EXPECT_EQ(row.Cells[c].Borders[tbLeft].Width, 30);
                EXPECT_EQ(row.Cells[c].RightEdge, UnsetValue);
            }
        }
        // The first cell of the first row takes the default cell's look but
        // not its style.
        const TPar& cell = *doc.Par(1);
        EXPECT_EQ(cell.Format.Alignment, 1);
        EXPECT_EQ(static_cast<int>(cell.Format.Style), static_cast<int>(doc.Par(0)->Format.Style));
        EXPECT_EQ(cell.Format.InTable, 1);
        TCharFormat chars;
        doc.FormatAtPos(TTextPos{1, 0}, chars);
        EXPECT_EQ(chars[caBold], 1);
        doc.FormatAtPos(TTextPos{2, 0}, chars);
        EXPECT_EQ(chars[caBold], 0);
    });
}

TEST_F(TableCreationTest, InsertTableTakesGivenRowsAsTheyAre) {
    TTableDescription table;
    table.Rows.push_back(TTableDoc::MakeRowData("200:900,1800"));
    TEditDoc d({"end"});
    TDoc& doc = d.Doc();
    PlaceCaret(doc, 0, 0);
    PerformUndoRedo(doc, TInsertTableArgs{2, 7, &table}, [&] {
        EXPECT_EQ(d.Text(), "T| / T| / # / T| / T| / # / end");
        for (std::int32_t end : RowEnds(doc))
            EXPECT_EQ(TTableDoc::DescribeRow(RowAt(doc, end)), "200:900,1800");
    });
}

TEST_F(TableCreationTest, TextBecomesTableAtEachSeparator) {
    struct Case {
        const char* Name;
        std::vector<std::string> Pars;
        std::int32_t Columns, Rows, Separator;
        std::string Expected;
    };
    const Case cases[] = {
        {"tabs", {"a\tb\tc", "d\te", "end"}, 3, 2, tsepTab, "T|a / T|b / T|c / # / T|d / T|e / T| / # / end"},
        {"commas: the rest stays in the last cell", {"a,b,c,d", "end"}, 2, 1, tsepComma, "T|a / T|b,c,d / # / end"},
        {"paragraphs", {"a", "b", "c", "end"}, 2, 2, tsepParagraphs, "T|a / T|b / # / T|c / T| / # / end"},
        {"another character", {"x;y", "end"}, 2, 1, ';', "T|x / T|y / # / end"},
        {"extra tabs do not indent the last cell", {"a\t\t\tb", "end"}, 2, 1, tsepTab, "T|a / T|b / # / end"},
        {"no separator at all", {"plain", "end"}, 3, 1, tsepComma, "T|plain / T| / T| / # / end"},
        {"fields keep their marks", {"<f>,g", "end"}, 2, 1, tsepComma, "T|<f> / T|g / # / end"},
        {"a control character means paragraphs", {"a\tb", "c", "end"}, 1, 0, 7, "T|a\tb / # / T|c / # / end"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<TFieldSpec> fields;
        if (c.Pars[0].find('<') != std::string::npos)
            fields.push_back(TFieldSpec{fkCode, 0, u"PAGE"});
        TEditDoc d(c.Pars, fields);
        TDoc& doc = d.Doc();
        const std::int32_t last = static_cast<std::int32_t>(c.Pars.size()) - 2;
        Select(doc, 0, 0, last, doc.Par(last)->CharCount());
        PerformUndoRedo(doc, TConvertTextToTableArgs{c.Columns, c.Rows, c.Separator}, [&] {
            EXPECT_EQ(d.Text(), c.Expected);
            // The new table is selected whole.
            TFragment span;
            doc.Selection->GetSpan(span);
            EXPECT_EQ(span.Start.Par, 0);
            EXPECT_TRUE(IsRowEnd(doc, span.End.Par));
        });
    }
}

TEST_F(TableCreationTest, TextToTableCutsPartlySelectedParagraphs) {
    struct Case {
        const char* Name;
        std::vector<std::string> Pars;
        std::int32_t P1, O1, P2, O2;
        std::string Expected;
    };
    const Case cases[] = {
        {"both ends inside paragraphs",
         {"xxa\tb", "c\tdyy", "end"},
         0,
         2,
         1,
         3,
         "xx / T|a / T|b / # / T|c / T|d / # / yy / end"},
        {"the story's last paragraph", {"first", "a\tb"}, 1, 0, 1, 3, "first / T|a / T|b / # / "},
        {"an end at the next paragraph's start", {"a\tb", "keep"}, 0, 0, 1, 0, "T|a / T|b / # / keep"},
        {"an end at the start of a table", {"a\tb", "T|x", "#", "end"}, 0, 0, 1, 0, "T|a / T|b / # / T|x / # / end"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc d(c.Pars);
        TDoc& doc = d.Doc();
        Select(doc, c.P1, c.O1, c.P2, c.O2);
        PerformUndoRedo(doc, TConvertTextToTableArgs{2, 0, tsepTab}, [&] { EXPECT_EQ(d.Text(), c.Expected); });
    }
}

TEST_F(TableCreationTest, TextToTableTurnsBreaksIntoLineBreaks) {
    TEditDoc d({"a", "b", "end"});
    TDoc& doc = d.Doc();
    AppendSpecial(doc, 0, chPageBreak);
    AppendSpecial(doc, 1, chColumnBreak);
    Select(doc, 0, 0, 1, doc.Par(1)->CharCount());
    PerformUndoRedo(doc, TConvertTextToTableArgs{1, 0, tsepParagraphs},
                    [&] { EXPECT_EQ(d.Text(), "T|a{line} / # / T|b{line} / # / end"); });
}

TEST_F(TableCreationTest, TextToTableJoinsSectionsAtABreakInside) {
    TEditDoc d({"a", "", "b", "end"});
    TDoc& doc = d.Doc();
    BreakSectionAt(doc, 1);
    ASSERT_EQ(doc.Sections.Count, 2);
    Select(doc, 0, 0, 2, doc.Par(2)->CharCount());
    PerformUndoRedo(doc, TConvertTextToTableArgs{1, 0, tsepParagraphs}, [&] {
        // The break's empty paragraph goes with the break.
        EXPECT_EQ(d.Text(), "T|a / # / T|b / # / end");
        EXPECT_EQ(doc.Sections.Count, 1);
    });
}

TEST_F(TableCreationTest, TextToTableNextToATableFollowsItsRow) {
    // The text right under a two-cell table becomes rows of three cells
    // spread over the same width, which join that table.
    TEditDoc d({"T|x", "T|y", "#", "a\tb\tc", "end"});
    TDoc& doc = d.Doc();
    TableRowOf(doc, 2)->Data.LeftEdge = 0;
    TableRowOf(doc, 2)->Data.Cells[1].Background = 77;
    Select(doc, 3, 0, 3, doc.Par(3)->CharCount());
    PerformUndoRedo(doc, TConvertTextToTableArgs{3, 1, tsepTab}, [&] {
        EXPECT_EQ(d.Text(), "T|x / T|y / # / T|a / T|b / T|c / # / end");
        const TTableRowData& row = RowAt(doc, 6);
        EXPECT_EQ(TTableDoc::DescribeRow(row), "0:960,1920,2880");
        EXPECT_EQ(row.Cells[2].Background, 77);
    });
}

TEST_F(TableCreationTest, TableBecomesText) {
    struct Case {
        const char* Name;
        std::int32_t Separator;
        std::string Expected;
    };
    const Case cases[] = {
        {"tabs", tsepTab, "a\tb / c\td / end"},
        {"paragraphs", tsepParagraphs, "a / b / c / d / end"},
        {"commas", tsepComma, "a,b / c,d / end"},
        {"a control character stands as a tab", 3, "a\tb / c\td / end"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc d({"T|a", "T|b", "#", "T|c", "T|d", "#", "end"});
        TDoc& doc = d.Doc();
        PlaceCaret(doc, 1, 0);
        TableCreationSettings().TableToTextCellSep = c.Separator;
        PerformUndoRedo(doc, TConvertTableToTextArgs{}, [&] {
            EXPECT_EQ(d.Text(), c.Expected);
            if (c.Separator == tsepTab) {
                // Tab stops at the old cell edges.
                // (The format is packed: its fields are read by value.)
                const std::int32_t first = doc.Par(0)->Format.Tabs;
                const std::int32_t second = doc.Par(1)->Format.Tabs;
                EXPECT_EQ(TabStopPositions(first), (std::vector<std::int32_t>{1440, 2880}));
                EXPECT_EQ(second, first);
            }
        });
    }
    TableCreationSettings() = TTableCreationSettings{};
}

TEST_F(TableCreationTest, CellsOfSeveralParagraphsBecomeText) {
    TEditDoc d({"t|p1", "T|a", "T|b", "#", "end"});
    TDoc& doc = d.Doc();
    PlaceCaret(doc, 0, 0);
    TableCreationSettings().TableToTextCellSep = tsepComma;
    PerformUndoRedo(doc, TConvertTableToTextArgs{}, [&] { EXPECT_EQ(d.Text(), "p1 / a,b / end"); });
    TableCreationSettings() = TTableCreationSettings{};
}

TEST_F(TableCreationTest, ConvertingMiddleRowsLeavesTwoTables) {
    TEditDoc d({"T|a", "#", "T|b", "#", "T|c", "#", "T|d", "#", "end"});
    TDoc& doc = d.Doc();
    // Rows 1 and 2 selected whole, from their first paragraph to their row
    // ends.
    Select(doc, 2, 0, 5, 1);
    TableCreationSettings().TableToTextCellSep = tsepParagraphs;
    PerformUndoRedo(doc, TConvertTableToTextArgs{}, [&] {
        EXPECT_EQ(d.Text(), "T|a / # / b / c / T|d / # / end");
        EXPECT_EQ(RowEnds(doc), (std::vector<std::int32_t>{1, 5}));
    });
    TableCreationSettings() = TTableCreationSettings{};
}

TEST_F(TableCreationTest, JoiningAdjacentTables) {
    struct Case {
        const char* Name;
        std::string Upper;
        std::vector<std::string> Lower;
        std::vector<std::string> Expected;  // the lower rows after; empty: unchanged
    };
    const Case cases[] = {
        {"same cell count takes the upper edges",
         "100:1000,2000",
         {"0:900,2100", "0:900,2100"},
         {"100:1000,2000", "100:1000,2000"}},
        {"a width within a tenth is scaled", "0:3000", {"0:1500,2900"}, {"0:1552,3000"}},
        {"a width a tenth off stays", "0:3000", {"0:1500,2700"}, {}},
        {"rows below that differ stay", "0:3000", {"0:1500,2950", "0:1400,2950"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<std::string> pars;
        std::vector<std::string> rows{c.Upper};
        const std::size_t upperCells = std::count(c.Upper.begin(), c.Upper.end(), ',') + 1;
        for (std::size_t i = 0; i < upperCells; ++i)
            pars.push_back("x]");
        pars.push_back("#");
        const std::int32_t lowerStart = static_cast<std::int32_t>(pars.size());
        for (const std::string& row : c.Lower) {
            rows.push_back(row);
            const std::size_t cells = std::count(row.begin(), row.end(), ',') + 1;
            for (std::size_t i = 0; i < cells; ++i)
                pars.push_back("y]");
            pars.push_back("#");
        }
        pars.push_back("end");
        TTableDoc t(pars, rows);
        TDoc& doc = t.Doc();
        const std::string before = Snapshot(doc);
        const std::int32_t undoBefore = doc.UndoList.Count;
        doc.PerformOperation(TJoinAdjacentTablesArgs{lowerStart});
        for (std::size_t r = 0; r < c.Lower.size(); ++r)
            EXPECT_EQ(TTableDoc::DescribeRow(t.Row(r + 1)->Data), c.Expected.empty() ? c.Lower[r] : c.Expected[r]);
        if (c.Expected.empty()) {
            EXPECT_EQ(doc.UndoList.Count, undoBefore) << "nothing changed, so nothing to undo";
            continue;
        }
        const std::string after = Snapshot(doc);
        doc.Undo(true);
        EXPECT_TRUE(Snapshot(doc) == before);
        doc.Redo();
        EXPECT_TRUE(Snapshot(doc) == after);
    }
}

TEST_F(TableCreationTest, JoiningUnderATableNotYetFittedKeepsItsEdges) {
    // A new table's edges stay unset until layout fits it: rows of another
    // cell count below it cannot be scaled to it.
    TTableDoc t({"x]", "#", "y]", "y]", "#", "end"}, {"0:3000", "0:1500,2900"});
    TDoc& doc = t.Doc();
    t.Row(0)->Data.Cells[0].RightEdge = UnsetValue;
    const std::int32_t undoBefore = doc.UndoList.Count;
    doc.PerformOperation(TJoinAdjacentTablesArgs{2});
    EXPECT_EQ(doc.UndoList.Count, undoBefore);
    EXPECT_EQ(TTableDoc::DescribeRow(t.Row(1)->Data), "0:1500,2900");
}

TEST_F(TableCreationTest, DefaultTableComesFromTheFirstTableOfItsDocument) {
    TTableDoc defaults({"intro", "a]", "b/", "c]", "#", "later", "T]", "#", "end"}, {"0:1000,2000", "0:500"});
    defaults.Doc().Par(1)->Format.Alignment = 2;
    defaults.Doc().Par(3)->Format.Alignment = 1;
    const TDefaultTable table = DefaultTableOf(defaults.Doc(), true);
    ASSERT_EQ(table.Rows.size(), 1u);
    EXPECT_EQ(TTableDoc::DescribeRow(table.Rows[0]), "0:1000,2000");
    ASSERT_EQ(table.Cells.size(), 2u);
    // The second cell starts with "b", a paragraph of its own.
    EXPECT_EQ(table.Cells[0].ParFormat.Alignment, 2);
    EXPECT_EQ(table.Cells[1].ParFormat.Alignment, 0);
    EXPECT_EQ(table.Rows[0].Cells[1].Work[0], 1);

    TTableDoc none({"no table", "end"}, {});
    EXPECT_TRUE(DefaultTableOf(none.Doc(), true).Rows.empty());

    // A row end that names no row gives no default row; the next row still
    // counts its cells from its own start.
    TTableDoc damaged({"a]", "#?", "b]", "c]", "#", "end"}, {"0:700,1400"});
    const TDefaultTable mended = DefaultTableOf(damaged.Doc(), true);
    ASSERT_EQ(mended.Rows.size(), 1u);
    EXPECT_EQ(TTableDoc::DescribeRow(mended.Rows[0]), "0:700,1400");
    EXPECT_EQ(mended.Cells.size(), 2u);
}

TEST_F(TableCreationTest, NothingToConvertChangesNothing) {
    TEditDoc d({"plain", "end"});
    TDoc& doc = d.Doc();
    PlaceCaret(doc, 0, 1);
    const std::int32_t undoBefore = doc.UndoList.Count;
    doc.PerformOperation(TConvertTableToTextArgs{});
    doc.PerformOperation(TConvertTextToTableArgs{0, 1, tsepTab});
    doc.PerformOperation(TInsertTableArgs{0, 3, nullptr});
    doc.PerformOperation(TJoinAdjacentTablesArgs{0});
    EXPECT_EQ(doc.UndoList.Count, undoBefore);
    EXPECT_EQ(d.Text(), "plain / end");
}

TEST_F(TableCreationTest, TablesDoNotGoIntoTables) {
    TEditDoc d({"a\tb", "T|x\ty", "#", "end"});
    TDoc& doc = d.Doc();
    const std::int32_t undoBefore = doc.UndoList.Count;
    // A table asked for in a cell, and text to convert that reaches into a
    // table.
    PlaceCaret(doc, 1, 1);
    doc.PerformOperation(TInsertTableArgs{2, 2, nullptr});
    Select(doc, 0, 0, 1, 2);
    doc.PerformOperation(TConvertTextToTableArgs{2, 0, tsepTab});
    EXPECT_EQ(doc.UndoList.Count, undoBefore);
    EXPECT_EQ(d.Text(), "a\tb / T|x\ty / # / end");
}

}  // namespace
