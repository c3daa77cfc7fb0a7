#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Bytes and UTF-16 text written as hexadecimal digits, as the settings and
// the optional-message answers keep them. Every reader of hexadecimal text
// in the program decodes through these.

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
