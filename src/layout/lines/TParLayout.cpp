#include <algorithm>
#include <utility>
#include <vector>

#include "base/core/TList.h"
#include "layout/lines/LineLayout.h"
#include "layout/lines/WrapArea.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/formats/LineStartFormats.h"
#include "model/formats/TTextPos.h"
#include "model/managers/TTabManager.h"
#include "model/paragraphs/TPar.h"

namespace {

void ReleaseLinesFrom(TPar& par, std::int32_t from) {
    if (par.Lines == nullptr)
        return;
    for (std::int32_t i = par.Lines->Count - 1; i >= from; --i) {
        TLine::Release(par.Lines->At<TLine>(i));
        par.Lines->Delete(i);
    }
}

// The gaps of a band of rows between the exclusion rectangles that reach
// into it, left to right, within [from, to).
std::vector<std::pair<std::int32_t, std::int32_t>> GapsOfBand(const TWrapArea& area,
                                                              std::int32_t top,
                                                              std::int32_t height,
                                                              std::int32_t from,
                                                              std::int32_t to) {
    std::vector<std::pair<std::int32_t, std::int32_t>> gaps{{from, to}};
    for (const TWrapRect& r : area.Exclusions) {
        if (r.Top >= top + height || r.Bottom <= top || r.Left >= r.Right)
            continue;
        std::vector<std::pair<std::int32_t, std::int32_t>> next;
        for (const auto& [l, rt] : gaps) {
            if (r.Right <= l || r.Left >= rt) {
                next.emplace_back(l, rt);
                continue;
            }
            if (r.Left > l)
                next.emplace_back(l, r.Left);
            if (r.Right < rt)
                next.emplace_back(r.Right, rt);
        }
        gaps.swap(next);
    }
    return gaps;
}

// The twips at which a line's text (without trailing blanks and marks) ends.
std::int32_t TextEndTwips(const TLine& line) {
    const std::uint8_t* chars = line.Par->Chars.Data + line.FirstChar;
    std::int32_t k = line.CharCount;
    while (k > 0 && (chars[k - 1] == ' ' || chars[k - 1] == chParEnd || chars[k - 1] == chTab))
        --k;
    return Px16ToTwips(line.Pos(k));
}

bool ExclusionBelow(const TWrapArea& area, std::int32_t y) {
    return std::any_of(area.Exclusions.begin(), area.Exclusions.end(),
                       [y](const TWrapRect& r) { return r.Bottom > y; });
}

// Lays the paragraph out in rows beside the exclusion rectangles: each row
// is one band as high as the text, holding a piece in every gap wide
// enough for something; a row with no such gap moves below the
// rectangle that closes it. Once no rectangle reaches below the row, the
// rest of the paragraph is laid out plainly.
void LayoutWrapRows(TPar& par, TLineSlice& slice, std::int32_t width, TWrapArea& area) {
    TDoc& doc = DocOfPar(par);
    area.Limit = width;
    area.PieceWidth = 1;
    bool moved = false;
    while (slice.Remaining > 0) {
        if (!ExclusionBelow(area, area.Y)) {
            TLine* line = TLine::Acquire(&par);
            line->WidthLimit = width;
            line->IndexInPar = par.Lines->Count;
            line->Row = par.Lines->Count == 0 ? 0 : static_cast<TLine*>(par.Lines->Last())->Row + 1;
            if (moved) {
                line->Flags |= lfTopFixed;
                line->Top = area.Y;
                moved = false;
            }
            par.Lines->Add(line);
            line->Build(slice, nullptr);
            if (line->StreamLength == 0) {
                par.Lines->DeleteLast();
                TLine::Release(line);
                break;
            }
            continue;
        }
        const std::int32_t first = par.Lines->Count;
        const std::int32_t nextChar = first == 0 ? 0
                                                 : static_cast<TLine*>(par.Lines->Last())->FirstChar +
                                                       static_cast<TLine*>(par.Lines->Last())->CharCount;
        std::int32_t indent = par.Format.LeftIndent;
        if (par.OnlyBreaksBefore(nextChar))
            indent += par.Format.FirstIndent;
        const std::int32_t estimate = std::max(1, Px16ToTwips(Breaker.FontAscent + Breaker.FontDescent));
        area.Slots.clear();
        area.RowHeight = 0;
        for (const auto& [left, right] : GapsOfBand(area, area.Y, estimate, std::max(0, indent), width)) {
            if (slice.Remaining <= 0)
                break;
            const TCharFormat before = Breaker.Format;
            const TLineSlice saved = slice;
            area.X = left;
            TLine* line = TLine::Acquire(&par);
            line->WidthLimit = right;
            line->IndexInPar = par.Lines->Count;
            const bool rowFirst = par.Lines->Count == first;
            line->Flags |= lfWrapPiece | lfTopFixed | (rowFirst ? lfWrapRowFirst : 0u);
            line->Row = par.Lines->Count == 0 ? 0 : static_cast<TLine*>(par.Lines->Last())->Row + (rowFirst ? 1 : 0);
            line->Top = area.Y;
            par.Lines->Add(line);
            area.Slots.push_back({left, area.Y, left, area.Y});
            line->Build(slice, &area);
            // A piece whose first item does not fit its gap is dropped: the
            // text goes to the next gap or row instead of into the shape.
            if (line->StreamLength == 0 || TextEndTwips(*line) > right) {
                slice = saved;
                Breaker.Format = before;
                doc.SelectMeasureFont(Breaker.Format, 14);
                par.Lines->DeleteLast();
                area.Slots.pop_back();
                TLine::Release(line);
                continue;
            }
            area.Slots.back().Right = Px16ToTwips(line->Pos(line->CharCount));
        }
        if (par.Lines->Count == first) {
            // Nothing fitted: go below the lowest-reaching rectangle that
            // closes this band, and try again there.
            moved = true;
            std::int32_t next = INT32_MAX;
            for (const TWrapRect& r : area.Exclusions)
                if (r.Top < area.Y + estimate && r.Bottom > area.Y)
                    next = std::min(next, r.Bottom);
            area.Y = next == INT32_MAX ? area.Y + estimate : next;
            continue;
        }
        moved = false;
        // All pieces of a row share one baseline and one height.
        std::int32_t ascent = 0, descent = 0, base = 0;
        for (std::int32_t i = first; i < par.Lines->Count; ++i) {
            const TLine* l = par.Lines->At<TLine>(i);
            ascent = std::max(ascent, l->Ascent);
            descent = std::max(descent, l->Descent);
            base = std::max(base, l->BaseAscent);
        }
        std::int32_t height = 0;
        for (std::int32_t i = first; i < par.Lines->Count; ++i) {
            TLine* l = par.Lines->At<TLine>(i);
            l->Ascent = ascent;
            l->Descent = descent;
            l->BaseAscent = base;
            l->FinishMetrics();
            height = std::max(height, l->Height);
        }
        area.RowHeight = height;
        area.Y += height;
    }
    // Mark the pieces of the first and the last row.
    const std::int32_t count = par.Lines->Count;
    if (count > 0 && (par.Lines->At<TLine>(0)->Flags & lfWrapPiece) != 0) {
        par.Lines->At<TLine>(0)->Flags |= lfWrapFirstRow;
        for (std::int32_t i = 1; i < count && (par.Lines->At<TLine>(i)->Flags & lfWrapRowFirst) == 0; ++i)
            par.Lines->At<TLine>(i)->Flags |= lfWrapFirstRow;
    }
    if (count > 0 && (par.Lines->At<TLine>(count - 1)->Flags & lfWrapPiece) != 0)
        for (std::int32_t i = count - 1; i >= 0; --i) {
            TLine* l = par.Lines->At<TLine>(i);
            l->Flags |= lfWrapLastRow;
            // The row was finished before it was known to be the last;
            // its other pieces take the space after now.
            if (l->FirstChar + l->CharCount < par.CharCount())
                l->Height += par.BorderSpaceBelow() + std::max<std::int32_t>(0, par.Format.SpaceAfter);
            if ((l->Flags & lfWrapRowFirst) != 0)
                break;
        }
}

}  // namespace

void TPar::LayoutLines(std::int32_t fromLine, std::int32_t width, TWrapArea* wrapArea) {
    TDoc& doc = DocOfPar(*this);
    Breaker.Doc = &doc;
    fromLine = std::clamp(fromLine, 0, LineCount());
    // Finding the drop cap normalises the stream, so it comes before any
    // offset into the stream is taken.
    TField* dropCap = nullptr;
    if (fromLine == 0 && (Flags & pfDropCap) != 0 && Index >= 0 && Index < doc.ParCount() && doc.Par(Index) == this)
        dropCap = doc.DropCapOfPar(Index);
    TLineSlice slice{0, Stream.Size};
    TCharFormat format = DefaultCharFormat;
    if (fromLine > 0 && fromLine < LineCount()) {
        const TLine* line = Lines->At<TLine>(fromLine);
        doc.LoadCharFormat(line->StartFormat, format);
        slice = {line->StreamStart, Stream.Size - line->StreamStart};
    } else if (fromLine > 0) {
        const TLine* last = Lines->At<TLine>(fromLine - 1);
        const std::int32_t end = last->StreamStart + last->StreamLength;
        CharFormatAtStreamOffset(*this, end, format);
        slice = {end, Stream.Size - end};
    }
    slice.Offset = std::clamp(slice.Offset, 0, Stream.Size);
    slice.Remaining = std::clamp(slice.Remaining, 0, Stream.Size - slice.Offset);

    if (TabManager != nullptr)
        TabManager->BuildEffectiveTabs(*this);
    CharSizesToSixteenths(format);
    Breaker.Format = format;
    Breaker.Flags = 0;
    doc.SelectMeasureFont(Breaker.Format, 14);

    ReleaseLinesFrom(*this, fromLine);
    if (Lines == nullptr)
        Lines = new TList;

    if (dropCap != nullptr) {
        // The first line holds exactly the drop cap's characters, however
        // wide; the flow lays out the rest beside the drop cap's rectangle.
        TFragment range;
        if (doc.FieldRange(dropCap, range) && range.End.Par == Index) {
            TLineSlice capSlice{0, std::clamp(StreamOffsetOfChar(range.End.Offset), 0, Stream.Size)};
            TLine* line = TLine::Acquire(this);
            line->WidthLimit = width;
            line->IndexInPar = line->Row = 0;
            line->Flags |= lfDropCap;
            Lines->Add(line);
            Breaker.NoOverflow = true;
            line->Build(capSlice, nullptr);
            Breaker.NoOverflow = false;
            line->FinishMetrics();
            return;
        }
    }
    if (wrapArea != nullptr)
        LayoutWrapRows(*this, slice, width, *wrapArea);
    while (slice.Remaining > 0) {
        TLine* line = TLine::Acquire(this);
        line->WidthLimit = width;
        line->IndexInPar = line->Row = Lines->Count;
        Lines->Add(line);
        line->Build(slice, nullptr);
        if (line->StreamLength == 0) {
            // The breaker always takes a first item; a line without bytes
            // can only come from a damaged stream, and ends the layout.
            Lines->DeleteLast();
            TLine::Release(line);
            break;
        }
    }
    // Pieces of wrap rows were finished with their row.
    for (std::int32_t i = Lines->Count - 1; i >= fromLine; --i)
        if ((Lines->At<TLine>(i)->Flags & lfWrapPiece) == 0)
            Lines->At<TLine>(i)->FinishMetrics();
}

void TPar::RebuildLines(bool relayout, std::int32_t width) {
    ReleaseLinesFrom(*this, 0);
    if (Lines != nullptr)
        Lines->Clear();
    if (!relayout) {
        Flags &= static_cast<std::uint16_t>(~(pfLaidOut | pfNormalized));
        return;
    }
    Normalize();
    std::int32_t right = Format.RightIndent;
    const std::uint8_t viewMode = Owner != nullptr ? Owner->OwnerViewMode() : std::uint8_t{vmPrintLayout};
    if (right < 0 && (viewMode == vmDraft || viewMode == vmDraftWrapped))
        right = 0;
    LayoutLines(0, width - right, nullptr);
    Flags |= pfLaidOut;
}
