#include "editing/fields/Bookmarks.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "EditDoc.h"
#include "FieldDoc.h"
#include "base/files/Urls.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/fields/TField.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "platform/CodePages.h"
#include "support/ModelInvariants.h"
#include "support/TestSupport.h"

namespace {

bool InSet(void* context, const std::string& name) {
    return static_cast<std::set<std::string>*>(context)->contains(name);
}

TEST(BookmarkNameTest, TextBecomesAFreeName) {
    struct Case {
        const char* Text;
        std::set<std::string> Taken;
        const char* Name;
    };
    const Case cases[] = {
        {"3 Results: \"final\"", {}, "_3_Results___final"},
        {"3 Results: \x93"
         "final\x94",
         {},
         "_3_Results___final"},  // curly quotes of the code page
        {"Introduction", {}, "Introduction"},
        {"Introduction", {"Introduction", "Introduction_1"}, "Introduction_2"},
        {"", {}, "Bookmark_1"},
        {"...", {"Bookmark_1"}, "Bookmark_2"},
        {"a\tb{c}~d", {}, "a_b_c__d"},
        {"caf\xe9 ok", {}, "caf\xe9_ok"},  // letters of the code page stay
        {"0123456789012345678901234567890123456789XYZ", {}, "_0123456789012345678901234567890123456789"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        std::set<std::string> taken = c.Taken;
        EXPECT_EQ(BookmarkNameFromText(c.Text, InSet, &taken), c.Name);
    }
}

std::string ParText(TDoc& doc, std::int32_t par) {
    TFragment range;
    MakeFragment(par, 0, par, doc.Par(par)->CharCount() - 1, range);
    return Platform::Utf16ToUtf8(doc.RangeText(range));
}

void Select(TDoc& doc, const std::vector<TFragment>& ranges) {
    doc.Selection->SetCount(static_cast<std::int32_t>(ranges.size()));
    for (std::size_t i = 0; i < ranges.size(); ++i)
        doc.Selection->Fragment(static_cast<std::int32_t>(i)) = ranges[i];
    doc.Caret = ranges.back().End;
}

void PlaceCaret(TDoc& doc, std::int32_t par, std::int32_t offset) {
    doc.Caret = TTextPos{par, offset};
    doc.Selection->Reset();
    MakeFragmentFromPositions(doc.Caret, doc.Caret, doc.Selection->Fragment(0));
}

class BookmarksTest : public ::testing::Test {
protected:
    TEditingInstalled Installed;
};

TEST_F(BookmarksTest, NamesMadeFromTheDocumentsText) {
    TFieldDoc fixture;
    TDoc& doc = fixture.Doc();
    fixture.Add("3 Results: \"final\"");
    fixture.Add("Second line. And more.");
    // Curly quotes are characters beyond the 8-bit range in the text: they
    // are dropped, not replaced.
    fixture.Add(
        "3 Results: \x93"
        "final\x94");
    TFragment whole;
    MakeFragment(0, 0, 0, doc.Par(0)->CharCount() - 1, whole);
    EXPECT_EQ(MakeBookmarkName(doc, whole), "_3_Results___final");
    fixture.AddBookmark(*doc.Par(1), "_3_Results___final", "");
    // Built by hand: the index learns of the new bookmark only when told.
    doc.StateFlags[sfFieldIndexStale] = 1;
    doc.NoteFieldSpan(-1, -1);
    EXPECT_EQ(MakeBookmarkName(doc, whole), "_3_Results___final_1");
    // Across paragraphs only the first one's text counts.
    TFragment across;
    MakeFragment(0, 2, 1, 6, across);
    EXPECT_EQ(MakeBookmarkName(doc, across), "Results___final");
    TFragment curly;
    MakeFragment(2, 0, 2, doc.Par(2)->CharCount() - 1, curly);
    EXPECT_EQ(MakeBookmarkName(doc, curly), "_3_Results__final");
}

// Three ranges bookmarked under one name take the name and the next free
// numbered names; one undo takes them all away.
TEST_F(BookmarksTest, InsertOverEveryRangeAndDeleteByName) {
    TFieldDoc fixture;
    TDoc& doc = fixture.Doc();
    fixture.Add("alpha beta gamma delta");
    fixture.AddBookmark(*doc.Par(0), "x_2", "");
    fixture.Paginate();
    doc.StateFlags[sfHidden] = 0;
    TFragment a, b, c;
    MakeFragment(0, 0, 0, 5, a);
    MakeFragment(0, 6, 0, 10, b);
    MakeFragment(0, 11, 0, 16, c);
    Select(doc, {c, a, b});
    const std::string name = "x";
    doc.PerformOperation(TInsertBookmarkArgs{&name});
    struct Case {
        const char* Name;
        TFragment Range;
    };
    const Case cases[] = {{"x", a}, {"x_3", b}, {"x_4", c}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.Name);
        TField* bookmark = FindBookmark(doc, k.Name);
        ASSERT_NE(bookmark, nullptr);
        TFragment range;
        ASSERT_TRUE(doc.FieldRange(bookmark, range));
        EXPECT_TRUE(FragmentsEqual(range, k.Range));
    }
    EXPECT_EQ(ParText(doc, 0), "alpha beta gamma delta");
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");

    const std::string unknown = "nothing";
    const std::int32_t undoBefore = doc.UndoList.Count;
    doc.PerformOperation(TDeleteBookmarkArgs{&unknown});
    EXPECT_EQ(doc.UndoList.Count, undoBefore);
    const std::string third = "x_3";
    doc.PerformOperation(TDeleteBookmarkArgs{&third});
    EXPECT_FALSE(BookmarkExists(doc, "x_3"));
    EXPECT_TRUE(BookmarkExists(doc, "x_4"));
    doc.Undo(true);
    EXPECT_TRUE(BookmarkExists(doc, "x_3"));
    doc.Undo(true);
    EXPECT_FALSE(BookmarkExists(doc, "x"));
    EXPECT_FALSE(BookmarkExists(doc, "x_4"));
    EXPECT_TRUE(BookmarkExists(doc, "x_2"));
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
}

// Previous and next wrap around; going to a bookmark puts the caret at
// its start and remembers it.
TEST_F(BookmarksTest, GoToPreviousAndNext) {
    TFieldDoc fixture;
    TDoc& doc = fixture.Doc();
    TPar& p0 = fixture.Add("One ");
    fixture.AddBookmark(p0, "first", "mark");
    TPar& p1 = fixture.Add("Two ");
    fixture.AddBookmark(p1, "second", "mark");
    fixture.Add("Three");
    struct Case {
        const char* Name;
        TTextPos Caret;
        bool Next;
        const char* Found;
        std::int32_t Par;
    };
    const Case cases[] = {
        {"next from the start", {0, 0}, true, "first", 0},
        {"next from inside the first", {0, 5}, true, "second", 1},
        {"next after the last wraps", {2, 1}, true, "first", 0},
        {"previous after the last", {2, 1}, false, "second", 1},
        {"previous before the first wraps", {0, 0}, false, "second", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        PlaceCaret(doc, c.Caret.Par, c.Caret.Offset);
        EXPECT_TRUE(c.Next ? GoToNextBookmark(doc) : GoToPreviousBookmark(doc));
        EXPECT_EQ(LastVisitedBookmark(doc), c.Found);
        EXPECT_EQ(doc.Caret.Par, c.Par);
        EXPECT_EQ(doc.Caret.Offset, 4);
    }
    EXPECT_FALSE(GoToBookmark(doc, "missing", true));
    EXPECT_EQ(LastVisitedBookmark(doc), "second");
    EXPECT_TRUE(GoToBookmark(doc, "first", true));
    TFragment span;
    doc.Selection->GetSpan(span);
    EXPECT_EQ(span.Start.Offset, 4);
    EXPECT_EQ(span.End.Offset, 8);
}

// The desktop stands in: it notes what it was asked to open.
class TLaunchLog : public THyperlinkHost {
public:
    bool Launch(const std::string& target) override {
        Launched.push_back(target);
        return true;
    }
    std::vector<std::string> Launched;
};

class LinksTest : public BookmarksTest {
protected:
    void SetUp() override { SetHyperlinkHost(&Host); }
    void TearDown() override { SetHyperlinkHost(nullptr); }
    TLaunchLog Host;
};

TEST_F(LinksTest, FollowingOpensTargetsWithTheirBookmark) {
    TFieldDoc fixture;
    TDoc& doc = fixture.Doc();
    TPar& par = fixture.Add("See ");
    TField& web = fixture.AddField(par, "HYPERLINK \"http://example.com/page\" \\l \"sec\"", "web");
    TField& plain = fixture.AddField(par, "HYPERLINK \"http://example.com/\"", "plain");
    TField& inside = fixture.AddField(par, "HYPERLINK \\l \"here\"", "inside");
    fixture.AddBookmark(fixture.Add("Target "), "here", "spot");
    FollowHyperlink(doc, web);
    FollowHyperlink(doc, plain);
    ASSERT_EQ(Host.Launched.size(), 2u);
    EXPECT_EQ(Host.Launched[0], "http://example.com/page#sec");
    EXPECT_EQ(Host.Launched[1], "http://example.com/");
    FollowHyperlink(doc, inside);
    EXPECT_EQ(Host.Launched.size(), 2u);
    EXPECT_EQ(doc.Caret.Par, 1);
    EXPECT_EQ(LastVisitedBookmark(doc), "here");
}

// Back returns through the links followed, Forward follows them again,
// and a new link drops the entries ahead.
TEST_F(LinksTest, HistoryBackAndForward) {
    TFieldDoc fixture;
    TDoc& doc = fixture.Doc();
    TField& a = fixture.AddField(fixture.Add("A "), "HYPERLINK \"http://a.example/\"", "a");
    TField& b = fixture.AddField(fixture.Add("B "), "HYPERLINK \"http://b.example/\"", "b");
    TField& c = fixture.AddField(fixture.Add("C "), "HYPERLINK \"http://c.example/\"", "c");
    FollowHyperlink(doc, a);
    FollowHyperlink(doc, b);
    std::vector<TField*> entries;
    std::int32_t current = 0;

    EXPECT_TRUE(LinkHistoryBack(doc));
    EXPECT_EQ(doc.Caret.Par, 1);  // at the second link
    EXPECT_TRUE(LinkHistoryBack(doc));
    EXPECT_EQ(doc.Caret.Par, 0);  // then the first
    EXPECT_FALSE(LinkHistoryBack(doc));

    Host.Launched.clear();
    EXPECT_TRUE(LinkHistoryForward(doc));
    ASSERT_EQ(Host.Launched.size(), 1u);
    EXPECT_EQ(Host.Launched[0], "http://a.example/");
    LinkHistoryOf(doc, entries, current);
    EXPECT_EQ(entries, (std::vector<TField*>{&a, &b}));  // walking records nothing
    EXPECT_EQ(current, 0);

    FollowHyperlink(doc, c);
    LinkHistoryOf(doc, entries, current);
    EXPECT_EQ(entries, (std::vector<TField*>{&a, &c}));
    EXPECT_EQ(current, 1);
    EXPECT_FALSE(LinkHistoryForward(doc));
}

// Links to bookmarks that are gone: the question is asked only when there
// are some, and Yes selects them all.
TEST_F(BookmarksTest, DanglingLinksAreOfferedForSelection) {
    struct Case {
        const char* Name;
        bool KeepBookmark;
        std::vector<std::uint16_t> Answers;
        std::size_t Questions;
        std::int32_t Selected;
    };
    const Case cases[] = {
        {"bookmark still there: no question", true, {}, 0, 0},
        {"answered no", false, {mrNo}, 1, 0},
        {"answered yes", false, {mrYes}, 1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TFieldDoc fixture;
        TDoc& doc = fixture.Doc();
        TPar& par = fixture.Add("Go ");
        fixture.AddField(par, "HYPERLINK \\l \"gone\"", "there");
        TFieldDoc::Append(par, " and ");
        fixture.AddField(par, "HYPERLINK \\l \"gone\"", "again");
        fixture.AddField(par, "HYPERLINK \"http://example.com/\" \\l \"gone\"", "web");  // a target: not dangling
        if (c.KeepBookmark)
            fixture.AddBookmark(fixture.Add("x"), "gone", "here");
        TestSupport::TScriptedMessageBoxes boxes(c.Answers);
        EXPECT_EQ(CheckDanglingHyperlinks(doc), c.Selected);
        ASSERT_EQ(boxes.Shown().size(), c.Questions);
        if (c.Questions > 0)
            EXPECT_NE(boxes.Shown()[0].Text.find("no longer exist"), std::string::npos);
        if (c.Selected > 0)
            EXPECT_EQ(doc.Selection->Count(), c.Selected);
    }
}

// Removing a link keeps its text; undo brings the link back.
TEST_F(BookmarksTest, RemoveAndDeactivateHyperlinks) {
    TFieldDoc fixture;
    TDoc& doc = fixture.Doc();
    TPar& par = fixture.Add("");
    TField& first = fixture.AddField(par, "HYPERLINK \"http://a.example/\"", "first");
    TFieldDoc::Append(par, " and ");
    TField& second = fixture.AddField(par, "HYPERLINK \"http://b.example/\"", "second");
    fixture.Paginate();
    doc.StateFlags[sfHidden] = 0;

    PlaceCaret(doc, 0, 2);
    doc.PerformOperation(TRemoveHyperlinkArgs{});
    EXPECT_FALSE(doc.Fields.Contains(&first));
    EXPECT_TRUE(doc.Fields.Contains(&second));
    EXPECT_EQ(ParText(doc, 0), "first and second");
    doc.Undo(true);
    EXPECT_TRUE(doc.Fields.Contains(&first));

    TFragment all;
    MakeFragment(0, 0, 0, doc.Par(0)->CharCount() - 1, all);
    Select(doc, {all});
    doc.PerformOperation(TDeactivateHyperlinksArgs{});
    EXPECT_FALSE(doc.Fields.Contains(&first));
    EXPECT_FALSE(doc.Fields.Contains(&second));
    EXPECT_EQ(ParText(doc, 0), "first and second");
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    doc.Undo(true);
    EXPECT_TRUE(doc.Fields.Contains(&first));
    EXPECT_TRUE(doc.Fields.Contains(&second));
}

// A link made at the caret types its text; one made over a selection
// keeps the text; converting shows the address and keeps the link.
TEST_F(BookmarksTest, SetHyperlinkAndShowItsAddress) {
    TFieldDoc fixture;
    TDoc& doc = fixture.Doc();
    fixture.Add("Visit now");
    fixture.Paginate();
    doc.StateFlags[sfHidden] = 0;
    const std::u16string instruction = u"HYPERLINK \"http://x.example/\" \\l \"top\"";
    const std::u16string text = u"site ";
    PlaceCaret(doc, 0, 6);
    doc.PerformOperation(TSetHyperlinkArgs{&instruction, &text});
    EXPECT_EQ(ParText(doc, 0), "Visit site now");
    ASSERT_EQ(doc.Fields.Count, 1);
    TField* link = doc.Fields.At<TField>(0);
    EXPECT_EQ(link->Type, ftHyperlink);
    TFragment range;
    ASSERT_TRUE(doc.FieldRange(link, range));
    EXPECT_EQ(Platform::Utf16ToUtf8(doc.RangeText(range)), "site ");
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");

    Select(doc, {range});
    doc.PerformOperation(THyperlinkToUrlArgs{});
    EXPECT_EQ(ParText(doc, 0), "Visit http://x.example/#topnow");
    ASSERT_TRUE(doc.Fields.Contains(link));
    ASSERT_TRUE(doc.FieldRange(link, range));
    EXPECT_EQ(Platform::Utf16ToUtf8(doc.RangeText(range)), "http://x.example/#top");
    doc.Undo(true);
    EXPECT_EQ(ParText(doc, 0), "Visit site now");
    doc.Undo(true);
    EXPECT_EQ(ParText(doc, 0), "Visit now");
    EXPECT_EQ(doc.Fields.Count, 0);

    // Over a selection without text: the selected words become the link.
    TFragment word;
    MakeFragment(0, 0, 0, 5, word);
    Select(doc, {word});
    doc.PerformOperation(TSetHyperlinkArgs{&instruction, nullptr});
    EXPECT_EQ(ParText(doc, 0), "Visit now");
    ASSERT_EQ(doc.Fields.Count, 1);
    ASSERT_TRUE(doc.FieldRange(doc.Fields.At<TField>(0), range));
    EXPECT_TRUE(FragmentsEqual(range, word));
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
}

}  // namespace
