#pragma once

#include <cstdint>
#include <vector>

// A rectangle in twips: left and top inside, right and bottom outside.
struct TWrapRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
};

// The parts of a box that shapes and drop caps take away from a
// paragraph's text, and the row being laid out beside them. All lengths
// are twips in the coordinates of the box that receives the paragraph.
// The flow owns it and passes it to TPar::LayoutLines.
struct TWrapArea {
    std::vector<TWrapRect> Exclusions;
    std::int32_t Y = 0;            // top of the next row; left at the bottom of the last one
    std::vector<TWrapRect> Slots;  // the current row's pieces
    std::int32_t X = 0;            // left edge of the piece being laid out
    std::int32_t Limit = 0;        // right limit of the text
    std::int32_t RowHeight = 0;
    std::int32_t PieceWidth = 1;
};
