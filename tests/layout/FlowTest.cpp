// Flowing paragraphs into pages: which lines stay at the bottom of a page
// and which move on.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PageFixture.h"
#include "layout/boxes/TPage.h"
#include "layout/pagination/Pagination.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCharFormat.h"
#include "model/formats/TLine.h"
#include "model/paragraphs/TPar.h"

// The last table row made may not split (TableRowMaker.cpp).
void KeepLastTableRowTogether(TDoc& doc);

namespace {

class FlowTest : public PageFixture {};

// A page of six lines; `before` one-line paragraphs, then a paragraph of
// `lines` lines whose end does not fit.
TEST_F(FlowTest, WidowOrphanAndKeepTogetherDecideWhatStays) {
    struct Case {
        const char* Name;
        int Before;
        int Lines;
        bool Widow;
        bool KeepTogether;
        int Stays;  // lines of the paragraph on the first page
    };
    const Case cases[] = {
        {"two-line paragraph with widow control moves whole", 5, 2, true, false, 0},
        {"two-line paragraph without widow control splits", 5, 2, false, false, 1},
        {"five lines, the last does not fit: three stay, two move", 2, 5, true, false, 3},
        {"four lines, the last does not fit: two stay, two move", 3, 4, true, false, 2},
        {"three lines: the widow rule needs four, two stay", 4, 3, true, false, 2},
        {"keep together moves the paragraph whole", 2, 5, false, true, 0},
        {"keep together at the top of a page splits", 0, 8, false, true, 6},
        {"widow control with only the first line fitting moves whole", 5, 4, true, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TearDown();
        SetUp();
        for (int i = 0; i < c.Before; ++i)
            Plain("x");
        TPar& par = Plain(Lines(c.Lines));
        par.Format.WidowControl = c.Widow ? 1 : 0;
        par.Format.KeepTogether = c.KeepTogether ? 1 : 0;
        Plain("after");
        SetBodyLines(6);
        PaginateAll();
        const std::vector<int> perPage = LinesPerPage(par);
        ASSERT_GE(perPage.size(), 2u);
        EXPECT_EQ(perPage[0], c.Stays);
        int total = 0;
        for (int n : perPage)
            total += n;
        EXPECT_EQ(total, c.Lines);
        EXPECT_EQ(Doc->StateFlags[sfPaginationComplete], 1);
    }
}

TEST_F(FlowTest, KeepWithNextHeadingMovesWithTheFirstLineAfterIt) {
    for (int i = 0; i < 5; ++i)
        Plain("x");
    TPar& heading = Plain("Heading");
    heading.Format.KeepWithNext = 1;
    TPar& body = Plain(Lines(3));
    SetBodyLines(6);
    PaginateAll();
    EXPECT_EQ(PageOfLine(heading, 0), 1);
    EXPECT_EQ(PageOfLine(body, 0), 1);
    EXPECT_EQ(PageAt(0).CountLines(1u << stMain), 5);
}

TEST_F(FlowTest, KeepChainTallerThanAPageIsSplitAndTheFlowMovesOn) {
    // Twenty headings that all keep with the next: the chain starts at the
    // top of a page and cannot fit, so it splits like ordinary text.
    std::vector<TPar*> pars;
    for (int i = 0; i < 20; ++i) {
        TPar& p = Plain("chain");
        p.Format.KeepWithNext = 1;
        pars.push_back(&p);
    }
    Plain("end");
    SetBodyLines(6);
    PaginateAll();
    EXPECT_EQ(Doc->StateFlags[sfPaginationComplete], 1);
    EXPECT_EQ(Doc->Pages.Count, 4);
    EXPECT_EQ(PageOfLine(*pars[5], 0), 0);
    EXPECT_EQ(PageOfLine(*pars[6], 0), 1);
}

TEST_F(FlowTest, PageBreakBeforeStartsANewPageOnlyAfterMainText) {
    struct Case {
        const char* Name;
        int BreakAt;
        int ExpectedPage;
    };
    const Case cases[] = {
        {"on the second paragraph", 1, 1},
        {"on the first paragraph nothing moves", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TearDown();
        SetUp();
        TPar& a = Plain("first");
        TPar& b = Plain("second");
        TPar* pars[] = {&a, &b};
        pars[c.BreakAt]->Format.PageBreakBefore = 1;
        SetBodyLines(6);
        PaginateAll();
        EXPECT_EQ(PageOfLine(*pars[c.BreakAt], 0), c.ExpectedPage);
        EXPECT_EQ(Doc->Pages.Count, c.ExpectedPage + 1);
    }
}

TEST_F(FlowTest, AutomaticSpacingIsResolvedFromTheNeighbours) {
    struct Case {
        const char* Name;
        std::int16_t SpaceBefore;
        std::int32_t List;  // both paragraphs' list (0 none)
        std::int32_t Gap;   // second line top less the first line's height
    };
    const Case cases[] = {
        {"automatic between two ordinary paragraphs", -20, 0, 280},
        {"none", 0, 0, 0},
        {"stated 100", 100, 0, 100},
        {"automatic within one list", -20, 7, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TearDown();
        SetUp();
        TPar& a = Plain("first");
        TPar& b = Plain("second");
        a.Format.SpaceBefore = c.SpaceBefore;
        b.Format.SpaceBefore = c.SpaceBefore;
        a.Format.List = b.Format.List = c.List;
        PaginateAll();
        const TLine& first = LineOf(a, 0);
        const TLine& second = LineOf(b, 0);
        // Automatic space before is nothing at the top of the box.
        EXPECT_EQ(a.SpaceAbove, c.SpaceBefore > 0 ? c.SpaceBefore : 0);
        EXPECT_EQ(first.Top, 0);
        EXPECT_EQ(second.Top - first.Height, 0);
        EXPECT_EQ(second.Height - first.Height + static_cast<std::int32_t>(a.SpaceAbove), c.Gap);
    }
}

// A footnote stands on the page of its reference, below the body text and a
// separator; a reference whose note cannot begin on the page moves on.
TEST_F(FlowTest, FootnotesStandOnThePageOfTheirReference) {
    struct Case {
        const char* Name;
        int Before;  // one-line paragraphs before the one with the reference
        int NoteLines;
        int RefPage;        // page of the reference line
        int NoteFirstPage;  // page of the note's first line
        int NoteLastPage;   // page of its last line
    };
    const Case cases[] = {
        {"note fits below the text", 1, 1, 0, 0, 0},
        {"no room for separator and note: the reference moves", 4, 1, 1, 1, 1},
        {"a tall note at the top of a page continues on the next", 0, 8, 0, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TearDown();
        SetUp();
        for (int i = 0; i < c.Before; ++i)
            Plain("x");
        TPar& ref = Plain("reference");
        TPar& note = AddFootnote(ref, Lines(c.NoteLines));
        SetBodyLines(6);
        PaginateAll();
        EXPECT_EQ(Doc->StateFlags[sfPaginationComplete], 1);
        EXPECT_EQ(PageOfLine(ref, 0), c.RefPage);
        EXPECT_EQ(PageOfLine(note, 0), c.NoteFirstPage);
        EXPECT_EQ(PageOfLine(note, note.LineCount() - 1), c.NoteLastPage);
        const TBox* frame = LineOf(note, 0).Box->Parent;
        EXPECT_EQ(frame->Story, stFootnotes);
        EXPECT_EQ(frame->Insets.Top, NoteSeparatorHeight);
        // Footnotes sit at the bottom of the column.
        const TBox* column = frame->Parent;
        EXPECT_EQ(frame->Bounds.Bottom, column->Height() - column->Insets.Bottom);
    }
}

TEST_F(FlowTest, LineNumbersCountFromTheStartValueAndRestartAsAsked) {
    struct Case {
        const char* Name;
        std::uint8_t Restart;
        int SecondPageFirst;
    };
    const Case cases[] = {
        {"each page", 0, 1},
        {"continuous", 2, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TearDown();
        SetUp();
        std::vector<TPar*> pars;
        for (int i = 0; i < 8; ++i)
            pars.push_back(&Plain("numbered"));
        pars[2]->Format.SuppressLineNumbers = 1;
        SetBodyLines(6);
        Section().PageSetup.LineNumberStep = 1;
        Section().PageSetup.LineNumberStart = 1;
        Section().PageSetup.LineNumberRestart = c.Restart;
        PaginateAll();
        EXPECT_EQ(LineOf(*pars[0], 0).LineNumber, 1);
        EXPECT_EQ(LineOf(*pars[1], 0).LineNumber, 2);
        EXPECT_EQ(LineOf(*pars[2], 0).LineNumber, 0);
        EXPECT_EQ(LineOf(*pars[3], 0).LineNumber, 3);
        ASSERT_EQ(PageOfLine(*pars[6], 0), 1);
        EXPECT_EQ(LineOf(*pars[6], 0).LineNumber, c.SecondPageFirst);
    }
}

TEST_F(FlowTest, TableRowsStandSideBySideAsHighAsTheirTallestCell) {
    Plain("before");
    const std::vector<TPar*> row = AddRow({"A", Lines(3)}, {2000, 4000});
    TPar& after = Plain("after");
    SetBodyLines(20);
    PaginateAll();
    ASSERT_EQ(Doc->Pages.Count, 1);
    const TBox* a = LineOf(*row[0], 0).Box->Parent;
    const TBox* b = LineOf(*row[1], 0).Box->Parent;
    ASSERT_EQ(a->Parent, b->Parent);
    EXPECT_EQ(a->Parent->Flags & bxTable, bxTable);
    EXPECT_EQ(a->Bounds.Left, 1440);
    EXPECT_EQ(a->Bounds.Right, 1440 + 2000);
    EXPECT_EQ(b->Bounds.Left, 1440 + 2000);
    EXPECT_EQ(b->Bounds.Right, 1440 + 4000);
    EXPECT_EQ(a->Bounds.Top, b->Bounds.Top);
    EXPECT_EQ(a->Bounds.Bottom, b->Bounds.Bottom);
    EXPECT_EQ(b->Height(), 3 * LineHeight());
    // The text after the table stands below the row.
    const TBox* table = a->Parent;
    EXPECT_EQ(LineOf(after, 0).Box->Bounds.Top, table->Bounds.Bottom);
}

TEST_F(FlowTest, TheRowEndMarkNeverMakesARowTaller) {
    struct Case {
        const char* Name;
        std::int32_t EndSize;  // half points of the end mark, 0: as the text
        std::int16_t EndSpaceAfter;
    };
    const Case cases[] = {
        {"an end mark like the text", 0, 0},
        {"space after the end mark's paragraph", 0, 400},
        {"a 48-point end mark", 96, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TearDown();
        SetUp();
        const std::vector<TPar*> first = AddRow({"A", "B"}, {2000, 4000});
        const std::vector<TPar*> second = AddRow({"C", "D"}, {2000, 4000});
        for (TPar* end : {first.back(), second.back()}) {
            end->Format.SpaceAfter = c.EndSpaceAfter;
            if (c.EndSize != 0) {
                InsertFormatControl(end->Stream, 0, caSize, c.EndSize);
                end->Changed();
            }
        }
        TPar& after = Plain("after");
        SetBodyLines(20);
        PaginateAll();
        ASSERT_EQ(Doc->Pages.Count, 1);
        // Each row is one line of its cells high, and the next row and the
        // text after the table follow at once.
        const TBox* a = LineOf(*first[0], 0).Box->Parent;
        const TBox* c2 = LineOf(*second[0], 0).Box->Parent;
        EXPECT_EQ(a->Height(), LineHeight());
        EXPECT_EQ(c2->Bounds.Top, a->Bounds.Bottom);
        const TBox* table = a->Parent;
        EXPECT_EQ(table->Height(), 2 * LineHeight());
        EXPECT_EQ(LineOf(after, 0).Box->Bounds.Top, table->Bounds.Bottom);
        // The end mark is still placed, in its box beside the row.
        const TBox* end = LineOf(*first.back(), 0).Box->Parent;
        EXPECT_EQ(end->Flags & bxRowEnd, bxRowEnd);
        EXPECT_LE(end->Bounds.Bottom, a->Bounds.Bottom);
    }
}

TEST_F(FlowTest, TableRowsThatDoNotFitMoveAndRowsTallerThanAPageStandAlone) {
    struct Case {
        const char* Name;
        int Before;
        int CellLines;
        int RowPage;
        int LastLinePage;
        int Pages;
    };
    // Rows that may not split; a row taller than the page is split at the
    // top of the page it moved to.
    const Case cases[] = {
        {"a row below a full page moves on", 5, 2, 1, 1, 2},
        {"a row taller than the page starts a page", 1, 12, 1, 2, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TearDown();
        SetUp();
        for (int i = 0; i < c.Before; ++i)
            Plain("x");
        const std::vector<TPar*> row = AddRow({Lines(c.CellLines)}, {3000});
        KeepLastTableRowTogether(*Doc);
        TPar& after = Plain("after");
        SetBodyLines(6);
        PaginateAll();
        EXPECT_EQ(Doc->StateFlags[sfPaginationComplete], 1);
        EXPECT_EQ(PageOfLine(*row[0], 0), c.RowPage);
        EXPECT_EQ(PageOfLine(*row[0], c.CellLines - 1), c.LastLinePage);
        EXPECT_EQ(PageOfLine(after, 0), c.Pages - 1);
        EXPECT_EQ(Doc->Pages.Count, c.Pages);
    }
}

TEST_F(FlowTest, LinesTallerThanThePageStandOnTheirOwnPage) {
    Plain("small");
    TPar& big = Plain("Big", 400);  // 200 points: taller than the body
    Plain("after");
    SetBodyLines(3);
    PaginateAll();
    EXPECT_EQ(Doc->StateFlags[sfPaginationComplete], 1);
    EXPECT_EQ(PageOfLine(big, 0), 1);
    EXPECT_EQ(Doc->Pages.Count, 3);
}

TEST_F(FlowTest, APageNarrowerThanOneCharacterStillPaginates) {
    TPar& par = Plain("Words that cannot fit in any width at all");
    SetBodyLines(4);
    TPageSetup& setup = Section().PageSetup;
    setup.PageWidth = 1440;
    // Narrower than the validation of page setups allows: layout must not
    // rely on it.
    setup.LeftMargin = setup.RightMargin = 700;
    setup.TextWidth = 40;
    ASSERT_LT(setup.TextWidth, 60);
    PaginateAll();
    EXPECT_EQ(Doc->StateFlags[sfPaginationComplete], 1);
    EXPECT_GT(par.LineCount(), 4);
    EXPECT_EQ(PageOfLine(par, par.LineCount() - 1), Doc->Pages.Count - 1);
}

}  // namespace
