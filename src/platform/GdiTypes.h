#pragma once

#include <cstdint>

// Plain types shared by the drawing layer: points, rectangles, colours and the
// opaque handles of drawing objects. Handles point at objects private to the
// back end; nothing here names a system type.
//
// Colours at this interface are Windows colour values, 0x00BBGGRR (red in
// the low byte). Pixels of 32-bit bitmaps are 0x00RRGGBB words (blue in the
// lowest byte in memory), the layout the rasteriser works in.
namespace Platform {

struct TPoint {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
    std::int32_t cx = 0;
    std::int32_t cy = 0;
    friend bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;

    std::int32_t Width() const { return Right - Left; }
    std::int32_t Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(std::int32_t x, std::int32_t y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

using TColorRef = std::uint32_t;

constexpr std::uint32_t ColorRefToPixel(TColorRef c) {
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
constexpr TColorRef PixelToColorRef(std::uint32_t p) {
    return ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
}

class TDeviceContext;
class TFontObject;
class TPenObject;
class TBrushObject;
class TBitmapObject;
class TRegionObject;
class TPaletteObject;

using HDC = TDeviceContext*;
using HFONT = TFontObject*;
using HPEN = TPenObject*;
using HBRUSH = TBrushObject*;
using HBITMAP = TBitmapObject*;
using HRGN = TRegionObject*;
using HPALETTE = TPaletteObject*;

// Raster operations of the blits: the standard ternary codes, whose bits 16
// to 23 are the truth table over pattern, source and destination.
enum : std::uint32_t {
    SRCCOPY = 0x00CC0020,
    SRCPAINT = 0x00EE0086,
    SRCAND = 0x008800C6,
    SRCINVERT = 0x00660046,
    SRCERASE = 0x00440328,
    NOTSRCCOPY = 0x00330008,
    NOTSRCERASE = 0x001100A6,
    MERGEPAINT = 0x00BB0226,
    PATCOPY = 0x00F00021,
    PATINVERT = 0x005A0049,
    DSTINVERT = 0x00550009,
    BLACKNESS = 0x00000042,
    WHITENESS = 0x00FF0062,
};

// A mask blit's four-operand code: foreground operation (mask bit 1) in the
// low bits, background operation (mask bit 0) in the high byte.
constexpr std::uint32_t MakeRop4(std::uint32_t fore, std::uint32_t back) {
    return ((back << 8) & 0xFF000000u) | fore;
}

// Background modes, mixes, stretch modes and text alignment.
enum : int { TRANSPARENT = 1, OPAQUE = 2 };
enum : int { R2_BLACK = 1, R2_NOT = 6, R2_XORPEN = 7, R2_NOP = 11, R2_COPYPEN = 13, R2_WHITE = 16 };
enum : int { BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4 };
enum : std::uint32_t {
    TA_LEFT = 0,
    TA_RIGHT = 2,
    TA_CENTER = 6,
    TA_TOP = 0,
    TA_BOTTOM = 8,
    TA_BASELINE = 24,
};
// Options of extended text output.
enum : std::uint32_t { ETO_OPAQUE = 2, ETO_CLIPPED = 4 };
// Pen styles: the dash patterns of cosmetic pens, the pen that draws
// nothing, and the pen drawn inside the frame of a closed figure.
enum : int {
    PS_SOLID = 0,
    PS_DASH = 1,
    PS_DOT = 2,
    PS_DASHDOT = 3,
    PS_DASHDOTDOT = 4,
    PS_NULL = 5,
    PS_INSIDEFRAME = 6,
};

}  // namespace Platform
