#include "layout/selection/TableCells.h"

#include <algorithm>
#include <climits>

#include "base/core/ObjectHandles.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TTableRow.h"
#include "model/paragraphs/TPar.h"

namespace TableCells {

namespace {

std::uint8_t LastChar(const TDoc& doc, std::int32_t par) {
    const TPar* p = doc.Par(par);
    return p->CharCount() > 0 ? p->Chars.Data[p->CharCount() - 1] : 0;
}

const TTableRow* RowRecord(const TDoc& doc, std::int32_t rowEnd) {
    const TPar& par = *doc.Par(rowEnd);
    TStreamElement e;
    for (std::int32_t off = 0; off < par.Stream.Size; off += e.Length) {
        ReadStreamElement(par.Stream.Data, par.Stream.Size, off, e);
        if (e.Length <= 0 || e.Truncated)
            break;
        if (e.IsControl && e.Code == fcRowEnd)
            return HandleTo<TTableRow>(static_cast<TObjectHandle>(e.Value));
    }
    return nullptr;
}

// Column width for rows that name no cell edges: any fixed value keeps
// cells of the same index in the same column.
constexpr std::int32_t NominalCellWidth = 1440;

}  // namespace

bool InTable(const TDoc& doc, std::int32_t par) {
    return par >= 0 && par < doc.ParCount() && doc.Par(par)->Format.InTable == 1;
}

bool IsRowEnd(const TDoc& doc, std::int32_t par) {
    return InTable(doc, par) && doc.Par(par)->CharCount() > 0 && doc.Par(par)->Chars.Data[0] == chRowEnd;
}

void Cell(const TDoc& doc, std::int32_t par, std::int32_t& first, std::int32_t& last) {
    first = par;
    last = par;
    if (IsRowEnd(doc, par))
        return;
    while (first > 0 && InTable(doc, first - 1) && LastChar(doc, first - 1) != chCellEnd && !IsRowEnd(doc, first - 1))
        --first;
    while (last + 1 < doc.ParCount() && InTable(doc, last + 1) && LastChar(doc, last) != chCellEnd &&
           !IsRowEnd(doc, last + 1))
        ++last;
}

void Row(const TDoc& doc, std::int32_t par, std::int32_t& first, std::int32_t& last) {
    first = par;
    last = par;
    while (first > 0 && InTable(doc, first - 1) && !IsRowEnd(doc, first - 1))
        --first;
    while (!IsRowEnd(doc, last) && last + 1 < doc.ParCount() && InTable(doc, last + 1))
        ++last;
}

void Table(const TDoc& doc, std::int32_t par, std::int32_t& first, std::int32_t& last) {
    first = par;
    last = par;
    while (first > 0 && InTable(doc, first - 1))
        --first;
    while (last + 1 < doc.ParCount() && InTable(doc, last + 1))
        ++last;
}

bool SameCell(const TDoc& doc, std::int32_t a, std::int32_t b) {
    std::int32_t first, last;
    Cell(doc, a, first, last);
    return b >= first && b <= last;
}

bool SameRow(const TDoc& doc, std::int32_t a, std::int32_t b) {
    std::int32_t first, last;
    Row(doc, a, first, last);
    return b >= first && b <= last;
}

bool SameTable(const TDoc& doc, std::int32_t a, std::int32_t b) {
    if (!InTable(doc, a) || !InTable(doc, b))
        return false;
    std::int32_t first, last;
    Table(doc, a, first, last);
    return b >= first && b <= last;
}

void CellXExtent(const TDoc& doc, std::int32_t par, std::int32_t& left, std::int32_t& right) {
    std::int32_t rowFirst, rowLast;
    Row(doc, par, rowFirst, rowLast);
    // The cell's index: the cell-end marks before it in its row.
    std::int32_t index = 0;
    for (std::int32_t p = rowFirst; p < par; ++p)
        if (LastChar(doc, p) == chCellEnd)
            ++index;
    const TTableRow* record = IsRowEnd(doc, rowLast) ? RowRecord(doc, rowLast) : nullptr;
    const bool edges = record != nullptr && record->Data.CellCount > 0 &&
                       record->Data.Cells[record->Data.CellCount - 1].RightEdge > 0 &&
                       record->Data.Cells[record->Data.CellCount - 1].RightEdge != UnsetValue;
    if (IsRowEnd(doc, par)) {
        left = edges ? record->Data.Cells[record->Data.CellCount - 1].RightEdge : index * NominalCellWidth;
        right = INT_MAX;
        return;
    }
    if (edges && index < record->Data.CellCount) {
        left = record->Data.CellLeft(index);
        right = record->Data.Cells[index].RightEdge;
        if (right <= left || right == UnsetValue)
            right = left + 1;
        return;
    }
    left = index * NominalCellWidth;
    right = left + NominalCellWidth;
}

void AppendCellsInXRange(const TDoc& doc,
                         std::int32_t firstPar,
                         std::int32_t lastPar,
                         std::int32_t left,
                         std::int32_t right,
                         TCompoundFragment& set) {
    std::int32_t rowFirst, rowLast, endFirst, endLast;
    Row(doc, firstPar, rowFirst, rowLast);
    Row(doc, lastPar, endFirst, endLast);
    for (std::int32_t p = rowFirst; p <= endLast && p < doc.ParCount() && InTable(doc, p);) {
        std::int32_t cellFirst, cellLast;
        Cell(doc, p, cellFirst, cellLast);
        if (!IsRowEnd(doc, cellFirst)) {
            std::int32_t cellLeft, cellRight;
            CellXExtent(doc, cellFirst, cellLeft, cellRight);
            if (cellLeft < right && cellRight > left) {
                TFragment range{};
                MakeTextPos(cellFirst, 0, range.Start);
                MakeTextPos(cellLast, doc.Par(cellLast)->CharCount(), range.End);
                if (IsEmptyCompoundFragment(&set))
                    set.Fragment(0) = range;
                else
                    set.Insert(set.Count(), range);
            }
        }
        p = cellLast + 1;
    }
}

}  // namespace TableCells
