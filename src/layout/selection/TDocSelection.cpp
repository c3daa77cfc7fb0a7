#include <algorithm>
#include <memory>

#include "layout/selection/TableCells.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/host/TDocClient.h"
#include "model/host/TModelHost.h"
#include "model/paragraphs/TPar.h"

namespace {

// Pushed by code that repaints itself after a selection change.
constexpr std::uint8_t sfNoSelectionRepaint = 17;

std::int32_t LengthOf(const TDoc& doc, std::int32_t par) {
    return doc.Par(par)->CharCount();
}

using TableCells::InTable;

std::uint8_t LastChar(const TDoc& doc, std::int32_t par) {
    const TPar* p = doc.Par(par);
    return p->CharCount() > 0 ? p->Chars.Data[p->CharCount() - 1] : 0;
}

void CellPars(const TDoc& doc, std::int32_t par, std::int32_t& first, std::int32_t& last) {
    TableCells::Cell(doc, par, first, last);
}

void RowPars(const TDoc& doc, std::int32_t par, std::int32_t& first, std::int32_t& last) {
    TableCells::Row(doc, par, first, last);
}

bool IsPos(const TTextPos& pos, std::int32_t par, std::int32_t offset) {
    return pos.Par == par && pos.Offset == offset;
}

using TableCells::SameCell;
using TableCells::SameRow;

// Whether a neighbouring pair of ranges (the first ends at its paragraph's
// end, the second starts at the next paragraph) joins in a pass. Inside
// tables only whole cells of one column or whole rows join, so that a
// block of cells stays a block.
bool Joins(const TDoc& doc, const TFragment& prev, const TFragment& cur, bool rowPass) {
    if (doc.TableRowList.Count == 0)
        return true;
    const bool prevInTable = InTable(doc, prev.End.Par), curInTable = InTable(doc, cur.Start.Par);
    if (!prevInTable && !curInTable)
        return true;
    if (!rowPass) {
        if (!InTable(doc, prev.Start.Par) || !prevInTable || !curInTable || !InTable(doc, cur.End.Par))
            return false;
        if (SameCell(doc, prev.Start.Par, cur.Start.Par) && SameCell(doc, prev.End.Par, cur.End.Par))
            return true;
        std::int32_t f1, l1, f2, l2;
        CellPars(doc, prev.Start.Par, f1, l1);
        CellPars(doc, cur.End.Par, f2, l2);
        return SameRow(doc, prev.Start.Par, cur.End.Par) && IsPos(prev.Start, f1, 0) &&
               IsPos(cur.End, l2, LengthOf(doc, l2));
    }
    if (prevInTable) {
        std::int32_t first, last;
        RowPars(doc, prev.End.Par, first, last);
        if (!IsPos(prev.End, last, LengthOf(doc, last)) || prev.Start.Par > first ||
            (prev.Start.Par == first && prev.Start.Offset > 0))
            return false;
    }
    if (curInTable) {
        std::int32_t first, last;
        RowPars(doc, cur.Start.Par, first, last);
        if (!IsPos(cur.Start, first, 0) || cur.End.Par < last ||
            (cur.End.Par == last && cur.End.Offset < LengthOf(doc, last)))
            return false;
    }
    return true;
}

}  // namespace

void TDoc::OrderRangeEnds(TTextPos& start, TTextPos& end, bool tablesKeepEnd) const {
    start.Par = std::clamp(start.Par, 0, ParCount() - 1);
    end.Par = std::clamp(end.Par, 0, ParCount() - 1);
    start.Offset = std::clamp(start.Offset, 0, LengthOf(*this, start.Par));
    end.Offset = std::clamp(end.Offset, 0, LengthOf(*this, end.Par));
    if (end.Par < start.Par || (end.Par == start.Par && end.Offset < start.Offset))
        std::swap(start, end);
    if (start.Par < ParCount() - 1 && start.Offset == LengthOf(*this, start.Par) &&
        !(InTable(*this, start.Par) && LastChar(*this, start.Par) == chCellEnd))
        MakeTextPos(start.Par + 1, 0, start);
    if (end.Offset == 0 && end.Par > 0 && !(tablesKeepEnd && InTable(*this, end.Par)))
        MakeTextPos(end.Par - 1, LengthOf(*this, end.Par - 1), end);
    if (CompareTextPos(end, start) < 0)
        end = start;
}

void TDoc::NormalizeRanges(TCompoundFragment& set) const {
    for (std::int32_t i = 0; i < set.Count(); ++i) {
        TFragment& r = set.Fragment(i);
        if (r.Start.Par != r.End.Par || !InTable(*this, r.End.Par) || LastChar(*this, r.End.Par) != chCellEnd ||
            r.End.Offset != LengthOf(*this, r.End.Par))
            continue;
        std::int32_t first, last;
        CellPars(*this, r.End.Par, first, last);
        MakeTextPos(first, 0, r.Start);
    }
    set.Normalize();
    const int passes = TableRowList.Count == 0 ? 1 : 2;
    for (int pass = 0; pass < passes; ++pass) {
        for (std::int32_t i = set.Count() - 1; i >= 1; --i) {
            TFragment& prev = set.Fragment(i - 1);
            const TFragment& cur = set.Fragment(i);
            if (prev.End.Offset != LengthOf(*this, prev.End.Par) || cur.Start.Offset != 0 ||
                cur.Start.Par != prev.End.Par + 1 || StoryOfPar(prev.Start.Par) != StoryOfPar(cur.Start.Par))
                continue;
            if (!Joins(*this, prev, cur, pass == 1))
                continue;
            prev.End = cur.End;
            set.Delete(i);
        }
    }
    if (set.CurrentIndex >= set.Count())
        set.CurrentIndex = set.Count() - 1;
}

void TDoc::SetSelection(std::int32_t startPar,
                        std::int32_t startOffset,
                        std::uint32_t flags,
                        std::int32_t endOffset,
                        std::int32_t endPar) {
    Client->StopOccurrenceHighlight(*this);
    TCompoundFragment old;
    old.Assign(*Selection);
    const bool hadSelection = HasSelection();
    startPar = std::clamp(startPar, 0, ParCount() - 1);
    endPar = std::clamp(endPar, 0, ParCount() - 1);
    TTextPos start, end;
    MakeTextPos(startPar, std::clamp(startOffset, 0, LengthOf(*this, startPar)), start);
    MakeTextPos(endPar, std::clamp(endOffset, 0, LengthOf(*this, endPar)), end);
    // The anchor stays while it lies inside the new range as given, so that
    // extending a selection keeps the end the user started from.
    if (!hadSelection || CompareTextPos(SelAnchor, start) < 0 || CompareTextPos(SelAnchor, end) > 0)
        SelAnchor = start;
    OrderRangeEnds(start, end, true);
    Selection->Flag = 0;
    TFragment range{start, end};
    range.Start.Line = UnlocatedLine;
    range.Start.Page = 0;
    range.End.Line = 0;
    range.End.Page = 0;
    if ((flags & 2) != 0 || (flags & 4) == 0 || !hadSelection) {
        Selection->SetSingle(range.Start.Par, range.Start.Offset, range.End.Par, range.End.Offset);
        Selection->Fragment(0) = range;
        if (BaseSelection != nullptr)
            BaseSelection->Reset();
    } else {
        if (BaseSelection == nullptr)
            BaseSelection = std::make_shared<TCompoundFragment>();
        BaseSelection->Assign(*Selection);
        Selection->Insert(0, range);
    }
    SnapSelectionToCells();
    if (!HasSelection())
        Selection->SetSingle(0, 0, 0, 0);
    if ((flags & 8) == 0)
        SelectionChanged();
    if (StateFlags[sfNoSelectionRepaint] != 0)
        return;
    if (old.Count() == 1 && Selection->Count() == 1) {
        RepaintSelectionChange(old.Fragment(0));
    } else if (!HasSelection()) {
        RepaintRanges(old);
    } else {
        TFragment oldSpan, newSpan;
        old.GetSpan(oldSpan);
        Selection->GetSpan(newSpan);
        TCompoundFragment both;
        TFragment& r = both.Fragment(0);
        r.Start = CompareTextPos(oldSpan.Start, newSpan.Start) <= 0 ? oldSpan.Start : newSpan.Start;
        r.End = CompareTextPos(oldSpan.End, newSpan.End) >= 0 ? oldSpan.End : newSpan.End;
        RepaintRanges(both);
    }
}

void TDoc::ClearSelection(std::uint32_t flags) {
    SetSelection(Caret.Par, Caret.Offset, flags | 2, Caret.Offset, Caret.Par);
}

void TDoc::SelectionChanged() {
    if (SelectionWithHidden == nullptr)
        SelectionWithHidden = std::make_shared<TCompoundFragment>();
    SelectionWithHidden->Assign(*Selection);
    if (HasSelection()) {
        // The selection as shown leaves out what the view hides; copying
        // and moving take the hidden paragraphs under whole selected ones.
        ExtendRangesOverHidden(*SelectionWithHidden);
        RemoveHiddenFromRanges(*Selection);
        if (!HasSelection()) {
            Selection->Reset();
            SelectionWithHidden->Reset();
        }
    }
    if (HasSelection()) {
        TFragment span;
        Selection->GetSpan(span);
        MergedParFormat(Selection, span, CurParFormat);
        MergedCharFormat(Selection, span, CurCharFormat);
    } else {
        CurParFormat = Par(std::clamp(Caret.Par, 0, ParCount() - 1))->Format;
        if (StateFlags[sfTypingFormatFixed] == 0)
            CharFormatAt(Caret, CurCharFormat);
    }
}

void TDoc::RepaintRanges(const TCompoundFragment& set) {
    if (IsEmptyCompoundFragment(&set))
        return;
    // Painting a range with a cell or row end mark changes the look of the
    // whole row; the view is painted whole then.
    if (TableRowList.Count > 0) {
        for (std::int32_t i = 0; i < set.Count(); ++i) {
            const TFragment& r = set.Fragment(i);
            for (std::int32_t p = r.Start.Par; p <= r.End.Par; ++p) {
                const std::uint8_t last = LastChar(*this, p);
                const bool markInside = p < r.End.Par || r.End.Offset >= LengthOf(*this, p);
                if (markInside && (last == chCellEnd || last == chRowEnd)) {
                    PaintView(nullptr, nullptr);
                    return;
                }
            }
        }
    }
    PaintView(nullptr, &set);
}

void TDoc::RepaintSelectionChange(const TFragment& old) {
    TFragment span;
    Selection->GetSpan(span);
    TFragment first, second;
    const int n = XorFragments(first, second, span, old);
    if (n == 0)
        return;
    TCompoundFragment parts;
    parts.Fragment(0) = first;
    if (n > 1)
        parts.Insert(1, second);
    RepaintRanges(parts);
}

void TDoc::SelectAll() {
    TFragment story;
    CurrentStoryRange(story);
    SetSelection(story.Start.Par, story.Start.Offset, 0, story.End.Offset, story.End.Par);
}

void TDoc::InvertSelection() {
    TFragment story;
    CurrentStoryRange(story);
    InvertRanges(*Selection, story);
    if (!HasSelection())
        Selection->Reset();
    SelectionChanged();
    ModelHost().InvalidateUI();
    PaintView(nullptr, nullptr);
}

bool TDoc::SameRanges(const TCompoundFragment& a, const TCompoundFragment& b) const {
    TCompoundFragment first, second;
    first.Assign(a);
    second.Assign(b);
    NormalizeRanges(first);
    NormalizeRanges(second);
    return first.Equals(second);
}

void TDoc::SnapAnchorToRangeEnd() {
    if (!HasSelection())
        return;
    for (std::int32_t i = Selection->Count() - 1; i >= 0; --i) {
        const TFragment& r = Selection->Fragment(i);
        if (CompareTextPos(r.Start, SelAnchor) > 0 || CompareTextPos(SelAnchor, r.End) > 0)
            continue;
        if (CompareTextPos(r.Start, SelAnchor) == 0 || CompareTextPos(SelAnchor, r.End) == 0)
            return;
        // Strictly inside: to the nearer end, by characters within one
        // paragraph, else by paragraphs; a tie goes to the start.
        const bool toStart = r.Start.Par == r.End.Par
                                 ? SelAnchor.Offset - r.Start.Offset <= r.End.Offset - SelAnchor.Offset
                                 : SelAnchor.Par - r.Start.Par <= r.End.Par - SelAnchor.Par;
        const TTextPos& end = toStart ? r.Start : r.End;
        SelAnchor.Par = end.Par;
        SelAnchor.Offset = end.Offset;
        return;
    }
    SelAnchor.Par = Selection->Fragment(0).Start.Par;
    SelAnchor.Offset = Selection->Fragment(0).Start.Offset;
}

void TDoc::CaretToSelectionStart() {
    const TTextPos start = Selection->Fragment(0).Start;
    SelAnchor.Par = start.Par;
    SelAnchor.Offset = start.Offset;
    MoveCaretTo(start.Par, start.Offset, 0, UnlocatedLine);
}

void TDoc::SaveBaseSelection() {
    if (BaseSelection == nullptr)
        BaseSelection = std::make_shared<TCompoundFragment>();
    BaseSelection->Assign(*Selection);
    SplitRangesAtCells(*BaseSelection);
}
