// The row format step built from its record, undone and redone to the byte,
// and the scaling of rows to a layout width.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "TableDoc.h"
#include "editing/tables/TableStructure.h"
#include "model/undo/TFormatRowsOperation.h"
#include "model/undo/TableRowSteps.h"

namespace {

// The bytes of every row's data but the Changed word, which each exchange
// sets.
std::string RowBytes(const TTableDoc& t, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        TTableRowData data = t.Row(i)->Data;
        data.Changed = 0;
        out.append(reinterpret_cast<const char*>(&data), sizeof data);
    }
    return out;
}

TEST(TableRowStepsTest, FormatRowsFromItsRecordUndoesAndRedoesToTheByte) {
    TTableDoc t({"x", "a]", "b]", "#", "c]", "d]", "#", "y"}, {"0:1440,2880", "0:1440,2880"});
    TDoc& doc = t.Doc();
    const std::string before = RowBytes(t, 2);
    const std::string shapeBefore = t.Shape();

    TFormatRowsArgs args;
    args.Rows = {t.Row(1), t.Row(0)};  // any order
    args.Data = {t.Row(1)->Data, t.Row(0)->Data};
    args.Data[0].Cells[0].VerticalAlignment = 2;
    args.Data[0].Height = -720;
    args.Data[1].HeaderRow = 1;
    args.Data[1].Cells[1].Borders[tbBottom] = {30, brSingle, 0, 0};
    args.TablePar = 1;
    args.CaretAfterUndo = {1, 0};
    args.CaretAfterRedo = {4, 1};
    t.InOperation([&] {
        auto* step = new TFormatRowsOperation(&doc, args);
        ASSERT_FALSE(step->Empty());
        // Only the words that differ are kept.
        EXPECT_EQ(step->Rows[0].Words.size(), 2u);
        EXPECT_EQ(step->Rows[1].Words.size(), 4u);
        step->Execute();
    });
    const std::string after = RowBytes(t, 2);
    EXPECT_NE(after, before);
    EXPECT_EQ(t.Row(1)->Data.Height, -720);
    EXPECT_EQ(t.Row(0)->Data.HeaderRow, 1);
    EXPECT_EQ(t.Row(0)->Data.Changed, 1);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        doc.Undo(true);
        EXPECT_EQ(RowBytes(t, 2), before);
        doc.Redo();
        EXPECT_EQ(RowBytes(t, 2), after);
    }
    EXPECT_EQ(t.Shape(), shapeBefore);

    // The step itself puts the caret where the record says for each
    // direction; the first call, which applies the change, leaves it.
    doc.Caret = {7, 0};
    args.Data = {t.Row(1)->Data, t.Row(0)->Data};
    args.Data[0].KeepTogether = 1;
    TFormatRowsOperation step(&doc, args);
    step.Redo();
    EXPECT_EQ(doc.Caret.Par, 7);
    step.Undo();
    EXPECT_EQ(doc.Caret.Par, 1);
    EXPECT_EQ(t.Row(1)->Data.KeepTogether, 0);
    step.Redo();
    EXPECT_EQ(doc.Caret.Par, 4);
    EXPECT_EQ(doc.Caret.Offset, 1);
    EXPECT_EQ(t.Row(1)->Data.KeepTogether, 1);

    // A record that changes nothing makes an empty step.
    TFormatRowsArgs same;
    same.Rows = {t.Row(0)};
    same.Data = {t.Row(0)->Data};
    TFormatRowsOperation unchanged(&doc, same);
    EXPECT_TRUE(unchanged.Empty());
}

TEST(TableRowStepsTest, ExchangesKeepThePreferredWidthWithTheRows) {
    TTableDoc t({"a]", "#", "b]", "#", "y"}, {"0:1440", "0:1440"});
    TDoc& doc = t.Doc();
    for (std::size_t i = 0; i < 2; ++i) {
        t.Row(i)->Data.ReferenceWidth = 9000;
        t.Row(i)->Data.PreferredWidth = 800;  // 1440 of 9000
    }
    TFormatRowsArgs args;
    args.Rows = {t.Row(0), t.Row(1)};
    args.Data = {t.Row(0)->Data, t.Row(1)->Data};
    args.Data[1].Cells[0].RightEdge = 4500;
    t.InOperation([&] { (new TFormatRowsOperation(&doc, args))->Execute(); });
    EXPECT_EQ(t.Row(0)->Data.PreferredWidth, 2500);
    EXPECT_EQ(t.Row(1)->Data.PreferredWidth, 2500);
    doc.Undo(true);
    EXPECT_EQ(t.Row(1)->Data.Cells[0].RightEdge, 1440);
    EXPECT_EQ(t.Row(0)->Data.PreferredWidth, 800);
}

TEST(TableRowStepsTest, ScaleTableRows) {
    struct Case {
        const char* name;
        std::vector<std::string> rows;
        std::int32_t preferred;  // of every row
        bool keep;
        const char* after;
    };
    const Case cases[] = {
        {"unset edges are spread over the width",
         {"0:" + std::to_string(UnsetValue) + ",0,0"},
         0,
         false,
         "0:3000,6000,9000"},
        {"half the width", {"0:1000,3000", "500:3000"}, 2500, false, "0:1500,4500 750:4500"},
        {"kept rows are not scaled", {"0:1000,3000"}, 2500, true, "0:1000,3000"},
        {"edges that would move by less than 4 twips stay", {"0:1000,4499"}, 2500, false, "0:1000,4499"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> pars;
        for (std::size_t r = 0; r < c.rows.size(); ++r) {
            pars.push_back("a]");
            pars.push_back("#");
        }
        pars.push_back("y");
        TTableDoc t(pars, c.rows);
        std::vector<TTableRow*> rows;
        for (std::size_t r = 0; r < c.rows.size(); ++r) {
            t.Row(r)->Data.PreferredWidth = c.preferred;
            rows.push_back(t.Row(r));
        }
        ScaleTableRows(rows, 9000, c.keep);
        std::string out;
        for (std::size_t r = 0; r < rows.size(); ++r)
            out += (r > 0 ? " " : "") + TTableDoc::DescribeRow(rows[r]->Data);
        EXPECT_EQ(out, c.after);
        EXPECT_EQ(rows[0]->BaseWidth, 9000);
    }
}

}  // namespace
