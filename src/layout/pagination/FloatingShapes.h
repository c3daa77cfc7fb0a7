#pragma once

#include <cstdint>

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
bool CollectShapeExclusions(TBox& text, TWrapArea& area);

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
