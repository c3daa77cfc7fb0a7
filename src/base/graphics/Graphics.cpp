#include "base/graphics/Graphics.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/core/TList.h"
#include "base/graphics/TBrush.h"
#include "base/graphics/TCanvas.h"
#include "base/graphics/TFont.h"
#include "base/graphics/TPen.h"
#include "base/graphics/TResourceMan.h"
#include "platform/Bitmaps.h"
#include "platform/ByteReader.h"
#include "platform/DeviceContexts.h"
#include "platform/Fonts.h"
#include "platform/Palettes.h"
#include "platform/Screen.h"

Platform::HDC ScreenDC() {
    return Platform::ScreenDC();
}

std::int32_t ScreenPixelsPerInch() {
    return Platform::ScreenPixelsPerInch();
}

// The caches are never destroyed: fonts and canvases of other static
// objects may still release their records while the program ends.
TResourceMan& FontResources() {
    static auto* man =
        new TResourceMan(sizeof(TFontData), [](void* h) { Platform::DeleteFont(static_cast<Platform::HFONT>(h)); });
    return *man;
}

TResourceMan& PenResources() {
    static auto* man =
        new TResourceMan(sizeof(TPenData), [](void* h) { Platform::DeletePen(static_cast<Platform::HPEN>(h)); });
    return *man;
}

TResourceMan& BrushResources() {
    static auto* man =
        new TResourceMan(sizeof(TBrushData), [](void* h) { Platform::DeleteBrush(static_cast<Platform::HBRUSH>(h)); });
    return *man;
}

TList& CanvasList() {
    static auto* list = new TList;
    return *list;
}

void SystemColorsChanged() {
    TList& canvases = CanvasList();
    for (std::int32_t i = 0; i < canvases.Count; ++i)
        canvases.At<TCanvas>(i)->SelectStockObjects();
    PenResources().DropSysColorHandles();
    BrushResources().DropSysColorHandles();
}

std::int32_t ColorCountOfBits(std::int32_t bits) {
    switch (bits) {
        case 1:
            return 2;
        case 4:
            return 16;
        case 8:
            return 256;
        default:
            return 0;
    }
}

std::int32_t ScanlineBytes(std::int32_t width, std::int32_t bits, std::int32_t alignment) {
    const std::int64_t total = static_cast<std::int64_t>(width) * bits + alignment - 1;
    return static_cast<std::int32_t>((total - total % alignment) / 8);
}

void SwapPaletteColors(void* entries, std::int32_t count) {
    auto* p = static_cast<std::uint8_t*>(entries);
    for (std::int32_t i = 0; i < count; ++i, p += 4)
        std::swap(p[0], p[2]);
}

std::uint16_t PlaceableHeaderChecksum(const void* header) {
    const auto* p = static_cast<const std::uint8_t*>(header);
    std::uint16_t sum = 0;
    for (int i = 0; i < 10; ++i)
        sum ^= LoadU16LE(p + 2 * i);
    return sum;
}

void TransparentStretchBlt(Platform::HDC dest,
                           const TRect& destRect,
                           Platform::HDC source,
                           const TRect& sourceRect,
                           Platform::HDC mask) {
    using namespace Platform;
    const std::int32_t dw = destRect.Width(), dh = destRect.Height();
    const std::int32_t sw = sourceRect.Width(), sh = sourceRect.Height();
    if (dw == sw && dh == sh) {
        // One mask blit: keep the destination where the mask is 1, copy the
        // source where it is 0. The mask bitmap is taken out of its context
        // while the blit uses it.
        HBITMAP placeholder = CreateCompatibleBitmap(mask, 1, 1);
        HBITMAP maskBitmap = SelectBitmap(mask, placeholder);
        MaskBlt(dest, destRect.Left, destRect.Top, dw, dh, source, sourceRect.Left, sourceRect.Top, maskBitmap,
                sourceRect.Left, sourceRect.Top, 0xCCAA0029);
        SelectBitmap(mask, maskBitmap);
        DeleteBitmap(placeholder);
        return;
    }
    HDC work = CreateCompatibleDC(dest);
    HBITMAP workBitmap = CreateCompatibleBitmap(dest, sw, sh);
    HBITMAP oldBitmap = SelectBitmap(work, workBitmap);
    BitBlt(work, 0, 0, sw, sh, mask, sourceRect.Left, sourceRect.Top, SRCCOPY);
    BitBlt(work, 0, 0, sw, sh, source, sourceRect.Left, sourceRect.Top, SRCERASE);
    const TColorRef oldText = SetTextColor(dest, 0);
    const TColorRef oldBack = SetBkColor(dest, 0xFFFFFF);
    StretchBlt(dest, destRect.Left, destRect.Top, dw, dh, mask, sourceRect.Left, sourceRect.Top, sw, sh, SRCAND);
    StretchBlt(dest, destRect.Left, destRect.Top, dw, dh, work, 0, 0, sw, sh, SRCINVERT);
    SetTextColor(dest, oldText);
    SetBkColor(dest, oldBack);
    SelectBitmap(work, oldBitmap);
    DeleteBitmap(workBitmap);
    DeleteDC(work);
}

namespace {

// The VGA colours in palette order (red, green, blue).
constexpr std::uint8_t kVgaColors[16][3] = {
    {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128}, {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0}, {255, 255, 0},
    {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255},
};

}  // namespace

Platform::HPALETTE DefaultPalette16() {
    static Platform::HPALETTE palette = [] {
        Platform::TPaletteEntry entries[16];
        for (int i = 0; i < 16; ++i)
            entries[i] = {kVgaColors[i][0], kVgaColors[i][1], kVgaColors[i][2], 0};
        return Platform::CreatePalette(entries, 16);
    }();
    return palette;
}

void DeletePalette(Platform::HPALETTE palette) {
    if (palette != nullptr && palette != DefaultPalette16())
        Platform::DeletePaletteObject(palette);
}

Platform::HPALETTE CreatePalette16(const std::int32_t* colors) {
    Platform::TPaletteEntry entries[16];
    for (int i = 0; i < 16; ++i) {
        const auto c = static_cast<std::uint32_t>(colors[i]);
        entries[i] = {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8),
                      static_cast<std::uint8_t>(c >> 16), 0};
    }
    return Platform::CreatePalette(entries, 16);
}

Platform::HPALETTE PaletteFromColorTable(const std::uint8_t* colors, std::int32_t count) {
    if (colors == nullptr || count <= 0)
        return nullptr;
    count = std::min<std::int32_t>(count, 256);
    if (count == 16) {
        bool vga = true;
        for (int i = 0; i < 16 && vga; ++i)
            vga = colors[i * 4 + 2] == kVgaColors[i][0] && colors[i * 4 + 1] == kVgaColors[i][1] &&
                  colors[i * 4] == kVgaColors[i][2];
        if (vga)
            return DefaultPalette16();
    }
    std::vector<Platform::TPaletteEntry> entries(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i)
        entries[i] = {colors[i * 4 + 2], colors[i * 4 + 1], colors[i * 4], 0};
    return Platform::CreatePalette(entries.data(), count);
}

std::int32_t PaletteToColorTable(Platform::HPALETTE palette, std::uint8_t* entries, std::int32_t maxIndex) {
    if (palette == nullptr || entries == nullptr || maxIndex < 0)
        return 0;
    Platform::TPaletteEntry read[256];
    const int n = Platform::GetPaletteEntries(palette, 0, std::min(maxIndex + 1, 256), read);
    for (int i = 0; i < n; ++i) {
        entries[i * 4] = read[i].Blue;
        entries[i * 4 + 1] = read[i].Green;
        entries[i * 4 + 2] = read[i].Red;
        entries[i * 4 + 3] = 0;
    }
    return n;
}

Platform::HPALETTE DuplicatePalette(Platform::HPALETTE palette) {
    if (palette == nullptr)
        return nullptr;
    Platform::TPaletteEntry entries[256];
    const int n = Platform::GetPaletteEntries(palette, 0, 256, entries);
    return Platform::CreatePalette(entries, n);
}

Platform::HPALETTE CreateHalftonePalette() {
    Platform::TPaletteEntry entries[256];
    int n = 0;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                entries[n++] = {static_cast<std::uint8_t>(r * 51), static_cast<std::uint8_t>(g * 51),
                                static_cast<std::uint8_t>(b * 51), 0};
    // Greys between the cube's own six, so that grey pictures keep their shades.
    for (int level = 1; n < 256; ++level) {
        const auto v = static_cast<std::uint8_t>(level * 255 / 41);
        if (v % 51 != 0)
            entries[n++] = {v, v, v, 0};
    }
    return Platform::CreatePalette(entries, n);
}

Platform::HPALETTE PaletteFromColorTable(Platform::HBITMAP bitmap, const std::uint8_t* colors, std::int32_t count) {
    if (bitmap == nullptr)
        return PaletteFromColorTable(colors, count);
    std::uint8_t table[1024];
    const int n = Platform::GetDIBColorTable(bitmap, 0, std::clamp(count, 0, 256), table);
    return PaletteFromColorTable(table, n);
}

void SetDIBColorsFromPalette(Platform::HBITMAP section, Platform::HPALETTE palette) {
    Platform::TDibSection d;
    if (palette == nullptr || Platform::GetDibSection(section, d) < static_cast<int>(sizeof d) ||
        d.dsBm.bmBitsPixel > 8)
        return;
    std::uint8_t table[1024];
    const std::int32_t n = PaletteToColorTable(palette, table, 255);
    Platform::SetDIBColorTable(section, 0, n, table);
}

bool FillBitmapInfoHeader(Platform::HBITMAP bitmap, Platform::TBitmapInfoHeader& header, std::int32_t colors) {
    Platform::TDibSection d;
    const int read = Platform::GetDibSection(bitmap, d);
    if (read < 24)
        return false;
    if (read >= static_cast<int>(sizeof d) && d.dsBmih.biSize >= 40) {
        header = d.dsBmih;
    } else {
        header = {};
        header.biSize = 40;
        header.biWidth = d.dsBm.bmWidth;
        header.biHeight = d.dsBm.bmHeight;
    }
    switch (colors) {
        case 2:
            header.biBitCount = 1;
            break;
        case 16:
            header.biBitCount = 4;
            break;
        case 256:
            header.biBitCount = 8;
            break;
        default:
            header.biBitCount = static_cast<std::uint16_t>(d.dsBm.bmPlanes * d.dsBm.bmBitsPixel);
    }
    header.biPlanes = 1;
    if (header.biSizeImage == 0)
        header.biSizeImage = static_cast<std::uint32_t>(ScanlineBytes(header.biWidth, header.biBitCount, 32) *
                                                        std::abs(static_cast<std::int64_t>(header.biHeight)));
    return true;
}

void DibSizesOf(Platform::HBITMAP bitmap, std::int32_t colors, std::int32_t& headerSize, std::int32_t& imageSize) {
    Platform::TBitmapInfoHeader header;
    headerSize = 0;
    imageSize = 0;
    if (!FillBitmapInfoHeader(bitmap, header, colors))
        return;
    if (header.biBitCount <= 8)
        headerSize = 40 + 4 * (1 << header.biBitCount);
    else
        headerSize = header.biCompression != 0 ? 52 : 40;
    imageSize = static_cast<std::int32_t>(header.biSizeImage);
}

bool ReadBitmapBits(Platform::HBITMAP bitmap,
                    Platform::HPALETTE palette,
                    const Platform::TBitmapInfoHeader& header,
                    std::uint8_t* colors,
                    void* bits) {
    std::int32_t count = 0;
    if (header.biBitCount <= 8 && colors != nullptr) {
        const std::int32_t max = 1 << header.biBitCount;
        if (palette != nullptr)
            count = PaletteToColorTable(palette, colors, max - 1);
        if (count == 0)
            count = Platform::GetDIBColorTable(bitmap, 0, max, colors);
        if (count == 0) {
            Platform::HPALETTE fallback = header.biBitCount == 1   ? nullptr
                                          : header.biBitCount == 4 ? DefaultPalette16()
                                                                   : CreateHalftonePalette();
            if (fallback == nullptr) {
                const std::uint8_t bw[8] = {0, 0, 0, 0, 255, 255, 255, 0};
                std::memcpy(colors, bw, 8);
                count = 2;
            } else {
                count = PaletteToColorTable(fallback, colors, max - 1);
                DeletePalette(fallback);
            }
        }
    }
    Platform::TDibSection d;
    Platform::GetDibSection(bitmap, d);
    const std::uint32_t* masks =
        header.biCompression == Platform::BI_BITFIELDS ? (d.dsBitfields[0] != 0 ? d.dsBitfields : nullptr) : nullptr;
    static const std::uint32_t k565[3] = {0xF800, 0x07E0, 0x001F};
    static const std::uint32_t k888[3] = {0xFF0000, 0xFF00, 0xFF};
    if (header.biCompression == Platform::BI_BITFIELDS && masks == nullptr)
        masks = header.biBitCount == 16 ? k565 : k888;
    return Platform::GetDIBits(bitmap, header, masks, colors, count, bits);
}
