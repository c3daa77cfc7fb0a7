#include "model/fields/FieldInstructions.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/text/TWideStringList.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"

namespace {

std::vector<std::u16string> Tokens(std::u16string_view instruction) {
    std::vector<std::u16string> out;
    const auto list = TokenizeFieldCode(instruction);
    for (std::int32_t i = 0; i < list->Count; ++i)
        out.push_back(list->GetString(i));
    return out;
}

TEST(FieldInstructionsTest, TokenizerSplitsQuotesEscapesAndGluedWords) {
    struct Case {
        const char* name;
        std::u16string instruction;
        std::vector<std::u16string> tokens;
    };
    const Case cases[] = {
        {"quoted target with blanks",
         uR"(HYPERLINK "My Documents/a b.htm" \l "top part")",
         {u"My Documents/a b.htm", u"\\l", u"top part"}},
        {"keyword only", u"PAGE", {}},
        {"blanks around and between", u"  PAGE   \\* roman  ", {u"\\*", u"roman"}},
        {"empty quotes vanish", uR"(REF "" x)", {u"x"}},
        {"escaped quote and backslash", uR"(SET "say \"hi\"" "C:\\dir")", {u"say \"hi\"", u"C:\\dir"}},
        // An argument that ends in a backslash keeps its closing quote.
        {"trailing backslash", uR"(HYPERLINK "C:\\Docs\\" \o "tip")", {u"C:\\Docs\\", u"\\o", u"tip"}},
        {"quoted word glued to text", uR"(XE "entry"more)", {u"entry", u"more"}},
        {"blank inside quotes only", uR"(DATE \@ "dd MMMM yyyy")", {u"\\@", u"dd MMMM yyyy"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Tokens(c.instruction), c.tokens);
    }
}

TEST(FieldInstructionsTest, EscapeFieldArgEscapesQuotesAndBackslashes) {
    EXPECT_EQ(EscapeFieldArg(uR"(a"b\c)"), uR"(a\"b\\c)");
    EXPECT_EQ(EscapeFieldArg(u"plain"), u"plain");
}

struct HyperlinkCase {
    const char* name;
    std::u16string instruction;
    std::u16string target, bookmark, tooltip;
};

TEST(FieldInstructionsTest, HyperlinkParsesAndBuildsBackToTheSameText) {
    const HyperlinkCase cases[] = {
        {"target", uR"(HYPERLINK "http://example.com/a b")", u"http://example.com/a b", u"", u""},
        {"target and bookmark", uR"(HYPERLINK "doc.rtf" \l "Part 2")", u"doc.rtf", u"Part 2", u""},
        {"bookmark only", uR"(HYPERLINK \l "top")", u"", u"top", u""},
        {"with tooltip", uR"(HYPERLINK "x.htm" \o "Read \"this\"")", u"x.htm", u"", u"Read \"this\""},
        {"mailto kept", uR"(HYPERLINK "mailto:me@example.com")", u"mailto:me@example.com", u"", u""},
        {"folder path", uR"(HYPERLINK "C:\\My Files\\")", u"C:\\My Files\\", u"", u""},
        {"network path", uR"(HYPERLINK "\\\\server\\share")", u"\\\\server\\share", u"", u""},
    };
    for (const HyperlinkCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::u16string target, bookmark, tooltip;
        ParseHyperlinkCode(c.instruction, target, bookmark, &tooltip);
        EXPECT_EQ(target, c.target);
        EXPECT_EQ(bookmark, c.bookmark);
        EXPECT_EQ(tooltip, c.tooltip);
        EXPECT_EQ(BuildHyperlinkCode(target, bookmark, tooltip), c.instruction);
    }
}

TEST(FieldInstructionsTest, HyperlinkSpecialForms) {
    std::u16string target, bookmark;
    // A target that is a place in the same document becomes a bookmark.
    ParseHyperlinkCode(uR"(HYPERLINK "#Chapter 3")", target, bookmark, nullptr);
    EXPECT_EQ(target, u"");
    EXPECT_EQ(bookmark, u"Chapter 3");
    // With a bookmark of its own, "#" is part of the target.
    ParseHyperlinkCode(uR"(HYPERLINK "#a" \l "b")", target, bookmark, nullptr);
    EXPECT_EQ(target, u"#a");
    EXPECT_EQ(bookmark, u"b");
    // The tooltip argument is passed over when no tooltip is asked for,
    // and unknown switches are ignored.
    ParseHyperlinkCode(uR"(HYPERLINK \o "tip" \m "x.htm")", target, bookmark, nullptr);
    EXPECT_EQ(target, u"x.htm");
    // A switch without its argument takes nothing.
    ParseHyperlinkCode(uR"(HYPERLINK "x.htm" \l)", target, bookmark, nullptr);
    EXPECT_EQ(bookmark, u"");

    EXPECT_EQ(BuildHyperlinkCode(u"me@example.com", u"", u""), uR"(HYPERLINK "mailto:me@example.com")");
    EXPECT_EQ(BuildHyperlinkCode(u"MAILTO:me@example.com", u"", u""), uR"(HYPERLINK "MAILTO:me@example.com")");
    EXPECT_EQ(BuildHyperlinkCode(u"http://a.com/@me", u"", u""), uR"(HYPERLINK "http://a.com/@me")");
}

TEST(FieldInstructionsTest, TocOptions) {
    TTocOptions o = ParseTocCode(uR"(TOC \o "1-5" \h \z)");
    EXPECT_EQ(o.Levels, 5);
    EXPECT_EQ(o.ShowPageNumbers, 1);
    EXPECT_EQ(o.RightAlign, 0);

    EXPECT_EQ(ParseTocCode(uR"(TOC \o "2-4")").Levels, 3);  // not a range from level 1
    EXPECT_EQ(ParseTocCode(uR"(TOC \o "1-X")").Levels, 9);  // clamped
    o = ParseTocCode(uR"(TOC \n \e "…" \p "-" \r4)");
    EXPECT_EQ(o.ShowPageNumbers, 0);
    EXPECT_EQ(o.Separator, u"…");
    EXPECT_EQ(o.RightAlign, 1);
    EXPECT_EQ(o.RightAlignLevel, 3);

    auto options = [](std::uint8_t pages, std::int32_t levels, std::u16string separator, std::uint8_t right,
                      std::int32_t rightLevel) {
        TTocOptions o;
        o.ShowPageNumbers = pages;
        o.Levels = levels;
        o.Separator = std::move(separator);
        o.RightAlign = right;
        o.RightAlignLevel = rightLevel;
        return o;
    };
    struct Case {
        const char* name;
        TTocOptions options;
        std::u16string instruction;
    };
    const Case cases[] = {
        {"defaults", TTocOptions(), uR"(TOC \h \o "1-3" \p " ")"},
        {"right-aligned from level 2", options(1, 4, u"", 1, 1), uR"(TOC \h \o "1-4" \r2)"},
        {"no page numbers, separator", options(0, 9, u"\"", 0, 0), uR"(TOC \h \o "1-9" \n \e "\"")"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(BuildTocCode(c.options), c.instruction);
        const TTocOptions back = ParseTocCode(c.instruction);
        EXPECT_EQ(back.ShowPageNumbers, c.options.ShowPageNumbers);
        EXPECT_EQ(back.Levels, c.options.Levels);
        EXPECT_EQ(back.Separator, c.options.Separator);
        EXPECT_EQ(back.RightAlign, c.options.RightAlign);
        EXPECT_EQ(back.RightAlignLevel, c.options.RightAlignLevel);
    }
}

TEST(FieldInstructionsTest, IndexEntryOptions) {
    TXEOptions o;
    ParseXECode(uR"(XE "mammals:bears " \t "See bears" \b \i \r "Mark  ")", o);
    EXPECT_EQ(o.EntryText, u"mammals:bears");
    EXPECT_EQ(o.CrossReference, u"See bears");
    EXPECT_EQ(o.Bookmark, "Mark");
    EXPECT_EQ(o.Bold, 1);
    EXPECT_EQ(o.Italic, 1);

    // The reading after \y sorts Japanese entries; it is not the entry.
    TXEOptions y;
    ParseXECode(uR"(XE "Tokyo" \y "toukyou")", y);
    EXPECT_EQ(y.EntryText, u"Tokyo");
    // The last plain token wins.
    TXEOptions last;
    ParseXECode(uR"(XE "a" "b")", last);
    EXPECT_EQ(last.EntryText, u"b");
}

TEST(FieldInstructionsTest, IndexOptions) {
    TIndexOptions o = ParseIndexCode(u"INDEX \\c \"7\" \\e \"\t\" \\h \"A\" \\r \\z \"1036\" \\y3");
    EXPECT_EQ(o.Columns, 4);
    EXPECT_EQ(o.RightAlignedPages, 1);
    EXPECT_EQ(o.LetterHeadings, 1);
    EXPECT_EQ(o.RunIn, 1);
    EXPECT_EQ(o.Language, 1036);
    EXPECT_EQ(o.TabLeader, 2);

    o = ParseIndexCode(uR"(INDEX \e ", " \c "x")");
    EXPECT_EQ(o.Columns, 0);
    EXPECT_EQ(o.RightAlignedPages, 0);
    EXPECT_EQ(o.TabLeader, 1);
    EXPECT_NE(o.Language, 0);  // the user's language
}

TEST(FieldInstructionsTest, SymbolCode) {
    struct Case {
        const char* name;
        std::u16string instruction;
        std::int32_t code;
        std::string font;
    };
    const Case cases[] = {
        {"code and font", uR"(SYMBOL 183 \f "Symbol")", 183, "Symbol"},
        {"wide code", uR"(SYMBOL 61623 \f "Wingdings" \u)", 61623, "Wingdings"},
        {"no blank", u"SYMBOL", 63, ""},
        {"no digits", uR"(SYMBOL \f "Symbol")", 63, "Symbol"},
        {"unquoted font", uR"(SYMBOL 65 \f Symbol \s 12)", 65, "Symbol"},
        {"code beyond 32 bits", u"SYMBOL 99999999999", 63, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string font;
        EXPECT_EQ(ParseSymbolCode(c.instruction, font), c.code);
        EXPECT_EQ(font, c.font);
    }
    EXPECT_EQ(BuildSymbolCode(183, "Symbol"), uR"(SYMBOL 183 \f "Symbol")");
    EXPECT_EQ(BuildSymbolCode(8364, "Arial"), uR"(SYMBOL 8364 \f "Arial" \u)");
    std::string font;
    EXPECT_EQ(ParseSymbolCode(BuildSymbolCode(8364, "Arial"), font), 8364);
    EXPECT_EQ(font, "Arial");
}

TEST(FieldInstructionsTest, StyleReferenceFindsStylesByNameDisplayNameOrFrenchName) {
    TStyleList sheet(nullptr);
    auto add = [&](const char* name, const char* display) {
        auto* s = new TStyle(&sheet);
        s->Name = name;
        s->DisplayName = display;
        sheet.AddStyle(s);
    };
    add("Normal", "Normal");
    add("Heading 1", "Heading 1");
    add("Quote", "Citation");

    struct Case {
        const char* name;
        std::u16string instruction;
        std::int32_t index;
        std::string styleName;
        bool last, number;
    };
    const Case cases[] = {
        {"by name, cut at the comma", uR"(STYLEREF "heading 1,h1" \l)", 1, "Heading 1", true, false},
        {"by display name", uR"(STYLEREF Citation \n)", 2, "Quote", false, true},
        {"French built-in name", uR"(STYLEREF "Titre 1" \* MERGEFORMAT)", 1, "Heading 1", false, false},
        {"missing", uR"(STYLEREF "Nowhere")", -1, "Nowhere", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::int32_t index = 99;
        bool number = false;
        std::string name;
        EXPECT_EQ(ParseStyleRefCode(sheet, c.instruction, index, number, name), c.last);
        EXPECT_EQ(index, c.index);
        EXPECT_EQ(number, c.number);
        EXPECT_EQ(name, c.styleName);
    }
}

TEST(FieldInstructionsTest, PageAndNoteReferences) {
    bool h = false, p = false;
    std::u16string bookmark;
    ParsePageRefCode(uR"(PAGEREF _Toc12 \h \p)", &h, &p, bookmark);
    EXPECT_TRUE(h);
    EXPECT_TRUE(p);
    EXPECT_EQ(bookmark, u"_Toc12");
    ParsePageRefCode(uR"(PAGEREF "A" "B")", nullptr, nullptr, bookmark);
    EXPECT_EQ(bookmark, u"A");

    bool f = false;
    ParseNoteRefCode(uR"(NOTEREF _Ref3 \f)", &h, &f, bookmark);
    EXPECT_FALSE(h);
    EXPECT_TRUE(f);
    EXPECT_EQ(bookmark, u"_Ref3");
}

TEST(FieldInstructionsTest, DatePicturesAndNumberSwitches) {
    EXPECT_EQ(DatePictureOf(uR"(DATE \@ "d/M/yy" \@ "dddd, MMMM d" \* Upper)"), u"dddd, MMMM d");
    EXPECT_EQ(DatePictureOf(uR"(DATE \@)"), u"");
    EXPECT_EQ(DatePictureOf(u"TIME"), u"");

    struct Case {
        std::u16string instruction;
        std::int32_t def, style;
    };
    const Case cases[] = {
        {uR"(PAGE \* alphabetic)", 0, 1}, {uR"(PAGE \* ALPHABETIC)", 0, 2}, {uR"(PAGE \* roman)", 0, 3},
        {uR"(PAGE \* ROMAN)", 0, 4},      {uR"(PAGE \* Arabic)", 2, 2},     {u"PAGE", 255, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.instruction.begin(), c.instruction.end()));
        EXPECT_EQ(NumberStyleOfInstruction(c.instruction, c.def), c.style);
    }
}

}  // namespace
