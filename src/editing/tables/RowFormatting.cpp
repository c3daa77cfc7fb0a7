#include "editing/tables/RowFormatting.h"

#include <algorithm>
#include <cmath>

#include "base/core/Geometry.h"
#include "base/core/ObjectHandles.h"
#include "editing/tables/CellMerging.h"
#include "editing/tables/TableEditGrid.h"
#include "editing/tables/TableSelection.h"
#include "editing/tables/TableStructure.h"
#include "model/document/TPostActions.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TParFormat.h"
#include "model/formats/Tolerances.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "model/undo/OperationWorkers.h"
#include "model/undo/TFormatRowsOperation.h"
#include "model/undo/TRowProperties.h"

namespace {

TRowMeasurer Measurer = &MeasureTableRows;

std::int32_t RoundHalfEven(double v) {
    return static_cast<std::int32_t>(std::nearbyint(v));
}

void KeepSelection(TDoc& doc) {
    TPostActions& pa = doc.PostActions();
    pa.Caret = doc.Caret;
    if (IsEmptyCompoundFragment(doc.Selection))
        pa.Selection->Reset();
    else
        pa.Selection->Assign(*doc.Selection);
}

// The caret at the start of the cell when it holds one empty paragraph,
// else the cell's content without its cell-end mark selected.
void SelectCell(TDoc& doc, const TEditGridCell& cell) {
    const TTextPos start{cell.First, 0};
    doc.Caret = start;
    TPostActions& pa = doc.PostActions();
    pa.Caret = start;
    if (IsEmptyGridCell(doc, cell)) {
        doc.Selection->Reset();
        pa.Selection->Reset();
        return;
    }
    const std::int32_t end = doc.Par(cell.Last)->CharCount() - 1;
    doc.Selection->SetSingle(cell.First, 0, cell.Last, end);
    pa.Selection->SetSingle(cell.First, 0, cell.Last, end);
}

// The cell of p in its grid row; false when p is in no row.
bool Locate(const TEditGrid& grid, std::int32_t p, std::int32_t& r, std::int32_t& c) {
    r = grid.RowOf(p);
    if (r < 0)
        return false;
    c = EditGridCellOf(grid.Rows[r], p);
    return true;
}

bool IsContinuationCell(const TEditGridRow& row, std::int32_t c) {
    return c < row.Row->Data.CellCount && c < static_cast<std::int32_t>(row.Cells.size()) &&
           row.Row->Data.Cells[c].IsContinuation();
}

// A step that lands in a continuation cell remembers it and goes to the
// merge's first cell instead.
std::int32_t EnterMerge(TDoc& doc, std::int32_t target, std::int32_t remembered) {
    const std::int32_t origin = MergedCellOrigin(doc, target);
    doc.TabStepContinuation = remembered;
    doc.TabStepOrigin = origin;
    return origin;
}

// A step from cell to cell lands on cell c of row r: a cell that shows is
// selected, a continuation cell leads to its merge's first cell (the step
// forward remembers the continuation's first paragraph, the step back its
// last). True when the step is over; false when that first cell is hidden
// too, with r and c moved onto it for the walk to go on from.
bool LandOnCell(TDoc& doc, const TEditGrid& grid, std::int32_t& r, std::int32_t& c, bool forward) {
    if (!IsContinuationCell(grid.Rows[r], c)) {
        SelectCell(doc, grid.Rows[r].Cells[static_cast<std::size_t>(c)]);
        return true;
    }
    const TEditGridCell& hidden = grid.Rows[r].Cells[static_cast<std::size_t>(c)];
    const std::int32_t origin = EnterMerge(doc, hidden.First, forward ? hidden.First : hidden.Last);
    std::int32_t orow = 0, ocell = 0;
    if (!Locate(grid, origin, orow, ocell) || ocell >= static_cast<std::int32_t>(grid.Rows[orow].Cells.size()))
        return true;
    if (!IsContinuationCell(grid.Rows[orow], ocell)) {
        SelectCell(doc, grid.Rows[orow].Cells[static_cast<std::size_t>(ocell)]);
        return true;
    }
    r = orow;
    c = ocell;
    return false;
}

// The paragraph a step starts from: the continuation cell the last step
// came through when p is the merged cell that step entered.
std::int32_t StepStart(TDoc& doc, std::int32_t p) {
    TEditGrid grid = EditGrid(doc, p);
    std::int32_t r = 0, c = 0;
    if (!Locate(grid, p, r, c) || c >= static_cast<std::int32_t>(grid.Rows[r].Cells.size()))
        return p;
    const TTableCell& cell = grid.Rows[r].Row->Data.Cells[c];
    if (cell.FirstOfMerge != 0 && grid.Rows[r].Cells[c].First == doc.TabStepOrigin && doc.TabStepContinuation >= 0 &&
        InTablePar(doc, doc.TabStepContinuation))
        return doc.TabStepContinuation;
    return p;
}

void AppendRow(TDoc& doc, const TEditGrid& grid, std::int32_t p) {
    const TEditGridRow& last = grid.Rows.back();
    const int story = doc.StoryOfPar(last.End);
    if (last.End >= doc.LastParOfStory(story) || last.Cells.empty())
        return;  // the story keeps a paragraph after a table; without one there is no place
    const std::int32_t c = std::min(EditGridCellOf(last, p), static_cast<std::int32_t>(last.Cells.size()) - 1);
    const TEditGridCell& model = last.Cells[static_cast<std::size_t>(c)];
    auto* row = new TTableRow;
    row->Data = last.Row->Data;
    for (std::int32_t i = 0; i < row->Data.CellCount; ++i)
        row->Data.Cells[i].FirstOfMerge = row->Data.Cells[i].Merged = 0;
    doc.TableRowList.Add(row);
    TCharFormat chars{};
    doc.FormatAtPos(TTextPos{model.First, 0}, chars);
    TMemory stream;
    AppendCharFormatControls(stream, chars);
    const TParFormat format = doc.Par(model.First)->Format;
    for (std::int32_t i = 0; i < row->Data.CellCount; ++i) {
        AppendFormatControl(stream, fcCellEnd, 0);
        AppendParagraphMark(stream, format);
    }
    AppendFormatControl(stream, fcRowEnd, static_cast<std::int32_t>(ObjectHandle(row)));
    AppendParagraphMark(stream, doc.Par(last.End)->Format);
    doc.InsertFormatted(stream, TTextPos{last.End + 1, 0}, 0, story, row->Data.CellCount + 1, nullptr);
    const TTextPos start{last.End + 1, 0};
    doc.Caret = start;
    doc.Selection->Reset();
    doc.PostActions().Caret = start;
    doc.PostActions().Selection->Reset();
}

// The distinct rows the selection touches in the table of its first range,
// or every row of the caret's table.
std::vector<TTableRow*> RowsToDistribute(TDoc& doc) {
    std::vector<TTableRow*> rows;
    TFragment table{};
    CurrentTableRows(doc, rows, table);
    if (IsEmptyCompoundFragment(doc.Selection))
        return rows;
    TCompoundFragment* split = SplitRangesByRows(doc, *doc.Selection);
    if (split->Count() == 1 && FragmentIsEmpty(split->Fragment(0)))
        split->Assign(*doc.Selection);
    std::vector<TTableRow*> chosen;
    for (std::int32_t i = 0; i < split->Count(); ++i) {
        const TFragment& f = split->Fragment(i);
        for (TTableRow* row : rows) {
            const bool meets = f.Start.Par <= row->Range.End.Par && f.End.Par >= row->Range.Start.Par;
            if (meets && std::find(chosen.begin(), chosen.end(), row) == chosen.end())
                chosen.push_back(row);
        }
    }
    ReleaseCompoundFragment(split);
    return chosen;
}

// Cells a .. b of a row share the span from a's left edge to b's right
// edge; b keeps its edge.
void Spread(TTableRowData& data, std::int32_t a, std::int32_t b) {
    if (a < 0 || b >= data.CellCount || a >= b)
        return;
    const std::int32_t left = data.CellLeft(a);
    const std::int32_t span = data.Cells[b].RightEdge - left;
    for (std::int32_t k = a; k < b; ++k)
        data.Cells[k].RightEdge = left + MulDiv(span, k - a + 1, b - a + 1);
}

void ApplyAndRepair(TDoc& doc,
                    const std::vector<TTableRow*>& rows,
                    const std::vector<TTableRowData>& data,
                    std::int32_t tablePar) {
    TFormatRowsArgs args;
    args.Rows = rows;
    args.Data = data;
    args.TablePar = tablePar;
    FormatTableRows(doc, args);
    RepairTable(doc, tablePar);
    KeepSelection(doc);
}

// The workers of the operation codes.
void AppendTableRowWorker(TDoc& doc, TOperationCall&, const TAppendTableRowArgs&) {
    NextCellOrNewRow(doc, doc.Caret.Par);
}
void FormatTableRowsWorker(TDoc& doc, TOperationCall&, const TFormatTableRowsArgs& args) {
    if (args.Properties != nullptr)
        FormatTableRows(doc, *args.Properties);
}
void MergeCellsWorker(TDoc& doc, TOperationCall&, const TMergeCellsArgs&) {
    MergeCells(doc);
}
void SplitCellsWorker(TDoc& doc, TOperationCall&, const TSplitCellsArgs& args) {
    SplitCells(doc, args.Columns, args.Rows);
}
void SplitTableWorker(TDoc& doc, TOperationCall&, const TSplitTableArgs&) {
    SplitTable(doc);
}
void DistributeRowsWorker(TDoc& doc, TOperationCall&, const TDistributeRowsArgs&) {
    DistributeRows(doc);
}
void DistributeColumnsWorker(TDoc& doc, TOperationCall&, const TDistributeColumnsArgs&) {
    DistributeColumns(doc);
}

}  // namespace

void FormatTableRows(TDoc& doc, TFormatRowsArgs args) {
    if (args.CellAlignment != -1) {
        // The selection without the row-end paragraphs, or the caret's cell.
        TCompoundFragment* set = nullptr;
        if (IsEmptyCompoundFragment(doc.Selection)) {
            set = NewCompoundFragment();
            TFragment cell{};
            CellRange(doc, doc.Caret.Par, cell);
            set->Fragment(0) = cell;
        } else {
            set = SplitRangesByRows(doc, *doc.Selection);
        }
        TParFormat format = UnsetParFormat;
        format.Alignment = static_cast<std::int8_t>(args.CellAlignment);
        if (!(set->Count() == 1 && FragmentIsEmpty(set->Fragment(0)) && !IsEmptyCompoundFragment(doc.Selection)))
            doc.FormatParagraphs(set, nullptr, format);
        ReleaseCompoundFragment(set);
    }
    if (args.Rows.empty() || !InTablePar(doc, args.TablePar))
        return;
    const std::vector<std::int32_t> edges = TableColumnEdges(doc, args.TablePar, nullptr, true);
    const auto snap = [&edges](std::int32_t x) {
        return SnapToNearlyEqual(x, edges.data(), static_cast<std::int32_t>(edges.size()));
    };
    for (TTableRowData& data : args.Data) {
        data.LeftEdge = snap(data.LeftEdge);
        for (std::int32_t c = 0; c < std::min(data.CellCount, MaxTableCells); ++c)
            data.Cells[c].RightEdge = snap(data.Cells[c].RightEdge);
    }
    auto* step = new TFormatRowsOperation(&doc, args);
    if (step->Empty()) {
        delete step;
        return;
    }
    step->Execute();
    KeepSelection(doc);
}

void NextCellOrNewRow(TDoc& doc, std::int32_t p) {
    if (!InTablePar(doc, p))
        return;
    p = StepStart(doc, p);
    TEditGrid grid = EditGrid(doc, p);
    std::int32_t r = 0, c = 0;
    if (!Locate(grid, p, r, c))
        return;
    const std::int32_t cells = static_cast<std::int32_t>(grid.Rows[r].Cells.size());
    if (c >= cells - 1 && r == static_cast<std::int32_t>(grid.Rows.size()) - 1) {
        AppendRow(doc, grid, p);
        return;
    }
    doc.TabStepOrigin = doc.TabStepContinuation = -1;
    // Hidden cells are stepped over by way of their merge's first cell;
    // the guard ends a walk through a damaged table.
    for (std::int32_t guard = 0; guard < doc.ParCount(); ++guard) {
        if (c + 1 < static_cast<std::int32_t>(grid.Rows[r].Cells.size())) {
            ++c;
        } else if (r + 1 < static_cast<std::int32_t>(grid.Rows.size()) && !grid.Rows[r + 1].Cells.empty()) {
            ++r;
            c = 0;
        } else {
            return;
        }
        if (LandOnCell(doc, grid, r, c, true))
            return;
    }
}

void SelectPreviousCell(TDoc& doc, std::int32_t p) {
    if (!InTablePar(doc, p))
        return;
    p = StepStart(doc, p);
    TEditGrid grid = EditGrid(doc, p);
    std::int32_t r = 0, c = 0;
    if (!Locate(grid, p, r, c))
        return;
    c = std::min(c, static_cast<std::int32_t>(grid.Rows[r].Cells.size()));
    if (r == 0 && c == 0)
        return;
    doc.TabStepOrigin = doc.TabStepContinuation = -1;
    for (std::int32_t guard = 0; guard < doc.ParCount(); ++guard) {
        if (c > 0) {
            --c;
        } else if (r > 0 && !grid.Rows[r - 1].Cells.empty()) {
            --r;
            c = static_cast<std::int32_t>(grid.Rows[r].Cells.size()) - 1;
        } else {
            return;
        }
        if (LandOnCell(doc, grid, r, c, false))
            return;
    }
}

std::int32_t DistributedRowHeight(const std::vector<TRowMeasure>& measures) {
    if (measures.empty())
        return 0;
    double average = 0;
    std::int32_t content = 0;
    for (const TRowMeasure& m : measures) {
        if (m.Parts <= 0)
            continue;
        average += static_cast<double>(m.Height) / m.Parts;
        content = std::max(content, RoundHalfEven(static_cast<double>(m.ContentHeight) / m.Parts));
    }
    return std::max(RoundHalfEven(average / static_cast<double>(measures.size())), content);
}

void SetRowMeasurer(TRowMeasurer measurer) {
    Measurer = measurer != nullptr ? measurer : &MeasureTableRows;
}

void DistributeRows(TDoc& doc) {
    const std::int32_t p =
        IsEmptyCompoundFragment(doc.Selection) ? doc.Caret.Par : doc.Selection->Fragment(0).Start.Par;
    if (!InTablePar(doc, p))
        return;
    const std::vector<TTableRow*> rows = RowsToDistribute(doc);
    if (rows.empty())
        return;
    const std::int32_t height = DistributedRowHeight(Measurer(doc, rows));
    std::vector<TTableRowData> data;
    for (const TTableRow* row : rows) {
        data.push_back(row->Data);
        data.back().Height = row->Data.Height < 0 ? -height : height;
    }
    TFormatRowsArgs args;
    args.Rows = rows;
    args.Data = data;
    args.TablePar = p;
    FormatTableRows(doc, args);
}

void DistributeColumns(TDoc& doc) {
    const bool selected = !IsEmptyCompoundFragment(doc.Selection);
    const std::int32_t p = selected ? doc.Selection->Fragment(0).Start.Par : doc.Caret.Par;
    if (!InTablePar(doc, p))
        return;
    const TEditGrid grid = EditGrid(doc, p);
    std::vector<TTableRow*> rows;
    std::vector<TTableRowData> data;
    if (!selected) {
        for (const TEditGridRow& row : grid.Rows) {
            rows.push_back(row.Row);
            data.push_back(row.Row->Data);
            Spread(data.back(), 0, data.back().CellCount - 1);
        }
    } else {
        TFragment table{};
        TableRange(doc, p, table);
        TCompoundFragment* block = SelectedCellBlock(doc, table);
        for (std::int32_t i = 0; i < block->Count(); ++i) {
            const TFragment& f = block->Fragment(i);
            if (FragmentIsEmpty(f))
                continue;
            const std::int32_t r = grid.RowOf(f.Start.Par);
            if (r < 0)
                continue;
            const std::int32_t a = EditGridCellOf(grid.Rows[r], f.Start.Par);
            const std::int32_t b = EditGridCellOf(grid.Rows[r], f.End.Offset == 0 ? f.End.Par - 1 : f.End.Par);
            rows.push_back(grid.Rows[r].Row);
            data.push_back(grid.Rows[r].Row->Data);
            Spread(data.back(), a, b);
        }
        ReleaseCompoundFragment(block);
    }
    if (!rows.empty())
        ApplyAndRepair(doc, rows, data, p);
}

void InstallCellMergingWorkers() {
    SetOperationWorker<TAppendTableRowArgs>(&AppendTableRowWorker);
    SetOperationWorker<TFormatTableRowsArgs>(&FormatTableRowsWorker);
    SetOperationWorker<TMergeCellsArgs>(&MergeCellsWorker);
    SetOperationWorker<TSplitCellsArgs>(&SplitCellsWorker);
    SetOperationWorker<TSplitTableArgs>(&SplitTableWorker);
    SetOperationWorker<TDistributeRowsArgs>(&DistributeRowsWorker);
    SetOperationWorker<TDistributeColumnsArgs>(&DistributeColumnsWorker);
}
