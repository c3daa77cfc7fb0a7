#pragma once

#include <cstdint>
#include <vector>

class TColorLookup;

// Maps the pixels of a picture, row by row in alternating directions, to a
// palette through a lookup, spreading each pixel's error over its
// neighbours with the Sierra weights (in 32nds) unless told not to dither.
class TDitherer {
public:
    TDitherer(std::int32_t width, bool noDither, TColorLookup& lookup);

    // The entry index for the pixel at Position; Position moves on.
    int Find(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    // Turns to the next row: direction reversed, errors moved down a row.
    void NextRow();

    std::int32_t Direction = 1;
    std::int32_t Step = 2;
    std::int32_t Position = 0;
    std::int32_t Width = 0;
    TColorLookup& Lookup;
    std::int32_t Divisor = 32;
    bool NoDither = false;

private:
    // Three rows (this, next, after) per channel, two columns of margin on
    // each side; column x of the picture is element x + 2.
    std::vector<std::int32_t> Rows[3][3];
    int Current = 0;
};
