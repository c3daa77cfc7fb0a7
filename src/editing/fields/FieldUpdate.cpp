#include "editing/fields/FieldUpdate.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <unordered_set>
#include <vector>

#include "base/core/ObjectHandles.h"
#include "base/core/TMemory.h"
#include "editing/fields/FieldIndex.h"
#include "editing/fields/FieldIndexMarks.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/formats/FieldControls.h"
#include "model/formats/FormatStream.h"
#include "model/formats/StreamEdit.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/FieldOperations.h"
#include "model/undo/OperationArgs.h"
#include "model/undo/OperationCodes.h"
#include "model/undo/OperationWorkers.h"
#include "model/undo/TFastReplaceTextOperation.h"
#include "model/undo/TOperation.h"

const TFieldTypeSet PageDependentFieldTypes{ftStyleRef, ftNumPages, ftPageNumber, ftPageRef, ftSectionPages, ftNoteRef};

namespace {

// The replacement keeps the typing language of the replaced text (the
// typing room's state flag).
constexpr std::uint8_t sfFieldResultReplace = 47;
// UTF-16 text for the replace worker (the typing room's insertion flag).
constexpr std::int32_t ReplaceUtf16 = 0x1000;

// Steps made outside the undo list: they go into a scratch operation that
// is freed at the end. Recording suspended would free each step as it is
// handed over, and the typing workers read their step after that.
class TUnrecordedSteps {
public:
    explicit TUnrecordedSteps(TDoc& doc) : Doc(doc), Scratch(std::make_unique<TOperation>(&doc, 0)) {
        doc.BeginOperation(Scratch.get());
    }
    ~TUnrecordedSteps() { Doc.EndOperation(); }
    TUnrecordedSteps(const TUnrecordedSteps&) = delete;
    TUnrecordedSteps& operator=(const TUnrecordedSteps&) = delete;

private:
    TDoc& Doc;
    std::unique_ptr<TOperation> Scratch;
};

bool IsAsciiAlnum(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

bool SameLengthAlnum(const std::u16string& a, const std::u16string& b) {
    return a.size() == b.size() && std::all_of(a.begin(), a.end(), IsAsciiAlnum) &&
           std::all_of(b.begin(), b.end(), IsAsciiAlnum);
}

// The part of a field's range that lies in its first paragraph.
TFragment FirstParagraphPart(TDoc& doc, const TFragment& range) {
    TFragment part = range;
    if (part.End.Par != part.Start.Par) {
        part.End.Par = part.Start.Par;
        part.End.Offset = std::max(part.Start.Offset, doc.Par(part.Start.Par)->CharCount() - 1);
    }
    return part;
}

bool Touches(const TFragment& field, const TFragment& range) {
    return CompareTextPos(field.Start, range.End) <= 0 && CompareTextPos(field.End, range.Start) >= 0;
}

bool Inside(const TFragment& inner, const TFragment& outer) {
    return CompareTextPos(outer.Start, inner.Start) <= 0 && CompareTextPos(inner.End, outer.End) <= 0;
}

// Whether inner is nested in outer, by the index's chain of enclosing
// fields. Positions alone cannot tell: empty fields side by side at one
// place have equal ranges, and an empty field right before another field
// lies within that field's range without being inside it.
bool NestedIn(const TFieldIndex& index, const TField* inner, const TField* outer) {
    std::size_t steps = 0;
    auto slot = index.Slot.find(inner);
    while (slot != index.Slot.end() && steps++ < index.Entries.size()) {
        const TField* up = index.Entries[static_cast<std::size_t>(slot->second)].EnclosingAtStart;
        if (up == nullptr)
            return false;
        if (up == outer)
            return true;
        slot = index.Slot.find(up);
    }
    return false;
}

// The marks of other fields that stand behind both marks of an empty field
// in the run of controls at its place, in stream order. New text typed at
// the place would land behind them, outside the field; they step aside
// while the result goes in.
std::vector<TFieldMark> MarksBehind(TDoc& doc, const TField* field, const TTextPos& at) {
    std::vector<TFieldMark> behind;
    const TPar* par = doc.Par(at.Par);
    TCharLocation location;
    LocateChar(par->Stream, at.Offset, location);
    const auto handle = static_cast<std::int32_t>(ObjectHandle(field));
    int own = 0;
    ForEachFieldControl(par->Stream, location.RunStart, location.CharOffset, [&](const TFieldControl& c) {
        if (c.Value == handle) {
            ++own;
            return;
        }
        auto* other = HandleTo<TField>(static_cast<TObjectHandle>(c.Value));
        if (own == 2 && other != nullptr)
            behind.push_back(TFieldMark{other, c.Code == fcFieldStart, at});
    });
    return behind;
}

// A caret behind a rewritten result in its paragraph moves with the text
// after it; one inside stays inside.
void MoveCaretPastResult(TTextPos& caret, const TFragment& part, std::int32_t oldLength, std::int32_t newLength) {
    if (caret.Par == part.Start.Par && caret.Offset > part.Start.Offset) {
        if (caret.Offset >= part.End.Offset)
            caret.Offset += newLength - oldLength;
        else
            caret.Offset = std::min(caret.Offset, part.Start.Offset + newLength);
    }
}

// Whether the characters [from, to) of a paragraph are plain text bytes
// with no control of any kind among or between them.
bool PlainTextBetween(const TPar& par, std::int32_t from, std::int32_t to) {
    if (from >= to || to > par.CharCount())
        return false;
    const std::int32_t first = par.StreamOffsetOfChar(from);
    const std::int32_t last = par.StreamOffsetOfChar(to - 1);
    if (last - first != to - 1 - from)
        return false;  // something sits between the characters
    for (std::int32_t off = first; off <= last; ++off)
        if (off >= par.Stream.Size || par.Stream.Data[off] == 0)
            return false;
    return true;
}

bool IsPrintableAscii(char16_t c) {
    return c >= 0x20 && c < 0x7F;
}

// Writes a short plain result over a short plain old one without taking
// the field's marks out. Lifting marks (the field's own, and those of an
// enclosing field that ends where it ends) makes the field index whole
// stale, and a table of contents would rebuild it once per page number.
// The old characters are exchanged in place; what the lengths differ by is
// inserted in front of them, or taken from between the first and the last
// of them, so that no edit touches the controls at either end. False when
// the result or the old text does not allow it; nothing has changed then.
bool WriteResultInPlace(TDoc& doc,
                        const TField_UpdatedValue_Info& info,
                        const TFragment& part,
                        const TCharFormat& wanted,
                        TOperationWorker<TReplaceTextArgs> replace,
                        TOperationWorker<TDeleteTextArgs> erase) {
    const std::int32_t oldLength = part.End.Offset - part.Start.Offset;
    const auto newLength = static_cast<std::int32_t>(info.Result.size());
    if (oldLength == 0 || newLength == 0 || (newLength < oldLength && newLength < 2))
        return false;
    if (!std::all_of(info.Result.begin(), info.Result.end(), IsPrintableAscii))
        return false;
    if (!PlainTextBetween(*doc.Par(part.Start.Par), part.Start.Offset, part.End.Offset))
        return false;

    const std::int32_t grow = newLength - oldLength;
    doc.PushStateFlag(sfFieldResultReplace);
    doc.PushStateFlag(sfKeepFieldMarksOnReplace);
    try {
        if (grow > 0) {
            // Inserted at the first old character, the text lands behind
            // the controls there, that is inside the field.
            TMemory text;
            text.AppendWideString(info.Result.substr(0, static_cast<std::size_t>(grow)));
            const TReplaceTextArgs insertion{part.Start, part.Start, &text, ReplaceUtf16};
            TOperationCall call = TOperationCall::Of(insertion);
            replace(doc, call, insertion);
        } else if (grow < 0) {
            TTextPos from = part.Start;
            from.Offset += 1;
            TTextPos to = from;
            to.Offset -= grow;
            const TDeleteTextArgs removal{nullptr, from, to, 0};
            TOperationCall call = TOperationCall::Of(removal);
            erase(doc, call, removal);
        }
    } catch (...) {
        doc.PopStateFlags(2);
        throw;
    }
    doc.PopStateFlags(2);

    const std::int32_t kept = std::min(oldLength, newLength);
    const std::size_t from = static_cast<std::size_t>(newLength - kept);
    std::string chars(info.Result.begin() + static_cast<std::ptrdiff_t>(from), info.Result.end());
    TTextPos at = part.Start;
    at.Offset += newLength - kept;
    (new TFastReplaceTextOperation(&doc, at.Par, at.Offset, std::move(chars)))->Execute();

    TFragment fresh{part.Start, part.Start};
    fresh.End.Offset += newLength;
    if (!CharFormatIsClear(wanted))
        doc.FormatFont(nullptr, &fresh, wanted, 0);
    return true;
}

// Writes one computed result into the document.
void WriteResult(TDoc& doc, const TField_UpdatedValue_Info& info, TTextPos& caret) {
    // The old result may hold bookmarks that go with it.
    ForgetBookmarkLookups();
    TField* field = info.Field;
    // The range found when the result was computed still holds: the fields
    // are written from the last to the first, and none lies inside another.
    const TFragment range = info.Range;
    const TFragment part = FirstParagraphPart(doc, range);
    const std::int32_t oldLength = part.End.Offset - part.Start.Offset;
    const auto newLength = static_cast<std::int32_t>(info.Result.size());
    if (info.FastReplace) {
        std::string chars(info.Result.begin(), info.Result.end());
        (new TFastReplaceTextOperation(&doc, part.Start.Par, part.Start.Offset, std::move(chars)))->Execute();
        return;
    }
    const TOperationWorker<TReplaceTextArgs> replace = OperationWorker<TReplaceTextArgs>();
    const TOperationWorker<TDeleteTextArgs> erase = OperationWorker<TDeleteTextArgs>();
    if (replace == nullptr || erase == nullptr)
        return;
    TCharFormat wanted = info.Format;
    TCharFormat here;
    doc.FormatAtPos(part.Start, here);
    SubtractCharFormat(wanted, here);

    if (range.Start.Par == range.End.Par && WriteResultInPlace(doc, info, part, wanted, replace, erase)) {
        MoveCaretPastResult(caret, part, oldLength, newLength);
        return;
    }

    std::vector<TFieldMark> behind;
    if (oldLength == 0 && range.Start.Par == range.End.Par)
        behind = MarksBehind(doc, field, part.Start);
    for (auto it = behind.rbegin(); it != behind.rend(); ++it)
        InsDelFieldMark(doc, it->Field, it->IsStart, false, it->Pos);

    // The marks come out first, so that the edit neither removes the field
    // nor moves its marks, and go back around the new text.
    auto* lift = new TInsDelFieldOperation(&doc, fmBoth, field);
    lift->Extra |= feNeverFree;
    // With recording suspended the step is gone once handed over, so the
    // places of the marks are read before.
    lift->Redo();
    const std::int32_t startIndex = lift->StartIndex;
    const std::int32_t endIndex = lift->EndIndex;
    doc.AddSubOperation(lift);

    // The new text goes in before the old one and the old one out after:
    // deleting first would join the marks behind the field to those before
    // it, and the new text would land behind all of them.
    TMemory text;
    text.AppendWideString(info.Result);
    const TReplaceTextArgs insertion{part.Start, part.Start, &text, ReplaceUtf16};
    TTextPos oldStart = part.Start;
    oldStart.Offset += newLength;
    TTextPos oldEnd = part.End;
    oldEnd.Offset += newLength;
    const TDeleteTextArgs removal{nullptr, oldStart, oldEnd, 0};
    doc.PushStateFlag(sfFieldResultReplace);
    doc.PushStateFlag(sfKeepFieldMarksOnReplace);
    try {
        TOperationCall call = TOperationCall::Of(insertion);
        replace(doc, call, insertion);
        if (oldLength > 0) {
            TOperationCall removeCall = TOperationCall::Of(removal);
            erase(doc, removeCall, removal);
        }
    } catch (...) {
        doc.PopStateFlags(2);
        throw;
    }
    doc.PopStateFlags(2);

    TFragment fresh{part.Start, part.Start};
    fresh.End.Offset += newLength;
    if (!CharFormatIsClear(wanted))
        doc.FormatFont(nullptr, &fresh, wanted, 0);

    auto* put = new TInsDelFieldOperation(&doc, fmBoth, field, fresh.Start, startIndex, fresh.End, endIndex);
    put->Extra |= feNeverFree;
    put->Execute();
    for (const TFieldMark& mark : behind)
        InsDelFieldMark(doc, mark.Field, mark.IsStart, true, fresh.End);

    MoveCaretPastResult(caret, part, oldLength, newLength);
}

}  // namespace

std::u16string ShownFieldResult(const std::u16string& result) {
    std::u16string shown = result.substr(0, result.find(u'\r'));
    if (shown.empty())
        shown = u"(None)";
    return shown;
}

std::int32_t UpdateFields(TDoc& doc,
                          const TCompoundFragment* set,
                          const TFragment* range,
                          const TFieldTypeSet& types,
                          TFieldUpdateContext& context) {
    if (doc.Fields.Count == 0)
        return 0;
    bool pageDependent = false;
    for (std::uint8_t t = 0; t < FieldTypeCount && !pageDependent; ++t)
        pageDependent = types.Has(t) && PageDependentFieldTypes.Has(t);
    if (pageDependent && doc.StateFlags[sfPageFieldUpdate] == 0 && context.CurrentPage == 0)
        doc.PaginateAll();

    std::vector<TFragment> ranges;
    if (set != nullptr && set->Count() > 0) {
        for (std::int32_t i = 0; i < set->Count(); ++i)
            ranges.push_back(set->Fragment(i));
    } else if (range != nullptr) {
        ranges.push_back(*range);
    } else {
        return 0;
    }

    std::vector<TField_UpdatedValue_Info> changes;
    std::unordered_set<const TField*> taken;
    std::vector<TField*> candidates;
    // Computing writes nothing, so the bookmarks stay as they are.
    std::optional<TBookmarkLookup> bookmarks(std::in_place, doc);
    for (auto it = ranges.rbegin(); it != ranges.rend(); ++it) {
        TFragment r = *it;
        if (CompareTextPos(r.Start, r.End) > 0)
            std::swap(r.Start, r.End);
        const bool inHeaderFooter =
            r.Start.Par >= 0 && r.Start.Par < doc.ParCount() && doc.StoryOfPar(r.Start.Par) == stHeadersFooters;
        candidates.clear();
        FieldsNearRange(doc, r, candidates);
        for (TField* field : candidates) {
            TFragment fr;
            if (field->Kind != fkCode || !types.Has(field->Type) || taken.contains(field) ||
                !IndexedFieldRange(doc, field, fr) || !Touches(fr, r))
                continue;
            // A header or footer field spread over paragraphs is left alone.
            if (inHeaderFooter && fr.Start.Par != fr.End.Par)
                continue;
            taken.insert(field);
            TField_UpdatedValue_Info info;
            ComputeFieldResult(doc, *field, info, context);
            info.Field = field;
            info.Range = fr;
            info.Result = ShownFieldResult(info.Result);
            const std::u16string current = doc.RangeText(FirstParagraphPart(doc, fr));
            TCharFormat here;
            doc.FormatAtPos(fr.Start, here);
            TCharFormat differs = info.Format;
            SubtractCharFormat(differs, here);
            const bool formatChanges = !CharFormatIsClear(differs);
            if (info.Result == current && !formatChanges)
                continue;
            info.FastReplace = !formatChanges && SameLengthAlnum(info.Result, current);
            changes.push_back(std::move(info));
        }
    }
    bookmarks.reset();
    // A field inside another changed one goes with the outer field's text.
    const TFieldIndex& index = FieldIndexOf(doc);
    std::vector<TField_UpdatedValue_Info> kept;
    for (std::size_t i = 0; i < changes.size(); ++i) {
        bool nested = false;
        for (std::size_t j = 0; j < changes.size() && !nested; ++j)
            nested = j != i && Inside(changes[i].Range, changes[j].Range) &&
                     NestedIn(index, changes[i].Field, changes[j].Field);
        if (!nested)
            kept.push_back(std::move(changes[i]));
    }
    // The last first, so that the places of the earlier ones stay valid;
    // of fields starting at one place, the one whose start mark stands
    // last in the stream goes first.
    const auto slotOf = [&index](const TField* field) {
        const auto slot = index.Slot.find(field);
        return slot == index.Slot.end() ? -1 : slot->second;
    };
    std::sort(kept.begin(), kept.end(), [&slotOf](const auto& a, const auto& b) {
        const int c = CompareTextPos(a.Range.Start, b.Range.Start);
        return c != 0 ? c > 0 : slotOf(a.Field) > slotOf(b.Field);
    });
    TTextPos caret = doc.Caret;
    std::int32_t written = 0;
    for (const TField_UpdatedValue_Info& info : kept) {
        if (!doc.Fields.Contains(info.Field))
            continue;
        WriteResult(doc, info, caret);
        ++written;
    }
    if (written > 0) {
        caret.Par = std::clamp(caret.Par, 0, doc.ParCount() - 1);
        caret.Offset = std::clamp(caret.Offset, 0, std::max(0, doc.Par(caret.Par)->CharCount() - 1));
        doc.Caret = caret;
        doc.PostActions().Caret = caret;
    }
    return written;
}

void UpdateHeaderFooterFieldsForPage(TDoc& doc, std::int32_t pageIndex, const TFragment& range, TSection* section) {
    if (doc.Fields.Count == 0)
        return;
    TFieldUpdateContext context;
    context.Info = FieldDocInfoOf(doc);
    const TFieldIndex& index = FieldIndexOf(doc);
    context.KeptWords = index.KeptWords;
    context.KeptChars = index.KeptChars;
    context.CurrentPage = pageIndex + 1;
    context.PageFieldUpdate = true;
    context.CurrentSection = section;
    const TTextPos caret = doc.Caret;
    // The header or footer is laid out for the page right after; its
    // changed text must not send the pages back to pagination.
    doc.PushStateFlag(sfNoNoting);
    doc.PushStateFlag(sfPageFieldUpdate);
    try {
        TUnrecordedSteps unrecorded(doc);
        UpdateFields(doc, nullptr, &range, DynamicFieldTypes, context);
    } catch (...) {
        doc.PopStateFlags(2);
        doc.Caret = caret;
        throw;
    }
    doc.PopStateFlags(2);
    doc.Caret = caret;
    RebuildFieldIndex(doc);
}

void SetFieldResultText(TDoc& doc, TField& field, const std::u16string& text) {
    TFragment range;
    if (!doc.FieldRange(&field, range))
        return;
    TTextPos caret = doc.Caret;
    TField_UpdatedValue_Info info;
    info.Field = &field;
    info.Range = range;
    info.Result = text;
    {
        TUnrecordedSteps unrecorded(doc);
        WriteResult(doc, info, caret);
    }
    doc.Caret = caret;
}
