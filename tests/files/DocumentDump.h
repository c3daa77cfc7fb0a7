#pragma once

#include <string>

class TDoc;

// The model of a document as text, for comparing two documents: every
// paragraph's story, format (list, tab, border and style references
// resolved to what they hold) and text in runs of one character format;
// the styles with their resolved formats; the list levels; the table rows;
// the sections. Object identities (handles, indices of the shared tables)
// never appear, so a document read back from its saved form dumps alike.
std::string DumpDocumentModel(TDoc& doc);
