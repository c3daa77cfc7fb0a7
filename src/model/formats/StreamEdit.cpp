#include "model/formats/StreamEdit.h"

#include <cstring>
#include <utility>

#include "model/formats/FormatStream.h"

void LocateChar(const TMemory& stream, std::int32_t pos, TCharLocation& location) {
    std::int32_t count = 0;
    std::int32_t lastCharEnd = 0;
    TStreamElement e;
    for (std::int32_t off = 0; off < stream.Size; off += e.Length) {
        ReadStreamElement(stream.Data, stream.Size, off, e);
        if (!e.IsControl) {
            if (pos < count + e.Length) {
                const std::int32_t at = off + (pos - count);
                // Inside a run nothing stands between two characters.
                location.RunStart = pos == count ? lastCharEnd : at;
                location.CharOffset = at;
                return;
            }
            count += e.Length;
            lastCharEnd = off + e.Length;
        } else if (!e.Truncated && ControlTakesPosition(e.Code)) {
            if (count == pos) {
                location.RunStart = lastCharEnd;
                location.CharOffset = off;
                return;
            }
            ++count;
            lastCharEnd = off + e.Length;
        }
    }
    location.RunStart = lastCharEnd;
    location.CharOffset = stream.Size;
}

void ApplyAttributeControls(const std::uint8_t* data, std::int32_t size, TCharFormat& format) {
    TStreamElement e;
    for (std::int32_t off = 0; off < size; off += e.Length) {
        ReadStreamElement(data, size, off, e);
        if (e.IsControl && !e.Truncated && e.Code <= fcLastCharAttr)
            format[e.Code] = e.Value;
    }
}

void FormatAtOffset(const TMemory& stream, std::int32_t offset, TCharFormat& format) {
    format = DefaultCharFormat;
    ApplyAttributeControls(stream.Data, offset < stream.Size ? offset : stream.Size, format);
}

void AppendFormatChange(TMemory& out, const TCharFormat& from, const TCharFormat& to) {
    for (int a = 0; a < CharAttrCount; ++a)
        if (from[a] != to[a])
            AppendFormatControl(out, static_cast<std::uint8_t>(a), to[a]);
}

std::int32_t AppendCharsOf(const std::uint8_t* data, std::int32_t size, TMemory* chars) {
    std::int32_t n = 0;
    TStreamElement e;
    for (std::int32_t off = 0; off < size; off += e.Length) {
        ReadStreamElement(data, size, off, e);
        if (!e.IsControl) {
            if (chars != nullptr)
                chars->AppendBuffer(data + off, e.Length);
            n += e.Length;
        } else if (!e.Truncated && ControlTakesPosition(e.Code)) {
            if (chars != nullptr)
                chars->AppendByte(ControlCharCode(e.Code, e.Value));
            ++n;
        }
    }
    return n;
}

bool IsParagraphEndChar(std::uint8_t c) {
    return c == chParEnd || c == chSectionBreak || c == chCellEnd || c == chRowEnd;
}

void SplitInsertionStream(const TMemory& stream, std::vector<TInsertionPiece>& pieces) {
    pieces.clear();
    const std::uint8_t* d = stream.Data;
    const std::int32_t size = stream.Size;
    TInsertionPiece piece;
    std::int32_t off = 0;
    while (off < size) {
        if (d[off] == 0) {
            // A control; one cut off by the end of the stream belongs to the
            // last piece and means nothing.
            off += size - off >= FormatControlSize ? FormatControlSize : size - off;
            continue;
        }
        if (d[off] != ParagraphMarkByte) {
            ++off;
            continue;
        }
        piece.Length = off - piece.Start;
        piece.EndsWithMark = true;
        ++off;
        piece.HasFormat = false;
        if (off < size && d[off] == ParagraphMarkFormatByte &&
            size - off - 1 >= static_cast<std::int32_t>(sizeof(TParFormat))) {
            std::memcpy(&piece.Format, d + off + 1, sizeof(TParFormat));
            piece.HasFormat = true;
            off += 1 + static_cast<std::int32_t>(sizeof(TParFormat));
        }
        pieces.push_back(piece);
        piece = TInsertionPiece{};
        piece.Start = off;
    }
    piece.Length = size - piece.Start;
    pieces.push_back(piece);
}

void AppendMark(TMemory& stream, const TParFormat* format) {
    if (format != nullptr)
        AppendParagraphMark(stream, *format);
    else
        stream.AppendByte(ParagraphMarkByte);
}

void SwapMemory(TMemory& a, TMemory& b) {
    std::swap(a.Data, b.Data);
    std::swap(a.Size, b.Size);
    std::swap(a.Capacity, b.Capacity);
}
