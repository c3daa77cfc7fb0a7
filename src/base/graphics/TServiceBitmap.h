#pragma once

#include <cstdint>

#include "base/core/Geometry.h"
#include "base/graphics/Colors.h"
#include "platform/GdiTypes.h"

// The number of rows (or columns) a pattern line covers; 1 unless a caller
// sets it around its drawing.
extern std::int32_t PatternLineThickness;

// The one off-screen bitmap through which document views are painted: a
// 32-bit top-down bitmap somewhat larger than the screen, with its memory
// context and direct pixel operations. Every pixel operation is clipped to
// Bounds; colours are Windows colour values (0x00BBGGRR).
class TServiceBitmap {
public:
    TServiceBitmap();
    TServiceBitmap(const TServiceBitmap&) = delete;
    TServiceBitmap& operator=(const TServiceBitmap&) = delete;
    ~TServiceBitmap();

    // Makes the bitmap at Width x Height (the old one is deleted). The
    // bitmap only grows: callers raise Width and Height first.
    void AllocateBitmap();
    void ClipToBounds(TRect& rect) const;

    void FillBox(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom, TColor color);
    void FillBounds(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, TColor color) {
        FillBox(x, y, x + width, y + height, color);
    }
    void FillRect(const TRect& rect, TColor color) { FillBox(rect.Left, rect.Top, rect.Right, rect.Bottom, color); }
    void FrameBox(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom, TColor color);
    void FrameBounds(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, TColor color) {
        FrameBox(x, y, x + width, y + height, color);
    }
    void FrameRect(const TRect& rect, TColor color) { FrameBox(rect.Left, rect.Top, rect.Right, rect.Bottom, color); }
    void SetPixel(std::int32_t x, std::int32_t y, TColor color);
    // Dotted and dashed lines whose pattern stays fixed to the page (styles 0 to 4).
    void HorzPatternLine(std::int32_t x1, std::int32_t x2, std::int32_t y, TColor color, std::int32_t style);
    void VertPatternLine(std::int32_t x, std::int32_t y1, std::int32_t y2, TColor color, std::int32_t style);

    Platform::HBITMAP Bitmap = nullptr;
    Platform::HBITMAP OriginalBitmap = nullptr;
    Platform::HDC DC = nullptr;
    std::uint32_t* Bits = nullptr;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    TRect Bounds;
    std::int32_t PatternOriginX = 0;
    std::int32_t PatternOriginY = 0;
};

extern TServiceBitmap* ServiceBitmap;
