#pragma once

#include <cstdint>
#include <string>

// The built-in ids of the two envelope styles (the style-name table of
// model/formats/DocConstants.h): the delivery address and the return
// address.
enum : std::int32_t {
    bsEnvelopeAddress = 36,
    bsEnvelopeReturn = 37,
};

// The envelope settings (section "Internal\Envelopes"; lengths in twips,
// positions in hundredths of a percent of the envelope's width or height).
// The envelope worker, the envelope dialog and the page miniature read
// them; the shell's options holder loads them with the rest of the options
// and writes them back when it saves. Until it exists, these defaults stand.
struct TEnvelopeOptions {
    std::string LastAddrBook;     // the last address book (a portable path)
    std::u16string LastAddr;      // the last address
    std::u16string CSVNames;      // field names of the last CSV import, joined by bars
    std::u16string CSVTemplate;   // the address template of the last CSV import
    bool OmitRetAddr = false;     // leave the return address out
    std::u16string RetAddr;       // the return address
    std::int32_t Width = 9360;    // 1440 to 31680
    std::int32_t Height = 5220;   // 1440 to 31680
    std::int32_t DA_Left = 4000;  // delivery address from the left, 0 to 8000
    std::int32_t DA_Top = 5000;   // delivery address from the top, 4000 to 8000
    std::int32_t RA_Left = 1000;  // return address from the left, 0 to 8000
    std::int32_t RA_Top = 1000;   // return address from the top, 0 to 2000
    std::int32_t FeedMethod = 5;  // the printer's feed method, 0 to 5
    // An RTF document whose style sheet defines the styles "Envelope Address"
    // and "Envelope Return"; empty until the user changes them, and filled
    // with the program's own definition when it cannot be used.
    std::string AddrFont;
};

// The settings in force; the shell fills them at start-up.
TEnvelopeOptions& EnvelopeOptions();
