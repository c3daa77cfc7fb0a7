#include "model/managers/TTabManager.h"

#include "model/managers/ManagerFormatNames.h"

TTabManager* TabManager = nullptr;

namespace {

void* WordItem(std::uint32_t word) {
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(word));
}

void AddStop(TList& table, std::uint32_t word, std::int32_t limit) {
    if (table.Count >= limit)
        return;
    if (TabStopPosition(word) < 15)
        word = (word & 0xFF000000u) | 15u;
    for (std::int32_t i = 0; i < table.Count; ++i)
        if (TabStopAt(table, i) == word)
            return;
    table.Add(WordItem(word));
}

constexpr std::int32_t kRightLimit = 31680;  // 22 inches in twips
constexpr std::int32_t kFallbackTabWidth = 720;

}  // namespace

std::uint32_t MakeTabStop(std::int32_t position, std::uint8_t alignment, std::uint8_t leader) {
    const std::uint32_t pos = position < 16 ? 15u : static_cast<std::uint32_t>(position) & 0xFFFFFFu;
    return pos | (static_cast<std::uint32_t>(alignment & 15) << 24) | (static_cast<std::uint32_t>(leader & 15) << 28);
}

void UnpackTabStop(std::uint32_t word, std::int32_t& position, std::uint8_t& alignment, std::uint8_t& leader) {
    position = TabStopPosition(word);
    alignment = TabStopAlignment(word);
    leader = static_cast<std::uint8_t>(word >> 28);
}

std::int32_t IndexOfTabPos(const TList& table, std::int32_t position) {
    for (std::int32_t i = table.Count - 1; i >= 0; --i)
        if (TabStopPosition(TabStopAt(table, i)) == position)
            return i;
    return -1;
}

bool TabTableHasStop(const TList& table, std::int32_t position) {
    return IndexOfTabPos(table, position) >= 0;
}

void AddTabStop(TList& table, std::uint32_t word) {
    AddStop(table, word, MaxTabStops);
}

void RemoveTabStop(TList& table, std::int32_t position) {
    const std::int32_t index = IndexOfTabPos(table, position);
    if (index >= 0)
        table.Delete(index);
}

void SortTabStops(TList& table) {
    table.Sort([](TList* list, std::int32_t i, std::int32_t j) {
        const std::int32_t a = TabStopPosition(TabStopAt(*list, i));
        const std::int32_t b = TabStopPosition(TabStopAt(*list, j));
        return a < b ? -1 : a > b ? 1 : 0;
    });
}

std::uint32_t NextTabStop(const TList& table, std::int32_t x, bool inclusive) {
    for (std::int32_t i = 0; i < table.Count; ++i) {
        const std::uint32_t word = TabStopAt(table, i);
        if (TabStopAlignment(word) == taBar)
            continue;
        const std::int32_t position = TabStopPosition(word);
        if (position > x || (inclusive && position == x))
            return word;
    }
    return MakeTabStop(0x7FFFFFFF, taLeft, tlNone);
}

TTabManager::TTabManager() {
    if (TabManager == nullptr)
        TabManager = this;
    EffectiveTabs = new TTabTable;
    Add(EffectiveTabs);
    InstallManagerFormatNames();
}

TTabManager::~TTabManager() {
    FreeItems<TTabTable>();
    EffectiveTabs = nullptr;
    if (TabManager == this)
        TabManager = nullptr;
}

std::int32_t TTabManager::InternTabTable(const TList& list) {
    if (list.Count == 0)
        return 0;
    for (std::int32_t t = 1; t < Count; ++t) {
        const TTabTable* table = Table(t);
        if (table->Count != list.Count)
            continue;
        bool same = true;
        for (std::int32_t i = 0; i < list.Count && same; ++i)
            same = table->Item(i) == list.Item(i);
        if (same)
            return t;
    }
    auto* table = new TTabTable;
    table->Assign(list);
    Add(table);
    return Count - 1;
}

void TTabManager::BuildEffectiveTabs(std::int32_t tabTable, std::int32_t rightIndent, std::int32_t defaultWidth) {
    // A damaged document may hold no usable width (the loop below would not
    // end) or a table index the run never made; both fall back to plain
    // defaults.
    if (defaultWidth <= 0)
        defaultWidth = kFallbackTabWidth;
    if (tabTable < 0 || tabTable >= Count)
        tabTable = 0;
    if (rightIndent == static_cast<std::int16_t>(0x8000))
        rightIndent = 0;
    const std::int32_t limit = kRightLimit - rightIndent;
    if (tabTable == EffectiveIndex && defaultWidth == EffectiveDefaultWidth && limit == EffectiveLimit)
        return;
    EffectiveTabs->Clear();
    EffectiveIndex = static_cast<std::int16_t>(tabTable);
    EffectiveDefaultWidth = defaultWidth;
    EffectiveLimit = limit;
    constexpr std::int32_t unlimited = 0x7FFFFFFF;
    std::int64_t c = 0;
    if (tabTable != 0) {
        const TTabTable* table = Table(tabTable);
        for (std::int32_t i = 0; i < table->Count; ++i) {
            const std::uint32_t word = table->Stop(i);
            if (TabStopAlignment(word) == taBar)
                continue;
            c = TabStopPosition(word);
            if (c >= limit && EffectiveTabs->Count > 0)
                break;
            AddStop(*EffectiveTabs, word, unlimited);
        }
    }
    for (;;) {
        const std::int64_t next = defaultWidth * ((c + defaultWidth) / defaultWidth);
        if (EffectiveTabs->Count > 0 && limit < next)
            break;
        c = next;
        AddStop(*EffectiveTabs, MakeTabStop(static_cast<std::int32_t>(c), taLeft, tlNone), unlimited);
    }
}
