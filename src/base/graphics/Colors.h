#pragma once

#include <cstdint>

// Colour values: 0x00BBGGRR, red in the low byte. A negative value is a
// system colour whose low byte is the system colour index (0x80000008 is
// the window-text colour); 0xFF000000 is "automatic" in document formats.
using TColor = std::int32_t;

constexpr TColor clWindowText = static_cast<TColor>(0x80000008);
constexpr TColor clBtnShadow = static_cast<TColor>(0x80000010);
constexpr TColor clBtnHighlight = static_cast<TColor>(0x80000014);
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;

constexpr TColor MakeRGB(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return static_cast<TColor>(red | (green << 8) | (blue << 16));
}
constexpr std::uint8_t ColorRed(TColor c) {
    return static_cast<std::uint8_t>(c);
}
constexpr std::uint8_t ColorGreen(TColor c) {
    return static_cast<std::uint8_t>(c >> 8);
}
constexpr std::uint8_t ColorBlue(TColor c) {
    return static_cast<std::uint8_t>(c >> 16);
}

// A system colour's current value; other colours unchanged.
TColor ResolveSysColor(TColor color);

// Keeps a marker colour visible on a page background: unchanged on white,
// darkened on light backgrounds, lightened on dark ones.
TColor AdaptColorToBackground(TColor color, TColor background);

// Contrast by the WCAG formulas (sRGB channels linearised).
double SrgbToLinear(std::uint8_t v);
double RelativeLuminance(TColor color);
double ContrastRatio(TColor a, TColor b);
// color when it contrasts at least 3:1 with background, else the best of
// color, white and black.
TColor ReadableColor(TColor color, TColor background);
