#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/formats/TCharFormat.h"
#include "model/formats/TParFormat.h"
#include "model/formats/TTableRow.h"

// What the format brush holds: a style picked up from a style, or the
// character and paragraph formats (and table rows) picked up from text.
// The commands fill it; the brush worker applies it.
struct TFormatBrush {
    std::string StyleName;  // display name; empty when the brush holds formats
    TCharFormat CharFormat = UnsetCharFormat;
    TParFormat ParFormat = UnsetParFormat;
    std::vector<TTableRowData> Rows;      // empty: no table rows
    std::uint8_t TableSelectionType = 0;  // how the rows were picked up (0 to 3)
};

TFormatBrush& FormatBrush();
