#pragma once

#include <cstdint>
#include <vector>

#include "platform/Fonts.h"

class TDoc;

// The caret's size and slant in pixels. An italic caret leans right by one
// pixel for every four pixels of height; SlantSteps counts those bands.
struct TCaretShape {
    std::int32_t Width = 2;
    std::int32_t Height = 1;
    std::int32_t XOffset = 1;  // pixels the caret box starts left of the insertion point
    std::int32_t SlantSteps = 0;
};

// The shape a font gives the caret: its line height (grown back for small
// caps, which are measured with a smaller font), the system caret width,
// and for an italic font a slant that widens the box.
TCaretShape CaretShapeFor(const Platform::TTextMetrics& metrics, bool smallCaps, std::int32_t systemWidth);

// The pixels of a slanted caret, row by row (Width x Height, 1 = caret):
// bands four pixels high, each one pixel further right than the band below.
std::vector<std::uint8_t> CaretSlantMask(const TCaretShape& shape, std::int32_t systemWidth);

// The drawing layer's caret, reached through plain function pointers so
// that layout carries no window code; the document window fills them in.
// Every pointer may stay nil: the caret then only keeps its state.
struct TCaretDevice {
    // The system caret width in pixels (2 when not given).
    std::int32_t (*SystemWidth)() = nullptr;
    // Whether the document's window has the keyboard focus.
    bool (*HasFocus)(const TDoc& doc) = nullptr;
    void (*Create)(TDoc& doc, const TCaretShape& shape, const std::vector<std::uint8_t>* slantMask) = nullptr;
    void (*Destroy)(TDoc& doc) = nullptr;
    // Places the caret box at (x, y): view pixels less the scroll position.
    void (*SetPos)(TDoc& doc, std::int32_t x, std::int32_t y) = nullptr;
    void (*Show)(TDoc& doc) = nullptr;
    void (*Hide)(TDoc& doc) = nullptr;
};

void SetCaretDevice(const TCaretDevice& device);
const TCaretDevice& CaretDevice();
