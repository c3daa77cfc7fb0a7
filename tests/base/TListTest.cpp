#include "base/core/TList.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "base/core/ObjectHandles.h"
#include "platform/Heap.h"

namespace {

void* P(std::intptr_t v) {
    return reinterpret_cast<void*>(v);
}

// Restores the real heap count even when a test fails half-way.
struct THeapOverride {
    explicit THeapOverride(std::int64_t bytes) { Platform::SetAllocatedHeapBytesOverride(bytes); }
    ~THeapOverride() { Platform::SetAllocatedHeapBytesOverride(-1); }
};

TEST(TListTest, AddGrowsCapacityInTheDocumentedSequence) {
    TList list;
    std::vector<std::int32_t> seen;
    for (int i = 0; i < 428; ++i) {
        const std::int32_t before = list.Capacity;
        list.Add(P(i + 1));
        if (list.Capacity != before)
            seen.push_back(list.Capacity);
    }
    const std::vector<std::int32_t> expected = {1,  2,  3,   4,   5,   9,   25,  41,  57,
                                                73, 91, 113, 141, 176, 220, 275, 343, 428};
    EXPECT_EQ(seen, expected);
    for (int i = 0; i < 428; ++i)
        ASSERT_EQ(list.Items[i], P(i + 1));
}

TEST(TListTest, FirstHeapArrayIsExactAndSurvivesShrinkingToFour) {
    TList list;
    for (int i = 0; i < 5; ++i)
        list.Add(P(i));
    EXPECT_EQ(list.Capacity, 5);
    list.Add(P(5));
    EXPECT_EQ(list.Capacity, 9);
    while (list.Count > 4)
        list.DeleteLast();
    EXPECT_EQ(list.Capacity, 9);
    EXPECT_EQ(list.Item(3), P(3));
    list.SetCapacity(4);  // back inline, items kept
    EXPECT_EQ(list.Capacity, 4);
    EXPECT_EQ(list.Item(0), P(0));
    EXPECT_EQ(list.Item(3), P(3));
}

TEST(TListTest, SetCountShrinksOnlyLargeArraysByAQuarter) {
    struct Case {
        std::int32_t capacity, newCount, expectedCapacity;
    };
    const Case cases[] = {
        {40, 30, 30},  // 30 <= 40 - 10: shrink to exactly 30
        {40, 31, 40},  // not a quarter below: kept
        {32, 0, 32},   // 32 or less never shrinks through SetCount
        {32, 1, 32},  {64, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.capacity * 100 + c.newCount);
        TList list;
        list.SetCapacity(c.capacity);
        list.SetCount(c.capacity);
        list.SetCount(c.newCount);
        EXPECT_EQ(list.Capacity, c.expectedCapacity);
    }
    TList list;
    list.SetCapacity(20);
    list.Clear();
    EXPECT_EQ(list.Capacity, 0);
}

TEST(TListTest, InsertDeleteMoveAndGapKeepOrder) {
    TList list;
    for (int i = 0; i < 6; ++i)
        list.Add(P(10 + i));  // 10 11 12 13 14 15
    list.Insert(0, P(9));     // 9 10 11 12 13 14 15
    list.Delete(3);           // 9 10 11 13 14 15
    list.Move(0, 5);          // 10 11 13 14 15 9
    list.InsertGap(2, 2);
    list.Items[2] = P(1);
    list.Items[3] = P(2);    // 10 11 1 2 13 14 15 9
    list.DeleteRange(5, 2);  // 10 11 1 2 13 9
    std::vector<void*> got(list.Items, list.Items + list.Count);
    EXPECT_EQ(got, (std::vector<void*>{P(10), P(11), P(1), P(2), P(13), P(9)}));

    list.Items[1] = nullptr;
    list.Items[4] = nullptr;
    list.Pack();
    got.assign(list.Items, list.Items + list.Count);
    EXPECT_EQ(got, (std::vector<void*>{P(10), P(1), P(2), P(9)}));
}

TEST(TListTest, IndexOfFindsTheLastOccurrenceAndRemoveDeletesIt) {
    TList list;
    for (int i = 0; i < 9; ++i)
        list.Add(P(100 + i));
    list.Items[2] = P(7);
    list.Items[7] = P(7);
    EXPECT_EQ(list.IndexOf(P(7)), 7);
    list.Remove(P(7));
    EXPECT_EQ(list.Count, 8);
    EXPECT_EQ(list.IndexOf(P(7)), 2);
    EXPECT_EQ(list.IndexOf(P(12345)), -1);
    list.Remove(P(12345));  // absent: nothing happens
    EXPECT_EQ(list.Count, 8);
    TList empty;
    EXPECT_EQ(empty.IndexOf(nullptr), -1);
}

TEST(TListTest, SortedIntegerSearch) {
    TList list;
    EXPECT_EQ(list.IndexOfSortedInt(3), -1);
    for (int v : {40, -7, 3, 12, 3, 100})
        list.Add(P(v));
    list.SortAsIntegers();
    std::vector<std::intptr_t> got;
    for (int i = 0; i < list.Count; ++i)
        got.push_back(static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(list.Items[i])));
    EXPECT_EQ(got, (std::vector<std::intptr_t>{-7, 3, 3, 12, 40, 100}));
    EXPECT_EQ(list.IndexOfSortedInt(-7), 0);
    EXPECT_EQ(list.IndexOfSortedInt(100), 5);
    EXPECT_EQ(list.IndexOfSortedInt(13), -1);
    const std::int32_t at3 = list.IndexOfSortedInt(3);
    EXPECT_TRUE(at3 == 1 || at3 == 2);
}

TEST(TListTest, QuickSortByIndexEdgeRangesAndRandomData) {
    int compares = 0, exchanges = 0;
    std::vector<int> v = {5, 2};
    auto cmp = [&](int i, int j) {
        ++compares;
        return v[i] - v[j];
    };
    auto exch = [&](int i, int j) {
        ++exchanges;
        std::swap(v[i], v[j]);
    };
    QuickSortByIndex(0, 1, exch, cmp);
    EXPECT_EQ(compares, 1);
    EXPECT_EQ(exchanges, 1);
    EXPECT_EQ(v, (std::vector<int>{2, 5}));
    compares = exchanges = 0;
    QuickSortByIndex(1, 1, exch, cmp);
    QuickSortByIndex(1, 0, exch, cmp);
    EXPECT_EQ(compares, 0);
    EXPECT_EQ(exchanges, 0);

    std::uint32_t seed = 12345;
    for (int round = 0; round < 50; ++round) {
        v.resize(1 + round * 7);
        for (int& x : v) {
            seed = seed * 1103515245u + 12345u;
            x = static_cast<int>((seed >> 16) % 50);  // many duplicates
        }
        QuickSortByIndex(0, static_cast<int>(v.size()) - 1, exch, cmp);
        ASSERT_TRUE(std::is_sorted(v.begin(), v.end())) << "round " << round;
    }
}

TEST(TListTest, AssignAddListAndHandleBuffer) {
    TList a, b;
    a.Add(P(1));
    a.Add(P(2));
    b.Assign(a);
    b.AddList(a);
    EXPECT_EQ(b.Count, 4);
    EXPECT_EQ(b.Item(3), P(2));

    int x = 0, y = 0;
    const TObjectHandle handles[3] = {ObjectHandle(&x), 0, ObjectHandle(&y)};
    TList c;
    c.AssignBuffer(handles, sizeof(handles) + 2);  // the odd bytes are ignored
    ASSERT_EQ(c.Count, 3);
    EXPECT_EQ(c.Item(0), &x);
    EXPECT_EQ(c.Item(1), nullptr);
    EXPECT_EQ(c.Item(2), &y);
    ReleaseObjectHandle(&x);
    ReleaseObjectHandle(&y);
}

struct TCounted {
    explicit TCounted(int* counter) : Counter(counter) {}
    virtual ~TCounted() { ++*Counter; }
    int* Counter;
};

TEST(TListTest, FreeOperationsDestroyTheirItems) {
    int destroyed = 0;
    TList list;
    for (int i = 0; i < 6; ++i)
        list.Add(new TCounted(&destroyed));
    list.DeleteAndFree<TCounted>(0);
    EXPECT_EQ(destroyed, 1);
    list.FreeRange<TCounted>(1, 0);
    EXPECT_EQ(destroyed, 1);
    list.FreeRange<TCounted>(1, 2);
    EXPECT_EQ(destroyed, 3);
    EXPECT_EQ(list.Count, 3);
    list.FreeItems<TCounted>();
    EXPECT_EQ(destroyed, 6);
    EXPECT_EQ(list.Count, 0);

    auto* owned = new TList;
    owned->Add(new TCounted(&destroyed));
    TList::FreeWithItems<TCounted>(owned);
    TList::FreeWithItems<TCounted>(nullptr);
    EXPECT_EQ(destroyed, 7);

    auto* blocks = new TList;
    blocks->Add(Platform::HeapAlloc(10));
    blocks->Add(Platform::HeapAlloc(20));
    blocks->DeleteAndFreeMem(0);
    TList::FreeWithMemItems(blocks);
}

class TListPoolTest : public ::testing::Test {
protected:
    void SetUp() override { EmptyListPool(); }
    void TearDown() override { EmptyListPool(); }
};

TEST_F(TListPoolTest, ReleasedListComesBackWithItsSmallStorage) {
    TList* fresh = TList::Acquire();
    EXPECT_EQ(fresh->Capacity, 0);
    EXPECT_EQ(fresh->Count, 0);
    for (int i = 0; i < 5; ++i)
        fresh->Add(P(i));
    TList::Release(fresh);
    TList* again = TList::Acquire();
    EXPECT_EQ(again, fresh);
    EXPECT_EQ(again->Count, 0);
    EXPECT_EQ(again->Capacity, 5);
    TList::Release(again);
}

TEST_F(TListPoolTest, LargeArraysAreFreedOnRelease) {
    TList* list = TList::Acquire();
    for (int i = 0; i < 10; ++i)
        list->Add(P(i));
    ASSERT_GT(list->Capacity, 8);
    TList::Release(list);
    TList* again = TList::Acquire();
    EXPECT_EQ(again, list);
    EXPECT_EQ(again->Capacity, 0);
    TList::Release(again);
}

TEST_F(TListPoolTest, SlotListDoublesWhenFullAndEmptyingLeaves32Slots) {
    // After EmptyListPool the slot list has 32 slots; fill past it.
    std::vector<TList*> lists;
    for (int i = 0; i < 33; ++i)
        lists.push_back(new TList);
    for (TList* l : lists)
        TList::Release(l);
    EXPECT_EQ(ListPoolPooledCount(), 33);
    EXPECT_EQ(ListPoolSlotCount(), 64);
    EmptyListPool();
    EXPECT_EQ(ListPoolSlotCount(), 32);
    EXPECT_EQ(ListPoolPooledCount(), 0);
}

TEST_F(TListPoolTest, OverTheHeapLimitReleaseDestroys) {
    THeapOverride over(PoolHeapLimit + 1);
    TList* list = TList::Acquire();
    TList::Release(list);
    EXPECT_EQ(ListPoolPooledCount(), 0);
}

TEST(TListHeapTest, HeapCountFollowsAllocations) {
    const std::int64_t before = AllocatedHeapBytes();
    void* block = Platform::HeapAlloc(1 << 20);
    EXPECT_GE(AllocatedHeapBytes() - before, 1 << 20);
    Platform::HeapFree(block);
    EXPECT_LT(AllocatedHeapBytes() - before, 1 << 20);
}

#if defined(REZ_CHECKS) && REZ_CHECKS
TEST(TListDeathTest, CheckedBuildsStopAtABadIndex) {
    TList list;
    list.Add(P(1));
    EXPECT_DEATH(list.Item(1), "check failed");
    EXPECT_DEATH(list.Delete(5), "check failed");
}
#endif

}  // namespace
