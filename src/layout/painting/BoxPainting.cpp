#include "layout/painting/BoxPainting.h"

#include <algorithm>

#include "base/graphics/TServiceBitmap.h"
#include "layout/boxes/TCellBox.h"
#include "layout/painting/ShapeLayers.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/formats/TTableRow.h"
#include "model/managers/TColorManager.h"
#include "platform/Regions.h"

THighlightRangeSource HighlightRangeSource = nullptr;
// Floating shapes paint through their pictures unless a window replaces it.
TShapeLayerPainter ShapeLayerPainter = PaintShapeLayer;
TBoxDecorationPainter BoxDecorationPainter = nullptr;
THeaderFooterFieldUpdater HeaderFooterFieldUpdater = nullptr;

std::int32_t PaletteSlotColor(int slot) {
    if (ColorManager != nullptr && ColorManager->CurrentPalette != nullptr)
        return ColorManager->SlotColor(slot);
    return DefaultSlotColor(slot);
}

bool PaintsDirectly(const TDoc& doc) {
    return doc.StateFlags[sfPreviewDocument] != 0;
}

void AddHighlightRect(TDoc& doc, const Platform::TRect& rect) {
    if (doc.SelectionRgn == nullptr || ServiceBitmap == nullptr)
        return;
    Platform::TRect r{std::max(rect.Left, 0), std::max(rect.Top, 0), std::min(rect.Right, ServiceBitmap->Width),
                      std::min(rect.Bottom, ServiceBitmap->Height)};
    if (r.IsEmpty())
        return;
    Platform::HRGN add = Platform::CreateRectRgnIndirect(r);
    Platform::CombineRgn(doc.SelectionRgn, doc.SelectionRgn, add, Platform::RGN_OR);
    Platform::DeleteRegion(add);
}

const TTableCell* CellRecordOf(const TCellBox& cell) {
    if (cell.CellRecord != nullptr)
        return cell.CellRecord;
    if (cell.Row == nullptr || cell.CellIndex < 0 || cell.CellIndex >= cell.Row->Data.CellCount)
        return nullptr;
    return &cell.Row->Data.Cells[cell.CellIndex];
}
