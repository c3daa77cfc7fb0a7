#pragma once

#include "platform/GdiTypes.h"

class TShape;

// Draws the picture of an inline shape into rect (device pixels) through the
// shape's TDocGraphic, which keeps a resampled copy for repeated draws at
// one size. Shapes without picture bytes and horizontal rules draw nothing
// here; an empty rect draws nothing and loads nothing.
void PaintInlinePicture(TShape& shape, Platform::HDC dc, const Platform::TRect& rect, bool dimmed, bool printing);
