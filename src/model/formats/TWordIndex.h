#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/core/TMemory.h"

// One entry of a paragraph's word index, in the order of the records.
#pragma pack(push, 1)
struct TWordIndexRecord {
    std::int32_t Par;    // paragraph index
    std::int32_t Start;  // first character
    std::int32_t End;    // after the last character
    std::uint8_t IsNumber;
    std::uint8_t IsPhrase;
    std::uint8_t Reserved;
};
#pragma pack(pop)

static_assert(sizeof(TWordIndexRecord) == 15);

// A key with its object, as the word statistics read them.
struct TWordIndexItem {
    std::string Key;  // the word or phrase as the document compares it
    std::int32_t Object = 0;
};

// The words and phrases of one paragraph for the word statistics (the
// overused-words window). Entries holds each word and phrase with its
// sentence number, in the order of sentence and start; Records holds one
// record per entry in the same order; Sorted holds the entries sorted by
// key, each with its index in Entries.
struct TWordIndex {
    std::int32_t Count() const { return static_cast<std::int32_t>(Entries.size()); }
    const TWordIndexRecord& Record(std::int32_t i) const {
        return reinterpret_cast<const TWordIndexRecord*>(Records.Data)[i];
    }
    TWordIndexRecord& Record(std::int32_t i) { return reinterpret_cast<TWordIndexRecord*>(Records.Data)[i]; }

    std::vector<TWordIndexItem> Entries;
    std::vector<TWordIndexItem> Sorted;
    TMemory Records;
};
