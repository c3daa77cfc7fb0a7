// Page decorations painted through the view with the decoration painter
// installed, compared with golden images at half size: table borders where
// a wide border meets a narrow one and gridlines, a merged cell with the
// table's handles, the line between columns with the separator above the
// footnotes, and the labels of the headers and footers being edited; and
// pixel probes of the last row's bottom border and of the anchor marker. Regenerate with REZ_UPDATE_GOLDEN=1 and look
// at the images before committing.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "TableBorderProbe.h"
#include "ViewFixture.h"
#include "layout/painting/BoxPainting.h"
#include "layout/painting/PageDecorations.h"
#include "layout/painting/TLinePainter.h"
#include "layout/selection/CaretGeometry.h"
#include "model/formats/TLine.h"
#include "model/formats/TShape.h"
#include "model/managers/TColorManager.h"
#include "support/GoldenImages.h"

namespace {

constexpr std::int32_t HalfSize = 50;

const char* const Prose[] = {
    "The quick brown fox jumps over the lazy dog while the river runs past the old mill.",
    "Pack my box with five dozen liquor jugs, said the grocer, and write the bill in ink.",
    "Sphinx of black quartz, judge my vow: every line here wraps at the margin of its column.",
    "How vexingly quick daft zebras jump when the bells of the town ring out at noon.",
};

class DecorationGoldenTest : public ViewFixture {
protected:
    void SetUp() override {
        ViewFixture::SetUp();
        Colors = std::make_unique<TColorManager>();
        LinePaintOptions() = TLinePaintOptions();
        LinePaintHooks() = TLinePaintHooks();
        DecorationOptions() = TDecorationOptions();
        InstallPageDecorations();
        SetBodyLines(12);
    }
    void TearDown() override {
        Doc->SelectedShapes.Clear();
        BoxDecorationPainter = nullptr;
        DecorationOptions() = TDecorationOptions();
        LinePaintOptions() = TLinePaintOptions();
        LinePaintHooks() = TLinePaintHooks();
        Colors.reset();
        Doc->DestroyLayout();
        ViewFixture::TearDown();
    }

    void LayOut() {
        Doc->UpdatePageMetrics();
        PaginateAll();
        Doc->SetZoom(HalfSize);
    }
    // Paints the view from the top of page `first` in a window of the
    // given height.
    void PaintFrom(std::int32_t first, std::int32_t height) {
        Show(460, height);
        Platform::TRect top, page;
        Doc->GetPageRect(0, top);
        Doc->GetPageRect(first, page);
        Doc->ScrollTo({0, page.Top - top.Top});
        Doc->PaintView(nullptr, nullptr);
    }
    void ExpectGolden(const std::string& name) {
        const std::string mismatch = TestSupport::CompareWithGolden(View.ScreenBitmap, name);
        EXPECT_TRUE(mismatch.empty()) << mismatch;
    }

    std::unique_ptr<TColorManager> Colors;
};

// A table whose first cells have 10-twip borders and whose right cells have
// 30-twip red ones: the shared edge shows the red line only. Below it a
// table without borders shows dotted gridlines.
TEST_F(DecorationGoldenTest, TableBordersAndGridlines) {
    DecorationOptions().ShowGridlines = true;
    Plain(Prose[0]);
    for (int i = 0; i < 2; ++i) {
        AddRow({"Thin", "Wide red"}, {2880, 5760});
        SetLastRowCellBorders(*Doc, 0, 10, 0x000000);
        SetLastRowCellBorders(*Doc, 1, 30, 0x0000FF);
    }
    Plain(Prose[1]);
    AddRow({"No", "borders", "here"}, {1800, 3600, 5400});
    AddRow({"only", "grid", "lines"}, {1800, 3600, 5400});
    Plain(Prose[2]);
    LayOut();
    PaintFrom(0, 185);
    ExpectGolden("decor-table-borders");
}

// Two columns with a line between them as long as the taller column's
// text, and a footnote whose separator stands above it.
TEST_F(DecorationGoldenTest, ColumnLineAndNoteSeparator) {
    Section().Format.ColumnCount = 2;
    Section().Format.ColumnSpacing = 720;
    Section().Format.LineBetween = 1;
    TPar& first = Plain(Prose[0]);
    for (int i = 1; i < 6; ++i)
        Plain(Prose[i % 4]);
    AddFootnote(first, "A note at the foot of the page.");
    LayOut();
    PaintFrom(0, 185);
    ExpectGolden("decor-columns-note-separator");
}

// Headers and footers edited in a document of two sections with different
// odd and even pages: page 0 shows "Section 1 Odd Page Header"; page 1,
// the second section's first page, shows its even header and footer, which
// it takes from the first section ("Same as Previous").
TEST_F(DecorationGoldenTest, HeaderAndFooterLabelsWhileEditing) {
    Section().PageSetup.FacingPages = 1;
    Plain(Prose[0]);
    Plain(Prose[1]);
    BreakSection(1);
    Plain(Prose[2]);
    Plain(Prose[3]);
    AddHeaderFooter(hfOddHeader, "Odd header text");
    AddHeaderFooter(hfEvenHeader, "Even header text");
    AddHeaderFooter(hfOddFooter, "Odd footer text");
    AddHeaderFooter(hfEvenFooter, "Even footer text");
    LayOut();
    ASSERT_GE(Doc->Pages.Count, 2);
    ASSERT_TRUE(Doc->BeginHeaderFooterEditing(nullptr, 1));
    PaintFrom(0, 380);
    ExpectGolden("decor-header-footer-labels");
}

// A scheme with a margin colour of its own tints the margins around the
// text area, its corners a shade apart; the text boundaries are dotted
// lines at the edges of the text area.
TEST_F(DecorationGoldenTest, MarginTintAndTextBoundaries) {
    DecorationOptions().ShowTextBoundaries = true;
    TColorScheme scheme;
    scheme.Colors[csPageMargin] = 0xF0E0D0;
    Colors->ScreenPalette->Assign(scheme);
    AddHeaderFooter(hfOddHeader, "Running head of the report");
    for (const char* text : Prose)
        Plain(text);
    LayOut();
    PaintFrom(0, 185);
    ExpectGolden("decor-margin-tint-boundaries");
}

// A heading cell merged across three grid columns above three plain
// cells, with the table under the mouse: the line between the rows runs
// across in one piece, the inner edges stop at it, the last row keeps its
// bottom border, and the move and resize handles stand in red at the
// table's corners.
TEST_F(DecorationGoldenTest, MergedCellsAndTableHandles) {
    Plain(Prose[0]);
    const std::int32_t first = AddRow({"Quarterly figures"}, {5400}).front()->Index;
    SetLastRowCellSpan(*Doc, 0, 3);
    SetLastRowCellBorders(*Doc, 0, 15, 0x000000);
    for (int i = 0; i < 2; ++i) {
        AddRow({"North", "South", "East"}, {1800, 3600, 5400});
        for (int k = 0; k < 3; ++k)
            SetLastRowCellBorders(*Doc, k, 15, 0x000000);
    }
    Plain(Prose[1]);
    LayOut();
    DecorationOptions().HotTablePar = first;
    PaintFrom(0, 185);
    ExpectGolden("decor-merged-cells-handles");
    // While an edge is dragged the handles give way.
    const std::vector<std::uint32_t> withHandles = View.Pixels();
    DecorationOptions().TableEdgeDragged = true;
    PaintFrom(0, 185);
    EXPECT_NE(View.Pixels(), withHandles);
}

// A thin border under the last row lies on the table box's bottom edge:
// it is drawn inside the box rather than cut away. Down the middle of an
// empty cell the screen shows the table's three horizontal lines.
TEST_F(DecorationGoldenTest, LastRowKeepsItsThinBottomBorder) {
    AddRow({"a", ""}, {2880, 5760});
    SetLastRowCellBorders(*Doc, 0, 2, 0x000000);
    SetLastRowCellBorders(*Doc, 1, 2, 0x000000);
    AddRow({"b", ""}, {2880, 5760});
    SetLastRowCellBorders(*Doc, 0, 2, 0x000000);
    SetLastRowCellBorders(*Doc, 1, 2, 0x000000);
    Doc->UpdatePageMetrics();
    PaginateAll();
    Doc->SetZoom(100);
    PaintFrom(0, 300);
    Platform::TRect page;
    Doc->GetPageRect(0, page);
    const std::int32_t column = page.Left - Doc->ScrollPos.X + Doc->TwipsToPixelsX(1440 + 2880 + 1440);
    ASSERT_GT(column, 0);
    ASSERT_LT(column, View.Width);
    const std::vector<std::uint32_t> pixels = View.Pixels();
    int lines = 0;
    bool inLine = false;
    for (std::int32_t row = 0; row < View.Height; ++row) {
        const std::uint32_t p = pixels[static_cast<std::size_t>(row) * View.Width + column] & 0xFFFFFF;
        const bool dark = ((p >> 16) & 0xFF) < 0x40 && ((p >> 8) & 0xFF) < 0x40 && (p & 0xFF) < 0x40;
        if (dark && !inLine)
            ++lines;
        inLine = dark;
    }
    EXPECT_EQ(lines, 3);
}

// The anchor marker of the selected shapes stands left of the first line
// of their anchor paragraph, drawn by inverting the page there; shapes of
// different anchors show none.
TEST_F(DecorationGoldenTest, AnchorMarkerOfTheSelectedShapes) {
    Plain(Prose[0]);
    TPar& anchor = Plain(Prose[1]);
    TPar& other = Plain(Prose[2]);
    LayOut();
    Doc->SetZoom(100);
    PaintFrom(0, 300);
    const std::vector<std::uint32_t> before = View.Pixels();
    TShape first(Doc.get());
    TShape second(Doc.get());
    first.AnchorPar = second.AnchorPar = &anchor;
    Doc->SelectedShapes.Add(&first);
    Doc->SelectedShapes.Add(&second);
    PaintFrom(0, 300);
    const std::vector<std::uint32_t> marked = View.Pixels();
    // The changed pixels: white turned black, within one marker's square,
    // in the left margin beside the anchor paragraph's first line.
    std::int32_t left = View.Width, top = View.Height, right = -1, bottom = -1;
    for (std::int32_t y = 0; y < View.Height; ++y)
        for (std::int32_t x = 0; x < View.Width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * View.Width + x;
            if (before[i] == marked[i])
                continue;
            EXPECT_EQ(marked[i] & 0xFFFFFF, (~before[i]) & 0xFFFFFF);
            left = std::min(left, x);
            top = std::min(top, y);
            right = std::max(right, x + 1);
            bottom = std::max(bottom, y + 1);
        }
    const std::int32_t size = DecorationOptions().AnchorMarkerSize;
    ASSERT_GE(right, 0) << "no marker painted";
    EXPECT_EQ(right - left, size);
    EXPECT_EQ(bottom - top, size);
    Platform::TRect page;
    Doc->GetPageRect(0, page);
    const std::int32_t textLeft = page.Left - Doc->ScrollPos.X + Doc->TwipsToPixelsX(1440);
    EXPECT_EQ(left, textLeft - 8 * size / 3);
    // Level with the top of the anchor paragraph's first line.
    EXPECT_EQ(top, LineViewTop(*Doc, *anchor.Lines->At<TLine>(0)) - Doc->ScrollPos.Y);

    second.AnchorPar = &other;
    PaintFrom(0, 300);
    EXPECT_EQ(View.Pixels(), before);
    Doc->SelectedShapes.Clear();
}

// Where the anchor marker goes, by the rules of its place.
TEST(AnchorMarkerTest, PlaceBesideTheLine) {
    struct Case {
        const char* name;
        TAnchorMarkerPlace place;
        Platform::TRect expected;
    };
    const Case cases[] = {
        {"eight thirds of a marker left of the line", {200, 100, false, 800, 1000, 15, {}}, {160, 100, 175, 115}},
        {"a third of a marker in a table", {200, 100, true, 800, 1000, 15, {}}, {195, 100, 210, 115}},
        {"kept inside the page", {20, 990, false, 800, 1000, 15, {}}, {0, 985, 15, 1000}},
        {"left of a shape it would cover",
         {200, 100, false, 800, 1000, 15, {{150, 90, 300, 200}}},
         {135, 100, 150, 115}},
        {"left of two shapes in turn",
         {200, 100, false, 800, 1000, 15, {{150, 90, 300, 200}, {130, 110, 149, 120}}},
         {115, 100, 130, 115}},
        {"a shape at the page edge leaves it", {30, 100, false, 800, 1000, 15, {{0, 90, 40, 200}}}, {0, 100, 15, 115}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(AnchorMarkerRect(c.place), c.expected);
    }
}

// The label's words for each kind of page.
TEST(HeaderFooterLabelTest, WordsByKindOfPage) {
    struct Case {
        THeaderFooterLabelCase c;
        const char* expected;
    };
    const Case cases[] = {
        {{false, false, false, true, 0, 2, 2}, "Section 2 Odd Page Header"},
        {{true, false, false, true, 0, 2, 2}, "Section 2 Odd Page Footer"},
        {{false, false, false, true, 3, 1, 1}, "Even Page Header"},
        {{false, false, false, false, 3, 1, 1}, "Header"},
        {{true, false, false, false, 0, 1, 1}, "Footer"},
        // A title page only where the page's first line starts the section.
        {{false, true, true, true, 1, 3, 3}, "Section 3 First Page Header"},
        {{true, true, true, false, 0, 1, 1}, "First Page Footer"},
        {{false, true, false, true, 1, 1, 1}, "Even Page Header"},
        {{false, true, false, false, 2, 1, 2}, "Section 1 Header"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.expected);
        EXPECT_EQ(HeaderFooterLabel(k.c), k.expected);
    }
}

}  // namespace
