#pragma once

#include <cstdint>
#include <string>

#include "base/core/TStream.h"

// A stream that keeps what is written in a string (the file side of a save
// in tests and benchmarks).
class TStringSink : public TStream {
public:
    std::int32_t Read(void*, std::int32_t) override { return 0; }
    std::int32_t Write(const void* buffer, std::int32_t count) override {
        Bytes.append(static_cast<const char*>(buffer), static_cast<std::size_t>(count));
        return count;
    }
    std::int64_t Seek(std::int64_t, int) override { return static_cast<std::int64_t>(Bytes.size()); }

    std::string Bytes;
};
