#include "editing/sections/LockedRanges.h"

#include <algorithm>

#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/fields/TField.h"
#include "model/formats/TCompoundFragment.h"
#include "model/undo/FieldOperations.h"

namespace {

// Mark indexes of a new field's marks: before every mark at its start,
// after every mark at its end.
constexpr std::int32_t BeforeAllMarks = 0;
constexpr std::int32_t AfterAllMarks = 1 << 16;

bool IsLockedRange(const TDoc& doc, const TField* field) {
    return field != nullptr && doc.Fields.Contains(field) && field->Kind == fkLocked;
}

bool AlreadyLocked(const TDoc& doc, const TFragment& range) {
    for (std::int32_t i = 0; i < doc.Fields.Count; ++i) {
        const auto* field = doc.Fields.At<TField>(i);
        TFragment locked;
        if (field->Kind == fkLocked && doc.FieldRange(field, locked) && FragmentsEqual(locked, range))
            return true;
    }
    return false;
}

}  // namespace

void LockSelection(TDoc& doc) {
    if (IsEmptyCompoundFragment(doc.Selection))
        return;
    std::vector<TFragment> ranges;
    for (std::int32_t i = 0; i < doc.Selection->Count(); ++i) {
        TFragment range = doc.Selection->Fragment(i);
        if (CompareTextPos(range.End, range.Start) < 0)
            std::swap(range.Start, range.End);
        if (CompareTextPos(range.Start, range.End) < 0 && range.End.Par < doc.ParCount())
            ranges.push_back(range);
    }
    if (ranges.empty())
        return;
    TFragment span;
    doc.Selection->GetSpan(span);
    for (auto it = ranges.rbegin(); it != ranges.rend(); ++it) {
        if (AlreadyLocked(doc, *it))
            continue;
        auto* field = new TField;
        field->Kind = fkLocked;
        (new TInsDelFieldOperation(&doc, fmBoth, field, it->Start, BeforeAllMarks, it->End, AfterAllMarks))->Execute();
    }
    TPostActions& pa = doc.PostActions();
    const bool inside = CompareTextPos(span.Start, doc.Caret) <= 0 && CompareTextPos(doc.Caret, span.End) <= 0;
    pa.Caret = inside ? doc.Caret : ranges.front().Start;
    doc.Caret = pa.Caret;
    pa.Selection->Reset();
}

void UnlockRanges(TDoc& doc, const std::vector<TField*>& ranges) {
    for (auto it = ranges.rbegin(); it != ranges.rend(); ++it)
        if (IsLockedRange(doc, *it))  // a field listed twice is gone the second time
            doc.DeleteField(*it);
    TPostActions& pa = doc.PostActions();
    pa.Caret = doc.Caret;
    pa.Selection->Assign(*doc.Selection);
}
