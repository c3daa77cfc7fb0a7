#pragma once

#include <cstdint>

#include "platform/GdiTypes.h"

// Points and rectangles of the whole program (right and bottom exclusive),
// and small geometry helpers for painting code.
using TPoint = Platform::TPoint;
using TRect = Platform::TRect;
using TSize = Platform::TSize;

// Union or difference of a rectangle with a region, in place.
void AddRectToRegion(const TRect& rect, Platform::HRGN region);
void SubtractRectFromRegion(const TRect& rect, Platform::HRGN region);

// Intersects rect with bounds in place. False as soon as the horizontal
// extent is empty (the vertical edges are then left as they were), else
// whether the vertical extent is non-empty.
bool ClipRectTo(TRect& rect, const TRect& bounds);

bool PointsEqual(const TPoint& a, const TPoint& b);
// Whether p lies within tolerance of the segment ab.
bool PointNearSegment(const TPoint& p, const TPoint& a, const TPoint& b, double tolerance);

// The pointer position in screen coordinates.
TPoint GetMousePos();

// Windows-style integer scaling: a * b / c rounded half away from zero
// (0 for c = 0 is not defined there; it gives -1 as Windows does).
std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c);
