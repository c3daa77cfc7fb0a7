#include "base/pictures/TColorLookup.h"

#include <cstdlib>

TColorLookup::TColorLookup(const std::vector<Platform::TPaletteEntry>& palette) : Palette(palette), Cache(32768, -1) {
    for (std::size_t i = 0; i < Palette.size() && i < 32768; ++i) {
        std::int16_t& cell = Cache[Cell(Palette[i].Red, Palette[i].Green, Palette[i].Blue)];
        if (cell == -1)
            cell = static_cast<std::int16_t>(i);
    }
}

int TColorLookup::Find(std::uint8_t red, std::uint8_t green, std::uint8_t blue, Platform::TPaletteEntry& entry) {
    std::int16_t& cell = Cache[Cell(red, green, blue)];
    if (cell == -1) {
        int best = 196608;
        for (std::size_t i = 0; i < Palette.size(); ++i) {
            const Platform::TPaletteEntry& e = Palette[i];
            const int d = std::abs(e.Red - red) + std::abs(e.Green - green) + std::abs(e.Blue - blue);
            if (d < best) {
                best = d;
                cell = static_cast<std::int16_t>(i);
            }
        }
        if (cell == -1)
            cell = 0;
    }
    if (static_cast<std::size_t>(cell) < Palette.size())
        entry = Palette[static_cast<std::size_t>(cell)];
    return cell;
}
