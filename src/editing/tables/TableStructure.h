#pragma once

#include <cstdint>
#include <vector>

#include "model/document/TDoc.h"
#include "model/formats/TTableRow.h"
#include "model/formats/TTextPos.h"

class TCompoundFragment;

// How every unit finds cells, rows and tables from a paragraph index, and
// the repair that restores a table's invariants after a structural edit.
//
// A table is a maximal run of in-table paragraphs of one story. A cell is
// one or more paragraphs, the last of them ending with the cell-end mark; a
// row is its cells followed by a paragraph that holds only the row-end mark,
// whose control names the row's TTableRow. Unless said otherwise the queries
// take a paragraph of a table; callers check InTablePar (or IsRowEnd) first.

// State flags the table repair pushes for its duration: a repair asked for
// inside a deletion waits, and one-paragraph cells may be deleted with their
// marks.
enum : std::uint8_t {
    sfTableRepairRunning = 145,
    sfDeleteWholeCells = 149,
};

// The width given to a cell definition that a repair has to make up when a
// row has no cell whose width it could copy: one inch.
constexpr std::int32_t DefaultCellWidth = 1440;
// The height a repair gives an automatic-height row made only of merged
// cells, so that it does not collapse.
constexpr std::int32_t MergedRowHeight = 360;

bool InTablePar(const TDoc& doc, std::int32_t p);
// p is in a table and its first character is the row-end mark.
bool IsRowEnd(const TDoc& doc, std::int32_t p);
// The paragraph's last character is a cell-end or row-end mark.
bool EndsCellOrRow(const TDoc& doc, std::int32_t p);

// The index of the cell of p: the cell-end marks among the paragraphs
// before p back to the previous row end or the first paragraph outside the
// table. A row-end paragraph gets its row's cell count.
std::int32_t CellIndex(const TDoc& doc, std::int32_t p);
// The row of p, from the row-end control of the first row-end paragraph at
// or after p in its table; nil when the table has none there.
TTableRow* TableRowOf(const TDoc& doc, std::int32_t p);
// Left (X) and right (Y) edge of the cell of p; both NoCellEdge when the
// row has fewer cells than the index (a row-end paragraph).
void CellXBounds(const TDoc& doc, std::int32_t p, TViewPoint& bounds);
// From the cell's first paragraph (offset 0) to its last paragraph, after
// its cell-end mark; a row-end paragraph is a range of its own.
void CellRange(const TDoc& doc, std::int32_t p, TFragment& range);
// The range of the n-th cell of the row starting at rowStart (n equal to the
// cell count gives the row-end paragraph).
void NthCellRange(const TDoc& doc, std::int32_t rowStart, std::int32_t n, TFragment& range);
// From the row's first paragraph to its row-end paragraph (end offset 1).
void RowRange(const TDoc& doc, std::int32_t p, TFragment& range);
// The whole table of p, never beyond its story; the end offset is the last
// paragraph's length. Answers from the document's table cache, and fills it.
void TableRange(TDoc& doc, std::int32_t p, TFragment& range);
// TableRange, and the table's rows appended to rows in row order.
void TableRows(TDoc& doc, std::int32_t p, std::vector<TTableRow*>& rows, TFragment& range);
// TableRows for the start of the first selected range, or for the caret.
void CurrentTableRows(TDoc& doc, std::vector<TTableRow*>& rows, TFragment& range);

// The distinct x positions among the left edges and cell right edges of the
// rows (of the table of p when rows is nil), ascending. With merge,
// neighbouring values that are the same edge are thinned from the top down:
// of such a pair the one fewer rows use goes, the upper one on a tie.
std::vector<std::int32_t> TableColumnEdges(TDoc& doc, std::int32_t p, const std::vector<TTableRow*>* rows, bool merge);

// A pooled, normalised copy of set in which every range that crosses a row
// end is cut at each row end, the row-end paragraphs left out. The caller
// releases it (ReleaseCompoundFragment).
TCompoundFragment* SplitRangesByRows(const TDoc& doc, const TCompoundFragment& set);

// The indexes of the continuation cells below the cell of p, row by row
// down, when that cell is the first of a vertical merge; else empty.
std::vector<std::int32_t> MergedCellsBelow(TDoc& doc, std::int32_t p);
// p lies in a continuation cell.
bool InMergedCell(TDoc& doc, std::int32_t p);
// The first paragraph of the first cell of the merge that p continues; p
// itself outside a continuation cell, the table's first paragraph when the
// merge has no first cell.
std::int32_t MergedCellOrigin(TDoc& doc, std::int32_t p);
// Moves a caret that stands on a row-end paragraph to the next paragraph
// outside continuation cells: nothing is typed on a row end or into a
// hidden cell.
void LeaveRowEnd(TDoc& doc);

// Records new data for one row as a step of the open operation (nothing
// when it equals the row's).
void ApplyRowData(TDoc& doc, TTableRow* row, const TTableRowData& data);

// Restores the invariants of the table of p inside the open operation;
// true when whole rows were deleted. Besides the merge, edge, padding and
// header-row rules it mends the shapes a damaged file or an interrupted edit
// leaves: rows whose cell count differs from their cell-end marks, a last
// cell of a row without its cell-end mark, in-table paragraphs after the
// last row end, and cell or row marks in a paragraph outside any table. It
// never deletes text other than that of rows made only of continuation
// cells (or of no cell at all).
bool RepairTable(TDoc& doc, std::int32_t p);
