#pragma once

#include "base/graphics/TBitmap.h"

// GIF pictures (GIF87a and GIF89a) through giflib: a bitmap whose stream
// methods read and write GIF instead of BMP. The first picture of a file is
// read onto its logical screen as an 8-bit palette bitmap, interlaced or
// not, with the transparent colour shown white. Palette bitmaps are written
// with their own colours; other pictures are reduced to 256 colours first.
class TGIFImage : public TBitmap {
public:
    // Raises EAbort on a file giflib cannot read, or a picture without
    // colours; the bitmap then keeps its previous picture.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
    TGraphic* NewInstance() const override { return new TGIFImage; }

    // Rows are stored in the four interlaced passes; taken from a loaded
    // file, so that a re-saved picture keeps its layout.
    bool Interlaced = false;
};
