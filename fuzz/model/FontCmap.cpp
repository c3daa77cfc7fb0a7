// The 'cmap' table comes from font files of any origin: every table must be
// read without reading past its end, and every listed character must be one
// a format-4 segment (or the Latin-1 fallback) can hold.
#include <cstdint>

#include "base/core/TList.h"
#include "model/managers/FontData.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TList list;
    bool found = false;
    CharactersOfCmap(data, size, list, found);
    for (std::int32_t i = 0; i < list.Count; ++i) {
        const auto c = reinterpret_cast<std::uintptr_t>(list.Item(i));
        if (c < 32 || c > 0xFFFF || (c >= 128 && c <= 160) || c == 173)
            __builtin_trap();
    }
    return 0;
}
