// Editing a header or footer in place: which field of which page is edited,
// and its text laid out in the page's box only while it is.

#include <gtest/gtest.h>

#include "PageFixture.h"
#include "layout/boxes/TPage.h"
#include "model/document/StateFlags.h"
#include "model/fields/TField.h"
#include "model/formats/TLine.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationCodes.h"
#include "model/undo/TOperation.h"

namespace {

class HeaderFooterEditingTest : public PageFixture {
protected:
    // Ten lines of body text on pages of six, a title page with a header of
    // its own, and an odd-page header and footer for the pages after it.
    void SetUp() override {
        PageFixture::SetUp();
        for (int i = 0; i < 10; ++i)
            Plain("text");
        SetBodyLines(6);
        Section().PageSetup.DifferentFirstPage = 1;
        First = AddHeaderFooter(hfFirstHeader, "First");
        Odd = AddHeaderFooter(hfOddHeader, "Odd");
        Footer = AddHeaderFooter(hfOddFooter, "Foot");
        PaginateAll();
        ASSERT_GE(Doc->Pages.Count, 2);
    }

public:
    TField* First = nullptr;
    TField* Odd = nullptr;
    TField* Footer = nullptr;
};

TEST_F(HeaderFooterEditingTest, BeginEditsTheAskedFieldOrThePagesHeader) {
    struct Case {
        const char* Name;
        TField* HeaderFooterEditingTest::*Field;  // null: the page's header
        int Page;
        TField* HeaderFooterEditingTest::*Expected;
        bool Footer;
    };
    const Case cases[] = {
        {"no field: the title page's own header", nullptr, 0, &HeaderFooterEditingTest::First, false},
        {"no field on a later page: the odd header", nullptr, 1, &HeaderFooterEditingTest::Odd, false},
        {"a footer asked for by name", &HeaderFooterEditingTest::Footer, 1, &HeaderFooterEditingTest::Footer, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TField* field = c.Field != nullptr ? this->*c.Field : nullptr;
        ASSERT_TRUE(Doc->BeginHeaderFooterEditing(field, c.Page));
        EXPECT_EQ(Doc->EditedHeaderFooter, this->*c.Expected);
        EXPECT_EQ(Doc->EditedPage, c.Page);
        // The edited text is laid out in its box, and only there.
        TPage& page = PageAt(c.Page);
        TBox* edited = c.Footer ? page.FooterBox : page.HeaderBox;
        TBox* other = c.Footer ? page.HeaderBox : page.FooterBox;
        ASSERT_NE(edited, nullptr);
        EXPECT_GT(edited->CountLines(0), 0);
        if (other != nullptr) {
            EXPECT_EQ(other->CountLines(0), 0);
        }
    }
    // Moving to another page lets the previous page's box go.
    EXPECT_EQ(PageAt(1).FooterBox->CountLines(0), 1);
    ASSERT_TRUE(Doc->BeginHeaderFooterEditing(nullptr, 0));
    EXPECT_EQ(PageAt(1).FooterBox->CountLines(0), 0);
}

TEST_F(HeaderFooterEditingTest, WhatCannotBeEditedLeavesTheStateAlone) {
    struct Case {
        const char* Name;
        TField* HeaderFooterEditingTest::*Field;
        int Page;
    };
    const Case cases[] = {
        {"a page that does not exist", nullptr, 99},
        {"a negative page", nullptr, -1},
        {"a footer the title page does not show", &HeaderFooterEditingTest::Footer, 0},
        {"the title header on a later page", &HeaderFooterEditingTest::First, 1},
    };
    ASSERT_TRUE(Doc->BeginHeaderFooterEditing(Odd, 1));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TField* field = c.Field != nullptr ? this->*c.Field : nullptr;
        EXPECT_FALSE(Doc->BeginHeaderFooterEditing(field, c.Page));
        EXPECT_EQ(Doc->EditedHeaderFooter, Odd);
        EXPECT_EQ(Doc->EditedPage, 1);
    }
}

TEST_F(HeaderFooterEditingTest, ToggleEntersAndLeaves) {
    Doc->Caret = {7, 2, 0, 0};
    Doc->ToggleHeaderFooterEditing(nullptr, 1);
    EXPECT_EQ(Doc->EditedHeaderFooter, Odd);
    EXPECT_GT(PageAt(1).HeaderBox->CountLines(0), 0);
    // The caret stands at the start of the edited text.
    TFragment range;
    ASSERT_TRUE(Doc->FieldRange(Odd, range));
    EXPECT_EQ(Doc->Caret.Par, range.Start.Par);
    EXPECT_EQ(Doc->Caret.Offset, 0);
    // Moving to the footer keeps the place to return to.
    ASSERT_TRUE(Doc->BeginHeaderFooterEditing(Footer, 1));
    Doc->ToggleHeaderFooterEditing(nullptr, 1);
    EXPECT_EQ(Doc->EditedHeaderFooter, nullptr);
    EXPECT_EQ(PageAt(1).HeaderBox->CountLines(0), 0);
    EXPECT_EQ(Doc->Caret.Par, 7);
    EXPECT_EQ(Doc->Caret.Offset, 2);
}

TEST_F(HeaderFooterEditingTest, RefreshEndsEditingWhenThePageNoLongerShowsTheField) {
    ASSERT_TRUE(Doc->BeginHeaderFooterEditing(Footer, 1));
    // New pages that still show the footer: it is laid out again.
    PaginateAll();
    Doc->RefreshEditedHeaderFooter();
    EXPECT_EQ(Doc->EditedHeaderFooter, Footer);
    EXPECT_EQ(PageAt(1).FooterBox->CountLines(0), 1);
    // Without a title page the first page shows the odd header and footer;
    // editing the title header there ends.
    ASSERT_TRUE(Doc->BeginHeaderFooterEditing(First, 0));
    Section().PageSetup.DifferentFirstPage = 0;
    PaginateAll();
    Doc->RefreshEditedHeaderFooter();
    EXPECT_EQ(Doc->EditedHeaderFooter, nullptr);
    // Nor does a page that is gone keep editing alive.
    ASSERT_TRUE(Doc->BeginHeaderFooterEditing(Footer, 1));
    Doc->DiscardPages(1);
    Doc->RefreshEditedHeaderFooter();
    EXPECT_EQ(Doc->EditedHeaderFooter, nullptr);
}

TEST_F(HeaderFooterEditingTest, ToggleMakesTheMissingSlotsInOneUndoStep) {
    // Undo is kept only for documents with a window.
    Doc->StateFlags[sfHidden] = 0;
    const std::int32_t storyBefore = Doc->StoryCounts[stHeadersFooters];
    const std::int32_t fieldsBefore = Doc->Fields.Count;
    const std::int32_t undoBefore = Doc->UndoList.Count;
    Doc->ToggleHeaderFooterEditing(nullptr, 1);
    ASSERT_EQ(Doc->UndoList.Count, undoBefore + 1);
    EXPECT_EQ(Doc->UndoOperation(Doc->UndoList.Count - 1)->UndoName, unHeaderAndFooter);
    // The three slots the section lacked have fields of their own now, each
    // over one empty paragraph of the header and footer story in the style
    // of its kind; the three it had are left as they were.
    struct Case {
        int Slot;
        const char* Style;
    };
    const Case made[] = {{hfEvenHeader, "Header"}, {hfEvenFooter, "Footer"}, {hfFirstFooter, "Footer"}};
    for (const Case& c : made) {
        SCOPED_TRACE(c.Slot);
        TField* field = Section().HeadersFooters[c.Slot];
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->Kind, fkHeaderFooter);
        EXPECT_TRUE(Doc->Fields.Contains(field));
        TFragment range;
        ASSERT_TRUE(Doc->FieldRange(field, range));
        EXPECT_EQ(range.Start.Par, range.End.Par);
        EXPECT_EQ(Doc->StoryOfPar(range.Start.Par), stHeadersFooters);
        const TPar* par = Doc->Par(range.Start.Par);
        EXPECT_EQ(par->CharCount(), 1);
        const std::int32_t style = Doc->Styles->IndexOfDisplayName(c.Style);
        if (style >= 0) {
            EXPECT_EQ(par->Format.Style, style);
        }
    }
    EXPECT_EQ(Section().HeadersFooters[hfFirstHeader], First);
    EXPECT_EQ(Section().HeadersFooters[hfOddHeader], Odd);
    EXPECT_EQ(Section().HeadersFooters[hfOddFooter], Footer);
    EXPECT_EQ(Doc->StoryCounts[stHeadersFooters], storyBefore + 3);
    EXPECT_EQ(Doc->Fields.Count, fieldsBefore + 3);
    // Editing began on the page asked for, in the header it shows.
    EXPECT_EQ(Doc->EditedHeaderFooter, Odd);
    EXPECT_EQ(Doc->EditedPage, 1);
    // The old fields still cover their text.
    TFragment range;
    ASSERT_TRUE(Doc->FieldRange(Footer, range));
    EXPECT_EQ(Doc->Par(range.Start.Par)->CharCount(), 5);

    // Leaving and entering again makes nothing: every slot is filled.
    Doc->ToggleHeaderFooterEditing(nullptr, 1);
    Doc->ToggleHeaderFooterEditing(nullptr, 1);
    EXPECT_EQ(Doc->UndoList.Count, undoBefore + 1);
    Doc->ToggleHeaderFooterEditing(nullptr, 1);

    // One Undo takes all three out again.
    Doc->Undo(true);
    for (const Case& c : made) {
        SCOPED_TRACE(c.Slot);
        EXPECT_EQ(Section().HeadersFooters[c.Slot], nullptr);
    }
    EXPECT_EQ(Doc->StoryCounts[stHeadersFooters], storyBefore);
    EXPECT_EQ(Doc->Fields.Count, fieldsBefore);
    EXPECT_EQ(Section().HeadersFooters[hfOddFooter], Footer);
    ASSERT_TRUE(Doc->FieldRange(Footer, range));
    EXPECT_EQ(Doc->Par(range.Start.Par)->CharCount(), 5);
    PaginateAll();
    EXPECT_EQ(PageAt(1).FooterField, Footer);
}

class NoHeaderFooterTest : public PageFixture {};

TEST_F(NoHeaderFooterTest, ToggleOnADocumentWithoutHeadersEditsTheNewHeader) {
    for (int i = 0; i < 3; ++i)
        Plain("text");
    SetBodyLines(6);
    PaginateAll();
    ASSERT_EQ(Doc->Pages.Count, 1);
    EXPECT_EQ(PageAt(0).HeaderBox, nullptr);
    Doc->ToggleHeaderFooterEditing(nullptr, 0);
    for (int slot = 0; slot < HeaderFooterSlotCount; ++slot) {
        SCOPED_TRACE(slot);
        EXPECT_NE(Section().HeadersFooters[slot], nullptr);
    }
    // The page was laid out again with the new header and footer.
    EXPECT_EQ(Doc->EditedHeaderFooter, Section().HeadersFooters[hfOddHeader]);
    EXPECT_EQ(PageAt(0).HeaderField, Section().HeadersFooters[hfOddHeader]);
    EXPECT_EQ(PageAt(0).FooterField, Section().HeadersFooters[hfOddFooter]);
    EXPECT_EQ(PageAt(0).HeaderBox->CountLines(0), 1);
}

}  // namespace
