#pragma once

#include <cstdint>

class TDoc;
struct TFragment;
struct TSectionFormat;
struct TTextPos;

// The break kind that keeps each section's own (opFormatSections).
constexpr std::uint8_t KeepBreakKind = 0xFF;

// Gives the sections from the one holding the range's first paragraph to
// the one holding its last a new section format in one step (opFormatSections):
//  - a set column count makes format the base, else each section's own
//    format is;
//  - the equal-width flag: unset keeps the section's; -1 keeps equal widths
//    of a section with several equal columns and otherwise turns to unequal
//    columns laid out equally; another value is taken, and a switch from
//    equal to unequal widths without a new column count starts from the
//    equal layout;
//  - an unset line-between flag keeps the section's, and so does the break
//    kind KeepBreakKind.
// The caret and the selection stay.
void FormatSections(TDoc& doc, const TSectionFormat& format, const TFragment& range);

// Where "go back to the last change" takes the caret: where the caret was
// after the last operation done, or, when every operation is undone, where
// it was before the first; with no operation, the caret itself. False when
// that position lies outside the story the caret is in (a change in a note
// while the main text is edited), which moves nothing.
bool LastEditPosition(const TDoc& doc, TTextPos& pos);
// Moves the caret there and brings it into view.
void GoToLastEditPosition(TDoc& doc);
