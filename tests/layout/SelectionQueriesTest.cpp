// Questions about the selection and the ranges of whole stories.

#include <gtest/gtest.h>

#include <vector>

#include "LineFixture.h"
#include "base/core/ObjectHandles.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TShape.h"

namespace {

class SelectionQueriesTest : public LineFixture {
protected:
    static TFragment Range(std::int32_t p0, std::int32_t o0, std::int32_t p1, std::int32_t o1) {
        TFragment range;
        MakeFragment(p0, o0, p1, o1, range);
        return range;
    }
    void Select(std::initializer_list<TFragment> ranges) {
        Doc->Selection->SetCount(static_cast<std::int32_t>(ranges.size()));
        std::int32_t i = 0;
        for (const TFragment& r : ranges)
            Doc->Selection->Fragment(i++) = r;
    }
    // Paragraphs 0 and 1 in the body, 2 in the footnotes.
    void BodyAndFootnote() {
        Par("body one");
        Par("body two");
        Par("note");
        Doc->StoryCounts[stMain] = 2;
        Doc->StoryCounts[stFootnotes] = 1;
    }
    // A shape anchored at the end of a paragraph's text.
    TShape* AppendShape(TPar& par, bool horizontalLine) {
        auto* shape = new TShape(Doc.get());
        shape->Props.SetProp(spHorizRule, horizontalLine ? 1 : 0);
        Doc->Shapes.Add(shape);
        AppendAttr(par, fcShapeAnchor, static_cast<std::int32_t>(ObjectHandle(shape)));
        par.Chars.SetSize(par.Chars.Size - 1);
        par.Chars.AppendByte(chShapeAnchor);
        par.Chars.AppendByte(chParEnd);
        par.Changed();
        return shape;
    }
};

TEST_F(SelectionQueriesTest, TheStoryOfTheSelection) {
    BodyAndFootnote();
    MakeTextPos(2, 1, Doc->Caret);
    EXPECT_FALSE(Doc->HasSelection());
    EXPECT_EQ(Doc->SelectionStory(), stFootnotes);
    EXPECT_TRUE(Doc->SelectionInNotes());
    Select({Range(0, 0, 0, 2), Range(1, 1, 1, 3)});
    EXPECT_EQ(Doc->SelectionStory(), stMain);
    EXPECT_FALSE(Doc->SelectionInNotes());
    Select({Range(0, 0, 0, 2), Range(2, 1, 2, 3)});
    EXPECT_EQ(Doc->SelectionStory(), 0xFF);
    EXPECT_TRUE(Doc->SelectionInNotes());
    EXPECT_EQ(Doc->SelectionStartPar(), 0);
}

TEST_F(SelectionQueriesTest, RangesOfTheSelection) {
    BodyAndFootnote();
    Select({Range(0, 2, 0, 4), Range(0, 4, 1, 9)});
    EXPECT_TRUE(Doc->HasSelection());
    EXPECT_FALSE(Doc->HasSingleSelection());
    EXPECT_TRUE(Doc->SelectionIsContiguous());  // the two touch
    EXPECT_TRUE(Doc->IsParWhollySelected(1));
    EXPECT_FALSE(Doc->IsParWhollySelected(0));
    TTextPos pos;
    MakeTextPos(0, 4, pos);
    EXPECT_TRUE(Doc->IsPosSelected(pos));
    MakeTextPos(1, 9, pos);
    EXPECT_FALSE(Doc->IsPosSelected(pos));  // ends are exclusive
    Select({Range(0, 0, 0, 1), Range(0, 3, 0, 4)});
    EXPECT_FALSE(Doc->SelectionIsContiguous());

    // Without a selection, the caret paragraph stands in.
    Select({Range(0, 0, 0, 0)});
    MakeTextPos(1, 2, Doc->Caret);
    TCompoundFragment* set = Doc->SelectionOrCaretPar();
    EXPECT_TRUE(FragmentsEqual(set->Fragment(0), Range(1, 0, 1, 9)));
    ReleaseCompoundFragment(set);
}

TEST_F(SelectionQueriesTest, StoryRanges) {
    BodyAndFootnote();
    TFragment range;
    Doc->WholeDocRange(range);
    EXPECT_TRUE(FragmentsEqual(range, Range(0, 0, 2, 5)));
    Doc->MainTextRange(range);
    EXPECT_TRUE(FragmentsEqual(range, Range(0, 0, 1, 9)));
    Doc->TextStoriesRange(range);
    EXPECT_TRUE(FragmentsEqual(range, Range(0, 0, 2, 5)));
    MakeTextPos(2, 0, Doc->Caret);
    Doc->CurrentStoryRange(range);
    EXPECT_TRUE(FragmentsEqual(range, Range(2, 0, 2, 5)));
    TCompoundFragment* set = NewCompoundFragment();
    set->SetSingle(0, 0, 0, 0);
    Doc->TextStoryRanges(*set);
    ASSERT_EQ(set->Count(), 3);
    EXPECT_TRUE(FragmentsEqual(set->Fragment(1), Range(0, 0, 1, 9)));
    EXPECT_TRUE(FragmentsEqual(set->Fragment(2), Range(2, 0, 2, 5)));
    ReleaseCompoundFragment(set);
}

TEST_F(SelectionQueriesTest, WholeWordsRanges) {
    TPar& par = Par("a word here ");
    AppendShape(par, false);
    AppendText(par, " x");
    const std::int32_t p = par.Index;
    struct Case {
        const char* name;
        TFragment range;
        bool whole;
    };
    const Case cases[] = {
        {"one word", Range(p, 2, p, 6), true},
        {"from the paragraph start", Range(p, 0, p, 1), true},
        {"cut inside a word", Range(p, 3, p, 6), false},
        {"ending inside a word", Range(p, 2, p, 5), false},
        {"empty", Range(p, 2, p, 2), false},
        {"a picture between blanks", Range(p, 12, p, 13), false},
        {"the picture with its blanks", Range(p, 11, p, 14), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Doc->IsWholeWordsRange(c.range), c.whole);
    }
    EXPECT_TRUE(Doc->IsSinglePictureRange(Range(p, 12, p, 13)));
    EXPECT_TRUE(Doc->RangeHasControlChars(Range(p, 10, p, 14)));
    EXPECT_FALSE(Doc->RangeHasControlChars(Range(p, 0, p, 11)));
    Select({Range(p, 12, p, 13)});
    EXPECT_TRUE(Doc->IsPictureSelected());
    EXPECT_FALSE(Doc->AllRangesWholeWords(*Doc->Selection));
}

TEST_F(SelectionQueriesTest, SelectedPicturesAndShapes) {
    TPar& par = Par("a ");
    TShape* picture = AppendShape(par, false);
    AppendText(par, " b ");
    TShape* line = AppendShape(par, true);
    const std::int32_t p = par.Index;
    TTextPos pos;
    MakeTextPos(p, 2, pos);
    EXPECT_EQ(Doc->ShapeAt(pos), picture);
    MakeTextPos(p, 1, pos);
    EXPECT_EQ(Doc->ShapeAt(pos), nullptr);

    Select({Range(p, 0, p, par.CharCount())});
    TList* list = TList::Acquire();
    TCompoundFragment* anchors = NewCompoundFragment();
    EXPECT_EQ(Doc->SelectedPictures(list, anchors, 1), 1);
    ASSERT_EQ(list->Count, 1);
    EXPECT_EQ(list->Items[0], picture);
    EXPECT_TRUE(FragmentsEqual(anchors->Fragment(0), Range(p, 2, p, 3)));
    EXPECT_EQ(Doc->SelectedPictures(list, nullptr, 2), 1);
    EXPECT_EQ(list->Items[0], line);
    EXPECT_EQ(Doc->SelectedPictures(nullptr, nullptr, 3), 2);
    // Shapes selected apart from the text count with the pictures.
    Doc->SelectedShapes.Add(line);
    EXPECT_EQ(Doc->SelectedPictures(list, nullptr, 1), 2);
    Doc->SelectedShapes.Clear();
    Select({Range(p, 0, p, 2)});
    EXPECT_EQ(Doc->SelectedPictures(list, nullptr, 3), 0);
    EXPECT_EQ(list->Count, 0);
    ReleaseCompoundFragment(anchors);
    TList::Release(list);
}

TEST_F(SelectionQueriesTest, TablesAndRows) {
    // One row of two cells ("a", "b c") and its row end, then body text.
    TPar& a = Par("a");
    TPar& b = Par("b");
    TPar& c = Par("c");
    TPar& rowEnd = Par("");
    Par("after");
    for (TPar* p : {&a, &b, &c, &rowEnd})
        p->Format.InTable = 1;
    const auto endWith = [](TPar& par, std::uint8_t code, std::uint8_t control) {
        par.Stream.SetSize(par.Stream.Size - FormatControlSize);
        par.Chars.SetSize(par.Chars.Size - 1);
        AppendFormatControl(par.Stream, control, 0);
        par.Chars.AppendByte(code);
        par.Changed();
    };
    endWith(a, chCellEnd, fcCellEnd);
    endWith(c, chCellEnd, fcCellEnd);
    rowEnd.Stream.Clear();
    rowEnd.Chars.Clear();
    AppendFormatControl(rowEnd.Stream, fcRowEnd, 0);
    rowEnd.Chars.AppendByte(chRowEnd);
    rowEnd.Changed();
    struct Case {
        const char* name;
        TFragment range;
        bool cuts;
    };
    const Case cases[] = {
        {"inside one cell", Range(1, 0, 2, 1), false},    {"the whole row", Range(0, 0, 3, 1), false},
        {"from inside the row", Range(1, 0, 3, 1), true}, {"up to the middle of the row", Range(0, 0, 1, 1), true},
        {"outside the table", Range(4, 0, 4, 2), false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(Doc->RangeCutsTableRow(k.range), k.cuts);
    }
    Doc->CurParFormat = a.Format;
    Select({Range(0, 0, 2, 1)});
    EXPECT_TRUE(Doc->SelectionInOneTable());
    EXPECT_TRUE(Doc->IsCellSelection(Doc->Selection));
    EXPECT_FALSE(Doc->SelectionOnlyRowEnds());
    Select({Range(1, 0, 2, 1)});
    EXPECT_FALSE(Doc->IsCellSelection(Doc->Selection));  // inside one cell
    Select({Range(0, 0, 4, 2)});
    EXPECT_FALSE(Doc->SelectionInOneTable());
    Select({Range(3, 0, 3, 1)});
    EXPECT_TRUE(Doc->SelectionOnlyRowEnds());
    EXPECT_TRUE(Doc->CaretOnRowEnd());
}

TEST_F(SelectionQueriesTest, NotesAndFields) {
    // Body "see 1", two footnotes of one paragraph each.
    TPar& body = Par("see ");
    TPar& first = Par("");
    TPar& second = Par("");
    Doc->StoryCounts[stMain] = 1;
    Doc->StoryCounts[stFootnotes] = 2;
    std::vector<TField*> bodies;
    for (TPar* p : {&first, &second}) {
        auto* note = new TField;
        note->Kind = fkNoteBody;
        Doc->Fields.Add(note);
        bodies.push_back(note);
        const auto handle = static_cast<std::int32_t>(ObjectHandle(note));
        p->Stream.Clear();
        p->Chars.Clear();
        AppendFormatControl(p->Stream, fcFieldStart, handle);
        AppendText(*p, "text");
        CloseParagraph(*p);
        AppendFormatControl(p->Stream, fcFieldEnd, handle);
        p->Changed();
    }
    std::vector<TField*> notes;
    Doc->NotesOfStory(notes, stFootnotes);
    EXPECT_EQ(notes, bodies);
    Doc->NotesOfStory(notes, stMain);
    EXPECT_TRUE(notes.empty());

    TTextPos pos;
    MakeTextPos(first.Index, 4, pos);
    EXPECT_TRUE(Doc->IsNoteEndAt(pos));
    MakeTextPos(first.Index, 3, pos);
    EXPECT_FALSE(Doc->IsNoteEndAt(pos));
    EXPECT_TRUE(Doc->RangeHasNoteEnd(Range(first.Index, 2, first.Index, 5)));
    EXPECT_FALSE(Doc->RangeHasNoteEnd(Range(first.Index, 0, first.Index, 4)));
    EXPECT_FALSE(Doc->RangeHasNoteEnd(Range(body.Index, 0, body.Index, 3)));
    Select({Range(body.Index, 0, body.Index, 2), Range(second.Index, 0, second.Index, 5)});
    EXPECT_TRUE(Doc->SelectionHasNoteEnd());

    // A field overlaps unless it starts before and ends after the range's
    // paragraphs.
    EXPECT_TRUE(Doc->RangeOverlapsFields(Range(first.Index, 1, first.Index, 2)));
    EXPECT_FALSE(Doc->RangeOverlapsFields(Range(body.Index, 0, body.Index, 3)));
}

}  // namespace
