#pragma once

#include <cstdint>
#include <vector>

#include "model/document/TDoc.h"
#include "model/formats/TTextPos.h"
#include "model/undo/OperationArgs.h"

// Inserting table rows, columns and cells. Rows go in through the handle
// worker (a copy of a row before another or after the table), columns and
// cells through the column worker, so that every path shares one set of
// copy rules and one limit: no row ever gets more than MaxTableCells cells,
// and an insertion that would give it more is refused before anything
// changes, with TooManyCellsMessage.

// The handle worker: a new row (thRow) copying hit.RowToCopy before
// hit.RowToInsertBefore or after the table's last row, or a new column
// (thColumn) at the line hit.ColumnX. A column at a line that is a row's
// last right edge goes after that row's last cell and is as wide as it.
void InsertAtTableHandle(TDoc& doc, const TTableHandleHit& hit);
// False, after the message, when a row of the caret's table already has
// MaxTableCells cells, so that no column fits.
bool CanAddColumn(TDoc& doc);
// Above or below the rows the selection touches (or the caret's row), one
// new row for each, copying the first (above) or the last (below) of each
// run of neighbouring rows.
void InsertRows(TDoc& doc, bool above);
// Columns left or right of the selected cells, as many as the first
// selected row selects (or one at the caret's cell); with cells, only in
// the one row they lie in. checkOnly answers whether it would fit and
// changes nothing, silently. True when done or possible.
bool InsertColumns(TDoc& doc, bool left, const std::vector<TFragment>* cells, bool checkOnly);
// New empty cells where the selected cells are (or the caret's cell): the
// selected cells move right in their rows, or down their columns, the
// table growing by as many rows as the selection touches.
void InsertCells(TDoc& doc, bool shiftDown);
