#include "files/saving/DocumentNames.h"

#include <cstdio>

namespace {

constexpr std::int32_t kLastCounter = 99;
constexpr std::int32_t kCounterAttempts = 100;

bool IsForbiddenInFileName(unsigned char c) {
    switch (c) {
        case '"':
        case '*':
        case '/':
        case ':':
        case '<':
        case '>':
        case '?':
        case '[':
        case '\\':
        case ']':
        case '{':
        case '|':
        case '}':
        case 0x84:
        case 0x93:
        case 0x94:
        case 0xAB:
        case 0xBB:
            return true;
        default:
            return false;
    }
}

}  // namespace

std::string FormatExtension(std::int32_t format) {
    static constexpr const char* extensions[] = {"rtf", "doc", "docx", "odt", "cod", "wri", "txt"};
    return format >= 0 && format < 7 ? extensions[format] : "txt";
}

std::string UntitledName(std::int32_t& counter,
                         std::int32_t format,
                         const std::string& folder,
                         const std::function<bool(const std::string&)>& isOpen) {
    const std::string extension = FormatExtension(format);
    for (std::int32_t attempt = 0;; ++attempt) {
        const std::int32_t number = attempt < kCounterAttempts ? counter : attempt;
        char name[64];
        std::snprintf(name, sizeof name, "Doc%.2d.%s", number, extension.c_str());
        counter = counter >= kLastCounter || counter < 1 ? 1 : counter + 1;
        const std::string path = folder.empty() ? std::string(name) : folder + "/" + name;
        if (!isOpen || !isOpen(path))
            return path;
    }
}

std::string SanitizeFileName(std::string_view text, bool keepFileNameChars) {
    std::string out(text);
    for (char& c : out) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 32 || (!keepFileNameChars && IsForbiddenInFileName(u)))
            c = ' ';
    }
    const std::size_t first = out.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    const std::size_t last = out.find_last_not_of(' ');
    return out.substr(first, last - first + 1);
}
