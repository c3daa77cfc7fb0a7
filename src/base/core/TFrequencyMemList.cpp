#include "base/core/TFrequencyMemList.h"

#include <cstring>

#include "base/core/TList.h"
#include "platform/Heap.h"

namespace {

void* WeightItem(std::int32_t weight) {
    return reinterpret_cast<void*>(static_cast<std::intptr_t>(weight));
}

std::int32_t ItemWeight(void* item) {
    return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(item));
}

}  // namespace

TFrequencyMemList::TFrequencyMemList(std::int32_t recordSize)
    : Records(TList::Acquire()), Weights(TList::Acquire()), RecordSize(recordSize) {}

TFrequencyMemList::~TFrequencyMemList() {
    Records->FreeMemItems();
    TList::Release(Records);
    TList::Release(Weights);
}

std::int32_t TFrequencyMemList::IndexOf(const void* record) const {
    for (std::int32_t i = Records->Count - 1; i >= 0; --i)
        if (std::memcmp(Records->Items[i], record, static_cast<std::size_t>(RecordSize)) == 0)
            return i;
    return -1;
}

void TFrequencyMemList::Add(const void* record, std::int32_t weight) {
    const std::int32_t i = IndexOf(record);
    if (i >= 0) {
        const std::int32_t total = ItemWeight(Weights->Items[i]) + weight;
        Weights->Items[i] = WeightItem(total);
        if (total > MaxWeight) {
            MaxWeight = total;
            MaxIndex = i;
        }
        return;
    }
    if (weight > MaxWeight) {
        MaxWeight = weight;
        MaxIndex = Records->Count;
    }
    void* copy = Platform::HeapAlloc(static_cast<std::size_t>(RecordSize));
    std::memcpy(copy, record, static_cast<std::size_t>(RecordSize));
    Records->Add(copy);
    Weights->Add(WeightItem(weight));
}

std::int32_t TFrequencyMemList::Count() const {
    return Records->Count;
}

const void* TFrequencyMemList::Record(std::int32_t index) const {
    return Records->Item(index);
}

std::int32_t TFrequencyMemList::Weight(std::int32_t index) const {
    return ItemWeight(Weights->Item(index));
}
