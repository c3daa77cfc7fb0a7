#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/formats/TCharFormat.h"
#include "model/formats/TParFormat.h"

struct TTableRowData;

// What the format brush holds: a style picked up from a style, or the
// character and paragraph formats (and table rows) picked up from text.
// The commands fill it; the brush worker applies it.
struct TFormatBrush {
    std::string StyleName;  // display name; empty when the brush holds formats
    TCharFormat CharFormat = UnsetCharFormat;
    TParFormat ParFormat = UnsetParFormat;
    // The rows picked up from a table (nil: none). Held through a shared
    // pointer so that this header needs no table-row definitions.
    std::shared_ptr<const std::vector<TTableRowData>> Rows;
    std::uint8_t TableSelectionType = 0;  // how the rows were picked up (0 to 3)
};

TFormatBrush& FormatBrush();
