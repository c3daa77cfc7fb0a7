#pragma once

#include <cstdint>

// The standard CRC-32 of PNG, ZIP and zlib (ISO 3309 / ITU-T V.42: the
// reflected polynomial 0xEDB88320, initial value and final XOR all ones).
// UpdateCrc32 continues from a previous value (0 to start).
std::uint32_t UpdateCrc32(std::uint32_t crc, const void* buffer, std::int64_t count);
// The 256-entry table, built once on first use.
const std::uint32_t* BuildCrc32Table();
