// Pages of a document: how many, what each holds, and that repaginating
// from a page gives what paginating afresh gives.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "PageFixture.h"
#include "layout/boxes/TPage.h"
#include "layout/pagination/Pagination.h"
#include "model/document/StateFlags.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TLine.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"

namespace {

class PaginationTest : public PageFixture {};

TEST_F(PaginationTest, OneEmptyParagraphIsOneCompletePage) {
    PaginateAll();
    EXPECT_EQ(Doc->Pages.Count, 1);
    EXPECT_EQ(Doc->StateFlags[sfPaginationComplete], 1);
    EXPECT_EQ(PageOfLine(*Doc->Par(0), 0), 0);
    EXPECT_EQ(Doc->PrintLayoutPageCount, 1);
}

TEST_F(PaginationTest, TitlePageUsesTheFirstPageSlotsOnItsFirstPageOnly) {
    for (int i = 0; i < 10; ++i)
        Plain("text");
    SetBodyLines(6);
    Section().PageSetup.DifferentFirstPage = 1;
    TField* first = AddHeaderFooter(hfFirstHeader, "First");
    TField* odd = AddHeaderFooter(hfOddHeader, "Odd");
    TField* footer = AddHeaderFooter(hfOddFooter, "Foot");
    PaginateAll();
    ASSERT_GE(Doc->Pages.Count, 2);
    EXPECT_EQ(PageAt(0).HeaderField, first);
    EXPECT_EQ(PageAt(0).FooterField, nullptr);
    EXPECT_EQ(PageAt(1).HeaderField, odd);
    EXPECT_EQ(PageAt(1).FooterField, footer);
    // The header pushes the body below it; the frames keep their size but
    // not their lines.
    ASSERT_NE(PageAt(1).HeaderBox, nullptr);
    EXPECT_GT(PageAt(1).BodyTop(), Section().PageSetup.TopMargin);
    EXPECT_EQ(PageAt(1).HeaderBox->CountLines(0), 0);
}

TEST_F(PaginationTest, OddPageSectionBreakOnAnOddPageLeavesABlankPage) {
    Plain("first");
    SetBodyLines(6);
    BreakSection(3);
    TPar& next = Plain("next section");
    PaginateAll();
    ASSERT_EQ(Doc->Pages.Count, 3);
    EXPECT_TRUE(PageAt(1).IsEmpty());
    EXPECT_EQ(PageOfLine(next, 0), 2);
    EXPECT_EQ(Doc->StateFlags[sfPaginationComplete], 1);
}

TEST_F(PaginationTest, TwoColumnsBeforeAContinuousBreakAreBalanced) {
    SetBodyLines(20);
    for (int i = 0; i < 10; ++i)
        Plain("col");
    TSection& columns = BreakSection(0);
    columns.Format.ColumnCount = 2;
    TPar& after = Plain("after");
    PaginateAll();
    ASSERT_EQ(Doc->Pages.Count, 1);
    const TBox& band = *PageAt(0).Child(0);
    ASSERT_EQ(band.Count, 2);
    EXPECT_EQ(band.Child(0)->CountLines(0), 5);
    // The second column holds the other five and the section break.
    EXPECT_EQ(band.Child(1)->CountLines(0), 6);
    // The text after the break stands below the balanced band.
    EXPECT_EQ(PageOfLine(after, 0), 0);
    EXPECT_GE(LineOf(after, 0).Box->ToPageCoords({0, 0}).Y, band.Bounds.Bottom);
}

TEST_F(PaginationTest, PaginateFromAPageRebuildsOnlyUntilTheAskedPage) {
    SetBodyLines(6);
    for (int i = 0; i < 60; ++i)
        Plain("text");
    PaginateAll();
    ASSERT_EQ(Doc->Pages.Count, 10);
    TPage* kept = &PageAt(2);
    Doc->Paginate(3, 5);
    EXPECT_EQ(Doc->Pages.Count, 6);
    EXPECT_EQ(&PageAt(2), kept);
    EXPECT_EQ(Doc->StateFlags[sfPaginationComplete], 0);
    EXPECT_EQ(PageOfLine(*Doc->Par(59), 0), -1);
    Doc->PaginateAll();
    EXPECT_EQ(Doc->Pages.Count, 10);
    EXPECT_EQ(Doc->StateFlags[sfPaginationComplete], 1);
}

TEST_F(PaginationTest, BackgroundPaginationRunsInSlicesAndStopsAtItsLimit) {
    struct Case {
        const char* Name;
        int Pages;  // one paragraph a page
        int Slices;
        int PagesBuilt;
        bool Complete;
    };
    const Case cases[] = {
        {"ten pages in two slices", 10, 2, 10, true},
        {"a long document stops at the limit", 1010, 167, 1000, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TearDown();
        SetUp();
        SetBodyLines(1);
        for (int i = 0; i < c.Pages; ++i)
            Plain("page");
        int slices = 0;
        while (TLayoutClient::PaginateSlice(*Doc) && slices < 1000)
            ++slices;
        EXPECT_EQ(slices + 1, c.Slices);
        EXPECT_EQ(Doc->Pages.Count, c.PagesBuilt);
        EXPECT_EQ(Doc->StateFlags[sfPaginationComplete], c.Complete ? 1 : 0);
        EXPECT_EQ(Doc->StateFlags[sfBackgroundLimit], c.Complete ? 0 : 1);
        // On demand there is no limit.
        Doc->PaginateAll();
        EXPECT_EQ(Doc->Pages.Count, c.Pages);
    }
}

TEST_F(PaginationTest, ReformatInPlaceKeepsThePagesOnlyWhenTheLinesKeepTheirHeights) {
    struct Case {
        const char* Name;
        const char* Replacement;  // for the paragraph's text, same stream layout
        bool InPlace;
    };
    const Case cases[] = {
        {"a letter changed", "Some text", true},
        {"a line longer", "Wide text that runs well past the right edge of a narrow page", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TearDown();
        SetUp();
        SetBodyLines(6);
        for (int i = 0; i < 20; ++i)
            Plain("some text");
        Section().PageSetup.PageWidth = 1440 * 3 + 1440;
        Section().PageSetup.TextWidth = 1440 * 2;
        PaginateAll();
        ASSERT_EQ(Doc->Pages.Count, 4);
        const std::string before = Layout();
        TPar& par = *Doc->Par(13);
        // The text is rewritten in place: the stream keeps its controls.
        const std::string text = c.Replacement;
        const std::int32_t textStart = par.Stream.Size - FormatControlSize - 9;
        par.Stream.SetSize(textStart);
        par.Chars.SetSize(0);
        for (char ch : text) {
            par.Stream.AppendByte(static_cast<std::uint8_t>(ch));
            par.Chars.AppendByte(static_cast<std::uint8_t>(ch));
        }
        AppendFormatControl(par.Stream, fcSpecialChar, chParEnd);
        par.Chars.AppendByte(chParEnd);
        par.Flags &= static_cast<std::uint16_t>(~pfNormalized);
        Doc->ReformatPar(13);
        if (c.InPlace) {
            EXPECT_EQ(Layout(), before);
            EXPECT_EQ(Doc->Pages.Count, 4);
            EXPECT_EQ(PageOfLine(par, 0), 2);
        } else {
            // The pages from the paragraph's page on are gone; pagination
            // places its new lines.
            EXPECT_EQ(Doc->Pages.Count, 2);
            EXPECT_EQ(PageOfLine(par, 0), -1);
            PaginateAll();
            EXPECT_EQ(PageOfLine(par, 0), 2);
        }
    }
}

// Random edits through the document's operations: after each, the pages
// repaginated from the changed page on equal those of a fresh pagination.
TEST_F(PaginationTest, IncrementalRepaginationEqualsFullPagination) {
    Doc->StateFlags[sfHidden] = 0;
    std::mt19937 random(1234);
    SetBodyLines(8);
    for (int i = 0; i < 40; ++i) {
        TPar& par = Plain(i % 7 == 3 ? Lines(1 + i % 5) : std::string(10 + (i * 37) % 200, 'a' + i % 26));
        par.Format.WidowControl = i % 3 == 0 ? 1 : 0;
        par.Format.KeepWithNext = i % 11 == 5 ? 1 : 0;
        par.Format.KeepTogether = i % 13 == 7 ? 1 : 0;
        par.Format.SpaceBefore = static_cast<std::int16_t>(i % 4 == 1 ? -20 : 0);
        par.Format.PageBreakBefore = i % 17 == 9 ? 1 : 0;
        for (int k = 0; k < 6; ++k)
            AppendText(par, " word");
        if (i % 10 == 4)
            AddRow({"cell one", Lines(2 + i % 3), "three"}, {2000, 4000, 6000});
    }
    PaginateAll();
    for (int step = 0; step < 300; ++step) {
        SCOPED_TRACE(step);
        const std::int32_t parCount = Doc->StoryCounts[stMain];
        std::int32_t p = static_cast<std::int32_t>(random() % parCount);
        // The row-end mark takes no typing, as in the program.
        while (Doc->Par(p)->Chars.Data[Doc->Par(p)->CharCount() - 1] == chRowEnd)
            p = (p + 1) % parCount;
        const std::int32_t len = Doc->Par(p)->CharCount();
        const std::int32_t offset = static_cast<std::int32_t>(random() % len);
        Doc->Caret = {p, offset};
        Doc->Selection->SetSingle(p, offset, p, offset);
        const int kind = static_cast<int>(random() % 4);
        if (kind <= 1) {
            TMemory text;
            text.AssignString(kind == 0 ? "typed " : "more words that wrap a line or two onwards ");
            Doc->PerformOperation(TInsertTextArgs{&text, 0});
        } else if (kind == 2 && offset + 3 < len) {
            Doc->PerformOperation(TDeleteTextArgs{nullptr, {p, offset}, {p, offset + 3}, 0});
        } else {
            TMemory text;
            text.AssignString("\r");
            Doc->PerformOperation(TInsertTextArgs{&text, 0});
        }
        Doc->PaginateAll();
        const std::string incremental = Layout();
        Doc->DestroyLayout();
        PaginateAll();
        const std::string full = Layout();
        ASSERT_EQ(incremental, full);
    }
}

TEST_F(PaginationTest, MirroredMarginsSwapSidesOnEvenNumberedPages) {
    struct Case {
        const char* Name;
        std::uint8_t Mirror;
        std::int32_t Columns;
    };
    const Case cases[] = {
        {"plain margins stay put", 0, 1},
        {"mirrored, one column", 1, 1},
        {"mirrored, two columns: the outer columns take the margins", 1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TearDown();
        SetUp();
        for (int i = 0; i < 30; ++i)
            Plain("text");
        SetBodyLines(6);
        TPageSetup& setup = Section().PageSetup;
        setup.LeftMargin = 2000;
        setup.RightMargin = 800;
        setup.MirrorMargins = c.Mirror;
        ValidatePageSetup(setup);
        Section().Format.ColumnCount = c.Columns;
        AddHeaderFooter(hfOddHeader, "Head");
        PaginateAll();
        ASSERT_GE(Doc->Pages.Count, 3);
        for (int index = 0; index < 3; ++index) {
            SCOPED_TRACE(index);
            const bool swapped = c.Mirror != 0 && index % 2 == 1;
            const std::int32_t left = swapped ? 800 : 2000;
            const std::int32_t right = swapped ? 2000 : 800;
            TPage& page = PageAt(index);
            ASSERT_NE(page.HeaderBox, nullptr);
            EXPECT_EQ(page.HeaderBox->Insets.Left, left);
            EXPECT_EQ(page.HeaderBox->Insets.Right, right);
            TBox* band = nullptr;
            for (std::int32_t i = 0; i < page.Count && band == nullptr; ++i)
                if ((page.Child(i)->Flags & bxBand) != 0)
                    band = page.Child(i);
            ASSERT_NE(band, nullptr);
            ASSERT_EQ(band->Count, c.Columns);
            TBox* first = band->Child(0);
            TBox* last = band->Child(band->Count - 1);
            EXPECT_EQ(first->Bounds.Left + first->Insets.Left, left);
            EXPECT_EQ(band->Width() - last->Bounds.Right + last->Insets.Right, right);
            // The text keeps its width on every page.
            std::int32_t inner = 0;
            for (std::int32_t i = 0; i < band->Count; ++i)
                inner += band->Child(i)->Width() - band->Child(i)->Insets.Left - band->Child(i)->Insets.Right;
            EXPECT_LE(inner, setup.TextWidth);
            EXPECT_GT(inner, setup.TextWidth - 1000);
        }
    }
}

}  // namespace
