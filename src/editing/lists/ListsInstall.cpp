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

void RemoveListFromStylesWorker(TDoc& doc, TOperationCall&, const TRemoveListFromStylesArgs& args) {
    if (args.List != nullptr)
        RemoveListFromStyles(doc, *args.List);
}

void ApplyListTemplateWorker(TDoc& doc, TOperationCall&, const TApplyListTemplateArgs& args) {
    if (args.Template != nullptr)
        ApplyListTemplate(doc, *args.Template);
}

void ConvertToManualListWorker(TDoc& doc, TOperationCall&, const TConvertToManualListArgs& args) {
    if (args.List != nullptr)
        ConvertToManualList(doc, *args.List);
}

// The code's byte carries the direction: 0 smaller, 1 larger.
void FormatListLevelWorker(TDoc& doc, TOperationCall&, const TFormatListLevelArgs& args) {
    StepListLabelSize(doc, args.Level != 0, true);
}

}  // namespace

void InstallListsWorkers() {
    SetOperationWorker<TApplyListArgs>(&ApplyListWorker);
    SetOperationWorker<TRemoveListArgs>(&RemoveListWorker);
    SetOperationWorker<TReplaceAutoListArgs>(&ReplaceAutoListWorker);
    SetOperationWorker<TRemoveListFromStylesArgs>(&RemoveListFromStylesWorker);
    SetOperationWorker<TApplyListTemplateArgs>(&ApplyListTemplateWorker);
    SetOperationWorker<TConvertToManualListArgs>(&ConvertToManualListWorker);
    SetOperationWorker<TFormatListLevelArgs>(&FormatListLevelWorker);
}
