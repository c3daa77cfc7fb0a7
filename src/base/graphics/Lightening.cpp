#include "base/graphics/Lightening.h"

#include <algorithm>

#include "base/graphics/TBitmap.h"

std::int32_t LightenFactor = 7;

namespace {

std::uint8_t Lighten(std::uint8_t v, std::int32_t factor) {
    return static_cast<std::uint8_t>(std::clamp(v + factor * (255 - v) / 10, 0, 255));
}

}  // namespace

TColor LightenColor(TColor color) {
    const TColor c = ResolveSysColor(color);
    return MakeRGB(Lighten(ColorRed(c), LightenFactor), Lighten(ColorGreen(c), LightenFactor),
                   Lighten(ColorBlue(c), LightenFactor));
}

void LightenBitmap(TBitmap& bitmap, std::int32_t factor) {
    const std::int32_t saved = LightenFactor;
    LightenFactor = factor;
    bitmap.SetPixelFormat(pf24bit);
    const std::int32_t bytes = bitmap.GetWidth() * 3;
    for (std::int32_t y = 0; y < bitmap.GetHeight(); ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (std::int32_t i = 0; i < bytes; ++i)
            row[i] = Lighten(row[i], LightenFactor);
    }
    LightenFactor = saved;
    bitmap.Changed();
}
