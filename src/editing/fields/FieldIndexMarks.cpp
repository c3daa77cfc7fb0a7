#include "editing/fields/FieldIndexMarks.h"

#include <algorithm>

#include "base/core/ObjectHandles.h"
#include "editing/fields/FieldIndex.h"
#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/fields/TField.h"
#include "model/formats/FieldControls.h"
#include "model/formats/FormatStream.h"
#include "model/formats/StreamEdit.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/FieldOperations.h"

namespace {

TNoteReorderer NoteReorderer = nullptr;

constexpr std::int32_t AfterAllMarks = 1 << 20;

bool IsBookmarkOrEntry(const TField& f) {
    return f.Kind == fkBookmark || (f.Kind == fkCode && f.Type == ftIndexEntry);
}

// Whether a lifted mark is to be noted (kept out of the deleted text).
bool Notes(const TDoc& doc, const TField& f, bool isStart, bool keepBoundary, bool emptyRange, bool anchorAllowed) {
    const auto flag = [&](std::uint8_t i) { return doc.StateFlags[i] != 0; };
    if (f.Kind == fkInlineObject) {
        if (flag(sfClearingStory))
            return false;
        return (!emptyRange || flag(sfKeepEveryMark) || flag(sfInsertingParagraphs)) && anchorAllowed;
    }
    if (!keepBoundary) {
        if (flag(sfOnlyNoteAndHeaderMarks))
            return f.Kind == fkNoteBody || f.Kind == fkHeaderFooter;
        return true;
    }
    if (!isStart)
        return false;  // end marks: decided with their start below
    if (IsBookmarkOrEntry(f))
        return flag(sfInsertingParagraphs);
    if (f.Kind == fkNoteBody || f.Kind == fkHeaderFooter || f.Kind == 6)
        return flag(sfKeepEveryMark);
    if (f.Kind == fkDropCap)
        return flag(sfKeepEveryMark) || flag(sfInsertingParagraphs);
    return true;
}

// Where a field's end mark stands between two paragraphs, if it does.
bool FindEndMark(const TDoc& doc, const TField* field, std::int32_t from, std::int32_t to, TTextPos& pos) {
    const auto handle = static_cast<std::int32_t>(ObjectHandle(field));
    for (std::int32_t p = std::max(from, 0); p <= to && p < doc.ParCount(); ++p) {
        const bool found = ForEachFieldControl(doc.Par(p)->Stream, [&](const TFieldControl& c) {
            if (c.Code != fcFieldEnd || c.Value != handle)
                return false;
            MakeTextPos(p, c.Pos, pos);
            return true;
        });
        if (found)
            return true;
    }
    return false;
}

}  // namespace

void SetNoteReorderer(TNoteReorderer reorderer) {
    NoteReorderer = reorderer;
}

void InsDelFieldMark(TDoc& doc, TField* field, bool isStart, bool insert, const TTextPos& pos) {
    auto* step = new TInsDelFieldOperation(&doc, isStart ? fmStart : fmEnd, field);
    if (isStart) {
        step->StartPar = pos.Par;
        step->StartOffset = pos.Offset;
        step->StartIndex = AfterAllMarks;
    } else {
        step->EndPar = pos.Par;
        step->EndOffset = pos.Offset;
        step->EndIndex = AfterAllMarks;
    }
    // A step made present takes the mark out when executed; one made absent
    // puts it in.
    step->Present = insert ? 0 : 1;
    step->Execute();
}

void CollectFieldMarks(TDoc& doc,
                       const TTextPos& start,
                       const TTextPos& end,
                       bool keepBoundary,
                       TLiftedFieldMarks& lifted) {
    TFieldIndex& index = FieldIndexOf(doc);
    ++index.MarkNesting;
    lifted.Marks.clear();
    lifted.Active = true;
    if (doc.Fields.Count == 0 || start.Par >= doc.ParCount())
        return;
    TTextPos s = start;
    TTextPos e = end;
    const std::int32_t lastPar = doc.ParCount() - 1;
    if (e.Par > lastPar) {
        e.Par = lastPar;
        e.Offset = doc.Par(lastPar)->CharCount();
    }
    // An end after a paragraph's mark is the start of the next paragraph.
    if (e.Par < lastPar && e.Offset >= doc.Par(e.Par)->CharCount()) {
        ++e.Par;
        e.Offset = 0;
    }
    const bool emptyRange = CompareTextPos(s, e) >= 0;
    std::vector<TFieldMark> noted;
    for (std::int32_t p = s.Par; p <= e.Par; ++p) {
        const TPar* par = doc.Par(p);
        // The walk starts at byte from, which stands at character fromPos.
        std::int32_t from = 0;
        std::int32_t fromPos = 0;
        if (p == s.Par) {
            TCharLocation loc;
            LocateChar(par->Stream, s.Offset, loc);
            from = loc.RunStart;
            fromPos = std::min(s.Offset, par->CharCount());
        }
        std::int32_t to = par->Stream.Size;
        if (p == e.Par) {
            TCharLocation loc;
            LocateChar(par->Stream, e.Offset, loc);
            to = loc.CharOffset;
        }
        const bool anchorAllowed = (p == s.Par && s.Offset > 0) || (p == e.Par && e.Offset >= par->CharCount() - 1);
        ForEachFieldControl(par->Stream, from, to, [&](const TFieldControl& c) {
            auto* f = HandleTo<TField>(static_cast<TObjectHandle>(c.Value));
            if (f == nullptr)
                return;
            const bool isStart = c.Code == fcFieldStart;
            TFieldMark mark{f, isStart, TTextPos{}};
            MakeTextPos(p, fromPos + c.Pos, mark.Pos);
            if (Notes(doc, *f, isStart, keepBoundary, emptyRange, anchorAllowed)) {
                noted.push_back(mark);
            } else if (keepBoundary && !isStart && IsBookmarkOrEntry(*f) &&
                       doc.StateFlags[sfInsertingParagraphs] != 0) {
                // The end of a bookmark or index entry whose start was noted.
                const bool startNoted = std::any_of(noted.begin(), noted.end(),
                                                    [&](const TFieldMark& m) { return m.Field == f && m.IsStart; });
                if (startNoted)
                    noted.push_back(mark);
            }
        });
    }

    // Pairs: a field whose both marks lie in the range goes with the text,
    // unless it covers exactly the range and is to survive it.
    const std::int32_t storyEnd = doc.LastParOfStory(doc.StoryOfPar(s.Par)) + 1;
    std::vector<bool> drop(noted.size(), false);
    for (std::size_t i = 0; i < noted.size(); ++i) {
        const TFieldMark& m = noted[i];
        if (!m.IsStart || m.Field->Kind == fkInlineObject || drop[i])
            continue;
        if (CompareTextPos(m.Pos, e) == 0)
            continue;
        std::size_t j = i + 1;
        while (j < noted.size() && !(noted[j].Field == m.Field && !noted[j].IsStart))
            ++j;
        if (j >= noted.size())
            continue;
        const bool exact = CompareTextPos(m.Pos, s) == 0 && CompareTextPos(noted[j].Pos, e) == 0;
        if (m.Field->Kind == fkNoteRef) {
            drop[i] = drop[j] = true;
            continue;
        }
        if (exact && doc.StateFlags[sfKeepReplacedField] != 0)
            continue;
        if (exact && e.Par < storyEnd && doc.StateFlags[sfClearingStory] == 0)
            continue;
        doc.DeleteField(m.Field);
        drop[i] = drop[j] = true;
    }
    for (std::size_t i = 0; i < noted.size(); ++i)
        if (!drop[i])
            lifted.Marks.push_back(noted[i]);
    // Out of the text, last first, so that earlier places stay valid.
    for (auto it = lifted.Marks.rbegin(); it != lifted.Marks.rend(); ++it)
        InsDelFieldMark(doc, it->Field, it->IsStart, false, it->Pos);
}

void RestoreFieldMarks(TDoc& doc, TLiftedFieldMarks& lifted, const TTextPos& p1, const TTextPos& p2) {
    TFieldIndex& index = FieldIndexOf(doc);
    std::vector<std::pair<const TField*, TTextPos>> startsPut;
    for (const TFieldMark& m : lifted.Marks) {
        TTextPos at = CompareTextPos(m.Pos, p1) == 0 ? p1 : p2;
        if (at.Par >= doc.ParCount()) {
            at.Par = doc.ParCount() - 1;
            at.Offset = doc.Par(at.Par)->CharCount() - 1;
        }
        if (!m.IsStart && at.Offset == 0 && at.Par > p1.Par) {
            // An end collapsed onto the start of a later paragraph belongs
            // to the paragraph before, unless its field opens right there
            // (a field never ends before it starts) or it ends an index entry.
            bool keep = m.Field->Kind == fkCode && m.Field->Type == ftIndexEntry;
            for (const auto& put : startsPut)
                keep = keep || (put.first == m.Field && put.second.Par == at.Par);
            TFragment range;
            if (!keep && IndexedFieldRange(doc, m.Field, range))
                keep = range.Start.Par >= at.Par;
            if (!keep) {
                --at.Par;
                at.Offset = std::max(doc.Par(at.Par)->CharCount() - 1, 0);
            }
        }
        at.Offset = std::clamp(at.Offset, 0, std::max(doc.Par(at.Par)->CharCount() - 1, 0));
        if (m.IsStart) {
            // A field whose end stayed in the text never starts after it.
            TTextPos end;
            if (FindEndMark(doc, m.Field, std::min(p1.Par, at.Par), at.Par, end) && CompareTextPos(end, at) < 0)
                at = end;
            startsPut.emplace_back(m.Field, at);
        }
        InsDelFieldMark(doc, m.Field, m.IsStart, true, at);
    }
    lifted.Marks.clear();
    lifted.Active = false;
    doc.PostActions().Caret = doc.Caret;
    if (index.MarkNesting > 0)
        --index.MarkNesting;
    if (NoteReorderer != nullptr)
        NoteReorderer(doc);
}
