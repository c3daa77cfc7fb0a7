// Converting notes between footnotes and endnotes, numbering after a note
// goes, and section breaks between sections with headers of their own:
// changing a break's kind and merging two sections, each undone and redone
// byte for byte.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditDoc.h"
#include "NoteChecks.h"
#include "base/core/TList.h"
#include "editing/sections/NoteFormatting.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/TCompoundFragment.h"
#include "model/undo/OperationArgs.h"
#include "model/undo/TOperation.h"
#include "support/ModelInvariants.h"

namespace {

class NotesAndSectionsTest : public ::testing::Test {
protected:
    TEditingInstalled Installed;
};

// The note texts of the listed notes (0 for the first reference).
void BodiesOf(const TEditDoc& ed, const std::vector<int>& notes, TList& list) {
    for (int i : notes)
        list.Add(ed.NoteRef(static_cast<std::size_t>(i))->Partner);
}

TEST_F(NotesAndSectionsTest, ConvertingNotesMovesThemInReferenceOrder) {
    struct Case {
        const char* Name;
        std::vector<int> First;   // converted beforehand, in its own operation
        std::vector<int> Second;  // the conversion undone and redone
        const char* Footnotes;
        const char* Endnotes;
    };
    const Case cases[] = {
        {"the middle footnote", {}, {1}, "[note 1] / [note 3]", "[note 2]"},
        {"two footnotes, listed out of order", {}, {2, 0}, "[note 2]", "[note 1] / [note 3]"},
        {"every footnote", {}, {0, 1, 2}, "", "[note 1] / [note 2] / [note 3]"},
        {"an endnote back among the footnotes", {0, 2}, {2}, "[note 2] / [note 3]", "[note 1]"},
        {"both ways in one operation", {1}, {0, 1}, "[note 2] / [note 3]", "[note 1]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc ed({"a^b", "c^d^e"});
        TDoc& doc = ed.Doc();
        if (!c.First.empty()) {
            TList first;
            BodiesOf(ed, c.First, first);
            doc.PerformOperation(TConvertNotesArgs{&first});
        }
        TList second;
        BodiesOf(ed, c.Second, second);
        ExpectUndoRedoExact(doc, [&] { doc.PerformOperation(TConvertNotesArgs{&second}); });
        EXPECT_EQ(ed.StoryText(stFootnotes), c.Footnotes);
        EXPECT_EQ(ed.StoryText(stEndnotes), c.Endnotes);
        for (std::size_t i = 0; i < 3; ++i) {
            const TField* body = ed.NoteRef(i)->Partner;
            TFragment range;
            ASSERT_TRUE(doc.FieldRange(body, range));
            EXPECT_EQ(doc.StoryOfPar(range.Start.Par), body->Endnote != 0 ? stEndnotes : stFootnotes)
                << "note " << i + 1 << " lies in the story of its kind";
        }
    }
}

TEST_F(NotesAndSectionsTest, NothingToConvertRecordsNothing) {
    TEditDoc ed({"a^b", "plain"});
    TDoc& doc = ed.Doc();
    const std::string before = TestSupport::DocumentBytes(doc);
    const std::int32_t undoBefore = doc.UndoList.Count;
    TList notNotes;
    notNotes.Add(ed.NoteRef(0));  // a reference, not a note text
    doc.PerformOperation(TConvertNotesArgs{&notNotes});
    const TList empty;
    doc.PerformOperation(TConvertNotesArgs{&empty});
    doc.PerformOperation(TConvertNotesArgs{nullptr});
    EXPECT_EQ(doc.UndoList.Count, undoBefore);
    EXPECT_EQ(TestSupport::DocumentBytes(doc), before);
}

TEST_F(NotesAndSectionsTest, DeletingANoteRenumbersTheRest) {
    struct Case {
        const char* Name;
        std::vector<int> Endnotes;  // converted first
        TTextPos Start;
        TTextPos End;
        const char* Footnotes;  // the footnote story afterwards
        const char* Numbers;
    };
    // "a^b" / "c^d^e": the references sit at (0,1), (1,1) and (1,3).
    const Case cases[] = {
        {"the first note", {}, {0, 1}, {0, 2}, "[note 2] / [note 3]", "f1 f2"},
        {"the middle note", {}, {1, 1}, {1, 2}, "[note 1] / [note 3]", "f1 f2"},
        {"the last note", {}, {1, 3}, {1, 4}, "[note 1] / [note 2]", "f1 f2"},
        {"a footnote before an endnote: endnotes count apart", {1}, {0, 1}, {0, 2}, "[note 3]", "ei f1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc ed({"a^b", "c^d^e"});
        TDoc& doc = ed.Doc();
        if (!c.Endnotes.empty()) {
            TList list;
            BodiesOf(ed, c.Endnotes, list);
            doc.PerformOperation(TConvertNotesArgs{&list});
        }
        const std::string numbersBefore = NoteNumbers(doc);
        ExpectUndoRedoExact(doc, [&] { doc.PerformOperation(TDeleteTextArgs{nullptr, c.Start, c.End, 0}); });
        EXPECT_EQ(ed.StoryText(stFootnotes), c.Footnotes);
        EXPECT_EQ(NoteNumbers(doc), c.Numbers);
        doc.Undo(false);
        EXPECT_EQ(NoteNumbers(doc), numbersBefore);
    }
}

// "one" / break / "two": the first section with an odd header and a
// footer, the second with an odd header and a first-page header.
struct TTwoSections {
    TEditDoc Ed{{"one", "", "two"}};
    TSection* First = nullptr;
    TSection* Second = nullptr;
    TField* FirstOdd = nullptr;
    TField* FirstFooter = nullptr;
    TField* SecondOdd = nullptr;
    TField* SecondFirstPage = nullptr;

    TTwoSections() {
        TDoc& doc = Ed.Doc();
        First = &BreakSectionAt(doc, 1);
        Second = doc.Sections.At<TSection>(1);
        FirstOdd = AddHeaderFooter(doc, *First, hfOddHeader, "head 1");
        FirstFooter = AddHeaderFooter(doc, *First, hfOddFooter, "foot 1");
        SecondOdd = AddHeaderFooter(doc, *Second, hfOddHeader, "head 2");
        SecondFirstPage = AddHeaderFooter(doc, *Second, hfFirstHeader, "first 2");
        First->Format.ColumnCount = 2;
    }
};

TEST_F(NotesAndSectionsTest, ChangingTheBreakKind) {
    TTwoSections two;
    TDoc& doc = two.Ed.Doc();
    ASSERT_EQ(two.First->Format.BreakKind, 1);
    ExpectUndoRedoExact(
        doc,
        [&] {
            doc.PerformOperation(TChangeSectionBreakArgs{1, 0});
        },
        false);
    EXPECT_EQ(two.First->Format.BreakKind, 0);
    doc.Undo(false);
    EXPECT_EQ(two.First->Format.BreakKind, 1);
    doc.Redo();
    EXPECT_EQ(two.First->Format.BreakKind, 0);
    EXPECT_EQ(two.First->HeadersFooters[hfOddHeader], two.FirstOdd) << "the headers stay";
    EXPECT_EQ(two.Second->HeadersFooters[hfOddHeader], two.SecondOdd);

    const std::int32_t undoCount = doc.UndoList.Count;
    doc.PerformOperation(TChangeSectionBreakArgs{1, 0});  // already continuous
    doc.PerformOperation(TChangeSectionBreakArgs{0, 3});  // "one" ends no section
    doc.PerformOperation(TChangeSectionBreakArgs{99, 3});
    EXPECT_EQ(doc.UndoList.Count, undoCount);
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
}

TEST_F(NotesAndSectionsTest, MergingTwoSectionsWithDifferentHeaders) {
    struct Case {
        const char* Name;
        bool KeepFirst;
        bool BreakHasText;  // the break's paragraph holds text before the break
        const char* Main;
        std::int32_t Columns;
        bool OddIsFirsts;
    };
    const Case cases[] = {
        {"the first section's properties", true, false, "one / two", 2, true},
        {"the second section's properties", false, false, "one / two", 1, false},
        {"a break after text keeps the text's paragraph", true, true, "one / x / two", 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TTwoSections two;
        TDoc& doc = two.Ed.Doc();
        if (c.BreakHasText) {
            doc.Caret = TTextPos{1, 0};
            doc.Selection->SetSingle(1, 0, 1, 0);
            const TextBytes x("x");
            doc.PerformOperation(TInsertTextArgs{&x, 0});
        }
        TSection* kept = c.KeepFirst ? two.First : two.Second;
        TSection* removed = c.KeepFirst ? two.Second : two.First;
        ExpectUndoRedoExact(doc, [&] { doc.PerformOperation(TMergeSectionsArgs{kept, removed}); });
        ASSERT_EQ(doc.Sections.Count, 1);
        const auto* survivor = doc.Sections.At<TSection>(0);
        EXPECT_EQ(two.Ed.Text(), c.Main);
        EXPECT_EQ(survivor->Format.ColumnCount, c.Columns);
        EXPECT_EQ(survivor->HeadersFooters[hfOddHeader], c.OddIsFirsts ? two.FirstOdd : two.SecondOdd);
        for (TField* field : survivor->HeadersFooters)
            EXPECT_TRUE(field == nullptr || doc.Fields.Contains(field)) << "the section shows a deleted header";
        doc.Undo(false);
        ASSERT_EQ(doc.Sections.Count, 2);
        EXPECT_EQ(two.First->HeadersFooters[hfOddHeader], two.FirstOdd);
        EXPECT_EQ(two.First->Format.ColumnCount, 2);
        EXPECT_EQ(two.Second->HeadersFooters[hfFirstHeader], two.SecondFirstPage);
        EXPECT_EQ(two.Second->Format.ColumnCount, 1);
    }
}

TEST_F(NotesAndSectionsTest, MergingSectionsThatAreNotNeighboursDoesNothing) {
    TEditDoc ed({"one", "", "two", "", "three"});
    TDoc& doc = ed.Doc();
    TSection& first = BreakSectionAt(doc, 1);
    BreakSectionAt(doc, 3);
    TSection* last = doc.Sections.At<TSection>(2);
    const std::string before = TestSupport::DocumentBytes(doc);
    const std::int32_t undoCount = doc.UndoList.Count;
    doc.PerformOperation(TMergeSectionsArgs{&first, last});
    doc.PerformOperation(TMergeSectionsArgs{&first, &first});
    doc.PerformOperation(TMergeSectionsArgs{&first, nullptr});
    EXPECT_EQ(doc.UndoList.Count, undoCount);
    EXPECT_EQ(TestSupport::DocumentBytes(doc), before);
}

TEST_F(NotesAndSectionsTest, FormattingNotesOfSomeSections) {
    TEditDoc ed({"one", "", "two", "", "three"});
    TDoc& doc = ed.Doc();
    TSection& first = BreakSectionAt(doc, 1);
    TSection& second = BreakSectionAt(doc, 3);
    TSection& last = *doc.Sections.At<TSection>(2);
    TNoteSettings footnotes;
    footnotes.NumberFormat = 2;
    footnotes.StartNumber = 5;
    footnotes.Restart = 1;
    const std::int32_t oldPlacement = last.EndnoteSettings.Position;
    TNoteSettings endnotes = last.EndnoteSettings;
    endnotes.Position = oldPlacement == 3 ? 1 : 3;
    const TNoteSettings old = first.FootnoteSettings;
    const std::int32_t undoCount = doc.UndoList.Count;
    auto* step = new TOperation(&doc, unFormatSections);
    doc.BeginOperation(step);
    FormatNotes(doc, 2, 4, footnotes, endnotes, nullptr);
    doc.EndOperation();
    doc.CommitOperation(step);
    ASSERT_EQ(doc.UndoList.Count, undoCount + 1);
    auto expect = [&](bool formatted) {
        EXPECT_EQ(first.FootnoteSettings.NumberFormat, old.NumberFormat)
            << "the section before the range keeps its own";
        for (TSection* s : {&second, &last}) {
            EXPECT_EQ(s->FootnoteSettings.NumberFormat, formatted ? 2 : old.NumberFormat);
            EXPECT_EQ(s->FootnoteSettings.StartNumber, formatted ? 5 : old.StartNumber);
        }
        for (TSection* s : {&first, &second, &last})
            EXPECT_EQ(s->EndnoteSettings.Position, formatted ? endnotes.Position : oldPlacement)
                << "the endnote placement is the document's";
    };
    expect(true);
    doc.Undo(false);
    expect(false);
    doc.Redo();
    expect(true);

    // The same settings again change nothing and record nothing.
    step = new TOperation(&doc, unFormatSections);
    doc.BeginOperation(step);
    FormatNotes(doc, 2, 4, footnotes, endnotes, nullptr);
    doc.EndOperation();
    doc.CommitOperation(step);
    EXPECT_EQ(doc.UndoList.Count, undoCount + 1);
}

}  // namespace
