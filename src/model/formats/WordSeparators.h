#pragma once

#include <array>
#include <cstdint>

// Which bytes of document text separate words: 1 for a separator. The
// table holds the special characters of the character buffer (2 to 14, 16,
// 18 to 20), the blank, ASCII punctuation other than the apostrophe and the
// ampersand, and the code-page characters 128, 130, 132, 133, 147, 148, 153,
// 169, 171, 174 and 187. Apostrophes are word characters unless a language
// that separates at them asks otherwise (ExcludeApostrophesFromWords).
extern std::array<std::uint8_t, 256> WordSeparators;
// The same without the blank and the special spaces (11, 18, 19 and 20), for
// code that keeps words with their spaces together.
extern std::array<std::uint8_t, 256> WordSeparatorsNoSpaces;

// Rebuilds both tables (start-up does it once the user's language is known);
// for a Spanish user 161 and 191 (the inverted exclamation and question
// marks) separate words too. Apostrophes become word characters again.
void InitWordSeparators(bool spanishUser);

// The apostrophes (39, 96, 145 and 146) as separators in both tables, and
// back as word characters. Word searches in a language that separates at
// apostrophes bracket their work with the pair.
void ExcludeApostrophesFromWords();
void IncludeApostrophesInWords();
