// Keeping the caret and the selection in view: where a rectangle is shown,
// when the caret counts as visible and which part of the selection shows.

#include <algorithm>
#include <vector>

#include "layout/boxes/TBox.h"
#include "layout/selection/CaretGeometry.h"
#include "layout/selection/ScrollPlacement.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TLine.h"
#include "model/host/ModelOptions.h"
#include "model/host/TDocClient.h"
#include "model/paragraphs/TPar.h"

namespace {

bool SpotlightKeepsCentre(const TDoc& doc) {
    return doc.SpotlightActive() && ModelOptions().SpotlightCentred;
}

TScrollFrame FrameOf(const TDoc& doc, bool coverBand) {
    TScrollFrame frame;
    frame.Pos = doc.ScrollPos;
    frame.Width = doc.Client->ClientWidth(doc, false);
    frame.Height = doc.Client->ClientHeight(doc, false);
    frame.Extent = doc.ViewExtent;
    frame.HorizontalMargin = doc.ZoomMode != zmTextWidth;
    frame.Context = doc.StateFlags[sfContextScroll] != 0;
    frame.BarCover = coverBand ? BarCover(doc) : 0;
    return frame;
}

}  // namespace

std::int32_t BarCover(const TDoc& doc) {
    // While a caret movement runs the bar stays where it is: the caret
    // scrolls as if the bar were not there.
    if (doc.StateFlags[sfMovingCaret] != 0)
        return 0;
    return std::max(0, CaretScrollOptions().CoveringBar);
}

void TDoc::ScrollPosForRect(const Platform::TRect& rect, int mode, TViewPoint& pos, bool coverBand) {
    pos = ScrollPos;
    if (SpotlightKeepsCentre(*this))
        return;
    pos = PlaceRectInView(rect, mode, FrameOf(*this, coverBand));
}

bool TDoc::IsCaretVisible() const {
    const std::int32_t w = Client->ClientWidth(*this, false), h = Client->ClientHeight(*this, false);
    // Without a window there is nothing to scroll: the caret counts as
    // visible.
    if (w <= 0 || h <= 0)
        return true;
    Platform::TRect r;
    CaretRect(r);
    return r.Left >= ScrollPos.X && r.Top >= ScrollPos.Y && r.Right <= ScrollPos.X + w && r.Bottom <= ScrollPos.Y + h;
}

void TDoc::ScrollCaretIntoView(int mode) {
    if (StateFlags[sfNoCaretScroll] != 0)
        return;
    if (SpotlightKeepsCentre(*this)) {
        // The spotlight pass scrolls instead, keeping the spot centred.
        SpotlightScrollWanted = 1;
        return;
    }
    const std::int32_t w = Client->ClientWidth(*this, false), h = Client->ClientHeight(*this, false);
    if (w <= 0 || h <= 0)
        return;
    Platform::TRect r;
    CaretRect(r);
    const Platform::TRect r0 = r;
    const std::int32_t rh = r.Bottom - r.Top;
    switch (mode) {
        case spRoomAround:
            r.Top -= 2 * rh;
            r.Bottom += 2 * rh;
            break;
        case spRoomAbove:
        case spRoomBelow: {
            const std::int32_t c = std::min(h - rh, 6 * rh);
            if (mode == spRoomAbove)
                r.Top -= c;
            else
                r.Bottom += c;
            break;
        }
        case spAtBottom:
            r.Top = r.Bottom - h;
            break;
        default:
            r.Bottom += 4 + std::max(0, CaretScrollOptions().PaddedBorder);
            break;
    }
    // The line above the caret shows too, with a tenth of its height to
    // spare.
    if (const TLine* line = LocatedLine(*this, Caret)) {
        const std::int32_t ascent = (ApplyZoom(line->Ascent) + 8) / 16;
        r.Top = std::min(r.Top, r0.Bottom - std::min(ascent * 11 / 10, h * 9 / 10));
        // At a paragraph's start the list label before the text shows too.
        if (Caret.Offset == 0 && line->ShowsListLabel() && line->Par->LabelPar->LineCount() > 0) {
            TLine* label = line->Par->LabelPar->Lines->At<TLine>(0);
            const std::int32_t width = ApplyZoom(label->CharX(label->CharCount) - label->CharX(0));
            r.Left -= std::clamp(width, 0, w * 9 / 10);
        }
    }
    r.Top -= BarCover(*this);
    const bool inside =
        r.Left >= ScrollPos.X && r.Top >= ScrollPos.Y && r.Right <= ScrollPos.X + w && r.Bottom <= ScrollPos.Y + h;
    if (mode == spCentre || mode == spNearTop || !inside) {
        TViewPoint pos;
        ScrollPosForRect(r, mode, pos, false);
        ScrollTo(pos);
    }
}

bool TDoc::IsRangeOnScreen(const TFragment& range) {
    const std::int32_t w = Client->ClientWidth(*this, false), h = Client->ClientHeight(*this, false);
    if (w <= 0 || h <= 0 || range.Start.Par < 0 || range.End.Par >= ParCount())
        return false;
    const Platform::TRect window{ScrollPos.X, ScrollPos.Y, ScrollPos.X + w, ScrollPos.Y + h};
    for (std::int32_t p = range.Start.Par; p <= range.End.Par; ++p) {
        TPar* par = Par(p);
        const std::int32_t from = p == range.Start.Par ? range.Start.Offset : 0;
        const std::int32_t to = p == range.End.Par ? range.End.Offset : par->CharCount();
        for (std::int32_t i = 0; i < par->LineCount(); ++i) {
            TLine* line = par->Lines->At<TLine>(i);
            const std::int32_t first = line->FirstChar, last = line->FirstChar + line->CharCount;
            if (line->Box == nullptr || last <= from || first >= to)
                continue;
            // Only a part well inside the window counts: a sliver at its
            // edge is not "on screen" for the reader. The rows are tested
            // first, so that lines off screen are not measured.
            const std::int32_t top = LineViewTop(*this, *line);
            const std::int32_t height = line->HeightPixels(nullptr);
            const std::int32_t dy = height / 5;
            if (top + dy >= window.Bottom || top + height - dy <= window.Top)
                continue;
            const std::int32_t left = LineViewLeft(*line);
            const std::int32_t x0 = ApplyZoom(line->CharX(std::max(from, first) - first));
            const std::int32_t x1 = ApplyZoom(line->CharX(std::min(to, last) - first));
            const std::int32_t dx = std::min((x1 - x0) / 5, 10);
            if (left + x0 + dx < window.Right && left + x1 - dx > window.Left)
                return true;
        }
    }
    return false;
}

bool TDoc::IsSelectionOffScreen() {
    PaginateAll();
    for (std::int32_t i = 0; i < Selection->Count(); ++i)
        if (IsRangeOnScreen(Selection->Fragment(i)))
            return false;
    return true;
}

bool TDoc::IsSelectionWhollyOnScreen() {
    PaginateAll();
    for (std::int32_t i = 0; i < Selection->Count(); ++i)
        if (!IsRangeOnScreen(Selection->Fragment(i)))
            return false;
    return true;
}

namespace {

// The caret box at a position, measured without moving the caret for good.
Platform::TRect CaretBoxAt(TDoc& doc, const TTextPos& at) {
    const TTextPos saved = doc.Caret;
    const std::int32_t savedX = doc.CaretX, savedY = doc.CaretY;
    TTextPos pos = at;
    pos.Line = UnlocatedLine;
    doc.LocatePos(pos, false);
    doc.Caret = pos;
    doc.ComputeCaretPlace();
    Platform::TRect r;
    doc.CaretRect(r);
    doc.Caret = saved;
    doc.CaretX = savedX;
    doc.CaretY = savedY;
    return r;
}

TTextPos LastCharPos(const TFragment& range) {
    TTextPos pos = range.End;
    if (pos.Offset > 0 && CompareTextPos(range.Start, range.End) < 0)
        --pos.Offset;
    return pos;
}

}  // namespace

void TDoc::ScrollSelectionIntoView() {
    const std::int32_t h = Client->ClientHeight(*this, false);
    if (h <= 0 || !HasSelection())
        return;
    PushStateFlag(sfKeepSelectedShapes);
    PaginateAll();
    const TTextPos savedCaret = Caret;
    std::vector<std::int32_t> visible, hidden;
    for (std::int32_t i = 0; i < Selection->Count(); ++i)
        (IsRangeOnScreen(Selection->Fragment(i)) ? visible : hidden).push_back(i);

    // A range that shows but runs on below the window: the next screenful.
    bool done = false;
    for (const std::int32_t i : visible) {
        const TFragment& r = Selection->Fragment(i);
        const TTextPos last = LastCharPos(r);
        if (!IsRangeOnScreen(TFragment{last, r.End})) {
            const std::int32_t before = ScrollPos.Y;
            if (CaretBoxAt(*this, last).Top >= ScrollPos.Y) {
                ScrollToY(ScrollPos.Y + h * 9 / 10);
                done = ScrollPos.Y != before;
            }
            break;
        }
    }

    if (!done) {
        const std::int32_t windowTop = ScrollPos.Y, windowBottom = ScrollPos.Y + h;
        std::int32_t target = -1;
        if (!hidden.empty()) {
            // The nearest range below the window, failing that the highest.
            std::int32_t bestBelow = -1, bestAny = -1, belowBottom = 0, anyBottom = 0;
            for (const std::int32_t i : hidden) {
                const std::int32_t bottom = CaretBoxAt(*this, Selection->Fragment(i).Start).Bottom;
                if (bottom > windowBottom && (bestBelow < 0 || bottom < belowBottom)) {
                    bestBelow = i;
                    belowBottom = bottom;
                }
                if (bestAny < 0 || bottom < anyBottom) {
                    bestAny = i;
                    anyBottom = bottom;
                }
            }
            target = bestBelow >= 0 ? bestBelow : bestAny;
        } else {
            // Every range shows: the highest one whose start lies above.
            std::int32_t bestTop = 0;
            for (const std::int32_t i : visible) {
                const std::int32_t top = CaretBoxAt(*this, Selection->Fragment(i).Start).Top;
                if (top < windowTop && (target < 0 || top < bestTop)) {
                    target = i;
                    bestTop = top;
                }
            }
        }
        if (target >= 0) {
            const TTextPos start = Selection->Fragment(target).Start;
            const std::uint8_t spotlight = Spotlight;
            Spotlight = 0;
            PushStateFlag(sfViewChanges);
            MoveCaretTo(start.Par, start.Offset, 0, 0);
            ScrollCaretIntoView(spCentre);
            PopStateFlag();
            Spotlight = spotlight;
            SpotlightRecentre = 0;
            SpotlightScrollWanted = 0;
            Client->Repaint(*this, nullptr);
        }
    }
    Caret = savedCaret;
    ComputeCaretPlace();
    PopStateFlag();
}
