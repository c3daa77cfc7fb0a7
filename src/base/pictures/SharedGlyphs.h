#pragma once

#include "base/graphics/Colors.h"

class TBitmap;
class TPNGImage;

// The shared glyph strip: 33 glyphs 16 pixels high, 0 to 21 16 wide at
// x = 16 x index, the others 21 wide at x = 21 x index - 110; olive
// ($008080) marks the background. Loaded from the PNG resource
// "SHAREDGLYPHS" by LoadSharedGlyphs (empty when there is none).
extern TPNGImage* SharedGlyphs;
void LoadSharedGlyphs();
void FreeSharedGlyphs();
// bitmap becomes glyph index on background at the screen's resolution.
void DrawSharedGlyph(int index, TBitmap& bitmap, TColor background);
