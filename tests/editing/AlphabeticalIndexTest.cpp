#include "editing/references/AlphabeticalIndex.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditDoc.h"
#include "FormattingDoc.h"
#include "ReferencesDoc.h"
#include "layout/lines/DocumentLines.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/TCompoundFragment.h"
#include "model/managers/TTabManager.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "platform/CodePages.h"
#include "support/ModelInvariants.h"
#include "support/TestSupport.h"

namespace {

constexpr std::uint32_t EnglishUS = 0x409;

class AlphabeticalIndexTest : public ::testing::Test {
protected:
    TEditingInstalled Installed;
};

void PlaceCaret(TDoc& doc, std::int32_t par, std::int32_t offset) {
    doc.Caret = TTextPos{par, offset};
    doc.Selection->Reset();
    MakeFragmentFromPositions(doc.Caret, doc.Caret, doc.Selection->Fragment(0));
}

TEST(IndexSortTest, LevelByLevelCaseLast) {
    struct Case {
        const char16_t* A;
        const char16_t* B;
        int Order;
    };
    const Case cases[] = {
        {u"bears", u"bears:brown", -1},  // an entry that ends earlier comes first
        {u"bears:brown", u"Bears", -1},  // case decides only between equal levels
        {u"bears", u"Bears", -1},
        {u"Apple", u"banana", -1},  // case ignored otherwise
        {u"a:z", u"ab", -1},        // level by level, not character by character
        {u"same", u"same", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Platform::Utf16ToUtf8(c.A) + " / " + Platform::Utf16ToUtf8(c.B));
        EXPECT_EQ(CompareIndexEntries(c.A, c.B, EnglishUS), c.Order);
        EXPECT_EQ(CompareIndexEntries(c.B, c.A, EnglishUS), -c.Order);
    }
}

TEST(IndexSortTest, HeadingLettersFileUnderTheBaseLetter) {
    struct Case {
        const char16_t* Entry;
        char16_t Letter;
    };
    const Case cases[] = {
        {u"\u00c9mile", u'E'}, {u"\u00e9t\u00e9", u'E'}, {u"apple", u'A'}, {u"\u00e7a", u'C'}, {u"1st", u'1'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Platform::Utf16ToUtf8(c.Entry));
        EXPECT_EQ(IndexHeadingLetter(c.Entry, EnglishUS), c.Letter);
    }
}

// Entries on four pages: grouped texts, a page given once per page, a
// bookmark's page range, cross references and a missing bookmark.
class TIndexFixture : public TReferencesDoc {
public:
    TIndexFixture() {
        Add("Index here");
        TPar& one = Add("Bears live here.");
        Entry(one, "XE \"bears\"");
        Entry(one, "XE \"mammals:bears\"");
        Entry(one, "XE \"Bears\"");
        Entry(one, "XE \"zebra\" \\r \"nothing\"");
        TPar& two = Add("Brown ones.", true);
        Entry(two, "XE \"bears:brown\"");
        Entry(two, "XE \"bears\"");
        Entry(Add("More of them."), "XE \"bears\"");
        TPar& three = Add("Cats", true);
        Entry(three, "XE \"cats\" \\r \"span\"");
        Entry(three, "XE \"dogs\" \\t \"See cats\"");
        Add("fill", true);
        Ready(0);
        // A bookmark from page 3 into page 4.
        TDoc& doc = Doc();
        doc.Selection->SetSingle(three.Index, 0, three.Index + 1, 2);
        const std::string name = "span";
        doc.PerformOperation(TInsertBookmarkArgs{&name});
        PlaceCaret(doc, 0, 0);
        Paginate();
    }

    // The index's paragraphs: those of the Index styles and the letter
    // headings.
    std::vector<std::string> IndexTexts() {
        std::vector<std::string> out;
        const std::vector<std::string> texts = Texts();
        for (std::size_t p = 0; p < texts.size(); ++p)
            if (StyleName(static_cast<std::int32_t>(p)).starts_with("Index"))
                out.push_back(texts[p]);
        return out;
    }
};

TEST_F(AlphabeticalIndexTest, IndentedEntriesWithLocators) {
    TIndexFixture fixture;
    TDoc& doc = fixture.Doc();
    const std::u16string instruction = u"INDEX \\z \"1033\"";
    doc.PerformOperation(TInsertIndexArgs{&instruction});
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    const std::vector<std::string> expected = {
        "bears, 1, 2",    "brown, 2", "Bears, 1", "cats, 3-4",
        "dogs, See cats", "mammals",  "bears, 1", "zebra, Error: invalid bookmark \"nothing\" in entry on page 1!",
    };
    EXPECT_EQ(fixture.IndexTexts(), expected);
    EXPECT_EQ(fixture.StyleName(1), "Index 2");
    EXPECT_EQ(fixture.StyleName(5), "Index 1");
    // "See" is italic, the rest of the reference plain; the error is bold red.
    TCharFormat see, cats, error;
    doc.FormatAtPos(TTextPos{4, 6}, see);
    doc.FormatAtPos(TTextPos{4, 11}, cats);
    doc.FormatAtPos(TTextPos{7, 8}, error);
    EXPECT_EQ(see[caItalic], 1);
    EXPECT_EQ(cats[caItalic], 0);
    EXPECT_EQ(error[caBold], 1);
    EXPECT_EQ(error[caColor], 0x0000C0);
    const std::vector<TField*> indexes = fixture.FieldsOfType(ftIndex);
    ASSERT_EQ(indexes.size(), 1u);
    TFragment range;
    ASSERT_TRUE(doc.FieldRange(indexes[0], range));
    EXPECT_EQ(range.Start.Par, 0);
    EXPECT_EQ(range.End.Par, 7);

    // Generating again at the index replaces it.
    PlaceCaret(doc, 3, 0);
    doc.PerformOperation(TInsertIndexArgs{&instruction});
    EXPECT_EQ(fixture.IndexTexts(), expected);
    EXPECT_EQ(fixture.FieldsOfType(ftIndex).size(), 1u);
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
}

// Run-in sub-entries share their main entry's paragraph; two columns give
// the index a continuous section of its own.
TEST_F(AlphabeticalIndexTest, RunInWithRangesInTwoColumns) {
    TIndexFixture fixture;
    TDoc& doc = fixture.Doc();
    const std::int32_t sectionsBefore = doc.Sections.Count;
    const std::u16string instruction = u"INDEX \\c \"2\" \\r \\z \"1033\"";
    doc.PerformOperation(TInsertIndexArgs{&instruction});
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    const std::vector<std::string> expected = {
        "bears, 1, 2: brown, 2", "Bears, 1",          "cats, 3-4",
        "dogs, See cats",        "mammals: bears, 1", "zebra, Error: invalid bookmark \"nothing\" in entry on page 1!",
    };
    EXPECT_EQ(fixture.IndexTexts(), expected);
    ASSERT_EQ(doc.Sections.Count, sectionsBefore + 2);
    TSection* own = doc.SectionOfPar(2);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->Format.ColumnCount, 2);
    TSection* above = doc.SectionOfPar(0);
    ASSERT_NE(above, nullptr);
    EXPECT_EQ(above->Format.BreakKind, 0);
    EXPECT_EQ(above->Format.ColumnCount, 1);
    TSection* below = doc.SectionOfPar(doc.LastParOfStory(stMain));
    EXPECT_EQ(below->Format.ColumnCount, 1);
    fixture.Paginate();
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
}

TEST_F(AlphabeticalIndexTest, LetterHeadingsAndRightAlignedNumbers) {
    TReferencesDoc fixture;
    TDoc& doc = fixture.Doc();
    fixture.Add("Index here");
    TPar& par = fixture.Add("Words");
    fixture.Entry(par, "XE \"\xc3\x89mile\"");
    fixture.Entry(par, "XE \"eagle\"");
    fixture.Entry(par, "XE \"apple\"");
    fixture.Ready(0);
    const std::u16string instruction = u"INDEX \\h \"A\" \\e \"\t\" \\z \"1033\"";
    doc.PerformOperation(TInsertIndexArgs{&instruction});
    const std::vector<std::string> texts = fixture.Texts();
    const std::vector<std::string> expected = {"A", "apple\t1", "E", "eagle\t1", "\xc9mile\t1"};
    ASSERT_GE(texts.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(texts.begin(), texts.begin() + 5), expected);
    EXPECT_EQ(fixture.StyleName(0), "Index Heading");
    const std::int16_t tabs = doc.Par(1)->Format.Tabs;  // a packed field, read into a local
    EXPECT_NE(tabs, 0);
}

TEST_F(AlphabeticalIndexTest, TheSeeWordIsItalicInItsLanguagesOnly) {
    struct Case {
        const char16_t* Language;
        const char* Reference;
        std::int32_t Italic;
    };
    const Case cases[] = {
        {u"1033", "See cats", 1},
        {u"1036", "Voir chats", 1},
        {u"1031", "See cats", 0},  // German has no such word
        {u"1033", "Seen cats", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Reference);
        TReferencesDoc fixture;
        TDoc& doc = fixture.Doc();
        fixture.Add("Index here");
        fixture.Entry(fixture.Add("Dogs"), std::string("XE \"dogs\" \\t \"") + c.Reference + "\"");
        fixture.Ready(0);
        const std::u16string instruction = u"INDEX \\z \"" + std::u16string(c.Language) + u"\"";
        doc.PerformOperation(TInsertIndexArgs{&instruction});
        EXPECT_EQ(fixture.Texts()[0], std::string("dogs, ") + c.Reference);
        TCharFormat word, rest;
        doc.FormatAtPos(TTextPos{0, 7}, word);
        doc.FormatAtPos(TTextPos{0, 13}, rest);
        EXPECT_EQ(word[caItalic], c.Italic);
        EXPECT_EQ(rest[caItalic], 0);
    }
}

// Inside a table the index makes no section of its own, and its page
// numbers go to a stop at the cell's inner width.
TEST_F(AlphabeticalIndexTest, InATableCellNoSectionAndTheCellsWidth) {
    EnsureStyleManager();
    TLayoutManagers managers;  // the tab manager
    TEditDoc ed({"T|<>cell", "#", "after"}, {{fkCode, ftIndexEntry, u"XE \"cell\""}});
    TDoc& doc = ed.Doc();
    doc.Caret = TTextPos{0, 0};
    doc.Selection->Reset();
    MakeFragmentFromPositions(doc.Caret, doc.Caret, doc.Selection->Fragment(0));
    const std::int32_t sections = doc.Sections.Count;
    const std::u16string instruction = u"INDEX \\c \"2\" \\e \"\t\" \\z \"1033\"";
    doc.PerformOperation(TInsertIndexArgs{&instruction});
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    EXPECT_EQ(doc.Sections.Count, sections);
    EXPECT_EQ(ed.Text(), "t|<><cell\t1> / T|cell / # / after");
    const std::int16_t tabs = doc.Par(0)->Format.Tabs;  // a packed field, read into a local
    ASSERT_GT(tabs, 0);
    const TTabTable* table = TabManager->Table(tabs);
    ASSERT_EQ(table->Count, 1);
    EXPECT_EQ(TabStopPosition(table->Stop(0)), 1440);
    EXPECT_EQ(TabStopAlignment(table->Stop(0)), taRight);
}

TEST_F(AlphabeticalIndexTest, NoEntriesSaysSo) {
    TReferencesDoc fixture;
    TDoc& doc = fixture.Doc();
    fixture.Add("nothing marked");
    fixture.Ready(0);
    const std::u16string instruction = u"INDEX";
    doc.PerformOperation(TInsertIndexArgs{&instruction});
    EXPECT_EQ(fixture.Texts()[0], "No index entries found.");
    TCharFormat format;
    doc.FormatAtPos(TTextPos{0, 3}, format);
    EXPECT_EQ(format[caBold], 1);
    EXPECT_EQ(format[caColor], 0x0000C0);
}

TEST_F(AlphabeticalIndexTest, MarkingAllOccurrencesTakesWholeWordsOncePerParagraph) {
    TReferencesDoc fixture;
    TDoc& doc = fixture.Doc();
    fixture.Add("concat cat catalog cat");
    fixture.Add("the cat");
    fixture.Add("concatenate");
    fixture.Ready(0);
    TMarkIndexOptions options;
    options.Texts = {u"cat"};
    options.Instructions = {u"XE \"cat\""};
    doc.PerformOperation(TMarkIndexEntriesArgs{nullptr, &options});
    std::vector<TIndexEntryField> fields;
    CollectIndexEntryFields(doc, fields);
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(fields[0].Pos.Par, 0);
    EXPECT_EQ(fields[0].Pos.Offset, 7);
    EXPECT_EQ(fields[1].Pos.Par, 1);
    EXPECT_EQ(fields[1].Pos.Offset, 4);
    // Once more: the entries are there already.
    const std::int32_t undoCount = doc.UndoList.Count;
    doc.PerformOperation(TMarkIndexEntriesArgs{nullptr, &options});
    CollectIndexEntryFields(doc, fields);
    EXPECT_EQ(fields.size(), 2u);
    EXPECT_EQ(doc.UndoList.Count, undoCount);
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
}

}  // namespace
