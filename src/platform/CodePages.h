#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Conversion between byte text in a Windows code page and UTF-16.
//
// Code pages are named by their Windows numbers (1250-1258, 874, 437, 850,
// 10000 Mac Roman, 932/936/949/950, 65001 UTF-8, 1200 UTF-16LE). Single-byte
// code pages convert through a 256-entry table built once from iconv; a byte
// the code page leaves undefined maps to the code point of the same value
// (as Windows does for the holes of 1252), so byte text always survives a
// round trip. Multi-byte code pages go through iconv itself.
namespace Platform {

constexpr int CP_UTF8 = 65001;
constexpr int CP_UTF16LE = 1200;

bool IsCodePageAvailable(int codePage);
bool IsSingleByteCodePage(int codePage);

std::u16string BytesToWide(int codePage, std::string_view bytes);
// Characters the code page cannot hold become defaultChar; usedDefault (when
// given) tells whether that happened.
std::string WideToBytes(int codePage, std::u16string_view text, char defaultChar = '?', bool* usedDefault = nullptr);

// One byte of a single-byte code page (other code pages: the byte itself).
char16_t ByteToWide(int codePage, unsigned char byte);

// UTF-8 <-> UTF-16 with surrogate pairs; invalid input becomes U+FFFD
// without swallowing the valid bytes around it.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace Platform
