#include "base/pictures/ColorReduction.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <typeinfo>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/core/TList.h"
#include "base/core/TMemoryStream.h"
#include "base/graphics/Graphics.h"
#include "base/graphics/TBitmap.h"
#include "base/pictures/TColorLookup.h"
#include "base/pictures/TColorQuantizer.h"
#include "base/pictures/TDitherer.h"
#include "platform/Palettes.h"

bool ReduceColorsNo4Bit = false;
std::function<void(std::int32_t)> ColorReductionProgressHook;

namespace {

void Progress(std::int32_t position) {
    if (ColorReductionProgressHook)
        ColorReductionProgressHook(position);
}

std::uint32_t PixelAt(const std::uint8_t* row, std::int32_t x) {
    return row[x * 3] | (row[x * 3 + 1] << 8) | (static_cast<std::uint32_t>(row[x * 3 + 2]) << 16);
}

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// A BMP file in memory ([MS-WMF] 2.2.2.3 BitmapInfoHeader after the file
// header): a palette bitmap of bits per pixel with the full colour table of
// 2 to the power bits entries (those beyond colors zero) and the indices,
// rows bottom-up. The bitmap reads it with its own BMP reader, or through a
// plain bitmap when it is of a derived class.
void LoadPaletteBitmap(TBitmap& bitmap,
                       std::int32_t width,
                       std::int32_t height,
                       int bits,
                       const std::vector<std::uint32_t>& colors,
                       const std::vector<std::uint8_t>& indices) {
    const std::uint32_t rowBytes = ((static_cast<std::uint32_t>(width) * bits + 7) / 8 + 3) & ~3u;
    const std::uint32_t imageSize = rowBytes * static_cast<std::uint32_t>(height);
    const std::uint32_t table = 4u << bits;
    std::vector<std::uint8_t> bmp;
    bmp.reserve(54 + table + imageSize);
    bmp.push_back('B');
    bmp.push_back('M');
    Put32(bmp, imageSize + 54 + table);
    Put32(bmp, 0);
    Put32(bmp, 54 + table);
    Put32(bmp, 40);
    Put32(bmp, static_cast<std::uint32_t>(width));
    Put32(bmp, static_cast<std::uint32_t>(height));
    Put16(bmp, 1);
    Put16(bmp, static_cast<std::uint32_t>(bits));
    Put32(bmp, 0);
    Put32(bmp, imageSize);
    Put32(bmp, 0);
    Put32(bmp, 0);
    Put32(bmp, 0);
    Put32(bmp, 0);
    for (std::uint32_t i = 0; i < (1u << bits); ++i)
        Put32(bmp, i < colors.size() ? colors[i] & 0xFFFFFF : 0);
    std::vector<std::uint8_t> row(rowBytes);
    for (std::int32_t y = height - 1; y >= 0; --y) {
        std::fill(row.begin(), row.end(), 0);
        const std::uint8_t* in = indices.data() + static_cast<std::size_t>(y) * width;
        for (std::int32_t x = 0; x < width; ++x) {
            if (bits == 8)
                row[x] = in[x];
            else if (bits == 4)
                row[x / 2] |= static_cast<std::uint8_t>(in[x] << ((x & 1) ? 0 : 4));
            else
                row[x / 8] |= static_cast<std::uint8_t>((in[x] & 1) << (7 - (x & 7)));
        }
        bmp.insert(bmp.end(), row.begin(), row.end());
    }
    TMemoryStream stream;
    stream.WriteExact(bmp.data(), static_cast<std::int32_t>(bmp.size()));
    stream.SeekTo(0);
    if (typeid(bitmap) == typeid(TBitmap)) {
        bitmap.LoadFromStream(stream);
    } else {
        TBitmap plain;
        plain.LoadFromStream(stream);
        bitmap.Assign(&plain);
    }
}

// The quicksort with the middle element as pivot that orders colours by
// count, most frequent first; equal counts end where it leaves them.
void SortByCount(std::vector<std::uint32_t>& colors,
                 std::vector<std::uint32_t>& counts,
                 std::int64_t l,
                 std::int64_t r) {
    while (l < r) {
        std::int64_t i = l, j = r;
        const std::uint32_t pivot = counts[static_cast<std::size_t>((l + r) >> 1)];
        do {
            while (counts[static_cast<std::size_t>(i)] > pivot)
                ++i;
            while (counts[static_cast<std::size_t>(j)] < pivot)
                --j;
            if (i <= j) {
                std::swap(colors[static_cast<std::size_t>(i)], colors[static_cast<std::size_t>(j)]);
                std::swap(counts[static_cast<std::size_t>(i)], counts[static_cast<std::size_t>(j)]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (l < j)
            SortByCount(colors, counts, l, j);
        l = i;
    }
}

TBitmap* NewPaletteBitmap(std::int32_t width,
                          std::int32_t height,
                          const std::vector<Platform::TPaletteEntry>& palette,
                          const std::vector<std::uint8_t>& indices) {
    std::vector<std::uint32_t> colors;
    for (const Platform::TPaletteEntry& e : palette)
        colors.push_back((static_cast<std::uint32_t>(e.Red) << 16) | (e.Green << 8) | e.Blue);
    auto* result = new TBitmap;
    try {
        LoadPaletteBitmap(*result, width, height, 8, colors, indices);
    } catch (...) {
        delete result;
        throw;
    }
    return result;
}

}  // namespace

std::uint32_t ColorToDibPixel(TColor color) {
    const auto c = static_cast<std::uint32_t>(ResolveSysColor(color));
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

std::int32_t ColorDistance(std::uint32_t a, std::uint32_t b) {
    return std::abs(static_cast<int>(a & 0xFF) - static_cast<int>(b & 0xFF)) +
           std::abs(static_cast<int>((a >> 8) & 0xFF) - static_cast<int>((b >> 8) & 0xFF)) +
           std::abs(static_cast<int>((a >> 16) & 0xFF) - static_cast<int>((b >> 16) & 0xFF));
}

void CollectBitmapColors(TBitmap& bitmap, TList& list) {
    std::unordered_set<std::uint32_t> seen;
    for (std::int32_t i = 0; i < list.Count; ++i)
        seen.insert(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(list.Item(i))));
    auto add = [&](std::uint32_t value) {
        if (seen.insert(value).second)
            list.Add(reinterpret_cast<void*>(static_cast<std::uintptr_t>(value)));
    };
    const std::int32_t width = bitmap.GetWidth();
    for (std::int32_t y = bitmap.GetHeight() - 1; y >= 0; --y) {
        const std::uint8_t* row = bitmap.ScanLine(y);
        for (std::int32_t x = width - 1; x >= 0; --x)
            add(PixelAt(row, x));
        if (list.Count > 256)
            return;
    }
    if (bitmap.IsTransparent())
        add(0xFFFFFF);
}

void ReduceBitmapColors(TBitmap& bitmap) {
    bitmap.SetPixelFormat(pf24bit);
    TList* list = TList::Acquire();
    CollectBitmapColors(bitmap, *list);
    std::vector<std::uint32_t> colors;
    for (std::int32_t i = 0; i < list->Count; ++i)
        colors.push_back(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(list->Item(i))));
    TList::Release(list);
    if (colors.size() > 256)
        return;
    if (ReduceColorsNo4Bit && colors.size() >= 3 && colors.size() <= 16) {
        // Unused near-black entries push the picture to 8 bits.
        for (std::uint32_t v = 0; colors.size() < 17; ++v)
            if (std::find(colors.begin(), colors.end(), v) == colors.end())
                colors.push_back(v);
    }
    std::sort(colors.begin(), colors.end());
    const int bits = colors.size() <= 2 ? 1 : (colors.size() <= 16 ? 4 : 8);
    const bool transparent = bitmap.IsTransparent();
    const std::uint32_t key = transparent ? ColorToDibPixel(bitmap.TransparentColorValue() & 0xFFFFFF) : 0;
    const std::int32_t width = bitmap.GetWidth(), height = bitmap.GetHeight();
    std::vector<std::uint8_t> indices(static_cast<std::size_t>(width) * height);
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* row = bitmap.ScanLine(y);
        for (std::int32_t x = 0; x < width; ++x) {
            std::uint32_t v = PixelAt(row, x);
            if (transparent && v == key)
                v = 0xFFFFFF;
            const auto it = std::lower_bound(colors.begin(), colors.end(), v);
            indices[static_cast<std::size_t>(y) * width + x] = static_cast<std::uint8_t>(it - colors.begin());
        }
    }
    LoadPaletteBitmap(bitmap, width, height, bits, colors, indices);
}

TBitmap* QuantizeBitmap(TBitmap& bitmap, int level) {
    bitmap.SetPixelFormat(pf24bit);
    level = std::clamp(level, 0, 7);
    const std::uint32_t n = 1u << (level + 1);
    std::vector<Platform::TPaletteEntry> palette;
    if (level == 0) {
        palette = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    } else {
        TColorQuantizer quantizer(n);
        quantizer.AddBitmap(bitmap);
        quantizer.GetColorTable(palette);
        if (palette.empty())
            palette.push_back({0, 0, 0, 0});
    }
    TColorLookup lookup(palette);
    const std::int32_t width = bitmap.GetWidth(), height = bitmap.GetHeight();
    TDitherer ditherer(width, level < 5, lookup);
    std::vector<std::uint8_t> indices(static_cast<std::size_t>(width) * height);
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* row = bitmap.ScanLine(y);
        std::uint8_t* out = indices.data() + static_cast<std::size_t>(y) * width;
        for (std::int32_t k = 0; k < width; ++k) {
            const std::int32_t x = ditherer.Position;
            out[x] = static_cast<std::uint8_t>(ditherer.Find(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]));
        }
        Progress(y + 1);
        ditherer.NextRow();
    }
    return NewPaletteBitmap(width, height, palette, indices);
}

TBitmap* ReduceToColors(TBitmap& bitmap, int level) {
    bitmap.SetPixelFormat(pf24bit);
    level = std::clamp(level, 0, 7);
    if (level >= 4)
        return QuantizeBitmap(bitmap, level);
    const std::uint32_t n = 1u << (level + 1);
    const std::int32_t width = bitmap.GetWidth(), height = bitmap.GetHeight();
    // Counting in 256 buckets by the blue byte, each sorted.
    std::vector<std::vector<std::uint32_t>> colors(256), counts(256);
    for (std::int32_t y = height - 1; y >= 0; --y) {
        const std::uint8_t* row = bitmap.ScanLine(y);
        for (std::int32_t x = width - 1; x >= 0; --x) {
            const std::uint32_t v = PixelAt(row, x);
            std::vector<std::uint32_t>& bucket = colors[v & 0xFF];
            const auto it = std::lower_bound(bucket.begin(), bucket.end(), v);
            const std::size_t at = static_cast<std::size_t>(it - bucket.begin());
            if (it != bucket.end() && *it == v) {
                ++counts[v & 0xFF][at];
                continue;
            }
            bucket.insert(it, v);
            counts[v & 0xFF].insert(counts[v & 0xFF].begin() + static_cast<std::ptrdiff_t>(at), 1);
            if (bucket.size() > 256)
                return QuantizeBitmap(bitmap, level);
        }
        Progress(height - y);
    }
    std::vector<std::uint32_t> all = colors[0], allCounts = counts[0];
    for (int b = 255; b >= 1; --b) {
        all.insert(all.end(), colors[b].begin(), colors[b].end());
        allCounts.insert(allCounts.end(), counts[b].begin(), counts[b].end());
    }
    if (!all.empty())
        SortByCount(all, allCounts, 0, static_cast<std::int64_t>(all.size()) - 1);
    std::vector<std::uint32_t> table(all.begin(), all.begin() + std::min<std::size_t>(n, all.size()));
    if (level == 0) {
        table.resize(2);
        table[0] = 0;
        table[1] = 0xFFFFFF;
    }
    std::vector<Platform::TPaletteEntry> palette;
    for (std::uint32_t v : table)
        palette.push_back(
            {static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v), 0});
    // Nearest entry, tried from the last: among equal distances the highest
    // index wins.
    std::unordered_map<std::uint32_t, std::uint8_t> nearest;
    std::vector<std::uint8_t> indices(static_cast<std::size_t>(width) * height);
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* row = bitmap.ScanLine(y);
        for (std::int32_t x = 0; x < width; ++x) {
            const std::uint32_t v = PixelAt(row, x);
            auto it = nearest.find(v);
            if (it == nearest.end()) {
                int best = 0x7FFFFFFF;
                std::uint8_t index = 0;
                for (std::size_t i = table.size(); i-- > 0;) {
                    const int d = ColorDistance(v, table[i]);
                    if (d < best) {
                        best = d;
                        index = static_cast<std::uint8_t>(i);
                    }
                }
                it = nearest.emplace(v, index).first;
            }
            indices[static_cast<std::size_t>(y) * width + x] = it->second;
        }
        Progress(height + y + 1);
    }
    return NewPaletteBitmap(width, height, palette, indices);
}

void RotateBitmap90(TBitmap*& bitmap) {
    if (bitmap == nullptr)
        return;
    const std::uint8_t format = bitmap->GetPixelFormat();
    if (format != pf8bit && format != pf24bit)
        return;
    const std::int32_t width = bitmap->GetWidth(), height = bitmap->GetHeight();
    const int bytes = format == pf8bit ? 1 : 3;
    auto* turned = new TBitmap;
    try {
        turned->SetPixelFormat(format);
        if (format == pf8bit)
            turned->SetPalette(DuplicatePalette(bitmap->GetPalette()));
        turned->SetSize(height, width);
        for (std::int32_t y = 0; y < height; ++y) {
            const std::uint8_t* in = bitmap->ScanLine(y);
            for (std::int32_t x = 0; x < width; ++x)
                std::memcpy(turned->ScanLine(width - 1 - x) + y * bytes, in + x * bytes,
                            static_cast<std::size_t>(bytes));
        }
    } catch (...) {
        delete turned;
        throw;
    }
    delete bitmap;
    bitmap = turned;
}
