#pragma once

#include <cstdint>

#include "base/core/TList.h"
#include "model/undo/TSubOperation.h"

class TPar;

// Sorts the paragraphs first .. last by their text. The first call sorts
// and logs every exchange; each later call replays the log, which is
// reversed after every call, so undo and redo alternate.
class TSortParsOperation : public TSubOperation {
public:
    TSortParsOperation(TDoc* doc, std::int32_t first, std::int32_t last, bool descending)
        : TSubOperation(doc), First(first), Last(last), Descending(descending ? 1 : 0) {}
    void Undo() override;

    // Whether two adjacent paragraphs of the range have the same text.
    bool HasDuplicates() const;

    TList Log;  // pairs of paragraph indices, one pair an exchange
    std::int32_t First = 0;
    std::int32_t Last = 0;
    std::uint8_t Descending = 0;
    std::uint8_t Done = 0;

private:
    void Exchange(std::int32_t i, std::int32_t j);
};

// The order of two paragraphs for sorting: their text under the system's
// default locale, then the shorter first. Always a sign (-1, 0 or 1), so
// that the order is consistent whichever paragraph comes first.
int CompareParagraphText(const TPar& a, const TPar& b);
