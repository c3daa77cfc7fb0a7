#pragma once

#include <cstdint>

#include "base/Geometry.h"

class TCanvas;

// The root of the picture classes, as far as canvases need it: a picture
// knows whether it is empty, its size, and how to draw itself into a
// rectangle of a canvas. The picture classes derive from it.
class TGraphic {
public:
    virtual ~TGraphic() = default;
    virtual bool Empty() const = 0;
    virtual std::int32_t Width() const = 0;
    virtual std::int32_t Height() const = 0;
    virtual void Draw(TCanvas& canvas, const TRect& rect) = 0;
};
