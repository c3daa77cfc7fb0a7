#pragma once

#include <cstdint>

// One border of a paragraph.
struct TBorder {
    std::int32_t Width = 0;   // twips
    std::int32_t Type = 255;  // Word border type codes; 255 no border
    std::int32_t Color = static_cast<std::int32_t>(0xFF000000u);
    std::int32_t Spacing = 0;  // twips between border and text, 0..620 once interned
    std::int32_t Reserved[3] = {};
};

enum : int { bsLeft = 0, bsTop = 1, bsRight = 2, bsBottom = 3, bsInside = 4 };

constexpr std::int32_t NoBorderType = 255;

// The five borders of a bordered paragraph group.
struct TBorderSet {
    TBorder Borders[5];
};

// Paragraph formats refer to border sets by their index in one process-wide
// table, so that formats compare and copy without touching border details.
// Entry 0 is the empty set, meaning no borders; entries are never removed.
//
void InitBorderSet(TBorderSet& set);
std::int32_t ClampBorderSpacing(std::int32_t value);
// The index of an equal set in the table, appending one when there is none.
std::int32_t InternBorderSet(const TBorderSet& set);
std::int32_t BorderSetCount();
// The set at an index (0 .. BorderSetCount() - 1).
const TBorderSet& BorderSetAt(std::int32_t index);

// A border as stored in the table against a border to intern: the same
// type, and for real borders the same width, colour and clamped spacing.
bool BordersEqual(const TBorder& stored, const TBorder& border);
// Which of two touching borders is drawn: 1 when a wins, -1 when b wins, 0
// when they are equal. The cell flags (first byte) are given for table
// cell borders: at equal widths a cell's own border loses.
int CompareBorders(const TBorder& a,
                   const TBorder& b,
                   const std::uint8_t* aCellFlag = nullptr,
                   const std::uint8_t* bCellFlag = nullptr);
