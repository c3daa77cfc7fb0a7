// The formatting codes: page settings, paragraph and character formats,
// steps, the format brush, tabs and resets, each through
// TDoc::PerformOperation and the undo stack.
#include <gtest/gtest.h>

#include <functional>

#include "FormattingDoc.h"
#include "base/messages/MessageBoxes.h"
#include "editing/formatting/Formatting.h"
#include "editing/formatting/FormattingSeams.h"
#include "editing/formatting/TFormatBrush.h"
#include "editing/services/EditingInstall.h"
#include "layout/pagination/TLayoutClient.h"
#include "model/document/StateFlags.h"
#include "model/document/TSection.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/host/ModelOptions.h"
#include "model/host/TDocClient.h"
#include "model/managers/TFontManager.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/managers/TTabManager.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "model/undo/SectionOperations.h"
#include "support/TestSupport.h"

namespace {

class FormattingTest : public ::testing::Test {
protected:
    void SetUp() override { InstallEditing(); }
};

TFragment Range(std::int32_t sp, std::int32_t so, std::int32_t ep, std::int32_t eo) {
    TFragment f;
    MakeFragment(sp, so, ep, eo, f);
    return f;
}

TEST_F(FormattingTest, PageValuesStayWithinThePage) {
    // US Letter: 12240 x 15840 twips, margins 1440, distances 720.
    struct Case {
        const char* name;
        std::uint8_t what;
        std::int32_t value;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"left margin fits", 0, 2000, 2000},
        {"left margin wider than the page leaves 180", 0, 20000, 12240 - 1440 - 180},
        {"right margin wider than the page leaves 180", 1, 11000, 12240 - 1440 - 180},
        {"top margin", 2, 15000, 15840 - 1440 - 180},
        {"bottom margin", 3, 14220, 14220},
        {"header distance of half the page is 40%", 4, 7920, 15840 * 40 / 100},
        {"footer distance of 40% exactly", 5, 6336, 6336},
        {"negative margin", 0, -500, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFormattingDoc f({"text"});
        TDoc& doc = f.Doc();
        const TFormattingDump before = DumpFormatting(doc);
        TPageSetupValues values;
        values.What = c.what;
        values.Value = c.value;
        const TFragment range = Range(0, 0, 0, 0);
        doc.PerformOperation(TChangePageSettingsArgs{&values, &range});
        TPageSetup& ps = doc.Sections.At<TSection>(0)->PageSetup;
        EXPECT_EQ(PageSetupWord(ps, PageSetupFirstMarginWord + c.what), c.expected);
        doc.Undo(true);
        EXPECT_EQ(DumpDifference(DumpFormatting(doc), before), "");
    }
}

TEST_F(FormattingTest, OrientationTurnsThePageAndBack) {
    TFormattingDoc f({"text"});
    TDoc& doc = f.Doc();
    TPageSetupValues values;
    values.What = pwOrientation;
    const TFragment range = Range(0, 0, 0, 0);
    doc.PerformOperation(TChangePageSettingsArgs{&values, &range});
    const TPageSetup& ps = doc.Sections.At<TSection>(0)->PageSetup;
    EXPECT_EQ(ps.Orientation, 1);
    EXPECT_EQ(ps.PageWidth, 15840);
    EXPECT_EQ(ps.PageHeight, 12240);
    doc.Undo(true);
    EXPECT_EQ(ps.Orientation, 0);
    EXPECT_EQ(ps.PageWidth, 12240);
}

TEST_F(FormattingTest, AWholeSetupGoesInUnchangedAndSpreadsItsMirrorFlag) {
    TFormattingDoc f({"text"});
    TDoc& doc = f.Doc();
    TPageSetupValues values;
    values.What = pwWholeSetup;
    SetDefaultPageSetup(values.Setup);
    values.Setup.PageWidth = 11906;
    values.Setup.LeftMargin = 11000;  // more than the page leaves: a whole setup is taken as given
    values.Setup.MirrorMargins = 1;
    const TFormattingDump before = DumpFormatting(doc);
    const TFragment range = Range(0, 0, 0, 0);
    doc.PerformOperation(TChangePageSettingsArgs{&values, &range});
    const TPageSetup& ps = doc.Sections.At<TSection>(0)->PageSetup;
    EXPECT_EQ(ps.PageWidth, 11906);
    EXPECT_EQ(ps.LeftMargin, 11000);
    EXPECT_EQ(ps.MirrorMargins, 1);
    doc.Undo(true);
    EXPECT_EQ(DumpDifference(DumpFormatting(doc), before), "");
    EXPECT_EQ(ps.MirrorMargins, 0);
}

TEST_F(FormattingTest, RowEndsKeepTheTableFormatUnlessAskedOtherwise) {
    for (bool rowEndsToo : {false, true}) {
        SCOPED_TRACE(rowEndsToo ? "row ends take the format" : "row ends keep theirs");
        TFormattingDoc f({"a", "", "c"});
        TDoc& doc = f.Doc();
        // A one-cell row: "a" ends with the cell-end mark, then the row end.
        TPar& cell = *doc.Par(0);
        cell.Format = TableParFormat;
        cell.Stream.SetSize(cell.Stream.Size - FormatControlSize);
        AppendFormatControl(cell.Stream, fcCellEnd, 0);
        cell.Chars.Data[cell.Chars.Size - 1] = chCellEnd;
        TPar& rowEnd = *doc.Par(1);
        rowEnd.Format = TableParFormat;
        rowEnd.Stream.Clear();
        AppendFormatControl(rowEnd.Stream, fcRowEnd, 0);
        rowEnd.Chars.Data[0] = chRowEnd;
        doc.StateFlags[sfRowEndsTakeFormat] = rowEndsToo ? 1 : 0;
        f.Select(0, 0, 2, 1);
        TParFormat centred = UnsetParFormat;
        centred.Alignment = 1;
        doc.PerformOperation(TFormatParagraphArgs{nullptr, nullptr, &centred});
        EXPECT_EQ(Value(doc.Par(0)->Format.Alignment), 1);
        EXPECT_EQ(Value(doc.Par(1)->Format.Alignment), rowEndsToo ? 1 : Value(TableParFormat.Alignment));
        EXPECT_EQ(Value(doc.Par(1)->Format.InTable), 1);
        EXPECT_EQ(Value(doc.Par(0)->Format.InTable), 1);
        EXPECT_EQ(Value(doc.Par(2)->Format.Alignment), 1);
        doc.StateFlags[sfRowEndsTakeFormat] = 0;

        // Taking the cell out of the table would leave half a row: the
        // in-table property stays, the rest applies.
        f.Select(0, 0, 0, 1);
        TParFormat outside = UnsetParFormat;
        outside.InTable = 0;
        outside.Alignment = 2;
        doc.PerformOperation(TFormatParagraphArgs{nullptr, nullptr, &outside});
        EXPECT_EQ(Value(doc.Par(0)->Format.InTable), 1);
        EXPECT_EQ(Value(doc.Par(0)->Format.Alignment), 2);
    }
}

TEST_F(FormattingTest, SizeStepsMoveThroughTheListAndStayInLimits) {
    const std::vector<std::int32_t> saved = FontSizeSteps();
    FontSizeSteps() = {16, 20, 24, 36};
    struct Case {
        const char* name;
        std::int32_t attr;
        std::int32_t value;
        std::int32_t step;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"next list size up", caSize, 20, 2000, 24},
        {"between list sizes up", caSize, 21, 2000, 24},
        {"next list size down", caSize, 24, -2000, 20},
        {"above the list stays", caSize, 40, 2000, 40},
        {"below the list stays", caSize, 12, -2000, 12},
        {"one half-point", caSize, 24, 1, 25},
        {"1999 plus 10 stops at 2000", caSize, 1999, 10, 2000},
        {"never below 1 point", caSize, 3, -5, 2},
        {"150 percent", caSize, 21, 2150, 32},  // 31.5 rounds away from zero
        {"50 percent", caSize, 25, 2050, 13},   // 12.5 rounds away from zero
        {"spacing rounds to even first", caSpacing, 3, 2, 6},
        {"negative spacing rounds away from zero", caSpacing, -3, 0, -4},
        {"spacing limit", caSpacing, 19999, 10, 20000},
        {"offset limit", caOffset, 995, 10, 1000},
        {"offset lower limit", caOffset, -995, -10, -1000},
        {"other attributes add", caScale, 100, 10, 110},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SteppedFontValue(c.attr, c.value, c.step), c.expected);
    }
    FontSizeSteps() = saved;
}

TEST_F(FormattingTest, SteppingMixedSizesKeepsTheirDifferences) {
    TFormattingDoc f({"{fs:20}ab{fs:30}cd{fs:20}ef"});
    TDoc& doc = f.Doc();
    const TFormattingDump before = DumpFormatting(doc);
    f.Select(0, 1, 0, 5);
    doc.PerformOperation(TStepFontAttributeArgs{caSize, 3});
    EXPECT_EQ(f.AttrAt(0, 0, caSize), 20);
    EXPECT_EQ(f.AttrAt(0, 1, caSize), 23);
    EXPECT_EQ(f.AttrAt(0, 2, caSize), 33);
    EXPECT_EQ(f.AttrAt(0, 3, caSize), 33);
    EXPECT_EQ(f.AttrAt(0, 4, caSize), 23);
    EXPECT_EQ(f.AttrAt(0, 5, caSize), 20);
    const TFormattingDump after = DumpFormatting(doc);
    doc.Undo(true);
    EXPECT_EQ(DumpDifference(DumpFormatting(doc), before), "");
    doc.Redo();
    EXPECT_EQ(DumpDifference(DumpFormatting(doc), after), "");
}

TEST_F(FormattingTest, SteppingWithNothingSelectedChangesTheTypingFormat) {
    TFormattingDoc f({"{fs:20}abc"});
    TDoc& doc = f.Doc();
    f.PlaceCaret(0, 1);
    doc.TypingFormat[caSize] = 20;
    const TFormattingDump before = DumpFormatting(doc);
    ModelOptions().EditFlags &= ~eoFormatWithoutSelection;
    doc.PerformOperation(TStepFontAttributeArgs{caSize, 2});
    ModelOptions().EditFlags |= eoFormatWithoutSelection;
    EXPECT_EQ(doc.TypingFormat[caSize], 22);
    EXPECT_EQ(DumpDifference(DumpFormatting(doc), before), "");
}

TEST_F(FormattingTest, BoldOverMixedSizesKeepsEachSize) {
    TFormattingDoc f({"{fs:20}ab{fs:30}cd"});
    TDoc& doc = f.Doc();
    f.Select(0, 0, 0, 4);
    TCharFormat bold = UnsetCharFormat;
    bold[caBold] = 1;
    doc.PerformOperation(TFormatFontArgs{nullptr, nullptr, &bold, 0});
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(f.AttrAt(0, i, caBold), 1) << i;
    EXPECT_EQ(f.AttrAt(0, 0, caSize), 20);
    EXPECT_EQ(f.AttrAt(0, 3, caSize), 30);
}

TEST_F(FormattingTest, SwitchingAnAttributeOnSwitchesItsRivalsOff) {
    struct Case {
        const char* name;
        int on;
        int rival;
    };
    const Case cases[] = {
        {"small caps over all caps", caSmallCaps, caAllCaps},
        {"all caps over small caps", caAllCaps, caSmallCaps},
        {"strike over double strike", caStrike, caDoubleStrike},
        {"double strike over strike", caDoubleStrike, caStrike},
        {"shadow over emboss", caShadow, caEmboss},
        {"outline over engrave", caOutline, caEngrave},
        {"emboss over outline", caEmboss, caOutline},
        {"engrave over emboss", caEngrave, caEmboss},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TCharFormat format = UnsetCharFormat;
        format[c.on] = 1;
        ApplyExclusiveAttributes(format);
        EXPECT_EQ(format[c.on], 1);
        EXPECT_EQ(format[c.rival], 0);
        // Switching off leaves the rival alone.
        format = UnsetCharFormat;
        format[c.on] = 0;
        ApplyExclusiveAttributes(format);
        EXPECT_EQ(format[c.rival], UnsetValue);
    }
    TFormattingDoc f({"{caps:1}abc"});
    f.Select(0, 0, 0, 3);
    TCharFormat smallCaps = UnsetCharFormat;
    smallCaps[caSmallCaps] = 1;
    f.Doc().PerformOperation(TFormatFontArgs{nullptr, nullptr, &smallCaps, 0});
    EXPECT_EQ(f.AttrAt(0, 1, caAllCaps), 0);
    EXPECT_EQ(f.AttrAt(0, 1, caSmallCaps), 1);
}

TEST_F(FormattingTest, WholeWordFormattingInsideAWordOnlyTypingAtItsEdge) {
    struct Case {
        const char* name;
        std::int32_t caret;
        bool wordItalic;
    };
    const Case cases[] = {
        {"inside the word", 6, true},
        {"at the word's start", 4, false},
        {"at the word's end", 9, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFormattingDoc f({"one three"});
        TDoc& doc = f.Doc();
        f.PlaceCaret(0, c.caret);
        const TFormattingDump before = DumpFormatting(doc);
        TCharFormat italic = UnsetCharFormat;
        italic[caItalic] = 1;
        doc.PerformOperation(TFormatFontArgs{nullptr, nullptr, &italic, 0});
        EXPECT_EQ(f.AttrAt(0, 5, caItalic), c.wordItalic ? 1 : 0);
        EXPECT_EQ(f.AttrAt(0, 2, caItalic), 0);
        if (!c.wordItalic) {
            EXPECT_EQ(DumpDifference(DumpFormatting(doc), before), "");
            EXPECT_EQ(doc.TypingFormat[caItalic], 1);
        }
    }
}

TEST_F(FormattingTest, FormatsThatChangeNothingLeaveNoUndoStep) {
    TFormattingDoc f({"{b:1}abc"});
    TDoc& doc = f.Doc();
    f.Select(0, 0, 0, 3);
    const std::int32_t steps = doc.UndoList.Count;
    TCharFormat bold = UnsetCharFormat;
    bold[caBold] = 1;
    doc.PerformOperation(TFormatFontArgs{nullptr, nullptr, &bold, 0});
    const TParFormat unset = UnsetParFormat;
    doc.PerformOperation(TFormatParagraphArgs{nullptr, nullptr, &unset});
    TParFormat same = UnsetParFormat;
    same.Alignment = DefaultParFormat.Alignment;
    doc.PerformOperation(TFormatParagraphArgs{nullptr, nullptr, &same});
    EXPECT_EQ(doc.UndoList.Count, steps);
}

TEST_F(FormattingTest, IndentsFollowTheHangingRule) {
    struct Case {
        const char* name;
        std::int16_t first, left;            // the paragraph's
        std::int32_t givenFirst, givenLeft;  // UnsetValue: not given
        std::int16_t expectFirst, expectLeft;
    };
    const Case cases[] = {
        {"both given are stored", -360, 720, 200, 400, 200, 400},
        {"left alone keeps a hanging line hanging", -360, 720, UnsetValue, 1000, -360, 1360},
        {"left alone with an indented first line", 360, 720, UnsetValue, 1000, 360, 1000},
        {"first alone from a hanging start", -360, 720, -500, UnsetValue, -500, 860},
        {"first alone from a plain start", 0, 720, 300, UnsetValue, 300, 720},
        {"first alone making a hanging line", 0, 720, -200, UnsetValue, -200, 920},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFormattingDoc f({"text"});
        TDoc& doc = f.Doc();
        doc.Par(0)->Format.FirstIndent = c.first;
        doc.Par(0)->Format.LeftIndent = c.left;
        f.PlaceCaret(0, 0);
        TParFormat format = UnsetParFormat;
        SetParProp(format, ppFirstIndent, c.givenFirst);
        SetParProp(format, ppLeftIndent, c.givenLeft);
        doc.PerformOperation(TFormatParagraphArgs{nullptr, nullptr, &format});
        EXPECT_EQ(Value(doc.Par(0)->Format.FirstIndent), c.expectFirst);
        EXPECT_EQ(Value(doc.Par(0)->Format.LeftIndent), c.expectLeft);
    }
}

TEST_F(FormattingTest, ParagraphStepsStayWithinPageAndText) {
    // Text width 9360 and page height 15840 (40 %: 6336).
    struct Case {
        const char* name;
        std::uint8_t kind;
        std::int32_t step;
        std::int16_t first, left, before, after;
        std::int16_t expectFirst, expectLeft, expectBefore, expectAfter;
    };
    const Case cases[] = {
        {"move right", 0, 360, 0, 0, 0, 0, 0, 360, 0, 0},
        {"move left stops at 0", 0, -360, 0, 200, 0, 0, 0, 0, 0, 0},
        {"move left keeps a hanging line on the page", 0, -720, -360, 500, 0, 0, -360, 360, 0, 0},
        {"move right stops at the text width", 0, 720, 0, 9000, 0, 0, 0, 9360, 0, 0},
        {"following lines only", 1, 360, 0, 720, 0, 0, -360, 1080, 0, 0},
        {"less space before", 2, 0, 0, 0, 100, 0, 0, 0, 40, 0},
        {"less space before stops at 0", 2, 0, 0, 0, 30, 0, 0, 0, 0, 0},
        {"less automatic space before", 2, 0, 0, 0, -20, 0, 0, 0, 0, 0},
        {"more automatic space before", 3, 0, 0, 0, -20, 0, 0, 0, 340, 0},
        {"more space before stops at 40%", 3, 0, 0, 0, 6300, 0, 0, 0, 6336, 0},
        {"more automatic space after", 5, 0, 0, 0, 0, -20, 0, 0, 0, 340},
        {"less space after", 4, 0, 0, 0, 0, 60, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFormattingDoc f({"text"});
        TDoc& doc = f.Doc();
        TParFormat& pf = doc.Par(0)->Format;
        pf.FirstIndent = c.first;
        pf.LeftIndent = c.left;
        pf.SpaceBefore = c.before;
        pf.SpaceAfter = c.after;
        f.PlaceCaret(0, 0);
        const TFormattingDump before = DumpFormatting(doc);
        doc.PerformOperation(TStepParAttributeArgs{nullptr, nullptr, c.kind, c.step});
        EXPECT_EQ(Value(pf.FirstIndent), c.expectFirst);
        EXPECT_EQ(Value(pf.LeftIndent), c.expectLeft);
        EXPECT_EQ(Value(pf.SpaceBefore), c.expectBefore);
        EXPECT_EQ(Value(pf.SpaceAfter), c.expectAfter);
        doc.Undo(true);
        EXPECT_EQ(DumpDifference(DumpFormatting(doc), before), "");
    }
}

TEST_F(FormattingTest, ParagraphStepsKeepDifferencesBetweenRuns) {
    TFormattingDoc f({"a", "b", "c"});
    TDoc& doc = f.Doc();
    doc.Par(0)->Format.LeftIndent = 100;
    doc.Par(1)->Format.LeftIndent = 100;
    doc.Par(2)->Format.LeftIndent = 500;
    f.Select(0, 0, 2, 1);
    doc.PerformOperation(TStepParAttributeArgs{nullptr, nullptr, 0, 360});
    EXPECT_EQ(Value(doc.Par(0)->Format.LeftIndent), 460);
    EXPECT_EQ(Value(doc.Par(1)->Format.LeftIndent), 460);
    EXPECT_EQ(Value(doc.Par(2)->Format.LeftIndent), 860);
}

TEST_F(FormattingTest, FormatBrushPaintsEveryRangeOfTheSelection) {
    TFormattingDoc f({"one two three", "four"});
    TDoc& doc = f.Doc();
    TFormatBrush& brush = FormatBrush();
    brush = TFormatBrush{};
    brush.CharFormat[caBold] = 1;
    brush.CharFormat[caColor] = 255;
    brush.ParFormat.Alignment = 1;
    f.SelectRanges({Range(0, 0, 0, 3), Range(0, 8, 0, 13)});
    const TFormattingDump before = DumpFormatting(doc);
    doc.PerformOperation(TFormatBrushArgs{});
    struct Case {
        std::int32_t offset;
        std::int32_t bold;
    };
    for (const Case& c : {Case{0, 1}, Case{2, 1}, Case{3, 0}, Case{5, 0}, Case{8, 1}, Case{12, 1}}) {
        SCOPED_TRACE(c.offset);
        EXPECT_EQ(f.AttrAt(0, c.offset, caBold), c.bold);
        EXPECT_EQ(f.AttrAt(0, c.offset, caColor), c.bold == 1 ? 255 : DefaultCharFormat[caColor]);
    }
    EXPECT_EQ(Value(doc.Par(0)->Format.Alignment), 1);
    EXPECT_EQ(Value(doc.Par(1)->Format.Alignment), Value(DefaultParFormat.Alignment));
    doc.Undo(true);
    EXPECT_EQ(DumpDifference(DumpFormatting(doc), before), "");
    brush = TFormatBrush{};
}

TEST_F(FormattingTest, FormatBrushWithAStyleGivesWholeParagraphsTheStyle) {
    TFormattingDoc f({"one", "two"});
    TDoc& doc = f.Doc();
    const std::int32_t quote = f.AddStyle("Quote", 0);
    f.Style(quote).CharFormat[caItalic] = 1;
    TFormatBrush& brush = FormatBrush();
    brush = TFormatBrush{};
    brush.StyleName = "Quote";
    f.Select(0, 1, 0, 2);
    doc.PerformOperation(TFormatBrushArgs{});
    EXPECT_EQ(Value(doc.Par(0)->Format.Style), quote);
    EXPECT_EQ(f.AttrAt(0, 0, caItalic), 1);
    EXPECT_EQ(Value(doc.Par(1)->Format.Style), 0);
    brush = TFormatBrush{};
}

TEST_F(FormattingTest, ResetGivesEachPartItsOwnStylesFormat) {
    TFormattingDoc f({"{b:1}{fs:40}head", "{i:1}body", "{i:1}body"});
    TDoc& doc = f.Doc();
    const std::int32_t heading = f.AddStyle("Heading 1", 0, 1);
    f.Style(heading).CharFormat[caBold] = 1;
    f.Style(heading).CharFormat[caSize] = 32;
    f.SetParStyle(0, heading);
    f.Select(0, 0, 2, 4);
    const TFormattingDump before = DumpFormatting(doc);
    doc.PerformOperation(TResetFormatArgs{nullptr, nullptr, 1});
    EXPECT_EQ(f.AttrAt(0, 1, caSize), 32);
    EXPECT_EQ(f.AttrAt(0, 1, caBold), 1);
    EXPECT_EQ(f.AttrAt(1, 1, caItalic), 0);
    EXPECT_EQ(f.AttrAt(2, 1, caItalic), 0);
    EXPECT_EQ(f.AttrAt(1, 1, caSize), DefaultCharFormat[caSize]);
    doc.Undo(true);
    EXPECT_EQ(DumpDifference(DumpFormatting(doc), before), "");
}

TEST_F(FormattingTest, TabsChangeTheDefaultWidthAndTheParagraphsTable) {
    TFormattingDoc f({"a", "b"});
    TDoc& doc = f.Doc();
    f.Select(0, 0, 0, 1);
    const TFormattingDump before = DumpFormatting(doc);
    const TTabsDescription tabs{360, 3};
    doc.PerformOperation(TFormatTabsArgs{&tabs});
    EXPECT_EQ(doc.DefaultTabWidth, 360);
    EXPECT_EQ(Value(doc.Par(0)->Format.Tabs), 3);
    EXPECT_EQ(Value(doc.Par(1)->Format.Tabs), Value(DefaultParFormat.Tabs));
    const TFormattingDump after = DumpFormatting(doc);
    doc.Undo(true);
    EXPECT_EQ(DumpDifference(DumpFormatting(doc), before), "");
    doc.Redo();
    EXPECT_EQ(DumpDifference(DumpFormatting(doc), after), "");
}

// Every formatting code undoes to the very bytes it started from and
// redoes to the very bytes it made.
TEST_F(FormattingTest, EveryCodeUndoesAndRedoesByteForByte) {
    struct Case {
        const char* name;
        std::function<void(TFormattingDoc&)> perform;
    };
    static const TCharFormat boldItalic = [] {
        TCharFormat c = UnsetCharFormat;
        c[caBold] = 1;
        c[caItalic] = 1;
        return c;
    }();
    static const TParFormat centred = [] {
        TParFormat p = UnsetParFormat;
        p.Alignment = 1;
        p.SpaceAfter = 120;
        p.LeftIndent = 300;
        return p;
    }();
    const Case cases[] = {
        {"font",
         [](TFormattingDoc& f) {
             f.Doc().PerformOperation(TFormatFontArgs{nullptr, nullptr, &boldItalic, 0});
         }},
        {"paragraph",
         [](TFormattingDoc& f) {
             f.Doc().PerformOperation(TFormatParagraphArgs{nullptr, nullptr, &centred});
         }},
        {"step size",
         [](TFormattingDoc& f) {
             f.Doc().PerformOperation(TStepFontAttributeArgs{caSize, 2000});
         }},
        {"step spacing",
         [](TFormattingDoc& f) {
             f.Doc().PerformOperation(TStepFontAttributeArgs{caSpacing, 20});
         }},
        {"reset font",
         [](TFormattingDoc& f) {
             f.Doc().PerformOperation(TResetFormatArgs{nullptr, nullptr, 1});
         }},
        {"reset paragraph",
         [](TFormattingDoc& f) {
             f.Doc().PerformOperation(TResetFormatArgs{nullptr, nullptr, 0});
         }},
        {"step indent",
         [](TFormattingDoc& f) {
             f.Doc().PerformOperation(TStepParAttributeArgs{nullptr, nullptr, 0, 360});
         }},
        {"apply style",
         [](TFormattingDoc& f) {
             f.Doc().PerformOperation(TApplyStyleArgs{1, 1});
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFormattingDoc f({"{fs:20}one {b:1}two{b:0} three", "{fs:30}{spacing:3}four", "{i:1}five"});
        const std::int32_t style = f.AddStyle("Body", 0);
        f.Style(style).CharFormat[caSize] = 28;
        f.Style(style).ParFormat.SpaceBefore = 240;
        f.Doc().Par(2)->Format.LeftIndent = 720;
        f.SelectRanges({Range(0, 2, 1, 3), Range(2, 1, 2, 3)});
        TDoc& doc = f.Doc();
        const TFormattingDump before = DumpFormatting(doc);
        const std::int32_t steps = doc.UndoList.Count;
        c.perform(f);
        ASSERT_EQ(doc.UndoList.Count, steps + 1);
        const TFormattingDump after = DumpFormatting(doc);
        EXPECT_NE(DumpDifference(after, before), "");
        doc.Undo(true);
        EXPECT_EQ(DumpDifference(DumpFormatting(doc), before), "");
        doc.Redo();
        EXPECT_EQ(DumpDifference(DumpFormatting(doc), after), "");
        doc.Undo(true);
        EXPECT_EQ(DumpDifference(DumpFormatting(doc), before), "");
    }
}

// Shrinking needs pages: the fixture fonts and the layout client.
class ShrinkPageCountTest : public FormattingTest {
protected:
    void SetUp() override {
        FormattingTest::SetUp();
        TestSupport::UseFixtureFonts();
        savedTimes = DefaultCharFormat[caFont];
        savedArial = LabelCharFormat[caFont];
        fonts = std::make_unique<TFontManager>();
        tabs = std::make_unique<TTabManager>();
        previous = SetMessageBoxAnswerer([this](const TMessageBoxRequest& request) {
            messages.push_back(request.Text);
            return static_cast<std::uint16_t>(mrOk);
        });
    }
    void TearDown() override {
        SetMessageBoxAnswerer(previous);
        tabs.reset();
        fonts.reset();
        SetConstantFormatFonts(savedTimes, savedArial);
    }
    // Lays the document out for the test and takes the layout down after.
    void Attach(TDoc& doc) { doc.Client = &client; }
    void Detach(TDoc& doc) {
        doc.DestroyLayout();
        doc.Client = &NullDocClient();
    }

    std::unique_ptr<TFontManager> fonts;
    std::unique_ptr<TTabManager> tabs;
    std::int32_t savedTimes = 0;
    std::int32_t savedArial = 0;
    TLayoutClient client;
    std::vector<std::string> messages;
    TMessageBoxAnswerer previous;
};

TEST_F(ShrinkPageCountTest, TextThatCannotGetSmallerIsReportedAndStaysAsItWas) {
    struct Case {
        const char* name;
        const char* text;
    };
    // At 1.5 points the text shrinks to 1 point, the page count stays, and
    // the step it took goes back.
    const Case cases[] = {{"at 1 point", "{fs:2}ab"}, {"one step above 1 point", "{fs:3}ab{fs:2}cd"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        TFormattingDoc f({c.text, "{fs:2}x"});
        TDoc& doc = f.Doc();
        Attach(doc);
        f.PlaceCaret(0, 1);
        const TFormattingDump before = DumpFormatting(doc);
        const std::int32_t steps = doc.UndoList.Count;
        doc.PerformOperation(TShrinkPageCountArgs{});
        EXPECT_EQ(DumpDifference(DumpFormatting(doc), before), "");
        EXPECT_EQ(doc.UndoList.Count, steps);
        EXPECT_EQ(messages, std::vector<std::string>{"Cannot shrink page count."});
        EXPECT_EQ(doc.Caret.Offset, 1);
        Detach(doc);
    }
}

TEST_F(ShrinkPageCountTest, TextShrinksUntilAPageGoes) {
    std::vector<std::string> pars;
    for (int i = 0; i < 12; ++i)
        pars.push_back("{fs:24}Some words that fill a line or two of the page, again and again.");
    pars.push_back("{fs:30}A larger closing line.");
    TFormattingDoc f(pars);
    TDoc& doc = f.Doc();
    Attach(doc);
    TPageSetup& ps = doc.Sections.At<TSection>(0)->PageSetup;
    ps.PageHeight = 4320;
    ps.TopMargin = ps.BottomMargin = 360;
    doc.UpdatePageMetrics();
    doc.PaginateAll();
    const std::int32_t pagesBefore = doc.Pages.Count;
    ASSERT_GT(pagesBefore, 1);
    f.PlaceCaret(0, 3);
    const TFormattingDump before = DumpFormatting(doc);
    doc.PerformOperation(TShrinkPageCountArgs{});
    EXPECT_TRUE(messages.empty());
    doc.PaginateAll();
    EXPECT_LT(doc.Pages.Count, pagesBefore);
    // Every size went down by the same steps, so the difference stays.
    const std::int32_t small = f.AttrAt(0, 1, caSize);
    EXPECT_LT(small, 24);
    EXPECT_EQ(f.AttrAt(12, 1, caSize) - small, 6);
    EXPECT_EQ(doc.Caret.Offset, 3);
    doc.Undo(true);
    EXPECT_EQ(DumpDifference(DumpFormatting(doc), before), "");
    Detach(doc);
}

}  // namespace
