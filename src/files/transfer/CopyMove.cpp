#include "files/transfer/CopyMove.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "editing/typing/TextDeletion.h"
#include "files/saving/SaveToFormat.h"
#include "files/transfer/Paste.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/fields/TField.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/FieldOperations.h"
#include "model/undo/SimpleOperations.h"

namespace {

// Held while fast-navigation marks are placed.
constexpr std::uint8_t sfPlacingFastNavMarks = 101;

// Records the insertion of a new hidden bookmark over [start, end); its
// start mark goes before the marks already at start, its end mark after
// those at end.
TField* InsertHiddenBookmark(TDoc& doc,
                             const TTextPos& start,
                             const TTextPos& end,
                             std::u16string name,
                             std::uint8_t flags) {
    auto* bookmark = new TField;
    bookmark->Kind = fkBookmark;
    bookmark->Flags = flags;
    bookmark->Instruction = std::move(name);
    auto* marks = new TInsDelFieldOperation(&doc, fmBoth, bookmark);
    marks->Present = 0;
    marks->StartPar = start.Par;
    marks->StartOffset = start.Offset;
    marks->StartIndex = 0;
    marks->EndPar = end.Par;
    marks->EndOffset = end.Offset;
    marks->EndIndex = 1 << 16;
    marks->Execute();
    return bookmark;
}

bool Inside(const TFragment& range, const TTextPos& pos) {
    return CompareTextPos(range.Start, pos) <= 0 && CompareTextPos(pos, range.End) <= 0;
}

std::u16string Utf16(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

}  // namespace

void CopyMoveText(TDoc& doc, const TCopyMoveDescription& move, std::int32_t flags) {
    std::vector<TFragment> ranges;
    if (move.Ranges != nullptr && !IsEmptyCompoundFragment(move.Ranges)) {
        TCompoundFragment* set = NewCompoundFragment();
        set->Reset();
        set->Append(*move.Ranges);
        doc.NormalizeRanges(*set);
        for (std::int32_t i = 0; i < set->Count(); ++i)
            if (!FragmentIsEmpty(set->Fragment(i)))
                ranges.push_back(set->Fragment(i));
        ReleaseCompoundFragment(set);
    } else {
        TFragment one;
        TTextPos start = move.Start, end = move.End;
        doc.OrderRangeEnds(start, end, true);
        MakeFragmentFromPositions(start, end, one);
        if (!FragmentIsEmpty(one))
            ranges.push_back(one);
    }
    if (ranges.empty())
        return;
    const bool moving = (flags & cmMove) != 0;
    for (const TFragment& range : ranges)
        if (moving && Inside(range, move.Target))
            return;

    // Each range as RTF in memory, in document order.
    std::vector<TMemory> copies(ranges.size());
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        TDocSavingOptions saving;
        saving.Target = stMemory;
        saving.Output = &copies[i];
        saving.Flags = svCopy | ((flags & cmNoFields) != 0 ? svNoFields : 0);
        saving.WholeDocument = false;
        saving.Range = ranges[i];
        if (SaveToFormat(doc, saving) != srSaved)
            return;
    }
    std::uint8_t pasteFlags = pfAtCaret;
    if (ranges.size() != 1 || !doc.IsWholeWordsRange(ranges.front()))
        pasteFlags |= pfNoSmartSpacing;

    TTextPos target = move.Target;
    if (moving) {
        // A bookmark from the target to its paragraph's end follows the
        // target through the removal.
        const TTextPos parEnd{target.Par, doc.Par(target.Par)->CharCount() - 1};
        TField* mark = InsertHiddenBookmark(doc, target, parEnd, u"\x01", 0);
        TCompoundFragment* set = NewCompoundFragment();
        set->Reset();
        for (std::size_t i = 0; i < ranges.size(); ++i)
            set->Insert(static_cast<std::int32_t>(i), ranges[i]);
        doc.PushStateFlag(sfDeletingText);
        DeleteText(doc, set, ranges.front().Start, ranges.back().End,
                   flags & ~(cmMove | cmNoFields | cmSelectInserted));
        doc.PopStateFlag();
        ReleaseCompoundFragment(set);
        TFragment where;
        if (doc.Fields.Contains(mark) && doc.FieldRange(mark, where)) {
            target = where.Start;
            doc.DeleteField(mark);
        } else {
            target = doc.Caret;
        }
    }
    doc.Caret = target;
    DropSelection(doc);

    const bool select = (flags & cmSelectInserted) != 0;
    const bool savedMode = PasteOptions().DragDropMode;
    PasteOptions().DragDropMode = select;
    TTextPos first = target;
    for (std::size_t i = 0; i < copies.size(); ++i) {
        TPasteData data;
        data.Source = psRtfMemory;
        data.Kind = pkPaste;
        data.Flags = pasteFlags;
        data.RtfData = &copies[i];
        Paste(doc, data);
        if (i == 0 && select && doc.PostActions().Selection != nullptr &&
            !IsEmptyCompoundFragment(doc.PostActions().Selection))
            first = doc.PostActions().Selection->Fragment(0).Start;
    }
    PasteOptions().DragDropMode = savedMode;
    // Several ranges are selected from the first one's start.
    if (select && copies.size() > 1 && doc.PostActions().Selection != nullptr)
        doc.PostActions().Selection->SetSingle(first.Par, first.Offset, doc.Caret.Par, doc.Caret.Offset);
}

void BeginMultiSelectionOvertype(TDoc& doc) {
    if (IsEmptyCompoundFragment(doc.Selection))
        return;
    TCompoundFragment* set = NewCompoundFragment();
    set->Reset();
    set->Append(*doc.Selection);
    const bool cells = doc.IsCellSelection(set);
    doc.NormalizeRanges(*set);
    if (cells)
        doc.PushStateFlag(sfDeletingText);
    else
        doc.PushStateFlagClear(sfDeletingText);
    // The marks of an earlier overtype go first.
    std::vector<TField*> old;
    for (std::int32_t i = 0; i < doc.Fields.Count; ++i) {
        auto* field = doc.Fields.At<TField>(i);
        if (field->Kind == fkBookmark && (field->Flags & bmOvertypeMark) != 0)
            old.push_back(field);
    }
    for (TField* field : old)
        doc.DeleteField(field);
    // From the last range to the first, so that the earlier ones keep
    // their places: the range goes, its mark stays where it began.
    for (std::int32_t i = set->Count() - 1; i >= 0; --i) {
        const TFragment range = set->Fragment(i);
        if (!FragmentIsEmpty(range))
            DeleteText(doc, nullptr, range.Start, range.End, 0);
        InsertHiddenBookmark(doc, range.Start, range.Start, u"\x01" + Utf16(std::to_string(i)),
                             bmHidden | bmOvertypeMark);
    }
    doc.PopStateFlag();
    const TTextPos caret = set->Fragment(set->Count() - 1).Start;
    ReleaseCompoundFragment(set);
    (new TDeactivate_OvertypeMulSelection_Operation(&doc))->Execute();
    doc.Caret = caret;
    doc.PostActions().Caret = caret;
}

TFastNavEntry& FastNavEntry(std::int32_t digit) {
    static std::array<TFastNavEntry, 10> entries;
    return entries[static_cast<std::size_t>(std::clamp(digit, 0, 9))];
}

void ForgetFastNavMarks(TDoc& doc) {
    for (std::int32_t d = 0; d < 10; ++d) {
        TFastNavEntry& entry = FastNavEntry(d);
        if (entry.Doc == &doc)
            entry = TFastNavEntry{};
    }
}

void SetFastNavMark(TDoc& doc, std::int32_t digit) {
    if (digit < 0 || digit > 9)
        return;
    doc.PushStateFlag(sfPlacingFastNavMarks);
    TFastNavEntry& entry = FastNavEntry(digit);
    entry.Doc = &doc;
    entry.Marks.clear();
    std::vector<TFragment> ranges;
    if (!IsEmptyCompoundFragment(doc.Selection)) {
        for (std::int32_t i = 0; i < doc.Selection->Count(); ++i)
            ranges.push_back(doc.Selection->Fragment(i));
    } else {
        ranges.push_back(TFragment{doc.Caret, doc.Caret});
    }
    const TTextPos caret = doc.Caret;
    for (const TFragment& range : ranges) {
        std::int32_t n = 1;
        auto taken = [&](std::int32_t k) {
            const std::u16string name = u"__fastnav" + Utf16(std::to_string(k));
            for (std::int32_t i = 0; i < doc.Fields.Count; ++i) {
                const auto* field = doc.Fields.At<TField>(i);
                if (field->Kind == fkBookmark && field->Instruction == name)
                    return true;
            }
            return false;
        };
        while (taken(n))
            ++n;
        entry.Marks.push_back(InsertHiddenBookmark(doc, range.Start, range.End, u"__fastnav" + Utf16(std::to_string(n)),
                                                   bmHidden | bmFastNavMark));
    }
    doc.PopStateFlag();
    doc.Caret = caret;
    doc.PostActions().Caret = caret;
}

std::unique_ptr<TDoc> BuildSelectionDocument(TDoc& doc) {
    if (IsEmptyCompoundFragment(doc.Selection))
        return nullptr;
    TCompoundFragment* set = NewCompoundFragment();
    set->Reset();
    set->Append(*doc.Selection);
    doc.NormalizeRanges(*set);
    std::vector<TFragment> ranges;
    for (std::int32_t i = 0; i < set->Count(); ++i)
        if (!FragmentIsEmpty(set->Fragment(i)))
            ranges.push_back(set->Fragment(i));
    ReleaseCompoundFragment(set);
    if (ranges.empty())
        return nullptr;
    auto carrier = std::make_unique<TDoc>(true);
    carrier->TakesParEndMarks = 1;
    for (const TFragment& range : ranges) {
        TMemory rtf;
        TDocSavingOptions saving;
        saving.Target = stMemory;
        saving.Output = &rtf;
        saving.Flags = svCopy;
        saving.WholeDocument = false;
        saving.Range = range;
        if (SaveToFormat(doc, saving) != srSaved)
            return nullptr;
        // Each range goes after the ones before, at the end of the text.
        const std::int32_t last = carrier->StoryCounts[stMain] - 1;
        carrier->Caret = TTextPos{last, ParTextLength(*carrier->Par(last))};
        TPasteData data;
        data.Source = psRtfMemory;
        data.Flags = pfAtCaret | pfNoSmartSpacing;
        data.RtfData = &rtf;
        carrier->PerformOperation(TPasteArgs{&data});
    }
    return carrier;
}
