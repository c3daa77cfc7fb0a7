#pragma once

#include <array>
#include <functional>

#include "base/graphics/Colors.h"

class TBitmap;

// The illustrations of picture wrapping (7, 36 x 36) and picture positions
// (9, 40 x 56), drawn around the PNG resource "CAT" in colours of the
// interface palette.
extern std::array<TBitmap*, 7> WrapIllustrations;
extern std::array<TBitmap*, 9> PositionIllustrations;
void MakePictureLayoutImages();
void FreePictureLayoutImages();
// Entries of the current interface colour palette, answered by the colour
// manager once it exists; the default gives a plain grey scheme.
extern std::function<TColor(int entry)> InterfacePaletteColor;
