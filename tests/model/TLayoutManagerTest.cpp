#include "model/managers/TLayoutManager.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

class TLayoutManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* saved = std::getenv("XKB_DEFAULT_LAYOUT");
        HadLayout = saved != nullptr;
        SavedLayout = saved ? saved : "";
        setenv("XKB_DEFAULT_LAYOUT", "us,de", 1);
        Manager.Refresh();
    }
    void TearDown() override {
        if (HadLayout)
            setenv("XKB_DEFAULT_LAYOUT", SavedLayout.c_str(), 1);
        else
            unsetenv("XKB_DEFAULT_LAYOUT");
    }
    TLayoutManager Manager;
    bool HadLayout = false;
    std::string SavedLayout;
};

TEST_F(TLayoutManagerTest, ListsTheInstalledLayouts) {
    ASSERT_EQ(Manager.Count, 2);
    EXPECT_EQ(Manager.Current, 0);
    EXPECT_EQ(Manager.Layout(0)->Language(), 0x409);
    EXPECT_EQ(Manager.Layout(1)->Language(), 0x407);
    EXPECT_EQ(Manager.Layout(0)->LanguageName, "English (United States)");
    EXPECT_EQ(Manager.CurrentLayout(), Manager.Layout(0)->Handle);
    EXPECT_EQ(Manager.IndexOfLanguage(0x407), 1);
    EXPECT_EQ(Manager.IndexOfLanguage(0x40C), Manager.Current);
    EXPECT_NE(Manager.Layout(1)->KeyOf[static_cast<unsigned char>('\xFC')], -1);  // ü in 1252
    EXPECT_EQ(Manager.Layout(0)->KeyOf[static_cast<unsigned char>('\xFC')], -1);
}

TEST_F(TLayoutManagerTest, ConvertsBetweenUsAndGerman) {
    ASSERT_EQ(Manager.Count, 2);
    struct Case {
        char c;
        int from, to;
        char expected;
    };
    const Case cases[] = {
        {'y', 0, 1, 'z'},    {'z', 0, 1, 'y'},    {'Y', 0, 1, 'Z'},    {'z', 1, 0, 'y'},
        {'a', 0, 1, 'a'},    {'[', 0, 1, '\xFC'}, {'\xFC', 1, 0, '['}, {'\xFC', 0, 1, '\xFC'},  // no US key
        {'\x01', 0, 1, ' '}, {'\t', 0, 1, ' '},   {'y', 0, 7, 'y'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, c.c));
        EXPECT_EQ(Manager.ConvertChar(c.c, c.from, c.to), c.expected);
    }
}

}  // namespace
