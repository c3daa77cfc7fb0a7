#pragma once

#include <cstdint>

#include "model/document/TDoc.h"
#include "platform/GdiTypes.h"

// What the placement of a rectangle in the window reads besides the
// rectangle: the view as it stands and the few settings that change the
// answer. Kept apart from the document so that the rules can be checked
// with plain numbers.
struct TScrollFrame {
    TViewPoint Pos;  // the current scroll position
    std::int32_t Width = 0;
    std::int32_t Height = 0;  // the window's client size in pixels
    TViewPoint Extent;        // the whole view in pixels
    // Mode 3 keeps a fifth of the width as margin, except while the zoom
    // follows the text width (there is nothing to the side to show).
    bool HorizontalMargin = true;
    // Scrolling with context: a move by the arrow keys scrolls a further
    // third of the window so that the text around the caret shows.
    bool Context = false;
    // Pixels of a bar that covers the top of the window; the rectangle's
    // top moves up by that much.
    std::int32_t BarCover = 0;
};

// Placement modes of a rectangle in the window.
enum : int {
    spPlain = 0,       // the least scroll that shows the rectangle
    spCentre = 1,      // the rectangle's bottom no lower than the middle
    spNearTop = 2,     // the rectangle near the top (5 % of the height)
    spMargin = 3,      // a fifth of the width kept beside it
    spRoomAround = 4,  // twice the caret height above and below
    spRoomAbove = 5,   // up to six caret heights above
    spRoomBelow = 6,   // up to six caret heights below
    spAtBottom = 7,    // the caret at the bottom of the window
};

// The scroll position that shows rect (view pixels) in the given mode.
TViewPoint PlaceRectInView(Platform::TRect rect, int mode, const TScrollFrame& frame);

// Settings of caret scrolling that the options holder and the windowing
// layer fill in; until they do, these defaults stand.
struct TCaretScrollOptions {
    // Arrow keys, Home and End scroll a further third of the window.
    bool ScrollWithContext = false;
    // The visual style's padded border (pixels) kept below the caret.
    std::int32_t PaddedBorder = 0;
    // Pixels of the document area covered by a bar placed over its top;
    // 0 when no such bar is shown.
    std::int32_t CoveringBar = 0;
};

TCaretScrollOptions& CaretScrollOptions();

// The pixels by which the covering bar moves a rectangle's top up for this
// document now: none while a caret movement runs.
std::int32_t BarCover(const TDoc& doc);

// State flag set for the duration of one caret move by a navigation key
// while scrolling with context is on.
constexpr std::uint8_t sfContextScroll = 12;
// Pushed while a caret movement runs.
constexpr std::uint8_t sfMovingCaret = 9;
