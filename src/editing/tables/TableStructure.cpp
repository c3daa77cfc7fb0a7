#include "editing/tables/TableStructure.h"

#include <algorithm>
#include <utility>

#include "base/core/ObjectHandles.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TParFormat.h"
#include "model/formats/Tolerances.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/TFastReplaceTextOperation.h"
#include "model/undo/TFormatParsOperation.h"
#include "model/undo/TFormatRowsOperation.h"

namespace {

std::uint8_t LastChar(const TDoc& doc, std::int32_t p) {
    const TPar* par = doc.Par(p);
    return par->CharCount() > 0 ? par->Chars.Data[par->CharCount() - 1] : 0;
}

bool EndsCell(const TDoc& doc, std::int32_t p) {
    return LastChar(doc, p) == chCellEnd;
}

// The row a row-end paragraph's control names; nil when the paragraph has
// none or names nothing.
TTableRow* RowOfRowEnd(const TDoc& doc, std::int32_t p) {
    const TPar* par = doc.Par(p);
    const std::int32_t at = par->StreamOffsetOfChar(0);
    TStreamElement element;
    if (at >= par->Stream.Size)
        return nullptr;
    ReadStreamElement(par->Stream.Data, par->Stream.Size, at, element);
    if (!element.IsControl || element.Truncated || element.Code != fcRowEnd || element.Value <= 0)
        return nullptr;
    return HandleTo<TTableRow>(static_cast<TObjectHandle>(element.Value));
}

void StoryBounds(const TDoc& doc, std::int32_t p, std::int32_t& first, std::int32_t& last) {
    const int story = doc.StoryOfPar(p);
    first = doc.FirstParOfStory(story);
    last = doc.LastParOfStory(story);
}

// The number of cell-end marks between the row end before rowEnd (or the
// table's start) and rowEnd.
std::int32_t CountCellEnds(const TDoc& doc, std::int32_t rowEnd) {
    std::int32_t storyFirst = 0, storyLast = 0;
    StoryBounds(doc, rowEnd, storyFirst, storyLast);
    std::int32_t n = 0;
    for (std::int32_t q = rowEnd - 1; q >= storyFirst && InTablePar(doc, q) && !IsRowEnd(doc, q); --q)
        if (EndsCell(doc, q))
            ++n;
    return n;
}

// The cell of row whose right edge is the same edge as x, or -1.
std::int32_t CellWithEdge(const TTableRowData& row, std::int32_t x) {
    for (std::int32_t c = 0; c < row.CellCount; ++c)
        if (TwipsNearlyEqual(row.Cells[c].RightEdge, x))
            return c;
    return -1;
}

bool HoldsOneEmptyParagraph(const TDoc& doc, const TFragment& cell) {
    return cell.Start.Par == cell.End.Par && doc.Par(cell.Start.Par)->CharCount() == 1;
}

std::int32_t IndexOfRow(const std::vector<TTableRow*>& rows, const TTableRow* row) {
    const auto it = std::find(rows.begin(), rows.end(), row);
    return it == rows.end() ? -1 : static_cast<std::int32_t>(it - rows.begin());
}

// Pops the state flags a repair pushed on every way out.
class TFlagScope {
public:
    TFlagScope(TDoc& doc, std::int32_t n) : Doc(doc), Count(n) {}
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;
    ~TFlagScope() { Doc.PopStateFlags(Count); }

private:
    TDoc& Doc;
    std::int32_t Count;
};

void ReplaceLastChar(TDoc& doc, std::int32_t p, std::uint8_t ch) {
    (new TFastReplaceTextOperation2(&doc, p, doc.Par(p)->CharCount() - 1, ch))->Execute();
}

// A cell or row mark that ends a paragraph outside any table becomes a
// paragraph end: there is no table for it to close.
void MendStrayMark(TDoc& doc, std::int32_t p) {
    if (InTablePar(doc, p))
        return;
    const std::uint8_t last = LastChar(doc, p);
    if (last == chCellEnd || last == chRowEnd)
        ReplaceLastChar(doc, p, chParEnd);
}

// The text-level shape of the table [first, last]: paragraphs after the
// last row end leave the table, the paragraph before a row end ends its
// cell, and a row of more than MaxTableCells cells keeps its text in its
// last cell. Returns the last paragraph that stays in the table, or
// first - 1 when none does.
std::int32_t MendTableText(TDoc& doc, std::int32_t first, std::int32_t last) {
    std::int32_t lastRowEnd = first - 1;
    for (std::int32_t q = last; q >= first; --q)
        if (IsRowEnd(doc, q)) {
            lastRowEnd = q;
            break;
        }
    // In-table paragraphs that no row end closes are plain paragraphs; their
    // text stays where it is.
    if (lastRowEnd < last) {
        auto* step = new TFormatParsOperation(&doc);
        TParFormat outside = UnsetParFormat;
        outside.InTable = 0;
        for (std::int32_t q = lastRowEnd + 1; q <= last; ++q)
            step->AddChange(q, outside);
        if (step->Empty())
            delete step;
        else
            step->Execute();
        for (std::int32_t q = lastRowEnd + 1; q <= last; ++q)
            MendStrayMark(doc, q);
    }
    std::int32_t rowStart = first;
    for (std::int32_t q = first; q <= lastRowEnd; ++q) {
        if (!IsRowEnd(doc, q))
            continue;
        if (q > rowStart && LastChar(doc, q - 1) == chParEnd)
            ReplaceLastChar(doc, q - 1, chCellEnd);
        std::int32_t cells = 0;
        for (std::int32_t c = rowStart; c < q; ++c)
            if (EndsCell(doc, c))
                ++cells;
        if (cells > MaxTableCells) {
            // Join the cells beyond the last one a row can hold to it: their
            // cell-end marks, except the row's last, become paragraph ends.
            std::int32_t index = 0;
            for (std::int32_t c = rowStart; c < q; ++c) {
                if (!EndsCell(doc, c))
                    continue;
                if (index >= MaxTableCells - 1 && index < cells - 1)
                    ReplaceLastChar(doc, c, chParEnd);
                ++index;
            }
        }
        rowStart = q + 1;
    }
    return lastRowEnd;
}

// Each row's definitions follow its cell-end marks: definitions without a
// cell go, cells without a definition get one of the width of the row's last
// cell, to the right of it.
void MatchCellCounts(TDoc& doc, const std::vector<TTableRow*>& rows) {
    for (TTableRow* row : rows) {
        const std::int32_t rowEnd = row->Range.End.Par;
        const std::int32_t cells = CountCellEnds(doc, rowEnd);
        TTableRowData data = row->Data;
        data.CellCount = std::clamp(data.CellCount, 0, MaxTableCells);
        if (cells < data.CellCount) {
            for (std::int32_t c = cells; c < data.CellCount; ++c)
                data.Cells[c] = TTableCell{};
            data.CellCount = cells;
        } else if (cells > data.CellCount) {
            const std::int32_t have = data.CellCount;
            TTableCell model = have > 0 ? data.Cells[have - 1] : TTableCell{};
            std::int32_t width = have > 0 ? data.Cells[have - 1].RightEdge - data.CellLeft(have - 1) : 0;
            if (width <= 0 || (have > 0 && data.Cells[have - 1].RightEdge == UnsetValue))
                width = DefaultCellWidth;
            model.FirstOfMerge = 0;
            model.Merged = 0;
            std::int32_t x = have > 0 && data.Cells[have - 1].RightEdge != UnsetValue ? data.Cells[have - 1].RightEdge
                                                                                      : data.LeftEdge;
            for (std::int32_t c = have; c < cells; ++c) {
                x += width;
                data.Cells[c] = model;
                data.Cells[c].RightEdge = x;
            }
            data.CellCount = cells;
        }
        ApplyRowData(doc, row, data);
    }
}

// Rows made only of continuation cells, or of no cell, are deleted whole,
// from the last up.
bool DeleteDeadRows(TDoc& doc, const std::vector<TTableRow*>& rows) {
    bool deleted = false;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        const TTableRowData& data = (*it)->Data;
        bool dead = true;
        for (std::int32_t c = 0; c < data.CellCount && dead; ++c)
            dead = data.Cells[c].IsContinuation();
        if (!dead)
            continue;
        const TFragment range = (*it)->Range;
        std::int32_t storyFirst = 0, storyLast = 0;
        StoryBounds(doc, range.End.Par, storyFirst, storyLast);
        TTextPos start{}, end{};
        MakeTextPos(range.Start.Par, 0, start);
        if (range.End.Par < storyLast)
            MakeTextPos(range.End.Par + 1, 0, end);
        else
            MakeTextPos(range.End.Par, doc.Par(range.End.Par)->CharCount(), end);
        doc.DeleteText(nullptr, start, end, 0);
        deleted = true;
    }
    return deleted;
}

// The lowest continuation cell below row i at the edge x.
const TTableCell* LowestContinuation(const std::vector<TTableRowData>& work, std::size_t i, std::int32_t x) {
    const TTableCell* lowest = nullptr;
    for (std::size_t j = i + 1; j < work.size(); ++j) {
        const std::int32_t c = CellWithEdge(work[j], x);
        if (c < 0 || !work[j].Cells[c].IsContinuation())
            break;
        lowest = &work[j].Cells[c];
    }
    return lowest;
}

// The row rules, on working copies of the rows: the first pass settles
// which cells continue a merge (top down, each row against the row above as
// already settled), the second which merges still have a continuation below
// them, then the rules that depend on the settled flags. Deciding a merge's
// end only after the rows below are settled keeps one repair enough: a
// merge whose only continuation just became a merge of its own ends at once.
void RepairRows(TDoc& doc, std::int32_t first) {
    std::vector<TTableRow*> rows;
    TFragment table{};
    TableRows(doc, first, rows, table);
    if (rows.empty())
        return;
    const std::vector<std::int32_t> edges = TableColumnEdges(doc, first, &rows, true);
    const auto snap = [&edges](std::int32_t x) {
        return SnapToNearlyEqual(x, edges.data(), static_cast<std::int32_t>(edges.size()));
    };
    std::vector<TTableRowData> work;
    for (const TTableRow* row : rows)
        work.push_back(row->Data);

    for (std::size_t i = 0; i < work.size(); ++i) {
        TTableRowData& data = work[i];
        data.CellCount = std::clamp(data.CellCount, 0, MaxTableCells);
        data.LeftEdge = snap(data.LeftEdge);
        for (std::int32_t c = 0; c < data.CellCount; ++c)
            data.Cells[c].RightEdge = snap(data.Cells[c].RightEdge);
        std::copy(std::begin(work[0].Padding), std::end(work[0].Padding), std::begin(data.Padding));
        const TTableRowData* above = i > 0 ? &work[i - 1] : nullptr;
        for (std::int32_t c = data.CellCount - 1; c >= 0; --c) {
            TTableCell& cell = data.Cells[c];
            if (cell.FirstOfMerge != 0 && cell.Merged != 0) {
                // Taken before the continuations below copy the borders of
                // the merge, so that the merge shows its lowest cell's bottom.
                if (const TTableCell* lowest = LowestContinuation(work, i, cell.RightEdge))
                    cell.Borders[tbBottom] = lowest->Borders[tbBottom];
                continue;
            }
            if (!cell.IsContinuation())
                continue;
            TFragment range{};
            NthCellRange(doc, rows[i]->Range.Start.Par, c, range);
            const std::int32_t up = above != nullptr ? CellWithEdge(*above, cell.RightEdge) : -1;
            if (HoldsOneEmptyParagraph(doc, range) && up >= 0 && above->Cells[up].Merged != 0) {
                // A continuation shows the borders of the merge it belongs to.
                std::copy(std::begin(above->Cells[up].Borders), std::end(above->Cells[up].Borders),
                          std::begin(cell.Borders));
            } else {
                // Nothing above to continue, or text that layout would hide:
                // the cell starts a merge of its own.
                cell.FirstOfMerge = 1;
            }
        }
    }

    for (std::size_t i = 0; i < work.size(); ++i) {
        TTableRowData& data = work[i];
        const TTableRowData* below = i + 1 < work.size() ? &work[i + 1] : nullptr;
        for (std::int32_t c = data.CellCount - 1; c >= 0; --c) {
            TTableCell& cell = data.Cells[c];
            if (cell.FirstOfMerge == 0)
                continue;
            const std::int32_t down = below != nullptr ? CellWithEdge(*below, cell.RightEdge) : -1;
            if (down < 0 || !below->Cells[down].IsContinuation()) {
                cell.FirstOfMerge = 0;
                cell.Merged = 0;
            }
        }
        bool allMerged = data.CellCount > 0;
        for (std::int32_t c = 0; c < data.CellCount; ++c)
            allMerged = allMerged && data.Cells[c].Merged != 0;
        if (data.Height == 0 && allMerged)
            data.Height = MergedRowHeight;
        // Header rows are a run from the first row down; a merge that starts
        // in a header row keeps its continuations with it.
        if (i > 0) {
            if (work[i - 1].HeaderRow == 0) {
                data.HeaderRow = 0;
            } else {
                for (std::int32_t c = 0; c < data.CellCount; ++c)
                    if (data.Cells[c].IsContinuation())
                        data.HeaderRow = 1;
            }
        }
    }
    for (std::size_t i = 0; i < rows.size(); ++i)
        ApplyRowData(doc, rows[i], work[i]);
}

}  // namespace

bool InTablePar(const TDoc& doc, std::int32_t p) {
    return p >= 0 && p < doc.ParCount() && doc.Par(p)->Format.InTable == 1;
}

bool IsRowEnd(const TDoc& doc, std::int32_t p) {
    if (!InTablePar(doc, p))
        return false;
    const TPar* par = doc.Par(p);
    return par->CharCount() > 0 && par->Chars.Data[0] == chRowEnd;
}

bool EndsCellOrRow(const TDoc& doc, std::int32_t p) {
    const std::uint8_t last = LastChar(doc, p);
    return last == chCellEnd || last == chRowEnd;
}

std::int32_t CellIndex(const TDoc& doc, std::int32_t p) {
    if (IsRowEnd(doc, p)) {
        const TTableRow* row = RowOfRowEnd(doc, p);
        return row != nullptr ? row->Data.CellCount : CountCellEnds(doc, p);
    }
    std::int32_t storyFirst = 0, storyLast = 0;
    StoryBounds(doc, p, storyFirst, storyLast);
    std::int32_t n = 0;
    for (std::int32_t q = p - 1; q >= storyFirst && InTablePar(doc, q) && !IsRowEnd(doc, q); --q)
        if (EndsCell(doc, q))
            ++n;
    return n;
}

TTableRow* TableRowOf(const TDoc& doc, std::int32_t p) {
    std::int32_t storyFirst = 0, storyLast = 0;
    StoryBounds(doc, p, storyFirst, storyLast);
    for (std::int32_t q = p; q <= storyLast && InTablePar(doc, q); ++q)
        if (IsRowEnd(doc, q))
            return RowOfRowEnd(doc, q);
    return nullptr;
}

void CellXBounds(const TDoc& doc, std::int32_t p, TViewPoint& bounds) {
    const std::int32_t index = CellIndex(doc, p);
    const TTableRow* row = TableRowOf(doc, p);
    if (row == nullptr || index >= std::min(row->Data.CellCount, MaxTableCells)) {
        bounds.X = bounds.Y = NoCellEdge;
        return;
    }
    bounds.X = row->Data.CellLeft(index);
    bounds.Y = row->Data.Cells[index].RightEdge;
}

void CellRange(const TDoc& doc, std::int32_t p, TFragment& range) {
    std::int32_t storyFirst = 0, storyLast = 0;
    StoryBounds(doc, p, storyFirst, storyLast);
    std::int32_t start = p;
    std::int32_t end = p;
    if (!IsRowEnd(doc, p)) {
        while (start > storyFirst && InTablePar(doc, start - 1) && !EndsCellOrRow(doc, start - 1))
            --start;
        while (!EndsCellOrRow(doc, end) && end < storyLast && InTablePar(doc, end + 1))
            ++end;
    }
    MakeFragment(start, 0, end, doc.Par(end)->CharCount(), range);
}

void NthCellRange(const TDoc& doc, std::int32_t rowStart, std::int32_t n, TFragment& range) {
    std::int32_t storyFirst = 0, storyLast = 0;
    StoryBounds(doc, rowStart, storyFirst, storyLast);
    CellRange(doc, rowStart, range);
    for (std::int32_t i = 0;
         i < n && !IsRowEnd(doc, range.End.Par) && range.End.Par < storyLast && InTablePar(doc, range.End.Par + 1); ++i)
        CellRange(doc, range.End.Par + 1, range);
}

void RowRange(const TDoc& doc, std::int32_t p, TFragment& range) {
    std::int32_t storyFirst = 0, storyLast = 0;
    StoryBounds(doc, p, storyFirst, storyLast);
    std::int32_t start = p;
    while (start > storyFirst && InTablePar(doc, start - 1) && !IsRowEnd(doc, start - 1))
        --start;
    std::int32_t end = p;
    while (!IsRowEnd(doc, end) && end < storyLast && InTablePar(doc, end + 1))
        ++end;
    // A row that no row end closes runs to the table's last paragraph.
    MakeFragment(start, 0, end, IsRowEnd(doc, end) ? 1 : doc.Par(end)->CharCount(), range);
}

void TableRange(TDoc& doc, std::int32_t p, TFragment& range) {
    for (std::size_t i = doc.TableCacheRanges.size(); i-- > 0;) {
        const TFragment& cached = doc.TableCacheRanges[i];
        if (cached.Start.Par <= p && p <= cached.End.Par) {
            range = cached;
            return;
        }
    }
    std::int32_t storyFirst = 0, storyLast = 0;
    StoryBounds(doc, p, storyFirst, storyLast);
    std::int32_t first = p;
    while (first > storyFirst && InTablePar(doc, first - 1))
        --first;
    std::int32_t last = p;
    while (last < storyLast && InTablePar(doc, last + 1))
        ++last;
    MakeFragment(first, 0, last, doc.Par(last)->CharCount(), range);
    // Until layout keeps them, the rows learn their index and paragraphs
    // here, where the walk finds them anyway.
    std::vector<TTableRow*> rows;
    std::int32_t rowStart = first;
    for (std::int32_t q = first; q <= last; ++q) {
        if (!IsRowEnd(doc, q))
            continue;
        if (TTableRow* row = RowOfRowEnd(doc, q)) {
            row->RowIndex = static_cast<std::int32_t>(rows.size());
            MakeFragment(rowStart, 0, q, 1, row->Range);
            rows.push_back(row);
        }
        rowStart = q + 1;
    }
    doc.TableCacheRanges.push_back(range);
    doc.TableCacheRows.push_back(std::move(rows));
}

void TableRows(TDoc& doc, std::int32_t p, std::vector<TTableRow*>& rows, TFragment& range) {
    TableRange(doc, p, range);
    for (std::size_t i = doc.TableCacheRanges.size(); i-- > 0;)
        if (FragmentsEqual(doc.TableCacheRanges[i], range)) {
            const std::vector<TTableRow*>& cached = doc.TableCacheRows[i];
            rows.insert(rows.end(), cached.begin(), cached.end());
            return;
        }
}

void CurrentTableRows(TDoc& doc, std::vector<TTableRow*>& rows, TFragment& range) {
    std::int32_t p = doc.Caret.Par;
    if (!IsEmptyCompoundFragment(doc.Selection))
        p = doc.Selection->Fragment(0).Start.Par;
    TableRows(doc, p, rows, range);
}

std::vector<std::int32_t> TableColumnEdges(TDoc& doc, std::int32_t p, const std::vector<TTableRow*>* rows, bool merge) {
    std::vector<TTableRow*> own;
    if (rows == nullptr) {
        TFragment range{};
        TableRows(doc, p, own, range);
        rows = &own;
    }
    std::vector<std::int32_t> values;
    std::vector<std::int32_t> counts;
    const auto count = [&](std::int32_t x) {
        const auto it = std::find(values.begin(), values.end(), x);
        if (it != values.end()) {
            ++counts[it - values.begin()];
        } else {
            values.push_back(x);
            counts.push_back(1);
        }
    };
    for (const TTableRow* row : *rows) {
        count(row->Data.LeftEdge);
        for (std::int32_t c = 0; c < std::min(row->Data.CellCount, MaxTableCells); ++c)
            count(row->Data.Cells[c].RightEdge);
    }
    // A plain exchange sort keeps the order of the counts beside the values.
    for (std::size_t i = 0; i < values.size(); ++i)
        for (std::size_t j = i + 1; j < values.size(); ++j)
            if (values[j] < values[i]) {
                std::swap(values[i], values[j]);
                std::swap(counts[i], counts[j]);
            }
    if (merge) {
        for (std::size_t i = values.size(); i-- > 1;) {
            if (!TwipsNearlyEqual(values[i - 1], values[i]))
                continue;
            const std::size_t goes = counts[i - 1] < counts[i] ? i - 1 : i;
            values.erase(values.begin() + static_cast<std::ptrdiff_t>(goes));
            counts.erase(counts.begin() + static_cast<std::ptrdiff_t>(goes));
            // The scan goes on below the pair.
            if (i-- == 1)
                break;
        }
    }
    return values;
}

TCompoundFragment* SplitRangesByRows(const TDoc& doc, const TCompoundFragment& set) {
    TCompoundFragment* out = NewCompoundFragment();
    std::vector<TFragment> pieces;
    for (std::int32_t i = 0; i < set.Count(); ++i) {
        const TFragment f = set.Fragment(i);
        TTextPos start = f.Start;
        for (std::int32_t q = f.Start.Par; q <= f.End.Par && q < doc.ParCount(); ++q) {
            if (!IsRowEnd(doc, q))
                continue;
            if (q > start.Par) {
                TFragment piece{};
                MakeFragment(start.Par, start.Offset, q - 1, doc.Par(q - 1)->CharCount(), piece);
                if (CompareTextPos(piece.Start, piece.End) < 0)
                    pieces.push_back(piece);
            }
            MakeTextPos(q + 1, 0, start);
        }
        if (CompareTextPos(start, f.End) < 0) {
            TFragment piece{};
            MakeFragmentFromPositions(start, f.End, piece);
            pieces.push_back(piece);
        }
    }
    out->SetCount(std::max<std::int32_t>(1, static_cast<std::int32_t>(pieces.size())));
    for (std::size_t i = 0; i < pieces.size(); ++i)
        out->Fragment(static_cast<std::int32_t>(i)) = pieces[i];
    out->Normalize();
    return out;
}

std::vector<std::int32_t> MergedCellsBelow(TDoc& doc, std::int32_t p) {
    std::vector<std::int32_t> below;
    const TTableRow* row = TableRowOf(doc, p);
    const std::int32_t c = CellIndex(doc, p);
    if (row == nullptr || c >= row->Data.CellCount || row->Data.Cells[c].FirstOfMerge == 0)
        return below;
    std::vector<TTableRow*> rows;
    TFragment table{};
    TableRows(doc, p, rows, table);
    const std::int32_t x = row->Data.Cells[c].RightEdge;
    for (std::int32_t j = IndexOfRow(rows, row) + 1; j > 0 && j < static_cast<std::int32_t>(rows.size()); ++j) {
        const std::int32_t d = CellWithEdge(rows[j]->Data, x);
        if (d < 0 || !rows[j]->Data.Cells[d].IsContinuation())
            break;
        below.push_back(d);
    }
    return below;
}

bool InMergedCell(TDoc& doc, std::int32_t p) {
    if (!InTablePar(doc, p))
        return false;
    const TTableRow* row = TableRowOf(doc, p);
    const std::int32_t c = CellIndex(doc, p);
    return row != nullptr && c < std::min(row->Data.CellCount, MaxTableCells) && row->Data.Cells[c].IsContinuation();
}

std::int32_t MergedCellOrigin(TDoc& doc, std::int32_t p) {
    if (!InMergedCell(doc, p))
        return p;
    const TTableRow* row = TableRowOf(doc, p);
    const std::int32_t x = row->Data.Cells[CellIndex(doc, p)].RightEdge;
    std::vector<TTableRow*> rows;
    TFragment table{};
    TableRows(doc, p, rows, table);
    for (std::int32_t j = IndexOfRow(rows, row) - 1; j >= 0; --j) {
        const std::int32_t c = CellWithEdge(rows[j]->Data, x);
        if (c < 0 || rows[j]->Data.Cells[c].Merged == 0)
            break;
        if (rows[j]->Data.Cells[c].FirstOfMerge != 0) {
            TFragment cell{};
            NthCellRange(doc, rows[j]->Range.Start.Par, c, cell);
            return cell.Start.Par;
        }
    }
    return table.Start.Par;
}

void LeaveRowEnd(TDoc& doc) {
    if (!IsRowEnd(doc, doc.Caret.Par))
        return;
    std::int32_t p = doc.Caret.Par + 1;
    while (p < doc.ParCount() - 1 && InMergedCell(doc, p))
        ++p;
    if (p >= doc.ParCount())
        return;
    MakeTextPos(p, 0, doc.Caret);
}

void ApplyRowData(TDoc& doc, TTableRow* row, const TTableRowData& data) {
    auto* step = new TFormatRowsOperation(&doc);
    if (!step->AddRow(row, data)) {
        delete step;
        return;
    }
    step->Execute();
}

bool RepairTable(TDoc& doc, std::int32_t p) {
    if (doc.TableRepairSuspended != 0 || p < 0 || p >= doc.ParCount())
        return false;
    doc.PushStateFlag(sfTableRepairRunning);
    doc.PushStateFlag(sfDeleteWholeCells);
    TFlagScope pop(doc, 2);
    if (!InTablePar(doc, p)) {
        MendStrayMark(doc, p);
        return false;
    }
    doc.ClearTableCache();
    TFragment table{};
    TableRange(doc, p, table);
    const std::int32_t first = table.Start.Par;
    if (MendTableText(doc, first, table.End.Par) < first)
        return false;  // no row end at all: the paragraphs left the table

    std::vector<TTableRow*> rows;
    TableRows(doc, first, rows, table);
    MatchCellCounts(doc, rows);
    rows.clear();
    TableRows(doc, first, rows, table);
    const bool deleted = DeleteDeadRows(doc, rows);
    if (first < doc.ParCount() && InTablePar(doc, first))
        RepairRows(doc, first);
    return deleted;
}
