#pragma once

#include <cstdint>
#include <string>

#include "model/formats/TCharFormat.h"
#include "model/formats/TParFormat.h"

// The option bits of a search, as the Find/Replace window keeps them.
enum : std::uint8_t {
    soExactMatch = 1,
    soWholeWords = 2,
    soBackward = 4,
    soWildcards = 8,
};

// What found text must carry, or what replaced text receives. Unset
// attributes and properties are ignored; the style comes from StyleName.
struct TFindFormat {
    void Clear();
    bool IsEmpty() const;

    TCharFormat CharFormat{};
    TParFormat ParFormat{};
    std::u16string StyleName;
};

// The highlight value that stands for any highlight in a Find format.
constexpr std::int32_t AnyHighlight = static_cast<std::int32_t>(0xFE000000u);

// The state the Find/Replace window owns and every search reads. Until the
// window exists its callers (and the tests) fill these directly.
extern std::uint8_t SearchOptions;
extern TFindFormat FindFormat;
extern TFindFormat ReplaceFormat;
