// The steps every freshly read document goes through: styles, lists and
// list-level fonts, and linked pictures, seen through documents opened from RTF.

#include "files/opening/PostLoad.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FontManagerScope.h"
#include "TabManagerScope.h"
#include "base/core/ObjectHandles.h"
#include "base/core/TMemoryStream.h"
#include "base/pictures/TPNGImage.h"
#include "files/opening/OpenDocument.h"
#include "model/document/TDoc.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TShape.h"
#include "model/managers/TAutoList.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

class PostLoadTest : public ::testing::Test {
protected:
    void SetUp() override { fonts.emplace(); }
    void TearDown() override { fonts.reset(); }

    static std::unique_ptr<TDoc> Open(const std::string& rtf) {
        auto doc = std::make_unique<TDoc>(true);
        doc->TakesParEndMarks = 1;
        TDocOpeningOptions options;
        options.Source = osMemory;
        options.Format = 0;
        options.FileName = "test";
        options.Data = rtf.data();
        options.DataSize = static_cast<std::int32_t>(rtf.size());
        EXPECT_TRUE(OpenDocument(*doc, options));
        return doc;
    }

private:
    TTabManagerScope tabs;
    std::optional<TFontManagerScope> fonts;
};

TEST_F(PostLoadTest, StylesLeaveTheLanguageToTheTextAndHeadingsGetTheirOutlineLevel) {
    std::unique_ptr<TDoc> doc = Open(
        "{\\rtf1{\\stylesheet{\\lang1031 Normal;}{\\s1\\lang1036\\outlinelevel5 heading 2;}{\\s2\\lang1033 Plain;}}"
        "\\s1 Head\\par\\pard\\s2 Body\\par}");
    ASSERT_NE(doc->Styles, nullptr);
    const TStyle* heading = nullptr;
    for (std::int32_t i = 0; i < doc->Styles->Count; ++i) {
        const TStyle* style = doc->Styles->Style(i);
        SCOPED_TRACE(style->Name);
        EXPECT_EQ(style->CharFormat[caLanguage], UnsetValue);
        if (style->IsHeading())
            EXPECT_EQ(style->ParFormat.OutlineLevel, style->BuiltInId - 1);
        if (style->Name == "heading 2" || style->Name == "Heading 2")
            heading = style;
    }
    ASSERT_NE(heading, nullptr);
    EXPECT_EQ(heading->ParFormat.OutlineLevel, 1);
    EXPECT_EQ(doc->Par(0)->Format.OutlineLevel, 1);
}

// The list of a paragraph, or nil.
const TAutoList* ListOfPar(const TDoc& doc, std::int32_t p) {
    const std::int32_t handle = doc.Par(p)->Format.List;
    if (handle == 0 || handle == UnsetValue)
        return nullptr;
    return HandleTo<TAutoList>(static_cast<TObjectHandle>(handle));
}

TEST_F(PostLoadTest, OldStyleNumberingBecomesOneListPerRun) {
    // Old-style numbering gives each paragraph a one-level list of its own;
    // consecutive ones are one list, deeper paragraphs make it an outline.
    const std::string one = "{\\*\\pn\\pnlvl1\\pndec\\pnstart1{\\pntxta .}}";
    const std::string two = "{\\*\\pn\\pnlvl2\\pnlcltr\\pnprev1{\\pntxta )}}";
    std::unique_ptr<TDoc> doc =
        Open("{\\rtf1\\pard\\li360" + one + " first\\par\\pard\\li360" + one + " second\\par\\pard\\li720" + two +
             " inner\\par\\pard plain\\par\\pard\\li360" + one + " again\\par}");
    const TAutoList* list = ListOfPar(*doc, 0);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ListOfPar(*doc, 1), list);
    EXPECT_EQ(ListOfPar(*doc, 2), list);
    EXPECT_EQ(ListOfPar(*doc, 3), nullptr);
    const TAutoList* again = ListOfPar(*doc, 4);
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again, list);          // a paragraph without a list ends the run
    EXPECT_EQ(doc->Lists.Count, 2);  // the merged definitions are gone

    EXPECT_FALSE(list->IsSingleLevel());
    EXPECT_EQ(list->Levels[0].LabelText, std::u16string(u"\0.", 2));
    // pnprev: the level above's label comes first.
    EXPECT_EQ(list->Levels[1].LabelText, std::u16string(u"\0.\1)", 4));
    EXPECT_EQ(list->Levels[1].ParFormat.LeftIndent, 720);
    // Levels the file left out copy the one above, half an inch further in.
    EXPECT_EQ(list->Levels[2].ParFormat.LeftIndent, 1440);
    EXPECT_EQ(list->Levels[8].ParFormat.LeftIndent, 720 * 8);
    EXPECT_EQ(list->Levels[2].LabelText, std::u16string(u"\0.\1)\2)", 6));
    EXPECT_TRUE(again->IsSingleLevel());
    EXPECT_EQ(again->Levels[0].LabelText, std::u16string(u"\0.", 2));
}

TEST_F(PostLoadTest, OldStyleBulletListsThatAreAlikeAreOne) {
    struct Case {
        const char* name;
        std::string rtf;
        std::int32_t lists;
        std::u16string label;
    };
    const std::string bullet = "{\\*\\pn\\pnlvlblt\\pnstart1{\\pntxtb \\'B7}}";
    const std::string number = "{\\*\\pn\\pnlvl1\\pndec\\pnstart1}{\\*\\pn\\pnlvl1{\\pntxtb (}{\\pntxta )}}";
    const std::vector<Case> cases = {
        {"bullets apart", "\\pard" + bullet + " a\\par\\pard b\\par\\pard" + bullet + " c\\par", 1, u"\u00B7"},
        // Consecutive bullets stay apart when no level is deeper and the
        // first level is no number; being alike they become one list all
        // the same.
        {"bullets together", "\\pard" + bullet + " a\\par\\pard" + bullet + " b\\par", 1, u"\u00B7"},
        {"number with texts", "\\pard" + number + " a\\par", 1, std::u16string(u"(\0)", 3)},
        // With a list table the file's lists are complete as they are.
        {"list table",
         "{\\*\\listtable{\\list\\listsimple{\\listlevel\\levelnfc0{\\leveltext\\'01\\'00;}}\\listid3}}"
         "{\\*\\listoverridetable{\\listoverride\\listid3\\ls1}}\\pard\\ls1 a\\par",
         1, std::u16string(u"\0", 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<TDoc> doc = Open("{\\rtf1" + c.rtf + "}");
        EXPECT_EQ(doc->Lists.Count, c.lists);
        const TAutoList* list = ListOfPar(*doc, 0);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->Levels[0].LabelText, c.label);
        EXPECT_TRUE(doc->Lists.Contains(list));
    }
}

TEST_F(PostLoadTest, ASymbolFontBulletMovesToThePrivateUseRange) {
    struct Case {
        const char* Name;
        const char* Font;  // the font table entry of font 1
        char16_t Label;
    };
    const Case cases[] = {
        {"symbol character set", "{\\f1\\fcharset2 Symbol;}", 0xF0B7},
        {"a text font keeps its bullet", "{\\f1\\fcharset0 Arial;}", 0x00B7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<TDoc> doc = Open(std::string("{\\rtf1{\\fonttbl{\\f0 Times New Roman;}") + c.Font +
                                         "}{\\*\\listtable{\\list\\listsimple{\\listlevel\\levelnfc23{\\leveltext "
                                         "\\'01\\'b7;}\\f1}\\listid7}}{\\*\\listoverridetable{\\listoverride"
                                         "\\listid7\\ls1}}\\ls1 item\\par}");
        ASSERT_GE(doc->Lists.Count, 1);
        const TListLevel& level = doc->Lists.At<TAutoList>(0)->Levels[0];
        ASSERT_FALSE(level.LabelText.empty());
        EXPECT_EQ(level.LabelText[0], c.Label);
        // Unset indents of the level became 0.
        EXPECT_EQ(level.ParFormat.FirstIndent, 0);
        EXPECT_EQ(level.ParFormat.LeftIndent, 0);
    }
}

// The shapes holding pictures and the INCLUDEPICTURE fields of a document.
int Pictures(const TDoc& doc) {
    int n = 0;
    for (std::int32_t i = 0; i < doc.Shapes.Count; ++i)
        n += doc.Shapes.At<TShape>(i)->Picture.Kind != pkNone ? 1 : 0;
    return n;
}

int IncludePictureFields(const TDoc& doc) {
    int n = 0;
    for (std::int32_t i = 0; i < doc.Fields.Count; ++i) {
        const TField* field = doc.Fields.At<TField>(i);
        n += field->Kind == fkCode && field->Instruction.rfind(u"INCLUDEPICTURE", 0) == 0 ? 1 : 0;
    }
    return n;
}

TEST_F(PostLoadTest, LinkedPicturesAreLoadedFromTheirFiles) {
    const fs::path dir = fs::path(testing::TempDir()) / "postload-pictures";
    fs::create_directories(dir);
    std::string png = "\x89PNG\r\n\x1A\n";
    png += std::string("\0\0\0\x0DIHDR\0\0\0\x04\0\0\0\x02\x08\x06\0\0\0CRC!", 25);
    const fs::path file = dir / "picture.png";
    std::ofstream(file, std::ios::binary) << png;
    const std::string name = file.string();
    const std::string hex = "89504e470d0a1a0a0000000d49484452000000010000000108060000004352432f";
    struct Case {
        const char* Name;
        std::string Field;
        int Pictures;
        int Fields;
        const char* Text;  // the first paragraph's characters, anchors as "#"
        bool FromFile;     // the picture holds the file's bytes
    };
    const Case cases[] = {
        {"a field with an empty result loads its file",
         "{\\field{\\*\\fldinst INCLUDEPICTURE \"" + name + "\" \\\\* MERGEFORMAT}{\\fldrslt }}", 1, 0, "A#B", true},
        {"a file URL", "{\\field{\\*\\fldinst INCLUDEPICTURE file://" + name + "}{\\fldrslt }}", 1, 0, "A#B", true},
        {"a result that holds a picture stays that picture",
         "{\\field{\\*\\fldinst INCLUDEPICTURE \"/no/such/file.png\"}{\\fldrslt {\\pict\\pngblip " + hex + "}}}", 1, 0,
         "A#B", false},
        {"a missing file leaves the field", "{\\field{\\*\\fldinst INCLUDEPICTURE \"/no/such/file.png\"}{\\fldrslt }}",
         0, 1, "A?B", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<TDoc> doc = Open("{\\rtf1 A" + c.Field + "B\\par}");
        EXPECT_EQ(Pictures(*doc), c.Pictures);
        EXPECT_EQ(IncludePictureFields(*doc), c.Fields);
        std::string text;
        const TPar& par = *doc->Par(0);
        for (std::int32_t i = 0; i < par.Chars.Size; ++i) {
            const std::uint8_t ch = par.Chars.Data[i];
            if (ch != chParEnd)
                text.push_back(ch == chShapeAnchor ? '#' : static_cast<char>(ch));
        }
        EXPECT_EQ(text, c.Text);
        if (c.FromFile)
            EXPECT_EQ(doc->Shapes.At<TShape>(0)->Picture.Data, png);
    }
    fs::remove_all(dir);
}

// A real PNG picture: white, with a black pixel at (x, y) unless x < 0.
std::string WhitePng(std::int32_t w, std::int32_t h, std::int32_t x = -1, std::int32_t y = 0) {
    TPNGImage png;
    png.SetPixelFormat(pf24bit);
    png.SetSize(w, h);
    for (std::int32_t row = 0; row < h; ++row) {
        std::uint8_t* line = png.ScanLine(row);
        for (std::int32_t i = 0; i < w * 3; ++i)
            line[i] = (row == y && i / 3 == x) ? 0 : 0xFF;
    }
    TMemoryStream stream;
    png.SaveToStream(stream);
    return std::string(reinterpret_cast<const char*>(stream.Memory), static_cast<std::size_t>(stream.MemSize));
}

std::string Hex(const std::string& bytes) {
    static constexpr char Digits[] = "0123456789abcdef";
    std::string out;
    for (char c : bytes) {
        out.push_back(Digits[static_cast<std::uint8_t>(c) >> 4]);
        out.push_back(Digits[static_cast<std::uint8_t>(c) & 15]);
    }
    return out;
}

TEST_F(PostLoadTest, APictureIsBlankWhenItsOuterRowsAreWhite) {
    struct Case {
        const char* name;
        std::string png;
        bool blank;
    };
    const std::vector<Case> cases = {
        {"all white", WhitePng(9, 9), true},
        {"a mark in the middle third", WhitePng(9, 9, 4, 4), true},
        {"a mark in the top row", WhitePng(9, 9, 8, 0), false},
        {"a mark in the bottom row", WhitePng(9, 9, 0, 8), false},
        {"undecodable bytes", std::string("\x89PNG\r\n\x1A\n", 8) + "broken", false},
    };
    TDoc doc(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TShape shape(&doc);
        shape.Picture.Kind = pkPng;
        shape.Picture.Data = c.png;
        EXPECT_EQ(IsPictureBlank(shape), c.blank);
    }
}

TEST_F(PostLoadTest, BlankLinkedPicturesAreReloadedAndWebPicturesFetchedOnce) {
    const fs::path dir = fs::path(testing::TempDir()) / "postload-web";
    fs::create_directories(dir);
    const std::string content = WhitePng(6, 6, 0, 0);
    const fs::path file = dir / "picture.png";
    std::ofstream(file, std::ios::binary) << content;
    const std::string blankHex = Hex(WhitePng(4, 4));

    // A blank cached picture is replaced in place by the file's picture; one
    // with content stays without the file being read.
    const std::string field =
        "{\\field{\\*\\fldinst INCLUDEPICTURE \"" + file.string() + "\"}{\\fldrslt {\\pict\\pngblip ";
    std::unique_ptr<TDoc> doc = Open("{\\rtf1 A" + field + blankHex + "}}}B\\par}");
    ASSERT_EQ(Pictures(*doc), 1);
    EXPECT_EQ(IncludePictureFields(*doc), 0);
    EXPECT_EQ(doc->Shapes.At<TShape>(0)->Picture.Data, content);
    doc = Open("{\\rtf1 A" + field + Hex(WhitePng(4, 4, 3, 3)) + "}}}B\\par}");
    EXPECT_EQ(doc->Shapes.At<TShape>(0)->Picture.Data, WhitePng(4, 4, 3, 3));

    // The same web address twice is fetched once; without the option the
    // fields stay, naming their pictures alone.
    std::map<std::string, int> fetched;
    TWebPictureHooks& hooks = WebPictureHooks();
    const TWebPictureHooks saved = hooks;
    hooks.Download = [&](const std::string& address, const std::string& path) {
        ++fetched[address];
        if (address.find("missing") != std::string::npos)
            return false;
        std::ofstream(path, std::ios::binary) << content;
        return true;
    };
    const std::string web =
        "{\\field{\\*\\fldinst INCLUDEPICTURE \\\\d \"HTTPS://example.org/p.png\" \\\\* "
        "MERGEFORMATINET}{\\fldrslt }}";
    const std::string missing = "{\\field{\\*\\fldinst INCLUDEPICTURE \"http://example.org/missing.png\"}{\\fldrslt }}";
    const std::string rtf = "{\\rtf1 A" + web + missing + web + "B\\par}";
    struct Case {
        const char* name;
        bool allowed;
        int pictures;
        int fields;
        int fetches;
    };
    const Case cases[] = {{"allowed", true, 2, 1, 1}, {"not allowed", false, 0, 3, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fetched.clear();
        hooks.DownloadAllowed = c.allowed;
        doc = Open(rtf);
        EXPECT_EQ(Pictures(*doc), c.pictures);
        EXPECT_EQ(IncludePictureFields(*doc), c.fields);
        EXPECT_EQ(fetched["HTTPS://example.org/p.png"], c.fetches);
        EXPECT_EQ(fetched["http://example.org/missing.png"], c.fetches);
        for (std::int32_t i = 0; i < doc->Fields.Count; ++i) {
            const TField* f = doc->Fields.At<TField>(i);
            if (f->Kind == fkCode && f->Instruction.find(u"missing") != std::u16string::npos)
                EXPECT_EQ(f->Instruction, u"INCLUDEPICTURE \"http://example.org/missing.png\"");
        }
    }
    hooks = saved;
    fs::remove_all(dir);
}

TEST_F(PostLoadTest, NoteReferenceStyleRunsBecomeNoteMarks) {
    struct Case {
        const char* name;
        std::string body;
        int marks;  // note-mark fields made
    };
    const std::string sheet = "{\\stylesheet{Normal;}{\\*\\cs10 Footnote Reference;}}";
    const std::vector<Case> cases = {
        // The reference itself is the note reference's; the note's own
        // number and the styled run elsewhere are marks.
        {"styled numbers", sheet + "A{\\cs10\\chftn{\\footnote\\pard\\plain{\\cs10\\chftn} note}}B {\\cs10 x}y\\par",
         2},
        // A number without the style takes it first.
        {"plain note number", sheet + "A{\\cs10\\chftn{\\footnote\\pard\\plain{\\super\\chftn} note}}B\\par", 1},
        {"no reference style", "{\\stylesheet{Normal;}{\\*\\cs10 Other;}}A{\\cs10 x}\\chftn{\\footnote\\chftn n}\\par",
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<TDoc> doc = Open("{\\rtf1" + c.body + "}");
        int marks = 0;
        for (std::int32_t i = 0; i < doc->Fields.Count; ++i)
            if (doc->Fields.At<TField>(i)->Kind == fkNoteNumber) {
                ++marks;
                TFragment range;
                ASSERT_TRUE(doc->FieldRange(doc->Fields.At<TField>(i), range));
                EXPECT_EQ(range.End.Offset - range.Start.Offset, 1);  // one character each
            }
        EXPECT_EQ(marks, c.marks);
    }
}

}  // namespace
