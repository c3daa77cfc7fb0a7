#include "TableBorderProbe.h"

#include "layout/painting/TableBorders.h"
#include "model/document/TDoc.h"
#include "model/formats/TTableRow.h"

std::vector<TProbedSegment> ProbeTableBorders(const TTableBox& table, bool gridlines) {
    TBorderSegments segments;
    CollectTableBorders(table, gridlines, segments);
    std::vector<TProbedSegment> out;
    for (const TBorderSegment& s : segments.All())
        out.push_back(
            {s.Kind == bsHorizontal, s.Line, s.Start, s.End, s.Border.Width, s.Border.Color, BorderIsSet(s.Border)});
    return out;
}

std::string DescribeProbed(const std::vector<TProbedSegment>& segments) {
    std::string out;
    for (const TProbedSegment& s : segments) {
        if (!out.empty())
            out += ' ';
        out += (s.Horizontal ? "h" : "v") + std::to_string(s.Line) + ":" + std::to_string(s.Start) + "-" +
               std::to_string(s.End) + "w" + std::to_string(s.Width);
    }
    return out;
}

void SetLastRowCellBorders(TDoc& doc, int cell, std::int32_t width, std::int32_t color) {
    auto* row = static_cast<TTableRow*>(doc.TableRowList.Last());
    for (TTableBorder& b : row->Data.Cells[cell].Borders)
        b = {width, brSingle, color, 0};
}

void SetLastRowCellSpan(TDoc& doc, int cell, std::int32_t span) {
    static_cast<TTableRow*>(doc.TableRowList.Last())->Data.Cells[cell].Span = span;
}
