#include "base/text/TWideStringList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text/CompareLocale.h"

namespace {

std::vector<std::u16string> Strings(const TWideStringList& list) {
    std::vector<std::u16string> out;
    for (std::int32_t i = 0; i < list.Count; ++i)
        out.push_back(list.GetString(i));
    return out;
}

class TWideStringListTest : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_EQ(CompareLocaleDepth(), 0);
        EXPECT_EQ(CompareLocale(), 0x400u);
    }
};

TEST_F(TWideStringListTest, AddReturnsTheNewCount) {
    int x = 0;
    TWideStringList list;
    EXPECT_EQ(list.Add(u"one"), 1);
    EXPECT_EQ(list.AddObject(u"two", &x), 2);
    EXPECT_EQ(list.GetObject(1), &x);

    std::vector<std::int32_t> capacities;
    TWideStringList growing;
    for (int i = 0; i < 96; ++i) {
        growing.Add(u"w");
        if (capacities.empty() || capacities.back() != growing.Capacity)
            capacities.push_back(growing.Capacity);
    }
    EXPECT_EQ(capacities, (std::vector<std::int32_t>{4, 8, 12, 28, 44, 60, 76, 95, 118}));
    growing.Clear();
    EXPECT_EQ(growing.Capacity, 0);
}

TEST_F(TWideStringListTest, EditingKeepsObjectsWithTheirStrings) {
    int a = 0, b = 0, c = 0;
    TWideStringList list;
    list.AddObject(u"a", &a);
    list.AddObject(u"b", &b);
    list.AddObject(u"c", &c);
    list.Move(0, 2);
    EXPECT_EQ(Strings(list), (std::vector<std::u16string>{u"b", u"c", u"a"}));
    EXPECT_EQ(list.GetObject(2), &a);
    list.Move(1, 1);
    list.Exchange(0, 1);
    EXPECT_EQ(list.GetObject(0), &c);
    list.ReplaceString(0, u"C");
    EXPECT_EQ(list.GetObject(0), &c);
    list.Insert(1, u"new");
    EXPECT_EQ(list.GetObject(1), nullptr);
    list.Delete(0);
    EXPECT_EQ(Strings(list), (std::vector<std::u16string>{u"new", u"b", u"a"}));
    list.SetObject(0, &a);
    EXPECT_EQ(list.GetObject(0), &a);
}

TEST_F(TWideStringListTest, TextUsesTheLineBreaksOfTheByteLists) {
    TWideStringList list;
    list.SetText(u"a\r\nb\n\rc\r");
    EXPECT_EQ(Strings(list), (std::vector<std::u16string>{u"a", u"b", u"", u"c"}));
    EXPECT_EQ(list.GetText(), u"a\r\nb\r\n\r\nc");
    list.SetText(u"");
    EXPECT_EQ(list.Count, 0);
    EXPECT_EQ(list.GetText(), u"");
}

TEST_F(TWideStringListTest, IndexOfUsesTheListsLanguageDirectly) {
    TWideStringList list;
    list.Add(u"\u0131rmak");  // dotless i
    list.Add(u"irmak");
    list.Add(u"Irmak");
    list.Language = 0x409;
    EXPECT_EQ(list.IndexOf(u"IRMAK"), 1);  // English pairs I with i
    list.Language = 0x41F;
    EXPECT_EQ(list.IndexOf(u"IRMAK"), 0);
    EXPECT_EQ(list.IndexOf(u"\u0130RMAK"), 1);
    list.CaseSensitive = true;
    EXPECT_EQ(list.IndexOf(u"Irmak"), 2);
    EXPECT_EQ(list.IndexOf(u"IRMAK"), -1);
}

TEST_F(TWideStringListTest, SortUnderTheListsLanguage) {
    int x = 0;
    TWideStringList list;
    list.Language = 0x41F;
    for (const char16_t* w : {u"ilik", u"Zeytin", u"\u0131l\u0131k", u"armut", u"\u00E7ay", u"cam"})
        list.Add(w);
    list.SetObject(1, &x);
    list.Sort();
    // Turkish: c before c cedilla, dotless i before i.
    EXPECT_EQ(Strings(list),
              (std::vector<std::u16string>{u"armut", u"cam", u"\u00E7ay", u"\u0131l\u0131k", u"ilik", u"Zeytin"}));
    EXPECT_EQ(list.GetObject(5), &x);

    TWideStringList exact;
    exact.CaseSensitive = true;
    for (const char16_t* w : {u"B", u"b", u"A", u"a"})
        exact.Add(w);
    exact.Sort();
    EXPECT_EQ(Strings(exact), (std::vector<std::u16string>{u"a", u"A", u"b", u"B"}));
}

TEST_F(TWideStringListTest, FindClosestPrefix) {
    TWideStringList list;
    for (const char16_t* w : {u"abc", u"abd", u"b"})
        list.Add(w);
    EXPECT_EQ(TWideStringList::FindClosestPrefix(list, u"abx", true), 0);
    EXPECT_EQ(TWideStringList::FindClosestPrefix(list, u"abx", false), -1);
    EXPECT_EQ(TWideStringList::FindClosestPrefix(list, u"ABD", false), 1);
    EXPECT_EQ(TWideStringList::FindClosestPrefix(list, u"bq", true), 2);
    EXPECT_EQ(TWideStringList::FindClosestPrefix(list, u"", true), -1);
    list.CaseSensitive = true;
    EXPECT_EQ(TWideStringList::FindClosestPrefix(list, u"ABD", false), -1);
    TWideStringList empty;
    EXPECT_EQ(TWideStringList::FindClosestPrefix(empty, u"a", true), 0);
}

}  // namespace
