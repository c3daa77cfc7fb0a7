#include "base/graphics/BasicColors.h"

#include <cstdlib>

namespace {

int Red(std::int32_t c) {
    return c & 0xFF;
}

int Green(std::int32_t c) {
    return (c >> 8) & 0xFF;
}

int Blue(std::int32_t c) {
    return (c >> 16) & 0xFF;
}

}  // namespace

const std::int32_t BasicColors[BasicColorCount] = {
    0x000000, 0xFF0000, 0xFFFF00, 0x00FF00, 0xFF00FF, 0x0000FF, 0x00FFFF, 0xFFFFFF,
    0x800000, 0x808000, 0x008000, 0x800080, 0x000080, 0x008080, 0x808080, 0xC0C0C0,
};

int NearestBasicColor(std::int32_t color, std::int32_t exclude) {
    if (color == static_cast<std::int32_t>(0xFF000000u))
        return 0;
    int best = 0;
    int bestDistance = 0;
    for (int i = 0; i < BasicColorCount; ++i) {
        const std::int32_t basic = BasicColors[i];
        if (basic == exclude && basic != color)
            continue;
        const int distance = std::abs(Red(basic) - Red(color)) + std::abs(Green(basic) - Green(color)) +
                             std::abs(Blue(basic) - Blue(color));
        if (best == 0 || distance < bestDistance) {
            best = i + 1;
            bestDistance = distance;
        }
    }
    return best;
}

bool IsBasicColor(std::int32_t color) {
    const int nearest = NearestBasicColor(color, color);
    return nearest != 0 && BasicColors[nearest - 1] == color;
}
