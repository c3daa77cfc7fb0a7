#include "model/BorderSets.h"

#include <vector>

#include "base/Checks.h"

namespace {

std::vector<TBorderSet>& Table() {
    static std::vector<TBorderSet>* table = [] {
        auto* t = new std::vector<TBorderSet>(1);
        InitBorderSet(t->front());
        return t;
    }();
    return *table;
}

bool BordersEqual(const TBorder& stored, const TBorder& border) {
    if (stored.Type != border.Type)
        return false;
    if (stored.Type == NoBorderType)
        return true;
    return stored.Width == border.Width && stored.Color == border.Color &&
           stored.Spacing == ClampBorderSpacing(border.Spacing);
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
