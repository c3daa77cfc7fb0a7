#pragma once

#include <cstdint>
#include <string>

#include "model/undo/TSubOperation.h"

// Text characters of a paragraph exchanged in place: the same number of
// characters, no control touched (case changes, character-set conversion).
// Both the stream's text bytes and the character buffer change.
class TFastReplaceTextOperation : public TSubOperation {
public:
    TFastReplaceTextOperation(TDoc* doc, std::int32_t par, std::int32_t offset, std::string chars)
        : TSubOperation(doc), Par(par), Offset(offset), Chars(std::move(chars)) {}
    void Undo() override;

    std::int32_t Par = 0;
    std::int32_t Offset = 0;
    std::string Chars;
};

// One character exchanged. A paragraph end, column, line or page break (2,
// 6, 7, 8) replaces the control at the place with a special-character
// control of that code, a cell end (4) with a cell-end control; any other
// byte is a text character in a text run. A control that goes is kept
// whole, so that a row end (5) comes back with the row its value names.
class TFastReplaceTextOperation2 : public TSubOperation {
public:
    TFastReplaceTextOperation2(TDoc* doc, std::int32_t par, std::int32_t offset, std::uint8_t ch)
        : TSubOperation(doc), Par(par), Offset(offset), Char(ch) {}
    void Undo() override;

    std::int32_t Par = 0;
    std::int32_t Offset = 0;
    std::uint8_t Char = 0;
    // The control taken out by the last exchange.
    bool HasControl = false;
    std::uint8_t ControlCode = 0;
    std::int32_t ControlValue = 0;
};
