#pragma once

#include <cstdint>
#include <memory>

#include "base/graphics/TGraphic.h"
#include "base/graphics/TSharedImage.h"

class TBitmap;
class TMemoryStream;

// The compressed bytes of a JPEG picture, shared between copies, and the
// size its header gives.
class TJPEGData : public TSharedImage {
public:
    ~TJPEGData() override;

    std::unique_ptr<TMemoryStream> Data;
    std::int32_t Height = 0;
    std::int32_t Width = 0;
};

// JPEG pictures through libjpeg. The bytes are kept as they were read, so a
// picture is written back unchanged; they are decoded into a bitmap only
// when the picture is drawn or its pixels are needed. A picture made from a
// bitmap is encoded when it is first saved: baseline YCbCr at quality 90
// with 2x2, 1x1, 1x1 sampling.
class TJPEGImage : public TGraphic {
public:
    TJPEGImage();
    ~TJPEGImage() override;

    void AssignTo(TPersistent& dest) const override;
    void Assign(const TPersistent* source) override;
    void Draw(TCanvas& canvas, const TRect& rect) override;
    bool IsEmpty() const override;
    std::int32_t GetHeight() const override;
    Platform::HPALETTE GetPalette() override;
    std::int32_t GetWidth() const override;
    void SetPalette(Platform::HPALETTE palette) override;
    // The bytes from the position to the end.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
    TGraphic* NewInstance() const override { return new TJPEGImage; }

    // Keeps size bytes of stream as the picture and reads the size from the
    // header; EAbort when the header cannot be read (the bytes stay, with
    // size 0) or the stream is short.
    void ReadData(std::int64_t size, TStream& stream);
    // The decoded picture, made on first use. Damaged picture data is not
    // an error: the bitmap shows what could be decoded.
    TBitmap* DecodedBitmap();
    // Encodes the bitmap into new data.
    void Compress();
    TJPEGData* Data() const { return Shared; }

private:
    TJPEGData* Shared = nullptr;
    TBitmap* Bitmap = nullptr;
    Platform::HPALETTE Palette = nullptr;
};
