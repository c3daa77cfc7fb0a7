#include "editing/references/ReferencesInstall.h"

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

}  // namespace

void InstallReferencesWorkers() {
    SetOperationWorker<TInsertTOCArgs>(WorkInsertToc);
    SetOperationWorker<TRemoveTOCArgs>(WorkRemoveToc);
}
