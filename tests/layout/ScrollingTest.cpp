// Keeping the caret and the selection in view: the placement rules with
// plain numbers, then the caret of a laid-out document scrolled in each
// mode, with context, beside a drop cap, and after an operation.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "ViewFixture.h"
#include "base/core/ObjectHandles.h"
#include "layout/selection/CaretMoves.h"
#include "layout/selection/ScrollPlacement.h"
#include "layout/selection/SelectionClient.h"
#include "model/document/StateFlags.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TLine.h"
#include "model/undo/OperationArgs.h"

namespace {

TEST(PlaceRectInView, FollowsTheModesAndClampsToTheView) {
    struct Case {
        const char* name;
        Platform::TRect rect;
        int mode;
        TViewPoint pos;  // the scroll position before
        bool margin, context;
        std::int32_t bar;
        TViewPoint want;
    };
    // A 400 x 300 window over a view 1000 x 2000 pixels, scrolled to y 1000.
    const TViewPoint at{0, 1000};
    const Case cases[] = {
        {"inside stays", {10, 1100, 20, 1120}, spPlain, at, true, false, 0, {0, 1000}},
        {"below: its bottom at the window's", {10, 1350, 20, 1370}, spPlain, at, true, false, 0, {0, 1070}},
        {"above: its top at the window's", {10, 900, 20, 920}, spPlain, at, true, false, 0, {0, 900}},
        {"taller than the window: its top", {10, 1200, 20, 1600}, spPlain, at, true, false, 0, {0, 1200}},
        {"centre: below the middle moves up to it", {10, 1190, 20, 1200}, spCentre, at, true, false, 0, {0, 1050}},
        {"centre: the upper half stays", {10, 1050, 20, 1070}, spCentre, at, true, false, 0, {0, 1000}},
        {"centre: above shows at the top", {10, 800, 20, 820}, spCentre, at, true, false, 0, {0, 800}},
        {"near the top: 5 % or its own height", {10, 1100, 20, 1120}, spNearTop, at, true, false, 0, {0, 1100}},
        {"right of the window", {450, 1100, 470, 1120}, spPlain, at, true, false, 0, {70, 1000}},
        {"right, with a fifth as margin", {450, 1100, 470, 1120}, spMargin, at, true, false, 0, {150, 1000}},
        {"right, no margin at text-width zoom", {450, 1100, 470, 1120}, spMargin, at, false, false, 0, {70, 1000}},
        {"left, with a fifth as margin", {100, 1100, 120, 1120}, spMargin, {200, 1000}, true, false, 0, {20, 1000}},
        {"wider than the window: its left", {150, 1100, 600, 1120}, spPlain, {100, 1000}, true, false, 0, {150, 1000}},
        // (300 - 20) / 3 = 93 further in the direction of the move.
        {"context: down a further third", {10, 1350, 20, 1370}, spPlain, at, true, true, 0, {0, 1163}},
        {"context: up a further third", {10, 900, 20, 920}, spPlain, at, true, true, 0, {0, 807}},
        {"context: never past the view's end", {10, 1980, 20, 2000}, spPlain, {0, 1600}, true, true, 0, {0, 1700}},
        {"a bar over the top hides the first rows", {10, 1010, 20, 1030}, spPlain, at, true, false, 30, {0, 980}},
        {"never above the view's top", {10, -50, 20, -30}, spPlain, at, true, false, 0, {0, 0}},
        // The horizontal position is only limited on the right.
        {"left of the view's edge stays", {-30, 1100, -10, 1120}, spPlain, at, true, false, 0, {-30, 1000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TScrollFrame frame;
        frame.Pos = c.pos;
        frame.Width = 400;
        frame.Height = 300;
        frame.Extent = {1000, 2000};
        frame.HorizontalMargin = c.margin;
        frame.Context = c.context;
        frame.BarCover = c.bar;
        const TViewPoint got = PlaceRectInView(c.rect, c.mode, frame);
        EXPECT_EQ(got.X, c.want.X);
        EXPECT_EQ(got.Y, c.want.Y);
    }
}

class ScrollingTest : public ViewFixture {
protected:
    void SetUp() override {
        ViewFixture::SetUp();
        SetBodyLines(10);
    }
    void TearDown() override {
        CaretScrollOptions() = TCaretScrollOptions{};
        SetSelectionHooks(TSelectionHooks{});
        ViewFixture::TearDown();
    }
    void MakeDoc(int paragraphs, int lines) {
        Fill(paragraphs, lines);
        Show(600, 400);
        Doc->MoveCaretTo(0, 0, 4, 0);
    }
    Platform::TRect CaretBox() const {
        Platform::TRect r;
        Doc->CaretRect(r);
        return r;
    }
};

TEST_F(ScrollingTest, TheCaretScrollsIntoViewInEachMode) {
    MakeDoc(30, 5);
    ASSERT_EQ(Doc->ScrollPos.Y, 0);
    // Plain: a caret far below ends up at the window's bottom, with the
    // four pixels of room below it.
    Doc->MoveCaretTo(12, 0, 4, 0);
    const Platform::TRect box = CaretBox();
    EXPECT_EQ(Doc->ScrollPos.Y + 400, box.Bottom + 4);
    EXPECT_TRUE(Doc->IsCaretVisible());
    // Centre: the bottom moves up to the middle; a second call keeps it.
    Doc->ScrollCaretIntoView(spCentre);
    EXPECT_EQ(Doc->ScrollPos.Y + 200, box.Bottom + 4);
    const std::int32_t centred = Doc->ScrollPos.Y;
    Doc->ScrollCaretIntoView(spCentre);
    EXPECT_EQ(Doc->ScrollPos.Y, centred);
    // Plain: the caret shows, so nothing moves.
    Doc->ScrollCaretIntoView(spPlain);
    EXPECT_EQ(Doc->ScrollPos.Y, centred);
    // At the bottom: the caret box's bottom is the window's.
    Doc->ScrollCaretIntoView(spAtBottom);
    EXPECT_EQ(Doc->ScrollPos.Y + 400, box.Bottom);
    // Near the top: the caret's line close under the window's top.
    Doc->ScrollCaretIntoView(spNearTop);
    EXPECT_GE(box.Top, Doc->ScrollPos.Y);
    EXPECT_LT(box.Top, Doc->ScrollPos.Y + 400 / 5);
}

TEST_F(ScrollingTest, ArrowKeysScrollAFurtherThirdWithContext) {
    MakeDoc(30, 5);
    constexpr std::int32_t vkUp = 38, vkDown = 40, vkPageDown = 34;
    // The caret moved by a key from a view scrolled to fromY to a paragraph
    // out of view; the scroll position after.
    auto scrollAfter = [&](bool context, std::int32_t fromY, std::int32_t par, std::int32_t key) {
        CaretScrollOptions().ScrollWithContext = context;
        Doc->ScrollTo({0, fromY});
        TTextPos pos;
        MakeTextPos(par, 0, pos);
        pos.Line = 0;
        Doc->MoveCaret(pos, 1, key);
        return Doc->ScrollPos.Y;
    };
    const std::int32_t plainDown = scrollAfter(false, 0, 12, vkDown);
    const std::int32_t contextDown = scrollAfter(true, 0, 12, vkDown);
    // A third of what the window shows beside the rectangle kept in view:
    // the caret box with its room below, and the line above it, which may
    // make the rectangle up to a caret height taller.
    const Platform::TRect box = CaretBox();
    const std::int32_t third = (400 - (box.Bottom + 4 - box.Top)) / 3;
    EXPECT_GT(plainDown, 0);
    EXPECT_LE(contextDown - plainDown, third);
    EXPECT_GE(contextDown - plainDown, third - Doc->CaretHeight / 3 - 1);
    const std::int32_t far = Doc->ViewExtent.Y;
    const std::int32_t plainUp = scrollAfter(false, far, 8, vkUp);
    const std::int32_t contextUp = scrollAfter(true, far, 8, vkUp);
    EXPECT_GT(plainUp, third);
    EXPECT_LE(plainUp - contextUp, third);
    EXPECT_GE(plainUp - contextUp, third - Doc->CaretHeight / 3 - 1);
    // Other keys, and the option off, scroll no further than needed.
    EXPECT_EQ(scrollAfter(true, 0, 12, vkPageDown), plainDown);
}

TEST_F(ScrollingTest, TheCaretAfterADropCapStandsBesideIt) {
    TPar& par = Plain("");
    auto* field = new TField;
    field->Kind = fkDropCap;
    Doc->Fields.Add(field);
    par.Stream.Clear();
    par.Chars.Clear();
    AppendAttr(par, caFont, Times());
    AppendAttr(par, caSize, 72);
    AppendFormatControl(par.Stream, fcFieldStart, static_cast<std::int32_t>(ObjectHandle(field)));
    AppendText(par, "W");
    AppendFormatControl(par.Stream, fcFieldEnd, static_cast<std::int32_t>(ObjectHandle(field)));
    AppendAttr(par, caSize, 24);
    AppendText(par, " words beside the cap and more words that wrap beside it for a line or two");
    CloseParagraph(par);
    par.Flags &= static_cast<std::uint16_t>(~pfNormalized);
    par.Normalize();
    Doc->UpdatePageMetrics();
    PaginateAll();
    Show(600, 400);
    ASSERT_GE(par.LineCount(), 2);
    const TLine& cap = *par.Lines->At<TLine>(0);
    ASSERT_NE(cap.Flags & lfDropCap, 0u);
    const std::int32_t afterCap = cap.FirstChar + cap.CharCount;
    struct Case {
        const char* name;
        std::int32_t offset;
        bool onCapLine;  // located on the cap's line, as the line before prefers
        std::int32_t wantLine;
    };
    const Case cases[] = {
        {"before the cap", 0, true, 0},
        {"just after the cap", afterCap, true, 1},
        {"inside the text beside it", afterCap + 3, false, 1},
    };
    Doc->MoveCaretTo(0, afterCap + 3, 4, 1);
    const std::int32_t besideY = Doc->CaretY;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TTextPos pos;
        MakeTextPos(0, c.offset, pos);
        pos.Line = 0;
        Doc->LocatePos(pos, false);
        if (c.onCapLine)
            pos.Line = 0;
        Doc->SetCaret(pos, 4);
        EXPECT_EQ(Doc->Caret.Line, c.wantLine);
        if (c.wantLine == 1) {
            // On the first line beside the cap: right of it, at that
            // line's height.
            EXPECT_EQ(Doc->CaretY, besideY);
            const TLine& beside = *par.Lines->At<TLine>(1);
            EXPECT_GE(Doc->CaretX + Doc->CaretXOffset, Doc->CaretX);
            EXPECT_EQ(Doc->Caret.Offset, c.offset);
            EXPECT_GE(c.offset, beside.FirstChar);
        }
    }
}

TEST_F(ScrollingTest, VisibilityTestsAndShowingMoreOfTheSelection) {
    MakeDoc(30, 5);
    TFragment top{{0, 0}, {0, 4}}, far{{20, 0}, {20, 4}};
    EXPECT_TRUE(Doc->IsRangeOnScreen(top));
    EXPECT_FALSE(Doc->IsRangeOnScreen(far));
    Doc->SetSelection(0, 0, 0, 4, 0);
    EXPECT_TRUE(Doc->IsSelectionWhollyOnScreen());
    EXPECT_FALSE(Doc->IsSelectionOffScreen());
    Doc->SetSelection(20, 0, 4, 4, 20);
    Doc->SetSelection(0, 0, 4, 4, 0);  // two ranges: one shows, one does not
    ASSERT_EQ(Doc->Selection->Count(), 2);
    EXPECT_FALSE(Doc->IsSelectionWhollyOnScreen());
    EXPECT_FALSE(Doc->IsSelectionOffScreen());
    // Showing more of the selection goes to the range below the window and
    // puts the caret back where it was.
    const TTextPos caret = Doc->Caret;
    Doc->ScrollSelectionIntoView();
    EXPECT_TRUE(Doc->IsRangeOnScreen(far));
    EXPECT_EQ(Doc->Caret.Par, caret.Par);
    EXPECT_EQ(Doc->Caret.Offset, caret.Offset);
}

TEST_F(ScrollingTest, OperationsLocateAndShowTheCaretThroughTheClient) {
    MakeDoc(30, 5);
    // Operations of a hidden document keep no history and leave the
    // caret alone; this one stands for a shown one.
    Doc->StateFlags[sfHidden] = 0;
    const std::int32_t p = 20;
    auto typeAt = [&](std::int32_t offset) {
        Doc->Caret = {p, offset};
        Doc->Caret.Line = UnlocatedLine;
        Doc->Selection->SetSingle(p, offset, p, offset);
        TMemory text;
        text.AssignString("typed ");
        Doc->PerformOperation(TInsertTextArgs{&text, 0});
    };
    // Without the selection room's hooks the client stays silent: the view
    // stays where it was.
    typeAt(2);
    EXPECT_EQ(Doc->ScrollPos.Y, 0);
    InstallSelectionClient();
    typeAt(2);
    EXPECT_EQ(Doc->Caret.Par, p);
    EXPECT_EQ(Doc->Caret.Offset, 8);
    ASSERT_NE(Doc->Caret.Line, UnlocatedLine);
    EXPECT_GT(Doc->ScrollPos.Y, 0);
    EXPECT_TRUE(Doc->IsCaretVisible());
    // The caret's box is where placing the caret directly puts it.
    const std::int32_t x = Doc->CaretX, y = Doc->CaretY;
    Doc->MoveCaretTo(p, 8, 4, Doc->Caret.Line);
    EXPECT_EQ(Doc->CaretX, x);
    EXPECT_EQ(Doc->CaretY, y);
    Doc->StateFlags[sfHidden] = 1;
}

}  // namespace
