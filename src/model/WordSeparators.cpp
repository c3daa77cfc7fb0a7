#include "model/WordSeparators.h"

namespace {

constexpr std::array<std::uint8_t, 256> MakeWordSeparators(bool spanishUser) {
    std::array<std::uint8_t, 256> t{};
    for (int c = 2; c <= 20; ++c)
        if (c != 15 && c != 17)
            t[c] = 1;
    for (const char* p = " !\"#$%()*+,-./:;<=>?@[\\]^_{|}~"; *p != 0; ++p)
        t[static_cast<std::uint8_t>(*p)] = 1;
    for (int c : {128, 130, 132, 133, 147, 148, 153, 169, 171, 174, 187})
        t[c] = 1;
    if (spanishUser)
        t[161] = t[191] = 1;
    return t;
}

}  // namespace

// Constant-initialised, so the table is ready before any static
// constructor of another unit could look at it.
constinit std::array<std::uint8_t, 256> WordSeparators = MakeWordSeparators(false);

void InitWordSeparators(bool spanishUser) {
    WordSeparators = MakeWordSeparators(spanishUser);
}
