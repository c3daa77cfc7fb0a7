#pragma once

class TDoc;

// Safe copies: the unsaved work of a modified document written now and then
// (the main window's timer) into a file of its own in the temporary folder,
// with the extension "mqd", so that it survives a crash. The copy holds the
// document as RTF, or in the encrypted format when the document is
// encrypted and has a password, with the document's own name and format
// recorded inside. The document's own file is never touched.

// Writes the safe copy when one is due: the document changed since the
// last one (the undo position moved), it is modified or was restored from
// a safe copy, and no safe copy is being written. Result codes of
// SaveToFormat.h; srCancelled when none was due. A first safe copy that
// fails leaves no file behind.
int WriteSafeCopy(TDoc& doc);

// Deletes the document's safe copy (after a successful save, or when the
// document closes).
void DiscardSafeCopy(TDoc& doc);
