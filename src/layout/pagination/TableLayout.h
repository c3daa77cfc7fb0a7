#pragma once

#include <cstdint>
#include <vector>

#include "model/formats/TTableRow.h"

// The geometry of table rows that does not depend on the page: resolved
// cell edges, the border widths neighbouring cells share, and the shift
// that aligns a table in its column. The table flow (TableFlow.cpp) places
// rows with them; tests check them on their own.

// Two x positions closer than this are one edge (twips).
constexpr std::int32_t EdgeTolerance = 4;
// The row-end mark's box stands this far right of the last cell's border.
constexpr std::int32_t RowEndGap = 20;
// The largest border width or cell padding layout takes (22 inches, the
// largest measure a document stores); larger values from a damaged file
// are cut to it.
constexpr std::int32_t MaxTableMeasure = 31680;

// The number of grid columns a cell covers: a cell merged horizontally
// spans several. Readers that know no grid leave 0, which counts as one.
std::int32_t GridSpan(const TTableCell& cell);

// A border's own width: nothing when it has no kind or the "none" kind 255.
std::int32_t OwnBorderWidth(const TTableBorder& border);

// Resolves the cell edges of every row for a layout width (when a cell has
// no right edge, the row's cells share the width equally by the grid
// columns each spans; a preferred width in fiftieths of a
// percent scales the row about its left edge) and the shared border widths:
// at every vertical edge the widest border of any row there, at every
// boundary between rows the widest bottom border above or top border below.
// Merge continuations keep no top or bottom of their own; the last one takes
// the merge's bottom. The results go to each row's Resolved block; a table
// whose rows, neighbours and width are as they were is not resolved again.
void ResolveRowBorders(const std::vector<TTableRow*>& rows, std::int32_t width);

// How far a table moves right in its column: alignment taCentre centres the
// rows' extent [leftmost, rightmost] in the available width, taRight puts
// it against the right edge; taLeft moves nothing, except in the draft views,
// where a table that reaches left of the column is moved back to it.
std::int32_t TableAlignShift(std::int32_t alignment,
                             std::int32_t available,
                             std::int32_t leftmost,
                             std::int32_t rightmost,
                             bool draft);
