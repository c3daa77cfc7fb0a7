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
    // The cell's border widths in pixels (left, top, right, bottom), set by
    // TBox::UpdatePixelRects for painting.
    Platform::TRect PixelBorderWidths{};
};
