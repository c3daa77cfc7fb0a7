#include "model/formats/DocConstants.h"

#include <gtest/gtest.h>

#include <string_view>

#include "model/formats/WordSeparators.h"

namespace {

// Words of a byte text as the separator table cuts it.
int WordCount(std::string_view text, const std::array<std::uint8_t, 256>& table) {
    int words = 0;
    bool inWord = false;
    for (char c : text) {
        const bool word = table[static_cast<unsigned char>(c)] == 0;
        words += word && !inWord;
        inWord = word;
    }
    return words;
}

TEST(DocConstantsTest, ApostrophesJoinWordsUntilALanguageSeparatesAtThem) {
    for (std::string_view text : {"l'amour", "l`amour",
                                  "l\x91"
                                  "amour",
                                  "l\x92"
                                  "amour"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(WordCount(text, WordSeparators), 1);
        ExcludeApostrophesFromWords();
        EXPECT_EQ(WordCount(text, WordSeparators), 2);
        EXPECT_EQ(WordCount(text, WordSeparatorsNoSpaces), 2);
        IncludeApostrophesInWords();
        EXPECT_EQ(WordCount(text, WordSeparators), 1);
    }
}

TEST(DocConstantsTest, SeparatorTables) {
    EXPECT_EQ(WordSeparators[128], 1);  // the euro sign
    EXPECT_EQ(WordSeparators['&'], 0);
    EXPECT_EQ(WordSeparators[15], 0);  // the soft hyphen sits inside words
    EXPECT_EQ(WordSeparators[161], 0);
    for (int c : {32, 11, 18, 19, 20}) {
        EXPECT_EQ(WordSeparators[c], 1) << c;
        EXPECT_EQ(WordSeparatorsNoSpaces[c], 0) << c;
    }
    EXPECT_EQ(WordSeparatorsNoSpaces['.'], 1);

    InitWordSeparators(true);
    EXPECT_EQ(WordSeparators[161], 1);
    EXPECT_EQ(WordSeparatorsNoSpaces[191], 1);
    InitWordSeparators(false);
    EXPECT_EQ(WordSeparators[191], 0);
}

TEST(DocConstantsTest, SpecialCharactersHexDigitsAndDateStyles) {
    struct Case {
        char16_t c;
        std::uint8_t code;
    };
    const Case cases[] = {{9, 9},       {0x2013, 14}, {150, 14},    {0x2014, 13}, {151, 13},   {160, 11},    {173, 15},
                          {0x2002, 18}, {0x2003, 19}, {0x2005, 20}, {0x2011, 12}, {u'A', 255}, {0x2004, 255}};
    for (const Case& c : cases)
        EXPECT_EQ(SpecialCharCode(c.c), c.code) << static_cast<int>(c.c);

    EXPECT_EQ(HexDigits['g'], 255);
    EXPECT_EQ(HexDigits['a'], 10);
    EXPECT_EQ(HexDigits['A'], 10);
    EXPECT_EQ(HexDigits['9'], 9);
    EXPECT_EQ(HexDigits[0xC1], 255);

    EXPECT_EQ(DateStyleOfLanguage(1036), 2);
    EXPECT_EQ(DateStyleOfLanguage(0x0C0C), 2);  // French (Canada)
    EXPECT_EQ(DateStyleOfLanguage(1033), 1);
    EXPECT_EQ(DateStyleOfLanguage(2057), 0);  // English (United Kingdom)

    EXPECT_STREQ(BuiltInStyleNames[0], "Normal");
    EXPECT_STREQ(BuiltInStyleNames[46], "TOA Heading");
    EXPECT_STREQ(BuiltInStyleNames[91], "TOC Title");
}

}  // namespace
