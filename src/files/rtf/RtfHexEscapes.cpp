#include "files/rtf/RtfHexEscapes.h"

#include "base/text/HexText.h"

int RtfEscapedByte(std::uint8_t hi, std::uint8_t lo) {
    const int high = HexDigitValue(static_cast<char>(hi));
    const int low = HexDigitValue(static_cast<char>(lo));
    if (high < 0 || low < 0)
        return -1;
    return high * 16 + low;
}

std::size_t DecodeRtfHexEscapes(std::uint8_t* region, std::size_t length) {
    std::size_t read = 0;
    std::size_t written = 0;
    while (length - read >= 4 && region[read] == '\\' && region[read + 1] == '\'') {
        const int value = RtfEscapedByte(region[read + 2], region[read + 3]);
        if (value < 0)
            break;
        region[written++] = static_cast<std::uint8_t>(value);
        read += 4;
    }
    return length - read;
}

void EncodeRtfHexEscapes(const std::uint8_t* source, char* dest, std::size_t count) {
    static constexpr char digits[] = "0123456789abcdef";
    for (std::size_t i = 0; i < count; ++i) {
        *dest++ = '\\';
        *dest++ = '\'';
        *dest++ = digits[source[i] >> 4];
        *dest++ = digits[source[i] & 15];
    }
}
