#pragma once

#include <cstdint>

#include "model/formats/TTextPos.h"

class TDoc;

// Character classes of smart spacing.
enum : std::uint8_t { scSpace = 0, scOpening = 1, scClosing = 2, scWord = 3 };

// What surrounds a position: the classes of the characters before and
// after it, and whether the one after opens, closes or does neither.
struct TSpacingContext {
    std::uint8_t Before = scOpening;
    std::uint8_t After = scClosing;
    std::uint8_t OpenAfter = 0;
    std::uint8_t CloseAfter = 0;
    std::uint8_t PlainAfter = 0;
};

// Spaces smart spacing removed before and after a position, and whether it
// inserted one there.
struct TSmartSpaceResult {
    std::int32_t RemovedBefore = 0;
    std::int32_t RemovedAfter = 0;
    std::int32_t Inserted = 0;
};

// The separator sets of the language's AutoCorrect options: a byte is an
// opening (Opening[b]) or closing (Closing[b]) separator. The AutoCorrect
// manager installs the user's; the plain sets hold the usual punctuation.
struct TSeparatorSets {
    bool Opening[256] = {};
    bool Closing[256] = {};
    std::uint8_t QuoteStyle = 0;  // 2: the opening double quote acts as closing; 3: guillemets exchanged
};
using TSeparatorSetsOf = const TSeparatorSets& (*)(TDoc& doc, std::int32_t language);
void SetSeparatorSetsSource(TSeparatorSetsOf source);
const TSeparatorSets& PlainSeparatorSets();

void ClassifySpacing(TDoc& doc, std::int32_t par, std::int32_t offset, TSpacingContext& context);
// Leaves exactly the spacing two words need at pos: inserts one space
// between two words that touch, removes surplus ordinary spaces.
void AdjustSmartSpaces(TDoc& doc, const TTextPos& pos, TSmartSpaceResult& result);
