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
std::int32_t LineViewTop(const TDoc& doc, const TLine& line);
