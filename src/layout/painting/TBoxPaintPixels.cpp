// The pixel rectangles of a box tree, from its twips at the document's zoom.
#include <algorithm>

#include "layout/boxes/TBox.h"
#include "layout/boxes/TCellBox.h"
#include "layout/boxes/TPage.h"
#include "layout/boxes/TTableBox.h"
#include "layout/painting/BoxPainting.h"
#include "model/document/TDoc.h"
#include "model/formats/TTableRow.h"

namespace {

Platform::TRect ToPixels(const TDoc& doc, const Platform::TRect& r) {
    return {doc.TwipsToPixelsX(r.Left), doc.TwipsToPixelsY(r.Top), doc.TwipsToPixelsX(r.Right),
            doc.TwipsToPixelsY(r.Bottom)};
}

std::int32_t BorderPixels(std::int32_t width, std::int32_t pixels) {
    return width != 0 ? std::max(1, pixels) : 0;
}

// The table handles of a table box, kept inside the page they stand on.
void PlaceTableHandles(TTableBox& table, const TDoc& doc) {
    const Platform::TRect& cells = table.PixelCellBounds;
    // The page's pixel size and the table's offset on it.
    const TPage* page = table.Page();
    Platform::TPoint origin{};
    for (const TBox* b = &table; b != nullptr && b != page; b = b->Parent) {
        origin.X += b->PixelBounds.Left;
        origin.Y += b->PixelBounds.Top;
    }
    const std::int32_t pageWidth = page != nullptr ? page->PixelBounds.Width() : 0;
    const std::int32_t pageHeight = page != nullptr ? page->PixelBounds.Height() : 0;
    if ((table.Flags & bxTableStarts) != 0) {
        Platform::TRect h{cells.Left - HandleSize, cells.Top - HandleSize, cells.Left, cells.Top};
        // Above the page's top inset when no margin shows above the text.
        const std::int32_t minTop = doc.ViewMode != vmPrintLayout && page != nullptr ? page->PixelInsets.Top : 0;
        const std::int32_t dx = std::max(0, -(origin.X + h.Left));
        const std::int32_t dy = std::max(0, minTop - (origin.Y + h.Top));
        table.MoveHandle = {h.Left + dx, h.Top + dy, h.Right + dx, h.Bottom + dy};
    } else {
        table.MoveHandle = {};
    }
    if ((table.Flags & bxTableEnds) != 0) {
        const std::int32_t s = HandleSize / 2 + 1;
        Platform::TRect h{cells.Right, cells.Bottom, cells.Right + s, cells.Bottom + s};
        const std::int32_t dx = std::min(0, pageWidth - (origin.X + h.Right));
        const std::int32_t dy = std::min(0, pageHeight - (origin.Y + h.Bottom));
        table.ResizeHandle = {h.Left + dx, h.Top + dy, h.Right + dx, h.Bottom + dy};
    } else {
        table.ResizeHandle = {};
    }
}

}  // namespace

void TBox::UpdatePixelRects() {
    const TDoc& doc = *Document;
    PixelBounds = ToPixels(doc, Bounds);
    if (Parent != nullptr) {
        PixelBounds.Right = std::min(PixelBounds.Right, Parent->PixelBounds.Width());
        PixelBounds.Bottom = std::min(PixelBounds.Bottom, Parent->PixelBounds.Height());
    }
    PixelInsets = ToPixels(doc, Insets);
    if (Kind == bkTable) {
        auto& table = static_cast<TTableBox&>(*this);
        table.PixelCellBounds = ToPixels(doc, table.CellBounds);
        PlaceTableHandles(table, doc);
    } else if (Kind == bkCell) {
        auto& cell = static_cast<TCellBox&>(*this);
        if (const TTableCell* record = CellRecordOf(cell)) {
            cell.PixelBorderWidths = {
                BorderPixels(record->Borders[0].Width, doc.TwipsToPixelsX(record->Borders[0].Width)),
                BorderPixels(record->Borders[1].Width, doc.TwipsToPixelsY(record->Borders[1].Width)),
                BorderPixels(record->Borders[2].Width, doc.TwipsToPixelsX(record->Borders[2].Width)),
                BorderPixels(record->Borders[3].Width, doc.TwipsToPixelsY(record->Borders[3].Width))};
        }
    }
    for (std::int32_t i = 0; i < Count; ++i)
        Child(i)->UpdatePixelRects();
}
