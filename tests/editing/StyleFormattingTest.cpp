// Styles: applying a style while chosen runs stay, redefining a style from
// the selection, the list gallery, built-in styles on demand and heading
// levels.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FormattingDoc.h"
#include "base/core/ObjectHandles.h"
#include "base/messages/MessageBoxes.h"
#include "editing/formatting/BuiltInStyles.h"
#include "editing/formatting/Formatting.h"
#include "editing/formatting/FormattingSeams.h"
#include "editing/formatting/ListGallery.h"
#include "editing/services/EditingInstall.h"
#include "model/formats/FormatStream.h"
#include "model/managers/TAutoList.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/managers/TTabManager.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "model/undo/StyleOperations.h"

namespace {

class StyleFormattingTest : public ::testing::Test {
protected:
    void SetUp() override {
        InstallEditing();
        EnsureStyleManager();
        previous = SetMessageBoxAnswerer([this](const TMessageBoxRequest& request) {
            messages.push_back(request.Text);
            return static_cast<std::uint16_t>(mrOk);
        });
    }
    void TearDown() override { SetMessageBoxAnswerer(previous); }

    std::vector<std::string> messages;
    TMessageBoxAnswerer previous;
};

TEST_F(StyleFormattingTest, ApplyingAStyleKeepsABoldWordBoldUnlessTheStyleSetsBold) {
    struct Case {
        const char* name;
        std::int32_t styleBold;  // UnsetValue: the style says nothing of bold
        std::int32_t expectPlain, expectBoldWord;
    };
    const Case cases[] = {
        {"style without bold", UnsetValue, 0, 1},
        {"style with bold", 1, 1, 1},
        {"style with bold off", 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFormattingDoc f({"one {b:1}two{b:0} three"});
        TDoc& doc = f.Doc();
        const std::int32_t heading = f.AddStyle("Heading 1", 0, 1);
        f.Style(heading).CharFormat[caSize] = 32;
        f.Style(heading).CharFormat[caBold] = c.styleBold;
        f.PlaceCaret(0, 1);
        const TFormattingDump before = DumpFormatting(doc);
        doc.PerformOperation(TApplyStyleArgs{heading, 1});
        EXPECT_EQ(Value(doc.Par(0)->Format.Style), heading);
        EXPECT_EQ(f.AttrAt(0, 0, caBold), c.expectPlain);
        EXPECT_EQ(f.AttrAt(0, 5, caBold), c.expectBoldWord);
        EXPECT_EQ(f.AttrAt(0, 9, caBold), c.expectPlain);
        // What does not vary takes the style's value.
        EXPECT_EQ(f.AttrAt(0, 0, caSize), 32);
        EXPECT_EQ(f.AttrAt(0, 5, caSize), 32);
        doc.Undo(true);
        EXPECT_EQ(DumpDifference(DumpFormatting(doc), before), "");
    }
}

TEST_F(StyleFormattingTest, ApplyingAStyleLeavesTableParagraphsInTheirTable) {
    TFormattingDoc f({"cell"});
    TDoc& doc = f.Doc();
    doc.Par(0)->Format.InTable = 1;
    const std::int32_t quote = f.AddStyle("Quote", 0);
    f.Style(quote).ParFormat.LeftIndent = 720;
    f.PlaceCaret(0, 1);
    doc.PerformOperation(TApplyStyleArgs{quote, 1});
    EXPECT_EQ(Value(doc.Par(0)->Format.InTable), 1);
    EXPECT_EQ(Value(doc.Par(0)->Format.LeftIndent), 720);
    doc.PerformOperation(TResetFormatArgs{nullptr, nullptr, 0});
    EXPECT_EQ(Value(doc.Par(0)->Format.InTable), 1);
}

TEST_F(StyleFormattingTest, ApplyingAStyleOnlyByIndexKeepsEveryFormat) {
    TFormattingDoc f({"{fs:40}one"});
    TDoc& doc = f.Doc();
    const std::int32_t quote = f.AddStyle("Quote", 0);
    f.Style(quote).CharFormat[caSize] = 20;
    f.PlaceCaret(0, 0);
    doc.PerformOperation(TApplyStyleArgs{quote, 0});
    EXPECT_EQ(Value(doc.Par(0)->Format.Style), quote);
    EXPECT_EQ(f.AttrAt(0, 0, caSize), 40);
}

TEST_F(StyleFormattingTest, ApplyingAStyleKeepsLinkColoursAndNoteReferencesRaised) {
    // Links inside a table of contents are its entries and take the style.
    for (bool inToc : {false, true}) {
        SCOPED_TRACE(inToc ? "inside a table of contents" : "in the text");
        TFormattingDoc f({"x", "ab"});
        TDoc& doc = f.Doc();
        auto field = [&](std::uint8_t kind, std::uint8_t type) {
            auto* made = new TField;
            made->Kind = kind;
            made->Type = type;
            doc.Fields.Add(made);
            return static_cast<std::int32_t>(ObjectHandle(made));
        };
        const std::int32_t toc = field(fkCode, ftToc);
        const std::int32_t link = field(fkCode, ftHyperlink);
        const std::int32_t note = field(fkNoteRef, 0);
        // The table of contents opens in the paragraph before.
        if (inToc)
            InsertFormatControl(doc.Par(0)->Stream, 0, fcFieldStart, toc);
        // "ab", then a hyperlink "cd" in blue underlined, then a raised note
        // reference "1".
        TPar& par = *doc.Par(1);
        par.Stream.Clear();
        par.Chars.Clear();
        auto text = [&](const char* s) {
            for (; *s != 0; ++s) {
                par.Stream.AppendByte(static_cast<std::uint8_t>(*s));
                par.Chars.AppendByte(static_cast<std::uint8_t>(*s));
            }
        };
        text("ab");
        AppendFormatControl(par.Stream, fcFieldStart, link);
        AppendFormatControl(par.Stream, caColor, 0xFF0000);
        AppendFormatControl(par.Stream, caUnderline, 1);
        text("cd");
        AppendFormatControl(par.Stream, caColor, DefaultCharFormat[caColor]);
        AppendFormatControl(par.Stream, caUnderline, 0);
        AppendFormatControl(par.Stream, fcFieldEnd, link);
        AppendFormatControl(par.Stream, fcFieldStart, note);
        AppendFormatControl(par.Stream, caScript, 1);
        text("1");
        AppendFormatControl(par.Stream, caScript, 0);
        AppendFormatControl(par.Stream, fcFieldEnd, note);
        if (inToc)
            AppendFormatControl(par.Stream, fcFieldEnd, toc);
        AppendFormatControl(par.Stream, fcSpecialChar, chParEnd);
        par.Chars.AppendByte(chParEnd);

        const std::int32_t style = f.AddStyle("Plain", 0);
        f.Style(style).CharFormat[caColor] = 0x00FF00;
        f.Style(style).CharFormat[caUnderline] = 0;
        f.Style(style).CharFormat[caScript] = 0;
        f.PlaceCaret(1, 0);
        doc.PerformOperation(TApplyStyleArgs{style, 1});
        EXPECT_EQ(f.AttrAt(1, 0, caColor), 0x00FF00);
        EXPECT_EQ(f.AttrAt(1, 2, caColor), inToc ? 0x00FF00 : 0xFF0000);
        EXPECT_EQ(f.AttrAt(1, 3, caUnderline), inToc ? 0 : 1);
        EXPECT_EQ(f.AttrAt(1, 4, caScript), 1);
        EXPECT_EQ(f.AttrAt(1, 4, caColor), 0x00FF00);
    }
}

TEST_F(StyleFormattingTest, UpdatingAStyleChangesItsParagraphsAndThoseOfDerivedStyles) {
    TFormattingDoc f({"{fs:40}alpha", "beta", "gamma", "delta"});
    TDoc& doc = f.Doc();
    const std::int32_t body = f.AddStyle("Body", 0);
    const std::int32_t derived = f.AddStyle("Body Indent", body);
    f.Style(derived).ParFormat.LeftIndent = 720;
    f.SetParStyle(0, body);
    f.SetParStyle(1, body);
    f.SetParStyle(2, derived);
    f.Doc().Par(2)->Format.LeftIndent = 720;
    f.Select(0, 0, 0, 5);
    const TFormattingDump before = DumpFormatting(doc);
    doc.PerformOperation(TUpdateStyleArgs{-1});
    EXPECT_EQ(f.Style(body).CharFormat[caSize], 40);
    EXPECT_EQ(f.AttrAt(1, 1, caSize), 40);
    EXPECT_EQ(f.AttrAt(2, 1, caSize), 40);
    EXPECT_EQ(Value(doc.Par(2)->Format.LeftIndent), 720);
    EXPECT_EQ(f.AttrAt(3, 1, caSize), DefaultCharFormat[caSize]);
    const TFormattingDump after = DumpFormatting(doc);
    doc.Undo(true);
    EXPECT_EQ(DumpDifference(DumpFormatting(doc), before), "");
    doc.Redo();
    EXPECT_EQ(DumpDifference(DumpFormatting(doc), after), "");
    EXPECT_TRUE(messages.empty());
}

TEST_F(StyleFormattingTest, UpdatingFromParagraphsOfMixedStylesChangesNothing) {
    TFormattingDoc f({"{fs:40}alpha", "beta"});
    TDoc& doc = f.Doc();
    const std::int32_t body = f.AddStyle("Body", 0);
    f.SetParStyle(1, body);
    f.Select(0, 0, 1, 2);
    const TFormattingDump before = DumpFormatting(doc);
    const std::int32_t steps = doc.UndoList.Count;
    doc.PerformOperation(TUpdateStyleArgs{-1});
    EXPECT_EQ(DumpDifference(DumpFormatting(doc), before), "");
    EXPECT_EQ(doc.UndoList.Count, steps);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0],
              "The \"update style\" operation can only be applied to a selection of paragraphs of the same style.");
}

TEST_F(StyleFormattingTest, UpdatingAStyleThatAlreadyMatchesLeavesNoStep) {
    TFormattingDoc f({"alpha"});
    TDoc& doc = f.Doc();
    f.Select(0, 0, 0, 5);
    const std::int32_t steps = doc.UndoList.Count;
    doc.PerformOperation(TUpdateStyleArgs{-1});
    EXPECT_EQ(doc.UndoList.Count, steps);
}

TEST_F(StyleFormattingTest, UpdatingAListStyleLeavesOtherStylesNumberingAlone) {
    TFormattingDoc f({"item", "other"});
    TDoc& doc = f.Doc();
    auto* list = new TAutoList;
    list->SingleLevel = 1;
    list->Levels[0].NumberFormat = lnArabic;
    list->Levels[0].ParFormat.LeftIndent = 360;
    list->Levels[0].ParFormat.FirstIndent = -360;
    doc.Lists.Add(list);
    const auto handle = static_cast<std::int32_t>(ObjectHandle(list));
    const std::int32_t listStyle = f.AddStyle("List Body", 0);
    f.Style(listStyle).ParFormat.List = handle;
    f.SetParStyle(0, listStyle);
    for (std::int32_t p : {0, 1}) {
        doc.Par(p)->Format.List = handle;
        doc.Par(p)->Format.ListLevel = 0;
        doc.Par(p)->Format.FirstIndent = -360;
        doc.Par(p)->Format.LeftIndent = p == 0 ? 1080 : 360;
    }
    f.Select(0, 0, 0, 4);
    const TFormattingDump before = DumpFormatting(doc);
    doc.PerformOperation(TUpdateStyleArgs{-1});
    // The paragraph of the other style keeps its list and its indents.
    EXPECT_EQ(Value(list->Levels[0].ParFormat.LeftIndent), 360);
    EXPECT_EQ(Value(doc.Par(1)->Format.List), handle);
    ASSERT_EQ(doc.Lists.Count, 2);
    const auto* own = doc.Lists.At<TAutoList>(1);
    EXPECT_EQ(Value(own->Levels[0].ParFormat.LeftIndent), 1080);
    EXPECT_EQ(Value(f.Style(listStyle).ParFormat.List), static_cast<std::int32_t>(ObjectHandle(own)));
    doc.Undo(true);
    EXPECT_EQ(DumpDifference(DumpFormatting(doc), before), "");
    EXPECT_EQ(doc.Lists.Count, 1);
}

TEST_F(StyleFormattingTest, TheGalleryHasAllBulletAndAllNumberedListsOfNineLevels) {
    for (bool bullets : {true, false}) {
        SCOPED_TRACE(bullets ? "bullets" : "numbers");
        std::unique_ptr<TAutoList> list = ListGalleryList(bullets);
        ASSERT_NE(list, nullptr);
        EXPECT_FALSE(list->IsSingleLevel());
        for (int k = 0; k < 9; ++k)
            EXPECT_EQ(list->LevelIsBullet(k), bullets) << k;
    }
}

TEST_F(StyleFormattingTest, DemotingASingleLevelBulletItemMakesANineLevelList) {
    TFormattingDoc f({"item"});
    TDoc& doc = f.Doc();
    auto* list = new TAutoList;
    list->SingleLevel = 1;
    list->Levels[0].NumberFormat = lnBullet;
    list->Levels[0].LabelText = u"*";
    doc.Lists.Add(list);
    TParFormat& pf = doc.Par(0)->Format;
    pf.List = static_cast<std::int32_t>(ObjectHandle(list));
    pf.ListLevel = 0;
    pf.LeftIndent = 720;
    pf.FirstIndent = -360;
    f.PlaceCaret(0, 0);
    const TFormattingDump before = DumpFormatting(doc);
    doc.PerformOperation(TStepParAttributeArgs{nullptr, nullptr, 7, 0});
    EXPECT_FALSE(list->IsSingleLevel());
    EXPECT_EQ(Value(pf.ListLevel), 1);
    EXPECT_EQ(list->Levels[0].LabelText, u"*");
    EXPECT_EQ(Value(list->Levels[1].ParFormat.LeftIndent), 720 + 360);
    EXPECT_EQ(Value(list->Levels[1].ParFormat.FirstIndent), -360);
    EXPECT_TRUE(list->LevelIsBullet(8));
    EXPECT_EQ(Value(pf.LeftIndent), 1080);
    doc.Undo(true);
    EXPECT_EQ(DumpDifference(DumpFormatting(doc), before), "");
    EXPECT_TRUE(list->IsSingleLevel());
    // Promoting at level 0 cannot move.
    const std::int32_t steps = doc.UndoList.Count;
    doc.PerformOperation(TStepParAttributeArgs{nullptr, nullptr, 6, 0});
    EXPECT_EQ(doc.UndoList.Count, steps);
}

TEST_F(StyleFormattingTest, BuiltInStylesAreAddedOnceFromTheDefaults) {
    struct Case {
        const char* name;
        std::int32_t id;
        const char* styleName;
    };
    const Case cases[] = {
        {"footnote text", 29, "Footnote Text"},
        {"endnote text", 43, "Endnote Text"},
        {"index heading", 33, "Index Heading"},
        {"heading", 2, "Heading 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFormattingDoc f({"text"});
        TDoc& doc = f.Doc();
        const TFormattingDump before = DumpFormatting(doc);
        std::int32_t index = -1;
        f.InOperation([&] { index = EnsureBuiltInStyle(doc, c.id); });
        ASSERT_GE(index, 0);
        EXPECT_EQ(f.Style(index).Name, c.styleName);
        EXPECT_EQ(f.Style(index).BuiltInId, c.id);
        const std::int32_t count = doc.Styles->Count;
        f.InOperation([&] { EXPECT_EQ(EnsureBuiltInStyle(doc, c.id), index); });
        EXPECT_EQ(doc.Styles->Count, count);
        doc.Undo(true);
        doc.Undo(true);
        EXPECT_EQ(DumpDifference(DumpFormatting(doc), before), "");
    }
}

TEST_F(StyleFormattingTest, TableOfContentsStylesIndentEachLevelFurther) {
    TFormattingDoc f({"text"});
    TDoc& doc = f.Doc();
    f.Style(0).ParFormat.LeftIndent = 100;
    f.InOperation([&] { EnsureTOCStyles(doc, nullptr, nullptr, nullptr, 5, false); });
    const std::int32_t title = doc.Styles->IndexOfBuiltIn(bsTocTitle);
    ASSERT_GE(title, 0);
    EXPECT_EQ(f.Style(title).Name, "TOC Title");
    for (std::int32_t k = 1; k <= 9; ++k) {
        SCOPED_TRACE(k);
        const std::int32_t index = doc.Styles->IndexOfBuiltIn(bsToc1 + k - 1);
        if (k > 5) {
            EXPECT_EQ(index, -1);
            continue;
        }
        ASSERT_GE(index, 0);
        TParFormat resolved = DefaultParFormat;
        f.Style(index).ResolveFormat(nullptr, &resolved, rfListIndents);
        EXPECT_EQ(resolved.LeftIndent, 100 + (k - 1) * 240);
    }
    // Asking again adds nothing.
    const std::int32_t count = doc.Styles->Count;
    f.InOperation([&] { EnsureTOCStyles(doc, nullptr, nullptr, nullptr, 5, false); });
    EXPECT_EQ(doc.Styles->Count, count);
}

TEST_F(StyleFormattingTest, ANewSheetReplacesTheListsThatDiffer) {
    TFormattingDoc f({"item"});
    TDoc& doc = f.Doc();
    auto* list = new TAutoList;
    list->SingleLevel = 1;
    list->Levels[0].NumberFormat = lnArabic;
    doc.Lists.Add(list);
    const TFormattingDump before = DumpFormatting(doc);
    auto* change = new TFormatStyleListInfo;
    change->NewStyles = new TStyleList(&doc);
    change->NewStyles->Assign(*doc.Styles);
    change->NewLists.push_back(std::make_unique<TAutoList>());
    change->NewLists[0]->Assign(*list);
    change->NewLists[0]->Levels[0].NumberFormat = lnUpperRoman;
    doc.PerformOperation(TFormatDocStylesArgs{change});
    EXPECT_EQ(list->Levels[0].NumberFormat, lnUpperRoman);
    doc.Undo(true);
    EXPECT_EQ(DumpDifference(DumpFormatting(doc), before), "");
}

TEST_F(StyleFormattingTest, TableOfContentsStylesComeFromTheirSourcesInOrder) {
    // The document's "TOC 1" is indented 0; the template's 500; the default
    // template's 999, and it alone has "TOC 2" (700).
    struct Case {
        const char* name;
        bool withTemplate;
        bool update;
        std::int32_t expectToc1, expectToc2;
    };
    const Case cases[] = {
        {"a template replaces the document's style", true, false, 500, 700},
        {"an update keeps the document's style", true, true, 0, 700},
        {"the default template only adds", false, false, 0, 700},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFormattingDoc f({"text"});
        TDoc& doc = f.Doc();
        f.Style(f.AddStyle("TOC 1", 0, bsToc1)).ParFormat.LeftIndent = 0;
        TFormattingDoc templ({"x"});
        const std::int32_t t1 = templ.AddStyle("TOC 1", 0, bsToc1);
        templ.Style(t1).ParFormat.LeftIndent = 500;
        TFormattingDoc defaults({"x"});
        const std::int32_t d1 = defaults.AddStyle("TOC 1", 0, bsToc1);
        defaults.Style(d1).ParFormat.LeftIndent = 999;
        const std::int32_t d2 = defaults.AddStyle("TOC 2", 0, bsToc1 + 1);
        defaults.Style(d2).ParFormat.LeftIndent = 700;
        const TFormattingDump before = DumpFormatting(doc);
        f.InOperation([&] {
            EnsureTOCStyles(doc, nullptr, c.withTemplate ? &templ.Doc() : nullptr, &defaults.Doc(), 2, c.update);
        });
        const std::int32_t toc1 = doc.Styles->IndexOfBuiltIn(bsToc1);
        const std::int32_t toc2 = doc.Styles->IndexOfBuiltIn(bsToc1 + 1);
        ASSERT_GE(toc1, 0);
        ASSERT_GE(toc2, 0);
        EXPECT_EQ(Value(f.Style(toc1).ParFormat.LeftIndent), c.expectToc1);
        EXPECT_EQ(Value(f.Style(toc2).ParFormat.LeftIndent), c.expectToc2);
        EXPECT_GE(doc.Styles->IndexOfBuiltIn(bsTocTitle), 0);
        doc.Undo(true);
        EXPECT_EQ(DumpDifference(DumpFormatting(doc), before), "");
    }
}

// A default template whose "Footnote Text" is 9 points.
TDoc* FootnoteTemplate(const TDoc&, bool& owned) {
    auto* doc = new TDoc(true);
    auto* normal = new TStyle(doc->Styles);
    normal->Name = normal->DisplayName = "Normal";
    normal->BuiltInId = bsNormal;
    doc->Styles->AddStyle(normal);
    auto* note = new TStyle(doc->Styles);
    note->Name = note->DisplayName = "Footnote Text";
    note->BuiltInId = 29;
    note->BasedOn = 0;
    note->CharFormat[caSize] = 18;
    doc->Styles->AddStyle(note);
    owned = true;
    return doc;
}

TEST_F(StyleFormattingTest, BuiltInStylesComeFromTheDefaultTemplateFirst) {
    TFormattingDoc f({"text"});
    TDoc& doc = f.Doc();
    FormattingSeams().OpenDefaultTemplate = FootnoteTemplate;
    std::int32_t index = -1;
    f.InOperation([&] { index = EnsureBuiltInStyle(doc, 29); });
    // A style the template lacks still comes from the defaults.
    std::int32_t endnote = -1;
    f.InOperation([&] { endnote = EnsureBuiltInStyle(doc, 43); });
    FormattingSeams().OpenDefaultTemplate = nullptr;
    ASSERT_GE(index, 0);
    EXPECT_EQ(f.Style(index).CharFormat[caSize], 18);
    EXPECT_GE(endnote, 0);
    EXPECT_EQ(f.Style(endnote).Name, "Endnote Text");
}

TEST_F(StyleFormattingTest, HeaderAndFooterStylesFromTheDefaultsStopTabsAtMiddleAndEnd) {
    TTabManager tabs;
    TFormattingDoc f({"text"});
    TDoc& doc = f.Doc();
    const TFormattingDump before = DumpFormatting(doc);
    f.InOperation([&] { EnsureHeaderFooterStyles(doc); });
    for (std::int32_t id : {static_cast<std::int32_t>(bsHeader), static_cast<std::int32_t>(bsFooter)}) {
        SCOPED_TRACE(id);
        const std::int32_t index = doc.Styles->IndexOfBuiltIn(id);
        ASSERT_GE(index, 0);
        const std::int32_t table = f.Style(index).ParFormat.Tabs;
        ASSERT_GT(table, 0);
        const TTabTable& stops = *tabs.Table(table);
        ASSERT_EQ(stops.Count, 2);
        EXPECT_EQ(TabStopPosition(stops.Stop(0)), 9360 / 2);
        EXPECT_EQ(TabStopAlignment(stops.Stop(0)), taCenter);
        EXPECT_EQ(TabStopPosition(stops.Stop(1)), 9360);
        EXPECT_EQ(TabStopAlignment(stops.Stop(1)), taRight);
    }
    doc.Undo(true);
    EXPECT_EQ(DumpDifference(DumpFormatting(doc), before), "");
}

TEST_F(StyleFormattingTest, HeadingLevels) {
    struct Case {
        const char* name;
        const char* style;  // the paragraph's style ("" for Normal)
        std::int32_t builtIn;
        std::int32_t ownLevel;
        std::int32_t level;
        const char* expectStyle;
        std::int32_t expectLevel;
    };
    const Case cases[] = {
        {"promote a third-level heading", "Heading 3", 3, 2, 1, "Heading 2", 1},
        {"demote a first-level heading", "Heading 1", 1, 0, 1, "Heading 2", 1},
        {"body text on a heading", "Heading 1", 1, 0, 9, "Normal", 9},
        {"a family numbered by level", "Chapter 2", -1, 1, 2, "Chapter 3", 2},
        {"a plain paragraph takes the level itself", "", -1, 9, 3, "Normal", 3},
        {"body text on a plain paragraph with a level", "", -1, 4, 9, "Normal", 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFormattingDoc f({"text"});
        TDoc& doc = f.Doc();
        std::int32_t style = 0;
        if (c.style[0] != 0) {
            style = f.AddStyle(c.style, 0, c.builtIn);
            f.Style(style).ParFormat.OutlineLevel = static_cast<std::int8_t>(c.ownLevel);
        }
        // The family's other members.
        for (const char* name : {"Chapter 1", "Chapter 3"}) {
            const std::int32_t s = f.AddStyle(name, 0);
            f.Style(s).ParFormat.OutlineLevel = static_cast<std::int8_t>(name[8] - '1');
        }
        f.SetParStyle(0, style);
        doc.Par(0)->Format.OutlineLevel = static_cast<std::int8_t>(c.ownLevel);
        const TFormattingDump before = DumpFormatting(doc);
        f.InOperation([&] { SetHeadingLevel(doc, 0, c.level); });
        EXPECT_EQ(f.Style(doc.Par(0)->Format.Style).Name, c.expectStyle);
        EXPECT_EQ(Value(doc.Par(0)->Format.OutlineLevel), c.expectLevel);
        doc.Undo(true);
        EXPECT_EQ(DumpDifference(DumpFormatting(doc), before), "");
    }
}

}  // namespace
