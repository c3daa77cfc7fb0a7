#include "layout/selection/CaretDevice.h"

#include <algorithm>

#include "base/core/Geometry.h"

namespace {

TCaretDevice g_device;

std::int32_t CeilDiv4(std::int32_t v) {
    return v <= 0 ? 0 : (v + 3) / 4;
}

}  // namespace

TCaretShape CaretShapeFor(const Platform::TTextMetrics& metrics, bool smallCaps, std::int32_t systemWidth) {
    TCaretShape shape;
    std::int32_t height = metrics.Ascent + metrics.Descent + metrics.ExternalLeading;
    if (smallCaps)
        height = MulDiv(height, 100, 80);
    if (height <= 0)
        height = 1;
    std::int32_t width = systemWidth > 0 ? systemWidth : 2;
    if (metrics.Italic != 0) {
        shape.SlantSteps = CeilDiv4(height);
        width += shape.SlantSteps - 1;
        shape.XOffset = CeilDiv4(metrics.Descent + metrics.ExternalLeading) + 1;
    }
    shape.Width = width;
    shape.Height = height;
    return shape;
}

std::vector<std::uint8_t> CaretSlantMask(const TCaretShape& shape, std::int32_t systemWidth) {
    const std::int32_t w = std::max(1, shape.Width), h = std::max(1, shape.Height);
    const std::int32_t band = systemWidth > 0 ? systemWidth : 2;
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(w) * h, 0);
    for (std::int32_t c = 0; c < shape.SlantSteps; ++c) {
        const std::int32_t top = h - 4 * (c + 1);
        for (std::int32_t y = std::max(0, top); y < std::min(h, top + 4); ++y)
            for (std::int32_t x = c; x < std::min(w, c + band); ++x)
                mask[static_cast<std::size_t>(y) * w + x] = 1;
    }
    return mask;
}

void SetCaretDevice(const TCaretDevice& device) {
    g_device = device;
}

const TCaretDevice& CaretDevice() {
    return g_device;
}
