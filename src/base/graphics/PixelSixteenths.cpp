#include "base/graphics/PixelSixteenths.h"

namespace {

// The positive side of the conversions; negative values go through 1 - v.
std::int32_t ToSixteensPositive(std::int64_t v, bool scaled, std::int32_t zoom) {
    if (!scaled)
        return static_cast<std::int32_t>(v * 16);
    const std::int64_t product = v * zoom;
    return static_cast<std::int32_t>(product / 100 + (product % 100 >= 50 ? 1 : 0));
}

std::int32_t FromSixteenthsPositive(std::int64_t v, bool scaled, std::int32_t zoom) {
    if (!scaled)
        return static_cast<std::int32_t>(v / 16 + (v % 16 >= 8 ? 1 : 0));
    const std::int64_t product = v * 100;
    return static_cast<std::int32_t>(product / zoom + (2 * (product % zoom) >= zoom ? 1 : 0));
}

template <class F>
std::int32_t Mirrored(std::int32_t value, F convert) {
    if (value >= 0)
        return convert(value);
    return static_cast<std::int32_t>(1 - static_cast<std::int64_t>(convert(1 - static_cast<std::int64_t>(value))));
}

}  // namespace

std::int32_t ValueToSixteenths(std::int32_t value, bool scaled, std::int32_t zoom) {
    if (scaled && zoom <= 0)
        zoom = 100;
    return Mirrored(value, [&](std::int64_t v) { return ToSixteensPositive(v, scaled, zoom); });
}

std::int32_t ValueFromSixteenths(std::int32_t value, bool scaled, std::int32_t zoom) {
    if (scaled && zoom <= 0)
        zoom = 100;
    return Mirrored(value, [&](std::int64_t v) { return FromSixteenthsPositive(v, scaled, zoom); });
}

std::int32_t SixteenthsToWhole(std::int32_t value) {
    return ValueFromSixteenths(value, false, 100);
}
