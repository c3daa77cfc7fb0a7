#pragma once

#include "files/opening/TOpenContext.h"

class TDoc;

// The one road by which a document gets from a file or a memory block into a
// TDoc (the document's Open): opens the file, coping with files that another
// instance holds for editing and files we may only read; fills the read
// window; decides the format; calls the reader of that format; and runs the
// steps that turn what any reader produced into a consistent document. True
// when the reader succeeded. Every failure has been reported to the user
// when it returns false, and the caller discards the document.
//
// The document keeps a file it loaded open (TDoc::FileHandle) until it
// closes, except when it is read-only, a temporary copy or on a removable
// drive.
bool OpenDocument(TDoc& doc, TDocOpeningOptions& options);

// Opens options.FileName for loading; false when the user gave up (every
// message has then been shown).
bool OpenDocumentFile(TOpenContext& context);

// The steps after a reader succeeded, which turn what any reader produced
// into a consistent document: for a file, the document takes its name and
// keeps its handle (unless read-only, a temporary copy or on a removable
// drive); an empty last paragraph left after a paragraph end joins the
// paragraph before; the text gets its final paragraph end mark (documents
// that take them); the story counts are completed; bookmarks that clash with
// those of the document the loaded one goes into are renamed; the caret goes to the
// position the file recorded, within the text; flagged tables are repaired.
// options.ParCount is set.
void FinishLoadedDocument(TOpenContext& context);

// Copies the named file to a new temporary file and records the copy in the
// context; false when the user gave up after a failed copy.
bool MakeTempCopyOfFile(TOpenContext& context);
