#pragma once

#include <cstdint>

#include "platform/GdiTypes.h"

// Logical palettes. The screen here is never palettised (32 bits per
// pixel), so a palette is only a list of colours that pictures carry and
// hand back.
namespace Platform {

struct TPaletteEntry {
    std::uint8_t Red = 0;
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;
    std::uint8_t Flags = 0;
};

// count is cut to 256; null for no entries.
HPALETTE CreatePalette(const TPaletteEntry* entries, int count);
void DeletePaletteObject(HPALETTE palette);
int PaletteEntryCount(HPALETTE palette);
// Copies up to count entries from start; returns the number copied.
int GetPaletteEntries(HPALETTE palette, int start, int count, TPaletteEntry* out);
// Whether the screen works through a palette (and how many entries it has).
bool ScreenIsPalettised();

}  // namespace Platform
