#pragma once

#include "editing/fields/FieldIndex.h"
#include "editing/fields/FieldUpdate.h"
#include "editing/formatting/Formatting.h"
#include "editing/lists/ListNumbering.h"
#include "editing/references/AlphabeticalIndex.h"
#include "editing/references/TableOfContents.h"
#include "editing/tables/TableStructure.h"
#include "model/host/TEditingServices.h"

// The editing library's answers to what the document model asks of it.
// Each override hands the question to the room that owns the answer.
class TEditingServicesImpl : public TEditingServices {
public:
    // The field index (editing/fields).
    void RebuildFieldIndex(TDoc& doc) override { ::RebuildFieldIndex(doc); }
    // The update engine (editing/fields) writes a stored field result back.
    void SetFieldResult(TDoc& doc, TField& field, const std::u16string& text) override {
        SetFieldResultText(doc, field, text);
    }

    // The page-field pass after pagination (editing/fields).
    void UpdatePageFields(TDoc& doc, bool force) override { ::UpdatePageFields(doc, force); }

    // formatting: a new style sheet re-formats the paragraphs of the styles
    // it redefined.
    void ReapplyStyleSheet(TDoc& doc, TFormatStyleListInfo& info) override { ReapplyStyles(doc, info); }

    // List numbering (editing/lists), told by the table room which cells a
    // vertical merge hides.
    void RenumberLists(TDoc& doc) override { ::RenumberLists(doc, &InMergedCell); }

    // Tables of contents and indexes (editing/references): what their
    // operations' follow-ups ask.
    void IndexEntryPages(TDoc& doc, std::vector<TIndexEntryPage>& entries) override { ::IndexEntryPages(doc, entries); }
    bool TocPageReferenceRange(TDoc& doc, TFragment& range) override { return ::TocPageReferenceRange(doc, range); }
    void TocBookmarks(TDoc& doc, std::vector<std::string>& names) override { ::TocBookmarks(doc, names); }
};
