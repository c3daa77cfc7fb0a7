#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/document/TDoc.h"
#include "model/fields/TField.h"
#include "model/formats/TTextPos.h"

class TCompoundFragment;

// Editing state flags that the field index reads (TDoc::StateFlags). The
// model names its own; these belong to the editing library.
enum : std::uint8_t {
    sfInsertingWithFieldMarks = 81,  // an insertion inside a replacement: field marks already handled
    sfReplacing = 82,                // a replacement runs: the span deletion leaves field marks alone
    sfClearingStory = 83,            // a whole story is cleared: object anchors go with the text
    sfKeepFieldMarksOnReplace = 84,  // field marks are neither lifted nor put back around a replacement
    sfKeepWholeHyperlink = 85,       // a hyperlink whose range equals the replaced range survives
    sfKeepReplacedField = 86,        // a field whose whole text is replaced stays
    sfKeepEveryMark = 87,            // notes, headers, envelopes or documents are being inserted
    sfInsertingParagraphs = 88,      // bookmark and index-entry marks are kept
    sfOnlyNoteAndHeaderMarks = 89,   // only note-text and header/footer marks are lifted
    sfInclusiveFieldEnds = 99,       // a field's end position counts as inside it
};

// The index of a document's fields: every field in the order of its start
// mark in the paragraph list, with the field each one is nested in where it
// starts and where it ends, the visible bookmarks, and the fields the
// selection touches. It lives in the document (TDoc::FieldIndexState) and is
// brought up to date lazily by the queries below.
class TFieldIndex : public TDoc::TEditingState {
public:
    struct TEntry {
        TField* Field = nullptr;
        TField* EnclosingAtStart = nullptr;
        TField* EnclosingAtEnd = nullptr;
    };

    std::vector<TEntry> Entries;  // by start position
    std::unordered_map<const TField*, std::int32_t> Slot;
    // Visible bookmarks in document order, and the same sorted by name.
    std::vector<std::pair<std::u16string, TField*>> Bookmarks;
    std::vector<std::pair<std::u16string, TField*>> BookmarksByName;
    std::vector<TField*> LockedRanges;
    // Raised while field marks are lifted around a deletion.
    std::int32_t MarkNesting = 0;
    std::uint32_t Rebuilds = 0;
    std::uint32_t PartialRebuilds = 0;

    // Bookmarks and hyperlinks (editing/fields/Bookmarks.h) keep their
    // per-document state here, beside the lists it refers to: the links
    // followed (Back and Forward walk them), the current entry (-1: none),
    // whether the history itself is being walked, and the bookmark moved
    // to last.
    std::vector<TField*> LinkHistory;
    std::int32_t LinkHistoryIndex = -1;
    bool WalkingLinkHistory = false;
    std::string LastBookmark;

    // The main story's word and character counts the last page-field pass
    // kept for the NUMWORDS and NUMCHARS fields of headers and footers (-1:
    // none kept), so that each page's update does not count again.
    std::int32_t KeptWords = -1;
    std::int32_t KeptChars = -1;

    // The fields the selection touches (CollectSelectedFields).
    struct TSelectedFields {
        std::vector<TField*> OfType;
        std::vector<TField*> Hyperlinks;
        std::vector<TField*> Footnotes;
        std::vector<TField*> Endnotes;
        std::vector<TField*> AllNotes;
        TField* Toc = nullptr;
        TField* Index = nullptr;
        std::vector<std::int32_t> Headings;
        std::vector<TField*> DropCaps;
        bool Valid = false;
    } Selected;
};

// The index of a document, made on first use.
TFieldIndex& FieldIndexOf(TDoc& doc);
// Brings the index up to date when the document marked it stale.
void RebuildFieldIndex(TDoc& doc);

// Candidate fields for a range: a superset of the fields that touch it, by
// two binary searches over the start-ordered list.
void FieldsNearRange(TDoc& doc, const TFragment& range, std::vector<TField*>& out);
// The innermost field at a position that matches the kind and type (255:
// any; kind 255 leaves out bookmarks, note texts, headers and footers,
// locked ranges and drop caps) and whose type is not excluded; nullptr when
// none. range receives its range.
TField* FindFieldAt(TDoc& doc,
                    const TTextPos& pos,
                    TFragment* range,
                    const TFieldTypeSet& excluded,
                    std::uint8_t type = 255,
                    std::uint8_t kind = 255);
// FindFieldAt at the caret, once more with inclusive ends when nothing is found.
TField* FieldAtCaretOrRetry(TDoc& doc, std::uint8_t kind, std::uint8_t type);
// Appends, without duplicates, the fields of the kind and type that
// intersect one of the ranges of set (or range when set is nullptr).
void FieldsInRanges(TDoc& doc,
                    const TCompoundFragment* set,
                    const TFragment* range,
                    std::vector<TField*>& out,
                    std::uint8_t type = 255,
                    std::uint8_t kind = 255);
// Stable sort by start position.
void SortFieldsByPosition(TDoc& doc, std::vector<TField*>& fields);
// Fills the index's selection lists for the selection (or the caret).
void CollectSelectedFields(TDoc& doc, std::uint8_t type);
// The position of a field as the index knows it; false for a field that is
// not in the document.
bool IndexedFieldRange(TDoc& doc, const TField* field, TFragment& range);
