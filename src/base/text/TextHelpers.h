#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Small text helpers shared by the settings, the status bar and the
// writing tools.

// Index of the first byte equal to b among count bytes; -1 when none.
std::int32_t FindByte(const void* buffer, std::uint8_t b, std::int32_t count);
// Index of the first code unit equal to c among count units; -1 when none.
std::int32_t FindWideChar(const char16_t* text, char16_t c, std::int32_t count);
// Index of the first byte below 32 among len bytes; len when none.
std::int32_t FirstControlCharIndex(const void* buffer, std::int32_t len);

// The value rounded to a whole number (halves away from zero), its
// thousands grouped with spaces: 1234567 gives "1 234 567".
std::string FormatThousandsSpaced(double value);

// A copy of s with every byte from replaced by to.
std::string ReplaceChar(std::string_view s, char from, char to);

// Multi-line texts are kept in the settings on one line, with "||" for each
// line break (CR LF).
std::string BarsToLineBreaks(std::string_view s);
std::string LineBreaksToBars(std::string_view s);

// UTF-16 text as hexadecimal: four upper-case digits per code unit, the low
// byte first ("A" gives "4100").
std::string WideStringToHex(std::u16string_view w);
// The reverse: size / 4 code units decoded from pairs of digits of either
// case. Decoding stops at the first pair that is not hexadecimal; the units
// from there on are 0.
std::u16string HexToWideString(std::string_view s);

// The value of one hexadecimal digit of either case; -1 for any other byte.
int HexDigitValue(char c);

// Decodes up to count pairs of hexadecimal digits (either case) from cursor
// into dest and returns the number of bytes written. It stops before the
// first pair that is not two hexadecimal digits (or is cut short by the end
// of the text) and advances cursor past the pairs it used.
std::int32_t HexPairsToBytes(std::string_view& cursor, std::uint8_t* dest, std::int32_t count);

// "01ab00ff" for the bytes 01 AB 00 FF (read back with HexPairsToBytes).
std::string BytesToHexPairs(const void* data, std::int32_t size);
