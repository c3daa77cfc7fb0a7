#include "layout/view/TViewClient.h"

#include "model/document/TDoc.h"
#include "model/formats/TCompoundFragment.h"

TViewClient* ViewClientOf(const TDoc& doc) {
    return dynamic_cast<TViewClient*>(doc.Client);
}

void TViewClient::ScrollView(TDoc& doc, std::int32_t dx, std::int32_t dy) {
    // The scroll position is already stored: step back to the old one so
    // that the shift sees the distance.
    if (dy != 0) {
        const std::int32_t y = doc.ScrollPos.Y;
        doc.ScrollPos.Y -= dy;
        doc.ShiftViewY(y);
    }
    if (dx != 0) {
        const std::int32_t x = doc.ScrollPos.X;
        doc.ScrollPos.X -= dx;
        doc.ShiftViewX(x);
    }
}

void TViewClient::Repaint(TDoc& doc, const TFragment* range) {
    if (range == nullptr) {
        doc.Repaint();
        return;
    }
    TCompoundFragment* set = NewCompoundFragment();
    set->Fragment(0) = *range;
    doc.PaintView(nullptr, set);
    ReleaseCompoundFragment(set);
}

void TViewClient::UpdateScrollBars(TDoc& doc) {
    // The bars follow the view geometry, which sets them itself.
}

Platform::HDC TViewClient::AcquireDC(TDoc& doc) {
    return Window != nullptr ? Platform::GetDC(Window) : nullptr;
}

void TViewClient::ReleaseDC(TDoc& doc, Platform::HDC dc) {
    if (Window != nullptr && dc != nullptr)
        Platform::ReleaseDC(Window, dc);
}

void TViewClient::ScrollPixels(TDoc& doc, std::int32_t dx, std::int32_t dy) {
    if (Window == nullptr)
        return;
    const Platform::TRect area = DocumentArea();
    Platform::ScrollWindowEx(Window, dx, dy, &area, &area, nullptr, nullptr, Platform::SW_INVALIDATE);
    Platform::UpdateWindow(Window);
}

void TViewClient::Paginate(TDoc& doc, std::int32_t fromPage, std::int32_t toPage) {
    TLayoutClient::Paginate(doc, fromPage, toPage);
    doc.UpdateViewGeometry();
}

void TViewClient::RebuildLayout(TDoc& doc) {
    TLayoutClient::RebuildLayout(doc);
    doc.UpdateViewGeometry();
}

std::int32_t TViewClient::LastVisiblePage(const TDoc& doc) {
    // The query reads the view's rows only; it is not const because the
    // document's page queries are not.
    return const_cast<TDoc&>(doc).LastVisiblePage();
}
