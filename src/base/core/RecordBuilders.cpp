#include "base/core/RecordBuilders.h"

#include <cstring>

void FillZero(void* p, std::size_t size) {
    if (size > 0)
        std::memset(p, 0, size);
}

void UnpackPoint(std::int32_t packed, TPoint& p) {
    const auto u = static_cast<std::uint32_t>(packed);
    p.X = static_cast<std::int16_t>(u & 0xFFFF);
    p.Y = static_cast<std::int16_t>(u >> 16);
}

std::int32_t PackPoint(const TPoint& p) {
    return static_cast<std::int32_t>((static_cast<std::uint32_t>(p.Y) << 16) |
                                     (static_cast<std::uint32_t>(p.X) & 0xFFFF));
}

TPoint MakePoint(std::int32_t x, std::int32_t y) {
    TPoint p;
    p.X = x;
    p.Y = y;
    return p;
}

TRect MakeRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    TRect r;
    r.Left = left;
    r.Top = top;
    r.Right = right;
    r.Bottom = bottom;
    return r;
}

TRect MakeBoundsRect(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
    return MakeRect(left, top, left + width, top + height);
}

TRect MakeSizeRect(std::int32_t width, std::int32_t height) {
    return MakeRect(0, 0, width, height);
}
