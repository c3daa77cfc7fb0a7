#include "base/text/TStringList.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/text/CompareLocale.h"

namespace {

std::vector<std::string> Strings(const TStringList& list) {
    std::vector<std::string> out;
    for (std::int32_t i = 0; i < list.Count; ++i)
        out.push_back(list.Items[i].String);
    return out;
}

TStringList* Filled(std::initializer_list<const char*> items) {
    auto* list = new TStringList;
    for (const char* s : items)
        list->Add(s);
    return list;
}

// Searches and sorts must leave the comparison locale as they found it.
class TStringListTest : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_EQ(CompareLocaleDepth(), 0);
        EXPECT_EQ(CompareLocale(), 0x400u);
    }
};

TEST_F(TStringListTest, GrowsByFourThenSixteenThenAQuarter) {
    TStringList list;
    std::vector<std::int32_t> capacities;
    for (int i = 0; i < 8; ++i) {
        list.Grow();
        capacities.push_back(list.Capacity);
    }
    EXPECT_EQ(capacities, (std::vector<std::int32_t>{4, 8, 12, 28, 44, 60, 76, 95}));

    // Insert grows only when full, and Clear gives the room back.
    TStringList added;
    for (int i = 0; i < 13; ++i)
        added.Add(std::to_string(i));
    EXPECT_EQ(added.Capacity, 28);
    EXPECT_EQ(added.Items[12].String, "12");
    added.Clear();
    EXPECT_EQ(added.Count, 0);
    EXPECT_EQ(added.Capacity, 0);
    EXPECT_EQ(added.Items, nullptr);
}

TEST_F(TStringListTest, SortedAddPutsADuplicateBeforeItsEquals) {
    TStringList list;
    list.SetSorted(true);
    EXPECT_EQ(list.Add("b"), 0);
    EXPECT_EQ(list.Add("A"), 0);
    EXPECT_EQ(list.Add("a"), 0);
    EXPECT_EQ(Strings(list), (std::vector<std::string>{"a", "A", "b"}));

    // Case-sensitive, the locale puts small letters first.
    TStringList exact;
    exact.CaseSensitive = true;
    exact.SetSorted(true);
    for (const char* s : {"b", "A", "a", "B"})
        exact.Add(s);
    EXPECT_EQ(Strings(exact), (std::vector<std::string>{"a", "A", "b", "B"}));
}

TEST_F(TStringListTest, FindGivesTheFirstPositionNotBelow) {
    std::unique_ptr<TStringList> list(Filled({"a", "b", "b", "d"}));
    list->SetSorted(true);
    struct Case {
        const char* s;
        bool found;
        std::int32_t index;
    };
    const Case cases[] = {{"c", false, 3}, {"b", true, 1},  {"B", true, 1}, {"a", true, 0},
                          {"0", false, 0}, {"z", false, 4}, {"", false, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.s);
        std::int32_t index = -1;
        EXPECT_EQ(list->Find(c.s, index), c.found);
        EXPECT_EQ(index, c.index);
        EXPECT_EQ(list->IndexOf(c.s), c.found ? c.index : -1);
    }
    TStringList empty;
    std::int32_t index = -1;
    EXPECT_FALSE(empty.Find("x", index));
    EXPECT_EQ(index, 0);
}

TEST_F(TStringListTest, SortedFindWithDuplicatesFollowsTheListsLanguage) {
    // Turkish pairs I with dotless i (0xFD in Windows-1254) and the dotted
    // capital (0xDD) with i; English pairs I with i.
    struct Case {
        std::int32_t language;
        std::vector<std::string> equalToIRMAK, equalToirmak;
    };
    const Case cases[] = {
        {0x41F, {"IRMAK", "Irmak", "\xFDrmak"}, {"irmak"}},
        {0x409, {"IRMAK", "irmak", "Irmak"}, {"IRMAK", "irmak", "Irmak"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        TStringList list;
        list.Language = c.language;
        list.SetSorted(true);
        for (const char* w : {"\xFDrmak", "Irmak", "irmak", "\xDDzmir", "ilik", "IRMAK", "\xFDl\xFDk"})
            list.Add(w);
        // Find gives the first of the equal items; each duplicate went in
        // before the equal items already there.
        auto equalRun = [&](const std::string& key) {
            std::vector<std::string> run;
            std::int32_t index = -1;
            if (!list.Find(key, index))
                return run;
            const TCompareLocaleScope scope(static_cast<std::uint32_t>(c.language));
            for (std::int32_t i = index; i < list.Count; ++i) {
                if (CompareTextPCharLocale(list.Items[i].String.c_str(), key.c_str()) != 0)
                    break;
                run.push_back(list.Items[i].String);
            }
            return run;
        };
        EXPECT_EQ(equalRun("IRMAK"), c.equalToIRMAK);
        EXPECT_EQ(equalRun("irmak"), c.equalToirmak);
        EXPECT_EQ(list.IndexOf("irMAK"), list.IndexOf(c.equalToirmak.front()));
    }
    // In the Turkish alphabet dotless i comes before i.
    TStringList turkish;
    turkish.Language = 0x41F;
    turkish.SetSorted(true);
    turkish.Add("ilik");
    turkish.Add("\xFDl\xFDk");
    EXPECT_EQ(turkish.Items[0].String, "\xFDl\xFDk");
}

TEST_F(TStringListTest, SwitchingSortedOnSortsOnce) {
    std::unique_ptr<TStringList> list(Filled({"pear", "Apple", "fig", "apple"}));
    list->Items[0].Object = list.get();
    list->SetSorted(true);
    EXPECT_EQ(list->Items[3].String, "pear");
    EXPECT_EQ(list->Items[3].Object, list.get());  // objects travel with their strings
    EXPECT_EQ(list->Items[2].String, "fig");
    list->SetSorted(false);
    list->Add("banana");  // appended while unsorted
    list->Exchange(0, 4);
    EXPECT_EQ(list->Items[0].String, "banana");
    list->Sort();  // an unsorted list sorts on request
    EXPECT_EQ(list->Items[2].String, "banana");
    EXPECT_FALSE(list->Sorted);
}

TEST_F(TStringListTest, OrdinalComparesUnsignedBytes) {
    std::unique_ptr<TStringList> list(Filled({"b", "\xE9", "B", "a", "e"}));
    list->Ordinal = true;
    list->SetSorted(true);
    EXPECT_EQ(Strings(*list), (std::vector<std::string>{"B", "a", "b", "e", "\xE9"}));
    EXPECT_EQ(list->IndexOf("A"), -1);  // no case folding either

    std::unique_ptr<TStringList> byLocale(Filled({"b", "\xE9", "B", "a", "f"}));
    byLocale->Language = 0x40C;
    byLocale->SetSorted(true);
    EXPECT_EQ(byLocale->Items[3].String, "\xE9");  // after b, before f
}

TEST_F(TStringListTest, StringsCompareUpToTheirFirstZeroByte) {
    TStringList list;
    list.SetSorted(true);
    list.Add(std::string("ab\0z", 4));
    list.Add("ab");
    std::int32_t index;
    EXPECT_TRUE(list.Find(std::string("ab\0a", 4), index));
    EXPECT_EQ(index, 0);
    EXPECT_EQ(list.Items[1].String.size(), 4u);  // the bytes are kept
}

TEST_F(TStringListTest, LargeSortIsOrderedAndKeepsEveryItem) {
    TStringList list;
    std::uint32_t seed = 5;
    std::multiset<std::string> added;
    for (int i = 0; i < 3000; ++i) {
        seed = seed * 1103515245 + 12345;
        std::string w(1 + (seed >> 16) % 5, 'a');
        for (char& c : w) {
            seed = seed * 1103515245 + 12345;
            c = "aAbB-e\xE9 z"[(seed >> 16) % 10];
        }
        list.Add(w);
        added.insert(w);
    }
    // Already ordered, reverse-ordered and all-equal runs are the classic
    // traps of quicksort.
    for (int i = 0; i < 500; ++i) {
        list.Add("same");
        added.insert("same");
    }
    list.Language = 0x409;
    list.SetSorted(true);
    for (std::int32_t i = 1; i < list.Count; ++i) {
        const TCompareLocaleScope scope(0x409);
        ASSERT_LE(CompareTextPCharLocale(list.Items[i - 1].String.c_str(), list.Items[i].String.c_str()), 0) << i;
    }
    std::multiset<std::string> kept;
    for (std::int32_t i = 0; i < list.Count; ++i)
        kept.insert(list.Items[i].String);
    EXPECT_EQ(kept, added);

    TStringList ordered;
    for (int i = 0; i < 2000; ++i)
        ordered.Add(std::to_string(100000 + (i < 1000 ? i : 3000 - i)));
    ordered.SetSorted(true);
    for (std::int32_t i = 1; i < ordered.Count; ++i)
        ASSERT_LE(ordered.Items[i - 1].String, ordered.Items[i].String);
}

TEST_F(TStringListTest, EditingKeepsObjectsWithTheirStrings) {
    int a = 0, b = 0, c = 0;
    TStringList list;
    list.AddObject("a", &a);
    list.AddObject("b", &b);
    list.AddObject("c", &c);
    list.Move(0, 2);
    EXPECT_EQ(Strings(list), (std::vector<std::string>{"b", "c", "a"}));
    EXPECT_EQ(list.GetObject(2), &a);
    list.ReplaceString(2, "A");
    EXPECT_EQ(list.GetObject(2), &a);
    list.InsertObject(1, "x", &c);
    EXPECT_EQ(list.IndexOfObject(&c), 1);
    list.DeleteString("X");  // case-insensitive by default
    EXPECT_EQ(Strings(list), (std::vector<std::string>{"b", "c", "A"}));
    list.Delete(0);
    EXPECT_EQ(list.GetObject(0), &c);
    EXPECT_EQ(list.IndexOfObject(&b), -1);
    list.Insert(0, "first");
    EXPECT_EQ(list.GetObject(0), nullptr);
    list.DeleteString("absent");
    EXPECT_EQ(list.Count, 3);
}

TEST_F(TStringListTest, SetCountAddsEmptyItemsAndDropsExtraOnes) {
    TStringList list;
    list.SetCount(5);
    EXPECT_EQ(list.Count, 5);
    EXPECT_EQ(list.Capacity, 5);
    list.Items[4].String = "filled in place";
    EXPECT_EQ(list.Items[3].Object, nullptr);
    list.SetCount(2);
    EXPECT_EQ(list.Count, 2);
    list.Add("after");
    EXPECT_EQ(list.Items[2].String, "after");
}

TEST_F(TStringListTest, AssignCopiesStringsAndObjects) {
    int x = 0;
    TStringList source;
    source.AddObject("one", &x);
    source.Add("two");
    TStringList copy;
    copy.Add("old");
    copy.Assign(&source);
    EXPECT_EQ(Strings(copy), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(copy.GetObject(0), &x);

    copy.Assign(&copy);  // assigning a list to itself keeps it
    EXPECT_EQ(copy.Count, 2);
    copy.Assign(nullptr);
    EXPECT_EQ(copy.Count, 2);

    copy.AddStrings(copy);  // adding a list to itself doubles it once
    EXPECT_EQ(Strings(copy), (std::vector<std::string>{"one", "two", "one", "two"}));
}

TEST_F(TStringListTest, FindClosestPrefixIsTheTypeAheadSearch) {
    std::unique_ptr<TStringList> list(Filled({"abc", "abd", "b"}));
    EXPECT_EQ(TStrings::FindClosestPrefix(*list, "abx", true), 0);  // after shortening to "ab"
    EXPECT_EQ(TStrings::FindClosestPrefix(*list, "abx", false), -1);
    EXPECT_EQ(TStrings::FindClosestPrefix(*list, "ab", false), 0);
    EXPECT_EQ(TStrings::FindClosestPrefix(*list, "ABD", false), 1);
    EXPECT_EQ(TStrings::FindClosestPrefix(*list, "bz", true), 2);
    EXPECT_EQ(TStrings::FindClosestPrefix(*list, "xyz", true), 0);
    EXPECT_EQ(TStrings::FindClosestPrefix(*list, "", true), -1);
    EXPECT_EQ(TStrings::FindClosestPrefix(*list, "", false), -1);
    list->CaseSensitive = true;
    EXPECT_EQ(TStrings::FindClosestPrefix(*list, "ABD", false), -1);

    TStringList empty;
    EXPECT_EQ(TStrings::FindClosestPrefix(empty, "a", true), 0);  // callers check against the count

    // The lower bound of "c\xF4t" (c, o circumflex, t) lands on "cote",
    // which sorts after it without starting with it; the item that does
    // start with it is found by the scan.
    std::unique_ptr<TStringList> french(Filled({"cote", "c\xF4te", "cot\xE9", "c\xF4t\xE9"}));
    french->Language = 0x40C;
    french->SetSorted(true);
    const std::int32_t found = TStrings::FindClosestPrefix(*french, "c\xF4t", true);
    ASSERT_GE(found, 0);
    EXPECT_EQ(french->Items[found].String.substr(0, 3), "c\xF4t");
}

}  // namespace
