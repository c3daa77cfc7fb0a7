#include "layout/painting/TableBorders.h"

#include <algorithm>

#include "base/graphics/TServiceBitmap.h"
#include "layout/boxes/TCellBox.h"
#include "layout/boxes/TTableBox.h"
#include "layout/painting/BoxPainting.h"
#include "model/document/TDoc.h"
#include "model/managers/TColorManager.h"
#include "platform/DeviceContexts.h"
#include "platform/Screen.h"

namespace {

// The kind of border that draws nothing, as opposed to 0, unset.
constexpr std::int32_t NoneBorderKind = 255;
// A gridline stands for a border that draws nothing: 10 twips of grey.
constexpr std::int32_t GridlineWidth = 10;
constexpr std::int32_t GridlineColor = 0x808080;
// Every border of a dimmed table shows in silver on the screen.
constexpr std::int32_t DimmedBorderColor = 0xC0C0C0;
// The segment buffer starts large enough for ordinary tables, so that it
// seldom grows during a paint.
constexpr std::size_t InitialSegments = 262144 / sizeof(TBorderSegment);

bool SameLine(const TBorderSegment& a, const TBorderSegment& b) {
    return a.Kind == b.Kind && a.Line == b.Line;
}

// A colour for painting: system colours read now, automatic ones the
// palette's text colour.
std::int32_t PaintColor(std::int32_t color) {
    if (color == AutomaticTableColor)
        color = PaletteSlotColor(csAutoText);
    if (color < 0)
        return static_cast<std::int32_t>(Platform::GetSysColor(color & 0xFF) & 0xFFFFFF);
    return color & 0xFFFFFF;
}

std::int32_t ForDisplay(std::int32_t color) {
    return ColorManager != nullptr && ColorManager->CurrentPalette != nullptr ? ColorManager->DisplayColor(color)
                                                                              : color;
}

}  // namespace

bool BorderIsSet(const TTableBorder& border) {
    return border.Kind != 0 && border.Kind != NoneBorderKind && border.Width > 0;
}

bool BorderStronger(const TTableBorder& a, const TTableBorder& b) {
    const bool setA = BorderIsSet(a), setB = BorderIsSet(b);
    if (setA != setB)
        return setA;
    if (a.Width != b.Width)
        return a.Width > b.Width;
    if (a.Kind != b.Kind && (a.Kind == brSingle || b.Kind == brSingle))
        return a.Kind == brSingle;
    // Automatic colours compare as black, the colour they paint in.
    const std::uint32_t colorA = a.Color == AutomaticTableColor ? 0 : static_cast<std::uint32_t>(a.Color);
    const std::uint32_t colorB = b.Color == AutomaticTableColor ? 0 : static_cast<std::uint32_t>(b.Color);
    return colorA < colorB;
}

void TBorderSegments::Add(const TBorderSegment& segment) {
    if (segment.End <= segment.Start)
        return;
    if (Segments.capacity() < InitialSegments)
        Segments.reserve(InitialSegments);
    // The pieces of the line's segments that the new one does not cover
    // stay; where they overlap, the stronger border takes the overlap; the
    // new segment fills whatever of its stretch nothing covered.
    Scratch.clear();
    std::vector<std::pair<std::int32_t, std::int32_t>> covered;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < Segments.size(); ++i) {
        const TBorderSegment& old = Segments[i];
        if (!SameLine(old, segment) || old.End <= segment.Start || old.Start >= segment.End) {
            Segments[kept++] = old;
            continue;
        }
        const std::int32_t from = std::max(old.Start, segment.Start);
        const std::int32_t to = std::min(old.End, segment.End);
        if (old.Start < from) {
            TBorderSegment left = old;
            left.End = from;
            Scratch.push_back(left);
        }
        if (old.End > to) {
            TBorderSegment right = old;
            right.Start = to;
            Scratch.push_back(right);
        }
        TBorderSegment middle = BorderStronger(segment.Border, old.Border) ? segment : old;
        middle.Start = from;
        middle.End = to;
        Scratch.push_back(middle);
        covered.emplace_back(from, to);
    }
    Segments.resize(kept);
    std::sort(covered.begin(), covered.end());
    std::int32_t at = segment.Start;
    for (const auto& [from, to] : covered) {
        if (from > at) {
            TBorderSegment gap = segment;
            gap.Start = at;
            gap.End = from;
            Scratch.push_back(gap);
        }
        at = std::max(at, to);
    }
    if (at < segment.End) {
        TBorderSegment rest = segment;
        rest.Start = at;
        Scratch.push_back(rest);
    }
    Segments.insert(Segments.end(), Scratch.begin(), Scratch.end());
}

void TBorderSegments::Finish() {
    std::sort(Segments.begin(), Segments.end(), [](const TBorderSegment& a, const TBorderSegment& b) {
        if (a.Kind != b.Kind)
            return a.Kind < b.Kind;
        if (a.Line != b.Line)
            return a.Line < b.Line;
        return a.Start < b.Start;
    });
    std::size_t kept = 0;
    for (std::size_t i = 0; i < Segments.size(); ++i) {
        if (kept > 0) {
            TBorderSegment& last = Segments[kept - 1];
            const TBorderSegment& next = Segments[i];
            if (SameLine(last, next) && last.End == next.Start && last.Border == next.Border) {
                last.End = next.End;
                continue;
            }
        }
        Segments[kept++] = Segments[i];
    }
    Segments.resize(kept);
    std::stable_sort(Segments.begin(), Segments.end(), [](const TBorderSegment& a, const TBorderSegment& b) {
        return BorderStronger(b.Border, a.Border);
    });
}

void CollectTableBorders(const TTableBox& table, bool gridlines, TBorderSegments& out) {
    const TDoc& doc = *table.Document;
    const bool draft = doc.ViewMode != vmPrintLayout;
    const TTableBorder grid{GridlineWidth, NoneBorderKind, GridlineColor, 0};
    for (std::int32_t i = 0; i < table.Count; ++i) {
        const TBox* child = table.Child(i);
        if (child->Kind != bkCell || (child->Flags & (bxRowEnd | bxMergeContinue)) != 0)
            continue;
        const auto& cell = static_cast<const TCellBox&>(*child);
        const TTableCell* record = CellRecordOf(cell);
        if (record == nullptr)
            continue;
        const Platform::TRect& r = cell.PixelBounds;
        const bool top = !draft || ((cell.Flags & bxCellStarts) != 0 &&
                                    ((cell.Flags & bxFirstRow) == 0 || (table.Flags & bxTableStarts) != 0));
        const bool bottom = !draft || (cell.Flags & bxCellComplete) != 0;
        auto add = [&](int side, std::uint8_t kind, std::int32_t line, std::int32_t start, std::int32_t end) {
            const TTableBorder& border = record->Borders[side];
            if (BorderIsSet(border))
                out.Add({kind, border, line, start, end});
            else if (gridlines)
                out.Add({kind, grid, line, start, end});
        };
        add(tbLeft, bsVertical, r.Left, r.Top, r.Bottom);
        add(tbRight, bsVertical, r.Right, r.Top, r.Bottom);
        if (top)
            add(tbTop, bsHorizontal, r.Top, r.Left, r.Right);
        if (bottom)
            add(tbBottom, bsHorizontal, r.Bottom, r.Left, r.Right);
    }
    out.Finish();
}

void PaintTableBorders(TTableBox& table, Platform::HDC dc, std::int32_t x, std::int32_t y, bool gridlines) {
    TDoc& doc = *table.Document;
    const bool direct = PaintsDirectly(doc);
    if (!direct && ServiceBitmap == nullptr)
        return;
    // Kept between paints: the buffer only grows.
    static TBorderSegments segments;
    segments.Clear();
    CollectTableBorders(table, gridlines && !direct, segments);
    const bool dimmed =
        !direct && table.FirstPar >= 0 && table.FirstPar < doc.ParCount() && doc.IsParDimmed(table.FirstPar);
    const std::int32_t width = table.PixelBounds.Width();
    const std::int32_t height = table.PixelBounds.Height();
    for (const TBorderSegment& s : segments.All()) {
        const bool horizontal = s.Kind == bsHorizontal;
        if (s.Border.Kind == NoneBorderKind) {
            const std::int32_t color = ForDisplay(GridlineColor);
            if (horizontal)
                ServiceBitmap->HorzPatternLine(x + std::max(s.Start, 0), x + std::min(s.End, width),
                                               y + std::clamp(s.Line, 0, height - 1), color, 0);
            else
                ServiceBitmap->VertPatternLine(x + std::clamp(s.Line, 0, width - 1), y + std::max(s.Start, 0),
                                               y + std::min(s.End, height), color, 0);
            continue;
        }
        const std::int32_t thick =
            std::max(1, horizontal ? doc.TwipsToPixelsY(s.Border.Width) : doc.TwipsToPixelsX(s.Border.Width));
        // Centred on its line, and reaching half its thickness past either
        // end, so that the lines of a corner meet.
        const std::int32_t across = s.Line - thick / 2;
        Platform::TRect r = horizontal
                                ? Platform::TRect{s.Start - thick / 2, across, s.End + (thick + 1) / 2, across + thick}
                                : Platform::TRect{across, s.Start - thick / 2, across + thick, s.End + (thick + 1) / 2};
        // Along the line the segment is cut at the table box's edges;
        // across it, a line on the box's edge (the top of the first row,
        // the bottom of the last) is moved inside rather than cut, so that
        // a thin border there keeps its pixel.
        r.Left = std::clamp(r.Left, 0, width);
        r.Right = std::clamp(r.Right, 0, width);
        r.Top = std::clamp(r.Top, 0, height);
        r.Bottom = std::clamp(r.Bottom, 0, height);
        if (horizontal) {
            const std::int32_t top = std::clamp(across, 0, std::max(height - thick, 0));
            r.Top = top;
            r.Bottom = std::min(top + thick, height);
        } else {
            const std::int32_t left = std::clamp(across, 0, std::max(width - thick, 0));
            r.Left = left;
            r.Right = std::min(left + thick, width);
        }
        if (r.IsEmpty())
            continue;
        r = {r.Left + x, r.Top + y, r.Right + x, r.Bottom + y};
        const std::int32_t color = dimmed ? ForDisplay(DimmedBorderColor) : PaintColor(s.Border.Color);
        if (direct) {
            if (dc == nullptr)
                continue;
            Platform::HBRUSH brush = Platform::CreateSolidBrush(static_cast<Platform::TColorRef>(color));
            Platform::FillRect(dc, r, brush);
            Platform::DeleteBrush(brush);
        } else {
            ServiceBitmap->FillRect(r, color);
        }
    }
}
