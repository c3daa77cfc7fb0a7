#include "base/graphics/TServiceBitmap.h"

#include <algorithm>

#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"
#include "platform/Screen.h"

std::int32_t PatternLineThickness = 1;
TServiceBitmap* ServiceBitmap = nullptr;

namespace {

// A Windows colour in pixel order, its high byte kept.
std::uint32_t PixelOf(TColor color) {
    const auto c = static_cast<std::uint32_t>(color);
    return (c & 0xFF00FF00u) | ((c & 0xFF) << 16) | ((c >> 16) & 0xFF);
}

struct TPattern {
    std::int32_t Period;
    std::int32_t Count;
    std::int32_t Pixels[4];
};
constexpr TPattern kPatterns[5] = {
    {2, 1, {0}}, {3, 1, {0}}, {5, 1, {0}}, {8, 2, {0, 3}}, {8, 4, {0, 1, 3, 4}},
};

// Walks one pattern line along a row (horizontal) or a column (vertical):
// from and to are the line's ends along it, bound the bitmap's extent in
// that direction, origin the pattern phase. plot(i) sets position i.
template <class Plot>
void PatternRun(std::int32_t from,
                std::int32_t to,
                std::int32_t boundLow,
                std::int32_t boundHigh,
                std::int32_t origin,
                std::int32_t style,
                Plot plot) {
    const TPattern& pattern = kPatterns[style];
    std::int32_t x = std::max(from, boundLow);
    if (x >= boundHigh || boundLow > to)
        return;
    x -= (x + origin) % pattern.Period;  // signed remainder, as the pattern phase is defined
    const std::int32_t end = to >= boundHigh ? boundHigh - 1 : to;
    for (std::int32_t start = x; start <= end; start += pattern.Period) {
        for (std::int32_t k = 0; k < pattern.Count; ++k) {
            const std::int32_t p = start + pattern.Pixels[k];
            if (p >= boundLow && p < boundHigh && p >= from && p <= end)
                plot(p);
        }
    }
}

}  // namespace

TServiceBitmap::TServiceBitmap() {
    Width = Platform::ScreenWidth() + 32;
    Height = Platform::ScreenHeight() + 32;
    DC = Platform::CreateCompatibleDC(Platform::ScreenDC());
    Platform::SetBkMode(DC, Platform::TRANSPARENT);
    Platform::SetStretchBltMode(DC, Platform::HALFTONE);
}

TServiceBitmap::~TServiceBitmap() {
    if (OriginalBitmap != nullptr)
        Platform::SelectBitmap(DC, OriginalBitmap);
    Platform::DeleteDC(DC);
    Platform::DeleteBitmap(OriginalBitmap);
    Platform::DeleteBitmap(Bitmap);
}

void TServiceBitmap::AllocateBitmap() {
    Platform::HBITMAP bitmap = Platform::CreateBitmap32(Width, Height);
    Platform::HBITMAP previous = Platform::SelectBitmap(DC, bitmap);
    if (OriginalBitmap == nullptr)
        OriginalBitmap = previous;
    else
        Platform::DeleteBitmap(previous);
    Bitmap = bitmap;
    Platform::TBitmapInfo info;
    Platform::GetBitmapInfo(bitmap, info);
    Bits = info.Bits;
    Bounds = {0, 0, Width, Height};
}

void TServiceBitmap::ClipToBounds(TRect& rect) const {
    rect.Left = std::clamp(rect.Left, Bounds.Left, Bounds.Right);
    rect.Right = std::clamp(rect.Right, Bounds.Left, Bounds.Right);
    rect.Top = std::clamp(rect.Top, Bounds.Top, Bounds.Bottom);
    rect.Bottom = std::clamp(rect.Bottom, Bounds.Top, Bounds.Bottom);
}

void TServiceBitmap::FillBox(std::int32_t left,
                             std::int32_t top,
                             std::int32_t right,
                             std::int32_t bottom,
                             TColor color) {
    if (Bits == nullptr)
        return;
    TRect r{left, top, right, bottom};
    ClipToBounds(r);
    if (r.IsEmpty())
        return;
    Platform::GdiFlush();
    const std::uint32_t px = PixelOf(color);
    for (std::int32_t y = r.Top; y < r.Bottom; ++y) {
        std::uint32_t* row = Bits + static_cast<std::size_t>(y) * Width;
        std::fill(row + r.Left, row + r.Right, px);
    }
}

void TServiceBitmap::FrameBox(std::int32_t left,
                              std::int32_t top,
                              std::int32_t right,
                              std::int32_t bottom,
                              TColor color) {
    FillBox(left, top, right, top + 1, color);
    FillBox(left, top, left + 1, bottom, color);
    FillBox(right - 1, top, right, bottom, color);
    FillBox(left, bottom - 1, right, bottom, color);
}

void TServiceBitmap::SetPixel(std::int32_t x, std::int32_t y, TColor color) {
    if (Bits == nullptr || x < 0 || y < 0 || x >= Width || y >= Height)
        return;
    Platform::GdiFlush();
    std::uint32_t& p = Bits[static_cast<std::size_t>(y) * Width + x];
    p = (p & 0xFF000000u) | (PixelOf(color) & 0xFFFFFF);
}

void TServiceBitmap::HorzPatternLine(std::int32_t x1,
                                     std::int32_t x2,
                                     std::int32_t y,
                                     TColor color,
                                     std::int32_t style) {
    if (Bits == nullptr || style < 0 || style > 4)
        return;
    Platform::GdiFlush();
    const std::uint32_t px = PixelOf(color);
    for (std::int32_t row = y; row < y + PatternLineThickness; ++row) {
        if (row < Bounds.Top || row >= Bounds.Bottom)
            continue;
        std::uint32_t* line = Bits + static_cast<std::size_t>(row) * Width;
        PatternRun(x1, x2, Bounds.Left, Bounds.Right, PatternOriginX, style, [&](std::int32_t x) { line[x] = px; });
    }
}

void TServiceBitmap::VertPatternLine(std::int32_t x,
                                     std::int32_t y1,
                                     std::int32_t y2,
                                     TColor color,
                                     std::int32_t style) {
    if (Bits == nullptr || style < 0 || style > 4)
        return;
    Platform::GdiFlush();
    const std::uint32_t px = PixelOf(color);
    for (std::int32_t column = x; column < x + PatternLineThickness; ++column) {
        if (column < Bounds.Left || column >= Bounds.Right)
            continue;
        PatternRun(y1, y2, Bounds.Top, Bounds.Bottom, PatternOriginY, style,
                   [&](std::int32_t y) { Bits[static_cast<std::size_t>(y) * Width + column] = px; });
    }
}
