#pragma once

#include <cstdint>
#include <string>

#include "editing/fields/FieldResults.h"
#include "model/fields/TField.h"
#include "model/formats/TTextPos.h"

class TCompoundFragment;
class TDoc;
class TSection;

// The field update engine: recomputes the result of the field codes of the
// given types in ranges and writes the results that changed into the
// document as steps of the open operation. The replacement goes through
// the replace worker of the worker table, so this room needs no include of
// the typing room above it.

// Set while the header and footer fields of one page are recomputed
// (TDoc::StateFlags): no pagination is started from inside it.
enum : std::uint8_t { sfPageFieldUpdate = 106 };

// Types whose result depends on the pagination.
extern const TFieldTypeSet PageDependentFieldTypes;

// Updates the field codes of types that touch the ranges of set (or range
// when set is nil). Answers how many fields got a new result.
std::int32_t UpdateFields(TDoc& doc,
                          const TCompoundFragment* set,
                          const TFragment* range,
                          const TFieldTypeSet& types,
                          TFieldUpdateContext& context);

// The text a computed result shows: cut before its first carriage return,
// "(None)" when nothing is left.
std::u16string ShownFieldResult(const std::u16string& result);

// Recomputes the header and footer fields of one page (index 0 for the
// first) of a section in range, outside the undo list: page painting calls
// it for each page it lays a header or footer out for, so that a PAGE
// field shows each page's own number.
void UpdateHeaderFooterFieldsForPage(TDoc& doc,
                                     std::int32_t pageIndex,
                                     const TFragment& range,
                                     TSection* section = nullptr);

// TDoc::UpdatePageFields, run once pagination is complete: when the page
// fields are stale and a header or footer holds a field whose result hangs
// on the whole pagination (page and section counts, page references,
// statistics), the page count and each section's page count are kept for
// those fields, the statistics too when a header or footer counts words or
// characters, and every page's header and footer fields are recomputed for
// that page, outside the undo list. Unless forced, a document of
// PageFieldIdlePages pages or more waits until the user has been idle for
// PageFieldIdleMilliseconds. Answers whether the pass ran (the stale mark
// is then cleared).
constexpr std::int32_t PageFieldIdlePages = 1000;
constexpr std::int64_t PageFieldIdleMilliseconds = 30000;
bool UpdatePageFields(TDoc& doc, bool force);

// How long the user has been idle, in milliseconds, for the rule above;
// the windowing layer fills it in. Nil: always idle (headless).
using TIdleMilliseconds = std::int64_t (*)();
void SetPageFieldIdleSource(TIdleMilliseconds source);

// Puts text in place of a field's result, outside the undo list (undo of a
// header or footer edit puts stored results back this way).
void SetFieldResultText(TDoc& doc, TField& field, const std::u16string& text);

// The instruction a new field of a type gets: the type's keyword, then a
// blank and the arguments when there are any.
std::u16string FieldInstructionOf(std::uint8_t type, const std::u16string& arguments);
