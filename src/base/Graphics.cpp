#include "base/Graphics.h"

#include <cstring>

#include "base/TBrush.h"
#include "base/TCanvas.h"
#include "base/TFont.h"
#include "base/TPen.h"
#include "base/TList.h"
#include "base/TResourceMan.h"
#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"
#include "platform/Fonts.h"
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
    static auto* man = new TResourceMan(sizeof(TFontData),
                                        [](void* h) { Platform::DeleteFont(static_cast<Platform::HFONT>(h)); });
    return *man;
}

TResourceMan& PenResources() {
    static auto* man =
        new TResourceMan(sizeof(TPenData), [](void* h) { Platform::DeletePen(static_cast<Platform::HPEN>(h)); });
    return *man;
}

TResourceMan& BrushResources() {
    static auto* man = new TResourceMan(sizeof(TBrushData),
                                        [](void* h) { Platform::DeleteBrush(static_cast<Platform::HBRUSH>(h)); });
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
        case 1: return 2;
        case 4: return 16;
        case 8: return 256;
        default: return 0;
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
        sum ^= static_cast<std::uint16_t>(p[2 * i] | (p[2 * i + 1] << 8));
    return sum;
}

void TransparentStretchBlt(Platform::HDC dest, const TRect& destRect, Platform::HDC source, const TRect& sourceRect,
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
