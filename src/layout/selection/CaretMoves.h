#pragma once

#include <cstdint>

class TDoc;
struct TTextPos;

// The caret movements of the keyboard and the commands.
enum class TCaretMove : std::uint8_t {
    CharLeft,
    CharRight,
    WordLeft,
    WordRight,
    LineUp,
    LineDown,
    LineStart,
    LineEnd,
    ParUp,
    ParDown,
    PageUp,
    PageDown,
    DocStart,
    DocEnd,
};

// Where a movement takes the caret, inside the range the caret may move in
// (its story). Vertical movements keep the caret's x in the view.
void CaretMoveTarget(TDoc& doc, TCaretMove move, TTextPos& pos);

// Moves the caret, extending the selection from its anchor when asked,
// else dropping it.
void MoveCaretBy(TDoc& doc, TCaretMove move, bool extend);
