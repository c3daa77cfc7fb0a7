#pragma once

#include <cstdint>
#include <vector>

#include "model/undo/TableRowSteps.h"

class TDoc;
class TTableRow;

// Row and cell properties change through one worker, which snaps the new
// edges to the table's columns and records only real changes; the Tab and
// Shift+Tab steps from cell to cell; and the even distribution of row
// heights and column widths.

// The worker of row formatting: the rows' new data, snapped to the
// table's merged column edges (within 3 twips), recorded as one step when
// it differs from the rows' data; with a cell alignment, the selected
// cells' paragraphs (or the caret's cell's) take it first.
void FormatTableRows(TDoc& doc, TFormatRowsArgs args);

// The Tab key in a table at paragraph p: the next cell's content is
// selected (an empty cell only gets the caret); from the table's last
// cell a new empty row is appended and the caret goes to its first cell.
void NextCellOrNewRow(TDoc& doc, std::int32_t p);
// Shift+Tab: the same step backwards; nothing in the table's first cell.
void SelectPreviousCell(TDoc& doc, std::int32_t p);

// One row as layout shows it: the sums over the table parts (pages or
// columns) in which it appears of its height and of its content's height,
// and the number of such parts.
struct TRowMeasure {
    std::int32_t Height = 0;
    std::int32_t ContentHeight = 0;
    std::int32_t Parts = 0;
};
// The height distributing gives every row: the rows' average height, but
// never less than the tallest content.
std::int32_t DistributedRowHeight(const std::vector<TRowMeasure>& measures);
// The rows of one table as layout shows them (the table laid out to its
// end first); without layout, each row by the height it asks for (an
// automatic row is not measured).
std::vector<TRowMeasure> MeasureTableRows(TDoc& doc, const std::vector<TTableRow*>& rows);
// The height of the laid-out box of cell (an index) of row, the tallest
// of its parts; 0 when the document or the table is not laid out.
std::int32_t LaidOutCellHeight(TDoc& doc, const TTableRow* row, std::int32_t cell);
// What distributing rows measures them with: MeasureTableRows unless a
// test puts another in (nil puts it back).
using TRowMeasurer = std::vector<TRowMeasure> (*)(TDoc& doc, const std::vector<TTableRow*>& rows);
void SetRowMeasurer(TRowMeasurer measurer);

// The selected rows (or every row of the caret's table) get one height.
void DistributeRows(TDoc& doc);
// The selected block's cells (or, without a selection, every row's cells)
// share their span evenly.
void DistributeColumns(TDoc& doc);

// Puts the workers of merging, splitting, row formatting, distribution and
// the Tab step into the operation worker table.
void InstallCellMergingWorkers();
