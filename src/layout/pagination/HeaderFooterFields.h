#pragma once

#include <cstdint>

#include "model/formats/TParFormat.h"

class TDoc;
class TField;
class TMemory;
class TSection;

// The format of a new header or footer paragraph: the default format in
// the built-in style "Header" (header slots) or "Footer" (footer slots),
// when the document's style sheet has it.
TParFormat HeaderFooterParFormat(const TDoc& doc, int slot);

// Gives a section's slot a new header or footer field, recording the steps
// in the operation the caller has open: one paragraph of the given format,
// appended to the header and footer story, holding content (controls and
// text of an insertion stream, without paragraph marks) between the new
// field's marks. The slot's previous field stays in the document. Answers
// the new field.
TField* AddHeaderFooterField(TDoc& doc, TSection& section, int slot, const TMemory& content, const TParFormat& format);

// Takes a header or footer field's paragraphs out of the document in the
// open operation; the field leaves with them.
void RemoveHeaderFooterField(TDoc& doc, TField* field);

// Creates the header and footer fields that the first section lacks, in one
// undo step "Header and Footer"; false when it lacked none.
bool CreateMissingHeadersFooters(TDoc& doc);
