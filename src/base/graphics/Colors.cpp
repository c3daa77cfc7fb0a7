#include "base/graphics/Colors.h"

#include <algorithm>
#include <cmath>

#include "platform/Screen.h"

TColor ResolveSysColor(TColor color) {
    if (color < 0)
        return static_cast<TColor>(Platform::GetSysColor(color & 0xFF));
    return color;
}

TColor AdaptColorToBackground(TColor color, TColor background) {
    const int back[3] = {ColorBlue(background), ColorGreen(background), ColorRed(background)};
    const int fore[3] = {ColorBlue(color), ColorGreen(color), ColorRed(color)};
    const bool dark = back[0] + back[1] + back[2] < 384;
    int carry = 0;
    int out[3] = {0, 0, 0};
    // Channels blue, green, red. The second pass takes the excess carried
    // from the first one off the channels that can still be darkened; it
    // only consumes the carry, so the excess is taken off once.
    auto pass = [&](bool reduce) {
        for (int c = 0; c < 3; ++c) {
            const int b = back[c];
            const int i = 255 - fore[c];
            int v;
            if (dark && b + i <= 255) {
                v = b < 32 ? std::min(255, b + i * 250 / 100) : b + i;
            } else if (i <= b) {
                v = b - i;
                if (reduce && carry > 0 && v > 0) {
                    const int d = std::min(v, carry);
                    v -= d;
                    carry -= d;
                }
            } else if (b > 128) {
                v = 0;
                if (!reduce)
                    carry += i - b;
            } else {
                v = std::min(255, b + i);
                if (!reduce)
                    carry += std::max(0, b + i - 255);
            }
            out[c] = v;
        }
    };
    pass(false);
    if (carry >= 1)
        pass(true);
    return MakeRGB(static_cast<std::uint8_t>(out[2]), static_cast<std::uint8_t>(out[1]),
                   static_cast<std::uint8_t>(out[0]));
}

double SrgbToLinear(std::uint8_t v) {
    const double c = v / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double RelativeLuminance(TColor color) {
    return 0.2126 * SrgbToLinear(ColorRed(color)) + 0.7152 * SrgbToLinear(ColorGreen(color)) +
           0.0722 * SrgbToLinear(ColorBlue(color));
}

double ContrastRatio(TColor a, TColor b) {
    const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TColor ReadableColor(TColor color, TColor background) {
    double best = ContrastRatio(color, background);
    if (best >= 3.0)
        return color;
    TColor result = color;
    for (TColor candidate : {clWhite, clBlack}) {
        const double ratio = ContrastRatio(candidate, background);
        if (ratio > best) {
            best = ratio;
            result = candidate;
        }
    }
    return result;
}
