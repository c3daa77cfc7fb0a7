// Tables after inserting and deleting rows, columns and cells, saved as RTF
// and read back, are the same tables: the operations leave nothing in the
// row definitions or the cell text that the writer drops or the reader
// builds differently.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "DocumentDump.h"
#include "FontManagerScope.h"
#include "RtfMemory.h"
#include "TabManagerScope.h"
#include "base/core/TMemory.h"
#include "editing/services/EditingInstall.h"
#include "editing/tables/TableStructure.h"
#include "files/opening/OpenDocument.h"
#include "files/saving/SaveToFormat.h"
#include "model/document/TDoc.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "support/ModelInvariants.h"

namespace {

class TableRowsColumnsRtfTest : public ::testing::Test {
protected:
    void SetUp() override {
        fonts.emplace();
        InstallEditing();
    }
    void TearDown() override { fonts.reset(); }

private:
    TTabManagerScope tabs;
    std::optional<TFontManagerScope> fonts;
};

// Paragraph 0 before the table; three rows of three cells at 1-3 (row end
// 4), 5-7 (8) and 9-11 (12), the first column of the last two rows merged,
// the middle row's last cell shaded; paragraph 13 after the table.
constexpr const char* Source =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}"
    "\\pard before\\par"
    "\\trowd\\trleft0\\cellx1440\\cellx2880\\cellx4320\\pard\\intbl a1\\cell {\\b b1}\\cell c1\\cell\\row"
    "\\trowd\\trleft0\\clvmgf\\cellx1440\\cellx2880\\clcbpat2\\clshdng5000\\cellx4320"
    "\\pard\\intbl a2\\cell b2\\cell\\qc c2\\cell\\row"
    "\\trowd\\trleft0\\clvmrg\\cellx1440\\cellx2880\\cellx4320\\pard\\intbl\\cell b3\\cell c3\\cell\\row"
    "\\pard after\\par}";

void Select(TDoc& doc, std::int32_t startPar, std::int32_t endPar) {
    doc.Caret = TTextPos{startPar, 0};
    if (endPar < 0) {
        doc.Selection->SetSingle(startPar, 0, startPar, 0);
        return;
    }
    doc.Selection->SetSingle(startPar, 0, endPar, doc.Par(endPar)->CharCount());
}

TEST_F(TableRowsColumnsRtfTest, ResultsReadBackAlike) {
    struct Case {
        const char* Name;
        std::function<void(TDoc&)> Perform;
    };
    const Case cases[] = {
        {"rows above the first row",
         [](TDoc& doc) {
             Select(doc, 1, 5);
             doc.PerformOperation(TInsertRowsAboveArgs{});
         }},
        {"a row below the last row, a merge's continuation",
         [](TDoc& doc) {
             Select(doc, 10, -1);
             doc.PerformOperation(TInsertRowsBelowArgs{});
         }},
        {"a row above a merge's continuation",
         [](TDoc& doc) {
             Select(doc, 9, -1);
             doc.PerformOperation(TInsertRowsAboveArgs{});
         }},
        {"a column left of the first",
         [](TDoc& doc) {
             Select(doc, 5, -1);
             doc.PerformOperation(TInsertColumnsLeftArgs{});
         }},
        {"a column right of the last",
         [](TDoc& doc) {
             Select(doc, 7, -1);
             doc.PerformOperation(TInsertColumnsRightArgs{});
         }},
        {"a column at the handle on the table's right edge",
         [](TDoc& doc) {
             Select(doc, 1, -1);
             TInsertAtTableHandleArgs handle;
             handle.Hit.Kind = thColumn;
             handle.Hit.TablePar = 1;
             handle.Hit.ColumnX = 4320;
             doc.PerformOperation(handle);
         }},
        {"cells shifted right",
         [](TDoc& doc) {
             Select(doc, 6, -1);
             doc.PerformOperation(TInsertCellsArgs{0});
         }},
        {"cells shifted down",
         [](TDoc& doc) {
             Select(doc, 2, -1);
             doc.PerformOperation(TInsertCellsArgs{1});
         }},
        {"a cell deleted, the column shifting up",
         [](TDoc& doc) {
             Select(doc, 2, -1);
             doc.PerformOperation(TDeleteCellsArgs{0});
         }},
        {"a merge deleted, the row shifting left",
         [](TDoc& doc) {
             Select(doc, 5, -1);
             doc.PerformOperation(TDeleteCellsArgs{1});
         }},
        {"the first and the last row deleted",
         [](TDoc& doc) {
             doc.Selection->SetCount(2);
             MakeFragment(1, 0, 1, 1, doc.Selection->Fragment(0));
             MakeFragment(11, 0, 11, 1, doc.Selection->Fragment(1));
             doc.Caret = TTextPos{1, 0};
             doc.PerformOperation(TDeleteCellsArgs{2});
         }},
        {"the table deleted",
         [](TDoc& doc) {
             Select(doc, 6, -1);
             doc.PerformOperation(TDeleteCellsArgs{3});
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<TDoc> doc = OpenRtfBytes(Source);
        ASSERT_NE(doc, nullptr);
        ASSERT_TRUE(IsRowEnd(*doc, 4) && IsRowEnd(*doc, 8) && IsRowEnd(*doc, 12));
        const std::string before = DumpDocumentModel(*doc);
        c.Perform(*doc);
        EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
        doc->UpdateSectionIndex();
        const std::string model = DumpDocumentModel(*doc);
        EXPECT_NE(model, before) << "the operation changed nothing";
        std::unique_ptr<TDoc> again = OpenRtfBytes(SaveRtfToMemory(*doc));
        ASSERT_NE(again, nullptr);
        EXPECT_EQ(DumpDocumentModel(*again), model);
    }
}

}  // namespace
