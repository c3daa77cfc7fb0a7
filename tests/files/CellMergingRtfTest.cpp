// Tables changed by merging, splitting, distributing and the Tab step, in
// documents read from RTF: undo and redo give the document back to the
// byte, and the result saved as RTF and read again is the same table.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "TransferDoc.h"
#include "editing/tables/TableStructure.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TTableRow.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "support/ModelInvariants.h"

namespace {

// A table in RTF: each row as its cells' right edges, "F" after an edge
// for the first cell of a vertical merge and "C" for a continuation, and
// each cell's paragraphs separated by "/".
struct TRowSpec {
    std::vector<std::string> Edges;
    std::vector<std::string> Cells;
};

std::string TableRtf(const std::vector<TRowSpec>& rows) {
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}\\pard before\\par ";
    for (const TRowSpec& row : rows) {
        rtf += "\\trowd\\trgaph108";
        for (std::string edge : row.Edges) {
            if (edge.back() == 'F') {
                rtf += "\\clvmgf";
                edge.pop_back();
            } else if (edge.back() == 'C') {
                rtf += "\\clvmrg";
                edge.pop_back();
            }
            rtf += "\\cellx" + edge;
        }
        rtf += "\\pard\\intbl ";
        for (const std::string& cell : row.Cells) {
            std::string text = cell;
            for (std::size_t at = text.find('/'); at != std::string::npos; at = text.find('/', at))
                text.replace(at, 1, "\\par ");
            rtf += text + "\\cell ";
        }
        rtf += "\\row ";
    }
    return rtf + "\\pard after\\par}";
}

// The table as the tests compare it: the cells' paragraphs row by row,
// and each row's left edge, cell edges and merge flags.
std::string Table(TDoc& doc) {
    std::string out;
    std::string cell;
    for (std::int32_t p = 0; p < doc.StoryCounts[stMain]; ++p) {
        if (!InTablePar(doc, p)) {
            // One mark for the plain paragraphs between or after tables.
            if (!out.empty() && out.back() == '\n')
                out += " | ";
            continue;
        }
        const TPar& par = *doc.Par(p);
        if (IsRowEnd(doc, p)) {
            const TTableRow* row = TableRowOf(doc, p);
            out += " #" + std::to_string(row->Data.LeftEdge) + ":";
            for (std::int32_t c = 0; c < row->Data.CellCount; ++c) {
                const TTableCell& x = row->Data.Cells[c];
                out += (c > 0 ? "," : "") + std::to_string(x.RightEdge) +
                       (x.FirstOfMerge != 0 ? "F"
                        : x.Merged != 0     ? "C"
                                            : "");
            }
            out += "\n";
            continue;
        }
        for (std::int32_t i = 0; i + 1 < par.CharCount(); ++i)
            out += static_cast<char>(par.Chars.Data[i]);
        out += EndsCellOrRow(doc, p) ? "] " : "/ ";
    }
    return out;
}

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

// Selects whole cells: paragraphs first .. last, the last one's mark
// included; several such ranges make a multiple selection.
void SelectCells(TDoc& doc, const std::vector<std::pair<std::int32_t, std::int32_t>>& cells) {
    std::vector<TFragment> ranges;
    for (const auto& [first, last] : cells) {
        TFragment f{};
        MakeFragment(first, 0, last, doc.Par(last)->CharCount(), f);
        ranges.push_back(f);
    }
    doc.Selection->SetCount(static_cast<std::int32_t>(ranges.size()));
    for (std::size_t i = 0; i < ranges.size(); ++i)
        doc.Selection->Fragment(static_cast<std::int32_t>(i)) = ranges[i];
    doc.Caret = ranges.front().Start;
}

void PlaceCaret(TDoc& doc, std::int32_t par) {
    doc.Selection->Reset();
    doc.Caret = TTextPos{par, 0};
}

}  // namespace

TEST(CellMergingRtfTest, ResultsUndoRedoAndSurviveSavingAsRtf) {
    TTransferScope scope;
    const std::vector<TRowSpec> grid = {{{"1000", "2000", "3000"}, {"a", "b", "c"}},
                                        {{"1000", "2000", "3000"}, {"d", "e", "f"}}};
    struct Case {
        const char* Name;
        std::vector<TRowSpec> Rows;
        std::function<void(TDoc&)> Run;
        const char* Expected;
    };
    // Paragraph 0 is "before"; the table starts at paragraph 1.
    const Case cases[] = {
        {"merging two cells of a row", grid,
         [](TDoc& d) {
             SelectCells(d, {{1, 2}});
             d.PerformOperation(TMergeCellsArgs{});
         },
         "a/ b] c]  #0:2000,3000\nd] e] f]  #0:1000,2000,3000\n | "},
        {"merging a two by two block", grid,
         [](TDoc& d) {
             SelectCells(d, {{1, 2}, {5, 6}});
             d.PerformOperation(TMergeCellsArgs{});
         },
         "a/ b/ d/ e] c]  #0:2000F,3000\n] f]  #0:2000C,3000\n | "},
        {"splitting a cell in three columns", grid,
         [](TDoc& d) {
             PlaceCaret(d, 1);
             d.PerformOperation(TSplitCellsArgs{3, 1});
         },
         "a] ] ] b] c]  #0:334,667,1000,2000,3000\nd] e] f]  #0:1000,2000,3000\n | "},
        {"splitting a cell of three paragraphs in three rows",
         {{{"1000", "2000"}, {"a/b/c", "z"}}},
         [](TDoc& d) {
             PlaceCaret(d, 1);
             d.PerformOperation(TSplitCellsArgs{1, 3});
         },
         "a] z]  #0:1000,2000F\nb] ]  #0:1000,2000C\nc] ]  #0:1000,2000C\n | "},
        {"splitting a merged cell in columns",
         {{{"1000F", "2000"}, {"a", "p"}}, {{"1000C", "2000"}, {"", "q"}}},
         [](TDoc& d) {
             PlaceCaret(d, 1);
             d.PerformOperation(TSplitCellsArgs{2, 1});
         },
         "a] ] p]  #0:500F,1000F,2000\n] ] q]  #0:500C,1000C,2000\n | "},
        {"splitting the table", grid,
         [](TDoc& d) {
             PlaceCaret(d, 5);
             d.PerformOperation(TSplitTableArgs{});
         },
         "a] b] c]  #0:1000,2000,3000\n | d] e] f]  #0:1000,2000,3000\n | "},
        {"distributing columns",
         {{{"1000", "1500", "4000"}, {"a", "b", "c"}}},
         [](TDoc& d) {
             PlaceCaret(d, 1);
             d.PerformOperation(TDistributeColumnsArgs{});
         },
         "a] b] c]  #0:1333,2667,4000\n | "},
        {"Tab in the last cell", grid,
         [](TDoc& d) {
             PlaceCaret(d, 7);
             d.PerformOperation(TAppendTableRowArgs{});
         },
         "a] b] c]  #0:1000,2000,3000\nd] e] f]  #0:1000,2000,3000\n] ] ]  #0:1000,2000,3000\n | "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<TDoc> doc = DocFromRtf(TableRtf(c.Rows));
        ASSERT_NE(doc, nullptr);
        const std::string before = Snapshot(*doc);
        const std::int32_t steps = doc->UndoList.Count;
        c.Run(*doc);
        EXPECT_EQ(Table(*doc), c.Expected);
        EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
        ASSERT_EQ(doc->UndoList.Count, steps + 1);
        const std::string after = Snapshot(*doc);
        doc->Undo(true);
        EXPECT_EQ(Snapshot(*doc), before);
        doc->Redo();
        EXPECT_EQ(Snapshot(*doc), after);

        std::unique_ptr<TDoc> again = DocFromRtf(RtfOf(*doc));
        ASSERT_NE(again, nullptr);
        EXPECT_EQ(Table(*again), c.Expected);
        doc->DestroyLayout();
        again->DestroyLayout();
    }
}

TEST(CellMergingRtfTest, DistributedRowsShareTheLaidOutHeight) {
    TTransferScope scope;
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}\\pard before\\par ";
    // Two rows of exactly 300 twips and one of automatic height, which only
    // the layout can measure: from the rows' own heights alone it would not
    // count, and the rows would get 200.
    for (const char* height : {"-300", "-300", "0"})
        rtf += std::string("\\trowd\\trrh") + height + "\\cellx2000\\pard\\intbl x\\cell \\row ";
    rtf += "\\pard after\\par}";
    std::unique_ptr<TDoc> doc = DocFromRtf(rtf);
    ASSERT_NE(doc, nullptr);
    doc->PaginateAll();
    PlaceCaret(*doc, 1);
    const std::string before = Snapshot(*doc);
    doc->PerformOperation(TDistributeRowsArgs{});
    std::vector<std::int32_t> heights;
    for (std::int32_t p = 0; p < doc->StoryCounts[stMain]; ++p)
        if (IsRowEnd(*doc, p))
            heights.push_back(TableRowOf(*doc, p)->Data.Height);
    ASSERT_EQ(heights.size(), 3u);
    // Exact heights stay exact; the automatic row gets a minimum height.
    EXPECT_EQ(heights[0], heights[1]);
    EXPECT_EQ(heights[2], -heights[0]);
    EXPECT_GT(heights[2], 200);
    EXPECT_LT(heights[2], 400);
    doc->Undo(true);
    EXPECT_EQ(Snapshot(*doc), before);
    doc->Redo();
    std::unique_ptr<TDoc> again = DocFromRtf(RtfOf(*doc));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(Table(*again), Table(*doc));
    std::vector<std::int32_t> read;
    for (std::int32_t p = 0; p < again->StoryCounts[stMain]; ++p)
        if (IsRowEnd(*again, p))
            read.push_back(TableRowOf(*again, p)->Data.Height);
    EXPECT_EQ(read, heights);
    doc->DestroyLayout();
    again->DestroyLayout();
}
