#pragma once

#include <cstdint>

#include "base/core/Checks.h"

// The pointer list of the whole program. Up to four items live inside the
// object, so small lists never touch the heap; temporary lists are recycled
// through a process-wide pool (Acquire/Release) instead of being created and
// destroyed. Several model classes derive from it and inherit its storage.
//
// Count, Capacity and Items are read directly by every user; they change only
// through the methods below. Items are untyped: object pointers, raw blocks
// or 32-bit integers stored as pointers. The list owns nothing except through
// the explicit free operations.
class TList {
public:
    TList() = default;
    TList(const TList&) = delete;
    TList& operator=(const TList&) = delete;
    virtual ~TList();

    // The pool. Acquire returns an empty list; Release gives it back (the
    // caller must not touch it afterwards).
    static TList* Acquire();
    static void Release(TList* list);

    void SetCount(std::int32_t n);
    void SetCapacity(std::int32_t n);
    void Clear();  // Count 0 and Capacity 0; items are not freed

    void Add(void* item);
    void Insert(std::int32_t index, void* item);
    void InsertGap(std::int32_t index, std::int32_t n);  // the caller fills the slots
    void Assign(const TList& other);
    void AddList(const TList& other);
    // Items from a block of 32-bit object handles (base/core/ObjectHandles.h).
    void AssignBuffer(const void* buffer, std::int32_t byteCount);

    void Delete(std::int32_t index);
    void DeleteRange(std::int32_t index, std::int32_t n);
    void DeleteLast();
    void Remove(void* item);  // the last occurrence
    void Pack();              // drops nil items

    void* Item(std::int32_t index) const {
        REZ_ASSERT(index >= 0 && index < Count);
        return Items[index];
    }
    template <class T>
    T* At(std::int32_t index) const {
        return static_cast<T*>(Item(index));
    }
    void* Last() const {
        REZ_ASSERT(Count > 0);
        return Items[Count - 1];
    }
    std::int32_t IndexOf(const void* item) const;  // scans from the end
    bool Contains(const void* item) const { return IndexOf(item) != -1; }
    std::int32_t IndexOfSortedInt(std::int32_t value) const;

    void Exchange(std::int32_t i, std::int32_t j);
    void Move(std::int32_t curIndex, std::int32_t newIndex);
    // compare(list, i, j) -> negative, 0 or positive.
    template <class Compare>
    void Sort(Compare compare);
    void SortAsIntegers();

    // Freeing items (T must be the static type the items were created as, or
    // a base with a virtual destructor).
    template <class T>
    void DeleteAndFree(std::int32_t index);
    template <class T>
    void FreeItems();  // last to first, then Count 0
    template <class T>
    void FreeMixedItems() {
        FreeItems<T>();
    }
    template <class T>
    void FreeRange(std::int32_t index, std::int32_t n);
    template <class T>
    static void FreeWithItems(TList* list);
    // Raw blocks allocated with Platform::HeapAlloc.
    void DeleteAndFreeMem(std::int32_t index);
    void FreeMemItems();
    static void FreeWithMemItems(TList* list);

    std::int32_t Count = 0;
    std::int32_t Capacity = 0;
    void** Items = nullptr;

private:
    void* Inline[4] = {};
};

// Drops every pooled list; the shell's memory trim calls it when the heap
// holds more than PoolHeapLimit bytes.
void EmptyListPool();
// Pool state, for tests and diagnostics.
std::int32_t ListPoolSlotCount();
std::int32_t ListPoolPooledCount();

// Above this many bytes in use, pools destroy released objects instead of
// keeping them.
constexpr std::int64_t PoolHeapLimit = 0x40000000;
std::int64_t AllocatedHeapBytes();

// Index quicksort over any indexable collection: compare(i, j) gives the
// order of the items at i and j, exchange(i, j) swaps them. The pivot is
// tracked by index through the exchanges; the smaller part is sorted first.
template <class Compare, class Exchange>
void QuickSortByIndex(std::int32_t lo, std::int32_t hi, Exchange&& exchange, Compare&& compare) {
    for (;;) {
        if (hi == lo + 1) {
            if (compare(lo, hi) > 0)
                exchange(lo, hi);
            return;
        }
        if (lo >= hi)
            return;
        std::int32_t i = lo, j = hi, p = lo + ((hi - lo) >> 1);
        do {
            while (compare(i, p) < 0)
                ++i;
            while (compare(j, p) > 0)
                --j;
            if (j >= i) {
                if (i != j) {
                    if (i == p)
                        p = j;
                    else if (j == p)
                        p = i;
                    exchange(i, j);
                }
                ++i;
                --j;
            }
        } while (j >= i);
        // Recurse into the smaller part, loop on the larger one.
        if (j - lo < hi - i) {
            QuickSortByIndex(lo, j, exchange, compare);
            lo = i;
        } else {
            QuickSortByIndex(i, hi, exchange, compare);
            hi = j;
        }
    }
}

template <class Compare>
void TList::Sort(Compare compare) {
    QuickSortByIndex(
        0, Count - 1, [this](std::int32_t i, std::int32_t j) { Exchange(i, j); },
        [this, &compare](std::int32_t i, std::int32_t j) { return compare(this, i, j); });
}

template <class T>
void TList::DeleteAndFree(std::int32_t index) {
    T* item = static_cast<T*>(Item(index));
    Delete(index);
    delete item;
}

template <class T>
void TList::FreeItems() {
    for (std::int32_t i = Count - 1; i >= 0; --i)
        delete static_cast<T*>(Items[i]);
    SetCount(0);
}

template <class T>
void TList::FreeRange(std::int32_t index, std::int32_t n) {
    if (n == 0)
        return;
    REZ_ASSERT(index >= 0 && n > 0 && index + n <= Count);
    for (std::int32_t i = index + n - 1; i >= index; --i)
        delete static_cast<T*>(Items[i]);
    DeleteRange(index, n);
}

template <class T>
void TList::FreeWithItems(TList* list) {
    if (list == nullptr)
        return;
    list->FreeItems<T>();
    delete list;
}
