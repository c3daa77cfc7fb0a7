// The box tree: height requests, snapshots, the pools and the queries.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "layout/boxes/TCellBox.h"
#include "layout/boxes/TPage.h"
#include "layout/boxes/TTableBox.h"
#include "model/document/TDoc.h"
#include "model/formats/TLine.h"
#include "model/formats/TTableRow.h"
#include "model/paragraphs/TPar.h"

namespace {

class BoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        Doc = std::make_unique<TDoc>(true);
        Page = static_cast<TPage*>(TBox::Acquire(Doc.get(), bkPage));
        Page->Bounds = {0, 0, 12000, 1000};
        Page->Insets.Top = Page->Insets.Bottom = 100;
    }
    void TearDown() override {
        delete Page;
        for (TLine* line : Made)
            delete line;
        Doc.reset();
    }
    // A text box's line of paragraph par, placed at the box's content bottom.
    TLine* Place(TBox& box, std::int32_t par, std::int32_t height) {
        auto* line = new TLine;
        line->Par = Doc->Par(par);
        line->Height = height;
        line->Top = box.ContentBottom;
        box.ContentBottom += height;
        box.AddLine(line);
        Made.push_back(line);
        return line;
    }
    TBox* Band() {
        TBox* band = Page->AddChild(bkPlain, bxBand);
        band->Bounds = {0, 100, 12000, 100};
        return band;
    }

    std::unique_ptr<TDoc> Doc;
    TPage* Page = nullptr;
    std::vector<TLine*> Made;
};

TEST_F(BoxTest, APageNeverGrowsAndAForcedRequestGetsExactlyTheRest) {
    struct Case {
        const char* Name;
        std::int32_t Amount;
        bool Force;
        bool Result;
        std::int32_t Height;  // the band's height afterwards
    };
    const Case cases[] = {
        {"fits", 500, false, true, 500},
        {"all the body", 800, false, true, 800},
        {"one twip too much", 801, false, false, 0},
        {"forced: the rest", 5000, true, true, 800},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Page->ReleaseChildren();
        TBox* band = Band();
        std::int32_t granted = 0;
        EXPECT_EQ(TBox::RequestHeight(Page, band, c.Amount, c.Force, granted), c.Result);
        EXPECT_EQ(band->Height(), c.Height);
    }
}

TEST_F(BoxTest, CellsOfExactAndMinimumRowHeights) {
    struct Case {
        const char* Name;
        std::int32_t RowHeight;
        std::int32_t Line;
        std::int32_t Cell;  // the cell's height after the line asked
    };
    const Case cases[] = {
        {"exactly 300, short line", -300, 100, 300},
        {"exactly 300, tall line", -300, 500, 300},
        {"at least 300, short line", 300, 100, 300},
        {"at least 300, tall line", 300, 500, 500},
        {"automatic", 0, 100, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Page->Bounds.Bottom = 100000;
        Page->ReleaseChildren();
        TBox* band = Band();
        TBox* column = band->AddChild(bkPlain, bxColumn);
        TBox* frame = column->AddChild(bkPlain, bxFrame);
        auto* table = static_cast<TTableBox*>(frame->AddChild(bkTable, bxTable));
        auto* cell = static_cast<TCellBox*>(table->AddChild(bkCell, bxCell | bxFrame));
        TTableRow row;
        row.Data.Height = c.RowHeight;
        cell->Row = &row;
        TBox* text = cell->AddChild(bkPlain, bxText);
        std::int32_t granted = 0;
        EXPECT_TRUE(TBox::RequestHeight(cell, text, c.Line, false, granted));
        EXPECT_EQ(cell->Height(), c.Cell);
        cell->Row = nullptr;
    }
}

TEST_F(BoxTest, RestoringASnapshotPoolsNewBoxesAndCutsLines) {
    TBox* band = Band();
    TBox* text = band->AddChild(bkPlain, bxText);
    TLine* kept = Place(*text, 0, 200);
    text->Bounds.Bottom = 200;
    Page->SaveState();
    TLine* later = Place(*text, 0, 100);
    text->Bounds.Bottom = 300;
    TBox* extra = Band()->AddChild(bkPlain, bxColumn);
    const std::int32_t pooled = TBox::PooledCount(bkPlain);
    Page->RestoreState();
    EXPECT_EQ(Page->Count, 1);
    EXPECT_EQ(text->LineCount(), 1);
    EXPECT_EQ(text->Bounds.Bottom, 200);
    EXPECT_EQ(text->ContentBottom, 200);
    EXPECT_EQ(kept->Box, text);
    EXPECT_EQ(later->Box, nullptr);
    // The band made after the snapshot and its column went to the pool,
    // and come back first.
    EXPECT_EQ(TBox::PooledCount(bkPlain), pooled + 2);
    EXPECT_EQ(Page->StateDepth(), 1);
    Page->DropTopState();
    EXPECT_EQ(Page->StateDepth(), 0);
    TBox* reused = TBox::Acquire(Page, bkPlain);
    EXPECT_TRUE(reused == extra || reused == extra->Parent);
    EXPECT_EQ(reused->Story, NoStory);
    EXPECT_EQ(reused->MaxHeight, UnlimitedHeight);
    TBox::Release(reused);
}

TEST_F(BoxTest, ALineThatGoesAwayLeavesItsBoxAnEmptySlot) {
    TBox* text = Band()->AddChild(bkPlain, bxText);
    auto* line = new TLine;
    line->Par = Doc->Par(0);
    text->AddLine(line);
    delete line;
    ASSERT_EQ(text->LineCount(), 1);
    EXPECT_EQ(text->Lines->Item(0), nullptr);
    EXPECT_EQ(text->FirstLine(0), nullptr);
}

TEST_F(BoxTest, QueriesFindBodyLinesInTablesAndCountPerLayer) {
    TBox* header = Page->AddChild(bkPlain, bxFrame);
    header->Story = stHeadersFooters;
    TBox* headerText = header->AddChild(bkPlain, bxText);
    headerText->Story = stHeadersFooters;
    TLine* headerLine = Place(*headerText, 0, 100);
    TBox* band = Band();
    TBox* column = band->AddChild(bkPlain, bxColumn);
    TBox* frame = column->AddChild(bkPlain, bxFrame);
    frame->Story = stMain;
    TBox* table = frame->AddChild(bkTable, bxTable);
    table->Story = stMain;
    TBox* cell = table->AddChild(bkCell, bxCell | bxFrame);
    cell->Story = stMain;
    TBox* cellText = cell->AddChild(bkPlain, bxText);
    cellText->Story = stMain;
    TLine* body = Place(*cellText, 0, 100);
    TLine* second = Place(*cellText, 0, 100);
    second->IndexInPar = 1;
    EXPECT_EQ(Page->FirstLine(1u << stMain), body);
    EXPECT_EQ(Page->FirstLine(0), headerLine);
    EXPECT_EQ(Page->CountLines(1u << stMain), 2);
    EXPECT_EQ(Page->LineOrdinal(body), 0);
    EXPECT_EQ(Page->LineOrdinal(second), 1);
    EXPECT_EQ(Page->LineOrdinal(headerLine), 0);
    EXPECT_EQ(Page->FirstLineIndexOfPar(0), 0);
    EXPECT_EQ(Page->FirstLineIndexOfPar(5), 2147483647);
    TList* lines = Page->CollectLines(1u << stMain);
    ASSERT_EQ(lines->Count, 2);
    EXPECT_EQ(lines->Item(0), body);
    TList::Release(lines);
}

TEST_F(BoxTest, FindBoxAtPrefersTheBoxThatContainsThePointThenTheNearest) {
    // Two columns of text with a gap between them, the right one holding a
    // table cell; pixel rectangles relative to the parents.
    TBox* band = Band();
    band->PixelBounds = {0, 10, 800, 1000};
    TBox* left = band->AddChild(bkPlain, bxColumn);
    left->PixelBounds = {0, 0, 380, 990};
    TBox* leftText = left->AddChild(bkPlain, bxText);
    leftText->PixelBounds = {20, 0, 370, 500};
    Place(*leftText, 0, 100);
    TBox* right = band->AddChild(bkPlain, bxColumn);
    right->PixelBounds = {420, 0, 800, 990};
    TBox* rightText = right->AddChild(bkPlain, bxText);
    rightText->PixelBounds = {10, 0, 370, 100};
    Place(*rightText, 0, 100);
    TBox* table = right->AddChild(bkTable, bxTable);
    table->PixelBounds = {10, 100, 370, 300};
    TBox* cell = table->AddChild(bkCell, bxCell | bxFrame);
    cell->PixelBounds = {0, 0, 200, 200};
    TBox* cellText = cell->AddChild(bkPlain, bxText);
    cellText->PixelBounds = {5, 5, 195, 195};
    Place(*cellText, 0, 100);
    struct Case {
        const char* Name;
        std::int32_t X, Y;
        const TBox* Expected;
    };
    const Case cases[] = {
        {"inside the left text", 100, 100, leftText},
        {"in the gap, nearer the left column", 395, 50, leftText},
        {"in the gap, nearer the right column", 425, 50, rightText},
        {"inside a table cell", 500, 170, cellText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(TBox::FindBoxAt(Page, c.X, c.Y, 0, false), c.Expected);
    }
}

}  // namespace
