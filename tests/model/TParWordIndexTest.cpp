#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FontQueriesStub.h"
#include "ParText.h"
#include "TextServicesStub.h"
#include "model/formats/TWordIndex.h"
#include "model/paragraphs/TPar.h"

namespace {

using ParText::MakePar;

struct TEntry {
    std::string key;
    std::int32_t sentence, start, end;
    bool number, phrase;
    bool operator==(const TEntry&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TEntry& e) {
    return os << "{" << e.key << " s" << e.sentence << " " << e.start << ".." << e.end << (e.number ? " num" : "")
              << (e.phrase ? " phrase" : "") << "}";
}

class WordIndexTest : public ::testing::Test {
protected:
    std::vector<TEntry> Index(const std::string& text, std::int32_t parIndex = 0) {
        Par = MakePar(text, Objects);
        Par->BuildWordIndex(parIndex);
        return Entries();
    }

    std::vector<TEntry> Entries() const {
        std::vector<TEntry> out;
        const TWordIndex& w = *Par->WordIndex;
        for (std::int32_t i = 0; i < w.Count(); ++i) {
            const TWordIndexRecord& r = w.Record(i);
            out.push_back({w.Entries[i].Key, w.Entries[i].Object, r.Start, r.End, r.IsNumber != 0, r.IsPhrase != 0});
        }
        return out;
    }

    static std::vector<std::string> Words(const std::vector<TEntry>& entries) {
        std::vector<std::string> out;
        for (const TEntry& e : entries)
            if (!e.phrase)
                out.push_back(e.key);
        return out;
    }

    static std::vector<std::string> Phrases(const std::vector<TEntry>& entries) {
        std::vector<std::string> out;
        for (const TEntry& e : entries)
            if (e.phrase)
                out.push_back(e.key);
        return out;
    }

    TTextServicesStub Services;
    ParText::TObjects Objects;
    std::unique_ptr<TPar> Par;
};

TEST_F(WordIndexTest, WordsAndPhrasesOfOneSentence) {
    const auto entries = Index("The cat sat.{par}");
    const std::vector<TEntry> expected = {
        {"the", 0, 0, 3, false, false}, {"the cat", 0, 0, 7, false, true},  {"the cat sat", 0, 0, 11, false, true},
        {"cat", 0, 4, 7, false, false}, {"cat sat", 0, 4, 11, false, true}, {"sat", 0, 8, 11, false, false},
    };
    EXPECT_EQ(entries, expected);

    // The sorted list holds every key with the index of its entry.
    const TWordIndex& w = *Par->WordIndex;
    ASSERT_EQ(w.Sorted.size(), entries.size());
    EXPECT_TRUE(std::is_sorted(w.Sorted.begin(), w.Sorted.end(),
                               [](const TWordIndexItem& a, const TWordIndexItem& b) { return a.Key < b.Key; }));
    for (const TWordIndexItem& item : w.Sorted)
        EXPECT_EQ(w.Entries[item.Object].Key, item.Key);
}

TEST_F(WordIndexTest, WhatMakesAndBreaksWords) {
    struct Case {
        const char* name;
        const char* text;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {"numbers keep their inner punctuation",
         "pi 3.14 at 10:30, 1/2 or 1,000.{par}",
         {"pi", "3.14", "at", "10:30", "1/2", "or", "1,000"}},
        {"punctuation next to digits still separates", "v.2 and 2.x{par}", {"v", "2", "and", "2", "x"}},
        {"a lone ampersand is no word", "A & B{par}", {"a", "b"}},
        {"a trailing apostrophe goes", "dogs' tails{par}", {"dogs", "tails"}},
        {"typographic apostrophes read as straight ones", "it\x92s{par}", {"it's"}},
        {"controls end words", "ab{tab}cd{line}ef{par}", {"ab", "cd", "ef"}},
        {"symbol text ends words", "ab{font:5}xy{font:0}cd{par}", {"ab", "cd"}},
        {"currency signs are dropped",
         "$5 #3 \x80"
         "7{par}",
         {"5", "3", "7"}},
    };
    TFontQueriesStub fonts{{{5, {2, 5}}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Words(Index(c.text)), c.words);
    }
}

TEST_F(WordIndexTest, NumbersAreFlaggedAlsoInPhrases) {
    const auto entries = Index("pay 12 now{par}");
    for (const TEntry& e : entries) {
        SCOPED_TRACE(e.key);
        EXPECT_EQ(e.number, e.key.find("12") != std::string::npos);
    }
}

TEST_F(WordIndexTest, LeadingApostrophesGoOnlyWhenTheWordIsKnownWithout) {
    Services.KnownWords = {"tis"};
    auto entries = Index("'tis 'twas{par}");
    EXPECT_EQ(Words(entries), (std::vector<std::string>{"tis", "'twas"}));
    EXPECT_EQ(entries[0].start, 1);

    // Text marked as no language keeps its apostrophes.
    entries = Index("{lang:1024}'tis dogs'{par}");
    EXPECT_EQ(Words(entries), (std::vector<std::string>{"'tis", "dogs'"}));
}

TEST_F(WordIndexTest, PhrasesStopAtBracketsAndQuotesAndKeepCompoundsWhole) {
    struct Case {
        const char* name;
        const char* text;
        std::vector<std::string> phrases;
    };
    const Case cases[] = {
        {"a hyphenated compound is not split", "well-known fact{par}", {"well-known", "well-known fact"}},
        {"dashes read as hyphens", "e{emdash}mail now{par}", {"e-mail", "e-mail now"}},
        {"quotation marks end phrases", "say \"hi\" there now{par}", {"there now"}},
        {"typographic quotes too", "say \x93hi\x94 there now{par}", {"there now"}},
        {"parentheses", "a (b) c d{par}", {"c d"}},
        {"double blanks collapse", "big  dog{par}", {"big dog"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Phrases(Index(c.text)), c.phrases);
    }
}

TEST_F(WordIndexTest, PhrasesSpanAtMostThirtyTwoFurtherWords) {
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "w ";
    text += "{par}";
    const auto entries = Index(text);
    std::size_t longest = 0;
    for (const TEntry& e : entries)
        longest = std::max<std::size_t>(longest, std::count(e.key.begin(), e.key.end(), 'w'));
    EXPECT_EQ(longest, 33u);
}

TEST_F(WordIndexTest, SentencesNumberTheEntriesInOrder) {
    // Sentences end after a full stop and its blanks.
    Services.Sentences = [](const TPar& par, std::int32_t offset, TFragment& s) {
        std::int32_t end = offset;
        while (end < par.Chars.Size && par.Chars.Data[end] != '.')
            ++end;
        while (end < par.Chars.Size && (par.Chars.Data[end] == '.' || par.Chars.Data[end] == ' '))
            ++end;
        MakeFragment(par.Index, offset, par.Index, end, s);
    };
    const auto entries = Index("Go now. Stay here.{par}");
    const std::vector<TEntry> expected = {
        {"go", 0, 0, 2, false, false},    {"go now", 0, 0, 6, false, true},     {"now", 0, 3, 6, false, false},
        {"stay", 1, 8, 12, false, false}, {"stay here", 1, 8, 17, false, true}, {"here", 1, 13, 17, false, false},
    };
    EXPECT_EQ(entries, expected);
}

TEST_F(WordIndexTest, HiddenWordsAreLeftOut) {
    Services.HiddenStart = 4;
    Services.HiddenEnd = 8;
    EXPECT_EQ(Words(Index("one two three{par}")), (std::vector<std::string>{"one", "three"}));
}

TEST_F(WordIndexTest, IndexIsKeptUntilTheParagraphChangesButTakesTheNewParagraphIndex) {
    Index("alpha beta{par}", 5);
    const TWordIndex& w = *Par->WordIndex;
    EXPECT_EQ(std::int32_t{w.Record(0).Par}, 5);  // a copy: the record is packed
    Par->Stream.Data[0] = 'o';                    // not reported as a change
    Par->BuildWordIndex(7);
    EXPECT_EQ(w.Entries[0].Key, "alpha");
    for (std::int32_t i = 0; i < w.Count(); ++i)
        EXPECT_EQ(std::int32_t{w.Record(i).Par}, 7);
    Par->Changed();
    Par->BuildWordIndex(7);
    EXPECT_EQ(Par->WordIndex->Entries[0].Key, "olpha");
}

}  // namespace
