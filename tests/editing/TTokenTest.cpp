#include "editing/search/TToken.h"

#include <gtest/gtest.h>

#include <string>

#include "editing/search/SearchOptions.h"
#include "platform/CodePages.h"

namespace {

bool CompileFind(const std::u16string& text, bool wildcards) {
    std::int32_t position = 1;
    return TToken::Compile(FindPattern, text, position, wildcards, false, 0);
}

bool CompileReplace(const std::u16string& text, bool wildcards) {
    std::int32_t position = 1;
    return TToken::Compile(ReplacePattern, text, position, wildcards, true, 0);
}

class TTokenTest : public ::testing::Test {
protected:
    void SetUp() override {
        SearchOptions = 0;
        FindFormat.Clear();
    }
    void TearDown() override { SearchOptions = 0; }
};

// Every refusal of the Find syntax, with the reason the window shows under
// its first line; an empty reason is a refusal without a detail line.
TEST_F(TTokenTest, FindRefusalsGiveTheirReasons) {
    struct Case {
        const char16_t* Text;
        bool Wildcards;
        const char* Reason;
    };
    const Case cases[] = {
        {u"a^", false, "\"^\" must be followed by a character to form a valid special character."},
        {u"^0", false, "\"^0\" is not allowed."},
        {u"^u", false, "\"^u\" is not allowed."},
        {u"^u5", false, "\"^u5\" is not allowed."},
        {u"^07", false, "\"^07\" is not allowed."},
        {u"^&", false, "\"^&\" is not allowed."},
        {u"^c", true, "\"^c\" is not allowed."},
        {u"^x", false, "\"^x\" is not allowed."},
        {u"a{0}", true, "\"{0}\" is not allowed."},
        {u"a{,3}", true, "\"{,3}\" is not allowed."},
        {u"a{3,2}", true, "\"{3,2}\" is not allowed."},
        {u"a{0,0}", true, "\"{0,0}\" is not allowed."},
        {u"a{2x}", true, "\"{2x}\" is not allowed."},
        {u"a{2", true, "Missing closing bracket \"}\"."},
        {u"a{2,3", true, "Missing closing bracket \"}\"."},
        {u"{2}", true, "\"{\" must be preceded by a character."},
        {u"@", true, "\"@\" must be preceded by a character."},
        {u"a|@", true, "\"|@\" is not allowed."},
        {u"a|{2}", true, "\"|{\" is not allowed."},
        {u"[z-a]", true, "\"[...z-a...\" is not allowed."},
        {u"[]a]", true, "\"[]\" is not allowed."},
        {u"[-a]", true, "\"[-\" is not allowed."},
        {u"[a--b]", true, "\"[...--\" is not allowed."},
        {u"[a-b-c]", true, "\"[...--\" is not allowed."},
        {u"[^t-z]", true, "\"[^...-\" is not allowed."},
        {u"[a^?]", true, "\"[...^?...]\" is not allowed."},
        {u"[a-]", true, "\"...-]\" is not allowed."},
        {u"[ab", true, "Missing closing bracket \"]\"."},
        {u"a[", true, "Missing closing bracket \"]\"."},
        {u"[a\\", true, "\"\\\" must be followed by a character."},
        {u"(a(b))", true, "\"(...(...)...)\" is not allowed."},
        {u"(a", true, "Missing closing bracket \")\"."},
        {u"a)", true, "Closing bracket \")\" with no opening bracket."},
        {u"a]", true, "Closing bracket \"]\" with no opening bracket."},
        {u"a}", true, "Closing bracket \"}\" with no opening bracket."},
        {u"(a|b)", true, "\"(...|...)\" is not allowed."},
        {u"a||b", true, "\"||\" is not allowed."},
        {u"a|b|c|d", true, "\"...|...|...|...\" is not allowed."},
        {u"a><b", true, "\"><\" is not allowed."},
        {u"<<<<a", true, "\"<<<<\" is not allowed."},
        {u"<>a", true, "\"<>\" is not allowed."},
        {u"a>>", true, "\"<>\" is not allowed."},
        {u"a\\", true, "\"\\\" must be followed by a character."},
        {u"(a)\\2", true, "\"\\2\" is not a valid group number."},
        {u"a\\0", true, "\"\\0\" is not a valid group number."},
        // Refusals without a detail line.
        {u"<", true, ""},
        {u"<>", true, "\"<>\" is not allowed."},
        {u"a\x01", false, ""},
        {u"(*)@", true, ""},
        {u"(*){2}", true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Platform::Utf16ToUtf8(c.Text));
        PatternError = "stale";
        EXPECT_FALSE(CompileFind(c.Text, c.Wildcards));
        EXPECT_EQ(PatternError, c.Reason);
    }
}

TEST_F(TTokenTest, ReplaceRefusalsCheckTheFindGroups) {
    struct Case {
        const char16_t* Find;
        const char16_t* Replace;
        bool Ok;
        const char* Reason;
    };
    const Case cases[] = {
        {u"(a)|(b)", u"\\1", false, "\"\\1\" is not allowed."},
        {u"(a)|(b)", u"\\2", true, ""},
        {u"(a)|(b)|(c)", u"\\3", false, "\"\\3\" is not allowed."},
        {u"(a)", u"\\2", false, "\"\\2\" is not a valid group number."},
        {u"(a)", u"^&x\\1", false, "\"^&...\\n\" is not allowed."},
        {u"(a)", u"^?", false, "\"^?\" is not allowed."},
        {u"(a)", u"^1", false, "\"^1\" is not allowed."},
        {u"(a)", u"^2", false, "\"^2\" is not allowed."},
        {u"(a)", u"(x)*[y]", true, ""},
        {u"(a)", u"", true, ""},
        {u"(a)", u"^&^c^p", true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Platform::Utf16ToUtf8(std::u16string(c.Find) + u" -> " + c.Replace));
        ASSERT_TRUE(CompileFind(c.Find, true));
        EXPECT_EQ(CompileReplace(c.Replace, true), c.Ok);
        EXPECT_EQ(PatternError, c.Reason);
    }
}

TEST_F(TTokenTest, ReplaceSyntaxKeepsOperatorsLiteral) {
    ASSERT_TRUE(CompileFind(u"(a)(b)", true));
    ASSERT_TRUE(CompileReplace(u"(x)*\\2^&", true) == false);  // "^&" with "\2"
    ASSERT_TRUE(CompileReplace(u"(x)*\\2", true));
    ASSERT_EQ(ReplacePattern.Children.size(), 5u);
    EXPECT_EQ(ReplacePattern.Children[0]->Code, u'(');
    EXPECT_EQ(ReplacePattern.Children[3]->Code, u'*');
    EXPECT_EQ(ReplacePattern.Children[4]->Kind, tkGroupRef);
    EXPECT_EQ(ReplacePattern.Children[4]->GroupIndex, 1);
    // Without wildcards "\" is literal too.
    ASSERT_TRUE(CompileReplace(u"\\1", false));
    ASSERT_EQ(ReplacePattern.Children.size(), 2u);
    EXPECT_EQ(ReplacePattern.Children[0]->Code, u'\\');
    // "^&" becomes a reference to the whole found text.
    ASSERT_TRUE(CompileReplace(u"^&", false));
    EXPECT_EQ(ReplacePattern.Children[0]->Kind, tkGroupRef);
    EXPECT_EQ(ReplacePattern.Children[0]->GroupIndex, WholeFoundText);
}

// What the accepted constructs compile to.
TEST_F(TTokenTest, CompiledNodes) {
    // A plain text keeps the operators as characters; "^?" still means any
    // character and "^^" a caret.
    ASSERT_TRUE(CompileFind(u"a*b^?^^", false));
    ASSERT_EQ(FindPattern.Children.size(), 5u);
    EXPECT_EQ(FindPattern.Children[1]->Code, u'*');
    EXPECT_EQ(FindPattern.Children[3]->Code, pcAnyChar);
    EXPECT_EQ(FindPattern.Children[4]->Code, pcCaret);
    EXPECT_EQ(FindPattern.Children[4]->Escaped, 1);

    // Numeric codes.
    struct Case {
        const char16_t* Text;
        std::uint16_t Code;
    };
    const Case codes[] = {
        {u"^013", pcParEnd},   {u"^u13", pcParEnd}, {u"^9", pcTab},          {u"^11", pcLineBreak},
        {u"^1", pcPicture},    {u"^2", pcNoteRef},  {u"^u8212", pcLongDash}, {u"^65", u'A'},
        {u"^0128", u'\u20AC'}, {u"^u256", 256},     {u"\u00A0", pcNbSpace},  {u"\t", pcTab},
    };
    for (const Case& c : codes) {
        SCOPED_TRACE(Platform::Utf16ToUtf8(c.Text));
        ASSERT_TRUE(CompileFind(c.Text, false));
        ASSERT_EQ(FindPattern.Children.size(), 1u);
        EXPECT_EQ(FindPattern.Children[0]->Code, c.Code);
    }

    // Repeats: braces make a node greedy, "@" and "*" lazy; an unbounded
    // any-character run in braces stays lazy.
    ASSERT_TRUE(CompileFind(u"a{2 , 4}b@?{1,}^w{2}", true));
    ASSERT_EQ(FindPattern.Children.size(), 4u);
    EXPECT_EQ(FindPattern.Children[0]->Minimum, 2);
    EXPECT_EQ(FindPattern.Children[0]->Maximum, 4);
    EXPECT_EQ(FindPattern.Children[0]->Greedy, 1);
    EXPECT_EQ(FindPattern.Children[1]->Maximum, UnboundedRepeat);
    EXPECT_EQ(FindPattern.Children[1]->Greedy, 0);
    EXPECT_EQ(FindPattern.Children[2]->Greedy, 0);
    EXPECT_EQ(FindPattern.Children[3]->Kind, tkSet);
    EXPECT_EQ(FindPattern.Children[3]->SetRanges.size(), 6u);
    EXPECT_EQ(FindPattern.Children[3]->Minimum, 2);
    EXPECT_EQ(FindPattern.Children[3]->Maximum, 2);
    EXPECT_EQ(FindPattern.Children[3]->Greedy, 1);

    // Anchors: "<<" is a paragraph start, a third "<" a new word start.
    ASSERT_TRUE(CompileFind(u"<<<a>", true));
    ASSERT_EQ(FindPattern.Children.size(), 4u);
    EXPECT_EQ(FindPattern.Children[0]->Kind, tkParStart);
    EXPECT_EQ(FindPattern.Children[1]->Kind, tkWordStart);
    EXPECT_EQ(FindPattern.Children[3]->Kind, tkWordEnd);

    // Sets: a-z brings the ligatures; "\]" is a member.
    ASSERT_TRUE(CompileFind(u"[a-z][\\]][!^#]", true));
    EXPECT_EQ(FindPattern.Children[0]->SetRanges.size(), 3u);
    EXPECT_EQ(FindPattern.Children[1]->SetRanges[0], static_cast<std::uint32_t>(u']') * 0x10001u);
    EXPECT_EQ(FindPattern.Children[2]->Kind, tkNegatedSet);

    // Context bars.
    ASSERT_TRUE(CompileFind(u"a|b|c", true));
    EXPECT_EQ(FindPattern.FirstBar, 1);
    EXPECT_EQ(FindPattern.SecondBar, 2);

    // "^-" stops the stepping over optional hyphens.
    ASSERT_TRUE(CompileFind(u"ab", false));
    EXPECT_TRUE(IgnoreSoftHyphens);
    ASSERT_TRUE(CompileFind(u"a^-b", false));
    EXPECT_FALSE(IgnoreSoftHyphens);
}

TEST_F(TTokenTest, WholeWordsAddAnchorsAroundWordCharacters) {
    SearchOptions = soWholeWords;
    struct Case {
        const char16_t* Text;
        bool Start;
        bool End;
    };
    const Case cases[] = {{u"to", true, true}, {u"-x", false, true}, {u"x-", true, false}, {u"^?", true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(Platform::Utf16ToUtf8(c.Text));
        ASSERT_TRUE(CompileFind(c.Text, false));
        EXPECT_EQ(FindPattern.Children.front()->Kind == tkWordStart, c.Start);
        EXPECT_EQ(FindPattern.Children.back()->Kind == tkWordEnd, c.End);
    }
    // Wildcards switch the option off.
    ASSERT_TRUE(CompileFind(u"to", true));
    EXPECT_EQ(FindPattern.Children.size(), 2u);
}

TEST_F(TTokenTest, EmptyFindTextSearchesTheFormat) {
    ASSERT_TRUE(CompileFind(u"", false));
    EXPECT_TRUE(FormatOnlySearch);
    ASSERT_EQ(FindPattern.Children.size(), 1u);
    EXPECT_EQ(FindPattern.Children[0]->Code, pcAnyChar);
    EXPECT_EQ(FindPattern.Children[0]->Greedy, 1);
    // A paragraph criterion searches one paragraph at a time.
    SetParProp(FindFormat.ParFormat, ppAlignment, 1);
    ASSERT_TRUE(CompileFind(u"", false));
    ASSERT_EQ(FindPattern.Children.size(), 2u);
    EXPECT_EQ(FindPattern.Children[0]->Kind, tkNegatedSet);
    EXPECT_EQ(FindPattern.Children[1]->Maximum, 1);
}

}  // namespace
