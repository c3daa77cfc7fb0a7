#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TDoc;
class TField;
class TFormatStyleListInfo;
struct TFragment;
struct TTextPos;

// One index entry as the index generation sees it: the XE field and the
// page its start is on.
struct TIndexEntryPage {
    const TField* Field = nullptr;
    std::int32_t Page = 0;
};

// What the document model asks of the editing library: list numbering, the
// field index and field fix-ups, style-sheet re-application, and the few
// field queries that the follow-ups of PerformOperation need.
//
// The editing library installs its implementation when it is linked in.
// Until then the base class stands: it renumbers nothing, finds no field
// and collects nothing, so the model's own steps and workers run headless.
class TEditingServices {
public:
    virtual ~TEditingServices() = default;

    // Recomputes list numbers and labels (the post-actions call it while
    // state flag 153 is set).
    virtual void RenumberLists(TDoc& doc) {}
    // Rebuilds the field and bookmark lists when they are marked stale.
    virtual void RebuildFieldIndex(TDoc& doc) {}
    virtual void ClearSearchOrigin(TDoc& doc) {}

    // Puts a field's result text in place of its present result.
    virtual void SetFieldResult(TDoc& doc, TField& field, const std::u16string& text) {}

    // Collect the fields that span a range before paragraphs move, and
    // repair them after the move.
    virtual void BeginFieldFixUp(TDoc& doc, const TTextPos& start, const TTextPos& end, bool flag) {}
    virtual void EndFieldFixUp(TDoc& doc, const TTextPos& start, const TTextPos& end) {}

    // Records, into the operation open on the document, the re-application
    // of a changed style sheet to the paragraphs that use it.
    virtual void ReapplyStyleSheet(TDoc& doc, TFormatStyleListInfo& info) {}

    // The document's index-entry fields with the pages they start on,
    // sorted by field identity (the whole document paginated first).
    virtual void IndexEntryPages(TDoc& doc, std::vector<TIndexEntryPage>& entries) {}
    // For a table of contents just inserted at the caret: paginates up to
    // the bookmark of its last page reference and gives the table's range.
    virtual bool TocPageReferenceRange(TDoc& doc, TFragment& range) { return false; }
    // The bookmarks that belong to the first table of contents of the
    // selection, without duplicates.
    virtual void TocBookmarks(TDoc& doc, std::vector<std::string>& names) {}

    // Page fields: the pass after pagination that gives header and footer
    // fields the final page counts (TDoc::UpdatePageFields).
    virtual void UpdatePageFields(TDoc& doc, bool force) {}
};

TEditingServices& EditingServices();
// Installs the services (nullptr restores the silent ones); returns the
// previous.
TEditingServices* SetEditingServices(TEditingServices* services);
