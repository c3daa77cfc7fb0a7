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
