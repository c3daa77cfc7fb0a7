#include "files/rtf/RtfWordIndex.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "files/rtf/RtfByteClass.h"
#include "files/rtf/RtfControlWords.h"
#include "files/rtf/RtfScannedWord.h"

namespace {

// Scans text (a control word after its backslash) the way the reader does
// and looks the word up.
int ScanAndLookUp(std::string text) {
    text += ' ';
    std::uint8_t* p = reinterpret_cast<std::uint8_t*>(text.data());
    TRtfScannedWord word;
    EXPECT_TRUE(ScanRtfControlWord(p, p + text.size(), word));
    return LookupRtfControlWord(word);
}

TEST(RtfWordIndexTest, EveryWordFindsItsOwnIndexInAnyCase) {
    for (int i = 0; i < RtfControlWordCount; ++i) {
        const std::string word(RtfControlWords[i]);
        SCOPED_TRACE(word);
        EXPECT_EQ(RtfWordIndex.Length[i], word.size());
        EXPECT_EQ(LookupRtfWord(reinterpret_cast<const std::uint8_t*>(word.data()), word.size()), i);
        // Letters only: a digit in a word ends its letters when scanned.
        if (word.find_first_of("0123456789") != std::string::npos)
            continue;
        std::string upper = word;
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        std::string mixed = word;
        mixed[0] = upper[0];
        EXPECT_EQ(ScanAndLookUp(word), i);
        EXPECT_EQ(ScanAndLookUp(upper), i);
        EXPECT_EQ(ScanAndLookUp(mixed), i);
    }
}

TEST(RtfWordIndexTest, TheIndexesNameTheirWords) {
    struct Case {
        int Index;
        std::string_view Word;
    };
    const Case cases[] = {
        {rwAenddoc, "aenddoc"},
        {rwB, "b"},
        {rwPar, "par"},
        {rwPard, "pard"},
        {rwTrftswidth, "trftswidth"},
        {rwU, "u"},
        {rwClcfpat, "clcfpat"},
        {rwClpadb, "clpadb"},
        {rwZoomtofitpage, "zoomtofitpage"},
        {rwZududevuzi, "zududevuzi"},
        {rwListoverridestartat, "listoverridestartat"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Word);
        EXPECT_EQ(RtfControlWords[c.Index], c.Word);
    }
}

TEST(RtfWordIndexTest, WordsNotInTheTableAreUnknown) {
    const char* cases[] = {
        "rtf",
        "ansi",
        "ansicpg",
        "deff",
        "cb",
        "itap",
        "pndec",  // standard, but not read
        "a",
        "c",
        "z",  // letters without a one-letter word
        "pa",
        "zz",
        "pars",
        "parx",
        "paperhh",
        "bulle",       // near misses of known words
        "cldudevuzi",  // the tail of a word under another prefix
        "private",     // "private1" cannot be scanned whole
        "listoverridestartatx",
        "abcdefghijklmnopqrstuvwxyzabcdefghij",  // longer than any word
    };
    for (const char* word : cases) {
        SCOPED_TRACE(word);
        EXPECT_EQ(ScanAndLookUp(word), RtfUnknownWord);
    }
    // A byte outside the letters never finds a word.
    const std::uint8_t odd[] = {'p', 0xE1, 'r'};
    EXPECT_EQ(LookupRtfWord(odd, 3), RtfUnknownWord);
    EXPECT_EQ(LookupRtfWord(odd + 1, 1), RtfUnknownWord);
}

TEST(RtfWordIndexTest, OneAndTwoLetterTablesHoldExactlyTheShortWords) {
    for (int letter = 'a'; letter <= 'z'; ++letter) {
        const int index = RtfWordIndex.OneLetter[letter];
        const bool expected = std::string_view("bfisu").find(static_cast<char>(letter)) != std::string_view::npos;
        EXPECT_EQ(index != TRtfWordIndex::None, expected) << static_cast<char>(letter);
    }
    for (const auto& entry : RtfWordIndex.TwoLetter) {
        if (entry.Word != TRtfWordIndex::None) {
            EXPECT_EQ(RtfControlWords[entry.Word].size(), 2u);
        }
        if (entry.First != TRtfWordIndex::None) {
            ASSERT_LE(entry.First, entry.Last);
            for (int i = entry.First; i <= entry.Last; ++i)
                EXPECT_EQ(RtfControlWords[i].substr(0, 2), RtfControlWords[entry.First].substr(0, 2));
        }
    }
}

TEST(RtfByteClassTest, ClassesAndLetters) {
    struct Case {
        std::uint8_t Byte;
        std::uint8_t Class;
        std::uint8_t Letter;
    };
    const Case cases[] = {
        {0, rbcControl, 0},   {'\n', rbcControl, 0}, {31, rbcControl, 0},  {' ', rbcPlain, 0},   {'\\', rbcSpecial, 0},
        {'{', rbcSpecial, 0}, {'}', rbcSpecial, 0},  {'A', rbcPlain, 'a'}, {'Z', rbcPlain, 'z'}, {'a', rbcPlain, 'a'},
        {'z', rbcPlain, 'z'}, {'@', rbcPlain, 0},    {'[', rbcPlain, 0},   {'`', rbcPlain, 0},   {'0', rbcPlain, 0},
        {127, rbcPlain, 0},   {128, rbcHigh, 0},     {0xC1, rbcHigh, 0},   {255, rbcHigh, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Byte));
        EXPECT_EQ(RtfByteClass[c.Byte], c.Class);
        EXPECT_EQ(RtfLetterMap[c.Byte], c.Letter);
    }

    const std::string text = "plain text\x80\x81\xff{more";
    const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
    EXPECT_EQ(PlainRunLength(p, text.size()), 10u);
    EXPECT_EQ(PlainRunLength(p, 4), 4u);
    EXPECT_EQ(HighRunLength(p + 10, text.size() - 10), 3u);
    EXPECT_EQ(HighRunLength(p, text.size()), 0u);

    const std::string starts = "\\b\\1{\\*\\x";
    const auto* s = reinterpret_cast<const std::uint8_t*>(starts.data());
    const auto* end = s + starts.size();
    EXPECT_TRUE(IsRtfControlWordStart(s, end));
    EXPECT_FALSE(IsRtfControlWordStart(s, s + 1));  // the letter lies past the end
    EXPECT_FALSE(IsRtfControlWordStart(s + 2, end));
    EXPECT_TRUE(IsRtfStarDestination(s + 4, end));
    EXPECT_FALSE(IsRtfStarDestination(s + 4, s + 6));
    EXPECT_FALSE(IsRtfStarDestination(s + 5, end));
}

}  // namespace
