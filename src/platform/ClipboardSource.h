#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What paste asks of a clipboard: open it, see which formats it holds, read
// one format's bytes (in the Windows layout of Clipboard.h) and close it
// again. Paste reads through this interface rather than the clipboard
// functions themselves, so that tests and benchmarks can hand it a clipboard
// of their own without a desktop.
namespace Platform {

class TClipboardSource {
public:
    virtual ~TClipboardSource() = default;
    // False when the clipboard cannot be opened now.
    virtual bool Open() = 0;
    virtual void Close() = 0;
    virtual bool HasFormat(std::uint32_t format) = 0;
    // The format's bytes, or none when the clipboard does not hold it.
    virtual std::optional<std::vector<std::uint8_t>> Data(std::uint32_t format) = 0;
    // The number of a registered format by its name (compared without case);
    // 0 when there is none.
    virtual std::uint32_t RegisterFormat(std::u16string_view name) = 0;
};

// The desktop's clipboard (Clipboard.h).
TClipboardSource& SystemClipboard();

// A clipboard held in memory: formats are set by the owner, registered
// names get numbers from kFirstRegisteredClipboardFormat up of its own.
class TMemoryClipboard final : public TClipboardSource {
public:
    bool Open() override;
    void Close() override;
    bool HasFormat(std::uint32_t format) override;
    std::optional<std::vector<std::uint8_t>> Data(std::uint32_t format) override;
    std::uint32_t RegisterFormat(std::u16string_view name) override;

    void Set(std::uint32_t format, std::vector<std::uint8_t> bytes);
    void Set(std::uint32_t format, std::string_view bytes);
    void Clear();

    // Set to refuse opening, as a clipboard that another program holds.
    bool Locked = false;
    bool IsOpen = false;

private:
    std::map<std::uint32_t, std::vector<std::uint8_t>> Formats;
    std::map<std::u16string, std::uint32_t> Names;
};

}  // namespace Platform
