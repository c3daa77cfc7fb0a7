#include "base/text/TextHelpers.h"

#include <cmath>
#include <cstdio>
#include <cstring>

std::int32_t FindByte(const void* buffer, std::uint8_t b, std::int32_t count) {
    if (count <= 0)
        return -1;
    const void* found = std::memchr(buffer, b, static_cast<std::size_t>(count));
    return found == nullptr ? -1
                            : static_cast<std::int32_t>(static_cast<const std::uint8_t*>(found) -
                                                        static_cast<const std::uint8_t*>(buffer));
}

std::int32_t FindWideChar(const char16_t* text, char16_t c, std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i)
        if (text[i] == c)
            return i;
    return -1;
}

std::int32_t FirstControlCharIndex(const void* buffer, std::int32_t len) {
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    for (std::int32_t i = 0; i < len; ++i)
        if (bytes[i] < 32)
            return i;
    return len < 0 ? 0 : len;
}

std::string FormatThousandsSpaced(double value) {
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    double whole = std::round(value);
    if (whole == 0)
        whole = 0;  // no "-0"
    char digits[400];
    std::snprintf(digits, sizeof(digits), "%.0f", whole);
    const char* p = digits;
    std::string out;
    if (*p == '-')
        out += *p++;
    const std::size_t n = std::strlen(p);
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += ' ';
        out += p[i];
    }
    return out;
}

std::string ReplaceChar(std::string_view s, char from, char to) {
    std::string out(s);
    for (char& c : out)
        if (c == from)
            c = to;
    return out;
}

std::string BarsToLineBreaks(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '|' && i + 1 < s.size() && s[i + 1] == '|') {
            out += "\r\n";
            ++i;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::string LineBreaksToBars(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') {
            out += "||";
            ++i;
        } else {
            out += s[i];
        }
    }
    return out;
}

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
        out[i] = static_cast<char16_t>(static_cast<std::uint8_t>(bytes[2 * i]) |
                                       (static_cast<std::uint8_t>(bytes[2 * i + 1]) << 8));
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

namespace {}  // namespace

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
