// Questions about the selection, and the ranges of whole stories.
#include "model/document/TDoc.h"

#include <algorithm>

#include "base/core/ObjectHandles.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TShape.h"
#include "model/formats/WordSeparators.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"

namespace {

constexpr std::uint8_t MixedStories = 0xFF;
// Selected-pictures flags: pictures and shapes, horizontal lines.
constexpr std::uint32_t spPictures = 1;
constexpr std::uint32_t spHorizontalLines = 2;

bool InTable(const TDoc& doc, std::int32_t par) {
    return par >= 0 && par < doc.ParCount() && doc.Par(par)->Format.InTable == 1;
}

bool IsRowEndPar(const TDoc& doc, std::int32_t par) {
    return InTable(doc, par) && doc.Par(par)->CharCount() > 0 && doc.Par(par)->Chars.Data[0] == chRowEnd;
}

std::uint8_t LastChar(const TDoc& doc, std::int32_t par) {
    const TPar* p = doc.Par(par);
    return p->CharCount() > 0 ? p->Chars.Data[p->CharCount() - 1] : 0;
}

// Two in-table paragraphs belong to one table when every paragraph between
// them is in a table of the same story.
bool SameTable(const TDoc& doc, std::int32_t a, std::int32_t b) {
    if (a > b)
        std::swap(a, b);
    if (!InTable(doc, a) || !InTable(doc, b) || doc.StoryOfPar(a) != doc.StoryOfPar(b))
        return false;
    for (std::int32_t p = a + 1; p < b; ++p)
        if (!InTable(doc, p))
            return false;
    return true;
}

// The first and last paragraph of the cell of an in-table paragraph; a
// row-end paragraph is a cell of its own.
void CellPars(const TDoc& doc, std::int32_t par, std::int32_t& first, std::int32_t& last) {
    first = last = par;
    if (IsRowEndPar(doc, par))
        return;
    while (first > 0 && InTable(doc, first - 1) && LastChar(doc, first - 1) != chCellEnd &&
           LastChar(doc, first - 1) != chRowEnd)
        --first;
    while (last + 1 < doc.ParCount() && InTable(doc, last + 1) && LastChar(doc, last) != chCellEnd)
        ++last;
}

// The first paragraph of the row of an in-table paragraph, and its
// row-end paragraph (or the table's last paragraph when it has none).
void RowPars(const TDoc& doc, std::int32_t par, std::int32_t& first, std::int32_t& last) {
    first = last = par;
    while (first > 0 && InTable(doc, first - 1) && !IsRowEndPar(doc, first - 1))
        --first;
    while (!IsRowEndPar(doc, last) && last + 1 < doc.ParCount() && InTable(doc, last + 1))
        ++last;
}

// Both ends inside one cell, the end before the cell's end.
bool InsideOneCell(const TDoc& doc, const TFragment& range) {
    if (!InTable(doc, range.Start.Par) || !InTable(doc, range.End.Par))
        return false;
    std::int32_t first = 0;
    std::int32_t last = 0;
    CellPars(doc, range.Start.Par, first, last);
    if (range.End.Par < first || range.End.Par > last)
        return false;
    const std::int32_t cellEnd = doc.Par(last)->CharCount();
    return range.End.Par < last || range.End.Offset < cellEnd;
}

bool IsSeparatorByte(const TPar* par, std::int32_t i) {
    return i >= 0 && i < par->CharCount() && WordSeparators[par->Chars.Data[i]] != 0;
}

// A range end stands at a word boundary: a paragraph start or end, or a
// separator right before or after it.
bool EndOnWordBoundary(const TDoc& doc, const TTextPos& pos) {
    if (pos.Par < 0 || pos.Par >= doc.ParCount())
        return false;
    const TPar* par = doc.Par(pos.Par);
    if (pos.Offset <= 0 || pos.Offset >= par->CharCount())
        return true;
    return IsSeparatorByte(par, pos.Offset - 1) || IsSeparatorByte(par, pos.Offset);
}

TShape* ShapeOfAnchor(const TPar* par, std::int32_t offset) {
    if (offset < 0 || offset >= par->CharCount() || par->Chars.Data[offset] != chShapeAnchor)
        return nullptr;
    const std::int32_t at = par->StreamOffsetOfChar(offset);
    TStreamElement e;
    ReadStreamElement(par->Stream.Data, par->Stream.Size, at, e);
    if (!e.IsControl || e.Truncated || e.Code != fcShapeAnchor)
        return nullptr;
    return HandleTo<TShape>(static_cast<TObjectHandle>(e.Value));
}

}  // namespace

// The selection itself is the selection code's; these two are the
// questions every other query starts from.
bool TDoc::HasSelection() const {
    return !IsEmptyCompoundFragment(Selection);
}

bool TDoc::HasSingleSelection() const {
    return Selection != nullptr && Selection->Count() == 1 && !FragmentIsEmpty(Selection->Fragment(0));
}

bool TDoc::SelectionIsContiguous() const {
    if (Selection == nullptr)
        return true;
    TCompoundFragment* copy = CloneCompoundFragment(*Selection);
    copy->Normalize();
    const bool one = copy->Count() == 1;
    ReleaseCompoundFragment(copy);
    return one;
}

bool TDoc::IsPosSelected(const TTextPos& pos) const {
    return Selection != nullptr && PosInCompoundFragment(pos, *Selection);
}

bool TDoc::SelectionInOneTable() const {
    if (CurParFormat.InTable != 1)
        return false;
    if (!HasSelection())
        return true;
    return SameTable(*this, Selection->Fragment(0).Start.Par, Selection->Fragment(Selection->Count() - 1).End.Par);
}

bool TDoc::IsCellSelection(const TCompoundFragment* fragment) const {
    if (IsEmptyCompoundFragment(fragment))
        return false;
    const std::int32_t first = fragment->Fragment(0).Start.Par;
    const std::int32_t last = fragment->Fragment(fragment->Count() - 1).End.Par;
    if (!SameTable(*this, first, last))
        return false;
    for (std::int32_t i = 0; i < fragment->Count(); ++i)
        if (InsideOneCell(*this, fragment->Fragment(i)))
            return false;
    return true;
}

bool TDoc::SelectionOnlyRowEnds() const {
    if (CurParFormat.InTable != 1 || !HasSelection())
        return false;
    // Cut at the row ends with the row-end paragraphs left out, nothing
    // remains: every selected character is a row-end mark.
    for (std::int32_t i = 0; i < Selection->Count(); ++i) {
        const TFragment& range = Selection->Fragment(i);
        if (FragmentIsEmpty(range))
            continue;
        for (std::int32_t p = range.Start.Par; p <= range.End.Par && p < Pars.Count; ++p) {
            if (IsRowEndPar(*this, p))
                continue;
            const std::int32_t from = p == range.Start.Par ? range.Start.Offset : 0;
            const std::int32_t to = p == range.End.Par ? range.End.Offset : Par(p)->CharCount();
            if (to > from)
                return false;
        }
    }
    return true;
}

bool TDoc::CaretOnRowEnd() const {
    if (CurParFormat.InTable != 1)
        return false;
    return HasSelection() ? SelectionOnlyRowEnds() : IsRowEndPar(*this, Caret.Par);
}

std::uint8_t TDoc::SelectionStory() const {
    if (!HasSelection())
        return static_cast<std::uint8_t>(StoryOfPar(Caret.Par));
    const int story = StoryOfPar(Selection->Fragment(0).Start.Par);
    for (std::int32_t i = 1; i < Selection->Count(); ++i)
        if (StoryOfPar(Selection->Fragment(i).Start.Par) != story)
            return MixedStories;
    return static_cast<std::uint8_t>(story);
}

bool TDoc::SelectionInNotes() const {
    const auto inNotes = [this](std::int32_t par) {
        const int story = StoryOfPar(par);
        return story == stFootnotes || story == stEndnotes;
    };
    if (!HasSelection())
        return inNotes(Caret.Par);
    for (std::int32_t i = 0; i < Selection->Count(); ++i)
        if (inNotes(Selection->Fragment(i).Start.Par))
            return true;
    return false;
}

bool TDoc::IsParWhollySelected(std::int32_t par) const {
    if (Selection == nullptr || par < 0 || par >= Pars.Count)
        return false;
    TTextPos start;
    TTextPos end;
    MakeTextPos(par, 0, start);
    MakeTextPos(par, Par(par)->CharCount(), end);
    for (std::int32_t i = 0; i < Selection->Count(); ++i) {
        const TFragment& range = Selection->Fragment(i);
        if (CompareTextPos(range.Start, start) <= 0 && CompareTextPos(range.End, end) >= 0)
            return true;
    }
    return false;
}

bool TDoc::IsSinglePictureRange(const TFragment& range) const {
    if (range.Start.Par != range.End.Par || range.End.Offset - range.Start.Offset != 1)
        return false;
    if (range.Start.Par < 0 || range.Start.Par >= Pars.Count)
        return false;
    const TPar* par = Par(range.Start.Par);
    return range.Start.Offset >= 0 && range.Start.Offset < par->CharCount() &&
           par->Chars.Data[range.Start.Offset] == chShapeAnchor;
}

bool TDoc::IsPictureSelected() const {
    return HasSingleSelection() && IsSinglePictureRange(Selection->Fragment(0));
}

std::int32_t TDoc::SelectedPictures(TList* list, TCompoundFragment* fragment, std::uint32_t flags) {
    if (list != nullptr)
        list->Clear();
    std::int32_t count = 0;
    bool fragmentStarted = false;
    const std::uint16_t parFlags =
        ((flags & spPictures) != 0 ? pfShapes : 0) | ((flags & spHorizontalLines) != 0 ? pfHorizontalLines : 0);
    for (std::int32_t i = 0; Selection != nullptr && i < Selection->Count(); ++i) {
        const TFragment& range = Selection->Fragment(i);
        for (std::int32_t p = std::max(range.Start.Par, 0); p <= range.End.Par && p < Pars.Count; ++p) {
            TPar* par = Par(p);
            par->Normalize();
            if ((par->Flags & parFlags) == 0)
                continue;
            const std::int32_t from = p == range.Start.Par ? range.Start.Offset : 0;
            const std::int32_t to =
                p == range.End.Par ? std::min(range.End.Offset, par->CharCount()) : par->CharCount();
            for (std::int32_t off = std::max(from, 0); off < to; ++off) {
                TShape* shape = ShapeOfAnchor(par, off);
                if (shape == nullptr)
                    continue;
                const bool line = shape->IsHorizontalLine();
                if (!(line ? (flags & spHorizontalLines) != 0 : (flags & spPictures) != 0))
                    continue;
                ++count;
                if (list != nullptr) {
                    list->Add(shape);
                    shape->AnchorPar = par;
                }
                if (fragment != nullptr) {
                    TCompoundFragment one;
                    one.SetSingle(p, off, p, off + 1);
                    if (!fragmentStarted)
                        fragment->SetSingle(p, off, p, off + 1);
                    else
                        fragment->Append(one);
                    fragmentStarted = true;
                }
            }
        }
    }
    if ((flags & spPictures) != 0) {
        count += SelectedShapes.Count;
        if (list != nullptr)
            for (std::int32_t i = 0; i < SelectedShapes.Count; ++i)
                list->Add(SelectedShapes.Items[i]);
    }
    return count;
}

TShape* TDoc::ShapeAt(const TTextPos& pos) const {
    if (pos.Par < 0 || pos.Par >= Pars.Count)
        return nullptr;
    return ShapeOfAnchor(Par(pos.Par), pos.Offset);
}

bool TDoc::HasWrappingShapes() const {
    // Every floating shape has a wrap kind, so this asks whether any live
    // shape floats. Shapes held by an undo step after their anchor was
    // deleted are on no page. The list is walked on each call: documents
    // hold few shapes, and a cached answer would have to follow every
    // step that changes a shape's properties or anchor.
    for (std::int32_t i = 0; i < Shapes.Count; ++i) {
        const TShape* shape = Shapes.At<TShape>(i);
        if (shape->Props.WrapKind != swInline && (shape->ShapeFlags & sfShapeDeleted) == 0)
            return true;
    }
    return false;
}

bool TDoc::RangesHaveHeading(const TCompoundFragment& fragment) const {
    for (std::int32_t i = 0; i < fragment.Count(); ++i) {
        const TFragment& range = fragment.Fragment(i);
        for (std::int32_t p = std::max(range.Start.Par, 0); p <= range.End.Par && p < Pars.Count; ++p) {
            const TStyle* style = Par(p)->Style();
            if (style != nullptr && style->IsHeading())
                return true;
        }
    }
    return false;
}

bool TDoc::SelectionHasHeading() const {
    TCompoundFragment* ranges = SelectionOrCaretPar();
    const bool heading = RangesHaveHeading(*ranges);
    ReleaseCompoundFragment(ranges);
    return heading;
}

bool TDoc::RangeCutsTableRow(const TFragment& range) const {
    if (InsideOneCell(*this, range))
        return false;
    std::int32_t first = 0;
    std::int32_t last = 0;
    if (InTable(*this, range.Start.Par)) {
        RowPars(*this, range.Start.Par, first, last);
        if (range.Start.Par > first || range.Start.Offset > 0)
            return true;
    }
    if (InTable(*this, range.End.Par)) {
        RowPars(*this, range.End.Par, first, last);
        if (range.End.Par < last || range.End.Offset < Par(last)->CharCount())
            return true;
    }
    return false;
}

bool TDoc::RangeHasNoteEnd(const TFragment& range) const {
    const int startStory = StoryOfPar(range.Start.Par);
    const int endStory = StoryOfPar(range.End.Par);
    if (endStory < stFootnotes || startStory > stEndnotes)
        return false;
    for (std::int32_t i = 0; i < Fields.Count; ++i) {
        const TField* field = Fields.At<TField>(i);
        TFragment note;
        if (field->Kind != fkNoteBody || !FieldRange(field, note))
            continue;
        // The note's closing paragraph mark is the character before its end.
        TTextPos last = note.End;
        if (last.Offset > 0)
            --last.Offset;
        if (PosInFragment(last, range))
            return true;
    }
    return false;
}

bool TDoc::SelectionHasNoteEnd() const {
    for (std::int32_t i = 0; Selection != nullptr && i < Selection->Count(); ++i)
        if (!FragmentIsEmpty(Selection->Fragment(i)) && RangeHasNoteEnd(Selection->Fragment(i)))
            return true;
    return false;
}

bool TDoc::IsNoteEndAt(const TTextPos& pos) const {
    if (StoryCounts[stFootnotes] == 0 && StoryCounts[stEndnotes] == 0)
        return false;
    for (std::int32_t i = 0; i < Fields.Count; ++i) {
        const TField* field = Fields.At<TField>(i);
        TFragment note;
        if (field->Kind != fkNoteBody || !FieldRange(field, note))
            continue;
        if (note.End.Par == pos.Par && note.End.Offset == pos.Offset + 1)
            return true;
    }
    return false;
}

void TDoc::NotesOfStory(std::vector<TField*>& notes, int story) const {
    notes.clear();
    if (story != stFootnotes && story != stEndnotes)
        return;
    // Each note text follows the one before, so a note starting at the
    // paragraph after the last one's end is the next.
    std::int32_t next = FirstParOfStory(story);
    const std::int32_t last = LastParOfStory(story);
    while (next <= last) {
        TField* found = nullptr;
        TFragment range;
        for (std::int32_t i = 0; i < Fields.Count && found == nullptr; ++i) {
            TField* field = Fields.At<TField>(i);
            if (field->Kind == fkNoteBody && FieldRange(field, range) && range.Start.Par == next)
                found = field;
        }
        if (found == nullptr)
            break;
        notes.push_back(found);
        next = std::max(range.End.Par, next) + 1;
    }
}

bool TDoc::RangeOverlapsFields(const TFragment& range) const {
    for (std::int32_t i = 0; i < Fields.Count; ++i) {
        const TField* field = Fields.At<TField>(i);
        TFragment covered;
        if (!FieldRange(field, covered) || FragmentIsEmpty(covered))
            continue;
        if (!IntersectFragments(nullptr, covered, range))
            continue;
        if (covered.Start.Par < range.Start.Par && covered.End.Par > range.End.Par)
            continue;
        return true;
    }
    return false;
}

bool TDoc::IsWholeWordsRange(const TFragment& range) const {
    if (FragmentIsEmpty(range) || IsSinglePictureRange(range))
        return false;
    return EndOnWordBoundary(*this, range.Start) && EndOnWordBoundary(*this, range.End);
}

bool TDoc::AllRangesWholeWords(const TCompoundFragment& fragment) const {
    for (std::int32_t i = 0; i < fragment.Count(); ++i)
        if (!IsWholeWordsRange(fragment.Fragment(i)))
            return false;
    return true;
}

bool TDoc::RangeHasControlChars(const TFragment& range) const {
    for (std::int32_t p = std::max(range.Start.Par, 0); p <= range.End.Par && p < Pars.Count; ++p) {
        const TPar* par = Par(p);
        const std::int32_t from = p == range.Start.Par ? std::max(range.Start.Offset, 0) : 0;
        const std::int32_t to = p == range.End.Par ? std::min(range.End.Offset, par->CharCount()) : par->CharCount();
        for (std::int32_t i = from; i < to; ++i)
            if (par->Chars.Data[i] < 32 && par->Chars.Data[i] != chUnicode)
                return true;
    }
    return false;
}

TCompoundFragment* TDoc::SelectionOrCaretPar() const {
    if (HasSelection())
        return CloneCompoundFragment(*Selection);
    TCompoundFragment* set = NewCompoundFragment();
    const std::int32_t par = std::clamp(Caret.Par, 0, Pars.Count - 1);
    set->SetSingle(par, 0, par, Par(par)->CharCount());
    return set;
}

std::int32_t TDoc::SelectionStartPar() const {
    return HasSelection() ? Selection->Fragment(0).Start.Par : Caret.Par;
}

void TDoc::WholeDocRange(TFragment& range) const {
    const std::int32_t last = Pars.Count - 1;
    MakeFragment(0, 0, last, Par(last)->CharCount(), range);
}

void TDoc::MainTextRange(TFragment& range) const {
    const std::int32_t last = LastParOfStory(stMain);
    MakeFragment(0, 0, last, Par(last)->CharCount(), range);
}

void TDoc::HeaderFooterRange(TFragment& range) const {
    MakeFragment(0, 0, 0, 0, range);
    if (EditedHeaderFooter != nullptr)
        FieldRange(EditedHeaderFooter, range);
}

void TDoc::CurrentStoryRange(TFragment& range) const {
    if (EditedHeaderFooter != nullptr) {
        HeaderFooterRange(range);
        return;
    }
    const int story = StoryOfPar(std::clamp(Caret.Par, 0, Pars.Count - 1));
    const std::int32_t first = FirstParOfStory(story);
    const std::int32_t last = LastParOfStory(story);
    MakeFragment(first, 0, last, Par(last)->CharCount(), range);
}

void TDoc::TextStoriesRange(TFragment& range) const {
    if (EditedHeaderFooter != nullptr) {
        HeaderFooterRange(range);
        return;
    }
    const std::int32_t last = LastParOfStory(stEndnotes);
    MakeFragment(0, 0, last, Par(last)->CharCount(), range);
}

void TDoc::TextStoryRanges(TCompoundFragment& fragment) const {
    if (EditedHeaderFooter != nullptr) {
        HeaderFooterRange(fragment.Current());
        return;
    }
    for (int story = stMain; story <= stEndnotes; ++story) {
        if (StoryCounts[story] == 0)
            continue;
        const std::int32_t first = FirstParOfStory(story);
        const std::int32_t last = LastParOfStory(story);
        TCompoundFragment one;
        one.SetSingle(first, 0, last, Par(last)->CharCount());
        fragment.Append(one);
    }
}
