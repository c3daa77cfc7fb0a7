#include "layout/painting/PageDecorations.h"

#include <algorithm>
#include <cstdio>

#include "base/core/Geometry.h"
#include "base/graphics/TServiceBitmap.h"
#include "layout/boxes/PageMargins.h"
#include "layout/boxes/TBox.h"
#include "layout/boxes/TPage.h"
#include "layout/boxes/TTableBox.h"
#include "layout/painting/BoxPainting.h"
#include "layout/painting/TableBorders.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/formats/TLine.h"
#include "model/formats/TShape.h"
#include "model/host/ModelOptions.h"
#include "model/managers/TColorManager.h"
#include "model/paragraphs/TPar.h"
#include "platform/DeviceContexts.h"
#include "platform/Fonts.h"
#include "platform/Screen.h"

namespace {

// Set by a document that shows gridlines whatever the view options say.
constexpr std::uint8_t sfForceGridlines = 148;
// Decorations that stand back from the text are drawn in silver.
constexpr std::int32_t Silver = 0xC0C0C0;
// The note separator: 16 twips thick and at most two inches long.
constexpr std::int32_t SeparatorThickness = 16;
constexpr std::int32_t SeparatorLength = 2880;
// The line between columns when painting onto a device: 16 twips wide.
constexpr std::int32_t ColumnLineWidth = 16;
// The header/footer labels keep this far inside the page edges (pixels).
constexpr std::int32_t LabelInset = 10;
// The table handles: red squares of this side, this far outside the
// table's cells (pixels).
constexpr std::int32_t TableHandleColor = 0x0000FF;
constexpr std::int32_t TableHandleSize = 9;
constexpr std::int32_t TableHandleGap = 2;

std::int32_t Opaque(std::int32_t color) {
    if (color < 0)
        return static_cast<std::int32_t>(Platform::GetSysColor(color & 0xFF) & 0xFFFFFF);
    return color & 0xFFFFFF;
}

std::int32_t TextColor() {
    return Opaque(PaletteSlotColor(csAutoText));
}

std::int32_t ForDisplay(std::int32_t color) {
    return ColorManager != nullptr && ColorManager->CurrentPalette != nullptr ? ColorManager->DisplayColor(color)
                                                                              : color;
}

void Fill(const TDoc& doc, Platform::HDC dc, const Platform::TRect& r, std::int32_t color) {
    if (r.IsEmpty())
        return;
    if (PaintsDirectly(doc)) {
        if (dc == nullptr)
            return;
        Platform::HBRUSH brush = Platform::CreateSolidBrush(static_cast<Platform::TColorRef>(color));
        Platform::FillRect(dc, r, brush);
        Platform::DeleteBrush(brush);
    } else if (ServiceBitmap != nullptr) {
        ServiceBitmap->FillRect(r, color);
    }
}

bool ShowsGridlines(const TDoc& doc) {
    if (doc.StateFlags[sfForceGridlines] != 0)
        return true;
    return DecorationOptions().ShowGridlines && !PaintsDirectly(doc);
}

// A separator line above the notes of a column.
void PaintNoteSeparator(TBox& frame, Platform::HDC dc, std::int32_t x, std::int32_t y) {
    TDoc& doc = *frame.Document;
    const TDecorationOptions& options = DecorationOptions();
    const bool wanted = frame.Story == stFootnotes ? options.FootnoteSeparator : options.EndnoteSeparator;
    if (!wanted || frame.Parent == nullptr || (frame.Parent->Flags & bxColumn) == 0 || frame.Insets.Top <= 0)
        return;
    const std::int32_t thick = std::max(1, doc.TwipsToPixelsY(SeparatorThickness));
    const std::int32_t inner = frame.PixelBounds.Width() - frame.PixelInsets.Left - frame.PixelInsets.Right;
    const std::int32_t length = std::min(doc.TwipsToPixelsX(SeparatorLength), inner);
    const std::int32_t left = x + frame.PixelInsets.Left;
    const std::int32_t top = y + std::max(0, (frame.PixelInsets.Top - thick) / 2);
    const std::int32_t color = PaintsDirectly(doc) ? TextColor() : ForDisplay(Silver);
    Fill(doc, dc, {left, top, left + length, top + thick}, color);
}

// Lines at the right edge of every column of a band but the last one, as
// long as the band's tallest column text.
void PaintColumnLines(TBox& band, Platform::HDC dc, std::int32_t x, std::int32_t y) {
    TDoc& doc = *band.Document;
    const bool direct = PaintsDirectly(doc);
    const std::int32_t length = doc.TwipsToPixelsY(band.ColumnContentHeight);
    const std::int32_t color = !direct && doc.EditedHeaderFooter != nullptr ? ForDisplay(Silver) : TextColor();
    const std::int32_t wide = direct ? std::max(1, doc.TwipsToPixelsX(ColumnLineWidth)) : 1;
    for (std::int32_t i = 0; i + 1 < band.Count; ++i) {
        const TBox* column = band.Child(i);
        if ((column->Flags & bxColumn) == 0)
            continue;
        const std::int32_t edge = x + column->PixelBounds.Right - (direct ? wide / 2 : 0);
        const std::int32_t top = y + column->PixelBounds.Top;
        Fill(doc, dc, {edge, top, edge + wide, top + length}, color);
    }
}

// The page's text area in pixels relative to the page: the side margins
// for its index, the header frame's bottom (or the top margin) and the
// footer frame's top (or the bottom margin).
struct TTextArea {
    std::int32_t Left, Top, Right, Bottom;
};

TTextArea TextAreaOf(const TPage& page, const TPageSetup& setup) {
    const TDoc& doc = *page.Document;
    std::int32_t left = 0, right = 0;
    PageSideMargins(setup, page.PageIndex, left, right);
    const std::int32_t width = page.PixelBounds.Width();
    const std::int32_t height = page.PixelBounds.Height();
    TTextArea area{doc.TwipsToPixelsX(left), doc.TwipsToPixelsY(setup.TopMargin), width - doc.TwipsToPixelsX(right),
                   height - doc.TwipsToPixelsY(setup.BottomMargin)};
    if (page.HeaderBox != nullptr && page.IndexOf(page.HeaderBox) >= 0)
        area.Top = page.HeaderBox->PixelBounds.Bottom;
    if (page.FooterBox != nullptr && page.IndexOf(page.FooterBox) >= 0)
        area.Bottom = page.FooterBox->PixelBounds.Top;
    return area;
}

// A corner of the margin stands apart from the bands beside it: each
// channel moves by 4, down from 64 and up below it.
std::int32_t CornerShade(std::int32_t color) {
    if (color == 0xFFFFFF)
        return color;
    std::int32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::int32_t channel = (color >> shift) & 0xFF;
        out |= (channel >= 64 ? channel - 4 : channel + 4) << shift;
    }
    return out;
}

// The page margins in the scheme's margin colour, when it has one of its
// own (the margin slot differs from the page background).
void PaintMarginTint(TPage& page, std::int32_t x, std::int32_t y) {
    const TDoc& doc = *page.Document;
    const std::int32_t margin = Opaque(PaletteSlotColor(csPageMargin));
    if (ServiceBitmap == nullptr || page.Section == nullptr || doc.ViewMode != vmPrintLayout ||
        margin == Opaque(PaletteSlotColor(csPageBackground)))
        return;
    TTextArea a = TextAreaOf(page, page.Section->PageSetup);
    const std::int32_t width = page.PixelBounds.Width();
    const std::int32_t height = page.PixelBounds.Height();
    if (doc.EditedHeaderFooter != nullptr) {
        a.Top = 0;
        a.Bottom = height;
    } else {
        a.Bottom += 1;
    }
    auto fill = [&](std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, std::int32_t color) {
        if (l < r && t < b)
            ServiceBitmap->FillBox(x + l, y + t, x + r, y + b, color);
    };
    fill(a.Left, 0, a.Right, a.Top, margin);
    fill(a.Left, a.Bottom, a.Right, height, margin);
    fill(0, a.Top, a.Left, a.Bottom, margin);
    fill(a.Right, a.Top, width, a.Bottom, margin);
    const std::int32_t corner = CornerShade(margin);
    fill(0, 0, a.Left, a.Top, corner);
    fill(a.Right, 0, width, a.Top, corner);
    fill(0, a.Bottom, a.Left, height, corner);
    fill(a.Right, a.Bottom, width, height, corner);
}

// Dotted lines around the text area: across the page above and below it,
// and down the whole page beside it.
void PaintTextBoundaries(TPage& page, std::int32_t x, std::int32_t y) {
    const TDoc& doc = *page.Document;
    if (ServiceBitmap == nullptr || page.Section == nullptr || doc.ViewMode != vmPrintLayout)
        return;
    const TTextArea a = TextAreaOf(page, page.Section->PageSetup);
    const std::int32_t width = page.PixelBounds.Width();
    const std::int32_t height = page.PixelBounds.Height();
    const std::int32_t color = Opaque(PaletteSlotColor(csPageMarginBorder));
    if (doc.EditedHeaderFooter == nullptr) {
        ServiceBitmap->HorzPatternLine(x, x + width, y + a.Top - 1, color, 0);
        ServiceBitmap->HorzPatternLine(x, x + width, y + a.Bottom + 1, color, 0);
    }
    ServiceBitmap->VertPatternLine(x + a.Left - 1, y, y + height, color, 0);
    ServiceBitmap->VertPatternLine(x + a.Right + 1, y, y + height, color, 0);
}

// The section whose text begins the page, and whether the page begins it.
TSection* PageSection(const TPage& page, bool& startsSection) {
    startsSection = false;
    TDoc& doc = *page.Document;
    const TLine* line = page.FirstLine((1u << stMain) | (1u << stFootnotes) | (1u << stEndnotes));
    if (line == nullptr || line->Par == nullptr)
        return page.Section;
    TSection* section = doc.SectionOfPar(line->Par->Index);
    startsSection = section != nullptr && line->Par->Index == section->FirstPar && line->FirstChar == 0;
    return section;
}

void DrawLabel(Platform::HDC dc,
               const std::string& text,
               const std::string& right,
               std::int32_t left,
               std::int32_t rightEdge,
               std::int32_t top,
               bool above,
               std::int32_t points) {
    Platform::TLogFont logFont;
    logFont.Height = -MulDiv(points, ModelOptions().ScreenPixelsPerInch, 72);
    logFont.FaceName = "Arial";
    Platform::HFONT font = Platform::CreateFontIndirect(logFont);
    Platform::HFONT old = Platform::SelectFont(dc, font);
    Platform::SetTextColor(dc, static_cast<Platform::TColorRef>(TextColor()));
    const int oldMode = Platform::SetBkMode(dc, Platform::TRANSPARENT);
    const Platform::TSize size = Platform::GetTextExtent(dc, text);
    const std::int32_t y = above ? top - size.cy : top;
    Platform::TextOut(dc, left, y, text);
    if (!right.empty()) {
        const Platform::TSize other = Platform::GetTextExtent(dc, right);
        Platform::TextOut(dc, rightEdge - other.cx, y, right);
    }
    Platform::SetBkMode(dc, oldMode);
    Platform::SelectFont(dc, old);
    Platform::DeleteFont(font);
}

// While headers and footers are edited: dotted lines around each frame and
// the label that names it.
void PaintHeaderFooterLabels(TPage& page, std::int32_t x, std::int32_t y) {
    TDoc& doc = *page.Document;
    if (ServiceBitmap == nullptr || ServiceBitmap->DC == nullptr)
        return;
    bool starts = false;
    const TSection* section = PageSection(page, starts);
    if (section == nullptr)
        return;
    const TPageSetup& setup = section->PageSetup;
    std::int32_t left = x + LabelInset;
    std::int32_t right = x + page.PixelBounds.Width() - LabelInset;
    if (DecorationOptions().ShowTextBoundaries) {
        left = x + doc.TwipsToPixelsX(setup.LeftMargin);
        right = x + page.PixelBounds.Width() - doc.TwipsToPixelsX(setup.RightMargin);
    }
    const std::int32_t lineColor = Opaque(PaletteSlotColor(csPageMarginBorder));
    const std::int32_t points = doc.Zoom <= 50 ? 7 : 8;
    for (const bool footer : {false, true}) {
        const TBox* frame = footer ? page.FooterBox : page.HeaderBox;
        if (frame == nullptr)
            continue;
        const std::int32_t top = y + frame->PixelBounds.Top;
        const std::int32_t bottom = y + frame->PixelBounds.Bottom;
        ServiceBitmap->HorzPatternLine(x, x + page.PixelBounds.Width(), top - 1, lineColor, 0);
        ServiceBitmap->HorzPatternLine(x, x + page.PixelBounds.Width(), bottom, lineColor, 0);
        THeaderFooterLabelCase c;
        c.Footer = footer;
        c.TitlePage = setup.DifferentFirstPage != 0;
        c.StartsSection = starts;
        c.DifferentOddEven = setup.FacingPages != 0;
        c.PageIndex = page.PageIndex;
        c.SectionNumber = section->Number + 1;
        c.SectionCount = doc.Sections.Count;
        const TField* shown = footer ? page.FooterField : page.HeaderField;
        bool own = false;
        for (const TField* slot : section->HeadersFooters)
            own = own || (slot != nullptr && slot == shown);
        DrawLabel(ServiceBitmap->DC, HeaderFooterLabel(c), own ? std::string() : "Same as Previous", left, right,
                  footer ? bottom + 2 : top - 2, !footer, points);
    }
}

// The handles of the table under the mouse, drawn in red just outside the
// corners of its cells: the move handle left of the top of the part where
// the table starts (a frame with a line across it ending in short ticks),
// the resize handle right of the bottom of the part where it ends (a frame).
void PaintTableHandles(TTableBox& table, Platform::HDC dc, std::int32_t x, std::int32_t y) {
    TDoc& doc = *table.Document;
    const TDecorationOptions& options = DecorationOptions();
    if (options.HotTablePar < 0 || table.FirstPar != options.HotTablePar || options.TableEdgeDragged)
        return;
    Platform::TRect cells{};
    bool any = false;
    for (std::int32_t i = 0; i < table.Count; ++i) {
        const TBox* cell = table.Child(i);
        if (cell->Kind != bkCell || (cell->Flags & (bxRowEnd | bxMergeContinue)) != 0)
            continue;
        const Platform::TRect& r = cell->PixelBounds;
        cells = any ? Platform::TRect{std::min(cells.Left, r.Left), std::min(cells.Top, r.Top),
                                      std::max(cells.Right, r.Right), std::max(cells.Bottom, r.Bottom)}
                    : r;
        any = true;
    }
    if (!any)
        return;
    const std::int32_t color = ForDisplay(TableHandleColor);
    const std::int32_t s = TableHandleSize;
    const auto frame = [&](const Platform::TRect& r) {
        Fill(doc, dc, {r.Left, r.Top, r.Right, r.Top + 1}, color);
        Fill(doc, dc, {r.Left, r.Bottom - 1, r.Right, r.Bottom}, color);
        Fill(doc, dc, {r.Left, r.Top, r.Left + 1, r.Bottom}, color);
        Fill(doc, dc, {r.Right - 1, r.Top, r.Right, r.Bottom}, color);
    };
    if ((table.Flags & bxTableStarts) != 0 && doc.ViewMode == vmPrintLayout) {
        const Platform::TRect move{x + cells.Left - s - TableHandleGap, y + cells.Top - s - TableHandleGap,
                                   x + cells.Left - TableHandleGap, y + cells.Top - TableHandleGap};
        frame(move);
        const std::int32_t middle = move.Top + s / 2;
        Fill(doc, dc, {move.Left + 2, middle, move.Right - 2, middle + 1}, color);
        Fill(doc, dc, {move.Left + 2, middle - 1, move.Left + 3, middle + 2}, color);
        Fill(doc, dc, {move.Right - 3, middle - 1, move.Right - 2, middle + 2}, color);
    }
    if ((table.Flags & bxTableEnds) != 0)
        frame({x + cells.Right + TableHandleGap, y + cells.Bottom + TableHandleGap,
               x + cells.Right + TableHandleGap + s, y + cells.Bottom + TableHandleGap + s});
}

// The hot table's parts on the page, each at its place.
void PaintPageTableHandles(TBox& box, Platform::HDC dc, std::int32_t x, std::int32_t y) {
    for (std::int32_t i = 0; i < box.Count; ++i) {
        TBox& child = *box.Child(i);
        const std::int32_t cx = x + child.PixelBounds.Left;
        const std::int32_t cy = y + child.PixelBounds.Top;
        if (child.Kind == bkTable)
            PaintTableHandles(static_cast<TTableBox&>(child), dc, cx, cy);
        else if (child.Kind != bkCell)
            PaintPageTableHandles(child, dc, cx, cy);
    }
}

// The paragraph the selected shapes are anchored in, when they all share
// one, or the anchor of the shape being dragged.
const TPar* MarkedAnchor(const TDoc& doc) {
    if (const TShape* dragged = DecorationOptions().DraggedShape)
        return dragged->AnchorPar;
    const TPar* anchor = nullptr;
    for (std::int32_t i = 0; i < doc.SelectedShapes.Count; ++i) {
        const auto* shape = static_cast<const TShape*>(doc.SelectedShapes.Items[i]);
        if (shape == nullptr || shape->AnchorPar == nullptr || (anchor != nullptr && shape->AnchorPar != anchor))
            return nullptr;
        anchor = shape->AnchorPar;
    }
    return anchor;
}

// The anchor marker beside the first line of the selected shapes' anchor
// paragraph, when that line is on this page: an anchor glyph drawn by
// inverting what is under it.
void PaintAnchorMarker(TPage& page, Platform::HDC dc, std::int32_t x, std::int32_t y) {
    TDoc& doc = *page.Document;
    const TPar* anchor = MarkedAnchor(doc);
    if (anchor == nullptr || anchor->LineCount() == 0)
        return;
    TLine* line = anchor->Lines->At<TLine>(0);
    if (line == nullptr || line->Box == nullptr || line->Box->Page() != &page)
        return;
    TAnchorMarkerPlace place;
    std::int32_t boxLeft = 0, boxTop = 0;
    for (const TBox* b = line->Box; b != nullptr && b != &page; b = b->Parent) {
        boxLeft += b->PixelBounds.Left;
        boxTop += b->PixelBounds.Top;
    }
    place.LineLeft = boxLeft + line->Box->PixelInsets.Left + doc.ApplyZoom(line->CharX(0));
    place.Top =
        boxTop + line->Box->PixelInsets.Top + doc.TwipsToPixelsY(line->Top) + doc.TwipsToPixelsY(line->SpaceBefore());
    place.InTable = anchor->Format.InTable == 1;
    place.PageWidth = page.PixelBounds.Width();
    place.PageHeight = page.PixelBounds.Height();
    place.Size = std::max(7, DecorationOptions().AnchorMarkerSize);
    for (std::int32_t i = 0; i < page.PlacedShapes.Count; ++i) {
        const TRect& r = page.PlacedShapes.At<TShape>(i)->Rect;
        place.Shapes.push_back({doc.TwipsToPixelsX(r.Left), doc.TwipsToPixelsY(r.Top), doc.TwipsToPixelsX(r.Right),
                                doc.TwipsToPixelsY(r.Bottom)});
    }
    const Platform::TRect marker = AnchorMarkerRect(place);
    Platform::HDC target = PaintsDirectly(doc) ? dc : (ServiceBitmap != nullptr ? ServiceBitmap->DC : nullptr);
    if (target == nullptr)
        return;
    // The glyph, on a grid of sevenths of the marker: a ring at the top, a
    // stock across, the shank down the middle, and the crown with its two
    // flukes at the bottom.
    const std::int32_t t = std::max(1, place.Size / 7);
    const std::int32_t l = x + marker.Left, tp = y + marker.Top;
    const Platform::TRect parts[] = {
        {l + 2 * t, tp, l + 5 * t, tp + t},              // ring
        {l + t, tp + 2 * t, l + 6 * t, tp + 3 * t},      // stock
        {l + 3 * t, tp + t, l + 4 * t, tp + 6 * t},      // shank
        {l + t, tp + 6 * t, l + 6 * t, tp + 7 * t},      // crown
        {l, tp + 4 * t, l + t, tp + 6 * t},              // left fluke
        {l + 6 * t, tp + 4 * t, l + 7 * t, tp + 6 * t},  // right fluke
    };
    for (const Platform::TRect& r : parts)
        Platform::InvertRect(target, r);
}

}  // namespace

Platform::TRect AnchorMarkerRect(const TAnchorMarkerPlace& place) {
    const std::int32_t m = place.Size;
    std::int32_t left = place.LineLeft - 8 * m / 3;
    if (place.InTable)
        left = std::max(left, place.LineLeft - m / 3);
    left = std::clamp(left, 0, std::max(place.PageWidth - m, 0));
    const std::int32_t top = std::clamp(place.Top, 0, std::max(place.PageHeight - m, 0));
    // Left of every shape it would cover; a shape at the page's left edge
    // leaves it at the edge.
    for (std::size_t pass = 0; pass <= place.Shapes.size(); ++pass) {
        bool moved = false;
        for (const Platform::TRect& shape : place.Shapes) {
            const bool covers =
                left < shape.Right && left + m > shape.Left && top < shape.Bottom && top + m > shape.Top;
            if (covers && shape.Left - m < left && shape.Left - m >= 0) {
                left = shape.Left - m;
                moved = true;
            }
        }
        if (!moved)
            break;
    }
    return {left, top, left + m, top + m};
}

TDecorationOptions& DecorationOptions() {
    static TDecorationOptions options;
    return options;
}

void InstallPageDecorations() {
    BoxDecorationPainter = PaintBoxDecorations;
}

std::string HeaderFooterLabel(const THeaderFooterLabelCase& c) {
    std::string label;
    if (c.TitlePage && c.StartsSection)
        label = "First Page ";
    else if (c.DifferentOddEven)
        label = c.PageIndex % 2 != 0 ? "Even Page " : "Odd Page ";
    label += c.Footer ? "Footer" : "Header";
    if (c.SectionCount > 1) {
        char buffer[80];
        std::snprintf(buffer, sizeof buffer, "Section %d %s", static_cast<int>(c.SectionNumber), label.c_str());
        label = buffer;
    }
    return label;
}

void PaintBoxDecorations(TBox& box, Platform::HDC dc, std::int32_t x, std::int32_t y, int when) {
    if (box.Document == nullptr)
        return;
    TDoc& doc = *box.Document;
    if (when == 1) {
        if (box.Kind == bkTable)
            PaintTableBorders(static_cast<TTableBox&>(box), dc, x, y, ShowsGridlines(doc));
        else if ((box.Flags & bxBand) != 0 && box.ColumnContentHeight != 0)
            PaintColumnLines(box, dc, x, y);
        else if ((box.Flags & bxFrame) != 0 && (box.Story == stFootnotes || box.Story == stEndnotes))
            PaintNoteSeparator(box, dc, x, y);
        return;
    }
    if (when == 0 && box.Kind == bkPage && !PaintsDirectly(doc)) {
        PaintMarginTint(static_cast<TPage&>(box), x, y);
        if (DecorationOptions().ShowTextBoundaries)
            PaintTextBoundaries(static_cast<TPage&>(box), x, y);
        return;
    }
    if (when == 2 && box.Kind == bkPage && !PaintsDirectly(doc) && doc.EditedHeaderFooter != nullptr &&
        doc.ViewMode == vmPrintLayout)
        PaintHeaderFooterLabels(static_cast<TPage&>(box), x, y);
    if (when == 2 && box.Kind == bkPage) {
        // The handles stand outside the table's box, whose painting is
        // clipped to it: they are drawn over the finished page.
        if (DecorationOptions().HotTablePar >= 0)
            PaintPageTableHandles(box, dc, x, y);
        PaintAnchorMarker(static_cast<TPage&>(box), dc, x, y);
    }
}
