#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "ViewFixture.h"
#include "base/graphics/TServiceBitmap.h"
#include "layout/boxes/TCellBox.h"
#include "layout/boxes/TPage.h"
#include "layout/painting/BoxPainting.h"
#include "model/document/TSection.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TLine.h"
#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"

// TableCellColors.cpp.
void SetLastRowCellBackground(TDoc& doc, std::int32_t cell, std::int32_t color);

namespace {

struct TPaintCall {
    TLine* Line;
    std::int32_t X, Y;
};
std::vector<TPaintCall> Calls;

void Record(TLine& line, Platform::HDC, std::int32_t x, std::int32_t y) {
    Calls.push_back({&line, x, y});
}

class BoxPaintTest : public ViewFixture {
protected:
    void SetUp() override {
        ViewFixture::SetUp();
        SetBodyLines(12);
        Calls.clear();
        LinePaintObserver = &Record;
    }
    void TearDown() override {
        LinePaintObserver = nullptr;
        ViewFixture::TearDown();
    }
    // The calls that painted lines of a paragraph, in order.
    std::vector<TPaintCall> CallsOf(const TPar& par) const {
        std::vector<TPaintCall> calls;
        for (const TPaintCall& c : Calls)
            if (c.Line->Par == &par)
                calls.push_back(c);
        return calls;
    }
    // A page's rectangle in the window.
    Platform::TRect PageInWindow(std::int32_t page) {
        Platform::TRect r;
        Doc->GetPageRect(page, r);
        return {r.Left - Doc->ScrollPos.X, r.Top - Doc->ScrollPos.Y, r.Right - Doc->ScrollPos.X,
                r.Bottom - Doc->ScrollPos.Y};
    }
    std::uint32_t ScreenPixel(std::int32_t x, std::int32_t y) {
        return View.Pixels()[static_cast<std::size_t>(y) * View.Width + x];
    }
    void BlankScreen() { Platform::PatBlt(View.Screen, 0, 0, View.Width, View.Height, Platform::BLACKNESS); }
};

TEST_F(BoxPaintTest, EveryLineOfTheVisiblePagesPaintsAtItsPlace) {
    TPar& first = Plain(Lines(12));
    TPar& second = Plain(Lines(12));
    Doc->UpdatePageMetrics();
    PaginateAll();
    ASSERT_EQ(Doc->Pages.Count, 2);
    Show(2000, 1000);
    ASSERT_EQ(Doc->PagesPerRow, 2);
    Doc->PaintView(nullptr, nullptr);

    const auto a = CallsOf(first), b = CallsOf(second);
    ASSERT_EQ(a.size(), 12u);
    ASSERT_EQ(b.size(), 12u);
    // Body text starts at the top margin (720 twips = 48 pixels) of its page
    // and goes down line by line.
    const Platform::TRect p0 = PageInWindow(0), p1 = PageInWindow(1);
    EXPECT_EQ(a[0].Y, p0.Top + 48);
    EXPECT_EQ(b[0].Y, p1.Top + 48);
    // The same place on either page, inside it.
    EXPECT_EQ(a[0].X - p0.Left, b[0].X - p1.Left);
    EXPECT_GE(a[0].X, p0.Left);
    EXPECT_LT(a[0].X, p0.Right);
    for (std::size_t i = 1; i < a.size(); ++i) {
        EXPECT_GT(a[i].Y, a[i - 1].Y);
        EXPECT_EQ(a[i].X, a[0].X);
    }
}

TEST_F(BoxPaintTest, APartialRepaintPaintsTheChangedLineAndFourRowsAroundIt) {
    TPar& par = Plain(Lines(12));
    Doc->UpdatePageMetrics();
    PaginateAll();
    Show(1000, 1000);
    Doc->PaintView(nullptr, nullptr);

    struct Case {
        std::int32_t Line;
        std::int32_t First, Last;  // lines painted again
    };
    const Case cases[] = {{6, 2, 10}, {0, 0, 4}, {11, 7, 11}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Line);
        BlankScreen();
        Calls.clear();
        const TLine& line = LineOf(par, c.Line);
        TCompoundFragment* set = NewCompoundFragment();
        set->SetSingle(par.Index, line.FirstChar, par.Index, line.FirstChar + 1);
        Doc->PaintView(nullptr, set);
        ReleaseCompoundFragment(set);
        const auto calls = CallsOf(par);
        ASSERT_EQ(calls.size(), static_cast<std::size_t>(c.Last - c.First + 1));
        EXPECT_EQ(calls.front().Line, &LineOf(par, c.First));
        EXPECT_EQ(calls.back().Line, &LineOf(par, c.Last));
        // Only the rows of the repainted lines reach the screen.
        const std::int32_t x = calls.front().X + 2;
        if (c.First > 0)
            EXPECT_EQ(ScreenPixel(x, calls.front().Y - 2) & 0xFFFFFF, 0u);
        EXPECT_NE(ScreenPixel(x, calls.front().Y + 1) & 0xFFFFFF, 0u);
        EXPECT_NE(ScreenPixel(x, calls.back().Y + 1) & 0xFFFFFF, 0u);
        if (c.Last < 11) {
            const std::int32_t below = CallsOf(par).back().Y + Doc->TwipsToPixelsY(LineOf(par, c.Last).Height) + 4;
            EXPECT_EQ(ScreenPixel(x, below) & 0xFFFFFF, 0u);
        }
    }
}

TEST_F(BoxPaintTest, HeadersAndFootersAreLaidOutForEachPageAndLetGoAfter) {
    AddHeaderFooter(hfOddHeader, "head");
    AddHeaderFooter(hfOddFooter, "foot");
    Plain(Lines(12));
    Plain(Lines(12));
    Plain(Lines(12));
    const std::int32_t headerPar = Doc->ParCount() - 2, footerPar = Doc->ParCount() - 1;
    Doc->UpdatePageMetrics();
    PaginateAll();
    const std::int32_t pages = Doc->Pages.Count;
    ASSERT_GE(pages, 3);
    Show(pages * 826 + 100, 2000);
    ASSERT_EQ(Doc->PagesPerRow, pages);
    Doc->PaintView(nullptr, nullptr);
    std::vector<std::int32_t> headerXs, footerXs;
    for (const TPaintCall& c : Calls) {
        if (c.Line->Par->Index == headerPar)
            headerXs.push_back(c.X);
        if (c.Line->Par->Index == footerPar)
            footerXs.push_back(c.X);
    }
    ASSERT_EQ(headerXs.size(), static_cast<std::size_t>(pages));
    ASSERT_EQ(footerXs.size(), static_cast<std::size_t>(pages));
    for (int i = 0; i < pages; ++i) {
        EXPECT_EQ(headerXs[i] - PageInWindow(i).Left, headerXs[0] - PageInWindow(0).Left) << i;
        EXPECT_EQ(footerXs[i] - PageInWindow(i).Left, footerXs[0] - PageInWindow(0).Left) << i;
        EXPECT_EQ(PageAt(i).HeaderBox->Count, 0) << i;
        EXPECT_EQ(PageAt(i).FooterBox->Count, 0) << i;
    }

    // A window that ends above the footers leaves them unpainted: boxes
    // outside the view's clip paint nothing.
    Calls.clear();
    Show(pages * 826 + 100, PageInWindow(0).Top + 100);
    Doc->PaintView(nullptr, nullptr);
    for (const TPaintCall& c : Calls)
        EXPECT_NE(c.Line->Par->Index, footerPar);
    EXPECT_FALSE(Calls.empty());
}

TEST_F(BoxPaintTest, CellsAreShadedAndSelectedCellsHighlighted) {
    Plain("before");
    const auto pars = AddRow({"a", "b"}, {3000, 6000});
    Doc->UpdatePageMetrics();
    PaginateAll();
    SetLastRowCellBackground(*Doc, 1, 0x0000FF);  // red, as 0x00BBGGRR
    Show(1000, 1000);
    Doc->PaintView(nullptr, nullptr);

    // The second cell's box, and where it stands in the window.
    std::vector<TBox*> cells;
    std::vector<TBox*> todo{&PageAt(0)};
    while (!todo.empty()) {
        TBox* b = todo.back();
        todo.pop_back();
        if (b->Kind == bkCell && static_cast<TCellBox*>(b)->CellIndex >= 0)
            cells.push_back(b);
        for (std::int32_t i = 0; i < b->Count; ++i)
            todo.push_back(b->Child(i));
    }
    ASSERT_EQ(cells.size(), 2u);
    auto centre = [&](TBox* box) {
        Platform::TPoint p{};
        for (TBox* b = box; b != nullptr; b = b->Parent) {
            p.X += b->PixelBounds.Left;
            p.Y += b->PixelBounds.Top;
        }
        return Platform::TPoint{p.X - Doc->ScrollPos.X + box->PixelBounds.Width() / 2,
                                p.Y - Doc->ScrollPos.Y + box->PixelBounds.Height() / 2};
    };
    TBox* shaded = static_cast<TCellBox*>(cells[0])->CellIndex == 1 ? cells[0] : cells[1];
    TBox* plain = shaded == cells[0] ? cells[1] : cells[0];
    const Platform::TPoint s = centre(shaded), p = centre(plain);
    EXPECT_EQ(ScreenPixel(s.X, s.Y) & 0xFFFFFF, 0xFF0000u);  // pixels are 0x00RRGGBB
    EXPECT_EQ(ScreenPixel(p.X, p.Y) & 0xFFFFFF, 0xFFFFFFu);

    // Selecting the plain cell's end tints it; the shaded one keeps its red.
    Doc->Selection->SetSingle(pars[0]->Index, 0, pars[0]->Index, pars[0]->CharCount());
    Doc->PaintView(nullptr, nullptr);
    EXPECT_NE(ScreenPixel(p.X, p.Y) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(ScreenPixel(s.X, s.Y) & 0xFFFFFF, 0xFF0000u);
}

TEST_F(BoxPaintTest, PixelRectanglesFollowTheZoom) {
    Plain(Lines(3));
    Doc->UpdatePageMetrics();
    PaginateAll();
    struct Case {
        std::int32_t Zoom;
        std::int32_t Width, Height;  // the page in pixels
    };
    const std::int32_t pageHeight = Section().PageSetup.PageHeight;
    const Case cases[] = {
        {100, 816, pageHeight * 96 / 1440}, {50, 408, pageHeight * 48 / 1440}, {200, 1632, pageHeight * 192 / 1440}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Zoom);
        Doc->Zoom = Doc->ZoomInForce = c.Zoom;
        Doc->ZoomedResolutionX = Doc->ZoomedResolutionY = 96 * c.Zoom / 100;
        PageAt(0).UpdatePixelRects();
        EXPECT_EQ(PageAt(0).PixelBounds.Width(), c.Width);
        EXPECT_NEAR(PageAt(0).PixelBounds.Height(), c.Height, 1);
        // Children never reach past their parent.
        for (std::int32_t i = 0; i < PageAt(0).Count; ++i) {
            const TBox* child = PageAt(0).Child(i);
            EXPECT_LE(child->PixelBounds.Right, PageAt(0).PixelBounds.Width());
            EXPECT_LE(child->PixelBounds.Bottom, PageAt(0).PixelBounds.Height());
        }
    }
}

}  // namespace
