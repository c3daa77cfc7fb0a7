#include "platform/Collation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace Platform;

constexpr std::uint32_t kEnglish = 0x409;
constexpr std::uint32_t kFrench = 0x40C;
constexpr std::uint32_t kGerman = 0x407;
constexpr std::uint32_t kTurkish = 0x41F;
constexpr std::uint32_t kRussian = 0x419;
constexpr std::uint32_t kJapanese = 0x411;

TEST(CollationTest, ComparesUnderTheLanguagesRules) {
    struct Case {
        const char* name;
        std::uint32_t lcid;
        std::uint32_t options;
        std::u16string a, b;
        int expected;
    };
    const Case cases[] = {
        // Case: ignored on request, otherwise a difference.
        {"case ignored", kEnglish, clIgnoreCase, u"Hello", u"hELLO", 0},
        {"case respected", kEnglish, 0, u"Hello", u"hello", 1},
        {"case decides last", kEnglish, 0, u"ab", u"Ac", -1},
        // Accents weigh more than case and less than letters.
        {"accent after base letter", kFrench, 0, u"e", u"\u00E9", -1},
        {"accent before next letter", kFrench, 0, u"\u00E9", u"f", -1},
        {"accent counts without case", kFrench, clIgnoreCase, u"cote", u"c\u00F4te", -1},
        {"accented capitals ignore case", kFrench, clIgnoreCase, u"\u00C9T\u00C9", u"\u00E9t\u00E9", 0},
        // German sharp s sorts as ss, just after it.
        {"sharp s after ss", kGerman, clIgnoreCase, u"Stra\u00DFe", u"STRASSE", 1},
        {"sharp s before st", kGerman, clIgnoreCase, u"Stra\u00DFe", u"Strast", -1},
        // Turkish pairs dotless i with I and dotted i with the dotted capital.
        {"Turkish I is dotless i", kTurkish, clIgnoreCase, u"I", u"\u0131", 0},
        {"Turkish dotted capital", kTurkish, clIgnoreCase, u"\u0130", u"i", 0},
        {"Turkish i is not I", kTurkish, clIgnoreCase, u"i", u"I", 1},
        {"English i is I", kEnglish, clIgnoreCase, u"i", u"I", 0},
        // String sort: the hyphen is a character that sorts before letters.
        // Word sort: it weighs less than the letters around it.
        {"string sort hyphen", kEnglish, clIgnoreCase, u"co-op", u"cook", -1},
        {"word sort hyphen", kEnglish, clIgnoreCase | clWordSort, u"co-op", u"cook", 1},
        {"word sort apostrophe", kEnglish, clIgnoreCase | clWordSort, u"can't", u"cane", 1},
        {"word sort still tells them apart", kEnglish, clIgnoreCase | clWordSort, u"coop", u"co-op", 1},
        // Prefixes and empty strings.
        {"shorter first", kEnglish, 0, u"abc", u"abcd", -1},
        {"empty first", kEnglish, clIgnoreCase, u"", u"a", -1},
        {"both empty", kEnglish, 0, u"", u"", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CompareWideInLocale(c.lcid, c.options, c.a, c.b), c.expected);
        EXPECT_EQ(CompareWideInLocale(c.lcid, c.options, c.b, c.a), -c.expected);
    }
}

TEST(CollationTest, BytesCompareAsTheCharactersOfTheLanguagesCodePage) {
    // 0xDF and 0xFF are capital and small ya in Windows-1251, sharp s and
    // y with diaeresis in Windows-1252.
    EXPECT_EQ(CompareBytesInLocale(kRussian, clIgnoreCase, "\xDF", "\xFF"), 0);
    EXPECT_NE(CompareBytesInLocale(kEnglish, clIgnoreCase, "\xDF", "\xFF"), 0);
    // Windows-1254: 0xDD is the dotted capital I.
    EXPECT_EQ(CompareBytesInLocale(kTurkish, clIgnoreCase, "\xDDstanbul", "istanbul"), 0);

    // Texts longer than the stack buffer compare to the last byte.
    std::string a(1000, 'x'), b(1000, 'x');
    b.back() = 'y';
    EXPECT_EQ(CompareBytesInLocale(kEnglish, 0, a, b), -1);
    EXPECT_EQ(CompareBytesInLocale(kEnglish, 0, a, a), 0);

    // Double-byte text: Shift-JIS for "Japan" sorts as the same characters.
    const std::string nihon = "\x93\xFA\x96\x7B";
    EXPECT_EQ(CompareBytesInLocale(kJapanese, 0, nihon, nihon), 0);
    EXPECT_EQ(CompareBytesInLocale(kJapanese, 0, "a", nihon), -1);
}

TEST(CollationTest, SortKeysOrderAsTheComparison) {
    std::vector<std::u16string> words = {u"peach", u"P\u00E9ch\u00E9", u"p\u00EAche", u"co-op", u"coop", u"Apple",
                                         u"apple", u"\u00C4pfel",      u"zebra",      u"",      u"a b",  u"ab"};
    for (const std::uint32_t options : {0u, std::uint32_t{clIgnoreCase}}) {
        SCOPED_TRACE(options);
        for (const auto& a : words)
            for (const auto& b : words) {
                const std::string ka = CollationSortKey(kFrench, options, a);
                const std::string kb = CollationSortKey(kFrench, options, b);
                const int keys = ka.compare(kb);
                EXPECT_EQ((keys > 0) - (keys < 0), CompareWideInLocale(kFrench, options, a, b))
                    << std::string(a.begin(), a.end()) << " / " << std::string(b.begin(), b.end());
            }
    }
}

TEST(CollationTest, MapsOneCharacterToOneCharacter) {
    struct Case {
        const char* name;
        std::uint32_t lcid;
        char16_t c, upper, lower;
    };
    const Case cases[] = {
        {"ASCII", kEnglish, u'q', u'Q', u'q'},
        {"accented", kFrench, u'\u00E9', u'\u00C9', u'\u00E9'},
        {"Cyrillic", kRussian, u'\u044F', u'\u042F', u'\u044F'},
        {"Turkish i", kTurkish, u'i', u'\u0130', u'i'},
        {"Turkish I", kTurkish, u'I', u'I', u'\u0131'},
        {"English I", kEnglish, u'I', u'I', u'i'},
        {"dotted capital outside Turkish", kEnglish, u'\u0130', u'\u0130', u'i'},
        {"sharp s has no one-unit capital", kGerman, u'\u00DF', u'\u00DF', u'\u00DF'},
        {"digit", kEnglish, u'7', u'7', u'7'},
        {"lone surrogate", kEnglish, u'\xD801', u'\xD801', u'\xD801'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(UpperWideCharInLocale(c.lcid, c.c), c.upper);
        EXPECT_EQ(LowerWideCharInLocale(c.lcid, c.c), c.lower);
    }
}

TEST(CollationTest, WholeStringMappingKeepsTheLength) {
    struct Case {
        const char* name;
        std::uint32_t lcid;
        bool upper;
        std::u16string text, expected;
    };
    const Case cases[] = {
        {"sharp s stays", kGerman, true, u"stra\u00DFe", u"STRA\u00DFE"},
        {"Turkish capitals", kTurkish, true, u"istanbul", u"\u0130STANBUL"},
        {"Turkish small", kTurkish, false, u"ISPARTA", u"\u0131sparta"},
        {"dotted capital alone", kEnglish, false, u"\u0130zmir", u"izmir"},
        {"Greek final sigma", 0x408, false, u"\u039F\u0394\u039F\u03A3", u"\u03BF\u03B4\u03BF\u03C2"},
        {"surrogate pair", kEnglish, true, u"a\U00010428b", u"A\U00010400B"},
        {"empty", kEnglish, true, u"", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::u16string got =
            c.upper ? UpperCaseWideInLocale(c.lcid, c.text) : LowerCaseWideInLocale(c.lcid, c.text);
        EXPECT_EQ(got, c.expected);
    }
}

TEST(CollationTest, MapsBytesThroughTheCodePage) {
    EXPECT_EQ(UpperByteInLocale(kEnglish, 0xE9), 0xC9);  // e acute
    EXPECT_EQ(UpperByteInLocale(kEnglish, 0xFF), 0x9F);  // y diaeresis moves to 0x9F
    EXPECT_EQ(UpperByteInLocale(kEnglish, 0xB5), 0xB5);  // micro: its capital is not in 1252
    EXPECT_EQ(UpperByteInLocale(kEnglish, 0xDF), 0xDF);  // sharp s
    EXPECT_EQ(UpperByteInLocale(kRussian, 0xFF), 0xDF);  // ya
    EXPECT_EQ(UpperByteInLocale(kTurkish, 'i'), 0xDD);
    EXPECT_EQ(LowerByteInLocale(kTurkish, 'I'), 0xFD);
    EXPECT_EQ(LowerByteInLocale(kEnglish, 'I'), 'i');

    char text[] = "Stra\337e \xC9t\xE9";  // sharp s stays, e acute becomes a capital
    UpperCaseBytesInLocale(kGerman, text, text, std::strlen(text));
    EXPECT_STREQ(text, "STRA\337E \xC9T\xC9");

    // Shift-JIS: the trail byte of katakana A is the byte of "A" and must
    // not be mapped; the ASCII letter after it is.
    char sjis[] = "\x83\x41\x42";
    LowerCaseBytesInLocale(kJapanese, sjis, sjis, 3);
    EXPECT_STREQ(sjis, "\x83\x41\x62");
    EXPECT_EQ(LowerByteInLocale(kJapanese, 0x83), 0x83);
}

TEST(CollationTest, NamesLocalesAndCodePages) {
    struct Case {
        std::uint32_t lcid;
        int codePage;
    };
    const Case cases[] = {
        {0x409, 1252}, {0x40C, 1252}, {0x405, 1250}, {0x415, 1250}, {0x41A, 1250}, {0xC1A, 1251},
        {0x419, 1251}, {0x402, 1251}, {0x42C, 1254}, {0x82C, 1251}, {0x408, 1253}, {0x41F, 1254},
        {0x40D, 1255}, {0x401, 1256}, {0x429, 1256}, {0x425, 1257}, {0x427, 1257}, {0x42A, 1258},
        {0x41E, 874},  {0x411, 932},  {0x804, 936},  {0x404, 950},  {0xC04, 950},  {0x412, 949},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lcid);
        EXPECT_EQ(AnsiCodePageOfLocale(c.lcid), c.codePage);
    }
    EXPECT_EQ(LocaleNameOf(0x40C), "fr_FR");
    EXPECT_EQ(LocaleNameOf(0x41F), "tr_TR");
    EXPECT_EQ(LocaleNameOf(0xC0C), "fr_CA");
    // An unknown sublanguage still gives the language; an unknown language
    // gives English (United States).
    EXPECT_EQ(LocaleNameOf(0xFC0C).substr(0, 2), "fr");
    EXPECT_EQ(LocaleNameOf(0x7FE), "en_US");
    EXPECT_EQ(AnsiCodePageOfLocale(0x7FE), 1252);
    // Primary language 0 is the user's default locale, whatever the rest.
    EXPECT_EQ(LocaleNameOf(0), LocaleNameOf(0x400));
    EXPECT_EQ(LocaleNameOf(0x800), LocaleNameOf(0x400));
}

}  // namespace
