#include "editing/lists/ListOperations.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ListDoc.h"
#include "base/core/ObjectHandles.h"
#include "editing/lists/ListNumbering.h"
#include "editing/services/EditingInstall.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "model/undo/TOperation.h"
#include "platform/CodePages.h"

namespace {

class ListOperationsTest : public ::testing::Test {
protected:
    void SetUp() override { InstallEditing(); }

    // Selects whole paragraphs first..last.
    static void Select(TDoc& doc, std::int32_t first, std::int32_t last) {
        doc.Selection->SetSingle(first, 0, last, doc.Par(last)->CharCount() - 1);
        doc.Caret.Par = first;
        doc.Caret.Offset = 0;
    }
    // The fixture's documents are hidden, which run no post-actions: the
    // numbering that would follow runs here.
    static void Apply(TDoc& doc, TAutoList& list) {
        TListDescription description{&list};
        doc.PerformOperation(TApplyListArgs{&description});
        RenumberLists(doc);
    }
    static void Remove(TDoc& doc) {
        doc.PerformOperation(TRemoveListArgs{});
        RenumberLists(doc);
    }
    static TAutoList* ListOf(const TPar& par) {
        const std::int32_t handle = par.Format.List;
        return handle == 0 ? nullptr : HandleTo<TAutoList>(static_cast<TObjectHandle>(handle));
    }
};

TEST_F(ListOperationsTest, OutlineLevelsFollowTheDepthOfTheParagraphs) {
    struct Case {
        const char* Name;
        std::vector<std::int16_t> Indents;
        std::vector<int> Levels;
    };
    const Case cases[] = {
        {"three depths", {0, 720, 1440, 720}, {0, 1, 2, 1}},
        {"one depth gives no levels", {360, 360}, {0, 0}},
        {"nine depths give no levels", {0, 100, 200, 300, 400, 500, 600, 700, 800}, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TListDoc fixture;
        TDoc& doc = fixture.Doc();
        TAutoList& list = fixture.NewList();
        for (std::int16_t indent : c.Indents)
            fixture.Add("item").Format.LeftIndent = indent;
        Select(doc, 0, doc.ParCount() - 1);
        Apply(doc, list);
        for (std::size_t i = 0; i < c.Levels.size(); ++i) {
            const TPar& par = *doc.Par(static_cast<std::int32_t>(i));
            EXPECT_EQ(ListOf(par), &list) << i;
            EXPECT_EQ(par.Format.ListLevel, c.Levels[i]) << i;
        }
    }
}

TEST_F(ListOperationsTest, TypedListMarksGo) {
    struct Case {
        const char* Typed;
        const char* Kept;
    };
    const Case cases[] = {
        {"1. Apples", "Apples"},
        {"a) Pears", "Pears"},
        {"iv.\tPlums", "Plums"},
        {"- Figs", "Figs"},
        {"* Dates", "Dates"},
        {"> Kiwis", "Kiwis"},
        {"1994 was a year", "1994 was a year"},
        {"-5 degrees", "-5 degrees"},
        {"Plain text", "Plain text"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Typed);
        TListDoc fixture;
        TDoc& doc = fixture.Doc();
        TAutoList& list = fixture.NewList(true);
        std::string typed = c.Typed;
        TPar& par = fixture.Add("");
        // Tabs are special characters of their own.
        par.Stream.Clear();
        par.Chars.Clear();
        for (char ch : typed) {
            if (ch == '\t') {
                AppendFormatControl(par.Stream, fcSpecialChar, chTab);
                par.Chars.AppendByte(chTab);
            } else {
                par.Stream.AppendByte(static_cast<std::uint8_t>(ch));
                par.Chars.AppendByte(static_cast<std::uint8_t>(ch));
            }
        }
        AppendFormatControl(par.Stream, fcSpecialChar, chParEnd);
        par.Chars.AppendByte(chParEnd);
        par.Changed();
        Select(doc, 0, 0);
        Apply(doc, list);
        EXPECT_EQ(TListDoc::TextOf(*doc.Par(0)), c.Kept);
        EXPECT_EQ(ListOf(*doc.Par(0)), &list);
    }
}

TEST_F(ListOperationsTest, GroupsTakeTheIndentsTheListAlreadyHas) {
    TListDoc fixture;
    TDoc& doc = fixture.Doc();
    TAutoList& list = fixture.NewList(true);
    list.Levels[0].ParFormat.LeftIndent = 720;
    list.Levels[0].ParFormat.FirstIndent = -360;
    TPar& listed = fixture.Add("one", &list);
    listed.Format.LeftIndent = 1000;
    listed.Format.FirstIndent = -200;
    fixture.Add("two");
    Select(doc, 1, 1);
    Apply(doc, list);
    EXPECT_EQ(doc.Par(1)->Format.LeftIndent, 1000);
    EXPECT_EQ(doc.Par(1)->Format.FirstIndent, -200);

    // Without such paragraphs the level's own indents apply.
    TListDoc other;
    TAutoList& fresh = other.NewList(true);
    fresh.Levels[0].ParFormat.LeftIndent = 720;
    fresh.Levels[0].ParFormat.FirstIndent = -360;
    other.Add("alone");
    Select(other.Doc(), 0, 0);
    Apply(other.Doc(), fresh);
    EXPECT_EQ(other.Doc().Par(0)->Format.LeftIndent, 720);
    EXPECT_EQ(other.Doc().Par(0)->Format.FirstIndent, -360);
    EXPECT_EQ(Platform::Utf16ToUtf8(TListDoc::LabelOf(*other.Doc().Par(0))), "1.");
}

TEST_F(ListOperationsTest, RemovedRunsTakeTheIndentsOfTheirNeighbours) {
    TListDoc fixture;
    TDoc& doc = fixture.Doc();
    TAutoList& list = fixture.NewList(true);
    fixture.Add("before").Format.LeftIndent = 300;
    for (int i = 0; i < 2; ++i) {
        TPar& par = fixture.Add("item", &list);
        par.Format.LeftIndent = 720;
        par.Format.FirstIndent = -360;
    }
    fixture.Add("after").Format.LeftIndent = 500;
    Select(doc, 1, 2);
    Remove(doc);
    for (std::int32_t p : {1, 2}) {
        SCOPED_TRACE(p);
        EXPECT_EQ(ListOf(*doc.Par(p)), nullptr);
        EXPECT_EQ(doc.Par(p)->Format.LeftIndent, 300);
        EXPECT_EQ(doc.Par(p)->Format.FirstIndent, 0);
        EXPECT_EQ(TListDoc::LabelOf(*doc.Par(p)), u"");
    }
}

TEST_F(ListOperationsTest, ReplacingADefinitionReformatsItsParagraphs) {
    struct Case {
        const char* Name;
        std::int16_t NewLeft;
        bool NewSingleLevel;
        std::int16_t ExpectedLeft;
        const char* Labels;
    };
    const Case cases[] = {
        {"new indents reach the paragraphs", 1440, false, 1440, "I.|II."},
        {"kept indents leave the paragraphs' own", 720, false, 900, "I.|II."},
        {"a change of kind sets every level's indents", 720, true, 720, "I.|II."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TListDoc fixture;
        TDoc& doc = fixture.Doc();
        TAutoList& list = fixture.NewList();
        list.Levels[0].ParFormat.LeftIndent = 720;
        for (const char* text : {"one", "two"})
            fixture.Add(text, &list).Format.LeftIndent = 900;
        TListDoc scratch;
        TAutoList& definition = scratch.NewList(c.NewSingleLevel);
        definition.Levels[0].NumberFormat = lnUpperRoman;
        definition.Levels[0].ParFormat.LeftIndent = c.NewLeft;
        doc.PerformOperation(TReplaceAutoListArgs{&list, &definition});
        RenumberLists(doc);
        EXPECT_EQ(list.Levels[0].NumberFormat, lnUpperRoman);
        EXPECT_EQ(doc.Par(0)->Format.LeftIndent, c.ExpectedLeft);
        EXPECT_EQ(doc.Par(1)->Format.LeftIndent, c.ExpectedLeft);
        EXPECT_EQ(Platform::Utf16ToUtf8(TListDoc::LabelOf(*doc.Par(0))) + "|" +
                      Platform::Utf16ToUtf8(TListDoc::LabelOf(*doc.Par(1))),
                  c.Labels);
    }
}

TEST_F(ListOperationsTest, PastedItemsContinueANearbyMatchingList) {
    // The existing list: two paragraphs in a row, two with plain
    // paragraphs between them, or a single one.
    enum TShape { shPair, shGapped, shSingle };
    struct Case {
        const char* Name;
        int Gap;  // plain paragraphs between the list and the pasted item
        TShape Shape;
        bool SameDefinition;
        bool StyleUsesIt;
        bool Continues;
    };
    const Case cases[] = {
        {"right below", 0, shPair, true, false, true},
        {"below a blank paragraph", 1, shPair, true, false, false},
        {"twenty paragraphs away", 20, shPair, true, false, false},
        {"a single item within ten paragraphs", 9, shSingle, true, false, true},
        {"a single item further away", 11, shSingle, true, false, false},
        {"another definition", 0, shPair, false, false, false},
        {"a style's list", 0, shPair, true, true, false},
        {"a list with gaps reaches further", 5, shGapped, true, false, true},
        {"but not beyond twice its spacing", 9, shGapped, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TListDoc fixture;
        TDoc& doc = fixture.Doc();
        TAutoList& existing = fixture.NewList(true);
        TAutoList& pasted = fixture.NewList(true);
        if (!c.SameDefinition)
            pasted.Levels[0].NumberFormat = lnUpperRoman;
        if (c.StyleUsesIt) {
            auto* style = new TStyle(doc.Styles);
            style->Name = "Listed";
            style->ParFormat.List = static_cast<std::int32_t>(ObjectHandle(&existing));
            doc.Styles->AddStyle(style);
        }
        fixture.Add("one", &existing);
        if (c.Shape == shGapped)
            for (int i = 0; i < 3; ++i)
                fixture.Add("between");
        if (c.Shape != shSingle)
            fixture.Add("two", &existing);
        for (int i = 0; i < c.Gap; ++i)
            fixture.Add("plain");
        TPar& item = fixture.Add("pasted", &pasted);
        const std::vector<TFragment> ranges = {
            TFragment{TTextPos{item.Index, 0}, TTextPos{item.Index, item.CharCount() - 1}}};
        EXPECT_EQ(FindListToContinue(doc, pasted, ranges), c.Continues ? &existing : nullptr);
    }
}

TEST_F(ListOperationsTest, JoiningPastedListsRenumbersThem) {
    TListDoc fixture;
    TDoc& doc = fixture.Doc();
    TAutoList& existing = fixture.NewList(true);
    TAutoList& pasted = fixture.NewList(true);
    fixture.Add("one", &existing);
    fixture.Add("two", &existing);
    fixture.Add("three", &pasted);
    fixture.Add("four", &pasted);
    std::vector<TAutoList*> lists = {&pasted};
    doc.Caret = TTextPos{2, 0};
    // The join records steps like any worker: it runs inside an operation.
    auto* operation = new TOperation(&doc, 0);
    doc.BeginOperation(operation);
    JoinPastedLists(doc, lists);
    doc.EndOperation();
    delete operation;  // a hidden document keeps no history
    RenumberLists(doc);
    EXPECT_TRUE(lists.empty());
    EXPECT_EQ(ListOf(*doc.Par(2)), &existing);
    EXPECT_EQ(ListOf(*doc.Par(3)), &existing);
    EXPECT_EQ(Platform::Utf16ToUtf8(TListDoc::LabelOf(*doc.Par(3))), "4.");
}

}  // namespace
