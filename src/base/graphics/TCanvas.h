#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "base/core/Geometry.h"
#include "base/core/TPersistent.h"
#include "base/graphics/TBrush.h"
#include "base/graphics/TFont.h"
#include "base/graphics/TPen.h"
#include "platform/GdiTypes.h"

class TBitmap;
class TGraphic;

// Parts of a canvas's state: a context, and the objects selected into it.
enum : std::uint8_t { csHandleValid = 1, csFontValid = 2, csPenValid = 4, csBrushValid = 8, csAllValid = 15 };

// A drawing surface on a device context. The canvas selects its font, pen
// and brush into the context only when an operation needs them, and takes
// them out again when they change, so the next operation selects the new
// ones. Drawing operations tell OnChanging before and OnChange after;
// measuring and queries do not.
class TCanvas : public TPersistent {
public:
    TCanvas();
    ~TCanvas() override;

    virtual void Changed();
    virtual void Changing();
    // Makes the context on demand; bitmap, metafile and control canvases
    // override it.
    virtual void CreateDC() {}

    // Tells OnChanging, selects everything and returns the context.
    Platform::HDC Handle();
    void SetHandle(Platform::HDC dc);
    void RequireState(std::uint8_t needed);
    void SelectStockObjects();

    void SetFont(const TFont& font) { Font->Assign(&font); }
    void SetBrush(const TBrush& brush) { Brush->Assign(&brush); }
    void SetPen(const TPen& pen) { Pen->Assign(&pen); }

    void FillRect(const TRect& rect);
    void FrameRect(const TRect& rect);
    void DrawFocusRect(const TRect& rect);
    void MoveTo(std::int32_t x, std::int32_t y);
    void LineTo(std::int32_t x, std::int32_t y);
    void Polyline(const TPoint* points, std::int32_t lastIndex);
    void TextOut(std::int32_t x, std::int32_t y, std::string_view text);
    void TextOutW(std::int32_t x, std::int32_t y, std::u16string_view text);
    // Text clipped to rect; the rectangle is filled first unless the brush is clear.
    void TextRect(const TRect& rect, std::int32_t x, std::int32_t y, std::string_view text);
    void TextRectW(const TRect& rect, std::int32_t x, std::int32_t y, std::u16string_view text);
    TSize TextExtent(std::string_view text);
    std::int32_t TextWidth(std::string_view text) { return TextExtent(text).cx; }
    std::int32_t TextHeight(std::string_view text) { return TextExtent(text).cy; }
    std::int32_t TextWidthW(std::u16string_view text);
    std::int32_t CharHeight();
    TColor GetPixelColor(std::int32_t x, std::int32_t y);
    void SetPixelColor(std::int32_t x, std::int32_t y, TColor color);
    TRect ClipBounds();
    void CopyRect(const TRect& destRect, TCanvas& source, const TRect& sourceRect);
    void Draw(std::int32_t x, std::int32_t y, TGraphic* graphic);
    void StretchDraw(const TRect& rect, TGraphic* graphic);
    // Copies a bitmap with its pixels of keyColor left transparent (clear
    // brush) or painted in the brush colour.
    void CopyWithKeyColor(const TRect& destRect, Platform::HBITMAP bitmap, const TRect& sourceRect, TColor keyColor);
    // The same for a picture bitmap: when its transparent colour is the key
    // colour, its own mask serves.
    void CopyWithKeyColor(const TRect& destRect, TBitmap* bitmap, const TRect& sourceRect, TColor keyColor);

    TFont* Font;
    TPen* Pen;
    TBrush* Brush;
    std::function<void(TCanvas*)> OnChange;
    std::function<void(TCanvas*)> OnChanging;
    Platform::HDC DCHandle = nullptr;  // the context, or nil
    std::uint8_t State = 0;

private:
    void ObjectChanged(std::uint8_t part);
    // Key colour copy through a mask (1 where the key colour is).
    void DrawThroughMask(const TRect& destRect, Platform::HDC sourceDC, const TRect& sourceRect, Platform::HDC maskDC);
};
