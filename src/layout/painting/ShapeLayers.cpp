#include "layout/painting/ShapeLayers.h"

#include <algorithm>
#include <vector>

#include "layout/boxes/TPage.h"
#include "layout/pagination/FloatingShapes.h"
#include "layout/painting/InlinePictures.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/formats/TShape.h"
#include "platform/DeviceContexts.h"

void PaintShapeLayer(TPage& page, Platform::HDC dc, std::int32_t x, std::int32_t y, int layer) {
    if (dc == nullptr || page.Document == nullptr || page.PlacedShapes.Count == 0)
        return;
    TDoc& doc = *page.Document;
    const bool headerLayer = layer < 2;
    const bool behindLayer = layer % 2 == 0;
    std::vector<TShape*> shapes;
    for (std::int32_t i = 0; i < page.PlacedShapes.Count; ++i) {
        TShape* shape = page.PlacedShapes.At<TShape>(i);
        if ((shape->Story == stHeadersFooters) == headerLayer && shape->IsBehindText() == behindLayer)
            shapes.push_back(shape);
    }
    std::stable_sort(shapes.begin(), shapes.end(),
                     [](const TShape* a, const TShape* b) { return a->ZOrder() < b->ZOrder(); });
    const bool printing = doc.StateFlags[sfPreviewDocument] != 0;
    for (TShape* shape : shapes) {
        const TRect r = PlacedRect(page, *shape);
        const Platform::TRect rect{x + doc.TwipsToPixelsX(r.Left), y + doc.TwipsToPixelsY(r.Top),
                                   x + doc.TwipsToPixelsX(r.Right), y + doc.TwipsToPixelsY(r.Bottom)};
        if (rect.IsEmpty())
            continue;
        if (!shape->Picture.Data.empty()) {
            PaintInlinePicture(*shape, dc, rect, false, printing);
            continue;
        }
        // Shapes other than pictures have no drawing of their own yet: the
        // frame shows where they stand.
        Platform::HBRUSH brush = Platform::CreateSolidBrush(0);
        Platform::FrameRect(dc, rect, brush);
        Platform::DeleteBrush(brush);
    }
}
