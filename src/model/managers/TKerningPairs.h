#pragma once

#include <cstdint>

#include "base/core/TMemory.h"
#include "model/formats/TCharFormat.h"
#include "platform/GdiTypes.h"

// One kerning pair as the bytes hold it.
struct TKerningPairRecord {
    std::uint16_t First;
    std::uint16_t Second;
    std::int32_t Amount;
};
static_assert(sizeof(TKerningPairRecord) == 8);

// The kerning pairs of one font at one device height, sorted by first and
// second character, with an index over the pairs whose characters are both
// below 256 (the codes of paragraph text).
class TKerningPairs : public TMemory {
public:
    // Reads the pairs of the font selected into dc.
    TKerningPairs(const TCharFormat& format, Platform::HDC dc);

    struct TIndexEntry {
        const TKerningPairRecord* First = nullptr;
        std::int32_t Count = 0;
    };
    TIndexEntry PairIndex[256];
    TCharFormat Format{};  // caSize = device height
};

// The amount of the pair (first, second), 0 when the font does not kern it.
std::int32_t KerningAmount(const TKerningPairs* pairs, std::uint8_t first, std::uint8_t second);
