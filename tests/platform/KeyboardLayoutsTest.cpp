#include "platform/KeyboardLayouts.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using Platform::TKeyboardMap;

TEST(KeyboardLayoutsTest, SameKeyInUsAndGermanLayouts) {
    const auto us = TKeyboardMap::Compile({"us", ""});
    const auto de = TKeyboardMap::Compile({"de", ""});
    ASSERT_TRUE(us && de) << "the XKB keyboard data (xkb-data) is missing";

    struct Case {
        char32_t us;
        char32_t de;
    };
    const Case cases[] = {
        {U'y', U'z'}, {U'z', U'y'},      {U'Y', U'Z'},      {U'a', U'a'},      {U'1', U'1'},
        {U'@', U'"'}, {U';', U'\u00F6'}, {U'[', U'\u00FC'}, {U'-', U'\u00DF'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<std::uint32_t>(c.us));
        std::uint8_t key = 0, shift = 0;
        ASSERT_TRUE(us->KeyOfChar(c.us, key, shift));
        EXPECT_EQ(de->CharOfKey(key, (shift & Platform::kssShift) != 0), c.de);
    }

    // AltGr characters report Control and Alt; characters no key types are not found.
    std::uint8_t key = 0, shift = 0;
    ASSERT_TRUE(de->KeyOfChar(U'@', key, shift));
    EXPECT_EQ(shift & (Platform::kssControl | Platform::kssAlt), Platform::kssControl | Platform::kssAlt);
    EXPECT_EQ(de->CharOfKey(key, false), U'q');
    EXPECT_FALSE(us->KeyOfChar(U'\u00FC', key, shift));
    EXPECT_EQ(us->CharOfKey(0, false), 0u);

    EXPECT_EQ(TKeyboardMap::Compile({"no-such-layout", ""}), nullptr);
}

TEST(KeyboardLayoutsTest, InstalledLayoutsFromTheEnvironment) {
    const char* saved = std::getenv("XKB_DEFAULT_LAYOUT");
    const std::string savedValue = saved ? saved : "";
    setenv("XKB_DEFAULT_LAYOUT", "us,de", 1);
    setenv("XKB_DEFAULT_VARIANT", ",nodeadkeys", 1);
    const auto layouts = Platform::InstalledKeyboardLayouts();
    ASSERT_EQ(layouts.size(), 2u);
    EXPECT_EQ(layouts[1].Layout, "de");
    EXPECT_EQ(layouts[1].Variant, "nodeadkeys");
    EXPECT_EQ(Platform::KeyboardLayoutLanguage(layouts[0]), 0x409);
    EXPECT_EQ(Platform::KeyboardLayoutLanguage(layouts[1]), 0x407);
    EXPECT_EQ(Platform::KeyboardLayoutLanguage({"xx", ""}), 0);
    if (saved)
        setenv("XKB_DEFAULT_LAYOUT", savedValue.c_str(), 1);
    else
        unsetenv("XKB_DEFAULT_LAYOUT");
    unsetenv("XKB_DEFAULT_VARIANT");
}

}  // namespace
