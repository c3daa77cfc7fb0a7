#pragma once

#include <cstdint>
#include <span>

#include "platform/ByteReader.h"

class TDoc;
class TReadWindow;

// Reads a Windows Write document (Microsoft's published Write file format:
// a 128-byte header, the text from offset 128, then 128-byte pages of
// character and paragraph properties, the font table among them) into doc:
// text, font, size, bold, italic, underline, super- and subscript,
// alignment, indents, line spacing and tab stops, and pictures (Windows
// metafiles and bitmaps) as inline picture shapes, each in a paragraph of
// its own. Running heads and embedded objects are left out.
//
// The whole file is read into memory first. True when the document was
// read; a damaged file is read as far as it goes.
bool ReadWri(TDoc& doc, TReadWindow& window);

struct TWriReadOutcome {
    // The first damaged place (an offset or page beyond the file, a property
    // block outside its page, a picture whose header or data does not fit),
    // or Good. The text around it is still read; a bad picture is dropped.
    TReadResult Flaw;
};

// The same over the file's bytes; fails only when the bytes are no Write
// file at all (a header too short or of another kind).
TReadResult ReadWriDocument(TDoc& doc, std::span<const std::uint8_t> file, TWriReadOutcome& outcome);
