#include "model/managers/TColorManager.h"

#include <cstdio>
#include <cstring>

#include "base/graphics/Colors.h"
#include "model/formats/TCharFormat.h"
#include "model/host/TModelHost.h"
#include "model/managers/ManagerFormatNames.h"
#include "platform/DeviceContexts.h"

TColorManager* ColorManager = nullptr;

const std::int32_t PrintPaletteColors[ColorSlotCount] = {
    0x000000, 0xF1CDA8, 0x000000, 0xFFFFFF, 0xB0B0B0, 0x808080, 0x000000, -1, -1, -1, -1, -1, -1, -1, 0x000000,
};

// clang-format off
const TNamedColor NamedColors[NamedColorCount] = {
    {0x000000, "Black"},
    {0x000080, "Maroon"},
    {0x00008B, "Dark Red"},
    {0x0000FF, "Red"},
    {0x0045FF, "Orange Red"},
    {0x006400, "Dark Green"},
    {0x008000, "Green"},
    {0x008080, "Olive"},
    {0x008CFF, "Dark Orange"},
    {0x00A5FF, "Orange"},
    {0x00D7FF, "Gold"},
    {0x00FC7C, "Lawn Green"},
    {0x00FF00, "Lime"},
    {0x00FF7F, "Chartreuse"},
    {0x00FFFF, "Yellow"},
    {0x0B86B8, "Dark Golden Rod"},
    {0x13458B, "Saddle Brown"},
    {0x1E69D2, "Chocolate"},
    {0x20A5DA, "Golden Rod"},
    {0x2222B2, "Fire Brick"},
    {0x228B22, "Forest Green"},
    {0x238E6B, "Olive Drab"},
    {0x2A2AA5, "Brown"},
    {0x2D52A0, "Sienna"},
    {0x2F6B55, "Dark Olive Green"},
    {0x2FFFAD, "Green Yellow"},
    {0x32CD32, "Lime Green"},
    {0x32CD9A, "Yellow Green"},
    {0x3C14DC, "Crimson"},
    {0x3F85CD, "Peru"},
    {0x4763FF, "Tomato"},
    {0x4F4F2F, "Dark Slate Gray"},
    {0x507FFF, "Coral"},
    {0x578B2E, "Sea Green"},
    {0x5C5CCD, "Indian Red"},
    {0x60A4F4, "Sandy Brown"},
    {0x696969, "Dim Gray"},
    {0x6BB7BD, "Dark Khaki"},
    {0x701919, "Midnight Blue"},
    {0x71B33C, "Medium Sea Green"},
    {0x7280FA, "Salmon"},
    {0x7A96E9, "Dark Salmon"},
    {0x7AA0FF, "Light Salmon"},
    {0x7FFF00, "Spring Green"},
    {0x800000, "Navy"},
    {0x800080, "Purple"},
    {0x808000, "Teal"},
    {0x808080, "Gray"},
    {0x8080F0, "Light Coral"},
    {0x82004B, "Indigo"},
    {0x8515C7, "Medium Violet Red"},
    {0x87B8DE, "Burly Wood"},
    {0x8B0000, "Dark Blue"},
    {0x8B008B, "Dark Magenta"},
    {0x8B3D48, "Dark Slate Blue"},
    {0x8B8B00, "Dark Cyan"},
    {0x8CB4D2, "Tan"},
    {0x8CE6F0, "Khaki"},
    {0x8F8FBC, "Rosy Brown"},
    {0x8FBC8F, "Dark Sea Green"},
    {0x908070, "Slate Gray"},
    {0x90EE90, "Light Green"},
    {0x9314FF, "Deep Pink"},
    {0x9370DB, "Pale Violet Red"},
    {0x98FB98, "Pale Green"},
    {0x993366, "Rebecca Purple"},
    {0x998877, "Light Slate Gray"},
    {0x9AFA00, "Medium Spring Green"},
    {0xA09E5F, "Cadet Blue"},
    {0xA9A9A9, "Dark Gray"},
    {0xAAB220, "Light Sea Green"},
    {0xAACD66, "Medium Aqua Marine"},
    {0xAAE8EE, "Pale Golden Rod"},
    {0xADDEFF, "Navajo White"},
    {0xB3DEF5, "Wheat"},
    {0xB469FF, "Hot Pink"},
    {0xB48246, "Steel Blue"},
    {0xB5E4FF, "Moccasin"},
    {0xB9DAFF, "Peach Puff"},
    {0xC0C0C0, "Silver"},
    {0xC1B6FF, "Light Pink"},
    {0xC4E4FF, "Bisque"},
    {0xCBC0FF, "Pink"},
    {0xCC3299, "Dark Orchid"},
    {0xCCD148, "Medium Turquoise"},
    {0xCD0000, "Medium Blue"},
    {0xCD5A6A, "Slate Blue"},
    {0xCDEBFF, "Blanched Almond"},
    {0xCDFAFF, "Lemon Chiffon"},
    {0xD0E040, "Turquoise"},
    {0xD1CE00, "Dark Turquoise"},
    {0xD2FAFA, "Light Golden Rod Yellow"},
    {0xD30094, "Dark Violet"},
    {0xD355BA, "Medium Orchid"},
    {0xD3D3D3, "Light Gray"},
    {0xD4FF7F, "Aquamarine"},
    {0xD5EFFF, "Papaya Whip"},
    {0xD670DA, "Orchid"},
    {0xD7EBFA, "Antique White"},
    {0xD8BFD8, "Thistle"},
    {0xDB7093, "Medium Purple"},
    {0xDCDCDC, "Gainsboro"},
    {0xDCF5F5, "Beige"},
    {0xDCF8FF, "Cornsilk"},
    {0xDDA0DD, "Plum"},
    {0xDEC4B0, "Light Steel Blue"},
    {0xE0FFFF, "Light Yellow"},
    {0xE16941, "Royal Blue"},
    {0xE1E4FF, "Misty Rose"},
    {0xE22B8A, "Blue Violet"},
    {0xE6D8AD, "Light Blue"},
    {0xE6E0B0, "Powder Blue"},
    {0xE6F0FA, "Linen"},
    {0xE6F5FD, "Old Lace"},
    {0xEBCE87, "Sky Blue"},
    {0xED9564, "Cornflower Blue"},
    {0xEE687B, "Medium Slate Blue"},
    {0xEE82EE, "Violet"},
    {0xEEEEAF, "Pale Turquoise"},
    {0xEEF5FF, "Sea Shell"},
    {0xF0FAFF, "Floral White"},
    {0xF0FFF0, "Honey Dew"},
    {0xF0FFFF, "Ivory"},
    {0xF5F0FF, "Lavender Blush"},
    {0xF5F5F5, "White Smoke"},
    {0xFACE87, "Light Sky Blue"},
    {0xFAE6E6, "Lavender"},
    {0xFAFAFF, "Snow"},
    {0xFAFFF5, "Mint Cream"},
    {0xFF0000, "Blue"},
    {0xFF00FF, "Magenta"},
    {0xFF901E, "Dodger Blue"},
    {0xFFBF00, "Deep Sky Blue"},
    {0xFFF8F0, "Alice Blue"},
    {0xFFF8F8, "Ghost White"},
    {0xFFFF00, "Aqua"},
    {0xFFFFE0, "Light Cyan"},
    {0xFFFFF0, "Azure"},
    {0xFFFFFF, "White"},
};
// clang-format on

TPaletteColor::~TPaletteColor() {
    if (BrushHandle != nullptr)
        Platform::DeleteBrush(BrushHandle);
}

Platform::HBRUSH TPaletteColor::Brush() {
    if (BrushHandle == nullptr)
        BrushHandle = Platform::CreateSolidBrush(static_cast<Platform::TColorRef>(Color));
    return BrushHandle;
}

void TPaletteColor::SetColor(std::int32_t color) {
    if (BrushHandle != nullptr) {
        Platform::DeleteBrush(BrushHandle);
        BrushHandle = nullptr;
    }
    Color = color;
}

void TColorPalette::Assign(const TColorScheme& scheme) {
    for (int i = 0; i < ColorSlotCount; ++i)
        Entries[i].SetColor(scheme.GetColor(i));
}

TColorManager::TColorManager() {
    if (ColorManager == nullptr)
        ColorManager = this;
    // Until the options apply the user's scheme, the screen shows the
    // defaults.
    ScreenPalette = new TColorPalette;
    ScreenPalette->Assign(TColorScheme());
    CurrentPalette = ScreenPalette;
    InstallManagerFormatNames();
}

TColorManager::~TColorManager() {
    delete PrintPalette;
    delete ScreenPalette;
    if (ColorManager == this)
        ColorManager = nullptr;
}

void TColorManager::ApplyScheme(const TColorScheme& scheme) {
    ScreenPalette->Assign(scheme);
    if (PrintPalette != nullptr) {
        const bool printing = CurrentPalette == PrintPalette;
        delete PrintPalette;
        PrintPalette = nullptr;
        if (printing)
            CurrentPalette = &GetPrintPalette();
        else
            GetPrintPalette();
    }
    ModelHost().RelayoutAllDocuments();
}

TColorPalette& TColorManager::GetPrintPalette() {
    if (PrintPalette == nullptr) {
        TColorScheme scheme;
        std::memcpy(scheme.Colors, PrintPaletteColors, sizeof scheme.Colors);
        PrintPalette = new TColorPalette;
        PrintPalette->Assign(scheme);
    }
    return *PrintPalette;
}

std::string TColorManager::ColorName(std::int32_t color) {
    if (color == AutoColor)
        return "Auto";
    int lo = 0, hi = NamedColorCount - 1;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        if (NamedColors[mid].Color == color)
            return NamedColors[mid].Name;
        if (NamedColors[mid].Color < color)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "RGB(%d,%d,%d)", color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
    return buffer;
}

bool TColorManager::SameSchemeColors(const TColorScheme& a, const TColorScheme& b) {
    return std::memcmp(a.Colors, b.Colors, sizeof a.Colors) == 0;
}

std::int32_t TColorManager::DisplayColor(std::int32_t color) const {
    return AdaptColorToBackground(color, SlotColor(csPageBackground));
}

std::int32_t TColorManager::DisplayColorOn(std::int32_t color, std::int32_t background) const {
    return AdaptColorToBackground(color, background == AutoColor ? SlotColor(csPageBackground) : background);
}
