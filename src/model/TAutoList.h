#pragma once

#include <cstdint>
#include <string>

#include "model/TCharFormat.h"
#include "model/TParFormat.h"

class TShape;

// What follows a list label.
enum : std::uint8_t { lfTab = 0, lfSpace = 1, lfNothing = 2 };

// One level of a list.
struct TListLevel {
    std::int32_t StartValue = 1;
    std::int32_t NumberFormat = 0;  // RTF \levelnfc codes; 23 and above bullets, 255 no label
    TShape* PictureBullet = nullptr;
    TCharFormat CharFormat = UnsetCharFormat;
    TParFormat ParFormat = UnsetParFormat;
    std::uint8_t Alignment = 0;
    std::uint8_t FollowKind = lfTab;
    std::uint8_t NumberingFlags[2] = {};  // kept by list numbering; the second makes numbers arabic
    std::u16string LabelText;             // literal text, characters 0..8 stand for the level numbers
};

// A bulleted, numbered or outline list of nine levels. List paragraphs
// refer to it by the object handle in their format's List property.
//
// This class holds what the paragraph code needs so far; the list code
// extends it.
class TAutoList {
public:
    TAutoList() = default;
    TAutoList(const TAutoList&) = delete;
    TAutoList& operator=(const TAutoList&) = delete;
    ~TAutoList();

    // Copies the definition (levels and kind); the object keeps its identity.
    void Assign(const TAutoList& source);

    // The low seven bits are 1 for a single-level list; bit 7 is a flag of
    // its own.
    std::uint8_t SingleLevel = 0;
    TListLevel Levels[9];
};
