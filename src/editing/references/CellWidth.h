#pragma once

#include <cstdint>

class TDoc;

// The width inside the table cell that holds a paragraph: the cell's width
// less its left and right paddings (the row's where the cell sets none); 0
// for a paragraph outside a table. Kept apart from the generators because
// the table records and the tab manager name their alignments alike.
std::int32_t CellInnerWidth(const TDoc& doc, std::int32_t par);
