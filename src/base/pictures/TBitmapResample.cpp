// Smooth resampling of bitmaps: a separable Mitchell-Netravali filter, a
// horizontal pass into an intermediate picture and a vertical pass into the
// target, then optional sharpening.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "base/core/TList.h"
#include "base/graphics/TBitmap.h"
#include "base/pictures/Resampling.h"

namespace {

struct TContributor {
    std::int32_t Index;
    float Weight;
};

// The source pixels and weights of each target position. The first and last
// pixel centres of source and target line up.
std::vector<std::vector<TContributor>> Contributors(std::int32_t target, std::int32_t source) {
    std::vector<std::vector<TContributor>> lists(static_cast<std::size_t>(target));
    float scale = source == 1 ? static_cast<float>(target) / source
                              : static_cast<float>(target - 1) / static_cast<float>(source - 1);
    // A target of one pixel from a larger source has no distance between
    // its first and last centres: it takes the whole source, centred.
    const bool single = target == 1 && source > 1;
    if (single)
        scale = 1.0f / static_cast<float>(source);
    for (std::int32_t i = 0; i < target; ++i) {
        const float c = single ? static_cast<float>(source - 1) / 2.0f : static_cast<float>(i) / scale;
        std::vector<TContributor>& list = lists[static_cast<std::size_t>(i)];
        if (scale >= 1.0f) {
            for (std::int32_t j = FloorOf(c - 2.0f); j <= CeilOf(c + 2.0f); ++j) {
                const float w = MitchellWeight(c - static_cast<float>(j));
                if (w != 0.0f)
                    list.push_back({std::min(source - 1, std::abs(j)), w});
            }
        } else {
            const float width = 2.0f / scale, factor = 1.0f / scale;
            for (std::int32_t j = FloorOf(c - width); j <= CeilOf(c + width); ++j) {
                const float w = MitchellWeight((c - static_cast<float>(j)) / factor) / factor;
                if (w != 0.0f)
                    list.push_back({std::min(source - 1, std::abs(j)), w});
            }
        }
    }
    return lists;
}

std::uint8_t Clamp(float sum) {
    if (sum > 255.0f)
        return 255;
    if (sum < 0.0f)
        return 0;
    return static_cast<std::uint8_t>(std::nearbyint(sum));  // halves to even
}

}  // namespace

float MitchellWeight(float x) {
    const float t = std::fabs(x);
    if (t < 1.0f)
        return (7.0f * t * t * t - 12.0f * t * t + 16.0f / 3.0f) / 6.0f;
    if (t < 2.0f)
        return (-7.0f / 3.0f * t * t * t + 12.0f * t * t - 20.0f * t + 32.0f / 3.0f) / 6.0f;
    return 0.0f;
}

std::int32_t CeilOf(long double x) {
    const auto whole = static_cast<std::int32_t>(x);
    return x - whole > 0 ? whole + 1 : whole;
}

std::int32_t FloorOf(long double x) {
    const auto whole = static_cast<std::int32_t>(x);
    return x - whole < 0 ? whole - 1 : whole;
}

void SharpenRows3x3(std::uint8_t* firstRow,
                    std::int64_t rowStep,
                    const std::uint8_t* copy,
                    std::int32_t width,
                    std::int32_t height) {
    static const int kernel[3][3] = {{-1, -2, -1}, {-2, 28, -2}, {-1, -2, -1}};
    const std::int64_t stride = static_cast<std::int64_t>(width) * 3;
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint8_t* out = firstRow + rowStep * y;
        for (std::int32_t x = 0; x < width; ++x) {
            const std::uint8_t* centre = copy + y * stride + x * 3;
            for (int ch = 0; ch < 3; ++ch) {
                int sum = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const std::int32_t nx = x + dx, ny = y + dy;
                        const std::uint8_t* p =
                            nx < 0 || ny < 0 || nx >= width || ny >= height ? centre : copy + ny * stride + nx * 3;
                        sum += kernel[dy + 1][dx + 1] * p[ch];
                    }
                out[x * 3 + ch] = static_cast<std::uint8_t>(std::clamp(sum / 16, 0, 255));
            }
        }
    }
}

TBitmap* TBitmap::CreateResampled(std::int32_t width, std::int32_t height, bool sharpen) {
    auto* result = new TBitmap;
    if (width == GetWidth() && height == GetHeight()) {
        result->Assign(this);
        return result;
    }
    try {
        result->SetPixelFormat(pf24bit);
        result->SetSize(width, height);
        ResampleInto(*result, sharpen);
    } catch (...) {
        delete result;
        throw;
    }
    return result;
}

void TBitmap::ResampleInto(TBitmap& dest, bool sharpen) {
    const std::int32_t sw = GetWidth(), sh = GetHeight(), dw = dest.GetWidth(), dh = dest.GetHeight();
    if (sw < 1 || sh < 1 || dw < 1 || dh < 1)
        return;
    TList* sourceRows = TList::Acquire();
    TList* destRows = TList::Acquire();
    GetScanLines(*sourceRows);
    dest.GetScanLines(*destRows);
    if (sourceRows->Count != sh || destRows->Count != dh) {
        TList::Release(sourceRows);
        TList::Release(destRows);
        return;
    }
    // The intermediate picture: target width, source height, rows packed.
    std::vector<std::uint8_t> middle(static_cast<std::size_t>(dw) * 3 * sh);
    const auto columns = Contributors(dw, sw);
    for (std::int32_t y = 0; y < sh; ++y) {
        const auto* in = static_cast<const std::uint8_t*>(sourceRows->Item(y));
        std::uint8_t* out = middle.data() + static_cast<std::size_t>(y) * dw * 3;
        for (std::int32_t x = 0; x < dw; ++x) {
            float b = 0, g = 0, r = 0;
            for (const TContributor& c : columns[static_cast<std::size_t>(x)]) {
                const std::uint8_t* p = in + c.Index * 3;
                b += c.Weight * p[0];
                g += c.Weight * p[1];
                r += c.Weight * p[2];
            }
            out[x * 3] = Clamp(b);
            out[x * 3 + 1] = Clamp(g);
            out[x * 3 + 2] = Clamp(r);
        }
    }
    const auto rows = Contributors(dh, sh);
    const std::int64_t rowStep =
        dh > 1 ? static_cast<std::uint8_t*>(destRows->Item(1)) - static_cast<std::uint8_t*>(destRows->Item(0)) : 0;
    auto* first = static_cast<std::uint8_t*>(destRows->Item(0));
    for (std::int32_t x = 0; x < dw; ++x) {
        for (std::int32_t y = 0; y < dh; ++y) {
            float b = 0, g = 0, r = 0;
            for (const TContributor& c : rows[static_cast<std::size_t>(y)]) {
                const std::uint8_t* p = middle.data() + (static_cast<std::size_t>(c.Index) * dw + x) * 3;
                b += c.Weight * p[0];
                g += c.Weight * p[1];
                r += c.Weight * p[2];
            }
            std::uint8_t* out = first + rowStep * y + x * 3;
            out[0] = Clamp(b);
            out[1] = Clamp(g);
            out[2] = Clamp(r);
        }
    }
    if (sharpen) {
        std::vector<std::uint8_t> copy(static_cast<std::size_t>(dw) * 3 * dh);
        for (std::int32_t y = 0; y < dh; ++y) {
            std::uint8_t* row = first + rowStep * y;
            for (std::int32_t x = 0; x < dw; ++x)
                if (row[x * 3] > 250 && row[x * 3 + 1] > 250 && row[x * 3 + 2] > 250)
                    row[x * 3] = row[x * 3 + 1] = row[x * 3 + 2] = 255;
            std::memcpy(copy.data() + static_cast<std::size_t>(y) * dw * 3, row, static_cast<std::size_t>(dw) * 3);
        }
        SharpenRows3x3(first, rowStep, copy.data(), dw, dh);
    }
    TList::Release(sourceRows);
    TList::Release(destRows);
    dest.Changed();
}
