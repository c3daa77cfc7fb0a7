#pragma once

#include <cstdint>

// The underline styles with their description names, in table order.
struct TUnderlineStyle {
    std::int32_t Code;
    const char* Name;
};
constexpr int UnderlineStyleCount = 18;
extern const TUnderlineStyle UnderlineStyles[UnderlineStyleCount];
// Position of the code in UnderlineStyles; -1 when absent.
int IndexOfUnderlineStyle(std::int32_t code);
