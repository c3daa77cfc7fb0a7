// The settings file is text a user may edit by hand: any bytes must parse
// without a crash, every line counting as a key, a value or damage.
#include <cstdint>
#include <string_view>

#include "platform/Registry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Platform::TRegParseStats stats =
        Platform::RegParseText(std::string_view(reinterpret_cast<const char*>(data), size));
    if (stats.Keys < 0 || stats.Values < 0 || stats.DamagedLines < 0)
        __builtin_trap();
    return 0;
}
