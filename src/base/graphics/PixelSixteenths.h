#pragma once

#include <cstdint>

// Layout positions are counted in sixteenths of a pixel. Unscaled, a pixel
// is 16 sixteenths; in the scaled mode of device output a value is scaled
// by the zoom percentage instead. Negative values mirror the positive side
// around one half, so rounding is symmetric.
std::int32_t ValueToSixteenths(std::int32_t value, bool scaled, std::int32_t zoom);
std::int32_t ValueFromSixteenths(std::int32_t value, bool scaled, std::int32_t zoom);
// Sixteenths to whole pixels, halves rounded up: 24 gives 2, 23 gives 1.
std::int32_t SixteenthsToWhole(std::int32_t value);
