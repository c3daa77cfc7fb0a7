#include "model/managers/TKerningPairs.h"

#include <cstring>

#include "platform/Fonts.h"

TKerningPairs::TKerningPairs(const TCharFormat& format, Platform::HDC dc) : Format(format) {
    const std::vector<Platform::TKerningPair> pairs = Platform::GetKerningPairs(dc);
    SetSize(static_cast<std::int32_t>(pairs.size() * sizeof(TKerningPairRecord)));
    auto* records = reinterpret_cast<TKerningPairRecord*>(Data);
    for (std::size_t i = 0; i < pairs.size(); ++i)
        records[i] = {pairs[i].First, pairs[i].Second, pairs[i].Amount};
    // The pairs come sorted, so the pairs of one first character with a
    // second character below 256 follow one another.
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        if (records[i].First >= 256 || records[i].Second >= 256)
            continue;
        TIndexEntry& entry = PairIndex[records[i].First];
        if (entry.First == nullptr)
            entry.First = &records[i];
        ++entry.Count;
    }
}

std::int32_t KerningAmount(const TKerningPairs* pairs, std::uint8_t first, std::uint8_t second) {
    if (pairs == nullptr)
        return 0;
    const TKerningPairs::TIndexEntry& entry = pairs->PairIndex[first];
    for (std::int32_t i = entry.Count - 1; i >= 0; --i) {
        if (entry.First[i].Second < second)
            return 0;
        if (entry.First[i].Second == second)
            return entry.First[i].Amount;
    }
    return 0;
}
