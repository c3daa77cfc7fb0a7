#pragma once

#include <cstdint>

// The 16 basic colours, numbered 1..16, as 0x00BBGGRR.
constexpr int BasicColorCount = 16;
extern const std::int32_t BasicColors[BasicColorCount];
// 1..16: the basic colour nearest to color by the sum of the red, green
// and blue differences (the first wins ties). A basic colour equal to
// exclude is passed over unless it equals color. Automatic gives 0.
int NearestBasicColor(std::int32_t color, std::int32_t exclude);
bool IsBasicColor(std::int32_t color);
