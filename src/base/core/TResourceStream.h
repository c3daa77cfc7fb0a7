#pragma once

#include <string_view>

#include "base/core/TMemoryStream.h"

// A read-only stream over a resource linked into the program. A missing
// resource gives an empty stream; writing writes nothing.
class TResourceStream : public TCustomMemoryStream {
public:
    TResourceStream(std::string_view name, std::string_view resType);
    std::int32_t Write(const void* buffer, std::int32_t count) override { return 0; }

    bool Found = false;
};
