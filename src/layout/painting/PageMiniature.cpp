#include "layout/painting/PageMiniature.h"

#include <algorithm>
#include <cmath>

#include "base/graphics/TBrush.h"
#include "base/graphics/TCanvas.h"
#include "layout/painting/BoxPainting.h"
#include "model/formats/PageSetup.h"
#include "model/formats/TCharFormat.h"
#include "model/host/EnvelopeOptions.h"
#include "model/managers/TColorScheme.h"
#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"
#include "platform/Screen.h"

namespace {

// Pixels between facing pages, and the room left around the page(s).
constexpr std::int32_t FacingGap = 5;
constexpr std::int32_t Border = 20;

class TMiniature {
public:
    TMiniature(std::int32_t width, std::int32_t height) : Width(width), Height(height) {
        Dc = Platform::CreateCompatibleDC(nullptr);
        Bitmap = Platform::CreateBitmap32(std::max(1, width), std::max(1, height));
        Previous = Platform::SelectBitmap(Dc, Bitmap);
    }
    TMiniature(const TMiniature&) = delete;
    TMiniature& operator=(const TMiniature&) = delete;
    ~TMiniature() {
        Platform::SelectBitmap(Dc, Previous);
        Platform::DeleteBitmap(Bitmap);
        Platform::DeleteDC(Dc);
    }

    void Fill(const TRect& r, std::int32_t color) {
        if (r.IsEmpty())
            return;
        Platform::HBRUSH brush = Platform::CreateSolidBrush(static_cast<Platform::TColorRef>(color));
        Platform::FillRect(Dc, {r.Left, r.Top, r.Right, r.Bottom}, brush);
        Platform::DeleteBrush(brush);
    }
    void Frame(const TRect& r, std::int32_t color) {
        Platform::HBRUSH brush = Platform::CreateSolidBrush(static_cast<Platform::TColorRef>(color));
        Platform::FrameRect(Dc, {r.Left, r.Top, r.Right, r.Bottom}, brush);
        Platform::DeleteBrush(brush);
    }

    std::int32_t Width, Height;
    Platform::HDC Dc = nullptr;
    Platform::HBITMAP Bitmap = nullptr;
    Platform::HBITMAP Previous = nullptr;
};

std::int32_t Resolved(std::int32_t color) {
    return color < 0 ? static_cast<std::int32_t>(Platform::GetSysColor(color & 0xFF) & 0xFFFFFF) : color;
}

// Greeked text: 1-pixel lines every 2 pixels down the block, every third
// one shorter, as a paragraph's last line.
void Greek(TMiniature& m, const TRect& block, std::int32_t color, bool paragraphEnds) {
    for (std::int32_t y = block.Top; y < block.Bottom; y += 2) {
        std::int32_t right = block.Right;
        if (paragraphEnds && (y - block.Top) % 6 == 4)
            right -= 6;
        m.Fill({block.Left, y, std::max(block.Left, right), y + 1}, color);
    }
}

struct TPageMargins {
    std::int32_t Left, Right;
    std::uint8_t NumberPosition;  // 0 left, 1 centre, 2 right
};

void PaintEnvelope(TMiniature& m, const TRect& page, std::int32_t text) {
    const std::int32_t w = page.Width(), h = page.Height();
    const TEnvelopeOptions& e = EnvelopeOptions();
    if (!e.OmitRetAddr) {
        const std::int32_t x = page.Left + MulDiv(w, e.RA_Left, 10000) + 1;
        const std::int32_t y0 = page.Top + MulDiv(h, e.RA_Top, 10000) + 1;
        for (std::int32_t y = y0; y < y0 + h / 7; y += 2)
            m.Fill({x, y, std::min(x + w / 4, page.Right), y + 1}, text);
    }
    const std::int32_t x = page.Left + MulDiv(w, e.DA_Left, 10000);
    const std::int32_t y0 = page.Top + MulDiv(h, e.DA_Top, 10000);
    for (std::int32_t y = y0; y < y0 + h / 3; y += 3)
        m.Fill({x, y, std::min(x + w / 2, page.Right), y + 1}, text);
    const std::int32_t side = (w + h) / 16;
    const std::int32_t right = page.Right - w / 20;
    const std::int32_t top = page.Top + h / 20;
    m.Fill({right - side, top, right, top + side}, text);
}

void PaintOnePage(TMiniature& m,
                  const TRect& page,
                  const TPageSetup& setup,
                  double scale,
                  const TPageMargins& margins,
                  std::uint32_t style,
                  std::uint8_t scope,
                  const TPageNumberMark* pageNumber,
                  const TSectionFormat* columns) {
    const std::int32_t background = Resolved(PaletteSlotColor(csPageBackground));
    const std::int32_t text = Resolved(PaletteSlotColor(csAutoText));
    const std::int32_t dimText = Resolved(PaletteSlotColor(csRulerBackground));
    m.Fill(page, background);
    if ((style & pmEnvelope) != 0) {
        PaintEnvelope(m, page, text);
    } else {
        const auto px = [scale](std::int32_t twips) { return static_cast<std::int32_t>(std::lround(twips / scale)); };
        const TRect area{page.Left + px(margins.Left), page.Top + px(setup.TopMargin), page.Right - px(margins.Right),
                         page.Bottom - px(setup.BottomMargin)};
        if (columns == nullptr || columns->ColumnCount != UnsetValue) {
            const std::int32_t h = area.Height();
            struct TBlock {
                TRect Rect;
                bool Highlighted;
            };
            TBlock blocks[3];
            int count = 0;
            if (scope == pmsWholeText) {
                blocks[count++] = {area, true};
            } else {
                blocks[count++] = {{area.Left, area.Top, area.Right, area.Top + h / 5 + 2}, false};
                if (scope == pmsFromHere) {
                    const std::int32_t top = area.Top + h / 5 + 4;
                    blocks[count++] = {{area.Left, top, area.Right, top + h * 4 / 5 - 4}, true};
                } else {
                    const std::int32_t top = area.Top + h / 5 + 4;
                    blocks[count++] = {{area.Left, top, area.Right, top + h * 3 / 5 - 8}, true};
                    const std::int32_t lastTop = area.Top + h * 4 / 5 - 2;
                    blocks[count++] = {{area.Left, lastTop, area.Right, lastTop + h / 5 + 2}, false};
                }
            }
            for (int b = 0; b < count; ++b) {
                const TBlock& block = blocks[b];
                const std::int32_t color = block.Highlighted ? text : dimText;
                const bool multi = block.Highlighted && columns != nullptr && columns->ColumnCount >= 2;
                if (!multi) {
                    Greek(m, block.Rect, color, !(block.Highlighted && columns != nullptr));
                    continue;
                }
                const std::int32_t n = std::min(columns->ColumnCount, 64);
                for (std::int32_t c = 0; c < n; ++c) {
                    TColumnGeometry g;
                    GetColumnGeometry(*columns, setup, c, g);
                    const TRect column{block.Rect.Left + px(g.Left), block.Rect.Top,
                                       block.Rect.Left + px(g.Left + g.Width), block.Rect.Bottom};
                    Greek(m, column, color, false);
                    if (columns->LineBetween != 0 && c + 1 < n) {
                        const std::int32_t x = block.Rect.Left + px(g.Left + g.Width + g.Gap / 2);
                        std::int32_t height = block.Rect.Height();
                        if (height % 2 == 0)
                            --height;
                        m.Fill({x, block.Rect.Top, x + 1, block.Rect.Top + height}, text);
                    }
                }
            }
        }
        if (pageNumber != nullptr) {
            std::int32_t x = area.Left;
            if (margins.NumberPosition == 1)
                x = (area.Left + area.Right) / 2 - 1;
            else if (margins.NumberPosition == 2)
                x = area.Right - 2;
            const std::int32_t y =
                pageNumber->Bottom != 0 ? (area.Bottom + page.Bottom) / 2 - 3 : (page.Top + area.Top) / 2;
            m.Fill({x, y, x + 2, y + 3}, text);
        }
    }
    if ((style & pmFrame) != 0) {
        const std::int32_t border = Resolved(PaletteSlotColor(csPageBorder));
        m.Frame({page.Left - 1, page.Top - 1, page.Right + 1, page.Bottom + 1}, border);
        m.Fill({page.Left, page.Bottom + 1, page.Right + 2, page.Bottom + 2}, border);
        m.Fill({page.Right + 1, page.Top, page.Right + 2, page.Bottom + 2}, border);
    }
}

// Resolves inside and outside for a page: inside is the bound edge.
std::uint8_t NumberPlace(std::uint8_t position, bool leftPage) {
    if (position == 3)
        return leftPage ? 2 : 0;
    if (position == 4)
        return leftPage ? 0 : 2;
    return std::min<std::uint8_t>(position, 2);
}

}  // namespace

void PaintPageMiniature(TCanvas& canvas,
                        const TRect& rect,
                        const TPageSetup& setup,
                        std::uint32_t style,
                        std::uint8_t scope,
                        const TPageNumberMark* pageNumber,
                        const TSectionFormat* columns) {
    const std::int32_t width = rect.Right - rect.Left, height = rect.Bottom - rect.Top;
    if (width <= 0 || height <= 0 || setup.PageWidth <= 0 || setup.PageHeight <= 0)
        return;
    TMiniature m(width, height);
    m.Fill({0, 0, width, height}, Resolved(canvas.Brush->GetColor()));
    const bool facing = setup.MirrorMargins != 0 && columns == nullptr && (style & pmEnvelope) == 0;
    const std::int32_t pages = facing ? 2 : 1;
    const double across = std::max(1, width - FacingGap * (pages - 1) - Border);
    const double down = std::max(1, height - Border);
    const double scale =
        std::max(static_cast<double>(setup.PageWidth) * pages / across, static_cast<double>(setup.PageHeight) / down);
    const std::int32_t w = static_cast<std::int32_t>(setup.PageWidth / scale);
    const std::int32_t h = static_cast<std::int32_t>(setup.PageHeight / scale);
    const std::int32_t total = w * pages + FacingGap * (pages - 1);
    const std::int32_t left = (width - total) / 2, top = (height - h) / 2;
    const std::uint8_t position = pageNumber != nullptr ? pageNumber->Position : 0;
    if (facing) {
        // The left page mirrors the stored margins; inner margins face.
        PaintOnePage(m, {left, top, left + w, top + h}, setup, scale,
                     {setup.RightMargin, setup.LeftMargin, NumberPlace(position, true)}, style, scope, pageNumber,
                     columns);
        const std::int32_t second = left + w + FacingGap;
        PaintOnePage(m, {second, top, second + w, top + h}, setup, scale,
                     {setup.LeftMargin, setup.RightMargin, NumberPlace(position, false)}, style, scope, pageNumber,
                     columns);
    } else {
        PaintOnePage(m, {left, top, left + w, top + h}, setup, scale,
                     {setup.LeftMargin, setup.RightMargin, NumberPlace(position, false)}, style, scope, pageNumber,
                     columns);
    }
    Platform::BitBlt(canvas.Handle(), rect.Left, rect.Top, width, height, m.Dc, 0, 0, Platform::SRCCOPY);
}

void ScaleColumnWidths(TSectionFormat& columns, const TPageSetup& setup) {
    const std::int32_t count = std::min(columns.ColumnCount, 64);
    if (count < 2 || columns.EqualColumns != 0)
        return;
    std::int64_t widths = 0, gaps = 0;
    for (std::int32_t i = 0; i < count; ++i) {
        widths += columns.ColumnTable[i][1];
        if (i + 1 < count)
            gaps += columns.ColumnTable[i][2];
    }
    if (widths <= 0 || widths + gaps == setup.TextWidth)
        return;
    for (std::int32_t i = 0; i < count; ++i)
        columns.ColumnTable[i][1] = MulDiv(columns.ColumnTable[i][1], static_cast<std::int32_t>(setup.TextWidth - gaps),
                                           static_cast<std::int32_t>(widths));
}
