#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/GdiTypes.h"

// Wide text and the Windows code pages that paragraph text is stored in:
// which ANSI code page holds a Unicode character, which one suits a whole
// text, conversion one byte per character, UTF-8, and Mac Roman.

// Interchange-format readers set this around their conversions: the
// characters U+0096, U+0097 and U+00A0 then belong to no code page, so the
// caller's default decides for them.
extern bool KeepSpecialChars;

// The ANSI code page (1250-1257) that holds the character, from a fixed
// table; def for every other character.
std::int32_t CodePageOfChar(char16_t c, std::int32_t def);

// The code page most of the text's characters need: characters up to 126
// count for 1252, every other one for its code page (those without one are
// skipped). The page other than 1252 with the highest count wins (the lower
// number on a tie); when there is none, 1252 when anything counted for it,
// else def. count (when given) receives the winner's count.
std::int32_t DominantCodePage(std::u16string_view text, std::int32_t def, std::int32_t* count = nullptr);

// Converts the text one byte per character in its dominant code page
// (DefaultCodePage when no character has one) and returns that page.
std::int32_t WideToNarrowAuto(std::u16string_view wide, std::string& narrow);
// Converts the text one byte per character in runs of one code page: a run
// ends before each character whose code page differs from the run's (the
// characters without one form runs of DefaultCodePage). The lists receive
// each run's code page and end position.
void WideToNarrowRuns(std::u16string_view wide,
                      std::string& narrow,
                      std::vector<std::int32_t>& codePages,
                      std::vector<std::int32_t>& runEnds);

// The width of one wide character in the font selected into the device
// context, 0 when it cannot be had.
std::int32_t WideCharWidth(Platform::HDC dc, char16_t c);

// Narrow text of the same character count: each character converted on its
// own in the code page; a character the page cannot hold as one byte
// becomes '?'.
std::string WideToAnsiInCodePage(std::u16string_view wide, std::int32_t codePage);
// Wide text of byte text in the code page.
std::u16string AnsiToWideInCodePage(std::string_view narrow, std::int32_t codePage);

// Real UTF-8: surrogate pairs become one four-byte sequence and a lone
// surrogate becomes U+FFFD. Utf16ToUtf8Bytes writes at most destSize bytes,
// never a part of a character, and returns the number written.
std::string WideToUtf8(std::u16string_view wide);
std::int32_t Utf16ToUtf8Bytes(std::u16string_view source, char* dest, std::int32_t destSize);
// Decodes UTF-8 up to its first zero byte. Characters outside the Basic
// Multilingual Plane become surrogate pairs; an invalid or truncated
// sequence becomes one U+FFFD without swallowing the valid bytes after it.
std::u16string Utf8ToWide(std::string_view narrow);

// Mac Roman bytes to Windows-1252 bytes (Macintosh RTF documents); source
// and dest may be the same buffer.
void MacRomanToAnsi(const char* source, char* dest, std::int32_t count);
