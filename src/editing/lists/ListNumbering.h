#pragma once

#include <cstdint>
#include <string>

class TDoc;
class TPar;

// List numbers and labels: which number each list paragraph gets, how a
// level's label text with its placeholders becomes the visible label, and
// the label paragraph (TPar::LabelPar) that layout draws in front of the
// paragraph's text.

// A number in one of the list number formats (TListLevel::NumberFormat):
// 0 arabic, 1 and 2 upper- and lower-case Roman, 3 and 4 upper- and
// lower-case letters (27 is "AA"), 5 digits with the ordinal suffix, 6
// cardinal words, 7 ordinal words (5 to 7 of the absolute value, in the
// primary language of the paragraph's language at its end), 22 at least
// two digits. Any other format, and Roman numerals or letters for numbers
// below 1, give an empty text.
void FormatListNumber(const TDoc& doc, const TPar& par, std::int32_t number, std::int32_t format, std::u16string& text);

// Whether a table paragraph lies in a cell that continues a vertical merge
// (such cells are hidden, so their paragraphs get no label). The table room
// lies above this one; the editing services pass its answer in.
using TMergedCellQuery = bool (*)(TDoc& doc, std::int32_t par);

// The numbering pass over the whole document: every list paragraph gets
// its effective level, its number and its label; paragraphs that left
// their list (or are empty, or hidden in a merged cell) lose their label.
// A label whose content did not change is left alone, so that only
// paragraphs with a changed label are laid out again. Clears the
// document's pending-renumbering state.
void RenumberLists(TDoc& doc, TMergedCellQuery inMergedCell = nullptr);
