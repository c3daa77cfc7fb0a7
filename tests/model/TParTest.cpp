#include "model/paragraphs/TPar.h"

#include <gtest/gtest.h>

#include <string>

#include "FontQueriesStub.h"
#include "ParText.h"
#include "TextServicesStub.h"
#include "base/core/ObjectHandles.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/BorderSets.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TLine.h"
#include "model/managers/TAutoList.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"

namespace {

using ParText::AddPar;
using ParText::Describe;
using ParText::MakePar;

class ParTest : public ::testing::Test {
protected:
    template <class T>
    T* Object(const std::string& name) {
        return HandleTo<T>(static_cast<TObjectHandle>(Objects.HandleOf(name)));
    }

    static void AddLine(TPar& par, std::int32_t firstChar, std::int32_t count, std::int32_t streamStart = 0) {
        if (par.Lines == nullptr)
            par.Lines = new TList;
        auto* line = new TLine;
        line->Par = &par;
        line->FirstChar = firstChar;
        line->CharCount = count;
        line->StreamStart = streamStart;
        line->IndexInPar = par.Lines->Count;
        par.Lines->Add(line);
    }

    ParText::TObjects Objects;
};

TEST_F(ParTest, StreamOffsetOfCharPassesOverControlsWithoutPosition) {
    // Offsets: {b:1} 0, a 7, b 8, {fs:F} 9, {tab} 16, c 23, {fe:F} 24, {par} 31.
    Objects.Field("F");
    auto par = MakePar("{b:1}ab{fs:F}{tab}c{fe:F}{par}", Objects);
    struct Case {
        std::int32_t pos, offset;
    };
    const Case cases[] = {{-5, 7}, {0, 7}, {1, 8}, {2, 16}, {3, 23}, {4, 31}, {99, 31}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pos);
        EXPECT_EQ(par->StreamOffsetOfChar(c.pos), c.offset);
    }
}

TEST_F(ParTest, LineOfCharSendsASoftLineStartToThePreviousLineWhenAsked) {
    // Line 0 "abcd" + line break, line 1 "efghi" (soft end), line 2 "jk" + end.
    auto par = MakePar("abcd{line}efghijk{par}", Objects);
    AddLine(*par, 0, 5);
    AddLine(*par, 5, 5);
    AddLine(*par, 10, 3);
    struct Case {
        const char* name;
        std::int32_t pos, hint;
        bool atEnd;
        std::int32_t line;
    };
    const Case cases[] = {
        {"inside the first line", 3, 0, false, 0},
        {"start of a line after a hard break", 5, 0, false, 1},
        {"start of a line after a hard break, at end", 5, 0, true, 0},
        {"soft line start, hint before", 10, 0, false, 1},
        {"soft line start, hint on the line", 10, 2, false, 2},
        {"soft line start, hint after", 10, 3, true, 2},
        {"inside the last line", 12, 0, false, 2},
        {"beyond the last line", 40, 0, false, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(par->LineOfChar(c.pos, c.hint, c.atEnd), c.line);
    }
    EXPECT_EQ(MakePar("a{par}", Objects)->LineOfChar(0, 0, false), 0);  // no lines at all
}

TEST_F(ParTest, EndingSectionSkipsFieldEndsOnly) {
    TSection* s = &Objects.Section("S");
    Objects.Field("F");
    struct Case {
        const char* name;
        const char* text;
        TSection* section;
    };
    const Case cases[] = {
        {"a section break at the end", "ab{sect:S}", s},
        {"field ends after it", "{fs:F}ab{sect:S}{fe:F}", s},
        {"a paragraph end", "ab{par}", nullptr},
        {"a break that is not last", "a{sect:S}b", nullptr},
        {"an attribute control after it", "ab{sect:S}{b:1}", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MakePar(c.text, Objects)->EndingSection(), c.section);
    }
}

TEST_F(ParTest, IndentInPixelsKeepsHangingTextVisibleInDraftViews) {
    TDoc& doc = Objects.Doc();
    auto par = MakePar("{page}ab{par}", Objects);
    struct Case {
        const char* name;
        std::int16_t left, first;
        std::uint8_t viewMode;
        bool proxy;
        std::int32_t resolution;
        std::int32_t pos, pixels;
    };
    const Case cases[] = {
        {"first line", 1440, -720, 0, false, 96, 0, 48},
        {"only breaks before", 1440, -720, 0, false, 96, 1, 48},
        {"later text", 1440, -720, 0, false, 96, 2, 96},
        {"hanging past the margin, print layout", 0, -720, 0, false, 96, 0, -48},
        {"hanging past the margin, draft", 0, -720, 1, false, 96, 0, 0},
        {"hanging past the margin, draft, later line", 0, -720, 2, false, 96, 2, 48},
        {"hanging proxy in draft", 0, -720, 1, true, 96, 0, -48},
        {"zoomed to 200 %", 1440, 0, 0, false, 192, 2, 192},
        {"rounds half up", 8, 0, 0, false, 96, 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        par->Format.LeftIndent = c.left;
        par->Format.FirstIndent = c.first;
        par->Flags = c.proxy ? pfProxy : 0;
        doc.ViewMode = c.viewMode;
        doc.ZoomedResolutionX = c.resolution;
        EXPECT_EQ(par->TextIndentPixels(c.pos), c.pixels);
    }
    EXPECT_TRUE(par->OnlyBreaksBefore(0));
    EXPECT_TRUE(par->OnlyBreaksBefore(1));
    EXPECT_FALSE(par->OnlyBreaksBefore(2));
}

TEST_F(ParTest, BorderSpaceBelowUsesTheBottomBorderOnlyAtTheGroupEnd) {
    TBorderSet set;
    InitBorderSet(set);
    set.Borders[bsBottom] = TBorder{20, 1, 0, 40, {}};
    set.Borders[bsInside] = TBorder{10, 1, 0, 30, {}};
    const auto bordered = static_cast<std::int16_t>(InternBorderSet(set));
    set.Borders[bsInside].Type = NoBorderType;
    const auto noInside = static_cast<std::int16_t>(InternBorderSet(set));
    ASSERT_NE(bordered, noInside);

    TPar& a = AddPar("a{par}", Objects);
    TPar& b = AddPar("b{par}", Objects);
    TPar& c = AddPar("c{par}", Objects);
    a.Format.Borders = b.Format.Borders = bordered;
    // Interning gives the inside border the top border's spacing (20).
    EXPECT_EQ(a.BorderSpaceBelow(), 30);  // inside border
    EXPECT_EQ(b.BorderSpaceBelow(), 60);  // bottom border
    EXPECT_EQ(c.BorderSpaceBelow(), 0);   // no borders
    a.Format.Borders = b.Format.Borders = noInside;
    EXPECT_EQ(a.BorderSpaceBelow(), 0);
    b.Flags |= pfProxy;
    EXPECT_EQ(b.BorderSpaceBelow(), 0);
    c.Format.Borders = 30000;  // not in the table
    EXPECT_EQ(c.BorderSpaceBelow(), 0);
}

TEST_F(ParTest, WideTextReadsEachRunInItsFontsCodePage) {
    // Font 4 Russian, font 5 symbol, font 6 Japanese (read as 1252).
    TFontQueriesStub fonts{{{4, {204, 4}}, {5, {2, 5}}, {6, {128, 6}}}};
    Objects.Section("S");
    Objects.Shape("P");
    auto par = MakePar(
        "A{font:4}\xC0{font:5}\xC0{font:6}\xE9{font:0}{tab}{u:263A}{sect:S}{cell}{row}{shape:P}{emdash}{par}", Objects);
    par->BuildWideText();
    EXPECT_TRUE(par->Flags & pfNormalized);
    EXPECT_TRUE(par->Flags & pfWideTextValid);
    EXPECT_EQ(par->WideText, u"A\u0410\u00C0\u00E9\t\u263A\x03\x04\x05\x0A\x0D\x02");

    // Valid until the paragraph changes.
    par->Stream.Data[0] = 'B';
    par->BuildWideText();
    EXPECT_EQ(par->WideText[0], u'A');
    par->Changed();
    par->BuildWideText();
    EXPECT_EQ(par->WideText[0], u'B');
}

TEST_F(ParTest, WideTextStaysInsideTheBufferWhenStreamAndCharactersDisagree) {
    auto par = MakePar("abcdef{par}", Objects);
    par->Chars.SetSize(3);
    par->BuildWideText();
    EXPECT_EQ(par->WideText, u"abc");
    par->Chars.AssignString("abcdefgh");
    par->Changed();
    par->BuildWideText();
    EXPECT_EQ(par->WideText.size(), 8u);
}

TEST_F(ParTest, ListLabelTextComesFromTheLabelParagraph) {
    TAutoList& list = Objects.List("L");
    list.Levels[0].FollowKind = lfTab;
    list.Levels[1].FollowKind = lfNothing;
    list.Levels[2].NumberFormat = 23;  // a bullet
    struct Case {
        const char* name;
        const char* text;
        std::int8_t level;
        const char* label;
        const char16_t* expected;
    };
    const Case cases[] = {
        {"tab after the number, text follows", "Item{par}", 0, "{u:31}{u:2E}{u:9}", u"1. "},
        {"empty paragraph: no trailing blank", "{par}", 0, "{u:31}{u:2E}{u:9}", u"1."},
        {"nothing follows the number", "Item{par}", 1, "{u:61}{u:29}", u"a)"},
        {"bulleted level", "Item{par}", 2, "{u:2022}{u:9}", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto par = MakePar(c.text, Objects);
        par->Format.List = Objects.HandleOf("L");
        par->Format.ListLevel = c.level;
        par->LabelPar = MakePar(c.label, Objects);
        par->LabelPar->Flags = pfProxy;
        par->LabelPar->LabelOwner = par.get();
        std::u16string text = u"stale";
        par->GetListLabelText(text);
        EXPECT_EQ(text, c.expected);
        EXPECT_EQ(par->IsNumberedListPar(), c.level != 2);
    }
    auto plain = MakePar("x{par}", Objects);
    EXPECT_FALSE(plain->IsNumberedListPar());
    plain->Format.List = UnsetValue;
    EXPECT_FALSE(plain->IsNumberedListPar());
}

TEST_F(ParTest, SeparatorsFollowTheTableAndTheLanguageAtThePosition) {
    TTextServicesStub services;
    services.ApostropheLanguages = {1036};
    auto par = MakePar("l'{lang:1036}l'a b&{par}", Objects);
    struct Case {
        std::int32_t pos;
        bool separator;
    };
    const Case cases[] = {{1, false}, {3, true}, {5, true}, {7, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pos);
        EXPECT_EQ(par->IsSeparatorAt(par->Chars.Data[c.pos], c.pos), c.separator);
    }
    EXPECT_TRUE(par->IsSeparatorAt(128, 0));  // euro sign
    EXPECT_FALSE(par->IsSeparatorAt('&', 0));
}

TEST_F(ParTest, LayoutStateIsTakenAndGivenBack) {
    auto par = MakePar("ab{par}", Objects);
    AddLine(*par, 0, 3);
    TList* lines = par->Lines;
    par->Normalize();
    par->BuildWideText();
    par->Flags |= pfLaidOut;
    const std::uint16_t flags = par->Flags;

    TParLayoutState state;
    par->TakeLayoutState(state);
    EXPECT_EQ(par->Lines, nullptr);
    EXPECT_FALSE(par->Flags & pfLaidOut);
    EXPECT_EQ(state.Lines, lines);

    // Unchanged text: everything comes back as it was.
    AddLine(*par, 0, 3);
    par->RestoreLayoutState(state);
    EXPECT_EQ(par->Lines, lines);
    EXPECT_EQ(par->Flags, flags);
    EXPECT_FALSE(state.Stream);

    // Changed text: the old text comes back and its caches are rebuilt.
    par->TakeLayoutState(state);
    par->Stream.AssignString("xyz");
    par->Chars.AssignString("xyz");
    par->Changed();
    par->BuildWideText();
    par->RestoreLayoutState(state);
    EXPECT_EQ(Describe(par->Stream, Objects), "ab{par}");
    EXPECT_EQ(std::string(par->Chars.View()), "ab\x02");
    EXPECT_FALSE(par->Flags & pfWideTextValid);
    par->BuildWideText();
    EXPECT_EQ(par->WideText, u"ab\x02");
}

TEST_F(ParTest, CheckedRangeGrowsOnlyByTouchingRanges) {
    TTextServicesStub services;
    auto par = MakePar("x{par}", Objects);
    struct Step {
        std::int32_t from, to;
        std::int32_t checkedFrom, checkedTo;
    };
    const Step steps[] = {
        {10, 20, 10, 20},  // the first range
        {30, 40, 10, 20},  // elsewhere: ignored
        {15, 35, 10, 35},  // overlapping: the union
        {5, 10, 5, 35},    // touching
        {7, 7, 5, 35},     // empty: ignored
        {0, 50, 0, 50},    // covering
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << s.from << ".." << s.to);
        par->AddCheckedRange(s.from, s.to);
        EXPECT_EQ(par->CheckedFrom, s.checkedFrom);
        EXPECT_EQ(par->CheckedTo, s.checkedTo);
    }
    EXPECT_TRUE(par->SpellCheckValid(0, 50));
    EXPECT_FALSE(par->SpellCheckValid(0, 51));

    services.Generation = 8;  // every stored result is stale now
    EXPECT_FALSE(par->SpellCheckValid(0, 10));
    par->AddCheckedRange(30, 40);
    EXPECT_EQ(par->CheckedFrom, 30);
    EXPECT_TRUE(par->SpellCheckValid(31, 40));
}

TEST_F(ParTest, SpellMarksKeepCountAndSummaryBits) {
    TTextServicesStub services;
    auto par = MakePar("x{par}", Objects);
    par->SpellcheckerBlocks[0] = {3, 4};
    par->AddSpellMark(1, 3, 255);
    EXPECT_EQ(par->SpellMarkWord, 1u | smMisspelling);
    EXPECT_EQ(par->SpellcheckerBlocks[0], (std::vector<std::int32_t>{0, 0}));  // zeroed by the stale reset
    par->AddSpellMark(1, 3, SpellMarkNoSpellchecker);                          // same keys: ignored
    EXPECT_EQ(par->SpellMarkWord, 1u | smMisspelling);
    par->AddSpellMark(4, 6, SpellMarkNoSpellchecker);
    EXPECT_EQ(par->SpellMarkWord, 2u | smMisspelling | smUncheckedLanguage);
    ASSERT_EQ(par->SpellMarks.size(), 2u);
    EXPECT_EQ(par->SpellMarks[1].From, 4);

    services.Generation = 9;
    par->ResetSpellState();
    EXPECT_EQ(par->SpellMarkWord, 0u);
    EXPECT_TRUE(par->SpellMarks.empty());
}

class NoteTest : public ParTest {
protected:
    NoteTest() {
        TField& r1 = Objects.Field("R1", fkNoteRef);
        TField& n1 = Objects.Field("N1", fkNoteBody);
        TField& r2 = Objects.Field("R2", fkNoteRef);
        TField& n2 = Objects.Field("N2", fkNoteBody);
        TField& r3 = Objects.Field("R3", fkNoteRef);
        Objects.Field("M", fkNoteNumber);
        r1.Flags = r2.Flags = ffAutoNumber;
        r1.Partner = &n1;
        n1.Partner = &r1;
        r2.Partner = &n2;
        n2.Partner = &r2;
        n2.Endnote = 1;
        r3.ResultText = "*";
        MakeFragment(1, 0, 1, 5, n1.Range);
    }
};

TEST_F(NoteTest, RenumberGivesAutomaticReferencesTheirCounters) {
    TPar& text = AddPar("a{fs:R1}{noteref}{fe:R1}b{fs:R2}{noteref}{fe:R2}c{fs:R3}{noteref}{fe:R3}{par}", Objects);
    TPar& note = AddPar("{fs:N1}{fs:M}1{fe:M} note{fe:N1}{par}", Objects);
    AddLine(note, 0, 7);
    note.Flags |= pfLaidOut;

    std::int32_t footnote = 4, endnote = 1;
    EXPECT_TRUE(text.RenumberNotes(0, footnote, endnote));
    EXPECT_EQ(Object<TField>("R1")->ResultText, "4");
    // Endnotes of a new section are numbered in lower-case Roman numerals.
    EXPECT_EQ(Object<TField>("R2")->ResultText, "i");
    EXPECT_EQ(Object<TField>("R3")->ResultText, "*");  // numbered by hand
    EXPECT_EQ(footnote, 5);
    EXPECT_EQ(endnote, 2);
    EXPECT_EQ(note.Lines, nullptr);  // the note shows its number: it lays out anew
    EXPECT_FALSE(note.Flags & pfLaidOut);

    footnote = 4;
    endnote = 1;
    EXPECT_FALSE(text.RenumberNotes(0, footnote, endnote));
    EXPECT_EQ(footnote, 5);
}

TEST_F(NoteTest, RenumberFromALineSeesAReferenceStartingRightThere) {
    // Line 1 starts at the second reference's mark; its field start just
    // before belongs to it.
    TPar& text = AddPar("a{fs:R1}{noteref}{fe:R1}b{fs:R2}{noteref}{fe:R2}{par}", Objects);
    const std::int32_t markOffset = text.StreamOffsetOfChar(3);
    AddLine(text, 0, 3, 0);
    AddLine(text, 3, 2, markOffset);
    std::int32_t footnote = 1, endnote = 6;
    EXPECT_TRUE(text.RenumberNotes(1, footnote, endnote));
    EXPECT_EQ(Object<TField>("R1")->ResultText, "");
    EXPECT_EQ(Object<TField>("R2")->ResultText, "vi");
    EXPECT_EQ(footnote, 1);
}

TEST_F(NoteTest, NoteNumberFieldsCopyTheReferenceText) {
    Object<TField>("R1")->ResultText = "7";
    TPar& note = AddPar("{fs:N1}{fs:M}1{fe:M} note{fe:N1}{par}", Objects);
    EXPECT_TRUE(note.SyncNoteNumberText());
    EXPECT_EQ(Object<TField>("M")->ResultText, "7");
    EXPECT_FALSE(note.SyncNoteNumberText());

    TPar& elsewhere = AddPar("x{fs:N1}{fs:M}1{fe:M}{fe:N1}{par}", Objects);
    Object<TField>("R1")->ResultText = "8";
    EXPECT_FALSE(elsewhere.SyncNoteNumberText());  // the body does not start the paragraph
}

TEST_F(ParTest, SmallQueries) {
    EXPECT_TRUE(MakePar("a{noteref}{par}", Objects)->HasNoteReferenceMark());
    EXPECT_FALSE(MakePar("a{par}", Objects)->HasNoteReferenceMark());

    TStyle* normal = new TStyle(Objects.Doc().Styles);
    Objects.Doc().Styles->Add(normal);
    auto par = MakePar("a{par}", Objects);
    EXPECT_EQ(par->Style(), normal);
    par->Format.Style = 3;
    EXPECT_EQ(par->Style(), nullptr);

    EXPECT_EQ(par->LineCount(), 0);
    EXPECT_FALSE(par->IsLaidOut());
    AddLine(*par, 0, 2);
    par->Flags |= pfLaidOut;
    EXPECT_EQ(par->LineCount(), 1);
    EXPECT_FALSE(par->IsLaidOut());  // the line is not placed in a box yet
}

}  // namespace
