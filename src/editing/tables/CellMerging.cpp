#include "editing/tables/CellMerging.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "base/core/ObjectHandles.h"
#include "base/messages/MessageBoxes.h"
#include "editing/tables/RowFormatting.h"
#include "editing/tables/TableEditGrid.h"
#include "editing/tables/TableLimits.h"
#include "editing/tables/TableSelection.h"
#include "editing/tables/TableStructure.h"
#include "model/document/TPostActions.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TParFormat.h"
#include "model/formats/Tolerances.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/TFastReplaceTextOperation.h"

namespace {

// Pops the state flags an operation pushed, on every way out.
class TFlagScope {
public:
    TFlagScope(TDoc& doc, std::uint8_t flag) : Doc(doc) { Doc.PushStateFlag(flag); }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;
    ~TFlagScope() { Doc.PopStateFlag(); }

private:
    TDoc& Doc;
};

TTextPos EndOf(const TDoc& doc, std::int32_t p) {
    return TTextPos{p, doc.Par(p)->CharCount()};
}

// Gives the last character of paragraph p (its mark) another code.
void SetMark(TDoc& doc, std::int32_t p, std::uint8_t mark) {
    const TPar* par = doc.Par(p);
    const std::int32_t n = par->CharCount();
    if (n == 0 || par->Chars.Data[n - 1] == mark)
        return;
    (new TFastReplaceTextOperation2(&doc, p, n - 1, mark))->Execute();
}

void DeleteParagraphs(TDoc& doc, std::int32_t first, std::int32_t last) {
    doc.DeleteText(nullptr, TTextPos{first, 0}, TTextPos{last + 1, 0}, 0);
}

// Inserts count empty cells right after the cell whose last paragraph is
// last. The marks go in before that cell's own mark, which then ends the
// last new cell: nothing is ever inserted into a row-end paragraph.
void InsertEmptyCellsAfter(TDoc& doc,
                           std::int32_t last,
                           std::int32_t count,
                           const TCharFormat& chars,
                           const TParFormat& format) {
    if (count <= 0)
        return;
    TMemory stream;
    AppendCharFormatControls(stream, chars);
    for (std::int32_t i = 0; i < count; ++i) {
        AppendFormatControl(stream, fcCellEnd, 0);
        AppendParagraphMark(stream, i == 0 ? doc.Par(last)->Format : format);
    }
    const TTextPos at{last, doc.Par(last)->CharCount() - 1};
    doc.InsertFormatted(stream, at, 0, doc.StoryOfPar(last), count, nullptr);
}

// An embedded object (a kind 7 field) starts in paragraph p.
bool HoldsObject(const TDoc& doc, std::int32_t p) {
    const TPar* par = doc.Par(p);
    TStreamElement element;
    for (std::int32_t at = 0; at < par->Stream.Size; at += std::max(element.Length, 1)) {
        ReadStreamElement(par->Stream.Data, par->Stream.Size, at, element);
        if (element.Truncated)
            break;
        if (element.IsControl && element.Code == fcFieldStart && element.Value > 0) {
            const auto* field = HandleTo<TField>(static_cast<TObjectHandle>(element.Value));
            if (field != nullptr && field->Kind == fkInlineObject)
                return true;
        }
    }
    return false;
}

bool SelectionInOneTable(TDoc& doc) {
    if (IsEmptyCompoundFragment(doc.Selection))
        return false;
    const std::int32_t first = doc.Selection->Fragment(0).Start.Par;
    const std::int32_t last = doc.Selection->Fragment(doc.Selection->Count() - 1).End.Par;
    if (!InTablePar(doc, first) || first < 0 || last >= doc.ParCount())
        return false;
    TFragment table{};
    TableRange(doc, first, table);
    return last >= table.Start.Par && last <= table.End.Par;
}

// The cell a range touches: any character of it, or the place of an empty
// range.
bool RangeTouches(const TFragment& range, const TFragment& cell) {
    if (FragmentIsEmpty(range))
        return CompareTextPos(range.Start, cell.Start) >= 0 && CompareTextPos(range.Start, cell.End) < 0;
    return CompareTextPos(range.Start, cell.End) < 0 && CompareTextPos(range.End, cell.Start) > 0;
}

// The rows the cell c of grid row r covers: itself and the continuation
// cells below it when it begins a merge.
std::int32_t MergeDepth(const TEditGrid& grid, std::size_t r, std::int32_t c) {
    const TTableCell& cell = grid.Rows[r].Row->Data.Cells[c];
    if (cell.FirstOfMerge == 0)
        return 0;
    std::int32_t depth = 0;
    for (std::size_t j = r + 1; j < grid.Rows.size(); ++j) {
        const std::int32_t d = CellAtEdge(grid.Rows[j].Row->Data, cell.RightEdge);
        if (d < 0 || !grid.Rows[j].Row->Data.Cells[d].IsContinuation())
            break;
        ++depth;
    }
    return depth;
}

void SelectResult(TDoc& doc, const TCompoundFragment& result, const TTextPos& caret) {
    doc.Selection->Assign(result);
    doc.Caret = caret;
    TPostActions& pa = doc.PostActions();
    pa.Selection->Assign(result);
    pa.Caret = caret;
}

void SelectNothing(TDoc& doc, const TTextPos& caret) {
    doc.Selection->Reset();
    doc.Caret = caret;
    TPostActions& pa = doc.PostActions();
    pa.Selection->Reset();
    pa.Caret = caret;
}

// Positions recorded while a split runs, kept valid while paragraphs come
// and go before them.
class TPositions {
public:
    void Add(const TFragment& range) { Ranges.push_back(range); }
    TFragment& Last() { return Ranges.back(); }
    bool Empty() const { return Ranges.empty(); }
    void Inserted(std::int32_t at, std::int32_t n) {
        for (TFragment& f : Ranges) {
            Shift(f.Start, at, n);
            Shift(f.End, at, n);
        }
    }
    void Deleted(std::int32_t at, std::int32_t n) {
        for (TFragment& f : Ranges) {
            Drop(f.Start, at, n);
            Drop(f.End, at, n);
        }
    }
    TCompoundFragment* Fragment() const {
        TCompoundFragment* set = NewCompoundFragment();
        set->SetCount(std::max<std::int32_t>(1, static_cast<std::int32_t>(Ranges.size())));
        for (std::size_t i = 0; i < Ranges.size(); ++i)
            set->Fragment(static_cast<std::int32_t>(i)) = Ranges[i];
        set->Normalize();
        return set;
    }

private:
    static void Shift(TTextPos& pos, std::int32_t at, std::int32_t n) {
        if (pos.Par >= at)
            pos.Par += n;
    }
    static void Drop(TTextPos& pos, std::int32_t at, std::int32_t n) {
        if (pos.Par >= at + n)
            pos.Par -= n;
        else if (pos.Par >= at)
            pos = TTextPos{at, 0};
    }
    std::vector<TFragment> Ranges;
};

class TCellSplitter {
public:
    TCellSplitter(TDoc& doc, std::int32_t columns, std::int32_t rows) : Doc(doc), K(columns), M(rows) {}

    // False when some row would hold more than MaxTableCells cells.
    bool Fits(const std::vector<std::int32_t>& starts) const;
    void Split(std::int32_t start);
    TPositions Result;

private:
    void SplitVertically(std::int32_t start);
    void AddRowBelow(std::int32_t rowPar, std::int32_t x);
    void StartGroup(std::int32_t& xFirst,
                    std::int32_t& xLast,
                    std::int32_t share0,
                    std::int32_t share,
                    std::int32_t rowPar,
                    std::int32_t x);
    void SplitHorizontally(std::int32_t start);
    void SplitOneCell(std::int32_t start, bool record);

    TDoc& Doc;
    std::int32_t K;
    std::int32_t M;
};

bool TCellSplitter::Fits(const std::vector<std::int32_t>& starts) const {
    if (K < 2)
        return true;
    const TEditGrid grid = EditGrid(Doc, starts.empty() ? 0 : starts.front());
    std::map<std::int32_t, std::int32_t> added;  // row index -> cells the split adds
    for (std::int32_t p : starts) {
        const std::int32_t r = grid.RowOf(p);
        if (r < 0)
            continue;
        const std::int32_t c = EditGridCellOf(grid.Rows[r], p);
        if (c >= grid.Rows[r].Row->Data.CellCount || grid.Rows[r].Row->Data.Cells[c].IsContinuation())
            continue;
        // The cell and the continuations of its merge each become K cells;
        // rows a vertical split adds copy a row of these.
        const std::int32_t depth = MergeDepth(grid, static_cast<std::size_t>(r), c);
        for (std::int32_t j = r; j <= r + depth; ++j)
            added[j] += K - 1;
    }
    for (const auto& [r, n] : added)
        if (grid.Rows[r].Row->Data.CellCount + n > MaxTableCells)
            return false;
    return true;
}

void TCellSplitter::Split(std::int32_t start) {
    const TEditGrid grid = EditGrid(Doc, start);
    const std::int32_t r = grid.RowOf(start);
    if (r < 0)
        return;
    const std::int32_t c = EditGridCellOf(grid.Rows[r], start);
    if (c >= grid.Rows[r].Row->Data.CellCount || grid.Rows[r].Row->Data.Cells[c].IsContinuation())
        return;
    if (M > 1)
        SplitVertically(start);
    SplitOneCell(start, true);
}

// Adds a row below the row that starts at rowPar: a copy of it in which
// every cell continues the merge above except the cell at x, each cell
// one empty paragraph. The cells of the row above, but x's, then begin
// merges that stretch over the new row.
void TCellSplitter::AddRowBelow(std::int32_t rowPar, std::int32_t x) {
    TEditGrid grid = EditGrid(Doc, rowPar);
    const std::int32_t r = grid.RowOf(rowPar);
    if (r < 0)
        return;
    const TEditGridRow& above = grid.Rows[r];
    const int story = Doc.StoryOfPar(above.End);
    if (above.End >= Doc.LastParOfStory(story))
        return;  // no paragraph after the table to insert before
    auto* row = new TTableRow;
    row->Data = above.Row->Data;
    row->Data.HeaderRow = above.Row->Data.HeaderRow;
    for (std::int32_t c = 0; c < row->Data.CellCount; ++c) {
        TTableCell& cell = row->Data.Cells[c];
        const bool column = TwipsNearlyEqual(cell.RightEdge, x);
        cell.FirstOfMerge = 0;
        cell.Merged = column ? 0 : 1;
    }
    Doc.TableRowList.Add(row);
    TCharFormat chars{};
    Doc.FormatAtPos(TTextPos{above.First, 0}, chars);
    TMemory stream;
    AppendCharFormatControls(stream, chars);
    const TParFormat cellFormat = Doc.Par(above.First)->Format;
    for (std::int32_t c = 0; c < row->Data.CellCount; ++c) {
        AppendFormatControl(stream, fcCellEnd, 0);
        AppendParagraphMark(stream, cellFormat);
    }
    AppendFormatControl(stream, fcRowEnd, static_cast<std::int32_t>(ObjectHandle(row)));
    AppendParagraphMark(stream, Doc.Par(above.End)->Format);
    const std::int32_t parEnds = row->Data.CellCount + 1;
    Doc.InsertFormatted(stream, TTextPos{above.End + 1, 0}, 0, story, parEnds, nullptr);
    Result.Inserted(above.End + 1, parEnds);

    TTableRowData data = above.Row->Data;
    for (std::int32_t c = 0; c < data.CellCount; ++c) {
        TTableCell& cell = data.Cells[c];
        if (cell.FirstOfMerge == 0 && cell.Merged == 0 && !TwipsNearlyEqual(cell.RightEdge, x))
            cell.FirstOfMerge = cell.Merged = 1;
    }
    ApplyRowData(Doc, above.Row, data);
}

// Starts group g in the row that begins at rowPar: its cell at x begins a
// merge of its own and receives the next share paragraphs after the first
// share0 of the cell xFirst .. xLast being split.
void TCellSplitter::StartGroup(std::int32_t& xFirst,
                               std::int32_t& xLast,
                               std::int32_t share0,
                               std::int32_t share,
                               std::int32_t rowPar,
                               std::int32_t x) {
    TEditGrid grid = EditGrid(Doc, rowPar);
    const std::int32_t r = grid.RowOf(rowPar);
    if (r < 0)
        return;
    const std::int32_t c = CellAtEdge(grid.Rows[r].Row->Data, x);
    if (c < 0 || c >= static_cast<std::int32_t>(grid.Rows[r].Cells.size()))
        return;
    TTableRowData data = grid.Rows[r].Row->Data;
    data.Cells[c].FirstOfMerge = data.Cells[c].Merged = 1;
    ApplyRowData(Doc, grid.Rows[r].Row, data);

    const std::int32_t b0 = xFirst + share0;
    if (b0 > xLast)
        return;  // nothing to spare: the group's cell stays empty
    const std::int32_t b1 = std::min(b0 + share - 1, xLast);
    const std::int32_t count = b1 - b0 + 1;
    const TEditGridCell target = grid.Rows[r].Cells[c];
    const std::int32_t at = target.First;
    // The target's empty paragraph gives way to the block; a target that
    // holds text (which a continuation should not) keeps it after the block.
    const bool empty = IsEmptyGridCell(Doc, target);
    if (empty) {
        DeleteParagraphs(Doc, target.First, target.First);
        Result.Deleted(target.First, 1);
    }
    MoveParagraphs(Doc, b0, b1, at);
    Result.Deleted(b0, count);
    Result.Inserted(at - count, count);
    if (empty)
        SetMark(Doc, at - 1, chCellEnd);
    if (b1 == xLast) {
        SetMark(Doc, b0 - 1, chCellEnd);
        xLast = b0 - 1;
    } else {
        xLast -= count;
    }
}

void TCellSplitter::SplitVertically(std::int32_t start) {
    TEditGrid grid = EditGrid(Doc, start);
    std::int32_t r = grid.RowOf(start);
    const std::int32_t c = EditGridCellOf(grid.Rows[r], start);
    const std::int32_t x = grid.Rows[r].Row->Data.Cells[c].RightEdge;
    const std::int32_t s = static_cast<std::int32_t>(MergedCellsBelow(Doc, start).size());
    if (M - 1 > s) {
        // Rows the split adds, spread over the rows the cell spans, bottom
        // up so that the rows above keep their paragraphs.
        const std::int32_t extra = M - 1 - s;
        for (std::int32_t i = s; i >= 0; --i) {
            const std::int32_t n = s == 0 ? extra : extra / (s + 1) + (i < extra % (s + 1) ? 1 : 0);
            for (std::int32_t k = 0; k < n; ++k) {
                grid = EditGrid(Doc, start);
                AddRowBelow(grid.Rows[r + i].First, x);
            }
        }
    }
    grid = EditGrid(Doc, start);
    r = grid.RowOf(start);
    std::int32_t xFirst = grid.Rows[r].Cells[c].First;
    std::int32_t xLast = grid.Rows[r].Cells[c].Last;
    const std::int32_t n = xLast - xFirst + 1;
    const std::int32_t below = std::max(M - 1, s);
    const double q = static_cast<double>(M) / (s + 1);
    std::vector<std::int32_t> starters;  // row offsets below the cell, with their groups
    std::int32_t next = 1;
    for (std::int32_t j = 1; j <= below && next <= M - 1; ++j) {
        bool starts = M - 1 >= s;
        if (!starts) {
            const double here = j * q;
            const double there = (j + 1) * q;
            starts = std::nearbyint(here) == next &&
                     (std::nearbyint(there) > next || std::abs(here - next) < std::abs(there - next));
        }
        if (starts) {
            starters.push_back(j);
            ++next;
        }
    }
    const std::int32_t share0 = ParagraphShare(n, M, 0);
    for (std::size_t g = 0; g < starters.size(); ++g) {
        grid = EditGrid(Doc, start);
        r = grid.RowOf(start);
        const std::int32_t rowIndex = r + starters[g];
        if (rowIndex >= static_cast<std::int32_t>(grid.Rows.size()))
            break;
        StartGroup(xFirst, xLast, share0, ParagraphShare(n, M, static_cast<std::int32_t>(g) + 1),
                   grid.Rows[rowIndex].First, x);
    }
    // Each group's cell is divided into columns too, from the lowest up.
    for (std::size_t g = starters.size(); g-- > 0;) {
        grid = EditGrid(Doc, start);
        r = grid.RowOf(start);
        const std::int32_t rowIndex = r + starters[g];
        if (rowIndex >= static_cast<std::int32_t>(grid.Rows.size()))
            continue;
        const std::int32_t d = CellAtEdge(grid.Rows[rowIndex].Row->Data, x);
        if (d >= 0 && d < static_cast<std::int32_t>(grid.Rows[rowIndex].Cells.size()))
            SplitOneCell(grid.Rows[rowIndex].Cells[d].First, true);
    }
}

// Divides cell start into K cells in its row, and the continuation cells
// of its merge below it the same way, so that the merged column stays
// aligned. The cell's paragraphs are dealt out over the K cells.
void TCellSplitter::SplitOneCell(std::int32_t start, bool record) {
    TEditGrid grid = EditGrid(Doc, start);
    const std::int32_t r = grid.RowOf(start);
    if (r < 0)
        return;
    const std::int32_t c = EditGridCellOf(grid.Rows[r], start);
    if (c >= static_cast<std::int32_t>(grid.Rows[r].Cells.size()))
        return;
    const TEditGridCell cell = grid.Rows[r].Cells[c];
    if (record)
        Result.Add(GridCellRange(Doc, cell));
    if (K < 2)
        return;
    const std::vector<std::int32_t> below = MergedCellsBelow(Doc, start);

    // The row data: K - 1 copies follow the cell; the last copy keeps the
    // cell's right edge, each earlier cell ends w before the next.
    TTableRowData data = grid.Rows[r].Row->Data;
    if (data.CellCount + K - 1 > MaxTableCells)
        return;
    const std::int32_t left = data.CellLeft(c);
    const std::int32_t right = data.Cells[c].RightEdge;
    const std::int32_t w = (right - left) / K;
    for (std::int32_t i = data.CellCount - 1; i > c; --i)
        data.Cells[i + K - 1] = data.Cells[i];
    for (std::int32_t i = 1; i < K; ++i)
        data.Cells[c + i] = data.Cells[c];
    for (std::int32_t i = 0; i < K; ++i)
        data.Cells[c + i].RightEdge = right - (K - 1 - i) * w;
    data.CellCount += K - 1;

    // The text: the cell's paragraphs are dealt out over the K cells in
    // order, and the cells left without paragraphs are new empty ones.
    const std::int32_t n = cell.Last - cell.First + 1;
    std::int32_t end = cell.First - 1;
    const std::int32_t filled = std::min(n, K);
    for (std::int32_t g = 0; g + 1 < filled; ++g) {
        end += ParagraphShare(n, K, g);
        SetMark(Doc, end, chCellEnd);
    }
    TCharFormat chars{};
    Doc.FormatAtPos(TTextPos{cell.First, 0}, chars);
    const TParFormat format = Doc.Par(cell.First)->Format;
    InsertEmptyCellsAfter(Doc, cell.Last, K - filled, chars, format);
    Result.Inserted(cell.Last + 1, K - filled);
    ApplyRowData(Doc, grid.Rows[r].Row, data);
    if (record)
        Result.Last().End = EndOf(Doc, cell.Last + K - filled);

    // The continuation cells below, row by row.
    for (std::size_t j = 0; j < below.size(); ++j) {
        grid = EditGrid(Doc, start);
        const std::size_t rowIndex = static_cast<std::size_t>(r) + 1 + j;
        if (rowIndex >= grid.Rows.size() || below[j] >= static_cast<std::int32_t>(grid.Rows[rowIndex].Cells.size()))
            break;
        SplitOneCell(grid.Rows[rowIndex].Cells[static_cast<std::size_t>(below[j])].First, false);
    }
}

}  // namespace

std::int32_t ParagraphShare(std::int32_t n, std::int32_t k, std::int32_t g) {
    if (k <= 0)
        return 1;
    return std::max(1, n / k + (g < n % k ? 1 : 0));
}

TMergeCellsInfo MergeCellsCheck(TDoc& doc) {
    TMergeCellsInfo info;
    if (!SelectionInOneTable(doc))
        return info;
    TCompoundFragment* split = SplitRangesByRows(doc, *doc.Selection);
    const auto release = [&split] { ReleaseCompoundFragment(split); };
    if (split->Count() == 1 && FragmentIsEmpty(split->Fragment(0))) {
        info.Reason = mrOnlyRowEnds;
        release();
        return info;
    }
    TFragment firstCell{};
    CellRange(doc, split->Fragment(0).Start.Par, firstCell);
    bool oneCell = true;
    for (std::int32_t i = 0; i < split->Count() && oneCell; ++i) {
        const TFragment& f = split->Fragment(i);
        oneCell = CompareTextPos(f.Start, firstCell.Start) >= 0 && CompareTextPos(f.End, firstCell.End) <= 0;
    }
    if (oneCell) {
        release();
        return info;
    }
    info.Reason = mrCannotMerge;

    const TEditGrid grid = EditGrid(doc, split->Fragment(0).Start.Par);
    std::map<std::int32_t, std::vector<std::pair<std::int32_t, std::int32_t>>> intervals;
    bool ok = true;
    std::int32_t highest = -1;
    const auto add = [&](std::int32_t r, std::int32_t left, std::int32_t right) {
        if (highest >= 0 && r > highest + 1)
            ok = false;
        highest = std::max(highest, r);
        auto& list = intervals[r];
        const auto at = std::find_if(list.begin(), list.end(), [left](const auto& v) { return v.first > left; });
        list.insert(at, {left, right});
    };
    for (std::int32_t i = 0; i < split->Count() && ok; ++i) {
        const TFragment& f = split->Fragment(i);
        const std::int32_t r = grid.RowOf(f.Start.Par);
        if (r < 0) {
            ok = false;
            break;
        }
        const TTableRowData& data = grid.Rows[r].Row->Data;
        for (std::size_t c = 0; c < grid.Rows[r].Cells.size() && c < static_cast<std::size_t>(data.CellCount); ++c) {
            if (!RangeTouches(f, GridCellRange(doc, grid.Rows[r].Cells[c])))
                continue;
            const TTableCell& cell = data.Cells[c];
            if (cell.IsContinuation())
                continue;
            const std::int32_t left = data.CellLeft(static_cast<std::int32_t>(c));
            const std::int32_t depth = MergeDepth(grid, static_cast<std::size_t>(r), static_cast<std::int32_t>(c));
            for (std::int32_t j = 0; j <= depth; ++j)
                add(r + j, left, cell.RightEdge);
        }
    }
    release();
    if (!ok || intervals.empty())
        return info;
    for (const auto& [r, list] : intervals)
        for (std::size_t i = 1; i < list.size(); ++i)
            if (list[i].first != list[i - 1].second)
                return info;
    const auto& first = intervals.begin()->second;
    const std::int32_t left = first.front().first;
    const std::int32_t right = first.back().second;
    for (const auto& [r, list] : intervals)
        if (list.front().first != left || list.back().second != right)
            return info;
    info.Ok = true;
    info.LeftX = left;
    info.RightX = right;
    info.FirstRow = intervals.begin()->first;
    info.LastRow = intervals.rbegin()->first;
    return info;
}

void MergeCells(TDoc& doc) {
    const TMergeCellsInfo info = MergeCellsCheck(doc);
    if (!info.Ok)
        return;
    TFlagScope flag(doc, sfDeleteWholeCells);
    const std::int32_t tablePar = doc.Selection->Fragment(0).Start.Par;
    TEditGrid grid = EditGrid(doc, tablePar);
    if (info.LastRow >= static_cast<std::int32_t>(grid.Rows.size()))
        return;
    const std::int32_t rowCount = info.LastRow - info.FirstRow + 1;
    std::vector<TTableRow*> rows;
    std::vector<TTableRowData> work;
    std::vector<std::int32_t> firstCells(static_cast<std::size_t>(rowCount), 0);
    for (std::int32_t i = 0; i < rowCount; ++i) {
        rows.push_back(grid.Rows[info.FirstRow + i].Row);
        work.push_back(rows.back()->Data);
    }

    // The cells each row merges, a .. b, found before anything changes.
    std::vector<std::pair<std::int32_t, std::int32_t>> spans(static_cast<std::size_t>(rowCount), {0, -1});
    for (std::int32_t i = 0; i < rowCount; ++i) {
        const TTableRowData& data = work[i];
        const std::int32_t n = std::min<std::int32_t>(
            data.CellCount, static_cast<std::int32_t>(grid.Rows[info.FirstRow + i].Cells.size()));
        if (n == 0)
            continue;
        std::int32_t b = n - 1;
        for (std::int32_t c = n - 2; c >= 0; --c)
            if (TwipsNearlyEqual(data.Cells[c].RightEdge, info.RightX)) {
                b = c;
                break;
            }
        std::int32_t a = 0;
        for (std::int32_t c = 0; c < n; ++c)
            if (TwipsDiffBeyondTolerance(data.Cells[c].RightEdge, info.LeftX) > 0) {
                a = c;
                break;
            }
        spans[static_cast<std::size_t>(i)] = {std::min(a, b), b};
    }
    // A row of automatic height whose other cells all belong to merges
    // keeps the height it has, taken from the layout while it is current:
    // once its visible cells become one, nothing else would hold it open.
    if (rowCount > 1)
        for (std::int32_t i = 0; i < rowCount; ++i) {
            TTableRowData& data = work[i];
            const auto [a, b] = spans[static_cast<std::size_t>(i)];
            if (data.Height != 0 || b < 0)
                continue;
            bool othersMerged = true;
            for (std::int32_t c = 0; c < data.CellCount && othersMerged; ++c)
                othersMerged = (c >= a && c <= b) || data.Cells[c].Merged != 0;
            if (!othersMerged)
                continue;
            for (std::int32_t c = a; c <= b; ++c)
                if (data.Cells[c].Merged == 0) {
                    data.Height = LaidOutCellHeight(doc, rows[static_cast<std::size_t>(i)], c);
                    break;
                }
        }

    for (std::int32_t i = rowCount - 1; i >= 0; --i) {
        const TEditGridRow& gridRow = grid.Rows[info.FirstRow + i];
        TTableRowData& data = work[i];
        const std::int32_t n = std::min<std::int32_t>(data.CellCount, static_cast<std::int32_t>(gridRow.Cells.size()));
        if (n == 0)
            continue;
        const auto [a, b] = spans[static_cast<std::size_t>(i)];
        if (b < 0)
            continue;
        firstCells[static_cast<std::size_t>(i)] = a;

        // The contents of a..b run on as paragraphs of one cell; empty
        // cells simply go, but one cell always stays.
        bool kept = false;
        for (std::int32_t c = b; c >= a; --c) {
            const TEditGridCell& cell = gridRow.Cells[static_cast<std::size_t>(c)];
            if (IsEmptyGridCell(doc, cell) && !HoldsObject(doc, cell.First) && (c != a || kept)) {
                DeleteParagraphs(doc, cell.First, cell.Last);
                continue;
            }
            if (kept)
                SetMark(doc, cell.Last, chParEnd);
            kept = true;
        }

        const TTableBorder rightBorder = data.Cells[b].Borders[tbRight];
        data.Cells[a].RightEdge = data.Cells[b].RightEdge;
        if (i == 0)
            data.Cells[a].Borders[tbRight] = rightBorder;
        for (std::int32_t c = b + 1; c < data.CellCount; ++c)
            data.Cells[a + c - b] = data.Cells[c];
        for (std::int32_t c = data.CellCount - (b - a); c < data.CellCount; ++c)
            data.Cells[c] = TTableCell{};
        data.CellCount -= b - a;
        data.Cells[a].Merged = 1;
        data.Cells[a].FirstOfMerge = i == 0 ? 1 : 0;
    }
    const TTableBorder bottom = work.back().Cells[firstCells.back()].Borders[tbBottom];
    for (std::int32_t i = 0; i < rowCount; ++i)
        work[i].Cells[firstCells[static_cast<std::size_t>(i)]].Borders[tbBottom] = bottom;
    TFormatRowsArgs args;
    args.Rows = rows;
    args.Data = work;
    args.TablePar = tablePar;
    FormatTableRows(doc, args);

    // The lower rows' cells move into the top cell, in reading order; empty
    // ones stay behind as the hidden continuation cells.
    for (std::int32_t i = 1; i < rowCount; ++i) {
        grid = EditGrid(doc, tablePar);
        const TEditGridRow& top = grid.Rows[info.FirstRow];
        const TEditGridRow& low = grid.Rows[info.FirstRow + i];
        const std::size_t ta = static_cast<std::size_t>(firstCells[0]);
        const std::size_t la = static_cast<std::size_t>(firstCells[static_cast<std::size_t>(i)]);
        if (ta >= top.Cells.size() || la >= low.Cells.size())
            continue;
        const TEditGridCell upper = top.Cells[ta];
        const TEditGridCell lower = low.Cells[la];
        if (IsEmptyGridCell(doc, lower))
            continue;
        const std::int32_t count = lower.Last - lower.First + 1;
        if (IsEmptyGridCell(doc, upper)) {
            // The two cells change places.
            MoveParagraphs(doc, lower.First, lower.Last, upper.First);
            MoveParagraphs(doc, upper.First + count, upper.First + count, lower.Last + 1);
            continue;
        }
        SetMark(doc, upper.Last, chParEnd);
        TCharFormat chars{};
        doc.FormatAtPos(TTextPos{lower.First, 0}, chars);
        TMemory stream;
        AppendCharFormatControls(stream, chars);
        AppendFormatControl(stream, fcCellEnd, 0);
        AppendParagraphMark(stream, doc.Par(lower.First)->Format);
        doc.InsertFormatted(stream, TTextPos{lower.First, 0}, 0, doc.StoryOfPar(lower.First), 1, nullptr);
        MoveParagraphs(doc, lower.First + 1, lower.Last + 1, upper.Last + 1);
    }

    RepairTable(doc, tablePar);
    grid = EditGrid(doc, tablePar);
    if (InTablePar(doc, tablePar) && info.FirstRow < static_cast<std::int32_t>(grid.Rows.size()) &&
        static_cast<std::size_t>(firstCells[0]) < grid.Rows[info.FirstRow].Cells.size()) {
        const TEditGridCell cell = grid.Rows[info.FirstRow].Cells[static_cast<std::size_t>(firstCells[0])];
        TCompoundFragment* result = NewCompoundFragment();
        result->Fragment(0) = GridCellRange(doc, cell);
        SelectResult(doc, *result, TTextPos{cell.First, 0});
        ReleaseCompoundFragment(result);
    } else {
        TFragment table{};
        TableRange(doc, std::min(tablePar, doc.ParCount() - 1), table);
        SelectNothing(doc, table.Start);
    }
}

void SplitCells(TDoc& doc, std::int32_t columns, std::int32_t rows) {
    columns = std::clamp(columns, 1, MaxTableCells);
    rows = std::clamp(rows, 1, MaxTableCells);
    const TTextPos caret = doc.Caret;
    if (!InTablePar(doc, IsEmptyCompoundFragment(doc.Selection) ? caret.Par : doc.Selection->Fragment(0).Start.Par))
        return;
    const std::vector<std::int32_t> starts = SelectedCellStarts(doc);
    if (starts.empty())
        return;
    TCellSplitter splitter(doc, columns, rows);
    if (!splitter.Fits(starts)) {
        ShowInformation(TooManyCellsMessage);
        return;
    }
    TFlagScope flag(doc, sfDeleteWholeCells);
    std::vector<std::int32_t> order = starts;
    std::sort(order.begin(), order.end());
    const std::int32_t tablePar = order.front();
    for (auto it = order.rbegin(); it != order.rend(); ++it)
        splitter.Split(*it);
    const bool deleted = RepairTable(doc, tablePar);
    TCompoundFragment* result = splitter.Result.Fragment();
    if (deleted)
        result->Reset();
    SelectResult(doc, *result, TTextPos{tablePar, 0});
    ReleaseCompoundFragment(result);
}

void SplitTable(TDoc& doc) {
    const std::int32_t p =
        IsEmptyCompoundFragment(doc.Selection) ? doc.Caret.Par : doc.Selection->Fragment(0).Start.Par;
    if (!InTablePar(doc, p))
        return;
    TEditGrid grid = EditGrid(doc, p);
    std::int32_t r = grid.RowOf(p);
    if (r < 0)
        return;
    // Continuation cells of the row become the first cells of merges of
    // their own, looking like the merge they continued.
    TTableRowData data = grid.Rows[r].Row->Data;
    bool changed = false;
    for (std::int32_t c = 0; c < data.CellCount; ++c) {
        if (!data.Cells[c].IsContinuation())
            continue;
        for (std::int32_t j = r - 1; j >= 0; --j) {
            const std::int32_t d = CellAtEdge(grid.Rows[j].Row->Data, data.Cells[c].RightEdge);
            if (d < 0)
                break;
            const TTableCell& above = grid.Rows[j].Row->Data.Cells[d];
            if (above.FirstOfMerge != 0) {
                data.Cells[c] = above;
                break;
            }
            if (above.Merged == 0)
                break;
        }
        data.Cells[c].FirstOfMerge = data.Cells[c].Merged = 1;
        changed = true;
    }
    if (changed) {
        ApplyRowData(doc, grid.Rows[r].Row, data);
        RepairTable(doc, grid.Rows[r].First);
        grid = EditGrid(doc, p);
        r = grid.RowOf(p);
        if (r < 0)
            return;
    }
    const std::int32_t at = grid.Rows[r].First;
    TParFormat format = doc.Par(at)->Format;
    format.InTable = 0;
    TCharFormat chars{};
    doc.FormatAtPos(TTextPos{at, 0}, chars);
    TMemory stream;
    AppendCharFormatControls(stream, chars);
    AppendParagraphMark(stream, format);
    doc.InsertFormatted(stream, TTextPos{at, 0}, 0, doc.StoryOfPar(at), 1, nullptr);
    SelectNothing(doc, TTextPos{at, 0});
}
