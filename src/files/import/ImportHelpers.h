#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TDoc;
class TField;

// Routines every format reader shares, so that what a file says becomes the
// same document whatever the format.

// A toggle read as 129 (the opposite of the inherited value) in a
// paragraph property becomes 127, the paragraph properties' toggle; other
// values pass unchanged.
constexpr std::uint8_t CharToggleValue = 129;
constexpr std::uint8_t ParToggle = 127;
std::uint8_t ParToggleValue(std::uint8_t value);

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
