// Painting one laid-out line: the order of the steps behind the text, the
// text pass (TLinePaintText.cpp) and the steps after it. The decorations
// themselves are in LineDecorations.cpp.

#include <algorithm>

#include "base/core/Geometry.h"
#include "base/graphics/Colors.h"
#include "base/graphics/DrawingHelpers.h"
#include "base/graphics/TServiceBitmap.h"
#include "layout/boxes/TBox.h"
#include "layout/lines/LineLayout.h"
#include "layout/painting/TLinePainter.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/managers/TColorManager.h"
#include "model/managers/TFontManager.h"
#include "model/managers/TSharedFont.h"
#include "model/managers/TTabManager.h"
#include "model/paragraphs/TPar.h"
#include "platform/DeviceContexts.h"
#include "platform/Fonts.h"
#include "platform/Heap.h"
#include "platform/Regions.h"

TLinePaintOptions& LinePaintOptions() {
    static TLinePaintOptions options;
    return options;
}

TLinePaintHooks& LinePaintHooks() {
    static TLinePaintHooks hooks;
    return hooks;
}

void AddRectToRegion(Platform::HRGN& region, const Platform::TRect& rect) {
    if (region == nullptr)
        return;
    TRect r{rect.Left, rect.Top, rect.Right, rect.Bottom};
    if (ServiceBitmap != nullptr)
        ServiceBitmap->ClipToBounds(r);
    if (r.Right <= r.Left || r.Bottom <= r.Top)
        return;
    Platform::HRGN piece = Platform::CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom);
    Platform::CombineRgn(region, region, piece, Platform::RGN_OR);
    Platform::DeleteRegion(piece);
}

namespace {

// The heap size above which per-paragraph painting caches are let go.
constexpr std::int64_t MemoryPressureBytes = std::int64_t{1} << 30;

// Clears the painting flag however the paint ends.
class TPaintingFlag {
public:
    explicit TPaintingFlag(TLine& line) : Line(line) { Line.Flags |= lfPainting; }
    TPaintingFlag(const TPaintingFlag&) = delete;
    TPaintingFlag& operator=(const TPaintingFlag&) = delete;
    ~TPaintingFlag() { Line.Flags &= ~lfPainting; }

private:
    TLine& Line;
};

// The glyph a character is painted with while formatting marks are shown.
std::uint8_t MarkGlyphOf(std::uint8_t c, bool spaces) {
    switch (c) {
        case ' ':
            return spaces ? 183 : ' ';
        case chEnSpace:
        case chEmSpace:
        case chQuarterEmSpace:
            return spaces ? 149 : ' ';
        default:
            return MarkGlyphs[c] != 0 ? MarkGlyphs[c] : c;
    }
}

// The zoomed x of every character boundary of a line: the zoomed start of
// the line plus the widths layout measured at the zoom, exactly as
// TLine::CharX counts them before it scales back to 100 %.
void ZoomedPositions(TLine& line, std::vector<std::int32_t>& xs, std::vector<std::int32_t>& advances) {
    line.PrepareZoomWidths();
    const TDoc& doc = DocOfPar(*line.Par);
    const auto* widths = reinterpret_cast<const std::uint16_t*>(line.Par->LayoutScratch->Data + 4) + line.FirstChar;
    const std::int64_t start = static_cast<std::int64_t>(line.Positions[1]) * std::max(1, doc.ZoomInForce);
    std::int64_t x = start / 1600 + (start % 1600 > 800 ? 1 : 0);
    xs.resize(static_cast<std::size_t>(line.CharCount) + 1);
    advances.resize(static_cast<std::size_t>(line.CharCount));
    for (std::int32_t k = 0; k < line.CharCount; ++k) {
        xs[static_cast<std::size_t>(k)] = static_cast<std::int32_t>(x);
        advances[static_cast<std::size_t>(k)] = widths[k];
        x += widths[k];
    }
    xs[static_cast<std::size_t>(line.CharCount)] = static_cast<std::int32_t>(x);
}

bool ParIsInDoc(const TPar& par, const TDoc& doc) {
    return par.Owner == &doc && par.Index >= 0 && par.Index < doc.ParCount() && doc.Par(par.Index) == &par;
}

}  // namespace

void TLine::Paint(Platform::TDeviceContext* dc, std::int32_t x, std::int32_t y) {
    // A line whose characters are not all in its paragraph any more (its
    // paragraph changed and is not laid out again yet) is not painted.
    if (dc == nullptr || FontManager == nullptr || Par == nullptr || Positions == nullptr || FirstChar < 0 ||
        CharCount < 0 || FirstChar + CharCount > Par->CharCount())
        return;
    TLinePainter painter(*this, dc, x, y);
    painter.Paint();
}

TLinePainter::TLinePainter(TLine& line, Platform::HDC dc, std::int32_t x, std::int32_t y)
    : Line(line), Par(*line.Par), Doc(DocOfPar(*line.Par)), DC(dc), X(x), Y(y) {}

std::int32_t TLinePainter::Pixels(std::int32_t twips) const {
    return Doc.TwipsToPixelsY(twips);
}

std::int32_t TLinePainter::PixelsX(std::int32_t twips) const {
    return Doc.TwipsToPixelsX(twips);
}

bool TLinePainter::IntoServiceBitmap() const {
    return !Printing && ServiceBitmap != nullptr && ServiceBitmap->DC == DC && ServiceBitmap->Bits != nullptr;
}

void TLinePainter::Fill(const Platform::TRect& rect, std::int32_t color) {
    if (rect.Right <= rect.Left || rect.Bottom <= rect.Top)
        return;
    if (IntoServiceBitmap())
        ServiceBitmap->FillBox(rect.Left, rect.Top, rect.Right, rect.Bottom, static_cast<TColor>(color));
    else
        FillSolidRect(DC, {rect.Left, rect.Top, rect.Right, rect.Bottom}, static_cast<TColor>(color));
}

void TLinePainter::Paint() {
    Printing = Doc.StateFlags[sfPreviewDocument] != 0;
    if (!Printing && LinePaintHooks().PendingUpdateRegion != nullptr) {
        // Lines away from what is still to be painted cost nothing.
        Platform::HRGN pending = LinePaintHooks().PendingUpdateRegion(Doc);
        if (pending != nullptr) {
            const std::int32_t width = Line.Box != nullptr ? Line.Box->PixelBounds.Right - Line.Box->PixelBounds.Left
                                                           : PixelsX(Line.WidthLimit);
            const Platform::TRect around{X - 5, Y - 5, X + width + 5, Y + Line.HeightPixels(nullptr) + 5};
            if (!Platform::RectInRegion(pending, around))
                return;
        }
    }
    const TPaintingFlag painting(Line);
    Prepare();
    PaintBehind();
    TLineTextPass(*this).Run();
    PaintAfter();
}

void TLinePainter::Prepare() {
    const TLinePaintOptions& options = LinePaintOptions();
    Proxy = (Par.Flags & pfProxy) != 0;
    const bool hides = LinePaintHooks().HidesMarks != nullptr && LinePaintHooks().HidesMarks(Doc);
    ShowMarks = options.ShowMarks && !hides && !Printing;
    MarkKinds = options.MarkKinds;
    ZoomedPositions(Line, ZoomedX, Advances);
    if (Line.Box != nullptr) {
        Inset = Line.Box->PixelInsets.Left;
        BoxWidth = Line.Box->PixelBounds.Right - Line.Box->PixelBounds.Left;
    } else {
        // A line laid out on its own: its limit ends at the right indent.
        BoxWidth = PixelsX(Line.WidthLimit + std::max<std::int32_t>(0, Par.Format.RightIndent));
    }
    const TPar& real = Proxy && Par.LabelOwner != nullptr ? *Par.LabelOwner : Par;
    Dimmed = ParIsInDoc(real, Doc) && Doc.IsParDimmed(real.Index);
    if (!Dimmed && Doc.SpotlightActive() && LinePaintHooks().OutsideSpotlight != nullptr)
        Dimmed = LinePaintHooks().OutsideSpotlight(Doc, Line);
    Background = real.Format.Shading >= 0 ? real.Format.Shading : AutoColor;
    MarksInSpecialColor = ColorManager != nullptr && ColorManager->CurrentPalette == ColorManager->ScreenPalette &&
                          options.SchemeSpecialSymbol != -1 && !Dimmed;
    Glyphs.assign(Par.Chars.Data + Line.FirstChar, Par.Chars.Data + Line.FirstChar + Line.CharCount);
    if (ShowMarks)
        for (std::uint8_t& c : Glyphs)
            c = MarkGlyphOf(c, MarksShown(mkSpaces));
}

void TLinePainter::PaintBehind() {
    const bool dropCap = (Line.Flags & lfDropCap) != 0;
    const bool rowStart = (Line.Flags & lfWrapPiece) == 0 || (Line.Flags & lfWrapRowFirst) != 0;
    if (Par.Format.Shading >= 0 && !Proxy && !dropCap && rowStart)
        PaintShading();
    if (!Proxy && Line.ShowsListLabel())
        PaintListLabel();
    if (!Proxy && Line.LineNumber > 0)
        PaintLineNumber();
    Doc.LoadCharFormat(Line.StartFormat, Format);
    FontDirty = true;
    if ((Line.Flags & lfHighlight) != 0 && !Proxy)
        PaintHighlight();
    PaintFieldShading();
    if (OnScreen())
        PaintHighlightLayers();
    PaintKeepSquare();
    PaintCollapseBox();
}

// The label paragraph's first line is painted with this same operation,
// standing in this line's box with this line's metrics, so that its
// baseline is the text's.
void TLinePainter::PaintListLabel() {
    TPar& labelPar = *Par.LabelPar;
    TLine& label = *labelPar.Lines->At<TLine>(0);
    std::vector<std::int32_t> labelX;
    std::vector<std::int32_t> labelAdvances;
    ZoomedPositions(label, labelX, labelAdvances);
    const std::int32_t dx = ZX(0) - labelX.back();
    const std::int8_t alignment = labelPar.Format.Alignment;
    TBox* box = label.Box;
    const std::int32_t ascent = label.Ascent, descent = label.Descent, baseAscent = label.BaseAscent;
    const std::int32_t height = label.Height;
    labelPar.Format.Alignment = 0;
    label.Box = Line.Box;
    label.Ascent = Line.Ascent;
    label.Descent = Line.Descent;
    label.BaseAscent = Line.BaseAscent;
    label.Height = Line.Height;
    label.Paint(DC, X + dx, Y);
    label.Box = box;
    label.Ascent = ascent;
    label.Descent = descent;
    label.BaseAscent = baseAscent;
    label.Height = height;
    labelPar.Format.Alignment = alignment;
}

// The number stands right-aligned at the section's line-number distance
// left of the text, on the line's baseline, in the label format.
void TLinePainter::PaintLineNumber() {
    if (!ParIsInDoc(Par, Doc))
        return;
    TSection* section = Doc.SectionOfPar(Par.Index);
    if (section == nullptr)
        return;
    const std::int32_t step = section->PageSetup.LineNumberStep;
    if (step <= 0 || Line.LineNumber % step != 0)
        return;
    std::int32_t distance = section->PageSetup.LineNumberDistance;
    if (distance == 0)
        distance = section->Format.ColumnCount >= 2 ? 180 : 360;
    TCharFormat format = LabelCharFormat;
    format[caSize] = Format[caSize] > 0 && Format[caSize] != UnsetValue ? Format[caSize] : 20;
    if (FontManager == nullptr)
        return;
    FontManager->SelectFont(format, Doc.FontHeightPixels(format[caSize]), DC, true, true);
    const std::string text = std::to_string(Line.LineNumber);
    const Platform::TSize size = Platform::GetTextExtent(DC, text);
    Platform::SetBkMode(DC, Platform::TRANSPARENT);
    Platform::SetTextColor(DC, static_cast<Platform::TColorRef>(TextColor()));
    const std::int32_t top = Y + LineBaseline() - CurrentSharedFont->Metrics.Ascent;
    Platform::TextOut(DC, X - PixelsX(distance) - size.cx, top, text);
    FontDirty = true;
}

void TLinePainter::PaintHighlightLayers() {
    if (Proxy || !ParIsInDoc(Par, Doc))
        return;
    // Lines of headers and footers carry a highlight only while they are
    // being edited.
    if (Doc.StoryOfPar(Par.Index) == stHeadersFooters && Doc.EditedHeaderFooter == nullptr)
        return;
    Platform::HRGN* regions[HighlightLayerCount] = {&Doc.SelectionRgn, &Doc.MarkedRgn, &Doc.MatchRgn,
                                                    &Doc.FindResultsRgn};
    const std::int32_t lineStart = Line.FirstChar;
    const std::int32_t lineEnd = Line.FirstChar + Line.CharCount;
    const std::int32_t height = Line.HeightPixels(nullptr);
    for (int layer = 0; layer < HighlightLayerCount; ++layer) {
        if (*regions[layer] == nullptr)
            continue;
        const TCompoundFragment* set = layer == hlSelection ? Doc.Selection
                                       : LinePaintHooks().LayerRanges != nullptr
                                           ? LinePaintHooks().LayerRanges(Doc, layer)
                                           : nullptr;
        if (IsEmptyCompoundFragment(set))
            continue;
        // The ranges are sorted by their start: bisect to the first that
        // may reach this paragraph, then walk on while they start in it.
        std::int32_t lo = 0, hi = set->Count();
        while (lo < hi) {
            const std::int32_t mid = (lo + hi) / 2;
            if (set->Fragment(mid).End.Par < Par.Index)
                lo = mid + 1;
            else
                hi = mid;
        }
        for (std::int32_t i = lo; i < set->Count(); ++i) {
            const TFragment& f = set->Fragment(i);
            if (f.Start.Par > Par.Index)
                break;
            if (f.End.Par < Par.Index)
                continue;
            const std::int32_t s = f.Start.Par < Par.Index ? 0 : f.Start.Offset;
            const std::int32_t e = f.End.Par > Par.Index ? Par.CharCount() : f.End.Offset;
            const std::int32_t from = std::max(s, lineStart);
            const std::int32_t to = std::min(e, lineEnd);
            if (from > to || (from == to && (s != e || from == lineEnd)))
                continue;
            const std::int32_t left = DX(from - lineStart);
            const std::int32_t right = std::max(left + 2, DX(to - lineStart));
            AddRectToRegion(*regions[layer], {left, Y, right, Y + height});
        }
    }
}

// Keep with next, keep together, page break before and suppressed line
// numbers show as a small square left of the paragraph's first line.
void TLinePainter::PaintKeepSquare() {
    if (!ShowMarks || Proxy || Line.IndexInPar != 0)
        return;
    const TParFormat& f = Par.Format;
    if (f.KeepWithNext <= 0 && f.KeepTogether <= 0 && f.PageBreakBefore <= 0 && f.SuppressLineNumbers <= 0)
        return;
    const std::int32_t s = std::max(1, Pixels(60));
    std::int32_t x0 = Line.Positions[1] / 16;
    if (Line.ShowsListLabel())
        x0 = Par.LabelPar->Lines->At<TLine>(0)->Positions[1] / 16;
    const std::int32_t left = std::max(std::max(2, s / 3), Doc.ApplyZoom(std::min(0, x0)) + Inset - 2 * s) + X;
    const std::int32_t textHeight = Doc.ApplyZoom((Line.Ascent + Line.Descent) / 16);
    const std::int32_t top = Y + Pixels(Line.SpaceBefore()) + (textHeight - s) / 2;
    const std::int32_t color =
        Dimmed ? (ColorManager != nullptr ? ColorManager->DisplayColor(0xC0C0C0) : 0xC0C0C0) : MarkColor();
    Fill({left, top, left + s, top + s}, color);
}

// The box that folds or unfolds a heading: a minus while the pointer is
// over an unfolded heading, a plus on a folded one.
void TLinePainter::PaintCollapseBox() {
    const TLinePaintHooks& hooks = LinePaintHooks();
    if (Proxy || Doc.EditedHeaderFooter != nullptr || hooks.HasCollapsibleContent == nullptr || !Line.StartsParText())
        return;
    const bool collapsed = Par.Format.Collapsed > 0;
    const bool underPointer = hooks.HeadingUnderPointer != nullptr && hooks.HeadingUnderPointer(Doc) == &Par;
    if ((!collapsed && !underPointer) || !hooks.HasCollapsibleContent(Doc, Par))
        return;
    constexpr std::int32_t Side = 9;
    std::int32_t left = DX(0) - 2 * Side;
    if (Line.ShowsListLabel()) {
        TLine& label = *Par.LabelPar->Lines->At<TLine>(0);
        std::vector<std::int32_t> labelX;
        std::vector<std::int32_t> labelAdvances;
        ZoomedPositions(label, labelX, labelAdvances);
        left -= labelX.back() - labelX.front();
    }
    const std::int32_t textHeight = Doc.ApplyZoom((Line.Ascent + Line.Descent) / 16);
    const std::int32_t top = Y + Pixels(Line.SpaceBefore()) + (textHeight - Side) / 2;
    const std::int32_t color = ColorManager != nullptr ? ColorManager->DisplayColor(0x0000FF) : 0x0000FF;
    Fill({left, top, left + Side, top + Side},
         ColorManager != nullptr ? ColorManager->SlotColor(csPageBackground) : 0xFFFFFF);
    Fill({left + 2, top + Side / 2, left + Side - 2, top + Side / 2 + 1}, color);
    if (collapsed)
        Fill({left + Side / 2, top + 2, left + Side / 2 + 1, top + Side - 2}, color);
    Fill({left, top, left + Side, top + 1}, color);
    Fill({left, top + Side - 1, left + Side, top + Side}, color);
    Fill({left, top, left + 1, top + Side}, color);
    Fill({left + Side - 1, top, left + Side, top + Side}, color);
}

void TLinePainter::PaintAfter() {
    const bool rowStart = (Line.Flags & lfWrapPiece) == 0 || (Line.Flags & lfWrapRowFirst) != 0;
    // Bar tabs are no stops: they stand as thin inverted strips.
    if (Par.Format.Tabs > 0 && !Proxy && rowStart && TabManager != nullptr && Par.Format.Tabs < TabManager->Count) {
        const TTabTable& table = *TabManager->Table(Par.Format.Tabs);
        const std::int32_t width = std::max(1, PixelsX(20));
        const std::int32_t height = Line.HeightPixels(nullptr);
        for (std::int32_t i = 0; i < table.Count; ++i) {
            std::int32_t position = 0;
            std::uint8_t kind = 0, leader = 0;
            UnpackTabStop(table.Stop(i), position, kind, leader);
            if (kind != taBar)
                continue;
            const std::int32_t left = PixelsX(position) + X + Inset;
            Platform::InvertRect(DC, {left, Y, left + width, Y + height});
        }
    }
    if (!Underlines.empty())
        PaintUnderlines();
    if (OnScreen() && !Proxy && SpellMarksDue())
        PaintSpellMarks();
    if (Par.Format.Borders > 0 && !Proxy && (Line.Flags & lfDropCap) == 0)
        PaintBorders();
    // Under memory pressure the paragraph's zoomed widths go as soon as its
    // last line is painted; the next paint measures them again.
    if (Platform::AllocatedHeapBytes() > MemoryPressureBytes && Line.IndexInPar == Par.LineCount() - 1)
        Par.LayoutScratch.reset();
}
