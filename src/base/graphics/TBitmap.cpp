#include "base/graphics/TBitmap.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "base/core/Errors.h"
#include "base/core/TList.h"
#include "base/core/TResourceStream.h"
#include "base/graphics/Graphics.h"
#include "base/graphics/TBitmapCanvas.h"
#include "base/graphics/TBitmapImage.h"
#include "base/graphics/TBrush.h"
#include "base/graphics/TFont.h"
#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"
#include "platform/Palettes.h"

using Platform::TDibSection;

namespace {

// Brushes ask bitmaps for their pattern's drawing handle; the bitmap
// classes answer as soon as the first bitmap exists.
void InstallPatternProvider() {
    static const bool installed = [] {
        SetBrushPatternHandleProvider([](TBitmap* bitmap) { return bitmap->GetHandle(); });
        return true;
    }();
    (void)installed;
}

std::int32_t AbsHeight(std::int32_t h) {
    return h < 0 ? -h : h;
}

void DescriptionSize(const TDibSection& d, std::int32_t& width, std::int32_t& height) {
    if (d.dsBmih.biSize != 0) {
        width = d.dsBmih.biWidth;
        height = AbsHeight(d.dsBmih.biHeight);
    } else {
        width = d.dsBm.bmWidth;
        height = d.dsBm.bmHeight;
    }
}

// The colour table a new DIB of bits gets when nothing else gives one.
std::int32_t DefaultColors(std::int32_t bits, std::uint8_t* colors) {
    Platform::HPALETTE palette = nullptr;
    if (bits == 1) {
        const std::uint8_t bw[8] = {0, 0, 0, 0, 255, 255, 255, 0};
        std::memcpy(colors, bw, 8);
        return 2;
    }
    palette = bits == 4 ? DefaultPalette16() : CreateHalftonePalette();
    const std::int32_t n = PaletteToColorTable(palette, colors, (1 << bits) - 1);
    DeletePalette(palette);
    return n;
}

}  // namespace

// ---------------------------------------------------------------------------
// Free functions

void CompleteBitFieldMasks(TDibSection& d) {
    if (d.dsBitfields[0] != 0)
        return;
    if (d.dsBmih.biBitCount == 16) {
        d.dsBitfields[0] = 0xF800;
        d.dsBitfields[1] = 0x07E0;
        d.dsBitfields[2] = 0x001F;
    } else if (d.dsBmih.biBitCount == 32) {
        d.dsBitfields[0] = 0xFF0000;
        d.dsBitfields[1] = 0x00FF00;
        d.dsBitfields[2] = 0x0000FF;
    }
}

Platform::HBITMAP CopyBitmapHandle(Platform::HBITMAP handle,
                                   Platform::HPALETTE oldPalette,
                                   Platform::HPALETTE newPalette,
                                   TCanvas* canvas,
                                   TDibSection& description) {
    using namespace Platform;
    std::int32_t width = 0, height = 0;
    DescriptionSize(description, width, height);
    if (handle == nullptr && (width == 0 || height == 0))
        return nullptr;
    TDibSection source;
    bool sourceIsDib = false;
    if (handle != nullptr) {
        FreeDCsHoldingBitmap(handle);
        if (GetDibSection(handle, source) < 24)
            Abort();
        sourceIsDib = source.dsBm.bmBits != nullptr;
    }
    if (width <= 0 || height <= 0)
        return nullptr;

    HBITMAP result = nullptr;
    if (description.dsBmih.biSize >= 40) {
        TBitmapInfoHeader& h = description.dsBmih;
        h.biSize = 40;
        h.biPlanes = 1;
        h.biSizeImage = 0;
        description.dsBm.bmWidth = h.biWidth;
        description.dsBm.bmHeight = AbsHeight(h.biHeight);
        std::uint8_t colors[1024];
        std::int32_t count = 0;
        if (h.biBitCount <= 8) {
            const std::int32_t max = 1 << h.biBitCount;
            if (h.biBitCount == 1 && handle != nullptr && !sourceIsDib) {
                count = DefaultColors(1, colors);
            } else if (newPalette != nullptr) {
                count = PaletteToColorTable(newPalette, colors, max - 1);
            } else if (sourceIsDib) {
                count = GetDIBColorTable(handle, 0, max, colors);
                h.biClrUsed = static_cast<std::uint32_t>(count);
            }
            if (count == 0)
                count = DefaultColors(h.biBitCount, colors);
        }
        if ((h.biBitCount == 16 || h.biBitCount == 32) && h.biCompression == BI_BITFIELDS)
            CompleteBitFieldMasks(description);
        result = CreateDIBSection(h, description.dsBitfields, colors, count);
        if (result == nullptr)
            Abort();
        if (handle != nullptr && source.dsBm.bmWidth == width && AbsHeight(source.dsBm.bmHeight) == height &&
            h.biBitCount > 8) {
            GetDIBits(handle, h, description.dsBitfields, nullptr, 0, DibBits(result));
            GetDibSection(result, description);
            return result;
        }
    } else if (description.dsBm.bmPlanes == 1 && description.dsBm.bmBitsPixel == 1) {
        result = CreateMonoBitmap(width, height);
    } else {
        result = CreateCompatibleBitmap(::ScreenDC(), width, height);
    }

    HDC dc = CreateCompatibleDC(::ScreenDC());
    HBITMAP old = SelectBitmap(dc, result);
    TColorRef text = 0, back = 0xFFFFFF;
    if (canvas != nullptr) {
        text = static_cast<TColorRef>(ResolveSysColor(canvas->Font->Color)) & 0xFFFFFF;
        back = static_cast<TColorRef>(ResolveSysColor(canvas->Brush->GetColor())) & 0xFFFFFF;
        FillRect(dc, {0, 0, width, height}, canvas->Brush->Handle());
        SetTextColor(dc, text);
        SetBkColor(dc, back);
        if (description.dsBmih.biSize >= 40 && description.dsBmih.biBitCount == 1) {
            const std::uint8_t table[8] = {static_cast<std::uint8_t>(text >> 16), static_cast<std::uint8_t>(text >> 8),
                                           static_cast<std::uint8_t>(text),       0,
                                           static_cast<std::uint8_t>(back >> 16), static_cast<std::uint8_t>(back >> 8),
                                           static_cast<std::uint8_t>(back),       0};
            SetDIBColorTable(result, 0, 2, table);
        }
    } else {
        PatBlt(dc, 0, 0, width, height, WHITENESS);
    }
    if (handle != nullptr) {
        HDC sourceDC = CreateCompatibleDC(::ScreenDC());
        HBITMAP oldSource = SelectBitmap(sourceDC, handle);
        if (canvas != nullptr) {
            SetTextColor(sourceDC, text);
            SetBkColor(sourceDC, back);
        }
        BitBlt(dc, 0, 0, width, height, sourceDC, 0, 0, SRCCOPY);
        SelectBitmap(sourceDC, oldSource);
        DeleteDC(sourceDC);
    }
    (void)oldPalette;  // palettes are not realised on our true-colour screen
    SelectBitmap(dc, old);
    DeleteDC(dc);
    GetDibSection(result, description);
    return result;
}

Platform::HBITMAP CreateMaskBitmap(Platform::HBITMAP handle, Platform::HPALETTE palette, TColor color) {
    using namespace Platform;
    TDibSection d;
    if (GetDibSection(handle, d) < 24)
        return nullptr;
    HBITMAP mask = CreateMonoBitmap(d.dsBm.bmWidth, d.dsBm.bmHeight);
    if (color == clNoColor)
        return mask;
    // The palette-relative flag means nothing on a true-colour screen.
    const TColor resolved = color < 0 ? ResolveSysColor(color) : (color & 0xFFFFFF);
    HDC maskDC = CreateCompatibleDC(::ScreenDC());
    HBITMAP oldMask = SelectBitmap(maskDC, mask);
    HDC sourceDC = CreateCompatibleDC(::ScreenDC());
    HBITMAP oldSource = SelectBitmap(sourceDC, handle);
    SetBkColor(sourceDC, static_cast<TColorRef>(resolved) & 0xFFFFFF);
    BitBlt(maskDC, 0, 0, d.dsBm.bmWidth, d.dsBm.bmHeight, sourceDC, 0, 0, SRCCOPY);
    SelectBitmap(sourceDC, oldSource);
    DeleteDC(sourceDC);
    SelectBitmap(maskDC, oldMask);
    DeleteDC(maskDC);
    (void)palette;
    return mask;
}

std::int32_t ScaleByScreenDpi(std::int32_t value) {
    return static_cast<std::int32_t>(static_cast<std::int64_t>(value) * ScreenPixelsPerInch() / 96);
}

void SetHalftoneStretchMode(Platform::HDC dc) {
    Platform::SetStretchBltMode(dc, Platform::HALFTONE);
}

// ---------------------------------------------------------------------------
// TBitmap

TBitmap::TBitmap() {
    InstallPatternProvider();
    ImageData = new TBitmapImage;
    ImageData->Reference();
}

TBitmap::~TBitmap() {
    FreeCanvasDC();
    ImageData->Release();
    delete CanvasObject;
}

void TBitmap::Assign(const TPersistent* source) {
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
        if (bitmap != this) {
            FreeCanvasDC();
            bitmap->ImageData->Reference();
            ImageData->Release();
            ImageData = bitmap->ImageData;
            MaskValid = false;
        }
    } else if (source == nullptr) {
        ReplaceImage(nullptr, nullptr, TDibSection{});
    } else {
        TGraphic::Assign(source);
        return;
    }
    PaletteModified = ImageData->Palette != nullptr;
    Changed();
}

void TBitmap::Changed() {
    MaskBitsValid = false;
    TGraphic::Changed();
}

bool TBitmap::IsEmpty() const {
    return ImageData->Handle == nullptr && ImageData->DIBHandle == nullptr;
}

std::int32_t TBitmap::GetHeight() const {
    return AbsHeight(ImageData->Description.dsBm.bmHeight);
}

std::int32_t TBitmap::GetWidth() const {
    return ImageData->Description.dsBm.bmWidth;
}

Platform::HPALETTE TBitmap::GetPalette() {
    EnsurePalette();
    return ImageData->Palette;
}

void TBitmap::Draw(TCanvas& canvas, const TRect& rect) {
    using namespace Platform;
    if (IsEmpty())
        return;
    canvas.RequireState(csAllValid);
    HDC dest = canvas.DCHandle;
    if (dest == nullptr)
        return;
    EnsurePalette();
    if (!IsMonochrome())
        SetStretchBltMode(dest, COLORONCOLOR);
    TCanvas* own = Canvas();
    own->RequireState(csHandleValid);
    HDC source = own->DCHandle;
    if (source == nullptr)
        return;
    const TRect whole{0, 0, GetWidth(), GetHeight()};
    if (IsTransparent()) {
        EnsureMask();
        // The mask lookup above may have released the canvas's context.
        own->RequireState(csHandleValid);
        source = own->DCHandle;
        HDC maskDC = CreateCompatibleDC(::ScreenDC());
        HBITMAP oldMask = SelectBitmap(maskDC, ImageData->MaskHandle);
        TransparentStretchBlt(dest, rect, source, whole, maskDC);
        SelectBitmap(maskDC, oldMask);
        DeleteDC(maskDC);
    } else {
        StretchBlt(dest, rect.Left, rect.Top, rect.Width(), rect.Height(), source, 0, 0, whole.Right, whole.Bottom,
                   SRCCOPY);
    }
}

void TBitmap::SetPalette(Platform::HPALETTE palette) {
    if (palette == ImageData->Palette)
        return;
    if (palette != nullptr || ImageData->RefCount > 1) {
        FreeCanvasDC();
        EnsureHandle();
        TDibSection d = ImageData->Description;
        Platform::HBITMAP handle = CopyBitmapHandle(ImageData->Handle, ImageData->Palette, palette, nullptr, d);
        ReplaceImage(handle, palette, d);
    } else {
        DeletePalette(ImageData->Palette);
        ImageData->Palette = nullptr;
    }
    if (ImageData->DIBHandle != nullptr && ImageData->Description.dsBm.bmBitsPixel <= 8)
        SetDIBColorsFromPalette(ImageData->DIBHandle, ImageData->Palette);
    PaletteModified = true;
    Changed();
}

void TBitmap::LoadFromStream(TStream& stream) {
    ReadBMPStream(stream, stream.Size() - stream.Position());
}

void TBitmap::SaveToStream(TStream& stream) {
    WriteBMP(stream);
}

Platform::HBITMAP TBitmap::GetHandle() {
    FreeCanvasDC();
    EnsureHandle();
    UnshareImage();
    return ImageData->Handle;
}

Platform::HBITMAP TBitmap::GetMaskHandle() {
    EnsureMask();
    return ImageData->MaskHandle;
}

void TBitmap::SetHandleType(bool deviceDependent) {
    if (deviceDependent == IsDeviceDependent())
        return;
    TBitmapImage* image = ImageData;
    if (image->Handle == nullptr && image->DIBHandle == nullptr) {
        image->Description.dsBmih.biSize = deviceDependent ? 0 : 40;
        return;
    }
    FreeCanvasDC();
    EnsurePalette();
    if (deviceDependent) {
        TDibSection d = image->Description;
        d.dsBmih.biSize = 0;
        const bool own = image->RefCount == 1;
        Platform::HPALETTE palette = own ? image->Palette : DuplicatePalette(image->Palette);
        Platform::HBITMAP handle = CopyBitmapHandle(image->DIBHandle, palette, palette, nullptr, d);
        if (own)
            image->Handle = handle;
        else
            ReplaceImage(handle, palette, d);
    } else {
        EnsureDIB();
        image = ImageData;
        if (image->RefCount == 1) {
            Platform::HBITMAP dib = image->DIBHandle;
            Platform::HPALETTE palette = image->Palette;
            const TDibSection d = image->Description;
            image->DIBHandle = nullptr;
            image->Palette = nullptr;
            ReplaceImage(dib, palette, d);
        } else {
            ConvertImage(image->DIBHandle, image->Palette, image->Description);
        }
    }
    Changed();
}

TCanvas* TBitmap::Canvas() {
    if (CanvasObject == nullptr) {
        EnsureHandle();
        CanvasObject = new TBitmapCanvas(this);
        CanvasObject->OnChange = [this](TCanvas*) { Changed(); };
        CanvasObject->OnChanging = [this](TCanvas*) { UnshareImage(); };
    }
    return CanvasObject;
}

std::uint8_t* TBitmap::ScanLine(std::int32_t row) {
    // Rows are written through this address: another bitmap sharing the
    // image must not see the writes.
    if (ImageData->RefCount > 1)
        UnshareImage();
    EnsureDIB();
    Platform::GdiFlush();
    auto* bits = static_cast<std::uint8_t*>(Platform::DibBits(ImageData->DIBHandle));
    if (bits == nullptr)
        return nullptr;
    const Platform::TBitmapInfoHeader& h = ImageData->Description.dsBmih;
    const std::int64_t stride = ScanlineBytes(h.biWidth, h.biBitCount, 32);
    const std::int64_t r = h.biHeight > 0 ? h.biHeight - 1 - row : row;
    return bits + r * stride;
}

void TBitmap::GetScanLines(TList& list) {
    const std::int32_t height = GetHeight();
    if (height == 0)
        return;
    std::uint8_t* first = ScanLine(0);
    if (first == nullptr)
        return;
    const Platform::TBitmapInfoHeader& h = ImageData->Description.dsBmih;
    const std::int64_t stride = ScanlineBytes(h.biWidth, h.biBitCount, 32);
    const std::int64_t step = h.biHeight > 0 ? -stride : stride;
    for (std::int32_t y = 0; y < height; ++y)
        list.Add(first + step * y);
}

std::uint8_t TBitmap::GetPixelFormat() const {
    if (IsDeviceDependent())
        return pfDevice;
    const TDibSection& d = ImageData->Description;
    switch (d.dsBm.bmBitsPixel) {
        case 1:
            return pf1bit;
        case 4:
            return pf4bit;
        case 8:
            return pf8bit;
        case 24:
            return pf24bit;
        case 16:
            if (d.dsBmih.biCompression == Platform::BI_RGB)
                return pf15bit;
            return d.dsBitfields[1] == 0x07E0 ? pf16bit : pf32bit;
        default:
            return pf32bit;
    }
}

void TBitmap::SetPixelFormat(std::uint8_t value) {
    if (value == GetPixelFormat())
        return;
    if (value == pfDevice) {
        SetHandleType(true);
        return;
    }
    TDibSection d = ImageData->Description;
    Platform::TBitmapInfoHeader& h = d.dsBmih;
    const std::int32_t width = GetWidth(), height = GetHeight();
    const bool topDown = h.biSize >= 40 && h.biHeight < 0;
    h = {};
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = topDown ? -height : height;
    h.biPlanes = 1;
    std::fill(std::begin(d.dsBitfields), std::end(d.dsBitfields), 0u);
    Platform::HPALETTE palette = ImageData->Palette;
    Platform::HPALETTE halftone = nullptr;
    switch (value) {
        case pf1bit:
            h.biBitCount = 1;
            break;
        case pf4bit:
            h.biBitCount = 4;
            palette = DefaultPalette16();
            break;
        case pf8bit:
            h.biBitCount = 8;
            halftone = CreateHalftonePalette();
            palette = halftone;
            break;
        case pf15bit:
            h.biBitCount = 16;
            break;
        case pf16bit:
            h.biBitCount = 16;
            h.biCompression = Platform::BI_BITFIELDS;
            d.dsBitfields[0] = 0xF800;
            d.dsBitfields[1] = 0x07E0;
            d.dsBitfields[2] = 0x001F;
            break;
        case pf24bit:
            h.biBitCount = 24;
            break;
        default:
            h.biBitCount = 32;
            break;
    }
    try {
        GetHandle();
        ConvertImage(ImageData->Handle, palette, d);
    } catch (...) {
        DeletePalette(halftone);
        throw;
    }
    DeletePalette(halftone);
    PaletteModified = ImageData->Palette != nullptr;
    Changed();
}

void TBitmap::SetSize(std::int32_t width, std::int32_t height) {
    width = std::max(0, width);
    height = std::max(0, height);
    if (width == GetWidth() && height == GetHeight())
        return;
    EnsureHandle();
    TDibSection d = ImageData->Description;
    d.dsBm.bmWidth = width;
    d.dsBm.bmHeight = height;
    d.dsBmih.biWidth = width;
    d.dsBmih.biHeight = d.dsBmih.biHeight < 0 ? -height : height;
    ConvertImage(ImageData->Handle, ImageData->Palette, d);
    Changed();
}

bool TBitmap::IsMonochrome() const {
    const TDibSection& d = ImageData->Description;
    return d.dsBm.bmPlanes == 1 && d.dsBm.bmBitsPixel == 1;
}

void TBitmap::SetMonochrome(bool value) {
    if (value == IsMonochrome())
        return;
    EnsureHandle();
    TDibSection d = ImageData->Description;
    d.dsBmih.biSize = 0;
    d.dsBm.bmPlanes = value ? 1 : 0;
    d.dsBm.bmBitsPixel = value ? 1 : 0;
    ConvertImage(ImageData->Handle, ImageData->Palette, d);
    Changed();
}

bool TBitmap::IsDeviceDependent() const {
    const TBitmapImage* image = ImageData;
    if (image->Handle != nullptr)
        return image->Handle != image->DIBHandle;
    return image->DIBHandle == nullptr && image->Description.dsBmih.biSize == 0;
}

TColor TBitmap::TransparentColorValue() {
    if (IsMonochrome() || GetWidth() == 0 || GetHeight() == 0)
        return 0xFFFFFF | 0x02000000;
    return (Canvas()->GetPixelColor(0, GetHeight() - 1) & 0xFFFFFF) | 0x02000000;
}

void TBitmap::SetHandle(Platform::HBITMAP handle) {
    if (handle != nullptr && handle == ImageData->Handle)
        return;
    FreeCanvasDC();
    TDibSection d;
    if (handle != nullptr)
        Platform::GetDibSection(handle, d);
    Platform::HPALETTE palette = nullptr;
    if (ImageData->RefCount == 1) {
        palette = ImageData->Palette;
        ImageData->Palette = nullptr;
    } else if (ImageData->Palette == DefaultPalette16()) {
        palette = DefaultPalette16();
    } else {
        palette = DuplicatePalette(ImageData->Palette);
    }
    ReplaceImage(handle, palette, d);
    Changed();
}

void TBitmap::CopyFromHandles(Platform::HBITMAP handle, Platform::HPALETTE palette) {
    TDibSection d;
    if (handle != nullptr)
        Platform::GetDibSection(handle, d);
    Platform::HPALETTE copy = palette == DefaultPalette16() ? palette : DuplicatePalette(palette);
    Platform::HBITMAP bitmap = nullptr;
    try {
        bitmap = CopyBitmapHandle(handle, palette, copy, nullptr, d);
    } catch (...) {
        DeletePalette(copy);
        throw;
    }
    ReplaceImage(bitmap, copy, d);
    PaletteModified = copy != nullptr;
    Changed();
}

void TBitmap::LoadFromBitmapResource(const char* name) {
    TResourceStream stream(name, "BITMAP");
    if (!stream.Found)
        Abort();
    ReadDIB(stream, stream.Size());
}

void TBitmap::ConvertToMask(TColor color) {
    EnsureHandle();
    Platform::HBITMAP mask = CreateMaskBitmap(ImageData->Handle, ImageData->Palette, color);
    TDibSection d;
    if (mask != nullptr)
        Platform::GetDibSection(mask, d);
    ReplaceImage(mask, nullptr, d);
    Changed();
}

void TBitmap::StretchDrawTo(TBitmap& dest) {
    if (IsEmpty() || dest.IsEmpty())
        return;
    TCanvas* target = dest.Canvas();
    Platform::HDC destDC = target->Handle();
    TCanvas* own = Canvas();
    own->RequireState(csHandleValid);
    if (destDC == nullptr || own->DCHandle == nullptr)
        return;
    SetHalftoneStretchMode(destDC);
    Platform::StretchBlt(destDC, 0, 0, dest.GetWidth(), dest.GetHeight(), own->DCHandle, 0, 0, GetWidth(), GetHeight(),
                         Platform::SRCCOPY);
    target->Changed();
}

// ---------------------------------------------------------------------------
// Internal operations

void TBitmap::FreeCanvasDC() {
    if (CanvasObject != nullptr)
        CanvasObject->FreeDC();
}

void TBitmap::ReplaceImage(Platform::HBITMAP handle,
                           Platform::HPALETTE palette,
                           const Platform::TDibSection& description) {
    FreeCanvasDC();
    auto* image = new TBitmapImage;
    image->Handle = handle;
    image->Palette = palette;
    image->Description = description;
    if (description.dsBm.bmBits != nullptr)
        image->DIBHandle = handle;
    image->Reference();
    ImageData->Release();
    ImageData = image;
    MaskValid = false;
}

void TBitmap::ConvertImage(Platform::HBITMAP handle, Platform::HPALETTE palette, Platform::TDibSection description) {
    FreeCanvasDC();
    Platform::HPALETTE copy = palette == DefaultPalette16() ? palette : DuplicatePalette(palette);
    Platform::HBITMAP bitmap = nullptr;
    try {
        bitmap = CopyBitmapHandle(handle, palette, copy, CanvasObject, description);
    } catch (...) {
        DeletePalette(copy);
        throw;
    }
    ReplaceImage(bitmap, copy, description);
}

void TBitmap::UnshareImage() {
    TBitmapImage* image = ImageData;
    if (image->RefCount >= 2) {
        EnsureHandle();
        ConvertImage(ImageData->Handle, ImageData->Palette, ImageData->Description);
    } else if (image->Handle != nullptr && image->DIBHandle != nullptr && image->Handle != image->DIBHandle) {
        // Drawing goes to the device-dependent bitmap and would leave the
        // DIB copy stale.
        FreeDCsHoldingBitmap(image->DIBHandle);
        Platform::DeleteBitmap(image->DIBHandle);
        image->DIBHandle = nullptr;
        image->Description.dsBm.bmBits = nullptr;
    }
}

void TBitmap::EnsureHandle() {
    if (ImageData->Handle == nullptr)
        ImageData->Handle = ImageData->DIBHandle;
}

void TBitmap::EnsureDIB() {
    TBitmapImage* image = ImageData;
    if (image->Handle == nullptr || image->DIBHandle != nullptr)
        return;
    EnsurePalette();
    TDibSection d = image->Description;
    if (d.dsBmih.biSize == 0) {
        Platform::TDibSection own;
        Platform::GetDibSection(image->Handle, own);
        d.dsBmih.biSize = 40;
        d.dsBmih.biWidth = own.dsBm.bmWidth;
        d.dsBmih.biHeight = own.dsBm.bmHeight;
        d.dsBmih.biPlanes = 1;
        d.dsBmih.biBitCount = static_cast<std::uint16_t>(own.dsBm.bmPlanes * own.dsBm.bmBitsPixel);
    }
    image->DIBHandle = CopyBitmapHandle(image->Handle, image->Palette, image->Palette, nullptr, d);
    image->Description = d;
}

void TBitmap::EnsurePalette() {
    TBitmapImage* image = ImageData;
    if (NoPalette || image->Palette != nullptr || image->DIBHandle == nullptr)
        return;
    const std::int32_t bits = image->Description.dsBm.bmBitsPixel;
    if (bits <= 8)
        image->Palette = PaletteFromColorTable(image->DIBHandle, nullptr, 1 << bits);
    // The screen is never palettised here, so no halftone palette stands in.
    if (image->Palette == nullptr)
        NoPalette = true;
}

void TBitmap::EnsureMask() {
    if (MaskValid && MaskBitsValid)
        return;
    const TColor transparent = TransparentColorValue();
    TBitmapImage* image = ImageData;
    if (image->MaskHandle != nullptr) {
        FreeDCsHoldingBitmap(image->MaskHandle);
        Platform::DeleteBitmap(image->MaskHandle);
        image->MaskHandle = nullptr;
    }
    FreeCanvasDC();
    EnsureHandle();
    image->MaskHandle = CreateMaskBitmap(image->Handle, image->Palette, transparent);
    MaskValid = true;
    MaskBitsValid = true;
}
