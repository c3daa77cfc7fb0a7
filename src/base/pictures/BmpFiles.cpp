// Reading and writing BMP files and packed DIBs for TBitmap.

#include <algorithm>
#include <cstring>
#include <span>
#include <vector>

#include "base/core/Errors.h"
#include "base/core/TStream.h"
#include "base/graphics/Graphics.h"
#include "base/graphics/TBitmap.h"
#include "base/graphics/TBitmapImage.h"
#include "platform/Bitmaps.h"
#include "platform/ByteReader.h"
#include "platform/DeviceContexts.h"

using namespace Platform;

namespace {

// Pictures may be cut short (the rows not in the file stay blank), but a
// picture may not ask for far more memory than its bytes could describe:
// that is how a few damaged bytes would otherwise claim gigabytes. Rows
// stored plainly must be at least half there; run-length pixels must be
// able to cover at least half the picture with their runs, and a run of
// two bytes covers at most 255 pixels. A few pixels are always allowed, so
// that small pictures whose runs stop early still load.
constexpr std::int64_t kRunPixelsPerByte = 128;
constexpr std::int64_t kFreeRunPixels = 65536;

// No header, masks and the first 256 colours take more than this; entries
// past 256 are skipped unread.
constexpr std::size_t kHeadBytes = 4096 + 12 + 256 * 4;

bool FormatIsReadable(std::uint16_t bits, std::uint32_t compression) {
    switch (compression) {
        case BI_RGB:
            return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
        case BI_RLE8:
            return bits == 8;
        case BI_RLE4:
            return bits == 4;
        case BI_BITFIELDS:
            return bits == 16 || bits == 32;
        default:
            return false;
    }
}

// What a packed DIB's header says and where its pixels are, before any
// pixel memory is taken.
struct TDibLayout {
    TBitmapInfoHeader Header;  // as the section is made: size 40, height signed
    std::uint32_t Masks[3] = {0, 0, 0};
    std::uint8_t Colors[1024] = {};
    std::uint32_t Kept = 0;  // colour entries kept (at most 256)
    std::int64_t Height = 0;
    bool Rle = false;
    std::int64_t PixelsAt = 0;  // from the start of the DIB
    std::int64_t PixelBytes = 0;
};

// Packed DIBs (Microsoft, "Bitmap Header Types": BITMAPCOREHEADER,
// BITMAPINFOHEADER and its V4 and V5 extensions; bit-field masks; colour
// tables of RGBTRIPLE or RGBQUAD entries; rows padded to 32 bits). head
// holds the first bytes of a DIB of size bytes, at least kHeadBytes of them
// or all; pixelOffset is where the file header puts the pixels (0: right
// after the colour table).
TReadResult ParseDibHeader(TByteReader head, std::int64_t size, std::int64_t pixelOffset, TDibLayout& out) {
    const std::uint32_t headerSize = head.U32LE();
    if (head.Failed() || size < 12)
        return head.ErrorAt("a DIB header cut short", 0);
    TBitmapInfoHeader& h = out.Header;
    bool core = false;
    if (headerSize == 12) {
        core = true;
        h.biWidth = head.U16LE();
        h.biHeight = head.U16LE();
        h.biPlanes = head.U16LE();
        h.biBitCount = head.U16LE();
    } else {
        // Sizes between the core and the info header would leave fields
        // unread, and no header is larger than the V5 one plus what later
        // writers append; both are refused rather than guessed at.
        if (headerSize < 40 || headerSize > 4096 || headerSize > size)
            return head.ErrorAt("a DIB header of an unknown size", 0);
        h.biWidth = head.I32LE();
        h.biHeight = head.I32LE();
        h.biPlanes = head.U16LE();
        h.biBitCount = head.U16LE();
        h.biCompression = head.U32LE();
        h.biSizeImage = head.U32LE();
        h.biXPelsPerMeter = head.I32LE();
        h.biYPelsPerMeter = head.I32LE();
        h.biClrUsed = head.U32LE();
        h.biClrImportant = head.U32LE();
    }
    if (head.Failed())
        return head.Error("a DIB header cut short");
    h.biSize = 40;
    if (h.biPlanes != 1)
        return head.ErrorAt("a plane count other than 1", 12 - (core ? 4 : 0));
    if (!FormatIsReadable(h.biBitCount, h.biCompression))
        return head.ErrorAt("a bit count and compression that cannot be read", core ? 10 : 14);
    if (h.biWidth <= 0 || h.biHeight == 0 || h.biWidth > (1 << 24) || h.biHeight > (1 << 24) || h.biHeight < -(1 << 24))
        return head.ErrorAt("a picture size out of range", 4);
    out.Rle = h.biCompression == BI_RLE8 || h.biCompression == BI_RLE4;
    if (out.Rle && h.biHeight < 0)
        return head.ErrorAt("a run-length picture stored top-down", 8);  // they are always stored bottom-up
    out.Height = h.biHeight < 0 ? -std::int64_t{h.biHeight} : h.biHeight;

    // Bit-field masks follow a 40-byte header; the larger headers hold them
    // at the same place; the sizes between hold none.
    std::size_t tableAt = core ? 12 : headerSize;
    if (h.biCompression == BI_BITFIELDS) {
        if (headerSize == 40 || headerSize >= 52) {
            if (!head.HasAt(40, 12))
                return head.ErrorAt("bit-field masks cut short", 40);
            for (int i = 0; i < 3; ++i)
                out.Masks[i] = head.U32LEAt(40 + 4 * i);
        }
        if (headerSize == 40)
            tableAt += 12;
        if (out.Masks[0] == 0 && out.Masks[1] == 0 && out.Masks[2] == 0) {
            TDibSection d;
            d.dsBmih = h;
            CompleteBitFieldMasks(d);
            std::copy_n(d.dsBitfields, 3, out.Masks);
        }
    }

    // The colour table. A header may ask for more entries than its pixels
    // can index; no picture can use more than 256.
    std::uint32_t colorCount = h.biClrUsed;
    if (colorCount == 0 || core)
        colorCount = h.biBitCount <= 8 ? (1u << h.biBitCount) : 0;
    if (h.biBitCount <= 8 && colorCount > (1u << h.biBitCount))
        return head.ErrorAt("more colours than the bit count can index", 32);
    const std::size_t entrySize = core ? 3 : 4;
    const std::int64_t tableBytes = static_cast<std::int64_t>(colorCount) * static_cast<std::int64_t>(entrySize);
    if (static_cast<std::int64_t>(tableAt) + tableBytes > size)
        return head.ErrorAt("a colour table past the end of the picture", tableAt);
    out.Kept = std::min<std::uint32_t>(colorCount, 256);
    if (!head.HasAt(tableAt, out.Kept * entrySize))
        return head.ErrorAt("a colour table cut short", tableAt);
    for (std::uint32_t i = 0; i < out.Kept; ++i)
        for (std::size_t j = 0; j < 3; ++j)
            out.Colors[4 * i + j] = head.U8At(tableAt + entrySize * i + j);
    h.biClrUsed = out.Kept;

    // Some writers leave a gap before the pixels; the file header says where
    // they start.
    out.PixelsAt = static_cast<std::int64_t>(tableAt) + tableBytes;
    if (pixelOffset > out.PixelsAt && pixelOffset < size)
        out.PixelsAt = pixelOffset;
    const std::int64_t remaining = size - out.PixelsAt;
    const std::int64_t stride = ScanlineBytes(h.biWidth, h.biBitCount, 32);
    const std::int64_t memory = stride * out.Height;
    const std::int64_t imageSize = h.biSizeImage != 0 && out.Rle ? h.biSizeImage : memory;
    out.PixelBytes = std::min(remaining, imageSize);
    const std::int64_t pixels = static_cast<std::int64_t>(h.biWidth) * out.Height;
    if (out.Rle ? pixels > kFreeRunPixels + 2 * kRunPixelsPerByte * out.PixelBytes
                : 2 * ((out.PixelBytes + stride - 1) / stride) < out.Height)
        return head.ErrorAt("a picture larger than its pixel data can fill", 4);
    h.biSizeImage = static_cast<std::uint32_t>(memory);
    return TReadResult::Success();
}

// Run-length encoded pixels as the BMP format defines them (Microsoft,
// "Bitmap Compression": RLE8 and RLE4 with the escapes end of line, end of
// bitmap, delta and absolute runs), decoded into 32-bit rows from the
// bottom up. Pixels the data never sets keep colour 0 of the table; runs
// beyond the picture are dropped, and so is a run the data cuts short.
void DecodeRle(TByteReader data,
               bool rle4,
               const std::uint32_t* colors,
               std::int32_t width,
               std::int32_t height,
               std::uint32_t* pixels) {
    std::fill(pixels, pixels + static_cast<std::size_t>(width) * height, colors[0]);
    std::int64_t x = 0, y = 0;  // y counts from the bottom row
    auto put = [&](std::uint8_t index) {
        if (x < width && y < height)
            pixels[static_cast<std::size_t>(height - 1 - y) * width + x] = colors[index];
        ++x;
    };
    while (y < height) {
        const std::uint8_t count = data.U8(), value = data.U8();
        if (data.Failed())
            break;
        if (count > 0) {
            for (int k = 0; k < count; ++k)
                put(rle4 ? ((k & 1) ? (value & 0x0F) : (value >> 4)) : value);
            continue;
        }
        if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            const std::uint8_t dx = data.U8(), dy = data.U8();
            if (data.Failed())
                break;
            x += dx;
            y += dy;
        } else {
            // Absolute runs end on a word boundary.
            const std::size_t bytes = rle4 ? (value + 1) / 2 : value;
            const std::span<const std::uint8_t> run = data.Span(std::min(bytes + (bytes & 1), data.Remaining()));
            for (int k = 0; k < value; ++k) {
                const std::size_t at = rle4 ? k / 2 : k;
                if (at >= run.size())
                    break;
                put(rle4 ? ((k & 1) ? (run[at] & 0x0F) : (run[at] >> 4)) : run[at]);
            }
        }
    }
}

// Reads a packed DIB of size bytes at the stream's position: its head is
// parsed first, so that a refusal takes no pixel memory, then the pixels
// are read straight into the new bitmap. Offsets in a bad result count from
// base bytes before the DIB (the file header).
TReadResult ReadPackedDib(TStream& stream,
                          std::int64_t size,
                          std::int64_t pixelOffset,
                          std::int64_t base,
                          HBITMAP& bitmap,
                          HPALETTE& palette) {
    const std::int64_t start = stream.Position();
    std::vector<std::uint8_t> head(static_cast<std::size_t>(std::clamp<std::int64_t>(size, 0, kHeadBytes)));
    head.resize(
        static_cast<std::size_t>(std::max(0, stream.Read(head.data(), static_cast<std::int32_t>(head.size())))));
    TDibLayout layout;
    TReadResult result = ParseDibHeader(TByteReader(head.data(), head.size()), size, pixelOffset, layout);
    if (!result) {
        result.Offset += static_cast<std::uint64_t>(base);
        return result;
    }
    const TBitmapInfoHeader& h = layout.Header;
    stream.SeekTo(start + layout.PixelsAt);
    auto cut = [&] {
        return TReadResult::Failure("pixel data cut short", static_cast<std::uint64_t>(base + layout.PixelsAt));
    };
    if (layout.Rle) {
        std::vector<std::uint8_t> data(static_cast<std::size_t>(layout.PixelBytes));
        if (!data.empty() &&
            stream.Read(data.data(), static_cast<std::int32_t>(data.size())) != static_cast<std::int32_t>(data.size()))
            return cut();
        std::uint32_t lookup[256] = {};
        for (std::uint32_t i = 0; i < layout.Kept; ++i)
            lookup[i] = LoadU32LE(layout.Colors + 4 * i) & 0xFFFFFF;
        bitmap = CreateCompatibleBitmap(Platform::ScreenDC(), h.biWidth, static_cast<std::int32_t>(layout.Height));
        TBitmapInfo info;
        if (bitmap == nullptr || !GetBitmapInfo(bitmap, info) || info.Bits == nullptr) {
            DeleteBitmap(bitmap);
            bitmap = nullptr;
            return TReadResult::Failure("a picture too large for memory", static_cast<std::uint64_t>(base + 4));
        }
        DecodeRle(TByteReader(data.data(), data.size()), h.biCompression == BI_RLE4, lookup, h.biWidth,
                  static_cast<std::int32_t>(layout.Height), info.Bits);
        palette = PaletteFromColorTable(layout.Colors, static_cast<std::int32_t>(layout.Kept));
        return result;
    }
    bitmap = CreateDIBSection(h, layout.Masks, layout.Colors, static_cast<std::int32_t>(layout.Kept));
    if (bitmap == nullptr)
        return TReadResult::Failure("a picture too large for memory", static_cast<std::uint64_t>(base + 4));
    auto* bits = static_cast<std::uint8_t*>(DibBits(bitmap));
    for (std::int64_t at = 0, left = layout.PixelBytes; left > 0;) {
        const auto piece = static_cast<std::int32_t>(std::min<std::int64_t>(left, 1 << 30));
        if (stream.Read(bits + at, piece) != piece) {
            DeleteBitmap(bitmap);
            bitmap = nullptr;
            return cut();
        }
        at += piece;
        left -= piece;
    }
    if (h.biBitCount > 8 && layout.Kept > 0)
        palette = PaletteFromColorTable(layout.Colors, static_cast<std::int32_t>(layout.Kept));
    return result;
}

}  // namespace

// BMP files as Microsoft documents them ("Bitmap Storage": BITMAPFILEHEADER
// followed by a packed DIB).
TReadResult TBitmap::ParseBMPStream(TStream& stream, std::int64_t size) {
    FreeCanvasDC();
    if (size <= 0) {
        ReplaceImage(nullptr, nullptr, TDibSection{});
        return TReadResult::Success();
    }
    std::uint8_t fileHeader[14];
    if (size < 14 || stream.Read(fileHeader, 14) != 14)
        return TReadResult::Failure("a BMP file header cut short", 0);
    TByteReader r(fileHeader, sizeof fileHeader);
    if (r.Chars(2) != "BM")
        return r.ErrorAt("not a BMP file", 0);
    r.Skip(8);  // file size and two reserved words, which writers fill as they please
    const std::int64_t pixelOffset = static_cast<std::int64_t>(r.U32LE()) - 14;
    return ReadImageFrom(stream, size - 14, pixelOffset, 14);
}

TReadResult TBitmap::ParseDIB(TStream& stream, std::int64_t size) {
    return ReadImageFrom(stream, size, 0, 0);
}

TReadResult TBitmap::ReadImageFrom(TStream& stream, std::int64_t size, std::int64_t pixelOffset, std::int64_t base) {
    HBITMAP bitmap = nullptr;
    HPALETTE palette = nullptr;
    TReadResult result = ReadPackedDib(stream, size, pixelOffset, base, bitmap, palette);
    if (!result)
        return result;
    TDibSection d;
    GetDibSection(bitmap, d);
    ReplaceImage(bitmap, palette, d);
    PaletteModified = palette != nullptr;
    Changed();
    return result;
}

void TBitmap::ReadBMPStream(TStream& stream, std::int64_t size) {
    if (!ParseBMPStream(stream, size))
        Abort();
}

void TBitmap::ReadDIB(TStream& stream, std::int64_t size) {
    if (!ParseDIB(stream, size))
        Abort();
}

void TBitmap::WriteBMP(TStream& stream) {
    EnsureDIB();
    TBitmapImage* image = Image();
    if (image->DIBHandle == nullptr)
        return;
    TDibSection d;
    GetDibSection(image->DIBHandle, d);
    std::uint8_t colors[1024];
    std::int32_t count = GetDIBColorTable(image->DIBHandle, 0, 256, colors);
    if (count == 0 && image->Palette != nullptr && !image->Halftone)
        count = PaletteToColorTable(image->Palette, colors, 255);
    CompleteBitFieldMasks(d);
    const TBitmapInfoHeader& h = d.dsBmih;
    const std::uint32_t colorsUsed = count > 0 ? static_cast<std::uint32_t>(count) : h.biClrUsed;
    const bool masks = h.biBitCount > 8 && h.biCompression == BI_BITFIELDS;
    const std::uint32_t offset = 14 + 40 + (masks ? 12 : 0) + 4 * static_cast<std::uint32_t>(count);
    // BITMAPFILEHEADER, BITMAPINFOHEADER and the masks, little-endian.
    std::uint8_t head[14 + 40 + 12] = {'B', 'M'};
    StoreU32LE(head + 2, offset + h.biSizeImage);
    StoreU32LE(head + 10, offset);
    std::uint8_t* info = head + 14;
    StoreU32LE(info, 40);
    StoreU32LE(info + 4, static_cast<std::uint32_t>(h.biWidth));
    StoreU32LE(info + 8, static_cast<std::uint32_t>(h.biHeight));
    StoreU16LE(info + 12, h.biPlanes);
    StoreU16LE(info + 14, h.biBitCount);
    StoreU32LE(info + 16, h.biCompression);
    StoreU32LE(info + 20, h.biSizeImage);
    StoreU32LE(info + 24, static_cast<std::uint32_t>(h.biXPelsPerMeter));
    StoreU32LE(info + 28, static_cast<std::uint32_t>(h.biYPelsPerMeter));
    StoreU32LE(info + 32, colorsUsed);
    StoreU32LE(info + 36, h.biClrImportant);
    for (int i = 0; i < 3; ++i)
        StoreU32LE(info + 40 + 4 * i, d.dsBitfields[i]);
    stream.WriteExact(head, masks ? 14 + 40 + 12 : 14 + 40);
    if (count > 0)
        stream.WriteExact(colors, 4 * count);
    const auto* bits = static_cast<const std::uint8_t*>(DibBits(image->DIBHandle));
    std::int64_t left = h.biSizeImage;
    for (std::int64_t at = 0; left > 0;) {
        const auto piece = static_cast<std::int32_t>(std::min<std::int64_t>(left, 1 << 30));
        stream.WriteExact(bits + at, piece);
        at += piece;
        left -= piece;
    }
}
