#pragma once

#include <cstdint>
#include <string>

class TDoc;

// Note kinds as the caller names them: the number of the story that
// receives the note text.
enum : std::uint8_t {
    nkFootnote = 1,
    nkEndnote = 2,
};

// What opInsertNote inserts.
struct TNoteOptions {
    // The reference mark; empty numbers the note automatically. Control
    // characters are dropped, and a mark left empty by that is numbered too.
    std::u16string CustomMark;
    // The font of a custom mark (UTF-8); empty keeps the text's font. A
    // named font wraps the mark in a SYMBOL field, in the reference and in
    // the note text alike.
    std::string FontName;
    // The language whose character set a font that is not a symbol font is
    // registered with; 0 takes the system's.
    std::int32_t Language = 0;
    std::uint8_t Kind = nkFootnote;
};

// Inserts a footnote or an endnote at the caret, replacing the selection:
// a reference in the main text and, at the start of the note story, a
// paragraph in the note text style that opens with the same mark and a
// blank. The note texts are then put in the order of their references and
// the caret goes into the new note after the mark and the blank. Nothing
// happens outside the main text, where a note cannot be anchored, or for
// a kind other than the two above.
void InsertNote(TDoc& doc, const TNoteOptions& options);
