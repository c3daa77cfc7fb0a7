#pragma once

#include <cstdint>
#include <vector>

// A tab stop as the RTF writer writes it.
struct TRtfTabStop {
    std::int32_t Position = 0;   // twips
    std::uint8_t Alignment = 0;  // 0 left, 1 centre, 2 right, 3 decimal, 4 bar, 6 list tab
    std::uint8_t Leader = 0;     // 0 none, 1 dots, 2 hyphens, 3 underline
};

// The stops of a paragraph format's tab table (its Tabs index); empty for
// none or an index the tab manager does not hold. Kept apart from the
// writer, whose table-row names clash with the tab manager's.
std::vector<TRtfTabStop> RtfTabTableStops(std::int32_t tabTable);
