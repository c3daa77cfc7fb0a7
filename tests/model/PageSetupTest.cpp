#include "model/formats/PageSetup.h"

#include <gtest/gtest.h>

#include "DocFixture.h"
#include "base/text/TStringList.h"
#include "model/document/TSection.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"

namespace {

TEST(PageSetupTest, DefaultsAreUsLetterWithInchMargins) {
    TPageSetup setup;
    SetDefaultPageSetup(setup);
    EXPECT_EQ(setup.PageWidth, 12240);
    EXPECT_EQ(setup.PageHeight, 15840);
    EXPECT_EQ(setup.LeftMargin, 1440);
    EXPECT_EQ(setup.BottomMargin, 1440);
    EXPECT_EQ(setup.HeaderDistance, 720);
    EXPECT_EQ(setup.TextWidth, 9360);
    EXPECT_EQ(setup.LineNumberStart, 1);
    EXPECT_EQ(setup.Orientation, 0);

    TSection section(nullptr);
    section.SetDefaults();
    EXPECT_EQ(section.Format.BreakKind, 1);
    EXPECT_EQ(section.Format.ColumnCount, 1);
    EXPECT_EQ(section.Format.ColumnSpacing, 720);
    EXPECT_EQ(section.PageNumberStart, -1);
    EXPECT_EQ(section.EndnoteSettings.Position, 3);
    EXPECT_EQ(section.EndnoteSettings.NumberFormat, 2);
}

TEST(PageSetupTest, ValidationClampsSizesMarginsAndDistances) {
    struct Case {
        const char* name;
        std::int32_t width, height, left, right, top, bottom, header;
        std::int32_t wantWidth, wantLeft, wantRight, wantTop, wantBottom, wantHeader;
    };
    const Case cases[] = {
        {"a narrow page grows to an inch", 1000, 15840, 0, 0, 0, 0, 0, 1440, 0, 0, 0, 0, 0},
        {"a huge page shrinks", 40000, 15840, 0, 0, 0, 0, 0, 31680, 0, 0, 0, 0, 0},
        {"the left margin leaves 180 twips", 12240, 15840, 20000, 1440, 1440, 1440, 720, 12240, 12060, 0, 1440, 1440,
         720},
        {"negative margins become 0", 12240, 15840, -5, -5, -5, -5, -5, 12240, 0, 0, 0, 0, 0},
        {"top and bottom share the height", 12240, 15840, 0, 0, 15000, 15000, 0, 12240, 0, 0, 15000, 660, 0},
        {"distances at most 40 % of the height", 12240, 15840, 0, 0, 0, 0, 9000, 12240, 0, 0, 0, 0, 6336},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPageSetup setup;
        SetDefaultPageSetup(setup);
        setup.PageWidth = c.width;
        setup.PageHeight = c.height;
        setup.LeftMargin = c.left;
        setup.RightMargin = c.right;
        setup.TopMargin = c.top;
        setup.BottomMargin = c.bottom;
        setup.HeaderDistance = c.header;
        ValidatePageSetup(setup);
        EXPECT_EQ(setup.PageWidth, c.wantWidth);
        EXPECT_EQ(setup.LeftMargin, c.wantLeft);
        EXPECT_EQ(setup.RightMargin, c.wantRight);
        EXPECT_EQ(setup.TopMargin, c.wantTop);
        EXPECT_EQ(setup.BottomMargin, c.wantBottom);
        EXPECT_EQ(setup.HeaderDistance, c.wantHeader);
        EXPECT_EQ(setup.TextWidth, setup.PageWidth - setup.LeftMargin - setup.RightMargin);
    }
}

TEST(PageSetupTest, ColumnGeometrySplitsGapsBetweenNeighbours) {
    TPageSetup setup;
    SetDefaultPageSetup(setup);  // text width 9360
    TSectionFormat equal;
    equal.ColumnCount = 2;
    TSectionFormat wide = equal;
    wide.ColumnCount = 3;
    wide.ColumnSpacing = 5000;
    TSectionFormat table;
    table.EqualColumns = 0;
    table.ColumnCount = 2;
    table.ColumnTable[0][1] = 3000;
    table.ColumnTable[0][2] = 500;
    table.ColumnTable[1][1] = 5860;
    TSectionFormat single;
    TSectionFormat corrupt = equal;
    corrupt.ColumnCount = 0;
    struct Case {
        const char* name;
        const TSectionFormat* format;
        std::int32_t column;
        TColumnGeometry want;
    };
    const Case cases[] = {
        {"first of two", &equal, 0, {0, 4320, 720, 0, 4680}},
        {"second of two", &equal, 1, {5040, 4320, 720, 4680, 9360}},
        {"gap limited to 7/10 of the width", &wide, 1, {4212, 936, 3276, 2574, 6786}},
        {"table columns", &table, 1, {3500, 5860, 0, 3250, 9360}},
        {"one column, no gap to limit", &single, 0, {0, 9360, 720, 0, 9360}},
        {"no columns counts as one", &corrupt, 3, {0, 9360, 720, 0, 9360}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TColumnGeometry g;
        GetColumnGeometry(*c.format, setup, c.column, g);
        EXPECT_EQ(g.Left, c.want.Left);
        EXPECT_EQ(g.Width, c.want.Width);
        EXPECT_EQ(g.Gap, c.want.Gap);
        EXPECT_EQ(g.LeftEdge, c.want.LeftEdge);
        EXPECT_EQ(g.RightEdge, c.want.RightEdge);
    }
}

TEST(PageSetupTest, SectionEndsBeforeAPositionAtItsEnd) {
    TDocFixture f({"ab{par}", "cd{par}"});
    TDoc& doc = f.Doc();
    TSection* section = doc.SectionOfPar(0);
    section->LastPar = 0;
    TTextPos pos;
    MakeTextPos(1, 0, pos);
    EXPECT_TRUE(section->EndsBefore(pos));
    MakeTextPos(0, 3, pos);  // the end of paragraph 0
    EXPECT_TRUE(section->EndsBefore(pos));
    MakeTextPos(0, 2, pos);
    EXPECT_FALSE(section->EndsBefore(pos));
    // While a selection is copied the section's last paragraph counts one
    // less.
    section->LastPar = 1;
    MakeTextPos(1, 3, pos);
    EXPECT_TRUE(section->EndsBefore(pos));
    doc.StateFlags[62] = 1;
    MakeTextPos(1, 0, pos);
    EXPECT_TRUE(section->EndsBefore(pos));
}

std::vector<std::string> Scopes(TDoc& doc, int kind, std::uint8_t& defaultScope) {
    TStringList list;
    doc.BuildSectionScopeList(list, kind, defaultScope);
    std::vector<std::string> names;
    for (std::int32_t i = 0; i < list.GetCount(); ++i)
        names.push_back(list.GetString(i));
    return names;
}

TEST(PageSetupTest, ScopeListOffersWhatFitsTheCaretAndSelection) {
    TDocFixture f({"one{par}", "two{par}", "three{par}"});
    TDoc& doc = f.Doc();
    std::uint8_t scope = 255;
    // One section, caret at the start: nothing but the whole document.
    EXPECT_EQ(Scopes(doc, 0, scope), (std::vector<std::string>{"Whole document"}));
    EXPECT_EQ(scope, ssWholeDocument);
    MakeTextPos(1, 1, doc.Caret);
    EXPECT_EQ(Scopes(doc, 0, scope), (std::vector<std::string>{"Whole document", "This point forward"}));
    doc.Selection->SetSingle(1, 0, 1, 2);
    scope = 0;
    EXPECT_EQ(Scopes(doc, 1, scope), (std::vector<std::string>{"Selected text", "Whole document"}));
    EXPECT_EQ(scope, ssSelectedText);
}

TEST(PageSetupTest, ThisPointForwardAtASectionStartInsertsNoBreak) {
    TDocFixture f({"one{par}", "two{par}"});
    TDoc& doc = f.Doc();
    TSectionFormat columns;
    columns.ColumnCount = 2;
    EXPECT_TRUE(doc.ApplySectionSettings(ssThisPointForward, nullptr, &columns, saSectionFormat));
    EXPECT_EQ(doc.ParCount(), 2);
    EXPECT_EQ(doc.Sections.Count, 1);
    EXPECT_EQ(doc.Sections.At<TSection>(0)->Format.ColumnCount, 2);
    doc.Undo(true);
    EXPECT_EQ(doc.Sections.At<TSection>(0)->Format.ColumnCount, 1);
}

TEST(PageSetupTest, ThisPointForwardInsideASectionStartsANewOne) {
    TDocFixture f({"one{par}", "two{par}"});
    TDoc& doc = f.Doc();
    const TDocSnapshot before = Snapshot(doc);
    MakeTextPos(1, 1, doc.Caret);
    TSectionFormat columns;
    columns.ColumnCount = 3;
    EXPECT_TRUE(doc.ApplySectionSettings(ssThisPointForward, nullptr, &columns, saSectionFormat));
    ASSERT_EQ(doc.Sections.Count, 2);
    EXPECT_EQ(f.PlainText(), "one|t|wo");
    EXPECT_EQ(doc.Par(1)->Chars.Data[1], chSectionBreak);
    EXPECT_EQ(doc.SectionOfPar(0)->Format.ColumnCount, 1);
    EXPECT_EQ(doc.SectionOfPar(2)->Format.ColumnCount, 3);
    EXPECT_EQ(doc.UndoList.Count, 1);  // break and columns are one step back
    doc.Undo(true);
    EXPECT_EQ(doc.Sections.Count, 1);
    EXPECT_EQ(FirstDifference(Snapshot(doc), before), "");
    doc.Redo();
    EXPECT_EQ(doc.Sections.Count, 2);
    EXPECT_EQ(doc.SectionOfPar(2)->Format.ColumnCount, 3);
}

TEST(PageSetupTest, SelectedTextGetsASectionOfItsOwn) {
    TDocFixture f({"one{par}", "two{par}", "three{par}"});
    TDoc& doc = f.Doc();
    doc.Selection->SetSingle(1, 0, 1, 3);
    TPageSetup landscape;
    SetDefaultPageSetup(landscape);
    landscape.PageWidth = 15840;
    landscape.PageHeight = 12240;
    landscape.Orientation = 1;
    ValidatePageSetup(landscape);
    EXPECT_TRUE(doc.ApplySectionSettings(ssSelectedText, nullptr, &landscape, saPageSetup));
    ASSERT_EQ(doc.Sections.Count, 3);
    // Breaks in front of the paragraph and after its end (at the start of
    // the next one) give it a section of its own; the rest stays on
    // portrait pages.
    EXPECT_EQ(f.PlainText(), "one||two||three");
    EXPECT_EQ(doc.Par(1)->Chars.Data[0], chSectionBreak);
    EXPECT_EQ(doc.Par(3)->Chars.Data[0], chSectionBreak);
    EXPECT_EQ(doc.SectionOfPar(2), doc.SectionOfPar(3));
    EXPECT_EQ(doc.SectionOfPar(2)->PageSetup.Orientation, 1);
    EXPECT_EQ(doc.SectionOfPar(0)->PageSetup.Orientation, 0);
    EXPECT_EQ(doc.SectionOfPar(doc.ParCount() - 1)->PageSetup.Orientation, 0);
    doc.Undo(true);
    EXPECT_EQ(doc.Sections.Count, 1);
    EXPECT_EQ(f.PlainText(), "one|two|three");
}

TEST(PageSetupTest, ADifferentPageSetupStartsANewPage) {
    TDocFixture f;
    TSection& first = f.Objects.Section("S");
    first.SetDefaults();
    first.Format.BreakKind = 0;  // continuous into the last section
    f.Add("one{sect:S}");
    f.Add("two{par}");
    TDoc& doc = f.Doc();
    doc.ResortSections();
    TPageSetup wide;
    SetDefaultPageSetup(wide);
    wide.LeftMargin = 3000;
    ValidatePageSetup(wide);
    MakeTextPos(1, 0, doc.Caret);
    EXPECT_TRUE(doc.ApplySectionSettings(ssThisSection, nullptr, &wide, saPageSetup));
    EXPECT_EQ(first.Format.BreakKind, 1);
    EXPECT_EQ(doc.SectionOfPar(1)->PageSetup.LeftMargin, 3000);
    EXPECT_EQ(first.PageSetup.LeftMargin, 1440);
    doc.Undo(true);
    EXPECT_EQ(first.Format.BreakKind, 0);
    EXPECT_EQ(doc.SectionOfPar(1)->PageSetup.LeftMargin, 1440);
}

}  // namespace
