#include "files/text/TextEncodings.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

std::span<const std::uint8_t> Span(std::string_view bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
}

// Decodes a whole string character by character, as the reader does.
std::u32string DecodeAll(std::string_view bytes, std::vector<std::size_t>* lengths = nullptr) {
    std::u32string out;
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    std::size_t at = 0;
    while (at < bytes.size()) {
        char32_t c = 0;
        const std::size_t n = DecodeUtf8Char(p + at, bytes.size() - at, c);
        out += c;
        if (lengths != nullptr)
            lengths->push_back(n);
        at += n;
    }
    return out;
}

// Four-byte sequences are characters of their own, and a malformed byte
// costs only itself: the characters after it survive.
TEST(Utf8Decoding, ValidAndMalformedSequences) {
    struct Case {
        const char* Name;
        std::string Bytes;
        std::u32string Text;
    };
    const Case cases[] = {
        {"ascii", "ab", U"ab"},
        {"two bytes", "\xc3\xa9", U"\u00e9"},
        {"three bytes", "\xe2\x82\xac", U"\u20ac"},
        {"four bytes", "\xf0\x9f\x98\x80x", U"\U0001F600x"},
        {"highest", "\xf4\x8f\xbf\xbf", U"\U0010FFFF"},
        {"stray continuation",
         "\x80"
         "abc",
         U"\uFFFDabc"},
        {"lead without continuation",
         "\xc3"
         "abc",
         U"\uFFFDabc"},
        {"cut three-byte sequence",
         "\xe2\x82"
         "ab",
         U"\uFFFDab"},
        {"cut at the end", "a\xf0\x9f\x98", U"a\uFFFD"},
        {"overlong two bytes", "\xc0\xafz", U"\uFFFD\uFFFDz"},
        {"overlong three bytes", "\xe0\x80\xafz", U"\uFFFD\uFFFD\uFFFDz"},
        {"surrogate", "\xed\xa0\x80z", U"\uFFFD\uFFFD\uFFFDz"},
        {"beyond U+10FFFF", "\xf4\x90\x80\x80z", U"\uFFFD\uFFFD\uFFFD\uFFFDz"},
        {"invalid lead",
         "\xff\xfe"
         "a",
         U"\uFFFD\uFFFDa"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(DecodeAll(c.Bytes), c.Text);
    }
}

TEST(TextDetection, MarksAsciiAndOddSizes) {
    struct Case {
        const char* Name;
        std::string Bytes;
        std::int32_t Encoding;
        std::int32_t MarkSize;
    };
    const Case cases[] = {
        {"empty", "", teUtf8, 0},
        {"ascii with tabs, form feeds and line ends", "ab 1\t\f\r\n~", teUtf8, 0},
        {"utf-8 mark", "\xef\xbb\xbfx\xe9", teUtf8Bom, 3},
        {"utf-8 mark alone", "\xef\xbb\xbf", teUtf8Bom, 3},
        {"utf-16 le mark", std::string("\xff\xfex\0", 4), teUtf16LE, 2},
        {"utf-16 be mark", std::string("\xfe\xff\0x", 4), teUtf16BE, 2},
        // An odd window cannot be UTF-16: it is scored as code-page text.
        {"utf-16 mark on odd size",
         std::string("\xff\xfe"
                     "e\0e",
                     5),
         teCp1252, 0},
        // One byte outside ASCII makes the system score the code pages.
        {"one e acute", "Cafe\xe9 noir", teCp1252, 0},
        {"control byte", "ee\x01", teCp1252, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const TTextDetection detection = DetectTextEncoding(Span(c.Bytes), 1252);
        EXPECT_EQ(detection.Encoding, c.Encoding);
        EXPECT_EQ(detection.MarkSize, c.MarkSize);
    }
}

// Equal scores go to the system's own code page first, then to 1252; among
// the others the higher code wins.
TEST(TextDetection, TiesPreferTheSystemPageThen1252) {
    // Bytes 1..64 are never weighed, so every code page scores 0.
    const std::string noLetters = "\x01\x02 1234";
    EXPECT_EQ(DetectTextEncoding(Span(noLetters), 1252).Encoding, teCp1252);
    EXPECT_EQ(DetectTextEncoding(Span(noLetters), 1251).Encoding, teCp1251);
    EXPECT_EQ(DetectTextEncoding(Span(noLetters), 932).Encoding, teCp1252);
}

TEST(TextScoring, AverageWeightOfCountedBytes) {
    // "e" weighs 19310 in 1252; "@" (64) is ignored; "\xff" (y diaeresis)
    // counts with no weight.
    EXPECT_EQ(ScoreTextCodePage(teCp1252, Span("e@")), 19310);
    EXPECT_EQ(ScoreTextCodePage(teCp1252, Span("E\xff")), 19310 / 2);
    // Below the Cyrillic page's letter range, letters count with weight 0.
    EXPECT_EQ(ScoreTextCodePage(teCp1251, Span("ee")), 0);
    EXPECT_EQ(ScoreTextCodePage(teCp1251, Span("\xe0\xc0")), 16380);
    EXPECT_EQ(ScoreTextCodePage(teCp1255, Span("\xe9")), 11060);
    EXPECT_EQ(ScoreTextCodePage(teCp1254, Span("\xdd")), 8610);
    EXPECT_EQ(ScoreTextCodePage(teCp1252, Span("123")), 0);
    EXPECT_EQ(ScoreTextCodePage(teUtf8, Span("eee")), 0);
}

TEST(TextEncodingNames, CodesAndCodePages) {
    EXPECT_EQ(TextEncodingName(teUtf8), "UTF-8 (without BOM)");
    EXPECT_EQ(TextEncodingName(teUtf16BE), "Unicode (Big-Endian)");
    EXPECT_EQ(TextEncodingName(teCp1257), "Windows-1257 (Baltic)");
    EXPECT_EQ(TextEncodingName(12), "");
    EXPECT_EQ(TextEncodingCodePage(teCp1250), 1250);
    EXPECT_EQ(TextEncodingCodePage(teUtf16LE), 0);
    EXPECT_EQ(TextEncodingOfCodePage(1256), teCp1256);
    EXPECT_EQ(TextEncodingOfCodePage(1258), teUndecided);
}

}  // namespace
