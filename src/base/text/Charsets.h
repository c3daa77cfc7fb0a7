#pragma once

#include <cstdint>

// Languages, font character sets and code pages.
//
// DefaultCodePage and DefaultCharset belong to the user's interface
// language; InitDefaultCharset sets them at start-up, before the font
// manager is made (and on first use of either accessor).

std::int32_t DefaultCodePage();
std::uint8_t DefaultCharset();
void InitDefaultCharset();

// The language's ANSI code page; 0 when the language has only Unicode.
std::int32_t LanguageAnsiCodePage(std::uint16_t languageId);
// The font character set of the language's code page (0 when there is
// none); with useSystem, 0 becomes the character set of the system's ANSI
// code page.
std::uint8_t LanguageCharset(std::uint16_t languageId, bool useSystem);
// Code page of a character set, DefaultCodePage when it has none; and back,
// DefaultCharset when the code page has no character set.
std::int32_t CharsetCodePage(std::uint8_t charset);
std::uint8_t CodePageCharset(std::int32_t codePage);
