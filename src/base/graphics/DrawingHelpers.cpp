#include "base/graphics/DrawingHelpers.h"

#include <cstdlib>
#include <cstring>

#include "base/core/TMemory.h"
#include "base/graphics/TCanvas.h"
#include "base/graphics/TServiceBitmap.h"
#include "platform/DeviceContexts.h"
#include "platform/Regions.h"

TMemory& WavyLinePoints() {
    static TMemory* points = [] {
        auto* m = new TMemory;
        m->SetSize(1024);
        return m;
    }();
    return *points;
}

void FillSolidRect(Platform::HDC dc, const TRect& rect, TColor color) {
    Platform::HBRUSH brush = Platform::CreateSolidBrush(static_cast<Platform::TColorRef>(ResolveSysColor(color)));
    Platform::FillRect(dc, rect, brush);
    Platform::DeleteBrush(brush);
}

void DrawEtchedLine(TCanvas& canvas, std::int32_t x1, std::int32_t x2, std::int32_t y) {
    canvas.Pen->SetColor(clBtnShadow);
    canvas.MoveTo(x1, y);
    canvas.LineTo(x2, y);
    canvas.Pen->SetColor(clBtnHighlight);
    canvas.MoveTo(x1, y + 1);
    canvas.LineTo(x2, y + 1);
}

void DrawTwoToneFrame(TCanvas& canvas, const TRect& rect, TColor topLeftColor, TColor bottomRightColor) {
    const TPoint first[3] = {{rect.Left, rect.Bottom - 1}, {rect.Left, rect.Top}, {rect.Right - 1, rect.Top}};
    canvas.Pen->SetColor(topLeftColor);
    canvas.Polyline(first, 2);
    const TPoint second[3] = {
        {rect.Right - 1, rect.Top}, {rect.Right - 1, rect.Bottom - 1}, {rect.Left, rect.Bottom - 1}};
    canvas.Pen->SetColor(bottomRightColor);
    canvas.Polyline(second, 2);
}

void DottedPixelsHorz(Platform::HDC dc, std::int32_t x1, std::int32_t x2, std::int32_t y, TColor color) {
    const auto c = static_cast<Platform::TColorRef>(ResolveSysColor(color));
    for (std::int32_t row = y; row < y + PatternLineThickness; ++row)
        for (std::int32_t x = x1; x <= x2; x += 5)
            Platform::SetPixel(dc, x, row, c);
}

void DottedPixelsVert(Platform::HDC dc, std::int32_t x, std::int32_t y1, std::int32_t y2, TColor color) {
    const auto c = static_cast<Platform::TColorRef>(ResolveSysColor(color));
    for (std::int32_t column = x; column < x + PatternLineThickness; ++column)
        for (std::int32_t y = y1; y <= y2; y += 5)
            Platform::SetPixel(dc, column, y, c);
}

void DrawWavyLine(Platform::HDC dc,
                  std::int32_t x1,
                  std::int32_t x2,
                  std::int32_t y,
                  TColor color,
                  std::int32_t width,
                  std::int32_t amplitude,
                  std::int32_t period,
                  std::int32_t phase) {
    // A period of 0 would divide by zero and one of 1 would never advance.
    if (dc == nullptr || period < 2 || x2 < x1)
        return;
    Platform::HRGN saved = Platform::CreateRectRgn(0, 0, 0, 0);
    const bool hadClip = Platform::GetClipRgn(dc, saved) == 1;
    Platform::HRGN band = Platform::CreateRectRgn(x1, y - 2 * amplitude - width - 1, x2, y + 2 * amplitude + width + 2);
    Platform::SelectClipRgn(dc, band);
    Platform::DeleteRegion(band);

    x2 += period - (phase + x2) % period;
    x1 -= (x1 + phase) % period;
    const std::int32_t step = period / 2;
    const bool flat = width >= 3 && amplitude >= 3 && period >= 3;
    const std::int64_t vertices = (static_cast<std::int64_t>(x2) - x1) / step + 1;
    const std::int64_t needed = vertices * (flat ? 2 : 1) * 8;
    TMemory& buffer = WavyLinePoints();
    if (needed > buffer.Size) {
        std::int32_t size = buffer.Size > 0 ? buffer.Size : 1024;
        while (size < needed)
            size *= 2;
        buffer.SetSize(size);
    }
    auto* points = reinterpret_cast<TPoint*>(buffer.Data);
    std::int32_t n = 0;
    for (std::int32_t x = x1; x <= x2; x += step) {
        const std::int32_t py = std::abs((x + phase) % period) == 0 ? y + amplitude : y - amplitude;
        if (flat) {
            const std::int32_t half = width / 2;
            const std::int32_t fy = py > y ? py - half : (py < y ? py + half : py);
            points[n++] = {x + 1 - half, fy};
            points[n++] = {x + width - 1, fy};
        } else {
            points[n++] = {x, py};
        }
    }
    Platform::HPEN pen = Platform::CreatePen(static_cast<Platform::TColorRef>(ResolveSysColor(color)), width);
    Platform::HPEN oldPen = Platform::SelectPen(dc, pen);
    Platform::Polyline(dc, points, n);
    Platform::SelectPen(dc, oldPen);
    Platform::DeletePen(pen);

    Platform::SelectClipRgn(dc, hadClip ? saved : nullptr);
    Platform::DeleteRegion(saved);
}

namespace {

struct TSegments {
    std::int32_t Period;
    std::int32_t Count;
    std::int32_t Offset[3];
    std::int32_t Length[3];
};

// Dashes and dots of the segment samples, per underline code.
bool SegmentsOf(std::int32_t style, TSegments& s, std::int32_t& thickness) {
    thickness = (style == 20 || style == 23 || style == 25 || style == 26 || style == 55) ? 2 : 1;
    switch (style) {
        case 4:
        case 20:
            s = {4, 1, {0}, {2}};
            return true;
        case 7:
        case 23:
            s = {12, 1, {0}, {8}};
            return true;
        case 39:
        case 55:
            s = {20, 1, {0}, {12}};
            return true;
        case 9:
        case 25:
            s = {14, 2, {0, 10}, {8, 2}};
            return true;
        case 10:
        case 26:
            s = {18, 3, {0, 10, 14}, {8, 2, 2}};
            return true;
        default:
            return false;
    }
}

}  // namespace

void DrawUnderlineSample(TCanvas& canvas, const TRect& rect, std::int32_t style, bool centerText) {
    const std::int32_t center = (rect.Top + rect.Bottom - 1) / 2;
    auto bar = [&](std::int32_t left, std::int32_t right, std::int32_t top, std::int32_t rows) {
        canvas.FillRect(TRect{left, top, std::min(right, rect.Right), top + rows});
    };
    auto text = [&](std::string_view s) {
        const std::uint8_t oldStyle = canvas.Brush->GetStyle();
        const TColor oldColor = canvas.Brush->GetColor();
        canvas.Brush->SetStyle(bsClear);
        const TSize size = canvas.TextExtent(s);
        const std::int32_t x = centerText ? rect.Left + (rect.Width() - size.cx) / 2 : rect.Left;
        canvas.TextOut(x, center + 1 - size.cy, s);
        if (oldStyle == bsClear)
            canvas.Brush->SetStyle(bsClear);
        else
            canvas.Brush->SetColor(oldColor);
    };
    TSegments segments;
    std::int32_t thickness = 1;
    switch (style) {
        case 0:
            text("(None)");
            return;
        case 2:
            text("Words only");
            return;
        case 1:
            bar(rect.Left, rect.Right, center, 1);
            return;
        case 6:
            bar(rect.Left, rect.Right, center, 2);
            return;
        case 3:
            bar(rect.Left, rect.Right, center - 1, 1);
            bar(rect.Left, rect.Right, center + 1, 1);
            return;
        case 11:
        case 27:
        case 43: {
            const TColor color = ResolveSysColor(canvas.Brush->GetColor());
            Platform::HDC dc = canvas.Handle();
            if (style == 43) {
                DrawWavyLine(dc, rect.Left, rect.Right, center - 2, color, 1, 1, 6, rect.Left);
                DrawWavyLine(dc, rect.Left, rect.Right, center + 2, color, 1, 1, 6, rect.Left);
            } else {
                DrawWavyLine(dc, rect.Left, rect.Right, center, color, style == 27 ? 2 : 1, 1, 6, rect.Left);
            }
            canvas.Changed();
            return;
        }
        default:
            break;
    }
    if (!SegmentsOf(style, segments, thickness))
        return;
    for (std::int32_t start = rect.Left; start < rect.Right; start += segments.Period)
        for (std::int32_t k = 0; k < segments.Count; ++k)
            bar(start + segments.Offset[k], start + segments.Offset[k] + segments.Length[k], center, thickness);
}
