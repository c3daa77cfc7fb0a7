#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/ByteReader.h"
#include "platform/GdiTypes.h"
#include "platform/Palettes.h"

// Device-independent bitmaps as metafile records carry them: a bitmap
// header (BITMAPINFOHEADER or the older BITMAPCOREHEADER), a colour table
// or bit-field masks, and the pixels.
namespace Platform::Metafile {

// A decoded bitmap: 32-bit pixels 0x00RRGGBB, rows top to bottom, and the
// alpha of each pixel (255 where the bitmap has none).
struct TDecodedDib {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    bool BottomUp = true;
    bool Monochrome = false;  // a 1-bit bitmap: black and white, as masks use them
    bool HasAlpha = false;    // 32-bit pixels with a meaningful alpha byte
    // The alpha is premultiplied and real: some pixels are see-through and no
    // colour exceeds its alpha (as in pictures made for blending).
    bool PremultipliedAlpha = false;
    std::vector<std::uint32_t> Pixels;
    std::vector<std::uint8_t> Alpha;
    // A run-length bitmap whose runs paint far fewer pixels than it claims
    // (a few bytes may claim 16 million) is kept as its runs and colours:
    // Pixels stays empty, and DibWindow makes the part a drawing shows.
    bool Deferred = false;
    bool FourBit = false;
    std::vector<std::uint8_t> Runs;
    std::vector<std::uint32_t> Colors;
};

// The colours of DIB_PAL_COLORS tables come from the selected palette.
enum : std::uint32_t { DIB_RGB_COLORS = 0, DIB_PAL_COLORS = 1 };

// Decodes the bitmap of header (header and colour table) and bits
// ([MS-WMF] 2.2.2.3 BitmapInfoHeader, 2.2.2.2 BitmapCoreHeader; [MS-EMF]
// 2.2.2 DeviceIndependentBitmap). Uncompressed, bit-field and RLE bitmaps of
// 1 to 32 bits are read; a bitmap whose pixels the bytes cannot hold, or
// that would exceed 16 million pixels, is refused (false). A run-length
// bitmap claiming far more pixels than its runs can paint is refused too,
// unless the caller can draw it deferred (allowDeferred): then it comes
// back as its runs, at a cost of its bytes, not of its pixels.
bool DecodeDib(const TByteReader& header,
               const TByteReader& bits,
               std::uint32_t usage,
               const std::vector<TPaletteEntry>& palette,
               TDecodedDib& out,
               bool allowDeferred = false);

// The pixels of a deferred bitmap inside window (top-down pixels of the
// bitmap), taking every step-th pixel each way: a bitmap of
// ceil(width / step) x ceil(height / step) pixels. The work is that of the
// runs and of the pixels made.
void DibWindow(const TDecodedDib& dib, const TRect& window, std::int32_t step, TDecodedDib& out);

// The size of a packed DIB's header and colour table (the offset of its
// pixels), 0 when the header cannot be read.
std::size_t PackedDibHeaderSize(const TByteReader& dib, std::uint32_t usage);

// A bitmap of the drawing layer with the decoded pixels; monochrome
// bitmaps become monochrome bitmaps when asked (pattern brushes).
HBITMAP BitmapFromDib(const TDecodedDib& dib, bool keepMonochrome);

}  // namespace Platform::Metafile
