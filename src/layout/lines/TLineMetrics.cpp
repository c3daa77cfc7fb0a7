// Finishing a line (alignment and height) and the character positions of
// lines at the display zoom.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/core/Geometry.h"
#include "base/core/TList.h"
#include "layout/lines/LineLayout.h"
#include "model/document/DocSixteenths.h"
#include "model/document/TDoc.h"
#include "model/formats/BorderSets.h"
#include "model/formats/FormatStream.h"
#include "model/managers/TTabManager.h"
#include "model/paragraphs/TPar.h"
#include "platform/ByteReader.h"

namespace {

// The value of a space before or after; automatic spacing counts as none
// until the paragraph resolves it.
std::int32_t ParSpace(std::int32_t value) {
    return std::max(0, value);
}

std::int32_t BorderSpaceAbove(const TPar& par) {
    if ((par.Flags & pfProxy) != 0 || par.Format.Borders <= 0 || par.Format.Borders >= BorderSetCount())
        return 0;
    bool firstOfGroup = true;
    if (par.Owner != nullptr && par.Index >= 0 && par.Index < par.Owner->ParCount() &&
        par.Owner->Par(par.Index) == &par)
        firstOfGroup = !par.Owner->InBorderGroup(par.Index, par.Index - 1);
    const TBorder& border = BorderSetAt(par.Format.Borders).Borders[firstOfGroup ? bsTop : bsInside];
    if (border.Type == NoBorderType || border.Type == UnsetValue)
        return 0;
    return border.Width + border.Spacing;
}

bool IsLastLine(const TLine& line) {
    return line.FirstChar + line.CharCount >= line.Par->CharCount();
}

bool IsRegionBreak(std::uint8_t c) {
    return c == chSectionBreak || c == chColumnBreak || c == chPageBreak;
}

}  // namespace

void AlignLine(TLine& line) {
    const TPar& par = *line.Par;
    const std::int8_t alignment = par.Format.Alignment;
    if (alignment <= 0 || alignment > 3)
        return;
    const std::uint8_t* chars = par.Chars.Data + line.FirstChar;
    std::int32_t i = line.CharCount;
    if (i > 0 && chars[i - 1] >= chParEnd && chars[i - 1] <= chPageBreak)
        --i;
    while (i > 0 && chars[i - 1] == ' ')
        --i;
    const std::int32_t extra = std::max(0, TwipsToPx16(line.WidthLimit) - line.Pos(i));
    std::int32_t* x = line.Positions + 1;  // x[k]: after k characters
    if (alignment == 1 || alignment == 2) {
        const std::int32_t shift = alignment == 1 ? extra / 2 : extra;
        for (std::int32_t k = 0; k <= line.CharCount; ++k)
            x[k] += shift;
        return;
    }
    if (IsLastLine(line) || line.CharCount < 2)
        return;
    // Justify: only the spaces after the last tab stretch, and never the
    // leading ones.
    std::int32_t start = 0;
    while (start < i && chars[start] == ' ')
        ++start;
    for (std::int32_t k = i - 1; k >= start; --k)
        if (chars[k] == chTab) {
            start = k + 1;
            break;
        }
    std::int32_t n = 0;
    for (std::int32_t k = start; k <= i - 2; ++k)
        n += chars[k] == ' ' ? 1 : 0;
    if (n == 0)
        return;
    const double step = static_cast<double>(extra) / n;
    const std::int32_t lastWidth = x[line.CharCount] - x[line.CharCount - 1];
    std::int32_t counted = 0;
    std::int32_t shift = 0;
    for (std::int32_t j = start + 1; j <= line.CharCount - 1; ++j) {
        if (counted < n && chars[j - 1] == ' ') {
            ++counted;
            shift = static_cast<std::int32_t>(std::nearbyint(counted * step));
        }
        x[j] += shift;
    }
    x[line.CharCount] = x[line.CharCount - 1] + lastWidth;
}

void TLine::FinishMetrics() {
    const bool dropCap = (Flags & lfDropCap) != 0;
    if (!dropCap && CharCount > 0)
        AlignLine(*this);
    if (!dropCap && !Breaker.NoOverflow && ShowsListLabel() && Par->LabelPar->LineCount() > 0) {
        // The label stands on the line's baseline: a taller label makes the
        // line taller.
        const TLine* label = Par->LabelPar->Lines->At<TLine>(0);
        Ascent = std::max(Ascent, label->Ascent);
        BaseAscent = std::max(BaseAscent, label->BaseAscent);
    }
    const bool last = IsLastLine(*this) || (Flags & lfWrapLastRow) != 0;
    Height = LineHeightFor(*this, Ascent, Descent, BaseAscent, last ? std::uint32_t{lhSpaceAfter} : 0u);
}

std::int32_t LineHeightFor(const TLine& line,
                           std::int32_t ascent,
                           std::int32_t descent,
                           std::int32_t baseAscent,
                           std::uint32_t ends) {
    std::int32_t height = Px16ToTwips(ascent + descent);
    if ((line.Flags & lfDropCap) == 0) {
        const TPar& par = *line.Par;
        const TParFormat& f = par.Format;
        if (f.LineSpacingMultiple == 1) {
            if (f.LineSpacing != 240)
                height += MulDiv(Px16ToTwips(baseAscent + descent), f.LineSpacing - 240, 240);
            height = std::max(height, 1);
        } else if (f.LineSpacing < 0) {
            height = -f.LineSpacing;
        } else if (f.LineSpacing > 0) {
            height = std::max<std::int32_t>(height, f.LineSpacing);
        }
        if ((ends & (lhSpaceAfter | lhBorderBelow)) != 0)
            height += par.BorderSpaceBelow();
        if ((ends & lhSpaceAfter) != 0)
            height += ParSpace(f.SpaceAfter);
    }
    return height + line.SpaceBefore();
}

std::int32_t TLine::SpaceBefore() const {
    const TPar* par = Par;
    if ((par->Flags & pfProxy) != 0 && ((Flags & lfPainting) == 0 || par->LabelOwner == nullptr))
        return 0;
    if (par->LineCount() == 0)
        return 0;
    const std::uint8_t* chars = par->Chars.Data;
    bool gets = false;
    if ((Flags & lfSectionBreakBeside) != 0) {
        gets = true;
    } else if (CharCount > 0 && IsRegionBreak(chars[FirstChar])) {
        gets = false;
    } else if (IndexInPar == 0 || (Flags & lfWrapFirstRow) != 0) {
        gets = true;
    } else if (IndexInPar == 1) {
        const TLine* first = par->Lines->At<TLine>(0);
        gets = (first->Flags & lfDropCap) != 0 ||
               (first->CharCount == 1 && (chars[0] == chColumnBreak || chars[0] == chPageBreak));
    }
    if (!gets)
        return 0;
    const TPar& real = (par->Flags & pfProxy) != 0 ? *par->LabelOwner : *par;
    return ParSpace(real.Format.SpaceBefore) + BorderSpaceAbove(real);
}

bool TLine::EndsWithBreak() const {
    if (CharCount == 0)
        return false;
    const std::uint8_t* chars = Par->Chars.Data + FirstChar;
    const std::uint8_t last = chars[CharCount - 1];
    return (last >= chColumnBreak && last <= chPageBreak) || (CharCount > 1 && chars[CharCount - 2] == chPageBreak);
}

bool TLine::StartsParText() const {
    if (!Par->OnlyBreaksBefore(FirstChar))
        return false;
    const std::uint8_t c = CharCount > 0 ? Par->Chars.Data[FirstChar] : 0;
    return !(CharCount == 1 && (c == chColumnBreak || c == chPageBreak));
}

// The paragraph's zoomed width cache (its layout scratch block): a key of
// the two zooms, then one 16-bit width in zoomed pixels per character.
void TLine::PrepareZoomWidths() {
    TDoc& doc = DocOfPar(*Par);
    const std::int32_t zoom = std::max(1, doc.Zoom);
    const std::int32_t inForce = std::max(1, doc.ZoomInForce);
    const std::uint32_t key = static_cast<std::uint32_t>(zoom & 0xFFFF) | (static_cast<std::uint32_t>(inForce) << 16);
    if (Par->LayoutScratch == nullptr)
        Par->LayoutScratch = std::make_unique<TMemory>();
    TMemory& cache = *Par->LayoutScratch;
    const std::int32_t bytes = 4 + 2 * Par->CharCount();
    std::uint32_t stored = 0;
    if (cache.Size >= 4)
        stored = LoadU32LE(cache.Data);
    if (cache.Size < bytes || stored != key) {
        // Either zoom changed (or the text grew): every line of the
        // paragraph is measured again, not only this one.
        cache.SetSize(bytes);
        StoreU32LE(cache.Data, key);
        for (std::int32_t i = 0; i < Par->LineCount(); ++i)
            Par->Lines->At<TLine>(i)->Flags &= ~lfZoomWidthsValid;
    }
    if ((Flags & lfZoomWidthsValid) != 0)
        return;
    auto* widths = reinterpret_cast<std::uint16_t*>(cache.Data + 4) + FirstChar;
    MeasureAtZoom(widths);
    const std::int32_t* x = Positions + 1;
    X = MulDiv(x[0], inForce, zoom) / 16;
    const std::uint8_t* chars = Par->Chars.Data + FirstChar;
    // Each boundary lies on the scaled 100 % position rounded down or up;
    // the measured width of the character before it picks which, and may
    // move the boundary before that up by the pixel rounding took, but
    // only from its rounded-down place: no boundary strays a whole pixel
    // from where the 100 % layout puts it, however much the measurement
    // at the zoom differs (justified spaces, fonts that do not scale).
    std::int64_t f = 0;
    std::int64_t fDown = 0;
    for (std::int32_t k = 0; k <= CharCount; ++k) {
        const std::int64_t scaled = static_cast<std::int64_t>(x[k]) * inForce;
        std::int64_t l = scaled / 1600;
        const std::int64_t down = l;
        if (k == 0 || chars[k - 1] == chTab) {
            if (scaled % 1600 > 800)
                ++l;
            // A tab ends on its rounded stop, but never before the
            // boundary ahead of it: a width cannot be negative.
            l = std::max(l, f);
        } else {
            const std::int64_t m = widths[k - 1];
            if (m < l - f && f == fDown && k > 1) {
                ++f;
                if (k > 1)
                    ++widths[k - 2];
            } else if (m > l - f) {
                ++l;
            }
        }
        if (k > 0)
            widths[k - 1] = static_cast<std::uint16_t>(std::clamp<std::int64_t>(l - f, 0, 0xFFFF));
        f = l;
        fDown = down;
    }
    Flags |= lfZoomWidthsValid;
}

namespace {

// The fields of a line that breaking it again changes; the zoom
// measurement puts them back afterwards.
struct TSavedLine {
    explicit TSavedLine(const TLine& line)
        : X(line.X),
          Ascent(line.Ascent),
          BaseAscent(line.BaseAscent),
          Descent(line.Descent),
          StreamLength(line.StreamLength),
          Height(line.Height),
          CharCount(line.CharCount),
          Flags(line.Flags),
          FootnoteRef(line.FootnoteRef),
          EndnoteRef(line.EndnoteRef) {}
    void RestoreTo(TLine& line) const {
        line.X = X;
        line.Ascent = Ascent;
        line.BaseAscent = BaseAscent;
        line.Descent = Descent;
        line.StreamLength = StreamLength;
        line.Height = Height;
        line.CharCount = CharCount;
        line.Flags = Flags;
        line.FootnoteRef = FootnoteRef;
        line.EndnoteRef = EndnoteRef;
    }

    std::int32_t X, Ascent, BaseAscent, Descent, StreamLength, Height, CharCount;
    std::uint32_t Flags;
    TField* FootnoteRef;
    TField* EndnoteRef;
};

}  // namespace

// Breaks the line again over exactly its own bytes with the fonts selected
// at the zoom, and writes each character's measured width in zoomed pixels
// to widths. Scaling the 100 % widths instead would put the rounding pixel
// in the wrong places: fonts do not grow linearly with their size.
void TLine::MeasureAtZoom(std::uint16_t* widths) {
    TDoc& doc = DocOfPar(*Par);
    const TSavedLine saved(*this);
    const TBreakerState breaker = Breaker;
    std::int32_t* own = Positions;
    Positions = ZoomScratchPositions();
    doc.MeasuringAtZoom = true;
    Breaker.Doc = &doc;
    Breaker.NoOverflow = true;
    Breaker.Flags = 0;
    TCharFormat format;
    doc.LoadCharFormat(StartFormat, format);
    format[caSize] = DocValueToSixteenths(format[caSize], doc);
    if (format[caKerning] > 0)
        format[caKerning] = DocValueToSixteenths(format[caKerning], doc);
    Breaker.Format = format;
    doc.SelectMeasureFont(Breaker.Format, 14);
    if (TabManager != nullptr)
        TabManager->BuildEffectiveTabs(*Par);
    // The breaker sets what the line holds as it goes; a rule found by the
    // first breaking would otherwise stop the new one at its first item.
    Flags &= ~lfHorizontalLine;
    TLineSlice slice{StreamStart, StreamLength};
    Build(slice, nullptr);
    if ((Flags & lfDropCap) == 0 && CharCount > 0)
        AlignLine(*this);
    doc.MeasuringAtZoom = false;
    Breaker = breaker;
    // A line broken again over its own bytes holds the same characters;
    // should a damaged stream make it hold fewer, the rest take their
    // 100 % widths scaled.
    const std::int32_t measured = std::min(CharCount, saved.CharCount);
    for (std::int32_t k = 0; k < measured; ++k)
        widths[k] = static_cast<std::uint16_t>(std::clamp(Positions[k + 2] - Positions[k + 1], 0, 0xFFFF));
    SetZoomScratchPositions(Positions);
    Positions = own;
    saved.RestoreTo(*this);
    const std::int32_t inForce = std::max(1, doc.ZoomInForce);
    for (std::int32_t k = measured; k < CharCount; ++k)
        widths[k] = static_cast<std::uint16_t>(
            std::clamp<std::int64_t>((static_cast<std::int64_t>(Pos(k + 1)) - Pos(k)) * inForce / 1600, 0, 0xFFFF));
    // The breaker selected fonts at the zoom; layout after this selects its
    // own at its start.
}

std::int32_t TLine::CharX(std::int32_t n) {
    PrepareZoomWidths();
    n = std::clamp(n, 0, CharCount);
    const auto* widths = reinterpret_cast<const std::uint16_t*>(Par->LayoutScratch->Data + 4) + FirstChar;
    std::int64_t s = 0;
    for (std::int32_t k = 0; k < n; ++k)
        s += widths[k];
    // Counted from the line's start at the zoom rather than from X, which
    // is whole pixels at 100 % and would add up to a pixel at 100 % of
    // error: at 500 % that is five pixels on the screen.
    const TDoc& doc = DocOfPar(*Par);
    const std::int32_t zoom = std::max(1, doc.Zoom);
    const std::int64_t start = static_cast<std::int64_t>(Positions[1]) * std::max(1, doc.ZoomInForce);
    const std::int64_t zoomed = start / 1600 + (start % 1600 > 800 ? 1 : 0) + s;
    const std::int64_t product = zoomed * 100;
    return static_cast<std::int32_t>(product / zoom + (2 * (product % zoom) >= zoom ? 1 : 0));
}

std::int32_t TLine::CharAtX(std::int32_t x) {
    for (std::int32_t k = 0; k < CharCount; ++k) {
        const std::int32_t at = CharX(k);
        if (x > at)
            continue;
        if (k > 0 && at - x > x - CharX(k - 1))
            return k - 1;
        return k;
    }
    const bool lastLine = FirstChar + CharCount >= Par->CharCount();
    return lastLine && CharCount > 0 ? CharCount - 1 : CharCount;
}
