#include "editing/search/PatternMatcher.h"

#include <gtest/gtest.h>

#include <string>

#include "SearchDoc.h"
#include "TableDoc.h"
#include "editing/search/SearchOptions.h"
#include "editing/search/TToken.h"
#include "model/formats/TCharFormat.h"
#include "model/formats/TParFormat.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "platform/CodePages.h"

namespace {

std::string Join(const std::vector<std::string>& parts) {
    std::string s;
    for (std::size_t i = 0; i < parts.size(); ++i)
        s += (i > 0 ? "|" : "") + parts[i];
    return s;
}

class PatternMatcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        SearchOptions = 0;
        FindFormat.Clear();
    }
    void TearDown() override {
        SearchOptions = 0;
        FindFormat.Clear();
    }
};

// Found parts of a pattern over a text, every search going on from the end
// of the one before. Text is code page 1252: "\x96" an en dash, "\x97" an em
// dash, "\x93" and "\x94" curly double quotes, "\xE9" e acute.
TEST_F(PatternMatcherTest, FoundParts) {
    constexpr std::uint8_t W = soWildcards;
    constexpr std::uint8_t X = soExactMatch;
    struct Case {
        const char* Text;
        const char16_t* Pattern;
        std::uint8_t Options;
        const char* Found;
    };
    const Case cases[] = {
        // Case, accents and the equivalence classes, without exact matching.
        {"Caf\xE9 cafe CAFE", u"cafe", 0, "Caf\xE9|cafe|CAFE"},
        {"Caf\xE9 cafe CAFE", u"cafe", X, "cafe"},
        {"a\x96\x97z a--z", u"--", 0, "\x96\x97|--"},
        {"a\x96\x97z a--z", u"--", X, "--"},
        {"say \x93hi\x94 and \xABho\xBB", u"\"", 0, "\x93|\x94|\xAB|\xBB"},
        {"say \x93hi\x94", u"\"", X, ""},
        {"it's it\x92s", u"it's", 0, "it's|it\x92s"},
        // "^" characters compare exactly even without exact matching.
        {"Ab ab", u"^65b", 0, "Ab"},
        // Plain text keeps operators literal.
        {"a*b axb", u"a*b", 0, "a*b"},
        {"a*b axb", u"a^?b", 0, "a*b|axb"},
        // Wildcards.
        {"a*b axb", u"a?b", W, "a*b|axb"},
        {"the other then", u"<the>", W, "the"},
        {"Chapter one\rin Chapter two\rChapter three", u"<<Chapter", W, "Chapter|Chapter"},
        {"abab abAB abba", u"(ab)\\1", W, "abab|abAB"},
        {"abab abAB abba", u"(ab)\\1", W | X, "abab"},
        {"the end, no end, the end", u"the |end", W, "end|end"},
        {"x1y x22y x333y", u"x[0-9]{2,3}y", W, "x22y|x333y"},
        {"x1y x22y x333y", u"x^#@y", W, "x1y|x22y|x333y"},
        {"a1 b2 C3", u"[!a-b]^#", W, "C3"},
        {"words  and\tmore", u"^w", 0, "  |\t"},
        {"aaa", u"a{2}", W, "aa"},
        {"abcabc", u"a*c", W, "abc|abc"},
        {"Abc aBC", u"^U", W, "A|B|C"},
        {"Abc aBC", u"^L", W, "b|c|a"},
        // A leading "*" takes at most one character where the attempt starts.
        {"xxab", u"*b", W, "ab"},
        // Whole words.
        {"to today to", u"to", soWholeWords, "to|to"},
        {"a-x b-xy", u"-x", soWholeWords, "-x"},
        // Paragraph ends are found and crossed.
        {"one\rtwo", u"e^pt", 0, "e\rt"},
        // Optional hyphens in the text are stepped over, and never selected
        // at the ends of a found part.
        {"compu\xADter", u"computer", 0, "compu\xADter"},
        {"compu\xADter", u"compu^-ter", 0, "compu\xADter"},
        {"compu\xADter computer", u"compu^-ter", 0, "compu\xADter"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Text) + " / " + Platform::Utf16ToUtf8(c.Pattern));
        TSearchDoc doc(c.Text);
        ASSERT_TRUE(TSearchDoc::Compile(c.Pattern, c.Options)) << PatternError;
        EXPECT_EQ(Join(doc.FindAll()), c.Found);
    }
}

TEST_F(PatternMatcherTest, BackwardSearchNeverReachesItsStart) {
    TSearchDoc doc("ab ab ab");
    ASSERT_TRUE(TSearchDoc::Compile(u"ab", soBackward));
    EXPECT_EQ(Join(doc.FindAll()), "ab|ab|ab");
    // From inside the second "ab", with it as the limit: only the first.
    TSearchResult result;
    SearchFrom(doc.Doc(), doc.State, TTextPos{0, 3, 0, 0}, result, 0, TTextPos{0, 4, 0, 0});
    ASSERT_TRUE(result.Found);
    EXPECT_EQ(result.FoundStart.Offset, 0);
}

TEST_F(PatternMatcherTest, ScopeLimitsTheSearch) {
    TSearchDoc doc("ab ab ab");
    ASSERT_TRUE(TSearchDoc::Compile(u"ab", 0));
    doc.State.ScopeKind = 1;
    TFragment range;
    MakeFragment(0, 2, 0, 6, range);
    doc.State.Scope = {range};
    EXPECT_EQ(doc.FindAll().size(), 1u);
}

// Nested repetitions over a long run of what almost matches need a number
// of steps exponential in the run; the search gives up as too complex
// instead of hanging.
TEST_F(PatternMatcherTest, NestedRepetitionsGiveUpAsTooComplex) {
    TSearchDoc doc(std::string(60, 'a') + "c");
    ASSERT_TRUE(TSearchDoc::Compile(u"(a@a@)@b", soWildcards));
    TSearchResult result;
    SearchFrom(doc.Doc(), doc.State, TTextPos{}, result, 0, TTextPos{});
    EXPECT_FALSE(result.Found);
    EXPECT_TRUE(result.TooComplex);
    // The same pattern where it matches is found at once.
    TSearchDoc easy("aab");
    ASSERT_TRUE(TSearchDoc::Compile(u"(a@a@)@b", soWildcards));
    EXPECT_EQ(Join(easy.FindAll()), "aab");
}

// A long unbounded run repeats in a loop, not by recursion: a paragraph of
// 200,000 characters does not exhaust the stack.
TEST_F(PatternMatcherTest, LongRunsCostNoStack) {
    TSearchDoc doc(std::string(200000, 'x') + "y");
    ASSERT_TRUE(TSearchDoc::Compile(u"x{1,}y", soWildcards));
    TSearchResult result;
    SearchFrom(doc.Doc(), doc.State, TTextPos{}, result, 0, TTextPos{});
    ASSERT_TRUE(result.Found);
    EXPECT_EQ(result.FoundEnd.Offset, 200001);
}

class TCountingCancel : public TSearchCancelHost {
public:
    void PollSearchCancel() override { ++Polls; }
    bool CancelRequested() override { return Polls > 0; }
    int Polls = 0;
};

TEST_F(PatternMatcherTest, EscCancelsThroughTheHost) {
    TCountingCancel host;
    TSearchCancelHost* previous = SetSearchCancelHost(&host);
    LastCancelPoll = -CancelPollInterval;
    TSearchDoc doc(std::string(30, 'a') + "c");
    ASSERT_TRUE(TSearchDoc::Compile(u"(a@a@)@b", soWildcards));
    TSearchResult result;
    SearchFrom(doc.Doc(), doc.State, TTextPos{}, result, 0, TTextPos{});
    EXPECT_FALSE(result.Found);
    EXPECT_TRUE(result.Cancelled);
    EXPECT_EQ(host.Polls, 1);

    // A plain search passes most positions without an attempt; it polls
    // between paragraphs.
    TCountingCancel plainHost;
    SetSearchCancelHost(&plainHost);
    LastCancelPoll = -CancelPollInterval;
    TSearchDoc paragraphs("one\rtwo\rthree\rfour");
    ASSERT_TRUE(TSearchDoc::Compile(u"four", 0));
    SearchFrom(paragraphs.Doc(), paragraphs.State, TTextPos{}, result, 0, TTextPos{});
    SetSearchCancelHost(previous);
    EXPECT_FALSE(result.Found);
    EXPECT_TRUE(result.Cancelled);
    EXPECT_EQ(plainHost.Polls, 1);
}

// A match never runs from one table paragraph into the next, nor over a
// cell end or a row end; outside tables "^p" crosses paragraphs.
TEST_F(PatternMatcherTest, TablesStopMatches) {
    TTableDoc table({"xa", "b/", "c]", "d]", "#", "e", "f"}, {"0:1440,2880,4320"});
    TDocSearchState state;
    struct Case {
        const char16_t* Pattern;
        bool Found;
    };
    const Case cases[] = {
        {u"a^pe", false},  // no such text
        {u"xa^pb", true},  // from outside into the table
        {u"b^pc", false},  // table paragraph to table paragraph
        {u"c?d", false},   // over a cell end
        {u"e^pf", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Platform::Utf16ToUtf8(c.Pattern));
        ASSERT_TRUE(TSearchDoc::Compile(c.Pattern, soWildcards));
        TSearchResult result;
        SearchFrom(table.Doc(), state, TTextPos{}, result, 0, TTextPos{});
        EXPECT_EQ(result.Found, c.Found);
    }
}

TEST_F(PatternMatcherTest, CharacterFormatAppliesOutsideTheContext) {
    // "the end the end" with only the second "end" bold.
    TSearchDoc doc("the end the end", false);
    TCharFormat bold;
    ClearCharFormat(bold);
    bold[caBold] = 1;
    TFragment second;
    MakeFragment(0, 12, 0, 15, second);
    doc.Doc().PerformOperation(TFormatFontArgs{nullptr, &second, &bold, 0});
    struct Case {
        const char16_t* Pattern;
        std::int32_t Bold;
        std::size_t Hits;
    };
    const Case cases[] = {
        {u"end", 1, 1},      {u"end", 0, 1}, {u"the end", 1, 0},  // "the " is not bold
        {u"the |end", 1, 1},                                      // the context part needs no format
        {u"n", 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Platform::Utf16ToUtf8(c.Pattern));
        ASSERT_TRUE(TSearchDoc::Compile(c.Pattern, soWildcards));
        FindFormat.CharFormat[caBold] = c.Bold;
        EXPECT_EQ(doc.FindAll().size(), c.Hits);
    }
}

TEST_F(PatternMatcherTest, AStyleNameFindsTheParagraphsOfThatStyle) {
    TSearchDoc doc("one\rone two\rone");
    TStyleList& styles = *doc.Doc().Styles;
    for (const char* name : {"Body", "Quote"}) {
        auto* style = new TStyle(&styles);
        style->Name = style->DisplayName = name;
        styles.AddStyle(style);
    }
    const std::int32_t quote = styles.IndexOfDisplayName("Quote");
    ASSERT_GE(quote, 0);
    doc.Doc().Par(1)->Format.Style = static_cast<std::int16_t>(quote);
    doc.Doc().Par(2)->Format.Style = static_cast<std::int16_t>(styles.IndexOfDisplayName("Body"));
    struct Case {
        const char* Name;
        std::u16string Style;
        std::int32_t Alignment;      // the paragraph property asked for too, or unset
        std::int32_t StyleProperty;  // the style index in the paragraph format, or unset
        std::vector<std::int32_t> Pars;
    };
    const Case cases[] = {
        {"no style: every paragraph", u"", UnsetValue, UnsetValue, {0, 1, 2}},
        {"the style's paragraph only", u"Quote", UnsetValue, UnsetValue, {1}},
        {"the name compared without case", u"quote", UnsetValue, UnsetValue, {1}},
        {"a style the document lacks matches nothing", u"Missing", UnsetValue, UnsetValue, {}},
        {"the style and a property must both hold", u"Quote", 2, UnsetValue, {}},
        {"the style index of the format is not what counts", u"", UnsetValue, quote, {0, 1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        ASSERT_TRUE(TSearchDoc::Compile(u"one", 0));
        FindFormat.Clear();
        FindFormat.StyleName = c.Style;
        SetParProp(FindFormat.ParFormat, ppAlignment, c.Alignment);
        SetParProp(FindFormat.ParFormat, ppStyle, c.StyleProperty);
        std::vector<std::int32_t> pars;
        const TFragment all = TextStoriesRange(doc.Doc());
        TTextPos pos = all.Start;
        while (true) {
            TSearchResult result;
            SearchFrom(doc.Doc(), doc.State, pos, result, 0, pos);
            if (!result.Found)
                break;
            pars.push_back(result.FoundStart.Par);
            pos = result.FoundEnd;
        }
        EXPECT_EQ(pars, c.Pars);
    }
}

}  // namespace
