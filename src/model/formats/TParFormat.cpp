#include "model/formats/TParFormat.h"

#include <cstring>

#include "base/core/Checks.h"
#include "platform/ByteReader.h"

namespace {

constexpr std::int32_t Unset32 = static_cast<std::int32_t>(0x80000000u);

std::uint8_t Kind(int prop) {
    return ParPropTable[prop];
}

std::uint8_t* Field(TParFormat& format, int prop) {
    return reinterpret_cast<std::uint8_t*>(&format) + ParPropTable[ParPropCount + prop];
}

const std::uint8_t* Field(const TParFormat& format, int prop) {
    return reinterpret_cast<const std::uint8_t*>(&format) + ParPropTable[ParPropCount + prop];
}

// Raw little-endian value of a property, widened with sign but without
// mapping the unset marks.
std::int32_t RawProp(const TParFormat& format, int prop) {
    const std::uint8_t* p = Field(format, prop);
    switch (Kind(prop)) {
        case 1:
            return static_cast<std::int8_t>(p[0]);
        case 2:
            return static_cast<std::int16_t>(LoadU16LE(p));
        default:
            return static_cast<std::int32_t>(LoadU32LE(p));
    }
}

constexpr TParFormat MakeUnsetParFormat() {
    TParFormat f{};
    f.FirstIndent = f.LeftIndent = f.LineSpacing = f.LineSpacingMultiple = f.RightIndent = INT16_MIN;
    f.Alignment = f.KeepWithNext = f.KeepTogether = f.PageBreakBefore = f.WidowControl = f.NoHyphenation = INT8_MIN;
    f.SpaceBefore = f.SpaceAfter = INT16_MIN;
    f.ContextualSpacing = f.SuppressLineNumbers = INT8_MIN;
    f.Style = INT16_MIN;
    f.OutlineLevel = INT8_MIN;
    f.Tabs = INT16_MIN;
    f.List = Unset32;
    f.ListLevel = f.InTable = f.Collapsed = INT8_MIN;
    f.Borders = INT16_MIN;
    f.Shading = Unset32;
    return f;
}

constexpr TParFormat MakeDefaultParFormat() {
    TParFormat f{};
    f.LineSpacing = 240;
    f.LineSpacingMultiple = 1;
    f.OutlineLevel = 9;
    f.Shading = static_cast<std::int32_t>(0xFF000000u);
    return f;
}

constexpr TParFormat MakeTableParFormat() {
    TParFormat f = MakeDefaultParFormat();
    f.InTable = 1;
    return f;
}

constexpr TParFormat MakeRtfBaseParFormat() {
    TParFormat f{};
    f.FirstIndent = f.LeftIndent = f.RightIndent = INT16_MIN;
    f.Alignment = INT8_MIN;
    f.LineSpacing = 240;
    f.LineSpacingMultiple = 1;
    f.OutlineLevel = 9;
    return f;
}

constexpr TParFormat MakeWordBaseParFormat() {
    TParFormat f = MakeRtfBaseParFormat();
    f.WidowControl = 1;
    return f;
}

}  // namespace

constinit const TParFormat DefaultParFormat = MakeDefaultParFormat();
constinit const TParFormat UnsetParFormat = MakeUnsetParFormat();
constinit const TParFormat TableParFormat = MakeTableParFormat();
constinit const TParFormat RtfBaseParFormat = MakeRtfBaseParFormat();
constinit const TParFormat WordBaseParFormat = MakeWordBaseParFormat();

std::int32_t GetParProp(const TParFormat& format, int prop) {
    REZ_ASSERT(prop >= 0 && prop < ParPropCount);
    const std::int32_t v = RawProp(format, prop);
    if ((Kind(prop) == 1 && v == INT8_MIN) || (Kind(prop) == 2 && v == INT16_MIN))
        return Unset32;
    return v;
}

void SetParProp(TParFormat& format, int prop, std::int32_t value) {
    REZ_ASSERT(prop >= 0 && prop < ParPropCount);
    std::uint8_t* p = Field(format, prop);
    const std::uint8_t kind = Kind(prop);
    std::uint32_t u = static_cast<std::uint32_t>(value);
    if (value == Unset32)
        u = kind == 1 ? 0x80u : kind == 2 ? 0x8000u : 0x80000000u;
    for (int i = 0; i < kind; ++i)
        p[i] = static_cast<std::uint8_t>(u >> (8 * i));
}

bool ParPropIsUnset(const TParFormat& format, int prop) {
    return GetParProp(format, prop) == Unset32;
}

void CopyParProp(TParFormat& dst, int prop, const TParFormat& src) {
    REZ_ASSERT(prop >= 0 && prop < ParPropCount);
    std::memmove(Field(dst, prop), Field(src, prop), Kind(prop));
}

void ClearParProp(TParFormat& format, int prop) {
    SetParProp(format, prop, Unset32);
}

bool ParFormatIsClear(const TParFormat& format) {
    return std::memcmp(&format, &UnsetParFormat, sizeof(TParFormat)) == 0;
}

bool ParFormatsEqual(const TParFormat& a, const TParFormat& b) {
    return std::memcmp(&a, &b, sizeof(TParFormat)) == 0;
}

void FillUnsetParFormat(TParFormat& dst, const TParFormat& src) {
    for (int i = 0; i < ParPropCount; ++i)
        if (ParPropIsUnset(dst, i))
            CopyParProp(dst, i, src);
}

void OverlayParFormat(TParFormat& dst, const TParFormat& src) {
    for (int i = 0; i < ParPropCount; ++i)
        if (!ParPropIsUnset(src, i))
            CopyParProp(dst, i, src);
}

void IntersectParFormats(TParFormat& a, const TParFormat& b) {
    for (int i = 0; i < ParPropCount; ++i)
        if (GetParProp(a, i) != GetParProp(b, i))
            ClearParProp(a, i);
}

void SubtractParFormat(TParFormat& a, const TParFormat& b) {
    const bool firstEqual = GetParProp(a, ppFirstIndent) == GetParProp(b, ppFirstIndent);
    const bool leftEqual = GetParProp(a, ppLeftIndent) == GetParProp(b, ppLeftIndent);
    if (firstEqual && leftEqual) {
        ClearParProp(a, ppFirstIndent);
        ClearParProp(a, ppLeftIndent);
    } else if (GetParProp(a, ppFirstIndent) == 0 && GetParProp(b, ppFirstIndent) == 0) {
        // A first-line indent of zero means the same whatever the left
        // indent; any other value is relative to it and must stay.
        ClearParProp(a, ppFirstIndent);
    }
    if (GetParProp(a, ppLineSpacing) == GetParProp(b, ppLineSpacing) &&
        GetParProp(a, ppLineSpacingMultiple) == GetParProp(b, ppLineSpacingMultiple)) {
        ClearParProp(a, ppLineSpacing);
        ClearParProp(a, ppLineSpacingMultiple);
    }
    for (int i = ppRightIndent; i < ParPropCount; ++i)
        if (GetParProp(a, i) == GetParProp(b, i))
            ClearParProp(a, i);
}
