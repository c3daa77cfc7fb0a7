#include <algorithm>

#include "base/core/Geometry.h"
#include "base/graphics/TwipsAndPixels.h"
#include "layout/lines/LineLayout.h"
#include "model/document/TDoc.h"
#include "model/managers/TFontManager.h"
#include "model/managers/TSharedFont.h"

void TDoc::SelectMeasureFont(const TCharFormat& format, std::uint32_t flags) {
    if (FontManager == nullptr)
        return;
    const bool smallCaps = (flags & 8) != 0 && format[caSmallCaps] > 0;
    std::int32_t size = format[caSize];
    if (smallCaps)
        size = size * 80 / 100;
    const auto height = [&](std::int32_t s) {
        return (flags & 1) != 0 ? FontHeightPixels(s) : HalfPointsToFontHeight(s);
    };
    const Platform::HDC dc = LayoutDC();
    const bool select = (flags & 0x10) != 0;
    FontManager->SelectFont(format, height(size), dc, select, true);
    Breaker.FontAscent = CurrentSharedFont->Metrics.Ascent;
    Breaker.FontDescent = CurrentSharedFont->Descent;
    if ((flags & 4) != 0 && format[caScript] > 0) {
        // Raised and lowered text is drawn smaller, but the line keeps the
        // metrics of the full-size font.
        const std::int32_t small = smallCaps ? MulDiv(format[caSize], 5200, 10000) : format[caSize] * 65 / 100;
        FontManager->SelectFont(format, height(small), dc, select, true);
    }
    CurrentKerningPairs = nullptr;
    if ((flags & 2) != 0 && format[caKerning] > 0 && format[caSize] >= format[caKerning])
        FontManager->SelectKerningPairs(format, CurrentSharedFont->Format[caSize], dc);
}
