#pragma once

#include <cstdint>

// The document state flags (TDoc::StateFlags) that the text-unit rules and
// the current formats read; each name says what the flag means while set.
enum : std::uint8_t {
    sfMoveInTextStories = 41,  // word movement runs through body, footnotes and endnotes
    sfPlainCharFormat = 90,    // the format at a position is the stream's, without drop-cap and field rules
    sfTypingAtParEnd = 131,    // typing takes the format at the end of the caret paragraph
    sfCellEndsAsTabs = 154,    // extracted text ends cells with a tab and rows with nothing
};
