#include "base/core/Versions.h"

#include "base/core/DecimalDigits.h"

std::int32_t VersionToNumber(std::string_view s) {
    std::int64_t sum = 0, factor = 10000000;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = s.find('.', start);
        const std::string_view part =
            s.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
        // A part that is not a decimal number counts as 0; so does one too
        // long to be a version number.
        if (IsAllDigits(part) && part.size() <= 9)
            sum += factor * DigitsValue(part);
        factor = factor > 1000 ? factor / 100 : 1;
        if (dot == std::string_view::npos)
            break;
        start = dot + 1;
    }
    return static_cast<std::int32_t>(sum);
}
