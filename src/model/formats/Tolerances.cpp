#include "model/formats/Tolerances.h"

#include <cstdlib>

#include "model/host/ModelOptions.h"

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

// From eighths of a hundredth, so that half-subdivisions that fall between
// two hundredths (1.25 mm, 1/16 inch) convert exactly.
std::int64_t EighthsToTwips(int unit, std::int64_t eighths) {
    switch (unit) {
        case 0:
            return MulDivRound(eighths, 1440, 254 * 8);
        case 2:
            return MulDivRound(eighths, 20, 100 * 8);
        case 3:
            return MulDivRound(eighths, 1440, 600 * 8);
        case 4:
            return MulDivRound(eighths, 1440, 2540 * 8);
        default:
            return MulDivRound(eighths, 1440, 100 * 8);
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

std::int32_t SnapToGrid(std::int32_t x,
                        std::int32_t extra,
                        const std::int32_t* positions,
                        std::int32_t count,
                        bool honourAlt) {
    if (honourAlt && AltKeyQuery != nullptr && AltKeyQuery())
        return x;
    int unit = ModelOptions().MeasureUnit;
    if (unit < 0 || unit > 4)
        unit = 1;
    const TUnitScale& scale = UnitScales[unit];
    // The grid is half a subdivision: Step / Subdivisions / 2 hundredths,
    // which is a whole number of eighths of a hundredth for every unit.
    const std::int64_t grid = scale.Step * 4 / scale.Subdivisions;
    const std::int64_t eighths = TwipsToHundredths(unit, x) * 8;
    std::int64_t k = (std::llabs(eighths) + grid / 2) / grid;
    if (eighths < 0)
        k = -k;
    const std::int64_t snapped = EighthsToTwips(unit, k * grid);
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
