// The decorations painted around the text of one line: the paragraph's
// shading and borders, the highlight and field-shading bands, the
// underlines recorded while the text was drawn, and the spelling marks.

#include <algorithm>

#include "base/core/Geometry.h"
#include "base/core/ObjectHandles.h"
#include "base/graphics/Colors.h"
#include "base/graphics/DrawingHelpers.h"
#include "base/graphics/Lightening.h"
#include "base/graphics/TServiceBitmap.h"
#include "layout/boxes/TBox.h"
#include "layout/lines/LineLayout.h"
#include "layout/painting/TLinePainter.h"
#include "model/document/TDoc.h"
#include "model/fields/TField.h"
#include "model/formats/BorderSets.h"
#include "model/formats/FormatStream.h"
#include "model/managers/TColorManager.h"
#include "model/managers/TFontManager.h"
#include "model/managers/TSharedFont.h"
#include "model/paragraphs/TPar.h"
#include "platform/DeviceContexts.h"
#include "platform/Heap.h"

namespace {

constexpr std::int32_t FieldShadingColor = 0xC0C0C0;
constexpr std::int32_t ShadowColor = 0xC0C0C0;
constexpr std::int32_t EmbossColor = 0x808080;
constexpr std::int32_t DefaultSpellColor = 0x0000FF;

bool IsSet(std::int32_t value) {
    return value != UnsetValue && value > 0;
}

bool HasBorder(const TBorder& border) {
    return border.Type != NoBorderType && border.Type != UnsetValue;
}

bool InDoc(const TPar& par, const TDoc& doc) {
    return par.Owner == &doc && par.Index >= 0 && par.Index < doc.ParCount() && doc.Par(par.Index) == &par;
}

bool IsLastLineOfPar(const TLine& line) {
    return line.FirstChar + line.CharCount >= line.Par->CharCount() || (line.Flags & lfWrapLastRow) != 0;
}

// Underline kinds drawn as patterns of segments, and their families.
bool IsThickPattern(std::int32_t kind) {
    return kind == ulThickDotted || kind == ulThickDashed || kind == ulThickDotDash || kind == ulThickDotDotDash ||
           kind == ulThickLongDash;
}

bool IsThinPattern(std::int32_t kind) {
    return kind == ulDotted || kind == ulDashed || kind == ulDotDash || kind == ulDotDotDash || kind == ulLongDash;
}

// The vertical offset class merging compares: lowered, none, or the same
// raise.
std::int32_t OffsetClass(std::int32_t offset) {
    if (offset == UnsetValue || offset == 0)
        return 0;
    return offset < 0 ? -1 : offset;
}

bool Mergeable(const TUnderlineRecord& a, const TUnderlineRecord& b) {
    return b.First == a.End && a.Format[caUnderline] == b.Format[caUnderline] &&
           a.Format[caUnderlineColor] == b.Format[caUnderlineColor] && a.Format[caColor] == b.Format[caColor] &&
           (a.Format[caScript] == 2) == (b.Format[caScript] == 2) &&
           OffsetClass(a.Format[caOffset]) == OffsetClass(b.Format[caOffset]);
}

}  // namespace

std::int32_t SpellMarkColor(std::int32_t value) {
    return value == 0 ? DefaultSpellColor : (value & 0xFFFFFF);
}

// --- Shading and borders ---

Platform::TRect TLinePainter::ShadingRect() {
    if (HaveShadingRect)
        return CachedShadingRect;
    const bool bordered = Par.Format.Borders > 0 && Par.Format.Borders < BorderSetCount();
    // The box spans the border group, or without borders the shading group;
    // only whether this paragraph opens or closes it matters here.
    bool groupFirst = true, groupLast = true;
    if (InDoc(Par, Doc)) {
        const auto inGroup = [&](std::int32_t other) {
            return bordered ? Doc.InBorderGroup(Par.Index, other) : Doc.InShadingGroup(Par.Index, other);
        };
        groupFirst = !inGroup(Par.Index - 1);
        groupLast = !inGroup(Par.Index + 1);
    }
    const TBorderSet* set = bordered ? &BorderSetAt(Par.Format.Borders) : nullptr;
    const auto outside = [&](int side) {
        if (set == nullptr || !HasBorder(set->Borders[side]))
            return 0;
        return set->Borders[side].Width + set->Borders[side].Spacing;
    };
    const TParFormat& f = Par.Format;
    const std::int32_t rightInset = Line.Box != nullptr ? Line.Box->PixelInsets.Right : 0;
    Platform::TRect r;
    r.Left = X + Inset + PixelsX(std::min<std::int32_t>(0, f.FirstIndent) + f.LeftIndent - outside(bsLeft));
    r.Right = X + BoxWidth - rightInset - PixelsX(f.RightIndent - outside(bsRight));
    if (Doc.ViewMode == vmDraft || Doc.ViewMode == vmDraftWrapped) {
        r.Left = std::max(r.Left, X);
        r.Right = std::min(r.Right, X + BoxWidth);
    }
    const std::int32_t firstTextLine = (Par.Flags & pfDropCap) != 0 ? 1 : 0;
    r.Top = Y;
    if (Line.IndexInPar == firstTextLine && groupFirst) {
        const std::int32_t before = std::max<std::int32_t>(0, f.SpaceBefore);
        if (set == nullptr || !HasBorder(set->Borders[bsTop])) {
            r.Top += Pixels(before);
        } else {
            const TBorder& top = set->Borders[bsTop];
            r.Top = std::max(Y, Y + Pixels(before - top.Spacing) - std::max(1, Pixels(top.Width)));
        }
    }
    r.Bottom = Y + Line.HeightPixels(nullptr);
    if (IsLastLineOfPar(Line) && groupLast)
        r.Bottom -= Pixels(std::max<std::int32_t>(0, f.SpaceAfter));
    CachedShadingRect = r;
    HaveShadingRect = true;
    return r;
}

void TLinePainter::PaintShading() {
    std::int32_t color = Par.Format.Shading;
    if (Dimmed)
        color = static_cast<std::int32_t>(LightenColor(static_cast<TColor>(color)));
    Fill(ShadingRect(), color);
}

void TLinePainter::PaintBorders() {
    if (Par.Format.Borders >= BorderSetCount())
        return;
    const TBorderSet& set = BorderSetAt(Par.Format.Borders);
    const bool inDoc = InDoc(Par, Doc);
    const bool groupFirst = !inDoc || !Doc.InBorderGroup(Par.Index, Par.Index - 1);
    const bool groupLast = !inDoc || !Doc.InBorderGroup(Par.Index, Par.Index + 1);
    const Platform::TRect r = ShadingRect();
    const auto colorOf = [&](const TBorder& border) {
        return border.Color == AutoColor || border.Color == UnsetValue || Dimmed ? TextColor() : border.Color;
    };
    const auto width = [&](const TBorder& border) { return std::max(1, Pixels(border.Width)); };
    const std::int32_t firstTextLine = (Par.Flags & pfDropCap) != 0 ? 1 : 0;
    std::int32_t top = r.Top;
    std::int32_t bottom = r.Bottom;
    if (Line.IndexInPar == firstTextLine) {
        const TBorder& border = set.Borders[groupFirst ? bsTop : bsInside];
        if (HasBorder(border)) {
            Platform::TRect band{r.Left, r.Top, r.Right, r.Top + width(border)};
            if (!groupFirst) {
                // A border between paragraphs runs between the side borders.
                if (HasBorder(set.Borders[bsLeft]))
                    band.Left += width(set.Borders[bsLeft]);
                if (HasBorder(set.Borders[bsRight]))
                    band.Right -= width(set.Borders[bsRight]);
            }
            Fill(band, colorOf(border));
            // Side borders start below a top border; a border between
            // paragraphs runs between them instead.
            if (groupFirst)
                top = band.Bottom;
        }
    }
    if (IsLastLineOfPar(Line) && groupLast) {
        const TBorder& border = set.Borders[bsBottom];
        if (HasBorder(border)) {
            Fill({r.Left, r.Bottom - width(border), r.Right, r.Bottom}, colorOf(border));
            bottom = r.Bottom - width(border);
        }
    }
    if (HasBorder(set.Borders[bsLeft]))
        Fill({r.Left, top, r.Left + width(set.Borders[bsLeft]), bottom}, colorOf(set.Borders[bsLeft]));
    if (HasBorder(set.Borders[bsRight]))
        Fill({r.Right - width(set.Borders[bsRight]), top, r.Right, bottom}, colorOf(set.Borders[bsRight]));
}

// --- Bands behind character ranges ---

Platform::TRect TLinePainter::RangeBand(std::int32_t first, std::int32_t end) const {
    const TParFormat& f = Par.Format;
    Platform::TRect r{DX(first), Y, DX(end), Y};
    const std::int32_t textHeight = Doc.ApplyZoom((Line.BaseAscent + Line.Descent) / 16);
    if (f.LineSpacing < 0 && f.LineSpacingMultiple == 0 && Pixels(-f.LineSpacing) > textHeight)
        r.Top += Pixels(-f.LineSpacing) - textHeight;
    const std::int32_t before = Pixels(Line.SpaceBefore());
    const bool after = IsLastLineOfPar(Line) && f.SpaceAfter > 0;
    const std::int32_t height = Line.HeightPixels(nullptr);
    const bool single = f.LineSpacingMultiple == 1 && f.LineSpacing == 240;
    if (single && before == 0 && !after)
        r.Bottom = r.Top + height;
    else
        r.Bottom = r.Top + std::min(Doc.ApplyZoom((Line.Ascent + Line.Descent) / 16) + before, height);
    r.Top += before;
    return r;
}

void TLinePainter::FillBand(const Platform::TRect& rect, std::int32_t color) {
    if (Dimmed)
        color = static_cast<std::int32_t>(LightenColor(static_cast<TColor>(color)));
    Fill(rect, color);
}

void TLinePainter::PaintHighlight() {
    TCharFormat format;
    Doc.LoadCharFormat(Line.StartFormat, format);
    std::int32_t highlight = format[caHighlight];
    const std::uint8_t* data = Par.Stream.Data + Line.StreamStart;
    const std::int32_t size = std::min(Line.StreamLength, Par.Stream.Size - Line.StreamStart);
    std::int32_t k = 0;
    std::int32_t runStart = 0;
    const auto close = [&]() {
        if (k > runStart && highlight != AutoColor && highlight != UnsetValue)
            FillBand(RangeBand(runStart, k), highlight);
        runStart = k;
    };
    for (std::int32_t pos = 0; pos < size && k < Line.CharCount;) {
        if (data[pos] != 0) {
            ++k;
            ++pos;
            continue;
        }
        if (size - pos < FormatControlSize)
            break;
        const std::uint8_t code = data[pos + 1];
        const std::int32_t value = FormatControlValue(data + pos);
        pos += FormatControlSize;
        if (code == caHighlight) {
            if (value != highlight) {
                close();
                highlight = value;
            }
            continue;
        }
        if (!ControlTakesPosition(code))
            continue;
        const std::uint8_t c = ControlCharCode(code, value);
        if (c == chSectionBreak || c == chColumnBreak || c == chPageBreak || c == chCellEnd || c == chRowEnd)
            break;
        ++k;
    }
    close();
}

// The code fields that reach into a stretch of a paragraph, with the part
// of each inside it. Without the document's field index the paragraph's own
// stream is read: a field whose end stands in it without its start began in
// an earlier paragraph, one whose end is not reached runs on past the line.
static void CollectParFields(const TDoc& doc,
                             const TPar& par,
                             std::int32_t from,
                             std::int32_t to,
                             std::vector<TFieldPart>& parts) {
    if (LinePaintHooks().FieldsInRange != nullptr) {
        LinePaintHooks().FieldsInRange(doc, par, from, to, parts);
        return;
    }
    std::vector<TFieldPart> open;
    std::int32_t k = 0;
    TStreamElement e;
    for (std::int32_t off = 0; off < par.Stream.Size && k <= to; off += e.Length) {
        ReadStreamElement(par.Stream.Data, par.Stream.Size, off, e);
        if (e.Truncated)
            break;
        if (!e.IsControl) {
            k += e.Length;
            continue;
        }
        if (ControlTakesPosition(e.Code)) {
            ++k;
            continue;
        }
        if (e.Code != fcFieldStart && e.Code != fcFieldEnd)
            continue;
        auto* field = HandleTo<TField>(static_cast<TObjectHandle>(e.Value));
        if (field == nullptr || field->Kind != fkCode)
            continue;
        if (e.Code == fcFieldStart) {
            open.push_back({field, k, par.CharCount()});
            continue;
        }
        auto it = std::find_if(open.begin(), open.end(), [&](const TFieldPart& p) { return p.Field == field; });
        if (it != open.end()) {
            it->End = k;
            parts.push_back(*it);
            open.erase(it);
        } else {
            parts.push_back({field, 0, k});
        }
    }
    parts.insert(parts.end(), open.begin(), open.end());
    // Keep the parts that meet the stretch, cut to it.
    std::vector<TFieldPart> kept;
    for (TFieldPart part : parts) {
        part.Start = std::max(part.Start, from);
        part.End = std::min(part.End, to);
        if (part.Start < part.End)
            kept.push_back(part);
    }
    parts.swap(kept);
}

void TLinePainter::PaintFieldShading() {
    if (Doc.Fields.Count == 0 || (Line.Flags & lfShadedFields) == 0 || Proxy || !OnScreen())
        return;
    const std::uint8_t shading = LinePaintOptions().FieldShading;
    const bool hides = LinePaintHooks().HidesMarks != nullptr && LinePaintHooks().HidesMarks(Doc);
    if (shading == 0 || (shading == 2 && hides) || (shading == 1 && !ShowMarks))
        return;
    Line.Flags &= ~lfShadedFields;
    std::vector<TFieldPart> parts;
    CollectParFields(Doc, Par, Line.FirstChar, Line.FirstChar + Line.CharCount, parts);
    const std::int32_t color =
        ColorManager != nullptr ? ColorManager->DisplayColorOn(FieldShadingColor, Background) : FieldShadingColor;
    for (const TFieldPart& part : parts)
        FillBand(RangeBand(part.Start - Line.FirstChar, part.End - Line.FirstChar), color);
    // A line without shaded fields skips the search the next time.
    if (!parts.empty())
        Line.Flags |= lfShadedFields;
}

// --- Underlines ---

void TLinePainter::RecordUnderline(std::int32_t first, std::int32_t end) {
    // The paragraph mark of the paragraph's last line is never underlined.
    const bool lastLine = Line.FirstChar + Line.CharCount >= Par.CharCount();
    if (!Proxy && lastLine && end == Line.CharCount && end > first &&
        Par.Chars.Data[Line.FirstChar + end - 1] == chParEnd)
        --end;
    if (end <= first)
        return;
    TUnderlineRecord record;
    record.First = first;
    record.End = end;
    record.TextTop = TextTop();
    record.Ascent = static_cast<std::int16_t>(CurrentSharedFont->Metrics.Ascent);
    record.Descent = static_cast<std::int16_t>(CurrentSharedFont->Descent);
    record.Format = Format;
    Underlines.push_back(record);
}

bool TLinePainter::IsUnderlinedChar(std::int32_t k) const {
    const std::uint8_t c = Par.Chars.Data[Line.FirstChar + k];
    return c != ' ' && c >= 12;
}

void TLinePainter::PaintUnderlines() {
    std::vector<TUnderlineRecord> merged;
    for (const TUnderlineRecord& record : Underlines) {
        if (!merged.empty() && Mergeable(merged.back(), record)) {
            TUnderlineRecord& m = merged.back();
            m.End = record.End;
            if (record.Ascent + record.Descent > m.Ascent + m.Descent) {
                m.TextTop = record.TextTop;
                m.Ascent = record.Ascent;
                m.Descent = record.Descent;
            }
            if (!IsSet(record.Format[caBold]))
                m.Format[caBold] = 0;
            continue;
        }
        merged.push_back(record);
    }
    const TCharFormat saved = Format;
    for (TUnderlineRecord& record : merged) {
        std::vector<TUnderlineRecord> pieces;
        if (record.Format[caUnderline] == ulWords) {
            // Words only: each run of characters other than spaces and
            // breaks, drawn as a single underline.
            record.Format[caUnderline] = ulSingle;
            std::int32_t k = record.First;
            while (k < record.End) {
                while (k < record.End && !IsUnderlinedChar(k))
                    ++k;
                std::int32_t e = k;
                while (e < record.End && IsUnderlinedChar(e))
                    ++e;
                if (e > k) {
                    TUnderlineRecord piece = record;
                    piece.First = k;
                    piece.End = e;
                    pieces.push_back(piece);
                }
                k = e;
            }
        } else {
            pieces.push_back(record);
        }
        for (const TUnderlineRecord& piece : pieces) {
            Format = piece.Format;
            const std::int32_t own = piece.Format[caUnderlineColor];
            const std::int32_t color = own == AutoColor || own == UnsetValue ? TextColor() : own;
            const std::int32_t h = piece.Ascent + piece.Descent;
            if (IsSet(piece.Format[caShadow])) {
                const std::int32_t d = std::max(1, h * 4 / 100) + (IsSet(piece.Format[caOutline]) ? 1 : 0);
                DrawUnderline(piece, d, d, ShadowColor);
            }
            if (IsSet(piece.Format[caEmboss]) || IsSet(piece.Format[caEngrave])) {
                const std::int32_t e = std::max(1, h * 2 / 100);
                DrawUnderline(piece, 0, 0, EmbossColor);
                const std::int32_t d = IsSet(piece.Format[caEmboss]) ? -e : e;
                DrawUnderline(piece, d, d, color);
            } else {
                DrawUnderline(piece, 0, 0, color);
            }
        }
    }
    Format = saved;
}

void TLinePainter::FillUnderlineSegment(const TUnderlineRecord& record,
                                        std::int32_t left,
                                        std::int32_t top,
                                        std::int32_t right,
                                        std::int32_t bottom,
                                        std::int32_t color) {
    left = std::max(left, DX(record.First));
    right = std::min(right, DX(record.End));
    if (right <= left || bottom <= top)
        return;
    FillSolidRect(DC, {left, top, right, bottom}, static_cast<TColor>(color));
}

void TLinePainter::DrawUnderline(const TUnderlineRecord& record, std::int32_t dx, std::int32_t dy, std::int32_t color) {
    const std::int32_t x1 = DX(record.First) + dx;
    const std::int32_t x2 = DX(record.End) + dx;
    const std::int32_t s = record.Ascent;
    const bool bold = IsSet(record.Format[caBold]);
    const auto pct = [s](std::int32_t n) { return MulDiv(s, n, 100); };
    const auto tenths = [s](std::int32_t n) { return MulDiv(s, n, 1000); };
    std::int32_t lift = 0;
    if (IsSet(record.Format[caOutline]))
        lift = 1;
    if (IsSet(record.Format[caShadow]))
        lift = std::max(lift, pct(4));
    if (IsSet(record.Format[caEmboss]) || IsSet(record.Format[caEngrave]))
        lift = std::max(lift, pct(2));
    std::int32_t top = record.TextTop + s + dy + lift;
    const std::int32_t kind = record.Format[caUnderline];
    // The patterns stay fixed to the page while the view scrolls.
    const std::int32_t phase = OnScreen() ? Doc.ScrollPos.X : 0;
    const auto segment = [&](std::int32_t left, std::int32_t t, std::int32_t right, std::int32_t b) {
        FillUnderlineSegment(record, left, t, right, b, color);
    };
    switch (kind) {
        case ulSingle:
        case ulWords: {
            top += std::max(1, pct(12));
            segment(x1, top, x2, top + std::max(1, pct(bold ? 11 : 7)));
            return;
        }
        case ulDouble: {
            top += std::max(1, tenths(68));
            const std::int32_t h = std::max(1, tenths(bold ? 53 : 33));
            segment(x1, top, x2, top + h);
            top += std::max(2, tenths(bold ? 163 : 155));
            segment(x1, top, x2, top + h);
            return;
        }
        case ulThick:
            top += std::max(1, pct(7));
            segment(x1, top, x2, top + std::max(2, pct(12)));
            return;
        case ulWave:
        case ulHeavyWave:
        case ulDoubleWave: {
            const bool twice = kind == ulDoubleWave;
            const std::int32_t middle = top + pct(twice ? 10 : 12);
            std::int32_t period = std::max(4, pct(twice ? 20 : 18));
            period += period % 2;
            const std::int32_t amplitude = std::max(1, pct(twice ? 4 : 6));
            const std::int32_t pen =
                kind == ulHeavyWave ? std::max(2, pct(bold ? 6 : 5)) : std::max(1, pct(bold ? 4 : 3));
            DrawWavyLine(DC, x1, x2, middle, static_cast<TColor>(color), pen, amplitude, period, phase);
            if (twice)
                DrawWavyLine(DC, x1, x2, middle + std::max(2, pct(10)), static_cast<TColor>(color), pen, amplitude,
                             period, phase);
            return;
        }
        default:
            break;
    }
    std::int32_t height;
    if (IsThinPattern(kind)) {
        top += std::max(1, pct(12));
        height = std::max(1, pct(bold ? 9 : 7));
    } else if (IsThickPattern(kind)) {
        top += std::max(1, pct(8));
        height = std::max(2, pct(bold ? 13 : 11));
    } else {
        return;  // not an underline kind
    }
    // The pattern as lengths, drawn and skipped in turn.
    const std::int32_t dot = std::max(2, pct(4));
    const std::int32_t dash = std::max(7, pct(60));
    const std::int32_t gap = std::max(2, pct(15));
    const std::int32_t w = std::max(2, pct(12));
    std::vector<std::int32_t> pattern;
    switch (kind) {
        case ulDotted:
        case ulThickDotted:
            pattern = {dot, dot};
            break;
        case ulDashed:
        case ulThickDashed:
            pattern = {dash, gap};
            break;
        case ulLongDash:
        case ulThickLongDash:
            pattern = {std::max(18, pct(130)), std::max(5, pct(35))};
            break;
        case ulDotDash:
        case ulThickDotDash:
            pattern = {dash, w, w, w};
            break;
        default:  // dot dot dash
            pattern = {dash, w, w, w, w, w};
            break;
    }
    std::int32_t length = 0;
    for (std::int32_t p : pattern)
        length += p;
    std::int32_t x = x1 - ((x1 + phase) % length + length) % length;
    while (x < x2) {
        for (std::size_t i = 0; i < pattern.size() && x < x2; ++i) {
            if (i % 2 == 0)
                segment(x, top, x + pattern[i], top + height);
            x += pattern[i];
        }
    }
}

// --- Spelling marks ---

bool TLinePainter::SpellMarksDue() const {
    const bool hides = LinePaintHooks().HidesMarks != nullptr && LinePaintHooks().HidesMarks(Doc);
    const TLinePaintHooks& hooks = LinePaintHooks();
    if (hooks.SpellGeneration != nullptr && hooks.SpellGeneration() != Par.SpellGeneration)
        return false;
    return LinePaintOptions().ShowSpellMarks && !hides && !Dimmed && !Printing && !Par.SpellMarks.empty();
}

void TLinePainter::PaintSpellMarks() {
    const std::int32_t lineStart = Line.FirstChar;
    const std::int32_t lineEnd = Line.FirstChar + Line.CharCount;
    std::int32_t baseline = LineBaseline();
    if ((Line.Flags & lfDropCap) != 0)
        baseline = Pixels(Line.SpaceBefore() + Line.Height) - 5;
    const std::int32_t y = Y + baseline + 2;
    const std::int32_t scroll = Doc.ScrollPos.X;
    for (const TSpellMark& mark : Par.SpellMarks) {
        if (mark.Value == SpellMarkNoSpellchecker)
            continue;
        const std::int32_t from = std::max(mark.From, lineStart);
        const std::int32_t to = std::min(mark.To, lineEnd);
        if (from >= to)
            continue;
        std::int32_t x1 = DX(from - lineStart);
        std::int32_t x2 = DX(to - lineStart);
        const std::int32_t color = ColorManager != nullptr
                                       ? ColorManager->DisplayColorOn(SpellMarkColor(mark.Value), Background)
                                       : SpellMarkColor(mark.Value);
        const bool pixels = IntoServiceBitmap();
        if (pixels) {
            x1 = std::max(x1, ServiceBitmap->Bounds.Left);
            x2 = std::min(x2, ServiceBitmap->Bounds.Right);
        }
        // A zigzag one pixel thick: up, middle, down, middle.
        static constexpr std::int32_t Offsets[4] = {-1, 0, 1, 0};
        for (std::int32_t x = x1; x < x2; ++x) {
            const std::int32_t py = y + Offsets[((x + scroll) % 4 + 4) % 4];
            if (pixels)
                ServiceBitmap->SetPixel(x, py, static_cast<TColor>(color));
            else
                Platform::SetPixel(DC, x, py, static_cast<Platform::TColorRef>(color));
        }
    }
    // Under memory pressure the marks go once drawn; the spelling code
    // finds them again.
    if (Platform::AllocatedHeapBytes() > (std::int64_t{1} << 30))
        Par.SpellMarks.clear();
}
