#include "model/formats/BorderSets.h"

#include <vector>

#include "base/core/Checks.h"

namespace {

std::vector<TBorderSet>& Table() {
    static std::vector<TBorderSet>* table = [] {
        auto* t = new std::vector<TBorderSet>(1);
        InitBorderSet(t->front());
        return t;
    }();
    return *table;
}

}  // namespace

void InitBorderSet(TBorderSet& set) {
    for (int i = 0; i < 5; ++i) {
        set.Borders[i] = TBorder{};
        set.Borders[i].Spacing = (i == bsLeft || i == bsRight) ? 80 : 20;
    }
}

std::int32_t ClampBorderSpacing(std::int32_t value) {
    return value < 0 ? 0 : value > 620 ? 620 : value;
}

std::int32_t InternBorderSet(const TBorderSet& set) {
    std::vector<TBorderSet>& table = Table();
    for (std::size_t i = 0; i < table.size(); ++i) {
        bool equal = true;
        for (int b = 0; b < 5 && equal; ++b)
            equal = BordersEqual(table[i].Borders[b], set.Borders[b]);
        if (equal)
            return static_cast<std::int32_t>(i);
    }
    TBorderSet copy = set;
    for (int b = bsLeft; b <= bsBottom; ++b)
        copy.Borders[b].Spacing = ClampBorderSpacing(copy.Borders[b].Spacing);
    copy.Borders[bsInside].Spacing = copy.Borders[bsTop].Spacing;
    table.push_back(copy);
    return static_cast<std::int32_t>(table.size() - 1);
}

std::int32_t BorderSetCount() {
    return static_cast<std::int32_t>(Table().size());
}

const TBorderSet& BorderSetAt(std::int32_t index) {
    REZ_ASSERT(index >= 0 && index < BorderSetCount());
    return Table()[index];
}

bool BordersEqual(const TBorder& stored, const TBorder& border) {
    if (stored.Type != border.Type)
        return false;
    if (stored.Type == NoBorderType)
        return true;
    return stored.Width == border.Width && stored.Color == border.Color &&
           stored.Spacing == ClampBorderSpacing(border.Spacing);
}

int CompareBorders(const TBorder& a, const TBorder& b, const std::uint8_t* aCellFlag, const std::uint8_t* bCellFlag) {
    constexpr std::int32_t unset = static_cast<std::int32_t>(0x80000000u);
    const bool aUnset = a.Type == unset, bUnset = b.Type == unset;
    if (aUnset || bUnset)
        return aUnset == bUnset ? 0 : (bUnset ? 1 : -1);
    if (a.Type != b.Type)
        return a.Type == 1 ? 1 : -1;  // a single line stands over any other kind
    if (a.Type == NoBorderType)
        return 0;
    if (a.Width != b.Width)
        return a.Width > b.Width ? 1 : -1;
    if (aCellFlag != nullptr && bCellFlag != nullptr && *aCellFlag != *bCellFlag)
        return *aCellFlag != 0 ? -1 : 1;
    if (a.Color == b.Color)
        return 0;
    // Automatic counts as the lowest colour value.
    const std::int64_t aColor = a.Color == static_cast<std::int32_t>(0xFF000000u) ? -1 : a.Color;
    const std::int64_t bColor = b.Color == static_cast<std::int32_t>(0xFF000000u) ? -1 : b.Color;
    return bColor < aColor ? 1 : -1;
}
