#include "model/formats/FormatStream.h"

#include <cstring>

#include "base/core/Checks.h"
#include "platform/ByteReader.h"

void StoreFormatControl(std::uint8_t* p, std::uint8_t code, std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    p[0] = 0;
    p[1] = code;
    p[2] = static_cast<std::uint8_t>(u);
    p[3] = static_cast<std::uint8_t>(u >> 8);
    p[4] = static_cast<std::uint8_t>(u >> 16);
    p[5] = static_cast<std::uint8_t>(u >> 24);
    p[6] = 1;
}

void AppendFormatControl(TMemory& stream, std::uint8_t code, std::int32_t value) {
    std::uint8_t control[FormatControlSize];
    StoreFormatControl(control, code, value);
    stream.AppendBuffer(control, FormatControlSize);
}

void InsertFormatControl(TMemory& stream, std::int32_t offset, std::uint8_t code, std::int32_t value) {
    std::uint8_t control[FormatControlSize];
    StoreFormatControl(control, code, value);
    stream.InsertBuffer(control, offset, FormatControlSize);
}

void AppendCharFormatControls(TMemory& stream, const TCharFormat& format) {
    for (int i = 0; i < CharAttrCount; ++i)
        AppendFormatControl(stream, static_cast<std::uint8_t>(i), format[i]);
}

void AppendParagraphMark(TMemory& stream, const TParFormat& format) {
    stream.AppendByte(ParagraphMarkByte);
    stream.AppendByte(ParagraphMarkFormatByte);
    stream.AppendBuffer(&format, sizeof(TParFormat));
}

std::uint8_t ControlCharCode(std::uint8_t code, std::int32_t value) {
    switch (code) {
        case fcSpecialChar:
            return static_cast<std::uint8_t>(value);
        case fcUnicodeChar:
            return chUnicode;
        case fcSectionBreak:
            return chSectionBreak;
        case fcCellEnd:
            return chCellEnd;
        case fcRowEnd:
            return chRowEnd;
        case fcShapeAnchor:
            return chShapeAnchor;
        default:
            REZ_ASSERT(!"control takes no position");
            return 0;
    }
}

std::int32_t FormatControlValue(const std::uint8_t* control) {
    return static_cast<std::int32_t>(LoadU32LE(control + 2));
}

void ReadStreamElement(const std::uint8_t* data, std::int32_t size, std::int32_t offset, TStreamElement& element) {
    REZ_ASSERT(offset >= 0 && offset < size);
    element.Offset = offset;
    if (data[offset] == 0) {
        element.IsControl = true;
        if (size - offset < FormatControlSize) {
            element.Truncated = true;
            element.Length = size - offset;
            element.Code = 0xFF;
            element.Value = 0;
            return;
        }
        element.Truncated = false;
        element.Length = FormatControlSize;
        element.Code = data[offset + 1];
        element.Value = FormatControlValue(data + offset);
        return;
    }
    element.IsControl = false;
    element.Truncated = false;
    element.Code = 0;
    element.Value = 0;
    const void* zero = std::memchr(data + offset, 0, size - offset);
    const std::int32_t end =
        zero != nullptr ? static_cast<std::int32_t>(static_cast<const std::uint8_t*>(zero) - data) : size;
    element.Length = end - offset;
}

bool ControlEndsAt(const std::uint8_t* data, std::int32_t offset) {
    return offset >= FormatControlSize && data[offset - 1] == 1 && data[offset - FormatControlSize] == 0;
}

std::uint8_t SpecialCharOfTextByte(std::uint8_t b) {
    switch (b) {
        case 9:
            return chTab;
        case 11:
            return chLineBreak;
        case 12:
            return chPageBreak;
        case 15:
            return chColumnBreak;
        case 16:
            return chNonBreakingHyphen;
        case 31:
            return chSoftHyphen;
        case 150:
            return chEnDash;
        case 151:
            return chEmDash;
        case 160:
            return chNoBreakSpace;
        default:
            return 0;
    }
}
