#include "base/text/HexText.h"

#include "platform/ByteReader.h"

std::string WideStringToHex(std::u16string_view w) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(w.size() * 4);
    for (const char16_t unit : w) {
        for (const unsigned byte : {unit & 0xFFu, unsigned(unit) >> 8}) {
            out += kDigits[byte >> 4];
            out += kDigits[byte & 15];
        }
    }
    return out;
}

std::u16string HexToWideString(std::string_view s) {
    std::u16string out(s.size() / 4, u'\0');
    std::string bytes(out.size() * 2, '\0');
    std::string_view cursor = s;
    HexPairsToBytes(cursor, reinterpret_cast<std::uint8_t*>(bytes.data()), static_cast<std::int32_t>(bytes.size()));
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char16_t>(LoadU16LE(bytes.data() + 2 * i));
    return out;
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::int32_t HexPairsToBytes(std::string_view& cursor, std::uint8_t* dest, std::int32_t count) {
    std::int32_t written = 0;
    while (written < count && cursor.size() >= 2) {
        const int high = HexDigitValue(cursor[0]);
        const int low = HexDigitValue(cursor[1]);
        if (high < 0 || low < 0)
            break;
        dest[written++] = static_cast<std::uint8_t>(high << 4 | low);
        cursor.remove_prefix(2);
    }
    return written;
}

std::string BytesToHexPairs(const void* data, std::int32_t size) {
    static const char digits[] = "0123456789abcdef";
    const auto* p = static_cast<const unsigned char*>(data);
    std::string out;
    out.reserve(static_cast<std::size_t>(size) * 2);
    for (std::int32_t i = 0; i < size; ++i) {
        out.push_back(digits[p[i] >> 4]);
        out.push_back(digits[p[i] & 15]);
    }
    return out;
}
