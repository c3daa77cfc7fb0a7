#pragma once

#include <cstdint>
#include <vector>

#include "model/document/TDoc.h"
#include "model/formats/TTextPos.h"

class TCompoundFragment;

// What a selection in a table amounts to: the kind of table selection, which
// copying stores with the text and which decides how delete and paste
// behave, and the selection as a rectangular block of whole cells.

enum : std::int32_t {
    tsNone = 0,     // not a table selection
    tsColumns = 1,  // a block of whole columns
    tsRows = 2,     // whole rows
    tsTable = 3,    // the whole table
};

// The lowest row index that asks CellsInXRange for every row.
constexpr std::int32_t AllTableRows = static_cast<std::int32_t>(0x80000000u);

// A pooled set (the caller releases it) of the cell ranges, row by row and
// left to right, of the table's rows from lowRow to highRow (all rows when
// lowRow is AllTableRows) whose cells meet the x range [x1, x2]: a cell
// whose left edge lies in [x1, x2), whose right edge lies in (x1, x2], or
// that covers the range; and the row-end paragraphs when x1 is NoCellEdge.
TCompoundFragment* CellsInXRange(TDoc& doc,
                                 const TFragment& table,
                                 std::int32_t lowRow,
                                 std::int32_t x1,
                                 std::int32_t x2,
                                 std::int32_t highRow);

// The kind of table selection the caret or the selection makes.
std::int32_t TableSelectionType(TDoc& doc);

// The selection as a block of whole cells, one range per row, in a pooled
// set the caller releases; a set of one empty range when the selection is
// no such block: it must start and end at cell edges, lie in consecutive
// rows, span two cells or more somewhere, start in no continuation cell,
// and take whole merges with equal edges in every row.
TCompoundFragment* SelectedCellBlock(TDoc& doc, const TFragment& table);

// A pooled copy of set (the caller releases it) in which ranges whose
// starts lie in one cell are joined, and every range is cut into one range
// per cell it touches, each widened to its whole cell.
TCompoundFragment* SplitRangesIntoCells(const TDoc& doc, const TCompoundFragment& set);

// The first paragraphs of the cells the selection touches, each once, in
// the selection's order; the caret's cell without a selection.
std::vector<std::int32_t> SelectedCellStarts(TDoc& doc);
