#include "layout/painting/InlinePictures.h"

#include "model/formats/TDocGraphic.h"
#include "model/formats/TShape.h"

void PaintInlinePicture(TShape& shape, Platform::HDC dc, const Platform::TRect& rect, bool dimmed, bool printing) {
    if (dc == nullptr || rect.IsEmpty() || shape.IsHorizontalLine() || shape.Picture.Data.empty())
        return;
    std::uint32_t flags = 0;
    if (dimmed)
        flags |= TDocGraphic::dfLightened;
    if (printing)
        flags |= TDocGraphic::dfPrinting;
    shape.DocGraphic().Draw(dc, rect, flags);
}
