#pragma once

#include <cstdint>
#include <string>

#include "platform/GdiTypes.h"

// Bitmaps and blits. Every bitmap keeps 32-bit pixels (0x00RRGGBB), rows top
// to bottom; a monochrome bitmap holds only black and white pixels and
// converts like the Windows one when blitted: to colour, 0 bits take the
// destination's text colour and 1 bits its background colour; from colour,
// pixels of the source's background colour become 1 (white), all others 0.
namespace Platform {

HBITMAP CreateBitmap32(std::int32_t width, std::int32_t height);    // zeroed (black)
HBITMAP CreateMonoBitmap(std::int32_t width, std::int32_t height);  // zeroed (black)
// A 32-bit bitmap that draws on memory the caller lends (width pixels per
// row, no padding), such as a window system's backing store; the memory
// must outlive the bitmap. Null without memory or for an empty size.
HBITMAP CreateBitmapOnMemory(std::uint32_t* bits, std::int32_t width, std::int32_t height);
HBITMAP CreateCompatibleBitmap(HDC dc, std::int32_t width, std::int32_t height);
void DeleteBitmap(HBITMAP bitmap);

struct TBitmapInfo {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::int32_t BitsPerPixel = 0;  // 32 or 1
    std::uint32_t* Bits = nullptr;  // Width pixels per row, no padding
};
bool GetBitmapInfo(HBITMAP bitmap, TBitmapInfo& out);
// Completes pending drawing so that Bits can be read and written directly.
// After direct writes nothing further is needed: drawing reads the bits anew.
void GdiFlush();

// Blits with a ternary raster operation. The source may be null for
// operations that do not use it. Rectangles are clipped to both bitmaps and
// to the destination's clip region.
bool BitBlt(HDC dest,
            std::int32_t x,
            std::int32_t y,
            std::int32_t w,
            std::int32_t h,
            HDC source,
            std::int32_t sx,
            std::int32_t sy,
            std::uint32_t rop);
// Stretching uses the destination's stretch mode: HALFTONE averages the
// source area of each pixel, the other modes take the nearest pixel.
bool StretchBlt(HDC dest,
                std::int32_t x,
                std::int32_t y,
                std::int32_t w,
                std::int32_t h,
                HDC source,
                std::int32_t sx,
                std::int32_t sy,
                std::int32_t sw,
                std::int32_t sh,
                std::uint32_t rop);
// A blit under a monochrome mask: the foreground operation of rop4 where the
// mask is 1, the background one where it is 0. Without a mask it is BitBlt
// with the foreground operation.
bool MaskBlt(HDC dest,
             std::int32_t x,
             std::int32_t y,
             std::int32_t w,
             std::int32_t h,
             HDC source,
             std::int32_t sx,
             std::int32_t sy,
             HBITMAP mask,
             std::int32_t mx,
             std::int32_t my,
             std::uint32_t rop4);

// PNG files of a bitmap (its 32-bit pixels, alpha ignored), for test images
// and diagnostics.
bool SaveBitmapToPng(HBITMAP bitmap, const std::string& path);
HBITMAP LoadBitmapFromPng(const std::string& path);  // null when unreadable

}  // namespace Platform
