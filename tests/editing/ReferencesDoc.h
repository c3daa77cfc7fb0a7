#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FieldDoc.h"

class TField;
class TPar;

// A laid-out document for the table-of-contents and index tests: heading
// paragraphs of the built-in heading styles, body text and XE fields.
class TReferencesDoc : public TFieldDoc {
public:
    TReferencesDoc();

    // A paragraph of the style "Heading <level>" (added when missing).
    TPar& Heading(std::string_view text, std::int32_t level, bool newPage = false);
    // An XE field at the end of a paragraph.
    TField& Entry(TPar& par, std::string_view instruction);
    // Makes the streams canonical, tells the field index that fields were
    // added by hand, puts the caret at a paragraph's start and lays the
    // document out.
    void Ready(std::int32_t caretPar = 0);

    // Each paragraph of the main story as text: fields left out, tabs as
    // "\t", code page 1252.
    std::vector<std::string> Texts();
    std::string StyleName(std::int32_t par);
    // The fields of a type, in document order.
    std::vector<TField*> FieldsOfType(std::uint8_t type, std::uint8_t kind = 0);
};
