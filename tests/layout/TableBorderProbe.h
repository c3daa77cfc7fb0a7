#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TDoc;
class TTableBox;

// Kept apart from the fixtures, whose tab manager's names meet the table
// row's: the border segments of a table box as plain values, and border
// setters for the last row made.

struct TProbedSegment {
    bool Horizontal = false;
    std::int32_t Line = 0, Start = 0, End = 0;
    std::int32_t Width = 0, Color = 0;
    bool Set = false;
};

std::vector<TProbedSegment> ProbeTableBorders(const TTableBox& table, bool gridlines);
std::string DescribeProbed(const std::vector<TProbedSegment>& segments);
// Gives every border of a cell of the last row made a single line.
void SetLastRowCellBorders(TDoc& doc, int cell, std::int32_t width, std::int32_t color);
// Gives a cell of the last row made the number of grid columns it spans.
void SetLastRowCellSpan(TDoc& doc, int cell, std::int32_t span);
