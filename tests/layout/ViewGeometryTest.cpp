#include <gtest/gtest.h>

#include "ViewFixture.h"
#include "layout/boxes/TPage.h"
#include "layout/pagination/Pagination.h"
#include "layout/view/ViewOptions.h"
#include "model/document/StateFlags.h"
#include "model/document/TSection.h"

namespace {

// Letter-wide pages at 100 %: 816 pixels.
constexpr std::int32_t W = 816;

class ViewGeometryTest : public ViewFixture {
protected:
    void SetUp() override {
        ViewFixture::SetUp();
        SetBodyLines(10);
        Doc->UpdatePageMetrics();
        H = Doc->TwipsToPixelsY(Section().PageSetup.PageHeight);
    }
    void TearDown() override {
        ViewOptions() = TViewOptions{};
        ViewFixture::TearDown();
    }
    Platform::TRect Rect(std::int32_t page) {
        Platform::TRect r;
        Doc->GetPageRect(page, r);
        return r;
    }
    // A page of slot column x in row row, pages of height H.
    Platform::TRect Slot(std::int32_t x, std::int32_t row) const {
        const std::int32_t top = 10 + row * (H + 10);
        return {x, top, x + W, top + H};
    }

    std::int32_t H = 0;
};

TEST_F(ViewGeometryTest, PagesStandInRowsAsTheWindowAllows) {
    struct Case {
        std::int32_t Width;
        std::uint8_t ZoomMode;
        std::int32_t PerRow;
        std::int32_t ViewWidth;
        std::int32_t X[3];
        std::int32_t Row[3];
    };
    const Case cases[] = {
        // Two pages fit beside each other, the third starts a new row.
        {2000, zmPercent, 2, 2000, {179, 1005, 179}, {0, 0, 1}},
        // A window narrower than a page still shows one page a row and
        // scrolls sideways.
        {500, zmPercent, 1, W + 20, {10, 10, 10}, {0, 1, 2}},
        // Never more pages a row than there are pages.
        {3000, zmPercent, 3, 3000, {266, 1092, 1918}, {0, 0, 0}},
        // Two facing pages: the first page stands alone on the right.
        {2000, zmTwoPages, 2, 2000, {1005, 179, 1005}, {0, 1, 1}},
    };
    Fill(3, 10);
    ASSERT_EQ(Doc->Pages.Count, 3);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "width " << c.Width << " zoom mode " << int(c.ZoomMode));
        Doc->ZoomMode = c.ZoomMode;
        Doc->ScrollPos = {};
        Show(c.Width, 800);
        EXPECT_EQ(Doc->PagesPerRow, c.PerRow);
        EXPECT_EQ(Doc->ViewExtent.X, c.ViewWidth);
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(Rect(i), Slot(c.X[i], c.Row[i]));
        }
        EXPECT_EQ(View.Ranges.HorzRange, c.ViewWidth);
        EXPECT_EQ(View.Ranges.VertRange, Doc->ViewExtent.Y);
    }
}

TEST_F(ViewGeometryTest, VisiblePagesFollowTheScrollPosition) {
    struct Case {
        std::uint8_t ZoomMode;
        std::int32_t Width;
        std::int32_t ScrollY;
        std::int32_t First, Last, Current;
    };
    // Pages are H + 10 pixels apart; the window is 2.5 pages high.
    const std::int32_t step = H + 10;
    const Case cases[] = {
        {zmPercent, 500, 0, 0, 2, 0},
        // Part of page 0 and pages 1 to 3 show; page 1 is the first wholly
        // inside the window.
        {zmPercent, 500, step - 20, 0, 3, 1},
        {zmPercent, 500, 10 + step, 1, 3, 1},
        // With the first page alone, the second row starts at page index 1.
        {zmTwoPages, 2000, 10 + step, 1, 6, 1},
        {zmTwoPages, 2000, 0, 0, 4, 0},
    };
    Fill(6, 10);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "scroll " << c.ScrollY << " zoom mode " << int(c.ZoomMode));
        Doc->ZoomMode = c.ZoomMode;
        Show(c.Width, step * 5 / 2);
        Doc->ScrollPos = {0, c.ScrollY};
        EXPECT_EQ(Doc->FirstVisiblePage(), c.First);
        EXPECT_EQ(Doc->LastVisiblePage(), c.Last);
        EXPECT_EQ(Doc->CurrentPage(), c.Current);
    }
}

TEST_F(ViewGeometryTest, UnbuiltPagesAreEstimatedAndTheViewNeverShrinks) {
    for (int i = 0; i < 5; ++i)
        Plain(Lines(10));
    Doc->UpdatePageMetrics();
    Doc->Paginate(0, 0);
    ASSERT_EQ(Doc->Pages.Count, 1);
    ASSERT_EQ(Doc->StateFlags[sfPaginationComplete], 0);
    Show(500, 800);
    // The slot after the last page is estimated like it.
    EXPECT_EQ(Rect(1), Slot(10, 1));
    // Beyond the estimates, the last one known stands for the page.
    EXPECT_EQ(Rect(7), Rect(1));
    const std::int32_t first = Doc->ViewExtent.Y;
    EXPECT_GE(first, Slot(10, 1).Bottom);

    // Every new geometry estimates further down; the range only grows.
    std::int32_t previous = first;
    for (int round = 0; round < 3; ++round) {
        Doc->UpdateViewGeometry();
        EXPECT_GE(Doc->ViewExtent.Y, previous);
        previous = Doc->ViewExtent.Y;
    }
    EXPECT_GT(previous, first);

    // Once pagination completes, the view is exactly the pages.
    Doc->PaginateAll();
    Doc->UpdateViewGeometry();
    const std::int32_t pages = Doc->Pages.Count;
    EXPECT_EQ(Doc->ViewExtent.Y, 10 + pages * (H + 10));
    EXPECT_TRUE(Doc->EstimatedPageRects.empty());
}

TEST_F(ViewGeometryTest, DraftPagesStackWithoutGapsAndWidenForTables) {
    Fill(3, 10);
    Doc->ViewMode = vmDraft;
    Doc->StateFlags[sfDraftGeometryCached] = 0;
    Doc->DestroyLayout();
    PaginateAll();
    Show(1000, 800);
    TDraftGeometry g;
    Doc->DraftGeometry(g);
    EXPECT_EQ(g.LeftMargin, 420);  // (9 / 2 + 24) pixels
    EXPECT_EQ(g.TextWidth, Section().PageSetup.TextWidth);
    ASSERT_GE(Doc->Pages.Count, 1);
    EXPECT_EQ(Doc->PagesPerRow, 1);
    EXPECT_EQ(Rect(0).Top, 10);
    EXPECT_EQ(Rect(0).Left, 28);
    for (std::int32_t i = 1; i < Doc->Pages.Count; ++i)
        EXPECT_EQ(Rect(i).Top, Rect(i - 1).Bottom) << i;

    // Centred text stands in the middle of the window.
    ViewOptions().CenterDraftText = true;
    Doc->UpdateViewGeometry();
    EXPECT_EQ(Rect(0).Left, (1000 - Doc->TwipsToPixelsX(2 * 420 + g.TextWidth)) / 2);

    // A table wider than the text widens the draft view; the plain width
    // stays.
    AddRow({"a", "b"}, {6000, 14000});
    Doc->StateFlags[sfDraftGeometryCached] = 0;
    Doc->DraftGeometry(g);
    EXPECT_EQ(g.TextWidth, 14000);
    EXPECT_EQ(g.PlainTextWidth, Section().PageSetup.TextWidth);
    EXPECT_EQ(Doc->DraftGeometryChanged, 1);
}

TEST_F(ViewGeometryTest, HiddenWhiteSpaceKeepsPagesClose) {
    AddHeaderFooter(hfOddHeader, "head");
    AddHeaderFooter(hfOddFooter, "foot");
    Fill(3, 10);
    ASSERT_NE(PageAt(0).HeaderBox, nullptr);
    ViewOptions().HideWhiteSpace = true;
    Show(500, 800);
    // Headers and footers leave the view.
    for (std::int32_t i = 0; i < Doc->Pages.Count; ++i) {
        EXPECT_EQ(PageAt(i).HeaderBox, nullptr) << i;
        EXPECT_EQ(PageAt(i).FooterBox, nullptr) << i;
    }
    // The text of a full page and 100 twips above and below it.
    const std::int32_t first = Rect(0).Height();
    EXPECT_LT(first, H);
    EXPECT_EQ(Rect(0).Top, 5);
    EXPECT_EQ(Rect(1).Top, Rect(0).Bottom + 2);
}

TEST_F(ViewGeometryTest, ShortScrollsMovePixelsAndLongJumpsRepaint) {
    Fill(8, 10);
    Show(500, 800);
    ASSERT_GT(Doc->ViewExtent.Y, 2000);
    struct Case {
        std::int32_t To;
        bool Moved;
    };
    // 17/20 of 800 pixels is 680: shorter steps move pixels.
    const Case cases[] = {{100, true}, {779, true}, {0, false}, {1000, false}, {400, true}, {1079, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.To);
        View.Scrolls.clear();
        Doc->StateFlags[75] = 0;
        const std::int32_t before = Doc->ScrollPos.Y;
        Doc->ScrollTo({0, c.To});
        EXPECT_EQ(Doc->ScrollPos.Y, c.To);
        if (c.Moved) {
            ASSERT_EQ(View.Scrolls.size(), 1u);
            EXPECT_EQ(View.Scrolls[0].Dy, before - c.To);
        } else {
            EXPECT_TRUE(View.Scrolls.empty());
            EXPECT_EQ(Doc->StateFlags[75], 1);  // painted whole
        }
    }
}

TEST_F(ViewGeometryTest, NewPageMetricsThrowThePagesAway) {
    Fill(3, 10);
    Show(500, 800);
    ASSERT_GT(Doc->Pages.Count, 0);
    Doc->ResetPageMetrics();
    EXPECT_EQ(Doc->Pages.Count, 0);
    EXPECT_EQ(Doc->StateFlags[sfPaginationComplete], 0);
    // Before any page exists the view estimates pages of the first section.
    Doc->UpdateViewGeometry();
    EXPECT_EQ(Rect(0), Slot(10, 0));
}

TEST_F(ViewGeometryTest, PaginationThroughTheClientLaysTheViewOut) {
    for (int i = 0; i < 4; ++i)
        Plain(Lines(10));
    Doc->UpdatePageMetrics();
    View.Width = 500;
    View.Height = 800;
    View.Paginate(*Doc, 0, 2147483647);
    ASSERT_EQ(Doc->Pages.Count, 4);
    EXPECT_EQ(Rect(3), Slot(10, 3));
    // What the post-actions repaginate up to: the last page shown.
    Doc->ScrollPos = {0, Slot(10, 1).Top};
    EXPECT_EQ(View.LastVisiblePage(*Doc), 3);
}

}  // namespace
