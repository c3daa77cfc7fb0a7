#pragma once

#include <cstdint>

class TBox;
class TField;
class TList;
class TPar;

// A laid-out line of a paragraph, owned by the paragraph's line list.
// Horizontal positions are in sixteenths of a screen pixel at 100 % zoom,
// vertical measures and width limits in twips.
//
// This record holds the fields so far; layout extends it with its pool and
// its operations.
class TLine {
public:
    TLine() = default;
    TLine(const TLine&) = delete;
    TLine& operator=(const TLine&) = delete;
    ~TLine();

    std::int32_t X = 0;
    TPar* Par = nullptr;
    std::int32_t WidthLimit = 0;
    std::uint16_t StartFormat = 0;
    std::int16_t Ascent = 0;
    std::int16_t BaseAscent = 0;
    std::int16_t Descent = 0;
    std::int32_t StreamStart = 0;  // offset of the line's first byte in the format stream
    std::int32_t StreamLength = 0;
    std::int32_t Height = 0;
    std::int32_t Top = 0;
    std::int32_t FirstChar = 0;
    std::int32_t CharCount = 0;
    TBox* Box = nullptr;  // the layout box holding the line; nil while unplaced
    std::int32_t IndexInPar = 0;
    std::uint16_t IndexInBox = 0;
    std::uint32_t Flags = 0;
    std::int32_t Row = 0;
    std::int32_t LineNumber = 0;
    TField* FootnoteRef = nullptr;
    TField* EndnoteRef = nullptr;
    std::int32_t* Positions = nullptr;  // a Platform::HeapAlloc block: capacity in bytes, then x0, x1, ...
};

// Destroys a paragraph's lines and their list (nil is allowed).
void DestroyLines(TList* lines);
