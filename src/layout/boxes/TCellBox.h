#pragma once

#include "layout/boxes/TBox.h"
#include "model/formats/TTextPos.h"

class TTableRow;
struct TTableCell;

// The part of one table cell that lies on one page (or the box of a row's
// end mark, cell index -1).
class TCellBox : public TBox {
public:
    explicit TCellBox(TBox* parent) : TBox(parent) { Kind = bkCell; }

    std::int32_t CellIndex = 0;
    TFragment CellRange{};
    TTableCell* CellRecord = nullptr;
    std::int32_t LastMergedRow = 0;
    TTableRow* Row = nullptr;
    TFragment RowRange{};
    // Kept by the table flow: the index of the cell in the row the box was
    // placed for, and that cell's right edge relative to the table's left
    // inset before the table was aligned, by which a later part of the table
    // finds the box again.
    std::int32_t PlacedCell = 0;
    std::int32_t PlacedRight = 0;
    // The cell's border widths in pixels (left, top, right, bottom), set by
    // TBox::UpdatePixelRects for painting.
    Platform::TRect PixelBorderWidths{};
};
