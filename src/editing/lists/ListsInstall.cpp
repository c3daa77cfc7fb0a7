#include "editing/lists/ListsInstall.h"

#include "editing/lists/ListOperations.h"
#include "model/undo/OperationWorkers.h"

namespace {

void ApplyListWorker(TDoc& doc, TOperationCall&, const TApplyListArgs& args) {
    if (args.List != nullptr && args.List->List != nullptr)
        ApplyList(doc, *args.List->List);
}

void RemoveListWorker(TDoc& doc, TOperationCall&, const TRemoveListArgs&) {
    RemoveDirectList(doc);
}

}  // namespace

void InstallListsWorkers() {
    SetOperationWorker<TApplyListArgs>(&ApplyListWorker);
    SetOperationWorker<TRemoveListArgs>(&RemoveListWorker);
}
