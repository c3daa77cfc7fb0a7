#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/core/TList.h"

namespace Platform {
class TKeyboardMap;
}

// One installed keyboard layout: which key types each character.
class TLayout {
public:
    // handle: the layout's handle, its low 16 bits the language id.
    TLayout(std::uint32_t handle, std::unique_ptr<Platform::TKeyboardMap> map);
    ~TLayout();
    TLayout(const TLayout&) = delete;
    TLayout& operator=(const TLayout&) = delete;

    std::uint16_t Language() const { return static_cast<std::uint16_t>(Handle & 0xFFFF); }
    // The character the key gives with or without Shift, as a byte of the
    // layout's code page; 0 when it gives none or the page cannot hold it.
    unsigned char CharOfKey(std::uint8_t key, bool shift) const;

    std::uint32_t Handle = 0;
    std::string LanguageName;
    // For each byte 0..255 of the layout's code page: the key in the low
    // byte and the shift state in the high byte (bit 0 Shift); -1 when no
    // key types it.
    std::int16_t KeyOf[256] = {};
    std::int32_t Charset = 0;
    std::int32_t CodePage = 1252;

private:
    std::unique_ptr<Platform::TKeyboardMap> Map;
};

// The installed keyboard layouts, in the desktop's order.
class TLayoutManager : public TList {
public:
    TLayoutManager() = default;
    ~TLayoutManager() override;

    // Reads the installed layouts afresh; Current becomes the active one.
    void Refresh();
    TLayout* Layout(std::int32_t index) const { return At<TLayout>(index); }
    // The last layout of the language; Current when none is.
    std::int32_t IndexOfLanguage(std::int32_t languageId) const;
    // The handle of the layout in use (0 before Refresh).
    std::uint32_t CurrentLayout() const;
    // What the key that types c in one layout types in the other: the key
    // is pressed with Shift when it needed Shift (Control and Alt are left
    // out); c itself when no key types it or the key gives nothing there.
    // Control characters come back as a space.
    char ConvertChar(char c, std::int32_t fromLayout, std::int32_t toLayout) const;

    std::int32_t Current = -1;

private:
    void FreeLayouts();
};

// The program's layout manager, made empty on first use.
TLayoutManager& LayoutManager();
