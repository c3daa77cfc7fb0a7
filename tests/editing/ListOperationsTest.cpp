#include "editing/lists/ListOperations.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ListDoc.h"
#include "base/core/ObjectHandles.h"
#include "editing/lists/ListNumbering.h"
#include "editing/services/EditingInstall.h"
#include "model/document/StateFlags.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "model/undo/TOperation.h"
#include "platform/CodePages.h"
#include "support/ModelInvariants.h"

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

// What undo must give back beside the paragraphs: the list table with every
// used level's definition, and the styles' lists.
std::string Snapshot(const TDoc& doc) {
    std::string out = TestSupport::DocumentBytes(doc);
    for (std::int32_t i = 0; i < doc.Lists.Count; ++i) {
        const TAutoList& list = *doc.Lists.At<TAutoList>(i);
        out += "list " + std::to_string(ObjectHandle(&list)) + ":";
        for (const TListLevel& level : list.Levels) {
            out += std::to_string(level.NumberFormat) + "," + std::to_string(level.StartValue) + ",";
            out.append(reinterpret_cast<const char*>(&level.CharFormat), sizeof(TCharFormat));
            out.append(reinterpret_cast<const char*>(&level.ParFormat), sizeof(TParFormat));
        }
        out += "\n";
    }
    for (std::int32_t i = 0; doc.Styles != nullptr && i < doc.Styles->Count; ++i)
        out += "style " + std::to_string(i) + ":" + std::to_string(doc.Styles->Style(i)->ParFormat.List) + "\n";
    return out;
}

// Runs an operation, checks the model, then undo and redo against the
// snapshots before and after it.
template <typename TArgs>
void PerformUndoRedo(TDoc& doc, const TArgs& args, const std::function<void()>& check) {
    RenumberLists(doc);
    const std::string before = Snapshot(doc);
    const std::int32_t undoBefore = doc.UndoList.Count;
    doc.PerformOperation(args);
    RenumberLists(doc);
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    check();
    const std::string after = Snapshot(doc);
    ASSERT_EQ(doc.UndoList.Count, undoBefore + 1);
    doc.Undo(true);
    RenumberLists(doc);
    EXPECT_EQ(Snapshot(doc), before);
    doc.Redo();
    RenumberLists(doc);
    EXPECT_EQ(Snapshot(doc), after);
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
}

std::string ParText(TDoc& doc, std::int32_t p) {
    TFragment range;
    MakeFragment(p, 0, p, doc.Par(p)->CharCount() - 1, range);
    return Platform::Utf16ToUtf8(doc.RangeText(range));
}

// Growing and shrinking a level's label font: 15 percent, at least 2
// points, within 4 and 72 points; an unset size starts from the paragraphs'.
TEST_F(ListOperationsTest, LabelFontStepsBySizeWithinItsLimits) {
    struct Case {
        const char* Name;
        std::int32_t LevelSize;  // half-points; UnsetValue: the level has none
        std::vector<std::int32_t> TextSizes;
        bool Larger;
        std::int32_t Expected;  // UnsetValue when nothing changes
    };
    const Case cases[] = {
        {"10 pt grows to 12", 20, {24}, true, 24},
        {"10 pt shrinks to 8", 20, {24}, false, 16},
        {"40 pt grows by 15 percent", 80, {24}, true, 92},
        {"72 pt grows no more", 144, {24}, true, UnsetValue},
        {"4 pt shrinks no more", 8, {24}, false, UnsetValue},
        {"70 pt grows to the limit", 140, {24}, true, 144},
        {"unset grows from the largest text", UnsetValue, {20, 30}, true, 34},
        {"unset shrinks from the smallest text", UnsetValue, {20, 30}, false, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TListDoc fixture;
        TDoc& doc = fixture.Doc();
        doc.StateFlags[sfHidden] = 0;
        TAutoList& list = fixture.NewList(true);
        list.Levels[0].CharFormat[caSize] = c.LevelSize;
        for (std::int32_t size : c.TextSizes) {
            TPar& par = fixture.Add("", &list);
            par.Stream.Clear();
            par.Chars.Clear();
            AppendFormatControl(par.Stream, caSize, size);
            par.Stream.AppendString("item");
            par.Chars.AppendString("item");
            AppendFormatControl(par.Stream, fcSpecialChar, chParEnd);
            par.Chars.AppendByte(chParEnd);
            par.Changed();
        }
        Select(doc, 0, 0);
        const bool changes = c.Expected != UnsetValue;
        EXPECT_EQ(StepListLabelSize(doc, c.Larger, false), changes);
        EXPECT_EQ(list.Levels[0].CharFormat[caSize], c.LevelSize);
        if (!changes)
            continue;
        PerformUndoRedo(doc, TFormatListLevelArgs{static_cast<std::uint8_t>(c.Larger ? 1 : 0)},
                        [&] { EXPECT_EQ(list.Levels[0].CharFormat[caSize], c.Expected); });
    }
}

// Converting a list's labels to text: each paragraph starts with what its
// label showed, leaves the list and keeps its indents; a caret in a
// converted paragraph stays before the same character.
TEST_F(ListOperationsTest, ConvertingLabelsToTextKeepsWhatTheyShowed) {
    struct Case {
        const char* Name;
        std::int32_t Format;
        std::u16string LevelText;
        std::uint8_t Follower;
        std::vector<std::string> Texts;
    };
    const Case cases[] = {
        {"numbers and a tab", lnArabic, LevelText({0, '.'}), lfTab, {"1.\tone", "2.\ttwo", "3.\tthree"}},
        {"roman numbers and a blank", lnUpperRoman, LevelText({0, ')'}), lfSpace, {"I) one", "II) two", "III) three"}},
        {"bullets", lnBullet, u"\u2022", lfTab, {"\u2022\tone", "\u2022\ttwo", "\u2022\tthree"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TListDoc fixture;
        TDoc& doc = fixture.Doc();
        doc.StateFlags[sfHidden] = 0;
        TAutoList& list = fixture.NewList(true);
        list.Levels[0].NumberFormat = c.Format;
        list.Levels[0].LabelText = c.LevelText;
        list.Levels[0].FollowKind = c.Follower;
        fixture.Add("before");
        for (const char* text : {"one", "two", "three"}) {
            TPar& par = fixture.Add(text, &list);
            par.Format.LeftIndent = 720;
            par.Format.FirstIndent = -360;
        }
        doc.Caret = TTextPos{2, 1};
        doc.Selection->Reset();
        PerformUndoRedo(doc, TConvertToManualListArgs{&list}, [&] {
            for (std::int32_t p = 1; p <= 3; ++p) {
                SCOPED_TRACE(p);
                EXPECT_EQ(ParText(doc, p), c.Texts[static_cast<std::size_t>(p - 1)]);
                EXPECT_EQ(ListOf(*doc.Par(p)), nullptr);
                EXPECT_EQ(TListDoc::LabelOf(*doc.Par(p)), u"");
                EXPECT_EQ(doc.Par(p)->Format.LeftIndent, 720);
                EXPECT_EQ(doc.Par(p)->Format.FirstIndent, -360);
            }
            EXPECT_EQ(ParText(doc, 0), "before");
            // "two" with the caret after its "t": the label went in before it.
            EXPECT_EQ(doc.Caret.Par, 2);
            EXPECT_EQ(doc.Caret.Offset, static_cast<std::int32_t>(Platform::Utf8ToUtf16(c.Texts[1]).find(u"two")) + 1);
        });
    }
}

// A list that a style uses leaves the style and every paragraph, those the
// style numbered and those numbered directly.
TEST_F(ListOperationsTest, RemovingAListFromTheStylesTakesItOutEverywhere) {
    TListDoc fixture;
    TDoc& doc = fixture.Doc();
    doc.StateFlags[sfHidden] = 0;
    ASSERT_NE(doc.Styles, nullptr);
    if (doc.Styles->Count == 0) {
        auto* normal = new TStyle(doc.Styles);
        normal->Name = normal->DisplayName = "Normal";
        normal->BuiltInId = 0;
        doc.Styles->AddStyle(normal);
    }
    TAutoList& list = fixture.NewList(true);
    TAutoList& other = fixture.NewList(true);
    const auto handle = static_cast<std::int32_t>(ObjectHandle(&list));
    auto* numbered = new TStyle(doc.Styles);
    numbered->Name = numbered->DisplayName = "Numbered";
    numbered->BasedOn = 0;
    numbered->ParFormat.List = handle;
    doc.Styles->AddStyle(numbered);
    const std::int32_t numberedIndex = doc.Styles->Count - 1;
    fixture.Add("plain");
    TPar& styled = fixture.Add("styled", &list);
    styled.Format.Style = numberedIndex;
    fixture.Add("kept", &other);
    fixture.Add("direct", &list);
    doc.Caret = TTextPos{0, 2};
    PerformUndoRedo(doc, TRemoveListFromStylesArgs{&list}, [&] {
        EXPECT_EQ(doc.Styles->Style(numberedIndex)->List(), nullptr);
        for (std::int32_t p = 0; p < doc.ParCount(); ++p)
            EXPECT_EQ(ListOf(*doc.Par(p)) == &list, false) << p;
        EXPECT_EQ(doc.Par(1)->Format.Style, numberedIndex);
        EXPECT_EQ(ListOf(*doc.Par(2)), &other);
        EXPECT_EQ(TListDoc::LabelOf(*doc.Par(2)), u"1.");
        EXPECT_EQ(TListDoc::LabelOf(*doc.Par(3)), u"");
        // The caret goes to the first paragraph that left the list itself.
        EXPECT_EQ(doc.Caret.Par, 3);
    });
}

// A template list: its copy joins the list table and numbers the
// selection, whose paragraphs take the formats the template's own
// paragraphs of each level share.
TEST_F(ListOperationsTest, ApplyingATemplateAddsACopyWithItsParagraphsFormats) {
    TListDoc fixture;
    TDoc& doc = fixture.Doc();
    doc.StateFlags[sfHidden] = 0;
    TAutoList& templateList = fixture.NewList(true);
    templateList.Levels[0].NumberFormat = lnLowerLetter;
    for (const char* text : {"a", "b"}) {
        TPar& par = fixture.Add(text, &templateList);
        par.Format.LeftIndent = 1000;
        par.Format.SpaceAfter = 120;
    }
    doc.Par(1)->Format.SpaceAfter = 240;  // differs: not taken over
    fixture.Add("first");
    fixture.Add("second");
    const std::int32_t listsBefore = doc.Lists.Count;
    Select(doc, 2, 3);
    PerformUndoRedo(doc, TApplyListTemplateArgs{&templateList}, [&] {
        ASSERT_EQ(doc.Lists.Count, listsBefore + 1);
        TAutoList* copy = doc.Lists.At<TAutoList>(doc.Lists.Count - 1);
        EXPECT_NE(copy, &templateList);
        EXPECT_EQ(copy->Levels[0].NumberFormat, lnLowerLetter);
        for (std::int32_t p : {2, 3}) {
            SCOPED_TRACE(p);
            EXPECT_EQ(ListOf(*doc.Par(p)), copy);
            EXPECT_EQ(doc.Par(p)->Format.LeftIndent, 1000);
            EXPECT_EQ(doc.Par(p)->Format.SpaceAfter, 0);
        }
        EXPECT_EQ(TListDoc::LabelOf(*doc.Par(3)), u"b.");
    });
    EXPECT_EQ(doc.Lists.Count, listsBefore + 1);
}

}  // namespace
