#include "layout/pagination/TableLayout.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace {

// The kind that draws no line.
constexpr std::int32_t NoBorderKind = 255;
// A preferred width of 100 percent, in fiftieths of a percent.
constexpr std::int32_t WholeWidth = 5000;

std::int32_t CellCountOf(const TTableRow& row) {
    return std::clamp(row.Data.CellCount, 0, MaxTableCells);
}

// Edges from a damaged file are kept within this distance of the column,
// so that sums and products of edges and widths stay in range.
constexpr std::int32_t EdgeLimit = 1 << 26;

std::int32_t ClampEdge(std::int64_t x) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(x, -EdgeLimit, EdgeLimit));
}

}  // namespace

std::int32_t GridSpan(const TTableCell& cell) {
    return std::clamp(cell.Span, 1, MaxTableCells);
}

namespace {

void ResolveEdges(TTableRow& row, std::int32_t width) {
    const TTableRowData& data = row.Data;
    TTableRow::TResolved& out = row.Resolved;
    const std::int32_t n = CellCountOf(row);
    const std::int64_t w = ClampEdge(width);
    out.LeftEdge = ClampEdge(data.LeftEdge);
    bool unset = false;
    for (std::int32_t c = 0; c < n; ++c)
        unset = unset || data.Cells[c].RightEdge == UnsetValue;
    if (unset) {
        // The width is shared by grid columns: a cell merged horizontally
        // over several columns takes as many shares as it spans, so that it
        // lines up with the narrower cells of the rows around it.
        std::int64_t columns = 0;
        for (std::int32_t c = 0; c < n; ++c)
            columns += GridSpan(data.Cells[c]);
        std::int64_t reached = 0;
        for (std::int32_t c = 0; c < n; ++c) {
            reached += GridSpan(data.Cells[c]);
            out.RightEdges[c] = ClampEdge(out.LeftEdge + w * reached / columns);
        }
        return;
    }
    for (std::int32_t c = 0; c < n; ++c)
        out.RightEdges[c] = ClampEdge(data.Cells[c].RightEdge);
    if (data.PreferredWidth > 0 && n > 0) {
        const std::int64_t target = std::min<std::int64_t>(w * data.PreferredWidth / WholeWidth, EdgeLimit);
        const std::int64_t extent = static_cast<std::int64_t>(out.RightEdges[n - 1]) - out.LeftEdge;
        if (extent > 0 && target != extent)
            for (std::int32_t c = 0; c < n; ++c)
                out.RightEdges[c] = ClampEdge(
                    out.LeftEdge + (static_cast<std::int64_t>(out.RightEdges[c]) - out.LeftEdge) * target / extent);
    }
}

// The largest own width among the vertical borders at each edge: edges
// closer than EdgeTolerance to the first of a group are one edge.
class TVerticalEdges {
public:
    void Add(std::int32_t x, std::int32_t width) { Points.emplace_back(x, width); }
    void Settle() {
        std::sort(Points.begin(), Points.end());
        std::size_t i = 0;
        while (i < Points.size()) {
            std::size_t j = i;
            std::int32_t widest = 0;
            while (j < Points.size() && static_cast<std::int64_t>(Points[j].first) - Points[i].first < EdgeTolerance) {
                widest = std::max(widest, Points[j].second);
                ++j;
            }
            for (std::size_t k = i; k < j; ++k)
                Points[k].second = widest;
            i = j;
        }
    }
    std::int32_t SharedAt(std::int32_t x) const {
        const auto it = std::lower_bound(Points.begin(), Points.end(), std::make_pair(x, -1));
        return it != Points.end() && it->first == x ? it->second : 0;
    }

private:
    std::vector<std::pair<std::int32_t, std::int32_t>> Points;
};

}  // namespace

std::int32_t OwnBorderWidth(const TTableBorder& border) {
    if (border.Kind == 0 || border.Kind == NoBorderKind)
        return 0;
    return std::clamp(border.Width, 0, MaxTableMeasure);
}

void ResolveRowBorders(const std::vector<TTableRow*>& rows, std::int32_t width) {
    const std::size_t count = rows.size();
    bool dirty = false;
    for (std::size_t i = 0; i < count && !dirty; ++i) {
        const TTableRow* previous = i > 0 ? rows[i - 1] : nullptr;
        const TTableRow* next = i + 1 < count ? rows[i + 1] : nullptr;
        const TTableRow::TResolved& r = rows[i]->Resolved;
        dirty = r.Previous != previous || r.Next != next || r.Width != width || rows[i]->Data.Changed != 0;
    }
    if (!dirty)
        return;

    for (TTableRow* row : rows)
        ResolveEdges(*row, width);

    // Own widths of the tops and bottoms, merges taken into account.
    std::vector<std::vector<std::int32_t>> tops(count), bottoms(count);
    for (std::size_t i = 0; i < count; ++i) {
        const TTableRowData& data = rows[i]->Data;
        const std::int32_t n = CellCountOf(*rows[i]);
        tops[i].resize(n);
        bottoms[i].resize(n);
        for (std::int32_t c = 0; c < n; ++c) {
            const TTableCell& cell = data.Cells[c];
            const bool continuation = cell.IsContinuation();
            tops[i][c] = continuation ? 0 : OwnBorderWidth(cell.Borders[tbTop]);
            bottoms[i][c] = continuation ? 0 : OwnBorderWidth(cell.Borders[tbBottom]);
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        const TTableRowData& data = rows[i]->Data;
        for (std::int32_t c = 0; c < CellCountOf(*rows[i]); ++c) {
            if (data.Cells[c].FirstOfMerge == 0 || data.Cells[c].Merged == 0)
                continue;
            // The merge's bottom border stands under its last continuation.
            const std::int32_t x = rows[i]->Resolved.RightEdges[c];
            std::size_t last = i;
            std::int32_t lastCell = c;
            for (std::size_t j = i + 1; j < count; ++j) {
                std::int32_t found = -1;
                for (std::int32_t d = 0; d < CellCountOf(*rows[j]) && found < 0; ++d)
                    if (std::abs(static_cast<std::int64_t>(rows[j]->Resolved.RightEdges[d]) - x) < EdgeTolerance)
                        found = d;
                if (found < 0 || !rows[j]->Data.Cells[found].IsContinuation())
                    break;
                last = j;
                lastCell = found;
            }
            if (last != i) {
                bottoms[last][lastCell] = bottoms[i][c];
                bottoms[i][c] = 0;
            }
        }
    }

    TVerticalEdges edges;
    for (const TTableRow* row : rows) {
        const TTableRowData& data = row->Data;
        for (std::int32_t c = 0; c < CellCountOf(*row); ++c) {
            if (data.Cells[c].IsContinuation())
                continue;
            const std::int32_t left = c == 0 ? row->Resolved.LeftEdge : row->Resolved.RightEdges[c - 1];
            edges.Add(left, OwnBorderWidth(data.Cells[c].Borders[tbLeft]));
            edges.Add(row->Resolved.RightEdges[c], OwnBorderWidth(data.Cells[c].Borders[tbRight]));
        }
    }
    edges.Settle();

    const auto widest = [](const std::vector<std::int32_t>& v) {
        return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
    };
    for (std::size_t i = 0; i < count; ++i) {
        TTableRow& row = *rows[i];
        const std::int32_t above = std::max(widest(tops[i]), i > 0 ? widest(bottoms[i - 1]) : 0);
        const std::int32_t below = std::max(widest(bottoms[i]), i + 1 < count ? widest(tops[i + 1]) : 0);
        for (std::int32_t c = 0; c < CellCountOf(row); ++c) {
            const std::int32_t left = c == 0 ? row.Resolved.LeftEdge : row.Resolved.RightEdges[c - 1];
            row.Resolved.Shared[c][tbLeft] = edges.SharedAt(left);
            row.Resolved.Shared[c][tbRight] = edges.SharedAt(row.Resolved.RightEdges[c]);
            row.Resolved.Shared[c][tbTop] = above;
            row.Resolved.Shared[c][tbBottom] = below;
        }
        row.Resolved.Previous = i > 0 ? rows[i - 1] : nullptr;
        row.Resolved.Next = i + 1 < count ? rows[i + 1] : nullptr;
        row.Resolved.Width = width;
        row.Data.Changed = 0;
    }
}

std::int32_t TableAlignShift(std::int32_t alignment,
                             std::int32_t available,
                             std::int32_t leftmost,
                             std::int32_t rightmost,
                             bool draft) {
    const std::int64_t a = available, l = leftmost, r = rightmost;
    std::int64_t shift = 0;
    if (alignment == taCentre)
        shift = (a + l - r) / 2 - l;
    else if (alignment == taRight)
        shift = a - r;
    else if (draft)
        shift = std::max<std::int64_t>(0, -l);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(shift, -0x3FFFFFFF, 0x3FFFFFFF));
}
