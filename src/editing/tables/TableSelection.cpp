#include "editing/tables/TableSelection.h"

#include <algorithm>
#include <vector>

#include "editing/tables/TableStructure.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/Tolerances.h"
#include "model/paragraphs/TPar.h"

namespace {

// Releases a pooled set on every way out.
class TPooled {
public:
    explicit TPooled(TCompoundFragment* set) : Set(set) {}
    TPooled(const TPooled&) = delete;
    TPooled& operator=(const TPooled&) = delete;
    ~TPooled() {
        if (Set != nullptr)
            ReleaseCompoundFragment(Set);
    }
    TCompoundFragment& operator*() const { return *Set; }
    TCompoundFragment* Release() {
        TCompoundFragment* s = Set;
        Set = nullptr;
        return s;
    }

private:
    TCompoundFragment* Set;
};

bool IsEmptySet(const TCompoundFragment& set) {
    for (std::int32_t i = 0; i < set.Count(); ++i)
        if (!FragmentIsEmpty(set.Fragment(i)))
            return false;
    return true;
}

TCompoundFragment* EmptySet() {
    return NewCompoundFragment();
}

std::vector<TFragment> Ranges(const TCompoundFragment& set) {
    std::vector<TFragment> out;
    for (std::int32_t i = 0; i < set.Count(); ++i)
        if (!FragmentIsEmpty(set.Fragment(i)))
            out.push_back(set.Fragment(i));
    return out;
}

TCompoundFragment* SetOf(const std::vector<TFragment>& ranges) {
    TCompoundFragment* set = NewCompoundFragment();
    set->SetCount(std::max<std::int32_t>(1, static_cast<std::int32_t>(ranges.size())));
    for (std::size_t i = 0; i < ranges.size(); ++i)
        set->Fragment(static_cast<std::int32_t>(i)) = ranges[i];
    set->Normalize();
    return set;
}

// The row of the table that holds paragraph p, by its index in rows; -1
// when none does.
std::int32_t RowIndexOf(const std::vector<TTableRow*>& rows, std::int32_t p) {
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i]->Range.Start.Par <= p && p <= rows[i]->Range.End.Par)
            return static_cast<std::int32_t>(i);
    return -1;
}

bool StartsCell(const TDoc& doc, const TTextPos& pos) {
    TFragment cell{};
    CellRange(doc, pos.Par, cell);
    return pos.Par == cell.Start.Par && pos.Offset == 0;
}

bool EndsCell(const TDoc& doc, const TTextPos& pos) {
    TFragment cell{};
    CellRange(doc, pos.Par, cell);
    return pos.Par == cell.End.Par && pos.Offset >= cell.End.Offset;
}

// The selection lies in one table (or the caret does): its first and last
// paragraphs are table paragraphs of the same table.
bool InOneTable(TDoc& doc, TFragment& table) {
    std::int32_t first = doc.Caret.Par;
    std::int32_t last = doc.Caret.Par;
    if (!IsEmptyCompoundFragment(doc.Selection) && !IsEmptySet(*doc.Selection)) {
        first = doc.Selection->Fragment(0).Start.Par;
        last = doc.Selection->Fragment(doc.Selection->Count() - 1).End.Par;
    }
    if (!InTablePar(doc, first) || !InTablePar(doc, last))
        return false;
    TableRange(doc, first, table);
    return table.Start.Par <= last && last <= table.End.Par;
}

std::int32_t CellCountOfRow(const TDoc& doc, const TTableRow& row) {
    return CellIndex(doc, row.Range.End.Par);
}

// The continuation cells below the first-of-merge cell that starts at
// paragraph p, as cell ranges.
void AddMergedBelow(TDoc& doc, const std::vector<TTableRow*>& rows, std::int32_t p, std::vector<TFragment>& out) {
    const std::int32_t row = RowIndexOf(rows, p);
    const std::vector<std::int32_t> below = MergedCellsBelow(doc, p);
    for (std::size_t j = 0; j < below.size() && row >= 0 &&
                            row + 1 + static_cast<std::int32_t>(j) < static_cast<std::int32_t>(rows.size());
         ++j) {
        TFragment cell{};
        NthCellRange(doc, rows[row + 1 + j]->Range.Start.Par, below[j], cell);
        out.push_back(cell);
    }
}

// The whole cells the pieces select, each as its cell's range, in text
// order; false when a piece takes part of a cell only. A piece may take
// several cells of a row at once: a selection dragged across cells is one
// range a row, one picked cell by cell is one range a cell, and both
// select the same cells. An end at the very start of a paragraph, or a
// start after its last character, takes nothing of that paragraph.
bool WholeCellsOf(const TDoc& doc, const std::vector<TFragment>& pieces, std::vector<TFragment>& cells) {
    for (const TFragment& piece : pieces) {
        std::int32_t p = piece.Start.Par;
        if (p < piece.End.Par && piece.Start.Offset >= doc.Par(p)->CharCount())
            ++p;
        const std::int32_t last = piece.End.Offset == 0 && piece.End.Par > p ? piece.End.Par - 1 : piece.End.Par;
        while (p <= last) {
            TFragment cell{};
            CellRange(doc, p, cell);
            if (CompareTextPos(piece.Start, cell.Start) > 0 || cell.End.Par > last ||
                CompareTextPos(piece.End, cell.End) < 0)
                return false;
            cells.push_back(cell);
            p = cell.End.Par + 1;
        }
    }
    return !cells.empty();
}

// The number of cells of the row, its row end not counted.
std::int32_t CellsOfRow(const TDoc& doc, const TTableRow& row) {
    std::int32_t n = 0;
    for (std::int32_t p = row.Range.Start.Par; p < row.Range.End.Par; ++n) {
        TFragment cell{};
        CellRange(doc, p, cell);
        p = cell.End.Par + 1;
    }
    return n;
}

}  // namespace

TCompoundFragment* CellsInXRange(TDoc& doc,
                                 const TFragment& table,
                                 std::int32_t lowRow,
                                 std::int32_t x1,
                                 std::int32_t x2,
                                 std::int32_t highRow) {
    std::vector<TTableRow*> rows;
    TFragment range{};
    TableRows(doc, table.Start.Par, rows, range);
    std::vector<TFragment> cells;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto index = static_cast<std::int32_t>(i);
        if (lowRow != AllTableRows && (index < lowRow || index > highRow))
            continue;
        const TTableRow& row = *rows[i];
        const std::int32_t n = CellCountOfRow(doc, row);
        for (std::int32_t c = 0; c <= n; ++c) {
            TFragment cell{};
            NthCellRange(doc, row.Range.Start.Par, c, cell);
            TViewPoint edges{};
            CellXBounds(doc, cell.Start.Par, edges);
            const std::int32_t left = edges.X, right = edges.Y;
            bool take;
            if (left == NoCellEdge)
                take = x1 == NoCellEdge;
            else
                take = (TwipsDiffBeyondTolerance(left, x1) >= 0 && TwipsDiffBeyondTolerance(left, x2) < 0) ||
                       (TwipsDiffBeyondTolerance(right, x1) > 0 && TwipsDiffBeyondTolerance(right, x2) <= 0) ||
                       (TwipsDiffBeyondTolerance(left, x1) < 0 && TwipsDiffBeyondTolerance(right, x2) > 0);
            if (take)
                cells.push_back(cell);
        }
    }
    return SetOf(cells);
}

std::int32_t TableSelectionType(TDoc& doc) {
    TFragment table{};
    if (!InOneTable(doc, table))
        return tsNone;
    std::vector<TTableRow*> rows;
    TableRows(doc, table.Start.Par, rows, table);
    const auto rowCount = static_cast<std::int32_t>(rows.size());
    if (IsEmptyCompoundFragment(doc.Selection) || IsEmptySet(*doc.Selection)) {
        const TTableRow* row = TableRowOf(doc, doc.Caret.Par);
        if (row == nullptr || CellCountOfRow(doc, *row) != 1)
            return tsNone;
        return rowCount > 1 ? tsRows : tsTable;
    }
    TPooled split(SplitRangesByRows(doc, *doc.Selection));
    if (IsEmptySet(*split))
        return doc.Selection->Count() == rowCount ? tsTable : tsRows;

    // Ranges that end at a cell's end take the continuation cells beside
    // them in their row: a hidden cell is never left out of a whole row.
    std::vector<TFragment> widened = Ranges(*doc.Selection);
    for (TFragment& r : widened) {
        if (!EndsCell(doc, r.End) || !InTablePar(doc, r.Start.Par))
            continue;
        while (r.Start.Offset == 0 && r.Start.Par > table.Start.Par && InMergedCell(doc, r.Start.Par - 1) &&
               !IsRowEnd(doc, r.Start.Par - 1)) {
            TFragment cell{};
            CellRange(doc, r.Start.Par - 1, cell);
            r.Start = cell.Start;
        }
        while (r.End.Par < table.End.Par && InMergedCell(doc, r.End.Par + 1)) {
            TFragment cell{};
            CellRange(doc, r.End.Par + 1, cell);
            r.End = cell.End;
        }
    }
    TPooled widenedSet(SetOf(widened));
    TPooled rowsSplit(SplitRangesByRows(doc, *widenedSet));
    // From here on the answer depends on which cells are selected, not on
    // how the ranges cut them.
    std::vector<TFragment> cells;
    if (WholeCellsOf(doc, Ranges(*rowsSplit), cells)) {
        // The row of each cell, walking rows and cells (both in text order)
        // together; -1 for a cell of a row without a row record. The cells
        // are distinct, so a row whose count of selected cells is its count
        // of cells is taken whole.
        std::vector<std::int32_t> rowOfCell;
        std::vector<std::int32_t> taken(rows.size(), 0);
        std::size_t at = 0;
        for (const TFragment& cell : cells) {
            while (at < rows.size() && rows[at]->Range.End.Par < cell.Start.Par)
                ++at;
            const bool inRow = at < rows.size() && rows[at]->Range.Start.Par <= cell.Start.Par;
            rowOfCell.push_back(inRow ? static_cast<std::int32_t>(at) : -1);
            if (inRow)
                ++taken[at];
        }
        bool wholeRows = std::find(rowOfCell.begin(), rowOfCell.end(), -1) == rowOfCell.end();
        std::int32_t touched = 0;
        for (std::size_t i = 0; i < rows.size() && wholeRows; ++i) {
            if (taken[i] == 0)
                continue;
            ++touched;
            wholeRows = taken[i] == CellsOfRow(doc, *rows[i]);
        }
        if (wholeRows)
            return touched == rowCount ? tsTable : tsRows;

        // A block of whole columns: the x ranges of the first touched row's
        // cells, looked up over every row, give exactly the selected cells.
        // Neighbouring cells look up their x range together.
        std::vector<TFragment> columns;
        for (std::size_t k = 0; k < cells.size() && rowOfCell[k] == rowOfCell.front();) {
            std::size_t last = k;
            while (last + 1 < cells.size() && rowOfCell[last + 1] == rowOfCell.front() &&
                   cells[last + 1].Start.Par == cells[last].End.Par + 1)
                ++last;
            TViewPoint left{}, right{};
            CellXBounds(doc, cells[k].Start.Par, left);
            CellXBounds(doc, cells[last].Start.Par, right);
            TPooled found(CellsInXRange(doc, table, AllTableRows, left.X, right.Y, 0));
            const std::vector<TFragment> more = Ranges(*found);
            columns.insert(columns.end(), more.begin(), more.end());
            k = last + 1;
        }
        TPooled columnSet(SetOf(columns));
        TPooled cellSet(SetOf(cells));
        if ((*columnSet).Equals(*cellSet))
            return tsColumns;
    }
    if (doc.IsCellSelection(&*split)) {
        const std::vector<TFragment> ranges = Ranges(*split);
        TFragment firstCell{}, lastCell{};
        CellRange(doc, ranges.front().Start.Par, firstCell);
        CellRange(doc, ranges.back().End.Par, lastCell);
        const TTableRow* row = TableRowOf(doc, firstCell.Start.Par);
        if (FragmentsEqual(firstCell, lastCell) && row != nullptr && CellCountOfRow(doc, *row) == 1)
            return tsRows;
    }
    return tsNone;
}

TCompoundFragment* SelectedCellBlock(TDoc& doc, const TFragment& table) {
    if (IsEmptyCompoundFragment(doc.Selection))
        return EmptySet();
    TPooled split(SplitRangesByRows(doc, *doc.Selection));
    std::vector<TFragment> ranges = Ranges(*split);
    if (ranges.empty())
        return EmptySet();
    for (const TFragment& r : ranges)
        if (!StartsCell(doc, r.Start) || !EndsCell(doc, r.End))
            return EmptySet();
    // Ranges separated only by continuation cells are one range.
    for (std::size_t i = ranges.size(); i-- > 1;) {
        std::int32_t p = ranges[i].Start.Par;
        while (p - 1 > ranges[i - 1].End.Par && InMergedCell(doc, p - 1) && !IsRowEnd(doc, p - 1))
            --p;
        if (p - 1 == ranges[i - 1].End.Par && !IsRowEnd(doc, p - 1)) {
            ranges[i - 1].End = ranges[i].End;
            ranges.erase(ranges.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    {
        TPooled set(SetOf(ranges));
        doc.NormalizeRanges(*set);
        ranges = Ranges(*set);
    }
    std::vector<TTableRow*> rows;
    TFragment whole{};
    TableRows(doc, table.Start.Par, rows, whole);
    // Whole merges: the continuations below every merge the block starts.
    bool merges = false;
    std::vector<TFragment> withMerges = ranges;
    for (const TFragment& r : ranges)
        for (std::int32_t p = r.Start.Par; p <= r.End.Par; ++p) {
            TFragment cell{};
            CellRange(doc, p, cell);
            if (cell.Start.Par != p)
                continue;
            const TTableRow* row = TableRowOf(doc, p);
            const std::int32_t c = CellIndex(doc, p);
            if (row != nullptr && c < row->Data.CellCount && row->Data.Cells[c].FirstOfMerge != 0) {
                merges = true;
                AddMergedBelow(doc, rows, p, withMerges);
            }
        }
    {
        TPooled set(SetOf(withMerges));
        doc.NormalizeRanges(*set);
        ranges = Ranges(*set);
    }
    // The checks that make it a block.
    const auto cellsOf = [&doc](const TFragment& r) {
        std::int32_t n = 0;
        for (std::int32_t p = r.Start.Par; p <= r.End.Par; ++p)
            if (EndsCellOrRow(doc, p))
                ++n;
        return n;
    };
    bool wide = false;
    for (const TFragment& r : ranges)
        wide = wide || cellsOf(r) >= 2;
    bool valid = wide && !ranges.empty();
    for (std::size_t i = 1; i < ranges.size() && valid; ++i) {
        const std::int32_t a = RowIndexOf(rows, ranges[i - 1].Start.Par);
        const std::int32_t b = RowIndexOf(rows, ranges[i].Start.Par);
        valid = a >= 0 && b == a + 1;
    }
    for (std::int32_t p = ranges.empty() ? 0 : ranges.front().Start.Par; valid && p <= ranges.front().End.Par; ++p)
        valid = !InMergedCell(doc, p);
    if (valid && merges) {
        TViewPoint firstLeft{}, firstRight{};
        CellXBounds(doc, ranges.front().Start.Par, firstLeft);
        CellXBounds(doc, ranges.front().End.Par, firstRight);
        for (const TFragment& r : ranges) {
            TViewPoint left{}, right{};
            CellXBounds(doc, r.Start.Par, left);
            CellXBounds(doc, r.End.Par, right);
            valid = valid && cellsOf(r) == cellsOf(ranges.front()) && left.X == firstLeft.X && right.Y == firstRight.Y;
        }
    }
    return valid ? SetOf(ranges) : EmptySet();
}

TCompoundFragment* SplitRangesIntoCells(const TDoc& doc, const TCompoundFragment& set) {
    std::vector<TFragment> joined;
    for (const TFragment& r : Ranges(set)) {
        TFragment cell{};
        CellRange(doc, r.Start.Par, cell);
        if (!joined.empty()) {
            TFragment before{};
            CellRange(doc, joined.back().Start.Par, before);
            if (FragmentsEqual(before, cell)) {
                if (CompareTextPos(r.End, joined.back().End) > 0)
                    joined.back().End = r.End;
                continue;
            }
        }
        joined.push_back(r);
    }
    std::vector<TFragment> cells;
    for (const TFragment& r : joined) {
        std::int32_t p = r.Start.Par;
        while (p <= r.End.Par && p < doc.ParCount()) {
            TFragment cell{};
            CellRange(doc, p, cell);
            if (cells.empty() || !FragmentsEqual(cells.back(), cell))
                cells.push_back(cell);
            p = cell.End.Par + 1;
            // A range that ends at the very start of a paragraph takes no
            // part of that paragraph's cell.
            if (p == r.End.Par && r.End.Offset == 0)
                break;
        }
    }
    return SetOf(cells);
}

std::vector<std::int32_t> SelectedCellStarts(TDoc& doc) {
    std::vector<std::int32_t> starts;
    if (IsEmptyCompoundFragment(doc.Selection) || IsEmptySet(*doc.Selection)) {
        TFragment cell{};
        CellRange(doc, doc.Caret.Par, cell);
        starts.push_back(cell.Start.Par);
        return starts;
    }
    TPooled cells(SplitRangesIntoCells(doc, *doc.Selection));
    for (const TFragment& cell : Ranges(*cells))
        if (std::find(starts.begin(), starts.end(), cell.Start.Par) == starts.end())
            starts.push_back(cell.Start.Par);
    return starts;
}
