// UTF-8 decoding takes bytes from files and the clipboard: any input must
// decode without reading past its end, and re-encoding valid results must
// give the same UTF-16 back.
#include <cstdint>
#include <string_view>

#include "platform/CodePages.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string wide = Platform::Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string back = Platform::Utf16ToUtf8(wide);
    if (Platform::Utf8ToUtf16(back) != wide)
        __builtin_trap();
    return 0;
}
