#pragma once

#include <array>
#include <cstdint>

// Constant tables and small look-ups shared by the document model and the
// subsystems above it. Tables that belong to one place live there: the word
// separators (model/formats/WordSeparators.h), the underline descriptions
// (base/text/UnderlineStyles.h), the URL schemes (base/files/Urls.h), the temporary file kinds
// (base/files/TempFiles.h), the accent folding of capitals (base/text/TextCase.h) and
// the Unicode fallback face (the font manager's FallbackFace).

// The special-character code of the character buffer that stands for a
// UTF-16 character in a format stream: 9 tab, 14 en dash (U+2013 or 150),
// 13 em dash (U+2014 or 151), 11 no-break space, 15 soft hyphen, 18 en
// space, 19 em space, 20 four-per-em space, 12 non-breaking hyphen; 255 for
// every other character.
std::uint8_t SpecialCharCode(char16_t c);

// 0 to 15 for the hexadecimal digits of either case, 255 for every other
// byte. Built at compile time, so it needs no start-up call.
extern const std::array<std::uint8_t, 256> HexDigits;

// The row set of the built-in date and time formats a language uses: 2 for
// French (primary language 12), 1 for English (United States), 0 otherwise.
int DateStyleOfLanguage(std::int32_t language);

// The English names of the 92 built-in styles, by built-in id.
constexpr int BuiltInStyleCount = 92;
extern const char* const BuiltInStyleNames[BuiltInStyleCount];

// Tab-stop descriptions by alignment kind (left, centred, right, decimal,
// bar), the position put in place of "%s".
extern const char* const TabStopDescriptions[5];

// The break kinds as menus name them: paragraph end, line, column, page and
// section break.
extern const char* const BreakNames[5];

// The file extensions of the picture formats documents may hold.
extern const char* const PictureExtensions[6];

// The four note symbols of Windows-1252: asterisk, dagger, double dagger
// and section sign.
extern const char NoteSymbols[4];

// The bookmark with which Word files mark the pictures of picture bullets.
extern const char* const PictureBulletsBookmark;
