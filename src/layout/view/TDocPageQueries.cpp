// The view's questions of the page list: which pages the window shows,
// which of them is the current one, where a page lies; and the short
// scrolling steps.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "layout/boxes/TPage.h"
#include "layout/view/TViewClient.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/host/TDocClient.h"

namespace {

// Short steps move the window's pixels; from this share of the window on,
// the view is painted anew.
constexpr std::int32_t SmoothNumerator = 17;
constexpr std::int32_t SmoothDenominator = 20;

// The last row whose top is at or above y, -1 when there is none.
std::int32_t RowAt(const TDoc& doc, std::int32_t y) {
    const std::int32_t rows = std::min<std::int32_t>(doc.LastRow + 1, static_cast<std::int32_t>(doc.RowTops.size()));
    const auto end = doc.RowTops.begin() + std::max(0, rows);
    const auto it = std::upper_bound(doc.RowTops.begin(), end, y);
    return static_cast<std::int32_t>(it - doc.RowTops.begin()) - 1;
}

std::int32_t AloneShift(const TDoc& doc) {
    return doc.ViewMode == vmPrintLayout && doc.FirstPageAlone != 0 ? 1 : 0;
}

}  // namespace

std::int32_t TDoc::FirstVisiblePage() {
    const std::int32_t row = RowAt(*this, ScrollPos.Y);
    if (row < 0)
        return 0;
    return std::max(0, row * PagesPerRow - AloneShift(*this));
}

std::int32_t TDoc::LastVisiblePage() {
    std::int32_t row = std::max(0, RowAt(*this, ScrollPos.Y));
    const std::int32_t bottom = ScrollPos.Y + Client->ClientHeight(*this, false);
    const std::int32_t rows = std::min<std::int32_t>(LastRow + 1, static_cast<std::int32_t>(RowTops.size()));
    while (row + 1 < rows && RowTops[row + 1] < bottom)
        ++row;
    return std::max(0, (row + 1) * PagesPerRow - 1 - AloneShift(*this));
}

std::int32_t TDoc::CurrentPage() {
    const std::int32_t first = FirstVisiblePage();
    const std::int32_t last = LastVisiblePage();
    if (last < first)
        return first;
    const std::int32_t top = ScrollPos.Y;
    const std::int32_t bottom = top + Client->ClientHeight(*this, false);
    std::int32_t best = first;
    std::int64_t bestDistance = INT64_MAX;
    for (std::int32_t i = first; i <= last; ++i) {
        Platform::TRect r;
        GetPageRect(i, r);
        const std::int64_t distance = std::abs(r.Top - top) + std::abs(r.Bottom - bottom);
        if (distance >= bestDistance)
            continue;
        if (r.Top >= top && r.Bottom <= bottom)
            return i;
        best = i;
        bestDistance = distance;
    }
    return best;
}

void TDoc::GetPageRect(std::int32_t page, Platform::TRect& rect) {
    if (page >= 0 && page < Pages.Count) {
        rect = Pages.At<TPage>(page)->PixelBounds;
        return;
    }
    const std::int32_t known =
        std::min<std::int32_t>(LastEstimate + 1, static_cast<std::int32_t>(EstimatedPageRects.size()));
    if (known <= 0) {
        rect = {};
        return;
    }
    rect = EstimatedPageRects[std::clamp(page - Pages.Count, 0, known - 1)];
}

void TDoc::ShiftViewY(std::int32_t y) {
    const std::int32_t dy = ScrollPos.Y - y;
    if (dy == 0)
        return;
    TViewClient* view = ViewClientOf(*this);
    const std::int32_t height = Client->ClientHeight(*this, false);
    const bool shortStep = std::abs(dy) < height * SmoothNumerator / SmoothDenominator;
    ScrollPos.Y = y;
    if (view != nullptr && !view->PixelScrollForbidden && shortStep) {
        if (StateFlags[sfFollowUI] != 0)
            Client->RefreshRulers(*this);
        view->ScrollPixels(*this, 0, dy);
    } else {
        Repaint();
    }
}

void TDoc::ShiftViewX(std::int32_t x) {
    const std::int32_t dx = ScrollPos.X - x;
    if (dx == 0)
        return;
    TViewClient* view = ViewClientOf(*this);
    const std::int32_t width = Client->ClientWidth(*this, false);
    const bool shortStep = std::abs(dx) < width * SmoothNumerator / SmoothDenominator;
    ScrollPos.X = x;
    if (view != nullptr && !view->PixelScrollForbidden && shortStep) {
        if (StateFlags[sfFollowUI] != 0)
            Client->RefreshRulers(*this);
        view->ScrollPixels(*this, dx, 0);
    } else {
        Repaint();
    }
}
