// View mode, print preview, zoom, scrolling, saving state and the twips
// conversions.
#include "model/document/TDoc.h"

#include <algorithm>
#include <cstdlib>

#include "model/document/StateFlags.h"
#include "model/formats/TCompoundFragment.h"
#include "model/host/ModelOptions.h"
#include "model/host/TDocClient.h"
#include "model/host/TModelHost.h"

namespace {

// a × b / c rounded half up (also for negative values: towards +infinity
// at exact halves).
std::int32_t MulDivHalfUp(std::int64_t a, std::int64_t b, std::int64_t c) {
    if (c == 0)
        return 0;
    std::int64_t n = a * b;
    if (c < 0) {
        n = -n;
        c = -c;
    }
    std::int64_t q = n / c;
    const std::int64_t r = n % c;
    if (r != 0 && n < 0)
        --q;  // floor
    const std::int64_t rem = n - q * c;
    if (rem * 2 >= c)
        ++q;
    return static_cast<std::int32_t>(q);
}

// a × b / c rounded to nearest, halves away from zero (the platform's
// multiply-divide).
std::int32_t MulDivNearest(std::int64_t a, std::int64_t b, std::int64_t c) {
    if (c == 0)
        return -1;
    const std::int64_t n = a * b;
    const std::int64_t q = (std::llabs(n) + std::llabs(c) / 2) / std::llabs(c);
    return static_cast<std::int32_t>((n < 0) != (c < 0) ? -q : q);
}

}  // namespace

void TDoc::SetViewMode(std::uint8_t mode) {
    if (mode == ViewMode)
        return;
    ViewMode = mode;
    // Remembered as the mode new documents of the kind start in.
    if (FormatCode == 6)
        ModelOptions().DefaultTextViewMode = mode;
    else
        ModelOptions().DefaultViewMode = mode;
    PushStateFlag(sfViewChanges);
    PushStateFlag(sfClientKnown);
    PushStateFlag(sfNoZoomRepaint);
    Client->ViewModeChanged(*this);
    PopStateFlags(3);
    if (EditedHeaderFooter != nullptr) {
        Client->RebuildLayout(*this);
    } else {
        PushStateFlag(sfKeepSelectedShapes);
        Client->RebuildLayout(*this);
        PopStateFlag();
    }
    ModelHost().InvalidateUI();
}

void TDoc::BeginTempViewMode(std::uint8_t mode) {
    TempSavedViewMode = ViewMode;
    TempSavedScroll = ScrollPos;
    PushStateFlag(sfClientKnown);
    PushStateFlag(sfTempViewGeometry);
    ViewMode = mode;
    PushStateFlag(sfViewChanges);
    PushStateFlag(sfClientKnown);
    PushStateFlag(sfNoZoomRepaint);
    PushStateFlagClear(sfFollowUI);
    Client->RebuildLayout(*this);
    StateFlags[sfTempViewMode] = 1;
}

void TDoc::EndTempViewMode(bool restore) {
    if (StateFlags[sfTempViewMode] == 0)
        return;
    if (restore) {
        ViewMode = TempSavedViewMode;
        Client->RebuildLayout(*this);
    }
    PopStateFlags(4);
    if (restore && IsEmptyCompoundFragment(Selection)) {
        ScrollPos = TempSavedScroll;
        Client->Repaint(*this, nullptr);
    }
    PopStateFlags(2);
    StateFlags[sfTempViewMode] = 0;
}

void TDoc::SetPrintPreview(bool on) {
    if ((PrintPreview != 0) == on)
        return;
    Client->CloseSplitView(*this);
    TModelHost& host = ModelHost();
    TModelOptions& options = ModelOptions();
    host.SetDispatcherBusy(true);
    PushStateFlag(sfViewChanges);
    PushStateFlag(sfNoZoomRepaint);
    if (on) {
        PreviewSavedViewMode = ViewMode;
        PreviewSavedScroll = ScrollPos;
        PreviewSavedZoom = TZoomSetting{Zoom, ZoomMode};
        PrintPreview = 1;
        ZoomMode = options.PreviewZoomMode;
        SetZoom(options.PreviewZoom);
        if (ViewMode != vmPrintLayout || options.PreviewForcesViewMode) {
            ViewMode = vmPrintLayout;
            Client->RebuildLayout(*this);
        }
    } else {
        PrintPreview = 0;
        ZoomMode = PreviewSavedZoom.Mode;
        SetZoom(PreviewSavedZoom.Zoom);
        if (PreviewSavedViewMode != ViewMode || options.PreviewForcesViewMode) {
            ViewMode = PreviewSavedViewMode;
            Client->RebuildLayout(*this);
        }
    }
    PopStateFlags(2);
    Client->ResizeToClient(*this);
    Client->RefreshRulers(*this);
    Client->UpdateScrollBars(*this);
    if (on && options.PreviewScrollToCaretPage)
        Client->ScrollCaretIntoView(*this, 0);
    else
        ScrollTo(PreviewSavedScroll);
    host.InvalidateUI();
    host.SetDispatcherBusy(false);
    Client->Repaint(*this, nullptr);
}

void TDoc::SetZoom(std::int32_t percent) {
    SetZoomAt(percent, nullptr);
}

void TDoc::SetZoomAt(std::int32_t percent, const TViewPoint* anchor) {
    const bool settingUp = StateFlags[sfSettingUp] != 0;
    const std::int32_t oldZoom = ZoomInForce > 0 ? ZoomInForce : 100;
    // The place to keep, in 100 % coordinates.
    TViewPoint place;
    if (!settingUp) {
        place = ScrollPos;
        if (anchor != nullptr) {
            place.X += anchor->X;
            place.Y += anchor->Y;
        }
        place.X = MulDivNearest(place.X, 100, oldZoom);
        place.Y = MulDivNearest(place.Y, 100, oldZoom);
    }
    Zoom = percent;
    if (StateFlags[sfPreviewDocument] == 0 && StateFlags[sfHidden] == 0)
        Zoom = FitZoom();
    const bool changed = Zoom != ZoomInForce;
    ZoomInForce = Zoom;
    ZoomedResolutionX = ZoomedResolutionY = MulDivNearest(ModelOptions().ScreenPixelsPerInch, Zoom, 100);
    UpdatePageMetrics();
    if (settingUp)
        return;

    Client->ZoomChanged(*this);
    PushStateFlag(sfViewChanges);
    if (ViewMode == vmDraftWrapped && changed) {
        StateFlags[sfDraftGeometryCached] = 0;
        PushStateFlag(sfKeepSelectedShapes);
        Client->RebuildLayout(*this);
        PopStateFlag();
    } else {
        Client->RescaleLayout(*this);
    }
    if (StateFlags[sfFitScrollsToPage] != 0) {
        StateFlags[sfFitScrollsToPage] = 0;
        Client->ScrollCaretIntoView(*this, 0);
    } else if (StateFlags[sfKeepScrollOnZoom] == 0) {
        TViewPoint scroll{MulDivNearest(place.X, Zoom, 100), MulDivNearest(place.Y, Zoom, 100)};
        if (anchor != nullptr) {
            scroll.X -= anchor->X;
            scroll.Y -= anchor->Y;
        }
        ClampScrollPos(scroll);
        ScrollPos = scroll;
    }
    PopStateFlag();
    if (PrintPreview != 0) {
        ModelOptions().PreviewZoom = Zoom;
        ModelOptions().PreviewZoomMode = ZoomMode;
    }
    if (StateFlags[sfFollowUI] != 0)
        Client->RefreshRulers(*this);
    InvalidateSpotlight();
    if (StateFlags[sfNoZoomRepaint] == 0)
        Client->Repaint(*this, nullptr);
}

void TDoc::SetZoomAndMode(const TZoomSetting& setting) {
    Zoom = setting.Zoom;
    ZoomMode = setting.Mode;
}

void TDoc::SaveZoomForPreview() {
    ModelOptions().PreviewZoom = Zoom;
    ModelOptions().PreviewZoomMode = ZoomMode;
}

void TDoc::RestoreZoomAfterPreview() {
    Zoom = ModelOptions().PreviewZoom;
    ZoomMode = ModelOptions().PreviewZoomMode;
}

std::int32_t TDoc::FitZoom() {
    if (!HasWindow())
        return Zoom;
    const bool wholePage = ZoomMode == zmWholePage || ZoomMode == zmTwoPages;
    const bool measure = ViewMode == vmPrintLayout && wholePage && StateFlags[sfClientKnown] == 0;
    const std::int64_t w = Client->ClientWidth(*this, measure);
    const std::int64_t h = Client->ClientHeight(*this, false);
    const std::int64_t pageWidth = MaxPageExtents.PageWidth100;
    const std::int64_t pageHeight = MaxPageExtents.PageHeight100;
    const std::int64_t textWidth = MulDivHalfUp(MaxPageExtents.TextWidth, ModelOptions().ScreenPixelsPerInch, 1440);
    std::int64_t zoom = Zoom;
    auto limitByHeight = [&](std::int64_t z) {
        if (pageHeight > 0 && h - 20 < z * pageHeight / 100)
            z = (h - 20) * 100 / pageHeight;
        return z;
    };
    if (ViewMode == vmPrintLayout) {
        switch (ZoomMode) {
            case zmPageWidth:
                if (pageWidth > 0)
                    zoom = (w - 20) * 100 / pageWidth;
                break;
            case zmTextWidth:
                if (textWidth > 0)
                    zoom = (w - 40) * 100 / textWidth;
                break;
            case zmWholePage:
                if (pageWidth > 0) {
                    zoom = limitByHeight((w - 20) * 100 / pageWidth);
                    StateFlags[sfFitScrollsToPage] = 1;
                }
                break;
            case zmTwoPages:
                if (pageWidth > 0) {
                    zoom = limitByHeight((w - 33) * 100 / (2 * pageWidth));
                    StateFlags[sfFitScrollsToPage] = 1;
                }
                break;
            default:
                break;
        }
    } else if (ViewMode == vmDraft && ZoomMode == zmTextWidth && textWidth > 0) {
        zoom = (w - Client->DraftGutter(*this)) * 100 / textWidth;
    }
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(zoom, 10, 500));
}

void TDoc::ClampScrollPos(TViewPoint& point) {
    if (StateFlags[sfNoScrollClamp] != 0)
        return;
    const std::int32_t width = Client->ClientWidth(*this, false);
    const std::int32_t height = Client->ClientHeight(*this, false);
    point.X = std::clamp(point.X, 0, std::max(0, ViewExtent.X - width));
    point.Y = std::clamp(point.Y, 0, std::max(0, ViewExtent.Y - height));
}

void TDoc::ScrollTo(TViewPoint point) {
    ClampScrollPos(point);
    TModelHost& host = ModelHost();
    if (point.X != ScrollPos.X || point.Y != ScrollPos.Y) {
        const std::int32_t dx = point.X - ScrollPos.X, dy = point.Y - ScrollPos.Y;
        ScrollPos = point;
        if (StateFlags[sfViewChanges] != 0) {
            // Only recorded: whoever set the flag repaints once at the end.
        } else if (SpotlightActive() || (dx != 0 && dy != 0)) {
            Client->Repaint(*this, nullptr);
        } else {
            Client->ScrollView(*this, dx, dy);
        }
        host.InvalidateUI();
    }
    Client->UpdateScrollBars(*this);
    if (StateFlags[sfFollowUI] != 0)
        Client->RefreshRulers(*this);
    TDoc* partner = host.SideBySidePartner(*this);
    if (partner != nullptr && partner != this && ModelOptions().SynchronousScrolling &&
        (host.IsActiveDocument(*this) || StateFlags[sfWheelScroll] != 0)) {
        StateFlags[sfWheelScroll] = 0;
        partner->ScrollToY(ScrollPos.Y + SideBySideOffset);
    }
}

void TDoc::ScrollToY(std::int32_t y) {
    ScrollTo(TViewPoint{ScrollPos.X, y});
}

void TDoc::InvalidateSpotlight() {
    if (SpotlightActive() && ModelOptions().SpotlightCentred)
        SpotlightRecentre = 1;
}

bool TDoc::HasWindow() const {
    return Client->HasWindow();
}

void TDoc::SetModified(bool modified) {
    const std::uint8_t value = modified ? 1 : 0;
    if (value == Modified)
        return;
    Modified = value;
    ModelHost().InvalidateUI();
}

bool TDoc::NeedsSave() const {
    return Modified != 0 || StateFlags[sfUntitled] != 0;
}

bool TDoc::IsFileOpenElsewhere() const {
    if (StateFlags[sfUntitled] != 0)
        return false;
    return ModelHost().IsFileOpenElsewhere(*this);
}

std::int32_t TDoc::TwipsToPixelsX(std::int32_t twips) const {
    return MulDivHalfUp(twips, ZoomedResolutionX, 1440);
}

std::int32_t TDoc::TwipsToPixelsY(std::int32_t twips) const {
    return MulDivHalfUp(twips, ZoomedResolutionY, 1440);
}

void TDoc::TwipsRectToPixels(const TViewRect& twips, TViewRect& pixels) const {
    pixels.Left = TwipsToPixelsX(twips.Left);
    pixels.Right = TwipsToPixelsX(twips.Right);
    pixels.Top = TwipsToPixelsY(twips.Top);
    pixels.Bottom = TwipsToPixelsY(twips.Bottom);
}

std::int32_t TDoc::TwipsToZoomedPixelsX(std::int32_t twips, std::int32_t percent) const {
    return MulDivHalfUp(static_cast<std::int64_t>(twips) * ZoomedResolutionX, percent, 144000);
}

std::int32_t TDoc::TwipsToZoomedPixelsY(std::int32_t twips, std::int32_t percent) const {
    return MulDivHalfUp(static_cast<std::int64_t>(twips) * ZoomedResolutionY, percent, 144000);
}

std::int32_t TDoc::PixelsToTwipsY(std::int32_t pixels) const {
    return MulDivNearest(pixels, 1440, ZoomedResolutionY);
}

std::int32_t TDoc::ApplyZoom(std::int32_t value) const {
    return Zoom == 100 ? value : MulDivNearest(value, Zoom, 100);
}

std::int32_t TDoc::ApplyZoomInForce(std::int32_t value) const {
    return ZoomInForce == 100 ? value : MulDivNearest(value, ZoomInForce, 100);
}

std::int32_t TDoc::FontHeightPixels(std::int32_t halfPoints) const {
    const std::int32_t height = MulDivHalfUp(halfPoints, ZoomedResolutionY, 144);
    return -std::max(height, 3);
}
