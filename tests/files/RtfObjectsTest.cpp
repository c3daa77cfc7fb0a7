// RTF objects the reader turns into ordinary text or list formatting: a text
// box's text, picture bullets and nested tables; and the writer's forms of
// them, read back to the same document.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "DocumentDump.h"
#include "RtfMemory.h"
#include "TabManagerScope.h"
#include "model/document/TDoc.h"
#include "model/formats/TShape.h"
#include "model/formats/TTableRow.h"
#include "model/managers/TAutoList.h"
#include "model/managers/TFontManager.h"
#include "model/paragraphs/TPar.h"
#include "platform/CodePages.h"

namespace {

// A PNG signature and header chunk of a picture of the given size, as
// hexadecimal digits; the byte after the size makes pictures differ.
std::string PngHex(std::uint32_t width, std::uint32_t height) {
    std::string b = "\x89PNG\r\n\x1A\n";
    b += std::string("\0\0\0\x0D", 4) + "IHDR";
    for (std::uint32_t v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8)
            b.push_back(static_cast<char>((v >> shift) & 0xFF));
    b += std::string("\x08\x06\0\0\0", 5) + "CRC!";
    static constexpr char Digits[] = "0123456789abcdef";
    std::string out;
    for (char c : b) {
        out.push_back(Digits[static_cast<std::uint8_t>(c) >> 4]);
        out.push_back(Digits[static_cast<std::uint8_t>(c) & 15]);
    }
    return out;
}

std::string Sp(const std::string& name, const std::string& value) {
    return "{\\sp{\\sn " + name + "}{\\sv " + value + "}}";
}

// A shape of the given type whose text is the given RTF.
std::string TextShape(int type, const std::string& text) {
    return "{\\shp{\\*\\shpinst\\shpleft0\\shptop0\\shpright2000\\shpbottom1000" +
           Sp("shapeType", std::to_string(type)) + "{\\shptxt " + text + "}}{\\shprslt {\\*\\do fallback}}}";
}

class RtfObjectsTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedTimes = DefaultCharFormat[caFont];
        savedArial = LabelCharFormat[caFont];
        manager = new TFontManager;
    }
    void TearDown() override {
        delete manager;
        SetConstantFormatFonts(savedTimes, savedArial);
    }

    static std::unique_ptr<TDoc> Read(const std::string& rtf) { return ReadRtfBytes(rtf); }

    static std::string Write(TDoc& doc) { return SaveRtfToMemory(doc); }

    // The paragraphs' texts of the main story, without their paragraph-end
    // marks.
    static std::vector<std::string> Texts(TDoc& doc) {
        std::vector<std::string> texts;
        for (std::int32_t p = 0; p < doc.StoryCounts[stMain]; ++p) {
            const TPar* par = doc.Par(p);
            std::string text(reinterpret_cast<const char*>(par->Chars.Data), par->Chars.Size);
            if (!text.empty() && (text.back() == '\x1D' || text.back() == '\x02'))
                text.pop_back();
            texts.push_back(text);
        }
        // The empty paragraph after the last paragraph end.
        if (!texts.empty() && texts.back().empty())
            texts.pop_back();
        return texts;
    }

    // Reading, writing and reading again gives the same document, and
    // writing that once more gives the same bytes.
    static void ExpectRoundTrip(const std::string& rtf) {
        std::unique_ptr<TDoc> first = Read(rtf);
        const std::string saved = Write(*first);
        std::unique_ptr<TDoc> second = Read(saved);
        EXPECT_EQ(DumpDocumentModel(*first), DumpDocumentModel(*second)) << saved;
        EXPECT_EQ(saved, Write(*second));
    }

private:
    TTabManagerScope tabs;
    TFontManager* manager = nullptr;
    std::int32_t savedTimes = 0;
    std::int32_t savedArial = 0;
};

TEST_F(RtfObjectsTest, TextBoxTextFlowsAsParagraphsWhereTheShapeStands) {
    struct Case {
        const char* name;
        std::string body;
        std::vector<std::string> texts;
        std::int32_t shapes;
    };
    const std::vector<Case> cases = {
        {"text box", "A" + TextShape(202, "\\pard one\\par two\\par") + "B\\par", {"Aone", "two", "B"}, 0},
        {"box without a final paragraph end", "A" + TextShape(202, "one") + "B\\par", {"AoneB"}, 0},
        {"rectangle's text is not read", "A" + TextShape(1, "one\\par") + "B\\par", {"AB"}, 0},
        {"type given after the text",
         "A{\\shp{\\*\\shpinst{\\shptxt one\\par}" + Sp("shapeType", "202") + "}}B\\par",
         {"AB"}},
        {"box in skipped text", "A{\\*\\unknown " + TextShape(202, "one\\par") + "}B\\par", {"AB"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<TDoc> doc = Read("{\\rtf1 " + c.body + "}");
        EXPECT_EQ(Texts(*doc), c.texts);
        EXPECT_EQ(doc->Shapes.Count, c.shapes);
    }
}

TEST_F(RtfObjectsTest, TextBoxInACellKeepsTheCellAndItsRow) {
    // The box's own paragraph format does not take its paragraphs out of
    // the cell it stands in, and a table inside it becomes plain paragraphs
    // that end no cell or row of the table around.
    const std::string row = "\\trowd\\cellx2000\\cellx4000";
    std::unique_ptr<TDoc> doc = Read("{\\rtf1 " + row + "\\pard\\intbl A" +
                                     TextShape(202, "\\pard one\\par\\trowd\\cellx500\\intbl two\\cell\\row\\par") +
                                     "B\\cell C\\cell" + row + "\\row\\pard after\\par}");
    const std::vector<std::string> texts = Texts(*doc);
    EXPECT_EQ(texts, (std::vector<std::string>{"Aone", "two", "", "B\x04", "C\x04", "\x05", "after"}));
    for (std::int32_t p = 0; p + 1 < static_cast<std::int32_t>(texts.size()); ++p) {
        SCOPED_TRACE(p);
        EXPECT_NE(doc->Par(p)->Format.InTable, 0);
    }
    EXPECT_EQ(doc->Par(6)->Format.InTable, 0);
    EXPECT_EQ(doc->TableRowList.Count, 1);
}

// A list table of one list whose first level has the given level text
// group content, and one paragraph of that list.
std::string ListRtf(const std::string& levelText, const std::string& extra = "") {
    return "{\\rtf1{\\*\\listtable" + extra + "{\\list\\listsimple{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext" +
           levelText + "}{\\levelnumbers\\'01;}}\\listid7}}{\\*\\listoverridetable{\\listoverride\\listid7\\ls1}}" +
           "\\pard\\ls1 item\\par}";
}

TEST_F(RtfObjectsTest, LevelTextsIgnoreTheFilesLineBreaks) {
    struct Case {
        const char* name;
        std::string levelText;
        std::u16string label;
    };
    const std::vector<Case> cases = {
        {"plain", "\\'02\\'00.;", std::u16string(u"\0.", 2)},
        {"broken after the length", "\\'02\r\n\\'00.;", std::u16string(u"\0.", 2)},
        {"broken inside", "\\'03\\'00\n.\r)\n;", std::u16string(u"\0.)", 3)},
        {"escaped line feed is text", "\\'02\\'0a\\'00;", std::u16string(u"\n\0", 2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<TDoc> doc = Read(ListRtf(c.levelText));
        ASSERT_GE(doc->Lists.Count, 1);
        EXPECT_EQ(doc->Lists.At<TAutoList>(doc->Lists.Count - 1)->Levels[0].LabelText, c.label);
        ExpectRoundTrip(ListRtf(c.levelText));
    }
    // What other readers go by: the length byte counts the text, and the
    // level numbers give the placeholder's position after it.
    std::unique_ptr<TDoc> doc = Read(ListRtf("\\'03\r\n\\'00.)\r\n;"));
    const std::string saved = Write(*doc);
    EXPECT_NE(saved.find("{\\leveltext \\'03\\'00.);}{\\levelnumbers \\'01;}"), std::string::npos) << saved;
}

TEST_F(RtfObjectsTest, PictureBulletsComeFromTheListPictures) {
    const std::string pictures = "{\\*\\listpicture{\\*\\shppict{\\pict\\pngblip\\picwgoal200\\pichgoal200 " +
                                 PngHex(16, 16) + "}}stray text\\par{\\pict\\pngblip " + PngHex(32, 8) +
                                 "}{\\pict\\pngblip " + PngHex(8, 8) + "}}";
    const std::string lists =
        "{\\*\\listtable" + pictures +
        "{\\list{\\listlevel\\levelnfc23\\levelpicture1{\\leveltext\\'01\\u8226 ?;}{\\levelnumbers;}}"
        "{\\listlevel\\levelnfc23\\levelpicture0{\\leveltext\\'01o;}}"
        "{\\listlevel\\levelnfc23\\levelpicture1{\\leveltext\\'01o;}}"
        "{\\listlevel\\levelnfc23\\levelpicture9{\\leveltext\\'01o;}}\\listid5}}"
        "{\\*\\listoverridetable{\\listoverride\\listid5\\ls1}}";
    const std::string rtf = "{\\rtf1" + lists + "\\pard\\ls1 one\\par\\ilvl1 two\\par}";
    std::unique_ptr<TDoc> doc = Read(rtf);
    ASSERT_EQ(doc->Lists.Count, 1);
    const TAutoList* list = doc->Lists.At<TAutoList>(0);
    const TShape* first = list->Levels[0].PictureBullet;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Picture.Kind, pkPng);
    EXPECT_EQ(first->Picture.PixelHeight, 8);
    EXPECT_EQ(first->AnchorPar, nullptr);
    EXPECT_EQ(list->Levels[2].PictureBullet, first);  // one picture for both levels
    ASSERT_NE(list->Levels[1].PictureBullet, nullptr);
    EXPECT_EQ(list->Levels[1].PictureBullet->Picture.GoalWidth, 200);
    EXPECT_EQ(list->Levels[3].PictureBullet, nullptr);  // a number past the pictures
    // The third picture, which no level shows, is not kept; the stray text
    // and paragraph end of the group are not the document's.
    EXPECT_EQ(doc->Shapes.Count, 2);
    EXPECT_EQ(Texts(*doc), (std::vector<std::string>{"one", "two"}));

    // Written back, each picture once, numbered as the levels refer to it.
    const std::string saved = Write(*doc);
    std::size_t count = 0;
    for (std::size_t at = saved.find("\\pict"); at != std::string::npos; at = saved.find("\\pict", at + 1))
        ++count;
    EXPECT_EQ(count, 2u) << saved;
    EXPECT_NE(saved.find("{\\*\\listpicture{\\*\\shppict{\\pict"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\\levelnfc23\\levelpicture0"), std::string::npos) << saved;
    ExpectRoundTrip(rtf);
}

TEST_F(RtfObjectsTest, ListPicturesOutsideTheListTableAreNoBullets) {
    // A list-picture group in the body is skipped with its pictures, and a
    // level picture before any list pictures shows none.
    std::unique_ptr<TDoc> doc = Read(
        "{\\rtf1{\\*\\listtable{\\list\\listsimple{\\listlevel\\levelnfc23\\levelpicture0{\\leveltext\\'01o;}}"
        "\\listid5}}{\\*\\listoverridetable{\\listoverride\\listid5\\ls1}}"
        "{\\*\\listpicture{\\pict\\pngblip " +
        PngHex(8, 8) + "}}\\pard\\ls1 one\\par}");
    ASSERT_EQ(doc->Lists.Count, 1);
    EXPECT_EQ(doc->Lists.At<TAutoList>(0)->Levels[0].PictureBullet, nullptr);
    EXPECT_EQ(doc->Shapes.Count, 0);
    EXPECT_EQ(Texts(*doc), (std::vector<std::string>{"one"}));
}

TEST_F(RtfObjectsTest, NestedTablesAreReadAsParagraphsOfTheirCell) {
    // Two levels of nesting inside one cell of a one-cell table; each nested
    // row also carries the text meant for readers without nested tables.
    const std::string rtf =
        "{\\rtf1\\trowd\\cellx5000\n"
        "\\pard\\intbl\\itap2 Level two before\\par\n"
        "\\pard\\intbl\\itap3 Deep A\\nestcell Deep B\\nestcell\n"
        "{\\*\\nesttableprops\\trowd\\cellx2000\\cellx4000\\nestrow}{\\nonesttables FALLBACK ONE\\par}\n"
        "\\pard\\itap2 Level two after\\nestcell\n"
        "{\\*\\nesttableprops\\trowd\\cellx4000\\nestrow}{\\nonesttables FALLBACK TWO\\par}\n"
        "\\pard\\intbl\\itap1 Outer after\\cell\\row\n"
        "\\pard\\itap0 Outside\\par}";
    std::unique_ptr<TDoc> doc = Read(rtf);
    const std::vector<std::string> texts = Texts(*doc);
    EXPECT_EQ(texts, (std::vector<std::string>{"Level two before", "Deep A", "Deep B", "Level two after",
                                               "Outer after\x04", "\x05", "Outside"}));
    for (std::int32_t p = 0; p + 1 < static_cast<std::int32_t>(texts.size()); ++p) {
        SCOPED_TRACE(p);
        EXPECT_NE(doc->Par(p)->Format.InTable, 0);  // "itap" alone puts a paragraph in the table
    }
    EXPECT_EQ(doc->Par(6)->Format.InTable, 0);
    ASSERT_EQ(doc->TableRowList.Count, 1);
    EXPECT_EQ(doc->TableRowList.At<TTableRow>(0)->Data.CellCount, 1);  // the nested rows define no cells of it
    ExpectRoundTrip(rtf);
}

}  // namespace
