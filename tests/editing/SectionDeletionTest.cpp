// Deleting across section breaks: the headers and footers of the section
// whose break goes, and the page settings when the text's end goes.

#include <gtest/gtest.h>

#include "EditDoc.h"
#include "editing/fields/FieldIndex.h"
#include "editing/typing/TextDeletion.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "support/ModelInvariants.h"

namespace {

class SectionDeletionTest : public ::testing::Test {
protected:
    TEditingInstalled Installed;
};

// "one" / break / "two" / break / "three": three sections, the first two
// with headers of their own, the last with an odd-page header only.
struct TThreeSections {
    TEditDoc Ed{{"one", "", "two", "", "three"}};
    TSection* First = nullptr;
    TSection* Second = nullptr;
    TSection* Last = nullptr;
    TField* FirstOdd = nullptr;
    TField* FirstFooter = nullptr;
    TField* SecondOdd = nullptr;
    TField* SecondFirstPage = nullptr;
    TField* LastOdd = nullptr;

    TThreeSections() {
        TDoc& doc = Ed.Doc();
        First = &BreakSectionAt(doc, 1);
        Second = &BreakSectionAt(doc, 3);
        Last = doc.Sections.At<TSection>(2);
        FirstOdd = AddHeaderFooter(doc, *First, hfOddHeader, "head 1");
        FirstFooter = AddHeaderFooter(doc, *First, hfOddFooter, "foot 1");
        SecondOdd = AddHeaderFooter(doc, *Second, hfOddHeader, "head 2");
        SecondFirstPage = AddHeaderFooter(doc, *Second, hfFirstHeader, "first 2");
        LastOdd = AddHeaderFooter(doc, *Last, hfOddHeader, "head 3");
    }
};

TEST_F(SectionDeletionTest, HeadersOfTheVanishingSectionMoveOrGo) {
    struct Case {
        const char* Name;
        TTextPos Start;
        TTextPos End;
        std::int32_t Flags;
        std::int32_t Sections;
        const char* Headers;  // the header and footer story afterwards
        bool LastHasFooter;   // the first section's footer reached the last section
        bool LastHasFirstPage;
    };
    const Case cases[] = {
        {"within a section nothing moves",
         {0, 1},
         {0, 2},
         0,
         3,
         "<head 1> / <foot 1> / <head 2> / <first 2> / <head 3>",
         false,
         false},
        {"the second break: its first-page header moves, its odd header goes",
         {2, 1},
         {4, 1},
         0,
         2,
         "<head 1> / <foot 1> / <first 2> / <head 3>",
         false,
         true},
        {"both breaks: the start section's footer moves, the section between loses all",
         {0, 1},
         {4, 1},
         0,
         1,
         "<foot 1> / <head 3>",
         true,
         false},
        {"note texts and headers kept: the odd headers stay in the story",
         {2, 1},
         {4, 1},
         dfKeepNotesAndHeaders,
         2,
         "<head 1> / <foot 1> / <head 2> / <first 2> / <head 3>",
         false,
         true},
        {"headers staying with their sections: nothing moves or goes",
         {2, 1},
         {4, 1},
         dfHeadersStay,
         2,
         "<head 1> / <foot 1> / <head 2> / <first 2> / <head 3>",
         false,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TThreeSections three;
        TDoc& doc = three.Ed.Doc();
        const std::string before = TestSupport::DocumentBytes(doc);
        doc.PerformOperation(TDeleteTextArgs{nullptr, c.Start, c.End, c.Flags});
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
        EXPECT_EQ(doc.Sections.Count, c.Sections);
        EXPECT_EQ(three.Ed.StoryText(stHeadersFooters), c.Headers);
        TSection& last = *static_cast<TSection*>(doc.Sections.Last());
        EXPECT_EQ(&last, three.Last);
        EXPECT_EQ(last.HeadersFooters[hfOddHeader], three.LastOdd) << "the end section keeps its own header";
        EXPECT_EQ(last.HeadersFooters[hfOddFooter] == three.FirstFooter, c.LastHasFooter);
        EXPECT_EQ(last.HeadersFooters[hfFirstHeader] == three.SecondFirstPage, c.LastHasFirstPage);
        for (std::int32_t i = 0; i < doc.Sections.Count; ++i)
            for (TField* field : doc.Sections.At<TSection>(i)->HeadersFooters)
                EXPECT_TRUE(field == nullptr || doc.Fields.Contains(field)) << "a section shows a deleted header";

        doc.Undo(false);
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
        EXPECT_EQ(TestSupport::DocumentBytes(doc), before);
        ASSERT_EQ(doc.Sections.Count, 3);
        EXPECT_EQ(three.Second->HeadersFooters[hfOddHeader], three.SecondOdd);
        EXPECT_EQ(three.Second->HeadersFooters[hfFirstHeader], three.SecondFirstPage);
        EXPECT_EQ(three.Last->HeadersFooters[hfFirstHeader], nullptr);
        EXPECT_EQ(three.Ed.StoryText(stHeadersFooters), "<head 1> / <foot 1> / <head 2> / <first 2> / <head 3>");
    }
}

TEST_F(SectionDeletionTest, AHeaderSharedWithASectionThatStaysIsKept) {
    TThreeSections three;
    TDoc& doc = three.Ed.Doc();
    // The last section shows the second one's odd header too, as readers
    // leave it for sections that inherit their headers.
    three.Last->HeadersFooters[hfOddHeader] = three.SecondOdd;
    doc.PerformOperation(TDeleteTextArgs{nullptr, TTextPos{2, 1}, TTextPos{4, 1}, 0});
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    EXPECT_TRUE(doc.Fields.Contains(three.SecondOdd));
    EXPECT_EQ(three.Last->HeadersFooters[hfOddHeader], three.SecondOdd);
}

TEST_F(SectionDeletionTest, DeletingToTheTextsEndGivesTheFirstSectionsPageSettingsBack) {
    TThreeSections three;
    TDoc& doc = three.Ed.Doc();
    three.First->PageSetup.PageWidth = 16838;
    three.First->PageSetup.TextWidth =
        three.First->PageSetup.PageWidth - three.First->PageSetup.LeftMargin - three.First->PageSetup.RightMargin;
    three.First->Format.ColumnCount = 2;
    three.Last->PageSetup.PageWidth = 12240;
    const std::string before = TestSupport::DocumentBytes(doc);
    doc.PerformOperation(TDeleteTextArgs{nullptr, TTextPos{0, 1}, TTextPos{4, 5}, 0});
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    ASSERT_EQ(doc.Sections.Count, 1);
    EXPECT_EQ(three.Last->PageSetup.PageWidth, 16838);
    EXPECT_EQ(three.Last->Format.ColumnCount, 2);
    doc.Undo(false);
    EXPECT_EQ(TestSupport::DocumentBytes(doc), before);
    EXPECT_EQ(three.Last->PageSetup.PageWidth, 12240);

    // Deleting from a later section leaves the settings alone.
    doc.PerformOperation(TDeleteTextArgs{nullptr, TTextPos{2, 1}, TTextPos{4, 5}, 0});
    EXPECT_EQ(three.Last->PageSetup.PageWidth, 12240);
}

}  // namespace
