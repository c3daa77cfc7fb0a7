#include "model/managers/TStyleManager.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/core/ObjectHandles.h"
#include "base/messages/MessageBoxes.h"
#include "base/text/TStringList.h"
#include "model/managers/DescribeFormatting.h"
#include "model/managers/TAutoList.h"
#include "model/managers/TFontManager.h"
#include "model/managers/TStyle.h"
#include "support/TestSupport.h"

namespace {

using TSets = std::vector<std::pair<int, std::int32_t>>;

TStyle* AddStyle(TStyleList& sheet, const char* name, std::int32_t basedOn = -1, std::int32_t next = -1) {
    auto* s = new TStyle(&sheet);
    s->Name = name;
    s->DisplayName = name;
    s->BasedOn = basedOn;
    s->NextStyle = next;
    sheet.AddStyle(s);
    return s;
}

std::vector<std::string> Names(const TStyleList& sheet) {
    std::vector<std::string> out;
    for (std::int32_t i = 0; i < sheet.Count; ++i)
        out.push_back(sheet.Style(i)->Name);
    return out;
}

std::vector<std::int32_t> Ints(const TList& list) {
    std::vector<std::int32_t> out;
    for (std::int32_t i = 0; i < list.Count; ++i)
        out.push_back(ItemInt(list, i));
    return out;
}

// The default sheet over the fixture fonts, so that "Arial" is a real
// registered font.
class DefaultSheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestSupport::UseFixtureFonts();
        savedTimes = DefaultCharFormat[caFont];
        savedArial = LabelCharFormat[caFont];
        fonts = new TFontManager;
        styles = new TStyleManager;
    }
    void TearDown() override {
        delete styles;
        delete fonts;
        SetConstantFormatFonts(savedTimes, savedArial);
    }
    TFontManager* fonts = nullptr;
    TStyleManager* styles = nullptr;
    std::int32_t savedTimes = 0, savedArial = 0;
};

TEST_F(DefaultSheetTest, MatchesTheDefaultStyleSheetWhole) {
    const std::int32_t arial = fonts->ArialFont;
    struct Row {
        const char* name;
        std::int32_t id, basedOn, next;
        TSets chars, pars;
    };
    std::vector<Row> rows;
    rows.push_back({"Normal", 0, -1, 0, {{caFont, arial}, {caSize, 20}}, {}});
    for (int i = 1; i <= 9; ++i)
        rows.push_back({BuiltInStyleNames[i], i, 0, 0, {}, {{ppOutlineLevel, i - 1}, {ppListLevel, i - 1}}});
    rows.push_back({"Header", 31, 0, 10, {}, {}});
    rows.push_back({"Footer", 32, 0, 11, {}, {}});
    rows.push_back({"TOC Title",
                    91,
                    -1,
                    -1,
                    {{caSize, 24}, {caBold, 1}},
                    {{ppAlignment, 1}, {ppKeepWithNext, 1}, {ppSpaceBefore, 120}}});
    for (int i = 1; i <= 9; ++i)
        rows.push_back({BuiltInStyleNames[18 + i], 18 + i, -1, -1, {}, {{ppLeftIndent, (i - 1) * 240}}});
    for (int i = 1; i <= 9; ++i)
        rows.push_back({BuiltInStyleNames[9 + i],
                        9 + i,
                        0,
                        21 + i,
                        {},
                        {{ppLeftIndent, (i + 1) * 240}, {ppFirstIndent, -240}, {ppWidowControl, 1}}});
    rows.push_back({"Index Heading",
                    33,
                    0,
                    31,
                    {{caBold, 1}},
                    {{ppAlignment, 1}, {ppSpaceBefore, 144}, {ppSpaceAfter, 72}, {ppKeepWithNext, 1}}});
    rows.push_back({"Footnote Text", 29, 0, 32, {{caSize, 20}}, {}});
    rows.push_back({"Endnote Text", 43, 0, 33, {{caSize, 20}}, {}});

    const TStyleList& sheet = styles->DefaultStyles;
    ASSERT_EQ(sheet.Count, 34);
    ASSERT_EQ(static_cast<std::int32_t>(rows.size()), 34);
    for (std::int32_t i = 0; i < sheet.Count; ++i) {
        const Row& row = rows[i];
        const TStyle& s = *sheet.Style(i);
        SCOPED_TRACE(row.name);
        EXPECT_EQ(s.Name, row.name);
        EXPECT_EQ(s.DisplayName, row.name);
        EXPECT_EQ(s.BuiltInId, row.id);
        EXPECT_EQ(s.BasedOn, row.basedOn);
        EXPECT_EQ(s.NextStyle, row.next);
        EXPECT_EQ(s.HotKey, 0u);
        EXPECT_EQ(s.Owner, &sheet);
        TCharFormat chars = UnsetCharFormat;
        for (const auto& [attr, value] : row.chars)
            chars[attr] = value;
        TParFormat pars = UnsetParFormat;
        for (const auto& [prop, value] : row.pars)
            SetParProp(pars, prop, value);
        SetParProp(pars, ppStyle, i);
        for (int attr = 0; attr < CharAttrCount; ++attr)
            EXPECT_EQ(s.CharFormat[attr], chars[attr]) << "attribute " << attr;
        for (int prop = 0; prop < ParPropCount; ++prop)
            EXPECT_EQ(GetParProp(s.ParFormat, prop), GetParProp(pars, prop)) << "property " << prop;
    }
    EXPECT_EQ(StyleManager, styles);
}

TEST_F(DefaultSheetTest, HeadingResolvesToArialTenPointAtOutlineLevelOne) {
    TCharFormat cf;
    TParFormat pf;
    styles->DefaultStyles.Style(1)->ResolveFormat(&cf, &pf, 0);
    TCharFormat expectedChar = DefaultCharFormat;
    expectedChar[caFont] = fonts->ArialFont;
    expectedChar[caSize] = 20;
    expectedChar[caLanguage] = UnsetValue;
    for (int attr = 0; attr < CharAttrCount; ++attr)
        EXPECT_EQ(cf[attr], expectedChar[attr]) << "attribute " << attr;
    TParFormat expectedPar = DefaultParFormat;
    expectedPar.OutlineLevel = 0;
    expectedPar.ListLevel = 0;
    expectedPar.WidowControl = 0;
    expectedPar.Style = 1;
    ClearParProp(expectedPar, ppInTable);
    ClearParProp(expectedPar, ppCollapsed);
    // The list is the style's own, and the heading names none.
    ClearParProp(expectedPar, ppList);
    for (int prop = 0; prop < ParPropCount; ++prop)
        EXPECT_EQ(GetParProp(pf, prop), GetParProp(expectedPar, prop)) << "property " << prop;

    // Outline levels are no heritage: a style based on a heading is body
    // text unless it says otherwise.
    TStyleList sheet(nullptr);
    sheet.Assign(styles->DefaultStyles);
    TStyle* child = AddStyle(sheet, "Below", 1);
    child->ResolveFormat(nullptr, &pf, 0);
    EXPECT_EQ(GetParProp(pf, ppOutlineLevel), 9);
    EXPECT_EQ(GetParProp(pf, ppListLevel), 0);
    child->ResolveFormat(nullptr, &pf, rfUnsetBase);
    EXPECT_TRUE(ParPropIsUnset(pf, ppOutlineLevel));
    EXPECT_TRUE(ParPropIsUnset(pf, ppListLevel));
    EXPECT_TRUE(ParPropIsUnset(pf, ppAlignment));
    EXPECT_EQ(GetParProp(pf, ppStyle), sheet.Count - 1);
}

TEST_F(DefaultSheetTest, AddDefaultStylesAppendsAMissingNormalOnly) {
    TStyleList sheet(nullptr);
    AddStyle(sheet, "Other");
    styles->AddDefaultStyles(sheet);
    EXPECT_EQ(Names(sheet), (std::vector<std::string>{"Other", "Normal"}));
    EXPECT_EQ(sheet.Style(1)->CharFormat[caSize], 20);

    TStyleList own(nullptr);
    TStyle* normal = AddStyle(own, "normal");
    normal->CharFormat[caSize] = 30;
    styles->AddDefaultStyles(own);
    EXPECT_EQ(own.Count, 1);
    EXPECT_EQ(own.Style(0)->CharFormat[caSize], 30);
    EXPECT_EQ(own.Style(0)->Name, "Normal");  // identified
}

TEST(StyleManagerTest, IdentifiesBuiltInStylesByName) {
    struct Case {
        const char* name;
        std::int32_t id;
        const char* storedName;
        std::int32_t outline;
    };
    const Case cases[] = {
        {"heading 1", 1, "Heading 1", 0},
        {"HEADING 9", 9, "Heading 9", 8},
        {"toc title", 91, "TOC Title", UnsetValue},
        {"Report", -1, "Report", UnsetValue},
        {"Titre 1", -1, "Titre 1", UnsetValue},
        {"Heading 1 ", -1, "Heading 1 ", UnsetValue},
        {"heading 1x", -1, "heading 1x", UnsetValue},
    };
    TStyleList sheet(nullptr);
    for (const Case& c : cases) {
        TStyle* s = AddStyle(sheet, c.name);
        s->DisplayName = "stale";
    }
    IdentifyBuiltInStyles(sheet);
    for (std::int32_t i = 0; i < sheet.Count; ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        EXPECT_EQ(sheet.Style(i)->BuiltInId, c.id);
        EXPECT_EQ(sheet.Style(i)->Name, c.storedName);
        EXPECT_EQ(sheet.Style(i)->DisplayName, c.storedName);
        EXPECT_EQ(GetParProp(sheet.Style(i)->ParFormat, ppOutlineLevel), c.outline);
    }
    EXPECT_EQ(sheet.IndexOfBuiltIn(91), 2);
    EXPECT_EQ(sheet.IndexOfBuiltIn(50), -1);

    TStyleManager manager;
    manager.SuspendIdentify = 1;
    TStyleList suspended(nullptr);
    AddStyle(suspended, "heading 2");
    IdentifyBuiltInStyles(suspended);
    EXPECT_EQ(suspended.Style(0)->BuiltInId, -1);
    EXPECT_EQ(suspended.Style(0)->Name, "heading 2");
}

TEST(StyleManagerTest, TranslatesFrenchBuiltInNames) {
    struct Case {
        const char* french;
        const char* english;
    };
    const Case cases[] = {
        {"titre 1", "Heading 1"},
        {"Titre", "Title"},
        {"Titres", ""},
        {"LISTE À PUCES 2", "List Bullet 2"},
        {"en-tête", "Header"},
        {"Normal centré", "Block Text"},
        {"TM 9", "TOC 9"},
        {"Titre TM", "TOC Title"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TranslateBuiltInStyleName(c.french), c.english) << c.french;
}

TEST(StyleTest, IdClassesAndAssign) {
    TStyle s(nullptr);
    for (auto [id, heading, lower] : std::vector<std::tuple<int, bool, bool>>{{-1, false, false},
                                                                              {0, false, false},
                                                                              {1, true, true},
                                                                              {9, true, true},
                                                                              {10, false, true},
                                                                              {28, false, false},
                                                                              {45, false, false},
                                                                              {46, false, true},
                                                                              {47, false, false}}) {
        s.BuiltInId = id;
        EXPECT_EQ(s.IsHeading(), heading) << id;
        EXPECT_EQ(s.HasLowerCaseName(), lower) << id;
    }

    TStyleList a(nullptr), b(nullptr);
    TStyle* source = AddStyle(a, "Source", 0, 0);
    source->BuiltInId = 62;
    source->HotKey = 0x31;
    source->CharFormat[caBold] = 1;
    source->FileNumber = 7;
    source->WorkIndex = 3;
    source->IsCharStyle = 1;
    TStyle* target = AddStyle(b, "Target");
    target->Assign(*source);
    EXPECT_EQ(target->Name, "Source");
    EXPECT_EQ(target->BuiltInId, 62);
    EXPECT_EQ(target->HotKey, 0x31u);
    EXPECT_EQ(target->BasedOn, 0);
    EXPECT_EQ(target->CharFormat[caBold], 1);
    EXPECT_EQ(target->Owner, &b);
    EXPECT_EQ(target->FileNumber, -1);
    EXPECT_EQ(target->WorkIndex, 0);
    EXPECT_EQ(target->IsCharStyle, 0);

    TStyleList copy(nullptr);
    AddStyle(copy, "gone");
    AddStyle(a, "Second");
    copy.Assign(a);
    EXPECT_EQ(Names(copy), (std::vector<std::string>{"Source", "Second"}));
    EXPECT_EQ(copy.Style(1)->Owner, &copy);
    EXPECT_EQ(copy.Style(1)->ParFormat.Style, 1);
}

TEST(StyleTest, IndentRuleKeepsHangingFirstLinesHanging) {
    const std::int32_t U = UnsetValue;
    struct Case {
        const char* name;
        std::int32_t df, dl, sf, sl, f, l;
    };
    const Case cases[] = {
        {"both given", 0, 0, 100, 200, 100, 200},
        {"nothing accumulated", U, U, U, 300, U, 300},
        {"first line over a hanging one", -360, 1080, 200, U, 200, 720},
        {"hanging first line", 0, 0, -360, U, -360, 360},
        {"hanging without a left indent", 100, U, -200, U, -200, U},
        {"left indent under a hanging line", -360, 360, U, 720, -360, 1080},
        {"left indent under an indented line", 200, 0, U, 720, 200, 720},
        {"neither given", 5, 6, U, U, 5, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TParFormat d = UnsetParFormat, s = UnsetParFormat;
        SetParProp(d, ppFirstIndent, c.df);
        SetParProp(d, ppLeftIndent, c.dl);
        SetParProp(d, ppAlignment, 2);
        SetParProp(s, ppFirstIndent, c.sf);
        SetParProp(s, ppLeftIndent, c.sl);
        SetParProp(s, ppSpaceBefore, 120);
        OverlayStyleParFormat(d, s);
        EXPECT_EQ(GetParProp(d, ppFirstIndent), c.f);
        EXPECT_EQ(GetParProp(d, ppLeftIndent), c.l);
        EXPECT_EQ(GetParProp(d, ppAlignment), 2);
        EXPECT_EQ(GetParProp(d, ppSpaceBefore), 120);
    }
}

TEST(StyleTest, ResolveFormatAlongTheChain) {
    TStyleList sheet(nullptr);
    TStyle* root = AddStyle(sheet, "Root");
    root->ParFormat.FirstIndent = -360;
    root->CharFormat[caLanguage] = 1036;
    root->CharFormat[caItalic] = 1;
    TStyle* child = AddStyle(sheet, "Child", 0);
    child->ParFormat.LeftIndent = 720;
    child->CharFormat[caItalic] = 0;

    TCharFormat cf;
    TParFormat pf;
    child->ResolveFormat(&cf, &pf, 0);
    EXPECT_EQ(GetParProp(pf, ppFirstIndent), -360);
    EXPECT_EQ(GetParProp(pf, ppLeftIndent), 1080);
    EXPECT_EQ(cf[caItalic], 0);
    EXPECT_EQ(cf[caLanguage], UnsetValue);
    child->ResolveFormat(&cf, nullptr, rfKeepLanguage);
    EXPECT_EQ(cf[caLanguage], 1036);
    child->ResolveFormat(&cf, nullptr, rfUnsetBase);
    EXPECT_EQ(cf[caSize], UnsetValue);

    // The list's level gives the indents when asked.
    TAutoList outline;
    outline.Levels[2].ParFormat.FirstIndent = -300;
    outline.Levels[2].ParFormat.LeftIndent = 900;
    child->ParFormat.List = static_cast<std::int32_t>(ObjectHandle(&outline));
    child->ParFormat.ListLevel = 2;
    child->ResolveFormat(nullptr, &pf, rfListIndents);
    EXPECT_EQ(GetParProp(pf, ppFirstIndent), -300);
    EXPECT_EQ(GetParProp(pf, ppLeftIndent), 900);
    EXPECT_EQ(GetParProp(pf, ppListLevel), 2);
    outline.SingleLevel = 1;  // a single-level list has level 0 only
    outline.Levels[0].ParFormat.LeftIndent = 360;
    child->ResolveFormat(nullptr, &pf, rfListIndents);
    EXPECT_EQ(GetParProp(pf, ppLeftIndent), 360);
    EXPECT_TRUE(ParPropIsUnset(pf, ppFirstIndent));
    EXPECT_EQ(sheet.IndexOfListStyle(&outline, 2), 1);
    EXPECT_EQ(sheet.IndexOfListStyle(&outline, 1), -1);
    child->ParFormat.List = 0;

    // A sheet that loops still resolves.
    root->BasedOn = 1;
    child->ResolveFormat(&cf, &pf, 0);
    EXPECT_EQ(GetParProp(pf, ppStyle), 1);
}

class TStubNames : public TFormatNames {
public:
    std::string FontName(std::int32_t font) const override { return "Arial"; }
};

TEST(StyleTest, Descriptions) {
    TStubNames names;
    SetFormatNames(&names);
    SetHotKeyTextHook([](std::uint32_t key) { return std::string("Ctrl+") + static_cast<char>(key); });
    TStyleList sheet(nullptr);
    TStyle* normal = AddStyle(sheet, "Normal");
    TStyle* strong = AddStyle(sheet, "Strong", 0);
    strong->DisplayName = "Strong text";
    strong->CharFormat[caBold] = 1;
    TStyle* plain = AddStyle(sheet, "Plain", 1);

    const std::string nbsp = "\xC2\xA0";
    EXPECT_EQ(normal->Describe(false), "");
    // A root style takes an unset font and size from the defaults.
    EXPECT_EQ(normal->Describe(true), "font: Arial; font size: 12" + nbsp + "pt");
    EXPECT_EQ(strong->Describe(false), "bold");
    EXPECT_EQ(strong->Describe(true), "Normal + bold");
    EXPECT_EQ(plain->Describe(true), "Strong text");
    plain->HotKey = '1';
    EXPECT_EQ(plain->Describe(true), "Strong text\r\nHot key: Ctrl+1");
    plain->BasedOn = -1;
    plain->CharFormat[caSize] = 24;
    plain->CharFormat[caFont] = 3;
    EXPECT_EQ(plain->Describe(false), "font: Arial; font size: 12" + nbsp + "pt");
    EXPECT_EQ(plain->Describe(true), "font: Arial; font size: 12" + nbsp + "pt\r\nHot key: Ctrl+1");
    SetHotKeyTextHook(nullptr);
    SetFormatNames(nullptr);
}

TEST(StyleListTest, DeleteStyleMendsReferences) {
    TStyleList sheet(nullptr);
    AddStyle(sheet, "Normal", -1, 0);
    AddStyle(sheet, "A", 0, 2);
    AddStyle(sheet, "B", 1, 1);
    AddStyle(sheet, "C", 2, 3);
    sheet.DeleteStyle(1);
    EXPECT_EQ(Names(sheet), (std::vector<std::string>{"Normal", "B", "C"}));
    EXPECT_EQ(sheet.Style(1)->BasedOn, 0);    // A's parent
    EXPECT_EQ(sheet.Style(1)->NextStyle, 0);  // A was its next style
    EXPECT_EQ(sheet.Style(2)->BasedOn, 1);
    EXPECT_EQ(sheet.Style(2)->NextStyle, 2);
    for (std::int32_t i = 0; i < sheet.Count; ++i)
        EXPECT_EQ(sheet.Style(i)->ParFormat.Style, i);

    // Without "Normal", a style that went on with it goes on with itself.
    TStyleList second(nullptr);
    AddStyle(second, "Normal", -1, 0);
    AddStyle(second, "H", 0, 0);
    AddStyle(second, "X", 1, 2);
    second.DeleteStyle(0);
    EXPECT_EQ(second.Style(0)->BasedOn, -1);
    EXPECT_EQ(second.Style(0)->NextStyle, 0);
    EXPECT_EQ(second.Style(1)->BasedOn, 0);
    EXPECT_EQ(second.Style(1)->NextStyle, 1);
    second.DeleteStyle(5);
    EXPECT_EQ(second.Count, 2);
}

TEST(StyleListTest, LookupsChainsAndNames) {
    TStyleList sheet(nullptr);
    AddStyle(sheet, "Normal");
    AddStyle(sheet, "Body", 0)->HotKey = 7;
    AddStyle(sheet, "Quote", 1)->DisplayName = "Citation";
    AddStyle(sheet, "body", 2);
    AddStyle(sheet, "Note", 1);
    AddStyle(sheet, "Loop", 5);  // based on itself: a damaged sheet

    EXPECT_EQ(sheet.IndexOfName("BODY"), 3);  // the last one
    EXPECT_EQ(sheet.IndexOfName("Citation"), -1);
    EXPECT_EQ(sheet.IndexOfDisplayName("citation"), 2);
    EXPECT_EQ(sheet.IndexOfHotKey(7), 1);
    EXPECT_TRUE(sheet.HotKeyUsed(7));
    EXPECT_FALSE(sheet.HotKeyUsed(0));
    EXPECT_FALSE(sheet.HotKeyUsed(8));

    TList chain;
    sheet.GetBasedOnChain(3, chain);
    EXPECT_EQ(Ints(chain), (std::vector<std::int32_t>{2, 1, 0}));
    chain.Clear();
    sheet.GetBasedOnChain(5, chain);
    EXPECT_EQ(Ints(chain), std::vector<std::int32_t>{});

    TList derived;
    sheet.GetDerivedStyles(1, derived, false);
    EXPECT_EQ(Ints(derived), (std::vector<std::int32_t>{2, 4}));
    derived.Clear();
    sheet.GetDerivedStyles(0, derived, true);
    EXPECT_EQ(Ints(derived), (std::vector<std::int32_t>{1, 2, 3, 4}));

    TStringList strings;
    strings.Add("old");
    sheet.FillStyleNames(strings);
    ASSERT_EQ(strings.Count, 6);
    EXPECT_EQ(strings.GetString(2), "Citation");
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(strings.GetObject(2)), 2);
}

// Importing: a source sheet with a chain Normal <- Body <- Quote, and a
// destination that has its own Normal and Quote.
class ImportStylesTest : public ::testing::Test {
protected:
    ImportStylesTest() {
        AddStyle(source, "Normal", -1, 0)->CharFormat[caSize] = 22;
        AddStyle(source, "Body", 0, 1)->CharFormat[caBold] = 1;
        AddStyle(source, "Quote", 1, 0)->CharFormat[caItalic] = 1;
        AddStyle(source, "Extra", -1, 2);
        AddStyle(dest, "Normal", -1, 0)->CharFormat[caSize] = 24;
        TStyle* quote = AddStyle(dest, "Quote", 0, 1);
        quote->DisplayName = "Quote";
        quote->FileNumber = 12;
        AddStyle(dest, "Other", 0, 2);
    }
    void Select(std::initializer_list<std::int32_t> indices) {
        for (std::int32_t i : indices)
            info.Selected->Add(IntItem(i));
    }
    TStyleList source{nullptr};
    TStyleList dest{nullptr};
    TImportStylesInfo info{&source};
};

TEST_F(ImportStylesTest, ExistingStylesAreReferredToUnlessReplaced) {
    Select({2, 3});
    EXPECT_TRUE(dest.ImportStyles(info, true));
    EXPECT_EQ(Names(dest), (std::vector<std::string>{"Normal", "Quote", "Other", "Extra"}));
    EXPECT_EQ(dest.Style(3)->NextStyle, 1);  // Extra goes on with the destination's Quote
    EXPECT_EQ(dest.Style(1)->CharFormat[caItalic], UnsetValue);
    EXPECT_EQ(Ints(*info.Added), std::vector<std::int32_t>{3});
    EXPECT_EQ(Ints(*info.Replaced), std::vector<std::int32_t>{});
    EXPECT_EQ(dest.Style(3)->ParFormat.Style, 3);
}

TEST_F(ImportStylesTest, ReplacingAsksForEachStyle) {
    info.ReplaceExisting = 1;
    Select({2});
    TestSupport::TScriptedMessageBoxes boxes({mrYes, mrNo});
    EXPECT_TRUE(dest.ImportStyles(info, true));
    ASSERT_EQ(boxes.Shown().size(), 2u);
    const TMessageBoxRequest& box = boxes.Shown()[0];
    EXPECT_EQ(box.Text,
              "Replace style \"Quote\" in destination style list with corresponding style from source style list?");
    EXPECT_EQ(box.Kind, mbkConfirm);
    EXPECT_EQ(box.Buttons, mbYes | mbNo | mbNoToAll | mbYesToAll | mbCancel);
    EXPECT_EQ(box.LastButton, mbiCancel);
    EXPECT_NE(boxes.Shown()[1].Text.find("\"Normal\""), std::string::npos);

    // Quote replaced, its parent Body brought along, Normal kept (No).
    EXPECT_EQ(Names(dest), (std::vector<std::string>{"Normal", "Quote", "Other", "Body"}));
    EXPECT_EQ(dest.Style(0)->CharFormat[caSize], 24);
    EXPECT_EQ(dest.Style(1)->CharFormat[caItalic], 1);
    EXPECT_EQ(dest.Style(1)->BasedOn, 3);
    EXPECT_EQ(dest.Style(1)->NextStyle, 0);
    EXPECT_EQ(dest.Style(1)->FileNumber, 12);  // file fields stay
    EXPECT_EQ(dest.Style(3)->BasedOn, 0);
    EXPECT_EQ(dest.Style(3)->NextStyle, 3);
    EXPECT_EQ(Ints(*info.Added), std::vector<std::int32_t>{3});
    EXPECT_EQ(Ints(*info.Replaced), std::vector<std::int32_t>{1});
}

TEST_F(ImportStylesTest, CancelLeavesTheSheetAsItWas) {
    info.ReplaceExisting = 1;
    Select({3, 2});
    TestSupport::TScriptedMessageBoxes boxes({mrYes, mrCancel});
    EXPECT_FALSE(dest.ImportStyles(info, true));
    EXPECT_EQ(Names(dest), (std::vector<std::string>{"Normal", "Quote", "Other"}));
    EXPECT_EQ(dest.Style(1)->CharFormat[caItalic], UnsetValue);
    EXPECT_EQ(dest.Style(0)->CharFormat[caSize], 24);

    // Closing the box without a button cancels as well.
    TestSupport::TScriptedMessageBoxes closed;
    EXPECT_FALSE(dest.ImportStyles(info, true));
    EXPECT_EQ(dest.Count, 3);
}

TEST_F(ImportStylesTest, AllAnswers) {
    struct Case {
        const char* name;
        std::uint16_t answer;
        std::size_t boxes;
        std::int32_t normalSize;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"yes to all", mrYesToAll, 1, 22, {"Normal", "Quote", "Other", "Body"}},
        {"no to all", mrNoToAll, 1, 24, {"Normal", "Quote", "Other"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TStyleList sheet(nullptr);
        sheet.Assign(dest);
        TImportStylesInfo all(&source);
        all.ReplaceExisting = 1;
        all.Selected->Add(IntItem(0));
        all.Selected->Add(IntItem(2));
        TestSupport::TScriptedMessageBoxes boxes({c.answer});
        EXPECT_TRUE(sheet.ImportStyles(all, true));
        EXPECT_EQ(boxes.Shown().size(), c.boxes);
        EXPECT_EQ(sheet.Style(0)->CharFormat[caSize], c.normalSize);
        EXPECT_EQ(Names(sheet), c.names);
    }
}

TEST_F(ImportStylesTest, SelectedOnlyMapsPulledInStylesWithoutReplacingThem) {
    info.ReplaceExisting = 1;
    info.SelectedOnly = 1;
    Select({2});
    EXPECT_TRUE(dest.ImportStyles(info, false));
    EXPECT_EQ(dest.Style(0)->CharFormat[caSize], 24);  // Normal, not selected, stays
    EXPECT_EQ(dest.Style(1)->CharFormat[caItalic], 1);
    EXPECT_EQ(Ints(*info.Replaced), std::vector<std::int32_t>{1});

    // A parent of the same name in the destination is taken as it is.
    TStyleList withBody(nullptr);
    AddStyle(withBody, "Normal");
    AddStyle(withBody, "body")->CharFormat[caBold] = 0;
    TImportStylesInfo quoteOnly(&source);
    quoteOnly.Selected->Add(IntItem(2));
    EXPECT_TRUE(withBody.ImportStyles(quoteOnly, true));
    EXPECT_EQ(Names(withBody), (std::vector<std::string>{"Normal", "body", "Quote"}));
    EXPECT_EQ(withBody.Style(2)->BasedOn, 1);
    EXPECT_EQ(withBody.Style(1)->CharFormat[caBold], 0);
}

}  // namespace
