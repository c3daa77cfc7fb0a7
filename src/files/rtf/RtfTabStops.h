#pragma once

#include <cstdint>

class TList;

// The reader's pending tab stops, kept apart from the table code: the tab
// manager's alignment names and the table rows' share their spelling.

// Adds a stop (alignment 0 left, 1 centred, 2 right, 3 decimal, 4 bar;
// leader 0 none, 1 dots, 2 hyphens, 3 underline) to a pending list.
void AddRtfTabStop(TList& tabs, std::int32_t position, std::uint8_t alignment, std::uint8_t leader);
// Sorts the pending stops and gives the index of the tab table that holds
// them (0 when there is no tab manager).
std::int32_t InternRtfTabStops(TList& tabs);
