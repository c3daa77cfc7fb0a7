#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "base/core/DateTime.h"
#include "model/formats/TTextPos.h"

class TDoc;
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

// Field-type codes: the field-type numbers of the Word binary format, the
// index of FieldKeywords. These are the ones the program computes or tests.
enum : std::uint8_t {
    ftIndexEntry = 4,  // XE
    ftIndex = 8,
    ftStyleRef = 10,
    ftToc = 13,
    ftTitle = 15,
    ftSubject = 16,
    ftAuthor = 17,
    ftKeywords = 18,
    ftComments = 19,
    ftLastSavedBy = 20,
    ftCreateDate = 21,
    ftSaveDate = 22,
    ftPrintDate = 23,
    ftNumPages = 26,
    ftNumWords = 27,
    ftNumChars = 28,
    ftFileName = 29,
    ftDate = 31,
    ftTime = 32,
    ftPageNumber = 33,  // PAGE
    ftPageRef = 37,     // PAGEREF
    ftSymbol = 57,
    ftSection = 65,
    ftSectionPages = 66,
    ftFileSize = 69,
    ftNoteRef = 72,  // NOTEREF
    ftHyperlink = 88,
    ftListNum = 90,
};

constexpr int FieldTypeCount = 96;

// The keyword of each field type ("?" for codes without one) and the
// display name of each type the program computes (empty for the others).
extern const char* const FieldKeywords[FieldTypeCount];
extern const std::array<const char*, FieldTypeCount> FieldDisplayNames;

// The type of a field keyword, compared without regard to ASCII case; the
// localised keywords "EX" and "E" also give XE (4). -1 for an unknown word.
int FieldTypeOfKeyword(std::u16string_view keyword);

// The English word of a format switch written in English, French, German or
// Spanish ("ARABE" and "ARÁBIGO" give "ARABIC"), compared without regard to
// case; nullptr for a word that is none of them.
const char* TranslateFieldSwitch(std::u16string_view word);

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

// A marked range of text: a field with instruction and result, a bookmark
// (whose instruction is its name), a note reference and its note, a header
// or footer, an inline object or a drop cap. A field-start and a field-end
// control carrying this field's object handle enclose its range in the
// format streams; the document owns every field.
class TField {
public:
    TField() = default;
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;
    ~TField();

    // The inline shape of a kind-7 field.
    TShape* InlineShape() const;

    // The display name of the field's type, or else the first word of its
    // instruction.
    std::u16string GetName() const;
    // n in the number style the instruction asks for (or defaultStyle),
    // then through the case switch.
    std::u16string FormatNumberText(std::int32_t n, std::int32_t defaultStyle) const;
    // The date-time in the instruction's date picture, or in the language's
    // first date format (first time format for TIME), then through the case
    // switch; empty for a zero date-time.
    std::u16string FormatDateText(std::int32_t language, TDateTime dateTime) const;
    // The first of the case switches Upper, Lower, FirstCap and Caps that
    // the instruction holds, applied to text; text unchanged without one.
    std::u16string ApplyCaseSwitch(std::u16string_view text) const;
    // The \h switch of a PAGEREF or NOTEREF field.
    bool HasHyperlinkSwitch() const;
    // The two members below need the whole document, which sits in a room
    // above this one; model/document/TFieldInDoc.cpp implements them.
    //
    // The note reference that a NOTEREF field names through its bookmark:
    // the one at the bookmark's start, else (for a bookmark that covers
    // text) the one at its last character. nullptr when the bookmark does
    // not exist or holds none.
    TField* FindReferencedNote(TDoc& doc) const;
    // Gives a note reference its number, formatted in the section's number
    // format for footnotes or endnotes (by its partner's kind); true when
    // the result text changed.
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
    // A note reference's formatted number, or the copy a note-number field
    // shows; document text in Windows-1252 (the note symbols are its
    // dagger, double dagger and section sign).
    std::string ResultText;
};
