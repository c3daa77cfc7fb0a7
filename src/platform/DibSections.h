#pragma once

#include <cstdint>

#include "platform/GdiTypes.h"

// Device-independent bitmap sections: bitmaps whose pixels live in memory in
// one of the DIB layouts (1, 4 or 8 bits through a colour table, 16 or 32
// bits with bit-field masks, 24-bit blue-green-red), rows padded to 32 bits,
// bottom-up for a positive height and top-down for a negative one. A section
// is an HBITMAP like any other: it can be selected into a context and drawn
// on, and the drawing shows in its memory.
//
// The rule for direct access: DibBits hands out the memory for reading and
// writing; the pointer stays good until the next drawing call on the
// bitmap. Fetch it again after drawing.
namespace Platform {

// The published BITMAPINFOHEADER, byte for byte (40 bytes, little-endian on
// the machines we build for).
#pragma pack(push, 1)
struct TBitmapInfoHeader {
    std::uint32_t biSize = 0;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 0;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};
#pragma pack(pop)
static_assert(sizeof(TBitmapInfoHeader) == 40);

enum : std::uint32_t { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3 };

// The BITMAP record of a bitmap: its size, row bytes and format.
struct TBitmapRecord {
    std::int32_t bmType = 0;
    std::int32_t bmWidth = 0;
    std::int32_t bmHeight = 0;
    std::int32_t bmWidthBytes = 0;
    std::uint16_t bmPlanes = 0;
    std::uint16_t bmBitsPixel = 0;
    void* bmBits = nullptr;  // the section's memory; null for other bitmaps
};

// The description of a bitmap as the DIBSECTION record gives it.
struct TDibSection {
    TBitmapRecord dsBm;
    TBitmapInfoHeader dsBmih;
    std::uint32_t dsBitfields[3] = {0, 0, 0};
    HBITMAP dshSection = nullptr;
    std::uint32_t dsOffset = 0;
};

// A section of the header's format (size 40, planes 1, bits 1, 4, 8, 16, 24
// or 32, compression BI_RGB or, for 16 and 32 bits, BI_BITFIELDS with
// masks). colors holds colorCount entries in colour-table order (blue,
// green, red, reserved); missing entries are black. The memory starts
// zeroed. Null for a format it cannot make, a zero size or a size whose
// memory would exceed 1 GiB.
HBITMAP CreateDIBSection(const TBitmapInfoHeader& header,
                         const std::uint32_t* masks,
                         const std::uint8_t* colors,
                         std::int32_t colorCount);
// Fills the record: a section gives its whole description and returns
// sizeof(TDibSection); any other bitmap gives the BITMAP part (planes 1,
// 32 or 1 bits a pixel, no bits) and returns 24; 0 for none.
int GetDibSection(HBITMAP bitmap, TDibSection& out);
// The section's memory (see the rule above); null for other bitmaps.
void* DibBits(HBITMAP bitmap);
// Colour-table entries in colour-table order; the count copied.
int GetDIBColorTable(HBITMAP section, int start, int count, std::uint8_t* colors);
int SetDIBColorTable(HBITMAP section, int start, int count, const std::uint8_t* colors);
// The pixels of any bitmap converted into the layout of header (size 40,
// bits 1 to 32 as above, header.biHeight giving the height and the row
// order) and written to bits, which holds ScanlineBytes x |height| bytes.
// Palette formats map each pixel to the nearest of colors. Rows beyond the
// bitmap are left as they are. False when the format cannot be written.
bool GetDIBits(HBITMAP bitmap,
               const TBitmapInfoHeader& header,
               const std::uint32_t* masks,
               const std::uint8_t* colors,
               std::int32_t colorCount,
               void* bits);

}  // namespace Platform
