// Internet shortcuts and the URLs inside them come from files and documents:
// any text splits, resolves against a base and is recognised without
// reading past its end, and a URL without a scheme gains "http://" only.
#include <cstdint>
#include <string>

#include "base/files/Urls.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string url = ReadInternetShortcutUrl("", &text);
    TURLComponents parts;
    SplitUrl(url.empty() ? text : url, parts);
    std::string combined;
    CombineUrl("http://host/a/b/c.htm?q#f", text, parts, combined);
    LooksLikeUrl(text);
    const std::string prefixed = AddHttpPrefix(text);
    if (!HasUrlScheme(text) && prefixed != "http://" + text)
        __builtin_trap();
    return 0;
}
