#pragma once

#include <cstdint>
#include <vector>

// The tab table of left-aligned stops without leader at the given
// positions, interned with the process-wide tab manager; 0 (no tabs of its
// own) when there are none or no tab manager exists. Kept apart from the
// table code because the tab and table headers name their alignments alike.
std::int16_t LeftTabTableAt(const std::vector<std::int32_t>& positions);
