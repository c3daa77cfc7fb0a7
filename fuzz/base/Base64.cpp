// Base64 text comes from imported documents. Any text decodes without
// reading past its end, to at most three bytes for every four characters,
// and a text that decodes to nothing was not a whole Base64 text.
#include <cstdint>
#include <string>

#include "base/text/NumberWords.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    DecodeBase64(text);
    if (text.size() > size / 4 * 3)
        __builtin_trap();
    return 0;
}
