#pragma once

#include <cstdint>
#include <string>

class TDoc;

// What to write of a document as plain text, and how.
struct TPlainTextWriteOptions {
    // Encoding and line-end codes of TextEncodings.h.
    std::int32_t Encoding = 1;
    std::uint8_t LineBreak = 0;
    // Special characters become ordinary ones ("-" for dashes and hyphens,
    // a blank for breaks, tabs and ends).
    bool PlainChars = false;
    // A file gets the byte-order mark of its encoding, list labels, and no
    // line end after the last paragraph of a range that ends at its end;
    // memory targets (clipboard text) none of these.
    bool FileTarget = true;
    // The range: from a paragraph and offset to a paragraph and offset
    // (exclusive). ToPar -1 is the end of the main text.
    std::int32_t FromPar = 0;
    std::int32_t FromOffset = 0;
    std::int32_t ToPar = -1;
    std::int32_t ToOffset = 0;
};

// The bytes of the range as text.
std::string WritePlainTextBytes(TDoc& doc, const TPlainTextWriteOptions& options);

// Writes the range to a file through a safe replacement: the old file
// stays whole until the new one is complete. 0 saved, 2 failed (the message
// has been shown).
std::int32_t SavePlainTextFile(TDoc& doc, const std::string& fileName, const TPlainTextWriteOptions& options);
