#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Keyboard layouts as the desktop describes them (XKB layout and variant
// names such as "de" or "us" with "intl"), compiled into keymaps without a
// display, so that the key which types a character in one layout can be
// pressed in another.
namespace Platform {

struct TKeyboardLayoutName {
    std::string Layout;
    std::string Variant;
};

// The user's layouts in the desktop's order: XKB_DEFAULT_LAYOUT and
// XKB_DEFAULT_VARIANT (comma-separated lists) when set, else the system's
// keyboard settings (/etc/default/keyboard), else "us".
std::vector<TKeyboardLayoutName> InstalledKeyboardLayouts();
// The index of the layout in use for typing; without a window system to
// ask, the first.
int ActiveKeyboardLayoutIndex();
// The Windows language id of a layout's language ("de" gives 0x407); 0 when
// the layout's language is not known.
std::uint16_t KeyboardLayoutLanguage(const TKeyboardLayoutName& name);

// Shift states of a key, as keyboard layouts of other systems count them:
// AltGr counts as Control and Alt together.
enum : std::uint8_t { kssShift = 1, kssControl = 2, kssAlt = 4 };

// One compiled layout.
class TKeyboardMap {
public:
    // nullptr when the layout is unknown or no keyboard data is installed.
    static std::unique_ptr<TKeyboardMap> Compile(const TKeyboardLayoutName& name);
    ~TKeyboardMap();
    TKeyboardMap(const TKeyboardMap&) = delete;
    TKeyboardMap& operator=(const TKeyboardMap&) = delete;

    // The key (a key code below 256) and shift state that type a character,
    // preferring no modifier, then Shift, then AltGr; false when no key does.
    bool KeyOfChar(char32_t c, std::uint8_t& key, std::uint8_t& shiftState) const;
    // The character a key gives with or without Shift; 0 when it gives none.
    char32_t CharOfKey(std::uint8_t key, bool shift) const;

private:
    struct TImpl;
    explicit TKeyboardMap(std::unique_ptr<TImpl> impl);
    std::unique_ptr<TImpl> Impl;
};

}  // namespace Platform
