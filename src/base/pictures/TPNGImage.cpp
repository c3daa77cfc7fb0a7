#include "base/pictures/TPNGImage.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "base/core/Crc32.h"
#include "base/core/Errors.h"
#include "base/core/TMemoryStream.h"
#include "base/core/TZCompressionStream.h"
#include "base/graphics/Graphics.h"
#include "base/graphics/TBitmapImage.h"
#include "platform/Bitmaps.h"
#include "platform/DibSections.h"

using namespace Platform;

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// Deflate cannot expand data by more than 1032 to 1 (a 258-byte match coded
// in two bits), so image data of n bytes holds at most 1032 n bytes of
// scanlines. A header claiming more is refused before any pixel memory is
// taken for it.
constexpr std::uint64_t kMaxInflateRatio = 1032;

// Where the picture's width is, IHDR being the first chunk: a picture too
// large for its data or for memory is refused at its size.
constexpr std::uint64_t kSizeAt = 16;

struct THeader {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::uint8_t BitDepth = 0;
    std::uint8_t ColorType = 0;
    std::uint8_t Interlace = 0;
};

// The chunks a picture needs, found in the file's bytes; nothing is copied.
struct TChunks {
    THeader Header;
    std::vector<TByteReader> Data;  // each IDAT's data, in file order
    std::uint64_t DataBytes = 0;
    std::span<const std::uint8_t> Palette;
    std::span<const std::uint8_t> Transparency;
    bool HasPalette = false;
    bool HasTransparency = false;
    std::uint32_t Gamma = 0;  // times 100000; 0 when absent or unusable
    std::size_t End = 0;      // the bytes read, up to the end of IEND
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

bool IsType(std::string_view type, const char* name) {
    return type == std::string_view(name, 4);
}

// PNG specification (W3C, second edition), 5.2 "PNG signature", 5.3 "Chunk
// layout", 11.2.2 IHDR and 11.2-11.3 on the other chunks used here.
// Ancillary chunks with a wrong CRC are dropped as the specification
// advises; critical ones stop the load. A file without IEND ends where its
// bytes end.
TReadResult ReadChunks(TByteReader& file, TChunks& c) {
    const auto signature = file.Span(8);
    if (signature.size() != 8 || std::memcmp(signature.data(), kSignature, 8) != 0)
        return file.ErrorAt("not a PNG signature", 0);
    bool first = true, ended = false;
    while (!ended && !file.AtEnd()) {
        const std::size_t at = file.Offset();
        const std::uint32_t length = file.U32BE();
        const std::string_view type = file.Chars(4);
        if (file.Failed() || length > 0x7FFFFFFFu || !file.Has(std::size_t{length} + 4))
            return file.ErrorAt("a cut PNG chunk", at);
        TByteReader data = file.Sub(length);
        const std::uint32_t stored = file.U32BE();
        const bool critical = (static_cast<std::uint8_t>(type[0]) & 0x20) == 0;
        const bool known = IsType(type, "IHDR") || IsType(type, "PLTE") || IsType(type, "IDAT") ||
                           IsType(type, "IEND") || IsType(type, "gAMA") || IsType(type, "tRNS");
        if (first && !IsType(type, "IHDR"))
            return file.ErrorAt("the first chunk is not IHDR", at);
        first = false;
        if (!known) {
            if (critical)
                return file.ErrorAt("an unknown critical chunk", at);  // it would change what the picture means
            continue;
        }
        // zlib's CRC-32 is the same sum as UpdateCrc32, in fewer cycles a
        // byte; every byte of the image data passes through it.
        uLong crc = ::crc32(0, reinterpret_cast<const Bytef*>(type.data()), 4);
        if (length > 0)  // a null buffer would restart the sum
            crc = ::crc32(crc, data.Data(), length);
        if (static_cast<std::uint32_t>(crc) != stored) {
            if (critical)
                return file.ErrorAt("a chunk whose CRC does not match", at + 8 + length);
            continue;
        }
        if (IsType(type, "IHDR")) {
            THeader& h = c.Header;
            h.Width = data.U32BE();
            h.Height = data.U32BE();
            h.BitDepth = data.U8();
            h.ColorType = data.U8();
            const std::uint8_t compression = data.U8(), filter = data.U8();
            h.Interlace = data.U8();
            if (length != 13)
                return file.ErrorAt("an IHDR chunk that is not 13 bytes", at);
            if (h.Width == 0 || h.Height == 0 || h.Width > 0x7FFFFFFF || h.Height > 0x7FFFFFFF)
                return file.ErrorAt("a picture size of 0 or over 2^31 - 1", at + 8);
            if (!DepthAllowed(h.ColorType, h.BitDepth))
                return file.ErrorAt("a colour type and bit depth that do not go together", at + 16);
            if (compression != 0 || filter != 0 || h.Interlace > 1)
                return file.ErrorAt("an unknown compression, filter or interlace method", at + 18);
        } else if (IsType(type, "IDAT")) {
            c.Data.push_back(data);
            c.DataBytes += length;
        } else if (IsType(type, "PLTE")) {
            if (length % 3 != 0 || length == 0 || length > 768)
                return file.ErrorAt("a PLTE chunk that is not 1 to 256 colours", at);
            c.Palette = data.Span(length);
            c.HasPalette = true;
        } else if (IsType(type, "tRNS")) {
            c.Transparency = data.Span(length);
            c.HasTransparency = true;
        } else if (IsType(type, "gAMA")) {
            // A gamma of 0 would divide by zero; it says nothing usable.
            c.Gamma = length == 4 ? data.U32BE() : 0;
        } else {
            ended = true;
        }
    }
    c.End = file.Offset();
    if (first)
        return file.ErrorAt("no IHDR chunk", file.Offset());
    if (c.Data.empty())
        return file.ErrorAt("no IDAT chunk", file.Offset());
    if (c.Header.ColorType == 3 && !c.HasPalette)
        return file.ErrorAt("a palette picture without PLTE", file.Offset());
    return TReadResult::Success();
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
// The distance to the corresponding byte of the pixel to the left is a
// template argument so that each loop is compiled for its pixel size; the
// first pixel of a row has no left neighbour and is done apart.
template <int D>
void UnfilterAt(std::uint8_t type, std::uint8_t* row, const std::uint8_t* prior, std::size_t bytes) {
    const std::size_t head = std::min<std::size_t>(D, bytes);
    switch (type) {
        case 1:
            for (std::size_t i = D; i < bytes; ++i)
                row[i] = static_cast<std::uint8_t>(row[i] + row[i - D]);
            return;
        case 2:
            for (std::size_t i = 0; i < bytes; ++i)
                row[i] = static_cast<std::uint8_t>(row[i] + prior[i]);
            return;
        case 3:
            for (std::size_t i = 0; i < head; ++i)
                row[i] = static_cast<std::uint8_t>(row[i] + (prior[i] >> 1));
            for (std::size_t i = D; i < bytes; ++i)
                row[i] = static_cast<std::uint8_t>(row[i] + ((row[i - D] + prior[i]) >> 1));
            return;
        case 4:
            // Without a left neighbour the Paeth predictor is the byte above.
            for (std::size_t i = 0; i < head; ++i)
                row[i] = static_cast<std::uint8_t>(row[i] + prior[i]);
            for (std::size_t i = D; i < bytes; ++i) {
                const int a = row[i - D], b = prior[i], c = prior[i - D];
                const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
                const int predictor = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
                row[i] = static_cast<std::uint8_t>(row[i] + predictor);
            }
            return;
        default:
            return;
    }
}

// False for a filter type that does not exist.
bool Unfilter(std::uint8_t type, std::uint8_t* row, const std::uint8_t* prior, std::size_t bytes, int distance) {
    if (type > 4)
        return false;
    switch (distance) {
        case 1:
            UnfilterAt<1>(type, row, prior, bytes);
            break;
        case 2:
            UnfilterAt<2>(type, row, prior, bytes);
            break;
        case 3:
            UnfilterAt<3>(type, row, prior, bytes);
            break;
        case 4:
            UnfilterAt<4>(type, row, prior, bytes);
            break;
        case 6:
            UnfilterAt<6>(type, row, prior, bytes);
            break;
        default:
            UnfilterAt<8>(type, row, prior, bytes);
            break;
    }
    return true;
}

// The image data of every IDAT chunk, inflated straight into the row
// buffer of the decoder; no joined copy of the chunks is made. A fault
// names the offset of the compressed byte being read when it showed.
class TImageData {
public:
    explicit TImageData(const TChunks& chunks) : Chunks(chunks) {}
    ~TImageData() {
        if (Started)
            inflateEnd(&Z);
    }
    TImageData(const TImageData&) = delete;
    TImageData& operator=(const TImageData&) = delete;

    TReadResult Start() {
        Z = z_stream{};
        if (inflateInit(&Z) != Z_OK)
            return Chunks.Data[0].ErrorAt("zlib could not start", 0);
        Started = true;
        // The rows end before the zlib trailer is reached, so its Adler-32
        // would never be compared; the chunk CRCs have covered every byte.
        inflateValidate(&Z, 0);
        return TReadResult::Success();
    }

    // Fills count bytes of out, or says why it could not.
    TReadResult Read(std::uint8_t* out, std::size_t count) {
        Z.next_out = out;
        Z.avail_out = static_cast<uInt>(count);
        while (Z.avail_out > 0) {
            if (Z.avail_in == 0) {
                if (Piece == Chunks.Data.size())
                    return Here("the image data ends early");
                const TByteReader& piece = Chunks.Data[Piece++];
                Z.next_in = const_cast<Bytef*>(piece.Data());
                Z.avail_in = static_cast<uInt>(piece.Size());
                continue;
            }
            const int status = inflate(&Z, Z_NO_FLUSH);
            if (status == Z_STREAM_END && Z.avail_out > 0)
                return Here("the image data ends early");
            if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR)
                return Here("damaged image data");
        }
        return TReadResult::Success();
    }

    // A bad result at the compressed byte read next.
    TReadResult Here(std::string reason) const {
        if (Piece == 0)
            return Chunks.Data[0].ErrorAt(std::move(reason), 0);
        const TByteReader& piece = Chunks.Data[Piece - 1];
        return piece.ErrorAt(std::move(reason), piece.Size() - Z.avail_in);
    }

private:
    const TChunks& Chunks;
    z_stream Z{};
    std::size_t Piece = 0;  // the next IDAT to feed in
    bool Started = false;
};

// The decoded picture: a new DIB section with its colour table, and how
// each raw row becomes bitmap pixels.
class TDecoder {
public:
    explicit TDecoder(const TChunks& chunks) : C(chunks), H(chunks.Header) {
        if (C.Gamma != 0) {
            BuildGammaTable(C.Gamma, Gamma);
        } else {
            for (int i = 0; i < 256; ++i)
                Gamma[i] = static_cast<std::uint8_t>(i);
        }
        Channels = ChannelsOf(H.ColorType);
        Distance = std::max(1, H.BitDepth * Channels / 8);
        // Colour keys of grey and RGB pictures (the tRNS chunk of those types).
        const std::span<const std::uint8_t> t = C.Transparency;
        if (C.HasTransparency && H.ColorType == 0 && t.size() >= 2) {
            HasKey = true;
            Key[0] = LoadU16BE(t.data());
        } else if (C.HasTransparency && H.ColorType == 2 && t.size() >= 6) {
            HasKey = true;
            for (int i = 0; i < 3; ++i)
                Key[i] = LoadU16BE(t.data() + 2 * i);
        }
        // A 16-bit grey key compares whole samples, which a 256-grey palette
        // cannot show; such pictures decode to 24 bits.
        Rgb = H.ColorType == 2 || H.ColorType == 6 || (H.ColorType == 0 && H.BitDepth == 16 && HasKey);
        OutBits = Rgb ? 24 : (H.BitDepth == 1 ? 1 : (H.BitDepth <= 4 ? 4 : 8));
    }

    TReadResult Decode(HBITMAP& bitmap, HPALETTE& palette) {
        const std::int64_t width = H.Width, height = H.Height;
        if (ScanlineBytesNeeded() > C.DataBytes * kMaxInflateRatio)
            return TReadResult::Failure("a picture larger than its image data can hold", kSizeAt);
        std::uint8_t colors[1024] = {};
        const std::int32_t count = BuildColorTable(colors);
        TBitmapInfoHeader h;
        h.biSize = 40;
        h.biWidth = static_cast<std::int32_t>(width);
        h.biHeight = static_cast<std::int32_t>(height);
        h.biPlanes = 1;
        h.biBitCount = static_cast<std::uint16_t>(OutBits);
        bitmap = CreateDIBSection(h, nullptr, colors, count);
        if (bitmap == nullptr)
            return TReadResult::Failure("a picture too large for memory", kSizeAt);
        Bits = static_cast<std::uint8_t*>(DibBits(bitmap));
        Stride = ((width * OutBits + 31) / 32) * 4;
        TReadResult result = ReadImage();
        if (!result) {
            DeleteBitmap(bitmap);
            bitmap = nullptr;
            return result;
        }
        palette = count > 0 ? PaletteFromColorTable(colors, count) : nullptr;
        return result;
    }

private:
    int BitsPerPixel() const { return H.BitDepth * Channels; }
    std::size_t RowBytes(std::int64_t width) const {
        return static_cast<std::size_t>((width * BitsPerPixel() + 7) / 8);
    }

    // PNG specification, 8.2 "Interlace methods": the passes of Adam7 as
    // first row, first column, row step and column step.
    static constexpr int kPasses[7][4] = {{0, 0, 8, 8}, {0, 4, 8, 8}, {4, 0, 8, 4}, {0, 2, 4, 4},
                                          {2, 0, 4, 2}, {0, 1, 2, 2}, {1, 0, 2, 1}};

    // The inflated size of the whole image: each pass's rows with their
    // filter bytes.
    std::uint64_t ScanlineBytesNeeded() const {
        if (H.Interlace == 0)
            return std::uint64_t{H.Height} * (RowBytes(H.Width) + 1);
        std::uint64_t total = 0;
        for (const auto& p : kPasses) {
            const std::int64_t w = (std::int64_t{H.Width} - p[1] + p[3] - 1) / p[3];
            const std::int64_t rows = (std::int64_t{H.Height} - p[0] + p[2] - 1) / p[2];
            if (w > 0 && rows > 0)
                total += static_cast<std::uint64_t>(rows) * (RowBytes(w) + 1);
        }
        return total;
    }

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
                return LoadU16BE(raw + 2 * i);
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
    // (Adam7). Rows are inflated one at a time into a buffer of two rows,
    // unfiltered there against the row before and converted straight into
    // the bitmap. Data that is damaged or ends early stops the load: rows
    // after the damage would otherwise be unfiltered from stale bytes.
    TReadResult ReadImage() {
        TImageData data(C);
        TReadResult result = data.Start();
        if (!result)
            return result;
        const std::size_t full = RowBytes(H.Width) + 1;
        std::vector<std::uint8_t> rows(2 * full);
        std::uint8_t* current = rows.data();
        std::uint8_t* prior = rows.data() + full;
        auto pass = [&](std::int64_t y0, std::int64_t x0, std::int64_t dy, std::int64_t dx) -> TReadResult {
            const std::int64_t w = (static_cast<std::int64_t>(H.Width) - x0 + dx - 1) / dx;
            if (w <= 0 || y0 >= H.Height)
                return TReadResult::Success();
            const std::size_t bytes = RowBytes(w);
            std::fill(prior, prior + bytes + 1, 0);
            for (std::int64_t y = y0; y < H.Height; y += dy) {
                TReadResult read = data.Read(current, bytes + 1);
                if (!read)
                    return read;
                if (!Unfilter(current[0], current + 1, prior + 1, bytes, Distance))
                    return data.Here("an unknown filter type");
                StoreRow(current + 1, y, x0, dx, w);
                std::swap(current, prior);
            }
            return TReadResult::Success();
        };
        if (H.Interlace == 0)
            return pass(0, 0, 1, 1);
        for (const auto& p : kPasses) {
            result = pass(p[0], p[1], p[2], p[3]);
            if (!result)
                return result;
        }
        return result;
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

// The bytes of a PNG file read from a stream that is not in memory: the
// signature and each chunk up to IEND or the stream's end, so that the
// parse sees the same bytes it would see in place.
std::vector<std::uint8_t> GatherFile(TStream& stream) {
    std::vector<std::uint8_t> bytes;
    const std::int64_t size = stream.Size();
    auto take = [&](std::int64_t count) {
        const std::int64_t n = std::min(count, size - stream.Position());
        if (n <= 0)
            return false;
        const std::size_t at = bytes.size();
        bytes.resize(at + static_cast<std::size_t>(n));
        stream.ReadExact(bytes.data() + at, static_cast<std::int32_t>(n));
        return n == count;
    };
    if (!take(8))
        return bytes;
    while (true) {
        const std::size_t at = bytes.size();
        if (!take(8))
            return bytes;
        const std::uint32_t length = LoadU32BE(bytes.data() + at);
        if (length > 0x7FFFFFFFu || !take(std::int64_t{length} + 4) ||
            std::memcmp(bytes.data() + at + 4, "IEND", 4) == 0)
            return bytes;
    }
}

void WriteChunk(TStream& stream, const char* type, const std::uint8_t* data, std::uint32_t length) {
    std::uint8_t head[8];
    StoreU32BE(head, length);
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
    StoreU32BE(crc, UpdateCrc32(UpdateCrc32(0, head + 4, 4), data, length));
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

TReadResult TPNGImage::ReadFromBytes(std::span<const std::uint8_t> bytes, std::size_t* used) {
    TByteReader file(bytes);
    TChunks chunks;
    TReadResult result = ReadChunks(file, chunks);
    if (!result)
        return result;
    TDecoder decoder(chunks);
    HBITMAP bitmap = nullptr;
    HPALETTE palette = nullptr;
    result = decoder.Decode(bitmap, palette);
    if (!result)
        return result;
    TDibSection d;
    GetDibSection(bitmap, d);
    ReplaceImage(bitmap, palette, d);
    NoPalette = false;
    PaletteModified = palette != nullptr;
    Changed();
    if (used != nullptr)
        *used = chunks.End;
    return result;
}

// A stream in memory is read in place; any other is gathered chunk by chunk
// first. Either way the stream is left after IEND.
void TPNGImage::LoadFromStream(TStream& stream) {
    const std::int64_t start = stream.Position();
    std::vector<std::uint8_t> gathered;
    std::span<const std::uint8_t> bytes;
    if (auto* memory = dynamic_cast<TCustomMemoryStream*>(&stream)) {
        const std::int64_t at = std::clamp<std::int64_t>(memory->MemPosition, 0, memory->MemSize);
        bytes = {memory->Memory + at, static_cast<std::size_t>(memory->MemSize - at)};
    } else {
        gathered = GatherFile(stream);
        bytes = gathered;
    }
    std::size_t used = 0;
    if (!ReadFromBytes(bytes, &used))
        Abort();
    stream.SeekTo(start + static_cast<std::int64_t>(used));
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
    StoreU32BE(ihdr, static_cast<std::uint32_t>(width));
    StoreU32BE(ihdr + 4, static_cast<std::uint32_t>(height));
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
