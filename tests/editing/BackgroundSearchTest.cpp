// The searches that run in the background: the Find panel's result list
// with its captions, and the highlighting of a selected word's instances.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SearchDoc.h"
#include "editing/search/SearchOptions.h"
#include "editing/search/TSearchCommands.h"
#include "editing/search/TSearchSelection.h"
#include "model/formats/WordSeparators.h"
#include "platform/CodePages.h"

namespace {

// A caption with its marks made visible: "|" around each part, "#" around
// the match, "/" for a paragraph end, "_" for a no-break space.
std::string Visible(const std::u16string& caption) {
    std::u16string w = caption;
    for (char16_t& c : w) {
        if (c == CaptionPartMark)
            c = u'|';
        else if (c == CaptionMatchMark)
            c = u'#';
        else if (c == 0x000D)
            c = u'/';
        else if (c == 0x00A0)
            c = u'_';
    }
    return Platform::WideToBytes(1252, w);
}

class BackgroundSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        SearchOptions = 0;
        FindFormat.Clear();
    }
    void TearDown() override {
        SearchOptions = 0;
        FindFormat.Clear();
    }

    // Collects in slices of sliceMs until the list is complete; answers the
    // number of slices.
    int CollectAll(TSearchDoc& doc, const std::u16string& find, std::int64_t sliceMs) {
        Commands.StartFindResults(doc.Doc());
        int slices = 0;
        while (doc.Doc().FindResultNextPar >= 0 && slices < 1000) {
            Commands.CollectFindResults(doc.Doc(), find, sliceMs);
            ++slices;
        }
        return slices;
    }

    static std::vector<std::string> Texts(TSearchDoc& doc, const std::vector<TFragment>& ranges) {
        std::vector<std::string> texts;
        for (const TFragment& range : ranges)
            texts.push_back(doc.TextOf(range));
        return texts;
    }

    TPlainSearchSelection Selection;
    TSearchCommands Commands{Selection};
};

TEST_F(BackgroundSearchTest, CollectsEveryResultWithItsWholeMatch) {
    struct Case {
        const char* Name;
        const char* Text;
        std::u16string Find;
        std::uint8_t Options;
        std::vector<std::string> Found;
        std::vector<std::string> Whole;
    };
    const Case cases[] = {
        {"plain text, across paragraphs",
         "one two one\rtwo one",
         u"one",
         0,
         {"one", "one", "one"},
         {"one", "one", "one"}},
        {"case ignored", "One ONE", u"one", 0, {"One", "ONE"}, {"One", "ONE"}},
        {"exact match", "One one", u"one", soExactMatch, {"one"}, {"one"}},
        {"context before the bar is matched, not listed", "on one", u"o|n", soWildcards, {"n", "n"}, {"on", "on"}},
        {"nothing found", "abc\rdef", u"xyz", 0, {}, {}},
        {"an invalid pattern lists nothing", "a(b", u"(", soWildcards, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TSearchDoc doc(c.Text);
        SearchOptions = c.Options;
        CollectAll(doc, c.Find, 10000);
        EXPECT_EQ(doc.Doc().FindResultNextPar, -1);
        EXPECT_EQ(Texts(doc, doc.Doc().FindResults), c.Found);
        EXPECT_EQ(Texts(doc, doc.Doc().FindResultMatches), c.Whole);
        EXPECT_EQ(doc.Doc().FindResultCaptions.size(), c.Found.size());
        // The window's options come back as they were.
        EXPECT_EQ(SearchOptions, c.Options);
    }
}

TEST_F(BackgroundSearchTest, SlicesThatRunOutOfTimeGoOnWhereTheyStopped) {
    TSearchDoc doc("a x\ra\rb a\rno\ra a\ra");
    CollectAll(doc, u"a", 10000);
    const std::vector<std::string> whole = Texts(doc, doc.Doc().FindResults);
    ASSERT_EQ(whole.size(), 6u);
    // A slice whose time is up from the start stops at its first paragraph
    // end: each slice searches one paragraph, and nothing is found twice or
    // missed.
    const int slices = CollectAll(doc, u"a", -100000);
    EXPECT_GE(slices, 5);
    EXPECT_EQ(Texts(doc, doc.Doc().FindResults), whole);
    EXPECT_EQ(doc.Doc().FindResultCaptions.size(), whole.size());
    // A complete list is left alone.
    Commands.CollectFindResults(doc.Doc(), u"x", 10000);
    EXPECT_EQ(doc.Doc().FindResults.size(), whole.size());
}

TEST_F(BackgroundSearchTest, CollectingLeavesTheWindowsSearchStateAlone) {
    TSearchDoc doc("one two\rone");
    TDocSearchState& state = Commands.StateOf(doc.Doc());
    state.ScopeKind = 2;
    state.Scope = {{{0, 4, 0, 0}, {0, 7, 0, 0}}};
    state.LastWholeMatch = {{0, 1, 0, 0}, {0, 2, 0, 0}};
    SearchOptions = soBackward | soWholeWords;
    CollectAll(doc, u"one", 10000);
    // Searched forward over the whole text all the same.
    EXPECT_EQ(doc.Doc().FindResults.size(), 2u);
    EXPECT_EQ(SearchOptions, soBackward | soWholeWords);
    EXPECT_EQ(state.ScopeKind, 2);
    ASSERT_EQ(state.Scope.size(), 1u);
    EXPECT_EQ(state.Scope[0].Start.Offset, 4);
    EXPECT_EQ(state.LastWholeMatch.Start.Offset, 1);
}

TEST_F(BackgroundSearchTest, CaptionsShowTheMatchInItsContext) {
    struct Case {
        const char* Name;
        const char* Text;
        std::u16string Find;
        const char* Caption;
    };
    const Case cases[] = {
        {"within a paragraph", "the quick brown fox", u"brown", "|the quick |#brown#| fox|"},
        {"at a paragraph's start the paragraph before leads", "alpha beta\rgamma delta", u"gamma",
         "|alpha beta/|#gamma#| delta|"},
        {"at a paragraph's end the next paragraph follows", "one two\rthree four", u"two", "|one |#two#|/three four|"},
        {"the first paragraph of the story has none before", "gamma", u"gamma", "||#gamma#||"},
        {"a match across paragraphs shows both", "ab\rcd", u"b^pc", "|a|#b/c#|d|"},
        {"a long text before loses words from its start", "aaaa bbbb cccc dddd eeee ffff gggg hhhh iiii jjjj kkkk",
         u"kkkk", "|_..._eeee ffff gggg hhhh iiii jjjj |#kkkk#||"},
        {"a long text after loses words from its end", "aaaa bbbb cccc dddd eeee ffff gggg hhhh iiii jjjj kkkk",
         u"aaaa", "||#aaaa#| bbbb cccc dddd eeee ffff gggg ... |"},
        {"one long word is kept whole", "x abcdefghijklmnopqrstuvwabcdefghijklmnopq", u"x",
         "||#x#| abcdefghijklmnopqrstuvwabcdefghijklmnopq ... |"},
        {"special characters read as blanks", "a\tb", u"b", "|a |#b#||"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TSearchDoc doc(c.Text);
        CollectAll(doc, c.Find, 10000);
        ASSERT_EQ(doc.Doc().FindResultCaptions.size(), 1u);
        EXPECT_EQ(Visible(doc.Doc().FindResultCaptions[0]), c.Caption);
    }
}

TEST_F(BackgroundSearchTest, HighlightingFindsWholeWordsOfOneParagraph) {
    struct Case {
        const char* Name;
        const char* Text;
        std::u16string Highlight;
        bool Exact;
        std::vector<std::int32_t> Starts;
    };
    const Case cases[] = {
        {"apostrophes end words while highlighting", "don don't undone don", u"don", false, {0, 4, 17}},
        {"case ignored", "Don DON don", u"don", false, {0, 4, 8}},
        {"exact match", "Don DON don", u"don", true, {8}},
        {"part of a longer word is passed over", "dondon don", u"don", false, {7}},
        {"a highlight starting with punctuation matches inside words", "a-b -b", u"-b", false, {1, 4}},
        {"a word at the paragraph's end", "x don", u"don", false, {2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TSearchDoc doc(std::string(c.Text) + "\rdon");
        doc.Doc().HighlightText = c.Highlight;
        SearchOptions = soWildcards | soBackward;
        Commands.HighlightOccurrencesInPar(doc.Doc(), 0, c.Exact);
        std::vector<std::int32_t> starts;
        for (const TFragment& range : doc.Doc().HighlightRanges) {
            EXPECT_EQ(range.Start.Par, 0);
            EXPECT_EQ(range.End.Offset - range.Start.Offset, static_cast<std::int32_t>(c.Highlight.size()));
            starts.push_back(range.Start.Offset);
        }
        EXPECT_EQ(starts, c.Starts);
        // Options and word separators come back.
        EXPECT_EQ(SearchOptions, soWildcards | soBackward);
        EXPECT_EQ(WordSeparators['\''], 0);
    }
}

TEST_F(BackgroundSearchTest, HighlightingAppendsParagraphByParagraph) {
    TSearchDoc doc("word\rno\rword word");
    doc.Doc().HighlightText = u"word";
    for (std::int32_t par = 0; par < 3; ++par)
        Commands.HighlightOccurrencesInPar(doc.Doc(), par, false);
    EXPECT_EQ(Texts(doc, doc.Doc().HighlightRanges), (std::vector<std::string>{"word", "word", "word"}));
    // Out of range, or with nothing to highlight: nothing happens.
    Commands.HighlightOccurrencesInPar(doc.Doc(), 3, false);
    Commands.HighlightOccurrencesInPar(doc.Doc(), -1, false);
    doc.Doc().HighlightText.clear();
    Commands.HighlightOccurrencesInPar(doc.Doc(), 0, false);
    EXPECT_EQ(doc.Doc().HighlightRanges.size(), 3u);
}

}  // namespace
