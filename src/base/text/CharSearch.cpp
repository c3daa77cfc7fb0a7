#include "base/text/CharSearch.h"

#include <cstring>

std::int32_t FindByte(const void* buffer, std::uint8_t b, std::int32_t count) {
    if (count <= 0)
        return -1;
    const void* found = std::memchr(buffer, b, static_cast<std::size_t>(count));
    return found == nullptr ? -1
                            : static_cast<std::int32_t>(static_cast<const std::uint8_t*>(found) -
                                                        static_cast<const std::uint8_t*>(buffer));
}

std::int32_t FindWideChar(const char16_t* text, char16_t c, std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i)
        if (text[i] == c)
            return i;
    return -1;
}

std::int32_t FirstControlCharIndex(const void* buffer, std::int32_t len) {
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    for (std::int32_t i = 0; i < len; ++i)
        if (bytes[i] < 32)
            return i;
    return len < 0 ? 0 : len;
}
