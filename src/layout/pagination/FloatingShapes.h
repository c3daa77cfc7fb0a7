#pragma once

#include <cstdint>

#include "platform/GdiTypes.h"

class TBox;
class TPage;
class TPar;
class TShape;
struct TWrapArea;

// Floating shapes on a page. A shape goes on its page's PlacedShapes list
// when the line holding its anchor is placed; the lines placed after it
// wrap around its exclusion, and a page whose earlier lines a new shape
// reaches is flowed again with the shape already known (FlowPageWithShapes).

// The passes a page may be flowed in all: the first and the re-flows that
// shapes found on it ask for. Placing shapes can move anchors to another
// page and back, so the loop stops here whatever it found.
constexpr int MaxShapeFlowPasses = 3;

// The exclusions of the page's placed shapes that a paragraph placed into
// text box must avoid, in the box's text coordinates (x from the inner left
// edge, y in ContentBottom's terms). Shapes behind or in front of the text
// and shapes without wrap give none. False when there are none.
//
// With par (placed from character offset from): also none when the lines
// par already has, plain lines broken beside no shape, end above every
// exclusion with room to spare. A page flowed again for a shape found
// below its first paragraphs then keeps their lines and breaks text anew
// only from the first paragraph the shape reaches.
bool CollectShapeExclusions(TBox& text, TWrapArea& area, const TPar* par = nullptr, std::int32_t from = 0);

// Places the floating shapes anchored in lines [firstLine, lastLine] of par,
// which text box has just taken: each gets its page rectangle and joins the
// page's list once. Sets the page's re-flow mark when a new shape reaches
// above the bottom of its anchor's line, where lines placed before it did
// not know of it.
void PlaceAnchoredShapes(TBox& text, TPar& par, std::int32_t firstLine, std::int32_t lastLine);

// After a pass over the page: drops shapes whose anchor line went elsewhere
// (a roll-back or a later column took it). True when the pass needs to be
// run again: a shape was added that earlier lines did not avoid, or one was
// dropped that lines did avoid.
bool SettlePlacedShapes(TPage& page);

// Shapes anchored in headers and footers. The frame's text is laid out
// anew for every page that shows it and let go afterwards, so these shapes
// are placed on each such page once its header or footer stands where it
// will be painted, and their place on that page is kept by the page
// (TPage::HeaderFooterShapes). They join the page's PlacedShapes: the
// header's or footer's own text wraps around them, and so does the body
// text, which is flowed after them.

// Places the shapes anchored in the lines the header or footer frame (of
// page) holds now, each once per page. True when one of them wraps text,
// so that the frame's text must be flowed again with it known.
bool PlaceHeaderFooterShapes(TPage& page, TBox& frame);

// Where a placed shape stands on page: for a header or footer shape the
// place it has on this page, for others its rectangle.
Platform::TRect PlacedRect(const TPage& page, const TShape& shape);
