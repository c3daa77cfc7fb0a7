#include "model/undo/TInsDelOperation.h"

#include <gtest/gtest.h>

#include "DocFixture.h"
#include "base/core/ObjectHandles.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TShape.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/TOperation.h"

namespace {

// Runs steps inside one operation that the document keeps, the way a
// worker inside PerformOperation does.
class InsDelTest : public ::testing::Test {
protected:
    void Begin() {
        Op = new TOperation(&F.Doc(), 0);
        F.Doc().BeginOperation(Op);
    }
    void Commit() {
        F.Doc().EndOperation();
        F.Doc().CommitOperation(Op);
    }
    void Insert(std::string_view description, std::int32_t par, std::int32_t offset) {
        TMemory content, chars;
        ParText::Build(description, F.Objects, content, chars);
        TTextPos pos;
        MakeTextPos(par, offset, pos);
        Begin();
        TInsDelOperation::CreateInsertion(&F.Doc(), content, pos, F.Doc().StoryOfPar(par))->Execute();
        Commit();
    }
    void Remove(std::int32_t sp, std::int32_t so, std::int32_t ep, std::int32_t eo) {
        TTextPos start, end;
        MakeTextPos(sp, so, start);
        MakeTextPos(ep, eo, end);
        Begin();
        TInsDelOperation::CreateRemoval(&F.Doc(), start, end, F.Doc().StoryOfPar(sp))->Execute();
        Commit();
    }

    TDocFixture F;
    TOperation* Op = nullptr;
};

// Content with paragraph marks: ParText has no mark syntax, so the marks
// are appended by hand after each "{par}".
void AppendWithMarks(TMemory& content,
                     const std::vector<std::string>& pieces,
                     ParText::TObjects& objects,
                     const TParFormat& format) {
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        TMemory stream, chars;
        ParText::Build(pieces[i], objects, stream, chars);
        content.AppendMemory(stream);
        if (i + 1 < pieces.size()) {
            if (i == 0)
                AppendParagraphMark(content, format);
            else
                content.AppendByte(ParagraphMarkByte);
        }
    }
}

TEST_F(InsDelTest, InsertingThreeParagraphEndsSplitsAndUndoRestoresOnePar) {
    F.Add("Hello world{par}");
    TParFormat special = DefaultParFormat;
    special.Alignment = 2;
    F.Doc().Par(0)->Format = special;
    const TDocSnapshot before = Snapshot(F.Doc());
    TMemory content;
    AppendWithMarks(content, {"one{par}", "two{par}", "three{par}", "four"}, F.Objects, DefaultParFormat);
    TTextPos pos;
    MakeTextPos(0, 5, pos);
    Begin();
    auto* step = TInsDelOperation::CreateInsertion(&F.Doc(), content, pos, stMain);
    step->Redo();
    TTextPos result;
    step->ResultPos(result);
    F.Doc().AddSubOperation(step);
    Commit();
    EXPECT_EQ(F.PlainText(), "Helloone|two|three|four world");
    EXPECT_EQ(result.Par, 3);
    EXPECT_EQ(result.Offset, 4);
    ASSERT_EQ(F.Doc().ParCount(), 4);
    EXPECT_EQ(F.Doc().StoryCounts[0], 4);
    // The last paragraph keeps the format the split paragraph had.
    EXPECT_EQ(F.Doc().Par(3)->Format.Alignment, 2);
    EXPECT_EQ(F.Doc().Par(0)->Format.Alignment, 0);
    for (std::int32_t i = 0; i < 4; ++i)
        EXPECT_EQ(F.Doc().Par(i)->Index, i);
    const TDocSnapshot after = Snapshot(F.Doc());
    F.Doc().Undo(true);
    EXPECT_EQ(FirstDifference(Snapshot(F.Doc()), before), "");
    F.Doc().Redo();
    EXPECT_EQ(FirstDifference(Snapshot(F.Doc()), after), "");
}

TEST_F(InsDelTest, DeletingFromTheStartIntoBoldTextRestoresTheBoldAttribute) {
    F.Add("plain{b:1}bold text{b:0}{par}");
    const TDocSnapshot before = Snapshot(F.Doc());
    Remove(0, 0, 0, 7);  // "plainbo"
    EXPECT_EQ(F.PlainText(), "ld text");
    // The rest of the bold run is still bold.
    TCharFormat format;
    TTextPos pos;
    MakeTextPos(0, 0, pos);
    F.Doc().FormatAtPos(pos, format);
    EXPECT_EQ(format[caBold], 1);
    F.Doc().Undo(true);
    EXPECT_EQ(FirstDifference(Snapshot(F.Doc()), before), "");
    MakeTextPos(0, 4, pos);
    F.Doc().FormatAtPos(pos, format);
    EXPECT_EQ(format[caBold], 0);
    MakeTextPos(0, 5, pos);
    F.Doc().FormatAtPos(pos, format);
    EXPECT_EQ(format[caBold], 1);
}

TEST_F(InsDelTest, InsertedTextLeavesTheFollowingFormatAlone) {
    F.Add("ab{i:1}cd{par}");
    Insert("{b:1}XY", 0, 2);  // bold text that does not switch bold off again
    EXPECT_EQ(F.PlainText(), "abXYcd");
    TCharFormat format;
    TTextPos pos;
    MakeTextPos(0, 3, pos);
    F.Doc().FormatAtPos(pos, format);
    EXPECT_EQ(format[caBold], 1);
    EXPECT_EQ(format[caItalic], 1);  // inserted after the controls already there
    MakeTextPos(0, 4, pos);
    F.Doc().FormatAtPos(pos, format);
    EXPECT_EQ(format[caBold], 0);
    EXPECT_EQ(format[caItalic], 1);
}

TEST_F(InsDelTest, JoiningParagraphsTakesTheEndParagraphsFormatAndGivesItBack) {
    F.Add("first{par}");
    F.Add("middle{par}");
    F.Add("last{par}");
    F.Doc().Par(0)->Format.Alignment = 1;
    F.Doc().Par(2)->Format.Alignment = 3;
    const TDocSnapshot before = Snapshot(F.Doc());
    Remove(0, 2, 2, 2);
    EXPECT_EQ(F.PlainText(), "fist");
    EXPECT_EQ(F.Doc().Par(0)->Format.Alignment, 3);
    EXPECT_EQ(F.Doc().StoryCounts[0], 1);
    F.Doc().Undo(true);
    EXPECT_EQ(FirstDifference(Snapshot(F.Doc()), before), "");
}

TEST_F(InsDelTest, LongParagraphsMoveTheSmallerPart) {
    // Cuts near the start and near the end of a long paragraph take the two
    // different roads of the split and the join; both must give the same.
    const std::string longText(600, 'x');
    for (std::int32_t cut : {3, 590}) {
        SCOPED_TRACE(cut);
        TDocFixture f;
        f.Add(longText + "{par}");
        f.Add(longText + "{b:1}y{par}");
        const TDocSnapshot before = Snapshot(f.Doc());
        auto* op = new TOperation(&f.Doc(), 0);
        f.Doc().BeginOperation(op);
        TTextPos start, end;
        MakeTextPos(0, cut, start);
        MakeTextPos(1, cut, end);
        TInsDelOperation::CreateRemoval(&f.Doc(), start, end, stMain)->Execute();
        f.Doc().EndOperation();
        f.Doc().CommitOperation(op);
        EXPECT_EQ(f.Doc().ParCount(), 1);
        EXPECT_EQ(f.Doc().Par(0)->CharCount(), 600 + 2);
        f.Doc().Undo(true);
        EXPECT_EQ(FirstDifference(Snapshot(f.Doc()), before), "");
        f.Doc().Redo();
        f.Doc().Undo(true);
        EXPECT_EQ(FirstDifference(Snapshot(f.Doc()), before), "");
    }
}

TEST_F(InsDelTest, RemovingWholeParagraphsAtTheStoryEnd) {
    F.Add("main{par}");
    F.Add("note one{par}");
    F.Add("note two{par}");
    F.Doc().StoryCounts[0] = 1;
    F.Doc().StoryCounts[1] = 2;
    const TDocSnapshot before = Snapshot(F.Doc());
    TTextPos start, end;
    MakeTextPos(1, 0, start);
    MakeTextPos(3, 0, end);
    Begin();
    TInsDelOperation::CreateRemoval(&F.Doc(), start, end, stFootnotes)->Execute();
    Commit();
    EXPECT_EQ(F.Doc().ParCount(), 1);
    EXPECT_EQ(F.Doc().StoryCounts[1], 0);
    F.Doc().Undo(true);
    EXPECT_EQ(FirstDifference(Snapshot(F.Doc()), before), "");
}

TEST_F(InsDelTest, FieldMarksWhosePartnerStaysAreKept) {
    TField& field = F.Objects.Field("F");
    F.Add("ab{fs:F}cd{fe:F}ef{par}");
    // "de": the field's end goes with the text, its start stays, so the end
    // is kept at the cut and the field still closes.
    Remove(0, 3, 0, 5);
    EXPECT_EQ(F.PlainText(), "abcf");
    TFragment range;
    ASSERT_TRUE(F.Doc().FieldRange(&field, range));
    EXPECT_EQ(range.Start.Offset, 2);
    EXPECT_EQ(range.End.Offset, 3);
    EXPECT_TRUE(F.Doc().Fields.Contains(&field));
    // A whole field with its text leaves the field list and comes back.
    Remove(0, 1, 0, 4);
    EXPECT_EQ(F.PlainText(), "a");
    EXPECT_FALSE(F.Doc().Fields.Contains(&field));
    F.Doc().Undo(true);
    EXPECT_TRUE(F.Doc().Fields.Contains(&field));
    EXPECT_TRUE(F.Doc().FieldRange(&field, range));
}

TEST_F(InsDelTest, ShapesOutOfTheTextAreFreedWithTheStepThatHoldsThem) {
    TShape& kept = F.Objects.Shape("P");
    F.Add("a{shape:P}b{par}");
    Remove(0, 0, 0, 3);
    EXPECT_EQ(kept.ShapeFlags & 4, 4);  // deleted while the step holds it
    F.Doc().Undo(true);
    EXPECT_EQ(kept.ShapeFlags & 4, 0);  // back in the text
    F.Doc().Redo();
    const TObjectHandle handle = ObjectHandle(&kept);
    F.Doc().ClearUndoHistory();  // the removal is final now
    EXPECT_EQ(F.Doc().Shapes.Count, 0);
    EXPECT_EQ(HandleTo<TShape>(handle), nullptr);

    // An inserted picture that is undone and then dropped with the redo
    // part goes too.
    TShape& pasted = F.Objects.Shape("Q");
    F.Doc().Shapes.Remove(&pasted);
    F.Doc().Shapes.Add(&pasted);
    Insert("{shape:Q}", 0, 0);
    F.Doc().Undo(true);
    EXPECT_EQ(pasted.ShapeFlags & 4, 4);
    Insert("typed", 0, 0);
    EXPECT_EQ(F.Doc().Shapes.Count, 0);
    EXPECT_EQ(F.PlainText(), "typed");
}

TEST_F(InsDelTest, SectionBreaksJoinAndLeaveTheSectionList) {
    TSection& s = F.Objects.Section("S");
    F.Doc().Sections.Remove(&s);  // not in the text yet
    TMemory content, chars;
    ParText::Build("{sect:S}", F.Objects, content, chars);
    content.AppendByte(ParagraphMarkByte);
    F.Add("before after{par}");
    TTextPos pos;
    MakeTextPos(0, 7, pos);
    Begin();
    TInsDelOperation::CreateInsertion(&F.Doc(), content, pos, stMain)->Execute();
    Commit();
    EXPECT_EQ(F.Doc().Sections.Count, 2);
    EXPECT_EQ(F.Doc().SectionOfPar(0), &s);
    EXPECT_EQ(F.Doc().Par(0)->EndingSection(), &s);
    F.Doc().Undo(true);
    EXPECT_EQ(F.Doc().Sections.Count, 1);
    EXPECT_FALSE(F.Doc().Sections.Contains(&s));
    F.Doc().Redo();
    EXPECT_EQ(F.Doc().Sections.Count, 2);
}

}  // namespace
