#include "editing/typing/TypingInstall.h"

#include "editing/fields/FieldIndexMarks.h"
#include "editing/typing/TextDeletion.h"
#include "editing/typing/TextInsertion.h"
#include "model/document/TDoc.h"
#include "model/undo/OperationWorkers.h"

namespace {

void WorkInsertText(TDoc& doc, TOperationCall&, const TInsertTextArgs& args) {
    if (args.Text != nullptr)
        InsertTextAtCaret(doc, *args.Text, args.Flags);
}

void WorkInsertFormatted(TDoc& doc, TOperationCall&, const TInsertFormattedTextArgs& args) {
    if (args.Content != nullptr)
        InsertFormattedAtCaret(doc, *args.Content, args.ParEnds, args.Flags);
}

void WorkDeleteText(TDoc& doc, TOperationCall&, const TDeleteTextArgs& args) {
    DeleteText(doc, args.Set, args.Start, args.End, args.Flags);
}

void WorkReplaceText(TDoc& doc, TOperationCall&, const TReplaceTextArgs& args) {
    if (args.Text != nullptr)
        ReplaceText(doc, args.Start, args.End, args.Flags, *args.Text);
}

}  // namespace

void InstallTypingWorkers() {
    SetOperationWorker<TInsertTextArgs>(WorkInsertText);
    SetOperationWorker<TInsertFormattedTextArgs>(WorkInsertFormatted);
    SetOperationWorker<TDeleteTextArgs>(WorkDeleteText);
    SetOperationWorker<TReplaceTextArgs>(WorkReplaceText);
    // Field marks put back after a deletion leave the notes in reference order.
    SetNoteReorderer(ReorderNotes);
}
