#include "base/core/Crc32.h"

#include "platform/ByteReader.h"

namespace {

// The byte table and three more derived from it, so that four bytes are
// folded in per step ("slicing by four"); the result is the byte-at-a-time
// CRC exactly.
struct TTables {
    std::uint32_t T[4][256];
    TTables() {
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            T[0][i] = c;
        }
        for (int t = 1; t < 4; ++t)
            for (std::uint32_t i = 0; i < 256; ++i)
                T[t][i] = (T[t - 1][i] >> 8) ^ T[0][T[t - 1][i] & 0xFF];
    }
};

const TTables& Tables() {
    static const TTables tables;
    return tables;
}

}  // namespace

const std::uint32_t* BuildCrc32Table() {
    return Tables().T[0];
}

std::uint32_t UpdateCrc32(std::uint32_t crc, const void* buffer, std::int64_t count) {
    const TTables& t = Tables();
    const auto* p = static_cast<const std::uint8_t*>(buffer);
    crc = ~crc;
    for (; count >= 4; count -= 4, p += 4) {
        crc ^= LoadU32LE(p);
        crc = t.T[3][crc & 0xFF] ^ t.T[2][(crc >> 8) & 0xFF] ^ t.T[1][(crc >> 16) & 0xFF] ^ t.T[0][crc >> 24];
    }
    for (; count > 0; --count, ++p)
        crc = t.T[0][(crc ^ *p) & 0xFF] ^ (crc >> 8);
    return ~crc;
}
