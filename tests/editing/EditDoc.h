#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/document/TDoc.h"
#include "model/fields/TField.h"
#include "model/undo/OperationWorkers.h"

// A document for the typing and deleting tests, written as one string per
// paragraph of the main story (code page 1252). Inside a paragraph:
//   "<"   opens the next field of the field list given (in order)
//   ">"   closes the innermost open field
//   "^"   a footnote reference; its note text "note N" goes to the
//         footnote story, covered by the note-text field
//   "\t"  a tab
// A paragraph may start with a prefix:
//   "T|"  a table paragraph ending with a cell mark
//   "t|"  a table paragraph ending with a paragraph mark (more follow in its cell)
//   "#"   (the whole token) the row end of the next row; rows have one cell
//         per cell mark before them, an inch each
//   "L|"  a list paragraph (one list shared by all of them)
// Fields of the list are given as kind and type with an instruction.
struct TFieldSpec {
    std::uint8_t Kind = fkCode;
    std::uint8_t Type = 0;
    std::u16string Instruction;
};

class TEditDoc {
public:
    explicit TEditDoc(const std::vector<std::string>& pars, const std::vector<TFieldSpec>& fields = {});

    TDoc& Doc() { return *DocPtr; }
    TField* Field(std::size_t i) const { return Fields[i]; }
    TField* NoteRef(std::size_t i) const { return NoteRefs[i]; }
    // Each paragraph of the main story as its text again, fields as "<" and
    // ">", note references as "^", with the prefixes above; paragraphs
    // joined by " / ".
    std::string Text() const;
    std::string StoryText(int story) const;

private:
    std::unique_ptr<TDoc> DocPtr;
    std::vector<TField*> Fields;
    std::vector<TField*> NoteRefs;
};

// Installs the editing library for one test and puts the workers it
// replaced back afterwards, so that tests of this binary which build their
// documents through the model's plain workers see those.
class TEditingInstalled {
public:
    TEditingInstalled();
    ~TEditingInstalled();
};

class TSection;

// Turns the (empty) main-text paragraph par into a section break: a new
// section ends there, the one that held it keeps the text after it.
TSection& BreakSectionAt(TDoc& doc, std::int32_t par);
// Gives a section's slot a new header or footer of one paragraph, in an
// undo step of its own.
TField* AddHeaderFooter(TDoc& doc, TSection& section, int slot, const std::string& text);

// The plain bytes of a text for TInsertTextArgs.
struct TextBytes : TMemory {
    explicit TextBytes(const std::string& text);
};
