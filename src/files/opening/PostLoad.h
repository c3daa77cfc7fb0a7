#pragma once

class TDoc;

// Steps that every freshly read document goes through before it is shown,
// whatever its format, in this order (FinishLoadedDocument runs them).

// Styles: the language is left to the text (no style carries one), a
// heading style gets the outline level of its heading number, a list level
// outside 0 to 8 becomes 0, and the paragraphs of a heading style take its
// outline level.
void FinishLoadedStyles(TDoc& doc);

// Lists of old-style numbering, one list of one level for each numbered
// paragraph as the RTF reader leaves them (when the file had no list
// table): the lists of consecutive list paragraphs are merged into the
// run's first list (deeper levels make it a list of nine levels, the
// missing levels copied from the level above and indented further), equal
// one-level bullet lists become one, and every numbered level gets its
// label from its prefix, number and suffix.
void FinishLoadedLists(TDoc& doc);

// List levels: unset first-line and left indents become 0, and a bullet
// of a symbol font stored as a code-page character (below 256) moves to the
// symbol font's private-use range (U+F000 + the code), where the font has
// its glyphs.
void FixListLevelFonts(TDoc& doc);

// INCLUDEPICTURE fields: a field whose result holds a picture becomes that
// picture alone; a field without one loads the local picture file its
// instruction names, which replaces the result; then the field's marks are
// removed. A field whose file is missing or undecodable stays as it is.
void LoadLinkedPictures(TDoc& doc);
