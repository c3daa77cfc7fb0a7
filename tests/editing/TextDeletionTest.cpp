#include "editing/typing/TextDeletion.h"

#include <gtest/gtest.h>

#include "EditDoc.h"
#include "editing/fields/FieldIndex.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "support/ModelInvariants.h"

namespace {

class DeletingTest : public ::testing::Test {
protected:
    TEditingInstalled Installed;

    static void Delete(TDoc& doc, TTextPos start, TTextPos end, std::int32_t flags = 0) {
        doc.PerformOperation(TDeleteTextArgs{nullptr, start, end, flags});
    }
};

TEST_F(DeletingTest, SpansFollowTheMarkAndTableRules) {
    struct Case {
        const char* Name;
        std::vector<std::string> Pars;
        TTextPos Start;
        TTextPos End;
        std::int32_t Flags;
        std::string Expected;
    };
    const Case cases[] = {
        {"within a paragraph", {"abcdef"}, {0, 1}, {0, 3}, 0, "adef"},
        {"through the next mark joins the paragraphs", {"abc", "def", "ghi"}, {0, 1}, {1, 3}, 0, "a / ghi"},
        {"an end at the next paragraph's start is the same boundary", {"abc", "def"}, {0, 1}, {1, 0}, 0, "adef"},
        {"the main story's last mark survives", {"abc", "def"}, {0, 0}, {1, 4}, 0, ""},
        {"whole last paragraphs go with the Delete command", {"abc", "def"}, {1, 0}, {1, 4}, dfStoryEnd, "abc"},
        {"mid-paragraph into a table deletes nothing", {"abc", "T|def", "#"}, {0, 1}, {1, 2}, 0, "abc / T|def / #"},
        {"the mark before a table stays", {"abc", "T|def", "#"}, {0, 1}, {0, 4}, 0, "a / T|def / #"},
        {"a one-paragraph cell keeps its mark", {"T|abc", "T|def", "#"}, {0, 0}, {1, 0}, 0, "T|abc / T|def / #"},
        {"text inside a cell", {"T|abc", "T|def", "#"}, {0, 1}, {0, 3}, 0, "T|a / T|def / #"},
        {"an end beyond the document stops at its end", {"abc"}, {0, 1}, {9, 9}, 0, "a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc ed(c.Pars);
        Delete(ed.Doc(), c.Start, c.End, c.Flags);
        EXPECT_EQ(ed.Text(), c.Expected);
        EXPECT_EQ(TestSupport::CheckModelInvariants(ed.Doc()), "");
    }
}

TEST_F(DeletingTest, JoinedParagraphLooksLikeTheFirst) {
    TEditDoc ed({"abc", "def"});
    TDoc& doc = ed.Doc();
    TParFormat centred = doc.Par(0)->Format;
    centred.Alignment = 1;
    doc.Par(0)->Format = centred;
    Delete(doc, {0, 2}, {1, 1});
    EXPECT_EQ(ed.Text(), "abef");
    EXPECT_EQ(doc.Par(0)->Format.Alignment, 1);
}

TEST_F(DeletingTest, WholeCellsUnderTheDeleteKeyAreEmptied) {
    TEditDoc ed({"T|abc", "t|x", "T|def", "#", "after"});
    TDoc& doc = ed.Doc();
    // From the first cell's start to the end of the second cell.
    Delete(doc, {0, 0}, {2, 4});
    EXPECT_EQ(ed.Text(), "T| / T| / # / after");
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
}

TEST_F(DeletingTest, DeletingANoteReferenceTakesItsTextAndUndoBringsBoth) {
    TEditDoc ed({"one^ two", "three^"});
    TDoc& doc = ed.Doc();
    const std::string before = TestSupport::DocumentBytes(doc);
    ASSERT_EQ(ed.StoryText(stFootnotes), "[note 1] / [note 2]");
    Delete(doc, {0, 2}, {0, 5});
    EXPECT_EQ(ed.Text(), "ontwo / three^");
    EXPECT_EQ(ed.StoryText(stFootnotes), "[note 2]");
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    EXPECT_FALSE(doc.Fields.Contains(ed.NoteRef(0)));
    doc.Undo(false);
    EXPECT_EQ(TestSupport::DocumentBytes(doc), before);
    EXPECT_TRUE(doc.Fields.Contains(ed.NoteRef(0)));
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
}

TEST_F(DeletingTest, FieldsAcrossADeletion) {
    struct Case {
        const char* Name;
        std::string Par;
        TTextPos Start;
        TTextPos End;
        std::string Expected;
        bool FieldSurvives;
    };
    // The paragraph "ab<cd>ef": the field covers cd (offsets 2 to 4).
    const Case cases[] = {
        {"a range holding the whole field removes it", "ab<cd>ef", {0, 1}, {0, 5}, "af", false},
        {"a range holding its start moves the start", "ab<cd>ef", {0, 1}, {0, 3}, "a<d>ef", true},
        {"a range holding its end moves the end", "ab<cd>ef", {0, 3}, {0, 5}, "ab<c>f", true},
        {"text inside it", "ab<cde>f", {0, 3}, {0, 4}, "ab<ce>f", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc ed({c.Par}, {{fkBookmark, 0, u"mark"}});
        TDoc& doc = ed.Doc();
        Delete(doc, c.Start, c.End);
        EXPECT_EQ(ed.Text(), c.Expected);
        EXPECT_EQ(doc.Fields.Contains(ed.Field(0)), c.FieldSurvives);
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    }
}

TEST_F(DeletingTest, FieldMarksCollapseOntoTheDeletionPoint) {
    // A field whose text is deleted whole keeps its marks there, end after
    // start, also at a paragraph's start.
    TEditDoc ed({"ab<c", "de>f", "<gh>"}, {{fkBookmark, 0, u"mark"}, {fkBookmark, 0, u"other"}});
    TDoc& doc = ed.Doc();
    Delete(doc, {1, 0}, {1, 2});
    EXPECT_EQ(ed.Text(), "ab<c / >f / <gh>");
    Delete(doc, {2, 0}, {2, 2});
    EXPECT_EQ(ed.Text(), "ab<c / >f / <>");
    EXPECT_TRUE(doc.Fields.Contains(ed.Field(1)));
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
}

TEST_F(DeletingTest, ReplacingAWordKeepsItsLook) {
    TEditDoc ed({"one two three"});
    TDoc& doc = ed.Doc();
    const TextBytes text("2");
    // Bold "two" by hand: the stream as the format step would leave it.
    TCharFormat bold = DefaultCharFormat;
    bold[caBold] = 1;
    doc.FormatFont(nullptr, nullptr, bold, 0);  // typing format only, no selection
    doc.PerformOperation(TReplaceTextArgs{TTextPos{0, 4}, TTextPos{0, 7}, &text, 0});
    EXPECT_EQ(ed.Text(), "one 2 three");
    EXPECT_EQ(doc.Caret.Offset, 5);
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
}

TEST_F(DeletingTest, ReplacingAWholeHyperlinkRemovesIt) {
    for (bool whole : {true, false}) {
        SCOPED_TRACE(whole ? "whole text" : "part of it");
        TEditDoc ed({"see <link> now"}, {{fkCode, ftHyperlink, u"HYPERLINK \"www.a.com\""}});
        TDoc& doc = ed.Doc();
        const TextBytes text("new");
        doc.PerformOperation(TReplaceTextArgs{TTextPos{0, 4}, TTextPos{0, whole ? 8 : 6}, &text, 0});
        EXPECT_EQ(doc.Fields.Contains(ed.Field(0)), !whole);
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    }
}

}  // namespace

namespace {

// Several ranges go last first. A later range that joins two cells of a row
// notes its table for repair by paragraph; an earlier range that then takes
// paragraphs moves the table up, and the repair must follow it there.
TEST_F(DeletingTest, SeveralRangesRepairTheTableALaterRangeJoined) {
    const std::vector<std::string> pars = {"a", "b", "c", "d", "e", "T|xx", "T|yy", "#", "after", "one", "two"};
    const TFragment before{{0, 0}, {4, 0}};
    const TFragment cells{{5, 1}, {6, 1}};
    // The same two spans deleted one at a time, the later first.
    TEditDoc single(pars);
    Delete(single.Doc(), cells.Start, cells.End);
    Delete(single.Doc(), before.Start, before.End);
    ASSERT_EQ(TestSupport::CheckModelInvariants(single.Doc()), "");

    TEditDoc ed(pars);
    TDoc& doc = ed.Doc();
    const std::string start = TestSupport::DocumentBytes(doc);
    TCompoundFragment* set = NewCompoundFragment();
    set->SetCount(2);
    set->Fragment(0) = before;
    set->Fragment(1) = cells;
    doc.PerformOperation(TDeleteTextArgs{set, {}, {}, 0});
    ReleaseCompoundFragment(set);
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    EXPECT_EQ(ed.Text(), single.Text());
    const std::string after = TestSupport::DocumentBytes(doc);
    doc.Undo(false);
    EXPECT_EQ(TestSupport::DocumentBytes(doc), start);
    doc.Redo();
    EXPECT_EQ(TestSupport::DocumentBytes(doc), after);
}

}  // namespace
