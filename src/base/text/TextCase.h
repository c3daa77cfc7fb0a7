#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Case mapping and case patterns under the comparison locale
// (base/text/CompareLocale.h). Byte characters are in the code page of the
// locale's language; a character whose other case that code page cannot
// hold keeps its case. Wide characters are single UTF-16 code units. Case
// mappings never change a text's length.

// One character.
char LowerCharLocale(char c);
char UpperCharLocale(char c);
char LowerCharInLocale(std::uint32_t locale, char c);
char UpperCharInLocale(std::uint32_t locale, char c);
char16_t LowerWideCharLocale(char16_t c);
char16_t UpperWideCharLocale(char16_t c);

// A character is lower case when its upper-case form differs from it, upper
// case when its lower-case form does, cased when either holds.
bool IsLowerCaseChar(char c);
bool IsUpperCaseChar(char c);
bool IsCasedChar(char c);
bool IsLowerCaseWideChar(char16_t c);
bool IsUpperCaseWideChar(char16_t c);
bool IsCasedWideChar(char16_t c);

// c in upper case when model is an upper-case character, else in lower case.
char MatchCharCase(char model, char c);

// Whole strings.
std::string LowerCaseLocale(std::string_view s);
std::string UpperCaseLocale(std::string_view s);
std::u16string LowerCaseWideLocale(std::u16string_view w);
std::u16string UpperCaseWideLocale(std::u16string_view w);

// Case patterns, as the writing tools classify words. A text without
// letters is both all lower case and all upper case.
bool IsAllLowerCase(std::string_view s);
bool IsAllLowerCaseWide(std::u16string_view w);
bool IsAllUpperCase(std::string_view s);
bool IsAllUpperCaseWide(std::u16string_view w);
// Not empty, an upper-case first character, the rest all lower case.
bool IsCapitalizedWord(std::string_view s);
bool IsCapitalizedWordWide(std::u16string_view w);
// Capitals inside a word: a lower-case start with some capital later
// ("iPod"), or more than one capital among lower-case letters ("McDonald").
bool IsMixedCaseWord(std::string_view s);
// Whether some part of the text, parts being separated by space, apostrophe
// and hyphen, is a capitalised / mixed-case word ("jean-Luc").
bool HasCapitalizedWord(std::string_view s);
bool HasCapitalizedWordWide(std::u16string_view w);
bool HasMixedCaseWord(std::string_view s);

// The upper-case form of n bytes of src, in the language's own locale and
// code page, written to dst (src == dst is allowed). French text whose
// AutoCorrect options ask for it gets plain capitals (StripCapitalAccents).
void UpperCaseForLanguage(std::uint16_t language, const char* src, char* dst, std::int32_t n);
// len1 == len2 and both texts upper-cased with UpperCaseForLanguage are the
// same bytes.
bool SameTextUpperForLanguage(std::uint16_t language,
                              const char* s1,
                              const char* s2,
                              std::int32_t len1,
                              std::int32_t len2);

// Copies n characters, replacing the accented capitals of Windows-1252
// (À Á Â È É Ê Ì Í Î Ò Ó Ô Ù Ú Û) by plain ones; src == dst is allowed.
void StripCapitalAccents(const char* src, char* dst, std::int32_t n);
void StripCapitalAccentsWide(const char16_t* src, char16_t* dst, std::int32_t n);

// The writing tools own the AutoCorrect options; until they are in place
// (and in tests) this hook tells the option flags of a language (its
// "Flags" settings value). Without a hook every language has flags 0.
using TAutocorrectFlagsHook = std::function<std::int32_t(std::uint16_t language)>;
// Installs a hook and returns the previous one.
TAutocorrectFlagsHook SetAutocorrectFlagsHook(TAutocorrectFlagsHook hook);
// The flag of the French options that asks for capitals without accents.
constexpr std::int32_t acfFrenchPlainCapitals = 4;
