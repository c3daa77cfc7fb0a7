#include "platform/metafile/Dibs.h"

#include <algorithm>
#include <cstring>

#include "platform/Bitmaps.h"
#include "platform/ByteReader.h"

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

bool ReadHeader(const TByteReader& b, THeader& h) {
    if (!b.HasAt(0, 4))
        return false;
    h.Size = b.U32LEAt(0);
    if (h.Size == 12 && b.HasAt(0, 12)) {
        // BITMAPCOREHEADER: 16-bit sizes and RGB triples in the table.
        h.Core = true;
        h.Width = b.U16LEAt(4);
        h.Height = b.I16LEAt(6);
        h.Bits = b.U16LEAt(10);
        return true;
    }
    if (h.Size < 40 || !b.HasAt(0, 40))
        return false;
    h.Width = b.I32LEAt(4);
    h.Height = b.I32LEAt(8);
    h.Bits = b.U16LEAt(14);
    h.Compression = b.U32LEAt(16);
    h.ColorsUsed = b.U32LEAt(32);
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

// RLE8 and RLE4 ([MS-WMF] 2.1.1.7 Compression): runs and absolute pieces,
// rows bottom-up. wanted(row) tells whether a stored row is drawn at all,
// so runs of other rows cost a step, not a pixel each; put(x, row, index)
// receives the pixels of wanted rows inside the width. Pixels left out
// keep index 0.
template <class Wanted, class Put>
void WalkRuns(const TByteReader& src, bool four, std::int64_t w, std::int64_t hh, Wanted wanted, Put put) {
    std::int64_t x = 0, y = 0;
    std::size_t at = 0;
    while (src.HasAt(at, 2) && y < hh) {
        const std::uint8_t count = src.U8At(at), value = src.U8At(at + 1);
        at += 2;
        if (count > 0) {
            if (wanted(y) && x < w) {
                for (int i = 0; i < count; ++i, ++x)
                    if (x >= 0 && x < w)
                        put(x, y, four ? ((i & 1) ? (value & 15) : (value >> 4)) : value);
            } else {
                x += count;
            }
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            break;
        } else if (value == 2) {  // delta
            if (!src.HasAt(at, 2))
                break;
            x += src.U8At(at);
            y += src.U8At(at + 1);
            at += 2;
        } else {  // absolute run of value pixels, padded to 16 bits
            const std::size_t bytes = four ? (value + 1) / 2 : value;
            if (!src.HasAt(at, bytes))
                break;
            if (wanted(y) && x < w) {
                for (int i = 0; i < value; ++i, ++x)
                    if (x >= 0 && x < w)
                        put(x, y,
                            four ? ((i & 1) ? (src.U8At(at + i / 2) & 15) : (src.U8At(at + i / 2) >> 4))
                                 : src.U8At(at + i));
            } else {
                x += value;
            }
            at += (bytes + 1) & ~std::size_t{1};
        }
    }
}

std::uint32_t ColorOf(const std::vector<std::uint32_t>& colors, std::uint32_t index) {
    return index < colors.size() ? colors[index] : 0;
}

}  // namespace

std::size_t PackedDibHeaderSize(const TByteReader& dib, std::uint32_t usage) {
    THeader h;
    if (!ReadHeader(dib, h))
        return 0;
    const std::size_t total = h.Size + MaskBytes(h) + TableEntries(h) * EntrySize(h, usage);
    return total <= dib.Size() ? total : 0;
}

bool DecodeDib(const TByteReader& hb,
               const TByteReader& src,
               std::uint32_t usage,
               const std::vector<TPaletteEntry>& palette,
               TDecodedDib& out,
               bool allowDeferred) {
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
    const std::size_t bitsSize = src.Size();

    // What the bytes can hold is settled before any pixel is given memory.
    // Runs pack at most 255 pixels into two bytes; a bitmap claiming far
    // more pixels than that is drawn from its runs, where the caller can.
    bool deferred = false;
    if (rle && width * height > static_cast<std::int64_t>(bitsSize) * 512 + 65536) {
        if (!allowDeferred)
            return false;
        deferred = true;
    }
    const std::int64_t stride = ((width * h.Bits + 31) / 32) * 4;
    // A bitmap whose last row is cut short keeps what is there, as long as
    // at least one row is present; the rest stays black. A bitmap whose
    // bytes hold fewer than half its rows is taken for a damaged one rather
    // than given memory for the rows it lacks.
    const std::int64_t rows = std::min<std::int64_t>(height, static_cast<std::int64_t>(bitsSize) / stride);
    if (!rle && (rows <= 0 || rows * 2 < height))
        return false;

    // Colour table.
    std::vector<std::uint32_t> colors;
    const std::uint32_t entries = TableEntries(h);
    const std::size_t tableAt = h.Size + MaskBytes(h);
    const std::size_t entrySize = EntrySize(h, usage);
    for (std::uint32_t i = 0; i < entries; ++i) {
        const std::size_t at = tableAt + i * entrySize;
        if (!hb.HasAt(at, entrySize)) {
            colors.push_back(i == 0 ? 0 : 0xFFFFFF);
            continue;
        }
        if (usage == DIB_PAL_COLORS) {
            const std::uint16_t index = hb.U16LEAt(at);
            if (index < palette.size()) {
                const TPaletteEntry& e = palette[index];
                colors.push_back((static_cast<std::uint32_t>(e.Red) << 16) | (e.Green << 8) | e.Blue);
            } else {
                colors.push_back(index == 0 ? 0 : 0xFFFFFF);
            }
        } else {
            colors.push_back((static_cast<std::uint32_t>(hb.U8At(at + 2)) << 16) | (hb.U8At(at + 1) << 8) |
                             hb.U8At(at));
        }
    }
    std::uint32_t masks[3] = {0, 0, 0};
    if (h.Compression == 3) {
        // Right after a 40-byte header; the larger headers hold them at the same place.
        const std::size_t maskAt = 40;
        if (!hb.HasAt(maskAt, 12))
            return false;
        masks[0] = hb.U32LEAt(maskAt);
        masks[1] = hb.U32LEAt(maskAt + 4);
        masks[2] = hb.U32LEAt(maskAt + 8);
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
    if (deferred) {
        out.Deferred = true;
        out.FourBit = h.Compression == 2;
        out.Runs.assign(src.Data(), src.Data() + bitsSize);
        out.Colors = std::move(colors);
        return true;
    }

    auto row = [&](std::int64_t stored) -> std::uint32_t* {
        const std::int64_t top = out.BottomUp ? height - 1 - stored : stored;
        return out.Pixels.data() + top * width;
    };

    if (rle) {
        out.Pixels.assign(static_cast<std::size_t>(width * height), ColorOf(colors, 0));
        WalkRuns(
            src, h.Compression == 2, width, height, [](std::int64_t) { return true; },
            [&](std::int64_t x, std::int64_t y, std::uint32_t index) { row(y)[x] = ColorOf(colors, index); });
        return true;
    }

    out.Pixels.assign(static_cast<std::size_t>(width * height), 0);
    bool anyAlpha = false;
    // The alpha byte of 32-bit pixels: the top byte, unless the bit-field
    // masks claim it for a colour.
    const bool alphaByte =
        h.Bits == 32 && (h.Compression == 0 || ((masks[0] | masks[1] | masks[2]) & 0xFF000000u) == 0);
    if (alphaByte)
        out.Alpha.assign(out.Pixels.size(), 255);
    for (std::int64_t y = 0; y < rows; ++y) {
        const TByteReader p = src.SubAt(static_cast<std::size_t>(y * stride), static_cast<std::size_t>(stride));
        std::uint32_t* dst = row(y);
        for (std::int64_t x = 0; x < width; ++x) {
            const auto at = static_cast<std::size_t>(x);
            std::uint32_t px = 0;
            switch (h.Bits) {
                case 1:
                    px = ColorOf(colors, (p.U8At(at >> 3) >> (7 - (at & 7))) & 1);
                    break;
                case 4:
                    px = ColorOf(colors, (at & 1) ? (p.U8At(at >> 1) & 15) : (p.U8At(at >> 1) >> 4));
                    break;
                case 8:
                    px = ColorOf(colors, p.U8At(at));
                    break;
                case 16: {
                    const std::uint32_t v = p.U16LEAt(2 * at);
                    px = (Expand(v, masks[0]) << 16) | (Expand(v, masks[1]) << 8) | Expand(v, masks[2]);
                    break;
                }
                case 24:
                    px = (static_cast<std::uint32_t>(p.U8At(3 * at + 2)) << 16) | (p.U8At(3 * at + 1) << 8) |
                         p.U8At(3 * at);
                    break;
                default: {
                    const std::uint32_t v = p.U32LEAt(4 * at);
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

void DibWindow(const TDecodedDib& dib, const TRect& window, std::int32_t step, TDecodedDib& out) {
    out = TDecodedDib{};
    const std::int64_t x0 = std::clamp<std::int64_t>(window.Left, 0, dib.Width);
    const std::int64_t x1 = std::clamp<std::int64_t>(window.Right, x0, dib.Width);
    const std::int64_t y0 = std::clamp<std::int64_t>(window.Top, 0, dib.Height);
    const std::int64_t y1 = std::clamp<std::int64_t>(window.Bottom, y0, dib.Height);
    const std::int64_t s = std::max<std::int32_t>(1, step);
    const std::int64_t w = (x1 - x0 + s - 1) / s, h = (y1 - y0 + s - 1) / s;
    if (w == 0 || h == 0 || w * h > kMaxPixels)
        return;
    out.Width = static_cast<std::int32_t>(w);
    out.Height = static_cast<std::int32_t>(h);
    out.BottomUp = false;
    out.Monochrome = dib.Monochrome;
    if (!dib.Deferred) {
        out.Pixels.reserve(static_cast<std::size_t>(w * h));
        for (std::int64_t y = y0; y < y1; y += s)
            for (std::int64_t x = x0; x < x1; x += s)
                out.Pixels.push_back(dib.Pixels[static_cast<std::size_t>(y * dib.Width + x)]);
        return;
    }
    out.Pixels.assign(static_cast<std::size_t>(w * h), ColorOf(dib.Colors, 0));
    auto top = [&](std::int64_t stored) { return dib.BottomUp ? dib.Height - 1 - stored : stored; };
    WalkRuns(
        TByteReader(dib.Runs.data(), dib.Runs.size()), dib.FourBit, dib.Width, dib.Height,
        [&](std::int64_t stored) {
            const std::int64_t t = top(stored);
            return t >= y0 && t < y1 && (t - y0) % s == 0;
        },
        [&](std::int64_t x, std::int64_t stored, std::uint32_t index) {
            if (x < x0 || x >= x1 || (x - x0) % s != 0)
                return;
            out.Pixels[static_cast<std::size_t>((top(stored) - y0) / s * w + (x - x0) / s)] =
                ColorOf(dib.Colors, index);
        });
}

HBITMAP BitmapFromDib(const TDecodedDib& dib, bool keepMonochrome) {
    if (dib.Width <= 0 || dib.Height <= 0 ||
        dib.Pixels.size() != static_cast<std::size_t>(dib.Width) * static_cast<std::size_t>(dib.Height))
        return nullptr;  // a deferred bitmap is drawn through DibWindow
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
