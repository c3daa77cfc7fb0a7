// Regions over Cairo's banded rectangle sets.

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

#include "platform/cairo/GdiObjects.h"

namespace Platform {
namespace {

int Kind(const cairo_region_t* r) {
    const int n = cairo_region_num_rectangles(r);
    return n == 0 ? NULLREGION : (n == 1 ? SIMPLEREGION : COMPLEXREGION);
}

cairo_rectangle_int_t ToCairo(const TRect& r) {
    return {r.Left, r.Top, std::max(0, r.Right - r.Left), std::max(0, r.Bottom - r.Top)};
}

}  // namespace

TRegionObject::TRegionObject(const TRect& r) {
    const cairo_rectangle_int_t c = ToCairo(r);
    Region = c.width > 0 && c.height > 0 ? cairo_region_create_rectangle(&c) : cairo_region_create();
}

HRGN CreateRectRgn(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    // Windows accepts the corners in any order.
    return new TRegionObject(
        TRect{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)});
}

HRGN CreateRectRgnIndirect(const TRect& rect) {
    return CreateRectRgn(rect.Left, rect.Top, rect.Right, rect.Bottom);
}

// Rows and columns far outside any bitmap are cut off, so a polygon with
// absurd coordinates costs no more than a big one.
constexpr std::int32_t kReach = 1 << 18;

HRGN CreatePolyPolygonRgn(const TPoint* points, const int* counts, int polygons, int fillMode) {
    return CreatePolyPolygonRgn(points, counts, polygons, fillMode, TRect{-kReach, -kReach, kReach, kReach});
}

// Scanline fill with an active edge table: edges enter the table at their
// top row and leave it below their bottom one; each row's pixel centres are
// crossed with the edges in the table only, and the spans between crossings
// are kept under the fill rule. Only the rows and columns of clip are
// walked, and the spans are joined in one step at the end.
HRGN CreatePolyPolygonRgn(const TPoint* points, const int* counts, int polygons, int fillMode, const TRect& clip) {
    auto* region = new TRegionObject;
    if (points == nullptr || counts == nullptr || polygons <= 0)
        return region;
    struct TEdge {
        double X0, Y0, X1, Y1;
        int Dir;
    };
    std::vector<TEdge> edges;
    std::int64_t top = INT32_MAX, bottom = INT32_MIN;
    const TPoint* at = points;
    for (int p = 0; p < polygons; ++p) {
        const int count = counts[p];
        if (count <= 0)
            continue;
        for (int i = 0; i < count && count >= 3; ++i) {
            const TPoint& a = at[i];
            const TPoint& b = at[(i + 1) % count];
            if (a.Y == b.Y)
                continue;
            const bool down = b.Y > a.Y;
            edges.push_back({static_cast<double>(a.X), static_cast<double>(a.Y), static_cast<double>(b.X),
                             static_cast<double>(b.Y), down ? 1 : -1});
            top = std::min<std::int64_t>(top, std::min(a.Y, b.Y));
            bottom = std::max<std::int64_t>(bottom, std::max(a.Y, b.Y));
        }
        at += count;
    }
    if (edges.empty())
        return region;
    const std::int64_t left = std::max(clip.Left, -kReach), right = std::min(clip.Right, kReach);
    top = std::max<std::int64_t>({top, clip.Top, -kReach});
    bottom = std::min<std::int64_t>({bottom, clip.Bottom, kReach});
    if (left >= right || top >= bottom)
        return region;
    // Edges sorted by their top row, so each row looks only at edges that
    // may cross it.
    std::sort(edges.begin(), edges.end(),
              [](const TEdge& l, const TEdge& r) { return std::min(l.Y0, l.Y1) < std::min(r.Y0, r.Y1); });
    struct TCrossing {
        double X;
        int Dir;
    };
    std::vector<TCrossing> crossings;
    std::vector<cairo_rectangle_int_t> spans;
    std::vector<const TEdge*> active;
    std::size_t next = 0;
    for (std::int64_t y = top; y < bottom; ++y) {
        const double cy = static_cast<double>(y) + 0.5;
        while (next < edges.size() && std::min(edges[next].Y0, edges[next].Y1) <= cy) {
            active.push_back(&edges[next]);
            ++next;
        }
        crossings.clear();
        std::size_t keep = 0;
        for (const TEdge* e : active) {
            const double y0 = std::min(e->Y0, e->Y1), y1 = std::max(e->Y0, e->Y1);
            if (y1 <= cy)
                continue;  // finished: dropped below
            active[keep++] = e;
            if (cy < y0)
                continue;
            const double t = (cy - e->Y0) / (e->Y1 - e->Y0);
            crossings.push_back({e->X0 + t * (e->X1 - e->X0), e->Dir});
        }
        active.resize(keep);
        std::sort(crossings.begin(), crossings.end(), [](const TCrossing& l, const TCrossing& r) { return l.X < r.X; });
        int winding = 0;
        for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
            winding += fillMode == WINDING ? crossings[i].Dir : 1;
            const bool inside = fillMode == WINDING ? winding != 0 : (winding & 1) != 0;
            if (!inside)
                continue;
            const double lo = static_cast<double>(left), hi = static_cast<double>(right);
            const auto x0 = static_cast<std::int32_t>(std::clamp(std::ceil(crossings[i].X - 0.5), lo, hi));
            const auto x1 = static_cast<std::int32_t>(std::clamp(std::ceil(crossings[i + 1].X - 0.5), lo, hi));
            if (x1 > x0)
                spans.push_back({x0, static_cast<int>(y), x1 - x0, 1});
        }
    }
    if (!spans.empty()) {
        cairo_region_destroy(region->Region);
        region->Region = cairo_region_create_rectangles(spans.data(), static_cast<int>(spans.size()));
    }
    return region;
}

HRGN CreateRectsRgn(const TRect* rects, int count) {
    auto* region = new TRegionObject;
    if (rects == nullptr || count <= 0)
        return region;
    std::vector<cairo_rectangle_int_t> all;
    all.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const TRect& r = rects[i];
        const TRect n{std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
                      std::max(r.Top, r.Bottom)};
        if (!n.IsEmpty())
            all.push_back(ToCairo(n));
    }
    cairo_region_destroy(region->Region);
    region->Region = cairo_region_create_rectangles(all.data(), static_cast<int>(all.size()));
    return region;
}

HRGN CreatePolygonRgn(const TPoint* points, int count, int fillMode) {
    return CreatePolyPolygonRgn(points, &count, 1, fillMode);
}

void DeleteRegion(HRGN region) {
    if (region != nullptr)
        region->Release();
}

int CombineRgn(HRGN dest, HRGN a, HRGN b, int mode) {
    if (dest == nullptr || a == nullptr || (mode != RGN_COPY && b == nullptr))
        return RGN_ERROR;
    cairo_region_t* result = cairo_region_copy(a->Region);
    cairo_status_t status = CAIRO_STATUS_SUCCESS;
    switch (mode) {
        case RGN_AND:
            status = cairo_region_intersect(result, b->Region);
            break;
        case RGN_OR:
            status = cairo_region_union(result, b->Region);
            break;
        case RGN_XOR:
            status = cairo_region_xor(result, b->Region);
            break;
        case RGN_DIFF:
            status = cairo_region_subtract(result, b->Region);
            break;
        case RGN_COPY:
            break;
        default:
            status = CAIRO_STATUS_INVALID_STATUS;
    }
    if (status != CAIRO_STATUS_SUCCESS) {
        cairo_region_destroy(result);
        return RGN_ERROR;
    }
    cairo_region_destroy(dest->Region);
    dest->Region = result;
    return Kind(result);
}

int OffsetRgn(HRGN region, std::int32_t dx, std::int32_t dy) {
    if (region == nullptr)
        return RGN_ERROR;
    cairo_region_translate(region->Region, dx, dy);
    return Kind(region->Region);
}

int GetRgnBox(HRGN region, TRect& box) {
    if (region == nullptr)
        return RGN_ERROR;
    cairo_rectangle_int_t e;
    cairo_region_get_extents(region->Region, &e);
    box = {e.x, e.y, e.x + e.width, e.y + e.height};
    return Kind(region->Region);
}

bool PtInRegion(HRGN region, std::int32_t x, std::int32_t y) {
    return region != nullptr && cairo_region_contains_point(region->Region, x, y);
}

bool RectInRegion(HRGN region, const TRect& rect) {
    if (region == nullptr || rect.IsEmpty())
        return false;
    const cairo_rectangle_int_t c = ToCairo(rect);
    return cairo_region_contains_rectangle(region->Region, &c) != CAIRO_REGION_OVERLAP_OUT;
}

bool EqualRgn(HRGN a, HRGN b) {
    return a != nullptr && b != nullptr && cairo_region_equal(a->Region, b->Region);
}

std::vector<TRect> GetRegionRects(HRGN region) {
    std::vector<TRect> out;
    if (region == nullptr)
        return out;
    const int n = cairo_region_num_rectangles(region->Region);
    out.reserve(n);
    for (int i = 0; i < n; ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(region->Region, i, &r);
        out.push_back({r.x, r.y, r.x + r.width, r.y + r.height});
    }
    return out;
}

}  // namespace Platform
