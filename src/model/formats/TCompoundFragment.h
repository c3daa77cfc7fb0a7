#pragma once

#include <cstdint>

#include "base/core/Checks.h"
#include "base/core/TMemory.h"
#include "model/formats/TTextPos.h"

// An ordered set of ranges: the document selection, which may hold several
// ranges at once, and every other multi-range set (locked, found, changed
// and highlighted ranges, the ranges of an operation or an undo step).
//
// The ranges are stored as consecutive 32-byte TFragment records in the
// buffer. The set never holds zero records: an empty set is one empty
// fragment. Sets are made and dropped constantly, so they come from a
// process-wide pool (NewCompoundFragment / ReleaseCompoundFragment).
class TCompoundFragment : public TMemory {
public:
    TCompoundFragment();  // one zeroed fragment

    // Copies the records and, from another set, the flag; the current
    // fragment becomes the last. A plain buffer contributes its whole
    // records only (none at all gives one zeroed fragment).
    void Assign(const TMemory& source) override;

    std::int32_t Count() const { return Size / static_cast<std::int32_t>(sizeof(TFragment)); }
    void SetCount(std::int32_t n);  // new records are zeroed; current = last
    TFragment& Fragment(std::int32_t i) const {
        REZ_ASSERT(i >= 0 && i < Count());
        return reinterpret_cast<TFragment*>(Data)[i];
    }
    TFragment& Current() const { return Fragment(CurrentIndex); }

    void Reset();
    void SetSingle(std::int32_t startPar, std::int32_t startOffset, std::int32_t endPar, std::int32_t endOffset);
    void Append(const TCompoundFragment& other);
    void Insert(std::int32_t i, const TFragment& fragment);
    void Delete(std::int32_t i);

    // From the start of the first fragment to the end of the current one.
    void GetSpan(TFragment& span) const;
    // The highest index whose fragment contains the given one, or -1.
    std::int32_t IndexOfContaining(const TFragment& fragment) const;
    bool Covers(const TCompoundFragment& other) const;
    bool Equals(const TCompoundFragment& other) const;

    // Sorts, merges overlapping and touching fragments and drops empty ones
    // (keeping one when all are empty).
    void Normalize();
    // Removes the ranges of other from this set, then normalises.
    void Subtract(const TCompoundFragment& other);

    // Follow an edit: within one paragraph oldLength characters at pos were
    // replaced by newLength characters.
    void AdjustForReplace(const TTextPos& pos, std::int32_t oldLength, std::int32_t newLength);
    // Follow an edit: the range deleted was removed, then the range inserted
    // was inserted.
    void AdjustForEdit(const TFragment& deleted, const TFragment& inserted);

    std::uint8_t Flag = 0;  // meaning chosen by the owner of the set
    // The record that "current" refers to. An index rather than a pointer,
    // so that it survives the buffer moving when it grows.
    std::int32_t CurrentIndex = 0;
};

// True for nil and for a set holding exactly one empty fragment.
bool IsEmptyCompoundFragment(const TCompoundFragment* set);

// The pool. NewCompoundFragment gives a set of one zeroed fragment with its
// flag cleared; ReleaseCompoundFragment takes it back (or destroys it while
// the heap holds more than PoolHeapLimit bytes). CloneCompoundFragment is a
// pooled copy.
TCompoundFragment* NewCompoundFragment();
void ReleaseCompoundFragment(TCompoundFragment* set);
TCompoundFragment* CloneCompoundFragment(const TCompoundFragment& set);

// Destroys every pooled set and shrinks the pool (the memory trim).
void EmptyCompoundFragmentPool();
// Pool state, for tests and diagnostics.
std::int32_t CompoundFragmentPoolSlotCount();
std::int32_t CompoundFragmentPoolPooledCount();
