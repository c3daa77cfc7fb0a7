#pragma once

#include <cstddef>
#include <cstdint>

// Paragraph properties, addressed by index through ParPropTable.
enum TParProp : std::uint8_t {
    ppFirstIndent = 0,          // twips, relative to the left indent
    ppLeftIndent = 1,           // twips
    ppLineSpacing = 2,          // 1/240 lines when multiple, else twips (>0 at least, <=0 exactly)
    ppLineSpacingMultiple = 3,  // 1 multiple, 0 measure
    ppRightIndent = 4,
    ppAlignment = 5,  // 0 left, 1 centred, 2 right, 3 justified
    ppKeepWithNext = 6,
    ppKeepTogether = 7,
    ppPageBreakBefore = 8,
    ppWidowControl = 9,
    ppNoHyphenation = 10,
    ppSpaceBefore = 11,  // twips; -20 automatic
    ppSpaceAfter = 12,   // twips; -20 automatic
    ppContextualSpacing = 13,
    ppSuppressLineNumbers = 14,
    ppStyle = 15,         // index in the document's style list
    ppOutlineLevel = 16,  // 0..8; 9 body text
    ppTabs = 17,          // tab-table index; 0 none of its own
    ppList = 18,          // object handle of the TAutoList; 0 none
    ppListLevel = 19,     // 0..8
    ppInTable = 20,
    ppCollapsed = 21,
    ppBorders = 22,  // border-set index; 0 none
    ppShading = 23,  // 0x00BBGGRR; negative none
};

constexpr int ParPropCount = 24;

// The paragraph format: a packed 40-byte little-endian record. Paragraph
// marks of insertion streams carry it byte for byte, so its layout is a
// format of its own and must never change. Byte and 16-bit values are
// signed; unset is 0x80, 0x8000 and 0x80000000 by width.
//
// List holds an object handle (base/core/ObjectHandles.h), not a pointer, so the
// record keeps its size on 64-bit builds; it is meaningful only inside the
// run that made it and is never written to a file as bytes.
#pragma pack(push, 1)
struct TParFormat {
    std::int16_t FirstIndent;
    std::int16_t LeftIndent;
    std::int16_t LineSpacing;
    std::int16_t LineSpacingMultiple;
    std::int16_t RightIndent;
    std::int8_t Alignment;
    std::int8_t KeepWithNext;
    std::int8_t KeepTogether;
    std::int8_t PageBreakBefore;
    std::int8_t WidowControl;
    std::int8_t NoHyphenation;
    std::int16_t SpaceBefore;
    std::int16_t SpaceAfter;
    std::int8_t ContextualSpacing;
    std::int8_t SuppressLineNumbers;
    std::int16_t Style;
    std::int8_t OutlineLevel;
    std::int16_t Tabs;
    std::int32_t List;
    std::int8_t ListLevel;
    std::int8_t InTable;
    std::int8_t Collapsed;
    std::int16_t Borders;
    std::int32_t Shading;
};
#pragma pack(pop)

static_assert(sizeof(TParFormat) == 40);
static_assert(offsetof(TParFormat, FirstIndent) == 0 && offsetof(TParFormat, LeftIndent) == 2 &&
              offsetof(TParFormat, LineSpacing) == 4 && offsetof(TParFormat, LineSpacingMultiple) == 6 &&
              offsetof(TParFormat, RightIndent) == 8 && offsetof(TParFormat, Alignment) == 10 &&
              offsetof(TParFormat, KeepWithNext) == 11 && offsetof(TParFormat, KeepTogether) == 12 &&
              offsetof(TParFormat, PageBreakBefore) == 13 && offsetof(TParFormat, WidowControl) == 14 &&
              offsetof(TParFormat, NoHyphenation) == 15 && offsetof(TParFormat, SpaceBefore) == 16 &&
              offsetof(TParFormat, SpaceAfter) == 18 && offsetof(TParFormat, ContextualSpacing) == 20 &&
              offsetof(TParFormat, SuppressLineNumbers) == 21 && offsetof(TParFormat, Style) == 22 &&
              offsetof(TParFormat, OutlineLevel) == 24 && offsetof(TParFormat, Tabs) == 25 &&
              offsetof(TParFormat, List) == 27 && offsetof(TParFormat, ListLevel) == 31 &&
              offsetof(TParFormat, InTable) == 32 && offsetof(TParFormat, Collapsed) == 33 &&
              offsetof(TParFormat, Borders) == 34 && offsetof(TParFormat, Shading) == 36);

// 24 kind bytes (1 byte, 2 16-bit, 4 32-bit) followed by 24 offset bytes.
inline constexpr std::uint8_t ParPropTable[2 * ParPropCount] = {
    2, 2, 2, 2, 2, 1,  1,  1,  1,  1,  1,  2,  2,  1,  1,  2,  1,  2,  4,  1,  1,  1,  2,  4,
    0, 2, 4, 6, 8, 10, 11, 12, 13, 14, 15, 16, 18, 20, 21, 22, 24, 25, 27, 31, 32, 33, 34, 36,
};

// The value widened to 32 bits with sign; every unset property reads as
// UnsetValue (0x80000000).
std::int32_t GetParProp(const TParFormat& format, int prop);
// Stores the value truncated to the property's width; UnsetValue stores the
// width's unset mark.
void SetParProp(TParFormat& format, int prop, std::int32_t value);
bool ParPropIsUnset(const TParFormat& format, int prop);
void CopyParProp(TParFormat& dst, int prop, const TParFormat& src);
void ClearParProp(TParFormat& format, int prop);

bool ParFormatIsClear(const TParFormat& format);
bool ParFormatsEqual(const TParFormat& a, const TParFormat& b);
void FillUnsetParFormat(TParFormat& dst, const TParFormat& src);
void OverlayParFormat(TParFormat& dst, const TParFormat& src);
void IntersectParFormats(TParFormat& a, const TParFormat& b);
// The change that turns b into a: unsets what a shares with b. The indents
// and the line spacing are compared as pairs, because the first-line indent
// is relative to the left indent and the spacing's unit depends on its
// multiple flag.
void SubtractParFormat(TParFormat& a, const TParFormat& b);

// The constant paragraph formats.
extern const TParFormat DefaultParFormat;   // new paragraphs, readers' start format
extern const TParFormat UnsetParFormat;     // every property unset
extern const TParFormat TableParFormat;     // DefaultParFormat inside a table
extern const TParFormat RtfBaseParFormat;   // after RTF's paragraph reset
extern const TParFormat WordBaseParFormat;  // RtfBaseParFormat with widow control
