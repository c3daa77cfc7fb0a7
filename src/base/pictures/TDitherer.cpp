#include "base/pictures/TDitherer.h"

#include <algorithm>

#include "base/pictures/TColorLookup.h"

TDitherer::TDitherer(std::int32_t width, bool noDither, TColorLookup& lookup)
    : Width(width), Lookup(lookup), NoDither(noDither) {
    if (!NoDither)
        for (auto& channel : Rows)
            for (auto& row : channel)
                row.assign(static_cast<std::size_t>(std::max(0, width)) + 4, 0);
}

int TDitherer::Find(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    Platform::TPaletteEntry entry;
    if (NoDither) {
        const int index = Lookup.Find(red, green, blue, entry);
        Position += Direction;
        return index;
    }
    const std::size_t x = static_cast<std::size_t>(Position) + 2;
    const int here = Current, next = (Current + 1) % 3, after = (Current + 2) % 3;
    int value[3] = {red, green, blue};
    for (int c = 0; c < 3; ++c)
        value[c] = std::clamp(value[c] + (Rows[c][here][x] + 16) / Divisor, 0, 255);
    const int index = Lookup.Find(static_cast<std::uint8_t>(value[0]), static_cast<std::uint8_t>(value[1]),
                                  static_cast<std::uint8_t>(value[2]), entry);
    Position += Direction;
    const int chosen[3] = {entry.Red, entry.Green, entry.Blue};
    const std::ptrdiff_t d = Direction;
    for (int c = 0; c < 3; ++c) {
        const std::int32_t error = value[c] - chosen[c];
        if (error == 0)
            continue;
        std::int32_t* row = Rows[c][here].data() + x;
        row[d] += error * 5;
        row[2 * d] += error * 3;
        std::int32_t* below = Rows[c][next].data() + x;
        below[-2 * d] += error * 2;
        below[-d] += error * 4;
        below[0] += error * 5;
        below[d] += error * 4;
        below[2 * d] += error * 2;
        std::int32_t* twoBelow = Rows[c][after].data() + x;
        twoBelow[-d] += error * 2;
        twoBelow[0] += error * 3;
        twoBelow[d] += error * 2;
    }
    return index;
}

void TDitherer::NextRow() {
    Direction = -Direction;
    Step = 2 * Direction;
    Position = Direction > 0 ? 0 : Width - 1;
    if (NoDither)
        return;
    for (auto& channel : Rows)
        std::fill(channel[Current].begin(), channel[Current].end(), 0);
    // The cleared row becomes the one after next.
    Current = (Current + 1) % 3;
}
