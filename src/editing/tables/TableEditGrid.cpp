#include "editing/tables/TableEditGrid.h"

#include <algorithm>

#include "editing/tables/TableStructure.h"
#include "model/document/TPostActions.h"
#include "model/fields/TField.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/Tolerances.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/TMoveParsOperation.h"

std::int32_t TEditGrid::RowOf(std::int32_t p) const {
    for (std::size_t i = 0; i < Rows.size(); ++i)
        if (p >= Rows[i].First && p <= Rows[i].End)
            return static_cast<std::int32_t>(i);
    return -1;
}

TEditGrid EditGrid(TDoc& doc, std::int32_t p) {
    TEditGrid grid;
    if (p < 0 || p >= doc.ParCount() || !InTablePar(doc, p))
        return grid;
    // The edits here insert and move paragraphs step by step; the cached
    // table ranges may not have followed every one of them.
    doc.ClearTableCache();
    TFragment table{};
    TableRange(doc, p, table);
    grid.First = table.Start.Par;
    grid.Last = std::min(table.End.Par, doc.ParCount() - 1);
    TEditGridRow row;
    row.First = grid.First;
    std::int32_t cellFirst = grid.First;
    for (std::int32_t q = grid.First; q <= grid.Last; ++q) {
        if (IsRowEnd(doc, q)) {
            row.End = q;
            row.Row = TableRowOf(doc, q);
            if (row.Row != nullptr)
                grid.Rows.push_back(row);
            row = TEditGridRow{};
            row.First = q + 1;
            cellFirst = q + 1;
            continue;
        }
        if (EndsCellOrRow(doc, q)) {
            row.Cells.push_back(TEditGridCell{cellFirst, q});
            cellFirst = q + 1;
        }
    }
    return grid;
}

std::int32_t EditGridCellOf(const TEditGridRow& row, std::int32_t p) {
    for (std::size_t c = 0; c < row.Cells.size(); ++c)
        if (p >= row.Cells[c].First && p <= row.Cells[c].Last)
            return static_cast<std::int32_t>(c);
    return static_cast<std::int32_t>(row.Cells.size());
}

TFragment GridCellRange(const TDoc& doc, const TEditGridCell& cell) {
    TFragment range{};
    MakeFragment(cell.First, 0, cell.Last, doc.Par(cell.Last)->CharCount(), range);
    return range;
}

bool IsEmptyGridCell(const TDoc& doc, const TEditGridCell& cell) {
    return cell.First == cell.Last && doc.Par(cell.First)->CharCount() == 1;
}

std::int32_t CellAtEdge(const TTableRowData& row, std::int32_t x) {
    for (std::int32_t c = std::min(row.CellCount, MaxTableCells) - 1; c >= 0; --c)
        if (TwipsNearlyEqual(row.Cells[c].RightEdge, x))
            return c;
    return -1;
}

std::vector<TFragment> SelectedRanges(const TDoc& doc) {
    std::vector<TFragment> ranges;
    if (IsEmptyCompoundFragment(doc.Selection))
        return ranges;
    for (std::int32_t i = 0; i < doc.Selection->Count(); ++i) {
        const TFragment& f = doc.Selection->Fragment(i);
        if (CompareTextPos(f.Start, f.End) < 0)
            ranges.push_back(f);
    }
    std::sort(ranges.begin(), ranges.end(),
              [](const TFragment& a, const TFragment& b) { return CompareTextPos(a.Start, b.Start) < 0; });
    return ranges;
}

std::int32_t LastParOf(const TFragment& range) {
    if (range.End.Offset == 0 && range.End.Par > range.Start.Par)
        return range.End.Par - 1;
    return range.End.Par;
}

bool CoversWholeCells(const TDoc& doc, const TFragment& range) {
    const std::int32_t last = LastParOf(range);
    if (range.Start.Par < 0 || last >= doc.ParCount() || !InTablePar(doc, range.Start.Par) || !InTablePar(doc, last))
        return false;
    TFragment first{}, end{};
    CellRange(doc, range.Start.Par, first);
    CellRange(doc, last, end);
    const std::int32_t endOffset = range.End.Par == last ? range.End.Offset : doc.Par(last)->CharCount();
    return range.Start.Offset == 0 && first.Start.Par == range.Start.Par && end.End.Par == last &&
           endOffset >= doc.Par(last)->CharCount() - 1;
}

bool FieldCrossesCells(const TDoc& doc, const TEditGrid& grid) {
    const auto inTable = [&grid](std::int32_t p) { return p >= grid.First && p <= grid.Last; };
    for (std::int32_t i = 0; i < doc.Fields.Count; ++i) {
        TFragment range{};
        if (!doc.FieldRange(doc.Fields.At<TField>(i), range))
            continue;
        const bool startIn = inTable(range.Start.Par);
        const bool endIn = inTable(range.End.Par);
        if (!startIn && !endIn)
            continue;
        if (startIn != endIn)
            return true;
        TFragment a{}, b{};
        CellRange(doc, range.Start.Par, a);
        CellRange(doc, range.End.Par, b);
        if (a.Start.Par != b.Start.Par)
            return true;
    }
    return false;
}

void MoveParagraphs(TDoc& doc, std::int32_t first, std::int32_t last, std::int32_t target) {
    const std::int32_t count = last - first + 1;
    if (count <= 0 || (target >= first && target <= last + 1))
        return;
    const std::int32_t to = target < first ? target : target - count;
    const int story = doc.StoryOfPar(first);
    (new TMoveParsOperation(&doc, first, count, to, true, story, story))->Execute();
}

void PlaceCaretAfterEdit(TDoc& doc, const TTextPos& pos) {
    TTextPos at = pos;
    at.Par = std::clamp(at.Par, 0, doc.ParCount() - 1);
    at.Offset = std::clamp(at.Offset, 0, doc.Par(at.Par)->CharCount() - 1);
    doc.Caret = at;
    doc.Selection->SetSingle(at.Par, at.Offset, at.Par, at.Offset);
    TPostActions& pa = doc.PostActions();
    pa.Caret = at;
    if (pa.Selection != nullptr)
        pa.Selection->SetSingle(at.Par, at.Offset, at.Par, at.Offset);
}

TTableEditScope::TTableEditScope(TDoc& doc) : Doc(doc), Suspended(doc.TableRepairSuspended) {
    Doc.PushStateFlag(sfTableRepairRunning);
    Doc.TableRepairSuspended = 1;
}

TTableEditScope::~TTableEditScope() {
    Doc.TableRepairSuspended = Suspended;
    Doc.PopStateFlag();
}
