#include <gtest/gtest.h>

#include <vector>

#include "ViewFixture.h"
#include "base/graphics/TServiceBitmap.h"
#include "layout/boxes/TPage.h"
#include "layout/painting/BoxPainting.h"
#include "layout/view/ViewOptions.h"
#include "layout/view/ViewPainting.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TLine.h"
#include "platform/Bitmaps.h"
#include "platform/Regions.h"

namespace {

class ViewPaintTest : public ViewFixture {
protected:
    void SetUp() override {
        ViewFixture::SetUp();
        SetBodyLines(12);
    }
    void TearDown() override {
        LinePaintObserver = nullptr;
        ViewOptions() = TViewOptions{};
        ViewFixture::TearDown();
    }
    std::uint32_t ScreenPixel(std::int32_t x, std::int32_t y) {
        return View.Pixels()[static_cast<std::size_t>(y) * View.Width + x] & 0xFFFFFF;
    }
    std::uint32_t& BitmapPixel(std::int32_t x, std::int32_t y) {
        return ServiceBitmap->Bits[static_cast<std::size_t>(y) * ServiceBitmap->Width + x];
    }
};

TEST_F(ViewPaintTest, HighlightTintFollowsTheSelectionColour) {
    Plain("x");
    Doc->UpdatePageMetrics();
    PaginateAll();
    Show(200, 200);
    Doc->PaintView(nullptr, nullptr);  // makes the off-screen bitmap
    struct Case {
        const char* Name;
        std::int32_t Tint;              // 0x00BBGGRR
        std::uint32_t Pixel, Expected;  // 0x00RRGGBB
    };
    const Case cases[] = {
        // A light colour: white becomes the colour, black text the colour
        // less 170 per channel, not below 0.
        {"light on white", 0xC0E0FF, 0xFFFFFF, 0xFFE0C0},
        {"light on black", 0xC0E0FF, 0x000000, 0x553616},
        {"light on grey", 0xC0E0FF, 0x808080, 0xAB8C6C},  // 127 x 2 / 3 = 84 less
        // A dark colour: white becomes the colour, black turns white.
        {"dark on white", 0x800000, 0xFFFFFF, 0x000080},
        {"dark on black", 0x800000, 0x000000, 0xFFFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        for (int x = 0; x < 4; ++x)
            BitmapPixel(10 + x, 10) = c.Pixel;
        Platform::HRGN region = Platform::CreateRectRgn(10, 10, 14, 11);
        TintRegion(region, 0, c.Tint, 0, 0);
        Platform::DeleteRegion(region);
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(BitmapPixel(10 + x, 10) & 0xFFFFFF, c.Expected) << x;
    }
}

TEST_F(ViewPaintTest, OtherHighlightKindsHatchOrChequerInALighterColour) {
    Plain("x");
    Doc->UpdatePageMetrics();
    PaginateAll();
    Show(200, 200);
    Doc->PaintView(nullptr, nullptr);
    struct Case {
        int Pass;
        std::int32_t PhaseX;
        const char* Tinted;  // pixels 0..11 of the row y = 0
    };
    const Case cases[] = {
        {0, 0, "############"}, {1, 0, "##....##....##"},  // two pixels in six, diagonally
        {1, 3, "...##....##."}, {2, 0, ".#.#.#.#.#.#"},   {3, 1, "#.#.#.#.#.#."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Pass);
        for (int x = 0; x < 12; ++x)
            BitmapPixel(x, 0) = 0xFFFFFF;
        Platform::HRGN region = Platform::CreateRectRgn(0, 0, 12, 1);
        TintRegion(region, c.Pass, 0x000000, c.PhaseX, 0);
        Platform::DeleteRegion(region);
        std::string got;
        for (int x = 0; x < 12; ++x)
            got += (BitmapPixel(x, 0) & 0xFFFFFF) == 0xFFFFFF ? '.' : '#';
        EXPECT_EQ(got, std::string(c.Tinted).substr(0, 12));
    }
    // The lighter colour of the other kinds: no channel below 208.
    const std::int32_t light = HighlightTint(1);
    EXPECT_GE(light & 0xFF, 208);
    EXPECT_GE((light >> 8) & 0xFF, 208);
    EXPECT_GE((light >> 16) & 0xFF, 208);
}

int LinesPainted = 0;
void CountLine(TLine&, Platform::HDC, std::int32_t, std::int32_t) {
    ++LinesPainted;
}

TEST_F(ViewPaintTest, WithSpotlightAPartialPaintPaintsTheWholeView) {
    Plain(Lines(12));
    Plain(Lines(12));
    Doc->UpdatePageMetrics();
    PaginateAll();
    Show(1000, 700);
    LinePaintObserver = &CountLine;
    TCompoundFragment* set = NewCompoundFragment();
    set->SetSingle(0, 0, 0, 1);
    struct Case {
        bool Spotlight;
        bool Whole;
    };
    for (const Case c : {Case{false, false}, Case{true, true}}) {
        SCOPED_TRACE(c.Spotlight);
        Doc->Spotlight = c.Spotlight ? 1 : 0;
        LinesPainted = 0;
        Doc->PaintView(nullptr, nullptr);
        const int whole = LinesPainted;
        LinesPainted = 0;
        Doc->PaintView(nullptr, set);
        EXPECT_EQ(LinesPainted == whole, c.Whole) << LinesPainted << " of " << whole;
    }
    ReleaseCompoundFragment(set);
    Doc->Spotlight = 0;
}

// Paints the document again from inside the painter, once.
TDoc* NestedDoc = nullptr;
TDoc* OtherDoc = nullptr;
int LineZeroPaints = 0;
void PaintFromInside(TLine& line, Platform::HDC, std::int32_t, std::int32_t) {
    if (line.Par->Index != 0 || line.IndexInPar != 0)
        return;
    ++LineZeroPaints;
    if (LineZeroPaints == 1) {
        NestedDoc->PaintView(nullptr, nullptr);
        if (OtherDoc != nullptr)
            OtherDoc->PaintView(nullptr, nullptr);
    }
}

TEST_F(ViewPaintTest, APaintAskedForDuringAPaintIsPaintedWhenItEnds) {
    Plain(Lines(3));
    Doc->UpdatePageMetrics();
    PaginateAll();
    Show(1000, 600);
    TDoc other(true);
    NestedDoc = Doc.get();
    OtherDoc = &other;
    LineZeroPaints = 0;
    LinePaintObserver = &PaintFromInside;
    Doc->PaintView(nullptr, nullptr);
    LinePaintObserver = nullptr;
    // The nested request did not paint inside the running paint, but the
    // view was painted once more after it: nothing stale stays on screen.
    EXPECT_EQ(LineZeroPaints, 2);
    EXPECT_FALSE(ViewPaintRunning());
    EXPECT_EQ(Doc->PaintMissed, 0);
    // Another document's refused paint waits for the idle time.
    EXPECT_EQ(other.RepaintPending, 1);
    EXPECT_EQ(other.RepaintDue, 0);
    EXPECT_EQ(other.PaintMissed, 0);
    // Nothing of the paint outlives it.
    EXPECT_EQ(Doc->SelectionRgn, nullptr);
    EXPECT_EQ(Doc->ChangedRgn, nullptr);
    EXPECT_EQ(Doc->ViewClipRgn, nullptr);
}

TEST_F(ViewPaintTest, DeferredRepaintsAreDueAfterTheirDelay) {
    Doc->RequestRepaint(0);
    EXPECT_EQ(Doc->RepaintPending, 1);
    EXPECT_EQ(Doc->RepaintDue, 0);
    Doc->RepaintPending = 0;
    Doc->RequestRepaint(250);
    EXPECT_EQ(Doc->RepaintPending, 1);
    EXPECT_GE(Doc->RepaintDue, 250);
    // A suspended document does not paint at all.
    Doc->StateFlags[122] = 1;
    Doc->StateFlags[75] = 0;
    Doc->Repaint();
    EXPECT_EQ(Doc->StateFlags[75], 0);
    Doc->StateFlags[122] = 0;
}

TEST_F(ViewPaintTest, SpotlightDimsEverythingButTheSpot) {
    Plain(Lines(12));
    Doc->UpdatePageMetrics();
    PaginateAll();
    Show(1000, 700);
    Doc->Spotlight = 1;
    Doc->UpdateViewGeometry();  // room of half a screen above the text
    const TLine& first = *Doc->Par(0)->Lines->At<TLine>(0);
    Platform::TRect page;
    Doc->GetPageRect(0, page);
    Doc->ScrollPos = {0, page.Top - 100};
    const std::int32_t lineY = page.Top - Doc->ScrollPos.Y + 48 + 2;
    const std::int32_t belowY = lineY + 200;
    const std::int32_t x = page.Left + 300;

    struct Case {
        std::uint32_t Flags;
        std::uint32_t Spot, Below;  // pixels on the white page
    };
    const Case cases[] = {
        {spDim4, 0xFFFFFF, 0x555555},  // (6 - 4) x 765 / 18 = 85
        {spDim1, 0xFFFFFF, 0xD4D4D4},  // (6 - 1) x 765 / 18 = 212
        // Blur alone keeps the brightness of a plain area.
        {spBlur, 0xFFFFFF, 0xFFFFFF},
        // Neither: nothing changes.
        {0, 0xFFFFFF, 0xFFFFFF},
    };
    (void)first;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Flags);
        ViewOptions().SpotlightFlags = c.Flags;
        Doc->PaintView(nullptr, nullptr);
        EXPECT_EQ(ScreenPixel(x, lineY), c.Spot);
        EXPECT_EQ(ScreenPixel(x, belowY), c.Below);
    }
    Doc->Spotlight = 0;
}

}  // namespace
