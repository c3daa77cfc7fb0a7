#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The byte classes and character maps of the RTF reader and writer.

// The class of a byte as RTF sees it: control bytes, plain text the writer
// copies as it is, the three bytes that have a meaning of their own, and the
// high half, which the writer escapes.
enum TRtfByteClass : std::uint8_t {
    rbcControl = 0,  // 0 to 31
    rbcPlain = 1,    // 32 to 127 except the three below
    rbcSpecial = 2,  // "\", "{" and "}"
    rbcHigh = 3,     // 128 to 255
};

namespace RtfBytes {

constexpr std::array<std::uint8_t, 256> MakeByteClass() {
    std::array<std::uint8_t, 256> classes{};
    for (int b = 0; b < 256; ++b)
        classes[b] = b < 32 ? rbcControl : b < 128 ? rbcPlain : rbcHigh;
    classes['\\'] = classes['{'] = classes['}'] = rbcSpecial;
    return classes;
}

constexpr std::array<std::uint8_t, 256> MakeLetterMap() {
    std::array<std::uint8_t, 256> map{};
    for (int b = 'a'; b <= 'z'; ++b)
        map[b] = static_cast<std::uint8_t>(b);
    for (int b = 'A'; b <= 'Z'; ++b)
        map[b] = static_cast<std::uint8_t>(b - 'A' + 'a');
    return map;
}

}  // namespace RtfBytes

// Built at compile time, so they are ready before any document is read or
// written whatever the order of start-up.
inline constexpr std::array<std::uint8_t, 256> RtfByteClass = RtfBytes::MakeByteClass();
// ASCII letters of either case to their lower-case form, every other byte
// to 0. RTF control words are ASCII letters only, whatever the code page.
inline constexpr std::array<std::uint8_t, 256> RtfLetterMap = RtfBytes::MakeLetterMap();

constexpr bool IsRtfDigit(std::uint8_t b) {
    return b >= '0' && b <= '9';
}

// The number of bytes of class rbcPlain (PlainRunLength) or rbcHigh
// (HighRunLength) from p on, at most maximum.
std::size_t PlainRunLength(const std::uint8_t* p, std::size_t maximum);
std::size_t HighRunLength(const std::uint8_t* p, std::size_t maximum);

// True when the bytes at p, before end, are a backslash and an ASCII letter.
bool IsRtfControlWordStart(const std::uint8_t* p, const std::uint8_t* end);
// True when the bytes at p, before end, are "{\*", the start of a group the
// reader skips whole unless it knows its destination.
bool IsRtfStarDestination(const std::uint8_t* p, const std::uint8_t* end);
