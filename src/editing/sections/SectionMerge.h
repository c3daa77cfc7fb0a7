#pragma once

#include <cstdint>

class TDoc;
class TSection;

// Removes the break between two neighbouring sections so that their text
// becomes one section with the properties of kept; the other may be given
// in either order. The break's paragraph keeps its text: a paragraph end
// goes in before the break character, which then goes. Nothing happens
// when the two are not neighbours of this document.
void MergeSections(TDoc& doc, TSection* kept, TSection* removed);

// Changes the kind of the break that ends the section at paragraph par;
// the caret stays and the selection is cleared.
void ChangeSectionBreakKind(TDoc& doc, std::int32_t par, std::uint8_t kind);
