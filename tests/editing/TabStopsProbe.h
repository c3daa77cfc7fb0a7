#pragma once

#include <cstdint>
#include <memory>
#include <vector>

// Tab tables for tests whose files also see the table headers, which name
// their alignments like the tab manager's: a tab manager for the test's
// duration when none exists, and the positions of an interned table's stops.
std::shared_ptr<void> EnsureTabManager();
std::vector<std::int32_t> TabStopPositions(std::int32_t tabTable);
