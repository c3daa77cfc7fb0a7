#include <gtest/gtest.h>

#include "base/graphics/TBrush.h"
#include "base/graphics/TCanvas.h"
#include "base/graphics/TServiceBitmap.h"
#include "layout/painting/PageMiniature.h"
#include "model/formats/PageSetup.h"
#include "support/GoldenImages.h"
#include "support/TestSupport.h"

namespace {

TPageSetup Letter() {
    TPageSetup setup;
    SetDefaultPageSetup(setup);
    return setup;
}

// Draws miniatures into a fresh white bitmap of the size.
template <class Draw>
void Scene(TServiceBitmap& bitmap, std::int32_t width, std::int32_t height, Draw draw) {
    bitmap.Width = width;
    bitmap.Height = height;
    bitmap.AllocateBitmap();
    bitmap.FillBox(0, 0, width, height, 0xFFFFFF);
    TCanvas canvas;
    canvas.SetHandle(bitmap.DC);
    canvas.Brush->SetColor(0xE0E0E0);
    draw(canvas);
    canvas.SetHandle(nullptr);
}

TEST(PageMiniatureTest, MirroredMarginsShowFacingPagesWithInnerMarginsFacing) {
    TestSupport::UseFixtureFonts();
    TServiceBitmap bitmap;
    TPageSetup setup = Letter();
    setup.MirrorMargins = 1;
    setup.LeftMargin = 2160;  // the inner margin, wide
    setup.RightMargin = 720;
    ValidatePageSetup(setup);
    const TPageNumberMark inside{3, 1};
    Scene(bitmap, 200, 140, [&](TCanvas& canvas) {
        PaintPageMiniature(canvas, {0, 0, 200, 140}, setup, pmFrame, pmsWholeText, &inside, nullptr);
    });
    const std::string mismatch = TestSupport::CompareWithGolden(bitmap.Bitmap, "page-miniature-facing", 0, 0);
    EXPECT_TRUE(mismatch.empty()) << mismatch;
}

TEST(PageMiniatureTest, ColumnsShowALineInEveryGap) {
    TestSupport::UseFixtureFonts();
    TServiceBitmap bitmap;
    const TPageSetup setup = Letter();
    TSectionFormat columns;
    columns.ColumnCount = 2;
    columns.LineBetween = 1;
    const TPageNumberMark centre{1, 0};
    Scene(bitmap, 240, 130, [&](TCanvas& canvas) {
        PaintPageMiniature(canvas, {0, 0, 120, 130}, setup, pmFrame, pmsWholeText, &centre, &columns);
        // From a point on: the first fifth stays greyed, the rest in columns.
        PaintPageMiniature(canvas, {120, 0, 240, 130}, setup, pmFrame, pmsFromHere, nullptr, &columns);
    });
    const std::string mismatch = TestSupport::CompareWithGolden(bitmap.Bitmap, "page-miniature-columns", 0, 0);
    EXPECT_TRUE(mismatch.empty()) << mismatch;
}

TEST(PageMiniatureTest, ScaleColumnWidthsFillsTheTextWidth) {
    const TPageSetup setup = Letter();  // text width 9360
    struct Case {
        const char* Name;
        std::int32_t Count;
        std::int32_t Equal;
        std::int32_t Widths[3];
        std::int32_t Gaps[3];
        std::int32_t Expected[3];
    };
    const Case cases[] = {
        // 8640 twips for the widths once the one inner gap is taken off; the
        // last column's gap does not count.
        {"scaled up", 2, 0, {2000, 3000, 0}, {720, 999, 0}, {3456, 5184, 0}},
        {"scaled down", 3, 0, {4000, 4000, 4000}, {360, 360, 0}, {2880, 2880, 2880}},
        {"already filling", 2, 0, {4320, 4320, 0}, {720, 0, 0}, {4320, 4320, 0}},
        {"equal columns keep theirs", 2, 1, {2000, 3000, 0}, {720, 0, 0}, {2000, 3000, 0}},
        {"one column keeps its", 1, 0, {2000, 0, 0}, {0, 0, 0}, {2000, 0, 0}},
        {"no widths to scale", 2, 0, {0, 0, 0}, {720, 0, 0}, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TSectionFormat columns;
        columns.ColumnCount = c.Count;
        columns.EqualColumns = c.Equal;
        for (int i = 0; i < 3; ++i) {
            columns.ColumnTable[i][1] = c.Widths[i];
            columns.ColumnTable[i][2] = c.Gaps[i];
        }
        ScaleColumnWidths(columns, setup);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(columns.ColumnTable[i][1], c.Expected[i]) << i;
    }
}

}  // namespace
