#include "editing/paragraphs/ParagraphsInstall.h"

#include "editing/paragraphs/ParagraphOperations.h"
#include "model/undo/OperationWorkers.h"

namespace {

void JoinWorker(TDoc& doc, TOperationCall&, const TJoinParagraphsArgs& args) {
    JoinParagraphs(doc, args.First, args.Last);
}

void SplitWorker(TDoc& doc, TOperationCall&, const TSplitParagraphsArgs& args) {
    SplitParagraphs(doc, args.First, args.Last);
}

void SortWorker(TDoc& doc, TOperationCall& call, const TSortParagraphsArgs& args) {
    call.DuplicatesFound = SortParagraphs(doc, args.First, args.Last, (args.Options & 1) != 0);
}

void MoveWorker(TDoc& doc, TOperationCall&, const TMoveParagraphsArgs& args) {
    MoveParagraphs(doc, args.Direction);
}

}  // namespace

void InstallParagraphsWorkers() {
    SetOperationWorker<TJoinParagraphsArgs>(&JoinWorker);
    SetOperationWorker<TSplitParagraphsArgs>(&SplitWorker);
    SetOperationWorker<TSortParagraphsArgs>(&SortWorker);
    SetOperationWorker<TMoveParagraphsArgs>(&MoveWorker);
}
