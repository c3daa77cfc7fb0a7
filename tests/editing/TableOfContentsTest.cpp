#include "editing/references/TableOfContents.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditDoc.h"
#include "ReferencesDoc.h"
#include "editing/fields/Bookmarks.h"
#include "editing/references/GeneratedText.h"
#include "model/document/TDoc.h"
#include "model/fields/FieldInstructions.h"
#include "model/fields/TField.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "platform/CodePages.h"
#include "support/ModelInvariants.h"
#include "support/TestSupport.h"

namespace {

std::string Narrow(const std::u16string& text) {
    return Platform::Utf16ToUtf8(text);
}

class TableOfContentsTest : public ::testing::Test {
protected:
    TEditingInstalled Installed;
};

TEST(TocInstructionTest, ReadsWhatItWritesAndDefaultsTheRest) {
    struct Case {
        const char16_t* Instruction;
        std::uint8_t PageNumbers;
        std::uint8_t RightAligned;
        std::uint8_t Leader;
        std::int32_t Levels;
        const char* Title;
    };
    const Case cases[] = {
        {u"TOC", 1, 0, 0, 3, ""},
        {u"TOC \\h \\o \"1-5\" \\r2", 1, 1, 1, 5, ""},
        {u"TOC \\o \"1-9\" \\n", 0, 0, 0, 9, ""},
        {u"TOC \\o \"2-4\"", 1, 0, 0, 3, ""},  // a range not from level 1 is passed over
        {u"TOC \\o \"1-0\"", 1, 0, 0, 1, ""},  // clamped
        {u"TOC \\p \" \" \\e \"Contents \\\"A\\\"\"", 1, 0, 0, 3, "Contents \"A\""},
        {u"TOC \\r12 \\z \\t \"x,1\"", 1, 0, 0, 3, ""},  // a long \r token is no switch
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.Instruction));
        const TGenerateTocOptions o = ParseTocInstruction(c.Instruction);
        EXPECT_EQ(o.PageNumbers, c.PageNumbers);
        EXPECT_EQ(o.RightAligned, c.RightAligned);
        EXPECT_EQ(o.Leader, c.Leader);
        EXPECT_EQ(o.Levels, c.Levels);
        EXPECT_EQ(Narrow(o.Title), c.Title);
        // Written again and read back, the options stay.
        const TGenerateTocOptions again = ParseTocInstruction(BuildTocInstruction(o));
        EXPECT_EQ(again.PageNumbers, o.PageNumbers);
        EXPECT_EQ(again.RightAligned, o.RightAligned && o.PageNumbers);
        EXPECT_EQ(again.Levels, o.Levels);
        EXPECT_EQ(again.Title, o.Title);
    }
}

// Three levels of headings over four pages: one entry per heading in the
// level's style, each a link to the heading's bookmark, and after the
// chained update each PAGEREF shows the page the layout put the heading on.
TEST_F(TableOfContentsTest, ThreeLevelsWithPagesFromTheLayout) {
    TReferencesDoc fixture;
    TDoc& doc = fixture.Doc();
    fixture.Add("Contents go here");
    fixture.Heading("Chapter One", 1);
    fixture.Add("Body text of the first chapter.");
    fixture.Heading("Part\tA", 2, true);
    fixture.Heading("Detail", 3, true);
    fixture.Heading("Too deep", 4);
    fixture.Heading("Chapter Two", 1, true);
    fixture.Add("The end.");
    fixture.Ready(0);

    TGenerateTocOptions options;
    options.RightAligned = 1;
    options.Leader = 1;
    doc.PerformOperation(TInsertTOCArgs{nullptr, &options});
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");

    const std::vector<std::string> texts = fixture.Texts();
    ASSERT_GE(texts.size(), 5u);
    struct Expected {
        const char* Text;
        const char* Style;
        const char* Heading;
    };
    const Expected expected[] = {
        {"Chapter One", "TOC 1", "Chapter One"},
        {"Part A", "TOC 2", "Part\tA"},  // the heading's tab is a blank in its entry
        {"Detail", "TOC 3", "Detail"},
        {"Chapter Two", "TOC 1", "Chapter Two"},
    };
    const std::vector<TField*> links = fixture.FieldsOfType(ftHyperlink);
    const std::vector<TField*> refs = fixture.FieldsOfType(ftPageRef);
    ASSERT_EQ(links.size(), 4u);
    ASSERT_EQ(refs.size(), 4u);
    for (std::int32_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(expected[i].Text);
        const std::string& text = texts[i];
        const std::size_t tab = text.find('\t');
        ASSERT_NE(tab, std::string::npos);
        EXPECT_EQ(text.substr(0, tab), expected[i].Text);
        EXPECT_EQ(fixture.StyleName(i), expected[i].Style);

        std::u16string target, bookmarkName;
        ParseHyperlinkCode(links[i]->Instruction, target, bookmarkName, nullptr);
        EXPECT_TRUE(target.empty());
        EXPECT_EQ(refs[i]->Instruction, u"PAGEREF " + bookmarkName);
        TField* bookmark = FindBookmark(doc, Platform::WideToBytes(1252, bookmarkName));
        ASSERT_NE(bookmark, nullptr);
        TFragment range;
        ASSERT_TRUE(doc.FieldRange(bookmark, range));
        EXPECT_EQ(texts[range.Start.Par], expected[i].Heading);
        // The number after the tab is the page the heading is laid out on.
        const std::int32_t page = PageOfPosition(doc, range.Start);
        ASSERT_GE(page, 0);
        EXPECT_EQ(text.substr(tab + 1), std::to_string(page + 1));
    }
    // The pages are those of the page breaks: one heading per page.
    EXPECT_EQ(texts[1].substr(texts[1].find('\t') + 1), "2");
    EXPECT_EQ(texts[3].substr(texts[3].find('\t') + 1), "4");
    // The table ends in an empty paragraph above the text that was there.
    EXPECT_EQ(texts[4], "");
    EXPECT_EQ(texts[5], "Contents go here");

    const std::vector<TField*> tocs = fixture.FieldsOfType(ftToc);
    ASSERT_EQ(tocs.size(), 1u);
    EXPECT_EQ(tocs[0]->Instruction, u"TOC \\h \\o \"1-3\" \\r2");
    EXPECT_TRUE(BookmarkExists(doc, "_Table_Of_Contents"));
    EXPECT_EQ(doc.Caret.Par, 3);
}

TEST_F(TableOfContentsTest, EntryTextAndBookmarks) {
    TReferencesDoc fixture;
    TDoc& doc = fixture.Doc();
    fixture.Heading("Above the caret", 1);
    fixture.Add("caret");
    TPar& marked = fixture.Heading("Marked ", 1);
    fixture.AddBookmark(marked, "mine", "heading");
    fixture.Heading("\tLeading tab", 2);
    fixture.Heading("", 2);  // no text: no entry
    fixture.Ready(1);

    TGenerateTocOptions options;  // numbers after a blank
    doc.PerformOperation(TInsertTOCArgs{nullptr, &options});
    const std::vector<std::string> texts = fixture.Texts();
    EXPECT_EQ(texts[1], "Marked heading 1");
    EXPECT_EQ(texts[2].substr(0, 12), "Leading tab ");
    EXPECT_EQ(texts[3], "");
    const std::vector<TField*> links = fixture.FieldsOfType(ftHyperlink);
    ASSERT_EQ(links.size(), 2u);
    EXPECT_EQ(links[0]->Instruction, u"HYPERLINK \\l \"mine\"");
    // A new bookmark covers the heading from its tab on; the tab names "_".
    EXPECT_EQ(links[1]->Instruction, u"HYPERLINK \\l \"_Leading_tab\"");
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
}

// The table goes in front of a heading at the caret: fields that start
// before the heading's first character stay with the heading, an empty one
// included.
TEST_F(TableOfContentsTest, FieldsAtTheHeadingsStartStayWithIt) {
    TReferencesDoc fixture;
    TDoc& doc = fixture.Doc();
    TPar& heading = fixture.Heading("", 1);
    fixture.Entry(heading, "XE \"chapter\"");
    fixture.AddBookmark(heading, "around", "Chap");
    TFieldDoc::Append(heading, "ter");
    fixture.Ready(0);
    doc.PerformOperation(TInsertTOCArgs{});
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    const std::vector<std::string> texts = fixture.Texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[2], "Chapter");
    for (TField* field : {fixture.FieldsOfType(ftIndexEntry)[0], FindBookmark(doc, "around")}) {
        ASSERT_NE(field, nullptr);
        SCOPED_TRACE(Narrow(field->Instruction));
        TFragment range;
        ASSERT_TRUE(doc.FieldRange(field, range));
        EXPECT_EQ(range.Start.Par, 2);
        EXPECT_EQ(range.End.Par, 2);
    }
    // The heading's bookmark is the one it starts with.
    EXPECT_EQ(fixture.FieldsOfType(ftHyperlink)[0]->Instruction, u"HYPERLINK \\l \"around\"");
}

TEST_F(TableOfContentsTest, NoHeadingsInsertsNothingAndSaysSo) {
    TestSupport::TScriptedMessageBoxes boxes({mrOk});
    TReferencesDoc fixture;
    TDoc& doc = fixture.Doc();
    fixture.Heading("Above", 1);
    fixture.Add("caret");
    fixture.Ready(1);
    const std::string before = TestSupport::DocumentBytes(doc);
    doc.PerformOperation(TInsertTOCArgs{});
    EXPECT_EQ(TestSupport::DocumentBytes(doc), before);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_NE(boxes.Shown()[0].Text.find("no paragraph associated"), std::string::npos);
}

// Generating again inside a table replaces it; an update keeps the table's
// own instruction (no page numbers here) and stops at a second table.
TEST_F(TableOfContentsTest, RegenerationReplacesAndKeepsTheLook) {
    TReferencesDoc fixture;
    TDoc& doc = fixture.Doc();
    fixture.Add("start");
    fixture.Heading("One", 1);
    fixture.Heading("Two", 2);
    fixture.Ready(0);
    TGenerateTocOptions plain;
    plain.PageNumbers = 0;
    doc.PerformOperation(TInsertTOCArgs{nullptr, &plain});
    EXPECT_EQ(fixture.Texts()[0], "One");

    // A second table further down, in front of "Two".
    doc.Caret = TTextPos{5, 0};
    doc.Selection->Reset();
    MakeFragmentFromPositions(doc.Caret, doc.Caret, doc.Selection->Fragment(0));
    doc.PerformOperation(TInsertTOCArgs{});
    EXPECT_TRUE(BookmarkExists(doc, "_Table_Of_Contents_2"));

    // The entry's look changed by hand is taken into its style.
    doc.Par(0)->Format.SpaceAfter = 240;
    doc.Caret = TTextPos{1, 0};
    doc.Selection->Reset();
    MakeFragmentFromPositions(doc.Caret, doc.Caret, doc.Selection->Fragment(0));
    TGenerateTocOptions update;
    update.Update = 1;
    doc.PerformOperation(TInsertTOCArgs{nullptr, &update});
    const std::vector<std::string> texts = fixture.Texts();
    // Only "One" lies between the first table and the second.
    EXPECT_EQ(texts[0], "One");
    EXPECT_EQ(texts[1], "");
    EXPECT_EQ(texts[2], "start");
    EXPECT_EQ(fixture.StyleName(0), "TOC 1");
    const std::int16_t spaceAfter = doc.Par(0)->Format.SpaceAfter;  // a packed field, read into a local
    EXPECT_EQ(spaceAfter, 240);
    const std::vector<TField*> tocs = fixture.FieldsOfType(ftToc);
    ASSERT_EQ(tocs.size(), 2u);
    EXPECT_EQ(tocs[0]->Instruction, u"TOC \\h \\o \"1-3\" \\n");
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
}

TEST_F(TableOfContentsTest, RemovalKeepsTheTextAndOffersTheBookmarks) {
    TestSupport::TScriptedMessageBoxes boxes({mrYes});
    TReferencesDoc fixture;
    TDoc& doc = fixture.Doc();
    fixture.Add("start");
    fixture.Heading("One", 1);
    fixture.Ready(0);
    doc.PerformOperation(TInsertTOCArgs{});
    ASSERT_TRUE(BookmarkExists(doc, "One"));
    const std::vector<std::string> texts = fixture.Texts();
    doc.Caret = TTextPos{0, 1};
    doc.Selection->Reset();
    MakeFragmentFromPositions(doc.Caret, doc.Caret, doc.Selection->Fragment(0));
    doc.PerformOperation(TRemoveTOCArgs{});
    EXPECT_EQ(fixture.Texts(), texts);
    EXPECT_TRUE(fixture.FieldsOfType(ftToc).empty());
    EXPECT_TRUE(fixture.FieldsOfType(ftPageRef).empty());
    EXPECT_TRUE(fixture.FieldsOfType(ftHyperlink).empty());
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_FALSE(BookmarkExists(doc, "One"));
    EXPECT_FALSE(BookmarkExists(doc, "_Table_Of_Contents"));
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
}

}  // namespace
