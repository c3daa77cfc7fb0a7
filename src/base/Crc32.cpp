#include "base/Crc32.h"

const std::uint32_t* BuildCrc32Table() {
    static const struct TTable {
        std::uint32_t Entries[256];
        TTable() {
            for (std::uint32_t i = 0; i < 256; ++i) {
                std::uint32_t c = i;
                for (int k = 0; k < 8; ++k)
                    c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
                Entries[i] = c;
            }
        }
    } table;
    return table.Entries;
}

std::uint32_t UpdateCrc32(std::uint32_t crc, const void* buffer, std::int64_t count) {
    const std::uint32_t* table = BuildCrc32Table();
    const auto* p = static_cast<const std::uint8_t*>(buffer);
    crc = ~crc;
    for (std::int64_t i = 0; i < count; ++i)
        crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}
