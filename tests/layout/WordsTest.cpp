// Words, addresses, file paths, sentences and text extraction around
// positions of a paragraph.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "LineFixture.h"
#include "layout/words/CharClasses.h"
#include "layout/words/TextExtraction.h"
#include "layout/words/WordServices.h"
#include "model/formats/FormatStream.h"
#include "model/formats/WordSeparators.h"
#include "model/host/ModelOptions.h"

namespace {

// Answers the abbreviation and file-extension lists from small sets.
class TListServices : public TWordServices {
public:
    bool IsAbbreviation(std::int32_t, std::string_view word) const override {
        return Abbreviations.count(std::string(word)) != 0;
    }
    bool IsKnownFileExtension(std::string_view extension) const override {
        std::string lower(extension);
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return Extensions.count(lower) != 0;
    }
    std::set<std::string> Abbreviations{"Mr."};
    std::set<std::string> Extensions{"txt", "doc"};
};

class WordsTest : public LineFixture {
protected:
    void SetUp() override {
        LineFixture::SetUp();
        Previous = SetWordServices(&Services);
    }
    void TearDown() override {
        SetWordServices(Previous);
        ModelOptions().AddressesAsWords = false;
        IncludeApostrophesInWords();
        LineFixture::TearDown();
    }

    // The text of a run of paragraph par.
    std::string RunText(const TTextRun& run) {
        std::string text;
        Doc->RunTextA(run, text);
        return text;
    }
    static TTextPos At(std::int32_t par, std::int32_t offset) {
        TTextPos pos;
        MakeTextPos(par, offset, pos);
        return pos;
    }

    TListServices Services;
    TWordServices* Previous = nullptr;
};

TEST_F(WordsTest, SeparatorClassesFollowTheWordSeparatorTables) {
    // The apostrophe and the ampersand are word characters; the plus, the
    // bracket and the typographic quotes are not.
    struct Case {
        std::uint8_t c;
        bool separator;
        bool punctuation;
    };
    const Case cases[] = {
        {'\'', false, false}, {'&', false, false}, {'+', true, true},  {'(', true, true},
        {' ', true, false},   {11, true, false},   {147, true, true},  {'a', false, false},
        {2, true, true},      {15, false, false},  {17, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.c));
        EXPECT_EQ(IsCharClass(c.c, ccSeparator), c.separator);
        EXPECT_EQ(IsCharClass(c.c, ccPunctuation), c.punctuation);
    }
    int separators = 0;
    for (int c = 0; c < 256; ++c)
        separators += IsCharClass(static_cast<std::uint8_t>(c), ccSeparator) ? 1 : 0;
    EXPECT_EQ(separators, 58);
    ExcludeApostrophesFromWords();
    EXPECT_TRUE(IsCharClass('\'', ccSeparator | ccPunctuation));
}

TEST_F(WordsTest, WordAtAPosition) {
    struct Case {
        const char* name;
        const char* text;
        std::int32_t offset;
        const char* word;
    };
    const Case cases[] = {
        {"an inner apostrophe is part of the word", "say don't now", 6, "don't"},
        {"at the word's end", "say don't now", 9, "don't"},
        {"at its start", "say don't now", 4, "don't"},
        {"between two blanks", "a  b", 2, ""},
        {"a bracket ends the word", "(hello)", 3, "hello"},
        {"an ampersand does not", "R&D dept", 1, "R&D"},
        {"a typographic quote ends it", "\x93quoted\x94", 2, "quoted"},
        {"a dagger in front is no letter", "x \x86note", 4, "note"},
        {"a letter of the upper half stays", "x \xE9t\xE9", 3, "\xE9t\xE9"},
        {"never the paragraph mark", "end", 3, "end"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::int32_t p = Par(c.text).Index;
        TTextRun run;
        Doc->WordAt(At(p, c.offset), run);
        EXPECT_EQ(RunText(run), c.word);
        if (run.Count == 0)
            EXPECT_EQ(run.Pos.Offset, c.offset);
    }
}

TEST_F(WordsTest, TheApostropheOptionSplitsWords) {
    Par("say don't now");
    TTextRun run;
    ExcludeApostrophesFromWords();
    Doc->WordAt(At(0, 5), run);
    EXPECT_EQ(RunText(run), "don");
    TTextPos next;
    Doc->NextWordStart(At(0, 4), next);
    EXPECT_EQ(next.Offset, 7);
}

TEST_F(WordsTest, NextWordStart) {
    struct Case {
        const char* name;
        const char* text;
        std::int32_t from;
        std::int32_t to;
    };
    const Case cases[] = {
        {"stops right after an inner apostrophe", "don't stop", 0, 4},
        {"then passes the rest and the blank", "don't stop", 4, 6},
        {"stops at punctuation", "Hello, world", 0, 5},
        {"passes punctuation and blanks", "Hello, world", 5, 7},
        {"a line break is a word of its own", "ab\acd", 2, 3},
        {"the last word ends at the paragraph mark", "one two", 4, 7},
        {"blanks and special spaces", "a \x0B\x12 b", 0, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::int32_t p = Par(c.text).Index;
        TTextPos next;
        Doc->NextWordStart(At(p, c.from), next);
        EXPECT_EQ(next.Par, p);
        EXPECT_EQ(next.Offset, c.to);
    }
}

TEST_F(WordsTest, PrevWordStart) {
    struct Case {
        const char* name;
        const char* text;
        std::int32_t from;
        std::int32_t to;
    };
    const Case cases[] = {
        {"back to the word start", "Hello world", 9, 6},        {"over blanks to the word before", "Hello world", 6, 0},
        {"punctuation counts as a word", "Hello, world", 7, 5}, {"from the comma to the word", "Hello, world", 5, 0},
        {"a run of punctuation", "say ?!? now", 8, 4},          {"the part after an apostrophe", "don't", 5, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::int32_t p = Par(c.text).Index;
        TTextPos prev;
        Doc->PrevWordStart(At(p, c.from), prev);
        EXPECT_EQ(prev.Offset, c.to);
    }
}

TEST_F(WordsTest, WordMovementCrossesParagraphsInsideTheStory) {
    Par("one");
    Par("two words");
    TTextPos pos;
    Doc->NextWordStart(At(0, 3), pos);  // the end mark
    EXPECT_EQ(pos.Par, 1);
    EXPECT_EQ(pos.Offset, 0);
    Doc->NextWordStart(At(1, 9), pos);  // the story's last end mark
    EXPECT_EQ(pos.Par, 1);
    EXPECT_EQ(pos.Offset, 10);
    Doc->NextWordStart(At(1, 10), pos);  // the story's end: stay
    EXPECT_EQ(pos.Offset, 10);
    Doc->PrevWordStart(At(1, 0), pos);
    EXPECT_EQ(pos.Par, 0);
    EXPECT_EQ(pos.Offset, 0);
    Doc->PrevWordStart(At(0, 0), pos);
    EXPECT_EQ(pos.Par, 0);
    EXPECT_EQ(pos.Offset, 0);
}

TEST_F(WordsTest, AddressesAroundAPosition) {
    struct Case {
        const char* name;
        const char* text;
        std::int32_t offset;
        const char* address;
    };
    const Case cases[] = {
        {"a leading plus stays, the bracket goes", "mail (+alice@example.com), now", 12, "+alice@example.com"},
        {"a trailing bracket goes", "see (http://example.com/a) x", 10, "http://example.com/a"},
        {"at the address's end", "go to www.example.org.", 21, "www.example.org"},
        {"a plain word is no address", "plain words", 2, ""},
        {"outside the address", "x bob@example.com", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::int32_t p = Par(c.text).Index;
        TTextRun run;
        Doc->UrlAt(At(p, c.offset), run);
        EXPECT_EQ(RunText(run), c.address);
    }
}

TEST_F(WordsTest, TheAddressOptionMakesAnAddressOneWord) {
    Par("write bob@example.com, then");
    TTextRun run;
    Doc->WordAt(At(0, 8), run);
    EXPECT_EQ(RunText(run), "bob");
    ModelOptions().AddressesAsWords = true;
    Doc->WordAt(At(0, 8), run);
    EXPECT_EQ(RunText(run), "bob@example.com");
    TTextPos pos;
    Doc->NextWordStart(At(0, 6), pos);
    EXPECT_EQ(pos.Offset, 21);  // past the whole address, at its comma
    Doc->PrevWordStart(At(0, 18), pos);
    EXPECT_EQ(pos.Offset, 6);
}

TEST_F(WordsTest, FilePathsAroundAPosition) {
    struct Case {
        const char* name;
        const char* text;
        std::int32_t offset;
        const char* path;
    };
    const Case cases[] = {
        {"a drive path, its full stop trimmed", "open C:\\docs\\a.txt.", 8, "C:\\docs\\a.txt"},
        {"a server and share", "at \\\\srv\\share\\x now", 6, "\\\\srv\\share\\x"},
        {"a known extension", "see report.TXT, then", 5, "report.TXT"},
        {"an unknown extension", "see report.xyz", 5, ""},
        {"a plain word", "see report", 5, ""},
        {"a quote ends the path", "\"D:\\a b\"", 2, "D:\\a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::int32_t p = Par(c.text).Index;
        TTextRun run;
        Doc->FileLinkAt(At(p, c.offset), run);
        EXPECT_EQ(RunText(run), c.path);
    }
    const std::int32_t p = Par("see report.doc or www.example.com").Index;
    TTextRun run;
    Doc->LinkAt(At(p, 6), run);
    EXPECT_EQ(RunText(run), "report.doc");
    Doc->LinkAt(At(p, 20), run);
    EXPECT_EQ(RunText(run), "www.example.com");
    Doc->LinkOrWordAt(At(p, 1), run);
    EXPECT_EQ(RunText(run), "see");
}

TEST_F(WordsTest, ListMarkerWords) {
    struct Case {
        const char* text;
        std::int32_t offset;
        std::int32_t count;
        bool marker;
    };
    const Case cases[] = {
        {"1. Item", 0, 1, true},   {"b) item", 0, 1, true}, {"iv. item", 0, 2, true},   {"12. item", 0, 2, true},
        {"ab. item", 0, 2, false}, {"1 item", 0, 1, false}, {"x 1. item", 2, 1, false}, {"x\a2) y", 2, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::int32_t p = Par(c.text).Index;
        TTextRun run;
        run.Pos = At(p, c.offset);
        run.Count = c.count;
        EXPECT_EQ(Doc->IsListMarkerWord(run, RunText(run)), c.marker);
    }
}

TEST_F(WordsTest, SentenceStarts) {
    struct Case {
        const char* name;
        const char* text;
        std::int32_t offset;
        bool start;
    };
    const Case cases[] = {
        {"after a full stop", "It works. Next one.", 10, true},
        {"inside a sentence", "It works. Next one.", 3, false},
        {"at the paragraph start", "It works.", 0, true},
        {"after e.g.", "See e.g. this one.", 9, false},
        {"after U.S.", "In the U.S. today.", 12, false},
        {"after a listed abbreviation", "Call Mr. Smith now.", 9, false},
        {"after an unlisted one", "Call Dr. Smith now.", 9, true},
        {"after the third full stop of an ellipsis", "Wait... then go.", 8, false},
        {"after a question mark and a quote", "\"Why?\" she asked.", 7, false},
        {"after a full stop and a quote", "\"Done.\" Then more.", 8, true},
        {"right after a list marker", "1. Item one.", 3, true},
        {"after a bullet typed by hand", "* Item one.", 2, true},
        {"after a spaced ellipsis in English", "Wait . . . then go.", 11, false},
        {"before an opening quote", "Done. \"Next\" here.", 7, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::int32_t p = Par(c.text).Index;
        EXPECT_EQ(Doc->IsSentenceStart(At(p, c.offset)), c.start);
    }
}

TEST_F(WordsTest, SentenceAroundAPosition) {
    struct Case {
        const char* name;
        const char* text;
        std::int32_t offset;
        const char* sentence;
    };
    const Case cases[] = {
        {"the middle sentence", "First one. Second one here. Third.", 14, "Second one here."},
        {"the first", "First one. Second one here. Third.", 2, "First one."},
        {"the last, without the mark", "First one. Third.", 12, "Third."},
        {"through an abbreviation", "Go e.g. there now. Next.", 12, "Go e.g. there now."},
        {"a list marker belongs to its sentence", "1. Item one. Two.", 5, "1. Item one."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::int32_t p = Par(c.text).Index;
        TFragment range;
        Doc->SentenceAt(At(p, c.offset), range);
        std::string text;
        Doc->RangeTextA(range, text);
        EXPECT_EQ(text, c.sentence);
    }
}

TEST_F(WordsTest, RunTextAWritesSpecialCharactersAsText) {
    TPar& par =
        Par("a\tb\x0B"
            "c\x0C"
            "d\x12"
            "e\af");
    AppendFormatControl(par.Stream, fcSpecialChar, chEmDash);
    par.Chars.AppendByte(chEmDash);
    CloseParagraph(par);
    TTextRun run;
    run.Pos = At(0, 0);
    run.Count = par.CharCount();
    // The paragraph mark is dropped; the em dash is code page 1252's.
    EXPECT_EQ(RunText(run), "a b c-d e f\x97");
}

TEST_F(WordsTest, RunTextWByFlags) {
    struct Case {
        const char* name;
        const char* text;
        std::uint32_t flags;
        std::u16string expected;
    };
    const Case cases[] = {
        {"a paragraph mark ends a line", "ab", 0, u"ab\r\n"},
        {"as a find escape", "ab", tfFindPattern, u"ab^p"},
        {"as a blank", "ab", tfBlanks, u"ab "},
        {"named after text: nothing", "ab", tfBlanks | tfSpecialNames, u"ab"},
        {"a tab", "a\tb", 0, u"a\tb\r\n"},
        {"a tab by name", "a\tb", tfSpecialNames, u"a<tab character>b\r\n"},
        {"a tab as escape", "a\tb", tfFindPattern, u"a^tb^p"},
        {"a caret is doubled", "x^y", tfFindPattern, u"x^^y^p"},
        {"a line break", "a\ab", tfFindPattern, u"a^lb^p"},
        {"a page break", "a\bb", 0, u"a\fb\r\n"},
        {"a no-break space",
         "a\x0B"
         "b",
         0, u"a b\r\n"},
        {"a no-break space kept",
         "a\x0B"
         "b",
         tfNoBreakSpace, u"a\u00A0b\r\n"},
        {"an en space",
         "a\x12"
         "b",
         0, u"a\u2002b\r\n"},
        {"an en space as blank",
         "a\x12"
         "b",
         tfBlanks, u"a b "},
        {"a non-breaking hyphen",
         "a\x0C"
         "b",
         0, u"a-b\r\n"},
        {"text of the upper half", "caf\xE9", 0, u"caf\u00E9\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPar& par = Par(c.text);
        const std::int32_t p = par.Index;
        TTextRun run;
        run.Pos = At(p, 0);
        run.Count = par.CharCount();
        std::u16string text;
        Doc->RunTextW(run, c.flags, text);
        EXPECT_EQ(text, c.expected);
    }
    const std::int32_t one = Par("one").Index;
    Par("two");
    TFragment range;
    MakeFragment(one, 1, one + 1, 2, range);
    std::u16string text;
    Doc->RangeTextW(range, 0, text);
    EXPECT_EQ(text, u"ne\r\n");
    Doc->RangeTextWAll(range, 0, text);
    EXPECT_EQ(text, u"ne\r\ntw");
    std::string narrow;
    Doc->RangeTextA(range, narrow);
    EXPECT_EQ(narrow, "ne");
}

TEST_F(WordsTest, ParagraphTextAsShown) {
    TPar& plain =
        Par("  two\x0C"
            "words\t ");
    std::u16string text;
    Doc->ParTextW(0, text);
    EXPECT_EQ(text, u"two-words");
    (void)plain;
    TPar& caps = Par("");
    AppendAttr(caps, caAllCaps, 1);
    AppendText(caps, "shout");
    Doc->ParTextW(1, text);
    EXPECT_EQ(text, u"SHOUT");
}

TEST_F(WordsTest, PositionsOutsideTheTextAnswerWithoutReadingPastIt) {
    Par("one two.");
    Par("");
    const TTextPos positions[] = {At(0, -3), At(0, 9), At(0, 500), At(1, 0), At(1, 4), At(7, 0), At(-1, 2)};
    for (const TTextPos& pos : positions) {
        SCOPED_TRACE(testing::Message() << pos.Par << "," << pos.Offset);
        TTextRun run;
        Doc->WordAt(pos, run);
        EXPECT_TRUE(run.Count == 0 || run.Pos.Par == pos.Par);
        Doc->LinkOrWordAt(pos, run);
        TTextPos moved;
        Doc->NextWordStart(pos, moved);
        Doc->PrevWordStart(pos, moved);
        Doc->IsSentenceStart(pos);
        TFragment range;
        Doc->SentenceAt(pos, range);
        run.Pos = pos;
        run.Count = 50;
        std::u16string wide;
        Doc->RunTextW(run, tfFindPattern, wide);
        std::string narrow;
        Doc->RunTextA(run, narrow);
        TCharFormat format;
        Doc->CharFormatAt(pos, format);
        MakeFragmentFromPositions(pos, pos, range);
        Doc->MergedCharFormat(nullptr, range, format);
        Doc->UpdateTypingFormat(pos, true);
    }
}

}  // namespace
