#pragma once

#include <cstdint>

// The 23 character attributes of a run of text. The index of an attribute
// is also the code of the format-stream control that sets it.
enum TCharAttr : std::uint8_t {
    caFont = 0,            // index of a registered document font
    caSize = 1,            // half-points
    caBold = 2,            // 0 or 1
    caItalic = 3,          // 0 or 1
    caStrike = 4,          // 0 or 1
    caDoubleStrike = 5,    // 0 or 1
    caUnderline = 6,       // underline kind (below)
    caUnderlineColor = 7,  // 0x00BBGGRR; 0xFF000000 automatic
    caCharStyle = 8,       // character style number from an RTF file; -1 none
    caSmallCaps = 9,
    caAllCaps = 10,
    caShadow = 11,
    caOutline = 12,
    caEmboss = 13,
    caEngrave = 14,
    caColor = 15,      // 0x00BBGGRR; 0xFF000000 automatic
    caHighlight = 16,  // 0xFF000000 none
    caScript = 17,     // 0 normal, 1 superscript, 2 subscript
    caScale = 18,      // horizontal scale in percent
    caSpacing = 19,    // extra spacing in twips
    caOffset = 20,     // vertical offset in points, positive raised
    caKerning = 21,    // kern from this size on, half-points; 0 none
    caLanguage = 22,   // language id
};

constexpr int CharAttrCount = 23;

// The unset (or mixed) mark of every 32-bit format value.
constexpr std::int32_t UnsetValue = static_cast<std::int32_t>(0x80000000u);
// Automatic colour, and "none" for the highlight.
constexpr std::int32_t AutoColor = static_cast<std::int32_t>(0xFF000000u);

// Underline kinds (caUnderline).
enum : std::int32_t {
    ulNone = 0,
    ulSingle = 1,
    ulWords = 2,
    ulDouble = 3,
    ulDotted = 4,
    ulThick = 6,
    ulDashed = 7,
    ulDotDash = 9,
    ulDotDotDash = 10,
    ulWave = 11,
    ulThickDotted = 20,
    ulThickDashed = 23,
    ulThickDotDash = 25,
    ulThickDotDotDash = 26,
    ulHeavyWave = 27,
    ulLongDash = 39,
    ulDoubleWave = 43,
    ulThickLongDash = 55,
};

// A character format: each attribute a value or UnsetValue. In a style or a
// change to apply, unset means "not given"; in the common format of a
// selection it means "mixed".
struct TCharFormat {
    std::int32_t Values[CharAttrCount];

    constexpr std::int32_t& operator[](int attr) { return Values[attr]; }
    constexpr const std::int32_t& operator[](int attr) const { return Values[attr]; }
};

static_assert(sizeof(TCharFormat) == CharAttrCount * 4);

// The format algebra. Everything works in place on caller-owned records;
// nothing allocates or fails. Fonts compare with the font rule: two set
// fonts that are the same face in different character sets count as equal.
void ClearCharFormat(TCharFormat& format);
bool CharFormatIsClear(const TCharFormat& format);
bool CharFormatHasUnset(const TCharFormat& format);
bool CharFormatsEqual(const TCharFormat& a, const TCharFormat& b);
// Attributes unset in dst take src's value.
void FillUnsetCharFormat(TCharFormat& dst, const TCharFormat& src);
// Attributes set in src are copied into dst.
void OverlayCharFormat(TCharFormat& dst, const TCharFormat& src);
// Keeps in a what equals b; everything else becomes unset.
void IntersectCharFormats(TCharFormat& a, const TCharFormat& b);
// Unsets in a what equals b, leaving the difference.
void SubtractCharFormat(TCharFormat& a, const TCharFormat& b);
// The font rule on its own.
bool CharFontsMatch(std::int32_t a, std::int32_t b);

// The constant character formats. They are made before any document exists
// and stay unchanged, except that the font manager sets their fonts once
// when it is created (SetConstantFormatFonts) and the start-up code records
// the user's language (SetDefaultCharFormatLanguage).
extern TCharFormat DefaultCharFormat;    // every attribute at its default
extern TCharFormat UnsetCharFormat;      // every attribute unset
extern TCharFormat PlainCharFormat;      // the base the RTF and Word writers compare runs against
extern TCharFormat LabelCharFormat;      // text the view paints itself (Arial)
extern TCharFormat BoldLabelCharFormat;  // the same in bold

void SetConstantFormatFonts(std::int32_t timesNewRomanFont, std::int32_t arialFont);
void SetDefaultCharFormatLanguage(std::int32_t language);
