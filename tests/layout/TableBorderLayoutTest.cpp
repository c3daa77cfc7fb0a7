// The borders a laid-out table contributes to painting: merged at shared
// edges, and gridlines where nothing is drawn.
#include <gtest/gtest.h>

#include <vector>

#include "PageFixture.h"
#include "TableBorderProbe.h"
#include "layout/boxes/TPage.h"
#include "layout/boxes/TTableBox.h"

namespace {

TTableBox* FindTable(TBox& box) {
    if (box.Kind == bkTable)
        return static_cast<TTableBox*>(&box);
    for (std::int32_t i = 0; i < box.Count; ++i)
        if (TTableBox* table = FindTable(*box.Child(i)))
            return table;
    return nullptr;
}

class TableBorderLayoutTest : public PageFixture {
protected:
    void SetUp() override {
        PageFixture::SetUp();
        SetBodyLines(20);
    }
    void TearDown() override {
        Doc->DestroyLayout();
        PageFixture::TearDown();
    }
    // Lays the document out and answers the first page's table with its
    // pixels at 100 percent.
    TTableBox* LaidOutTable() {
        Doc->UpdatePageMetrics();
        PaginateAll();
        TPage& page = PageAt(0);
        page.UpdatePixelRects();
        return FindTable(page);
    }
    static std::vector<TProbedSegment> Vertical(const std::vector<TProbedSegment>& all, std::int32_t x) {
        std::vector<TProbedSegment> out;
        for (const TProbedSegment& s : all)
            if (!s.Horizontal && s.Line == x)
                out.push_back(s);
        return out;
    }
};

// Two cells side by side: the left one's borders are 10 twips, the right
// one's 30. The shared edge shows the 30-twip border alone, from the row's
// top to its bottom, and it is painted last.
TEST_F(TableBorderLayoutTest, ThirtyBeatsTenOnTheSharedEdge) {
    Plain("Before the table.");
    AddRow({"Left cell", "Right cell"}, {2880, 5760});
    SetLastRowCellBorders(*Doc, 0, 10, 0x000000);
    SetLastRowCellBorders(*Doc, 1, 30, 0x0000FF);
    Plain("After the table.");
    TTableBox* table = LaidOutTable();
    ASSERT_NE(table, nullptr);
    const std::vector<TProbedSegment> all = ProbeTableBorders(*table, false);
    const TBox* left = table->Child(0);
    ASSERT_EQ(left->Kind, bkCell);
    const std::vector<TProbedSegment> shared = Vertical(all, left->PixelBounds.Right);
    ASSERT_EQ(shared.size(), 1u) << DescribeProbed(all);
    EXPECT_EQ(shared[0].Width, 30);
    EXPECT_EQ(shared[0].Color, 0x0000FF);
    EXPECT_EQ(shared[0].Start, left->PixelBounds.Top);
    EXPECT_EQ(shared[0].End, left->PixelBounds.Bottom);
    const std::vector<TProbedSegment> outer = Vertical(all, left->PixelBounds.Left);
    ASSERT_EQ(outer.size(), 1u) << DescribeProbed(all);
    EXPECT_EQ(outer[0].Width, 10);
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.back().Width, 30);
}

// A cell merged across two grid columns above two plain cells: the line
// between the rows runs across the whole table in one piece, and the edge
// between the lower cells stops at the row boundary instead of crossing
// the merged cell.
TEST_F(TableBorderLayoutTest, HorizontallyMergedCellHasNoInnerEdge) {
    AddRow({"Merged across two columns"}, {5760});
    SetLastRowCellSpan(*Doc, 0, 2);
    SetLastRowCellBorders(*Doc, 0, 10, 0x000000);
    AddRow({"Left", "Right"}, {2880, 5760});
    SetLastRowCellBorders(*Doc, 0, 10, 0x000000);
    SetLastRowCellBorders(*Doc, 1, 10, 0x000000);
    TTableBox* table = LaidOutTable();
    ASSERT_NE(table, nullptr);
    const TBox* top = table->Child(0);
    std::vector<const TBox*> lower;
    for (std::int32_t i = 0; i < table->Count; ++i)
        if (table->Child(i)->Kind == bkCell && (table->Child(i)->Flags & bxRowEnd) == 0 &&
            table->Child(i)->Bounds.Top > top->Bounds.Top)
            lower.push_back(table->Child(i));
    ASSERT_EQ(lower.size(), 2u);
    EXPECT_EQ(top->PixelBounds.Left, lower[0]->PixelBounds.Left);
    EXPECT_EQ(top->PixelBounds.Right, lower[1]->PixelBounds.Right);
    const std::vector<TProbedSegment> all = ProbeTableBorders(*table, false);
    std::vector<TProbedSegment> between;
    for (const TProbedSegment& s : all)
        if (s.Horizontal && s.Line == top->PixelBounds.Bottom)
            between.push_back(s);
    ASSERT_EQ(between.size(), 1u) << DescribeProbed(all);
    EXPECT_EQ(between[0].Start, top->PixelBounds.Left);
    EXPECT_EQ(between[0].End, top->PixelBounds.Right);
    const std::vector<TProbedSegment> inner = Vertical(all, lower[0]->PixelBounds.Right);
    ASSERT_EQ(inner.size(), 1u) << DescribeProbed(all);
    EXPECT_EQ(inner[0].Start, lower[0]->PixelBounds.Top);
    EXPECT_EQ(inner[0].End, lower[0]->PixelBounds.Bottom);
    // The outer edges run down both rows in one piece.
    const std::vector<TProbedSegment> outer = Vertical(all, top->PixelBounds.Left);
    ASSERT_EQ(outer.size(), 1u) << DescribeProbed(all);
    EXPECT_EQ(outer[0].Start, top->PixelBounds.Top);
    EXPECT_EQ(outer[0].End, lower[0]->PixelBounds.Bottom);
}

// A table without borders contributes nothing unless gridlines are shown;
// then every cell edge is a gridline, each shared edge once.
TEST_F(TableBorderLayoutTest, BorderlessTableShowsGridlinesOnlyWhenAsked) {
    AddRow({"One", "Two", "Three"}, {1800, 3600, 5400});
    AddRow({"Four", "Five", "Six"}, {1800, 3600, 5400});
    TTableBox* table = LaidOutTable();
    ASSERT_NE(table, nullptr);
    EXPECT_TRUE(ProbeTableBorders(*table, false).empty());
    const std::vector<TProbedSegment> grid = ProbeTableBorders(*table, true);
    int horizontal = 0, vertical = 0;
    for (const TProbedSegment& s : grid) {
        EXPECT_FALSE(s.Set);
        ++(s.Horizontal ? horizontal : vertical);
    }
    // Three horizontal lines across the table and four vertical edges,
    // each running down both rows in one piece.
    EXPECT_EQ(horizontal, 3) << DescribeProbed(grid);
    EXPECT_EQ(vertical, 4) << DescribeProbed(grid);
}

}  // namespace
