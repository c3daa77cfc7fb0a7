#include "model/formats/WordSeparators.h"

namespace {

constexpr std::array<std::uint8_t, 256> MakeWordSeparators(bool spanishUser, bool withSpaces) {
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
    if (!withSpaces)
        for (int c : {32, 11, 18, 19, 20})
            t[c] = 0;
    return t;
}

constexpr std::uint8_t kApostrophes[] = {39, 96, 145, 146};

void MarkApostrophes(std::uint8_t value) {
    for (std::uint8_t c : kApostrophes)
        WordSeparators[c] = WordSeparatorsNoSpaces[c] = value;
}

}  // namespace

// Constant-initialised, so the tables are ready before any static
// constructor of another unit could look at them.
constinit std::array<std::uint8_t, 256> WordSeparators = MakeWordSeparators(false, true);
constinit std::array<std::uint8_t, 256> WordSeparatorsNoSpaces = MakeWordSeparators(false, false);

void InitWordSeparators(bool spanishUser) {
    WordSeparators = MakeWordSeparators(spanishUser, true);
    WordSeparatorsNoSpaces = MakeWordSeparators(spanishUser, false);
}

void ExcludeApostrophesFromWords() {
    MarkApostrophes(1);
}

void IncludeApostrophesInWords() {
    MarkApostrophes(0);
}
