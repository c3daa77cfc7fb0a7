#pragma once

#include <vector>

#include "platform/GdiTypes.h"

// Regions: sets of pixels kept as sorted bands of rectangles.
namespace Platform {

enum : int { ALTERNATE = 1, WINDING = 2 };
enum : int { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };
// Results of combining and of clip queries.
enum : int { RGN_ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3 };

HRGN CreateRectRgn(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
HRGN CreateRectRgnIndirect(const TRect& rect);
// The pixels whose centres lie inside the polygon under the fill rule.
HRGN CreatePolygonRgn(const TPoint* points, int count, int fillMode);
// The union of rectangles, made in one step.
HRGN CreateRectsRgn(const TRect* rects, int count);
// The same for several closed polygons taken together.
HRGN CreatePolyPolygonRgn(const TPoint* points, const int* counts, int polygons, int fillMode);
// The part of it inside clip: rows and columns outside clip are never
// walked, so a polygon far larger than where it is drawn costs what that
// place does (about its edges times the rows it covers there).
HRGN CreatePolyPolygonRgn(const TPoint* points, const int* counts, int polygons, int fillMode, const TRect& clip);
void DeleteRegion(HRGN region);

// dest := a op b (b unused for RGN_COPY); returns the region kind.
int CombineRgn(HRGN dest, HRGN a, HRGN b, int mode);
int OffsetRgn(HRGN region, std::int32_t dx, std::int32_t dy);
int GetRgnBox(HRGN region, TRect& box);
bool PtInRegion(HRGN region, std::int32_t x, std::int32_t y);
bool RectInRegion(HRGN region, const TRect& rect);
bool EqualRgn(HRGN a, HRGN b);
std::vector<TRect> GetRegionRects(HRGN region);

}  // namespace Platform
