// Inserting footnotes and endnotes: the reference in the text, the note
// text at its place in the note story, the numbers both show, and the
// caret in the new note; each insertion undone and redone byte for byte.

#include <gtest/gtest.h>

#include <string>

#include "EditDoc.h"
#include "NoteChecks.h"
#include "editing/sections/NoteInsertion.h"
#include "model/document/TDoc.h"
#include "model/fields/TField.h"
#include "model/formats/TCompoundFragment.h"
#include "model/undo/OperationArgs.h"
#include "support/ModelInvariants.h"

namespace {

class NoteInsertionTest : public ::testing::Test {
protected:
    TEditingInstalled Installed;
};

void PlaceCaret(TDoc& doc, TTextPos pos) {
    doc.Caret = pos;
    doc.Selection->Reset();
    MakeFragmentFromPositions(pos, pos, doc.Selection->Fragment(0));
}

TEST_F(NoteInsertionTest, InsertingANote) {
    struct Case {
        const char* Name;
        TTextPos Start;
        TTextPos End;  // equal to Start: no selection
        TNoteOptions Options;
        const char* Main;
        const char* Footnotes;
        const char* Endnotes;
        const char* Numbers;
        TTextPos Caret;
    };
    // "a^b" / "cdef": the note 1 reference sits at (0, 1); the main text
    // takes paragraphs 0 and 1, the footnote story starts at 2.
    const Case cases[] = {
        {"a footnote after the one there", {1, 2}, {1, 2}, {}, "a^b / cd^ef", "[note 1] / [<^> ]", "", "f1 f2", {3, 2}},
        {"a footnote before the one there goes first in the story",
         {0, 0},
         {0, 0},
         {},
         "^a^b / cdef",
         "[<^> ] / [note 1]",
         "",
         "f1 f2",
         {2, 2}},
        {"an endnote counts apart from the footnotes",
         {0, 0},
         {0, 0},
         {u"", "", 0, nkEndnote},
         "^a^b / cdef",
         "[note 1]",
         "[<^> ]",
         "ei f1",
         {3, 2}},
        {"a selection is replaced", {1, 1}, {1, 3}, {}, "a^b / c^f", "[note 1] / [<^> ]", "", "f1 f2", {3, 2}},
        {"a selection across paragraphs", {0, 2}, {1, 2}, {}, "a^^ef", "[note 1] / [<^> ]", "", "f1 f2", {2, 2}},
        {"a custom mark",
         {1, 4},
         {1, 4},
         {u"**", "", 0, nkFootnote},
         "a^b / cdef**",
         "[note 1] / [<**> ]",
         "",
         "f1 f**",
         {3, 3}},
        {"control characters are not part of a mark",
         {1, 0},
         {1, 0},
         {u"\t\x01", "", 0, nkFootnote},
         "a^b / ^cdef",
         "[note 1] / [<^> ]",
         "",
         "f1 f2",
         {3, 2}},
        {"a font without a font manager keeps the text's font",
         {1, 0},
         {1, 0},
         {u"+", "Symbol", 0, nkFootnote},
         "a^b / +cdef",
         "[note 1] / [<+> ]",
         "",
         "f1 f+",
         {3, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc ed({"a^b", "cdef"});
        TDoc& doc = ed.Doc();
        PlaceCaret(doc, c.Start);
        if (CompareTextPos(c.Start, c.End) != 0) {
            doc.Selection->SetSingle(c.Start.Par, c.Start.Offset, c.End.Par, c.End.Offset);
            doc.Caret = c.End;
        }
        ExpectUndoRedoExact(doc, [&] {
            doc.PerformOperation(TInsertNoteArgs{&c.Options});
            // The caret as the insertion leaves it, before undo and redo
            // move it.
            EXPECT_EQ(doc.Caret.Par, c.Caret.Par);
            EXPECT_EQ(doc.Caret.Offset, c.Caret.Offset);
            EXPECT_TRUE(IsEmptyCompoundFragment(doc.Selection));
        });
        EXPECT_EQ(doc.UndoList.Count, 1);
        EXPECT_EQ(ed.Text(), c.Main);
        EXPECT_EQ(ed.StoryText(stFootnotes), c.Footnotes);
        EXPECT_EQ(ed.StoryText(stEndnotes), c.Endnotes);
        EXPECT_EQ(NoteNumbers(doc), c.Numbers);
    }
}

// The reference and the note's own mark are raised as the document's
// reference format asks; the text around them and the blank are not.
TEST_F(NoteInsertionTest, MarksTakeTheReferenceFormat) {
    TEditDoc ed({"abc"});
    TDoc& doc = ed.Doc();
    doc.NoteCharFormats[0][0][caBold] = 1;
    PlaceCaret(doc, {0, 1});
    const TNoteOptions options;
    doc.PerformOperation(TInsertNoteArgs{&options});
    ASSERT_EQ(ed.Text(), "a^bc");
    struct Case {
        const char* Name;
        TTextPos Pos;
        std::int32_t Script;
        std::int32_t Bold;
    };
    const Case cases[] = {
        {"the text before", {0, 0}, 0, 0}, {"the reference", {0, 1}, 1, 1}, {"the text after", {0, 2}, 0, 0},
        {"the note's mark", {1, 0}, 1, 1}, {"the blank", {1, 1}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TCharFormat format;
        doc.FormatAtPos(c.Pos, format);
        EXPECT_EQ(format[caScript], c.Script);
        EXPECT_EQ(format[caBold], c.Bold);
    }
}

// Three notes inserted one after another out of text order end up in
// reference order, and deleting the middle reference renumbers the rest.
TEST_F(NoteInsertionTest, NotesKeepReferenceOrderAndRenumber) {
    TEditDoc ed({"abcdef"});
    TDoc& doc = ed.Doc();
    const TNoteOptions options;
    for (std::int32_t offset : {4, 1, 3}) {
        PlaceCaret(doc, {0, offset});
        doc.PerformOperation(TInsertNoteArgs{&options});
        // Each note's text tells where its reference went in.
        const TextBytes text("at " + std::to_string(offset));
        doc.PerformOperation(TInsertTextArgs{&text, 0});
    }
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    EXPECT_EQ(ed.Text(), "a^b^cd^ef");
    EXPECT_EQ(ed.StoryText(stFootnotes), "[<^> at 1] / [<^> at 3] / [<^> at 4]");
    EXPECT_EQ(NoteNumbers(doc), "f1 f2 f3");
    const std::string before = TestSupport::DocumentBytes(doc);
    doc.PerformOperation(TDeleteTextArgs{nullptr, {0, 3}, {0, 4}, 0});
    EXPECT_EQ(ed.StoryText(stFootnotes), "[<^> at 1] / [<^> at 4]");
    EXPECT_EQ(NoteNumbers(doc), "f1 f2");
    doc.Undo(false);
    EXPECT_EQ(TestSupport::DocumentBytes(doc), before);
}

TEST_F(NoteInsertionTest, NothingToInsertRecordsNothing) {
    struct Case {
        const char* Name;
        TTextPos Caret;
        TNoteOptions Options;
        bool NoOptions;
    };
    // "a^b": the footnote story's only paragraph is 1.
    const Case cases[] = {
        {"no options", {0, 1}, {}, true},
        {"no such kind", {0, 1}, {u"", "", 0, 0}, false},
        {"a kind past the endnotes", {0, 1}, {u"", "", 0, 3}, false},
        {"a caret inside a note's text", {1, 2}, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc ed({"a^b"});
        TDoc& doc = ed.Doc();
        PlaceCaret(doc, c.Caret);
        const std::string before = TestSupport::DocumentBytes(doc);
        doc.PerformOperation(TInsertNoteArgs{c.NoOptions ? nullptr : &c.Options});
        EXPECT_EQ(doc.UndoList.Count, 0);
        EXPECT_EQ(TestSupport::DocumentBytes(doc), before);
    }
}

}  // namespace
