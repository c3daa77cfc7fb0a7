#include "model/managers/TLayoutManager.h"

#include "base/text/Charsets.h"
#include "model/managers/TLangManager.h"
#include "platform/CodePages.h"
#include "platform/KeyboardLayouts.h"

TLayout::TLayout(std::uint32_t handle, std::unique_ptr<Platform::TKeyboardMap> map)
    : Handle(handle), Map(std::move(map)) {
    LanguageName = LanguageManager().LanguageName(Language());
    Charset = LanguageCharset(Language(), false);
    CodePage = LanguageAnsiCodePage(Language());
    if (CodePage == 0 || !Platform::IsSingleByteCodePage(CodePage))
        CodePage = 1252;
    for (int b = 0; b < 256; ++b) {
        KeyOf[b] = -1;
        std::uint8_t key = 0, shift = 0;
        if (Map && Map->KeyOfChar(Platform::ByteToWide(CodePage, static_cast<unsigned char>(b)), key, shift))
            KeyOf[b] = static_cast<std::int16_t>(key | (shift << 8));
    }
}

TLayout::~TLayout() = default;

unsigned char TLayout::CharOfKey(std::uint8_t key, bool shift) const {
    if (!Map)
        return 0;
    const char32_t c = Map->CharOfKey(key, shift);
    if (c == 0 || c > 0xFFFF)
        return 0;
    bool usedDefault = false;
    const std::string bytes =
        Platform::WideToBytes(CodePage, std::u16string(1, static_cast<char16_t>(c)), '?', &usedDefault);
    return usedDefault || bytes.size() != 1 ? 0 : static_cast<unsigned char>(bytes[0]);
}

TLayoutManager::~TLayoutManager() {
    FreeLayouts();
}

void TLayoutManager::FreeLayouts() {
    FreeItems<TLayout>();
    Current = -1;
}

void TLayoutManager::Refresh() {
    FreeLayouts();
    const std::vector<Platform::TKeyboardLayoutName> names = Platform::InstalledKeyboardLayouts();
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::uint32_t handle =
            (static_cast<std::uint32_t>(i + 1) << 16) | Platform::KeyboardLayoutLanguage(names[i]);
        Add(new TLayout(handle, Platform::TKeyboardMap::Compile(names[i])));
    }
    const int active = Platform::ActiveKeyboardLayoutIndex();
    for (std::int32_t i = Count - 1; i >= 0; --i)
        if (i == active) {
            Current = i;
            break;
        }
}

std::int32_t TLayoutManager::IndexOfLanguage(std::int32_t languageId) const {
    for (std::int32_t i = Count - 1; i >= 0; --i)
        if (Layout(i)->Language() == static_cast<std::uint16_t>(languageId))
            return i;
    return Current;
}

std::uint32_t TLayoutManager::CurrentLayout() const {
    return Current >= 0 && Current < Count ? Layout(Current)->Handle : 0;
}

char TLayoutManager::ConvertChar(char c, std::int32_t fromLayout, std::int32_t toLayout) const {
    unsigned char result = static_cast<unsigned char>(c);
    if (fromLayout >= 0 && fromLayout < Count && toLayout >= 0 && toLayout < Count) {
        const std::int16_t key = Layout(fromLayout)->KeyOf[static_cast<unsigned char>(c)];
        if (key != -1) {
            const unsigned char typed = Layout(toLayout)->CharOfKey(static_cast<std::uint8_t>(key & 0xFF),
                                                                    ((key >> 8) & Platform::kssShift) != 0);
            if (typed != 0)
                result = typed;
        }
    }
    return static_cast<char>(result < 32 ? 32 : result);
}

TLayoutManager& LayoutManager() {
    static TLayoutManager manager;
    return manager;
}
