#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/core/Checks.h"

// One item of a TWideStringList.
struct TWideStringItem {
    std::u16string String;
    void* Object = nullptr;
};

// A plain list of UTF-16 strings with objects (never freed by the list).
// Unlike the 8-bit lists it has no virtual operations and no sorted mode;
// adding returns the new count, not the index. Comparisons run under
// Language (0: the locale in force), ignoring case unless CaseSensitive.
// Indexes are the caller's duty (checked only in checked builds).
class TWideStringList {
public:
    TWideStringList() = default;
    TWideStringList(const TWideStringList&) = delete;
    TWideStringList& operator=(const TWideStringList&) = delete;
    ~TWideStringList();

    // Append; return the new count.
    std::int32_t Add(std::u16string w);
    std::int32_t AddObject(std::u16string w, void* obj);
    void Insert(std::int32_t index, std::u16string w);
    void Delete(std::int32_t index);
    void Clear();  // also the capacity
    void Move(std::int32_t curIndex, std::int32_t newIndex);
    void Exchange(std::int32_t i, std::int32_t j);

    const std::u16string& GetString(std::int32_t index) const {
        REZ_ASSERT(index >= 0 && index < Count);
        return Items[index].String;
    }
    void ReplaceString(std::int32_t index, std::u16string w);
    void* GetObject(std::int32_t index) const {
        REZ_ASSERT(index >= 0 && index < Count);
        return Items[index].Object;
    }
    void SetObject(std::int32_t index, void* obj);
    void SetCapacity(std::int32_t n);
    void Grow();  // the deltas of TStringList::Grow

    // Joined with CR LF, no break after the last string.
    std::u16string GetText() const;
    // One item per line; lines break as in TStrings::SetText.
    void SetText(std::u16string_view w);

    // The first item equal to w under the locale Language names directly
    // (not through the comparison-locale stack); -1 when none.
    std::int32_t IndexOf(const std::u16string& w) const;
    // Sorts by the locale comparison under Language.
    void Sort();
    // The wide twin of TStrings::FindClosestPrefix.
    static std::int32_t FindClosestPrefix(const TWideStringList& list, std::u16string w, bool sorted);

    // The list's comparison used by Sort.
    int CompareStrings(const std::u16string& a, const std::u16string& b) const;

    std::int32_t Capacity = 0;
    TWideStringItem* Items = nullptr;
    std::int32_t Count = 0;
    std::int32_t Language = 0;
    bool CaseSensitive = false;
};
