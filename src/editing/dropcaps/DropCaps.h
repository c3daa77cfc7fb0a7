#pragma once

#include <cstdint>
#include <string>

#include "model/formats/TCharFormat.h"
#include "model/formats/TTextPos.h"

class TDoc;
class TField;

// The look of a drop cap, as its field keeps it (8 bytes, the last 4 kept
// at 0). In a record handed to MakeDropCap a byte of 0x80 or a distance of
// 0x8000 leaves that setting as the paragraph's drop cap had it.
struct TDropCapDescription {
    std::uint8_t Position = 1;   // 0 none, 1 dropped into the text, 2 in the margin
    std::uint8_t Lines = 3;      // lines the letter spans
    std::uint16_t Distance = 0;  // twips between the letter and the text
    std::uint8_t Reserved[4] = {};
};
static_assert(sizeof(TDropCapDescription) == 8);

constexpr std::uint8_t DropCapKeepByte = 0x80;
constexpr std::uint16_t DropCapKeepDistance = 0x8000;
// The most lines a drop cap spans.
constexpr std::int32_t DropCapMaxLines = 10;

// The settings a drop-cap field carries; nullptr for other fields.
const TDropCapDescription* DropCapSettings(const TField* field);

// The last 4 bytes of the settings: the exact line height (twips) of the
// paragraph a drop cap was read from, kept so that writing the drop cap
// gives the same frame again; 0 when the paragraph had no exact spacing.
// Drop caps made by editing keep them at 0.
std::int32_t DropCapLineHeight(const TDropCapDescription& settings);
void SetDropCapLineHeight(TDropCapDescription& settings, std::int32_t height);

// What the size search found for the drop cap's letters.
struct TDropCapSize {
    std::int32_t Size = 0;    // half-points
    std::int32_t Offset = 0;  // vertical offset in points, positive raised
};

// The largest size whose letters, in the font of letterFormat, stay below
// 95% of the height of `lines` lines of paragraph par (lines in the font
// and size of bodyFormat), and the offset that keeps the letters' lowest
// ink on the bottom of those lines. False when no font can be measured.
bool FindDropCapSize(TDoc& doc,
                     std::int32_t par,
                     const std::u16string& letters,
                     const TCharFormat& letterFormat,
                     const TCharFormat& bodyFormat,
                     std::int32_t lines,
                     TDropCapSize& result);

// Gives the range the attributes of wanted that are set and differ from
// the look at its start, as one step of the open operation; nothing when
// none differs (so that no control is written that changes nothing).
void ApplyDropCapLook(TDoc& doc, const TFragment& range, const TCharFormat& wanted);

// Gives paragraph par a drop cap with the settings s (fontName, when not
// empty, becomes the letters' font), or changes the one it has. Every
// change is a step of the open operation. False when the paragraph cannot
// take one.
bool MakeDropCap(TDoc& doc, std::int32_t par, const TDropCapDescription& s, const std::string& fontName);

// A new drop-cap field (not yet in any stream) owning a copy of the settings.
TField* NewDropCapField(const TDropCapDescription& settings);

// Puts a new drop-cap field with the settings over the first `letters`
// characters of paragraph par, as a step of the open operation.
void InsertDropCapField(TDoc& doc, std::int32_t par, std::int32_t letters, const TDropCapDescription& settings);

// Takes a drop cap away; its letters keep the look they have.
void RemoveDropCapKeepFormat(TDoc& doc, TField* cap);

// Removes the drop caps touching paragraph par that editing made invalid.
void ValidateDropCaps(TDoc& doc, std::int32_t par);
