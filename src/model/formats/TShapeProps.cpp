#include "model/formats/TShapeProps.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace {

struct TPropName {
    std::string_view Name;
    std::int32_t Id;
};

// Sorted by name without case, so that a lookup is a binary search.
constexpr std::array<TPropName, 24> PropNames = {{
    {"alignHR", spAlignHR},
    {"dxHeightHR", spHeightHR},
    {"dxWidthHR", spWidthHR},
    {"dxWrapDistLeft", spWrapDistLeft},
    {"dxWrapDistRight", spWrapDistRight},
    {"dyWrapDistBottom", spWrapDistBottom},
    {"dyWrapDistTop", spWrapDistTop},
    {"fBehindDocument", spBehindDocument},
    {"fFilled", spFilled},
    {"fHorizRule", spHorizRule},
    {"fillColor", spFillColor},
    {"fLayoutInCell", spLayoutInCell},
    {"fLine", spLine},
    {"fLockAspectRatio", spLockAspectRatio},
    {"fNoshadeHR", spNoShadeHR},
    {"fStandardHR", spStandardHR},
    {"pctHR", spPctHR},
    {"pib", spPib},
    {"posh", spPosH},
    {"posrelh", spPosRelH},
    {"posrelv", spPosRelV},
    {"posv", spPosV},
    {"pWrapPolygonVertices", spWrapPolygonVertices},
    {"shapeType", spShapeType},
}};

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

int CompareNoCase(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char x = Lower(a[i]), y = Lower(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// The default wrap distance left and right of a shape: 0.125 inch in EMU.
constexpr std::int32_t DefaultSideWrapDistance = 114305;
constexpr std::int32_t White = 0xFFFFFF;

const TPoint DefaultPolygon[4] = {{0, 0},
                                  {WrapPolygonUnit, 0},
                                  {WrapPolygonUnit, WrapPolygonUnit},
                                  {0, WrapPolygonUnit}};

// A decimal number, possibly signed, after optional spaces; false when
// none is there.
bool ParseInt(std::string_view& s, std::int32_t& value) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc())
        return false;
    s.remove_prefix(static_cast<std::size_t>(end - s.data()));
    return true;
}

}  // namespace

std::int32_t TShapeProps::IdOfName(std::string_view name) {
    const auto it =
        std::lower_bound(PropNames.begin(), PropNames.end(), name,
                         [](const TPropName& e, std::string_view n) { return CompareNoCase(e.Name, n) < 0; });
    if (it == PropNames.end() || CompareNoCase(it->Name, name) != 0)
        return -1;
    return it->Id;
}

std::string_view TShapeProps::NameOfId(std::int32_t id) {
    for (const TPropName& e : PropNames)
        if (e.Id == id)
            return e.Name;
    return {};
}

std::int32_t TShapeProps::DefaultOf(std::int32_t id) {
    switch (id) {
        case spLockAspectRatio:
        case spWrapDistTop:
        case spWrapDistBottom:
        case spPosH:
        case spPosV:
        case spAlignHR:
        case spBehindDocument:
            return 0;
        case spFillColor:
            return White;
        case spWrapDistLeft:
        case spWrapDistRight:
            return DefaultSideWrapDistance;
        case spPosRelH:
        case spPosRelV:
            return prefText;
        case spLayoutInCell:
            return 1;
        default:
            return ShapePropNone;
    }
}

bool TShapeProps::Equals(const TShapeProps& o) const {
    return NaturalWidth == o.NaturalWidth && NaturalHeight == o.NaturalHeight && ScaleX == o.ScaleX &&
           ScaleY == o.ScaleY && UniformScale == o.UniformScale && UniformScalePercent == o.UniformScalePercent &&
           WrapKind == o.WrapKind && WrapSide == o.WrapSide && WrapPolygon == o.WrapPolygon && ZOrder == o.ZOrder &&
           PosRect == o.PosRect && Pairs == o.Pairs;
}

bool TShapeProps::HasProp(std::int32_t id) const {
    return std::any_of(Pairs.begin(), Pairs.end(), [id](const TShapeProp& p) { return p.Id == id; });
}

std::int32_t TShapeProps::GetProp(std::int32_t id) const {
    for (auto it = Pairs.rbegin(); it != Pairs.rend(); ++it)
        if (it->Id == id)
            return it->Value;
    return DefaultOf(id);
}

void TShapeProps::SetProp(std::int32_t id, std::int32_t value) {
    // The aspect lock and the in-cell flag are kept even at their defaults:
    // readers of other formats default them differently, so the stored pair
    // says that the file chose the value.
    if (value == DefaultOf(id) && id != spLockAspectRatio && id != spLayoutInCell)
        value = ShapePropNone;
    const auto it =
        std::lower_bound(Pairs.begin(), Pairs.end(), id, [](const TShapeProp& p, std::int32_t i) { return p.Id < i; });
    if (it != Pairs.end() && it->Id == id) {
        if (value == ShapePropNone)
            Pairs.erase(it);
        else
            it->Value = value;
        return;
    }
    if (value != ShapePropNone)
        Pairs.insert(it, TShapeProp{id, value});
}

void TShapeProps::DeleteProp(std::int32_t id) {
    std::erase_if(Pairs, [id](const TShapeProp& p) { return p.Id == id; });
}

bool TShapeProps::HasWrapPolygon() const {
    if (WrapPolygon.size() < 3)
        return false;
    return !std::equal(WrapPolygon.begin(), WrapPolygon.end(), std::begin(DefaultPolygon), std::end(DefaultPolygon));
}

bool TShapeProps::AddWrapPolygonPoint(TPoint p) {
    if (WrapPolygon.size() >= MaxWrapPolygonPoints)
        return false;
    WrapPolygon.push_back(p);
    return true;
}

void TShapeProps::ToRtf(std::string& out) const {
    out.clear();
    for (const TShapeProp& p : Pairs) {
        const std::string_view name = NameOfId(p.Id);
        if (name.empty())
            continue;
        out += "{\\sp{\\sn ";
        out += name;
        out += "}{\\sv ";
        out += std::to_string(p.Value);
        out += "}}";
    }
}

std::string TShapeProps::WrapPolygonToRtf() const {
    if (WrapPolygon.empty())
        return {};
    // "8" is the size of one vertex in bytes, as the format states it.
    std::string out = "8;" + std::to_string(WrapPolygon.size() + 1);
    auto add = [&out](TPoint p) { out += ";(" + std::to_string(p.X) + "," + std::to_string(p.Y) + ")"; };
    for (TPoint p : WrapPolygon)
        add(p);
    add(WrapPolygon.front());
    return out;
}

void TShapeProps::WrapPolygonFromRtf(std::string_view text) {
    WrapPolygon.clear();
    // The count prefix ("8;n;") is passed over: the pairs themselves say
    // how many there are.
    for (;;) {
        const std::size_t open = text.find('(');
        if (open == std::string_view::npos)
            break;
        text.remove_prefix(open + 1);
        std::int32_t x = 0, y = 0;
        std::string_view s = text;
        if (ParseInt(s, x)) {
            while (!s.empty() && s.front() == ' ')
                s.remove_prefix(1);
            if (!s.empty() && s.front() == ',') {
                s.remove_prefix(1);
                if (ParseInt(s, y) && !AddWrapPolygonPoint(TPoint{x, y}))
                    break;
            }
        }
    }
    // The writer closes the polygon by repeating its first vertex; the
    // model holds it open.
    if (WrapPolygon.size() > 1 && WrapPolygon.front() == WrapPolygon.back())
        WrapPolygon.pop_back();
}
