// Text loaded into a string list comes from any file. Whatever its bytes and
// the language it is compared in (single- and double-byte code pages): the
// lines hold no line breaks, a sorted list is in order, case mapping keeps
// the length and hexadecimal text decodes to a quarter of its length.
#include <cstdint>
#include <string>
#include <string_view>

#include "base/text/CompareLocale.h"
#include "base/text/HexText.h"
#include "base/text/TStringList.h"
#include "base/text/TextCase.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    static const std::uint32_t kLocales[] = {0x409, 0x41F, 0x419, 0x411, 0x804, 0x40C};
    const std::uint32_t locale = kLocales[data[0] % 6];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    TStringList list;
    list.Language = static_cast<std::int32_t>(locale);
    list.CaseSensitive = (data[0] & 0x80) != 0;
    list.SetSorted(true);
    list.SetText(text);
    const TCompareLocaleScope scope(locale);
    for (std::int32_t i = 0; i < list.Count; ++i) {
        const std::string& s = list.Items[i].String;
        if (s.find_first_of("\r\n") != std::string::npos)
            __builtin_trap();
        if (i > 0 && list.CompareStrings(list.Items[i - 1].String, s) > 0)
            __builtin_trap();
        if (UpperCaseLocale(s).size() != s.size() || LowerCaseLocale(s).size() != s.size())
            __builtin_trap();
    }
    const std::int32_t prefix = TStrings::FindClosestPrefix(list, std::string(text.substr(0, 6)), true);
    if (prefix < -1 || (list.Count > 0 && prefix >= list.Count))
        __builtin_trap();
    if (HexToWideString(text).size() != text.size() / 4)
        __builtin_trap();
    return 0;
}
