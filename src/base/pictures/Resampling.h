#pragma once

#include <cstdint>

// The helpers of smooth resampling (TBitmap::ResampleInto): the
// Mitchell-Netravali cubic with B = C = 1/3 and support 2, integer ceiling
// and floor, and the 3 x 3 sharpening pass.
float MitchellWeight(float x);
std::int32_t CeilOf(long double x);
std::int32_t FloorOf(long double x);
// Recomputes every pixel of rows (24-bit, width x height, rowStep bytes from
// one row to the next, which may be negative) from copy (width x 3 bytes a
// row, top row first) with the kernel -1 -2 -1 / -2 28 -2 / -1 -2 -1 over 16;
// neighbours outside the picture are the centre pixel itself.
void SharpenRows3x3(std::uint8_t* firstRow,
                    std::int64_t rowStep,
                    const std::uint8_t* copy,
                    std::int32_t width,
                    std::int32_t height);
