#pragma once

#include <cstdint>

#include "platform/GdiTypes.h"

class TPage;

// Paints one layer of a page's floating shapes (the layers of
// ShapeLayerPainter in BoxPainting.h) with the page's top-left pixel corner
// at (x, y), lowest z-order first. Pictures draw through their TDocGraphic;
// a shape without a picture is drawn as its frame. It is the default
// ShapeLayerPainter; a window that draws shapes its own way replaces it.
void PaintShapeLayer(TPage& page, Platform::HDC dc, std::int32_t x, std::int32_t y, int layer);
