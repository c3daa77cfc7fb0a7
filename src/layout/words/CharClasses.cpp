#include "layout/words/CharClasses.h"

#include <array>

#include "model/formats/WordSeparators.h"

namespace {

struct TClassTable {
    std::array<std::uint16_t, 256> Bits{};
    std::array<std::uint8_t, 256> PathSeparators{};

    constexpr void Mark(std::uint16_t cls, const char* chars) {
        for (const char* p = chars; *p != 0; ++p)
            Bits[static_cast<std::uint8_t>(*p)] |= cls;
    }
    constexpr void Mark(std::uint16_t cls, std::initializer_list<int> codes) {
        for (int c : codes)
            Bits[c] |= cls;
    }
};

// Codes 128 and up are characters of Windows-1252 (130 low quote, 132 low
// double quote, 145 to 148 typographic quotes, 171 and 187 angle quotes).
constexpr TClassTable MakeClasses() {
    TClassTable t;
    for (int c = 2; c <= 8; ++c)
        t.Bits[c] |= ccBreak;
    t.Mark(ccBlank, {11, 18, 19, 20, 32});
    for (int c = 2; c <= 9; ++c)
        t.Bits[c] |= ccWhiteSpace;
    t.Mark(ccWhiteSpace, {11, 18, 19, 20, 32});
    t.Mark(ccSentenceEnd, "!.?");
    t.Mark(ccQuote, "\"'`");
    t.Mark(ccQuote, {132, 145, 146, 147, 148, 171, 187});
    t.Mark(ccInvertedMark, {161, 191});

    t.Mark(ccAddress, "!\"#$%&'()*+,-./:;<=>?@\\_~");
    for (int c = '0'; c <= '9'; ++c)
        t.Bits[c] |= ccAddress;
    for (int c = 'A'; c <= 'Z'; ++c)
        t.Bits[c] |= ccAddress;
    for (int c = 'a'; c <= 'z'; ++c)
        t.Bits[c] |= ccAddress;
    for (int c = 128; c <= 255; ++c)
        if (c != 132 && c != 147 && c != 148 && c != 171 && c != 187)
            t.Bits[c] |= ccAddress;
    t.Mark(ccAddressTrim, "!\"%&()+,-.:;<>?@");
    t.Mark(ccAddressTrim, {130});

    // A path keeps its drive colon and its folder separators, so that the
    // drive and server forms can be recognised; the other characters that
    // no file name may hold end it.
    for (int c = 2; c <= 20; ++c)
        if (c != 15 && c != 17)
            t.Bits[c] |= ccPathSeparator;
    t.Mark(ccPathSeparator, " \"*<>?[]{}|");
    t.Mark(ccPathSeparator, {132, 147, 148, 171, 187});
    t.Mark(ccPathTrim, "!\"#$%&'()*+,-.:;<=>?@[]^`{}|");
    t.Mark(ccPathTrim, {132, 145, 146, 147, 148, 171, 187});

    t.Mark(ccListMarkerEnd, ").");
    for (int c = 0; c < 256; ++c)
        t.PathSeparators[c] = (t.Bits[c] & ccPathSeparator) != 0 ? 1 : 0;
    return t;
}

constexpr TClassTable Classes = MakeClasses();

}  // namespace

bool IsCharClass(std::uint8_t c, std::uint16_t mask) {
    std::uint16_t bits = Classes.Bits[c];
    if (WordSeparators[c] != 0)
        bits |= ccSeparator;
    if (WordSeparatorsNoSpaces[c] != 0)
        bits |= ccPunctuation;
    return (bits & mask) != 0;
}

const std::uint8_t* PathSeparatorTable() {
    return Classes.PathSeparators.data();
}
