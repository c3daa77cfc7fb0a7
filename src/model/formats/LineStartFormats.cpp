#include "model/formats/LineStartFormats.h"

#include <cstring>

#include "base/graphics/PixelSixteenths.h"

std::size_t TLineStartFormats::THash::operator()(const TCharFormat& f) const {
    // FNV-1a over the values; formats differ mostly in a few attributes,
    // so every value takes part.
    std::uint64_t h = 1469598103934665603ull;
    for (std::int32_t v : f.Values) {
        h ^= static_cast<std::uint32_t>(v);
        h *= 1099511628211ull;
    }
    return static_cast<std::size_t>(h ^ (h >> 32));
}

bool TLineStartFormats::TSame::operator()(const TCharFormat& a, const TCharFormat& b) const {
    return std::memcmp(a.Values, b.Values, sizeof(a.Values)) == 0;
}

std::uint32_t TLineStartFormats::Add(const TCharFormat& format) {
    const auto [it, added] = Index.try_emplace(format, static_cast<std::uint32_t>(Records.size()));
    if (added)
        Records.push_back(format);
    return it->second;
}

void TLineStartFormats::Load(std::uint32_t index, TCharFormat& format) const {
    format = Records[index];
    CharSizesFromSixteenths(format);
}

void CharSizesToSixteenths(TCharFormat& format) {
    format[caSize] = ValueToSixteenths(format[caSize], false, 100);
    if (format[caKerning] > 0)
        format[caKerning] = ValueToSixteenths(format[caKerning], false, 100);
}

void CharSizesFromSixteenths(TCharFormat& format) {
    format[caSize] = ValueFromSixteenths(format[caSize], false, 100);
    if (format[caKerning] > 0)
        format[caKerning] = ValueFromSixteenths(format[caKerning], false, 100);
}
