#pragma once

#include <cstdint>

// The character classes of the text-unit rules (words, addresses, file
// paths, sentences), indexed by a byte of a paragraph's character buffer:
// text in the code page of its font (Windows-1252 for the codes named here)
// or one of the special codes below 32 (model/formats/FormatStream.h).
//
// The word separators themselves are the model's tables
// (model/formats/WordSeparators.h), because the apostrophe option and the
// user's language change them at run time; ccSeparator and ccPunctuation
// read them live.
enum : std::uint16_t {
    ccSeparator = 0x0001,      // ends a word
    ccPunctuation = 0x0002,    // a separator that is not a blank
    ccBreak = 0x0004,          // paragraph end, section, cell, row, column, line and page breaks (2 to 8)
    ccBlank = 0x0008,          // the blank and the special spaces (11, 18, 19, 20)
    ccWhiteSpace = 0x0010,     // breaks, tab and blanks
    ccSentenceEnd = 0x0020,    // ! . ?
    ccQuote = 0x0040,          // straight, typographic and angle quotes
    ccInvertedMark = 0x0080,   // the inverted exclamation and question marks of Spanish
    ccAddress = 0x0100,        // may stand in a web or e-mail address
    ccAddressTrim = 0x0200,    // trimmed from the ends of an address
    ccPathSeparator = 0x0400,  // ends a file path
    ccPathTrim = 0x0800,       // trimmed from the ends of a file path
    ccListMarkerEnd = 0x1000,  // ) and . after a manual list marker
};

// True when the byte belongs to one of the classes in mask.
bool IsCharClass(std::uint8_t c, std::uint16_t mask);

// The separator table (256 bytes, 1 for a separator) of file paths, used in
// place of the word separators when a path is looked for.
const std::uint8_t* PathSeparatorTable();
