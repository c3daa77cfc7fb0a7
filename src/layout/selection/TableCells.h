#pragma once

#include <cstdint>

class TCompoundFragment;
class TDoc;

// The few questions about table structure the selection asks, answered
// from the text itself: a paragraph is in a table when its in-table
// property is set, a cell's last paragraph ends with the cell-end mark and
// a row ends with a paragraph that holds the row-end mark. A table is a run
// of such paragraphs. The row-end paragraph counts as a cell of its own,
// right of the row's cells.
namespace TableCells {

bool InTable(const TDoc& doc, std::int32_t par);
bool IsRowEnd(const TDoc& doc, std::int32_t par);
// First and last paragraph of the cell, row or table that holds par.
void Cell(const TDoc& doc, std::int32_t par, std::int32_t& first, std::int32_t& last);
void Row(const TDoc& doc, std::int32_t par, std::int32_t& first, std::int32_t& last);
void Table(const TDoc& doc, std::int32_t par, std::int32_t& first, std::int32_t& last);
bool SameCell(const TDoc& doc, std::int32_t a, std::int32_t b);
bool SameRow(const TDoc& doc, std::int32_t a, std::int32_t b);
bool SameTable(const TDoc& doc, std::int32_t a, std::int32_t b);

// The horizontal extent of the cell that holds par, in twips from the
// row's reference edge: the row's cell edges where the row names them,
// else equal columns by the cell's index, so that cells of rows without
// edges still line up by column. A row-end paragraph reaches from the
// row's right edge on without end.
void CellXExtent(const TDoc& doc, std::int32_t par, std::int32_t& left, std::int32_t& right);

// Appends to set one range per cell, in the rows from the one holding
// firstPar to the one holding lastPar, whose extent overlaps left..right
// (each range from the cell's first paragraph at 0 to its last paragraph's
// end). A first range that is empty is replaced rather than kept.
void AppendCellsInXRange(const TDoc& doc,
                         std::int32_t firstPar,
                         std::int32_t lastPar,
                         std::int32_t left,
                         std::int32_t right,
                         TCompoundFragment& set);

}  // namespace TableCells
