#include "model/formats/TShape.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "base/core/ObjectHandles.h"
#include "base/graphics/TwipsAndPixels.h"

namespace {

// Natural sizes are pixels at 96 per inch, 15 twips each.
constexpr std::int32_t TwipsPerPixel = 15;
// A picture whose own size is unknown becomes this many pixels each way.
constexpr std::int32_t UnknownPictureSize = 1440;

std::int32_t DistanceTwips(const TShapeProps& props, std::int32_t id) {
    return props.GetProp(id) / EmuPerTwip;
}

// One horizontal span of the rasterised polygon in a row of cells.
struct TSpan {
    std::int32_t Left = 0;
    std::int32_t Right = 0;
    friend bool operator==(const TSpan&, const TSpan&) = default;
};

// The cells of row y whose centres lie inside the polygon by the winding
// rule (the fill of a polygon region), as spans.
void RowSpans(const std::vector<TPoint>& poly, std::int32_t y, std::vector<TSpan>& spans) {
    struct TCrossing {
        double X;
        int Dir;
    };
    static thread_local std::vector<TCrossing> crossings;
    crossings.clear();
    const double cy = y + 0.5;
    const std::size_t n = poly.size();
    for (std::size_t i = 0; i < n; ++i) {
        const TPoint a = poly[i], b = poly[(i + 1) % n];
        if (a.Y == b.Y)
            continue;
        const bool down = a.Y < b.Y;
        const double y0 = down ? a.Y : b.Y, y1 = down ? b.Y : a.Y;
        if (cy < y0 || cy >= y1)
            continue;
        const double x = a.X + (cy - a.Y) * static_cast<double>(b.X - a.X) / static_cast<double>(b.Y - a.Y);
        crossings.push_back({x, down ? 1 : -1});
    }
    std::sort(crossings.begin(), crossings.end(), [](const TCrossing& p, const TCrossing& q) { return p.X < q.X; });
    spans.clear();
    int winding = 0;
    double start = 0;
    for (const TCrossing& c : crossings) {
        const int before = winding;
        winding += c.Dir;
        if (before == 0 && winding != 0) {
            start = c.X;
        } else if (before != 0 && winding == 0) {
            // Cells whose centre x + 0.5 lies in [start, c.X).
            const auto l = static_cast<std::int32_t>(std::ceil(start - 0.5));
            const auto r = static_cast<std::int32_t>(std::ceil(c.X - 0.5));
            if (r > l) {
                if (!spans.empty() && spans.back().Right >= l)
                    spans.back().Right = std::max(spans.back().Right, r);
                else
                    spans.push_back({l, r});
            }
        }
    }
}

// Offsets and sizes come from files and may be anything; within this
// bound (about 46,000 inches) the placement sums cannot overflow.
constexpr std::int32_t MaxShapeOffset = 1 << 26;

TRect ClampOffsets(const TRect& r) {
    auto clamp = [](std::int32_t v) { return std::clamp(v, -MaxShapeOffset, MaxShapeOffset); };
    return {clamp(r.Left), clamp(r.Top), clamp(r.Right), clamp(r.Bottom)};
}

// Beyond this many rectangles a region keeps one rectangle per row (its
// outer extent), so that a polygon drawn to make countless slivers costs
// no more memory than a plain one.
constexpr std::size_t MaxWrapRegionRects = 16384;

}  // namespace

TShape::TShape(TDoc* doc) : Doc(doc) {
    Props.SetProp(spShapeType, stypePictureFrame);
}

TShape::~TShape() {
    ReleaseObjectHandle(this);
}

bool TShape::IsHorizontalLine() const {
    return Props.HasProp(spPctHR) || Props.HasProp(spHeightHR) || Props.HasProp(spWidthHR) ||
           Props.GetProp(spHorizRule) > 0;
}

void TShape::ChangeAnchoring(bool toFloating, const TInlinePlace& place) {
    if (toFloating == IsFloating())
        return;
    if (toFloating) {
        Props.SetProp(spShapeType, stypePictureFrame);
        std::int32_t sx = 100, sy = 100;
        GetScale(sx, sy);
        const std::int32_t w = MulDiv(Props.NaturalWidth, sx, 100);
        const std::int32_t h = MulDiv(Props.NaturalHeight, sy, 100);
        Props.PosRect = {place.Left, place.Baseline - h, place.Left + w, place.Baseline};
        if (place.Alignment == 1)
            Props.SetProp(spPosH, posCentre);
        else if (place.Alignment == 2)
            Props.SetProp(spPosH, posTrailing);
        else if (!Props.HasProp(spPosH))
            Props.SetProp(spPosH, posAbsolute);
        Props.SetProp(spPosV, posAbsolute);
        Props.SetProp(spPosRelH, prefText);
        Props.SetProp(spPosRelV, prefText);
        Props.SetProp(spLayoutInCell, 1);
        Props.UniformScale = 0;
        // A floating shape needs a wrap kind; square is what readers give
        // shapes that state none.
        Props.WrapKind = swSquare;
        return;
    }
    std::erase_if(Props.Pairs, [](const TShapeProp& p) {
        return p.Id != spLockAspectRatio && !TShapeProps::NameOfId(p.Id).empty();
    });
    std::int32_t w = UnknownPictureSize, h = UnknownPictureSize;
    if (Picture.PixelWidth > 0 && Picture.PixelHeight > 0 &&
        (Picture.Kind == pkPng || Picture.Kind == pkJpeg || Picture.Kind == pkEmf)) {
        w = Picture.PixelWidth;
        h = Picture.PixelHeight;
    }
    Props.NaturalWidth = w * TwipsPerPixel;
    Props.NaturalHeight = h * TwipsPerPixel;
    const TRect r = Props.HasPosRect() ? Props.PosRect : Rect;
    Props.ScaleX = std::max(1, MulDiv(r.Width(), 100, Props.NaturalWidth));
    Props.ScaleY = std::max(1, MulDiv(r.Height(), 100, Props.NaturalHeight));
    Props.ClearPosRect();
    Props.WrapKind = swInline;
    ShapeFlags &= static_cast<std::uint8_t>(~sfWrapRegionComputed);
}

void TShape::ResolveReferences(std::int32_t& refH, std::int32_t& refV, std::int32_t kindV, const TShapeFrame& frame) {
    const bool even = frame.PageNumber % 2 == 0;
    auto resolve = [even](std::int32_t& ref) {
        if (ref == prefInside)
            ref = even ? prefTrailingMargin : prefLeadingMargin;
        else if (ref == prefOutside)
            ref = even ? prefLeadingMargin : prefTrailingMargin;
    };
    resolve(refH);
    resolve(refV);
    if (frame.OnPageBox && refV == prefMargin)
        refV = kindV > posLeading ? prefPage : prefLeadingMargin;
}

TRect TShape::PlaceRect(const TRect& anchorRect, const TShapeFrame& f, std::int32_t lineY) {
    std::int32_t kindH = Props.GetProp(spPosH), kindV = Props.GetProp(spPosV);
    std::int32_t refH = Props.GetProp(spPosRelH), refV = Props.GetProp(spPosRelV);
    if (f.Draft || f.InTable)
        refH = refV = prefText;
    ResolveReferences(refH, refV, kindV, f);
    TRect r = ClampOffsets(anchorRect);
    const std::int32_t w = r.Width(), h = r.Height();
    const std::int32_t e = f.TextWidth;
    if (f.Draft && (kindH == posAbsolute || kindH > posTrailing)) {
        // Draft views have no page to place on: the shape goes to the side
        // of the column it is nearest to.
        const std::int32_t dl = std::abs(r.Left), dr = std::abs(r.Right - e);
        const std::int32_t dc = std::abs((r.Left + r.Right) / 2 - e / 2);
        kindH = dl <= dr ? posLeading : posTrailing;
        if (Props.WrapKind == swTopAndBottom && dc < std::min(dl, dr))
            kindH = posCentre;
        DraftAlign = kindH;
        r = {r.Left, 0, r.Right, h};
    }
    const std::int32_t pw = f.PageWidth, ph = f.PageHeight, ml = f.MarginLeft, mr = f.MarginRight;
    std::int32_t left = r.Left;
    const bool textRefH = refH == prefText || refH == prefLine;
    switch (kindH) {
        case posAbsolute:
            if (refH == prefMargin)
                left = r.Left + ml;
            else if (refH == prefTrailingMargin)
                left = r.Left + pw - mr;
            break;
        case posLeading:
            if (refH == prefMargin)
                left = ml;
            else if (refH == prefPage)
                left = ml - w;
            else if (refH == prefLeadingMargin)
                left = 0;
            else if (refH == prefTrailingMargin)
                left = pw - mr;
            else if (textRefH)
                left = f.Draft ? 0 : f.ParLeftIndent;
            break;
        case posCentre:
            if (refH == prefMargin)
                left = ml + (pw - ml - mr - w) / 2;
            else if (refH == prefPage)
                left = (pw - w) / 2;
            else if (refH == prefLeadingMargin)
                left = (ml - w) / 2;
            else if (refH == prefTrailingMargin)
                left = pw - (mr - w) / 2 - w;
            else if (textRefH)
                left = (e - w) / 2;
            break;
        case posTrailing:
            if (refH == prefMargin)
                left = pw - mr - w;
            else if (refH == prefPage)
                left = pw - mr;
            else if (refH == prefLeadingMargin)
                left = ml - w;
            else if (refH == prefTrailingMargin)
                left = pw - w;
            else if (textRefH)
                left = e - w - (f.Draft ? 0 : f.ParRightIndent);
            break;
        default:
            break;
    }
    std::int32_t top = r.Top;
    const bool textRefV = refV == prefText || refV == prefLine;
    switch (kindV) {
        case posAbsolute:
            if (refV == prefMargin)
                top = r.Top + f.BodyTop;
            else if (refV == prefTrailingMargin)
                top = ph + r.Top - f.BottomMargin;
            break;
        case posLeading:
            if (refV == prefMargin)
                top = f.BodyTop;
            else if (refV == prefPage || refV == prefLeadingMargin)
                top = 0;
            else if (refV == prefTrailingMargin)
                top = ph - f.BottomMargin;
            break;
        case posCentre:
            if (refV == prefMargin)
                top = f.BodyTop + (ph - f.BodyTop - f.BodyBottom - h) / 2;
            else if (refV == prefPage)
                top = (ph - h) / 2;
            else if (refV == prefLeadingMargin)
                top = (f.TopMargin - h) / 2;
            else if (refV == prefTrailingMargin)
                top = ph - (f.BottomMargin - h) / 2 - h;
            else if (textRefV)
                top = f.ColumnTop - h / 2;
            break;
        case posTrailing:
            if (refV == prefMargin)
                top = ph - f.BodyBottom - h;
            else if (refV == prefPage || refV == prefTrailingMargin)
                top = ph - h;
            else if (refV == prefLeadingMargin)
                top = f.TopMargin - h;
            else if (textRefV)
                top = -h;
            break;
        default:
            break;
    }
    // Column and character references are relative to the anchor's box,
    // paragraph and line references to the anchor's line in it.
    if (textRefH)
        left += f.BoxLeft + f.InsetLeft;
    if (textRefV)
        top += f.BoxTop + (lineY == ShapePropNone ? f.AnchorLineTop : lineY) + f.InsetTop;
    return {left, top, left + w, top + h};
}

std::int32_t TShape::RectToOffsets(const TRect& rect, const TShapeFrame& f, TRect& offsets, std::int32_t lineY) {
    std::int32_t refH = Props.GetProp(spPosRelH), refV = Props.GetProp(spPosRelV);
    // A shape the user placed by hand keeps its place against the column
    // and paragraph rather than a character or line that may move.
    if (refH == prefLine || f.InTable)
        Props.SetProp(spPosRelH, refH = prefText);
    if (refV == prefLine || f.InTable)
        Props.SetProp(spPosRelV, refV = prefText);
    ResolveReferences(refH, refV, Props.GetProp(spPosV), f);
    const TRect clamped = ClampOffsets(rect);
    std::int32_t left = clamped.Left, top = clamped.Top, usedLine = 0;
    if (refH == prefMargin)
        left -= f.MarginLeft;
    else if (refH == prefTrailingMargin)
        left -= f.PageWidth - f.MarginRight;
    else if (refH == prefText)
        left -= f.BoxLeft + f.InsetLeft;
    if (refV == prefMargin) {
        top -= f.BodyTop;
    } else if (refV == prefTrailingMargin) {
        top -= f.PageHeight - f.BottomMargin;
    } else if (refV == prefText) {
        usedLine = lineY == ShapePropNone ? f.AnchorLineTop : lineY;
        top -= f.BoxTop + usedLine + f.InsetTop;
    }
    offsets = {left, top, left + clamped.Width(), top + clamped.Height()};
    return usedLine;
}

void TShape::ShiftVertical(std::int32_t dy) {
    const std::int32_t ref = Props.GetProp(spPosRelV);
    if (KeepVertical == 0 && (ref == prefText || ref == prefLine)) {
        Rect.Top += dy;
        Rect.Bottom += dy;
    }
}

std::int32_t TShape::ShownWrapKind(bool draft) const {
    const std::int32_t k = Props.WrapKind;
    if (draft && k != swInline && k != swTopAndBottom)
        return swSquare;
    return k;
}

bool TShape::WrapsAtPolygonOrBehind(bool draft) const {
    if (IsBehindText())
        return true;
    const std::int32_t k = ShownWrapKind(draft);
    return (k == swTight || k == swThrough) && Props.HasWrapPolygon();
}

void TShape::WrapExclusion(TRect& rect, const TRect& box, bool draft) const {
    const std::int32_t k = ShownWrapKind(draft);
    const bool sides = k == swSquare || k == swTight || k == swThrough;
    if (sides) {
        rect.Left -= DistanceTwips(Props, spWrapDistLeft);
        rect.Right += DistanceTwips(Props, spWrapDistRight);
    }
    if (k == swTopAndBottom || k == swSquare) {
        rect.Top -= DistanceTwips(Props, spWrapDistTop);
        rect.Bottom += DistanceTwips(Props, spWrapDistBottom);
    }
    if (k == swTopAndBottom) {
        rect.Left = box.Left;
        rect.Right = box.Right;
        return;
    }
    if (!sides)
        return;
    switch (Props.WrapSide) {
        case wsLeftOnly:
            rect.Right = box.Right;
            break;
        case wsRightOnly:
            rect.Left = box.Left;
            break;
        case wsLargest: {
            const std::int32_t roomLeft = rect.Left - box.Left, roomRight = box.Right - rect.Right;
            if (roomLeft < roomRight)
                rect.Left = box.Left;
            else if (roomLeft > roomRight)
                rect.Right = box.Right;
            break;
        }
        default:
            break;
    }
}

const std::vector<TRect>& TShape::WrapRegion(bool draft) {
    if ((ShapeFlags & sfWrapRegionComputed) != 0)
        return WrapCells;
    ShapeFlags |= sfWrapRegionComputed;
    WrapCells.clear();
    const std::int32_t k = ShownWrapKind(draft);
    if ((k != swTight && k != swThrough) || !Props.HasWrapPolygon())
        return WrapCells;
    // The polygon in cells of the shape's size, the size bounded so that a
    // hostile rectangle cannot make the raster arbitrarily tall.
    const std::int32_t w = std::clamp(Rect.Width(), 0, MaxWrapRegionCells * WrapRegionCell);
    const std::int32_t h = std::clamp(Rect.Height(), 0, MaxWrapRegionCells * WrapRegionCell);
    constexpr std::int32_t perCell = WrapRegionCell * WrapPolygonUnit;
    std::vector<TPoint> poly;
    poly.reserve(std::min(Props.WrapPolygon.size(), MaxWrapPolygonPoints));
    std::int32_t top = INT32_MAX, bottom = INT32_MIN;
    for (std::size_t i = 0; i < Props.WrapPolygon.size() && i < MaxWrapPolygonPoints; ++i) {
        const TPoint v = Props.WrapPolygon[i];
        const TPoint p{MulDiv(w, std::clamp(v.X, -WrapPolygonUnit, 2 * WrapPolygonUnit), perCell),
                       MulDiv(h, std::clamp(v.Y, -WrapPolygonUnit, 2 * WrapPolygonUnit), perCell)};
        top = std::min(top, p.Y);
        bottom = std::max(bottom, p.Y);
        poly.push_back(p);
    }
    const bool tight = k == swTight;
    // Rows with the same spans as the row above extend its rectangles, as
    // a region's bands do.
    std::vector<TSpan> spans, previous;
    std::size_t bandStart = 0;
    bool perRow = false;
    for (std::int32_t y = top; y < bottom; ++y) {
        RowSpans(poly, y, spans);
        if (tight && spans.size() > 1)
            spans = {{spans.front().Left, spans.back().Right}};
        if (perRow && spans.size() > 1)
            spans = {{spans.front().Left, spans.back().Right}};
        if (!WrapCells.empty() && spans == previous && WrapCells.back().Bottom == y) {
            for (std::size_t i = bandStart; i < WrapCells.size(); ++i)
                WrapCells[i].Bottom = y + 1;
            continue;
        }
        previous = spans;
        bandStart = WrapCells.size();
        for (const TSpan& s : spans)
            WrapCells.push_back({s.Left, y, s.Right, y + 1});
        if (!perRow && WrapCells.size() > MaxWrapRegionRects)
            perRow = true;
    }
    // Neighbouring bands that differ by a sliver are one: a slanted edge
    // makes a band per row that would give a line break per row.
    constexpr std::int32_t slack = 4;
    std::vector<TRect> merged;
    merged.reserve(WrapCells.size());
    for (const TRect& r : WrapCells) {
        bool joined = false;
        for (auto it = merged.rbegin(); it != merged.rend() && it->Bottom >= r.Top; ++it) {
            if (it->Bottom != r.Top)
                continue;
            const bool equal = it->Left == r.Left && it->Right == r.Right;
            const bool near =
                std::abs(it->Left - r.Left) <= slack && std::abs(it->Right - r.Right) <= slack && r.Height() <= slack;
            if (equal || near) {
                it->Left = std::min(it->Left, r.Left);
                it->Right = std::max(it->Right, r.Right);
                it->Bottom = r.Bottom;
                joined = true;
                break;
            }
        }
        if (!joined)
            merged.push_back(r);
    }
    WrapCells = std::move(merged);
    return WrapCells;
}

TRect TShape::BoundsWithPolygon() const {
    TRect b = Rect;
    const std::int32_t w = Rect.Width(), h = Rect.Height();
    for (const TPoint& v : Props.WrapPolygon) {
        const std::int32_t x = Rect.Left + MulDiv(v.X, w, WrapPolygonUnit);
        const std::int32_t y = Rect.Top + MulDiv(v.Y, h, WrapPolygonUnit);
        b.Left = std::min(b.Left, x);
        b.Right = std::max(b.Right, x);
        b.Top = std::min(b.Top, y);
        b.Bottom = std::max(b.Bottom, y);
    }
    return b;
}

std::vector<TShapeHandle> TShape::GetHandles(const TRect& r, std::int32_t size, bool dragging) {
    std::vector<TShapeHandle> handles;
    if (dragging)
        return handles;
    const std::int32_t cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
    const bool wide = r.Width() >= 3 * size, tall = r.Height() >= 3 * size;
    auto add = [&](std::int32_t index, std::int32_t x, std::int32_t y) {
        const std::int32_t l = x - size / 2, t = y - size / 2;
        handles.push_back({index, {l, t, l + size, t + size}});
    };
    add(0, r.Left, r.Top);
    if (wide)
        add(1, cx, r.Top);
    add(2, r.Right, r.Top);
    if (tall)
        add(3, r.Right, cy);
    add(4, r.Right, r.Bottom);
    if (wide)
        add(5, cx, r.Bottom);
    add(6, r.Left, r.Bottom);
    if (tall)
        add(7, r.Left, cy);
    return handles;
}

TRect TShape::ResizeByHandle(std::int32_t handle, TPoint p) const {
    TRect r = Rect;
    const bool left = handle == 0 || handle == 6 || handle == 7;
    const bool right = handle >= 2 && handle <= 4;
    const bool top = handle <= 2;
    const bool bottom = handle >= 4 && handle <= 6;
    if (left)
        r.Left = std::min(p.X, r.Right - 1);
    if (right)
        r.Right = std::max(p.X, r.Left + 1);
    if (top)
        r.Top = std::min(p.Y, r.Bottom - 1);
    if (bottom)
        r.Bottom = std::max(p.Y, r.Top + 1);
    const bool corner = handle % 2 == 0;
    if (corner && Props.GetProp(spLockAspectRatio) > 0 && Rect.Width() > 0 && Rect.Height() > 0) {
        // The width leads; the height follows it from the fixed corner.
        const std::int32_t height = std::max(1, MulDiv(r.Width(), Rect.Height(), Rect.Width()));
        if (top)
            r.Top = r.Bottom - height;
        else
            r.Bottom = r.Top + height;
    }
    return r;
}

TPoint TShape::GetNativeSize() const {
    return {std::min(TwipsToPixels(Props.NaturalWidth), MaxNativePixels),
            std::min(TwipsToPixels(Props.NaturalHeight), MaxNativePixels)};
}

void TShape::GetScale(std::int32_t& x, std::int32_t& y) const {
    if (Props.UniformScale != 0) {
        x = y = Props.UniformScalePercent;
    } else {
        x = Props.ScaleX;
        y = Props.ScaleY;
    }
}
