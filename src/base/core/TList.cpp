#include "base/core/TList.h"

#include <cstring>

#include "base/core/ObjectHandles.h"
#include "platform/Heap.h"

namespace {

// The pool: released lists wait in slots 0 .. Pooled - 1 of Slots.
struct TListPool {
    TList Slots;
    std::int32_t Pooled = 0;
    TListPool() { Slots.SetCount(0x4000); }
};

TListPool& Pool() {
    // Created on first use and never destroyed: lists may be released by
    // static destructors that run after this unit's.
    static TListPool* pool = new TListPool;
    return *pool;
}

}  // namespace

std::int64_t AllocatedHeapBytes() {
    return Platform::AllocatedHeapBytes();
}

TList::~TList() {
    if (Capacity > 4)
        Platform::HeapFree(Items);
}

TList* TList::Acquire() {
    TListPool& pool = Pool();
    if (pool.Pooled == 0)
        return new TList;
    --pool.Pooled;
    TList* list = static_cast<TList*>(pool.Slots.Items[pool.Pooled]);
    list->Count = 0;
    return list;
}

void TList::Release(TList* list) {
    REZ_ASSERT(list != nullptr);
    if (AllocatedHeapBytes() > PoolHeapLimit) {
        delete list;
        return;
    }
    if (list->Capacity > 8)
        list->Clear();
    TListPool& pool = Pool();
    if (pool.Slots.Count <= pool.Pooled)
        pool.Slots.SetCount(pool.Pooled * 2 > 0 ? pool.Pooled * 2 : 32);
    pool.Slots.Items[pool.Pooled++] = list;
}

void EmptyListPool() {
    TListPool& pool = Pool();
    pool.Slots.SetCount(pool.Pooled);
    pool.Slots.FreeItems<TList>();
    pool.Slots.SetCount(32);
    pool.Pooled = 0;
}

std::int32_t ListPoolSlotCount() {
    return Pool().Slots.Count;
}

std::int32_t ListPoolPooledCount() {
    return Pool().Pooled;
}

void TList::SetCapacity(std::int32_t n) {
    REZ_ASSERT(n >= 0);
    if (n == Capacity)
        return;
    if (n == 0) {
        if (Capacity > 4)
            Platform::HeapFree(Items);
        Items = nullptr;
        Capacity = 0;
        return;
    }
    if (n <= 4) {
        if (Capacity > 4) {
            std::memcpy(Inline, Items, sizeof(void*) * n);
            Platform::HeapFree(Items);
        }
        Items = Inline;
        Capacity = n;
        return;
    }
    if (Capacity <= 4) {
        // First heap array: exactly n slots, no extra growth.
        auto** block = static_cast<void**>(Platform::HeapAlloc(sizeof(void*) * n));
        if (Capacity > 0)
            std::memcpy(block, Inline, sizeof(void*) * Capacity);
        Items = block;
        Capacity = n;
        return;
    }
    if (n > Capacity) {
        const std::int32_t c = Capacity;
        const std::int32_t delta = c < 8 ? 4 : (c < 64 ? 16 : c / 4);
        if (c + delta > n)
            n = c + delta;
    }
    Items = static_cast<void**>(Platform::HeapRealloc(Items, sizeof(void*) * n));
    Capacity = n;
}

void TList::SetCount(std::int32_t n) {
    REZ_ASSERT(n >= 0);
    if (n == Count)
        return;
    const std::int32_t old = Count;
    Count = n;
    if (n > Capacity)
        SetCapacity(n);
    else if (n < old && Capacity > 32 && n <= Capacity - Capacity / 4)
        SetCapacity(n);  // only a shrinking list gives memory back
}

void TList::Clear() {
    Count = 0;
    SetCapacity(0);
}

void TList::Add(void* item) {
    const std::int32_t at = Count;
    SetCount(Count + 1);
    Items[at] = item;
}

void TList::Insert(std::int32_t index, void* item) {
    REZ_ASSERT(index >= 0 && index <= Count);
    const std::int32_t old = Count;
    SetCount(Count + 1);
    std::memmove(Items + index + 1, Items + index, sizeof(void*) * (old - index));
    Items[index] = item;
}

void TList::InsertGap(std::int32_t index, std::int32_t n) {
    REZ_ASSERT(index >= 0 && index <= Count && n >= 0);
    const std::int32_t old = Count;
    SetCount(Count + n);
    std::memmove(Items + index + n, Items + index, sizeof(void*) * (old - index));
}

void TList::Assign(const TList& other) {
    if (&other == this)
        return;
    SetCount(other.Count);
    if (other.Count > 0)
        std::memcpy(Items, other.Items, sizeof(void*) * other.Count);
}

void TList::AddList(const TList& other) {
    const std::int32_t old = Count, n = other.Count;
    SetCount(old + n);
    if (n > 0)
        std::memmove(Items + old, other.Items, sizeof(void*) * n);
}

void TList::AssignBuffer(const void* buffer, std::int32_t byteCount) {
    const std::int32_t n = byteCount / 4;
    SetCount(n);
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    for (std::int32_t i = 0; i < n; ++i) {
        TObjectHandle h;
        std::memcpy(&h, bytes + 4 * i, 4);
        Items[i] = HandleObject(h);
    }
}

void TList::Delete(std::int32_t index) {
    REZ_ASSERT(index >= 0 && index < Count);
    std::memmove(Items + index, Items + index + 1, sizeof(void*) * (Count - index - 1));
    SetCount(Count - 1);
}

void TList::DeleteRange(std::int32_t index, std::int32_t n) {
    REZ_ASSERT(index >= 0 && n >= 0 && index + n <= Count);
    if (n == 0)
        return;
    std::memmove(Items + index, Items + index + n, sizeof(void*) * (Count - index - n));
    SetCount(Count - n);
}

void TList::DeleteLast() {
    REZ_ASSERT(Count > 0);
    SetCount(Count - 1);
}

void TList::Remove(void* item) {
    const std::int32_t i = IndexOf(item);
    if (i >= 0)
        Delete(i);
}

void TList::Pack() {
    std::int32_t kept = 0;
    for (std::int32_t i = 0; i < Count; ++i)
        if (Items[i] != nullptr)
            Items[kept++] = Items[i];
    SetCount(kept);
}

std::int32_t TList::IndexOf(const void* item) const {
    for (std::int32_t i = Count - 1; i >= 0; --i)
        if (Items[i] == item)
            return i;
    return -1;
}

static inline std::int32_t IntItem(void* p) {
    return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(p));
}

std::int32_t TList::IndexOfSortedInt(std::int32_t value) const {
    std::int32_t lo = 0, hi = Count - 1;
    while (lo <= hi) {
        const std::int32_t mid = (lo + hi) >> 1;
        const std::int32_t v = IntItem(Items[mid]);
        if (v == value)
            return mid;
        if (v < value)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    return -1;
}

void TList::Exchange(std::int32_t i, std::int32_t j) {
    REZ_ASSERT(i >= 0 && i < Count && j >= 0 && j < Count);
    void* t = Items[i];
    Items[i] = Items[j];
    Items[j] = t;
}

void TList::Move(std::int32_t curIndex, std::int32_t newIndex) {
    if (curIndex == newIndex)
        return;
    void* item = Item(curIndex);
    Delete(curIndex);
    Insert(newIndex, item);
}

void TList::SortAsIntegers() {
    Sort([](TList* list, std::int32_t i, std::int32_t j) {
        const std::int32_t a = IntItem(list->Items[i]), b = IntItem(list->Items[j]);
        return a < b ? -1 : (a > b ? 1 : 0);
    });
}

void TList::DeleteAndFreeMem(std::int32_t index) {
    void* block = Item(index);
    Delete(index);
    Platform::HeapFree(block);
}

void TList::FreeMemItems() {
    for (std::int32_t i = Count - 1; i >= 0; --i)
        Platform::HeapFree(Items[i]);
    SetCount(0);
}

void TList::FreeWithMemItems(TList* list) {
    if (list == nullptr)
        return;
    list->FreeMemItems();
    delete list;
}
