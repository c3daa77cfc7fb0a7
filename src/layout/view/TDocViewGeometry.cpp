// View geometry: where every page lies on the view surface, how large the
// surface is and how the scroll bars are set.
#include <algorithm>

#include "layout/boxes/TPage.h"
#include "layout/pagination/Pagination.h"
#include "layout/view/TViewClient.h"
#include "layout/view/ViewOptions.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/formats/TTableRow.h"
#include "model/host/TDocClient.h"
#include "model/paragraphs/TPar.h"
#include "platform/Screen.h"

namespace {

// Pixels between pages and around them; with hidden white space pages
// stand closer, with a little more room at the top and the bottom.
constexpr std::int32_t PageGap = 10;
constexpr std::int32_t HiddenSpaceGap = 2;
constexpr std::int32_t HiddenSpaceEdge = 5;
// Hidden white space keeps this much of the margin above and below the text.
constexpr std::int32_t HiddenSpaceKept = 100;

bool DraftView(const TDoc& doc) {
    return doc.ViewMode != vmPrintLayout;
}

bool HidesWhiteSpace(const TDoc& doc) {
    return !DraftView(doc) && ViewOptions().HideWhiteSpace;
}

std::int32_t SpotlightMargin(const TDoc& doc) {
    return doc.SpotlightActive() && ViewOptions().SpotlightMargins ? Platform::ScreenHeight() / 2 : 0;
}

// The draft page's content height in twips: from its first box's content
// top to its last box's content bottom.
std::int32_t DraftContentHeight(const TPage& page) {
    if (page.Count == 0)
        return 0;
    const TBox* first = page.Child(0);
    const TBox* last = page.Child(page.Count - 1);
    return std::max(0, (last->Bounds.Bottom - last->Insets.Bottom) - (first->Bounds.Top + first->Insets.Top));
}

// Hidden white space: the page keeps its text and a little margin; its
// header and footer frames go. Answers the slot height in twips and moves
// the page's content up by the trimmed top.
std::int32_t TrimWhiteSpace(TDoc& doc, TPage& page, bool lastPage) {
    if (page.IsEmpty()) {
        page.PlacedShapes.Clear();
        return -2;
    }
    for (TBox* frame : {page.HeaderBox, page.FooterBox}) {
        if (frame == nullptr)
            continue;
        const std::int32_t at = page.IndexOf(frame);
        if (at == 0 || at == page.Count - 1) {
            page.Delete(at);
            TBox::Release(frame);
            if (frame == page.HeaderBox)
                page.HeaderBox = nullptr;
            else
                page.FooterBox = nullptr;
        }
    }
    if (page.Count == 0)
        return -2;
    const TBox* first = page.Child(0);
    const TBox* last = page.Child(page.Count - 1);
    const std::int32_t top = std::max(0, first->Bounds.Top + first->Insets.Top - HiddenSpaceKept);
    std::int32_t bottom = std::min(last->Bounds.Bottom - last->Insets.Bottom + HiddenSpaceKept, page.Height());
    if (lastPage)
        bottom = page.Height();
    const std::int32_t shift = doc.TwipsToPixelsY(top);
    for (std::int32_t i = 0; i < page.Count; ++i) {
        page.Child(i)->PixelBounds.Top -= shift;
        page.Child(i)->PixelBounds.Bottom -= shift;
    }
    return std::max(0, bottom - top);
}

}  // namespace

TViewOptions& ViewOptions() {
    static TViewOptions options;
    return options;
}

void TDoc::UpdateMaxPageExtents() {
    UpdatePageMetrics();
}

void TDoc::ResetPageMetrics() {
    UpdatePageMetrics();
    UpdateMaxPageExtents();
    DiscardPages(0);
    RowTops.clear();
    LastRow = -1;
    EstimatedPageRects.clear();
    LastEstimate = -1;
}

void TDoc::SetZoomMode(std::uint8_t mode) {
    const bool modeChanged = mode != ZoomMode;
    ZoomMode = mode;
    const std::int32_t fitted = FitZoom();
    if (modeChanged || fitted != Zoom)
        SetZoom(fitted);
}

void TDoc::DraftGeometry(TDraftGeometry& geometry) {
    if (StateFlags[sfDraftGeometryCached] != 0) {
        geometry = DraftCache;
        return;
    }
    TDraftGeometry g;
    const std::int32_t markerHalf = std::max<std::int32_t>(9, ViewOptions().RulerMarkerSize) / 2;
    g.LeftMargin = PixelsToTwipsY(markerHalf + 24);
    if (ViewMode == vmDraftWrapped) {
        g.TextWidth = PixelsToTwipsY(Client->ClientWidth(*this, false)) - 2 * g.LeftMargin;
    } else {
        for (std::int32_t i = 0; i < Sections.Count; ++i)
            g.TextWidth = std::max(g.TextWidth, Sections.At<TSection>(i)->PageSetup.TextWidth);
    }
    g.TextWidth = std::max(g.TextWidth, 0);
    g.PlainTextWidth = g.TextWidth;
    // Tables wider than the text widen the view; shapes join when the shape
    // layout does.
    for (std::int32_t i = 0; i < TableRowList.Count; ++i) {
        const TTableRow* row = TableRowList.At<TTableRow>(i);
        if (row == nullptr || row->Data.CellCount <= 0)
            continue;
        const std::int32_t left = row->Data.LeftEdge;
        const std::int32_t right = row->Data.Cells[row->Data.CellCount - 1].RightEdge;
        g.TextWidth = std::max(g.TextWidth, right - std::min(0, left));
    }
    if (g.LeftMargin != DraftCache.LeftMargin || g.TextWidth != DraftCache.TextWidth ||
        g.PlainTextWidth != DraftCache.PlainTextWidth) {
        DraftCache = g;
        DraftGeometryChanged = 1;
    }
    StateFlags[sfDraftGeometryCached] = 1;
    geometry = DraftCache;
}

void TDoc::UpdateViewGeometry() {
    if (GeometrySuppressed != 0)
        return;
    if (WindowSizeNotRead == 0) {
        KnownClientWidth = Client->ClientWidth(*this, false);
        KnownClientHeight = Client->ClientHeight(*this, false);
    }
    const std::int32_t cw = KnownClientWidth, ch = KnownClientHeight;
    TMaxPageExtents extents;
    GetMaxPageExtents(extents);
    const std::int32_t W = extents.PageWidthZoomed, H = extents.PageHeightZoomed;
    const TViewPoint old = ViewExtent;
    const bool draft = DraftView(*this);
    const bool hidden = HidesWhiteSpace(*this);
    const bool complete = StateFlags[sfPaginationComplete] != 0;
    const std::int32_t gap = hidden ? HiddenSpaceGap : PageGap;

    // Pages per row, and the empty first slot of two facing pages.
    if (draft || ZoomMode == zmPageWidth || ZoomMode == zmTextWidth || ZoomMode == zmWholePage)
        PagesPerRow = 1;
    else if (ZoomMode == zmTwoPages)
        PagesPerRow = 2;
    else
        PagesPerRow = std::max(1, std::min(Pages.Count, (cw - PageGap) / (W + PageGap)));
    FirstPageAlone = !draft && ZoomMode == zmTwoPages ? 1 : 0;
    const std::int32_t emptySlots = FirstPageAlone;

    TDraftGeometry dg;
    if (draft)
        DraftGeometry(dg);
    const std::int32_t draftWidth = draft ? TwipsToPixelsX(2 * dg.LeftMargin + dg.TextWidth) : 0;
    std::int32_t viewWidth = draft ? draftWidth : (W + PageGap) * PagesPerRow + PageGap;
    viewWidth = std::max(viewWidth, cw);

    for (std::int32_t i = 0; i < Pages.Count; ++i)
        Pages.At<TPage>(i)->UpdatePixelRects();

    // The height of a slot beyond the laid-out pages: the last non-empty
    // page's, or the first section's page height before there is any page.
    std::int32_t estimateHeight = 0;
    if (Sections.Count > 0)
        estimateHeight = TwipsToPixelsY(Sections.At<TSection>(0)->PageSetup.PageHeight);
    bool startsWithTable = false;
    if (ParCount() > 0)
        startsWithTable = Par(0)->Format.InTable != 0;

    const std::int32_t top0 = SpotlightMargin(*this);
    std::int32_t y = top0, x = 0, rowHeight = 0, viewHeight = top0;
    std::int32_t row = -1;
    RowTops.clear();
    EstimatedPageRects.clear();
    for (std::int32_t slot = 0;; ++slot) {
        const std::int32_t index = slot - emptySlots;
        const bool laidOut = index >= 0 && index < Pages.Count;
        const bool empty = index < 0;
        if (!empty && !laidOut) {
            if (complete)
                break;
            // Estimates go on until a row would end well below the old view.
            if (row >= 1 && y + rowHeight > old.Y + PageGap && slot % PagesPerRow == 0)
                break;
            if (index > Pages.Count + 100000)
                break;
        }
        std::int32_t height = 0;
        TPage* page = laidOut ? Pages.At<TPage>(index) : nullptr;
        if (empty) {
            height = 0;
        } else if (page == nullptr) {
            height = estimateHeight;
        } else if (draft) {
            height = TwipsToPixelsY(DraftContentHeight(*page)) - 1;
            page->PixelBounds.Bottom = page->PixelBounds.Top + std::max(0, height);
        } else if (hidden) {
            const std::int32_t t = TrimWhiteSpace(*this, *page, index == Pages.Count - 1 && complete);
            height = t > 0 ? TwipsToPixelsY(t) : t;
        } else {
            height = TwipsToPixelsY(page->Height());
        }
        if (page != nullptr && !page->IsEmpty() && height > 0)
            estimateHeight = height;
        const std::int32_t slotRow = slot / PagesPerRow;
        if (slotRow == row) {
            rowHeight = std::max(rowHeight, height);
        } else {
            if (draft) {
                x = ViewMode == vmDraftWrapped || ViewOptions().CenterDraftText ? (viewWidth - draftWidth) / 2
                                                                                : TwipsToPixelsX(dg.LeftMargin);
                y = row < 0 ? y + PageGap + (startsWithTable ? PageGap : 0) : y + rowHeight;
            } else {
                x = (viewWidth - PagesPerRow * (W + PageGap) + PageGap) / 2;
                if (hidden)
                    y = row < 0 ? y + HiddenSpaceGap + 3 : y + rowHeight + HiddenSpaceGap;
                else
                    y = row < 0 ? y + PageGap : y + rowHeight + PageGap;
            }
            row = slotRow;
            RowTops.push_back(y);
            rowHeight = height;
        }
        if (page != nullptr) {
            const std::int32_t width = page->PixelBounds.Width();
            std::int32_t px = x;
            if (!draft && PagesPerRow == 1 && width < W && width < cw - 20)
                px = (cw - 20 - width) / 2;
            page->PixelBounds = {px, y, px + width, y + std::max(0, height)};
        } else if (!empty) {
            EstimatedPageRects.push_back({x, y, x + W, y + std::max(0, height)});
        }
        if (!draft)
            x += W + PageGap;
        viewHeight = y + rowHeight;
    }
    LastRow = static_cast<std::int32_t>(RowTops.size()) - 1;
    LastEstimate = static_cast<std::int32_t>(EstimatedPageRects.size()) - 1;

    viewHeight += hidden ? HiddenSpaceEdge : gap;
    viewHeight = std::max(viewHeight, ch);
    viewHeight += SpotlightMargin(*this);
    if (!complete)
        viewHeight = std::max(viewHeight, old.Y);
    ViewExtent = {viewWidth, viewHeight};

    TViewPoint scroll = ScrollPos;
    scroll.X = std::clamp(scroll.X, 0, std::max(0, viewWidth - cw));
    scroll.Y = std::clamp(scroll.Y, 0, std::max(0, viewHeight - ch));
    if (ScrollBarsUntouched == 0) {
        if (scroll.X != ScrollPos.X || scroll.Y != ScrollPos.Y) {
            PushStateFlag(sfViewChanges);
            ScrollTo(scroll);
            PopStateFlag();
        }
        if (TViewClient* view = ViewClientOf(*this)) {
            TScrollRanges ranges;
            ranges.HorzRange = viewWidth;
            ranges.HorzPage = cw * 9 / 10;
            ranges.VertRange = viewHeight;
            ranges.VertPage = ch * 9 / 10;
            if (!draft && (ZoomMode == zmWholePage || ZoomMode == zmTwoPages))
                ranges.VertPage = H + PageGap;
            view->SetScrollRanges(*this, ranges);
        }
        Client->ResizeToClient(*this);
    }
    if (WindowSizeNotRead != 0 && viewWidth != old.X)
        ViewWidthChanged = 1;
}
