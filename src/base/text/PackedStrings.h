#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class TStrings;

// Packed string tables: a 32-bit count N, N ascending 32-bit ids, N entries
// of (offset shl 10) or length (offset from the table's start, length at
// most 1023), then the 8-bit texts. Integers are little-endian.
struct TPackedStringTable {
    const std::uint8_t* Data = nullptr;
    std::size_t Size = 0;
};
// The text of id; empty when absent (or when the table is damaged).
std::string LookupPackedString(const TPackedStringTable& table, std::uint32_t id);
// Every text in table order with its id as the object.
void LoadPackedStrings(const TPackedStringTable& table, TStrings& strings);
