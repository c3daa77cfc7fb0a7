// Tables made from nothing or from text, and text made from tables, saved as
// RTF and read back, give the same tables and text; undo and redo of each
// give back the same model. The default table is read from RTF: the one the
// program ships, or the user's own file.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "DocumentDump.h"
#include "FontManagerScope.h"
#include "RtfMemory.h"
#include "TabManagerScope.h"
#include "base/core/TMemory.h"
#include "base/messages/MessageBoxes.h"
#include "editing/services/EditingInstall.h"
#include "editing/tables/TableCreation.h"
#include "editing/tables/TableStructure.h"
#include "files/opening/DefaultTableReader.h"
#include "files/opening/OpenDocument.h"
#include "files/saving/SaveToFormat.h"
#include "model/document/TDoc.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"

namespace {

class TableCreationRtfTest : public ::testing::Test {
protected:
    void SetUp() override {
        fonts.emplace();
        InstallEditing();
        saved = TableCreationSeams();
        InstallDefaultTableReader();
        TableCreationSeams().DefaultTableFile = [] { return std::string(); };
    }
    void TearDown() override {
        TableCreationSeams() = saved;
        TableCreationSettings() = TTableCreationSettings{};
        fonts.reset();
    }

private:
    TTabManagerScope tabs;
    std::optional<TFontManagerScope> fonts;
    TTableCreationSeams saved;
};

// A visible document, so that it keeps its undo history.
// 0 tabbed, 1 with commas, 2-3 plain, 4-9 a table of two rows of two
// cells, 10 plain, 11-15 a table whose second row is narrower and has two
// cells, 16 the end.
constexpr const char* Source =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}"
    "\\pard one\\tab {\\b two}\\tab three\\par"
    "\\pard\\qc four,five,six\\par"
    "\\pard seven\\par"
    "\\pard eight\\par"
    "\\trowd\\trleft0\\cellx1440\\cellx2880\\pard\\intbl a\\cell b\\cell\\row"
    "\\trowd\\trleft0\\cellx1440\\cellx2880\\pard\\intbl {\\i c}\\cell {\\b d}\\cell\\row"
    "\\pard middle\\par"
    "\\trowd\\trleft0\\cellx3000\\pard\\intbl upper\\cell\\row"
    "\\trowd\\trleft0\\cellx1500\\cellx2900\\pard\\intbl x\\cell y\\cell\\row"
    "\\pard end\\par}";

void Select(TDoc& doc, std::int32_t p1, std::int32_t o1, std::int32_t p2, std::int32_t o2) {
    doc.Caret = TTextPos{p2, o2};
    doc.Selection->SetSingle(p1, o1, p2, o2);
}

std::string Dump(TDoc& doc) {
    // Saving brings the section bounds up to date; the dump must see them
    // alike.
    doc.UpdateSectionIndex();
    return DumpDocumentModel(doc);
}

// Paragraphs first to last, selected whole, made a table as args say.
std::function<void(TDoc&)> TextToTable(std::int32_t first, std::int32_t last, TConvertTextToTableArgs args) {
    return [first, last, args](TDoc& doc) {
        Select(doc, first, 0, last, doc.Par(last)->CharCount());
        doc.PerformOperation(args);
    };
}

// The table holding paragraph par, with the caret in it and nothing
// selected, made text whose cells the separator parts.
std::function<void(TDoc&)> TableToText(std::int32_t par, std::int32_t separator) {
    return [par, separator](TDoc& doc) {
        Select(doc, par, 0, par, 0);
        doc.Selection->Reset();
        TableCreationSettings().TableToTextCellSep = separator;
        doc.PerformOperation(TConvertTableToTextArgs{});
    };
}

// The source with a new table of one row of two cells inserted at the
// caret in paragraph 3, nothing selected: its row ends at paragraph 5.
// Nil when the source does not open.
std::unique_ptr<TDoc> WithNewTable() {
    std::unique_ptr<TDoc> doc = OpenRtfBytes(Source, false);
    if (doc == nullptr)
        return doc;
    Select(*doc, 3, 0, 3, 0);
    doc->Selection->Reset();
    doc->PerformOperation(TInsertTableArgs{1, 2, nullptr});
    return doc;
}

TEST_F(TableCreationRtfTest, ResultsUndoRedoAndReadBackAlike) {
    struct Case {
        const char* Name;
        std::function<void(TDoc&)> Perform;
    };
    const Case cases[] = {
        {"inserting a table",
         [](TDoc& doc) {
             Select(doc, 2, 2, 2, 2);
             doc.PerformOperation(TInsertTableArgs{2, 3, nullptr});
         }},
        {"tabs to a table", TextToTable(0, 0, {3, 1, tsepTab})},
        {"commas to a table of two columns", TextToTable(1, 1, {2, 1, tsepComma})},
        {"paragraphs to a table above another", TextToTable(2, 3, {1, 2, tsepParagraphs})},
        {"a table to tabbed text", TableToText(5, tsepTab)},
        {"a table to text with commas", TableToText(8, tsepComma)},
        {"a table to paragraphs", TableToText(4, tsepParagraphs)},
        {"joining the lower rows to the upper", [](TDoc& doc) { doc.PerformOperation(TJoinAdjacentTablesArgs{13}); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<TDoc> doc = OpenRtfBytes(Source, false);
        ASSERT_NE(doc, nullptr);
        ASSERT_TRUE(IsRowEnd(*doc, 9) && IsRowEnd(*doc, 15)) << "the source is not laid out as the cases expect";
        const std::string before = Dump(*doc);
        c.Perform(*doc);
        const std::string model = Dump(*doc);
        EXPECT_NE(model, before) << "the operation changed nothing";

        doc->Undo(true);
        EXPECT_EQ(Dump(*doc), before);
        doc->Redo();
        EXPECT_EQ(Dump(*doc), model);

        std::unique_ptr<TDoc> again = OpenRtfBytes(SaveRtfToMemory(*doc), false);
        ASSERT_NE(again, nullptr);
        EXPECT_EQ(Dump(*again), model);
    }
}

TEST_F(TableCreationRtfTest, ShippedDefaultTableGivesNewTablesTheirLook) {
    const std::string shipped = std::string(REZ_TEST_DATA_DIR) + "/../../resources/DefaultTable.rtf";
    static std::string path;
    path = shipped;
    TableCreationSeams().DefaultTableFile = [] { return path; };
    const TDefaultTable table = LoadDefaultTableFormat(true);
    ASSERT_EQ(table.Rows.size(), 1u);
    const TTableRowData& row = table.Rows[0];
    EXPECT_EQ(row.PreferredWidth, 5000);
    EXPECT_EQ(row.Padding[0], 108);
    EXPECT_EQ(row.Padding[2], 108);
    ASSERT_EQ(row.CellCount, 3);
    ASSERT_EQ(table.Cells.size(), 3u);
    for (std::int32_t c = 0; c < row.CellCount; ++c) {
        for (const TTableBorder& border : row.Cells[c].Borders) {
            EXPECT_EQ(border.Kind, brSingle);
            EXPECT_EQ(border.Width, 10);
        }
        EXPECT_EQ(row.Cells[c].Work[0], c);
    }
}

TEST_F(TableCreationRtfTest, UnusableDefaultTableFilesLeaveTheBuiltInLookQuietly) {
    struct Case {
        const char* Name;
        const char* Content;      // nil: no file at all
        std::size_t ShippedRows;  // the program's own table stands in for a missing file
    };
    const Case cases[] = {
        {"no file", nullptr, 1},
        {"no table in it", "{\\rtf1\\ansi plain text\\par}", 0},
        {"not RTF at all", "PK\x03\x04 something else", 0},
        {"cut short", "{\\rtf1\\ansi\\trowd\\cellx", 0},
        {"empty", "", 1},
    };
    static std::string path;
    path = ::testing::TempDir() + "Default Table.rtf";
    TableCreationSeams().DefaultTableFile = [] { return path; };
    std::vector<std::string> messages;
    const auto previous = SetMessageBoxAnswerer([&messages](const TMessageBoxRequest& request) {
        messages.push_back(request.Text);
        return static_cast<std::uint16_t>(mrOk);
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::remove(path.c_str());
        if (c.Content != nullptr) {
            std::ofstream out(path, std::ios::binary);
            out << c.Content;
        }
        EXPECT_EQ(LoadDefaultTableFormat(true).Rows.size(), c.ShippedRows);

        // A table still comes with the built-in look.
        std::unique_ptr<TDoc> doc = WithNewTable();
        ASSERT_NE(doc, nullptr);
        ASSERT_TRUE(IsRowEnd(*doc, 5));
        const TTableRowData& row = TableRowOf(*doc, 5)->Data;
        EXPECT_EQ(row.CellCount, 2);
        EXPECT_EQ(row.PreferredWidth, 5000);
        EXPECT_EQ(row.Cells[1].Borders[tbBottom].Width, 10);
    }
    SetMessageBoxAnswerer(previous);
    EXPECT_TRUE(messages.empty()) << messages.front();
    std::remove(path.c_str());
}

TEST_F(TableCreationRtfTest, UsersDefaultTableFileIsRead) {
    static std::string path;
    path = ::testing::TempDir() + "Default Table.rtf";
    {
        std::ofstream out(path, std::ios::binary);
        out << "{\\rtf1\\ansi\\trowd\\trleft100\\trrh400\\clcbpat2\\cellx2000\\pard\\intbl\\qr x\\cell\\row"
               "\\pard\\par}";
    }
    TableCreationSeams().DefaultTableFile = [] { return path; };
    std::unique_ptr<TDoc> doc = WithNewTable();
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(IsRowEnd(*doc, 5));
    const TTableRowData& row = TableRowOf(*doc, 5)->Data;
    EXPECT_EQ(row.LeftEdge, 100);
    EXPECT_EQ(row.Height, 400);
    EXPECT_EQ(row.CellCount, 2);
    // Both new cells copy the only default cell: right aligned text.
    EXPECT_EQ(doc->Par(3)->Format.Alignment, 2);
    EXPECT_EQ(doc->Par(4)->Format.Alignment, 2);
    std::remove(path.c_str());
}

}  // namespace
