#include "PagePaintFixture.h"

#include <gtest/gtest.h>

#include "layout/painting/TLinePainter.h"
#include "support/GoldenImages.h"

namespace {

constexpr std::int32_t HalfSize = 50;
// A window just large enough for a letter page at half size.
constexpr std::int32_t PageWindowWidth = 460;
constexpr std::int32_t PageWindowHeight = 185;

}  // namespace

void PagePaintFixture::SetUp() {
    ViewFixture::SetUp();
    Colors = std::make_unique<TColorManager>();
    LinePaintOptions() = TLinePaintOptions();
    LinePaintHooks() = TLinePaintHooks();
    SetBodyLines(BodyLines);
}

void PagePaintFixture::TearDown() {
    LinePaintOptions() = TLinePaintOptions();
    LinePaintHooks() = TLinePaintHooks();
    Colors.reset();
    ViewFixture::TearDown();
}

void PagePaintFixture::ShowPage(std::int32_t index) {
    Doc->SetZoom(HalfSize);
    Show(PageWindowWidth, PageWindowHeight);
    Platform::TRect first, page;
    Doc->GetPageRect(0, first);
    Doc->GetPageRect(index, page);
    Doc->ScrollTo({0, page.Top - first.Top});
}

void PagePaintFixture::PaintFirstPage() {
    Doc->UpdatePageMetrics();
    PaginateAll();
    ShowPage(0);
    Doc->PaintView(nullptr, nullptr);
}

void PagePaintFixture::ExpectGolden(const std::string& name) {
    const std::string mismatch = TestSupport::CompareWithGolden(View.ScreenBitmap, name);
    EXPECT_TRUE(mismatch.empty()) << mismatch;
}
