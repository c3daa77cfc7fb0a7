// Reading and writing BMP files and packed DIBs for TBitmap.

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/core/Errors.h"
#include "base/core/TStream.h"
#include "base/graphics/Graphics.h"
#include "base/graphics/TBitmap.h"
#include "base/graphics/TBitmapImage.h"
#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"

using namespace Platform;

namespace {

std::uint32_t Le32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t Le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// Pictures may be cut short (the rows not in the file stay blank), but a
// picture may not ask for far more memory than its bytes could describe:
// that is how a few damaged bytes would otherwise claim gigabytes.
constexpr std::int64_t kFreePixels = std::int64_t{16} << 20;

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

// Run-length encoded pixels as the BMP format defines them (Microsoft,
// "Bitmap Compression": RLE8 and RLE4 with the escapes end of line, end of
// bitmap, delta and absolute runs), decoded into 32-bit rows from the
// bottom up. Pixels the data never sets keep colour 0 of the table; runs
// beyond the picture are dropped.
void DecodeRle(const std::vector<std::uint8_t>& data,
               bool rle4,
               const std::uint32_t* colors,
               std::int32_t width,
               std::int32_t height,
               std::uint32_t* pixels) {
    std::fill(pixels, pixels + static_cast<std::size_t>(width) * height, colors[0]);
    std::int64_t x = 0, y = 0;  // y counts from the bottom row
    std::size_t i = 0;
    auto put = [&](std::uint8_t index) {
        if (x < width && y < height)
            pixels[static_cast<std::size_t>(height - 1 - y) * width + x] = colors[index];
        ++x;
    };
    while (i + 1 < data.size() && y < height) {
        const std::uint8_t count = data[i], value = data[i + 1];
        i += 2;
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
            if (i + 1 >= data.size())
                break;
            x += data[i];
            y += data[i + 1];
            i += 2;
        } else {
            const std::size_t bytes = rle4 ? (value + 1) / 2 : value;
            for (int k = 0; k < value; ++k) {
                const std::size_t at = i + (rle4 ? k / 2 : k);
                if (at >= data.size())
                    break;
                put(rle4 ? ((k & 1) ? (data[at] & 0x0F) : (data[at] >> 4)) : data[at]);
            }
            i += bytes + (bytes & 1);  // absolute runs end on a word boundary
        }
    }
}

}  // namespace

// BMP files as Microsoft documents them ("Bitmap Storage": BITMAPFILEHEADER
// followed by a packed DIB).
void TBitmap::ReadBMPStream(TStream& stream, std::int64_t size) {
    FreeCanvasDC();
    if (size <= 0) {
        ReplaceImage(nullptr, nullptr, TDibSection{});
        return;
    }
    if (size < 14)
        Abort();
    std::uint8_t fileHeader[14];
    stream.ReadExact(fileHeader, 14);
    if (fileHeader[0] != 'B' || fileHeader[1] != 'M')
        Abort();
    PixelOffset = static_cast<std::int64_t>(Le32(fileHeader + 10)) - 14;
    try {
        ReadDIB(stream, size - 14);
    } catch (...) {
        PixelOffset = 0;
        throw;
    }
    PixelOffset = 0;
}

// Packed DIBs (Microsoft, "Bitmap Header Types": BITMAPCOREHEADER,
// BITMAPINFOHEADER and its V4 and V5 extensions; bit-field masks; colour
// tables of RGBTRIPLE or RGBQUAD entries; rows padded to 32 bits).
void TBitmap::ReadDIB(TStream& stream, std::int64_t size) {
    const std::int64_t start = stream.Position();
    std::uint8_t raw[124] = {};
    if (size < 12 || stream.Read(raw, 4) != 4)
        Abort();
    const std::uint32_t headerSize = Le32(raw);
    TBitmapInfoHeader h;
    bool core = false;
    if (headerSize == 12) {
        core = true;
        if (stream.Read(raw + 4, 8) != 8)
            Abort();
        h.biSize = 40;
        h.biWidth = Le16(raw + 4);
        h.biHeight = Le16(raw + 6);
        h.biPlanes = Le16(raw + 8);
        h.biBitCount = Le16(raw + 10);
    } else {
        // Sizes between the core and the info header would leave fields
        // unread, and no header is larger than the V5 one plus what later
        // writers append; both are refused rather than guessed at.
        if (headerSize < 40 || headerSize > 4096 || headerSize > size)
            Abort();
        const std::uint32_t keep = std::min<std::uint32_t>(headerSize, sizeof raw);
        if (stream.Read(raw + 4, static_cast<std::int32_t>(keep - 4)) != static_cast<std::int32_t>(keep - 4))
            Abort();
        if (headerSize > keep)
            stream.Seek(headerSize - keep, soFromCurrent);
        std::memcpy(&h, raw, 40);
        h.biSize = 40;
    }
    if (h.biPlanes != 1 || !FormatIsReadable(h.biBitCount, h.biCompression))
        Abort();
    if (h.biWidth <= 0 || h.biHeight == 0 || h.biWidth > (1 << 24) || h.biHeight > (1 << 24) || h.biHeight < -(1 << 24))
        Abort();
    const bool rle = h.biCompression == BI_RLE8 || h.biCompression == BI_RLE4;
    if (rle && h.biHeight < 0)
        Abort();  // run-length pictures are always stored bottom-up

    std::uint32_t masks[3] = {0, 0, 0};
    if (h.biCompression == BI_BITFIELDS) {
        if (headerSize == 40) {
            std::uint8_t m[12];
            stream.ReadExact(m, 12);
            for (int i = 0; i < 3; ++i)
                masks[i] = Le32(m + 4 * i);
        } else if (headerSize >= 52) {
            for (int i = 0; i < 3; ++i)
                masks[i] = Le32(raw + 40 + 4 * i);
        }
        if (masks[0] == 0 && masks[1] == 0 && masks[2] == 0) {
            TDibSection d;
            d.dsBmih = h;
            CompleteBitFieldMasks(d);
            std::copy_n(d.dsBitfields, 3, masks);
        }
    }

    // The colour table. A header may ask for more entries than its pixels
    // can index; no picture can use more than 256.
    std::uint32_t colorCount = h.biClrUsed;
    if (colorCount == 0 || core)
        colorCount = h.biBitCount <= 8 ? (1u << h.biBitCount) : 0;
    if (h.biBitCount <= 8 && colorCount > (1u << h.biBitCount))
        Abort();
    const int entrySize = core ? 3 : 4;
    if (static_cast<std::int64_t>(colorCount) * entrySize > size)
        Abort();
    std::vector<std::uint8_t> table(static_cast<std::size_t>(colorCount) * entrySize);
    if (!table.empty())
        stream.ReadExact(table.data(), static_cast<std::int32_t>(table.size()));
    const std::uint32_t kept = std::min<std::uint32_t>(colorCount, 256);
    std::uint8_t colors[1024] = {};
    for (std::uint32_t i = 0; i < kept; ++i)
        std::memcpy(colors + 4 * i, table.data() + entrySize * i, 3);
    h.biClrUsed = kept;

    // Some writers leave a gap before the pixels; the file header says where
    // they start.
    if (PixelOffset > 0) {
        const std::int64_t here = stream.Position() - start;
        if (PixelOffset > here && PixelOffset < size)
            stream.Seek(PixelOffset - here, soFromCurrent);
    }
    const std::int64_t remaining = std::max<std::int64_t>(0, size - (stream.Position() - start));
    const std::int64_t height = h.biHeight < 0 ? -std::int64_t{h.biHeight} : h.biHeight;
    const std::int64_t stride = ScanlineBytes(h.biWidth, h.biBitCount, 32);
    const std::int64_t memory = stride * height;
    std::int64_t imageSize = h.biSizeImage != 0 && rle ? h.biSizeImage : memory;
    const std::int64_t pixelBytes = std::min(remaining, imageSize);
    const std::int64_t ratio = rle ? 256 : 64;
    if (static_cast<std::int64_t>(h.biWidth) * height > kFreePixels + ratio * pixelBytes)
        Abort();
    h.biSizeImage = static_cast<std::uint32_t>(memory);

    HBITMAP bitmap = nullptr;
    HPALETTE palette = nullptr;
    if (rle) {
        std::vector<std::uint8_t> data(static_cast<std::size_t>(pixelBytes));
        if (!data.empty())
            stream.ReadExact(data.data(), static_cast<std::int32_t>(data.size()));
        std::uint32_t lookup[256] = {};
        for (std::uint32_t i = 0; i < kept; ++i)
            lookup[i] = colors[4 * i] | (colors[4 * i + 1] << 8) | (colors[4 * i + 2] << 16);
        bitmap = CreateCompatibleBitmap(Platform::ScreenDC(), h.biWidth, static_cast<std::int32_t>(height));
        TBitmapInfo info;
        if (bitmap == nullptr || !GetBitmapInfo(bitmap, info) || info.Bits == nullptr) {
            DeleteBitmap(bitmap);
            Abort();
        }
        DecodeRle(data, h.biCompression == BI_RLE4, lookup, h.biWidth, static_cast<std::int32_t>(height), info.Bits);
        palette = PaletteFromColorTable(colors, static_cast<std::int32_t>(kept));
    } else {
        bitmap = CreateDIBSection(h, masks, colors, static_cast<std::int32_t>(kept));
        if (bitmap == nullptr)
            Abort();
        try {
            auto* bits = static_cast<std::uint8_t*>(DibBits(bitmap));
            std::int64_t left = pixelBytes;
            for (std::int64_t at = 0; left > 0;) {
                const auto piece = static_cast<std::int32_t>(std::min<std::int64_t>(left, 1 << 30));
                stream.ReadExact(bits + at, piece);
                at += piece;
                left -= piece;
            }
        } catch (...) {
            DeleteBitmap(bitmap);
            throw;
        }
        if (h.biBitCount > 8 && kept > 0)
            palette = PaletteFromColorTable(colors, static_cast<std::int32_t>(kept));
    }
    TDibSection d;
    GetDibSection(bitmap, d);
    ReplaceImage(bitmap, palette, d);
    PaletteModified = palette != nullptr;
    Changed();
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
    TBitmapInfoHeader h = d.dsBmih;
    h.biSize = 40;
    if (count > 0)
        h.biClrUsed = static_cast<std::uint32_t>(count);
    const bool masks = h.biBitCount > 8 && h.biCompression == BI_BITFIELDS;
    const std::uint32_t offset = 14 + 40 + (masks ? 12 : 0) + 4 * static_cast<std::uint32_t>(count);
    const std::uint32_t fileSize = offset + h.biSizeImage;
    std::uint8_t fileHeader[14] = {'B', 'M'};
    for (int i = 0; i < 4; ++i) {
        fileHeader[2 + i] = static_cast<std::uint8_t>(fileSize >> (8 * i));
        fileHeader[10 + i] = static_cast<std::uint8_t>(offset >> (8 * i));
    }
    stream.WriteExact(fileHeader, 14);
    stream.WriteExact(&h, 40);
    if (masks)
        stream.WriteExact(d.dsBitfields, 12);
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
