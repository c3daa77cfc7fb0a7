#include "files/rtf/RtfPictures.h"

#include <cstdint>
#include <string>

namespace {

// The PNG signature and header chunk (PNG specification, 5.2 and 11.2.2).
constexpr std::uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr std::uint32_t PngIhdr = 0x49484452;  // "IHDR"

// JPEG markers (ITU T.81, B.1.1.3 and table B.1).
constexpr std::uint8_t JpegMarker = 0xFF;
constexpr std::uint8_t JpegSoi = 0xD8;
constexpr std::uint8_t JpegSos = 0xDA;
constexpr std::uint8_t JpegEoi = 0xD9;
constexpr std::uint8_t JpegTem = 0x01;

bool IsJpegFrameMarker(std::uint8_t m) {
    // SOF0 to SOF15 without DHT (C4), JPG (C8) and DAC (CC).
    return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}

// Enhanced metafile header record (MS-EMF 2.3.4.2): type 1, the bounds in
// device units at 8, the signature " EMF" at 40.
constexpr std::uint32_t EmrHeader = 1;
constexpr std::uint32_t EmfSignature = 0x464D4520;
constexpr std::size_t EmfHeaderMinimum = 88;

// Windows metafile (MS-WMF 2.3.2): an optional placeable header (key
// 0x9AC6CDD7, bounding box at 6, units per inch at 14), then the META_HEADER:
// type 1 (memory) or 2 (disk), header size 9 words, version 0x100 or 0x300.
constexpr std::uint32_t WmfPlaceableKey = 0x9AC6CDD7;
constexpr std::size_t WmfPlaceableSize = 22;
constexpr std::size_t WmfHeaderSize = 18;

// The largest picture side taken as real.
constexpr std::int64_t MaxSide = 1 << 16;

bool SideOk(std::int64_t side) {
    return side > 0 && side <= MaxSide;
}

TReadResult MeasurePng(TShapePicture& p, const TByteReader& in) {
    for (std::size_t i = 0; i < sizeof PngSignature; ++i)
        if (in.U8At(i) != PngSignature[i] || !in.HasAt(i, 1))
            return in.ErrorAt("not a PNG file: the signature is missing", i);
    if (!in.HasAt(8, 16) || in.U32BEAt(12) != PngIhdr)
        return in.ErrorAt("a PNG file without its header chunk", 12);
    const std::int64_t w = in.U32BEAt(16), h = in.U32BEAt(20);
    if (!SideOk(w) || !SideOk(h))
        return in.ErrorAt("a PNG picture of an impossible size", 16);
    p.PixelWidth = static_cast<std::int32_t>(w);
    p.PixelHeight = static_cast<std::int32_t>(h);
    return TReadResult::Success();
}

TReadResult MeasureJpeg(TShapePicture& p, const TByteReader& in) {
    if (in.U8At(0) != JpegMarker || in.U8At(1) != JpegSoi)
        return in.ErrorAt("not a JPEG file: the start-of-image marker is missing", 0);
    std::size_t at = 2;
    while (in.HasAt(at, 2)) {
        if (in.U8At(at) != JpegMarker)
            return in.ErrorAt("a JPEG segment that does not begin with a marker", at);
        // Fill bytes may stand before a marker.
        while (in.HasAt(at + 1, 1) && in.U8At(at + 1) == JpegMarker)
            ++at;
        const std::uint8_t marker = in.U8At(at + 1);
        at += 2;
        if (marker == JpegTem || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        if (marker == JpegSos || marker == JpegEoi)
            break;
        if (!in.HasAt(at, 2))
            break;
        const std::uint16_t length = in.U16BEAt(at);
        if (length < 2 || !in.HasAt(at, length))
            return in.ErrorAt("a JPEG segment longer than the data", at);
        if (IsJpegFrameMarker(marker)) {
            if (length < 8)
                return in.ErrorAt("a JPEG frame header cut short", at);
            const std::int64_t h = in.U16BEAt(at + 3), w = in.U16BEAt(at + 5);
            if (!SideOk(w) || !SideOk(h))
                return in.ErrorAt("a JPEG picture of an impossible size", at + 3);
            p.PixelWidth = static_cast<std::int32_t>(w);
            p.PixelHeight = static_cast<std::int32_t>(h);
            return TReadResult::Success();
        }
        at += length;
    }
    return in.ErrorAt("a JPEG file without a frame header", at);
}

TReadResult MeasureDib(TShapePicture& p, const TByteReader& in) {
    const std::uint32_t headerSize = in.U32LEAt(0);
    std::int64_t w = 0, h = 0;
    if (headerSize == 12 && in.HasAt(0, 12)) {
        w = in.U16LEAt(4);
        h = in.U16LEAt(6);
    } else if (headerSize >= 40 && in.HasAt(0, headerSize)) {
        w = in.I32LEAt(4);
        h = in.I32LEAt(8);
        if (h < 0)
            h = -h;
    } else {
        return in.ErrorAt("a bitmap without a valid header", 0);
    }
    if (!SideOk(w) || !SideOk(h))
        return in.ErrorAt("a bitmap of an impossible size", 4);
    p.PixelWidth = static_cast<std::int32_t>(w);
    p.PixelHeight = static_cast<std::int32_t>(h);
    return TReadResult::Success();
}

// A device-dependent bitmap is its bits alone: the stated layout must fit
// in them.
TReadResult MeasureBitmap(TShapePicture& p, const TByteReader& in) {
    if (!SideOk(p.PicWidth) || !SideOk(p.PicHeight))
        return in.ErrorAt("a bitmap without a stated size", 0);
    const std::int64_t lineBytes =
        p.WidthBytes > 0 ? p.WidthBytes : (std::int64_t{p.PicWidth} * p.BitsPerPixel + 15) / 16 * 2;
    const std::int64_t need = lineBytes * p.PicHeight * (p.Planes > 0 ? p.Planes : 1);
    if (lineBytes <= 0 || need > static_cast<std::int64_t>(in.Size()))
        return in.ErrorAt("a bitmap shorter than its stated size", in.Size());
    p.PixelWidth = p.PicWidth;
    p.PixelHeight = p.PicHeight;
    return TReadResult::Success();
}

TReadResult MeasureEmf(TShapePicture& p, const TByteReader& in) {
    if (!in.HasAt(0, EmfHeaderMinimum) || in.U32LEAt(0) != EmrHeader)
        return in.ErrorAt("not an enhanced metafile: the header record is missing", 0);
    if (in.U32LEAt(40) != EmfSignature)
        return in.ErrorAt("not an enhanced metafile: the signature is missing", 40);
    const std::int64_t w = std::int64_t{in.I32LEAt(16)} - in.I32LEAt(8) + 1;
    const std::int64_t h = std::int64_t{in.I32LEAt(20)} - in.I32LEAt(12) + 1;
    p.PixelWidth = SideOk(w) ? static_cast<std::int32_t>(w) : 0;
    p.PixelHeight = SideOk(h) ? static_cast<std::int32_t>(h) : 0;
    return TReadResult::Success();
}

TReadResult MeasureWmf(TShapePicture& p, const TByteReader& in) {
    std::size_t at = 0;
    p.PixelWidth = p.PixelHeight = 0;
    if (in.U32LEAt(0) == WmfPlaceableKey && in.HasAt(0, WmfPlaceableSize)) {
        const std::int64_t w = std::int64_t{in.I16LEAt(10)} - in.I16LEAt(6);
        const std::int64_t h = std::int64_t{in.I16LEAt(12)} - in.I16LEAt(8);
        const std::int64_t inch = in.U16LEAt(14);
        // The box in metafile units at the stated units per inch, as pixels
        // at 96 dots per inch.
        if (inch > 0 && SideOk(w) && SideOk(h)) {
            p.PixelWidth = static_cast<std::int32_t>((w * 96 + inch / 2) / inch);
            p.PixelHeight = static_cast<std::int32_t>((h * 96 + inch / 2) / inch);
        }
        at = WmfPlaceableSize;
    }
    if (!in.HasAt(at, WmfHeaderSize))
        return in.ErrorAt("a Windows metafile cut short in its header", at);
    const std::uint16_t type = in.U16LEAt(at), words = in.U16LEAt(at + 2), version = in.U16LEAt(at + 4);
    if ((type != 1 && type != 2) || words != 9)
        return in.ErrorAt("not a Windows metafile: the header is wrong", at);
    if (version != 0x100 && version != 0x300)
        return in.ErrorAt("a Windows metafile of an unknown version", at + 4);
    return TReadResult::Success();
}

}  // namespace

TReadResult MeasurePicture(TShapePicture& picture) {
    const TByteReader in(picture.Data);
    if (picture.Data.empty())
        return in.ErrorAt("a picture without data", 0);
    switch (picture.Kind) {
        case pkPng:
            return MeasurePng(picture, in);
        case pkJpeg:
            return MeasureJpeg(picture, in);
        case pkDib:
            return MeasureDib(picture, in);
        case pkBitmap:
            return MeasureBitmap(picture, in);
        case pkEmf:
            return MeasureEmf(picture, in);
        case pkWmf:
            return MeasureWmf(picture, in);
        default:
            return in.ErrorAt("a picture of a kind that is not supported", 0);
    }
}

void SetDefaultGoalSize(TShapePicture& picture) {
    constexpr std::int32_t TwipsPerPixel = 15;
    const bool metafile = picture.Kind == pkEmf || picture.Kind == pkWmf;
    std::int32_t width = 0, height = 0;
    if (metafile && picture.PicWidth > 0 && picture.PicHeight > 0) {
        // Hundredths of a millimetre: 2540 make an inch of 1440 twips.
        width = static_cast<std::int32_t>((std::int64_t{picture.PicWidth} * 1440 + 1270) / 2540);
        height = static_cast<std::int32_t>((std::int64_t{picture.PicHeight} * 1440 + 1270) / 2540);
    } else {
        width = picture.PixelWidth * TwipsPerPixel;
        height = picture.PixelHeight * TwipsPerPixel;
    }
    if (picture.GoalWidth <= 0)
        picture.GoalWidth = width;
    if (picture.GoalHeight <= 0)
        picture.GoalHeight = height;
}
