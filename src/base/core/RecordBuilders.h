#pragma once

#include <cstddef>
#include <cstdint>

#include "base/core/Geometry.h"

// Builders of the small records and packed values other systems pass
// around: 32-bit pairs, points packed into 32 bits, rectangles.

inline std::int32_t MakeLong(std::int32_t low, std::int32_t high) {
    return static_cast<std::int32_t>((static_cast<std::uint32_t>(high) << 16) |
                                     (static_cast<std::uint32_t>(low) & 0xFFFF));
}
// MakeRGB, ColorGreen and ColorBlue are in base/graphics/Colors.h.
void FillZero(void* p, std::size_t size);

// Points packed into 32 bits: X in the low 16 bits, Y in the high 16 bits,
// both sign-extended when unpacked.
void UnpackPoint(std::int32_t packed, TPoint& p);
std::int32_t PackPoint(const TPoint& p);
TPoint MakePoint(std::int32_t x, std::int32_t y);
TRect MakeRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
TRect MakeBoundsRect(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);
TRect MakeSizeRect(std::int32_t width, std::int32_t height);
