#pragma once

#include <cstdint>

#include "platform/GdiTypes.h"

class TDoc;
class TLine;
struct TTextPos;

// The laid-out line a located position names, nil when its paragraph has
// no lines or the line is not placed in a box.
TLine* LocatedLine(const TDoc& doc, const TTextPos& pos);

// The top-left corner of a line's box in view pixels (the page's place in
// the view included), and the line's top in view pixels.
Platform::TPoint BoxViewOrigin(const TLine& line);
// The left edge of the line's text area in view pixels (the box's inset
// included), where character positions are counted from.
std::int32_t LineViewLeft(const TLine& line);
std::int32_t LineViewTop(const TDoc& doc, const TLine& line);

// The system caret of a document whose window has the focus: hidden and
// destroyed before the caret changes, created in the caret's shape, placed
// and shown after. Nothing happens without the focus.
void HideSystemCaret(TDoc& doc);
void ShowSystemCaret(TDoc& doc);
