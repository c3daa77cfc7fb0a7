#pragma once

#include <cstdint>
#include <string_view>

#include "base/core/TMemory.h"
#include "model/formats/TCharFormat.h"
#include "model/formats/TParFormat.h"
#include "model/formats/TTextPos.h"

class TDoc;
class TField;
class TSection;

// What tables of contents and indexes share: the insertion stream their
// content is built in, the formats their styles give, and the page a
// position is laid out on.

// An insertion stream built paragraph by paragraph: the generated content
// goes into the document in one step, field marks and all, so that one
// undo takes it away whole.
class TGeneratedText {
public:
    TMemory Stream;
    std::int32_t ParEnds = 0;

    // The attributes of the text that follows.
    void SetFormat(const TCharFormat& format);
    const TCharFormat& Format() const { return Current; }
    // Text in the current font: characters its code page holds as bytes,
    // the others as Unicode characters; tabs become tab characters and
    // other control codes are left out.
    void Text(std::u16string_view text);
    void Special(std::uint8_t ch);
    // The marks of a new field, which the insertion step registers.
    void FieldStart(TField* field);
    void FieldEnd(TField* field);
    // Ends the paragraph with a section break that closes the section.
    void EndSection(TSection* section, const TParFormat& format);
    // Ends the paragraph with this format; the next one starts from the
    // default attributes.
    void EndParagraph(const TParFormat& format);

private:
    TCharFormat Current = DefaultCharFormat;
};

// The formats a paragraph of a style has: the style's resolved formats,
// its own index as the paragraph's style. False when the sheet has no such
// style (the defaults are given then).
bool StyleFormats(const TDoc& doc, std::int32_t style, TParFormat& parFormat, TCharFormat& charFormat);

// The page index (0 for the first) of the line holding a position; -1 when
// its paragraph is not laid out or the line is not placed.
std::int32_t PageOfPosition(TDoc& doc, const TTextPos& pos);

// The width a right-aligned page number is set against: the first
// column's width in a section of several columns, else the text width.
std::int32_t PageNumberTabPosition(const TSection* section);

// A new field code of a type with an instruction.
TField* NewFieldCode(std::uint8_t type, std::u16string_view instruction);
