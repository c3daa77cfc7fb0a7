#include "base/pictures/TGIFImage.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/core/Errors.h"
#include "base/core/TStream.h"
#include "base/graphics/Graphics.h"
#include "base/graphics/TBitmapImage.h"
#include "platform/Bitmaps.h"
#include "platform/DibSections.h"

using namespace Platform;

namespace {

struct TGifReader {
    const std::uint8_t* Data = nullptr;
    std::size_t Size = 0;
    std::size_t Position = 0;
};

int ReadBytes(GifFileType* gif, GifByteType* buffer, int count) {
    auto* r = static_cast<TGifReader*>(gif->UserData);
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(count), r->Size - r->Position);
    std::memcpy(buffer, r->Data + r->Position, n);
    r->Position += n;
    return static_cast<int>(n);
}

int WriteBytes(GifFileType* gif, const GifByteType* buffer, int count) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
    out->insert(out->end(), buffer, buffer + count);
    return count;
}

// The rows of an interlaced GIF in the order they are stored (GIF89a,
// appendix E: every 8th row from 0, every 8th from 4, every 4th from 2,
// every 2nd from 1).
std::vector<int> RowOrder(int height, bool interlaced) {
    std::vector<int> order;
    order.reserve(static_cast<std::size_t>(height));
    if (!interlaced) {
        for (int y = 0; y < height; ++y)
            order.push_back(y);
        return order;
    }
    static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = kStart[pass]; y < height; y += kStep[pass])
            order.push_back(y);
    return order;
}

struct TGifCloser {
    GifFileType* Gif = nullptr;
    bool Writing = false;
    ~TGifCloser() {
        if (Gif == nullptr)
            return;
        int error = 0;
        if (Writing)
            EGifCloseFile(Gif, &error);
        else
            DGifCloseFile(Gif, &error);
    }
};

}  // namespace

// GIF89a (CompuServe, 1990): the first image of the data stream, its colour
// table (local, else global) and the graphic control extension before it.
void TGIFImage::LoadFromStream(TStream& stream) {
    const std::int64_t size = stream.Size() - stream.Position();
    if (size <= 0 || size > 0x7FFFFFFF)
        Abort();
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    stream.ReadExact(bytes.data(), static_cast<std::int32_t>(size));
    TGifReader reader{bytes.data(), bytes.size(), 0};
    int error = 0;
    TGifCloser closer;
    closer.Gif = DGifOpen(&reader, ReadBytes, &error);
    GifFileType* gif = closer.Gif;
    if (gif == nullptr)
        Abort();
    int transparent = -1;
    for (;;) {
        GifRecordType record;
        if (DGifGetRecordType(gif, &record) == GIF_ERROR)
            Abort();
        if (record == TERMINATE_RECORD_TYPE)
            Abort();  // no picture at all
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
                Abort();
            if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr && block[0] >= 4)
                transparent = (block[1] & 1) ? block[4] : -1;
            while (block != nullptr)
                if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
                    Abort();
            continue;
        }
        if (record == IMAGE_DESC_RECORD_TYPE)
            break;
    }
    if (DGifGetImageDesc(gif) == GIF_ERROR)
        Abort();
    const GifImageDesc& frame = gif->Image;
    const ColorMapObject* map = frame.ColorMap != nullptr ? frame.ColorMap : gif->SColorMap;
    if (map == nullptr || map->ColorCount <= 0 || frame.Width <= 0 || frame.Height <= 0)
        Abort();
    const int width = gif->SWidth > 0 ? gif->SWidth : frame.Width;
    const int height = gif->SHeight > 0 ? gif->SHeight : frame.Height;
    // A code of at most 12 bits stands for at most 4096 pixels: a picture
    // may not claim more than its bytes could hold.
    const std::int64_t pixels = std::int64_t{width} * height + std::int64_t{frame.Width} * frame.Height;
    if (pixels > (std::int64_t{16} << 20) + size * 4096)
        Abort();

    std::uint8_t colors[1024] = {};
    const int count = std::min(map->ColorCount, 256);
    for (int i = 0; i < count; ++i) {
        const bool clear = i == transparent;
        colors[4 * i] = clear ? 255 : map->Colors[i].Blue;
        colors[4 * i + 1] = clear ? 255 : map->Colors[i].Green;
        colors[4 * i + 2] = clear ? 255 : map->Colors[i].Red;
    }
    std::vector<GifPixelType> line(static_cast<std::size_t>(frame.Width));
    TBitmapInfoHeader h;
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = -height;
    h.biPlanes = 1;
    h.biBitCount = 8;
    HBITMAP bitmap = CreateDIBSection(h, nullptr, colors, count);
    if (bitmap == nullptr)
        Abort();
    try {
        auto* bits = static_cast<std::uint8_t*>(DibBits(bitmap));
        const std::int64_t stride = ((std::int64_t{width} * 8 + 31) / 32) * 4;
        const auto background = static_cast<std::uint8_t>(gif->SBackGroundColor < count ? gif->SBackGroundColor : 0);
        for (int y = 0; y < height; ++y)
            std::memset(bits + y * stride, background, static_cast<std::size_t>(width));
        for (const int y : RowOrder(frame.Height, frame.Interlace)) {
            if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR)
                Abort();
            const int row = frame.Top + y;
            if (row < 0 || row >= height)
                continue;
            std::uint8_t* out = bits + row * stride;
            for (int x = 0; x < frame.Width; ++x) {
                const int column = frame.Left + x;
                if (column >= 0 && column < width)
                    out[column] = line[x] < count ? line[x] : background;
            }
        }
    } catch (...) {
        DeleteBitmap(bitmap);
        throw;
    }
    Interlaced = frame.Interlace;
    TDibSection d;
    GetDibSection(bitmap, d);
    ReplaceImage(bitmap, PaletteFromColorTable(colors, count), d);
    NoPalette = false;
    PaletteModified = true;
    Changed();
}

void TGIFImage::SaveToStream(TStream& stream) {
    const int width = GetWidth(), height = GetHeight();
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535)
        Abort();  // the format's sizes are 16-bit and never zero
    std::vector<GifPixelType> indices(static_cast<std::size_t>(width) * height);
    std::vector<GifColorType> palette(256);
    int count = 256;
    const std::uint8_t format = GetPixelFormat();
    if (format == pf1bit || format == pf4bit || format == pf8bit) {
        const int bits = format == pf1bit ? 1 : format == pf4bit ? 4 : 8;
        EnsureDIB();
        std::uint8_t table[1024] = {};
        GetDIBColorTable(Image()->DIBHandle, 0, 1 << bits, table);
        count = 1 << bits;
        for (int i = 0; i < count; ++i)
            palette[i] = {table[4 * i + 2], table[4 * i + 1], table[4 * i]};
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* row = ScanLine(y);
            for (int x = 0; x < width; ++x) {
                const int shift = 8 - bits * (x % (8 / bits) + 1);
                indices[static_cast<std::size_t>(y) * width + x] =
                    static_cast<GifPixelType>((row[x * bits / 8] >> shift) & ((1 << bits) - 1));
            }
        }
    } else {
        // True-colour pictures are reduced to the 256 colours a GIF can hold.
        TBitmap copy;
        copy.Assign(this);
        copy.SetPixelFormat(pf24bit);
        std::vector<GifByteType> red(indices.size()), green(indices.size()), blue(indices.size());
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* row = copy.ScanLine(y);
            for (int x = 0; x < width; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * width + x;
                blue[i] = row[3 * x];
                green[i] = row[3 * x + 1];
                red[i] = row[3 * x + 2];
            }
        }
        if (GifQuantizeBuffer(static_cast<unsigned>(width), static_cast<unsigned>(height), &count, red.data(),
                              green.data(), blue.data(), indices.data(), palette.data()) == GIF_ERROR)
            Abort();
        count = 256;  // colour maps come in powers of two; unused entries stay black
    }
    std::vector<std::uint8_t> out;
    int error = 0;
    TGifCloser closer;
    closer.Writing = true;
    closer.Gif = EGifOpen(&out, WriteBytes, &error);
    GifFileType* gif = closer.Gif;
    if (gif == nullptr)
        Abort();
    ColorMapObject* map = GifMakeMapObject(count, palette.data());
    if (map == nullptr)
        Abort();
    const bool ok = EGifPutScreenDesc(gif, width, height, 8, 0, map) != GIF_ERROR &&
                    EGifPutImageDesc(gif, 0, 0, width, height, Interlaced, nullptr) != GIF_ERROR;
    GifFreeMapObject(map);
    if (!ok)
        Abort();
    for (const int y : RowOrder(height, Interlaced))
        if (EGifPutLine(gif, indices.data() + static_cast<std::size_t>(y) * width, width) == GIF_ERROR)
            Abort();
    closer.Gif = nullptr;
    if (EGifCloseFile(gif, &error) == GIF_ERROR)
        Abort();
    stream.WriteExact(out.data(), static_cast<std::int32_t>(out.size()));
}
