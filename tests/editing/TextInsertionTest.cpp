#include "editing/typing/TextInsertion.h"

#include <algorithm>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "EditDoc.h"
#include "editing/typing/SmartSpacing.h"
#include "model/document/TDoc.h"
#include "model/fields/FieldInstructions.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "model/undo/TOperation.h"
#include "support/ModelInvariants.h"

namespace {

class TypingTest : public ::testing::Test {
protected:
    TEditingInstalled Installed;
    void TearDown() override { TypingOptions() = TTypingOptions{}; }

    static void Type(TDoc& doc, const std::string& text, std::int32_t flags = 0) {
        const TextBytes bytes(text);
        doc.PerformOperation(TInsertTextArgs{&bytes, flags});
    }
    static void PlaceCaret(TDoc& doc, std::int32_t par, std::int32_t offset) {
        MakeTextPos(par, offset, doc.Caret);
        doc.Selection->Reset();
        MakeFragmentFromPositions(doc.Caret, doc.Caret, doc.Selection->Fragment(0));
    }
};

TEST_F(TypingTest, PlainTextBecomesParagraphsAndSpecialCharacters) {
    struct Case {
        const char* Name;
        std::string Text;
        std::string Expected;
        std::int32_t CaretPar;
        std::int32_t CaretOffset;
    };
    const Case cases[] = {
        {"CR LF pair counts once", "abc\r\ndef", "xabc / defy", 1, 3},
        {"LF CR pair counts once", "a\n\rb", "xa / by", 1, 1},
        {"two CRs are two paragraphs", "a\r\rb", "xa /  / by", 2, 1},
        {"en dash, em dash, no-break space, soft hyphen",
         std::string("a\x96\x97\xA0\x1F"
                     "b"),
         "xa{en}{em}{nbsp}{shy}by", 0, 7},
        {"tab, line, page and column breaks", "\t\x0B\x0C\x0F\x10", "x\t{line}{page}{column}{nbh}y", 0, 6},
        {"other control bytes are dropped",
         std::string("a\x01\x02\x1B"
                     "b",
                     5),
         "xaby", 0, 3},
        {"nothing but dropped bytes inserts nothing", std::string("\x01\x02", 2), "xy", 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc ed({"xy"});
        TDoc& doc = ed.Doc();
        PlaceCaret(doc, 0, 1);
        Type(doc, c.Text);
        EXPECT_EQ(ed.Text(), c.Expected);
        EXPECT_EQ(doc.Caret.Par, c.CaretPar);
        EXPECT_EQ(doc.Caret.Offset, c.CaretOffset);
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    }
}

TEST_F(TypingTest, BreaksInsideTableCellsBecomeLineBreaks) {
    TEditDoc ed({"T|ab", "#", "after"});
    TDoc& doc = ed.Doc();
    PlaceCaret(doc, 0, 1);
    Type(doc, "\x0C\x0F");
    EXPECT_EQ(ed.Text(), "T|a{line}{line}b / # / after");
    // The flag keeps them what they are.
    PlaceCaret(doc, 0, 0);
    Type(doc, "\x0C", ifBreaksInTables);
    EXPECT_EQ(ed.Text(), "T|{page}a{line}{line}b / # / after");
}

TEST_F(TypingTest, UnicodeTextMapsSpecialsAndKeepsOtherCharacters) {
    TEditDoc ed({"xy"});
    TDoc& doc = ed.Doc();
    PlaceCaret(doc, 0, 1);
    const char16_t text[] = {u'a', 0x2014, 0x00A0, 0x0416, 0x2003};
    TMemory bytes;
    bytes.AppendBuffer(reinterpret_cast<const std::uint8_t*>(text), sizeof(text));
    doc.PerformOperation(TInsertTextArgs{&bytes, ifUtf16});
    EXPECT_EQ(ed.Text(), "xa{em}{nbsp}{U+1046}{19}y");
    EXPECT_EQ(doc.Caret.Offset, 6);
}

TEST_F(TypingTest, TypedTextUndoesAndRedoes) {
    TEditDoc ed({"one", "two"});
    TDoc& doc = ed.Doc();
    const std::string before = TestSupport::DocumentBytes(doc);
    PlaceCaret(doc, 0, 3);
    Type(doc, " more\rlines");
    const std::string after = TestSupport::DocumentBytes(doc);
    EXPECT_EQ(ed.Text(), "one more / lines / two");
    doc.Undo(false);
    EXPECT_EQ(TestSupport::DocumentBytes(doc), before);
    doc.Redo();
    EXPECT_EQ(TestSupport::DocumentBytes(doc), after);
}

TEST_F(TypingTest, InsertingWhileRecordingIsSuspendedReadsNoFreedStep) {
    // With recording suspended the document frees each step as soon as it
    // is handed over; the insertion must have read its end before that.
    TEditDoc ed({"one", "two"});
    TDoc& doc = ed.Doc();
    doc.BeginOperation(nullptr);
    ASSERT_TRUE(doc.RecordingSuspended());
    const TextBytes text(" more\rlines");
    InsertText(doc, text, TTextPos{0, 3}, 0);
    doc.EndOperation();
    EXPECT_EQ(ed.Text(), "one more / lines / two");
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
}

TEST_F(TypingTest, OvertypeNeverTakesTheParagraphMark) {
    struct Case {
        const char* Name;
        std::int32_t Offset;
        std::string Text;
        std::string Expected;
    };
    const Case cases[] = {
        {"a letter replaces the next one", 1, "X", "aXc"},
        {"a tab replaces the next one", 1, "\t", "a\tc"},
        {"before the mark it only inserts", 3, "X", "abcX"},
        {"Enter never overtypes", 1, "\r", "a / bc"},
        {"two letters insert both and take nothing", 1, "XY", "aXYbc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc ed({"abc"});
        TDoc& doc = ed.Doc();
        TypingOptions().Overtype = true;
        PlaceCaret(doc, 0, c.Offset);
        Type(doc, c.Text);
        EXPECT_EQ(ed.Text(), c.Expected);
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    }
}

TEST_F(TypingTest, EnterOnAnEmptyListItemEndsTheList) {
    TEditDoc ed({"L|first", "L|"});
    TDoc& doc = ed.Doc();
    PlaceCaret(doc, 1, 0);
    Type(doc, "\r");
    EXPECT_EQ(ed.Text(), "L|first /  / ");
    // Enter on a list item with text keeps the list.
    TEditDoc other({"L|first"});
    PlaceCaret(other.Doc(), 0, 5);
    Type(other.Doc(), "\r");
    EXPECT_EQ(other.Text(), "L|first / L|");
}

TEST_F(TypingTest, TypingOverOneWholeCellKeepsTheCell) {
    TEditDoc ed({"T|abc", "T|def", "#"});
    TDoc& doc = ed.Doc();
    // The whole first cell with its mark.
    doc.Selection->SetSingle(0, 0, 1, 0);
    doc.Caret = TTextPos{1, 0};
    Type(doc, "X");
    EXPECT_EQ(ed.Text(), "T|X / T|def / #");
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
}

TEST_F(TypingTest, SmartSpacingAroundWordsAndPunctuation) {
    struct Case {
        const char* Name;
        std::string Par;
        std::int32_t Offset;
        std::string Text;
        std::string Expected;
    };
    const Case cases[] = {
        {"a word between two touching words gets a space each side", "onetwo", 3, "X", "one X two"},
        {"a comma after a space pulls up to the word", "one two", 4, ",", "one, two"},
        {"a word after an opening parenthesis gets none before it", "(two", 1, "one", "(one two"},
        {"a word before a full stop gets none after it", "one.", 3, " two", "one two."},
        {"surplus spaces after the inserted word go", "one   two", 4, "X", "one X two"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc ed({c.Par});
        TDoc& doc = ed.Doc();
        PlaceCaret(doc, 0, c.Offset);
        Type(doc, c.Text, ifSmartSpacing);
        EXPECT_EQ(ed.Text(), c.Expected);
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    }
}

TEST_F(TypingTest, TwoSpacesAfterASentenceSurviveWithTheOption) {
    for (bool two : {false, true}) {
        SCOPED_TRACE(two ? "option on" : "option off");
        TEditDoc ed({"end.   Next"});
        TDoc& doc = ed.Doc();
        TypingOptions().TwoSpacesAfterSentence = two;
        TSmartSpaceResult result;
        doc.BeginOperation(new TOperation(&doc, 0));
        AdjustSmartSpaces(doc, TTextPos{0, 4}, result);
        auto* op = doc.CurrentOperation;
        doc.EndOperation();
        doc.CommitOperation(op);
        EXPECT_EQ(ed.Text(), two ? "end.  Next" : "end. Next");
    }
}

TEST_F(TypingTest, EditingAHyperlinkThatShowsItsAddressRetargetsIt) {
    TEditDoc ed({"see <www.a.com> now", "see <text> now"},
                {{fkCode, ftHyperlink, u"HYPERLINK \"www.a.com\""}, {fkCode, ftHyperlink, u"HYPERLINK \"www.b.com\""}});
    TDoc& doc = ed.Doc();
    PlaceCaret(doc, 0, 9);
    Type(doc, "x");
    std::u16string target, bookmark;
    ParseHyperlinkCode(ed.Field(0)->Instruction, target, bookmark, nullptr);
    EXPECT_EQ(target, u"www.ax.com");
    PlaceCaret(doc, 1, 6);
    Type(doc, "x");
    EXPECT_EQ(ed.Field(1)->Instruction, u"HYPERLINK \"www.b.com\"");
    doc.Undo(false);
    doc.Undo(false);
    ParseHyperlinkCode(ed.Field(0)->Instruction, target, bookmark, nullptr);
    EXPECT_EQ(target, u"www.a.com");
}

TEST_F(TypingTest, AMissingCharacterTakesTheFallbackFont) {
    TEditDoc ed({"xy"});
    TDoc& doc = ed.Doc();
    SetFallbackFontFinder([](TDoc&, char16_t ch, const TCharFormat&) { return ch == 0x0416 ? 7 : -1; });
    PlaceCaret(doc, 0, 1);
    const char16_t text[] = {0x0416};
    TMemory bytes;
    bytes.AppendBuffer(reinterpret_cast<const std::uint8_t*>(text), sizeof(text));
    doc.PerformOperation(TInsertTextArgs{&bytes, ifUtf16});
    SetFallbackFontFinder(nullptr);
    TCharFormat format;
    doc.FormatAtPos(TTextPos{0, 1}, format);
    EXPECT_EQ(format[caFont], 7);
    doc.FormatAtPos(TTextPos{0, 2}, format);
    EXPECT_NE(format[caFont], 7);
}

}  // namespace

namespace {

// Two note texts that a deletion joined into one paragraph, standing in the
// opposite order to their references. Reordering the notes after a paragraph
// end typed into the first text must not move the paragraph holding the
// second one in front: that would put the first text's end mark before its
// start.
TEST_F(TypingTest, NoteTextsSharingAParagraphMoveTogether) {
    TEditDoc ed({"a^ b^ end"});
    TDoc& doc = ed.Doc();
    TField* first = ed.NoteRef(0);
    TField* second = ed.NoteRef(1);
    TField* firstBody = first->Partner;
    TField* secondBody = second->Partner;
    first->Partner = secondBody;
    secondBody->Partner = first;
    second->Partner = firstBody;
    firstBody->Partner = second;
    const std::int32_t note = doc.FirstParOfStory(stFootnotes);
    doc.PerformOperation(TDeleteTextArgs{nullptr, TTextPos{note, 6}, TTextPos{note + 1, 0}, 0});
    ASSERT_EQ(doc.StoryCounts[stFootnotes], 1);
    ASSERT_EQ(TestSupport::CheckModelInvariants(doc), "");
    const std::string before = TestSupport::DocumentBytes(doc);

    PlaceCaret(doc, note, 2);
    Type(doc, "\r");
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    EXPECT_EQ(ed.StoryText(stFootnotes), "[no / te 1][note 2]");
    const std::string after = TestSupport::DocumentBytes(doc);
    doc.Undo(false);
    EXPECT_EQ(TestSupport::DocumentBytes(doc), before);
    doc.Redo();
    EXPECT_EQ(TestSupport::DocumentBytes(doc), after);
}

}  // namespace

namespace {

// The invariants compare where marks stand; an empty field's marks share a
// place, so only their order in the stream shows an end before its start.
TEST(ModelInvariantsTest, AnEndMarkBeforeItsStartInOneRunOfControlsIsCaught) {
    TEditingInstalled installed;
    TEditDoc ed({"a<>c"}, {{fkBookmark, 0, u"empty"}});
    TDoc& doc = ed.Doc();
    ASSERT_EQ(TestSupport::CheckModelInvariants(doc), "");
    TPar* par = doc.Par(0);
    std::int32_t startOff = -1, endOff = -1, length = 0;
    TStreamElement e;
    for (std::int32_t off = 0; off < par->Stream.Size; off += e.Length) {
        ReadStreamElement(par->Stream.Data, par->Stream.Size, off, e);
        if (e.IsControl && e.Code == fcFieldStart)
            startOff = off;
        if (e.IsControl && e.Code == fcFieldEnd) {
            endOff = off;
            length = e.Length;
        }
    }
    ASSERT_EQ(endOff, startOff + length);
    // Both marks name the same field and are as long: swapping their bytes
    // puts the end first.
    std::string run(reinterpret_cast<const char*>(par->Stream.Data + startOff), 2 * length);
    std::rotate(run.begin(), run.begin() + length, run.end());
    std::memcpy(par->Stream.Data + startOff, run.data(), run.size());
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "field 0 ends before it starts (0,1 to 0,1)");
}

}  // namespace
