#include "editing/fields/FieldIndex.h"

#include <algorithm>
#include <climits>
#include <unordered_set>

#include "base/core/ObjectHandles.h"
#include "model/document/StateFlags.h"
#include "model/formats/FieldControls.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"

namespace {

bool IsListedBookmark(const TField& field) {
    return field.Kind == fkBookmark && (field.Flags & 2) == 0;
}

// Kind 6 has no name of its own in the model yet.
constexpr std::uint8_t fkLockedRange = 6;

// The visible bookmarks of a rebuild, compared with the kept list as they
// come: a list that did not change (the usual case) is neither copied nor
// sorted again, so a rebuild makes no strings.
class TBookmarkCollector {
public:
    explicit TBookmarkCollector(const std::vector<std::pair<std::u16string, TField*>>& kept) : Kept(kept) {}

    void Add(TField* field) {
        if (!Diverged && Same < Kept.size() && Kept[Same].second == field && Kept[Same].first == field->Instruction) {
            ++Same;
            return;
        }
        if (!Diverged) {
            Diverged = true;
            Fresh.assign(Kept.begin(), Kept.begin() + static_cast<std::ptrdiff_t>(Same));
        }
        Fresh.emplace_back(field->Instruction, field);
    }
    bool Changed() const { return Diverged || Same != Kept.size(); }
    std::vector<std::pair<std::u16string, TField*>> Take() {
        if (!Diverged)
            Fresh.assign(Kept.begin(), Kept.begin() + static_cast<std::ptrdiff_t>(Same));
        return std::move(Fresh);
    }

private:
    const std::vector<std::pair<std::u16string, TField*>>& Kept;
    std::vector<std::pair<std::u16string, TField*>> Fresh;
    std::size_t Same = 0;
    bool Diverged = false;
};

void WholeRebuild(TDoc& doc, TFieldIndex& index) {
    // The entries are made anew; the slot map is kept when the fields stand
    // in the same order as before, which is what most rebuilds find (text
    // moved, no field came or went), since remaking it costs an allocation
    // per field.
    std::vector<TFieldIndex::TEntry> previous;
    previous.swap(index.Entries);
    index.Entries.reserve(previous.size());
    index.LockedRanges.clear();
    TBookmarkCollector bookmarks(index.Bookmarks);
    // The open fields with the slot of the start that opened them.
    std::vector<std::pair<TField*, std::int32_t>> open;
    // Fields whose end mark came before their start (older edits could
    // leave an empty field so): they never stay open, or every field after
    // them would count as nested in them.
    std::unordered_set<const TField*> endedFirst;
    for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
        ForEachFieldControl(doc.Par(p)->Stream, [&](const TFieldControl& c) {
            auto* field = HandleTo<TField>(static_cast<TObjectHandle>(c.Value));
            if (field == nullptr)
                return;
            if (c.Code == fcFieldStart) {
                MakeTextPos(p, c.Pos, field->Range.Start);
                field->Range.End = field->Range.Start;
                TFieldIndex::TEntry entry;
                entry.Field = field;
                entry.EnclosingAtStart = open.empty() ? nullptr : open.back().first;
                const auto slot = static_cast<std::int32_t>(index.Entries.size());
                index.Entries.push_back(entry);
                if (!endedFirst.contains(field))
                    open.emplace_back(field, slot);
                if (IsListedBookmark(*field))
                    bookmarks.Add(field);
                else if (field->Kind == fkLockedRange)
                    index.LockedRanges.push_back(field);
                return;
            }
            MakeTextPos(p, c.Pos, field->Range.End);
            // The entry of the field's latest start so far: the one that
            // opened it, else (an end met before any open start) the latest
            // start met before.
            std::int32_t slot = -1;
            auto it = std::find_if(open.rbegin(), open.rend(), [field](const auto& o) { return o.first == field; });
            if (it != open.rend()) {
                slot = it->second;
                open.erase(std::next(it).base());
            } else {
                endedFirst.insert(field);
                for (auto e = index.Entries.rbegin(); e != index.Entries.rend() && slot < 0; ++e)
                    if (e->Field == field)
                        slot = static_cast<std::int32_t>(index.Entries.rend() - e) - 1;
            }
            if (slot >= 0)
                index.Entries[static_cast<std::size_t>(slot)].EnclosingAtEnd =
                    open.empty() ? nullptr : open.back().first;
        });
    }
    const bool sameOrder =
        previous.size() == index.Entries.size() &&
        std::equal(previous.begin(), previous.end(), index.Entries.begin(),
                   [](const TFieldIndex::TEntry& a, const TFieldIndex::TEntry& b) { return a.Field == b.Field; });
    if (!sameOrder) {
        // A field met twice keeps the slot of its latest start.
        index.Slot.clear();
        for (std::size_t i = 0; i < index.Entries.size(); ++i)
            index.Slot[index.Entries[i].Field] = static_cast<std::int32_t>(i);
    }
    // The name-sorted copy is rebuilt only when names or order changed.
    if (bookmarks.Changed()) {
        index.Bookmarks = bookmarks.Take();
        index.BookmarksByName = index.Bookmarks;
        std::stable_sort(index.BookmarksByName.begin(), index.BookmarksByName.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
    }
    ++index.Rebuilds;
}

// Refreshes the positions of the marks in paragraphs [first, last]; the
// lists stay as they are, because no field came or went.
void PartialRebuild(TDoc& doc, TFieldIndex& index, std::int32_t first, std::int32_t last) {
    last = std::min(last, doc.ParCount() - 1);
    for (std::int32_t p = std::max(first, 0); p <= last; ++p) {
        ForEachFieldControl(doc.Par(p)->Stream, [p](const TFieldControl& c) {
            if (auto* field = HandleTo<TField>(static_cast<TObjectHandle>(c.Value)))
                MakeTextPos(p, c.Pos, c.Code == fcFieldStart ? field->Range.Start : field->Range.End);
        });
    }
    ++index.PartialRebuilds;
}

bool Intersects(const TFragment& a, const TFragment& b) {
    // Touching counts: an empty range at a field's edge meets the field.
    return CompareTextPos(a.Start, b.End) <= 0 && CompareTextPos(b.Start, a.End) <= 0;
}

bool KindMatches(const TField& field, std::uint8_t kind) {
    if (kind != 255)
        return field.Kind == kind;
    return field.Kind != fkBookmark && field.Kind != fkNoteBody && field.Kind != fkHeaderFooter &&
           field.Kind != fkLockedRange && field.Kind != fkDropCap;
}

}  // namespace

TFieldIndex& FieldIndexOf(TDoc& doc) {
    if (!doc.FieldIndexState) {
        doc.FieldIndexState = std::make_unique<TFieldIndex>();
        doc.StateFlags[sfFieldIndexStale] = 1;
        doc.FieldSpanFirst = TDoc::FieldSpanWhole;
    }
    return static_cast<TFieldIndex&>(*doc.FieldIndexState);
}

void RebuildFieldIndex(TDoc& doc) {
    TFieldIndex& index = FieldIndexOf(doc);
    if (doc.StateFlags[sfFieldIndexStale] == 0)
        return;
    if (doc.FieldSpanFirst == TDoc::FieldSpanWhole || doc.FieldSpanFirst == TDoc::FieldSpanNone)
        WholeRebuild(doc, index);
    else if (!index.Entries.empty())
        PartialRebuild(doc, index, doc.FieldSpanFirst, doc.FieldSpanLast);
    doc.FieldSpanFirst = TDoc::FieldSpanNone;
    doc.FieldSpanLast = TDoc::FieldSpanNone;
    doc.StateFlags[sfFieldIndexStale] = 0;
    index.Selected.Valid = false;
}

bool IndexedFieldRange(TDoc& doc, const TField* field, TFragment& range) {
    RebuildFieldIndex(doc);
    const TFieldIndex& index = FieldIndexOf(doc);
    if (field == nullptr || index.Slot.find(field) == index.Slot.end())
        return false;
    range = field->Range;
    return true;
}

void FieldsNearRange(TDoc& doc, const TFragment& range, std::vector<TField*>& out) {
    out.clear();
    RebuildFieldIndex(doc);
    TFieldIndex& index = FieldIndexOf(doc);
    const auto& entries = index.Entries;
    const std::int32_t n = static_cast<std::int32_t>(entries.size());
    if (n == 0)
        return;
    auto firstAtOrAfter = [&](const TTextPos& pos) {
        auto it =
            std::lower_bound(entries.begin(), entries.end(), pos, [](const TFieldIndex::TEntry& e, const TTextPos& p) {
                return CompareTextPos(e.Field->Range.Start, p) < 0;
            });
        return static_cast<std::int32_t>(it - entries.begin());
    };
    const TTextPos& s = range.Start;
    const TTextPos& e = range.End;
    std::int32_t m = firstAtOrAfter(s);
    // The field just before may still reach over S; so may earlier ones
    // while they overlap the range.
    if (m > 0)
        --m;
    while (m > 0) {
        const TField* f = entries[m - 1].Field;
        if (CompareTextPos(f->Range.Start, e) <= 0 && CompareTextPos(f->Range.End, s) >= 0)
            --m;
        else
            break;
    }
    std::int32_t m2 = std::min(std::max(firstAtOrAfter(e), m), n - 1);
    while (m2 + 1 < n) {
        const TField* f = entries[m2 + 1].Field;
        if (CompareTextPos(f->Range.Start, e) > 0 || CompareTextPos(f->Range.End, s) < 0)
            break;
        ++m2;
    }
    for (std::int32_t i = m; i <= m2; ++i)
        out.push_back(entries[i].Field);
    // Fields that open before the first candidate and are still open there
    // (or after the last) need not be its neighbours in the list.
    auto contains = [&](const TField* f) { return std::find(out.begin(), out.end(), f) != out.end(); };
    std::vector<TField*> front;
    for (TField* f = entries[m].EnclosingAtStart; f != nullptr;) {
        if (!contains(f) && std::find(front.begin(), front.end(), f) == front.end())
            front.insert(front.begin(), f);
        auto slot = index.Slot.find(f);
        f = slot == index.Slot.end() ? nullptr : entries[slot->second].EnclosingAtStart;
    }
    out.insert(out.begin(), front.begin(), front.end());
    for (TField* f = entries[m2].EnclosingAtEnd; f != nullptr;) {
        if (!contains(f))
            out.push_back(f);
        auto slot = index.Slot.find(f);
        f = slot == index.Slot.end() ? nullptr : entries[slot->second].EnclosingAtEnd;
    }
}

TField* FindFieldAt(TDoc& doc,
                    const TTextPos& pos,
                    TFragment* range,
                    const TFieldTypeSet& excluded,
                    std::uint8_t type,
                    std::uint8_t kind) {
    std::vector<TField*> candidates;
    TFragment at{pos, pos};
    FieldsNearRange(doc, at, candidates);
    const bool inclusive = doc.StateFlags[sfInclusiveFieldEnds] != 0 || kind == fkNoteBody || kind == fkHeaderFooter;
    TField* found = nullptr;
    for (TField* f : candidates) {
        if (!KindMatches(*f, kind) || (type != 255 && f->Type != type) || excluded.Has(f->Type))
            continue;
        const bool inside = inclusive ? PosInFragmentIncl(pos, f->Range) : PosInFragment(pos, f->Range);
        if (!inside)
            continue;
        // The innermost wins: a later candidate within the current result.
        if (found == nullptr || (CompareTextPos(f->Range.Start, found->Range.Start) >= 0 &&
                                 CompareTextPos(f->Range.End, found->Range.End) <= 0))
            found = f;
    }
    if (found != nullptr && range != nullptr)
        *range = found->Range;
    return found;
}

TField* FieldAtCaretOrRetry(TDoc& doc, std::uint8_t kind, std::uint8_t type) {
    TField* f = FindFieldAt(doc, doc.Caret, nullptr, TFieldTypeSet{}, type, kind);
    if (f == nullptr) {
        doc.PushStateFlag(sfInclusiveFieldEnds);
        f = FindFieldAt(doc, doc.Caret, nullptr, TFieldTypeSet{}, type, kind);
        doc.PopStateFlag();
    }
    return f;
}

void FieldsInRanges(TDoc& doc,
                    const TCompoundFragment* set,
                    const TFragment* range,
                    std::vector<TField*>& out,
                    std::uint8_t type,
                    std::uint8_t kind) {
    std::vector<TFragment> ranges;
    if (set != nullptr) {
        for (std::int32_t i = 0; i < set->Count(); ++i)
            ranges.push_back(set->Fragment(i));
    } else if (range != nullptr) {
        ranges.push_back(*range);
    }
    std::vector<TField*> candidates;
    for (const TFragment& r : ranges) {
        FieldsNearRange(doc, r, candidates);
        for (TField* f : candidates) {
            if ((kind != 255 && f->Kind != kind) || (type != 255 && f->Type != type))
                continue;
            if (!Intersects(f->Range, r) || std::find(out.begin(), out.end(), f) != out.end())
                continue;
            out.push_back(f);
        }
    }
}

void SortFieldsByPosition(TDoc& doc, std::vector<TField*>& fields) {
    RebuildFieldIndex(doc);
    std::stable_sort(fields.begin(), fields.end(), [](const TField* a, const TField* b) {
        return CompareTextPos(a->Range.Start, b->Range.Start) < 0;
    });
}

void CollectSelectedFields(TDoc& doc, std::uint8_t type) {
    RebuildFieldIndex(doc);
    TFieldIndex::TSelectedFields& sel = FieldIndexOf(doc).Selected;
    if (sel.Valid && type == 255)
        return;
    if (type != 255)
        sel.OfType.clear();
    sel.Hyperlinks.clear();
    sel.Footnotes.clear();
    sel.Endnotes.clear();
    sel.AllNotes.clear();
    sel.Headings.clear();
    sel.DropCaps.clear();
    sel.Toc = sel.Index = nullptr;
    auto addNote = [&](TField* body) {
        if (body == nullptr)
            return;
        auto& list = body->Endnote != 0 ? sel.Endnotes : sel.Footnotes;
        if (std::find(list.begin(), list.end(), body) == list.end())
            list.push_back(body);
    };
    auto isHeading = [&](std::int32_t p) {
        return doc.StoryOfPar(p) == stMain && doc.Par(p)->Format.OutlineLevel < 9 && doc.Par(p)->Format.Collapsed == 0;
    };
    if (!IsEmptyCompoundFragment(doc.Selection)) {
        std::vector<TField*> listed;
        std::vector<TField*> candidates;
        for (std::int32_t i = 0; i < doc.Selection->Count(); ++i) {
            const TFragment& r = doc.Selection->Fragment(i);
            FieldsNearRange(doc, r, candidates);
            for (TField* f : candidates) {
                if (std::find(listed.begin(), listed.end(), f) != listed.end() || !Intersects(f->Range, r))
                    continue;
                listed.push_back(f);
                if (f->Kind == fkCode && f->Type == ftHyperlink)
                    sel.Hyperlinks.push_back(f);
                if (f->Kind == fkCode && type != 255 && f->Type == type)
                    sel.OfType.push_back(f);
                if (f->Kind == fkNoteBody)
                    addNote(f);
                if (f->Kind == fkNoteRef)
                    addNote(f->Partner);
                if (f->Kind == fkDropCap && f->Range.Start.Par < doc.ParCount() &&
                    (doc.Par(f->Range.Start.Par)->Flags & pfDropCap) != 0)
                    sel.DropCaps.push_back(f);
            }
            if (doc.StoryOfPar(r.Start.Par) == stMain) {
                const std::int32_t last = std::min(r.End.Par, doc.ParCount() - 1);
                for (std::int32_t p = r.Start.Par; p <= last; ++p)
                    if (isHeading(p) && (sel.Headings.empty() || sel.Headings.back() != p))
                        sel.Headings.push_back(p);
            }
        }
        TFragment span;
        doc.Selection->GetSpan(span);
        for (std::uint8_t t : {ftToc, ftIndex}) {
            TFragment fr;
            TField* f = FindFieldAt(doc, span.Start, &fr, TFieldTypeSet{}, t, fkCode);
            if (f != nullptr && (CompareTextPos(fr.Start, span.Start) <= 0 || CompareTextPos(fr.End, span.End) >= 0))
                (t == ftToc ? sel.Toc : sel.Index) = f;
        }
    } else {
        if (type != 255)
            if (TField* f = FieldAtCaretOrRetry(doc, fkCode, type))
                sel.OfType.push_back(f);
        if (TField* f = FieldAtCaretOrRetry(doc, fkCode, ftHyperlink))
            sel.Hyperlinks.push_back(f);
        if (TField* ref = FieldAtCaretOrRetry(doc, fkNoteRef, 255))
            addNote(ref->Partner);
        else
            addNote(FieldAtCaretOrRetry(doc, fkNoteBody, 255));
        sel.Toc = FieldAtCaretOrRetry(doc, fkCode, ftToc);
        sel.Index = FieldAtCaretOrRetry(doc, fkCode, ftIndex);
        if (doc.Caret.Par < doc.ParCount() && isHeading(doc.Caret.Par))
            sel.Headings.push_back(doc.Caret.Par);
        if (doc.Caret.Par < doc.ParCount())
            if (TField* cap = doc.DropCapOfPar(doc.Caret.Par))
                sel.DropCaps.push_back(cap);
    }
    sel.AllNotes = sel.Footnotes;
    sel.AllNotes.insert(sel.AllNotes.end(), sel.Endnotes.begin(), sel.Endnotes.end());
    SortFieldsByPosition(doc, sel.Footnotes);
    SortFieldsByPosition(doc, sel.Endnotes);
    SortFieldsByPosition(doc, sel.AllNotes);
    sel.Valid = true;
}
