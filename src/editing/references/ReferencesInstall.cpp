#include "editing/references/ReferencesInstall.h"

#include <string>
#include <vector>

#include "editing/references/AlphabeticalIndex.h"
#include "editing/references/TableOfContents.h"
#include "model/document/TDoc.h"
#include "model/undo/OperationArgs.h"
#include "model/undo/OperationWorkers.h"

namespace {

void WorkInsertToc(TDoc& doc, TOperationCall& call, const TInsertTOCArgs& args) {
    const TGenerateTocOptions defaults;
    call.EntryCount = GenerateToc(doc, args.Toc != nullptr ? *args.Toc : defaults);
}

void WorkRemoveToc(TDoc& doc, TOperationCall&, const TRemoveTOCArgs& args) {
    RemoveToc(doc, args.Field);
}

void WorkMarkIndexEntry(TDoc& doc, TOperationCall&, const TMarkIndexEntryArgs& args) {
    if (args.Entry != nullptr)
        MarkIndexEntry(doc, *args.Entry);
}

void WorkMarkIndexEntries(TDoc& doc, TOperationCall&, const TMarkIndexEntriesArgs& args) {
    if (args.Options != nullptr)
        MarkAllIndexEntries(doc, *args.Options);
}

// The entry of PerformOperation has laid the whole document out; the
// entries are taken with the pages they are on now.
void WorkInsertIndex(TDoc& doc, TOperationCall&, const TInsertIndexArgs& args) {
    std::vector<TIndexEntryField> fields;
    CollectIndexEntryFields(doc, fields);
    GenerateIndex(doc, args.Instruction != nullptr ? *args.Instruction : std::u16string(u"INDEX"), fields);
}

}  // namespace

void InstallReferencesWorkers() {
    SetOperationWorker<TInsertTOCArgs>(WorkInsertToc);
    SetOperationWorker<TRemoveTOCArgs>(WorkRemoveToc);
    SetOperationWorker<TMarkIndexEntryArgs>(WorkMarkIndexEntry);
    SetOperationWorker<TMarkIndexEntriesArgs>(WorkMarkIndexEntries);
    SetOperationWorker<TInsertIndexArgs>(WorkInsertIndex);
}
