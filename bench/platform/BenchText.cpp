#include "BenchText.h"

#include <random>

namespace BenchText {

std::vector<std::u16string> Lines(int count, int width) {
    static const char16_t* words[] = {u"the",  u"quick", u"brown",     u"fox",       u"jumps",   u"over",
                                      u"lazy", u"dog",   u"Document",  u"paragraph", u"layout",  u"caf\u00E9",
                                      u"AVA",  u"Wally", u"measuring", u"typeface",  u"kerning", u"1,234.56"};
    std::mt19937 rng(7);
    std::uniform_int_distribution<std::size_t> pick(0, sizeof words / sizeof words[0] - 1);
    std::vector<std::u16string> lines;
    for (int i = 0; i < count; ++i) {
        std::u16string line;
        while (static_cast<int>(line.size()) < width) {
            line += words[pick(rng)];
            line += u' ';
        }
        line.resize(width);
        lines.push_back(line);
    }
    return lines;
}

std::string ToUtf8(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace BenchText
