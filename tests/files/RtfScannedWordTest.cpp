#include "files/rtf/RtfScannedWord.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "files/rtf/RtfControlWords.h"

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

// The bytes after a backslash in a block of exactly their size, so a read
// past the end is caught by the sanitizer build.
struct TScan {
    explicit TScan(const std::string& text) : Bytes(text.begin(), text.end()) {
        std::uint8_t* p = Bytes.data();
        Complete = ScanRtfControlWord(p, Bytes.data() + Bytes.size(), Word);
        if (!Complete)
            FinishRtfControlWord(Word);
        Rest = std::string(p, Bytes.data() + Bytes.size());
    }
    std::string Letters() const { return std::string(Word.Letters, Word.Letters + Word.LetterCount); }

    std::vector<std::uint8_t> Bytes;
    TRtfScannedWord Word;
    bool Complete = false;
    std::string Rest;
};

TEST(RtfScannedWordTest, LettersParameterAndDelimiter) {
    struct Case {
        const char* Text;
        const char* Letters;
        int Word;
        std::int64_t Length;  // consumed after the backslash
        std::int64_t ParamLength;
        std::int32_t Param;
        std::int32_t ParamOrOne;
        const char* Rest;
    };
    const Case cases[] = {
        {"B x", "b", rwB, 2, 0, 0, 1, "x"},      // lowered; the space is the delimiter
        {"b0x", "b", rwB, 2, 1, 0, 0, "x"},      // a toggle turned off
        {"b2\\i", "b", rwB, 2, 1, 2, 2, "\\i"},  // other values kept as given
        {"li-720 ", "li", rwLi, 7, 4, -720, -720, ""},
        {"li-x", "li", rwLi, 3, 1, 0, 0, "x"},  // a lone "-" is consumed and reads 0
        {"li- x", "li", rwLi, 4, 1, 0, 0, "x"},
        {"fs24 x", "fs", rwFs, 5, 2, 24, 24, "x"},    // the space after the number too
        {"fs24x", "fs", rwFs, 4, 2, 24, 24, "x"},     // the x is text
        {"fs24  x", "fs", rwFs, 5, 2, 24, 24, " x"},  // only one space is the delimiter
        {"Par\r\n", "par", rwPar, 3, 0, 0, 1, "\r\n"},
        {"PaRd{", "pard", rwPard, 4, 0, 0, 1, "{"},
        {"u-3913?", "u", rwU, 6, 5, -3913, -3913, "?"},
        {"u61623?", "u", rwU, 6, 5, 61623, 61623, "?"},
        {"xyzzy12 ", "xyzzy", RtfUnknownWord, 8, 2, 12, 12, ""},  // unknown words keep their parameter
        {"private1 ", "private", RtfUnknownWord, 9, 1, 1, 1, ""},
        {"sl-0", "sl", rwSl, 4, 2, 0, 0, ""},  // the word ends with the input
        {"trowd", "trowd", rwTrowd, 5, 0, 0, 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        const TScan scan(c.Text);
        EXPECT_EQ(scan.Letters(), c.Letters);
        EXPECT_EQ(std::string(scan.Bytes.begin(), scan.Bytes.begin() + scan.Word.LetterCount), c.Letters);
        EXPECT_EQ(LookupRtfControlWord(scan.Word), c.Word);
        EXPECT_EQ(scan.Word.Length, c.Length);
        EXPECT_EQ(RtfParamLength(scan.Word), c.ParamLength);
        EXPECT_EQ(ParseRtfNumber(scan.Word), c.Param);
        EXPECT_EQ(RtfParamOrOne(scan.Word), c.ParamOrOne);
        EXPECT_EQ(scan.Rest, c.Rest);
        EXPECT_FALSE(scan.Word.Clamped);
    }
    // The code unit of "u" is its parameter modulo 65536, so both forms give
    // the same character.
    EXPECT_EQ(static_cast<std::uint16_t>(ParseRtfNumber(TScan("u-3913?").Word)), 61623);
}

// Numbers are never wrapped: any number of digits is consumed, and a value
// outside the signed 32-bit range stands for the nearest one inside it.
TEST(RtfScannedWordTest, LongNumbersAreConsumedAndClamped) {
    struct Case {
        std::string Digits;
        std::int32_t Param;
        bool Clamped;
    };
    const Case cases[] = {
        {"2147483647", kMax, false},
        {"-2147483648", kMin, false},
        {"2147483648", kMax, true},
        {"-2147483649", kMin, true},
        {"4294967296", kMax, true},  // wraps to 0 in 32-bit arithmetic
        {"4294967297", kMax, true},  // wraps to 1: a toggle would turn on
        {"-4294967295", kMin, true},
        {"99999999999999999999999999999999999999999999", kMax, true},
        {"000000000000000000000000000000000000000000012", 12, false},
        {std::string(100000, '9'), kMax, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Digits.substr(0, 50));
        const TScan scan("fs" + c.Digits + " x");
        EXPECT_TRUE(scan.Complete);
        EXPECT_EQ(ParseRtfNumber(scan.Word), c.Param);
        EXPECT_EQ(scan.Word.Clamped, c.Clamped);
        EXPECT_EQ(RtfParamLength(scan.Word), static_cast<std::int64_t>(c.Digits.size()));
        EXPECT_EQ(scan.Rest, "x");
    }
}

// A word cut by the end of the bytes stops there unfinished and goes on over
// the next bytes wherever the cut fell.
TEST(RtfScannedWordTest, AWordCutAnywhereContinuesOverTheNextBytes) {
    const std::string text = "Fs-12345 x";
    for (std::size_t cut = 1; cut < 9; ++cut) {
        SCOPED_TRACE(cut);
        std::vector<std::uint8_t> first(text.begin(), text.begin() + cut);
        std::vector<std::uint8_t> second(text.begin() + cut, text.end());
        TRtfScannedWord word;
        std::uint8_t* p = first.data();
        EXPECT_FALSE(ScanRtfControlWord(p, first.data() + first.size(), word));
        EXPECT_EQ(p, first.data() + first.size());
        const int early = cut > 2 ? LookupRtfControlWord(word) : RtfUnknownWord;
        p = second.data();
        EXPECT_TRUE(ContinueRtfControlWord(p, second.data() + second.size(), word));
        EXPECT_EQ(std::string(p, second.data() + second.size()), "x");
        EXPECT_EQ(word.Length, 9);
        EXPECT_EQ(ParseRtfNumber(word), -12345);
        EXPECT_EQ(word.LetterCount, 2);
        if (cut > 2) {
            EXPECT_EQ(early, rwFs);
        }
    }
}

}  // namespace
