#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TDoc;
class TField;
class TStyleList;
struct TCharFormat;
struct TParFormat;

// Routines every format reader shares, so that what a file says becomes the
// same document whatever the format.

// A toggle read as 129 (the opposite of the inherited value) in a
// paragraph property becomes 127, the paragraph properties' toggle; other
// values pass unchanged.
constexpr std::uint8_t CharToggleValue = 129;
constexpr std::uint8_t ParToggle = 127;
std::uint8_t ParToggleValue(std::uint8_t value);

// The index of the last style whose number in the file is number; 0 when
// none has it.
std::int32_t StyleIndexByNumber(const TStyleList& styles, std::int32_t number);

// Every style's next-style reference, read as a file style number, becomes
// the index of that style (0 when no style has it); each style's paragraph
// format records its own index.
void ResolveNextStyles(TStyleList& styles);

// Makes the style sheet's inheritance sound and resolves toggles: a style
// based on itself is based on nothing, a cycle of based-on references is
// broken by re-basing one of its styles on style 0, and every toggled
// attribute (CharToggleValue in the character attributes bold, italic,
// strike-through, double strike-through and the caps, shadow, outline,
// emboss and engrave attributes; ParToggle in the byte-wide paragraph
// properties) becomes the opposite of the value the style inherits, from the
// nearest ancestor that sets it or else from the file's defaults.
void ResolveStyleToggles(TStyleList& styles, const TCharFormat& defCharFormat, const TParFormat& defParFormat);

// 0 is the document's default language; 1 to 255, a primary language
// alone, gets its default sublanguage (+ 1024); other values pass.
std::int32_t NormalizeLanguageId(std::int32_t value, std::int32_t defaultLanguage);

// Every "/" becomes "\", then every "\\" becomes "\" (picture links of
// files written on other systems).
std::string NormalizePathSlashes(std::string_view path);

// The length of the leading run of bytes that need no special treatment in
// a text run: every byte from 32 to 255 except "\", "{", "}", 150, 151 and
// 160.
std::size_t LeadingRunLength(const std::uint8_t* bytes, std::size_t n);

// An instruction as a field keeps it: blanks trimmed at both ends, control
// characters other than the tab removed, the keyword in its canonical
// spelling and localised switch words (outside double quotes) in English.
// type is the field type, or 255 to find it from the keyword; it is set to
// the type found. Empty when the instruction is empty or its keyword is
// unknown.
constexpr std::uint8_t FindFieldType = 255;
std::u16string CanonicalFieldInstruction(std::u16string_view instruction, std::uint8_t& type);

// Creates the field code of an instruction at the end of paragraph curPar:
// the field goes into the document's field list and into openFields (and
// SHAPE fields into fieldsToDelete), and a field-start control is appended to
// the paragraph's stream. nullptr when the instruction makes no field, and
// for index entries and tables of contents when skipIndexFields is set.
TField* FieldFromInstruction(TDoc& doc,
                             std::int32_t curPar,
                             std::u16string_view instruction,
                             std::uint8_t type,
                             bool skipIndexFields,
                             std::vector<TField*>& openFields,
                             std::vector<TField*>& fieldsToDelete);

// Closes the fields a reader left open at the end of the text, the last
// opened first, with field-end controls at the end of paragraph curPar.
void CloseOpenFields(TDoc& doc, std::int32_t curPar, std::vector<TField*>& openFields);

// Bookmark names at most this long.
constexpr std::size_t MaxBookmarkName = 40;

// A document loaded to be inserted into target: each of its bookmarks whose
// name the target already has (without regard to case) gets a new one, its
// base name (without an "_mvl" + number suffix) + "_mvl" + a counter that
// runs over the whole call, the base shortened so that the name fits in
// MaxBookmarkName characters, and chosen so that neither document has it.
// PAGEREF, NOTEREF and HYPERLINK fields of the loaded document that name a
// renamed bookmark follow it.
void RenameClashingBookmarks(TDoc& loaded, const TDoc& target);
