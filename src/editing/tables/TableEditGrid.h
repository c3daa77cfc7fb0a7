#pragma once

#include <cstdint>
#include <vector>

#include "model/document/TDoc.h"
#include "model/formats/TTableRow.h"
#include "model/formats/TTextPos.h"

// A table seen as rows of cells, by paragraph: what the row, column and
// cell insertions and deletions, cell merging and splitting and the steps
// from cell to cell walk while they change the text. The grid is read from
// the text as it is now, never from the table cache, and is a picture of
// one moment; an edit that inserts or moves paragraphs takes a new one.

struct TEditGridCell {
    std::int32_t First = 0;
    std::int32_t Last = 0;  // ends with the cell-end mark
};

struct TEditGridRow {
    std::int32_t First = 0;
    std::int32_t End = 0;  // the row-end paragraph
    TTableRow* Row = nullptr;
    std::vector<TEditGridCell> Cells;
};

struct TEditGrid {
    std::int32_t First = 0;  // the table's first paragraph
    std::int32_t Last = 0;   // its last paragraph
    std::vector<TEditGridRow> Rows;

    // The row holding paragraph p, or -1.
    std::int32_t RowOf(std::int32_t p) const;
};

// The grid of the table of p; no rows when p is no table paragraph. Rows
// whose row end names no row record are left out: no operation here can
// copy or change them, and the repair mends them first.
TEditGrid EditGrid(TDoc& doc, std::int32_t p);
// The index of the cell of row holding p; the cell count for its row end.
std::int32_t EditGridCellOf(const TEditGridRow& row, std::int32_t p);
// The whole cell as a range, after its cell-end mark.
TFragment GridCellRange(const TDoc& doc, const TEditGridCell& cell);
// The cell is one paragraph holding only its cell-end mark.
bool IsEmptyGridCell(const TDoc& doc, const TEditGridCell& cell);
// The index of the cell of row whose right edge is the same edge as x,
// searched from the last cell; -1 when none is.
std::int32_t CellAtEdge(const TTableRowData& row, std::int32_t x);

// The ranges an operation works on: the selection's ranges, or none when
// nothing is selected.
std::vector<TFragment> SelectedRanges(const TDoc& doc);
// The last paragraph a range touches: an end at a paragraph's start belongs
// to the paragraph before.
std::int32_t LastParOf(const TFragment& range);
// The range selects whole cells: it starts at a cell's start and ends at a
// cell's end.
bool CoversWholeCells(const TDoc& doc, const TFragment& range);

// A field, bookmark or note of the document has its start in one cell of
// the table and its end in another cell or outside the table. Moving cells
// up or down their columns would then put the field's end before its
// start, so the operations that move cells refuse such a table.
bool FieldCrossesCells(const TDoc& doc, const TEditGrid& grid);

// Moves paragraphs first to last of one story so that they stand before
// paragraph target (an index of the list before the move), as one step.
void MoveParagraphs(TDoc& doc, std::int32_t first, std::int32_t last, std::int32_t target);

// Sets the caret to pos and selects nothing, now and after the operation.
void PlaceCaretAfterEdit(TDoc& doc, const TTextPos& pos);

// While a structural edit runs, the table may briefly hold rows whose cell
// definitions and cell marks disagree; the repair that insertion and
// deletion would start after each piece must wait for the whole edit. The
// scope pushes the table-edit state flag and holds the repair back until
// it ends; the edit repairs the table itself once it is done.
class TTableEditScope {
public:
    explicit TTableEditScope(TDoc& doc);
    TTableEditScope(const TTableEditScope&) = delete;
    TTableEditScope& operator=(const TTableEditScope&) = delete;
    ~TTableEditScope();

private:
    TDoc& Doc;
    std::uint8_t Suspended = 0;
};
