#include "platform/metafile/Dibs.h"

#include <algorithm>
#include <cstring>

#include "platform/Bitmaps.h"
#include "platform/metafile/RecordReader.h"

namespace Platform::Metafile {
namespace {

constexpr std::int64_t kMaxPixels = 16LL * 1024 * 1024;

struct THeader {
    std::uint32_t Size = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::uint16_t Bits = 0;
    std::uint32_t Compression = 0;
    std::uint32_t ColorsUsed = 0;
    bool Core = false;
};

bool ReadHeader(const TBytes& b, THeader& h) {
    if (!b.Has(0, 4))
        return false;
    h.Size = b.U32(0);
    if (h.Size == 12 && b.Has(0, 12)) {
        // BITMAPCOREHEADER: 16-bit sizes and RGB triples in the table.
        h.Core = true;
        h.Width = b.U16(4);
        h.Height = b.I16(6);
        h.Bits = b.U16(10);
        return true;
    }
    if (h.Size < 40 || !b.Has(0, 40))
        return false;
    h.Width = b.I32(4);
    h.Height = b.I32(8);
    h.Bits = b.U16(14);
    h.Compression = b.U32(16);
    h.ColorsUsed = b.U32(32);
    return true;
}

std::uint32_t TableEntries(const THeader& h) {
    if (h.Bits > 8)
        return 0;
    const std::uint32_t full = 1u << h.Bits;
    return h.ColorsUsed != 0 && h.ColorsUsed < full ? h.ColorsUsed : full;
}

std::size_t EntrySize(const THeader& h, std::uint32_t usage) {
    if (usage == DIB_PAL_COLORS)
        return 2;
    return h.Core ? 3 : 4;
}

// Bytes of masks that follow a 40-byte header for bit-field bitmaps.
std::size_t MaskBytes(const THeader& h) {
    return h.Size == 40 && h.Compression == 3 && (h.Bits == 16 || h.Bits == 32) ? 12 : 0;
}

int ShiftOf(std::uint32_t mask) {
    int s = 0;
    while (mask != 0 && (mask & 1) == 0) {
        mask >>= 1;
        ++s;
    }
    return s;
}

std::uint32_t Expand(std::uint32_t value, std::uint32_t mask) {
    if (mask == 0)
        return 0;
    const int shift = ShiftOf(mask);
    const std::uint32_t max = mask >> shift;
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>((value & mask) >> shift) * 255 + max / 2) / max);
}

// RLE8 and RLE4 ([MS-WMF] 2.1.1.7 Compression): runs and absolute pieces into
// an index per pixel, rows bottom-up; pixels left out stay index 0.
void DecodeRle(const TBytes& src, const THeader& h, std::vector<std::uint8_t>& indices) {
    const std::int32_t w = h.Width, hh = h.Height < 0 ? -h.Height : h.Height;
    indices.assign(static_cast<std::size_t>(w) * hh, 0);
    std::int64_t x = 0, y = 0;
    std::size_t at = 0;
    const bool four = h.Compression == 2;
    auto put = [&](std::uint8_t v) {
        if (x >= 0 && x < w && y >= 0 && y < hh)
            indices[static_cast<std::size_t>(y) * w + static_cast<std::size_t>(x)] = v;
        ++x;
    };
    while (at + 1 < src.Size && y < hh) {
        const std::uint8_t count = src.U8(at), value = src.U8(at + 1);
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(four ? ((i & 1) ? (value & 15) : (value >> 4)) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            break;
        } else if (value == 2) {  // delta
            if (at + 1 >= src.Size)
                break;
            x += src.U8(at);
            y += src.U8(at + 1);
            at += 2;
        } else {  // absolute run of value pixels, padded to 16 bits
            const std::size_t bytes = four ? (value + 1) / 2 : value;
            if (at + bytes > src.Size)
                break;
            for (int i = 0; i < value; ++i)
                put(four ? ((i & 1) ? (src.U8(at + i / 2) & 15) : (src.U8(at + i / 2) >> 4)) : src.U8(at + i));
            at += (bytes + 1) & ~std::size_t{1};
        }
    }
}

}  // namespace

std::size_t PackedDibHeaderSize(const std::uint8_t* dib, std::size_t size, std::uint32_t usage) {
    TBytes b{dib, size};
    THeader h;
    if (!ReadHeader(b, h))
        return 0;
    const std::size_t total = h.Size + MaskBytes(h) + TableEntries(h) * EntrySize(h, usage);
    return total <= size ? total : 0;
}

bool DecodeDib(const std::uint8_t* header,
               std::size_t headerSize,
               const std::uint8_t* bits,
               std::size_t bitsSize,
               std::uint32_t usage,
               const std::vector<TPaletteEntry>& palette,
               TDecodedDib& out) {
    TBytes hb{header, headerSize};
    THeader h;
    if (!ReadHeader(hb, h))
        return false;
    const std::int64_t width = h.Width, height = h.Height < 0 ? -static_cast<std::int64_t>(h.Height) : h.Height;
    if (width <= 0 || height <= 0 || width * height > kMaxPixels)
        return false;
    if (h.Bits != 1 && h.Bits != 4 && h.Bits != 8 && h.Bits != 16 && h.Bits != 24 && h.Bits != 32)
        return false;
    const bool rle = (h.Compression == 1 && h.Bits == 8) || (h.Compression == 2 && h.Bits == 4);
    if (!rle && h.Compression != 0 && h.Compression != 3)
        return false;  // JPEG and PNG inside a bitmap are not drawn

    // Colour table.
    std::vector<std::uint32_t> colors;
    const std::uint32_t entries = TableEntries(h);
    const std::size_t tableAt = h.Size + MaskBytes(h);
    const std::size_t entrySize = EntrySize(h, usage);
    for (std::uint32_t i = 0; i < entries; ++i) {
        const std::size_t at = tableAt + i * entrySize;
        if (!hb.Has(at, entrySize)) {
            colors.push_back(i == 0 ? 0 : 0xFFFFFF);
            continue;
        }
        if (usage == DIB_PAL_COLORS) {
            const std::uint16_t index = hb.U16(at);
            if (index < palette.size()) {
                const TPaletteEntry& e = palette[index];
                colors.push_back((static_cast<std::uint32_t>(e.Red) << 16) | (e.Green << 8) | e.Blue);
            } else {
                colors.push_back(index == 0 ? 0 : 0xFFFFFF);
            }
        } else {
            colors.push_back((static_cast<std::uint32_t>(hb.U8(at + 2)) << 16) | (hb.U8(at + 1) << 8) | hb.U8(at));
        }
    }
    std::uint32_t masks[3] = {0, 0, 0};
    if (h.Compression == 3) {
        // Right after a 40-byte header; the larger headers hold them at the same place.
        const std::size_t maskAt = 40;
        if (!hb.Has(maskAt, 12))
            return false;
        masks[0] = hb.U32(maskAt);
        masks[1] = hb.U32(maskAt + 4);
        masks[2] = hb.U32(maskAt + 8);
    } else if (h.Bits == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    }

    out = TDecodedDib{};
    out.Width = static_cast<std::int32_t>(width);
    out.Height = static_cast<std::int32_t>(height);
    out.BottomUp = h.Height > 0;
    out.Monochrome = h.Bits == 1 && colors.size() == 2 && colors[0] == 0 && colors[1] == 0xFFFFFF;
    out.Pixels.assign(static_cast<std::size_t>(width * height), 0);
    const TBytes src{bits, bitsSize};

    auto row = [&](std::int64_t stored) -> std::uint32_t* {
        const std::int64_t top = out.BottomUp ? height - 1 - stored : stored;
        return out.Pixels.data() + top * width;
    };

    if (rle) {
        // Runs pack at most 255 pixels into two bytes; a bitmap claiming
        // far more pixels than its runs could describe is damaged.
        if (width * height > static_cast<std::int64_t>(bitsSize) * 512 + 65536)
            return false;
        std::vector<std::uint8_t> indices;
        DecodeRle(src, h, indices);
        for (std::int64_t y = 0; y < height; ++y) {
            std::uint32_t* dst = row(y);
            for (std::int64_t x = 0; x < width; ++x) {
                const std::uint8_t i = indices[static_cast<std::size_t>(y * width + x)];
                dst[x] = i < colors.size() ? colors[i] : 0;
            }
        }
        return true;
    }

    const std::int64_t stride = ((width * h.Bits + 31) / 32) * 4;
    // A bitmap whose last row is cut short keeps what is there, as long as
    // at least one row is present; the rest stays black.
    const std::int64_t rows = std::min<std::int64_t>(height, static_cast<std::int64_t>(bitsSize) / stride);
    // A bitmap whose bytes hold fewer than half its rows is taken for a
    // damaged one rather than given memory for the rows it lacks.
    if (rows <= 0 || rows * 2 < height)
        return false;
    bool anyAlpha = false;
    // The alpha byte of 32-bit pixels: the top byte, unless the bit-field
    // masks claim it for a colour.
    const bool alphaByte =
        h.Bits == 32 && (h.Compression == 0 || ((masks[0] | masks[1] | masks[2]) & 0xFF000000u) == 0);
    if (alphaByte)
        out.Alpha.assign(out.Pixels.size(), 255);
    for (std::int64_t y = 0; y < rows; ++y) {
        const std::uint8_t* p = bits + y * stride;
        std::uint32_t* dst = row(y);
        for (std::int64_t x = 0; x < width; ++x) {
            std::uint32_t px = 0;
            switch (h.Bits) {
                case 1: {
                    const int i = (p[x >> 3] >> (7 - (x & 7))) & 1;
                    px = static_cast<std::size_t>(i) < colors.size() ? colors[i] : 0;
                    break;
                }
                case 4: {
                    const int i = (x & 1) ? (p[x >> 1] & 15) : (p[x >> 1] >> 4);
                    px = static_cast<std::size_t>(i) < colors.size() ? colors[i] : 0;
                    break;
                }
                case 8:
                    px = p[x] < colors.size() ? colors[p[x]] : 0;
                    break;
                case 16: {
                    const std::uint32_t v = p[2 * x] | (p[2 * x + 1] << 8);
                    px = (Expand(v, masks[0]) << 16) | (Expand(v, masks[1]) << 8) | Expand(v, masks[2]);
                    break;
                }
                case 24:
                    px = (static_cast<std::uint32_t>(p[3 * x + 2]) << 16) | (p[3 * x + 1] << 8) | p[3 * x];
                    break;
                default: {
                    const std::uint32_t v = static_cast<std::uint32_t>(p[4 * x]) | (p[4 * x + 1] << 8) |
                                            (p[4 * x + 2] << 16) | (static_cast<std::uint32_t>(p[4 * x + 3]) << 24);
                    px = h.Compression == 3
                             ? (Expand(v, masks[0]) << 16) | (Expand(v, masks[1]) << 8) | Expand(v, masks[2])
                             : v & 0xFFFFFF;
                    if (alphaByte) {
                        const std::uint8_t a = static_cast<std::uint8_t>(v >> 24);
                        out.Alpha[static_cast<std::size_t>((dst - out.Pixels.data()) + x)] = a;
                        anyAlpha |= a != 0;
                    }
                    break;
                }
            }
            dst[x] = px;
        }
    }
    // A 32-bit bitmap whose alpha bytes are all zero has no alpha at all.
    out.HasAlpha = anyAlpha;
    if (!anyAlpha) {
        out.Alpha.clear();
        return true;
    }
    bool seeThrough = false, premultiplied = true;
    for (std::size_t i = 0; i < out.Pixels.size() && premultiplied; ++i) {
        const std::uint32_t p = out.Pixels[i], a = out.Alpha[i];
        seeThrough |= a < 255;
        premultiplied = ((p >> 16) & 0xFF) <= a && ((p >> 8) & 0xFF) <= a && (p & 0xFF) <= a;
    }
    out.PremultipliedAlpha = seeThrough && premultiplied;
    return true;
}

HBITMAP BitmapFromDib(const TDecodedDib& dib, bool keepMonochrome) {
    const bool mono = keepMonochrome && dib.Monochrome;
    HBITMAP bitmap = mono ? CreateMonoBitmap(dib.Width, dib.Height) : CreateBitmap32(dib.Width, dib.Height);
    TBitmapInfo info;
    if (bitmap == nullptr || !GetBitmapInfo(bitmap, info) || info.Bits == nullptr) {
        DeleteBitmap(bitmap);
        return nullptr;
    }
    std::memcpy(info.Bits, dib.Pixels.data(), dib.Pixels.size() * sizeof(std::uint32_t));
    return bitmap;
}

}  // namespace Platform::Metafile
