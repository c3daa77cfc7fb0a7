#pragma once

#include <cstdint>

#include "base/graphics/Colors.h"
#include "base/graphics/TGraphic.h"
#include "platform/ByteReader.h"
#include "platform/DibSections.h"
#include "platform/GdiTypes.h"

class TBitmapCanvas;
class TBitmapImage;
class TCanvas;
class TList;
class TStream;

// Pixel formats of a bitmap.
enum : std::uint8_t {
    pfDevice = 0,
    pf1bit = 1,
    pf4bit = 2,
    pf8bit = 3,
    pf15bit = 4,
    pf16bit = 5,
    pf24bit = 6,
    pf32bit = 7,
};

// "No colour" for masks: an all-black mask.
constexpr TColor clNoColor = 0x1FFFFFFF;

// The raster picture: pixels in a bitmap of the drawing layer, as a rule a
// DIB section whose rows callers read and write directly (ScanLine). Copies
// share one image until one of them writes; the canvas never draws into a
// shared image. Reading a BMP file that cannot be read raises EAbort and
// keeps the previous image, since the new one is set only at the end.
class TBitmap : public TGraphic {
public:
    TBitmap();
    ~TBitmap() override;

    void Assign(const TPersistent* source) override;
    void Changed() override;
    void Draw(TCanvas& canvas, const TRect& rect) override;
    bool IsEmpty() const override;
    std::int32_t GetHeight() const override;
    Platform::HPALETTE GetPalette() override;
    std::int32_t GetWidth() const override;
    // The bitmap takes the palette over.
    void SetPalette(Platform::HPALETTE palette) override;
    // A BMP file from the stream's position to its end.
    void LoadFromStream(TStream& stream) override;
    // A BMP file.
    void SaveToStream(TStream& stream) override;
    TGraphic* NewInstance() const override { return new TBitmap; }

    // The bitmap handle for changing: the image is made private first.
    virtual Platform::HBITMAP GetHandle();
    virtual Platform::HBITMAP GetMaskHandle();
    // True: a device-dependent bitmap; false: a DIB section.
    virtual void SetHandleType(bool deviceDependent);

    TCanvas* Canvas();
    // The address of a pixel row (row 0 at the top); no range test.
    std::uint8_t* ScanLine(std::int32_t row);
    // The address of every row, row 0 first.
    void GetScanLines(TList& list);
    std::uint8_t GetPixelFormat() const;
    void SetPixelFormat(std::uint8_t value);
    // Keeps the old pixels at the top left and fills the rest with the
    // canvas brush colour (white without a canvas).
    void SetSize(std::int32_t width, std::int32_t height);
    void SetWidth(std::int32_t width) { SetSize(width, GetHeight()); }
    void SetHeight(std::int32_t height) { SetSize(GetWidth(), height); }
    bool IsMonochrome() const;
    void SetMonochrome(bool value);
    bool IsDeviceDependent() const;
    // The bottom-left pixel's colour (white for a monochrome or empty
    // bitmap), with the palette-relative flag 0x02000000.
    TColor TransparentColorValue();
    // Takes the bitmap over (the caller must not delete it).
    void SetHandle(Platform::HBITMAP handle);
    // A copy of an outside bitmap and palette; the caller keeps both.
    void CopyFromHandles(Platform::HBITMAP handle, Platform::HPALETTE palette);
    // A bitmap resource of the program (a DIB without file header).
    void LoadFromBitmapResource(const char* name);
    // Replaces the picture by its monochrome mask for color (white where
    // the pixel has it), as a device-dependent bitmap.
    void ConvertToMask(TColor color);
    // Stretches the whole picture over the whole of dest (halftone).
    void StretchDrawTo(TBitmap& dest);
    // A new bitmap (the caller's) of that size with this picture smoothly
    // resampled; the same size gives a copy sharing the image. The picture
    // must be 24-bit when the size changes.
    TBitmap* CreateResampled(std::int32_t width, std::int32_t height, bool sharpen);
    // Resamples this 24-bit picture into dest, a 24-bit bitmap the caller
    // sized (both at least 1 x 1), with Mitchell-Netravali weights and
    // optional sharpening.
    void ResampleInto(TBitmap& dest, bool sharpen);

    // BMP files (size bytes from the stream's position) and packed DIBs;
    // EAbort when they cannot be read, the picture kept.
    void ReadBMPStream(TStream& stream, std::int64_t size);
    void ReadDIB(TStream& stream, std::int64_t size);
    // The same reads giving the reason a picture was refused and the offset
    // of the first byte that could not be accepted, counted from the start
    // of the file (or DIB); the picture is kept then too.
    TReadResult ParseBMPStream(TStream& stream, std::int64_t size);
    TReadResult ParseDIB(TStream& stream, std::int64_t size);
    void WriteBMP(TStream& stream);

    // Internal operations that the picture classes share.
    void FreeCanvasDC();
    void ReplaceImage(Platform::HBITMAP handle, Platform::HPALETTE palette, const Platform::TDibSection& description);
    void ConvertImage(Platform::HBITMAP handle, Platform::HPALETTE palette, Platform::TDibSection description);
    void UnshareImage();
    void EnsureHandle();
    void EnsureDIB();
    void EnsurePalette();
    void EnsureMask();
    TBitmapImage* Image() const { return ImageData; }

    bool NoPalette = false;
    bool MaskBitsValid = false;
    bool MaskValid = false;

private:
    // A packed DIB of size bytes; pixelOffset is where a file header puts
    // the pixels, counted from the DIB (0: right after the colour table),
    // and base the bytes before the DIB that offsets in a refusal count.
    TReadResult ReadImageFrom(TStream& stream, std::int64_t size, std::int64_t pixelOffset, std::int64_t base);

    TBitmapImage* ImageData = nullptr;
    TBitmapCanvas* CanvasObject = nullptr;
};

// Makes a new bitmap to description (updated to the new bitmap's record)
// holding handle's picture, converted; the larger part of a bigger target
// takes the canvas brush colour (white without a canvas). Null for an
// empty description without a source.
Platform::HBITMAP CopyBitmapHandle(Platform::HBITMAP handle,
                                   Platform::HPALETTE oldPalette,
                                   Platform::HPALETTE newPalette,
                                   TCanvas* canvas,
                                   Platform::TDibSection& description);
// A monochrome bitmap of handle's size: white where the pixel is color.
Platform::HBITMAP CreateMaskBitmap(Platform::HBITMAP handle, Platform::HPALETTE palette, TColor color);
// Fills masks left 0: 16 bits 5-6-5, 32 bits 8-8-8.
void CompleteBitFieldMasks(Platform::TDibSection& description);
// Value x ScreenPixelsPerInch div 96.
std::int32_t ScaleByScreenDpi(std::int32_t value);
void SetHalftoneStretchMode(Platform::HDC dc);
