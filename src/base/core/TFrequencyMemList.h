#pragma once

#include <cstdint>

class TList;

// Counts how often each fixed-size record occurs, with a weight per
// occurrence, and keeps track of the heaviest one. The eBook and web-page
// writers use it to find the most frequent formatting record.
class TFrequencyMemList {
public:
    explicit TFrequencyMemList(std::int32_t recordSize);
    TFrequencyMemList(const TFrequencyMemList&) = delete;
    TFrequencyMemList& operator=(const TFrequencyMemList&) = delete;
    ~TFrequencyMemList();

    // Adds weight to the record's total, copying the record on its first
    // appearance.
    void Add(const void* record, std::int32_t weight);
    // The record's index (records compared byte by byte), -1 when absent.
    std::int32_t IndexOf(const void* record) const;

    std::int32_t Count() const;
    const void* Record(std::int32_t index) const;
    std::int32_t Weight(std::int32_t index) const;

    TList* Records = nullptr;
    TList* Weights = nullptr;
    std::int32_t RecordSize = 0;
    std::int32_t MaxWeight = 0;
    std::int32_t MaxIndex = 0;
};
