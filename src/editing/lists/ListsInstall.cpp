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

void ReplaceAutoListWorker(TDoc& doc, TOperationCall&, const TReplaceAutoListArgs& args) {
    if (args.OldList != nullptr && args.NewList != nullptr)
        ReplaceAutoList(doc, *args.OldList, *args.NewList);
}

}  // namespace

void InstallListsWorkers() {
    SetOperationWorker<TApplyListArgs>(&ApplyListWorker);
    SetOperationWorker<TRemoveListArgs>(&RemoveListWorker);
    SetOperationWorker<TReplaceAutoListArgs>(&ReplaceAutoListWorker);
}
