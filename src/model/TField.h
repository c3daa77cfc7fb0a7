#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "model/TTextPos.h"

class TSection;
class TShape;

// Field kinds.
enum : std::uint8_t {
    fkCode = 0,  // an instruction with a computed result
    fkBookmark = 1,
    fkNoteBody = 2,    // the text of one footnote or endnote
    fkNoteRef = 3,     // the reference mark in the text
    fkNoteNumber = 4,  // the note's own number at the start of its body
    fkHeaderFooter = 5,
    fkInlineObject = 7,
    fkDropCap = 8,
};

// Field-type codes (those of the Word binary format) that the model tests.
enum : std::uint8_t {
    ftIndexEntry = 4,  // XE
    ftToc = 13,
    ftPageNumber = 33,  // PAGE
    ftPageRef = 37,     // PAGEREF
    ftSymbol = 57,      // SYMBOL
    ftHyperlink = 88,
};

// A set of field-type codes (96 of them).
struct TFieldTypeSet {
    std::uint32_t Bits[3] = {};

    TFieldTypeSet() = default;
    TFieldTypeSet(std::initializer_list<std::uint8_t> types) {
        for (std::uint8_t t : types)
            Add(t);
    }
    void Add(std::uint8_t type) {
        if (type < 96)
            Bits[type / 32] |= 1u << (type % 32);
    }
    bool Has(std::uint8_t type) const { return type < 96 && (Bits[type / 32] & (1u << (type % 32))) != 0; }
};

// Field flags.
enum : std::uint8_t {
    ffAutoNumber = 0x01,  // a note reference numbered by the program
};

// A marked range of text: a field with instruction and result, a bookmark,
// a note reference and its note, a header or footer, an inline object or a
// drop cap. A field-start and a field-end control carrying this field's
// object handle enclose its range in the format streams; the document owns
// every field.
//
// This class holds what the paragraph code needs so far; the field code
// extends it.
class TField {
public:
    TField() = default;
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;
    ~TField();

    // The inline shape of a kind-7 field.
    TShape* InlineShape() const;

    // Gives a note reference its number, formatted for the note kind of its
    // partner; true when the result text changed.
    bool SetNoteNumber(const TSection* section, std::int32_t number);

    std::uint8_t Kind = fkCode;
    std::uint8_t Type = 0;
    std::uint8_t Endnote = 0;  // in a note body: 1 endnote, 0 footnote
    std::uint8_t Flags = 0;
    TFragment Range;  // kept by the field code
    std::u16string Instruction;
    // Kind 7: the TShape placed inline; kind 8: a Platform::HeapAlloc block
    // with the drop-cap settings, freed with the field.
    void* Object = nullptr;
    TField* Partner = nullptr;  // note reference <-> note body
    std::int32_t Number = 0;
    std::string ResultText;  // a note reference's formatted number, or the copy a note-number field shows
};

// List number formats that draw a bullet rather than a number: 23 and
// above, except 255 (no label).
bool IsBulletFormat(std::int32_t numberFormat);
bool IsNumberFormat(std::int32_t numberFormat);
