// Painting the document view: the visible pages through the shared
// off-screen bitmap, the overlays laid over them, and the copy to the window.
#include <algorithm>
#include <vector>

#include "base/core/Ticks.h"
#include "base/graphics/TServiceBitmap.h"
#include "layout/boxes/TPage.h"
#include "layout/pagination/Pagination.h"
#include "layout/painting/BoxPainting.h"
#include "layout/view/TViewClient.h"
#include "layout/view/ViewOptions.h"
#include "layout/view/ViewPainting.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TLine.h"
#include "model/host/ModelOptions.h"
#include "model/host/TDocClient.h"
#include "model/managers/TColorManager.h"
#include "model/paragraphs/TPar.h"
#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"
#include "platform/Regions.h"

TSpotlightRangeSource SpotlightRangeSource = nullptr;
TWrapPolygonPainter WrapPolygonPainter = nullptr;

namespace {

// Only the first visible page is painted while this flag is set.
constexpr std::uint8_t sfFirstPageOnly = 20;
// Set once the document has been painted.
constexpr std::uint8_t sfPainted = 75;

// The dispatcher's painting flag: one paint of any document at a time.
bool PaintRunning = false;
// Documents whose paint was asked for while another paint ran.
std::vector<TDoc*> MissedPaints;

std::int32_t Red(std::int32_t c) {
    return c & 0xFF;
}
std::int32_t Green(std::int32_t c) {
    return (c >> 8) & 0xFF;
}
std::int32_t Blue(std::int32_t c) {
    return (c >> 16) & 0xFF;
}

void EnsureServiceBitmap(std::int32_t width, std::int32_t height) {
    static TServiceBitmap* owned = nullptr;
    if (ServiceBitmap == nullptr) {
        // Tools and tests paint without the shared managers; the view then
        // makes the bitmap itself, once for the run.
        owned = new TServiceBitmap();
        ServiceBitmap = owned;
    }
    if (ServiceBitmap->Bits == nullptr || ServiceBitmap->Width < width || ServiceBitmap->Height < height) {
        ServiceBitmap->Width = std::max(ServiceBitmap->Width, width);
        ServiceBitmap->Height = std::max(ServiceBitmap->Height, height);
        ServiceBitmap->AllocateBitmap();
    }
}

void FillArea(TDoc& doc, Platform::HDC dc, const Platform::TRect& r, std::int32_t color) {
    if (PaintsDirectly(doc)) {
        if (dc == nullptr)
            return;
        Platform::HBRUSH brush = Platform::CreateSolidBrush(static_cast<Platform::TColorRef>(color));
        Platform::FillRect(dc, r, brush);
        Platform::DeleteBrush(brush);
    } else {
        ServiceBitmap->FillRect(r, color);
    }
}

void FrameArea(TDoc& doc, Platform::HDC dc, const Platform::TRect& r, std::int32_t color) {
    if (PaintsDirectly(doc)) {
        if (dc == nullptr)
            return;
        Platform::HBRUSH brush = Platform::CreateSolidBrush(static_cast<Platform::TColorRef>(color));
        Platform::FrameRect(dc, r, brush);
        Platform::DeleteBrush(brush);
    } else {
        ServiceBitmap->FrameRect(r, color);
    }
}

// The pixel rectangle of a line in window pixels, and its column box.
bool LineRect(TDoc& doc,
              const TLine& line,
              const Platform::TRect& area,
              Platform::TRect& rect,
              Platform::TRect& column) {
    const TBox* box = line.Box;
    const TPage* page = box != nullptr ? const_cast<TBox*>(box)->Page() : nullptr;
    if (page == nullptr)
        return false;
    auto origin = [&](const TBox* b) {
        Platform::TPoint p{area.Left - doc.ScrollPos.X, area.Top - doc.ScrollPos.Y};
        for (; b != nullptr; b = b->Parent) {
            p.X += b->PixelBounds.Left;
            p.Y += b->PixelBounds.Top;
        }
        return p;
    };
    const Platform::TPoint o = origin(box);
    const std::int32_t top = o.Y + box->PixelInsets.Top + doc.TwipsToPixelsY(line.Top);
    rect = {o.X, top, o.X + box->PixelBounds.Width(), top + std::max(1, doc.TwipsToPixelsY(line.Height))};
    const TBox* col = const_cast<TBox*>(box)->ColumnOrFrameOf();
    if (col == nullptr)
        col = box;
    const Platform::TPoint c = origin(col);
    column = {c.X, c.Y, c.X + col->PixelBounds.Width(), c.Y + col->PixelBounds.Height()};
    return true;
}

// The laid-out line holding a position, nil when it is not laid out.
TLine* LineOfPos(TDoc& doc, const TTextPos& pos) {
    if (pos.Par < 0 || pos.Par >= doc.ParCount())
        return nullptr;
    TPar* par = doc.Par(pos.Par);
    for (std::int32_t i = 0; i < par->LineCount(); ++i) {
        TLine* line = par->Lines->At<TLine>(i);
        if (line != nullptr && pos.Offset >= line->FirstChar && pos.Offset <= line->FirstChar + line->CharCount)
            return line->Box != nullptr ? line : nullptr;
    }
    return nullptr;
}

// The spot of spotlight view in window pixels; false when it is not valid.
bool SpotRect(TDoc& doc, const Platform::TRect& area, Platform::TRect& spot) {
    const TLine* start = LineOfPos(doc, doc.PaintedSpotlightRange.Start);
    const TLine* end = LineOfPos(doc, doc.PaintedSpotlightRange.End);
    if (start == nullptr || end == nullptr)
        return false;
    Platform::TRect a, b, colA, colB;
    if (!LineRect(doc, *start, area, a, colA) || !LineRect(doc, *end, area, b, colB))
        return false;
    const bool sameColumn = start->Box->ColumnOrFrameOf() == end->Box->ColumnOrFrameOf();
    if (start != end && doc.ViewMode == vmPrintLayout && !sameColumn)
        return false;
    const bool tableA = start->Box->TableOf() != nullptr, tableB = end->Box->TableOf() != nullptr;
    spot = {colA.Left, a.Top - 1, colB.Right, b.Bottom + 1};
    if (doc.ViewMode != vmPrintLayout && !tableA && !tableB) {
        spot.Left = 0;
        spot.Right = area.Right - 1;
    }
    if (tableA != tableB || (tableA && start->Box->TableOf() != end->Box->TableOf())) {
        spot.Left = 0;
        spot.Right = area.Right - 1;
    }
    const std::int32_t minHeight = ViewOptions().SpotlightMinHeight;
    if (minHeight > 0 && spot.Height() < minHeight) {
        const std::int32_t grow = minHeight - spot.Height();
        spot.Top -= grow / 2;
        spot.Bottom = spot.Top + minHeight;
    }
    return true;
}

// Greys the rows from top to bottom outside the spot.
void DimOutsideSpot(const Platform::TRect& spot, std::int32_t top, std::int32_t bottom, std::int32_t right) {
    const std::uint32_t flags = ViewOptions().SpotlightFlags;
    std::int32_t level = 0;
    if ((flags & spDim4) != 0)
        level = 4;
    else if ((flags & spDim3) != 0)
        level = 3;
    else if ((flags & spDim2) != 0)
        level = 2;
    else if ((flags & spDim1) != 0)
        level = 1;
    const bool blur = (flags & spBlur) != 0;
    TServiceBitmap& bm = *ServiceBitmap;
    top = std::max(top, 0);
    bottom = std::min(bottom, bm.Height);
    right = std::min(right, bm.Width);
    Platform::GdiFlush();
    std::vector<std::int32_t> sums;
    for (std::int32_t y = top; y < bottom; ++y) {
        std::uint32_t* row = bm.Bits + static_cast<std::size_t>(y) * bm.Width;
        const bool rowInSpot = y >= spot.Top && y < spot.Bottom;
        auto sumOf = [](std::uint32_t p) {
            return static_cast<std::int32_t>(((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF));
        };
        if (blur) {
            // Sums over 11 pixels centred on each pixel, read before the row
            // changes; pixels beyond the row count as white.
            sums.assign(std::max(0, right), 0);
            for (std::int32_t x = 0; x < right; ++x) {
                std::int32_t s = 0;
                for (std::int32_t k = x - 5; k <= x + 5; ++k)
                    s += k >= 0 && k < right ? sumOf(row[k]) : 765;
                sums[x] = s;
            }
        }
        for (std::int32_t x = 0; x < right; ++x) {
            if (rowInSpot && x >= spot.Left && x < spot.Right)
                continue;
            const std::int32_t grey = blur ? (6 - level) * sums[x] / 198 : (6 - level) * sumOf(row[x]) / 18;
            const auto g = static_cast<std::uint32_t>(std::clamp(grey, 0, 255));
            row[x] = (row[x] & 0xFF000000u) | (g << 16) | (g << 8) | g;
        }
    }
}

// Answers whether the spotlight pass scrolled the view (then it dims
// nothing and the view is painted again).
bool SpotlightPass(TDoc& doc, const Platform::TRect& area, bool partial) {
    Platform::TRect spot;
    const bool valid = SpotRect(doc, area, spot);
    if (doc.SpotlightRecentre != 0) {
        doc.SpotlightRecentre = 0;
        if (valid && ModelOptions().SpotlightCentred) {
            const TViewPoint before = doc.ScrollPos;
            const std::int32_t centre = (spot.Top + spot.Bottom) / 2 - area.Top + doc.ScrollPos.Y;
            doc.PushStateFlag(sfViewChanges);
            doc.ScrollToY(centre - area.Height() / 2);
            doc.PopStateFlag();
            if (doc.ScrollPos.Y != before.Y || doc.ScrollPos.X != before.X)
                return true;
        }
    }
    const std::uint32_t flags = ViewOptions().SpotlightFlags;
    if ((flags & (spBlur | spDim1 | spDim2 | spDim3 | spDim4)) == 0 || !valid)
        return false;
    std::int32_t top = area.Top, bottom = area.Bottom;
    if (partial && doc.ChangedRgn != nullptr) {
        Platform::TRect box;
        Platform::GetRgnBox(doc.ChangedRgn, box);
        top = box.Top;
        bottom = box.Bottom;
    }
    DimOutsideSpot(spot, top, bottom, area.Right);
    return false;
}

Platform::HRGN NewEmptyRegion() {
    return Platform::CreateRectRgn(0, 0, 0, 0);
}

void DeleteRegionField(Platform::HRGN& region) {
    if (region != nullptr)
        Platform::DeleteRegion(region);
    region = nullptr;
}

void HighlightPasses(TDoc& doc) {
    Platform::HRGN regions[4] = {doc.SelectionRgn, doc.MarkedRgn, doc.MatchRgn, doc.FindResultsRgn};
    for (int pass = 0; pass < 4; ++pass) {
        if (pass > 0 && (HighlightRangeSource == nullptr || HighlightRangeSource(doc, pass) == nullptr))
            continue;
        TintRegion(regions[pass], pass, HighlightTint(pass), doc.ScrollPos.X, doc.ScrollPos.Y);
        if (pass == 0 && doc.ShapeFrameRgn != nullptr)
            TintRegion(doc.ShapeFrameRgn, 0, HighlightTint(0), doc.ScrollPos.X, doc.ScrollPos.Y);
    }
}

}  // namespace

bool ViewPaintRunning() {
    return PaintRunning;
}

std::int32_t HighlightTint(int pass) {
    const std::int32_t c = PaletteSlotColor(csSelection);
    if (pass == 0)
        return c & 0xFFFFFF;
    auto lighter = [](std::int32_t v) { return std::max(208, v + (255 - v) / 3); };
    return lighter(Red(c)) | (lighter(Green(c)) << 8) | (lighter(Blue(c)) << 16);
}

void TintRegion(Platform::HRGN region, int pass, std::int32_t tint, std::int32_t phaseX, std::int32_t phaseY) {
    if (region == nullptr || ServiceBitmap == nullptr || ServiceBitmap->Bits == nullptr)
        return;
    const std::int32_t t[3] = {Red(tint), Green(tint), Blue(tint)};
    const bool dark = (t[0] + t[1] + t[2]) / 3 < 128;
    auto channel = [&](std::int32_t c, std::int32_t tc) {
        return dark ? std::min(255, tc + (255 - c)) : std::max(0, tc - (255 - c) * 2 / 3);
    };
    TServiceBitmap& bm = *ServiceBitmap;
    Platform::GdiFlush();
    for (Platform::TRect r : Platform::GetRegionRects(region)) {
        r.Left = std::max(r.Left, 0);
        r.Top = std::max(r.Top, 0);
        r.Right = std::min(r.Right, bm.Width);
        r.Bottom = std::min(r.Bottom, bm.Height);
        for (std::int32_t y = r.Top; y < r.Bottom; ++y) {
            std::uint32_t* row = bm.Bits + static_cast<std::size_t>(y) * bm.Width;
            // Runs of equal pixels (page background, text colour) are
            // computed once.
            std::uint32_t lastIn = 0xFFFFFFFFu, lastOut = 0;
            for (std::int32_t x = r.Left; x < r.Right; ++x) {
                if (pass > 0) {
                    const std::int32_t phase = x + y + phaseX + phaseY;
                    if (pass == 1 ? ((phase % 6 + 6) % 6) > 1 : (phase & 1) == 0)
                        continue;
                }
                const std::uint32_t p = row[x];
                if (p != lastIn) {
                    // Pixels are 0x00RRGGBB.
                    const std::uint32_t red = channel(static_cast<std::int32_t>((p >> 16) & 0xFF), t[0]);
                    const std::uint32_t green = channel(static_cast<std::int32_t>((p >> 8) & 0xFF), t[1]);
                    const std::uint32_t blue = channel(static_cast<std::int32_t>(p & 0xFF), t[2]);
                    lastIn = p;
                    lastOut = (p & 0xFF000000u) | (red << 16) | (green << 8) | blue;
                }
                row[x] = lastOut;
            }
        }
    }
}

void TDoc::PaintView(Platform::HDC dc, const TCompoundFragment* fragment) {
    if (PaintRunning) {
        // A paint never nests, but the request is not lost: the running
        // paint paints this document once more when it ends.
        if (PaintMissed == 0) {
            PaintMissed = 1;
            MissedPaints.push_back(this);
        }
        return;
    }
    PaintRunning = true;
    const bool direct = PaintsDirectly(*this);
    const bool spotlight = SpotlightActive();
    const bool partial = fragment != nullptr && !spotlight && !direct;
    TViewClient* view = ViewClientOf(*this);
    const Platform::TRect area =
        view != nullptr ? view->DocumentArea()
                        : Platform::TRect{0, 0, Client->ClientWidth(*this, false), Client->ClientHeight(*this, false)};

    if (spotlight) {
        TFragment range{Caret, Caret};
        if (SpotlightRangeSource != nullptr) {
            if (!SpotlightRangeSource(*this, range))
                range = TFragment{Caret, Caret};
        } else if (!IsEmptyCompoundFragment(Selection)) {
            range = Selection->Current();
        }
        PaintedSpotlightRange = range;
    }
    SpotlightGrown = 0;
    SelectionRgn = NewEmptyRegion();
    MarkedRgn = NewEmptyRegion();
    MatchRgn = NewEmptyRegion();
    FindResultsRgn = NewEmptyRegion();
    ShapeFrameRgn = nullptr;
    if (ViewClipRgn == nullptr)
        ViewClipRgn = Platform::CreateRectRgnIndirect(area);
    if (ColorManager != nullptr && ColorManager->ScreenPalette != nullptr) {
        if (PrintPreview != 0)
            ColorManager->UsePrintPalette();
        else
            ColorManager->UseScreenPalette();
    }
    EnsureServiceBitmap(area.Right, area.Bottom);
    ServiceBitmap->PatternOriginX = ScrollPos.X - area.Left;
    ServiceBitmap->PatternOriginY = ScrollPos.Y - area.Top;

    // The background, and whether pages take the page colour from it.
    const bool draft = ViewMode != vmPrintLayout;
    const Platform::TRect background{0, 0, area.Right, area.Bottom};
    bool pageColoured = false;
    if (!partial) {
        pageColoured = draft;
        FillArea(*this, dc, background, PaletteSlotColor(pageColoured ? csPageBackground : csInterpageSpace));
        if (fragment != nullptr && !direct)
            ChangedRgn = NewEmptyRegion();
    } else {
        if (draft) {
            pageColoured = true;
            FillArea(*this, dc, background, PaletteSlotColor(csPageBackground));
        }
        ChangedRgn = NewEmptyRegion();
    }

    PushStateFlagClear(sfFollowUI);
    Platform::HDC windowDc = dc;
    bool acquired = false;
    Platform::HRGN savedClip = nullptr;
    bool hadClip = false;
    const Platform::HDC target = direct ? dc : ServiceBitmap->DC;
    const std::int32_t first = FirstVisiblePage();
    std::int32_t last = StateFlags[sfFirstPageOnly] != 0 ? first : LastVisiblePage();
    for (std::int32_t p = first; p <= last; ++p) {
        if (p >= Pages.Count && StateFlags[sfPaginationComplete] == 0) {
            Paginate(Pages.Count, last);
            UpdateViewGeometry();
            if (StateFlags[sfFirstPageOnly] == 0)
                last = LastVisiblePage();
        }
        if (p >= Pages.Count)
            break;
        if (p == first) {
            if (windowDc == nullptr && view != nullptr) {
                windowDc = view->AcquireDC(*this);
                acquired = windowDc != nullptr;
            }
            if (windowDc != nullptr) {
                // The view's clip narrows whatever clip the device has (the
                // update region of a paint message).
                savedClip = NewEmptyRegion();
                hadClip = Platform::GetClipRgn(windowDc, savedClip) == 1;
                Platform::HRGN clip = NewEmptyRegion();
                if (hadClip)
                    Platform::CombineRgn(clip, savedClip, ViewClipRgn, Platform::RGN_AND);
                else
                    Platform::CombineRgn(clip, ViewClipRgn, nullptr, Platform::RGN_COPY);
                Platform::SelectClipRgn(windowDc, clip);
                Platform::DeleteRegion(clip);
            }
        }
        TPage* page = Pages.At<TPage>(p);
        Platform::TRect r = page->PixelBounds;
        const std::int32_t dx = area.Left - ScrollPos.X, dy = area.Top - ScrollPos.Y;
        r = {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
        if (!pageColoured)
            FillArea(*this, target, r, PaletteSlotColor(csPageBackground));
        page->Paint(target, r.Left, r.Top, partial ? fragment : nullptr);
        if (ViewMode == vmPrintLayout && !partial)
            FrameArea(*this, target, {r.Left - 1, r.Top - 1, r.Right + 1, r.Bottom + 1},
                      PaletteSlotColor(csPageBorder));
    }

    bool scrolled = false;
    if (!direct) {
        if (spotlight)
            scrolled = SpotlightPass(*this, area, partial);
        HighlightPasses(*this);
        if (WrapPolygonPainter != nullptr && SelectedShapes.Count == 1 && PrintPreview == 0)
            WrapPolygonPainter(*this, ServiceBitmap->DC);
    }
    if (!direct && !scrolled && windowDc != nullptr) {
        if (partial) {
            for (const Platform::TRect& r : Platform::GetRegionRects(ChangedRgn))
                Platform::BitBlt(windowDc, r.Left, r.Top, r.Width(), r.Height(), ServiceBitmap->DC, r.Left, r.Top,
                                 Platform::SRCCOPY);
        } else {
            Platform::BitBlt(windowDc, area.Left, area.Top, area.Width(), area.Height(), ServiceBitmap->DC, area.Left,
                             area.Top, Platform::SRCCOPY);
        }
    }
    DeleteRegionField(ChangedRgn);
    PopStateFlag();
    if (windowDc != nullptr && savedClip != nullptr) {
        Platform::SelectClipRgn(windowDc, hadClip ? savedClip : nullptr);
        Platform::DeleteRegion(savedClip);
    }
    if (acquired)
        view->ReleaseDC(*this, windowDc);
    if (!scrolled) {
        if (StateFlags[sfFollowUI] != 0 && Client->MayShowCaret(*this))
            Client->PlaceCaret(*this);
        StateFlags[sfPainted] = 1;
    }
    DeleteRegionField(ShapeFrameRgn);
    DeleteRegionField(SelectionRgn);
    DeleteRegionField(MarkedRgn);
    DeleteRegionField(MatchRgn);
    DeleteRegionField(FindResultsRgn);
    PaintRunning = false;
    DeleteRegionField(ViewClipRgn);
    if (scrolled) {
        PaintView(nullptr, nullptr);
        Client->RefreshCaret(*this);
    }

    // Paints asked for while this one ran: this document's at once (whole,
    // since the asked-for ranges are gone), the others' at the next idle
    // time.
    std::vector<TDoc*> missed;
    missed.swap(MissedPaints);
    bool again = false;
    for (TDoc* doc : missed) {
        doc->PaintMissed = 0;
        if (doc == this)
            again = true;
        else
            doc->RequestRepaint(0);
    }
    // A paint that keeps asking for itself is repainted a bounded number of
    // times, never without end.
    static int repeats = 0;
    if (again && repeats < 2) {
        ++repeats;
        PaintView(nullptr, nullptr);
        --repeats;
    }
}

void TDoc::Repaint() {
    if (StateFlags[sfPaintSuspended] != 0)
        return;
    PaintView(nullptr, nullptr);
    if (StateFlags[sfViewChanges] == 0)
        Client->RefreshRulers(*this);
}

void TDoc::RequestRepaint(std::int32_t delay) {
    RepaintDue = delay <= 0 ? delay : static_cast<std::int32_t>(NonNegativeTickCount() + delay);
    RepaintPending = 1;
}
