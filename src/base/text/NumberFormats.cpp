#include "base/text/NumberFormats.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/System.h"

namespace {

char& Separator() {
    static char separator = Platform::UserDecimalSeparator();
    return separator;
}

}  // namespace

char DecimalSeparator() {
    return Separator();
}

void SetDecimalSeparator(char separator) {
    Separator() = separator;
}

std::string FormatGeneralNumber(double value) {
    if (!std::isfinite(value))
        return std::isnan(value) ? "NAN" : (value > 0 ? "INF" : "-INF");
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15G", value);
    std::string text(buffer);
    // "%G" writes exponents with a sign and at least two digits (1E+20);
    // the short form without the plus sign and leading zeros reads better.
    const std::size_t e = text.find('E');
    if (e != std::string::npos) {
        std::string mantissa = text.substr(0, e);
        std::string exponent = text.substr(e + 1);
        bool negative = false;
        if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-')) {
            negative = exponent[0] == '-';
            exponent.erase(0, 1);
        }
        while (exponent.size() > 1 && exponent[0] == '0')
            exponent.erase(0, 1);
        text = mantissa + "E" + (negative ? "-" : "") + exponent;
    }
    for (char& c : text)
        if (c == '.')
            c = DecimalSeparator();
    return text;
}

std::string FormatThousandsSpaced(double value) {
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    double whole = std::round(value);
    if (whole == 0)
        whole = 0;  // no "-0"
    char digits[400];
    std::snprintf(digits, sizeof(digits), "%.0f", whole);
    const char* p = digits;
    std::string out;
    if (*p == '-')
        out += *p++;
    const std::size_t n = std::strlen(p);
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += ' ';
        out += p[i];
    }
    return out;
}
