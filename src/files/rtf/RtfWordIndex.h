#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "files/rtf/RtfControlWords.h"

// The look-up structures over RtfControlWords. A one- or two-letter word
// costs one table access; a longer word scans the short run of table words
// that share its first two letters, comparing lengths before letters. There
// is no hashing and nothing is allocated. The index is built at compile time
// from the table, so it is there before any document is read.
struct TRtfWordIndex {
    static constexpr std::int16_t None = -1;

    struct TTwoLetterEntry {
        std::int16_t Word = None;   // the two-letter word itself
        std::int16_t First = None;  // the first and last word of three or more
        std::int16_t Last = None;   // letters that begins with these two
    };

    // Indexed by the letter's byte; only the lower-case letters can hold a
    // word.
    std::array<std::int16_t, 256> OneLetter{};
    // Indexed by (first - 'a') * 26 + (second - 'a').
    std::array<TTwoLetterEntry, 26 * 26> TwoLetter{};
    // The length of every word; the writer copies words by it.
    std::array<std::uint8_t, RtfControlWordCount> Length{};
};

constexpr TRtfWordIndex BuildRtfWordIndex() {
    TRtfWordIndex index;
    index.OneLetter.fill(TRtfWordIndex::None);
    for (int i = 0; i < RtfControlWordCount; ++i) {
        const std::string_view word = RtfControlWords[i];
        const auto n = static_cast<std::int16_t>(i);
        index.Length[i] = static_cast<std::uint8_t>(word.size());
        if (word.size() == 1) {
            index.OneLetter[static_cast<std::uint8_t>(word[0])] = n;
            continue;
        }
        // Digits never stand in the first two places (see the table's
        // checks), so every prefix of two lies in the 26 x 26 table.
        TRtfWordIndex::TTwoLetterEntry& entry = index.TwoLetter[(word[0] - 'a') * 26 + (word[1] - 'a')];
        if (word.size() == 2) {
            entry.Word = n;
        } else {
            if (entry.First == TRtfWordIndex::None)
                entry.First = n;
            entry.Last = n;
        }
    }
    return index;
}

inline constexpr TRtfWordIndex RtfWordIndex = BuildRtfWordIndex();

// The index of the word whose count letters (already lower case) start at
// letters, or RtfUnknownWord.
int LookupRtfWord(const std::uint8_t* letters, std::size_t count);
