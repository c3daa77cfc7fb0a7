#pragma once

#include <string>

class TDoc;
class TField;

// What the tests of notes, sections and headers saved as RTF share.

// The text a header, footer, note or reference field covers, in the
// document's bytes, without the control characters at its end; "(none)"
// for no field.
std::string FieldText(TDoc& doc, const TField* field);

// An edit of a document read from RTF, and what the edited document must
// show (Describe gives Expected) before a save and after reading it back.
struct TRtfEditCase {
    const char* Name;
    const char* Rtf;
    void (*Edit)(TDoc& doc);
    std::string (*Describe)(TDoc& doc);
    const char* Expected;
    int Undos = 1;  // the operations of the edit
    // Whether saving what was read gives the first save's bytes again;
    // otherwise only from the second save on (the reader keeps some marks
    // as formatted text).
    bool ReadFormStable = true;
};

// Reads the case's RTF, edits it, saves it and reads it back: the model
// stays sound, the description holds throughout, the saved form is stable,
// and undoing the edit gives back the saved form of before.
void ExpectEditSurvivesRtf(const TRtfEditCase& c);
