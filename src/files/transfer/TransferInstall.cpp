#include "files/transfer/TransferInstall.h"

#include "files/saving/SaveSelection.h"
#include "files/transfer/CopyMove.h"
#include "files/transfer/Envelope.h"
#include "files/transfer/Paste.h"
#include "files/transfer/SymbolInsert.h"
#include "model/document/TDoc.h"
#include "model/undo/OperationWorkers.h"

namespace {

void WorkPaste(TDoc& doc, TOperationCall&, const TPasteArgs& args) {
    if (args.Paste != nullptr)
        Paste(doc, *args.Paste);
}

void WorkCopyMoveText(TDoc& doc, TOperationCall&, const TCopyMoveTextArgs& args) {
    if (args.Move != nullptr)
        CopyMoveText(doc, *args.Move, args.Flags);
}

void WorkBeginOvertype(TDoc& doc, TOperationCall&, const TBeginMultiSelectionOvertypeArgs&) {
    BeginMultiSelectionOvertype(doc);
}

void WorkSetFastNavMark(TDoc& doc, TOperationCall&, const TSetFastNavMarkArgs& args) {
    SetFastNavMark(doc, args.Digit);
}

}  // namespace

void InstallTransferWorkers() {
    SetOperationWorker<TPasteArgs>(WorkPaste);
    SetOperationWorker<TCopyMoveTextArgs>(WorkCopyMoveText);
    SetOperationWorker<TBeginMultiSelectionOvertypeArgs>(WorkBeginOvertype);
    SetOperationWorker<TSetFastNavMarkArgs>(WorkSetFastNavMark);
    SetSelectionDocumentBuilder(BuildSelectionDocument);
    // Symbols (opInsertSymbol) are pasted characters.
    InstallSymbolInsertWorker();
    // Envelopes (opInsertEnvelope).
    InstallEnvelopeWorker();
}
