// DIB sections: bitmaps with memory in the device-independent layouts,
// converted to and from the 32-bit pixels the drawing loops use.

#include "platform/DibSections.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/ByteReader.h"
#include "platform/cairo/GdiObjects.h"

namespace Platform {

namespace {

// One colour mask: where its bits start and how many there are.
struct TMaskShape {
    int Shift = 0;
    int Width = 0;
    std::uint64_t Max = 0;
};

TMaskShape ShapeOf(std::uint32_t mask) {
    TMaskShape s;
    if (mask == 0)
        return s;
    s.Shift = std::countr_zero(mask);
    s.Width = std::bit_width(mask >> s.Shift);
    s.Max = (std::uint64_t{1} << s.Width) - 1;
    return s;
}

std::uint32_t To8(std::uint32_t value, const TMaskShape& s) {
    if (s.Width == 0)
        return 0;
    const std::uint64_t v = (value >> s.Shift) & s.Max;
    if (s.Width >= 8)
        return static_cast<std::uint32_t>(v >> (s.Width - 8));
    // The sample's bits repeated downwards: 0 stays 0 and the maximum
    // becomes 255, as BMP readers widen samples.
    const int copies = (8 + s.Width - 1) / s.Width;
    std::uint64_t out = 0;
    for (int i = 0; i < copies; ++i)
        out = (out << s.Width) | v;
    return static_cast<std::uint32_t>(out >> (copies * s.Width - 8));
}

std::uint32_t From8(std::uint32_t c, const TMaskShape& s) {
    if (s.Width == 0)
        return 0;
    std::uint64_t v = s.Width >= 8 ? std::uint64_t{c} << (s.Width - 8) : (std::uint64_t{c} * s.Max + 127) / 255;
    return static_cast<std::uint32_t>((v & s.Max) << s.Shift);
}

std::int32_t RowBytes(std::int32_t width, std::int32_t bits) {
    return static_cast<std::int32_t>(((static_cast<std::int64_t>(width) * bits + 31) / 32) * 4);
}

bool FormatSupported(std::int32_t bits, std::uint32_t compression) {
    switch (bits) {
        case 1:
        case 4:
        case 8:
        case 24:
            return compression == BI_RGB;
        case 16:
        case 32:
            return compression == BI_RGB || compression == BI_BITFIELDS;
        default:
            return false;
    }
}

TDibFormat MakeFormat(const TBitmapInfoHeader& header,
                      const std::uint32_t* masks,
                      const std::uint8_t* colors,
                      std::int32_t colorCount) {
    TDibFormat f;
    f.Bits = header.biBitCount;
    f.Compression = header.biCompression;
    if (f.Compression == BI_BITFIELDS && masks != nullptr)
        std::copy_n(masks, 3, f.Masks);
    if (f.Bits <= 8) {
        f.Colors.assign(std::size_t{1} << f.Bits, 0);
        const std::int32_t n = colors == nullptr ? 0 : std::clamp(colorCount, 0, 1 << f.Bits);
        for (std::int32_t i = 0; i < n; ++i)
            f.Colors[i] = colors[i * 4] | (colors[i * 4 + 1] << 8) | (colors[i * 4 + 2] << 16);
    }
    return f;
}

}  // namespace

std::uint8_t TDibFormat::NearestIndex(std::uint32_t pixel) const {
    const auto found = Nearest.find(pixel);
    if (found != Nearest.end())
        return found->second;
    std::uint8_t best = 0;
    std::uint32_t bestDistance = UINT32_MAX;
    for (std::size_t i = 0; i < Colors.size(); ++i) {
        const std::uint32_t c = Colors[i];
        const int dr = static_cast<int>((c >> 16) & 0xFF) - static_cast<int>((pixel >> 16) & 0xFF);
        const int dg = static_cast<int>((c >> 8) & 0xFF) - static_cast<int>((pixel >> 8) & 0xFF);
        const int db = static_cast<int>(c & 0xFF) - static_cast<int>(pixel & 0xFF);
        const auto d = static_cast<std::uint32_t>(dr * dr + dg * dg + db * db);
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<std::uint8_t>(i);
            if (d == 0)
                break;
        }
    }
    Nearest.emplace(pixel, best);
    return best;
}

void TDibFormat::ReadRow(const std::uint8_t* row, std::int32_t width, std::uint32_t* pixels) const {
    switch (Bits) {
        case 1:
        case 4:
        case 8: {
            const int perByte = 8 / Bits;
            const std::uint32_t mask = (1u << Bits) - 1;
            for (std::int32_t x = 0; x < width; ++x) {
                const int shift = 8 - Bits * (x % perByte + 1);
                pixels[x] = Colors[(row[x / perByte] >> shift) & mask];
            }
            return;
        }
        case 24:
            for (std::int32_t x = 0; x < width; ++x, row += 3)
                pixels[x] = row[0] | (row[1] << 8) | (row[2] << 16);
            return;
        case 16:
        case 32: {
            const bool fields = Compression == BI_BITFIELDS;
            const std::uint32_t m0 = fields ? Masks[0] : (Bits == 16 ? 0x7C00 : 0xFF0000);
            const std::uint32_t m1 = fields ? Masks[1] : (Bits == 16 ? 0x03E0 : 0x00FF00);
            const std::uint32_t m2 = fields ? Masks[2] : (Bits == 16 ? 0x001F : 0x0000FF);
            if (Bits == 32 && m0 == 0xFF0000 && m1 == 0xFF00 && m2 == 0xFF) {
                for (std::int32_t x = 0; x < width; ++x, row += 4)
                    pixels[x] = row[0] | (row[1] << 8) | (row[2] << 16);
                return;
            }
            const TMaskShape r = ShapeOf(m0), g = ShapeOf(m1), b = ShapeOf(m2);
            const int step = Bits / 8;
            for (std::int32_t x = 0; x < width; ++x, row += step) {
                const std::uint32_t v = step == 2 ? LoadU16LE(row) : LoadU32LE(row);
                pixels[x] = (To8(v, r) << 16) | (To8(v, g) << 8) | To8(v, b);
            }
            return;
        }
        default:
            return;
    }
}

void TDibFormat::WriteRow(const std::uint32_t* pixels, std::int32_t width, std::uint8_t* row) const {
    switch (Bits) {
        case 1:
        case 4:
        case 8: {
            const int perByte = 8 / Bits;
            const std::uint32_t mask = (1u << Bits) - 1;
            for (std::int32_t x = 0; x < width; ++x) {
                const int shift = 8 - Bits * (x % perByte + 1);
                std::uint8_t& b = row[x / perByte];
                b = static_cast<std::uint8_t>((b & ~(mask << shift)) |
                                              ((NearestIndex(pixels[x] & 0xFFFFFF) & mask) << shift));
            }
            return;
        }
        case 24:
            for (std::int32_t x = 0; x < width; ++x, row += 3) {
                row[0] = static_cast<std::uint8_t>(pixels[x]);
                row[1] = static_cast<std::uint8_t>(pixels[x] >> 8);
                row[2] = static_cast<std::uint8_t>(pixels[x] >> 16);
            }
            return;
        case 16:
        case 32: {
            const bool fields = Compression == BI_BITFIELDS;
            const TMaskShape r = ShapeOf(fields ? Masks[0] : (Bits == 16 ? 0x7C00 : 0xFF0000));
            const TMaskShape g = ShapeOf(fields ? Masks[1] : (Bits == 16 ? 0x03E0 : 0x00FF00));
            const TMaskShape b = ShapeOf(fields ? Masks[2] : (Bits == 16 ? 0x001F : 0x0000FF));
            const int step = Bits / 8;
            for (std::int32_t x = 0; x < width; ++x, row += step) {
                const std::uint32_t p = pixels[x];
                const std::uint32_t v = From8((p >> 16) & 0xFF, r) | From8((p >> 8) & 0xFF, g) | From8(p & 0xFF, b);
                for (int i = 0; i < step; ++i)
                    row[i] = static_cast<std::uint8_t>(v >> (8 * i));
            }
            return;
        }
        default:
            return;
    }
}

void TBitmapObject::SyncIn() {
    if (!Dib || Dib->Shared || !Dib->RawNewer)
        return;
    const bool topDown = Dib->Header.biHeight < 0;
    for (std::int32_t y = 0; y < Height; ++y) {
        const std::int32_t r = topDown ? y : Height - 1 - y;
        Dib->Format.ReadRow(Dib->Raw.data() + static_cast<std::size_t>(r) * Dib->Stride, Width, Row(y));
    }
    Dib->RawNewer = false;
}

void TBitmapObject::Touch() {
    SyncIn();
    if (Dib && !Dib->Shared)
        Dib->PixelsNewer = true;
}

void TBitmapObject::SyncOut() {
    if (!Dib || Dib->Shared || !Dib->PixelsNewer)
        return;
    const bool topDown = Dib->Header.biHeight < 0;
    for (std::int32_t y = 0; y < Height; ++y) {
        const std::int32_t r = topDown ? y : Height - 1 - y;
        Dib->Format.WriteRow(Row(y), Width, Dib->Raw.data() + static_cast<std::size_t>(r) * Dib->Stride);
    }
    Dib->PixelsNewer = false;
}

std::uint8_t* TBitmapObject::DibMemory() {
    if (!Dib)
        return nullptr;
    if (Dib->Shared)
        return reinterpret_cast<std::uint8_t*>(Pixels.data());
    SyncOut();
    Dib->RawNewer = true;
    return Dib->Raw.data();
}

HBITMAP CreateDIBSection(const TBitmapInfoHeader& header,
                         const std::uint32_t* masks,
                         const std::uint8_t* colors,
                         std::int32_t colorCount) {
    const std::int32_t bits = header.biBitCount;
    if (header.biWidth <= 0 || header.biHeight == 0 || header.biHeight == INT32_MIN ||
        !FormatSupported(bits, header.biCompression))
        return nullptr;
    if (header.biCompression == BI_BITFIELDS && masks == nullptr)
        return nullptr;
    const std::int64_t width = header.biWidth;
    const std::int64_t height = header.biHeight < 0 ? -std::int64_t{header.biHeight} : header.biHeight;
    const std::int64_t stride = RowBytes(header.biWidth, bits);
    // Pixels and memory together stay below 1 GiB.
    if (width * height * 4 + stride * height > (std::int64_t{1} << 30))
        return nullptr;
    auto* bitmap = new TBitmapObject(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), false);
    auto dib = std::make_unique<TDibData>();
    dib->Header = header;
    dib->Header.biSize = 40;
    dib->Header.biPlanes = 1;
    dib->Header.biSizeImage = static_cast<std::uint32_t>(stride * height);
    dib->Format = MakeFormat(header, masks, colors, colorCount);
    dib->Stride = static_cast<std::int32_t>(stride);
    const bool plain32 = bits == 32 && (header.biCompression == BI_RGB ||
                                        (masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF));
    dib->Shared = plain32 && header.biHeight < 0;
    if (!dib->Shared) {
        dib->Raw.assign(static_cast<std::size_t>(stride * height), 0);
        // Zeroed memory reads as colour 0 of the table, which need not be black.
        dib->RawNewer = true;
    }
    bitmap->Dib = std::move(dib);
    return bitmap;
}

int GetDibSection(HBITMAP bitmap, TDibSection& out) {
    out = TDibSection{};
    if (bitmap == nullptr)
        return 0;
    out.dsBm.bmWidth = bitmap->Width;
    out.dsBm.bmHeight = bitmap->Height;
    out.dsBm.bmPlanes = 1;
    if (!bitmap->Dib) {
        out.dsBm.bmBitsPixel = bitmap->Mono ? 1 : 32;
        // Device-dependent rows are padded to 16 bits, as on Windows.
        out.dsBm.bmWidthBytes = static_cast<std::int32_t>(
            ((static_cast<std::int64_t>(bitmap->Width) * out.dsBm.bmBitsPixel + 15) / 16) * 2);
        return 24;
    }
    const TDibData& d = *bitmap->Dib;
    out.dsBm.bmBitsPixel = static_cast<std::uint16_t>(d.Format.Bits);
    out.dsBm.bmWidthBytes = d.Stride;
    out.dsBm.bmBits = bitmap->DibMemory();
    out.dsBmih = d.Header;
    if (d.Format.Compression == BI_BITFIELDS)
        std::copy_n(d.Format.Masks, 3, out.dsBitfields);
    out.dshSection = bitmap;
    return static_cast<int>(sizeof(TDibSection));
}

void* DibBits(HBITMAP bitmap) {
    return bitmap == nullptr ? nullptr : bitmap->DibMemory();
}

int GetDIBColorTable(HBITMAP section, int start, int count, std::uint8_t* colors) {
    if (section == nullptr || !section->Dib || colors == nullptr || start < 0 || count <= 0)
        return 0;
    const auto& table = section->Dib->Format.Colors;
    const int n = std::max(0, std::min(count, static_cast<int>(table.size()) - start));
    for (int i = 0; i < n; ++i) {
        const std::uint32_t c = table[start + i];
        colors[i * 4] = static_cast<std::uint8_t>(c);
        colors[i * 4 + 1] = static_cast<std::uint8_t>(c >> 8);
        colors[i * 4 + 2] = static_cast<std::uint8_t>(c >> 16);
        colors[i * 4 + 3] = 0;
    }
    return n;
}

int SetDIBColorTable(HBITMAP section, int start, int count, const std::uint8_t* colors) {
    if (section == nullptr || !section->Dib || colors == nullptr || start < 0 || count <= 0)
        return 0;
    // The indices in memory keep their meaning; the pixels show the new colours.
    section->SyncOut();
    TDibFormat& f = section->Dib->Format;
    const int n = std::max(0, std::min(count, static_cast<int>(f.Colors.size()) - start));
    for (int i = 0; i < n; ++i)
        f.Colors[start + i] = colors[i * 4] | (colors[i * 4 + 1] << 8) | (colors[i * 4 + 2] << 16);
    f.ResetCache();
    section->Dib->RawNewer = true;
    return n;
}

bool GetDIBits(HBITMAP bitmap,
               const TBitmapInfoHeader& header,
               const std::uint32_t* masks,
               const std::uint8_t* colors,
               std::int32_t colorCount,
               void* bits) {
    if (bitmap == nullptr || bits == nullptr || header.biWidth <= 0 ||
        !FormatSupported(header.biBitCount, header.biCompression) ||
        (header.biCompression == BI_BITFIELDS && masks == nullptr))
        return false;
    bitmap->SyncIn();
    const TDibFormat format = MakeFormat(header, masks, colors, colorCount);
    const std::int32_t stride = RowBytes(header.biWidth, header.biBitCount);
    const bool topDown = header.biHeight < 0;
    const std::int64_t height = topDown ? -std::int64_t{header.biHeight} : header.biHeight;
    const std::int32_t rows = static_cast<std::int32_t>(std::min<std::int64_t>(height, bitmap->Height));
    const std::int32_t width = std::min(header.biWidth, bitmap->Width);
    auto* out = static_cast<std::uint8_t*>(bits);
    for (std::int32_t y = 0; y < rows; ++y) {
        const std::int64_t r = topDown ? y : height - 1 - y;
        format.WriteRow(bitmap->Row(y), width, out + r * stride);
    }
    return true;
}

}  // namespace Platform
