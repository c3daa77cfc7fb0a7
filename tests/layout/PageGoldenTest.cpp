// Whole pages painted through the view and the box painter with the real
// line painter, compared with golden images (PagePaintFixture). Regenerate
// with REZ_UPDATE_GOLDEN=1 and look at them before committing.
#include <gtest/gtest.h>

#include <string>

#include "PagePaintFixture.h"

// The last table row made is a heading row (TableRowMaker.cpp).
void MarkLastTableRowAsHeading(TDoc& doc);

namespace {

// Ordinary prose, so that the images show words, spaces and wrapping.
const char* const Prose[] = {
    "The quick brown fox jumps over the lazy dog while the river runs past the old mill.",
    "Pack my box with five dozen liquor jugs, said the grocer, and write the bill in ink.",
    "Sphinx of black quartz, judge my vow: every line here wraps at the margin of its column.",
    "How vexingly quick daft zebras jump when the bells of the town ring out at noon.",
};

class PageGoldenTest : public PagePaintFixture {
protected:
    PageGoldenTest() : PagePaintFixture(12) {}
};

TEST_F(PageGoldenTest, PageWithHeaderAndFooter) {
    AddHeaderFooter(hfOddHeader, "Running head of the report");
    AddHeaderFooter(hfOddFooter, "Footer line at the bottom");
    for (const char* text : Prose)
        Plain(text);
    PaintFirstPage();
    ExpectGolden("page-header-footer");
}

// The text flows down the first column and on into the second. The line
// between the columns the section asks for is a page decoration that the
// decoration painter draws (BoxDecorationPainter); it is not part of this
// image.
TEST_F(PageGoldenTest, TwoColumnPage) {
    Section().Format.ColumnCount = 2;
    Section().Format.ColumnSpacing = 720;
    Section().Format.LineBetween = 1;
    for (int i = 0; i < 3; ++i)
        for (const char* text : Prose)
            Plain(text);
    PaintFirstPage();
    ExpectGolden("page-two-columns");
}

// A table too long for one page, with a heading row: the second page shows
// the heading again above the rows that continue there, and the row split
// at the first page's bottom goes on at the top of the second.
TEST_F(PageGoldenTest, TableContinuedWithItsHeadingRow) {
    Plain(Prose[0]);
    AddRow({"Item", "Description"}, {1800, 7200});
    MarkLastTableRowAsHeading(*Doc);
    for (int i = 0; i < 4; ++i)
        AddRow({"Row " + std::to_string(i + 1), Prose[i % 4]}, {1800, 7200});
    AddRow({"Long", std::string(Prose[1]) + " " + Prose[2] + " " + Prose[3] + " " + Prose[0]}, {1800, 7200});
    for (int i = 0; i < 3; ++i)
        AddRow({"Row " + std::to_string(i + 6), Prose[(i + 2) % 4]}, {1800, 7200});
    Plain(Prose[3]);
    Doc->UpdatePageMetrics();
    PaginateAll();
    ASSERT_GE(Doc->Pages.Count, 2);
    ShowPage(1);
    Doc->PaintView(nullptr, nullptr);
    ExpectGolden("page-table-continued-heading");
}

}  // namespace
