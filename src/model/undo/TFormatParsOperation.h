#pragma once

#include <cstdint>

#include "base/core/TMemory.h"
#include "model/undo/TSubOperation.h"

struct TParFormat;

// Paragraph properties of any number of paragraphs. Changes is a sequence
// of records: paragraph index (32-bit), count n (byte), then n pairs of
// property number (byte) and value (32-bit). Every call exchanges the
// stored values with the paragraphs' own, so undo and redo are the same.
class TFormatParsOperation : public TSubOperation {
public:
    explicit TFormatParsOperation(TDoc* doc) : TSubOperation(doc) {}

    // Records the properties that format sets and the paragraph does not
    // have yet; false when there is none.
    bool AddChange(std::int32_t par, const TParFormat& format);
    bool Empty() const { return Changes.Size == 0; }

    void Undo() override;

    TMemory Changes;
};
