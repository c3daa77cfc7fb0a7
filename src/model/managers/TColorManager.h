#pragma once

#include <cstdint>
#include <string>

#include "model/managers/TColorScheme.h"
#include "platform/GdiTypes.h"

// One interface colour with its solid brush, made on first use.
class TPaletteColor {
public:
    TPaletteColor() = default;
    TPaletteColor(const TPaletteColor&) = delete;
    TPaletteColor& operator=(const TPaletteColor&) = delete;
    ~TPaletteColor();

    Platform::HBRUSH Brush();
    // A new colour drops the brush of the old one.
    void SetColor(std::int32_t color);

    Platform::HBRUSH BrushHandle = nullptr;
    std::int32_t Color = 0;
};

// A colour scheme made ready for painting: one colour per slot.
class TColorPalette {
public:
    // Each slot takes the colour the scheme shows for it.
    void Assign(const TColorScheme& scheme);

    TPaletteColor Entries[ColorSlotCount];
};

// The process-wide colour manager: the palette of the user's scheme for the
// screen, a fixed one for printing and print preview, the names of document
// colours, and marker colours kept visible on the page background.
class TColorManager {
public:
    TColorManager();
    TColorManager(const TColorManager&) = delete;
    TColorManager& operator=(const TColorManager&) = delete;
    ~TColorManager();

    // The screen palette takes the scheme (the options' current one); a
    // print palette already made is made again, and every document window
    // is laid out anew.
    void ApplyScheme(const TColorScheme& scheme);
    TColorPalette& GetPrintPalette();
    void UseScreenPalette() { CurrentPalette = ScreenPalette; }
    void UsePrintPalette() { CurrentPalette = &GetPrintPalette(); }
    // The colour of a slot of the current palette.
    std::int32_t SlotColor(int slot) const { return CurrentPalette->Entries[slot].Color; }

    // "Auto", the name of a named colour, or "RGB(r,g,b)".
    static std::string ColorName(std::int32_t color);
    // Byte for byte the same fifteen colours.
    static bool SameSchemeColors(const TColorScheme& a, const TColorScheme& b);

    // A marker colour adapted to the current page background, or to
    // background (the page background for Auto).
    std::int32_t DisplayColor(std::int32_t color) const;
    std::int32_t DisplayColorOn(std::int32_t color, std::int32_t background) const;

    TColorPalette* PrintPalette = nullptr;
    TColorPalette* ScreenPalette = nullptr;
    TColorPalette* CurrentPalette = nullptr;
};

extern TColorManager* ColorManager;

// The print palette's colours (slots 7 to 13 take the defaults).
extern const std::int32_t PrintPaletteColors[ColorSlotCount];

// The named colours: the CSS colours (one name per value), sorted by value.
struct TNamedColor {
    std::int32_t Color;
    const char* Name;
};
constexpr int NamedColorCount = 139;
extern const TNamedColor NamedColors[NamedColorCount];
