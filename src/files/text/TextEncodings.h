#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// The encodings of plain text as documents, the conversion dialog and the
// saving options number them, and the finding of a text's encoding from its
// first bytes.
enum TTextEncoding : std::int32_t {
    teUndecided = -1,
    teUtf8 = 0,
    teUtf8Bom = 1,
    teUtf16LE = 2,
    teUtf16BE = 3,
    teCp1250 = 4,
    teCp1251 = 5,
    teCp1252 = 6,
    teCp1253 = 7,
    teCp1254 = 8,
    teCp1255 = 9,
    teCp1256 = 10,
    teCp1257 = 11,
};
inline constexpr std::int32_t TextEncodingCount = 12;

// Line-end kinds of plain text.
enum TTextLineBreak : std::uint8_t { tlbCrLf = 0, tlbCr = 1, tlbLf = 2, tlbLfCr = 3 };

// The name the conversion dialog lists ("UTF-8 (without BOM)"...); empty
// outside 0 to 11.
std::string TextEncodingName(std::int32_t encoding);
// The Windows code page of codes 4 to 11; 0 for the others.
int TextEncodingCodePage(std::int32_t encoding);
// The encoding code of a Windows code page 1250 to 1257; teUndecided for
// others.
std::int32_t TextEncodingOfCodePage(int codePage);

// The letter-frequency score of the bytes for a code page (codes 4 to 11):
// the average weight of the bytes at or above the letter range's start.
std::int32_t ScoreTextCodePage(std::int32_t encoding, std::span<const std::uint8_t> window);

struct TTextDetection {
    std::int32_t Encoding = teUndecided;
    // Bytes of a byte-order mark to skip.
    std::int32_t MarkSize = 0;
};

// The encoding of a text from its first window: a UTF-8 byte-order mark;
// pure ASCII (tab, line feed, form feed, carriage return and 32 to 127) as
// UTF-8; a UTF-16 byte-order mark on an even-sized window; else the code page
// whose letter frequencies fit best, preferring the system's own code page
// and then 1252 among equal scores. defaultCodePage is the system's ANSI
// code page.
TTextDetection DetectTextEncoding(std::span<const std::uint8_t> window, int defaultCodePage);

// Decodes one UTF-8 character from at most n bytes (n > 0) and returns how
// many bytes it took. A malformed sequence gives U+FFFD and takes only its
// longest valid beginning (at least one byte), so a bad byte never swallows
// the characters after it.
std::size_t DecodeUtf8Char(const std::uint8_t* p, std::size_t n, char32_t& c);
