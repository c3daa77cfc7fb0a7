#pragma once

#include <array>
#include <cstdint>

// Which bytes of document text separate words: 1 for a separator. The
// table holds the special characters of the character buffer (2 to 14, 16,
// 18 to 20), the blank, ASCII punctuation other than the apostrophe and the
// ampersand, and the code-page characters 128, 130, 132, 133, 147, 148, 153,
// 169, 171, 174 and 187. Apostrophes are word characters.
//
// This holds what the paragraph code needs so far; the document constants
// extend it.
extern std::array<std::uint8_t, 256> WordSeparators;

// Rebuilds the table; for a Spanish user 161 and 191 (the inverted
// exclamation and question marks) separate words too.
void InitWordSeparators(bool spanishUser);
