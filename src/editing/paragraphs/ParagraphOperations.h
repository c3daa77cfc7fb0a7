#pragma once

#include <cstdint>

class TDoc;

// The user's Smart Cut & Paste option as the paragraph operations see it:
// joins and splits tidy the spaces at the place they change. The options
// dialog sets it together with the paste option of the same name, which
// lives in a library above this one.
struct TParagraphOptions {
    bool SmartCutAndPaste = true;
};
TParagraphOptions& ParagraphOptions();

// A paragraph is blank when every character before its mark is a space, a
// no-break space or an en, em or quarter-em space.
bool IsBlankParagraph(const TDoc& doc, std::int32_t par);

// The recording primitives. Each adds one step to the open operation.
// Moves paragraphs first .. last so that they stand before paragraph target
// (an index of the list before the move), then puts the note texts back in
// the order of their references.
void MoveParagraphBlock(TDoc& doc, std::int32_t first, std::int32_t last, std::int32_t target);
// Replaces one character of a paragraph by another code in place; the
// paragraph keeps its length (a paragraph mark becomes a cell end).
void ReplaceCharInPlace(TDoc& doc, std::int32_t par, std::int32_t offset, std::uint8_t code);
// Records which floating shapes are selected, so that undo and redo give the
// selection of shapes back.
void RecordSelectedShapes(TDoc& doc);

// The workers. Each changes the document through steps of the open
// operation and notes the post-action caret and selection; one that finds
// nothing to do records nothing.
//
// Joins the lines of paragraphs first .. last (single line breaks go) and the
// paragraphs themselves, group by group between blank paragraphs.
void JoinParagraphs(TDoc& doc, std::int32_t first, std::int32_t last);
// Turns every laid-out line of paragraphs first .. last into a paragraph.
void SplitParagraphs(TDoc& doc, std::int32_t first, std::int32_t last);
// Sorts paragraphs first .. last by their text, within each table cell and
// each stretch between tables. True when the range then holds two adjacent
// paragraphs with identical text.
bool SortParagraphs(TDoc& doc, std::int32_t first, std::int32_t last, bool descending);
// Moves the selected paragraphs (in a table, rows) one step up (direction
// negative) or down (positive).
void MoveParagraphs(TDoc& doc, std::int32_t direction);
