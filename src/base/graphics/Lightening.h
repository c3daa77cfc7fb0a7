#pragma once

#include <cstdint>

#include "base/graphics/Colors.h"

class TBitmap;

// Lighter colours for disabled and inactive pictures.

// How far LightenColor moves a colour towards white, in tenths.
extern std::int32_t LightenFactor;
// Each of red, green and blue becomes v + LightenFactor x (255 - v) div 10.
TColor LightenColor(TColor color);
// The bitmap becomes 24-bit with every byte lightened by factor.
void LightenBitmap(TBitmap& bitmap, std::int32_t factor);
