#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Little-endian reads from metafile records. Every read is checked against
// the record's size: a field beyond the end reads as 0, and callers ask Has
// first wherever a missing field must stop the record.
namespace Platform::Metafile {

struct TBytes {
    const std::uint8_t* Data = nullptr;
    std::size_t Size = 0;

    bool Has(std::size_t offset, std::size_t length) const { return offset <= Size && length <= Size - offset; }
    std::uint8_t U8(std::size_t o) const { return Has(o, 1) ? Data[o] : 0; }
    std::uint16_t U16(std::size_t o) const {
        return Has(o, 2) ? static_cast<std::uint16_t>(Data[o] | (Data[o + 1] << 8)) : 0;
    }
    std::int16_t I16(std::size_t o) const { return static_cast<std::int16_t>(U16(o)); }
    std::uint32_t U32(std::size_t o) const {
        if (!Has(o, 4))
            return 0;
        return static_cast<std::uint32_t>(Data[o]) | (static_cast<std::uint32_t>(Data[o + 1]) << 8) |
               (static_cast<std::uint32_t>(Data[o + 2]) << 16) | (static_cast<std::uint32_t>(Data[o + 3]) << 24);
    }
    std::int32_t I32(std::size_t o) const { return static_cast<std::int32_t>(U32(o)); }
    float F32(std::size_t o) const {
        const std::uint32_t v = U32(o);
        float f = 0;
        std::memcpy(&f, &v, 4);
        return f;
    }
    const std::uint8_t* At(std::size_t o) const { return Data + o; }
    TBytes Sub(std::size_t offset, std::size_t length) const {
        if (!Has(offset, length))
            return {};
        return {Data + offset, length};
    }
};

}  // namespace Platform::Metafile
