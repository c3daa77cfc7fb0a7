#pragma once

#include <cstdint>

// The model's tolerances for positions in twips: two edges closer than 4
// twips are the same edge, and ruler positions snap to the unit grid or to
// a nearby stop.

// |a - b| < 4.
bool TwipsNearlyEqual(std::int32_t a, std::int32_t b);
// a - b when the two are further apart than the tolerance, else 0.
std::int32_t TwipsDiffBeyondTolerance(std::int32_t a, std::int32_t b);
// The first of the positions, searched from the last, that is nearly equal
// to the value; otherwise the value.
std::int32_t SnapToNearlyEqual(std::int32_t value, const std::int32_t* positions, std::int32_t count);
// A ruler position: x rounded to half a subdivision of the current
// measurement unit's ruler scale, or the nearest of the extra position and
// the given positions when that lies closer than the larger of 96 twips and
// the rounding distance. Unset positions (0x80000000) are ignored. With
// honourAlt and the Alt key down, x is returned unchanged.
std::int32_t SnapToGrid(std::int32_t x,
                        std::int32_t extra,
                        const std::int32_t* positions,
                        std::int32_t count,
                        bool honourAlt);

// Whether the Alt key is down; the toolkit installs the query.
using TAltKeyQuery = bool (*)();
void SetAltKeyQuery(TAltKeyQuery query);
