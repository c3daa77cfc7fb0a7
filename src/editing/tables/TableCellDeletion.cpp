#include "editing/tables/TableCellDeletion.h"

#include <algorithm>
#include <set>
#include <vector>

#include "editing/tables/TableEditGrid.h"
#include "editing/tables/TableStructure.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/Tolerances.h"
#include "model/paragraphs/TPar.h"

namespace {

// Deletes whole rows first to last of grid, as one span.
void DeleteRows(TDoc& doc, const TEditGrid& grid, std::size_t first, std::size_t last) {
    const std::int32_t from = grid.Rows[first].First;
    const std::int32_t to = grid.Rows[last].End;
    const std::int32_t storyLast = doc.LastParOfStory(doc.StoryOfPar(to));
    const TTextPos end = to < storyLast ? TTextPos{to + 1, 0} : TTextPos{to, doc.Par(to)->CharCount()};
    doc.DeleteText(nullptr, TTextPos{from, 0}, end, 0);
}

// Empties a cell: its paragraphs become one that holds only the cell-end
// mark.
void ClearCell(TDoc& doc, const TEditGridCell& cell) {
    const TTextPos end{cell.Last, doc.Par(cell.Last)->CharCount() - 1};
    if (cell.First != cell.Last || end.Offset > 0)
        doc.DeleteText(nullptr, TTextPos{cell.First, 0}, end, 0);
}

// Removes an emptied cell with its mark (one paragraph).
void RemoveEmptyCell(TDoc& doc, std::int32_t par) {
    doc.DeleteText(nullptr, TTextPos{par, 0}, TTextPos{par + 1, 0}, 0);
}

// The cells a row loses, per row: the selected cells (continuation cells of
// a first-of-merge brought along when shifting left).
std::vector<std::set<std::int32_t>> ChosenCells(TDoc& doc, const TEditGrid& grid, std::int32_t mode) {
    std::vector<std::set<std::int32_t>> chosen(grid.Rows.size());
    std::vector<TFragment> ranges;
    if (!IsEmptyCompoundFragment(doc.Selection)) {
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
    for (const TFragment& f : ranges) {
        const std::int32_t r = grid.RowOf(f.Start.Par);
        if (r < 0)
            continue;
        const TEditGridRow& row = grid.Rows[static_cast<std::size_t>(r)];
        for (std::size_t c = 0; c < row.Cells.size(); ++c)
            if (f.Start.Par <= row.Cells[c].Last && LastParOf(f) >= row.Cells[c].First)
                chosen[static_cast<std::size_t>(r)].insert(static_cast<std::int32_t>(c));
    }
    if (mode == dcShiftLeft) {
        // A merge goes as a whole: its continuation cells below with it.
        for (std::size_t r = 0; r < grid.Rows.size(); ++r) {
            const TTableRowData& d = grid.Rows[r].Row->Data;
            for (std::int32_t c : std::set<std::int32_t>(chosen[r])) {
                if (c >= d.CellCount || d.Cells[c].FirstOfMerge == 0)
                    continue;
                const std::int32_t x = d.Cells[c].RightEdge;
                for (std::size_t j = r + 1; j < grid.Rows.size(); ++j) {
                    const TTableRowData& below = grid.Rows[j].Row->Data;
                    std::int32_t found = -1;
                    for (std::int32_t k = 0; k < below.CellCount; ++k)
                        if (TwipsNearlyEqual(below.Cells[k].RightEdge, x))
                            found = k;
                    if (found < 0 || !below.Cells[found].IsContinuation())
                        break;
                    chosen[j].insert(found);
                }
            }
        }
    }
    return chosen;
}

// Deletes cell c of row r, the cells right of it moving left: the row
// becomes narrower by the cell's width.
void DeleteCellShiftingLeft(TDoc& doc, std::int32_t tableFirst, std::size_t r, std::int32_t c) {
    const TEditGrid grid = EditGrid(doc, tableFirst);
    if (r >= grid.Rows.size())
        return;
    const TEditGridRow& row = grid.Rows[r];
    if (c >= static_cast<std::int32_t>(row.Cells.size()) || row.Cells.size() <= 1)
        return;
    TTableRowData d = row.Row->Data;
    if (c < d.CellCount) {
        const std::int32_t width = d.Cells[c].RightEdge - d.CellLeft(c);
        for (std::int32_t k = c; k + 1 < d.CellCount; ++k) {
            d.Cells[k] = d.Cells[k + 1];
            d.Cells[k].RightEdge -= width;
        }
        d.Cells[d.CellCount - 1] = TTableCell{};
        --d.CellCount;
    }
    TTableRow* record = row.Row;
    const TEditGridCell cell = row.Cells[static_cast<std::size_t>(c)];
    ClearCell(doc, cell);
    RemoveEmptyCell(doc, cell.First);
    ApplyRowData(doc, record, d);
}

// Swaps an empty one-paragraph cell with a cell below it in its column:
// the lower cell takes the empty cell's place, the empty cell ends where
// the lower cell ended.
void SwapEmptyCellDown(TDoc& doc, std::int32_t empty, const TEditGridCell& lower) {
    const std::int32_t length = lower.Last - lower.First + 1;
    MoveParagraphs(doc, lower.First, lower.Last, empty);
    MoveParagraphs(doc, empty + length, empty + length, lower.Last + 1);
}

// Deletes cell c of row r, the cells below it in its column moving up one
// row each: a cell below counts when it starts exactly where the deleted
// cell starts and ends at the same edge, and is no continuation. The
// column's lowest such cell leaves an empty cell behind.
void DeleteCellShiftingUp(TDoc& doc, std::int32_t tableFirst, std::size_t r, std::int32_t c) {
    TEditGrid grid = EditGrid(doc, tableFirst);
    if (r >= grid.Rows.size())
        return;
    const TTableRowData& d = grid.Rows[r].Row->Data;
    if (c >= d.CellCount || c >= static_cast<std::int32_t>(grid.Rows[r].Cells.size()))
        return;
    const std::int32_t left = d.CellLeft(c);
    const std::int32_t right = d.Cells[c].RightEdge;
    std::vector<std::pair<std::size_t, std::size_t>> taken;
    for (std::size_t j = r + 1; j < grid.Rows.size(); ++j) {
        const TTableRowData& below = grid.Rows[j].Row->Data;
        const std::int32_t count =
            std::min<std::int32_t>(below.CellCount, static_cast<std::int32_t>(grid.Rows[j].Cells.size()));
        for (std::int32_t k = 0; k < count; ++k)
            if (below.CellLeft(k) == left && TwipsNearlyEqual(below.Cells[k].RightEdge, right) &&
                !below.Cells[k].IsContinuation()) {
                taken.emplace_back(j, static_cast<std::size_t>(k));
                break;
            }
    }
    ClearCell(doc, grid.Rows[r].Cells[static_cast<std::size_t>(c)]);
    grid = EditGrid(doc, tableFirst);
    std::int32_t empty = grid.Rows[r].Cells[static_cast<std::size_t>(c)].First;
    for (const auto& [j, k] : taken) {
        const TEditGridCell lower = grid.Rows[j].Cells[k];
        SwapEmptyCellDown(doc, empty, lower);
        empty = lower.Last;
        grid = EditGrid(doc, tableFirst);
    }
}

}  // namespace

void DeleteCells(TDoc& doc, std::int32_t mode) {
    std::int32_t p = doc.Caret.Par;
    if (!IsEmptyCompoundFragment(doc.Selection))
        p = doc.Selection->Fragment(0).Start.Par;
    if (p < 0 || p >= doc.ParCount() || !InTablePar(doc, p))
        return;
    const TEditGrid grid = EditGrid(doc, p);
    if (grid.Rows.empty())
        return;
    const std::int32_t tableFirst = grid.First;

    if (mode == dcTable) {
        DeleteRows(doc, grid, 0, grid.Rows.size() - 1);
        PlaceCaretAfterEdit(doc, TTextPos{std::min(tableFirst, doc.ParCount() - 1), 0});
        return;
    }

    std::vector<std::set<std::int32_t>> chosen;
    if (mode == dcShiftUp || mode == dcShiftLeft) {
        chosen = ChosenCells(doc, grid, mode);
        // Only cells that move up need the fields to stay in their cells;
        // whole rows go as rows.
        bool moves = false;
        for (std::size_t r = 0; r < grid.Rows.size(); ++r)
            moves = moves || (!chosen[r].empty() && chosen[r].size() < grid.Rows[r].Cells.size());
        if (mode == dcShiftUp && moves && FieldCrossesCells(doc, grid))
            return;
    }

    TTextPos caret{tableFirst, 0};
    {
        TTableEditScope scope(doc);
        doc.PushStateFlag(sfDeleteWholeCells);
        if (mode == dcRows) {
            std::vector<bool> touched(grid.Rows.size(), false);
            if (IsEmptyCompoundFragment(doc.Selection)) {
                const std::int32_t r = grid.RowOf(doc.Caret.Par);
                if (r >= 0)
                    touched[static_cast<std::size_t>(r)] = true;
            } else {
                for (std::int32_t i = 0; i < doc.Selection->Count(); ++i) {
                    const TFragment& f = doc.Selection->Fragment(i);
                    for (std::int32_t q = f.Start.Par; q <= LastParOf(f); ++q) {
                        const std::int32_t r = grid.RowOf(q);
                        if (r >= 0)
                            touched[static_cast<std::size_t>(r)] = true;
                    }
                }
            }
            // Neighbouring rows go as one span, the last run first.
            for (std::size_t r = grid.Rows.size(); r-- > 0;) {
                if (!touched[r])
                    continue;
                std::size_t first = r;
                while (first > 0 && touched[first - 1])
                    --first;
                DeleteRows(doc, grid, first, r);
                caret = TTextPos{grid.Rows[first].First, 0};
                r = first;
            }
        } else {
            for (std::size_t r = grid.Rows.size(); r-- > 0;) {
                const std::set<std::int32_t>& cells = chosen[r];
                if (cells.empty())
                    continue;
                const TEditGridRow& row = grid.Rows[r];
                caret = TTextPos{row.Cells[static_cast<std::size_t>(*cells.begin())].First, 0};
                if (cells.size() >= row.Cells.size()) {
                    DeleteRows(doc, grid, r, r);
                    caret = TTextPos{row.First, 0};
                    continue;
                }
                for (auto it = cells.rbegin(); it != cells.rend(); ++it)
                    if (mode == dcShiftLeft)
                        DeleteCellShiftingLeft(doc, tableFirst, r, *it);
                    else
                        DeleteCellShiftingUp(doc, tableFirst, r, *it);
            }
        }
        doc.PopStateFlag();
    }
    if (tableFirst < doc.ParCount() && InTablePar(doc, tableFirst))
        RepairTable(doc, tableFirst);
    PlaceCaretAfterEdit(doc, caret);
}
