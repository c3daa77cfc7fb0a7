// The undo steps other than text insertion and deletion: each applied,
// undone and redone through an operation the document keeps.
#include <gtest/gtest.h>

#include "DocFixture.h"
#include "FontQueriesStub.h"
#include "model/document/StateFlags.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TShape.h"
#include "model/host/TEditingServices.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/FieldOperations.h"
#include "model/undo/ListOperations.h"
#include "model/undo/NoteOperations.h"
#include "model/undo/SectionOperations.h"
#include "model/undo/ShapeOperations.h"
#include "model/undo/SimpleOperations.h"
#include "model/undo/StyleOperations.h"
#include "model/undo/TFastReplaceTextOperation.h"
#include "model/undo/TFormatFontOperation.h"
#include "model/undo/TFormatParsOperation.h"
#include "model/undo/TMoveParsOperation.h"
#include "model/undo/TOperation.h"
#include "model/undo/TSortParsOperation.h"

namespace {

// Runs a step as the only one of a committed operation.
void RunStep(TDoc& doc, TSubOperation* step) {
    auto* op = new TOperation(&doc, 0);
    doc.BeginOperation(op);
    step->Execute();
    doc.EndOperation();
    doc.CommitOperation(op);
}

TEST(UndoStepsTest, SortingKeepsCellEndsInTheirCellsAndAlternates) {
    TDocFixture f({"cherry{par}", "apple{cell}", "banana{par}"});
    TDoc& doc = f.Doc();
    const TDocSnapshot before = Snapshot(doc);
    RunStep(doc, new TSortParsOperation(&doc, 0, 2, false));
    EXPECT_EQ(f.Texts(), (std::vector<std::string>{"apple{par}", "banana{cell}", "cherry{par}"}));
    const TDocSnapshot sorted = Snapshot(doc);
    doc.Undo(true);
    EXPECT_EQ(FirstDifference(Snapshot(doc), before), "");
    doc.Redo();
    doc.Undo(true);
    doc.Redo();
    EXPECT_EQ(FirstDifference(Snapshot(doc), sorted), "");
    // Twice back, twice forward: the sorted order again.
    doc.Undo(true);
    doc.Redo();
    EXPECT_EQ(FirstDifference(Snapshot(doc), sorted), "");
    for (std::int32_t i = 0; i < doc.ParCount(); ++i)
        EXPECT_EQ(doc.Par(i)->Index, i);
}

TEST(UndoStepsTest, SortingOrdersEqualTextsByLengthWithAConsistentSign) {
    TDocFixture f({"ab{par}", "ab{par}", "a{par}"});
    TDoc& doc = f.Doc();
    EXPECT_EQ(CompareParagraphText(*doc.Par(0), *doc.Par(1)), 0);
    EXPECT_EQ(CompareParagraphText(*doc.Par(2), *doc.Par(0)), -1);
    EXPECT_EQ(CompareParagraphText(*doc.Par(0), *doc.Par(2)), 1);
    RunStep(doc, new TSortParsOperation(&doc, 0, 2, true));
    EXPECT_EQ(f.PlainText(), "ab|ab|a");
}

TEST(UndoStepsTest, FastReplaceExchangesCharactersInPlace) {
    TDocFixture f({"abc{b:1}def{par}"});
    TDoc& doc = f.Doc();
    RunStep(doc, new TFastReplaceTextOperation(&doc, 0, 1, "BCD"));
    EXPECT_EQ(f.Texts()[0], "aBC{b:1}Def{par}");
    doc.Undo(true);
    EXPECT_EQ(f.Texts()[0], "abc{b:1}def{par}");
    // One character: a paragraph end becomes a line break and back.
    TDocFixture g({"one{par}"});
    RunStep(g.Doc(), new TFastReplaceTextOperation2(&g.Doc(), 0, 3, chLineBreak));
    EXPECT_EQ(g.Texts()[0], "one{line}");
    g.Doc().Undo(true);
    EXPECT_EQ(g.Texts()[0], "one{par}");
}

TEST(UndoStepsTest, ParagraphPropertiesSwapAndBordersReachTheNeighbours) {
    TDocFixture f({"a{par}", "b{par}", "c{par}"});
    TDoc& doc = f.Doc();
    auto* step = new TFormatParsOperation(&doc);
    TParFormat format = UnsetParFormat;
    format.Alignment = 2;
    format.OutlineLevel = 9;
    doc.Par(1)->Format.OutlineLevel = 1;
    doc.Par(1)->Format.Collapsed = 1;
    EXPECT_TRUE(step->AddChange(1, format));
    EXPECT_FALSE(step->AddChange(1, UnsetParFormat));
    RunStep(doc, step);
    EXPECT_EQ(doc.Par(1)->Format.Alignment, 2);
    EXPECT_EQ(doc.Par(1)->Format.Collapsed, 0);  // body text is never collapsed
    doc.Undo(true);
    EXPECT_EQ(doc.Par(1)->Format.Alignment, 0);
    EXPECT_EQ(doc.Par(1)->Format.Collapsed, 1);
    // A border change lets the neighbours lay their lines out again.
    for (std::int32_t p = 0; p < 3; ++p) {
        doc.Par(p)->Lines = new TList;
        doc.Par(p)->Flags |= pfLaidOut;
    }
    auto* borders = new TFormatParsOperation(&doc);
    TParFormat bordered = UnsetParFormat;
    bordered.Borders = 1;
    borders->AddChange(1, bordered);
    RunStep(doc, borders);
    for (std::int32_t p = 0; p < 3; ++p)
        EXPECT_EQ(doc.Par(p)->Lines, nullptr) << p;
}

TEST(UndoStepsTest, FontChangesSwitchFacesWithinTheirCharacterSet) {
    // Font 1 is a Cyrillic face; font 5 is the new face's Cyrillic twin.
    class TFonts : public TFontQueriesStub {
    public:
        TFonts() : TFontQueriesStub({{1, {204, 1}}, {4, {0, 4}}, {5, {204, 4}}}) {}
        std::int32_t SameFaceInCharset(std::int32_t font, std::uint8_t charset) const override {
            return font == 4 && charset == 204 ? 5 : font;
        }
    } fonts;
    TDocFixture f({"ab{font:1}cd{font:0}ef{par}"});
    TDoc& doc = f.Doc();
    TCharFormat values = UnsetCharFormat;
    values[caFont] = 4;
    values[caBold] = 1;
    TFragment range;
    MakeFragment(0, 1, 0, 5, range);
    RunStep(doc, new TFormatFontOperation(&doc, range, values));
    doc.Par(0)->Normalize();
    EXPECT_EQ(f.Texts()[0], "a{font:4}{b:1}b{font:5}cd{font:4}e{font:0}{b:0}f{par}");
    doc.Undo(true);
    EXPECT_EQ(f.Texts()[0], "ab{font:1}cd{font:0}ef{par}");
}

TEST(UndoStepsTest, ParagraphsMoveBetweenStoriesAndBack) {
    TDocFixture f({"main one{par}", "main two{par}", "note{par}"});
    TDoc& doc = f.Doc();
    doc.StoryCounts[0] = 2;
    doc.StoryCounts[1] = 1;
    RunStep(doc, new TMoveParsOperation(&doc, 0, 1, 1, false, stMain, stMain));
    EXPECT_EQ(f.PlainText(), "main two|main one|note");
    doc.Undo(true);
    EXPECT_EQ(f.PlainText(), "main one|main two|note");
    // The note text moves into the main story's place and back.
    RunStep(doc, new TMoveParsOperation(&doc, 2, 1, 0, false, stFootnotes, stMain));
    EXPECT_EQ(doc.StoryCounts[0], 3);
    EXPECT_EQ(doc.StoryCounts[1], 0);
    EXPECT_EQ(f.PlainText(), "note|main one|main two");
    doc.Undo(true);
    EXPECT_EQ(doc.StoryCounts[0], 2);
    EXPECT_EQ(doc.StoryCounts[1], 1);
    EXPECT_EQ(f.PlainText(), "main one|main two|note");
}

TEST(UndoStepsTest, FieldMarksLeaveAndReturnToTheirPlaces) {
    TDocFixture f;
    TField& field = f.Objects.Field("F");
    TField& bookmark = f.Objects.Field("B", fkBookmark);
    f.Add("x{fs:B}{fs:F}{b:1}ab{fe:F}{fe:B}y{par}");
    TDoc& doc = f.Doc();
    const std::string before = f.Texts()[0];
    RunStep(doc, new TInsDelFieldOperation(&doc, fmBoth, &field));
    EXPECT_EQ(f.Texts()[0], "x{fs:B}{b:1}ab{fe:B}y{par}");
    EXPECT_FALSE(doc.Fields.Contains(&field));
    EXPECT_TRUE(doc.Fields.Contains(&bookmark));
    doc.Undo(true);
    EXPECT_EQ(f.Texts()[0], before);
    EXPECT_TRUE(doc.Fields.Contains(&field));
    RunStep(doc, new TEditFieldOperation(&doc, &field, u"PAGE"));
    EXPECT_EQ(field.Instruction, u"PAGE");
    doc.Undo(true);
    EXPECT_EQ(field.Instruction, u"");
    RunStep(doc, new TChangeFieldPropsOperation(&doc, &field, 33, u"PAGE"));
    EXPECT_EQ(field.Type, 33);
    doc.Undo(true);
    EXPECT_EQ(field.Type, 0);
}

TEST(UndoStepsTest, SectionSettingsSwap) {
    TDoc doc;
    TSection* section = doc.Sections.At<TSection>(0);
    TFragment all;
    MakeFragment(0, 0, 0, 1, all);
    RunStep(doc, new TChangePageParamsOperation(&doc, all, 0, 2000, nullptr));  // the left margin
    EXPECT_EQ(section->PageSetup.LeftMargin, 2000);
    EXPECT_EQ(section->PageSetup.TextWidth, 12240 - 2000 - 1440);
    EXPECT_EQ(doc.MaxPageExtents.TextWidth, 12240 - 2000 - 1440);
    doc.Undo(true);
    EXPECT_EQ(section->PageSetup.LeftMargin, 1440);
    RunStep(doc, new TChangePageParamsOperation(&doc, all, pwOrientation, 0, nullptr));
    EXPECT_EQ(section->PageSetup.Orientation, 1);
    EXPECT_EQ(section->PageSetup.PageWidth, 15840);
    doc.Undo(true);
    EXPECT_EQ(section->PageSetup.Orientation, 0);
    EXPECT_EQ(section->PageSetup.PageWidth, 12240);
    doc.Redo();
    EXPECT_EQ(section->PageSetup.PageWidth, 15840);
    TSectionFormat columns;
    columns.ColumnCount = 3;
    RunStep(doc, new TFormatSectOperation(&doc, 0, 0, columns));
    EXPECT_EQ(section->Format.ColumnCount, 3);
    doc.Undo(true);
    EXPECT_EQ(section->Format.ColumnCount, 1);
}

TEST(UndoStepsTest, SectionBreakKindsAndHeadersSwap) {
    TDocFixture f;
    TSection& s = f.Objects.Section("S");
    s.SetDefaults();
    f.Add("one{sect:S}");
    f.Add("two{par}");
    TDoc& doc = f.Doc();
    doc.ResortSections();
    RunStep(doc, new TChangeSectBreakOperation(&doc, 0, 0));
    EXPECT_EQ(s.Format.BreakKind, 0);
    doc.Undo(true);
    EXPECT_EQ(s.Format.BreakKind, 1);
    TField header;
    TField* slots[HeaderFooterSlotCount] = {nullptr, &header, nullptr, nullptr, nullptr, nullptr};
    RunStep(doc, new TChangeSectHeadersOperation(&doc, &s, slots));
    EXPECT_EQ(s.HeadersFooters[hfOddHeader], &header);
    doc.Undo(true);
    EXPECT_EQ(s.HeadersFooters[hfOddHeader], nullptr);
    TSection* last = static_cast<TSection*>(doc.Sections.Last());
    last->PageSetup.LeftMargin = 100;
    RunStep(doc, new TAssignSectOperation(&doc, &s, last));
    EXPECT_EQ(s.PageSetup.LeftMargin, 100);
    doc.Undo(true);
    EXPECT_EQ(s.PageSetup.LeftMargin, 1440);
    RunStep(doc, new TExchangeSectFormattingOperation(&doc, &s, last));
    EXPECT_EQ(s.PageSetup.LeftMargin, 100);
    EXPECT_EQ(last->PageSetup.LeftMargin, 1440);
    doc.Undo(true);
    EXPECT_EQ(s.PageSetup.LeftMargin, 1440);
}

TEST(UndoStepsTest, NoteSettingsSwapForEverySectionTheyTouch) {
    TDocFixture f;
    TSection& s = f.Objects.Section("S");
    f.Add("one{sect:S}");
    f.Add("two{par}");
    TDoc& doc = f.Doc();
    doc.ResortSections();
    TSection* last = static_cast<TSection*>(doc.Sections.Last());
    TNoteSettings foot{2, 1, 5, 1};
    TNoteSettings end{0, 4, 1, 0};  // at the end of each section
    auto* step = new TFormatNotesOperation(&doc, 0, 0, foot, end, nullptr);
    ASSERT_EQ(step->Changed, 1);
    RunStep(doc, step);
    EXPECT_EQ(s.FootnoteSettings.StartNumber, 5);
    EXPECT_EQ(last->FootnoteSettings.StartNumber, 1);  // outside the range
    EXPECT_EQ(last->EndnoteSettings.Position, 0);      // but the placement is the document's
    doc.Undo(true);
    EXPECT_EQ(s.FootnoteSettings.StartNumber, 1);
    EXPECT_EQ(last->EndnoteSettings.Position, 3);
}

TEST(UndoStepsTest, DocumentSettingsSwap) {
    TDoc doc;
    RunStep(doc, new TChangeDefLangOperation(&doc, 0x407));
    EXPECT_EQ(doc.DefaultLanguage, 0x407);
    THyphenationOptions options;
    options.Automatic = 1;
    RunStep(doc, new TChangeHyphOptionsOperation(&doc, options));
    EXPECT_EQ(doc.Hyphenation.Automatic, 1);
    RunStep(doc, new TNoteSeparatorOperation(&doc, 2));
    EXPECT_EQ(doc.NoteSeparator, 2);
    doc.UndoAll();
    EXPECT_EQ(doc.DefaultLanguage, 0x409);
    EXPECT_EQ(doc.Hyphenation.Automatic, 0);
    EXPECT_EQ(doc.NoteSeparator, 0);
    TAutoList list;
    TListLevel level;
    level.NumberFormat = 23;
    RunStep(doc, new TFormatListLevelOperation(&doc, &list, 2, level));
    EXPECT_EQ(list.Levels[2].NumberFormat, 23);
    doc.Undo(true);
    EXPECT_EQ(list.Levels[2].NumberFormat, 0);
    TAutoList other;
    other.SingleLevel = 1;
    other.Levels[0].StartValue = 7;
    RunStep(doc, new TFormatAutoListOperation(&doc, &list, other));
    EXPECT_EQ(list.Levels[0].StartValue, 7);
    doc.Undo(true);
    EXPECT_EQ(list.Levels[0].StartValue, 1);
    EXPECT_EQ(list.SingleLevel, 0);
}

TEST(UndoStepsTest, ZOrderClosesUpAroundAMovedShape) {
    TDoc doc;
    TShape* shapes[4];
    for (int i = 0; i < 4; ++i) {
        shapes[i] = new TShape(&doc);
        shapes[i]->SetZOrder(i);
        doc.Shapes.Add(shapes[i]);
    }
    RunStep(doc, new TChangeShapeZOrderOperation(&doc, shapes[1], 3));
    EXPECT_EQ(shapes[0]->ZOrder(), 0);
    EXPECT_EQ(shapes[2]->ZOrder(), 1);
    EXPECT_EQ(shapes[3]->ZOrder(), 2);
    EXPECT_EQ(shapes[1]->ZOrder(), 3);
    doc.Undo(true);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(shapes[i]->ZOrder(), i) << i;
    RunStep(doc, new TRemoveShapeFromZOrderOperation(&doc, shapes[1]));
    EXPECT_EQ(shapes[3]->ZOrder(), 2);
    doc.Undo(true);
    EXPECT_EQ(shapes[3]->ZOrder(), 3);
    TList selected;
    selected.Add(shapes[2]);
    RunStep(doc, new TSelShapesOperation(&doc, selected));
    EXPECT_EQ(doc.SelectedShapes.Count, 1);
    doc.Undo(true);
    EXPECT_EQ(doc.SelectedShapes.Count, 0);
}

TEST(UndoStepsTest, TabsChangeTheDefaultWidthAndTheParagraphsInANestedOperation) {
    TDocFixture f({"a{par}", "b{par}"});
    TDoc& doc = f.Doc();
    TCompoundFragment* pars = NewCompoundFragment();
    pars->SetSingle(0, 0, 1, 1);
    RunStep(doc, new TFormatTabsOperation(&doc, 360, 5, pars));
    ReleaseCompoundFragment(pars);
    EXPECT_EQ(doc.DefaultTabWidth, 360);
    EXPECT_EQ(GetParProp(doc.Par(0)->Format, ppTabs), 5);
    EXPECT_EQ(GetParProp(doc.Par(1)->Format, ppTabs), 5);
    doc.Undo(true);
    EXPECT_EQ(doc.DefaultTabWidth, 720);
    EXPECT_EQ(GetParProp(doc.Par(1)->Format, ppTabs), 0);
    doc.Redo();
    EXPECT_EQ(GetParProp(doc.Par(1)->Format, ppTabs), 5);
}

// Re-applies a style sheet by giving every paragraph the style at index 1.
class TRestyler : public TEditingServices {
public:
    TRestyler() : Previous(SetEditingServices(this)) {}
    ~TRestyler() override { SetEditingServices(Previous); }
    void ReapplyStyleSheet(TDoc& doc, TFormatStyleListInfo&) override {
        TParFormat format = UnsetParFormat;
        format.Style = 1;
        doc.FormatParagraphs(nullptr, nullptr, format);
        ++Calls;
    }
    int Calls = 0;

private:
    TEditingServices* Previous;
};

TEST(UndoStepsTest, AStyleSheetChangeReappliesOnceAndThenReplays) {
    TRestyler restyler;
    TDocFixture f({"a{par}"});
    TDoc& doc = f.Doc();
    TStyleList* old = doc.Styles;
    auto* info = new TFormatStyleListInfo;
    info->NewStyles = new TStyleList(&doc);
    info->NewStyles->Add(new TStyle(info->NewStyles));
    info->NewStyles->Add(new TStyle(info->NewStyles));
    TStyleList* fresh = info->NewStyles;
    RunStep(doc, new TFormatStyleListOperation(&doc, info));
    EXPECT_EQ(doc.Styles, fresh);
    EXPECT_EQ(GetParProp(doc.Par(0)->Format, ppStyle), 1);
    doc.Undo(true);
    EXPECT_EQ(doc.Styles, old);
    EXPECT_EQ(GetParProp(doc.Par(0)->Format, ppStyle), 0);
    doc.Redo();
    EXPECT_EQ(doc.Styles, fresh);
    EXPECT_EQ(GetParProp(doc.Par(0)->Format, ppStyle), 1);
    EXPECT_EQ(restyler.Calls, 1);
}

}  // namespace
