// Tables in the flow, placed simply: each row's cells side by side, each
// cell's paragraphs flowed into its own cell box, the row as high as its
// tallest cell. A row that does not fit moves to the next page; at the top
// of a page it is placed whole however tall, so the flow always moves on.

#include <algorithm>
#include <vector>

#include "base/core/ObjectHandles.h"
#include "layout/boxes/TCellBox.h"
#include "layout/boxes/TPage.h"
#include "layout/boxes/TTableBox.h"
#include "layout/pagination/Pagination.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TTableRow.h"
#include "model/paragraphs/TPar.h"

namespace {

bool HasChar(const TPar& par, std::uint8_t c) {
    return std::find(par.Chars.Data, par.Chars.Data + par.CharCount(), c) != par.Chars.Data + par.CharCount();
}

TTableRow* RowRecordOf(const TPar& rowEnd) {
    TStreamElement e;
    for (std::int32_t off = 0; off < rowEnd.Stream.Size; off += e.Length) {
        ReadStreamElement(rowEnd.Stream.Data, rowEnd.Stream.Size, off, e);
        if (e.Length <= 0 || e.Truncated)
            break;
        if (e.IsControl && e.Code == fcRowEnd)
            return HandleTo<TTableRow>(static_cast<TObjectHandle>(e.Value));
    }
    return nullptr;
}

struct TRowShape {
    std::int32_t RowEnd = -1;                                  // the paragraph that holds the row's end mark
    std::vector<std::pair<std::int32_t, std::int32_t>> Cells;  // first and last paragraph of each cell
};

// The row that starts at paragraph p: cells end with a cell mark, the row
// with the paragraph that holds the row mark.
bool RowAt(TDoc& doc, std::int32_t p, std::int32_t lastPar, TRowShape& row) {
    std::int32_t cellStart = p;
    for (std::int32_t q = p; q <= lastPar; ++q) {
        const TPar& par = *doc.Par(q);
        if (par.Format.InTable != 1)
            return false;
        if (HasChar(par, chRowEnd)) {
            row.RowEnd = q;
            if (cellStart < q)
                row.Cells.emplace_back(cellStart, q - 1);
            return true;
        }
        if (HasChar(par, chCellEnd)) {
            row.Cells.emplace_back(cellStart, q);
            cellStart = q + 1;
        }
    }
    return false;
}

}  // namespace

bool StartsTableRow(TDoc& doc, std::int32_t par, std::int32_t lastPar) {
    TRowShape row;
    return RowAt(doc, par, lastPar, row);
}

std::uint32_t FlowTableRows(TBox& box, TFragment& range) {
    TDoc& doc = *box.Document;
    TPage* page = box.Page();
    page->SaveState();
    auto* table = static_cast<TTableBox*>(box.AddChild(bkTable, bxTable));
    table->Story = box.Story;
    table->FirstPar = range.Start.Par;
    table->Bounds.Right = box.Width();
    table->Insets.Left = box.Insets.Left;
    table->Insets.Right = box.Insets.Right;
    std::int32_t y = box.Insets.Top;
    for (std::int32_t i = 0; i + 1 < box.Count; ++i)
        y += box.Child(i)->Height();
    table->Bounds.Top = table->Bounds.Bottom = y;
    const std::int32_t textWidth = std::max(1, table->Width() - table->Insets.Left - table->Insets.Right);
    std::uint32_t result = 0;
    std::int32_t rows = 0;
    TRowShape row;
    while (range.Start.Par <= range.End.Par && RowAt(doc, range.Start.Par, range.End.Par, row)) {
        const TTableRow* record = RowRecordOf(*doc.Par(row.RowEnd));
        const bool atStart = rows == 0 && table->IsAtPageStart();
        std::int32_t rowBottom = 0;
        bool fits = false;
        for (int attempt = 0; attempt < 2 && !fits; ++attempt) {
            // The second attempt, at the top of a page only, forces every
            // request: a row taller than the page stands on a page of its own.
            if (attempt == 1)
                doc.PushStateFlag(sfForcedRequests);
            page->SaveState();
            const std::int32_t top = table->Height();
            const auto cells = static_cast<std::int32_t>(row.Cells.size());
            std::int32_t left = table->Insets.Left + (record != nullptr ? record->Data.LeftEdge : 0);
            fits = true;
            std::vector<TBox*> cellBoxes;
            for (std::int32_t k = 0; k < cells; ++k) {
                auto* cell = static_cast<TCellBox*>(table->AddChild(bkCell, bxCell | bxFrame | bxCellStarts));
                if (rows == 0)
                    cell->Flags |= bxFirstRow;
                cell->Story = box.Story;
                cell->CellIndex = k;
                cell->Row = const_cast<TTableRow*>(record);
                std::int32_t right = left + textWidth / std::max(cells, 1);
                if (record != nullptr && k < record->Data.CellCount && record->Data.Cells[k].RightEdge > 0)
                    right = table->Insets.Left + record->Data.Cells[k].RightEdge;
                right = std::max(right, left + 1);
                cell->Bounds = {left, top, right, top};
                if (record != nullptr) {
                    cell->Insets.Left = std::max(0, record->Data.Padding[0]);
                    cell->Insets.Right = std::max(0, record->Data.Padding[2]);
                }
                left = right;
                const std::int32_t lastPar = row.Cells[k].second;
                cell->CellRange = {{row.Cells[k].first, 0}, {lastPar, doc.Par(lastPar)->CharCount()}};
                TFragment cellRange = cell->CellRange;
                const std::uint32_t r = cell->Flow(cellRange);
                if ((r & frAll) == 0 || (r & frNothing) != 0)
                    fits = false;
                else
                    cell->Flags |= bxCellComplete;
                cellBoxes.push_back(cell);
                if (!fits)
                    break;
            }
            if (fits) {
                rowBottom = top;
                for (TBox* cell : cellBoxes)
                    rowBottom = std::max(rowBottom, cell->Bounds.Bottom);
                for (TBox* cell : cellBoxes)
                    cell->Bounds.Bottom = rowBottom;
                // The row-end mark stands in a box of its own right of the
                // last cell; it never refuses a line, and it is never taller
                // than the row: the spacing and line height of the end
                // mark's paragraph do not make a row taller.
                auto* end = static_cast<TCellBox*>(table->AddChild(bkCell, bxCell | bxFrame | bxRowEnd));
                end->Story = box.Story;
                end->CellIndex = -1;
                end->Bounds = {left, top, left + 1, top};
                end->Insets.Left = 0;
                end->MaxHeight = std::max(rowBottom - top, 1);
                TFragment endRange{{row.RowEnd, 0}, {row.RowEnd, doc.Par(row.RowEnd)->CharCount()}};
                doc.PushStateFlag(sfForcedRequests);
                end->Flow(endRange);
                doc.PopStateFlag();
                page->DropTopState();
            } else {
                page->RestoreState();
                page->DropTopState();
            }
            if (attempt == 1)
                doc.PopStateFlag();
            if (!atStart)
                break;
        }
        if (!fits)
            break;
        ++rows;
        range.Start = {row.RowEnd + 1, 0};
        row = TRowShape{};
    }
    if (rows == 0) {
        page->RestoreState();
        page->DropTopState();
        return frNothing;
    }
    page->DropTopState();
    table->Flags |= bxTableStarts;
    const bool done =
        range.Start.Par > range.End.Par || (range.Start.Par == range.End.Par && range.Start.Offset >= range.End.Offset);
    if (range.Start.Par >= doc.ParCount() || doc.Par(range.Start.Par)->Format.InTable != 1)
        table->Flags |= bxTableEnds;
    result = done ? frAll : frPart;
    return result;
}
