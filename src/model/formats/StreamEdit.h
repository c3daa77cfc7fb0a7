#pragma once

#include <cstdint>
#include <vector>

#include "base/core/TMemory.h"
#include "model/formats/TCharFormat.h"
#include "model/formats/TParFormat.h"

// Helpers for the steps that cut, splice and rewrite format streams
// (model/formats/FormatStream.h).
//
// The steps work on stretches of a stream bounded by characters. The
// stretch for characters s .. e - 1 starts where the run of zero-width
// controls in front of character s starts (right after character s - 1)
// and ends at character e itself, so it holds every control between the
// characters before and after it. Replacing such a stretch never disturbs
// the controls of its neighbours, and normalisation, which only merges
// controls between two characters, leaves the neighbours' bytes alone; so
// a step that puts back exactly the stretch it took restores the stream.

// Where character pos stands in a stream: RunStart is the offset right
// after character pos - 1 (0 for pos 0), CharOffset the offset of the
// character's own byte or control. For pos at or past the character count,
// RunStart is the end of the last character and CharOffset the stream size.
struct TCharLocation {
    std::int32_t RunStart = 0;
    std::int32_t CharOffset = 0;
};
void LocateChar(const TMemory& stream, std::int32_t pos, TCharLocation& location);

// Applies the attribute controls of bytes [0, size) to format.
void ApplyAttributeControls(const std::uint8_t* data, std::int32_t size, TCharFormat& format);
// The format in effect at an offset of a paragraph stream.
void FormatAtOffset(const TMemory& stream, std::int32_t offset, TCharFormat& format);
// Appends controls that turn format from into format to.
void AppendFormatChange(TMemory& out, const TCharFormat& from, const TCharFormat& to);
// Appends the character-buffer bytes of stream bytes (text bytes, and the
// codes of the controls that take a position); returns their count.
std::int32_t AppendCharsOf(const std::uint8_t* data, std::int32_t size, TMemory* chars);

// Paragraph-end characters: the last position of every paragraph.
bool IsParagraphEndChar(std::uint8_t c);

// One piece of an insertion stream: the bytes up to a paragraph mark (or
// the end), and the paragraph format the mark gives.
struct TInsertionPiece {
    std::int32_t Start = 0;
    std::int32_t Length = 0;
    bool EndsWithMark = false;
    bool HasFormat = false;
    TParFormat Format{};
};
// Splits an insertion stream at its paragraph marks. There is always one
// piece more than marks; the last one may be empty.
void SplitInsertionStream(const TMemory& stream, std::vector<TInsertionPiece>& pieces);
// Appends a paragraph mark, with the format when asked.
void AppendMark(TMemory& stream, const TParFormat* format);

// Exchanges the contents of two buffers without copying.
void SwapMemory(TMemory& a, TMemory& b);
