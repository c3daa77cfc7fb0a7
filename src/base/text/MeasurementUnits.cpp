#include "base/text/MeasurementUnits.h"

#include <cmath>

#include "base/core/Geometry.h"
#include "base/text/NumberFormats.h"

namespace {

std::int32_t g_measureUnit = muCentimeters;

struct TUnit {
    const char* Suffix;
    std::int32_t ToMul, ToDiv, ToScale;  // twips -> hundredths
    std::int32_t FromMul, FromDiv;       // hundredths -> twips
};

const TUnit kUnits[5] = {
    {" cm", 25400, 144000, 1, 1440, 254}, {"\"", 100, 1440, 1, 1440, 100},        {" pt", 100, 200, 10, 20, 100},
    {" pi", 600, 1440, 1, 1440, 600},     {" mm", 25400, 144000, 10, 1440, 2540},
};

}  // namespace

std::int32_t MeasureUnit() {
    return g_measureUnit;
}

void SetMeasureUnit(std::int32_t unit) {
    g_measureUnit = unit >= muCentimeters && unit <= muMillimeters ? unit : muCentimeters;
}

const char* MeasureUnitSuffix() {
    return kUnits[g_measureUnit].Suffix;
}

std::int32_t TwipsToUnitHundredths(std::int32_t twips) {
    const TUnit& u = kUnits[g_measureUnit];
    return MulDiv(twips, u.ToMul, u.ToDiv) * u.ToScale;
}

std::int32_t UnitHundredthsToTwips(std::int32_t hundredths) {
    const TUnit& u = kUnits[g_measureUnit];
    return MulDiv(hundredths, u.FromMul, u.FromDiv);
}

std::int32_t TwipsToPointHundredths(std::int32_t twips) {
    return MulDiv(twips, 100, 200) * 10;
}

std::string FormatTwipsInUnit(std::int32_t twips) {
    const double value = TwipsToUnitHundredths(twips) / 100.0;
    std::string number;
    if (g_measureUnit == muPoints || g_measureUnit == muMillimeters)
        number = FormatGeneralNumber(std::nearbyint(value));  // the default rounding takes halves to even
    else
        number = FormatGeneralNumber(value);
    return number + MeasureUnitSuffix();
}

std::string BorderWidthText(std::int32_t twips) {
    if (twips % 5 != 0)
        return FormatGeneralNumber(twips * 0.05);
    std::string text;
    const std::int32_t whole = twips / 20, rest = twips % 20;
    if (whole != 0)
        text = std::to_string(whole);
    if (rest != 0) {
        if (!text.empty())
            text += ' ';
        text += rest == 10 ? "1/2" : std::to_string(rest / 5) + "/4";
    }
    return text;
}
