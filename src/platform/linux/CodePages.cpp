#include "platform/CodePages.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "platform/ByteReader.h"

namespace Platform {
namespace {

std::string IconvName(int codePage) {
    switch (codePage) {
        case 10000:
            return "MACINTOSH";
        case 874:
            return "CP874";
        case 932:
            return "CP932";
        case 936:
            return "CP936";
        case 949:
            return "CP949";
        case 950:
            return "CP950";
        case 65001:
            return "UTF-8";
        case 1200:
            return "UTF-16LE";
        default:
            return "CP" + std::to_string(codePage);
    }
}

bool MultiByte(int codePage) {
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 || codePage == CP_UTF8 ||
           codePage == CP_UTF16LE;
}

struct TSingleByteTable {
    std::array<char16_t, 256> ToWide{};
    std::unordered_map<char16_t, unsigned char> FromWide;
};

std::mutex g_lock;

const TSingleByteTable* SingleByteTable(int codePage) {
    static std::map<int, std::unique_ptr<TSingleByteTable>> tables;
    std::lock_guard<std::mutex> guard(g_lock);
    auto found = tables.find(codePage);
    if (found != tables.end())
        return found->second.get();
    std::unique_ptr<TSingleByteTable> table;
    iconv_t cd = iconv_open("UTF-16LE", IconvName(codePage).c_str());
    if (cd != reinterpret_cast<iconv_t>(-1)) {
        table = std::make_unique<TSingleByteTable>();
        for (int b = 0; b < 256; ++b) {
            char in = static_cast<char>(b);
            char out[8];
            char* pin = &in;
            char* pout = out;
            size_t inLeft = 1, outLeft = sizeof(out);
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            char16_t w = static_cast<char16_t>(b);  // undefined bytes keep their value
            // 1255 and 1258 hold a base letter back for combining marks:
            // flush to get it out.
            if (iconv(cd, &pin, &inLeft, &pout, &outLeft) != static_cast<size_t>(-1) &&
                iconv(cd, nullptr, nullptr, &pout, &outLeft) != static_cast<size_t>(-1) && outLeft == sizeof(out) - 2)
                w = static_cast<char16_t>(LoadU16LE(out));
            table->ToWide[b] = w;
        }
        iconv_close(cd);
        // Reverse map: the lowest byte wins when two bytes share a character.
        for (int b = 255; b >= 0; --b)
            table->FromWide[table->ToWide[b]] = static_cast<unsigned char>(b);
    }
    const TSingleByteTable* result = table.get();
    tables.emplace(codePage, std::move(table));
    return result;
}

// Runs iconv over the whole input; unconvertible input units are replaced.
bool IconvConvert(const std::string& from,
                  const std::string& to,
                  std::string_view input,
                  std::size_t unit,
                  const std::string& replacement,
                  std::string& output,
                  bool* replaced) {
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    output.clear();
    char* pin = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    std::string buffer(4096, '\0');
    while (inLeft > 0) {
        char* pout = buffer.data();
        size_t outLeft = buffer.size();
        const size_t r = iconv(cd, &pin, &inLeft, &pout, &outLeft);
        output.append(buffer.data(), buffer.size() - outLeft);
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG)
                continue;
            // EILSEQ or EINVAL: skip one input unit and put the replacement.
            const size_t skip = inLeft < unit ? inLeft : unit;
            pin += skip;
            inLeft -= skip;
            output += replacement;
            if (replaced)
                *replaced = true;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    char* pout = buffer.data();
    size_t outLeft = buffer.size();
    iconv(cd, nullptr, nullptr, &pout, &outLeft);
    output.append(buffer.data(), buffer.size() - outLeft);
    iconv_close(cd);
    return true;
}

}  // namespace

bool IsSingleByteCodePage(int codePage) {
    return !MultiByte(codePage) && SingleByteTable(codePage) != nullptr;
}

bool IsCodePageAvailable(int codePage) {
    if (codePage == CP_UTF8 || codePage == CP_UTF16LE)
        return true;
    if (!MultiByte(codePage))
        return SingleByteTable(codePage) != nullptr;
    iconv_t cd = iconv_open("UTF-16LE", IconvName(codePage).c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    iconv_close(cd);
    return true;
}

char16_t ByteToWide(int codePage, unsigned char byte) {
    if (!MultiByte(codePage))
        if (const TSingleByteTable* t = SingleByteTable(codePage))
            return t->ToWide[byte];
    return byte;
}

std::u16string BytesToWide(int codePage, std::string_view bytes) {
    if (codePage == CP_UTF8)
        return Utf8ToUtf16(bytes);
    if (codePage == CP_UTF16LE) {
        std::u16string w(bytes.size() / 2, u'\0');
        for (std::size_t i = 0; i < w.size(); ++i)
            w[i] = static_cast<char16_t>(LoadU16LE(bytes.data() + 2 * i));
        return w;
    }
    if (!MultiByte(codePage)) {
        const TSingleByteTable* t = SingleByteTable(codePage);
        if (t == nullptr)
            t = SingleByteTable(1252);
        std::u16string w(bytes.size(), u'\0');
        for (std::size_t i = 0; i < bytes.size(); ++i)
            w[i] = t->ToWide[static_cast<unsigned char>(bytes[i])];
        return w;
    }
    std::string out;
    if (!IconvConvert(IconvName(codePage), "UTF-16LE", bytes, 1, std::string("\xFD\xFF", 2), out, nullptr))
        return BytesToWide(1252, bytes);
    return BytesToWide(CP_UTF16LE, out);
}

std::string WideToBytes(int codePage, std::u16string_view text, char defaultChar, bool* usedDefault) {
    if (usedDefault)
        *usedDefault = false;
    if (codePage == CP_UTF8)
        return Utf16ToUtf8(text);
    if (codePage == CP_UTF16LE)
        return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    if (!MultiByte(codePage)) {
        const TSingleByteTable* t = SingleByteTable(codePage);
        if (t == nullptr)
            t = SingleByteTable(1252);
        std::string out(text.size(), '\0');
        for (std::size_t i = 0; i < text.size(); ++i) {
            auto found = t->FromWide.find(text[i]);
            if (found != t->FromWide.end()) {
                out[i] = static_cast<char>(found->second);
            } else {
                out[i] = defaultChar;
                if (usedDefault)
                    *usedDefault = true;
            }
        }
        return out;
    }
    std::string out;
    const std::string_view raw(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    if (!IconvConvert("UTF-16LE", IconvName(codePage), raw, 2, std::string(1, defaultChar), out, usedDefault))
        return WideToBytes(1252, text, defaultChar, usedDefault);
    return out;
}

std::u16string Utf8ToUtf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const std::size_t n = s.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        std::uint32_t cp;
        std::size_t len;
        if (c < 0x80) {
            out.push_back(c);
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            cp = c & 0x1F;
            len = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            cp = c & 0x0F;
            len = 3;
        } else if (c >= 0xF0 && c <= 0xF4) {
            cp = c & 0x07;
            len = 4;
        } else {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        // Validate the continuation bytes one by one; a bad one ends the
        // sequence without being consumed, so it is decoded on its own.
        std::size_t k = 1;
        for (; k < len && i + k < n; ++k) {
            const unsigned char cc = p[i + k];
            if ((cc & 0xC0) != 0x80)
                break;
            if (k == 1) {
                if ((c == 0xE0 && cc < 0xA0) || (c == 0xED && cc > 0x9F) || (c == 0xF0 && cc < 0x90) ||
                    (c == 0xF4 && cc > 0x8F))
                    break;
            }
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (k < len) {
            out.push_back(0xFFFD);
            i += k;
            continue;
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view w) {
    std::string out;
    out.reserve(w.size());
    for (std::size_t i = 0; i < w.size(); ++i) {
        std::uint32_t cp = w[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < w.size() && w[i + 1] >= 0xDC00 && w[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (w[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;  // a lone surrogate
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

}  // namespace Platform
