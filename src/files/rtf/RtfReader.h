#pragma once

class TDoc;
class TReadWindow;

// How a document in Rich Text Format is read.
struct TRtfReadOptions {
    // The text goes into a document that will be inserted into another.
    bool Inserting = false;
    // The bytes are those of the encrypted format, decrypted by the window.
    bool Encrypted = false;
};

// Reads the RTF text in the window into the document; false when the text
// could not be read (the reader has then shown its message, or leaves the
// general one to its caller).
bool ReadRtf(TDoc& doc, TReadWindow& window, const TRtfReadOptions& options);
