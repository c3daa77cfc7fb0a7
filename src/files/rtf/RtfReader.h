#pragma once

#include <cstdint>
#include <string>

#include "platform/ByteReader.h"

class TDoc;
class TReadWindow;

// Where the RTF is read into, beside the document itself. Ordinary opening
// leaves everything at its default.
struct TRtfReadOptions {
    // The bytes before the RTF in the window: the encrypted format's plain
    // text is RTF behind a 42-byte header.
    bool Encrypted = false;
    // Set by paste on the hidden document that receives clipboard data:
    // the text goes into a note or a header or footer, into a note, into a
    // table cell, or to a place that cannot take a table at all. Page and
    // column breaks then become line breaks, section breaks paragraph ends,
    // and refused tables arrive as plain paragraphs.
    bool NotMainText = false;
    bool IntoNote = false;
    bool IntoTable = false;
    bool TablesRefused = false;
};

// What the reader found for the opening code, which owns the document's
// marks and the post-load steps.
struct TRtfReadOutcome {
    // The caret position stored in the file (paragraph number, character
    // offset); -1 when the file holds none.
    std::int32_t CaretPar = -1;
    std::int32_t CaretChar = -1;
    // The format code of the file a safe copy was taken of (0 to 6), -1 none;
    // and that file's name.
    std::int32_t OriginalFormat = -1;
    std::string OriginalName;
    bool HasTables = false;
    bool HasCollapsedHeadings = false;
    bool IsZududeVuzi = false;
    bool ShapeSelection = false;
    std::int32_t TableSelectionType = 0;
    // The style sheet was read; its styles carry their own formatting (no
    // resolving against the file's default formats after loading needed).
    bool StylesRead = false;
    bool StylesOwnFormatting = false;
    // A list table was read (the post-load list step is not needed).
    bool ListTableRead = false;
    // The numbers ("cs") of the first character styles named "Footnote
    // Reference" and "Endnote Reference", -1 when there is none.
    std::int32_t NoteReferenceStyles[2] = {-1, -1};
    // The first malformed place of the input (read leniently), or Good.
    TReadResult Flaw;
};

// What the reader leaves in a list level of old-style numbering ("pn") for
// the post-load list step, which merges the one-level lists of consecutive
// paragraphs and makes their labels: the texts before and after the number
// (UTF-8, TListLevel::FileStrings) and two flags (TListLevel::FileBytes).
enum : std::uint8_t { lfsPrefix = 0, lfsSuffix = 1 };
enum : std::uint8_t {
    lfbDefined = 0,           // the file defined this level
    lfbIncludesPrevious = 1,  // the label begins with the level above's ("pnprev")
};

// Reads RTF from the window into doc (an empty, freshly created document, or
// the insertion point the caller prepared when inserting); false when the
// input is not RTF or reading was abandoned; bad input is read as far as it
// goes.
bool ReadRtf(TDoc& doc, TReadWindow& window, const TRtfReadOptions& options);

// The same with the reader's findings, and the reason and offset when the
// read was abandoned (a read fault of the source).
TReadResult ReadRtfDocument(TDoc& doc, TReadWindow& window, const TRtfReadOptions& options, TRtfReadOutcome& outcome);
