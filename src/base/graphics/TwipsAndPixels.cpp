#include "base/graphics/TwipsAndPixels.h"

#include "base/core/Geometry.h"
#include "base/graphics/Graphics.h"

std::int32_t PixelsToTwips(std::int32_t pixels) {
    return MulDiv(pixels, 1440, ScreenPixelsPerInch());
}

std::int32_t TwipsToPixels(std::int32_t twips) {
    const std::int64_t product = static_cast<std::int64_t>(twips) * ScreenPixelsPerInch();
    return static_cast<std::int32_t>(product / 1440 + (product % 1440 >= 720 ? 1 : 0));
}

std::int32_t TwipsToPixelsAtZoom(std::int32_t twips, std::int32_t zoom) {
    const std::int64_t product = static_cast<std::int64_t>(twips) * zoom * ScreenPixelsPerInch();
    return static_cast<std::int32_t>(product / 144000 + (product % 144000 > 71999 ? 1 : 0));
}

std::int32_t HalfPointsToFontHeight(std::int32_t halfPoints) {
    const std::int64_t product = static_cast<std::int64_t>(halfPoints) * ScreenPixelsPerInch();
    return -static_cast<std::int32_t>(product / 144 + (product % 144 > 71 ? 1 : 0));
}
