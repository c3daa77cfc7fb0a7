#pragma once

#include <cstdint>
#include <string>

#include "platform/GdiTypes.h"

class TList;
class TStringList;

// Font data services for the document model: the characters a TrueType
// font covers, the Unicode block of a character, and the family names and
// styles of the installed font files. TrueType and OpenType data is
// big-endian (OpenType specification, "Data types").

struct TUnicodeBlock {
    std::uint16_t First;
    std::uint16_t Last;
    const char* Name;
};
constexpr int UnicodeBlockCount = 120;
extern const TUnicodeBlock UnicodeBlocks[UnicodeBlockCount];

// The index of the block that holds the code point, or 0x80000000.
std::int32_t UnicodeBlockOf(std::uint32_t codePoint);
bool IsPrivateUseChar(std::uint32_t codePoint);

std::uint16_t SwapBytes16(std::uint16_t value);
std::uint32_t SwapBytes32(std::uint32_t value);

// The characters the font selected into dc covers, as integers in list;
// found tells whether the font had a format-4 Windows subtable (without one
// the Latin-1 range is assumed).
void GetFontCharacters(Platform::HDC dc, TList& list, bool& found);
// The same from the bytes of a 'cmap' table.
void CharactersOfCmap(const std::uint8_t* data, std::size_t size, TList& list, bool& found);

// The family names of the installed font files with their styles. names:
// every family once, sorted; its object is the index of the family's first
// entry in files. files: four entries per family in the order of names, for
// the styles 0 (regular), 1 (bold), 2 (italic) and 3 (bold italic): the
// string is the file, the object the style. A style that no file of the
// family provides points at the family's file of the lowest style.
void ScanFontFiles(TStringList& names, TStringList& files);
// The same over the given files (the installed fonts by default).
void ScanFontFileList(const TStringList& paths, TStringList& names, TStringList& files);

struct TCharFormat;
namespace Platform {
struct TLogFont;
}

// The logical font of a character format whose caSize the caller has turned
// into the signed pixel height: weight, italic, underline and strike-out
// from the format, the character set of its registered font, and the face
// of its family (installed fonts) or the substitute of its name, at most 31
// characters.
void CharFormatToLogFont(const TCharFormat& format, Platform::TLogFont& out);
