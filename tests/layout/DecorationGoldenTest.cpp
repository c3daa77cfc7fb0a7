// Page decorations painted through the view with the decoration painter
// installed, compared with golden images at half size: table borders where
// a wide border meets a narrow one and gridlines, the line between columns
// with the separator above the footnotes, and the labels of the headers
// and footers being edited. Regenerate with REZ_UPDATE_GOLDEN=1 and look at
// the images before committing.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "TableBorderProbe.h"
#include "ViewFixture.h"
#include "layout/painting/BoxPainting.h"
#include "layout/painting/PageDecorations.h"
#include "layout/painting/TLinePainter.h"
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
