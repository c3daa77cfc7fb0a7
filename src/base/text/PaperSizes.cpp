#include "base/text/PaperSizes.h"

#include <cstdlib>

namespace {

bool Near(std::int32_t a, std::int32_t b) {
    return std::abs(a - b) <= 20;
}

bool SizeMatches(const TPaperSize& size, std::int32_t width, std::int32_t height) {
    return (Near(size.Width, width) && Near(size.Height, height)) ||
           (Near(size.Width, height) && Near(size.Height, width));
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
