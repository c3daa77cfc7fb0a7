#include "files/import/ImportHelpers.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/core/ObjectHandles.h"
#include "model/document/TDoc.h"
#include "model/fields/FieldInstructions.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCharFormat.h"
#include "model/formats/TParFormat.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"
#include "platform/CodePages.h"

namespace {

TEST(ImportHelpers, ToggleLanguageAndPath) {
    EXPECT_EQ(ParToggleValue(129), 127);
    EXPECT_EQ(ParToggleValue(127), 127);
    EXPECT_EQ(ParToggleValue(1), 1);
    EXPECT_EQ(NormalizeLanguageId(0, 0x407), 0x407);
    EXPECT_EQ(NormalizeLanguageId(9, 0x407), 9 + 1024);
    EXPECT_EQ(NormalizeLanguageId(255, 0x407), 255 + 1024);
    EXPECT_EQ(NormalizeLanguageId(256, 0x407), 256);
    EXPECT_EQ(NormalizeLanguageId(0x409, 0x407), 0x409);
    EXPECT_EQ(NormalizePathSlashes("c:/pics//a.png"), "c:\\pics\\a.png");
    EXPECT_EQ(NormalizePathSlashes("\\\\\\server/x"), "\\server\\x");
}

TEST(ImportHelpers, LeadingRunStopsAtEveryByteThatNeedsCare) {
    for (int stop : {0, 9, 31, int{'\\'}, int{'{'}, int{'}'}, 150, 151, 160}) {
        SCOPED_TRACE(stop);
        const std::uint8_t bytes[] = {'a', 0xE9, ' ', 255, static_cast<std::uint8_t>(stop), 'b'};
        EXPECT_EQ(LeadingRunLength(bytes, sizeof bytes), 4u);
        EXPECT_EQ(LeadingRunLength(bytes, 2), 2u);  // never past n
    }
}

TEST(ImportHelpers, CanonicalFieldInstruction) {
    struct Case {
        const char16_t* in;
        std::uint8_t type;
        const char16_t* out;
        std::uint8_t typeOut;
    };
    const Case cases[] = {
        {u"  pageref Intro ", FindFieldType, u"PAGEREF Intro", ftPageRef},
        {u"\x01page\x02\t", FindFieldType, u"PAGE", ftPageNumber},
        {u"ex \"Entry\"", FindFieldType, u"XE \"Entry\"", ftIndexEntry},
        {u"PAGE \\* fusionformat", FindFieldType, u"PAGE \\* MERGEFORMAT", ftPageNumber},
        {u"PAGE \\* ARÁBIGO", FindFieldType, u"PAGE \\* ARABIC", ftPageNumber},
        {u"QUOTE \"fusionformat\" \\* FusionFormat", FindFieldType, u"QUOTE \"fusionformat\" \\* MERGEFORMAT", 35},
        // A keyword that is not one is no field; a known type keeps its
        // instruction's keyword only where it has a canonical one.
        {u"NOSUCHFIELD x", FindFieldType, u"", FindFieldType},
        {u"whatever x", 0, u"whatever x", 0},
        {u"   ", FindFieldType, u"", FindFieldType},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Platform::Utf16ToUtf8(c.in));
        std::uint8_t type = c.type;
        EXPECT_EQ(Platform::Utf16ToUtf8(CanonicalFieldInstruction(c.in, type)), Platform::Utf16ToUtf8(c.out));
        EXPECT_EQ(type, c.typeOut);
    }
}

TEST(ImportHelpers, FieldsOpenedAndClosedAtTheEnd) {
    TDoc doc(true);
    std::vector<TField*> open;
    std::vector<TField*> toDelete;
    TPar* par = doc.Par(0);
    const std::int32_t before = par->Stream.Size;
    TField* page = FieldFromInstruction(doc, 0, u" page ", FindFieldType, false, open, toDelete);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Instruction, u"PAGE");
    TField* shape = FieldFromInstruction(doc, 0, u"SHAPE x", FindFieldType, false, open, toDelete);
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(toDelete, std::vector<TField*>{shape});
    EXPECT_EQ(FieldFromInstruction(doc, 0, u"XE \"a\"", FindFieldType, true, open, toDelete), nullptr);
    EXPECT_EQ(FieldFromInstruction(doc, 0, u"", FindFieldType, false, open, toDelete), nullptr);
    EXPECT_EQ(doc.Fields.Count, 2);
    CloseOpenFields(doc, 0, open);
    EXPECT_TRUE(open.empty());
    // Starts in opening order, ends in reverse: the fields nest.
    const std::uint8_t* p = par->Stream.Data + before;
    const TField* order[] = {page, shape, shape, page};
    const std::uint8_t codes[] = {fcFieldStart, fcFieldStart, fcFieldEnd, fcFieldEnd};
    ASSERT_EQ(par->Stream.Size, before + 4 * FormatControlSize);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(p[i * FormatControlSize + 1], codes[i]);
        EXPECT_EQ(HandleTo<TField>(static_cast<TObjectHandle>(FormatControlValue(p + i * FormatControlSize))),
                  order[i]);
    }
}

}  // namespace

namespace {

// A style sheet from (based-on, file number) pairs, every format unset.
struct TSheet {
    explicit TSheet(std::initializer_list<std::pair<std::int32_t, std::int32_t>> styles) {
        for (auto [basedOn, number] : styles) {
            auto* style = new TStyle(Doc.Styles);
            style->BasedOn = basedOn;
            style->FileNumber = number;
            Doc.Styles->Add(style);
        }
    }
    TStyle& operator[](std::int32_t i) { return *Doc.Styles->Style(i); }
    TStyleList& List() { return *Doc.Styles; }
    TDoc Doc{true};
};

// Walks every chain; a cycle would never reach the top.
bool ChainsEnd(TStyleList& styles) {
    for (std::int32_t i = 0; i < styles.Count; ++i) {
        std::int32_t s = i;
        for (std::int32_t steps = 0; s >= 0; ++steps) {
            if (steps > styles.Count)
                return false;
            s = styles.Style(s)->BasedOn;
        }
    }
    return true;
}

TEST(ImportHelpers, StyleNumbersAndNextStyles) {
    TSheet sheet({{-1, 0}, {0, 10}, {0, 20}, {0, 10}});
    const std::int32_t base = sheet.List().Count - 4;
    EXPECT_EQ(StyleIndexByNumber(sheet.List(), 10), base + 3);  // the last one with it
    EXPECT_EQ(StyleIndexByNumber(sheet.List(), 20), base + 2);
    EXPECT_EQ(StyleIndexByNumber(sheet.List(), 99), 0);
    sheet[base + 1].NextStyle = 20;
    sheet[base + 2].NextStyle = 77;
    ResolveNextStyles(sheet.List());
    EXPECT_EQ(sheet[base + 1].NextStyle, base + 2);
    EXPECT_EQ(sheet[base + 2].NextStyle, 0);
    EXPECT_EQ(sheet[base + 3].ParFormat.Style, base + 3);
}

TEST(ImportHelpers, BasedOnCyclesAreBroken) {
    struct Case {
        const char* name;
        std::vector<std::int32_t> basedOn;  // of styles appended after the sheet's own
    };
    const Case cases[] = {
        {"self", {-2}},  // -2: the style itself
        {"pair", {1, 0}},
        {"three", {2, 0, 1}},
        {"through style 0", {1, 2, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TDoc doc(true);
        TStyleList& styles = *doc.Styles;
        // Cycles among the appended styles; style 0 of the sheet joins the
        // last case through the first appended style.
        const std::int32_t base = styles.Count;
        for (std::size_t k = 0; k < c.basedOn.size(); ++k) {
            auto* style = new TStyle(&styles);
            const std::int32_t b = c.basedOn[k];
            style->BasedOn = b == -2 ? base + static_cast<std::int32_t>(k) : base + b;
            styles.Add(style);
        }
        if (std::string_view(c.name) == "through style 0")
            styles.Style(0)->BasedOn = base;
        ResolveStyleToggles(styles, DefaultCharFormat, DefaultParFormat);
        EXPECT_TRUE(ChainsEnd(styles));
        if (std::string_view(c.name) == "self")
            EXPECT_EQ(styles.Style(base)->BasedOn, -1);
        if (std::string_view(c.name) == "pair")
            EXPECT_TRUE(styles.Style(base)->BasedOn == 0 || styles.Style(base + 1)->BasedOn == 0);
    }
}

TEST(ImportHelpers, TogglesTakeTheOppositeOfWhatIsInherited) {
    struct Case {
        const char* name;
        std::int32_t parentBold;  // UnsetValue: the parent does not set it
        std::int32_t defaultBold;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"bold parent", 1, 0, 0},
        {"plain parent", 0, 1, 1},
        {"no parent setting, plain default", UnsetValue, 0, 1},
        {"no parent setting, bold default", UnsetValue, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TDoc doc(true);
        TStyleList& styles = *doc.Styles;
        const std::int32_t base = styles.Count;
        auto* parent = new TStyle(&styles);
        parent->CharFormat[caBold] = c.parentBold;
        styles.Add(parent);
        auto* child = new TStyle(&styles);
        child->BasedOn = base;
        child->CharFormat[caBold] = CharToggleValue;
        child->CharFormat[caItalic] = 1;  // not a toggle: kept
        SetParProp(child->ParFormat, ppKeepWithNext, ParToggle);
        styles.Add(child);
        TCharFormat defChar = DefaultCharFormat;
        defChar[caBold] = c.defaultBold;
        TParFormat defPar = DefaultParFormat;
        SetParProp(defPar, ppKeepWithNext, 0);
        ResolveStyleToggles(styles, defChar, defPar);
        EXPECT_EQ(child->CharFormat[caBold], c.expected);
        EXPECT_EQ(child->CharFormat[caItalic], 1);
        EXPECT_EQ(GetParProp(child->ParFormat, ppKeepWithNext), 1);
    }
}

}  // namespace

namespace {

TField* AddField(TDoc& doc, std::uint8_t kind, std::uint8_t type, std::u16string text) {
    auto* field = new TField;
    field->Kind = kind;
    field->Type = type;
    field->Instruction = std::move(text);
    doc.Fields.Add(field);
    return field;
}

TEST(ImportHelpers, ClashingBookmarksAreRenamed) {
    const std::u16string long40(40, u'x');
    struct Case {
        const char* name;
        std::vector<std::u16string> target;
        std::vector<std::u16string> loaded;
        std::vector<std::u16string> expected;
    };
    const Case cases[] = {
        {"one clash", {u"Intro"}, {u"Intro", u"Other"}, {u"Intro_mvl1", u"Other"}},
        {"case does not matter", {u"INTRO"}, {u"intro"}, {u"intro_mvl1"}},
        {"the counter runs over the call", {u"A", u"B"}, {u"A", u"B"}, {u"A_mvl1", u"B_mvl2"}},
        {"an earlier suffix is replaced", {u"Intro_mvl1"}, {u"Intro_mvl1"}, {u"Intro_mvl2"}},
        {"a name the target has is skipped", {u"Intro", u"Intro_mvl1"}, {u"Intro"}, {u"Intro_mvl2"}},
        {"_mvl0 is no suffix", {u"Intro_mvl0"}, {u"Intro_mvl0"}, {u"Intro_mvl0_mvl1"}},
        {"long names are shortened", {long40}, {long40}, {std::u16string(35, u'x') + u"_mvl1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TDoc target(true);
        TDoc loaded(true);
        for (const auto& n : c.target)
            AddField(target, fkBookmark, 0, n);
        std::vector<TField*> marks;
        for (const auto& n : c.loaded)
            marks.push_back(AddField(loaded, fkBookmark, 0, n));
        RenameClashingBookmarks(loaded, target);
        for (std::size_t i = 0; i < marks.size(); ++i) {
            EXPECT_EQ(Platform::Utf16ToUtf8(marks[i]->Instruction), Platform::Utf16ToUtf8(c.expected[i]));
            EXPECT_LE(marks[i]->Instruction.size(), MaxBookmarkName);
        }
    }
}

TEST(ImportHelpers, ReferencesFollowRenamedBookmarks) {
    TDoc target(true);
    TDoc loaded(true);
    AddField(target, fkBookmark, 0, u"Intro");
    AddField(loaded, fkBookmark, 0, u"Intro");
    TField* pageRef = AddField(loaded, fkCode, ftPageRef, u"PAGEREF Intro \\h");
    TField* quoted = AddField(loaded, fkCode, ftNoteRef, u"NOTEREF \"Intro\"");
    TField* other = AddField(loaded, fkCode, ftPageRef, u"PAGEREF Introduction");
    TField* link = AddField(loaded, fkCode, ftHyperlink, u"HYPERLINK \\l \"Intro\" \\o \"tip\"");
    TField* web = AddField(loaded, fkCode, ftHyperlink, u"HYPERLINK \"http://x.org/\" \\l \"Intro\"");
    RenameClashingBookmarks(loaded, target);
    EXPECT_EQ(Platform::Utf16ToUtf8(pageRef->Instruction), "PAGEREF Intro_mvl1 \\h");
    EXPECT_EQ(Platform::Utf16ToUtf8(quoted->Instruction), "NOTEREF \"Intro_mvl1\"");
    EXPECT_EQ(Platform::Utf16ToUtf8(other->Instruction), "PAGEREF Introduction");
    std::u16string address, bookmark, tooltip;
    ParseHyperlinkCode(link->Instruction, address, bookmark, &tooltip);
    EXPECT_EQ(Platform::Utf16ToUtf8(bookmark), "Intro_mvl1");
    EXPECT_EQ(Platform::Utf16ToUtf8(tooltip), "tip");
    EXPECT_EQ(Platform::Utf16ToUtf8(web->Instruction), "HYPERLINK \"http://x.org/\" \\l \"Intro\"");
}

}  // namespace
