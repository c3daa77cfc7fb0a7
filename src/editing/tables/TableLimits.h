#pragma once

#include <string_view>

// What the table operations and table paste say when a row would hold more
// cells than a row can (MaxTableCells): each refuses with it before it
// changes anything.
inline constexpr std::string_view TooManyCellsMessage =
    "This operation would exceed the maximum number of columns in a table row.";
