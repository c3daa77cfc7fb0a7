#include "files/rtf/RtfByteClass.h"

namespace {

std::size_t RunLength(const std::uint8_t* p, std::size_t maximum, std::uint8_t byteClass) {
    std::size_t n = 0;
    while (n < maximum && RtfByteClass[p[n]] == byteClass)
        ++n;
    return n;
}

}  // namespace

std::size_t PlainRunLength(const std::uint8_t* p, std::size_t maximum) {
    return RunLength(p, maximum, rbcPlain);
}

std::size_t HighRunLength(const std::uint8_t* p, std::size_t maximum) {
    return RunLength(p, maximum, rbcHigh);
}

bool IsRtfControlWordStart(const std::uint8_t* p, const std::uint8_t* end) {
    return end - p >= 2 && p[0] == '\\' && RtfLetterMap[p[1]] != 0;
}

bool IsRtfStarDestination(const std::uint8_t* p, const std::uint8_t* end) {
    return end - p >= 3 && p[0] == '{' && p[1] == '\\' && p[2] == '*';
}
