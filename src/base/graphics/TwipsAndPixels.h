#pragma once

#include <cstdint>

// Screen units at the screen's pixels per inch (ScreenPixelsPerInch).
// Twips to pixels round half up for positive values and truncate negative
// ones toward zero; the products are taken in 64 bits, so large lengths at
// high zoom do not overflow.
std::int32_t PixelsToTwips(std::int32_t pixels);
std::int32_t TwipsToPixels(std::int32_t twips);
// zoom in percent.
std::int32_t TwipsToPixelsAtZoom(std::int32_t twips, std::int32_t zoom);
// The negative font height of a size in half points.
std::int32_t HalfPointsToFontHeight(std::int32_t halfPoints);
