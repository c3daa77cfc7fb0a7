#pragma once

#include <cstdint>

#include "platform/GdiTypes.h"

class TDoc;
struct TFragment;

// Seams of the view painter towards code that does not exist yet.

// The spotlight range of a document (the text the spot follows); false when
// there is none. Filled in by the selection code; without it the spot
// follows the current range of the selection.
using TSpotlightRangeSource = bool (*)(TDoc& doc, TFragment& range);
extern TSpotlightRangeSource SpotlightRangeSource;

// Draws the wrap polygon of the shape whose wrap is being edited, in view
// coordinates, into the off-screen bitmap; filled in by the shape code.
using TWrapPolygonPainter = void (*)(TDoc& doc, Platform::HDC dc);
extern TWrapPolygonPainter WrapPolygonPainter;

// Tints the rectangles of a region in the off-screen bitmap as highlight
// pass pass (0 the selection, 1 marked fragments, 2 occurrences of the
// selected word, 3 find results) does, with the pixel pattern phase of the
// scroll position.
void TintRegion(Platform::HRGN region, int pass, std::int32_t tint, std::int32_t phaseX, std::int32_t phaseY);

// The colour a highlight pass tints with: the selection colour, made
// lighter for the passes other than the selection's.
std::int32_t HighlightTint(int pass);

// Whether a paint of any document is running now.
bool ViewPaintRunning();
