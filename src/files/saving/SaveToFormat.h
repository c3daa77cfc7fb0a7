#pragma once

#include <cstdint>

#include "files/output/SaveOutput.h"

class TDoc;

// Result codes of the save operations.
enum : int { srSaved = 0, srCancelled = 1, srFailed = 2 };

// The one road by which a document is written: prepares the numbering of
// fonts, colours and lists, runs the writer of the format and, for a file
// target, puts the new file in place of the old one only once it is
// complete. A write that fails asks "Error writing file" with Retry and
// Cancel; Cancel leaves the old file byte for byte and returns srFailed.
// For a file target the file is TDoc::FileName. A save that is no copy
// marks the document saved (format, modified flag, undo save point).
int SaveToFormat(TDoc& doc, const TDocSavingOptions& options);

// The same with the file side supplied by the caller (a test's failing
// stream, or a sink that only counts bytes): the bytes go to file and no
// file is replaced; failures are reported as for a file.
int SaveToFormatStream(TDoc& doc, const TDocSavingOptions& options, TStream& file);

// True when the caller must let the user choose another format: the format
// cannot be saved at all (ODT, Write), or it loses formatting the document
// has and the user answers No to the optional question. range nil: the
// whole document, whose answer is then remembered until it is saved.
bool ConfirmFormattingLoss(TDoc& doc, const TFragment* range, std::int32_t format);

// What saving the range (nil: the whole document) in the format loses, one
// line each ("* Paragraph formatting." ...); false when nothing.
bool ListFormattingLoss(TDoc& doc, const TFragment* range, std::int32_t format, std::string& text);
