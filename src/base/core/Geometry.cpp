#include "base/core/Geometry.h"

#include <algorithm>
#include <cmath>

#include "platform/Regions.h"
#include "platform/Screen.h"

void AddRectToRegion(const TRect& rect, Platform::HRGN region) {
    Platform::HRGN r = Platform::CreateRectRgnIndirect(rect);
    Platform::CombineRgn(region, region, r, Platform::RGN_OR);
    Platform::DeleteRegion(r);
}

void SubtractRectFromRegion(const TRect& rect, Platform::HRGN region) {
    Platform::HRGN r = Platform::CreateRectRgnIndirect(rect);
    Platform::CombineRgn(region, region, r, Platform::RGN_DIFF);
    Platform::DeleteRegion(r);
}

bool ClipRectTo(TRect& rect, const TRect& bounds) {
    rect.Left = std::max(rect.Left, bounds.Left);
    rect.Right = std::min(rect.Right, bounds.Right);
    if (rect.Left >= rect.Right)
        return false;
    rect.Top = std::max(rect.Top, bounds.Top);
    rect.Bottom = std::min(rect.Bottom, bounds.Bottom);
    return rect.Top < rect.Bottom;
}

bool PointsEqual(const TPoint& a, const TPoint& b) {
    return a.X == b.X && a.Y == b.Y;
}

bool PointNearSegment(const TPoint& p, const TPoint& a, const TPoint& b, double tolerance) {
    const double dx = b.X - a.X, dy = b.Y - a.Y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 == 0 ? -1.0 : ((p.X - a.X) * dx + (p.Y - a.Y) * dy) / len2;
    t = std::clamp(t, 0.0, 1.0);
    const double ex = a.X + t * dx - p.X, ey = a.Y + t * dy - p.Y;
    return std::sqrt(ex * ex + ey * ey) <= tolerance;
}

TPoint GetMousePos() {
    return Platform::CursorPos();
}

std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c) {
    if (c == 0)
        return -1;
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const std::int64_t half = std::abs(static_cast<std::int64_t>(c)) / 2;
    const bool negative = (product < 0) != (c < 0);
    const std::int64_t q = (std::abs(product) + half) / std::abs(static_cast<std::int64_t>(c));
    return static_cast<std::int32_t>(negative ? -q : q);
}
