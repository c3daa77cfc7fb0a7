#pragma once

#include <string>

class TDoc;

namespace TestSupport {

// Checks what every operation must leave true of a document: each
// paragraph's characters match its stream and end with exactly one
// paragraph-end character; the stories add up; every field has one start
// and one end mark, in order, and every mark names a field of the document;
// every table row ends with its row-end paragraph, which follows the cells
// it counts. Returns the first violation found, or "" when there is none.
std::string CheckModelInvariants(const TDoc& doc);

// The document's content as bytes, for comparing documents before and
// after undo: each paragraph's format, stream and characters, the stories,
// the fields with their kinds and instructions.
std::string DocumentBytes(const TDoc& doc);

}  // namespace TestSupport
