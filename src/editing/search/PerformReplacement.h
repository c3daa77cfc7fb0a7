#pragma once

#include "model/formats/TTextPos.h"

class TDoc;
struct TDocSearchState;

// Turns the found part of the last match into what ReplacePattern
// describes: literal text, the found text ("^&") or the texts of the Find
// pattern's groups ("\1" to "\9"), kept in place, moved or copied, the rest
// of the found part deleted; then the Replace format. Runs inside an
// operation the caller has open, leaves the caret at the end of the result
// and adjusts the search scope and origin. Returns the result range.
TFragment PerformReplacement(TDoc& doc, TDocSearchState& state, const TFragment& found);

// Where a position goes when the text from oldStart to oldEnd is replaced by
// text from oldStart to newEnd.
TTextPos ShiftForReplacement(const TTextPos& pos,
                             const TTextPos& oldStart,
                             const TTextPos& oldEnd,
                             const TTextPos& newEnd);
