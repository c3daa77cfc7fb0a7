#pragma once

#include <cstdint>
#include <vector>

#include "model/document/TDoc.h"
#include "model/formats/TTableRow.h"
#include "model/formats/TTextPos.h"

// The paragraphs of one table as rows of cells, read from the text as it is
// now (not from the table cache), for the operations that change cells and
// must look again after every step.

struct TGridCell {
    std::int32_t First = 0;
    std::int32_t Last = 0;  // ends with the cell-end mark
};

struct TGridRow {
    std::int32_t First = 0;
    std::int32_t End = 0;  // the row-end paragraph
    TTableRow* Row = nullptr;
    std::vector<TGridCell> Cells;
};

// The rows of the table of p, in order; empty when p is not in a table.
// Rows without a row record are left out.
std::vector<TGridRow> TableGrid(const TDoc& doc, std::int32_t p);
// The index of the row holding p, or -1.
std::int32_t GridRowOf(const std::vector<TGridRow>& grid, std::int32_t p);
// The index of the cell of row holding p; the cell count for the row end.
std::int32_t GridCellOf(const TGridRow& row, std::int32_t p);
// The whole cell as a range, after its cell-end mark.
TFragment GridCellRange(const TDoc& doc, const TGridCell& cell);
// The cell is one paragraph holding only its cell-end mark.
bool IsEmptyGridCell(const TDoc& doc, const TGridCell& cell);
// The index of the cell of row whose right edge is the same edge as x,
// searched from the last cell; -1 when none is.
std::int32_t CellAtEdge(const TTableRowData& row, std::int32_t x);
