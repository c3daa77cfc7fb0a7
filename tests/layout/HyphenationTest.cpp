// Automatic hyphenation in the line breaker, driven by a test hyphenator.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LineFixture.h"
#include "TestHyphenator.h"
#include "layout/lines/Hyphenation.h"
#include "model/formats/TCharFormat.h"
#include "model/formats/TLine.h"
#include "model/formats/TParFormat.h"

namespace {

constexpr std::int32_t English = 1033;

class HyphenationTest : public LineFixture {
protected:
    void SetUp() override {
        LineFixture::SetUp();
        Hyphenator.Words["hyphenation"] = {2, 6};
        Hyphenator.Words["working"] = {4};
        Doc->Hyphenation.Automatic = 1;
        Doc->Hyphenation.HyphenateCaps = 1;
        Doc->Hyphenation.Zone = 0;
        Doc->Hyphenation.ConsecutiveLimit = 0;
    }
    void TearDown() override {
        ManualHyphenation = TManualHyphenation{};
        LineFixture::TearDown();
    }

    // A paragraph "The " + word in a language, laid out just wide enough
    // for fit.
    TPar& LayOut(const std::string& word, const std::string& fit, std::int32_t language = English) {
        TPar& par = Par("The ");
        AppendAttr(par, caLanguage, language);
        AppendText(par, word);
        Layout(par, FitWidth(fit, Times(), 24));
        return par;
    }

    TTestHyphenator Hyphenator;
};

// A line ends at the last hyphenation point that fits together with its
// hyphen, and only that line is marked hyphenated.
TEST_F(HyphenationTest, TheLineEndsAtTheLastPointThatFitsWithItsHyphen) {
    struct Case {
        const char* fit;
        std::int32_t automatic;
        std::vector<std::int32_t> starts;
        bool hyphenated;
    };
    const Case cases[] = {
        {"The hyphen-", 1, {0, 10}, true},
        {"The hyphena", 1, {0, 10}, true},  // "hyphena" fits, but a point stands only after "hyphen"
        {"The hy-", 1, {0, 6}, true},
        {"The h-", 1, {0, 4}, false},  // no point fits: the line breaks before the word
        {"The hyphen-", 0, {0, 4}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.fit) + (c.automatic != 0 ? " automatic" : " off"));
        Doc->Hyphenation.Automatic = static_cast<std::uint8_t>(c.automatic);
        TPar& par = LayOut("hyphenation", c.fit);
        ASSERT_GE(par.LineCount(), 2);
        EXPECT_EQ(LineStarts(par).at(1), c.starts.at(1));
        EXPECT_EQ((LineOf(par, 0).Flags & lfHyphenated) != 0, c.hyphenated);
        EXPECT_EQ(LineOf(par, par.LineCount() - 1).Flags & lfHyphenated, 0u);
        par.FreeLines();
    }
}

TEST_F(HyphenationTest, HyphenWidthIsPartOfTheHyphenatedLine) {
    TPar& par = LayOut("hyphenation", "The hyphen-");
    const TLine& line = LineOf(par, 0);
    ASSERT_NE(line.Flags & lfHyphenated, 0u);
    // The line's last position includes the hyphen it shows.
    EXPECT_EQ(line.Pos(line.CharCount) - line.Pos(0), TextWidth("The hyphen-", Times(), 24));
}

TEST_F(HyphenationTest, WordsThatAreNeverHyphenated) {
    struct Case {
        const char* name;
        std::string word;
        std::int32_t language;
        bool noHyphenation;
        std::int32_t caps;
        std::vector<std::int32_t> starts;
    };
    const std::string longWord = "hyphenation" + std::string(38, 'x');  // 49 characters
    Hyphenator.Words[longWord] = {2, 6};
    const Case cases[] = {
        {"plain", "hyphenation", English, false, 1, {0, 10}},
        {"capitals hyphenated", "HYPHENATION", English, false, 1, {0, 10}},
        {"capitals kept whole", "HYPHENATION", English, false, 0, {0, 4}},
        {"mixed case while capitals are kept", "Hyphenation", English, false, 0, {0, 10}},
        {"paragraph forbids it", "hyphenation", English, true, 1, {0, 4}},
        {"no proofing", "hyphenation", NoProofingLanguage, false, 1, {0, 4}},
        {"longer than 48", longWord, English, false, 1, {0, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Doc->Hyphenation.HyphenateCaps = static_cast<std::uint8_t>(c.caps);
        TPar& par = Par("The ");
        SetParProp(par.Format, ppNoHyphenation, c.noHyphenation ? 1 : 0);
        AppendAttr(par, caLanguage, c.language);
        AppendText(par, c.word);
        Layout(par, FitWidth("The HYPHEN-", Times(), 24));
        EXPECT_EQ(LineStarts(par).at(1), c.starts.at(1));
        par.FreeLines();
    }
}

// The zone is the room a line may keep at its end unhyphenated: a word is
// hyphenated only when breaking before it would leave more room.
TEST_F(HyphenationTest, TheZone) {
    const std::int32_t width = FitWidth("The hyphen-", Times(), 24);
    const std::int32_t room = width - FitWidth("The ", Times(), 24);
    struct Case {
        std::int32_t zone;
        std::int32_t secondLine;
    };
    const Case cases[] = {{0, 10}, {room - 30, 10}, {room + 30, 4}, {width, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zone);
        Doc->Hyphenation.Zone = c.zone;
        TPar& par = Par("The hyphenation");
        Layout(par, width);
        EXPECT_EQ(LineStarts(par).at(1), c.secondLine);
        par.FreeLines();
    }
}

// With a limit of two, a third hyphenated line in a row ends before the
// overflowing word even though it could be hyphenated; the line after may
// be hyphenated again.
TEST_F(HyphenationTest, ConsecutiveHyphenatedLinesLimit) {
    Hyphenator.Words["abcdefghijkl"] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    std::string text;
    for (int i = 0; i < 12; ++i)
        text += "abcdefghijkl ";
    const std::int32_t width = FitWidth("abcdefghijkl abcdefg-", Times(), 24);
    struct Case {
        std::int32_t limit;
        std::vector<bool> hyphenated;  // of the first lines
    };
    const Case cases[] = {
        {0, {true, true, true, true}},
        {2, {true, true, false, true}},
        {1, {true, false, true, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.limit);
        Doc->Hyphenation.ConsecutiveLimit = c.limit;
        TPar& par = Par(text);
        Layout(par, width);
        ASSERT_GT(par.LineCount(), static_cast<std::int32_t>(c.hyphenated.size()));
        for (std::size_t i = 0; i < c.hyphenated.size(); ++i)
            EXPECT_EQ((LineOf(par, static_cast<std::int32_t>(i)).Flags & lfHyphenated) != 0, c.hyphenated[i])
                << "line " << i;
        par.FreeLines();
    }
}

// English words are looked up without a possessive "'s", and an elided
// "n'" as "ng"; other languages look up the word as written.
TEST_F(HyphenationTest, EnglishApostrophes) {
    struct Case {
        const char* word;
        std::int32_t language;
        const char* lookedUp;
        std::int32_t secondLine;
    };
    const Case cases[] = {
        {"hyphenation's", English, "hyphenation", 10},
        {"hyphenation\x92S", English, "hyphenation", 10},
        {"workin'", English, "working", 8},
        {"hyphenation's", 1031, "hyphenation's", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        Hyphenator.Asked.clear();
        TPar& par = LayOut(c.word, c.word == std::string("workin'") ? "The work-" : "The hyphen-", c.language);
        ASSERT_FALSE(Hyphenator.Asked.empty());
        EXPECT_EQ(Hyphenator.Asked.front(), c.lookedUp);
        EXPECT_EQ(LineStarts(par).at(1), c.secondLine);
        par.FreeLines();
    }
}

TEST_F(HyphenationTest, LookupTextRules) {
    struct Case {
        const char* word;
        std::int32_t language;
        const char* text;
    };
    const Case cases[] = {
        {"dog's", English, "dog"},    {"DOG'S", English, "DOG"},   {"dogs'", English, "dogs"},
        {"goin'", English, "going"},  {"GOIN`", English, "GOINg"}, {"'s", English, ""},
        {"s", English, "s"},          {"dog's", 2057, "dog"},      {"dog's", 1036, "dog's"},
        {"l'homme", 1036, "l'homme"}, {"", English, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        EXPECT_EQ(HyphenationLookupText(c.word, c.language), c.text);
    }
}

// A word joined to the overflowing one by separators that are no break
// opportunity is hyphenated instead.
TEST_F(HyphenationTest, TheWordBeforeASlash) {
    TPar& par = Par("The hyphenation/qqqq");
    Layout(par, FitWidth("The hyphenation/qq", Times(), 24));
    EXPECT_EQ(LineStarts(par), (std::vector<std::int32_t>{0, 10}));
    EXPECT_NE(LineOf(par, 0).Flags & lfHyphenated, 0u);
}

// A word in a web or e-mail address or a file path is never hyphenated:
// the line breaks before the address instead. Words beside one are.
TEST_F(HyphenationTest, WordsInLinksAreNotHyphenated) {
    struct Case {
        const char* name;
        std::string before, after;
        bool hyphenated;
    };
    const Case cases[] = {
        {"a web address", "www.", ".com", false},
        {"an e-mail address", "mail@", ".org", false},
        {"a file path", "C:\\", "", false},
        {"a word after an address", "www.example.com ", "", true},
        {"a word before a full stop and a letter", "", ".x", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPar& par = LayOut(c.before + "hyphenation" + c.after, "The " + c.before + "hyphen-");
        ASSERT_GE(par.LineCount(), 2);
        const std::int32_t hyphenAt = static_cast<std::int32_t>(4 + c.before.size() + 6);
        EXPECT_EQ(LineStarts(par).at(1), c.hyphenated ? hyphenAt : 4);
        EXPECT_EQ((LineOf(par, 0).Flags & lfHyphenated) != 0, c.hyphenated);
        par.FreeLines();
    }
}

TEST_F(HyphenationTest, WithoutAHyphenatorNothingChanges) {
    SetHyphenator(nullptr);
    TPar& par = LayOut("hyphenation", "The hyphen-");
    EXPECT_EQ(LineStarts(par), (std::vector<std::int32_t>{0, 4}));
    SetHyphenator(&Hyphenator);
}

// Manual hyphenation walks the word at its line even with automatic
// hyphenation off, and proposes the split where the line ended.
TEST_F(HyphenationTest, ManualHyphenationProposesTheSplit) {
    Doc->Hyphenation.Automatic = 0;
    ManualHyphenation.Doc = Doc.get();
    ManualHyphenation.Active = true;
    ManualHyphenation.Par = 0;
    ManualHyphenation.Line = 0;
    TPar& par = LayOut("hyphenation", "The hyphen-");
    (void)par;
    EXPECT_TRUE(ManualHyphenation.Ask);
    EXPECT_EQ(ManualHyphenation.WordStart, 4);
    EXPECT_EQ(ManualHyphenation.WordLength, 11);
    EXPECT_EQ(ManualHyphenation.Split, 6);
}

}  // namespace
