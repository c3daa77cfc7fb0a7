#include "model/undo/TOperation.h"

#include "base/core/ObjectHandles.h"
#include "base/messages/MessageBoxes.h"
#include "base/text/TWideStringList.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/host/TEditingServices.h"
#include "model/host/TModelHost.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationCodes.h"
#include "model/undo/OperationWorkers.h"
#include "model/undo/TSubOperation.h"

namespace {

std::int32_t SerialCounter = 0;

const char* UndoNameText(std::uint8_t name) {
    return name < UndoNameCount ? UndoNames[name] : UndoNames[0];
}

}  // namespace

std::int32_t NextOperationSerial() {
    return SerialCounter + 1;
}

TOperation::TOperation(TDoc* doc, std::uint8_t undoName) : Serial(++SerialCounter), UndoName(undoName), Doc(doc) {
    SelectionBefore = CloneCompoundFragment(*doc->Selection);
    SelectionAfter = NewCompoundFragment();
    CaretBefore = doc->Caret;
    if (doc->EditedHeaderFooter != nullptr) {
        HeaderFooterBefore = doc->EditedHeaderFooter;
        ResultsBefore = new TWideStringList;
        SnapshotFieldResults(*ResultsBefore);
    }
}

TOperation::~TOperation() {
    if (Linked != nullptr && Linked->Linked == this)
        Linked->Linked = nullptr;
    ReleaseCompoundFragment(SelectionBefore);
    ReleaseCompoundFragment(SelectionAfter);
    delete ResultsBefore;
    delete ResultsAfter;
    FreeItems<TSubOperation>();
}

bool TOperation::IsMarkOnly() const {
    return UndoName == unLockSelection || UndoName == unFastNavigation;
}

// The fields of a header or footer being edited show results for the page
// it is edited on, which the view re-evaluates; the steps recorded while
// editing hold offsets into the text as it was then, so those results are
// put back before the steps are undone or redone.
void TOperation::SnapshotFieldResults(TWideStringList& list) const {
    TFragment range;
    if (!Doc->FieldRange(Doc->EditedHeaderFooter, range))
        return;
    for (std::int32_t p = range.Start.Par; p <= range.End.Par && p < Doc->ParCount(); ++p) {
        const TPar* par = Doc->Par(p);
        TStreamElement e;
        for (std::int32_t off = 0; off < par->Stream.Size; off += e.Length) {
            ReadStreamElement(par->Stream.Data, par->Stream.Size, off, e);
            if (!e.IsControl || e.Truncated || e.Code != fcFieldStart)
                continue;
            TField* field = HandleTo<TField>(static_cast<TObjectHandle>(e.Value));
            if (field == nullptr || field->Kind != fkCode || !DynamicFieldTypes.Has(field->Type))
                continue;
            TFragment fieldRange;
            if (Doc->FieldRange(field, fieldRange))
                list.AddObject(Doc->RangeText(fieldRange), field);
        }
    }
}

void TOperation::SnapshotFieldResultsAfter() {
    if (Doc->EditedHeaderFooter == nullptr)
        return;
    HeaderFooterAfter = Doc->EditedHeaderFooter;
    delete ResultsAfter;
    ResultsAfter = new TWideStringList;
    SnapshotFieldResults(*ResultsAfter);
}

void TOperation::RestoreFieldResults(TWideStringList* list, TField* headerFooter) {
    if (list == nullptr)
        return;
    TDoc& doc = *Doc;
    TEditingServices& services = EditingServices();
    for (std::int32_t i = list->Count - 1; i >= 0; --i)
        services.SetFieldResult(doc, *static_cast<TField*>(list->GetObject(i)), list->GetString(i));
    TFragment range;
    TOperationWorker<TUpdateFieldsArgs> update = OperationWorker<TUpdateFieldsArgs>();
    if (update == nullptr || !doc.FieldRange(headerFooter, range))
        return;
    doc.PushStateFlag(sfRestoringFieldResults);
    doc.BeginOperation(nullptr);
    const TUpdateFieldsArgs args{nullptr, &range, DynamicFieldTypes};
    TOperationCall call = TOperationCall::Of(args);
    try {
        update(doc, call, args);
    } catch (...) {
        doc.EndOperation();
        doc.PopStateFlag();
        throw;
    }
    doc.EndOperation();
    doc.PopStateFlag();
}

void TOperation::Undo() {
    TDoc& doc = *Doc;
    const TTextPos caret = doc.Caret;
    RestoreFieldResults(ResultsAfter, HeaderFooterAfter);
    doc.Caret = caret;
    TModelHost& host = ModelHost();
    const bool progress = ShowsProgress() && !host.ProgressShown();
    if (progress)
        host.BeginProgress(Count, FormatOneString("Undoing %s ...", UndoNameText(UndoName)));
    for (std::int32_t i = Count - 1; i >= 0; --i) {
        doc.PostActions().ScrollTargetX = UnsetValue;
        Step(i)->Undo();
        doc.ClearTableCache();
        if (progress)
            host.SetProgressPosition(Count - i);
    }
    if (progress)
        host.EndProgress(true);
    TPostActions& pa = doc.PostActions();
    pa.Selection->Assign(*SelectionBefore);
    pa.Caret = CaretBefore;
    if (Linked != nullptr && doc.StateFlags[sfLinkedUndo] == 0) {
        TDoc* other = Linked->Doc;
        if (other->UndoIndex >= 0 && other->UndoIndex < other->UndoList.Count &&
            other->UndoOperation(other->UndoIndex) == Linked) {
            other->StateFlags[sfLinkedUndo] = 1;
            other->Undo(true);
            other->StateFlags[sfLinkedUndo] = 0;
            host.SetDocumentToActivate(ActivateAfterUndo);
        }
    }
}

void TOperation::Redo() {
    TDoc& doc = *Doc;
    const TTextPos caret = doc.Caret;
    RestoreFieldResults(ResultsBefore, HeaderFooterBefore);
    doc.Caret = caret;
    TModelHost& host = ModelHost();
    const bool progress = ShowsProgress() && !host.ProgressShown();
    if (progress)
        host.BeginProgress(Count, FormatOneString("Redoing %s ...", UndoNameText(UndoName)));
    for (std::int32_t i = 0; i < Count; ++i) {
        doc.PostActions().ScrollTargetX = UnsetValue;
        Step(i)->Redo();
        doc.ClearTableCache();
        if (progress)
            host.SetProgressPosition(i);
    }
    if (progress)
        host.EndProgress(true);
    TPostActions& pa = doc.PostActions();
    pa.Selection->Assign(*SelectionAfter);
    pa.Caret = CaretAfter;
    if (Linked != nullptr && doc.StateFlags[sfLinkedUndo] == 0) {
        TDoc* other = Linked->Doc;
        const std::int32_t next = other->UndoIndex + 1;
        if (next < other->UndoList.Count && other->UndoOperation(next) == Linked) {
            other->StateFlags[sfLinkedUndo] = 1;
            other->Redo();
            other->StateFlags[sfLinkedUndo] = 0;
            host.SetDocumentToActivate(ActivateAfterRedo);
        }
    }
}
