#include "files/rtf/RtfWriter.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FontManagerScope.h"
#include "RtfMemory.h"
#include "SaveTestSupport.h"
#include "TabManagerScope.h"
#include "base/core/ObjectHandles.h"
#include "files/saving/SaveToFormat.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/managers/TAutoList.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"

namespace {

// Documents are built by reading RTF (the reader is tested on its own), then
// written; the cases check what the writer makes of them.
class RtfWriterTest : public ::testing::Test {
protected:
    void SetUp() override { fonts.emplace(); }
    void TearDown() override { fonts.reset(); }

    std::unique_ptr<TDoc> Read(const std::string& rtf) { return ReadRtfBytes(rtf); }

    static std::string ToMemory(TDoc& doc) { return SaveRtfToMemory(doc); }

    static std::string ToFile(TDoc& doc) {
        TStringSink sink;
        TDocSavingOptions options;
        options.Flags = svCopy;
        EXPECT_EQ(SaveToFormatStream(doc, options, sink), srSaved);
        return sink.Bytes;
    }

private:
    TTabManagerScope tabs;
    std::optional<TFontManagerScope> fonts;
};

// The text with its line ends visible, for failure messages.
std::string Visible(const std::string& rtf) {
    std::string out;
    for (char c : rtf)
        out += c == '\r' ? std::string("<CR>") : c == '\n' ? std::string("<LF>\n") : std::string(1, c);
    return out;
}

constexpr const char* StyleSheet = "{\\stylesheet{\\s0\\snext0 Normal;}{\\s1\\sbasedon0\\snext0\\b\\fs32 heading 1;}}";

TEST_F(RtfWriterTest, WhatTheBodyBecomes) {
    struct Case {
        const char* Name;
        std::string Input;
        std::vector<std::string> Present;
        std::vector<std::string> Absent;
    };
    const std::vector<Case> cases = {
        {"a bold word inside plain text is a group",
         "{\\rtf1 Plain {\\b bold} plain\\par}",
         {"Plain {\\b bold} plain"},
         {"\\b0"}},
        {"a change that lasts to the paragraph's end is no group",
         "{\\rtf1 Plain \\i rest\\par}",
         {"Plain \\i rest"},
         {"{\\i r"}},
        {"controls that repeat a value write nothing", "{\\rtf1 A\\b\\b0 B\\par}", {"AB"}, {"\\b"}},
        {"special characters",
         "{\\rtf1 a\\tab b\\line c\\~d\\_e\\-f\\emdash\\endash\\par}",
         {"a\\tab b\\line c\\~d\\_e\\-f\\emdash\\endash"},
         {}},
        {"characters outside the code page", "{\\rtf1 x\\u9731?y\\par}", {"x\\u9731?y"}, {}},
        {"braces and backslashes are escaped", "{\\rtf1 \\{a\\\\b\\}\\par}", {"\\{a\\\\b\\}"}, {}},
        {"a colour table of a document without colours holds the automatic colour alone",
         "{\\rtf1 a\\par}",
         {"{\\colortbl;}"},
         {"\\red"}},
        {"used colours are numbered from 1",
         "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}{\\cf2 blue}\\par}",
         {"{\\colortbl;\\red0\\green0\\blue255;}", "{\\cf1 blue}"},
         {"\\red255"}},
        {"an alignment change after keep-with-next resets the paragraph",
         "{\\rtf1 \\keepn a\\par\\pard\\qc b\\par}",
         {"\\pard\\qc"},
         {"\\keepnoff"}},
        {"a table row and its cells",
         "{\\rtf1 \\trowd\\trleft10\\cellx2000\\cellx4000\\intbl A\\cell B\\cell\\row after\\par}",
         {"\\trowd", "\\trleft10", "\\cellx2000", "\\cellx4000", "A\\cell", "B\\cell", "\\row"},
         {}},
        {"a section break carries the properties of the section that follows",
         "{\\rtf1 one\\sect\\sectd\\sbknone\\cols2 two\\par}",
         {"\\sect\\sectd", "\\cols2", "\\sbknone"},
         {}},
        {"a style sheet ends with the three character styles numbered after the paragraph styles",
         std::string("{\\rtf1") + StyleSheet + "\\s1 Title\\par}",
         {"{\\*\\cs2\\additive Default Paragraph Font;}", "{\\*\\cs3\\additive\\sbasedon2", "Footnote Reference;}",
          "{\\*\\cs4\\additive\\sbasedon2", "Endnote Reference;}"},
         {}},
        {"a footnote read follows its reference's own mark, written as a group, an endnote with ftnalt",
         "{\\rtf1 A*{\\footnote note one}B+{\\footnote\\ftnalt note two}\\par}",
         {"{\\cs1 *}{\\footnote", "note one", "{\\cs2 +}{\\footnote\\ftnalt", "note two"},
         {}},
        {"an automatically numbered note writes its number as chftn",
         "{\\rtf1 A{\\chftn}{\\footnote {\\chftn} n}\\par}",
         {"\\chftn{\\footnote", "\\chftn  n"},
         {}},
        {"an index entry read is written as an empty XE field",
         "{\\rtf1 A{\\xe\\bxe Main:Sub}B\\par}",
         {"{\\*\\fldinst{", "XE \"Main:Sub\" \\\\b }}{\\fldrslt{"},
         {"{\\xe"}},
        {"built-in style names are written in lower case",
         std::string("{\\rtf1") + StyleSheet + "\\s1 Title\\par}",
         {" heading 1;}"},
         {"Heading 1;"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<TDoc> doc = Read(c.Input);
        const std::string rtf = ToMemory(*doc);
        for (const std::string& s : c.Present)
            EXPECT_NE(rtf.find(s), std::string::npos) << s << "\nin\n" << Visible(rtf);
        for (const std::string& s : c.Absent)
            EXPECT_EQ(rtf.find(s), std::string::npos) << s << "\nin\n" << Visible(rtf);
    }
}

TEST_F(RtfWriterTest, FrameAndModes) {
    std::unique_ptr<TDoc> doc = Read("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset0 Arial;}}caf\\'e9\\par}");
    const std::string escaped = ToMemory(*doc);
    EXPECT_EQ(escaped.rfind("{\\rtf1\\ansi\\deflang", 0), 0u);
    EXPECT_EQ(escaped.back(), '}');
    EXPECT_NE(escaped.find("{\\*\\generator Rezozuri Word Processor 4.1.0.0;}"), std::string::npos);
    // Memory blocks (the clipboard) escape bytes above 127; files take them
    // raw and end paragraphs with a backslash and a carriage return.
    EXPECT_NE(escaped.find("caf\\'e9"), std::string::npos);
    const std::string raw = ToFile(*doc);
    EXPECT_NE(raw.find("caf\xe9"), std::string::npos);
    RtfSaveSettings().Supercompact = false;
    const std::string plain = ToFile(*doc);
    RtfSaveSettings().Supercompact = true;
    EXPECT_NE(plain.find("caf\\'e9"), std::string::npos);
    // A document that uses a double-byte font is never written raw,
    // whatever the option says: its paragraphs end in "par".
    std::unique_ptr<TDoc> japanese =
        Read("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset128 MS Mincho;}}\\f0 \\'82\\'a0\\par x\\par}");
    const std::string escapedFile = ToFile(*japanese);
    EXPECT_NE(escapedFile.find("\\par\r\n"), std::string::npos) << Visible(escapedFile);
    EXPECT_EQ(raw.find("\\par\r"), std::string::npos) << Visible(raw);
}

TEST_F(RtfWriterTest, StyleHotKey) {
    std::unique_ptr<TDoc> doc = Read(std::string("{\\rtf1") + StyleSheet + "\\s1 Title\\par}");
    // Ctrl+Shift+F5: the key code in the low word, the modifiers above.
    doc->Styles->Style(1)->HotKey = 116 | (5u << 16);
    const std::string rtf = ToMemory(*doc);
    EXPECT_NE(rtf.find("{\\*\\keycode \\shift\\ctrl\\fn5}"), std::string::npos) << rtf;
}

// Replaces the first paragraph's text by elements built by hand: text
// runs, and controls given as {code, value}.
struct TElement {
    std::string Text;
    std::uint8_t Code = 0;
    std::int32_t Value = 0;
};

void BuildParagraph(TDoc& doc, const std::vector<TElement>& elements) {
    TPar& par = *doc.Par(0);
    par.Stream.Clear();
    par.Chars.Clear();
    for (const TElement& e : elements) {
        if (!e.Text.empty()) {
            par.Stream.AppendString(e.Text);
            par.Chars.AppendString(e.Text);
            continue;
        }
        AppendFormatControl(par.Stream, e.Code, e.Value);
        if (ControlTakesPosition(e.Code))
            par.Chars.AppendByte(ControlCharCode(e.Code, e.Value));
    }
    par.Changed();
}

TEST_F(RtfWriterTest, HandBuiltSpecialCharactersAndFields) {
    std::unique_ptr<TDoc> doc = Read("{\\rtf1 x\\par}");
    auto* field = new TField;
    field->Kind = fkCode;
    field->Instruction = u"PAGE";
    doc->Fields.Add(field);
    const auto handle = static_cast<std::int32_t>(ObjectHandle(field));
    auto* bookmark = new TField;
    bookmark->Kind = fkBookmark;
    bookmark->Instruction = u"mark";
    doc->Fields.Add(bookmark);
    const auto mark = static_cast<std::int32_t>(ObjectHandle(bookmark));
    BuildParagraph(*doc, {{"a", 0, 0},
                          {"", fcSpecialChar, chEnSpace},
                          {"b ", 0, 0},
                          {"", fcFieldStart, handle},
                          {"1", 0, 0},
                          {"", fcFieldEnd, handle},
                          {"", fcFieldStart, mark},
                          {" end", 0, 0},
                          {"", fcFieldEnd, mark},
                          {"", fcSpecialChar, chParEnd}});
    const std::string rtf = ToMemory(*doc);
    // An en space is the character and two spaces.
    EXPECT_NE(rtf.find("a\\u8194  b"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("{{\\field{\\*\\fldinst{\\f0  PAGE }}{\\fldrslt{\\f0 1}}}}"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("{\\*\\bkmkstart mark} end{\\*\\bkmkend mark}"), std::string::npos) << rtf;
}

// Appends a paragraph of the given story built from elements (the stories
// must be appended in their order).
TPar* AppendParagraph(TDoc& doc, int story, const std::vector<TElement>& elements) {
    auto* par = new TPar(&doc);
    par->Format = DefaultParFormat;
    doc.Pars.Add(par);
    doc.StoryCounts[story] += 1;
    doc.RenumberPars(0);
    for (const TElement& e : elements) {
        if (!e.Text.empty()) {
            par->Stream.AppendString(e.Text);
            par->Chars.AppendString(e.Text);
            continue;
        }
        AppendFormatControl(par->Stream, e.Code, e.Value);
        if (ControlTakesPosition(e.Code))
            par->Chars.AppendByte(ControlCharCode(e.Code, e.Value));
    }
    par->Changed();
    return par;
}

std::int32_t AddField(TDoc& doc, std::uint8_t kind, TField** out = nullptr) {
    auto* field = new TField;
    field->Kind = kind;
    doc.Fields.Add(field);
    if (out != nullptr)
        *out = field;
    return static_cast<std::int32_t>(ObjectHandle(field));
}

TEST_F(RtfWriterTest, HandBuiltNoteFollowsItsReference) {
    std::unique_ptr<TDoc> doc = Read(std::string("{\\rtf1") + StyleSheet + " x\\par}");
    TField* ref = nullptr;
    TField* body = nullptr;
    const std::int32_t refHandle = AddField(*doc, fkNoteRef, &ref);
    const std::int32_t bodyHandle = AddField(*doc, fkNoteBody, &body);
    ref->Partner = body;
    body->Partner = ref;
    BuildParagraph(*doc, {{"Text", 0, 0},
                          {"", fcFieldStart, refHandle},
                          {"", fcSpecialChar, chNoteRef},
                          {"", fcFieldEnd, refHandle},
                          {" more", 0, 0},
                          {"", fcSpecialChar, chParEnd}});
    AppendParagraph(*doc, stFootnotes,
                    {{"", fcFieldStart, bodyHandle},
                     {"The note.", 0, 0},
                     {"", fcFieldEnd, bodyHandle},
                     {"", fcSpecialChar, chParEnd}});
    const std::string rtf = ToMemory(*doc);
    // Paragraph styles Normal and heading 1: the character styles are 2, 3
    // and 4.
    const std::size_t note = rtf.find("Text\\cs3\\chftn{\\footnote\\pard\\plain");
    ASSERT_NE(note, std::string::npos) << Visible(rtf);
    // The note ends before the rest of the text, which takes the default
    // character style again.
    EXPECT_NE(rtf.find("The note.\r\n}\\cs2  more", note), std::string::npos) << Visible(rtf);
    // The note's own paragraph is written only inside the note.
    EXPECT_EQ(rtf.find("The note.", rtf.find("The note.") + 1), std::string::npos);
}

TEST_F(RtfWriterTest, HandBuiltHeadersAndFooters) {
    struct Case {
        const char* Name;
        bool LeftHeader;
        std::vector<std::string> Present;
        std::vector<std::string> Absent;
    };
    const Case cases[] = {
        {"without left headers one header serves every page",
         false,
         {"{\\header\\pard\\plain", "Head"},
         {"\\headerr", "\\headerl"}},
        {"with a left header both are written",
         true,
         {"{\\headerr\\pard\\plain", "{\\headerl\\pard\\plain", "Left"},
         {"{\\header\\pard"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<TDoc> doc = Read("{\\rtf1 Body\\par}");
        TSection& section = *doc->Sections.At<TSection>(0);
        TField* header = nullptr;
        const std::int32_t h = AddField(*doc, fkHeaderFooter, &header);
        section.HeadersFooters[hfOddHeader] = header;
        AppendParagraph(*doc, stHeadersFooters,
                        {{"", fcFieldStart, h}, {"Head", 0, 0}, {"", fcFieldEnd, h}, {"", fcSpecialChar, chParEnd}});
        if (c.LeftHeader) {
            TField* left = nullptr;
            const std::int32_t l = AddField(*doc, fkHeaderFooter, &left);
            section.HeadersFooters[hfEvenHeader] = left;
            AppendParagraph(
                *doc, stHeadersFooters,
                {{"", fcFieldStart, l}, {"Left", 0, 0}, {"", fcFieldEnd, l}, {"", fcSpecialChar, chParEnd}});
        }
        const std::string rtf = ToMemory(*doc);
        for (const std::string& s : c.Present)
            EXPECT_NE(rtf.find(s), std::string::npos) << s << "\nin\n" << Visible(rtf);
        for (const std::string& s : c.Absent)
            EXPECT_EQ(rtf.find(s), std::string::npos) << s << "\nin\n" << Visible(rtf);
        // The header comes before the body's text.
        EXPECT_LT(rtf.find("Head"), rtf.find("Body"));
    }
}

// The numbering flags of a list level (counting on past shallower
// paragraphs, and arabic numbers throughout) are read where numbering
// reads them and written back from there, so they survive a round trip.
TEST_F(RtfWriterTest, ListLevelNumberingFlagsSurviveARoundTrip) {
    struct Case {
        const char* Name;
        const char* Level1Words;
        bool NoRestart;
        bool Legal;
    };
    const Case cases[] = {
        {"neither", "", false, false},
        {"no restart", "\\levelnorestart1", true, false},
        {"no restart without a value", "\\levelnorestart", true, false},
        {"legal numbering", "\\levellegal1", false, true},
        {"both", "\\levelnorestart1\\levellegal1", true, true},
        {"both switched off", "\\levelnorestart0\\levellegal0", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string rtf = std::string(
                                    "{\\rtf1{\\*\\listtable{\\list{\\listlevel\\levelnfc0\\levelstartat1"
                                    "{\\leveltext \\'02\\'00.;}{\\levelnumbers\\'01;}}"
                                    "{\\listlevel\\levelnfc2\\levelstartat1") +
                                c.Level1Words +
                                "{\\leveltext \\'02\\'01);}{\\levelnumbers\\'01;}}\\listid7}}"
                                "{\\*\\listoverridetable{\\listoverride\\listid7\\listoverridecount0\\ls1}}"
                                "\\pard\\ls1 one\\par}";
        std::unique_ptr<TDoc> doc = Read(rtf);
        ASSERT_EQ(doc->Lists.Count, 1);
        const TListLevel& read = doc->Lists.At<TAutoList>(0)->Levels[1];
        EXPECT_EQ(read.NumberingFlags[0] != 0, c.NoRestart);
        EXPECT_EQ(read.NumberingFlags[1] != 0, c.Legal);
        EXPECT_EQ(doc->Lists.At<TAutoList>(0)->Levels[0].NumberingFlags[0], 0);

        const std::string written = ToMemory(*doc);
        std::unique_ptr<TDoc> again = Read(written);
        ASSERT_EQ(again->Lists.Count, 1) << Visible(written);
        const TListLevel& back = again->Lists.At<TAutoList>(0)->Levels[1];
        EXPECT_EQ(back.NumberingFlags[0] != 0, c.NoRestart) << Visible(written);
        EXPECT_EQ(back.NumberingFlags[1] != 0, c.Legal) << Visible(written);
    }
}

// The page-number word of a header or footer becomes a PAGE field, which
// the writer writes as a field.
TEST_F(RtfWriterTest, PageNumberWordBecomesAPageField) {
    std::unique_ptr<TDoc> doc = Read("{\\rtf1{\\header Page \\chpgn  of the book\\par}Body\\par}");
    TField* page = nullptr;
    for (std::int32_t i = 0; i < doc->Fields.Count; ++i)
        if (doc->Fields.At<TField>(i)->Kind == fkCode)
            page = doc->Fields.At<TField>(i);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Type, ftPageNumber);
    EXPECT_TRUE(page->Instruction == u"PAGE");
    TFragment range;
    ASSERT_TRUE(doc->FieldRange(page, range));
    EXPECT_EQ(doc->StoryOfPar(range.Start.Par), stHeadersFooters);
    EXPECT_TRUE(doc->RangeText(range) == u"?");
    range.Start.Offset = 0;
    range.End.Offset = doc->Par(range.End.Par)->CharCount() - 1;
    EXPECT_TRUE(doc->RangeText(range) == u"Page ? of the book");

    const std::string written = ToMemory(*doc);
    EXPECT_NE(written.find("PAGE"), std::string::npos) << Visible(written);
    EXPECT_NE(written.find("\\field"), std::string::npos) << Visible(written);
}

}  // namespace
