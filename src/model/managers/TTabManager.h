#pragma once

#include <cstdint>

#include "base/core/TList.h"

class TPar;

// A tab stop in one 32-bit word: the position in twips in bits 0-23
// (positions below 16 are kept as 15), the alignment in bits 24-27 and the
// leader in bits 28-31.
enum : std::uint8_t { taLeft = 0, taCenter = 1, taRight = 2, taDecimal = 3, taBar = 4 };  // a bar is no stop
enum : std::uint8_t { tlNone = 0, tlDots = 1, tlHyphens = 2, tlUnderline = 3 };

// The most stops a table holds.
constexpr std::int32_t MaxTabStops = 50;

std::uint32_t MakeTabStop(std::int32_t position, std::uint8_t alignment, std::uint8_t leader);
void UnpackTabStop(std::uint32_t word, std::int32_t& position, std::uint8_t& alignment, std::uint8_t& leader);
inline std::int32_t TabStopPosition(std::uint32_t word) {
    return static_cast<std::int32_t>(word & 0xFFFFFF);
}
inline std::uint8_t TabStopAlignment(std::uint32_t word) {
    return static_cast<std::uint8_t>((word >> 24) & 15);
}

// Tables of tab-stop words: TTabTable or any TList that is being built.
inline std::uint32_t TabStopAt(const TList& table, std::int32_t index) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(table.Item(index)));
}
// The last stop at the position; -1 when none.
std::int32_t IndexOfTabPos(const TList& table, std::int32_t position);
bool TabTableHasStop(const TList& table, std::int32_t position);
// Appends the stop unless the table is full or holds the very same word (a
// stop at the same position with other kinds becomes a second word);
// positions below 15 are raised to 15.
void AddTabStop(TList& table, std::uint32_t word);
void RemoveTabStop(TList& table, std::int32_t position);
void SortTabStops(TList& table);
// The first stop in table order that is no bar tab and lies beyond x (or at
// x when inclusive); without one, a left stop at 0xFFFFFF.
std::uint32_t NextTabStop(const TList& table, std::int32_t x, bool inclusive);

// A table of tab stops, kept in ascending order of position.
class TTabTable : public TList {
public:
    std::uint32_t Stop(std::int32_t index) const { return TabStopAt(*this, index); }
};

// The process-wide set of distinct tab tables. A paragraph format holds the
// index of its table (0: no tabs of its own); tables are added, never
// changed or removed, so indices hold for the whole run. The manager also
// keeps the effective stops of the paragraph laid out last: its own stops
// followed by default stops.
class TTabManager : public TList {
public:
    TTabManager();
    TTabManager(const TTabManager&) = delete;
    TTabManager& operator=(const TTabManager&) = delete;
    ~TTabManager() override;

    TTabTable* Table(std::int32_t index) const { return At<TTabTable>(index); }
    // The index of a table with these stops in this order, added when new;
    // 0 for an empty list. Callers sort the list first, so that equal sets
    // of stops share one table.
    std::int32_t InternTabTable(const TList& list);
    // Fills EffectiveTabs for a paragraph: its own stops up to the right
    // limit (22 inches less its right indent), then default stops at the
    // document's default tab width up to that limit; at least one stop.
    // (model/paragraphs/TTabManagerInPar.cpp: it reads the paragraph.)
    void BuildEffectiveTabs(const TPar& par);
    // The same from the values themselves.
    void BuildEffectiveTabs(std::int32_t tabTable, std::int32_t rightIndent, std::int32_t defaultWidth);

    // Entry 0 doubles as the effective stops: index 0 is never read as a
    // table.
    TTabTable* EffectiveTabs = nullptr;
    std::int16_t EffectiveIndex = static_cast<std::int16_t>(0x8000);
    std::int32_t EffectiveDefaultWidth = static_cast<std::int32_t>(0x80000000u);
    // The right limit the stops were built for: stops of the same table and
    // width differ across paragraphs with different right indents.
    std::int32_t EffectiveLimit = static_cast<std::int32_t>(0x80000000u);
};

extern TTabManager* TabManager;
