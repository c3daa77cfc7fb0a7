#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/core/TMemory.h"
#include "model/formats/TParFormat.h"

// The one paragraph-format clipboard of the format brush: the format picked
// up from a paragraph, the name of its style and the table formatting taken
// along with it.
struct TParFormatClipboard {
    std::uint8_t Full = 0;
    TParFormat Format = UnsetParFormat;
    std::string Name;                       // style name (UTF-8)
    std::unique_ptr<TMemory> TableFormats;  // created on first use
    std::uint8_t BrushFlag = 0;             // kept by the format brush
};

extern TParFormatClipboard ParFormatClipboard;

// Copies a format into the clipboard without what ties it to its place:
// style, outline level, list, list level, table membership and collapsing
// become unset. The table formats are emptied; the clipboard is then full.
void CopyParFormatToClipboard(const TParFormat& format, std::string_view name);
