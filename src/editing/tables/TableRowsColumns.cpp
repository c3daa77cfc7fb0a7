#include "editing/tables/TableRowsColumns.h"

#include <algorithm>
#include <climits>
#include <map>

#include "base/core/Geometry.h"
#include "base/core/ObjectHandles.h"
#include "base/messages/MessageBoxes.h"
#include "editing/tables/TableEditGrid.h"
#include "editing/tables/TableLimits.h"
#include "editing/tables/TableSelection.h"
#include "editing/tables/TableStructure.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TParFormat.h"
#include "model/formats/Tolerances.h"
#include "model/paragraphs/TPar.h"

namespace {

// Columns narrower than this are not made by sharing selected columns'
// width with a new one: the new column takes its own width instead.
constexpr std::int32_t MinSharedColumnWidth = 180;

std::int32_t CellWidth(const TTableRowData& d, std::int32_t c) {
    return d.Cells[c].RightEdge - d.CellLeft(c);
}

// The cell of d whose right edge is x, searched from the last; -1 when none.
std::int32_t CellEndingAt(const TTableRowData& d, std::int32_t x) {
    for (std::int32_t c = d.CellCount - 1; c >= 0; --c)
        if (TwipsNearlyEqual(d.Cells[c].RightEdge, x))
            return c;
    return -1;
}

// The index a cell starting at x has or would have: 0 when x is the row's
// left edge, c + 1 when cell c ends at x (the cell count when that is the
// last cell); -1 when x is no edge of the row.
std::int32_t CellStartingAt(const TTableRowData& d, std::int32_t x) {
    if (TwipsNearlyEqual(d.LeftEdge, x))
        return 0;
    const std::int32_t c = CellEndingAt(d, x);
    return c < 0 ? -1 : c + 1;
}

// Room for n more cells of width b before cell k of d, filled with copies
// of model from start on; the cells from k on end n * b later.
void AddCellDefinitions(TTableRowData& d, std::int32_t k, std::int32_t n, std::int32_t b, const TTableCell& model) {
    const std::int32_t start = d.CellLeft(k);
    for (std::int32_t c = d.CellCount - 1; c >= k; --c) {
        d.Cells[c + n] = d.Cells[c];
        d.Cells[c + n].RightEdge += n * b;
    }
    for (std::int32_t i = 0; i < n; ++i) {
        TTableCell& cell = d.Cells[k + i];
        cell = model;
        cell.Work[0] = cell.Work[1] = 0;
        cell.RightEdge = start + (i + 1) * b;
    }
    d.CellCount += n;
}

// Inserts n empty cells, one paragraph each in parFormat with the character
// format charFormat, before cell k of row, or after its last cell when k is
// the cell count. Nothing is inserted on a row end: the new marks then go
// before the last cell's own, which ends the last new cell. Returns the
// first new cell's paragraph.
std::int32_t InsertEmptyCells(TDoc& doc,
                              const TEditGridRow& row,
                              std::int32_t k,
                              std::int32_t n,
                              const TParFormat& parFormat,
                              const TCharFormat& charFormat) {
    const bool atEnd = k >= static_cast<std::int32_t>(row.Cells.size());
    const std::int32_t last = row.Cells.back().Last;
    const TTextPos pos = atEnd ? TTextPos{last, doc.Par(last)->CharCount() - 1} : TTextPos{row.Cells[k].First, 0};
    TMemory stream;
    AppendCharFormatControls(stream, charFormat);
    for (std::int32_t i = 0; i < n; ++i) {
        AppendFormatControl(stream, fcCellEnd, 0);
        AppendParagraphMark(stream, atEnd && i == 0 ? doc.Par(last)->Format : parFormat);
    }
    doc.InsertFormatted(stream, pos, 0, doc.StoryOfPar(pos.Par), n, nullptr);
    return atEnd ? last + 1 : pos.Par;
}

std::int32_t GridIndexOf(const TEditGrid& grid, const TTableRow* row) {
    for (std::size_t i = 0; i < grid.Rows.size(); ++i)
        if (grid.Rows[i].Row == row)
            return static_cast<std::int32_t>(i);
    return -1;
}

// A new row as the handle asks for it; false when the rows it names are
// not rows of the table. at receives where the new row starts.
bool InsertRowCopy(TDoc& doc, const TTableHandleHit& hit, TTextPos& at) {
    const TEditGrid grid = EditGrid(doc, hit.TablePar);
    const std::int32_t copyIndex = GridIndexOf(grid, hit.RowToCopy);
    const std::int32_t beforeIndex = hit.RowToInsertBefore != nullptr ? GridIndexOf(grid, hit.RowToInsertBefore) : -1;
    if (copyIndex < 0 || (hit.RowToInsertBefore != nullptr && beforeIndex < 0))
        return false;
    const TEditGridRow& copy = grid.Rows[static_cast<std::size_t>(copyIndex)];
    if (copy.Cells.empty())
        return false;
    // A new last row needs a paragraph after the table to go before; every
    // story ends with one outside any table.
    const int story = doc.StoryOfPar(copy.End);
    if (beforeIndex < 0 && grid.Last >= doc.LastParOfStory(story))
        return false;

    auto* row = new TTableRow;
    row->Data = copy.Row->Data;
    for (std::int32_t c = 0; c < MaxTableCells; ++c) {
        TTableCell& cell = row->Data.Cells[c];
        cell.Work[0] = cell.Work[1] = 0;
        // Below the last row there is nothing for a merge to continue.
        if (beforeIndex < 0)
            cell.FirstOfMerge = cell.Merged = 0;
    }
    doc.TableRowList.Add(row);

    TMemory stream;
    for (const TEditGridCell& cell : copy.Cells) {
        TCharFormat format;
        doc.FormatAtPos(TTextPos{cell.First, 0}, format);
        AppendCharFormatControls(stream, format);
        AppendFormatControl(stream, fcCellEnd, 0);
        AppendParagraphMark(stream, doc.Par(cell.First)->Format);
    }
    TCharFormat endFormat;
    doc.FormatAtPos(TTextPos{copy.End, 0}, endFormat);
    AppendCharFormatControls(stream, endFormat);
    AppendFormatControl(stream, fcRowEnd, static_cast<std::int32_t>(ObjectHandle(row)));
    AppendParagraphMark(stream, doc.Par(copy.End)->Format);
    at = beforeIndex >= 0 ? TTextPos{grid.Rows[static_cast<std::size_t>(beforeIndex)].First, 0}
                          : TTextPos{grid.Last + 1, 0};
    doc.InsertFormatted(stream, at, 0, story, static_cast<std::int32_t>(copy.Cells.size()) + 1, nullptr);
    return true;
}

bool AnyRowFull(const TEditGrid& grid, std::int32_t more) {
    for (const TEditGridRow& row : grid.Rows)
        if (row.Row->Data.CellCount + more > MaxTableCells)
            return true;
    return false;
}

// The selected cells of a row: the indexes of the cells a range touches.
std::vector<std::int32_t> SelectedCellsOfRow(const TEditGridRow& row, const std::vector<TFragment>& ranges) {
    std::vector<std::int32_t> cells;
    for (std::size_t c = 0; c < row.Cells.size(); ++c)
        for (const TFragment& f : ranges)
            if (f.Start.Par <= row.Cells[c].Last && LastParOf(f) >= row.Cells[c].First) {
                cells.push_back(static_cast<std::int32_t>(c));
                break;
            }
    return cells;
}

// A new column at the line x. Equal sharing: when whole columns are
// selected and the line is one of their edges, the new column takes its
// width from them, so that the table keeps its width.
bool InsertHandleColumn(TDoc& doc, const TTableHandleHit& hit, TTextPos& at) {
    TEditGrid grid = EditGrid(doc, hit.TablePar);
    if (grid.Rows.empty())
        return false;
    if (AnyRowFull(grid, 1)) {
        ShowInformation(TooManyCellsMessage);
        return false;
    }
    const std::int32_t x = hit.ColumnX;
    std::vector<TTableRowData> work;
    for (const TEditGridRow& row : grid.Rows)
        work.push_back(row.Row->Data);

    bool shared = false;
    std::int32_t n = 0;
    std::int32_t selectedWidth = 0;
    std::vector<std::int32_t> sharedEdges;
    const std::int32_t type = TableSelectionType(doc);
    if (type == tsColumns || type == tsTable) {
        const TTableRowData& d0 = work[0];
        const std::vector<std::int32_t> cells = SelectedCellsOfRow(grid.Rows[0], SelectedRanges(doc));
        std::int32_t narrowest = INT32_MAX;
        for (std::int32_t c : cells) {
            if (c >= d0.CellCount)
                continue;
            narrowest = std::min(narrowest, CellWidth(d0, c));
            selectedWidth += CellWidth(d0, c);
            sharedEdges.push_back(d0.Cells[c].RightEdge);
            ++n;
        }
        const std::int32_t atStart = CellStartingAt(d0, x);
        if (n > 0 && static_cast<std::int64_t>(n) * narrowest / (n + 1) >= MinSharedColumnWidth && atStart >= 0) {
            std::int32_t lo = cells.front(), hi = cells.back();
            if (atStart == 0) {
                lo = 0;
            } else {
                lo = std::min(lo, atStart - 1);
                hi = std::max(hi, atStart - 1);
            }
            shared = true;
            for (std::size_t i = 1; i < work.size() && shared; ++i) {
                if (work[i].CellCount <= hi) {
                    shared = false;
                    break;
                }
                for (std::int32_t c = lo; c <= hi && shared; ++c)
                    shared = TwipsNearlyEqual(work[i].Cells[c].RightEdge, d0.Cells[c].RightEdge);
            }
        }
    }

    std::int32_t b = INT32_MAX;
    if (shared) {
        b = selectedWidth / (n + 1);
    } else {
        for (const TTableRowData& d : work) {
            const std::int32_t c = CellStartingAt(d, x);
            if (c < 0 || d.CellCount == 0)
                continue;
            // At a row's last right edge no cell of the row starts; the
            // cell beside the line, its last, gives the row's width.
            b = std::min(b, CellWidth(d, std::min(c, d.CellCount - 1)));
        }
        if (b == INT32_MAX && work[0].CellCount > 0)
            b = CellWidth(work[0], work[0].CellCount - 1);
    }
    if (b == INT32_MAX || b <= 0)
        b = DefaultCellWidth;

    bool inserted = false;
    for (std::size_t i = work.size(); i-- > 0;) {
        TTableRowData d = work[i];
        const TEditGridRow& row = grid.Rows[i];
        if (TwipsDiffBeyondTolerance(d.LeftEdge, x) > 0) {
            // The whole row lies right of the line: it moves over.
            d.LeftEdge += b;
            for (std::int32_t c = 0; c < d.CellCount; ++c)
                d.Cells[c].RightEdge += b;
            ApplyRowData(doc, row.Row, d);
            continue;
        }
        const std::int32_t c = CellStartingAt(d, x);
        if (c < 0) {
            // The line crosses a cell: it grows by the new column's width.
            for (std::int32_t k = 0; k < d.CellCount; ++k) {
                if (TwipsDiffBeyondTolerance(d.CellLeft(k), x) < 0 &&
                    TwipsDiffBeyondTolerance(d.Cells[k].RightEdge, x) > 0) {
                    for (std::int32_t m = k; m < d.CellCount; ++m)
                        d.Cells[m].RightEdge += b;
                    ApplyRowData(doc, row.Row, d);
                    break;
                }
            }
            continue;
        }
        if (shared) {
            std::vector<std::int32_t> giving;
            for (std::int32_t k = 0; k < d.CellCount; ++k)
                for (std::int32_t edge : sharedEdges)
                    if (TwipsNearlyEqual(d.Cells[k].RightEdge, edge)) {
                        giving.push_back(k);
                        break;
                    }
            for (std::int32_t k : giving) {
                const std::int32_t w = CellWidth(d, k);
                const std::int32_t give = w - MulDiv(w, n, n + 1);
                for (std::int32_t m = k; m < d.CellCount; ++m)
                    d.Cells[m].RightEdge -= give;
            }
        }
        if (row.Cells.empty())
            continue;
        const std::int32_t source = std::max(0, c - 1);
        const TEditGridCell& model = row.Cells[static_cast<std::size_t>(
            std::min<std::int32_t>(source, static_cast<std::int32_t>(row.Cells.size()) - 1))];
        TCharFormat format;
        doc.FormatAtPos(TTextPos{model.First, 0}, format);
        const std::int32_t first = InsertEmptyCells(doc, row, c, 1, doc.Par(model.First)->Format, format);
        AddCellDefinitions(d, c, 1, b, d.Cells[source]);
        ApplyRowData(doc, row.Row, d);
        at = TTextPos{first, 0};
        inserted = true;
    }
    return inserted;
}

}  // namespace

void InsertAtTableHandle(TDoc& doc, const TTableHandleHit& hit) {
    if (hit.TablePar < 0 || hit.TablePar >= doc.ParCount() || !InTablePar(doc, hit.TablePar))
        return;
    TTextPos at{};
    bool done = false;
    {
        TTableEditScope scope(doc);
        if (hit.Kind == thRow)
            done = InsertRowCopy(doc, hit, at);
        else if (hit.Kind == thColumn)
            done = InsertHandleColumn(doc, hit, at);
    }
    if (!done)
        return;
    RepairTable(doc, std::min(at.Par, doc.ParCount() - 1));
    PlaceCaretAfterEdit(doc, at);
}

bool CanAddColumn(TDoc& doc) {
    const std::int32_t p = doc.Caret.Par;
    if (p < 0 || p >= doc.ParCount() || !InTablePar(doc, p))
        return true;
    if (!AnyRowFull(EditGrid(doc, p), 1))
        return true;
    ShowInformation(TooManyCellsMessage);
    return false;
}

void InsertRows(TDoc& doc, bool above) {
    std::vector<std::int32_t> pars;
    const std::vector<TFragment> ranges = SelectedRanges(doc);
    if (ranges.empty())
        pars.push_back(doc.Caret.Par);
    for (const TFragment& f : ranges)
        for (std::int32_t q = f.Start.Par; q <= LastParOf(f) && q < doc.ParCount(); ++q)
            pars.push_back(q);
    std::int32_t tablePar = -1;
    for (std::int32_t q : pars)
        if (q >= 0 && q < doc.ParCount() && InTablePar(doc, q)) {
            tablePar = q;
            break;
        }
    if (tablePar < 0)
        return;
    const TEditGrid grid = EditGrid(doc, tablePar);
    std::vector<std::int32_t> touched;
    for (std::int32_t q : pars) {
        const std::int32_t r = grid.RowOf(q);
        if (r >= 0)
            touched.push_back(r);
    }
    std::sort(touched.begin(), touched.end());
    touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
    if (touched.empty())
        return;
    // Runs of neighbouring rows, from the last: each run gets as many new
    // rows as it has, all copies of its first (above) or last (below) row.
    std::vector<std::pair<std::int32_t, std::int32_t>> runs;
    for (std::int32_t r : touched) {
        if (!runs.empty() && runs.back().second + 1 == r)
            runs.back().second = r;
        else
            runs.emplace_back(r, r);
    }
    TTextPos at{};
    bool done = false;
    {
        TTableEditScope scope(doc);
        for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
            const auto& rows = grid.Rows;
            TTableHandleHit hit;
            hit.Kind = thRow;
            hit.TablePar = grid.First;
            if (above) {
                hit.RowToCopy = rows[static_cast<std::size_t>(run->first)].Row;
                hit.RowToInsertBefore = hit.RowToCopy;
            } else {
                hit.RowToCopy = rows[static_cast<std::size_t>(run->second)].Row;
                const std::size_t next = static_cast<std::size_t>(run->second) + 1;
                hit.RowToInsertBefore = next < rows.size() ? rows[next].Row : nullptr;
            }
            for (std::int32_t i = run->first; i <= run->second; ++i)
                done = InsertRowCopy(doc, hit, at) || done;
        }
    }
    if (!done)
        return;
    RepairTable(doc, std::min(grid.First, doc.ParCount() - 1));
    PlaceCaretAfterEdit(doc, at);
}

bool InsertColumns(TDoc& doc, bool left, const std::vector<TFragment>* cells, bool checkOnly) {
    const std::vector<TFragment> selected = SelectedRanges(doc);
    std::int32_t p = doc.Caret.Par;
    if (cells != nullptr && !cells->empty())
        p = cells->front().Start.Par;
    else if (!selected.empty())
        p = selected.front().Start.Par;
    if (p < 0 || p >= doc.ParCount() || !InTablePar(doc, p))
        return false;
    const TEditGrid grid = EditGrid(doc, p);
    if (grid.Rows.empty())
        return false;

    std::vector<std::int32_t> rowIndexes;
    if (cells != nullptr) {
        const std::int32_t r = grid.RowOf(p);
        if (r < 0)
            return false;
        rowIndexes.push_back(r);
    } else {
        for (std::size_t i = 0; i < grid.Rows.size(); ++i)
            rowIndexes.push_back(static_cast<std::int32_t>(i));
    }

    std::vector<TFragment> ranges;
    bool rowEnds = false;
    if (cells != nullptr) {
        ranges = *cells;
    } else if (!selected.empty()) {
        TCompoundFragment* split = SplitRangesByRows(doc, *doc.Selection);
        for (std::int32_t i = 0; i < split->Count(); ++i)
            if (CompareTextPos(split->Fragment(i).Start, split->Fragment(i).End) < 0)
                ranges.push_back(split->Fragment(i));
        ReleaseCompoundFragment(split);
    } else if (!IsRowEnd(doc, doc.Caret.Par)) {
        TFragment cell{};
        CellRange(doc, doc.Caret.Par, cell);
        ranges.push_back(cell);
    }
    rowEnds = ranges.empty() || IsRowEnd(doc, ranges.front().Start.Par);
    for (const TFragment& f : ranges)
        rowEnds = rowEnds || !CoversWholeCells(doc, f);

    // Without a line (the caret on a row end, or text selected inside
    // cells) one column goes after every row's last cell.
    std::int32_t n = 1;
    std::int32_t x = 0;
    if (!rowEnds) {
        const std::int32_t r = grid.RowOf(ranges.front().Start.Par);
        if (r < 0)
            return false;
        const TEditGridRow& row = grid.Rows[static_cast<std::size_t>(r)];
        const std::vector<std::int32_t> chosen = SelectedCellsOfRow(row, ranges);
        const TTableRowData& d = row.Row->Data;
        if (chosen.empty() || chosen.back() >= d.CellCount)
            return false;
        n = static_cast<std::int32_t>(chosen.size());
        x = left ? d.CellLeft(chosen.front()) : d.Cells[chosen.back()].RightEdge;
    }

    // The width: the narrowest cell beside the line on the insertion side.
    std::int32_t b = INT32_MAX;
    if (!rowEnds) {
        for (std::int32_t r : rowIndexes) {
            const TTableRowData& d = grid.Rows[static_cast<std::size_t>(r)].Row->Data;
            std::int32_t c = -1;
            if (left) {
                c = CellStartingAt(d, x);
                if (c >= d.CellCount)
                    c = -1;
            } else {
                c = CellEndingAt(d, x);
            }
            if (c >= 0)
                b = std::min(b, CellWidth(d, c));
        }
    }
    const TTableRowData& firstRow = grid.Rows[static_cast<std::size_t>(rowIndexes.front())].Row->Data;
    if (b == INT32_MAX && firstRow.CellCount > 0)
        b = CellWidth(firstRow, firstRow.CellCount - 1);
    if (b == INT32_MAX || b <= 0)
        b = DefaultCellWidth;

    // Which rows receive cells, and where; refused before anything changes
    // when a row would get too many.
    struct TTarget {
        std::int32_t Row = 0;
        std::int32_t At = 0;        // the index of the first new cell
        std::int32_t Template = 0;  // the cell the new ones copy
    };
    std::vector<TTarget> targets;
    for (std::int32_t r : rowIndexes) {
        const TEditGridRow& row = grid.Rows[static_cast<std::size_t>(r)];
        const TTableRowData& d = row.Row->Data;
        const std::int32_t count = std::min<std::int32_t>(d.CellCount, static_cast<std::int32_t>(row.Cells.size()));
        if (count == 0)
            continue;
        TTarget t{r, count, count - 1};
        if (!rowEnds) {
            if (left) {
                t.At = CellStartingAt(d, x);
                if (t.At < 0 || t.At >= count)
                    continue;
                t.Template = t.At;
            } else {
                t.Template = CellEndingAt(d, x);
                if (t.Template < 0 || t.Template >= count)
                    continue;
                t.At = t.Template + 1;
            }
        }
        if (d.CellCount + n > MaxTableCells) {
            if (!checkOnly)
                ShowInformation(TooManyCellsMessage);
            return false;
        }
        targets.push_back(t);
    }
    if (checkOnly || targets.empty())
        return true;

    TTextPos at{};
    {
        TTableEditScope scope(doc);
        for (auto t = targets.rbegin(); t != targets.rend(); ++t) {
            const TEditGridRow& row = grid.Rows[static_cast<std::size_t>(t->Row)];
            const TEditGridCell& model = row.Cells[static_cast<std::size_t>(t->Template)];
            TCharFormat format;
            doc.FormatAtPos(TTextPos{model.Last, doc.Par(model.Last)->CharCount() - 1}, format);
            const TParFormat parFormat = doc.Par(model.Last)->Format;
            TTableRowData d = row.Row->Data;
            const TTableCell cell = d.Cells[t->Template];
            const std::int32_t first = InsertEmptyCells(doc, row, t->At, n, parFormat, format);
            AddCellDefinitions(d, t->At, n, b, cell);
            ApplyRowData(doc, row.Row, d);
            at = TTextPos{first, 0};
        }
    }
    RepairTable(doc, std::min(grid.First, doc.ParCount() - 1));
    PlaceCaretAfterEdit(doc, at);
    return true;
}

namespace {

// What each cell is while cells move down their columns.
enum : std::int32_t {
    cwNone = 0,
    cwSelected = 1,  // a selected cell, wherever it has moved
    cwEmpty = 2,     // an empty cell, new or left behind
    cwMoved = 3,     // a cell pushed down in this pass
    cwStuck = 4,     // a selected cell that cannot move
};

// Swaps an empty one-paragraph cell with the cell above it in its column
// (upper lies before it): the empty cell takes upper's place, upper ends
// where the empty cell was.
void SwapEmptyCellUp(TDoc& doc, std::int32_t empty, const TEditGridCell& upper) {
    MoveParagraphs(doc, empty, empty, upper.First);
    MoveParagraphs(doc, upper.First + 1, upper.Last + 1, empty + 1);
}

bool SpansMeet(std::int32_t left, std::int32_t right, std::int32_t l, std::int32_t r) {
    if (TwipsNearlyEqual(l, left) || TwipsNearlyEqual(r, right))
        return true;
    if (TwipsDiffBeyondTolerance(l, left) <= 0 && TwipsDiffBeyondTolerance(r, right) >= 0)
        return true;
    const auto inside = [&](std::int32_t v) {
        return TwipsDiffBeyondTolerance(v, left) > 0 && TwipsDiffBeyondTolerance(v, right) < 0;
    };
    return inside(l) || inside(r);
}

// Shift-down insertion: as many rows as the selection touches are appended,
// then, once per new row, every selected cell pushes the cells below it in
// its column down to the nearest empty cell and leaves an empty cell
// behind. A column that runs out of cells in a row gets a new one there,
// unless that row is full; the selected cell then stays where it is.
void InsertCellsShiftingDown(TDoc& doc, const TEditGrid& start, const std::vector<TFragment>& ranges) {
    std::vector<std::pair<std::int32_t, std::int32_t>> selected;
    for (const TFragment& f : ranges) {
        const std::int32_t r = start.RowOf(f.Start.Par);
        if (r < 0)
            continue;
        const TEditGridRow& row = start.Rows[static_cast<std::size_t>(r)];
        for (std::int32_t c : SelectedCellsOfRow(row, {f}))
            if (c < row.Row->Data.CellCount && !row.Row->Data.Cells[c].IsContinuation())
                selected.emplace_back(r, c);
    }
    std::sort(selected.begin(), selected.end());
    selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
    std::vector<std::int32_t> touchedRows;
    for (const auto& [r, c] : selected)
        if (touchedRows.empty() || touchedRows.back() != r)
            touchedRows.push_back(r);
    const std::int32_t passes = static_cast<std::int32_t>(touchedRows.size());
    if (passes == 0 || FieldCrossesCells(doc, start))
        return;

    TTextPos caret{};
    {
        TTableEditScope scope(doc);
        TTableHandleHit hit;
        hit.Kind = thRow;
        hit.TablePar = start.First;
        hit.RowToCopy = start.Rows.back().Row;
        TTextPos at{};
        for (std::int32_t i = 0; i < passes; ++i)
            if (!InsertRowCopy(doc, hit, at))
                return;
        TEditGrid grid = EditGrid(doc, start.First);
        std::vector<std::vector<std::int32_t>> values;
        for (const TEditGridRow& row : grid.Rows)
            values.emplace_back(row.Cells.size(), cwNone);
        for (const auto& [r, c] : selected)
            values[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = cwSelected;
        for (std::size_t r = grid.Rows.size() - static_cast<std::size_t>(passes); r < grid.Rows.size(); ++r)
            std::fill(values[r].begin(), values[r].end(), cwEmpty);

        for (std::int32_t pass = 0; pass < passes; ++pass) {
            for (auto& row : values)
                for (std::int32_t& v : row)
                    if (v == cwMoved)
                        v = cwNone;
            for (std::size_t r = grid.Rows.size(); r-- > 0;) {
                for (std::size_t c = 0; c < values[r].size(); ++c) {
                    if (values[r][c] != cwSelected)
                        continue;
                    const TTableRowData& top = grid.Rows[r].Row->Data;
                    const std::int32_t left = top.CellLeft(static_cast<std::int32_t>(c));
                    const std::int32_t right = top.Cells[c].RightEdge;
                    std::vector<std::pair<std::size_t, std::size_t>> chain{{r, c}};
                    bool reachesEmpty = false;
                    for (std::size_t j = r + 1; j < grid.Rows.size(); ++j) {
                        const TTableRowData& d = grid.Rows[j].Row->Data;
                        const std::size_t count = values[j].size();
                        std::size_t from = 0;
                        for (std::size_t k = 0; k < count; ++k)
                            if (values[j][k] != cwNone && values[j][k] != cwEmpty)
                                from = k + 1;
                        std::size_t take = count;
                        if (from >= count) {
                            // The column runs out in this row: it gets an empty
                            // cell as wide as its last one.
                            if (count == 0 || count >= static_cast<std::size_t>(MaxTableCells)) {
                                values[r][c] = cwStuck;
                                break;
                            }
                            const TEditGridCell& last = grid.Rows[j].Cells.back();
                            TCharFormat format;
                            doc.FormatAtPos(TTextPos{last.Last, doc.Par(last.Last)->CharCount() - 1}, format);
                            TTableRowData grown = d;
                            TTableCell model = grown.Cells[count - 1];
                            model.FirstOfMerge = model.Merged = 0;
                            InsertEmptyCells(doc, grid.Rows[j], static_cast<std::int32_t>(count), 1,
                                             doc.Par(last.Last)->Format, format);
                            AddCellDefinitions(grown, static_cast<std::int32_t>(count), 1,
                                               CellWidth(grown, static_cast<std::int32_t>(count) - 1), model);
                            ApplyRowData(doc, grid.Rows[j].Row, grown);
                            grid = EditGrid(doc, start.First);
                            values[j].push_back(cwEmpty);
                            take = count;
                        } else {
                            for (std::size_t k = from; k < count && take == count; ++k)
                                if (SpansMeet(left, right, d.CellLeft(static_cast<std::int32_t>(k)),
                                              d.Cells[k].RightEdge))
                                    take = k;
                            if (take == count) {
                                take = from;
                                for (std::size_t k = from; k < count; ++k)
                                    if (TwipsDiffBeyondTolerance(d.Cells[k].RightEdge, left) <= 0)
                                        take = k;
                            }
                        }
                        if (grid.Rows[j].Row->Data.Cells[take].IsContinuation())
                            continue;
                        chain.emplace_back(j, take);
                        if (values[j][take] == cwEmpty) {
                            reachesEmpty = true;
                            break;
                        }
                    }
                    if (!reachesEmpty)
                        continue;
                    // From the bottom, the empty cell climbs the chain.
                    for (std::size_t i = chain.size() - 1; i > 0; --i) {
                        const auto [lr, lc] = chain[i];
                        const auto [ur, uc] = chain[i - 1];
                        const TEditGridCell lower = grid.Rows[lr].Cells[lc];
                        const TEditGridCell upper = grid.Rows[ur].Cells[uc];
                        if (lower.First != lower.Last)
                            break;
                        SwapEmptyCellUp(doc, lower.First, upper);
                        TTableRowData moved = grid.Rows[lr].Row->Data;
                        const std::int32_t keep = moved.Cells[lc].RightEdge;
                        moved.Cells[lc] = grid.Rows[ur].Row->Data.Cells[uc];
                        moved.Cells[lc].RightEdge = keep;
                        ApplyRowData(doc, grid.Rows[lr].Row, moved);
                        values[lr][lc] = values[ur][uc] == cwSelected ? cwSelected : cwMoved;
                        values[ur][uc] = cwEmpty;
                        grid = EditGrid(doc, start.First);
                    }
                }
            }
        }
        // The caret goes to the first empty cell of the first selected row.
        const std::size_t firstRow = static_cast<std::size_t>(touchedRows.front());
        caret = TTextPos{grid.Rows[firstRow].First, 0};
        for (std::size_t c = 0; c < values[firstRow].size(); ++c)
            if (values[firstRow][c] == cwEmpty) {
                caret = TTextPos{grid.Rows[firstRow].Cells[c].First, 0};
                break;
            }
    }
    RepairTable(doc, std::min(start.First, doc.ParCount() - 1));
    PlaceCaretAfterEdit(doc, caret);
}

}  // namespace

void InsertCells(TDoc& doc, bool shiftDown) {
    std::vector<TFragment> ranges;
    if (!IsEmptyCompoundFragment(doc.Selection)) {
        TCompoundFragment* split = SplitRangesByRows(doc, *doc.Selection);
        for (std::int32_t i = 0; i < split->Count(); ++i)
            if (CompareTextPos(split->Fragment(i).Start, split->Fragment(i).End) < 0)
                ranges.push_back(split->Fragment(i));
        ReleaseCompoundFragment(split);
        if (ranges.empty())
            ranges = SelectedRanges(doc);
    } else {
        TFragment cell{};
        CellRange(doc, doc.Caret.Par, cell);
        ranges.push_back(cell);
    }
    if (ranges.empty() || !InTablePar(doc, ranges.front().Start.Par))
        return;
    const TEditGrid grid = EditGrid(doc, ranges.front().Start.Par);
    bool onlyRowEnds = true;
    for (const TFragment& f : ranges)
        onlyRowEnds = onlyRowEnds && IsRowEnd(doc, f.Start.Par);
    if (shiftDown && !onlyRowEnds) {
        InsertCellsShiftingDown(doc, grid, ranges);
        return;
    }
    // Each row's selected cells, widened to whole cells, get as many new
    // cells left of the first of them.
    std::map<std::int32_t, std::vector<TFragment>> groups;
    for (const TFragment& f : ranges) {
        const std::int32_t r = grid.RowOf(f.Start.Par);
        if (r < 0)
            continue;
        const TEditGridRow& row = grid.Rows[static_cast<std::size_t>(r)];
        TFragment whole = f;
        if (!IsRowEnd(doc, f.Start.Par)) {
            const std::vector<std::int32_t> cells = SelectedCellsOfRow(row, {f});
            if (cells.empty())
                continue;
            const TEditGridCell& a = row.Cells[static_cast<std::size_t>(cells.front())];
            const TEditGridCell& z = row.Cells[static_cast<std::size_t>(cells.back())];
            MakeFragment(a.First, 0, z.Last, doc.Par(z.Last)->CharCount(), whole);
        }
        groups[r].push_back(whole);
    }
    if (groups.empty())
        return;
    for (const auto& [r, group] : groups)
        if (!InsertColumns(doc, true, &group, true)) {
            ShowInformation(TooManyCellsMessage);
            return;
        }
    TTextPos caret{};
    {
        TTableEditScope scope(doc);
        for (auto it = groups.rbegin(); it != groups.rend(); ++it) {
            InsertColumns(doc, true, &it->second, false);
            caret = doc.Caret;
        }
    }
    RepairTable(doc, std::min(grid.First, doc.ParCount() - 1));
    PlaceCaretAfterEdit(doc, caret);
}
