// Finishing a line (alignment and height) and the character positions of
// lines at the display zoom.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/core/Geometry.h"
#include "base/core/TList.h"
#include "layout/lines/LineLayout.h"
#include "model/document/TDoc.h"
#include "model/formats/BorderSets.h"
#include "model/formats/FormatStream.h"
#include "model/paragraphs/TPar.h"

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
        par.Owner->Par(par.Index) == &par) {
        std::int32_t first, last;
        par.Owner->BorderGroupRange(par.Index, first, last);
        firstOfGroup = first == par.Index;
    }
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

void Align(TLine& line) {
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

}  // namespace

void TLine::FinishMetrics() {
    const bool dropCap = (Flags & lfDropCap) != 0;
    if (!dropCap && CharCount > 0)
        Align(*this);
    Height = Px16ToTwips(Ascent + Descent);
    if (!dropCap) {
        const TParFormat& f = Par->Format;
        if (f.LineSpacingMultiple == 1) {
            if (f.LineSpacing != 240)
                Height += MulDiv(Px16ToTwips(BaseAscent + Descent), f.LineSpacing - 240, 240);
            Height = std::max(Height, 1);
        } else if (f.LineSpacing < 0) {
            Height = -f.LineSpacing;
        } else if (f.LineSpacing > 0) {
            Height = std::max<std::int32_t>(Height, f.LineSpacing);
        }
        if (IsLastLine(*this) || (Flags & lfWrapLastRow) != 0)
            Height += Par->BorderSpaceBelow() + ParSpace(f.SpaceAfter);
    }
    Height += SpaceBefore();
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
    const TDoc& doc = DocOfPar(*Par);
    const std::int32_t zoom = std::max(1, doc.Zoom);
    const std::int32_t inForce = std::max(1, doc.ZoomInForce);
    const std::uint32_t key = static_cast<std::uint32_t>(zoom & 0xFFFF) | (static_cast<std::uint32_t>(inForce) << 16);
    if (Par->LayoutScratch == nullptr)
        Par->LayoutScratch = std::make_unique<TMemory>();
    TMemory& cache = *Par->LayoutScratch;
    const std::int32_t bytes = 4 + 2 * Par->CharCount();
    std::uint32_t stored = 0;
    if (cache.Size >= 4)
        std::memcpy(&stored, cache.Data, 4);
    if (cache.Size < bytes || stored != key) {
        // Either zoom changed (or the text grew): every line of the
        // paragraph is measured again, not only this one.
        cache.SetSize(bytes);
        std::memcpy(cache.Data, &key, 4);
        for (std::int32_t i = 0; i < Par->LineCount(); ++i)
            Par->Lines->At<TLine>(i)->Flags &= ~lfZoomWidthsValid;
    }
    if ((Flags & lfZoomWidthsValid) != 0)
        return;
    auto* widths = reinterpret_cast<std::uint16_t*>(cache.Data + 4) + FirstChar;
    const std::int32_t* x = Positions + 1;
    X = MulDiv(x[0], inForce, zoom) / 16;
    const std::uint8_t* chars = Par->Chars.Data + FirstChar;
    // Each character takes its width at the zoom; boundaries are kept
    // within one pixel of the scaled 100 % position by letting the
    // neighbour take or give the pixel that rounding moved.
    std::int64_t f = 0;
    for (std::int32_t k = 0; k <= CharCount; ++k) {
        const std::int64_t scaled = static_cast<std::int64_t>(x[k]) * inForce;
        std::int64_t l = scaled / 1600;
        if (k == 0 || chars[k - 1] == chTab) {
            if (scaled % 1600 > 800)
                ++l;
        } else {
            const std::int64_t m = ((static_cast<std::int64_t>(x[k]) - x[k - 1]) * inForce + 800) / 1600;
            if (m < l - f) {
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
    }
    Flags |= lfZoomWidthsValid;
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
