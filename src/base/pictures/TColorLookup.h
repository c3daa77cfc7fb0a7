#pragma once

#include <cstdint>
#include <vector>

#include "platform/Palettes.h"

// The nearest entry of a palette for a colour, cached per 15-bit colour:
// colours that share a cell share the answer, and the full search runs once
// per cell.
class TColorLookup {
public:
    explicit TColorLookup(const std::vector<Platform::TPaletteEntry>& palette);

    // The entry index; the entry's colour in entry.
    int Find(std::uint8_t red, std::uint8_t green, std::uint8_t blue, Platform::TPaletteEntry& entry);

    const std::vector<Platform::TPaletteEntry> Palette;  // a copy: lookups outlive their callers' lists

private:
    static int Cell(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
        return (blue >> 3) * 1024 + (green >> 3) * 32 + (red >> 3);
    }
    std::vector<std::int16_t> Cache;
};
