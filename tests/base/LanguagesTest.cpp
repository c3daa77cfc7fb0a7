#include "base/text/Languages.h"

#include <gtest/gtest.h>

namespace {

TEST(LanguagesTest, TagsAndIds) {
    struct Case {
        const char* tag;
        std::int32_t id;
    };
    const Case cases[] = {
        {"1033", 1033},   {"1031x", 1031}, {"de-AT", 0xC07},      {"en-US", 0x409},
        {"de-XX", 0x407},                // a region missing from the locale tags: the language's default
        {"fr", 0x40C},    {"EN-us", 0},  // exact and case-sensitive
        {"xx-YY", 0},     {"", 0},         {"az-AZ-Latn", 0x42C}, {"99999999999", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        EXPECT_EQ(LanguageIdFromTag(c.tag), c.id);
    }
    EXPECT_EQ(LanguageTagOf(0xC07), "de-AT");
    EXPECT_EQ(LanguageTagOf(0x7FFF), "32767");
    EXPECT_EQ(LanguageDisplayName(1033), "English (United States)");
    EXPECT_EQ(LanguageDisplayName(0x7FFF), "");
}

}  // namespace
