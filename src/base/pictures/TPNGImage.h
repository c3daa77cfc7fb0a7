#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "base/graphics/TBitmap.h"
#include "platform/ByteReader.h"

// PNG pictures: a bitmap whose stream methods read and write PNG instead of
// BMP. Every colour type and bit depth is read, interlaced or not, into a
// palette bitmap (grey and palette pictures) or a 24-bit bitmap, with gAMA
// applied and transparency composited over white. 1-, 4- and 8-bit bitmaps
// are written as palette pictures, everything else as 8-bit RGB.
class TPNGImage : public TBitmap {
public:
    // Raises EAbort on anything that is not a sound PNG; the bitmap then
    // keeps its previous picture.
    void LoadFromStream(TStream& stream) override;
    // The inner read of a whole file in memory. A sound file replaces the
    // picture and used (when given) receives the count of bytes up to the
    // end of IEND; a bad one leaves the picture as it was and names the
    // reason and the offset of the first byte that could not be accepted.
    TReadResult ReadFromBytes(std::span<const std::uint8_t> bytes, std::size_t* used = nullptr);
    // Converts a bitmap of another format to 24 bits first.
    void SaveToStream(TStream& stream) override;
    TGraphic* NewInstance() const override { return new TPNGImage; }
};
