// Copying and moving text through RTF in memory, the multi-range overtype
// marks and the fast-navigation marks.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "TransferDoc.h"
#include "files/saving/SaveSelection.h"
#include "files/saving/SaveToFormat.h"
#include "files/transfer/CopyMove.h"
#include "files/transfer/Paste.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/fields/TField.h"
#include "model/formats/TCompoundFragment.h"
#include "support/ModelInvariants.h"
#include "support/TestSupport.h"

namespace {

constexpr const char* Text = "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}one {\\b two} three\\par four five\\par}";

TFragment Range(std::int32_t p1, std::int32_t o1, std::int32_t p2, std::int32_t o2) {
    return TFragment{TTextPos{p1, o1}, TTextPos{p2, o2}};
}

std::vector<TField*> Bookmarks(TDoc& doc, std::uint8_t flag) {
    std::vector<TField*> found;
    for (std::int32_t i = 0; i < doc.Fields.Count; ++i) {
        auto* field = doc.Fields.At<TField>(i);
        if (field->Kind == fkBookmark && (field->Flags & flag) != 0)
            found.push_back(field);
    }
    return found;
}

class CopyMoveTest : public ::testing::Test {
protected:
    void SetUp() override { PasteOptions().SmartCutAndPaste = false; }
    TTransferScope scope;
};

TEST_F(CopyMoveTest, CopiesAndMovesLandWhereTheCaseSays) {
    struct Case {
        const char* Name;
        TFragment Source;
        TTextPos Target;
        std::int32_t Flags;
        const char* Expected;
    };
    const Case cases[] = {
        {"copy a word to the next paragraph", Range(0, 4, 0, 7), TTextPos{1, 0}, 0, "one two three|twofour five|"},
        {"move a word to the next paragraph", Range(0, 4, 0, 8), TTextPos{1, 5}, cmMove, "one three|four two five|"},
        {"move later in the same paragraph", Range(0, 0, 0, 4), TTextPos{0, 13}, cmMove, "two threeone |four five|"},
        {"move earlier across paragraphs", Range(1, 0, 1, 5), TTextPos{0, 0}, cmMove, "four one two three|five|"},
        {"copy across a paragraph end", Range(0, 8, 1, 4), TTextPos{1, 9}, 0, "one two three|four fivethree|four|"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<TDoc> doc = DocFromRtf(Text);
        ASSERT_NE(doc, nullptr);
        const std::string before = TestSupport::DocumentBytes(*doc);
        TCopyMoveDescription move;
        move.Start = c.Source.Start;
        move.End = c.Source.End;
        move.Target = c.Target;
        doc->PerformOperation(TCopyMoveTextArgs{&move, c.Flags});
        EXPECT_EQ(MainText(*doc), c.Expected);
        EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
        // No move-target bookmark is left behind.
        EXPECT_EQ(doc->Fields.Count, 0);
        doc->Undo(false);
        EXPECT_EQ(TestSupport::DocumentBytes(*doc), before);
    }
}

TEST_F(CopyMoveTest, MovingOntoItselfChangesNothing) {
    std::unique_ptr<TDoc> doc = DocFromRtf(Text);
    ASSERT_NE(doc, nullptr);
    const std::string before = TestSupport::DocumentBytes(*doc);
    for (const TTextPos target : {TTextPos{0, 4}, TTextPos{0, 5}, TTextPos{0, 7}}) {
        TCopyMoveDescription move;
        move.Start = TTextPos{0, 4};
        move.End = TTextPos{0, 7};
        move.Target = target;
        doc->PerformOperation(TCopyMoveTextArgs{&move, cmMove});
    }
    EXPECT_EQ(TestSupport::DocumentBytes(*doc), before);
    EXPECT_EQ(doc->UndoIndex, -1);
}

TEST_F(CopyMoveTest, MovedTextKeepsItsFormatting) {
    std::unique_ptr<TDoc> doc = DocFromRtf(Text);
    ASSERT_NE(doc, nullptr);
    TCopyMoveDescription move;
    move.Start = TTextPos{0, 4};
    move.End = TTextPos{0, 7};
    move.Target = TTextPos{1, 0};
    doc->PerformOperation(TCopyMoveTextArgs{&move, cmMove | cmSelectInserted});
    EXPECT_EQ(MainText(*doc), "one  three|twofour five|");
    TCharFormat format;
    doc->FormatAtPos(TTextPos{1, 1}, format);
    EXPECT_EQ(format[caBold], 1);
    doc->FormatAtPos(TTextPos{1, 4}, format);
    EXPECT_EQ(format[caBold], 0);
}

TEST_F(CopyMoveTest, OvertypeEmptiesEachRangeAndMarksItsPlace) {
    std::unique_ptr<TDoc> doc = DocFromRtf(Text);
    ASSERT_NE(doc, nullptr);
    const std::string before = TestSupport::DocumentBytes(*doc);
    SelectRanges(*doc, {Range(0, 0, 0, 3), Range(0, 8, 0, 13), Range(1, 5, 1, 9)});
    doc->StateFlags[sfMultiSelectionOvertype] = 1;
    doc->PerformOperation(TBeginMultiSelectionOvertypeArgs{});
    EXPECT_EQ(MainText(*doc), " two |four |");
    const std::vector<TField*> marks = Bookmarks(*doc, bmOvertypeMark);
    ASSERT_EQ(marks.size(), 3u);
    std::vector<TTextPos> places;
    for (TField* mark : marks) {
        TFragment range;
        ASSERT_TRUE(doc->FieldRange(mark, range));
        EXPECT_TRUE(FragmentIsEmpty(range));
        EXPECT_NE(mark->Flags & bmHidden, 0);
        EXPECT_EQ(mark->Instruction[0], u'\x01');
        places.push_back(range.Start);
    }
    std::sort(places.begin(), places.end(),
              [](const TTextPos& a, const TTextPos& b) { return CompareTextPos(a, b) < 0; });
    EXPECT_EQ(places[0].Par, 0);
    EXPECT_EQ(places[0].Offset, 0);
    EXPECT_EQ(places[1].Offset, 5);
    EXPECT_EQ(places[2].Par, 1);
    EXPECT_EQ(places[2].Offset, 5);
    EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
    doc->Undo(false);
    EXPECT_EQ(TestSupport::DocumentBytes(*doc), before);
    EXPECT_EQ(doc->StateFlags[sfMultiSelectionOvertype], 0);
}

TEST_F(CopyMoveTest, AFastNavigationDigitRemembersTheLatestPlacing) {
    std::unique_ptr<TDoc> doc = DocFromRtf(Text);
    ASSERT_NE(doc, nullptr);
    doc->Caret = TTextPos{0, 2};
    doc->PerformOperation(TSetFastNavMarkArgs{3});
    SelectRanges(*doc, {Range(1, 0, 1, 4)});
    doc->PerformOperation(TSetFastNavMarkArgs{3});
    const TFastNavEntry& entry = FastNavEntry(3);
    EXPECT_EQ(entry.Doc, doc.get());
    ASSERT_EQ(entry.Marks.size(), 1u);
    EXPECT_EQ(entry.Marks[0]->Instruction, u"__fastnav2");
    TFragment range;
    ASSERT_TRUE(doc->FieldRange(entry.Marks[0], range));
    EXPECT_EQ(range.Start.Par, 1);
    EXPECT_EQ(range.End.Offset, 4);
    EXPECT_EQ(Bookmarks(*doc, bmFastNavMark).size(), 2u);
    EXPECT_EQ(MainText(*doc), "one two three|four five|");
    ForgetFastNavMarks(*doc);
    EXPECT_EQ(FastNavEntry(3).Doc, nullptr);
}

TEST_F(CopyMoveTest, SeveralSelectedRangesAreSavedOneAfterAnother) {
    std::unique_ptr<TDoc> doc = DocFromRtf(Text);
    ASSERT_NE(doc, nullptr);
    TestSupport::TTempDir dir;
    SelectRanges(*doc, {Range(0, 4, 0, 7), Range(1, 5, 1, 9)});
    const std::string before = TestSupport::DocumentBytes(*doc);
    ASSERT_TRUE(SaveSelectionToFile(*doc, dir.File("two.rtf"), sfmtRtf));
    std::unique_ptr<TDoc> saved = DocFromRtf(TestSupport::ReadFileBytes(dir.File("two.rtf")));
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(MainText(*saved).substr(0, 7), "twofive");
    TCharFormat format;
    saved->FormatAtPos(TTextPos{0, 1}, format);
    EXPECT_EQ(format[caBold], 1);
    // The document itself is as it was.
    EXPECT_EQ(TestSupport::DocumentBytes(*doc), before);
    EXPECT_EQ(doc->UndoIndex, -1);
}

}  // namespace
