#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Locale-aware comparison and case mapping, named by Windows locale
// identifiers (LCIDs: the primary language in the low 10 bits, the
// sublanguage above, a sort identifier in bits 16-19).
//
// Locale 0x400 and every identifier whose primary language is 0 stand for
// the user's default locale, taken from the environment (LC_ALL, LC_COLLATE,
// LANG) and English (United States) when that names none. An identifier the
// collation data does not know falls back to the default sublanguage of its
// primary language, then to English (United States).
//
// Byte strings are text in the Windows ANSI code page of the locale's
// language (AnsiCodePageOfLocale); they are compared and case-mapped as the
// UTF-16 text they stand for. Comparisons give -1, 0 or 1.
//
// Collators are made once per locale and option set and kept for the run.
// Like the comparison locale built on it, this state is used on the main
// thread only.
namespace Platform {

// Comparison options.
enum : std::uint32_t {
    // Letters that differ only in case compare equal (accents still count).
    clIgnoreCase = 1,
    // Word sort: punctuation, hyphens, apostrophes and spaces weigh less than
    // letters and digits; they decide only between texts that are otherwise
    // equal. Without it (string sort) they sort as ordinary characters.
    clWordSort = 2,
    // Letters that differ only in accents (and case) compare equal, as a
    // search without exact matching wants.
    clIgnoreAccents = 4,
};

// A letter of any script (the alphabetic property), for word bounds in
// searches.
bool IsLetterWide(char16_t c);

int CompareWideInLocale(std::uint32_t lcid, std::uint32_t options, std::u16string_view a, std::u16string_view b);
int CompareBytesInLocale(std::uint32_t lcid, std::uint32_t options, std::string_view a, std::string_view b);

// A key whose unsigned byte order (memcmp) is the collation order of the
// texts under the same locale and options. Word-sort keys carry the first
// stage only: texts that differ only in punctuation get equal keys.
std::string CollationSortKey(std::uint32_t lcid, std::uint32_t options, std::u16string_view text);

// One UTF-16 code unit: a character whose case form needs more or fewer
// units (German sharp s in upper case) keeps its simple one-unit form, or
// stays as it is. Surrogates stay as they are.
char16_t UpperWideCharInLocale(std::uint32_t lcid, char16_t c);
char16_t LowerWideCharInLocale(std::uint32_t lcid, char16_t c);

// Whole strings. The result always has the source's length: when the
// language's full mapping would change the length, each character is mapped
// on its own instead.
std::u16string UpperCaseWideInLocale(std::uint32_t lcid, std::u16string_view text);
std::u16string LowerCaseWideInLocale(std::uint32_t lcid, std::u16string_view text);

// One byte of the locale's code page; a byte whose case form the code page
// cannot hold stays as it is, and so do the bytes of double-byte code pages
// from 0x80 up.
unsigned char UpperByteInLocale(std::uint32_t lcid, unsigned char c);
unsigned char LowerByteInLocale(std::uint32_t lcid, unsigned char c);

// n bytes of src mapped into dst (src == dst is allowed); the length never
// changes. In double-byte code pages a text whose mapped form would need a
// different number of bytes is copied unchanged.
void UpperCaseBytesInLocale(std::uint32_t lcid, const char* src, char* dst, std::size_t n);
void LowerCaseBytesInLocale(std::uint32_t lcid, const char* src, char* dst, std::size_t n);

// The Windows ANSI code page of the locale's language (1252 when the
// language has no other).
int AnsiCodePageOfLocale(std::uint32_t lcid);

// The locale name the collation and case data are looked up under
// ("fr_FR", "de_DE@collation=phonebook").
std::string LocaleNameOf(std::uint32_t lcid);

}  // namespace Platform
