#pragma once

#include <cstdint>

#include "base/core/TMemoryStream.h"

// A stream that reads a block of memory it does not own, in place.
class TReadOnlyMemoryStream : public TCustomMemoryStream {
public:
    TReadOnlyMemoryStream(const void* block, std::int32_t size) { SetMemory(const_cast<void*>(block), size); }
    ~TReadOnlyMemoryStream() override { SetMemory(nullptr, 0); }
    std::int32_t Write(const void* buffer, std::int32_t count) override { return 0; }
};
