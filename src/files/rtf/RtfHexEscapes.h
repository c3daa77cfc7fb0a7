#pragma once

#include <cstddef>
#include <cstdint>

// Escaped bytes of RTF: a backslash, an apostrophe and two hexadecimal
// digits of either case stand for one byte of the current code page. An
// escape is all or nothing: when either digit is not hexadecimal it gives no
// byte, and the bytes after the apostrophe are read as what they are (text,
// or a brace or backslash with its usual meaning), which is what the common
// RTF readers do with such input. The pairs of digits without the escape
// (picture data, the settings) go through HexPairsToBytes and
// BytesToHexPairs of base/text/HexText.h.

// The value of the escape "\'" + hi + lo, or -1 when a digit is not
// hexadecimal.
int RtfEscapedByte(std::uint8_t hi, std::uint8_t lo);

// Decodes the run of escapes at the start of region in place: while the
// next four bytes are a whole escape, its byte goes to the front of the
// region. Returns how many bytes of the region were not decoded; the
// decoded bytes are the first (length - result) / 4.
std::size_t DecodeRtfHexEscapes(std::uint8_t* region, std::size_t length);

// Writes each of count bytes as "\'" and two lower-case digits, 4 * count
// characters in all.
void EncodeRtfHexEscapes(const std::uint8_t* source, char* dest, std::size_t count);
