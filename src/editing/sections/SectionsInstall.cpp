#include "editing/sections/SectionsInstall.h"

#include "editing/sections/NoteConversion.h"
#include "editing/sections/SectionMerge.h"
#include "model/document/TSection.h"
#include "model/undo/OperationWorkers.h"

namespace {

void ConvertNotesWorker(TDoc& doc, TOperationCall&, const TConvertNotesArgs& args) {
    if (args.Notes != nullptr)
        ConvertNotes(doc, *args.Notes);
}

void MergeSectionsWorker(TDoc& doc, TOperationCall&, const TMergeSectionsArgs& args) {
    // The record names the sections read-only; merging changes both.
    MergeSections(doc, const_cast<TSection*>(args.First), const_cast<TSection*>(args.Second));
}

void ChangeSectionBreakWorker(TDoc& doc, TOperationCall&, const TChangeSectionBreakArgs& args) {
    ChangeSectionBreakKind(doc, args.Par, args.Kind);
}

}  // namespace

void InstallSectionsWorkers() {
    SetOperationWorker<TConvertNotesArgs>(&ConvertNotesWorker);
    SetOperationWorker<TMergeSectionsArgs>(&MergeSectionsWorker);
    SetOperationWorker<TChangeSectionBreakArgs>(&ChangeSectionBreakWorker);
}
