// The open-operation stack and the undo list.
#include "model/document/TDoc.h"

#include <cstdlib>

#include "model/document/StateFlags.h"
#include "model/formats/TCompoundFragment.h"
#include "model/host/ModelOptions.h"
#include "model/host/TModelHost.h"
#include "model/undo/TOperation.h"
#include "model/undo/TSubOperation.h"

namespace {

constexpr std::int32_t NoMarker = static_cast<std::int32_t>(0x80000000u);

bool GroupUndoOn() {
    return (ModelOptions().EditFlags & eoGroupUndo) != 0;
}

// Typing at two places, or more than one character apart, never groups.
bool CaretsAdjacent(const TOperation& a, const TOperation& b) {
    return a.CaretAfter.Par == b.CaretAfter.Par && std::abs(a.CaretAfter.Offset - b.CaretAfter.Offset) <= 1;
}

bool Has(const TOperation& op, std::uint8_t flag) {
    return (op.Flags & flag) != 0;
}

}  // namespace

void TDoc::BeginOperation(TOperation* operation) {
    OpenOperations.Add(operation);
    CurrentOperation = operation;
}

void TDoc::AddSubOperation(TSubOperation* step) {
    if (CurrentOperation != nullptr)
        CurrentOperation->Add(step);
    else
        delete step;
}

void TDoc::EndOperation() {
    if (OpenOperations.Count > 0)
        OpenOperations.DeleteLast();
    CurrentOperation = OpenOperations.Count > 0 ? static_cast<TOperation*>(OpenOperations.Last()) : nullptr;
}

bool TDoc::RecordingSuspended() const {
    return OpenOperations.Count > 0 && OpenOperations.Last() == nullptr;
}

void TDoc::CommitOperation(TOperation* operation) {
    if (operation->Count == 0) {
        delete operation;
        return;
    }
    SetModified(true);
    operation->SelectionAfter->Assign(*Selection);
    operation->CaretAfter = Caret;
    if (StateFlags[sfNoCaretScroll] == 0)
        operation->Flags |= ofScrollCaret;
    // Markers in the redo part, which is about to go, mark nothing any more.
    for (std::int32_t* marker : {&SavedUndoIndex, &SafeCopyUndoIndex, &BackupUndoIndex})
        if (*marker != NoMarker && *marker > UndoIndex)
            *marker = NoMarker;
    ++UndoIndex;
    if (UndoIndex < UndoList.Count)
        UndoList.FreeRange<TOperation>(UndoIndex, UndoList.Count - UndoIndex);
    UndoList.Add(operation);
    StateFlags[sfChangedSinceSafeCopy] = 1;
    StateFlags[sfUndoStateDirty] = 0;
    ModelHost().InvalidateUI();
}

std::int32_t TDoc::LastOperationSerial() const {
    return UndoList.Count > 0 ? static_cast<TOperation*>(UndoList.Last())->Serial : 0;
}

std::int32_t TDoc::NextRedoSerial() const {
    return UndoIndex + 1 < UndoList.Count ? UndoOperation(UndoIndex + 1)->Serial : 0;
}

void TDoc::FinishUndoRedo(bool scroll, bool refresh, bool applied) {
    // Post-actions, then the saving state (refresh asked for).
    if (applied) {
        if (!scroll)
            PushStateFlag(sfNoCaretScroll);
        ApplyPostActions();
        if (!scroll)
            PopStateFlag();
    }
    StateFlags[sfUndoing] = 0;
    StateFlags[sfUndoRedoRunning] = 0;
    StateFlags[sfSingleTypingUndone] = 0;
    if (refresh) {
        SetModified(UndoIndex != SavedUndoIndex);
        if (StateFlags[sfLinkedUndo] == 0)
            ModelHost().RefreshUI();
    }
    StateFlags[sfChangedSinceSafeCopy] = UndoIndex != SafeCopyUndoIndex ? 1 : 0;
    StateFlags[sfUndoStateDirty] = 0;
    ModelHost().RestartBackgroundSpellcheck(*this);
}

void TDoc::Undo(bool refresh) {
    if (UndoIndex < 0)
        return;
    BeginDocumentCall(this);
    StateFlags[sfUndoing] = 1;
    StateFlags[sfUndoRedoRunning] = 1;
    std::int32_t n = 0, spaces = 0;
    bool scroll = false;
    const TOperation* last = nullptr;
    const bool group = GroupUndoOn();
    while (UndoIndex >= 0) {
        TOperation* op = UndoOperation(UndoIndex);
        StateFlags[sfKeepSelectedShapes] = 0;
        op->Undo();
        scroll = Has(*op, ofScrollCaret);
        --UndoIndex;
        ++n;
        if (Has(*op, ofTypedSpace))
            ++spaces;
        last = op;
        if (UndoIndex < 0)
            break;
        const TOperation* prev = UndoOperation(UndoIndex);
        // A run of typing undoes as one: a finished word with the space
        // after it, an unfinished one with the space before it.
        const bool typing = (Has(*prev, ofTypedChar) && Has(*op, ofTypedChar)) ||
                            (Has(*prev, ofTypedChar) && Has(*op, ofTypedSpace) && n == 1 && spaces == 1) ||
                            (Has(*prev, ofTypedSpace) && Has(*op, ofTypedChar) && spaces == 0);
        if (group && prev->MergeClass == op->MergeClass && typing && CaretsAdjacent(*prev, *op))
            continue;
        if (Has(*op, ofChained))
            continue;
        break;
    }
    if (n == 1 && (Has(*last, ofTypedChar) || Has(*last, ofTypedSpace)))
        StateFlags[sfSingleTypingUndone] = 1;
    FinishUndoRedo(scroll, refresh, refresh);
    EndDocumentCall(this);
}

void TDoc::Redo() {
    if (UndoIndex + 1 >= UndoList.Count)
        return;
    BeginDocumentCall(this);
    StateFlags[sfUndoRedoRunning] = 1;
    std::int32_t n = 0, spaces = 0;
    bool scroll = false;
    const TOperation* last = nullptr;
    const bool group = GroupUndoOn();
    while (UndoIndex < UndoList.Count - 1) {
        TOperation* op = UndoOperation(UndoIndex + 1);
        StateFlags[sfKeepSelectedShapes] = 0;
        op->Redo();
        scroll = Has(*op, ofScrollCaret);
        ++UndoIndex;
        ++n;
        if (Has(*op, ofTypedSpace))
            ++spaces;
        last = op;
        if (UndoIndex >= UndoList.Count - 1)
            break;
        const TOperation* next = UndoOperation(UndoIndex + 1);
        const bool typing = (Has(*op, ofTypedChar) && Has(*next, ofTypedChar)) ||
                            (Has(*op, ofTypedChar) && Has(*next, ofTypedSpace) && spaces == 0) ||
                            (Has(*op, ofTypedSpace) && Has(*next, ofTypedChar) && n == 1 && spaces == 1);
        if (group && next->MergeClass == op->MergeClass && typing && CaretsAdjacent(*op, *next))
            continue;
        if (Has(*next, ofChained))
            continue;
        break;
    }
    if (n == 1 && (Has(*last, ofTypedChar) || Has(*last, ofTypedSpace)))
        StateFlags[sfSingleTypingUndone] = 1;
    FinishUndoRedo(scroll, true, true);
    EndDocumentCall(this);
}

void TDoc::UndoAll() {
    if (UndoIndex < 0)
        return;
    BeginDocumentCall(this);
    StateFlags[sfUndoing] = 1;
    StateFlags[sfUndoRedoRunning] = 1;
    bool scroll = false;
    while (UndoIndex >= 0) {
        TOperation* op = UndoOperation(UndoIndex);
        StateFlags[sfKeepSelectedShapes] = 0;
        op->Undo();
        scroll = Has(*op, ofScrollCaret);
        --UndoIndex;
    }
    FinishUndoRedo(scroll, true, true);
    EndDocumentCall(this);
}

void TDoc::RedoAll() {
    if (UndoIndex + 1 >= UndoList.Count)
        return;
    BeginDocumentCall(this);
    StateFlags[sfUndoRedoRunning] = 1;
    bool scroll = false;
    while (UndoIndex < UndoList.Count - 1) {
        TOperation* op = UndoOperation(UndoIndex + 1);
        StateFlags[sfKeepSelectedShapes] = 0;
        op->Redo();
        scroll = Has(*op, ofScrollCaret);
        ++UndoIndex;
    }
    FinishUndoRedo(scroll, true, true);
    EndDocumentCall(this);
}

void TDoc::ClearUndoHistory() {
    for (std::int32_t* marker : {&SavedUndoIndex, &SafeCopyUndoIndex, &BackupUndoIndex})
        if (*marker != NoMarker)
            *marker = *marker > UndoIndex ? *marker - UndoIndex - 1 : NoMarker;
    if (UndoIndex >= 0)
        UndoList.FreeRange<TOperation>(0, UndoIndex + 1);
    UndoIndex = -1;
    ModelHost().InvalidateUI();
}

void TDoc::ClearRedoHistory() {
    for (std::int32_t* marker : {&SavedUndoIndex, &SafeCopyUndoIndex, &BackupUndoIndex})
        if (*marker != NoMarker && *marker > UndoIndex)
            *marker = NoMarker;
    if (UndoIndex + 1 < UndoList.Count)
        UndoList.FreeRange<TOperation>(UndoIndex + 1, UndoList.Count - UndoIndex - 1);
    ModelHost().InvalidateUI();
}

void TDoc::FreeUndoList() {
    UndoList.FreeItems<TOperation>();
}
