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

bool ExclusionBelow(const TWrapArea& area, std::int32_t y) {
    return std::any_of(area.Exclusions.begin(), area.Exclusions.end(),
                       [y](const TWrapRect& r) { return r.Bottom > y; });
}

bool Meets(const TWrapRect& a, const TWrapRect& b) {
    return a.Left < a.Right && a.Top < a.Bottom && b.Left < b.Right && b.Top < b.Bottom && a.Left < b.Right &&
           b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

bool InRect(const TWrapRect& r, std::int32_t x, std::int32_t y) {
    return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}

TLine* LastLine(const TPar& par) {
    return par.Lines->Count == 0 ? nullptr : static_cast<TLine*>(par.Lines->Last());
}

// The indent in twips of the character after the paragraph's last line.
std::int32_t NextIndent(const TPar& par) {
    const TLine* last = LastLine(par);
    const std::int32_t next = last == nullptr ? 0 : last->FirstChar + last->CharCount;
    std::int32_t indent = par.Format.LeftIndent;
    if (par.OnlyBreaksBefore(next))
        indent += par.Format.FirstIndent;
    return indent;
}

// Below a row that held nothing, the first height from the rectangle
// bottoms on at which a piece as wide as the one that did not fit finds a
// gap: each try that still meets a rectangle goes down by the smallest
// overlap it found. Returns the new top and leaves the gap's left in x.
std::int32_t RowBelow(const TWrapArea& area, std::int32_t indentX, std::int32_t& x) {
    std::int32_t next = INT32_MAX;
    for (const TWrapRect& r : area.Exclusions)
        if (r.Bottom > area.Y)
            next = std::min(next, r.Bottom);
    const std::int32_t height = std::max(1, area.RowHeight);
    const auto count = static_cast<std::int32_t>(area.Exclusions.size());
    while (next != INT32_MAX) {
        x = indentX;
        std::int32_t gap = INT32_MAX;
        bool clear = true;
        for (std::int32_t i = count - 1; i >= 0; --i) {
            const TWrapRect& r = area.Exclusions[static_cast<std::size_t>(i)];
            const TWrapRect tried{x, next, x + area.PieceWidth, next + height};
            if (!Meets(tried, r)) {
                clear = true;
                continue;
            }
            x = r.Right;
            gap = std::min(gap, r.Bottom - next);
            clear = false;
            if (static_cast<std::int64_t>(x) + area.PieceWidth > area.Limit)
                break;
            i = count;  // scan again from the last rectangle
        }
        if (clear)
            return next;
        next = gap == INT32_MAX ? INT32_MAX : next + gap;
    }
    x = indentX;
    return area.Y;
}

// Lays the paragraph out in rows beside the exclusion rectangles. A row
// has one top and one height and holds pieces left to right; the breaker
// checks every item of a piece against the rectangles (TLine::FitsWrapArea)
// and leaves in the area where the next piece may start. A row that holds
// nothing moves down until a gap as wide as the text that did not fit
// opens. Once no rectangle reaches below the row, the rest of the
// paragraph is laid out plainly.
void LayoutWrapRows(TPar& par, TLineSlice& slice, std::int32_t width, TWrapArea& area) {
    area.Slots.clear();
    area.PieceWidth = 1;
    area.Limit = width;
    bool moved = false;
    bool retry = false;
    std::int32_t indentX = 0;
    while (slice.Remaining > 0) {
        if (!ExclusionBelow(area, area.Y)) {
            // Plain lines from here on.
            TLine* line = TLine::Acquire(&par);
            line->WidthLimit = width;
            line->IndexInPar = par.Lines->Count;
            line->Row = LastLine(par) == nullptr ? 0 : LastLine(par)->Row + 1;
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
        area.Slots.clear();
        area.RowHeight = 0;
        if (retry) {
            retry = false;
        } else {
            area.X = indentX = std::max(0, NextIndent(par));
            for (std::size_t i = area.Exclusions.size(); i-- > 0;)
                if (InRect(area.Exclusions[i], area.X, area.Y)) {
                    area.X = area.Exclusions[i].Right;
                    i = area.Exclusions.size();
                }
        }
        while (slice.Remaining > 0 && area.X < area.Limit) {
            const std::int32_t startX = area.X;
            TLine* line = TLine::Acquire(&par);
            line->WidthLimit = width;
            line->IndexInPar = par.Lines->Count;
            line->Top = area.Y;
            const bool rowFirst = par.Lines->Count == first;
            line->Flags |= lfWrapPiece | lfTopFixed | (rowFirst ? lfWrapRowFirst : 0u);
            line->Row = LastLine(par) == nullptr ? 0 : LastLine(par)->Row + (rowFirst ? 1 : 0);
            par.Lines->Add(line);
            area.Slots.push_back({area.X, area.Y, area.X, area.Y});
            line->Build(slice, &area);
            if (line->StreamLength == 0) {
                par.Lines->DeleteLast();
                TLine::Release(line);
                area.Slots.pop_back();
                // A piece that took nothing has moved x on; should it not
                // have, the row is over.
                if (area.X <= startX)
                    area.X = area.Limit;
            }
        }
        if (par.Lines->Count == first) {
            moved = true;
            par.Flags |= pfRelayout;
            std::int32_t x = indentX;
            area.Y = RowBelow(area, indentX, x);
            area.X = x;
            retry = true;
            if (!ExclusionBelow(area, area.Y))
                retry = false;
            continue;
        }
        moved = false;
        area.Y = area.Slots.empty() ? area.Y + area.RowHeight : area.Slots.front().Bottom;
        // Each piece ends before the first rectangle to its right; all
        // share the row's metrics, so their baselines line up.
        for (std::int32_t i = par.Lines->Count - 1; i >= first; --i) {
            TLine* l = par.Lines->At<TLine>(i);
            l->WidthLimit = area.Limit;
            const auto slot = static_cast<std::size_t>(i - first);
            if (slot < area.Slots.size()) {
                const TWrapRect& s = area.Slots[slot];
                for (const TWrapRect& r : area.Exclusions)
                    if (Meets({s.Left, s.Top, l->WidthLimit, s.Bottom}, r))
                        l->WidthLimit = std::min(l->WidthLimit, r.Left);
            }
        }
        TLine* head = par.Lines->At<TLine>(first);
        for (std::int32_t i = first + 1; i < par.Lines->Count; ++i) {
            const TLine* l = par.Lines->At<TLine>(i);
            head->Ascent = std::max(head->Ascent, l->Ascent);
            head->Descent = std::max(head->Descent, l->Descent);
            head->BaseAscent = std::max(head->BaseAscent, l->BaseAscent);
        }
        for (std::int32_t i = first + 1; i < par.Lines->Count; ++i) {
            TLine* l = par.Lines->At<TLine>(i);
            l->Ascent = head->Ascent;
            l->Descent = head->Descent;
            l->BaseAscent = head->BaseAscent;
        }
    }
    area.Slots.clear();
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
            if ((l->Flags & lfWrapRowFirst) != 0)
                break;
        }
}

}  // namespace

void TPar::LayoutLines(std::int32_t fromLine, std::int32_t width, TWrapArea* wrapArea) {
    TDoc& doc = DocOfPar(*this);
    Breaker.Doc = &doc;
    fromLine = std::clamp(fromLine, 0, LineCount());
    if (fromLine == 0)
        Flags &= static_cast<std::uint16_t>(~pfRelayout);
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
    for (std::int32_t i = Lines->Count - 1; i >= fromLine; --i) {
        TLine* line = Lines->At<TLine>(i);
        line->FinishMetrics();
        // A line whose top the rows fixed and that still meets a rectangle
        // across its band makes the paragraph depend on the rectangles.
        if (wrapArea != nullptr && (line->Flags & lfTopFixed) != 0 && (Flags & pfRelayout) == 0) {
            const TWrapRect band{INT32_MIN, line->Top, INT32_MAX, line->Top + line->Height};
            for (const TWrapRect& r : wrapArea->Exclusions)
                if (Meets(band, r))
                    Flags |= pfRelayout;
        }
    }
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
