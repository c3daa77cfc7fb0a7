#pragma once

#include <cstdint>
#include <string>

#include "platform/ByteReader.h"

class TDoc;
class TReadWindow;

struct TPlainTextReadOptions {
    // The file's name, by which a confirmed encoding is remembered; empty
    // for memory blocks, which are never confirmed.
    std::string FileName;
    bool FromFile = false;
    // Unicode text from the clipboard: UTF-16 little-endian, no detection.
    bool ClipboardUnicode = false;
};

// Reads plain text from the window into doc, one paragraph per line: finds
// the encoding (byte-order marks, pure ASCII, the best-fitting code page),
// lets the user confirm a guess for a file, and records the encoding and the
// line-end kind in the document for saving it again. False when the user
// cancelled the confirmation (the document is then marked as having shown
// its error) or the text could not be read.
bool ReadPlainText(TDoc& doc, TReadWindow& window, const TPlainTextReadOptions& options);

// The same with the read fault's reason and offset; a cancelled
// confirmation gives the reason "encoding not confirmed".
TReadResult ReadPlainTextDocument(TDoc& doc, TReadWindow& window, const TPlainTextReadOptions& options);
