#include "model/formats/TCompoundFragment.h"

#include <cstring>
#include <vector>

#include "base/core/TList.h"

namespace {

constexpr std::int32_t RecordSize = sizeof(TFragment);

// Pooled sets whose buffer grew beyond this give it back on release.
constexpr std::int32_t PooledBufferLimit = 256;

struct TFragmentPool {
    TList Slots;
    std::int32_t Pooled = 0;
    TFragmentPool() { Slots.SetCount(16384); }
};

TFragmentPool& Pool() {
    // Never destroyed: sets may be released by static destructors that run
    // after this unit's.
    static TFragmentPool* pool = new TFragmentPool;
    return *pool;
}

int CompareFragments(const TFragment& a, const TFragment& b) {
    const int c = CompareTextPos(a.Start, b.Start);
    return c != 0 ? c : CompareTextPos(a.End, b.End);
}

// Moves one fragment end back over a deletion.
void AdjustForDeletion(TTextPos& pos, const TFragment& deleted) {
    if (PosInFragment(pos, deleted)) {
        pos = deleted.Start;
        return;
    }
    if (CompareTextPos(pos, deleted.End) < 0)
        return;
    if (pos.Par == deleted.End.Par)
        pos.Offset = pos.Offset - deleted.End.Offset + deleted.Start.Offset;
    pos.Par -= deleted.End.Par - deleted.Start.Par;
}

void MoveForInsertion(TTextPos& pos, const TFragment& inserted) {
    if (pos.Par == inserted.Start.Par) {
        pos.Par = inserted.End.Par;
        pos.Offset += inserted.End.Offset - inserted.Start.Offset;
    } else {
        pos.Par += inserted.End.Par - inserted.Start.Par;
    }
}

}  // namespace

TCompoundFragment::TCompoundFragment() {
    Reset();
}

void TCompoundFragment::Assign(const TMemory& source) {
    if (&source == this)
        return;
    const std::int32_t whole = source.Size / RecordSize * RecordSize;
    if (whole == 0) {
        Reset();
    } else {
        AssignBuffer(source.Data, whole);
        CurrentIndex = Count() - 1;
    }
    if (const auto* set = dynamic_cast<const TCompoundFragment*>(&source))
        Flag = set->Flag;
}

void TCompoundFragment::SetCount(std::int32_t n) {
    // A set never has zero fragments.
    REZ_ASSERT(n >= 1);
    if (n < 1)
        n = 1;
    const std::int32_t old = Count();
    SetSize(n * RecordSize);
    if (n > old)
        std::memset(Data + old * RecordSize, 0, (n - old) * RecordSize);
    CurrentIndex = n - 1;
}

void TCompoundFragment::Reset() {
    SetSize(RecordSize);
    std::memset(Data, 0, RecordSize);
    CurrentIndex = 0;
    Flag = 0;
}

void TCompoundFragment::SetSingle(std::int32_t startPar,
                                  std::int32_t startOffset,
                                  std::int32_t endPar,
                                  std::int32_t endOffset) {
    Reset();
    MakeFragment(startPar, startOffset, endPar, endOffset, Fragment(0));
}

void TCompoundFragment::Append(const TCompoundFragment& other) {
    AppendBuffer(other.Data, other.Count() * RecordSize);
    CurrentIndex = Count() - 1;
}

void TCompoundFragment::Insert(std::int32_t i, const TFragment& fragment) {
    REZ_ASSERT(i >= 0 && i <= Count());
    InsertBuffer(&fragment, i * RecordSize, RecordSize);
    CurrentIndex = Count() - 1;
}

void TCompoundFragment::Delete(std::int32_t i) {
    REZ_ASSERT(i >= 0 && i < Count());
    if (Count() == 1) {
        // The last fragment cannot go: it collapses where it started.
        TFragment& only = Fragment(0);
        only.End = only.Start;
    } else {
        DeleteRange(i * RecordSize, RecordSize);
    }
    CurrentIndex = Count() - 1;
}

void TCompoundFragment::GetSpan(TFragment& span) const {
    const TTextPos start = Fragment(0).Start;
    span.End = Current().End;
    span.Start = start;
}

std::int32_t TCompoundFragment::IndexOfContaining(const TFragment& fragment) const {
    for (std::int32_t i = Count() - 1; i >= 0; --i) {
        const TFragment& f = Fragment(i);
        if (CompareTextPos(f.Start, fragment.Start) <= 0 && CompareTextPos(f.End, fragment.End) >= 0)
            return i;
    }
    return -1;
}

bool TCompoundFragment::Covers(const TCompoundFragment& other) const {
    for (std::int32_t i = 0; i < other.Count(); ++i)
        if (IndexOfContaining(other.Fragment(i)) < 0)
            return false;
    return true;
}

bool TCompoundFragment::Equals(const TCompoundFragment& other) const {
    if (Count() != other.Count())
        return false;
    for (std::int32_t i = 0; i < Count(); ++i)
        if (!FragmentsEqual(Fragment(i), other.Fragment(i)))
            return false;
    return true;
}

void TCompoundFragment::Normalize() {
    const std::int32_t n = Count();
    if (n > 1) {
        QuickSortByIndex(
            0, n - 1,
            [this](std::int32_t i, std::int32_t j) {
                const TFragment t = Fragment(i);
                Fragment(i) = Fragment(j);
                Fragment(j) = t;
            },
            [this](std::int32_t i, std::int32_t j) { return CompareFragments(Fragment(i), Fragment(j)); });
    }
    // Merge: touching fragments merge too.
    for (std::int32_t i = 0; i < Count(); ++i) {
        while (i + 1 < Count() && CompareTextPos(Fragment(i + 1).Start, Fragment(i).End) <= 0) {
            if (CompareTextPos(Fragment(i + 1).End, Fragment(i).End) > 0)
                Fragment(i).End = Fragment(i + 1).End;
            DeleteRange((i + 1) * RecordSize, RecordSize);
        }
    }
    for (std::int32_t i = Count() - 1; i >= 0 && Count() > 1; --i)
        if (FragmentIsEmpty(Fragment(i)))
            DeleteRange(i * RecordSize, RecordSize);
    CurrentIndex = Count() - 1;
}

void TCompoundFragment::Subtract(const TCompoundFragment& other) {
    // Take the other set's ranges first: it may be this very set.
    std::vector<TFragment> cut(other.Count());
    for (std::int32_t i = 0; i < other.Count(); ++i)
        cut[i] = other.Fragment(i);
    for (std::int32_t o = static_cast<std::int32_t>(cut.size()) - 1; o >= 0; --o) {
        for (std::int32_t p = Count() - 1; p >= 0; --p) {
            TFragment overlap;
            if (!IntersectFragments(&overlap, cut[o], Fragment(p)))
                continue;
            TFragment& target = Fragment(p);
            const bool startsInside = CompareTextPos(overlap.Start, target.Start) > 0;
            const bool endsInside = CompareTextPos(overlap.End, target.End) < 0;
            if (startsInside && endsInside) {
                TFragment tail;
                tail.Start = overlap.End;
                tail.End = target.End;
                target.End = overlap.Start;
                AppendBuffer(&tail, RecordSize);  // may move the buffer: target is not used again
            } else if (startsInside) {
                target.End = overlap.Start;
            } else {
                // A fragment covered entirely becomes empty.
                target.Start = overlap.End;
            }
        }
    }
    CurrentIndex = Count() - 1;
    Normalize();
}

void TCompoundFragment::AdjustForReplace(const TTextPos& pos, std::int32_t oldLength, std::int32_t newLength) {
    if (oldLength == newLength)
        return;
    const std::int32_t replacedEnd = pos.Offset + oldLength;
    const std::int32_t lastNew = pos.Offset + (newLength - 1 > 0 ? newLength - 1 : 0);
    auto adjust = [&](TTextPos& end) {
        if (end.Par != pos.Par || end.Offset <= pos.Offset)
            return;
        if (end.Offset < replacedEnd) {
            if (end.Offset > lastNew)
                end.Offset = lastNew;
        } else {
            end.Offset += newLength - oldLength;
        }
    };
    for (std::int32_t i = 0; i < Count(); ++i) {
        adjust(Fragment(i).Start);
        adjust(Fragment(i).End);
    }
    Normalize();
}

void TCompoundFragment::AdjustForEdit(const TFragment& deleted, const TFragment& inserted) {
    if (FragmentsEqual(deleted, inserted))
        return;
    const TFragment d = deleted, ins = inserted;  // either may lie inside this buffer
    for (std::int32_t i = 0; i < Count(); ++i) {
        TFragment& f = Fragment(i);
        AdjustForDeletion(f.Start, d);
        AdjustForDeletion(f.End, d);
        // A start at the insertion point stays before the new text, an end
        // there moves behind it.
        if (CompareTextPos(f.Start, ins.Start) > 0)
            MoveForInsertion(f.Start, ins);
        if (CompareTextPos(f.End, ins.Start) >= 0)
            MoveForInsertion(f.End, ins);
    }
}

bool IsEmptyCompoundFragment(const TCompoundFragment* set) {
    return set == nullptr || (set->Count() == 1 && FragmentIsEmpty(set->Fragment(0)));
}

TCompoundFragment* NewCompoundFragment() {
    TFragmentPool& pool = Pool();
    if (pool.Pooled == 0)
        return new TCompoundFragment;
    --pool.Pooled;
    auto* set = static_cast<TCompoundFragment*>(pool.Slots.Items[pool.Pooled]);
    set->Reset();
    return set;
}

void ReleaseCompoundFragment(TCompoundFragment* set) {
    if (set == nullptr)
        return;
    if (AllocatedHeapBytes() > PoolHeapLimit) {
        delete set;
        return;
    }
    if (set->Capacity > PooledBufferLimit)
        set->Clear();
    TFragmentPool& pool = Pool();
    if (pool.Pooled >= pool.Slots.Count)
        pool.Slots.SetCount(pool.Slots.Count > 0 ? pool.Slots.Count * 2 : 32);
    pool.Slots.Items[pool.Pooled++] = set;
}

TCompoundFragment* CloneCompoundFragment(const TCompoundFragment& set) {
    TCompoundFragment* copy = NewCompoundFragment();
    copy->Assign(set);
    return copy;
}

void EmptyCompoundFragmentPool() {
    TFragmentPool& pool = Pool();
    for (std::int32_t i = pool.Pooled - 1; i >= 0; --i)
        delete static_cast<TCompoundFragment*>(pool.Slots.Items[i]);
    pool.Pooled = 0;
    pool.Slots.SetCount(32);
}

std::int32_t CompoundFragmentPoolSlotCount() {
    return Pool().Slots.Count;
}

std::int32_t CompoundFragmentPoolPooledCount() {
    return Pool().Pooled;
}
