// The selection against table structure and hidden paragraphs: ranges that
// leave their cell become blocks of cells or whole rows, ranges are cut at
// cell bounds and inverted inside a range, and the paragraphs the view
// hides are taken out of the selection as shown.

#include <algorithm>
#include <vector>

#include "layout/selection/TableCells.h"
#include "layout/words/WordServices.h"
#include "model/document/TDoc.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"

namespace {

// Set by code that wants whole rows where a range leaves its cell.
constexpr std::uint8_t sfNoCellBlocks = 147;

std::int32_t LengthOf(const TDoc& doc, std::int32_t par) {
    return doc.Par(par)->CharCount();
}

TTextPos PosAt(std::int32_t par, std::int32_t offset) {
    TTextPos pos;
    MakeTextPos(par, offset, pos);
    return pos;
}

TFragment RangeOf(const TTextPos& start, const TTextPos& end) {
    TFragment range{};
    MakeTextPos(start.Par, start.Offset, range.Start);
    MakeTextPos(end.Par, end.Offset, range.End);
    return range;
}

// The set holds exactly these ranges (one empty range for none).
void AssignRanges(TCompoundFragment& set, const std::vector<TFragment>& ranges) {
    set.Reset();
    if (ranges.empty())
        return;
    set.SetCount(static_cast<std::int32_t>(ranges.size()));
    for (std::size_t i = 0; i < ranges.size(); ++i)
        set.Fragment(static_cast<std::int32_t>(i)) = ranges[i];
}

void AppendRange(TCompoundFragment& set, const TTextPos& start, const TTextPos& end) {
    set.Insert(set.Count(), RangeOf(start, end));
}

// The selection is one whole table, first position to last: a table
// selected as such stays as it is.
bool IsWholeTable(const TDoc& doc, const TCompoundFragment& set) {
    if (set.Count() != 1)
        return false;
    const TFragment& r = set.Fragment(0);
    if (!TableCells::InTable(doc, r.Start.Par))
        return false;
    std::int32_t first, last;
    TableCells::Table(doc, r.Start.Par, first, last);
    return r.Start.Par == first && r.Start.Offset == 0 && r.End.Par == last && r.End.Offset == LengthOf(doc, last);
}

}  // namespace

void TDoc::SnapSelectionToCells() {
    TCompoundFragment& set = *Selection;
    if (IsEmptyCompoundFragment(&set) || IsWholeTable(*this, set))
        return;
    for (std::int32_t i = set.Count() - 1; i >= 0; --i) {
        TFragment& r = set.Fragment(i);
        OrderRangeEnds(r.Start, r.End, true);
        if (TableCells::InTable(*this, r.End.Par)) {
            // A range that ends with its cell's end mark takes the cell.
            std::int32_t first, last;
            TableCells::Cell(*this, r.End.Par, first, last);
            if (r.End.Par == last && r.End.Offset == LengthOf(*this, last) && r.Start.Par >= first)
                MakeTextPos(first, 0, r.Start);
        }
        if (r.Start.Par == r.End.Par)
            continue;
        const bool startIn = TableCells::InTable(*this, r.Start.Par), endIn = TableCells::InTable(*this, r.End.Par);
        if (!startIn && !endIn)
            continue;
        if (startIn && endIn && TableCells::SameCell(*this, r.Start.Par, r.End.Par))
            continue;
        if (StateFlags[sfNoCellBlocks] == 0 && TableCells::SameTable(*this, r.Start.Par, r.End.Par)) {
            // From one cell to another of the same table: the rectangle of
            // cells between them, row by row.
            std::int32_t l1, r1, l2, r2;
            TableCells::CellXExtent(*this, r.Start.Par, l1, r1);
            TableCells::CellXExtent(*this, r.End.Par, l2, r2);
            const std::int32_t startPar = r.Start.Par, endPar = r.End.Par;
            // The last range left collapses to an empty one, which the
            // first cell replaces.
            set.Delete(i);
            TableCells::AppendCellsInXRange(*this, startPar, endPar, std::min(l1, l2), std::max(r1, r2), set);
            continue;
        }
        // Into or out of a table, or across tables: whole rows.
        std::int32_t first, last;
        if (startIn) {
            TableCells::Row(*this, r.Start.Par, first, last);
            MakeTextPos(first, 0, r.Start);
        }
        if (endIn) {
            TableCells::Row(*this, r.End.Par, first, last);
            MakeTextPos(last, LengthOf(*this, last), r.End);
        }
    }
    NormalizeRanges(set);
}

void TDoc::SplitRangesAtCells(TCompoundFragment& set) const {
    if (IsEmptyCompoundFragment(&set))
        return;
    const std::int32_t count = set.Count();
    for (std::int32_t i = 0; i < count; ++i) {
        for (std::int32_t p = set.Fragment(i).End.Par; p > set.Fragment(i).Start.Par; --p) {
            if (!TableCells::InTable(*this, p))
                continue;
            std::int32_t first, last;
            TableCells::Cell(*this, p, first, last);
            TFragment& r = set.Fragment(i);
            const TTextPos cellStart = PosAt(first, 0), cellEnd = PosAt(last, LengthOf(*this, last));
            const int startCmp = CompareTextPos(cellStart, r.Start);
            const bool endsBefore = CompareTextPos(cellEnd, r.End) < 0;
            if (startCmp > 0 || (startCmp == 0 && endsBefore)) {
                // Copies: appending may move the set's records.
                TTextPos start = r.Start, end = r.End;
                if (endsBefore) {
                    AppendRange(set, PosAt(last + 1, 0), end);
                    end = cellEnd;
                }
                AppendRange(set, cellStart, end);
                end = cellStart;
                if (start.Par < first)
                    end = PosAt(first - 1, LengthOf(*this, first - 1));
                set.Fragment(i).End = end;
                set.Fragment(i).Start = start;
            }
            p = first;
        }
    }
    set.Normalize();
}

void TDoc::InvertRanges(TCompoundFragment& set, const TFragment& within) const {
    set.Normalize();
    std::vector<TFragment> gaps;
    TTextPos from = within.Start;
    auto addGap = [&](TTextPos start, TTextPos end) {
        if (CompareTextPos(start, within.Start) < 0)
            start = within.Start;
        if (CompareTextPos(end, within.End) > 0)
            end = within.End;
        // A gap starting after a paragraph's last character starts on the
        // next paragraph; one ending at a paragraph's start ends after the
        // paragraph before.
        if (start.Par < within.End.Par && start.Offset == LengthOf(*this, start.Par))
            start = PosAt(start.Par + 1, 0);
        if (end.Offset == 0 && end.Par > within.Start.Par)
            end = PosAt(end.Par - 1, LengthOf(*this, end.Par - 1));
        if (CompareTextPos(end, start) < 0)
            end = start;
        gaps.push_back(RangeOf(start, end));
    };
    if (!IsEmptyCompoundFragment(&set)) {
        for (std::int32_t i = 0; i < set.Count(); ++i) {
            const TFragment& r = set.Fragment(i);
            if (CompareTextPos(r.End, within.Start) <= 0 || CompareTextPos(r.Start, within.End) >= 0)
                continue;
            addGap(from, r.Start);
            from = r.End;
        }
    }
    addGap(from, within.End);
    // Empty gaps go while others remain.
    for (std::size_t i = gaps.size(); i-- > 0 && gaps.size() > 1;)
        if (CompareTextPos(gaps[i].Start, gaps[i].End) == 0)
            gaps.erase(gaps.begin() + static_cast<std::ptrdiff_t>(i));
    const std::uint8_t flag = set.Flag;
    AssignRanges(set, gaps);
    set.Flag = flag;
    SplitRangesAtCells(set);
    NormalizeRanges(set);
}

bool TDoc::ExtendRangesOverHidden(TCompoundFragment& set) const {
    if (IsEmptyCompoundFragment(&set))
        return false;
    const TWordServices& services = WordServices();
    bool changed = false;
    for (std::int32_t i = 0; i < set.Count(); ++i) {
        TFragment& r = set.Fragment(i);
        if (r.Start.Offset != 0 || r.End.Offset < LengthOf(*this, r.End.Par))
            continue;
        // A range of whole paragraphs takes the hidden paragraphs after it,
        // which go wherever it goes when copied or moved.
        const std::int32_t storyEnd = LastParOfStory(StoryOfPar(r.End.Par));
        std::int32_t last = r.End.Par;
        while (last < storyEnd && services.IsParHidden(*this, last + 1))
            ++last;
        if (last != r.End.Par) {
            MakeTextPos(last, LengthOf(*this, last), r.End);
            changed = true;
        }
    }
    if (changed)
        NormalizeRanges(set);
    return changed;
}

void TDoc::RemoveHiddenFromRanges(TCompoundFragment& set) const {
    if (IsEmptyCompoundFragment(&set))
        return;
    const TWordServices& services = WordServices();
    std::vector<TFragment> hidden;
    for (std::int32_t i = 0; i < set.Count(); ++i) {
        const TFragment r = set.Fragment(i);
        for (std::int32_t p = r.Start.Par; p <= r.End.Par; ++p) {
            if (!services.IsParHidden(*this, p))
                continue;
            std::int32_t last = p;
            while (last < r.End.Par && services.IsParHidden(*this, last + 1))
                ++last;
            hidden.push_back(RangeOf(PosAt(p, 0), PosAt(last, LengthOf(*this, last))));
            p = last;
        }
    }
    if (hidden.empty())
        return;
    TCompoundFragment cut;
    AssignRanges(cut, hidden);
    set.Subtract(cut);
    for (std::int32_t i = 0; i < set.Count(); ++i) {
        TFragment& r = set.Fragment(i);
        OrderRangeEnds(r.Start, r.End, false);
    }
    NormalizeRanges(set);
}
