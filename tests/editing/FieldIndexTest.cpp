#include "editing/fields/FieldIndex.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "EditDoc.h"
#include "base/core/ObjectHandles.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"

namespace {

class FieldIndexTest : public ::testing::Test {
protected:
    TEditingInstalled Installed;
};

bool Has(const std::vector<TField*>& list, const TField* f) {
    return std::find(list.begin(), list.end(), f) != list.end();
}

TEST_F(FieldIndexTest, ADocumentWithoutFieldsAnswersNothing) {
    TEditDoc ed({"abc", "def"});
    TDoc& doc = ed.Doc();
    std::vector<TField*> near{nullptr};
    FieldsNearRange(doc, TFragment{{0, 0}, {1, 3}}, near);
    EXPECT_TRUE(near.empty());
    EXPECT_EQ(FindFieldAt(doc, TTextPos{0, 1}, nullptr, TFieldTypeSet{}), nullptr);
    CollectSelectedFields(doc, 255);
    EXPECT_TRUE(FieldIndexOf(doc).Selected.Hyperlinks.empty());
}

TEST_F(FieldIndexTest, FindFieldAtTakesTheInnermostAndHonoursInclusiveEnds) {
    // Field 0 covers "ab<cd>e" (offsets 0 to 5), field 1 covers "cd" (2 to 4).
    TEditDoc ed({"<ab<cd>e>f"}, {{fkCode, ftPageRef, u"PAGEREF x"}, {fkCode, ftPageNumber, u"PAGE"}});
    TDoc& doc = ed.Doc();
    struct Case {
        const char* Name;
        std::int32_t Offset;
        bool Inclusive;
        std::uint8_t Type;
        TField* Expected;
    };
    const Case cases[] = {
        {"outer only", 1, false, 255, ed.Field(0)},
        {"nested: the inner one", 3, false, 255, ed.Field(1)},
        {"at the inner end: the outer one", 4, false, 255, ed.Field(0)},
        {"at the inner end with inclusive ends", 4, true, 255, ed.Field(1)},
        {"at the outer end", 5, false, 255, nullptr},
        {"at the outer end with inclusive ends", 5, true, 255, ed.Field(0)},
        {"asked type skips the inner one", 3, false, ftPageRef, ed.Field(0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        if (c.Inclusive)
            doc.PushStateFlag(sfInclusiveFieldEnds);
        TFragment range{};
        EXPECT_EQ(FindFieldAt(doc, TTextPos{0, c.Offset}, &range, TFieldTypeSet{}, c.Type), c.Expected);
        if (c.Inclusive)
            doc.PopStateFlag();
    }
    // An excluded type is passed over.
    EXPECT_EQ(FindFieldAt(doc, TTextPos{0, 3}, nullptr, TFieldTypeSet{ftPageNumber}), ed.Field(0));
}

TEST_F(FieldIndexTest, OverlappingBookmarksAreBothFoundOverTheirCommonPart) {
    TEditDoc ed({"ab", "cd"});
    TDoc& doc = ed.Doc();
    // Bookmark A over "abc", bookmark B over "bcd": the marks overlap.
    auto* a = new TField;
    a->Kind = fkBookmark;
    a->Instruction = u"A";
    auto* b = new TField;
    b->Kind = fkBookmark;
    b->Instruction = u"B";
    doc.Fields.Add(a);
    doc.Fields.Add(b);
    TPar* p0 = doc.Par(0);
    TPar* p1 = doc.Par(1);
    // Streams: <A a <B b \n / c A> d B> \n
    p0->Stream.Clear();
    AppendFormatControl(p0->Stream, fcFieldStart, static_cast<std::int32_t>(ObjectHandle(a)));
    p0->Stream.AppendByte('a');
    AppendFormatControl(p0->Stream, fcFieldStart, static_cast<std::int32_t>(ObjectHandle(b)));
    p0->Stream.AppendByte('b');
    AppendFormatControl(p0->Stream, fcSpecialChar, chParEnd);
    p1->Stream.Clear();
    p1->Stream.AppendByte('c');
    AppendFormatControl(p1->Stream, fcFieldEnd, static_cast<std::int32_t>(ObjectHandle(a)));
    p1->Stream.AppendByte('d');
    AppendFormatControl(p1->Stream, fcFieldEnd, static_cast<std::int32_t>(ObjectHandle(b)));
    AppendFormatControl(p1->Stream, fcSpecialChar, chParEnd);
    doc.StateFlags[sfFieldIndexStale] = 1;
    doc.NoteFieldSpan(-1, -1);

    RebuildFieldIndex(doc);
    const TFieldIndex& index = FieldIndexOf(doc);
    ASSERT_EQ(index.Entries.size(), 2u);
    const TFieldIndex::TEntry& eb = index.Entries[1];
    EXPECT_EQ(eb.EnclosingAtStart, a);
    EXPECT_EQ(eb.EnclosingAtEnd, nullptr);
    std::vector<TField*> found;
    const TFragment common{{0, 1}, {1, 1}};
    FieldsInRanges(doc, nullptr, &common, found);
    EXPECT_TRUE(Has(found, a));
    EXPECT_TRUE(Has(found, b));
    ASSERT_EQ(index.BookmarksByName.size(), 2u);
    EXPECT_EQ(index.BookmarksByName[0].first, u"A");
}

TEST_F(FieldIndexTest, HiddenBookmarksAreIndexedButNotListed) {
    TEditDoc ed({"<a>b<c>"}, {{fkBookmark, 0, u"shown"}, {fkBookmark, 0, u"hidden"}});
    TDoc& doc = ed.Doc();
    ed.Field(1)->Flags = 2;
    RebuildFieldIndex(doc);
    const TFieldIndex& index = FieldIndexOf(doc);
    EXPECT_EQ(index.Entries.size(), 2u);
    ASSERT_EQ(index.Bookmarks.size(), 1u);
    EXPECT_EQ(index.Bookmarks[0].second, ed.Field(0));
}

TEST_F(FieldIndexTest, TypingRefreshesOnlyTheChangedParagraph) {
    TEditDoc ed({"ab<cd>", "ef<gh>"}, {{fkBookmark, 0, u"one"}, {fkBookmark, 0, u"two"}});
    TDoc& doc = ed.Doc();
    RebuildFieldIndex(doc);
    const TFieldIndex& index = FieldIndexOf(doc);
    const std::uint32_t whole = index.Rebuilds;
    MakeTextPos(0, 0, doc.Caret);
    const TextBytes text("xy");
    doc.PerformOperation(TInsertTextArgs{&text, 0});
    RebuildFieldIndex(doc);
    EXPECT_EQ(index.Rebuilds, whole);
    TFragment range;
    ASSERT_TRUE(IndexedFieldRange(doc, ed.Field(0), range));
    EXPECT_EQ(range.Start.Offset, 4);
    EXPECT_EQ(range.End.Offset, 6);
    ASSERT_TRUE(IndexedFieldRange(doc, ed.Field(1), range));
    EXPECT_EQ(range.Start.Offset, 2);
    // Undo moves them back.
    doc.Undo(false);
    ASSERT_TRUE(IndexedFieldRange(doc, ed.Field(0), range));
    EXPECT_EQ(range.Start.Offset, 2);
}

TEST_F(FieldIndexTest, NearRangeUsesTheEnclosingChainsForLongFields) {
    // A long field around many short ones: a range deep inside still finds it.
    std::string par = "<";
    std::vector<TFieldSpec> specs{{fkCode, ftToc, u"TOC"}};
    for (int i = 0; i < 50; ++i) {
        par += "x<y>";
        specs.push_back({fkBookmark, 0, u"b"});
    }
    par += ">";
    TEditDoc ed({par}, specs);
    TDoc& doc = ed.Doc();
    std::vector<TField*> near;
    FieldsNearRange(doc, TFragment{{0, 80}, {0, 80}}, near);
    EXPECT_TRUE(Has(near, ed.Field(0)));
    EXPECT_LT(near.size(), 10u);
    EXPECT_EQ(FindFieldAt(doc, TTextPos{0, 80}, nullptr, TFieldTypeSet{}, ftToc, fkCode), ed.Field(0));
}

TEST_F(FieldIndexTest, SelectedFieldsAreSortedIntoTheirLists) {
    TEditDoc ed({"a^<link>b^", "c"}, {{fkCode, ftHyperlink, u"HYPERLINK \"x\""}});
    TDoc& doc = ed.Doc();
    doc.Selection->SetSingle(0, 0, 1, 1);
    CollectSelectedFields(doc, 255);
    const TFieldIndex::TSelectedFields& sel = FieldIndexOf(doc).Selected;
    ASSERT_EQ(sel.Hyperlinks.size(), 1u);
    EXPECT_EQ(sel.Hyperlinks[0], ed.Field(0));
    ASSERT_EQ(sel.Footnotes.size(), 2u);
    EXPECT_EQ(sel.Footnotes[0], ed.NoteRef(0)->Partner);
    EXPECT_EQ(sel.AllNotes.size(), 2u);
}

}  // namespace
