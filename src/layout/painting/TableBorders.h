#pragma once

#include <cstdint>
#include <vector>

#include "model/formats/TTableRow.h"
#include "platform/GdiTypes.h"

class TTableBox;

// Table borders are painted as segments along lines rather than cell by
// cell, so that two cells meeting at an edge show one line: the stronger
// of their two borders.

enum : std::uint8_t { bsHorizontal = 0, bsVertical = 1 };

// One stretch of a border along a line, in pixels relative to the table
// box: Line is the y of a horizontal line or the x of a vertical one, Start
// and End run along it (End excluded).
struct TBorderSegment {
    std::uint8_t Kind = bsHorizontal;
    TTableBorder Border;
    std::int32_t Line = 0;
    std::int32_t Start = 0;
    std::int32_t End = 0;
};

// A border draws a line of its own (not unset, not "none").
bool BorderIsSet(const TTableBorder& border);

// Whether a wins over b where they meet: a set border beats an unset one,
// then the wider wins, then a single line beats a border of another kind,
// then the darker colour (the lower colour value) wins. Equal borders do
// not win over each other.
bool BorderStronger(const TTableBorder& a, const TTableBorder& b);

// The segments of one table box, merged line by line as they come in.
class TBorderSegments {
public:
    // Adds a segment to its line: where it overlaps segments already there,
    // the stronger border keeps the overlap and the weaker is cut around it.
    void Add(const TBorderSegment& segment);
    // Joins touching segments of equal borders and orders all of them from
    // the weakest to the strongest, the order in which they are painted.
    void Finish();
    void Clear() { Segments.clear(); }

    const std::vector<TBorderSegment>& All() const { return Segments; }

private:
    std::vector<TBorderSegment> Segments;
    std::vector<TBorderSegment> Scratch;
};

// Collects the borders of a table box's cells into segments, as the
// painter draws them; gridlines stand for the borders that draw nothing.
void CollectTableBorders(const TTableBox& table, bool gridlines, TBorderSegments& out);

// Paints the borders of a table box whose top-left pixel corner is (x, y)
// into the off-screen bitmap, or onto dc when its document paints directly.
void PaintTableBorders(TTableBox& table, Platform::HDC dc, std::int32_t x, std::int32_t y, bool gridlines);
