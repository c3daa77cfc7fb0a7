#pragma once

#include <cstdint>

#include "base/core/TMemory.h"
#include "model/formats/TCharFormat.h"
#include "model/formats/TParFormat.h"

// The format stream of a paragraph: text runs and 7-byte control records,
// interleaved. A text run is one or more bytes other than 0, each a
// character in the code page of the current font's character set. A
// control is 0x00, a code byte, a 32-bit little-endian value and 0x01; the
// closing 0x01 lets a scan walk backwards, because text bytes are never 0x00
// or 0x01. Every stream starts from DefaultCharFormat.
//
// Insertion streams (undo steps, pasted and converted text) add paragraph
// marks: the byte 0x1D where the end character of a paragraph stands,
// followed by 0x1E and the 40 bytes of its TParFormat, or by nothing when
// the paragraph takes the format of the one before. The first mark of a
// stream always carries the format.

#pragma pack(push, 1)
struct TFormatControl {
    std::uint8_t Lead;      // 0x00
    std::uint8_t Code;      // 0 .. 30
    std::uint8_t Value[4];  // little-endian
    std::uint8_t Closing;   // 0x01
};
#pragma pack(pop)

static_assert(sizeof(TFormatControl) == 7);

constexpr std::int32_t FormatControlSize = 7;

// Control codes. Codes 0 to 22 set the character attribute of the same
// index (TCharAttr). The values of section breaks, shape anchors and field
// boundaries are object handles (base/core/ObjectHandles.h).
enum : std::uint8_t {
    fcLastCharAttr = 22,
    fcSpecialChar = 23,   // value: the character-buffer code
    fcUnicodeChar = 24,   // value: the UTF-16 code unit in the low 16 bits
    fcSectionBreak = 25,  // value: the TSection the break ends
    fcCellEnd = 26,
    fcRowEnd = 27,
    fcShapeAnchor = 28,  // value: the TShape
    fcFieldStart = 29,   // value: the TField
    fcFieldEnd = 30,     // value: the same TField
};

// Character-buffer codes: one byte per character position. Any other byte
// is a text character.
enum : std::uint8_t {
    chParEnd = 2,
    chSectionBreak = 3,
    chCellEnd = 4,
    chRowEnd = 5,
    chColumnBreak = 6,
    chLineBreak = 7,
    chPageBreak = 8,
    chTab = 9,
    chShapeAnchor = 10,
    chNoBreakSpace = 11,
    chNonBreakingHyphen = 12,
    chEmDash = 13,
    chEnDash = 14,
    chSoftHyphen = 15,
    chNoteRef = 16,
    chUnicode = 17,
    chEnSpace = 18,
    chEmSpace = 19,
    chQuarterEmSpace = 20,
};

// Paragraph marks of insertion streams.
constexpr std::uint8_t ParagraphMarkByte = 0x1D;
constexpr std::uint8_t ParagraphMarkFormatByte = 0x1E;

// The stream builders. None of them normalises.
// Writes the 7 bytes of a control at p (in place, nothing moves).
void StoreFormatControl(std::uint8_t* p, std::uint8_t code, std::int32_t value);
void AppendFormatControl(TMemory& stream, std::uint8_t code, std::int32_t value);
void InsertFormatControl(TMemory& stream, std::int32_t offset, std::uint8_t code, std::int32_t value);
// 23 controls, codes 0 to 22 in order, with the format's values.
void AppendCharFormatControls(TMemory& stream, const TCharFormat& format);
// The long form of a paragraph mark: 0x1D 0x1E and the 40-byte format.
void AppendParagraphMark(TMemory& stream, const TParFormat& format);

// Whether a control takes a character position (codes 23 to 28).
constexpr bool ControlTakesPosition(std::uint8_t code) {
    return code >= fcSpecialChar && code <= fcShapeAnchor;
}

// The character-buffer byte of a control that takes a position.
std::uint8_t ControlCharCode(std::uint8_t code, std::int32_t value);

// The special character a control byte of plain 8-bit text stands for:
// tab, line, page and column breaks, non-breaking and optional hyphens, and
// the code-page dashes and no-break space; 0 for every other byte.
// Paragraph ends and section breaks are the caller's.
std::uint8_t SpecialCharOfTextByte(std::uint8_t b);

// One element of a stream, as the walkers below see it.
struct TStreamElement {
    std::int32_t Offset = 0;
    std::int32_t Length = 0;  // bytes: the run's length, or 7 for a control
    bool IsControl = false;
    bool Truncated = false;  // a control cut off by the end of the stream
    std::uint8_t Code = 0;
    std::int32_t Value = 0;
};

// Reads the element at offset (which must be below size). A 0 byte with
// fewer than seven bytes left is reported as a truncated control that runs
// to the end: walkers stop there instead of reading past the buffer.
void ReadStreamElement(const std::uint8_t* data, std::int32_t size, std::int32_t offset, TStreamElement& element);

// Reads the value of the control at offset (no checks).
std::int32_t FormatControlValue(const std::uint8_t* control);

// True when the seven bytes before offset form a control.
bool ControlEndsAt(const std::uint8_t* data, std::int32_t offset);
