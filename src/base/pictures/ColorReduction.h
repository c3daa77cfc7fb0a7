#pragma once

#include <cstdint>
#include <functional>

#include "base/graphics/Colors.h"

class TBitmap;
class TList;

// Colour reduction: lossless palette pictures of at most 256 colours, and
// reduction to 2 .. 256 colours by the most frequent colours or the octree
// quantiser with Sierra dithering. Colours here are pixel values: the three
// bytes of a 24-bit pixel read as one number, $RRGGBB.

// Set by the eBook writer around its calls: no 4-bit pictures.
extern bool ReduceColorsNo4Bit;
// The status bar's progress while pictures are reduced (rows done); the
// shell sets it.
extern std::function<void(std::int32_t position)> ColorReductionProgressHook;

// A colour value (red in the low byte, system colours resolved) as a pixel value.
std::uint32_t ColorToDibPixel(TColor color);
// The sum of the differences of the three bytes.
std::int32_t ColorDistance(std::uint32_t a, std::uint32_t b);
// Adds the distinct pixel values of a 24-bit bitmap to list (as pointer-sized
// values), rows and pixels from the last; stops after a row once the list
// holds more than 256. A transparent bitmap adds white.
void CollectBitmapColors(TBitmap& bitmap, TList& list);
// A bitmap of at most 256 colours becomes a 1, 4 or 8-bit palette bitmap of
// exactly its colours, in ascending order; with more it is left 24-bit.
void ReduceBitmapColors(TBitmap& bitmap);
// A new 8-bit bitmap with at most 2 to the power (level + 1) colours.
TBitmap* ReduceToColors(TBitmap& bitmap, int level);
// The octree path of ReduceToColors.
TBitmap* QuantizeBitmap(TBitmap& bitmap, int level);
// Replaces an 8 or 24-bit bitmap by a copy turned a quarter counter-clockwise.
void RotateBitmap90(TBitmap*& bitmap);
