#pragma once

#include <vector>

class TDoc;
class TField;
class TList;

// Turns each note text of the list between footnote and endnote: its
// paragraphs take the other kind's note text style and move to the start
// of the other note story, the notes switch kind in one step, and both
// stories are put back in the order of their references. Entries that are
// not note texts of this document are skipped; nothing is recorded when
// none is left. The caret goes to the first converted note's start.
void ConvertNotes(TDoc& doc, const TList& notes);
