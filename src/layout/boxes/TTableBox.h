#pragma once

#include "layout/boxes/TBox.h"

// The part of one table that lies on one page.
class TTableBox : public TBox {
public:
    explicit TTableBox(TBox* parent) : TBox(parent) { Kind = bkTable; }

    std::int32_t FirstPar = 0;
    Platform::TRect CellBounds{};
    Platform::TRect PixelCellBounds{};
    Platform::TRect MoveHandle{};
    Platform::TRect ResizeHandle{};
    std::int32_t HeadingRowCount = 0;
    std::int32_t HeadingHeight = 0;
    std::int32_t LastHeadingPar = 0;

protected:
    void Reset(void* owner) override {
        TBox::Reset(owner);
        HeadingRowCount = HeadingHeight = LastHeadingPar = 0;
    }
};
