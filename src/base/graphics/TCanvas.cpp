#include "base/graphics/TCanvas.h"

#include "base/core/TList.h"
#include "base/graphics/Graphics.h"
#include "base/graphics/TBitmap.h"
#include "base/graphics/TBitmapImage.h"
#include "base/graphics/TGraphic.h"
#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"
#include "platform/Fonts.h"

TCanvas::TCanvas() : Font(new TFont), Pen(new TPen), Brush(new TBrush) {
    Font->OnChange = [this](TGraphicsObject*) { ObjectChanged(csFontValid); };
    Pen->OnChange = [this](TGraphicsObject*) { ObjectChanged(csPenValid); };
    Brush->OnChange = [this](TGraphicsObject*) { ObjectChanged(csBrushValid); };
    CanvasList().Add(this);
}

TCanvas::~TCanvas() {
    CanvasList().Remove(this);
    SetHandle(nullptr);
    delete Font;
    delete Pen;
    delete Brush;
}

void TCanvas::Changed() {
    if (OnChange)
        OnChange(this);
}

void TCanvas::Changing() {
    if (OnChanging)
        OnChanging(this);
}

// A selected object that changes goes out of the context at once: its
// drawing object may be deleted with its old record right after this.
void TCanvas::ObjectChanged(std::uint8_t part) {
    if ((State & part) == 0 || DCHandle == nullptr)
        return;
    switch (part) {
        case csFontValid:
            Platform::SelectFont(DCHandle, Platform::StockSystemFont());
            break;
        case csPenValid:
            Platform::SelectPen(DCHandle, Platform::StockBlackPen());
            break;
        case csBrushValid:
            Platform::SelectBrush(DCHandle, Platform::StockNullBrush());
            break;
    }
    State &= static_cast<std::uint8_t>(~part);
}

Platform::HDC TCanvas::Handle() {
    Changing();
    RequireState(csAllValid);
    return DCHandle;
}

void TCanvas::SetHandle(Platform::HDC dc) {
    if (dc == DCHandle)
        return;
    if (DCHandle != nullptr) {
        SelectStockObjects();
        DCHandle = nullptr;
        State &= static_cast<std::uint8_t>(~csHandleValid);
    }
    if (dc != nullptr) {
        DCHandle = dc;
        State |= csHandleValid;
    }
}

void TCanvas::SelectStockObjects() {
    if (DCHandle == nullptr || (State & (csFontValid | csPenValid | csBrushValid)) == 0)
        return;
    Platform::SelectPen(DCHandle, Platform::StockBlackPen());
    Platform::SelectBrush(DCHandle, Platform::StockNullBrush());
    Platform::SelectFont(DCHandle, Platform::StockSystemFont());
    State &= static_cast<std::uint8_t>(~(csFontValid | csPenValid | csBrushValid));
}

void TCanvas::RequireState(std::uint8_t needed) {
    needed &= static_cast<std::uint8_t>(~State);
    if (needed == 0)
        return;
    if (needed & csHandleValid) {
        CreateDC();
        if (DCHandle == nullptr)
            return;  // nothing to draw on: the operation has no effect
    }
    if (needed & csFontValid) {
        Platform::SelectFont(DCHandle, Font->Handle());
        Platform::SetTextColor(DCHandle, static_cast<Platform::TColorRef>(ResolveSysColor(Font->Color)));
    }
    if (needed & csPenValid) {
        Platform::SelectPen(DCHandle, Pen->Handle());
        Platform::SetROP2(DCHandle, Platform::R2_COPYPEN);
    }
    if (needed & csBrushValid) {
        Platform::SelectBrush(DCHandle, Brush->Handle());
        const auto color = static_cast<Platform::TColorRef>(ResolveSysColor(Brush->GetColor()));
        if (Brush->GetStyle() == bsClear) {
            Platform::SetBkColor(DCHandle, ~color & 0xFFFFFF);
            Platform::SetBkMode(DCHandle, Platform::TRANSPARENT);
        } else {
            Platform::SetBkColor(DCHandle, color);
            Platform::SetBkMode(DCHandle, Platform::OPAQUE);
        }
    }
    State |= needed;
}

void TCanvas::FillRect(const TRect& rect) {
    Changing();
    RequireState(csHandleValid | csBrushValid);
    Platform::FillRect(DCHandle, rect, Brush->Handle());
    Changed();
}

void TCanvas::FrameRect(const TRect& rect) {
    Changing();
    RequireState(csHandleValid | csBrushValid);
    Platform::FrameRect(DCHandle, rect, Brush->Handle());
    Changed();
}

void TCanvas::DrawFocusRect(const TRect& rect) {
    Changing();
    RequireState(csHandleValid | csBrushValid);
    Platform::DrawFocusRect(DCHandle, rect);
    Changed();
}

void TCanvas::MoveTo(std::int32_t x, std::int32_t y) {
    RequireState(csHandleValid);
    Platform::MoveTo(DCHandle, x, y);
}

void TCanvas::LineTo(std::int32_t x, std::int32_t y) {
    Changing();
    RequireState(csHandleValid | csPenValid);
    Platform::LineTo(DCHandle, x, y);
    Changed();
}

void TCanvas::Polyline(const TPoint* points, std::int32_t lastIndex) {
    Changing();
    RequireState(csHandleValid | csPenValid | csBrushValid);
    Platform::Polyline(DCHandle, points, lastIndex + 1);
    Changed();
}

void TCanvas::TextOut(std::int32_t x, std::int32_t y, std::string_view text) {
    Changing();
    RequireState(csHandleValid | csFontValid | csBrushValid);
    Platform::TextOut(DCHandle, x, y, text);
    Changed();
}

void TCanvas::TextOutW(std::int32_t x, std::int32_t y, std::u16string_view text) {
    Changing();
    RequireState(csHandleValid | csFontValid | csBrushValid);
    Platform::TextOutW(DCHandle, x, y, text);
    Changed();
}

void TCanvas::TextRect(const TRect& rect, std::int32_t x, std::int32_t y, std::string_view text) {
    Changing();
    RequireState(csHandleValid | csFontValid | csBrushValid);
    const std::uint32_t options =
        Platform::ETO_CLIPPED | (Brush->GetStyle() != bsClear ? static_cast<std::uint32_t>(Platform::ETO_OPAQUE) : 0u);
    Platform::ExtTextOut(DCHandle, x, y, options, &rect, text, nullptr);
    Changed();
}

void TCanvas::TextRectW(const TRect& rect, std::int32_t x, std::int32_t y, std::u16string_view text) {
    Changing();
    RequireState(csHandleValid | csFontValid | csBrushValid);
    const std::uint32_t options =
        Platform::ETO_CLIPPED | (Brush->GetStyle() != bsClear ? static_cast<std::uint32_t>(Platform::ETO_OPAQUE) : 0u);
    Platform::ExtTextOutW(DCHandle, x, y, options, &rect, text, nullptr);
    Changed();
}

TSize TCanvas::TextExtent(std::string_view text) {
    TSize size{0, 0};
    RequireState(csHandleValid | csFontValid);
    if (DCHandle != nullptr)
        size = Platform::GetTextExtent(DCHandle, text);
    return size;
}

std::int32_t TCanvas::TextWidthW(std::u16string_view text) {
    Changing();
    RequireState(csAllValid);
    return DCHandle != nullptr ? Platform::GetTextExtentW(DCHandle, text).cx : 0;
}

std::int32_t TCanvas::CharHeight() {
    return TextHeight("A");
}

TColor TCanvas::GetPixelColor(std::int32_t x, std::int32_t y) {
    RequireState(csHandleValid);
    return static_cast<TColor>(Platform::GetPixel(DCHandle, x, y));
}

void TCanvas::SetPixelColor(std::int32_t x, std::int32_t y, TColor color) {
    Changing();
    RequireState(csHandleValid | csPenValid);
    Platform::SetPixel(DCHandle, x, y, static_cast<Platform::TColorRef>(ResolveSysColor(color)));
    Changed();
}

TRect TCanvas::ClipBounds() {
    RequireState(csHandleValid);
    TRect box;
    Platform::GetClipBox(DCHandle, box);
    return box;
}

void TCanvas::CopyRect(const TRect& destRect, TCanvas& source, const TRect& sourceRect) {
    Changing();
    RequireState(csHandleValid | csFontValid | csBrushValid);
    source.RequireState(csHandleValid | csBrushValid);
    Platform::StretchBlt(DCHandle, destRect.Left, destRect.Top, destRect.Width(), destRect.Height(), source.DCHandle,
                         sourceRect.Left, sourceRect.Top, sourceRect.Width(), sourceRect.Height(), Platform::SRCCOPY);
    Changed();
}

void TCanvas::Draw(std::int32_t x, std::int32_t y, TGraphic* graphic) {
    if (graphic == nullptr || graphic->Empty())
        return;
    Changing();
    RequireState(csHandleValid);
    // Monochrome pictures take the brush colour as background and the font
    // colour as ink.
    Platform::SetBkColor(DCHandle, static_cast<Platform::TColorRef>(ResolveSysColor(Brush->GetColor())));
    Platform::SetTextColor(DCHandle, static_cast<Platform::TColorRef>(ResolveSysColor(Font->Color)));
    graphic->Draw(*this, TRect{x, y, x + graphic->Width(), y + graphic->Height()});
    Changed();
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic* graphic) {
    if (graphic == nullptr)
        return;
    Changing();
    RequireState(csAllValid);
    graphic->Draw(*this, rect);
    Changed();
}

void TCanvas::CopyWithKeyColor(const TRect& destRect, TBitmap* bitmap, const TRect& sourceRect, TColor keyColor) {
    using namespace Platform;
    if (bitmap == nullptr || bitmap->IsEmpty())
        return;
    const TColor key = ResolveSysColor(keyColor) & 0xFFFFFF;
    if ((bitmap->TransparentColorValue() & 0xFFFFFF) != key) {
        bitmap->EnsureHandle();
        CopyWithKeyColor(destRect, bitmap->Image()->Handle, sourceRect, keyColor);
        return;
    }
    HBITMAP mask = bitmap->GetMaskHandle();
    HBITMAP source = bitmap->Image()->Handle;
    Changing();
    RequireState(csHandleValid | csBrushValid);
    if (DCHandle == nullptr || mask == nullptr || source == nullptr)
        return;
    HDC sourceDC = CreateCompatibleDC(DCHandle);
    HBITMAP oldSource = SelectBitmap(sourceDC, source);
    HDC maskDC = CreateCompatibleDC(nullptr);
    HBITMAP oldMask = SelectBitmap(maskDC, mask);
    DrawThroughMask(destRect, sourceDC, sourceRect, maskDC);
    SelectBitmap(maskDC, oldMask);
    DeleteDC(maskDC);
    SelectBitmap(sourceDC, oldSource);
    DeleteDC(sourceDC);
    Changed();
}

void TCanvas::DrawThroughMask(const TRect& destRect,
                              Platform::HDC sourceDC,
                              const TRect& sourceRect,
                              Platform::HDC maskDC) {
    using namespace Platform;
    if (Brush->GetStyle() == bsClear) {
        TransparentStretchBlt(DCHandle, destRect, sourceDC, sourceRect, maskDC);
        return;
    }
    StretchBlt(DCHandle, destRect.Left, destRect.Top, destRect.Width(), destRect.Height(), sourceDC, sourceRect.Left,
               sourceRect.Top, sourceRect.Width(), sourceRect.Height(), SRCCOPY);
    const TColorRef oldText = SetTextColor(DCHandle, 0);
    const TColorRef oldBack = SetBkColor(DCHandle, 0xFFFFFF);
    // Destination where the mask is black, brush where it is white.
    StretchBlt(DCHandle, destRect.Left, destRect.Top, destRect.Width(), destRect.Height(), maskDC, sourceRect.Left,
               sourceRect.Top, sourceRect.Width(), sourceRect.Height(), 0xE20746);
    SetTextColor(DCHandle, oldText);
    SetBkColor(DCHandle, oldBack);
}

void TCanvas::CopyWithKeyColor(const TRect& destRect,
                               Platform::HBITMAP bitmap,
                               const TRect& sourceRect,
                               TColor keyColor) {
    using namespace Platform;
    TBitmapInfo info;
    if (!GetBitmapInfo(bitmap, info))
        return;
    Changing();
    RequireState(csHandleValid | csBrushValid);
    if (DCHandle == nullptr)
        return;
    HDC sourceDC = CreateCompatibleDC(DCHandle);
    HBITMAP oldSource = SelectBitmap(sourceDC, bitmap);
    // The monochrome mask of the key colour: 1 where the bitmap has it.
    HDC maskDC = CreateCompatibleDC(nullptr);
    HBITMAP mask = CreateMonoBitmap(info.Width, info.Height);
    HBITMAP oldMask = SelectBitmap(maskDC, mask);
    SetBkColor(sourceDC, static_cast<TColorRef>(ResolveSysColor(keyColor)));
    BitBlt(maskDC, 0, 0, info.Width, info.Height, sourceDC, 0, 0, SRCCOPY);
    DrawThroughMask(destRect, sourceDC, sourceRect, maskDC);
    SelectBitmap(maskDC, oldMask);
    DeleteBitmap(mask);
    DeleteDC(maskDC);
    SelectBitmap(sourceDC, oldSource);
    DeleteDC(sourceDC);
    Changed();
}
