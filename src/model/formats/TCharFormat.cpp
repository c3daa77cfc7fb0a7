#include "model/formats/TCharFormat.h"

#include "model/host/FontQueries.h"

namespace {

// The language of DefaultCharFormat until the start-up code has read the
// user's own: US English.
constexpr std::int32_t FallbackLanguage = 1033;

constexpr TCharFormat MakeDefaultCharFormat() {
    TCharFormat f{};
    f[caSize] = 24;
    f[caUnderlineColor] = AutoColor;
    f[caCharStyle] = -1;
    f[caColor] = AutoColor;
    f[caHighlight] = AutoColor;
    f[caScale] = 100;
    f[caLanguage] = FallbackLanguage;
    return f;
}

constexpr TCharFormat MakeUnsetCharFormat() {
    TCharFormat f{};
    for (int i = 0; i < CharAttrCount; ++i)
        f[i] = UnsetValue;
    return f;
}

constexpr TCharFormat MakePlainCharFormat() {
    TCharFormat f = MakeDefaultCharFormat();
    f[caFont] = UnsetValue;
    f[caSize] = UnsetValue;
    f[caLanguage] = 0;
    return f;
}

constexpr TCharFormat MakeBoldLabelCharFormat() {
    TCharFormat f = MakeDefaultCharFormat();
    f[caBold] = 1;
    return f;
}

bool AttrsEqual(const TCharFormat& a, const TCharFormat& b, int attr) {
    return attr == caFont ? CharFontsMatch(a[caFont], b[caFont]) : a[attr] == b[attr];
}

}  // namespace

// Constant-initialised, so they are ready before any static constructor
// of another unit could look at them.
constinit TCharFormat DefaultCharFormat = MakeDefaultCharFormat();
constinit TCharFormat UnsetCharFormat = MakeUnsetCharFormat();
constinit TCharFormat PlainCharFormat = MakePlainCharFormat();
constinit TCharFormat LabelCharFormat = MakeDefaultCharFormat();
constinit TCharFormat BoldLabelCharFormat = MakeBoldLabelCharFormat();

void SetConstantFormatFonts(std::int32_t timesNewRomanFont, std::int32_t arialFont) {
    DefaultCharFormat[caFont] = timesNewRomanFont;
    LabelCharFormat[caFont] = arialFont;
    BoldLabelCharFormat[caFont] = arialFont;
}

void SetDefaultCharFormatLanguage(std::int32_t language) {
    DefaultCharFormat[caLanguage] = language;
    LabelCharFormat[caLanguage] = language;
    BoldLabelCharFormat[caLanguage] = language;
}

bool CharFontsMatch(std::int32_t a, std::int32_t b) {
    if (a == b)
        return true;
    return a != UnsetValue && b != UnsetValue && DocFontNameId(a) == DocFontNameId(b);
}

void ClearCharFormat(TCharFormat& format) {
    for (int i = 0; i < CharAttrCount; ++i)
        format[i] = UnsetValue;
}

bool CharFormatIsClear(const TCharFormat& format) {
    for (int i = 0; i < CharAttrCount; ++i)
        if (format[i] != UnsetValue)
            return false;
    return true;
}

bool CharFormatHasUnset(const TCharFormat& format) {
    for (int i = 0; i < CharAttrCount; ++i)
        if (format[i] == UnsetValue)
            return true;
    return false;
}

bool CharFormatsEqual(const TCharFormat& a, const TCharFormat& b) {
    for (int i = 0; i < CharAttrCount; ++i)
        if (!AttrsEqual(a, b, i))
            return false;
    return true;
}

void FillUnsetCharFormat(TCharFormat& dst, const TCharFormat& src) {
    for (int i = 0; i < CharAttrCount; ++i)
        if (dst[i] == UnsetValue)
            dst[i] = src[i];
}

void OverlayCharFormat(TCharFormat& dst, const TCharFormat& src) {
    for (int i = 0; i < CharAttrCount; ++i)
        if (src[i] != UnsetValue)
            dst[i] = src[i];
}

void IntersectCharFormats(TCharFormat& a, const TCharFormat& b) {
    for (int i = 0; i < CharAttrCount; ++i)
        if (!AttrsEqual(a, b, i))
            a[i] = UnsetValue;
}

void SubtractCharFormat(TCharFormat& a, const TCharFormat& b) {
    for (int i = 0; i < CharAttrCount; ++i)
        if (AttrsEqual(a, b, i))
            a[i] = UnsetValue;
}
