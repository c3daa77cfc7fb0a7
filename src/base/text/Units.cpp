#include "base/text/Units.h"

#include <cmath>
#include <cstdlib>

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

bool Near(std::int32_t a, std::int32_t b) {
    return std::abs(a - b) <= 20;
}

bool SizeMatches(const TPaperSize& size, std::int32_t width, std::int32_t height) {
    return (Near(size.Width, width) && Near(size.Height, height)) ||
           (Near(size.Width, height) && Near(size.Height, width));
}

int Red(std::int32_t c) {
    return c & 0xFF;
}
int Green(std::int32_t c) {
    return (c >> 8) & 0xFF;
}
int Blue(std::int32_t c) {
    return (c >> 16) & 0xFF;
}

// The positive side of the conversions; negative values go through 1 - v.
std::int32_t ToSixteensPositive(std::int64_t v, bool scaled, std::int32_t zoom) {
    if (!scaled)
        return static_cast<std::int32_t>(v * 16);
    const std::int64_t product = v * zoom;
    return static_cast<std::int32_t>(product / 100 + (product % 100 >= 50 ? 1 : 0));
}

std::int32_t FromSixteenthsPositive(std::int64_t v, bool scaled, std::int32_t zoom) {
    if (!scaled)
        return static_cast<std::int32_t>(v / 16 + (v % 16 >= 8 ? 1 : 0));
    const std::int64_t product = v * 100;
    return static_cast<std::int32_t>(product / zoom + (2 * (product % zoom) >= zoom ? 1 : 0));
}

template <class F>
std::int32_t Mirrored(std::int32_t value, F convert) {
    if (value >= 0)
        return convert(value);
    return static_cast<std::int32_t>(1 - static_cast<std::int64_t>(convert(1 - static_cast<std::int64_t>(value))));
}

}  // namespace

const TPaperSize PaperSizes[PaperSizeCount] = {
    {12240, 15840, 1, "US Letter, ^8 1/2^ x ^11^ in"},
    {12240, 20160, 5, "US Legal, ^8 1/2^ x ^14^ in"},
    {24480, 31680, 0, "C sheet, ^17^ x ^22^ in"},
    {15840, 24480, 3, "Tabloid, ^11^ x ^17^ in"},
    {7920, 12240, 6, "Statement, ^5 1/2^ x ^8 1/2^ in"},
    {10440, 15120, 7, "Executive, ^7 1/4^ x ^10 1/2^ in"},
    {12240, 18720, 14, "Folio, ^8 1/2^ x ^13^ inch"},
    {12189, 15591, 15, "Quarto, ^215^ x ^275^ mm"},
    {16838, 23811, 8, "A3 sheet, ^297^ x ^420^ mm"},
    {11905, 16838, 9, "A4 sheet, ^210^ x ^297^ mm"},
    {8391, 11905, 11, "A5 sheet, ^148^ x ^210^ mm"},
    {14173, 20069, 12, "B4 sheet, ^250^ x ^354^ mm"},
    {10318, 14570, 13, "B5 (JIS) sheet, ^182^ x ^257^ mm"},
    {5580, 12780, 19, "#9 Envelope, ^3 7/8^ x ^8 7/8^ in"},
    {5940, 13680, 20, "#10 Envelope, ^4 1/8^ x ^9 1/2^ in"},
    {6480, 14940, 21, "#11 Envelope, ^4 1/2^ x ^10 3/8^ in"},
    {6840, 15840, 22, "#12 Envelope, ^4 3/4^ x ^11^ in"},
    {7200, 16560, 23, "#14 Envelope, ^5^ x ^11 1/2^ in"},
    {5220, 9360, 38, "6 3/4 Envelope, ^3 5/8^ x ^6 1/2^ in"},
    {5580, 10800, 37, "Monarch Envelope, ^3 7/8^ x ^7 1/2^ in"},
    {18369, 25965, 29, "C3 Envelope, ^324^ x ^458^ mm"},
    {12983, 18369, 30, "C4 Envelope, ^229^ x ^324^ mm"},
    {9184, 12983, 28, "C5 Envelope, ^162^ x ^229^ mm"},
    {6463, 9184, 31, "C6 Envelope, ^114^ x ^162^ mm"},
    {6463, 12983, 32, "C65 Envelope, ^114^ x ^229^ mm"},
    {14173, 20013, 33, "B4 Envelope, ^250^ x ^353^ mm"},
    {9978, 14173, 34, "B5 Envelope, ^176^ x ^250^ mm"},
    {7087, 9978, 35, "B6 Envelope, ^125^ x ^176^ mm"},
    {12472, 17575, 0, "E4 Envelope, ^220^ x ^310^ mm"},
    {8787, 12472, 0, "E5 Envelope, ^155^ x ^220^ mm"},
    {6236, 8787, 0, "E6 Envelope, ^110^ x ^155^ mm"},
    {6236, 12472, 27, "E65 (or DL) Envelope, ^110^ x ^220^ mm"},
    {8787, 12643, 0, "M5 Envelope, ^155^ x ^223^ mm"},
    {6350, 12643, 0, "M65 Envelope, ^112^ x ^223^ mm"},
    {6236, 13039, 36, "Italian Envelope, ^110^ x ^230^ mm"},
    {-1, -1, 0, "custom"},
};

const std::int32_t BasicColors[BasicColorCount] = {
    0x000000, 0xFF0000, 0xFFFF00, 0x00FF00, 0xFF00FF, 0x0000FF, 0x00FFFF, 0xFFFFFF,
    0x800000, 0x808000, 0x008000, 0x800080, 0x000080, 0x008080, 0x808080, 0xC0C0C0,
};

const TUnderlineStyle UnderlineStyles[UnderlineStyleCount] = {
    {0, "not underline"},
    {1, "single underline"},
    {2, "word underline"},
    {3, "double underline"},
    {4, "dotted underline"},
    {6, "thick underline"},
    {7, "dash underline"},
    {9, "dash-dot underline"},
    {10, "dash-dot-dot underline"},
    {11, "wave underline"},
    {20, "thick dotted underline"},
    {23, "thick dash underline"},
    {25, "thick dash-dot underline"},
    {26, "thick dash-dot-dot underline"},
    {27, "heavy wave underline"},
    {39, "long dash underline"},
    {43, "double wave underline"},
    {55, "thick long dash underline"},
};

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

std::string GetPaperSizeCaption(int index, bool swap) {
    if (index < 0 || index >= PaperSizeCount)
        return {};
    std::string caption = PaperSizes[index].Caption;
    if (swap) {
        // The marks enclose the two dimensions: ^first^ x ^second^.
        const std::size_t a = caption.find('^');
        const std::size_t b = a == std::string::npos ? a : caption.find('^', a + 1);
        const std::size_t c = b == std::string::npos ? b : caption.find('^', b + 1);
        const std::size_t d = c == std::string::npos ? c : caption.find('^', c + 1);
        if (d != std::string::npos) {
            const std::string first = caption.substr(a + 1, b - a - 1);
            const std::string second = caption.substr(c + 1, d - c - 1);
            caption = caption.substr(0, a) + second + caption.substr(b + 1, c - b - 1) + first + caption.substr(d + 1);
        }
    }
    std::string out;
    for (char ch : caption)
        if (ch != '^')
            out += ch;
    return out;
}

int FindPaperSize(std::int32_t width, std::int32_t height) {
    for (int i = 0; i < CustomPaperSize; ++i)
        if (SizeMatches(PaperSizes[i], width, height))
            return i;
    return CustomPaperSize;
}

int FindEnvelopeSize(std::int32_t width, std::int32_t height) {
    for (int i = FirstEnvelopeSize; i <= LastEnvelopeSize; ++i)
        if (SizeMatches(PaperSizes[i], width, height))
            return i;
    return -1;
}

std::int32_t PaperCodeOfSize(std::int32_t width, std::int32_t height) {
    return PaperSizes[FindPaperSize(width, height)].Code;
}

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

int IndexOfUnderlineStyle(std::int32_t code) {
    for (int i = 0; i < UnderlineStyleCount; ++i)
        if (UnderlineStyles[i].Code == code)
            return i;
    return -1;
}

std::int32_t ValueToSixteenths(std::int32_t value, bool scaled, std::int32_t zoom) {
    if (scaled && zoom <= 0)
        zoom = 100;
    return Mirrored(value, [&](std::int64_t v) { return ToSixteensPositive(v, scaled, zoom); });
}

std::int32_t ValueFromSixteenths(std::int32_t value, bool scaled, std::int32_t zoom) {
    if (scaled && zoom <= 0)
        zoom = 100;
    return Mirrored(value, [&](std::int64_t v) { return FromSixteenthsPositive(v, scaled, zoom); });
}

std::int32_t SixteenthsToWhole(std::int32_t value) {
    return ValueFromSixteenths(value, false, 100);
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
