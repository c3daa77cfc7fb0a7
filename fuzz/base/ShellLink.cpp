// Link files come from any folder a user opens. Whatever their bytes, the
// reader stops inside them, and a link it accepts stops at or before the end.
#include <cstdint>
#include <string_view>

#include "base/files/ShellLinks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TShellLink link;
    const TShellLinkResult result = ReadShellLink(bytes, link);
    if (result.Offset > size)
        __builtin_trap();
    // The inner parse agrees with the public entry and names a byte inside
    // (or just after) the input.
    const TReadResult parsed = ParseShellLink(bytes, link);
    if (parsed.Offset != result.Offset || parsed.Good != (result.Status == TShellLinkStatus::Ok))
        __builtin_trap();
    return 0;
}
