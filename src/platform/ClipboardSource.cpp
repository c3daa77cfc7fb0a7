#include "platform/ClipboardSource.h"

#include "platform/Clipboard.h"

namespace Platform {

namespace {

// Paste reads the clipboard only while it holds it open; no owner window is
// needed for reading.
class TSystemClipboard final : public TClipboardSource {
public:
    bool Open() override { return OpenClipboard(nullptr); }
    void Close() override { CloseClipboard(); }
    bool HasFormat(std::uint32_t format) override { return IsClipboardFormatAvailable(format); }
    std::optional<std::vector<std::uint8_t>> Data(std::uint32_t format) override { return GetClipboardData(format); }
    std::uint32_t RegisterFormat(std::u16string_view name) override { return RegisterClipboardFormat(name); }
};

char16_t FoldCase(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

}  // namespace

TClipboardSource& SystemClipboard() {
    static TSystemClipboard clipboard;
    return clipboard;
}

bool TMemoryClipboard::Open() {
    if (Locked || IsOpen)
        return false;
    IsOpen = true;
    return true;
}

void TMemoryClipboard::Close() {
    IsOpen = false;
}

bool TMemoryClipboard::HasFormat(std::uint32_t format) {
    return Formats.contains(format);
}

std::optional<std::vector<std::uint8_t>> TMemoryClipboard::Data(std::uint32_t format) {
    const auto it = Formats.find(format);
    if (it == Formats.end())
        return std::nullopt;
    return it->second;
}

std::uint32_t TMemoryClipboard::RegisterFormat(std::u16string_view name) {
    if (name.empty())
        return 0;
    std::u16string key(name);
    for (char16_t& c : key)
        c = FoldCase(c);
    const auto [it, added] =
        Names.emplace(key, kFirstRegisteredClipboardFormat + static_cast<std::uint32_t>(Names.size()));
    return it->second;
}

void TMemoryClipboard::Set(std::uint32_t format, std::vector<std::uint8_t> bytes) {
    Formats[format] = std::move(bytes);
}

void TMemoryClipboard::Set(std::uint32_t format, std::string_view bytes) {
    Formats[format] = std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

void TMemoryClipboard::Clear() {
    Formats.clear();
}

}  // namespace Platform
