#include "base/pictures/TPNGImage.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "base/core/Crc32.h"
#include "base/core/Errors.h"
#include "base/core/TCustomZStream.h"
#include "base/core/TMemoryStream.h"
#include "base/core/TReadOnlyMemoryStream.h"
#include "base/core/TZCompressionStream.h"
#include "base/core/TZDecompressionStream.h"
#include "base/graphics/Graphics.h"
#include "base/graphics/TBitmapImage.h"
#include "platform/Bitmaps.h"
#include "platform/DibSections.h"

using namespace Platform;

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

std::uint32_t Be32(const std::uint8_t* p) {
    return (static_cast<std::uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}
void PutBe32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}

struct THeader {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::uint8_t BitDepth = 0;
    std::uint8_t ColorType = 0;
    std::uint8_t Interlace = 0;
};

// The chunks a picture needs, gathered while the file is read.
struct TChunks {
    THeader Header;
    std::vector<std::uint8_t> Data;  // every IDAT joined
    std::vector<std::uint8_t> Palette;
    std::vector<std::uint8_t> Transparency;
    bool HasPalette = false;
    bool HasTransparency = false;
    bool HasImage = false;
    std::uint32_t Gamma = 0;  // times 100000; 0 when absent or unusable
};

bool DepthAllowed(std::uint8_t colorType, std::uint8_t depth) {
    switch (colorType) {
        case 0:
            return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
        case 3:
            return depth == 1 || depth == 2 || depth == 4 || depth == 8;
        case 2:
        case 4:
        case 6:
            return depth == 8 || depth == 16;
        default:
            return false;
    }
}

int ChannelsOf(std::uint8_t colorType) {
    switch (colorType) {
        case 2:
            return 3;
        case 4:
            return 2;
        case 6:
            return 4;
        default:
            return 1;
    }
}

// PNG specification (W3C, second edition), 5.3 "Chunk layout" and 11.2-11.3
// on the chunks used here. Ancillary chunks with a wrong CRC are dropped as
// the specification advises; critical ones stop the load.
TChunks ReadChunks(TStream& stream) {
    std::uint8_t signature[8];
    stream.ReadExact(signature, 8);
    if (std::memcmp(signature, kSignature, 8) != 0)
        Abort();
    TChunks c;
    bool first = true, ended = false;
    const std::int64_t size = stream.Size();
    while (!ended && stream.Position() < size) {
        std::uint8_t head[8];
        stream.ReadExact(head, 8);
        const std::uint32_t length = Be32(head);
        if (length > 0x7FFFFFFFu || static_cast<std::int64_t>(length) + 4 > size - stream.Position())
            Abort();
        const bool critical = (head[4] & 0x20) == 0;
        const std::string type(reinterpret_cast<const char*>(head + 4), 4);
        const bool known =
            type == "IHDR" || type == "PLTE" || type == "IDAT" || type == "IEND" || type == "gAMA" || type == "tRNS";
        if (first && type != "IHDR")
            Abort();
        first = false;
        if (!known) {
            if (critical)
                Abort();  // a critical chunk we cannot apply changes what the picture means
            stream.Seek(static_cast<std::int64_t>(length) + 4, soFromCurrent);
            continue;
        }
        std::vector<std::uint8_t> data(length);
        if (length > 0)
            stream.ReadExact(data.data(), static_cast<std::int32_t>(length));
        std::uint8_t crcBytes[4];
        stream.ReadExact(crcBytes, 4);
        const std::uint32_t crc = UpdateCrc32(UpdateCrc32(0, head + 4, 4), data.data(), length);
        if (crc != Be32(crcBytes)) {
            if (critical)
                Abort();
            continue;
        }
        if (type == "IHDR") {
            if (length != 13)
                Abort();
            c.Header.Width = Be32(data.data());
            c.Header.Height = Be32(data.data() + 4);
            c.Header.BitDepth = data[8];
            c.Header.ColorType = data[9];
            c.Header.Interlace = data[12];
            if (c.Header.Width == 0 || c.Header.Height == 0 || c.Header.Width > 0x7FFFFFFF ||
                c.Header.Height > 0x7FFFFFFF || !DepthAllowed(c.Header.ColorType, c.Header.BitDepth) || data[10] != 0 ||
                data[11] != 0 || c.Header.Interlace > 1)
                Abort();
        } else if (type == "IDAT") {
            c.Data.insert(c.Data.end(), data.begin(), data.end());
            c.HasImage = true;
        } else if (type == "PLTE") {
            if (length % 3 != 0 || length == 0 || length > 768)
                Abort();
            c.Palette = std::move(data);
            c.HasPalette = true;
        } else if (type == "tRNS") {
            c.Transparency = std::move(data);
            c.HasTransparency = true;
        } else if (type == "gAMA") {
            // A gamma of 0 would divide by zero; it says nothing usable.
            c.Gamma = length == 4 ? Be32(data.data()) : 0;
        } else {
            ended = true;
        }
    }
    if (first || !c.HasImage)
        Abort();
    if (c.Header.ColorType == 3 && !c.HasPalette)
        Abort();
    return c;
}

// gAMA: sample = (v / 255) ^ (1 / (gamma x 2.2)), as the decoder of this
// program has always shown it; rounded half to even.
void BuildGammaTable(std::uint32_t gamma, std::uint8_t* table) {
    const double g = gamma / 100000.0;
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<std::uint8_t>(
            std::clamp(std::nearbyint(std::pow(i / 255.0, 1.0 / (g * 2.2)) * 255.0), 0.0, 255.0));
}

std::uint8_t OverWhite(std::uint32_t value, std::uint32_t alpha) {
    return static_cast<std::uint8_t>((alpha * value + 255 * (255 - alpha)) / 255);
}

// PNG specification, 9 "Filtering": the five filter types of method 0.
void Unfilter(std::uint8_t type, std::uint8_t* row, const std::uint8_t* prior, std::size_t bytes, int distance) {
    switch (type) {
        case 0:
            return;
        case 1:
            for (std::size_t i = distance; i < bytes; ++i)
                row[i] = static_cast<std::uint8_t>(row[i] + row[i - distance]);
            return;
        case 2:
            for (std::size_t i = 0; i < bytes; ++i)
                row[i] = static_cast<std::uint8_t>(row[i] + prior[i]);
            return;
        case 3:
            for (std::size_t i = 0; i < bytes; ++i) {
                const int a = i >= static_cast<std::size_t>(distance) ? row[i - distance] : 0;
                row[i] = static_cast<std::uint8_t>(row[i] + ((a + prior[i]) >> 1));
            }
            return;
        case 4:
            for (std::size_t i = 0; i < bytes; ++i) {
                const bool left = i >= static_cast<std::size_t>(distance);
                const int a = left ? row[i - distance] : 0;
                const int b = prior[i];
                const int c = left ? prior[i - distance] : 0;
                const int p = a + b - c;
                const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
                const int predictor = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
                row[i] = static_cast<std::uint8_t>(row[i] + predictor);
            }
            return;
        default:
            Abort();
    }
}

// The decoded picture: a new DIB section with its colour table, and how
// each raw row becomes bitmap pixels.
class TDecoder {
public:
    explicit TDecoder(const TChunks& chunks) : C(chunks), H(chunks.Header) {
        if (C.Gamma != 0)
            BuildGammaTable(C.Gamma, Gamma);
        else
            for (int i = 0; i < 256; ++i)
                Gamma[i] = static_cast<std::uint8_t>(i);
        Channels = ChannelsOf(H.ColorType);
        Distance = std::max(1, H.BitDepth * Channels / 8);
        // Colour keys of grey and RGB pictures (the tRNS chunk of those types).
        if (C.HasTransparency && H.ColorType == 0 && C.Transparency.size() >= 2) {
            HasKey = true;
            Key[0] = static_cast<std::uint16_t>((C.Transparency[0] << 8) | C.Transparency[1]);
        } else if (C.HasTransparency && H.ColorType == 2 && C.Transparency.size() >= 6) {
            HasKey = true;
            for (int i = 0; i < 3; ++i)
                Key[i] = static_cast<std::uint16_t>((C.Transparency[2 * i] << 8) | C.Transparency[2 * i + 1]);
        }
        // A 16-bit grey key compares whole samples, which a 256-grey palette
        // cannot show; such pictures decode to 24 bits.
        Rgb = H.ColorType == 2 || H.ColorType == 6 || (H.ColorType == 0 && H.BitDepth == 16 && HasKey);
        OutBits = Rgb ? 24 : (H.BitDepth == 1 ? 1 : (H.BitDepth <= 4 ? 4 : 8));
    }

    HBITMAP Decode(HPALETTE& palette) {
        const std::int64_t width = H.Width, height = H.Height;
        // zlib expands at most about 1032 to 1; a picture may not claim
        // more pixels than its data could hold, whatever its header says.
        const std::int64_t bitsPerPixel = std::max(1, H.BitDepth * Channels);
        if (width * height >
            (std::int64_t{16} << 20) + static_cast<std::int64_t>(C.Data.size()) * 1032 * 8 / bitsPerPixel)
            Abort();
        if (width > (1 << 24) || height > (1 << 24))
            Abort();
        std::uint8_t colors[1024] = {};
        const std::int32_t count = BuildColorTable(colors);
        TBitmapInfoHeader h;
        h.biSize = 40;
        h.biWidth = static_cast<std::int32_t>(width);
        h.biHeight = static_cast<std::int32_t>(height);
        h.biPlanes = 1;
        h.biBitCount = static_cast<std::uint16_t>(OutBits);
        HBITMAP bitmap = CreateDIBSection(h, nullptr, colors, count);
        if (bitmap == nullptr)
            Abort();
        try {
            Bits = static_cast<std::uint8_t*>(DibBits(bitmap));
            Stride = ((width * OutBits + 31) / 32) * 4;
            ReadImage();
        } catch (...) {
            DeleteBitmap(bitmap);
            throw;
        }
        palette = count > 0 ? PaletteFromColorTable(colors, count) : nullptr;
        return bitmap;
    }

private:
    std::int32_t BuildColorTable(std::uint8_t* colors) {
        if (Rgb)
            return 0;
        auto put = [&](int i, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
            colors[4 * i] = b;
            colors[4 * i + 1] = g;
            colors[4 * i + 2] = r;
        };
        int n = 0;
        if (H.ColorType == 4) {
            // Grey with alpha: each pixel is its composited grey level.
            n = 256;
            for (int k = 0; k < 256; ++k)
                put(k, static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(k));
            return n;
        }
        if (H.ColorType == 0) {
            n = H.BitDepth == 16 ? 256 : 1 << H.BitDepth;
            for (int k = 0; k < n; ++k) {
                const auto v = Gamma[(k * 255 + (n - 1) / 2) / (n - 1)];
                put(k, v, v, v);
            }
            if (HasKey && H.BitDepth < 16 && Key[0] < n)
                put(Key[0], 255, 255, 255);
        } else {
            n = static_cast<int>(C.Palette.size() / 3);
            for (int k = 0; k < n; ++k) {
                std::uint8_t rgb[3];
                for (int j = 0; j < 3; ++j)
                    rgb[j] = Gamma[C.Palette[3 * k + j]];
                if (C.HasTransparency && static_cast<std::size_t>(k) < C.Transparency.size())
                    for (int j = 0; j < 3; ++j)
                        rgb[j] = OverWhite(rgb[j], C.Transparency[k]);
                put(k, rgb[0], rgb[1], rgb[2]);
            }
            n = std::min(n, 1 << H.BitDepth);
        }
        if (H.BitDepth == 2) {
            // 2-bit samples are stored as the 4-bit values 0, 5, 10 and 15,
            // so the four colours repeat through a 16-colour table.
            for (int k = 4; k < 16; ++k)
                std::memcpy(colors + 4 * k, colors + 4 * (k % 4), 4);
            n = 16;
        }
        return n;
    }

    std::uint8_t* BitmapRow(std::int64_t y) { return Bits + (H.Height - 1 - y) * Stride; }

    void SetIndex(std::uint8_t* row, std::int64_t x, std::uint32_t index) {
        switch (OutBits) {
            case 1: {
                const int shift = 7 - static_cast<int>(x & 7);
                row[x >> 3] = static_cast<std::uint8_t>((row[x >> 3] & ~(1 << shift)) | ((index & 1) << shift));
                break;
            }
            case 4: {
                const int shift = (x & 1) ? 0 : 4;
                row[x >> 1] = static_cast<std::uint8_t>((row[x >> 1] & ~(0x0F << shift)) | ((index & 0x0F) << shift));
                break;
            }
            default:
                row[x] = static_cast<std::uint8_t>(index);
        }
    }

    std::uint32_t Sample(const std::uint8_t* raw, std::int64_t i) const {
        switch (H.BitDepth) {
            case 1:
                return (raw[i >> 3] >> (7 - (i & 7))) & 1;
            case 2:
                return (raw[i >> 2] >> (6 - 2 * (i & 3))) & 3;
            case 4:
                return (raw[i >> 1] >> ((i & 1) ? 0 : 4)) & 15;
            case 8:
                return raw[i];
            default:
                return static_cast<std::uint32_t>((raw[2 * i] << 8) | raw[2 * i + 1]);
        }
    }

    // One unfiltered row of pixels starting at column x0, every step columns.
    void StoreRow(const std::uint8_t* raw, std::int64_t y, std::int64_t x0, std::int64_t step, std::int64_t count) {
        std::uint8_t* row = BitmapRow(y);
        const bool wide = H.BitDepth == 16;
        auto high = [&](std::int64_t sampleIndex) -> std::uint8_t {
            return static_cast<std::uint8_t>(wide ? Sample(raw, sampleIndex) >> 8 : Sample(raw, sampleIndex));
        };
        if (!Rgb) {
            if (H.ColorType == 4) {
                for (std::int64_t i = 0; i < count; ++i)
                    SetIndex(row, x0 + i * step, OverWhite(Gamma[high(2 * i)], high(2 * i + 1)));
                return;
            }
            if (step == 1 && x0 == 0 && H.BitDepth == OutBits) {
                std::memcpy(row, raw, static_cast<std::size_t>((count * OutBits + 7) / 8));
                return;
            }
            for (std::int64_t i = 0; i < count; ++i) {
                const std::uint32_t s = Sample(raw, i);
                SetIndex(row, x0 + i * step, H.BitDepth == 2 ? s * 5 : (wide ? s >> 8 : s));
            }
            return;
        }
        if (!wide && !HasKey) {
            // The common 8-bit RGB and RGBA rows, without per-sample lookups.
            std::uint8_t* px = row + 3 * x0;
            const std::int64_t advance = 3 * step;
            const std::uint8_t* in = raw;
            if (H.ColorType == 2) {
                for (std::int64_t i = 0; i < count; ++i, in += 3, px += advance) {
                    px[0] = Gamma[in[2]];
                    px[1] = Gamma[in[1]];
                    px[2] = Gamma[in[0]];
                }
            } else {
                for (std::int64_t i = 0; i < count; ++i, in += 4, px += advance) {
                    const std::uint8_t a = in[3];
                    px[0] = OverWhite(Gamma[in[2]], a);
                    px[1] = OverWhite(Gamma[in[1]], a);
                    px[2] = OverWhite(Gamma[in[0]], a);
                }
            }
            return;
        }
        for (std::int64_t i = 0; i < count; ++i) {
            std::uint8_t* px = row + 3 * (x0 + i * step);
            if (H.ColorType == 0) {  // 16-bit grey with a key
                const std::uint32_t s = Sample(raw, i);
                const std::uint8_t v = s == Key[0] ? 255 : Gamma[s >> 8];
                px[0] = px[1] = px[2] = v;
                continue;
            }
            const std::int64_t base = i * Channels;
            std::uint8_t r = Gamma[high(base)], g = Gamma[high(base + 1)], b = Gamma[high(base + 2)];
            if (H.ColorType == 6) {
                const std::uint8_t a = high(base + 3);
                r = OverWhite(r, a);
                g = OverWhite(g, a);
                b = OverWhite(b, a);
            } else if (HasKey && Sample(raw, base) == Key[0] && Sample(raw, base + 1) == Key[1] &&
                       Sample(raw, base + 2) == Key[2]) {
                r = g = b = 255;
            }
            px[0] = b;
            px[1] = g;
            px[2] = r;
        }
    }

    // PNG specification, 7.2 "Scanlines" and 8.2 "Interlace methods"
    // (Adam7). Data that is damaged or ends early stops the load: rows after
    // the damage would otherwise be unfiltered from stale bytes.
    void ReadImage() {
        TReadOnlyMemoryStream source(C.Data.data(), static_cast<std::int32_t>(C.Data.size()));
        const std::int32_t savedBits = ZlibWindowBits;
        ZlibWindowBits = 15;
        TZDecompressionStream inflater(source);
        ZlibWindowBits = savedBits;
        inflater.Limit = static_cast<std::int32_t>(C.Data.size());
        const int bitsPerPixel = H.BitDepth * Channels;
        auto rowBytes = [&](std::int64_t w) { return static_cast<std::size_t>((w * bitsPerPixel + 7) / 8); };
        std::vector<std::uint8_t> current(rowBytes(H.Width) + 1), prior(rowBytes(H.Width) + 1);
        auto pass = [&](std::int64_t y0, std::int64_t x0, std::int64_t dy, std::int64_t dx) {
            const std::int64_t w = (static_cast<std::int64_t>(H.Width) - x0 + dx - 1) / dx;
            if (w <= 0 || y0 >= H.Height)
                return;
            const std::size_t bytes = rowBytes(w);
            std::fill(prior.begin(), prior.end(), 0);
            for (std::int64_t y = y0; y < H.Height; y += dy) {
                const auto want = static_cast<std::int32_t>(bytes + 1);
                if (inflater.Read(current.data(), want) != want)
                    Abort();
                Unfilter(current[0], current.data() + 1, prior.data() + 1, bytes, Distance);
                StoreRow(current.data() + 1, y, x0, dx, w);
                std::swap(current, prior);
            }
        };
        if (H.Interlace == 0) {
            pass(0, 0, 1, 1);
        } else {
            static const int kPasses[7][4] = {{0, 0, 8, 8}, {0, 4, 8, 8}, {4, 0, 8, 4}, {0, 2, 4, 4},
                                              {2, 0, 4, 2}, {0, 1, 2, 2}, {1, 0, 2, 1}};
            for (const auto& p : kPasses)
                pass(p[0], p[1], p[2], p[3]);
        }
    }

    const TChunks& C;
    const THeader& H;
    std::uint8_t Gamma[256];
    int Channels = 1;
    int Distance = 1;
    bool HasKey = false;
    std::uint16_t Key[3] = {0, 0, 0};
    bool Rgb = false;
    int OutBits = 8;
    std::uint8_t* Bits = nullptr;
    std::int64_t Stride = 0;
};

void WriteChunk(TStream& stream, const char* type, const std::uint8_t* data, std::uint32_t length) {
    std::uint8_t head[8];
    PutBe32(head, length);
    std::memcpy(head + 4, type, 4);
    stream.WriteExact(head, 8);
    std::int64_t left = length;
    for (std::int64_t at = 0; left > 0;) {
        const auto piece = static_cast<std::int32_t>(std::min<std::int64_t>(left, 1 << 30));
        stream.WriteExact(data + at, piece);
        at += piece;
        left -= piece;
    }
    std::uint8_t crc[4];
    PutBe32(crc, UpdateCrc32(UpdateCrc32(0, head + 4, 4), data, length));
    stream.WriteExact(crc, 4);
}

// The score of a filtered row: positions from 4 on whose byte equals one
// of the four bytes before it.
std::int64_t FilterScore(const std::uint8_t* row, std::size_t bytes) {
    std::int64_t score = 0;
    for (std::size_t i = 4; i < bytes; ++i)
        for (int k = 1; k <= 4; ++k)
            if (row[i] == row[i - k])
                ++score;
    return score;
}

void FilterRow(int type,
               const std::uint8_t* raw,
               const std::uint8_t* prior,
               std::size_t bytes,
               int distance,
               std::uint8_t* out) {
    for (std::size_t i = 0; i < bytes; ++i) {
        const bool left = i >= static_cast<std::size_t>(distance);
        const int a = left ? raw[i - distance] : 0;
        const int b = prior[i];
        const int c = left ? prior[i - distance] : 0;
        int predictor = 0;
        switch (type) {
            case 1:
                predictor = a;
                break;
            case 3:
                predictor = (a + b) >> 1;
                break;
            case 4: {
                const int p = a + b - c;
                const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
                predictor = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
                break;
            }
            default:
                break;
        }
        out[i] = static_cast<std::uint8_t>(raw[i] - predictor);
    }
}

}  // namespace

void TPNGImage::LoadFromStream(TStream& stream) {
    const TChunks chunks = ReadChunks(stream);
    TDecoder decoder(chunks);
    HPALETTE palette = nullptr;
    HBITMAP bitmap = decoder.Decode(palette);
    TDibSection d;
    GetDibSection(bitmap, d);
    ReplaceImage(bitmap, palette, d);
    NoPalette = false;
    PaletteModified = palette != nullptr;
    Changed();
}

// Written as the PNG specification (W3C, second edition) lays a file out:
// signature, IHDR, PLTE for palette pictures, one IDAT of filtered rows in
// the zlib format, IEND.
void TPNGImage::SaveToStream(TStream& stream) {
    std::uint8_t format = GetPixelFormat();
    if (format != pf1bit && format != pf4bit && format != pf8bit) {
        SetPixelFormat(pf24bit);
        format = pf24bit;
    }
    const std::int32_t width = GetWidth(), height = GetHeight();
    if (width <= 0 || height <= 0)
        Abort();  // PNG has no empty pictures
    const int bits = format == pf1bit ? 1 : format == pf4bit ? 4 : format == pf8bit ? 8 : 24;
    stream.WriteExact(kSignature, 8);

    std::uint8_t ihdr[13] = {};
    PutBe32(ihdr, static_cast<std::uint32_t>(width));
    PutBe32(ihdr + 4, static_cast<std::uint32_t>(height));
    ihdr[8] = static_cast<std::uint8_t>(bits == 24 ? 8 : bits);
    ihdr[9] = bits == 24 ? 2 : 3;
    WriteChunk(stream, "IHDR", ihdr, 13);

    if (bits <= 8) {
        // The colour table the pixels index, so that every index has an entry.
        EnsureDIB();
        std::uint8_t table[1024];
        const int n = GetDIBColorTable(Image()->DIBHandle, 0, 1 << bits, table);
        std::uint8_t plte[768];
        for (int i = 0; i < n; ++i) {
            plte[3 * i] = table[4 * i + 2];
            plte[3 * i + 1] = table[4 * i + 1];
            plte[3 * i + 2] = table[4 * i];
        }
        WriteChunk(stream, "PLTE", plte, static_cast<std::uint32_t>(3 * n));
    }

    const std::size_t bytes = static_cast<std::size_t>((static_cast<std::int64_t>(width) * bits + 7) / 8);
    const int distance = std::max(1, bits / 8);
    TMemoryStream idat;
    {
        TZCompressionStream deflater(idat);
        std::vector<std::uint8_t> raw(bytes), prior(bytes, 0), best(bytes + 1), trial(bytes);
        for (std::int32_t y = 0; y < height; ++y) {
            const std::uint8_t* line = ScanLine(y);
            if (bits == 24) {
                for (std::size_t i = 0; i < bytes; i += 3) {
                    raw[i] = line[i + 2];
                    raw[i + 1] = line[i + 1];
                    raw[i + 2] = line[i];
                }
            } else {
                std::memcpy(raw.data(), line, bytes);
            }
            std::int64_t bestScore = -1;
            for (int type : {0, 1, 3, 4}) {
                FilterRow(type, raw.data(), prior.data(), bytes, distance, trial.data());
                const std::int64_t score = FilterScore(trial.data(), bytes);
                if (score > bestScore) {
                    bestScore = score;
                    best[0] = static_cast<std::uint8_t>(type);
                    std::memcpy(best.data() + 1, trial.data(), bytes);
                }
            }
            deflater.WriteExact(best.data(), static_cast<std::int32_t>(bytes + 1));
            std::swap(raw, prior);
        }
        deflater.Finish();
    }
    WriteChunk(stream, "IDAT", idat.Memory, static_cast<std::uint32_t>(idat.MemSize));
    WriteChunk(stream, "IEND", nullptr, 0);
}
