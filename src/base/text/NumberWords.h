#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Numbers in the forms fields and list labels print them: hexadecimal,
// letters, Roman numerals, ordinal suffixes, and cardinal and ordinal words
// in English, German, Spanish and French.
//
// Languages are Windows language ids; only the primary language (the low
// ten bits) counts, so both 7 and 0x407 mean German. Texts are document
// text in Windows-1252, the code page of every language named here.

// The value of hexadecimal digits (either case); UnsetNumber (0x80000000)
// for an empty text, any other character, or a value above 0x7FFFFFFF.
constexpr std::int32_t UnsetNumber = static_cast<std::int32_t>(0x80000000u);
std::int32_t HexToInt(std::string_view text);

// 1 A, 26 Z, 27 AA, 53 AAA: the letter of (n - 1) mod 26, repeated
// (n - 1) div 26 + 1 times. Empty for n <= 0.
std::string AlphabeticNumber(std::int32_t n);

// Upper-case Roman numeral; thousands are written as one M each (4000 is
// MMMM). Empty for n <= 0.
std::string RomanNumeral(std::int32_t n);
// Reads upper-case Roman numerals (a letter before a greater one counts as
// the difference). Any other character, or a value beyond 32 bits, gives
// def.
std::int32_t RomanToInt(std::string_view text, std::int32_t def);

// The digits of n with the language's ordinal suffix ("1st", "2.", "1er").
std::string NumberWithOrdinalSuffix(std::int32_t n, std::int32_t language);

// Numbers written out in words, with a capital first letter. German,
// Spanish and French have their own words; every other language is written
// in English. The whole 32-bit range is covered; a negative number is
// written as the language's word for minus followed by its absolute value.
std::string CardinalWords(std::int64_t n, std::int32_t language);
// Ordinal words ("Twenty-first", "Dritte", "Cinquième"). Spanish writes its
// cardinal words here, as its fields always have.
std::string OrdinalWords(std::int64_t n, std::int32_t language);

// Decodes standard Base64 (RFC 4648, section 4) in place. A length that is
// not a multiple of 4, a character outside the alphabet, or a "=" anywhere
// but at the end of the last group makes the text empty.
void DecodeBase64(std::string& text);

// Every "," and "." replaced by the current decimal separator.
std::string LocalizeDecimalSeparator(std::string_view text);
