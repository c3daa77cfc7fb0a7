#include "base/text/NumberWords.h"

#include <gtest/gtest.h>

#include <string>

#include "base/text/NumberFormats.h"
#include "platform/CodePages.h"

namespace {

// The words are Windows-1252 text; the reference lists below are UTF-8.
std::string Utf8(const std::string& cp1252) {
    return Platform::Utf16ToUtf8(Platform::BytesToWide(1252, cp1252));
}

struct WordCase {
    std::int64_t n;
    const char* expected;  // UTF-8
};

void ExpectWords(std::int32_t language, bool ordinal, std::initializer_list<WordCase> cases) {
    for (const WordCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.n));
        EXPECT_EQ(Utf8(ordinal ? OrdinalWords(c.n, language) : CardinalWords(c.n, language)), c.expected);
    }
}

TEST(NumberWordsTest, EnglishCardinals) {
    ExpectWords(9, false,
                {
                    {0, "Zero"},
                    {1, "One"},
                    {13, "Thirteen"},
                    {21, "Twenty-one"},
                    {40, "Forty"},
                    {44, "Forty-four"},
                    {99, "Ninety-nine"},
                    {100, "One hundred"},
                    {101, "One hundred one"},
                    {115, "One hundred fifteen"},
                    {1000, "One thousand"},
                    {1001, "One thousand one"},
                    {2024, "Two thousand twenty-four"},
                    {12345, "Twelve thousand three hundred forty-five"},
                    {100000, "One hundred thousand"},
                    {1000000, "One million"},
                    {1000100, "One million one hundred"},
                    {1234567, "One million two hundred thirty-four thousand five hundred sixty-seven"},
                    {2000000000, "Two billion"},
                    {2147483647,
                     "Two billion one hundred forty-seven million four hundred eighty-three thousand six hundred "
                     "forty-seven"},
                    {-5, "Minus five"},
                });
}

TEST(NumberWordsTest, EnglishOrdinals) {
    ExpectWords(9, true,
                {
                    {0, "Zeroth"},
                    {1, "First"},
                    {2, "Second"},
                    {3, "Third"},
                    {4, "Fourth"},
                    {5, "Fifth"},
                    {8, "Eighth"},
                    {9, "Ninth"},
                    {11, "Eleventh"},
                    {12, "Twelfth"},
                    {13, "Thirteenth"},
                    {20, "Twentieth"},
                    {21, "Twenty-first"},
                    {40, "Fortieth"},
                    {42, "Forty-second"},
                    {100, "One hundredth"},
                    {101, "One hundred first"},
                    {1000, "One thousandth"},
                    {1000000, "One millionth"},
                });
    // Languages without words of their own are written in English.
    EXPECT_EQ(CardinalWords(21, 16), "Twenty-one");
    EXPECT_EQ(OrdinalWords(3, 0x409), "Third");
}

TEST(NumberWordsTest, GermanCardinals) {
    ExpectWords(7, false,
                {
                    {0, "Null"},
                    {1, "Eins"},
                    {7, "Sieben"},
                    {16, "Sechzehn"},
                    {17, "Siebzehn"},
                    {20, "Zwanzig"},
                    {21, "Einundzwanzig"},
                    {30, "Dreißig"},
                    {37, "Siebenunddreißig"},
                    {71, "Einundsiebzig"},
                    {99, "Neunundneunzig"},
                    {100, "Hundert"},
                    {101, "Hunderteins"},
                    {111, "Hundertelf"},
                    {200, "Zweihundert"},
                    {999, "Neunhundertneunundneunzig"},
                    {1000, "Eintausend"},
                    {1001, "Eintausendeins"},
                    {1100, "Eintausendeinhundert"},
                    {2021, "Zweitausendeinundzwanzig"},
                    {17000, "Siebzehntausend"},
                    {21000, "Einundzwanzigtausend"},
                    {100000, "Hunderttausend"},
                    {101000, "Hunderteintausend"},
                    {999999, "Neunhundertneunundneunzigtausendneunhundertneunundneunzig"},
                    {1000000, "Eine Million"},
                    {1000001, "Eine Million eins"},
                    {2000000, "Zwei Millionen"},
                    {101000000, "Hunderteine Millionen"},
                    {1234567, "Eine Million zweihundertvierunddreißigtausendfünfhundertsiebenundsechzig"},
                    {2000000000, "Zwei Milliarden"},
                    {-21, "Minus einundzwanzig"},
                });
}

TEST(NumberWordsTest, GermanOrdinals) {
    ExpectWords(0x407, true,
                {
                    {0, "Nullte"},
                    {1, "Erste"},
                    {2, "Zweite"},
                    {3, "Dritte"},
                    {7, "Siebte"},
                    {8, "Achte"},
                    {11, "Elfte"},
                    {17, "Siebzehnte"},
                    {19, "Neunzehnte"},
                    {20, "Zwanzigste"},
                    {21, "Einundzwanzigste"},
                    {30, "Dreißigste"},
                    {100, "Hundertste"},
                    {101, "Hunderterste"},
                    {103, "Hundertdritte"},
                    {1000, "Eintausendste"},
                    {1000000, "Einmillionste"},
                    {2000000, "Zweimillionste"},
                    {1000000000, "Einmilliardste"},
                });
}

TEST(NumberWordsTest, SpanishCardinals) {
    ExpectWords(10, false,
                {
                    {0, "Cero"},
                    {1, "Uno"},
                    {15, "Quince"},
                    {16, "Dieciséis"},
                    {21, "Veintiuno"},
                    {22, "Veintidós"},
                    {29, "Veintinueve"},
                    {30, "Treinta"},
                    {31, "Treinta y uno"},
                    {45, "Cuarenta y cinco"},
                    {99, "Noventa y nueve"},
                    {100, "Cien"},
                    {101, "Ciento uno"},
                    {110, "Ciento diez"},
                    {200, "Doscientos"},
                    {500, "Quinientos"},
                    {555, "Quinientos cincuenta y cinco"},
                    {700, "Setecientos"},
                    {900, "Novecientos"},
                    {999, "Novecientos noventa y nueve"},
                    {1000, "Mil"},
                    {1001, "Mil uno"},
                    {2000, "Dos mil"},
                    {21000, "Veintiún mil"},
                    {31000, "Treinta y un mil"},
                    {100000, "Cien mil"},
                    {101000, "Ciento un mil"},
                    {500000, "Quinientos mil"},
                    {1000000, "Un millón"},
                    {2000000, "Dos millones"},
                    {21000000, "Veintiún millones"},
                    {1000000000, "Mil millones"},
                    {-3, "Menos tres"},
                });
    // Spanish ordinals are written with the cardinal words.
    EXPECT_EQ(OrdinalWords(21, 10), CardinalWords(21, 10));
}

TEST(NumberWordsTest, FrenchCardinals) {
    ExpectWords(12, false,
                {
                    {0, "Zéro"},
                    {1, "Un"},
                    {16, "Seize"},
                    {17, "Dix-sept"},
                    {21, "Vingt et un"},
                    {22, "Vingt-deux"},
                    {31, "Trente et un"},
                    {60, "Soixante"},
                    {61, "Soixante et un"},
                    {70, "Soixante-dix"},
                    {71, "Soixante et onze"},
                    {72, "Soixante-douze"},
                    {77, "Soixante-dix-sept"},
                    {80, "Quatre-vingts"},
                    {81, "Quatre-vingt-un"},
                    {90, "Quatre-vingt-dix"},
                    {91, "Quatre-vingt-onze"},
                    {99, "Quatre-vingt-dix-neuf"},
                    {100, "Cent"},
                    {101, "Cent un"},
                    {180, "Cent quatre-vingts"},
                    {200, "Deux cents"},
                    {201, "Deux cent un"},
                    {1000, "Mille"},
                    {1001, "Mille un"},
                    {2000, "Deux mille"},
                    {21000, "Vingt et un mille"},
                    {80000, "Quatre-vingt mille"},
                    {200000, "Deux cent mille"},
                    {999999, "Neuf cent quatre-vingt-dix-neuf mille neuf cent quatre-vingt-dix-neuf"},
                    {1000000, "Un million"},
                    {2000000, "Deux millions"},
                    {80000000, "Quatre-vingts millions"},
                    {200000000, "Deux cents millions"},
                    {-1, "Moins un"},
                });
}

TEST(NumberWordsTest, FrenchOrdinals) {
    ExpectWords(12, true,
                {
                    {0, "Zéro"},
                    {1, "Premier"},
                    {2, "Deuxième"},
                    {3, "Troisième"},
                    {4, "Quatrième"},
                    {5, "Cinquième"},
                    {9, "Neuvième"},
                    {11, "Onzième"},
                    {21, "Vingt et unième"},
                    {80, "Quatre-vingtième"},
                    {100, "Centième"},
                    {200, "Deux centième"},
                    {1000, "Millième"},
                    {2000000, "Deux millionième"},
                });
}

TEST(NumberWordsTest, RomanNumeralsAndLetters) {
    struct Case {
        std::int32_t n;
        const char* roman;
        const char* letters;
    };
    const Case cases[] = {
        {-1, "", ""},
        {0, "", ""},
        {1, "I", "A"},
        {4, "IV", "D"},
        {9, "IX", "I"},
        {14, "XIV", "N"},
        {26, "XXVI", "Z"},
        {27, "XXVII", "AA"},
        {40, "XL", "NN"},
        {52, "LII", "ZZ"},
        {53, "LIII", "AAA"},
        {90, "XC", "LLLL"},
        {400, "CD", "JJJJJJJJJJJJJJJJ"},
        {1994, "MCMXCIV", nullptr},
        {3999, "MMMCMXCIX", nullptr},
        {4000, "MMMM", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        EXPECT_EQ(RomanNumeral(c.n), c.roman);
        if (c.letters) {
            EXPECT_EQ(AlphabeticNumber(c.n), c.letters);
        }
    }
    EXPECT_EQ(AlphabeticNumber(1994), std::string(77, 'R'));
    for (std::int32_t n = 1; n <= 4000; ++n)
        ASSERT_EQ(RomanToInt(RomanNumeral(n), -1), n) << n;

    EXPECT_EQ(RomanToInt("MCMXCIV", 0), 1994);
    EXPECT_EQ(RomanToInt("mc", 7), 7);  // lower case is not read
    EXPECT_EQ(RomanToInt("MMX1", 7), 7);
    EXPECT_EQ(RomanToInt("IIII", 7), 4);
    EXPECT_EQ(RomanToInt("", 7), 0);
    EXPECT_EQ(RomanToInt(std::string(3000000, 'M'), 7), 7);  // beyond 32 bits
}

TEST(NumberWordsTest, HexToInt) {
    struct Case {
        const char* text;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"1f", 31},
        {"1F", 31},
        {"0", 0},
        {"7FFFFFFF", 0x7FFFFFFF},
        {"00000000000000001f", 31},
        {"80000000", UnsetNumber},
        {"FFFFFFFF", UnsetNumber},
        {"123456789", UnsetNumber},
        {"12G", UnsetNumber},
        {"-1", UnsetNumber},
        {" 1", UnsetNumber},
        {"", UnsetNumber},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(HexToInt(c.text), c.expected);
    }
}

TEST(NumberWordsTest, OrdinalSuffixes) {
    struct Case {
        std::int32_t n;
        std::int32_t language;
        const char* expected;  // UTF-8
    };
    const Case cases[] = {
        {1, 9, "1st"},    {2, 9, "2nd"},       {3, 9, "3rd"},    {4, 9, "4th"},     {11, 9, "11th"},
        {12, 9, "12th"},  {13, 9, "13th"},     {21, 9, "21st"},  {112, 9, "112th"}, {122, 0x809, "122nd"},
        {5, 7, "5."},     {5, 5, "5."},        {5, 11, "5."},    {5, 20, "5."},     {1, 12, "1er"},
        {2, 12, "2e"},    {1, 19, "1e"},       {7, 10, "7º"},    {7, 16, "7º"},     {7, 22, "7º"},
        {1, 3, "1."},     {2, 3, "2n"},        {3, 3, "3r"},     {4, 3, "4t"},      {14, 3, "14èh"},
        {5, 3, "5è"},     {100, 6, "100ende"}, {1, 6, "1ste"},   {2, 6, "2nden"},   {3, 6, "3dje"},
        {4, 6, "4rde"},   {5, 6, "5te"},       {30, 6, "30te"},  {7, 6, "7nde"},    {21, 29, "21:a"},
        {22, 29, "22:a"}, {11, 29, "11:e"},    {12, 29, "12:e"}, {23, 29, "23:e"},  {1, 25, "1st"},
        {-1, 9, "-1st"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.n) + " in language " + std::to_string(c.language));
        EXPECT_EQ(Utf8(NumberWithOrdinalSuffix(c.n, c.language)), c.expected);
    }
}

// A plain encoder to produce test input for every byte value.
std::string EncodeBase64(const std::string& bytes) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const unsigned b0 = static_cast<unsigned char>(bytes[i]);
        const unsigned b1 = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
        const unsigned b2 = i + 2 < bytes.size() ? static_cast<unsigned char>(bytes[i + 2]) : 0;
        out += alphabet[b0 >> 2];
        out += alphabet[((b0 & 3) << 4) | (b1 >> 4)];
        out += i + 1 < bytes.size() ? alphabet[((b1 & 15) << 2) | (b2 >> 6)] : '=';
        out += i + 2 < bytes.size() ? alphabet[b2 & 63] : '=';
    }
    return out;
}

TEST(NumberWordsTest, DecodeBase64) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"", ""},         {"TWFu", "Man"},      {"TWE=", "Ma"},
        {"TQ==", "M"},    {"TWFuTQ==", "ManM"}, {"TWFuT", ""},  // length not a multiple of four
        {"TQ==TWFu", ""},                                       // padding before the last group
        {"=AAA", ""},                                           // padding at the start of a group
        {"T===", ""},                                           // a single character makes no byte
        {"TW=u", ""},                                           // data after the padding
        {"TWF*", ""},                                           // outside the alphabet
        {"TW\nu", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string text = c.text;
        DecodeBase64(text);
        EXPECT_EQ(text, c.expected);
    }

    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    for (std::size_t length : {all.size(), all.size() - 1, all.size() - 2}) {
        std::string text = EncodeBase64(all.substr(0, length));
        DecodeBase64(text);
        EXPECT_EQ(text, all.substr(0, length));
    }
}

class DecimalSeparatorTest : public ::testing::Test {
protected:
    void SetUp() override { Saved = DecimalSeparator(); }
    void TearDown() override { SetDecimalSeparator(Saved); }
    char Saved = '.';
};

TEST_F(DecimalSeparatorTest, LocalizeAndGeneralForm) {
    SetDecimalSeparator(',');
    EXPECT_EQ(LocalizeDecimalSeparator("1.5 and 2,5"), "1,5 and 2,5");
    EXPECT_EQ(FormatGeneralNumber(2.54), "2,54");
    SetDecimalSeparator('.');
    EXPECT_EQ(LocalizeDecimalSeparator("1,5"), "1.5");

    struct Case {
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {2.54, "2.54"},
        {12, "12"},
        {0.75, "0.75"},
        {-0.5, "-0.5"},
        {1.0 / 3, "0.333333333333333"},
        {1e20, "1E20"},
        {0, "0"},
        {1e-7, "1E-7"},
        {123456789012345.0, "123456789012345"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(FormatGeneralNumber(c.value), c.expected);
    }
}

}  // namespace
