// The wrap check the breaker runs for every item of a piece of a wrap row:
// the row's slots grow with the text and its height with the text's
// metrics, and no slot may meet an exclusion rectangle.

#include <algorithm>
#include <vector>

#include "layout/lines/LineLayout.h"
#include "layout/lines/WrapArea.h"
#include "model/formats/FormatStream.h"
#include "model/paragraphs/TPar.h"

namespace {

bool IsEmpty(const TWrapRect& r) {
    return r.Left >= r.Right || r.Top >= r.Bottom;
}

bool Meets(const TWrapRect& a, const TWrapRect& b) {
    return !IsEmpty(a) && !IsEmpty(b) && a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

const TWrapRect* FirstMet(const TWrapArea& area, const TWrapRect& r) {
    for (const TWrapRect& e : area.Exclusions)
        if (Meets(r, e))
            return &e;
    return nullptr;
}

bool IsLineOrRegionBreak(std::uint8_t c) {
    return c == chColumnBreak || c == chLineBreak || c == chPageBreak;
}

// Whether the piece ends the paragraph's text, so that the bottom border
// belongs to its row.
bool ReachesParEnd(const TLine& line) {
    const TPar& par = *line.Par;
    if (par.Format.Borders <= 0)
        return false;
    const std::int32_t end = line.FirstChar + line.CharCount;
    const std::int32_t count = par.CharCount();
    return end >= count - 1 || (end == count - 2 && !IsLineOrRegionBreak(par.Chars.Data[count - 2]));
}

}  // namespace

bool TLine::FitsWrapArea(TWrapArea& area,
                         std::int32_t x,
                         std::int32_t ascent,
                         std::int32_t descent,
                         std::int32_t baseAscent) {
    Breaker.Flags &= ~bfMovedPastExclusion;
    if (area.Slots.empty())
        return true;
    const std::int32_t xt = x == WrapLineEndX ? area.Limit : Px16ToTwips(x);
    area.PieceWidth = xt - area.Slots.back().Left;
    const bool beyond = xt > area.Limit;
    if (beyond && area.RowHeight > 0) {
        area.X = area.Limit;
        return false;
    }
    const bool parEnd = ReachesParEnd(*this);
    if ((Breaker.Flags & bfMetricsChanged) != 0 || parEnd) {
        const std::int32_t a = std::max(ascent, Ascent);
        const std::int32_t d = std::max(descent, Descent);
        const std::int32_t b = std::max(baseAscent, BaseAscent);
        area.RowHeight =
            std::max(area.RowHeight, LineHeightFor(*this, a, d, b, parEnd ? std::uint32_t{lhBorderBelow} : 0u));
        Breaker.Flags &= ~bfMetricsChanged;
    }
    const std::vector<TWrapRect> saved = area.Slots;
    TWrapRect& last = area.Slots.back();
    last.Right = std::max(last.Right, xt);
    if (last.Right == last.Left)
        ++last.Right;
    for (TWrapRect& slot : area.Slots)
        slot.Bottom = slot.Top + area.RowHeight;

    bool fits = true;
    for (std::size_t i = 0; i + 1 < area.Slots.size() && fits; ++i)
        if (FirstMet(area, area.Slots[i]) != nullptr) {
            // A row whose height grew into a rectangle beside an earlier
            // piece is full.
            area.X = INT32_MAX;
            fits = false;
        }
    if (fits) {
        TWrapRect tested = area.Slots.back();
        if (beyond && tested.Left > 0)
            tested.Left = 0;
        if (const TWrapRect* hit = FirstMet(area, tested)) {
            fits = false;
            Breaker.Flags |= bfMovedPastExclusion;
            // The next piece starts after every rectangle in the way.
            std::int32_t next = hit->Right;
            const std::int32_t height = std::max(1, area.RowHeight);
            for (const TWrapRect* in = hit; in != nullptr;) {
                next = std::max(next, in->Right);
                in = FirstMet(area, {next, area.Y, next + 1, area.Y + height});
            }
            area.X = next;
        }
    }
    if (!fits)
        area.Slots = saved;
    return fits;
}

bool TLine::RowHasExclusion(const TWrapArea& area) const {
    if (area.Slots.size() != 1)
        return true;
    const TWrapRect& slot = area.Slots.front();
    const TWrapRect band{std::min(0, slot.Left), area.Y, INT32_MAX, area.Y + std::max(1, area.RowHeight)};
    return FirstMet(area, band) != nullptr;
}
