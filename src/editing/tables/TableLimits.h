#pragma once

#include <string_view>

// The one message of every table edit that would give a row more cells than
// a row can hold (MaxTableCells): inserting columns or cells, splitting
// cells, pasting into a table. Each of them refuses before it changes
// anything.
inline constexpr std::string_view TooManyCellsMessage =
    "This operation would exceed the maximum number of columns in a table row.";
