#pragma once

#include <cstdint>

#include "base/core/TStream.h"

// A stream over a block of memory it does not own (SetMemory), read-only in
// the base: Write stays abstract.
class TCustomMemoryStream : public TStream {
public:
    void SetMemory(void* block, std::int32_t size) {
        Memory = static_cast<std::uint8_t*>(block);
        MemSize = size;
    }
    std::int32_t Read(void* buffer, std::int32_t count) override;
    std::int64_t Seek(std::int64_t offset, int origin) override;

    std::uint8_t* Memory = nullptr;
    std::int32_t MemSize = 0;      // the stream's Size
    std::int64_t MemPosition = 0;  // may lie beyond the end
};

// A growable stream owning its block, in 8192-byte steps.
class TMemoryStream : public TCustomMemoryStream {
public:
    ~TMemoryStream() override;

    void Resize(std::int64_t newSize) override;
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    void SetCapacity(std::int32_t n);
    void Clear();

    std::int32_t Capacity = 0;

protected:
    // Rounds newCapacity up to a multiple of 8192 and returns the block for it.
    virtual std::uint8_t* Realloc(std::int32_t& newCapacity);
};
