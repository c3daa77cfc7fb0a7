#include "base/text/SettingsText.h"

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
