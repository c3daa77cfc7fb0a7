#include "layout/boxes/PageMargins.h"

#include "model/formats/PageSetup.h"

void PageSideMargins(const TPageSetup& setup, std::int32_t pageIndex, std::int32_t& left, std::int32_t& right) {
    left = setup.LeftMargin;
    right = setup.RightMargin;
    if (setup.MirrorMargins != 0 && pageIndex % 2 != 0) {
        left = setup.RightMargin;
        right = setup.LeftMargin;
    }
}
