#include "editing/sections/SectionsInstall.h"

#include "editing/sections/DocumentProperties.h"
#include "editing/sections/LockedRanges.h"
#include "editing/sections/NoteConversion.h"
#include "editing/sections/NoteInsertion.h"
#include "editing/sections/PageNumbers.h"
#include "editing/sections/SectionFormatting.h"
#include "editing/sections/SectionHeaders.h"
#include "editing/sections/SectionMerge.h"
#include "model/document/TDocProps.h"
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

// Inserting notes.
void InsertNoteWorker(TDoc& doc, TOperationCall&, const TInsertNoteArgs& args) {
    if (args.Options != nullptr)
        InsertNote(doc, *args.Options);
}

// Linking and unlinking headers and footers.
void SameAsPreviousWorker(TDoc& doc, TOperationCall&, const TSameAsPreviousArgs& args) {
    ToggleSameAsPrevious(doc, const_cast<TSection*>(args.Section), args.Slot);
}

// Document properties and locked ranges.
void ChangeDocPropertiesWorker(TDoc& doc, TOperationCall&, const TChangeDocPropertiesArgs& args) {
    if (args.Properties != nullptr)
        ChangeDocProperties(doc, *args.Properties);
}

void LockSelectionWorker(TDoc& doc, TOperationCall&, const TLockSelectionArgs& args) {
    if (args.Lock == nullptr)
        LockSelection(doc);
    else
        UnlockRanges(doc, args.Lock->Unlock);
}

// Section formats.
void FormatSectionsWorker(TDoc& doc, TOperationCall&, const TFormatSectionsArgs& args) {
    if (args.Format != nullptr && args.Range != nullptr)
        FormatSections(doc, *args.Format, *args.Range);
}

}  // namespace

void InstallSectionsWorkers() {
    SetOperationWorker<TConvertNotesArgs>(&ConvertNotesWorker);
    SetOperationWorker<TMergeSectionsArgs>(&MergeSectionsWorker);
    SetOperationWorker<TChangeSectionBreakArgs>(&ChangeSectionBreakWorker);
    SetOperationWorker<TInsertNoteArgs>(&InsertNoteWorker);
    SetOperationWorker<TSameAsPreviousArgs>(&SameAsPreviousWorker);
    SetOperationWorker<TChangeDocPropertiesArgs>(&ChangeDocPropertiesWorker);
    SetOperationWorker<TLockSelectionArgs>(&LockSelectionWorker);
    SetOperationWorker<TFormatSectionsArgs>(&FormatSectionsWorker);
    // Page numbering of sections (opInsertPageNumbers).
    InstallPageNumbersWorkers();
}
