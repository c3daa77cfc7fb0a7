#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <new>
#include <utility>

#include "platform/Heap.h"

// Item arrays of the string lists: a raw block of Capacity records from the
// program's heap, of which the first Count are constructed. The lists keep
// Items, Count and Capacity as their own public fields (callers read them
// directly), so these helpers work on those fields rather than owning them.
namespace ListItems {

// The growth step shared by TStringList and TWideStringList: a quarter
// above 64 slots, 16 above 8, else 4.
inline std::int32_t GrowDelta(std::int32_t capacity) {
    if (capacity > 64)
        return capacity / 4;
    if (capacity > 8)
        return 16;
    return 4;
}

// Moves the count records into a block of newCapacity (nullptr for 0) and
// frees the old block. newCapacity must not be below count.
template <class T>
T* Reallocate(T* items, std::int32_t count, std::int32_t newCapacity) {
    T* block = nullptr;
    if (newCapacity > 0) {
        if (static_cast<std::uint64_t>(newCapacity) > std::numeric_limits<std::size_t>::max() / sizeof(T))
            throw std::bad_alloc();
        block = static_cast<T*>(Platform::HeapAlloc(static_cast<std::size_t>(newCapacity) * sizeof(T)));
        for (std::int32_t i = 0; i < count; ++i) {
            new (block + i) T(std::move(items[i]));
            items[i].~T();
        }
    }
    Platform::HeapFree(items);
    return block;
}

// Opens the slot index (the caller has room for one more) and stores item.
template <class T>
void InsertAt(T* items, std::int32_t& count, std::int32_t index, T&& item) {
    if (index == count) {
        new (items + count) T(std::move(item));
    } else {
        new (items + count) T(std::move(items[count - 1]));
        for (std::int32_t i = count - 1; i > index; --i)
            items[i] = std::move(items[i - 1]);
        items[index] = std::move(item);
    }
    ++count;
}

// Closes the slot index.
template <class T>
void DeleteAt(T* items, std::int32_t& count, std::int32_t index) {
    for (std::int32_t i = index; i < count - 1; ++i)
        items[i] = std::move(items[i + 1]);
    items[--count].~T();
}

// Constructs or destroys records so that count becomes n (n <= capacity).
template <class T>
void Resize(T* items, std::int32_t& count, std::int32_t n) {
    for (; count < n; ++count)
        new (items + count) T();
    while (count > n)
        items[--count].~T();
}

// Sorts items[l..r] by compare(a.String, b.String): the classic partition
// around the value of the middle item (a copy, as exchanges move the items).
// The smaller part is sorted by recursion and the larger one by the loop,
// which bounds the stack on unlucky inputs; the parts are disjoint, so the
// order in which they are sorted does not change the result.
template <class T, class Compare>
void QuickSort(T* items, std::int32_t l, std::int32_t r, const Compare& compare) {
    while (l < r) {
        std::int32_t i = l, j = r;
        const auto pivot = items[(l + r) >> 1].String;
        do {
            while (compare(items[i].String, pivot) < 0)
                ++i;
            while (compare(items[j].String, pivot) > 0)
                --j;
            if (i <= j) {
                if (i != j)
                    std::swap(items[i], items[j]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (j - l < r - i) {
            if (l < j)
                QuickSort(items, l, j, compare);
            l = i;
        } else {
            if (i < r)
                QuickSort(items, i, r, compare);
            r = j;
        }
    }
}

// Calls line(part) for each line of text, bytes or UTF-16: a line ends at
// CR, at LF, at CR LF (one break) or at the end; LF CR is two breaks, and a
// break at the very end adds no empty line.
template <class View, class Line>
void ForEachLine(View text, Line&& line) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = pos;
        while (pos < text.size() && text[pos] != '\r' && text[pos] != '\n')
            ++pos;
        line(text.substr(start, pos - start));
        if (pos < text.size())
            pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
    }
}

// The type-ahead search of both string lists (TStrings::FindClosestPrefix).
// Traits give, for the list L and its string type S:
//   Count(L), Item(L, i),
//   Compare(L, a, b): the whole-string locale comparison of the lower bound,
//   CompareN(L, a, b, n): the locale comparison of the first n characters,
//   StartsWith(L, item, s): item begins with s, by code value when the list
//   is case-sensitive, else by the locale ignoring case.
// The caller has pushed the list's language.
template <class Traits, class List, class String>
std::int32_t FindClosestPrefixIn(const List& list, String s, bool sorted) {
    if (s.empty())
        return -1;
    const std::int32_t count = Traits::Count(list);
    auto firstStartingWith = [&]() -> std::int32_t {
        for (std::int32_t i = 0; i < count; ++i) {
            const auto& item = Traits::Item(list, i);
            if (item.size() >= s.size() && Traits::StartsWith(list, item, s))
                return i;
        }
        return -1;
    };
    if (!sorted)
        return firstStartingWith();
    const auto n = [](std::size_t len) { return static_cast<std::int32_t>(len); };
    for (;;) {
        std::int32_t lo = 0, hi = count - 1;
        while (lo <= hi) {
            const std::int32_t mid = (lo + hi) >> 1;
            if (Traits::Compare(list, Traits::Item(list, mid), s) < 0)
                lo = mid + 1;
            else
                hi = mid - 1;
        }
        std::int32_t found = lo;
        // The lower bound may land on an item that sorts after s without
        // starting with it (the locale ignores punctuation or accents that
        // the prefix keeps): an item that really starts with s wins then.
        if (found < count) {
            const auto& item = Traits::Item(list, found);
            if (item.size() >= s.size() && Traits::CompareN(list, item, s, n(s.size())) != 0) {
                const std::int32_t starting = firstStartingWith();
                if (starting >= 0)
                    found = starting;
            }
        }
        if (found >= 0 && found < count) {
            const auto& item = Traits::Item(list, found);
            if (Traits::CompareN(list, item, s, n(std::min(item.size(), s.size()))) == 0)
                return found;
        }
        s.pop_back();
        if (s.empty())
            return 0;
    }
}

}  // namespace ListItems
