#include "base/text/TStringList.h"

#include <cstring>
#include <utility>

#include "base/core/ListItems.h"
#include "base/text/CompareLocale.h"

TStringList::~TStringList() {
    ListItems::Resize(Items, Count, 0);
    Items = ListItems::Reallocate(Items, 0, 0);
}

void TStringList::ReplaceString(std::int32_t index, std::string s) {
    REZ_ASSERT(index >= 0 && index < Count);
    Items[index].String = std::move(s);
}

void TStringList::SetObject(std::int32_t index, void* obj) {
    REZ_ASSERT(index >= 0 && index < Count);
    Items[index].Object = obj;
}

void TStringList::SetCapacity(std::int32_t n) {
    REZ_ASSERT(n >= Count);
    if (n < Count)
        n = Count;  // never drop items behind the caller's back
    if (n == Capacity)
        return;
    Items = ListItems::Reallocate(Items, Count, n);
    Capacity = n;
}

std::int32_t TStringList::Add(std::string s) {
    std::int32_t index = Count;
    if (Sorted)
        Find(s, index);
    Insert(index, std::move(s));
    return index;
}

void TStringList::Clear() {
    ListItems::Resize(Items, Count, 0);
    SetCapacity(0);
}

void TStringList::Delete(std::int32_t index) {
    REZ_ASSERT(index >= 0 && index < Count);
    ListItems::DeleteAt(Items, Count, index);
}

void TStringList::Exchange(std::int32_t i, std::int32_t j) {
    REZ_ASSERT(i >= 0 && i < Count && j >= 0 && j < Count);
    std::swap(Items[i], Items[j]);
}

std::int32_t TStringList::IndexOf(const std::string& s) const {
    if (!Sorted)
        return TStrings::IndexOf(s);
    std::int32_t index;
    return Find(s, index) ? index : -1;
}

void TStringList::Insert(std::int32_t index, std::string s) {
    REZ_ASSERT(index >= 0 && index <= Count);
    if (Count == Capacity)
        Grow();
    ListItems::InsertAt(Items, Count, index, TStringItem{std::move(s), nullptr});
}

int TStringList::CompareStrings(const std::string& a, const std::string& b) const {
    if (Ordinal) {
        const int c = std::strcmp(a.c_str(), b.c_str());  // unsigned bytes
        return (c > 0) - (c < 0);
    }
    return CaseSensitive ? CompareStrLocale(a.c_str(), b.c_str()) : CompareTextPCharLocale(a.c_str(), b.c_str());
}

bool TStringList::Find(const std::string& s, std::int32_t& index) const {
    const TCompareLocaleScope scope(static_cast<std::uint32_t>(Language));
    bool found = false;
    std::int32_t lo = 0, hi = Count - 1;
    while (lo <= hi) {
        const std::int32_t mid = (lo + hi) >> 1;
        const int c = CompareStrings(Items[mid].String, s);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0)
                found = true;
        }
    }
    index = lo;
    return found;
}

void TStringList::Sort() {
    if (Sorted || Count < 2)
        return;
    const TCompareLocaleScope scope(static_cast<std::uint32_t>(Language));
    ListItems::QuickSort(Items, 0, Count - 1,
                         [this](const std::string& a, const std::string& b) { return CompareStrings(a, b); });
}

void TStringList::Grow() {
    SetCapacity(Capacity + ListItems::GrowDelta(Capacity));
}

void TStringList::SetCount(std::int32_t n) {
    REZ_ASSERT(n >= 0);
    if (Capacity < n)
        SetCapacity(n);
    ListItems::Resize(Items, Count, n);
}

void TStringList::SetSorted(bool value) {
    if (Sorted == value)
        return;
    if (value)
        Sort();
    Sorted = value;
}
