// Joining, splitting, sorting and moving paragraphs: what each gives, what
// each refuses, and that undo and redo give back exactly the documents
// before and after.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditDoc.h"
#include "FieldDoc.h"
#include "base/messages/MessageBoxes.h"
#include "editing/paragraphs/ParagraphOperations.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "support/ModelInvariants.h"
#include "support/TestSupport.h"

namespace {

class ParagraphOperationsTest : public ::testing::Test {
protected:
    TEditingInstalled Installed;
};

// Runs the operation and checks that the document is sound, that undo gives
// the bytes from before and redo the bytes from after.
template <typename TArgs>
void PerformAndCheckUndo(TEditDoc& ed, const TArgs& args) {
    TDoc& doc = ed.Doc();
    const std::string before = TestSupport::DocumentBytes(doc);
    doc.PerformOperation(args);
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    const std::string after = TestSupport::DocumentBytes(doc);
    if (after == before)
        return;
    doc.Undo(false);
    EXPECT_EQ(TestSupport::DocumentBytes(doc), before) << "undo";
    doc.Redo();
    EXPECT_EQ(TestSupport::DocumentBytes(doc), after) << "redo";
}

void PlaceCaret(TDoc& doc, std::int32_t par) {
    doc.Caret = TTextPos{par, 0};
    doc.Selection->SetSingle(par, 0, par, 0);
}

// Types text (with "\v" for line breaks) into an empty one-paragraph document.
void TypeInto(TDoc& doc, const std::string& text) {
    PlaceCaret(doc, 0);
    TextBytes bytes(text);
    doc.PerformOperation(TInsertTextArgs{&bytes, 0});
}

TEST_F(ParagraphOperationsTest, JoiningKeepsBlankParagraphsAsSeparators) {
    struct Case {
        const char* Name;
        std::vector<std::string> Pars;
        std::int32_t First, Last;
        bool Smart;
        std::string Expected;
    };
    const Case cases[] = {
        {"three words become one paragraph", {"one", "two", "three", "end"}, 0, 2, true, "one two three / end"},
        {"without smart spacing the words run on", {"one", "two", "end"}, 0, 1, false, "onetwo / end"},
        {"a blank paragraph separates groups",
         {"word", "", "two", "words", "end"},
         0,
         3,
         true,
         "word /  / two words / end"},
        {"spaces only count as blank", {"a", "  ", "b", "end"}, 0, 2, true, "a /    / b / end"},
        {"only blank pairs: nothing joins", {"a", "", "b", "end"}, 0, 2, true, "a /  / b / end"},
        {"a range past the story's end stops at it", {"a", "b"}, 0, 40, true, "a b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc ed(c.Pars);
        ParagraphOptions().SmartCutAndPaste = c.Smart;
        TestSupport::TScriptedMessageBoxes boxes;
        PerformAndCheckUndo(ed, TJoinParagraphsArgs{c.First, c.Last});
        ParagraphOptions().SmartCutAndPaste = true;
        EXPECT_EQ(ed.Text(), c.Expected);
        EXPECT_TRUE(boxes.Shown().empty());
    }
}

TEST_F(ParagraphOperationsTest, JoiningOneParagraphJoinsItsLines) {
    struct Case {
        const char* Name;
        std::string Typed;
        std::string Expected;
        std::size_t Boxes;
    };
    const Case cases[] = {
        {"single line breaks go", "a\vb\vc", "a b c", 0},
        {"a double line break stays", "a\vb\v\vc\vd", "a b{line}{line}c d", 0},
        {"a line break before the mark stays", "a\v", "a{line}", 1},
        {"no line break: the user is told", "abc", "abc", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc ed({""});
        TypeInto(ed.Doc(), c.Typed);
        TestSupport::TScriptedMessageBoxes boxes;
        PerformAndCheckUndo(ed, TJoinParagraphsArgs{0, 0});
        EXPECT_EQ(ed.Text(), c.Expected);
        ASSERT_EQ(boxes.Shown().size(), c.Boxes);
        if (c.Boxes == 1)
            EXPECT_NE(boxes.Shown()[0].Text.find("\"join paragraphs\" operation"), std::string::npos);
    }
}

TEST_F(ParagraphOperationsTest, SortingStaysInsideCellsAndBetweenTables) {
    struct Case {
        const char* Name;
        std::vector<std::string> Pars;
        std::int32_t First, Last;
        std::uint8_t Options;
        std::string Expected;
    };
    const Case cases[] = {
        {"ascending", {"pear", "apple", "fig", "end"}, 0, 2, 0, "apple / fig / pear / end"},
        {"descending", {"pear", "apple", "fig", "end"}, 0, 2, 1, "pear / fig / apple / end"},
        {"case only orders equal letters", {"b", "A", "a", "B", "end"}, 0, 3, 0, "a / A / b / B / end"},
        {"each cell on its own, cell marks stay",
         {"t|d", "T|c", "t|b", "T|a", "#", "z", "y"},
         0,
         6,
         0,
         "t|c / T|d / t|a / T|b / # / y / z"},
        {"text before a table sorts up to it", {"q", "p", "T|x", "#", "end"}, 0, 4, 0, "p / q / T|x / # / end"},
        {"one-paragraph cells are left alone", {"T|b", "T|a", "#", "end"}, 0, 3, 0, "T|b / T|a / # / end"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc ed(c.Pars);
        PerformAndCheckUndo(ed, TSortParagraphsArgs{c.First, c.Last, c.Options});
        EXPECT_EQ(ed.Text(), c.Expected);
    }
}

TEST_F(ParagraphOperationsTest, SortingThenReverseSortingReversesDistinctParagraphs) {
    TEditDoc ed({"delta", "alpha", "charlie", "bravo", "end"});
    ed.Doc().PerformOperation(TSortParagraphsArgs{0, 3, 0});
    EXPECT_EQ(ed.Text(), "alpha / bravo / charlie / delta / end");
    PerformAndCheckUndo(ed, TSortParagraphsArgs{0, 3, 1});
    EXPECT_EQ(ed.Text(), "delta / charlie / bravo / alpha / end");
}

TEST_F(ParagraphOperationsTest, SortingOffersToSelectDuplicates) {
    TEditDoc ed({"b", "a", "b", "c", "a", "end"});
    TDoc& doc = ed.Doc();
    TestSupport::TScriptedMessageBoxes boxes({mrYes});
    doc.PerformOperation(TSortParagraphsArgs{0, 4, 0});
    EXPECT_EQ(ed.Text(), "a / a / b / b / c / end");
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_NE(boxes.Shown()[0].Text.find("identical text"), std::string::npos);
    // The second of each run is selected, whole.
    ASSERT_EQ(doc.Selection->Count(), 2);
    EXPECT_EQ(doc.Selection->Fragment(0).Start.Par, 1);
    EXPECT_EQ(doc.Selection->Fragment(1).Start.Par, 3);
}

TEST_F(ParagraphOperationsTest, MovingParagraphsUpAndDown) {
    struct Case {
        const char* Name;
        std::vector<std::string> Pars;
        std::int32_t SelFirst, SelLast;  // SelLast < 0: the caret in SelFirst
        std::int32_t Direction;
        std::string Expected;
    };
    const Case cases[] = {
        {"up", {"a", "b", "c"}, 1, -1, -1, "b / a / c"},
        {"down", {"a", "b", "c"}, 0, -1, 1, "b / a / c"},
        {"the first paragraph does not go up", {"a", "b", "c"}, 0, -1, -1, "a / b / c"},
        {"the last paragraph does not go down", {"a", "b", "c"}, 2, -1, 1, "a / b / c"},
        {"a selected block moves whole", {"a", "b", "c", "d"}, 1, 2, -1, "b / c / a / d"},
        {"over a table row going up", {"T|x", "#", "a", "b"}, 2, -1, -1, "a / T|x / # / b"},
        {"over a table row going down", {"a", "T|x", "#", "b"}, 0, -1, 1, "T|x / # / a / b"},
        {"a row moves whole", {"a", "T|x", "T|y", "#", "b"}, 2, -1, -1, "T|x / T|y / # / a / b"},
        {"the story's last paragraph stays out of a table", {"T|x", "#", "a"}, 2, -1, -1, "T|x / # / a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc ed(c.Pars);
        TDoc& doc = ed.Doc();
        PlaceCaret(doc, c.SelFirst);
        if (c.SelLast >= 0)
            doc.Selection->SetSingle(c.SelFirst, 0, c.SelLast, doc.Par(c.SelLast)->CharCount());
        TestSupport::TScriptedMessageBoxes boxes;
        PerformAndCheckUndo(ed, TMoveParagraphsArgs{c.Direction});
        EXPECT_EQ(ed.Text(), c.Expected);
        EXPECT_TRUE(boxes.Shown().empty());
    }
}

TEST_F(ParagraphOperationsTest, MovingRefusesNotesAndScatteredSelections) {
    struct Case {
        const char* Name;
        bool InNote;
        bool TwoRanges;
        const char* Message;
    };
    const Case cases[] = {
        {"in a footnote", true, false, "This operation is not possible on footnotes/endnotes."},
        {"several fragments", false, true, "Currently, a number of non-contiguous fragments"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc ed({"a^", "b", "c", "d"});
        TDoc& doc = ed.Doc();
        if (c.InNote) {
            PlaceCaret(doc, doc.FirstParOfStory(stFootnotes));
        } else {
            doc.Selection->SetSingle(1, 0, 1, 1);
            TCompoundFragment second;
            second.SetSingle(3, 0, 3, 1);
            doc.Selection->Append(second);
        }
        const std::string before = TestSupport::DocumentBytes(doc);
        TestSupport::TScriptedMessageBoxes boxes;
        doc.PerformOperation(TMoveParagraphsArgs{-1});
        EXPECT_EQ(TestSupport::DocumentBytes(doc), before);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_NE(boxes.Shown()[0].Text.find(c.Message), std::string::npos) << boxes.Shown()[0].Text;
    }
}

TEST_F(ParagraphOperationsTest, SplittingAParagraphWithoutLinesLeavesItAlone) {
    TEditDoc ed({"one two three", "end"});
    PerformAndCheckUndo(ed, TSplitParagraphsArgs{0, 0});
    EXPECT_EQ(ed.Text(), "one two three / end");
}

}  // namespace

namespace {

// Splitting works on the laid-out lines, so the document is paginated.
TEST_F(ParagraphOperationsTest, SplittingMakesEveryLineAParagraph) {
    TFieldDoc f;
    std::string text;
    while (text.size() < 300)
        text += "alpha bravo charlie delta echo foxtrot golf hotel india juliet ";
    text += "end";
    f.Add(text);
    f.Add("last");
    TDoc& doc = f.Doc();
    f.Paginate();
    // The fixture's document is a hidden one, which records no undo.
    doc.StateFlags[sfHidden] = 0;
    const std::int32_t lines = doc.Par(0)->LineCount();
    ASSERT_GE(lines, 4);
    const std::string before = TestSupport::DocumentBytes(doc);
    const std::int32_t undoBefore = doc.UndoIndex;
    doc.PerformOperation(TSplitParagraphsArgs{0, 0});
    EXPECT_EQ(doc.UndoIndex, undoBefore + 1);
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    ASSERT_EQ(doc.StoryCounts[stMain], lines + 1);
    // The words are all there; smart spacing takes the space at the end of
    // each line away.
    std::string joined;
    for (std::int32_t p = 0; p < lines; ++p) {
        const std::string_view chars = doc.Par(p)->Chars.View();
        EXPECT_NE(chars[chars.size() - 2], ' ');
        joined += std::string(chars.substr(0, chars.size() - 1));
        joined += p + 1 < lines ? " " : "";
    }
    EXPECT_EQ(joined, text);
    const std::string after = TestSupport::DocumentBytes(doc);
    doc.Undo(false);
    EXPECT_EQ(TestSupport::DocumentBytes(doc), before);
    doc.Redo();
    EXPECT_EQ(TestSupport::DocumentBytes(doc), after);
}

}  // namespace
