// Regions over Cairo's banded rectangle sets.

#include <algorithm>
#include <cmath>

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

// Scanline fill: each row's pixel centres are tested against the edges,
// spans between crossings are kept under the fill rule, and equal spans of
// neighbouring rows merge inside the region.
HRGN CreatePolygonRgn(const TPoint* points, int count, int fillMode) {
    auto* region = new TRegionObject;
    if (points == nullptr || count < 3)
        return region;
    std::int32_t top = points[0].Y, bottom = points[0].Y;
    for (int i = 1; i < count; ++i) {
        top = std::min(top, points[i].Y);
        bottom = std::max(bottom, points[i].Y);
    }
    struct TCrossing {
        double X;
        int Dir;
    };
    std::vector<TCrossing> crossings;
    for (std::int32_t y = top; y < bottom; ++y) {
        const double cy = y + 0.5;
        crossings.clear();
        for (int i = 0; i < count; ++i) {
            const TPoint& a = points[i];
            const TPoint& b = points[(i + 1) % count];
            if (a.Y == b.Y)
                continue;
            const bool down = b.Y > a.Y;
            const double y0 = down ? a.Y : b.Y, y1 = down ? b.Y : a.Y;
            if (cy < y0 || cy >= y1)
                continue;
            const double t = (cy - a.Y) / static_cast<double>(b.Y - a.Y);
            crossings.push_back({a.X + t * (b.X - a.X), down ? 1 : -1});
        }
        std::sort(crossings.begin(), crossings.end(), [](const TCrossing& l, const TCrossing& r) { return l.X < r.X; });
        int winding = 0;
        for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
            winding += fillMode == WINDING ? crossings[i].Dir : 1;
            const bool inside = fillMode == WINDING ? winding != 0 : (winding & 1) != 0;
            if (!inside)
                continue;
            const auto x0 = static_cast<std::int32_t>(std::ceil(crossings[i].X - 0.5));
            const auto x1 = static_cast<std::int32_t>(std::ceil(crossings[i + 1].X - 0.5));
            if (x1 > x0) {
                const cairo_rectangle_int_t span{x0, y, x1 - x0, 1};
                cairo_region_union_rectangle(region->Region, &span);
            }
        }
    }
    return region;
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
