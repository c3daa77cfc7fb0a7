#include "model/formats/TCompoundFragment.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/core/TList.h"
#include "platform/Heap.h"

namespace {

struct TRange {
    std::int32_t sp, so, ep, eo;
};

TFragment Frag(const TRange& r) {
    TFragment f;
    MakeFragment(r.sp, r.so, r.ep, r.eo, f);
    return f;
}

void Fill(TCompoundFragment& set, const std::vector<TRange>& ranges) {
    set.SetCount(static_cast<std::int32_t>(ranges.size()));
    for (std::size_t i = 0; i < ranges.size(); ++i)
        set.Fragment(static_cast<std::int32_t>(i)) = Frag(ranges[i]);
}

std::string Str(const TCompoundFragment& set) {
    std::string s;
    for (std::int32_t i = 0; i < set.Count(); ++i) {
        const TFragment& f = set.Fragment(i);
        if (!s.empty())
            s += " ";
        char text[64];
        std::snprintf(text, sizeof text, "(%d,%d)-(%d,%d)", f.Start.Par, f.Start.Offset, f.End.Par, f.End.Offset);
        s += text;
    }
    return s;
}

struct THeapOverride {
    explicit THeapOverride(std::int64_t bytes) { Platform::SetAllocatedHeapBytesOverride(bytes); }
    ~THeapOverride() { Platform::SetAllocatedHeapBytesOverride(-1); }
};

TEST(CompoundFragmentTest, NormalizeSortsMergesAndDropsEmptyFragments) {
    struct Case {
        const char* name;
        std::vector<TRange> input;
        const char* expected;
    };
    const Case cases[] = {
        {"touching ranges merge, stray caret goes", {{0, 5, 0, 9}, {0, 0, 0, 5}, {2, 0, 2, 0}}, "(0,0)-(0,9)"},
        {"all empty keep one", {{0, 3, 0, 3}, {1, 0, 1, 0}}, "(0,3)-(0,3)"},
        {"apart ranges are sorted", {{3, 0, 3, 1}, {0, 2, 1, 0}}, "(0,2)-(1,0) (3,0)-(3,1)"},
        {"a range inside another disappears", {{0, 0, 4, 0}, {1, 1, 1, 5}, {2, 0, 5, 0}}, "(0,0)-(5,0)"},
        {"a chain of overlaps", {{0, 8, 0, 12}, {0, 0, 0, 4}, {0, 3, 0, 9}}, "(0,0)-(0,12)"},
        {"equal starts keep the longer", {{0, 1, 0, 2}, {0, 1, 0, 7}}, "(0,1)-(0,7)"},
        {"an empty one between ranges goes", {{0, 0, 0, 1}, {0, 3, 0, 3}, {0, 5, 0, 6}}, "(0,0)-(0,1) (0,5)-(0,6)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TCompoundFragment set;
        Fill(set, c.input);
        set.Normalize();
        EXPECT_EQ(Str(set), c.expected);
        EXPECT_EQ(set.CurrentIndex, set.Count() - 1);
    }
}

TEST(CompoundFragmentTest, SubtractCutsSplitsAndEmpties) {
    struct Case {
        const char* name;
        std::vector<TRange> from, cut;
        const char* expected;
    };
    const Case cases[] = {
        {"a hole in the middle", {{0, 0, 0, 10}}, {{0, 3, 0, 6}}, "(0,0)-(0,3) (0,6)-(0,10)"},
        {"everything", {{0, 0, 0, 10}}, {{0, 0, 0, 10}}, "(0,10)-(0,10)"},
        {"more than everything", {{0, 2, 0, 4}}, {{0, 0, 1, 0}}, "(0,4)-(0,4)"},
        {"the tail", {{0, 0, 0, 10}}, {{0, 6, 2, 0}}, "(0,0)-(0,6)"},
        {"the head", {{0, 0, 0, 10}}, {{0, 0, 0, 4}}, "(0,4)-(0,10)"},
        {"only touching", {{0, 0, 0, 5}}, {{0, 5, 0, 9}}, "(0,0)-(0,5)"},
        {"two holes in one range",
         {{0, 0, 0, 20}},
         {{0, 2, 0, 4}, {0, 10, 0, 12}},
         "(0,0)-(0,2) (0,4)-(0,10) (0,12)-(0,20)"},
        {"one cut across two ranges", {{0, 0, 0, 5}, {1, 0, 1, 5}}, {{0, 3, 1, 2}}, "(0,0)-(0,3) (1,2)-(1,5)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TCompoundFragment set, other;
        Fill(set, c.from);
        Fill(other, c.cut);
        set.Subtract(other);
        EXPECT_EQ(Str(set), c.expected);
    }
}

TEST(CompoundFragmentTest, SubtractingASetFromItselfLeavesOneEmptyFragment) {
    TCompoundFragment set;
    Fill(set, {{0, 0, 0, 4}, {1, 0, 1, 4}});
    set.Subtract(set);
    EXPECT_TRUE(IsEmptyCompoundFragment(&set));
}

TEST(CompoundFragmentTest, AdjustForReplaceClampsIntoTheNewTextAndShiftsTheRest) {
    TCompoundFragment set;
    Fill(set, {{2, 0, 2, 7}, {2, 9, 2, 12}, {1, 7, 1, 9}});
    TTextPos at{2, 5, 0, 0};
    set.AdjustForReplace(at, 3, 1);
    // (2,7) lies in the replaced text: it moves to the new text's end; later
    // ends move back by two; the other paragraph stays; the set is sorted.
    EXPECT_EQ(Str(set), "(1,7)-(1,9) (2,0)-(2,5) (2,7)-(2,10)");

    TCompoundFragment caret;
    caret.SetSingle(2, 5, 2, 5);
    caret.AdjustForReplace(at, 3, 1);
    EXPECT_EQ(Str(caret), "(2,5)-(2,5)");  // at the position itself: stays

    TCompoundFragment grown;
    grown.SetSingle(0, 4, 0, 6);
    grown.AdjustForReplace(TTextPos{0, 2, 0, 0}, 3, 10);
    EXPECT_EQ(Str(grown), "(0,4)-(0,13)");

    TCompoundFragment deleted;
    deleted.SetSingle(0, 3, 0, 4);
    deleted.AdjustForReplace(TTextPos{0, 2, 0, 0}, 3, 0);
    EXPECT_EQ(Str(deleted), "(0,2)-(0,2)");  // clamped to the position: nothing left
}

TEST(CompoundFragmentTest, AdjustForEditFollowsDeletionThenInsertion) {
    struct Case {
        const char* name;
        TRange fragment, deleted, inserted;
        const char* expected;
    };
    const Case cases[] = {
        {"caret at an insertion point takes the text", {1, 4, 1, 4}, {1, 4, 1, 4}, {1, 4, 3, 2}, "(1,4)-(3,2)"},
        {"later in the paragraph", {1, 6, 1, 6}, {1, 4, 1, 4}, {1, 4, 3, 2}, "(3,4)-(3,4)"},
        {"later paragraph", {5, 0, 5, 0}, {1, 4, 1, 4}, {1, 4, 3, 2}, "(7,0)-(7,0)"},
        {"earlier text stays", {0, 1, 1, 3}, {1, 4, 1, 4}, {1, 4, 3, 2}, "(0,1)-(1,3)"},
        {"inside the deletion goes to its start", {1, 5, 2, 1}, {1, 2, 2, 3}, {1, 2, 1, 2}, "(1,2)-(1,2)"},
        {"after a deletion across paragraphs", {2, 6, 4, 0}, {1, 2, 2, 3}, {1, 2, 1, 2}, "(1,5)-(3,0)"},
        {"replace within a paragraph", {0, 0, 0, 20}, {0, 5, 0, 8}, {0, 5, 0, 6}, "(0,0)-(0,18)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TCompoundFragment set;
        Fill(set, {c.fragment});
        set.AdjustForEdit(Frag(c.deleted), Frag(c.inserted));
        EXPECT_EQ(Str(set), c.expected);
    }
}

TEST(CompoundFragmentTest, AdjustForEditKeepsCachesOfMovedPositionsButTakesTheDeletionStart) {
    TCompoundFragment set;
    TFragment f{{3, 9, 11, 12}, {3, 9, 13, 14}};
    set.Fragment(0) = f;
    TFragment deleted{{1, 0, 5, 6}, {2, 0, 7, 8}};
    set.AdjustForEdit(deleted, deleted);  // equal: nothing happens
    EXPECT_EQ(set.Fragment(0).Start.Par, 3);

    TFragment inserted;
    MakeCollapsedFragment(1, 0, inserted);
    set.AdjustForEdit(deleted, inserted);
    EXPECT_EQ(set.Fragment(0).Start.Par, 2);
    EXPECT_EQ(set.Fragment(0).Start.Page, 11);  // moved, caches untouched

    set.Fragment(0) = TFragment{{1, 3, 11, 12}, {1, 4, 13, 14}};
    set.AdjustForEdit(deleted, inserted);
    EXPECT_EQ(set.Fragment(0).Start.Page, 5);  // inside: D's start, all four fields
    EXPECT_EQ(set.Fragment(0).End.Line, 6);
}

TEST(CompoundFragmentTest, QueriesOverSeveralFragments) {
    TCompoundFragment set;
    Fill(set, {{0, 0, 0, 5}, {2, 0, 3, 0}, {0, 2, 0, 4}});
    EXPECT_EQ(set.IndexOfContaining(Frag({0, 2, 0, 3})), 2);  // the highest index
    EXPECT_EQ(set.IndexOfContaining(Frag({0, 4, 0, 6})), -1);
    TFragment span;
    set.CurrentIndex = 1;
    set.GetSpan(span);
    EXPECT_EQ(span.Start.Offset, 0);
    EXPECT_EQ(span.End.Par, 3);

    TCompoundFragment other;
    Fill(other, {{2, 1, 2, 9}, {0, 1, 0, 5}});
    EXPECT_TRUE(set.Covers(other));
    other.Fragment(1).End.Offset = 6;
    EXPECT_FALSE(set.Covers(other));

    TTextPos p{2, 5, 0, 0};
    EXPECT_TRUE(PosInCompoundFragment(p, set));
    p = TTextPos{3, 0, 0, 0};
    EXPECT_FALSE(PosInCompoundFragment(p, set));
    EXPECT_TRUE(PosInCompoundFragmentIncl(p, set));
}

TEST(CompoundFragmentTest, EqualityIsPairwiseIgnoringCaches) {
    TCompoundFragment a, b;
    Fill(a, {{0, 0, 0, 5}, {1, 0, 1, 1}});
    Fill(b, {{0, 0, 0, 5}, {1, 0, 1, 1}});
    b.Fragment(0).Start.Page = 9;
    EXPECT_TRUE(a.Equals(b));
    b.SetCount(1);
    EXPECT_FALSE(a.Equals(b));
}

TEST(CompoundFragmentTest, EmptinessAndEditingKeepAtLeastOneFragment) {
    TCompoundFragment set;
    EXPECT_TRUE(IsEmptyCompoundFragment(&set));
    EXPECT_TRUE(IsEmptyCompoundFragment(nullptr));
    set.SetSingle(1, 4, 1, 4);
    EXPECT_TRUE(IsEmptyCompoundFragment(&set));
    Fill(set, {{1, 4, 1, 4}, {2, 0, 2, 0}});
    EXPECT_FALSE(IsEmptyCompoundFragment(&set));

    set.SetSingle(3, 1, 3, 8);
    set.Delete(0);  // the last fragment collapses instead of vanishing
    EXPECT_EQ(Str(set), "(3,1)-(3,1)");

    TCompoundFragment other;
    Fill(other, {{5, 0, 5, 1}, {6, 0, 6, 1}});
    set.Append(other);
    EXPECT_EQ(set.Count(), 3);
    EXPECT_EQ(set.CurrentIndex, 2);
    set.Insert(0, Frag({0, 0, 0, 1}));
    EXPECT_EQ(Str(set), "(0,0)-(0,1) (3,1)-(3,1) (5,0)-(5,1) (6,0)-(6,1)");
    EXPECT_EQ(set.CurrentIndex, 3);
    set.Delete(1);
    EXPECT_EQ(Str(set), "(0,0)-(0,1) (5,0)-(5,1) (6,0)-(6,1)");
}

TEST(CompoundFragmentTest, AssignCopiesRecordsAndFlag) {
    TCompoundFragment a, b;
    Fill(a, {{0, 0, 0, 5}, {1, 0, 1, 1}});
    a.Flag = 3;
    a.CurrentIndex = 0;
    b.Assign(a);
    EXPECT_EQ(Str(b), Str(a));
    EXPECT_EQ(b.Flag, 3);
    EXPECT_EQ(b.CurrentIndex, 1);

    TMemory odd;  // a plain buffer contributes whole records only
    odd.SetSize(40);
    b.Assign(odd);
    EXPECT_EQ(b.Count(), 1);
    odd.SetSize(10);
    b.Assign(odd);
    EXPECT_TRUE(IsEmptyCompoundFragment(&b));
}

TEST(CompoundFragmentTest, PoolHandsBackTheLastReleasedSetReset) {
    TCompoundFragment* a = NewCompoundFragment();
    a->SetSingle(4, 4, 5, 5);
    a->Flag = 1;
    a->SetCount(20);  // 640 bytes: too big to keep
    ReleaseCompoundFragment(a);
    EXPECT_EQ(a->Capacity, 0);

    TCompoundFragment* b = NewCompoundFragment();
    EXPECT_EQ(b, a);
    EXPECT_EQ(b->Count(), 1);
    EXPECT_EQ(b->Flag, 0);
    EXPECT_EQ(b->CurrentIndex, 0);
    EXPECT_EQ(Str(*b), "(0,0)-(0,0)");

    b->SetSingle(1, 1, 1, 2);
    TCompoundFragment* c = CloneCompoundFragment(*b);
    EXPECT_NE(c, b);
    EXPECT_TRUE(c->Equals(*b));
    ReleaseCompoundFragment(c);
    ReleaseCompoundFragment(b);
    ReleaseCompoundFragment(nullptr);
}

TEST(CompoundFragmentTest, PoolDestroysInsteadOfKeepingAboveTheHeapLimit) {
    EmptyCompoundFragmentPool();
    {
        THeapOverride over(PoolHeapLimit + 1);
        ReleaseCompoundFragment(NewCompoundFragment());
        EXPECT_EQ(CompoundFragmentPoolPooledCount(), 0);
    }
    ReleaseCompoundFragment(NewCompoundFragment());
    EXPECT_EQ(CompoundFragmentPoolPooledCount(), 1);
}

TEST(CompoundFragmentTest, PoolGrowsWhenFull) {
    EmptyCompoundFragmentPool();
    EXPECT_EQ(CompoundFragmentPoolSlotCount(), 32);
    std::vector<TCompoundFragment*> sets;
    for (int i = 0; i < 33; ++i)
        sets.push_back(new TCompoundFragment);
    for (TCompoundFragment* s : sets)
        ReleaseCompoundFragment(s);
    EXPECT_EQ(CompoundFragmentPoolPooledCount(), 33);
    EXPECT_EQ(CompoundFragmentPoolSlotCount(), 64);
    EmptyCompoundFragmentPool();
    EXPECT_EQ(CompoundFragmentPoolPooledCount(), 0);
}

}  // namespace
