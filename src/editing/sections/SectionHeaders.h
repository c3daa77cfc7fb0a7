#pragma once

class TDoc;
class TField;
class TSection;

// Gives a section the six header and footer objects (in slot order, nil for
// a slot that shows the previous section's object) as one undoable step;
// pagination starts again at the section. Nothing is recorded when the
// slots already hold them.
void SetSectionHeaders(TDoc& doc, TSection& section, TField* const slots[]);

// "Same as Previous" for one slot of a section. When the slot is empty (the
// section shows an earlier section's object) the section gets a copy of
// that object's text. When the slot holds an object of its own and an
// earlier section exists, the slot is emptied, its text removed, and the
// earlier section's object of the slot shows again. While a header or
// footer is edited, the section's object of the slot becomes the one being
// edited. The caret goes to the start of that object. A nil section or a slot of -1 takes the header or footer
// being edited and the section of its page; nothing happens when there is
// none, or when the first section would have to link to one before it.
void ToggleSameAsPrevious(TDoc& doc, TSection* section, int slot);
