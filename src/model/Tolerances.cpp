#include "model/Tolerances.h"

#include <cstdlib>

#include "model/ModelOptions.h"

namespace {

constexpr std::int32_t Unset = static_cast<std::int32_t>(0x80000000u);

TAltKeyQuery AltKeyQuery = nullptr;

// The ruler scale of each measurement unit in hundredths of the unit: the
// label step and its subdivisions.
struct TUnitScale {
    std::int64_t Step;
    std::int64_t Subdivisions;
};
constexpr TUnitScale UnitScales[5] = {{100, 4}, {100, 8}, {3600, 6}, {600, 6}, {2000, 10}};

// a × b / c rounded to nearest, halves away from zero.
std::int64_t MulDivRound(std::int64_t a, std::int64_t b, std::int64_t c) {
    const std::int64_t n = a * b;
    const std::int64_t q = (std::llabs(n) + c / 2) / c;
    return n < 0 ? -q : q;
}

// Twips to hundredths of the unit and back, as the measurement code
// converts them (points and millimetres keep tenths).
std::int64_t TwipsToHundredths(int unit, std::int64_t twips) {
    switch (unit) {
        case 0:
            return MulDivRound(twips, 25400, 144000);
        case 2:
            return MulDivRound(twips, 100, 200) * 10;
        case 3:
            return MulDivRound(twips, 600, 1440);
        case 4:
            return MulDivRound(twips, 25400, 144000) * 10;
        default:
            return MulDivRound(twips, 100, 1440);
    }
}

// From half-hundredths, so that half-subdivisions that fall between two
// hundredths (1.25 mm in centimetres) convert exactly.
std::int64_t HalfHundredthsToTwips(int unit, std::int64_t halves) {
    switch (unit) {
        case 0:
            return MulDivRound(halves, 1440, 508);
        case 2:
            return MulDivRound(halves, 20, 200);
        case 3:
            return MulDivRound(halves, 1440, 1200);
        case 4:
            return MulDivRound(halves, 1440, 5080);
        default:
            return MulDivRound(halves, 1440, 200);
    }
}

}  // namespace

bool TwipsNearlyEqual(std::int32_t a, std::int32_t b) {
    return std::llabs(static_cast<std::int64_t>(a) - b) < 4;
}

std::int32_t TwipsDiffBeyondTolerance(std::int32_t a, std::int32_t b) {
    const std::int64_t d = static_cast<std::int64_t>(a) - b;
    return std::llabs(d) > 3 ? static_cast<std::int32_t>(d) : 0;
}

std::int32_t SnapToNearlyEqual(std::int32_t value, const std::int32_t* positions, std::int32_t count) {
    for (std::int32_t i = count - 1; i >= 0; --i)
        if (TwipsNearlyEqual(value, positions[i]))
            return positions[i];
    return value;
}

void SetAltKeyQuery(TAltKeyQuery query) {
    AltKeyQuery = query;
}

std::int32_t SnapToGrid(std::int32_t x, std::int32_t extra, const std::int32_t* positions, std::int32_t count,
                        bool honourAlt) {
    if (honourAlt && AltKeyQuery != nullptr && AltKeyQuery())
        return x;
    int unit = ModelOptions().MeasureUnit;
    if (unit < 0 || unit > 4)
        unit = 1;
    const TUnitScale& scale = UnitScales[unit];
    // The grid is half a subdivision: Step / Subdivisions / 2 hundredths,
    // which is Step / Subdivisions half-hundredths.
    const std::int64_t gridHalves = scale.Step / scale.Subdivisions;
    const std::int64_t halves = TwipsToHundredths(unit, x) * 2;
    std::int64_t k = (std::llabs(halves) + gridHalves / 2) / gridHalves;
    if (halves < 0)
        k = -k;
    const std::int64_t snapped = HalfHundredthsToTwips(unit, k * gridHalves);
    std::int64_t best = snapped;
    std::int64_t limit = std::llabs(snapped - x);
    if (limit < 96)
        limit = 96;
    std::int64_t bestDistance = limit;
    auto consider = [&](std::int32_t candidate) {
        if (candidate == Unset)
            return;
        const std::int64_t d = std::llabs(static_cast<std::int64_t>(candidate) - x);
        if (d < bestDistance) {
            bestDistance = d;
            best = candidate;
        }
    };
    for (std::int32_t i = 0; i < count; ++i)
        consider(positions[i]);
    consider(extra);
    return static_cast<std::int32_t>(best);
}
