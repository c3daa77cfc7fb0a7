#include "editing/lists/ListNumbering.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ListDoc.h"
#include "base/core/ObjectHandles.h"
#include "model/document/StateFlags.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TLine.h"
#include "model/formats/TShape.h"
#include "model/paragraphs/TPar.h"
#include "platform/CodePages.h"

namespace {

std::string Utf8(const std::u16string& text) {
    return Platform::Utf16ToUtf8(text);
}

// Every paragraph's label, joined by "|".
std::string Labels(TDoc& doc) {
    std::string out;
    for (std::int32_t p = 0; p < doc.ParCount(); ++p)
        out += (p > 0 ? "|" : "") + Utf8(TListDoc::LabelOf(*doc.Par(p)));
    return out;
}

TEST(FormatListNumberTest, EveryFormat) {
    TListDoc fixture;
    TPar& par = fixture.Add("text");
    struct Case {
        std::int32_t Number;
        std::int32_t Format;
        const char* Expected;
    };
    const Case cases[] = {
        {7, lnArabic, "7"},
        {-3, lnArabic, "-3"},
        {1994, lnUpperRoman, "MCMXCIV"},
        {4, lnLowerRoman, "iv"},
        {4000, lnUpperRoman, "MMMM"},
        {0, lnUpperRoman, ""},
        {1, lnUpperLetter, "A"},
        {26, lnUpperLetter, "Z"},
        {27, lnUpperLetter, "AA"},
        {53, lnLowerLetter, "aaa"},
        {-1, lnLowerLetter, ""},
        {1, 5, "1st"},
        {22, 5, "22nd"},
        {-3, 5, "3rd"},
        {21, 6, "Twenty-one"},
        {2, 7, "Second"},
        {7, lnLeadingZero, "07"},
        {123, lnLeadingZero, "123"},
        {5, lnBullet, ""},
        {5, lnNone, ""},
        {5, 9, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.Number) + " in format " + std::to_string(c.Format));
        std::u16string text = u"old";
        FormatListNumber(fixture.Doc(), par, c.Number, c.Format, text);
        EXPECT_EQ(Utf8(text), c.Expected);
    }
}

TEST(FormatListNumberTest, WordsFollowTheLanguageAtTheParagraphEnd) {
    TListDoc fixture;
    TPar& par = fixture.Add("text");
    // A German paragraph mark: the language control stands before the mark.
    par.Stream.SetSize(par.Stream.Size - FormatControlSize);
    AppendFormatControl(par.Stream, caLanguage, 0x407);
    AppendFormatControl(par.Stream, fcSpecialChar, chParEnd);
    par.Changed();
    std::u16string text;
    FormatListNumber(fixture.Doc(), par, 3, 6, text);
    EXPECT_EQ(Utf8(text), "Drei");
    FormatListNumber(fixture.Doc(), par, 1, 5, text);
    EXPECT_EQ(Utf8(text), "1.");
}

// The numbering rules, each case a document of list paragraphs at levels
// (-1 for a paragraph outside the list) and the labels they get.
TEST(RenumberListsTest, LevelsRestartsAndContinuedLists) {
    struct Case {
        const char* Name;
        std::vector<int> Levels;
        bool NoRestartLevel1;
        const char* Expected;
    };
    const Case cases[] = {
        {"a sub-item restarts, its parent continues", {0, 0, 1, 0}, false, "1.|2.|1.|3."},
        {"a new parent restarts the sub-items", {0, 1, 1, 0, 1}, false, "1.|1.|2.|2.|1."},
        {"no-restart keeps counting level 1", {0, 1, 1, 0, 1}, true, "1.|1.|2.|2.|3."},
        {"a sub-item first shows its start", {1, 1, 0}, false, "1.|2.|2."},
        {"a level-0 paragraph after only deeper ones gets start + 1", {2, 0}, false, "1.|2."},
        {"plain paragraphs between continue the list", {0, -1, 0, -1, -1, 0}, false, "1.||2.|||3."},
        {"a deeper level between keeps the count", {0, 1, 2, 2, 1, 0}, false, "1.|1.|1.|2.|2.|2."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TListDoc fixture;
        TAutoList& list = fixture.NewList();
        list.Levels[1].NumberingFlags[0] = c.NoRestartLevel1 ? 1 : 0;
        for (int level : c.Levels)
            fixture.Add("item", level < 0 ? nullptr : &list, level < 0 ? 0 : level);
        fixture.Doc().StateFlags[sfListsStale] = 1;
        RenumberLists(fixture.Doc());
        EXPECT_EQ(Labels(fixture.Doc()), c.Expected);
        EXPECT_EQ(fixture.Doc().StateFlags[sfListsStale], 0);
    }
}

TEST(RenumberListsTest, LevelTextsCombineTheLevels) {
    struct Case {
        const char* Name;
        std::int32_t Format0;
        std::int32_t Format1;
        bool Legal;
        std::int32_t Start1;
        const char* Expected;
    };
    // Paragraphs at levels 0, 1, 1, 0, 1 with the level-1 text "<0>.<1>".
    const Case cases[] = {
        {"arabic", lnArabic, lnArabic, false, 1, "1|1.1|1.2|2|2.1"},
        {"roman without legal numbering", lnUpperRoman, lnLowerRoman, false, 1, "I|I.i|I.ii|II|II.i"},
        {"legal numbering shows every level in arabic", lnUpperRoman, lnLowerRoman, true, 1, "I|1.1|1.2|II|2.1"},
        {"legal numbering keeps leading zeros", lnUpperRoman, lnLeadingZero, true, 9, "I|1.09|1.10|II|2.09"},
        {"letters", lnUpperLetter, lnLowerLetter, false, 26, "A|A.z|A.aa|B|B.z"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TListDoc fixture;
        TAutoList& list = fixture.NewList();
        list.Levels[0].NumberFormat = c.Format0;
        list.Levels[0].LabelText = LevelText({0});
        list.Levels[1].NumberFormat = c.Format1;
        list.Levels[1].StartValue = c.Start1;
        list.Levels[1].LabelText = LevelText({0, '.', 1});
        list.Levels[1].NumberingFlags[1] = c.Legal ? 1 : 0;
        for (int level : {0, 1, 1, 0, 1})
            fixture.Add("item", &list, level);
        RenumberLists(fixture.Doc());
        EXPECT_EQ(Labels(fixture.Doc()), c.Expected);
    }
}

TEST(RenumberListsTest, ListsCountTheirOwnParagraphs) {
    TListDoc fixture;
    TAutoList& a = fixture.NewList();
    TAutoList& b = fixture.NewList();
    b.Levels[0].NumberFormat = lnUpperLetter;
    b.Levels[0].StartValue = 3;
    for (TAutoList* list : {&a, &b, &a, &b, &b, &a})
        fixture.Add("item", list);
    RenumberLists(fixture.Doc());
    EXPECT_EQ(Labels(fixture.Doc()), "1.|C.|2.|D.|E.|3.");
    EXPECT_EQ(fixture.Doc().Par(5)->ListNumber, 3);
    EXPECT_EQ(fixture.Doc().Par(4)->ListNumber, 5);
}

TEST(RenumberListsTest, SingleLevelListsNumberEveryParagraphAtLevelZero) {
    TListDoc fixture;
    TAutoList& list = fixture.NewList(true);
    fixture.Add("one", &list, 0);
    fixture.Add("two", &list, 3);
    fixture.Add("three", &list, 1);
    RenumberLists(fixture.Doc());
    EXPECT_EQ(Labels(fixture.Doc()), "1.|2.|3.");
    EXPECT_EQ(fixture.Doc().Par(1)->ListLevel, 0);
}

TEST(RenumberListsTest, ParagraphsThatShowNoLabel) {
    TListDoc fixture;
    TAutoList& list = fixture.NewList();
    fixture.Add("one", &list);
    TPar& empty = fixture.Add("", &list);
    TPar& merged = fixture.Add("hidden", &list);
    merged.Format.InTable = 1;
    TPar& leaving = fixture.Add("two", &list);
    RenumberLists(fixture.Doc(), [](TDoc& doc, std::int32_t par) { return par == 2; });
    // The empty paragraph and the merged-away cell take no number either.
    EXPECT_EQ(Labels(fixture.Doc()), "1.|||2.");
    EXPECT_TRUE(!empty.LabelPar || empty.LabelPar->Chars.Size == 0);
    EXPECT_TRUE(!merged.LabelPar || merged.LabelPar->Chars.Size == 0);

    // A paragraph that leaves its list loses the label it had.
    ASSERT_TRUE(leaving.LabelPar);
    leaving.Format.List = 0;
    RenumberLists(fixture.Doc());
    EXPECT_EQ(leaving.LabelPar->Chars.Size, 0);
    EXPECT_EQ(leaving.LabelPar->Stream.Size, 0);
}

TEST(RenumberListsTest, FollowersAndLabelFormats) {
    struct Case {
        std::uint8_t Follow;
        const char* Text;
        const char* Follower;
    };
    const Case cases[] = {{lfTab, "1.", "tab"}, {lfSpace, "1.", "blank"}, {lfNothing, "1.", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Follower);
        TListDoc fixture;
        TAutoList& list = fixture.NewList();
        list.Levels[0].FollowKind = c.Follow;
        TPar& par = fixture.Add("item", &list);
        RenumberLists(fixture.Doc());
        EXPECT_EQ(Utf8(TListDoc::LabelOf(par)), c.Text);
        EXPECT_EQ(TListDoc::FollowerOf(par), c.Follower);
        ASSERT_TRUE(par.LabelPar);
        EXPECT_EQ(par.LabelPar->LabelOwner, &par);
        EXPECT_NE(par.LabelPar->Flags & pfProxy, 0);
        EXPECT_EQ(par.LabelPar->LineCount(), 1);
    }
}

// The label's own attributes as the first controls of its stream.
TCharFormat LabelStartFormat(const TPar& par) {
    TCharFormat format = DefaultCharFormat;
    const TMemory& stream = par.LabelPar->Stream;
    TStreamElement e;
    for (std::int32_t off = 0; off < stream.Size; off += e.Length) {
        ReadStreamElement(stream.Data, stream.Size, off, e);
        if (!e.IsControl || e.Code > fcLastCharAttr)
            break;
        format[e.Code] = e.Value;
    }
    return format;
}

TEST(RenumberListsTest, LabelsTakeTheTextFormatButBulletsStayPlain) {
    struct Case {
        const char* Name;
        std::int32_t Format;
        std::int32_t ExpectedBold;
        std::int32_t ExpectedColor;
    };
    const Case cases[] = {
        {"a number is bold like its text", lnArabic, 1, 0x0000FF},
        {"a bullet is not", lnBullet, 0, 0x0000FF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TListDoc fixture;
        TAutoList& list = fixture.NewList();
        list.Levels[0].NumberFormat = c.Format;
        if (c.Format == lnBullet)
            list.Levels[0].LabelText = u"\x2022";
        TPar& par = fixture.Add("", &list);
        // Bold red text with an underline, which no label takes over.
        par.Stream.Clear();
        par.Chars.Clear();
        AppendFormatControl(par.Stream, caBold, 1);
        AppendFormatControl(par.Stream, caColor, 0x0000FF);
        AppendFormatControl(par.Stream, caUnderline, 1);
        par.Stream.AppendString("item");
        par.Chars.AppendString("item");
        AppendFormatControl(par.Stream, fcSpecialChar, chParEnd);
        par.Chars.AppendByte(chParEnd);
        par.Changed();
        RenumberLists(fixture.Doc());
        ASSERT_TRUE(par.LabelPar);
        const TCharFormat label = LabelStartFormat(par);
        EXPECT_EQ(label[caBold], c.ExpectedBold);
        EXPECT_EQ(label[caColor], c.ExpectedColor);
        EXPECT_EQ(label[caUnderline], 0);
    }
}

TEST(RenumberListsTest, UnchangedLabelsAreLeftAlone) {
    TListDoc fixture;
    TAutoList& list = fixture.NewList();
    TPar& first = fixture.Add("one", &list);
    TPar& second = fixture.Add("two", &list);
    RenumberLists(fixture.Doc());
    const TList* firstLines = first.LabelPar->Lines;

    // Only the second paragraph's label changes when its level changes.
    second.Format.ListLevel = 1;
    RenumberLists(fixture.Doc());
    EXPECT_EQ(first.LabelPar->Lines, firstLines);
    EXPECT_EQ(Labels(fixture.Doc()), "1.|1.");
    EXPECT_EQ(second.LabelPar->LineCount(), 1);

    // A changed definition reaches every label of its level.
    list.Levels[0].NumberFormat = lnUpperRoman;
    RenumberLists(fixture.Doc());
    EXPECT_EQ(Labels(fixture.Doc()), "I.|1.");
}

TEST(RenumberListsTest, RightAlignedLabelsEndAtTheIndent) {
    TListDoc fixture;
    TAutoList& list = fixture.NewList();
    TPar& left = fixture.Add("item", &list);
    RenumberLists(fixture.Doc());
    const TLine* line = left.LabelPar->Lines->At<TLine>(0);
    const std::int32_t start = line->Pos(0);
    const std::int32_t width = line->Pos(2) - start;
    EXPECT_EQ(left.LabelPar->LabelLeadIn, 0);
    ASSERT_GT(width, 0);

    struct Case {
        std::uint8_t Alignment;
        std::int32_t Shift;
    };
    for (const Case& c : {Case{1, width / 2}, Case{2, width}}) {
        SCOPED_TRACE(c.Alignment);
        list.Levels[0].Alignment = c.Alignment;
        RenumberLists(fixture.Doc());
        EXPECT_EQ(left.LabelPar->LabelLeadIn, c.Shift);
        EXPECT_EQ(left.LabelPar->LabelAlignment, c.Alignment);
        EXPECT_EQ(left.LabelPar->Lines->At<TLine>(0)->Pos(0), start - c.Shift);
    }
}

// A picture bullet stands in its label at 85 percent of the label's font
// height (the level's size, else the text's, as pixels at 96 per inch) over
// the picture's own pixel height; a picture that states no height keeps its
// size, and a changed scale alone counts as a changed label.
TEST(RenumberListsTest, PictureBulletsScaleToTheLabelFont) {
    struct Case {
        const char* Name;
        std::int32_t LevelSize;  // half-points; 0 unset
        std::int32_t TextSize;
        std::int32_t PixelHeight;
        std::uint32_t Scale;
        std::uint32_t ScaleTwiceAsHigh;  // the picture twice as high
    };
    const Case cases[] = {
        // 24 half-points are 16 pixels: 16 x 100 / 32 = 50, x 85 / 100 = 42.
        {"the text's size over a 32-pixel picture", 0, 24, 32, 42, 21},
        {"the level's own size wins", 48, 24, 32, 85, 42},
        {"a picture as high as the font", 0, 24, 16, 85, 42},
        // 20 half-points are 13 pixels: 13 x 100 / 4 = 325, x 85 / 100 = 276.
        {"a tiny picture grows", 0, 20, 4, 276, 137},
        {"no stated height", 0, 24, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TListDoc fixture;
        TDoc& doc = fixture.Doc();
        TAutoList& list = fixture.NewList(true);
        auto picture = std::make_unique<TShape>(&doc);
        picture->Picture.Kind = pkPng;
        picture->Picture.PixelHeight = c.PixelHeight;
        list.Levels[0].PictureBullet = picture.get();
        list.Levels[0].NumberFormat = lnBullet;
        if (c.LevelSize > 0)
            list.Levels[0].CharFormat[caSize] = c.LevelSize;
        TPar& par = fixture.Add("", &list);
        par.Stream.Clear();
        par.Chars.Clear();
        AppendFormatControl(par.Stream, caSize, c.TextSize);
        par.Stream.AppendString("item");
        par.Chars.AppendString("item");
        AppendFormatControl(par.Stream, fcSpecialChar, chParEnd);
        par.Chars.AppendByte(chParEnd);
        par.Changed();
        RenumberLists(doc);
        ASSERT_TRUE(par.LabelPar);
        EXPECT_EQ(par.LabelPar->ShapeScale, c.Scale);
        EXPECT_EQ(par.LabelPar->Chars.Size > 0 ? par.LabelPar->Chars.Data[0] : 0, chShapeAnchor);

        // The picture alone changes: the label is built again.
        picture->Picture.PixelHeight = c.PixelHeight * 2;
        RenumberLists(doc);
        EXPECT_EQ(par.LabelPar->ShapeScale, c.ScaleTwiceAsHigh);
        list.Levels[0].PictureBullet = nullptr;
        RenumberLists(doc);
    }
}

}  // namespace
