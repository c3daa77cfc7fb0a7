#pragma once

#include <cstdint>

class TDoc;

// The nearest paragraph at or before par that the view shows: collapsed
// headings hide paragraphs, and a change to a hidden paragraph is laid out
// from its heading. The view installs the answer; without it every
// paragraph is shown.
using TShownParQuery = std::int32_t (*)(const TDoc& doc, std::int32_t par);
void SetShownParQuery(TShownParQuery query);
std::int32_t ShownParAtOrBefore(const TDoc& doc, std::int32_t par);
