#pragma once

#include <cstdint>
#include <string>

#include "model/TCharFormat.h"
#include "model/TParFormat.h"

class TStyleList;

// A named style of a document's style sheet. A paragraph names its style by
// index (the Style property of its format).
//
// This class holds the core of a style so far; the style code extends it.
class TStyle {
public:
    explicit TStyle(TStyleList* owner) : Owner(owner) {}
    TStyle(const TStyle&) = delete;
    TStyle& operator=(const TStyle&) = delete;

    TStyleList* Owner = nullptr;
    std::int32_t FileNumber = -1;
    std::int32_t BuiltInId = -1;  // -1 user style, else 0..91
    std::string Name;             // UTF-8
    std::string DisplayName;
    std::int32_t BasedOn = -1;
    std::int32_t NextStyle = -1;
    std::uint32_t HotKey = 0;
    TCharFormat CharFormat = UnsetCharFormat;
    TParFormat ParFormat = UnsetParFormat;
};
