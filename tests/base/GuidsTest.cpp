#include "base/files/Guids.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace {

TEST(GuidsTest, RandomVersionFourInRegistryForm) {
    const std::string guid = NewGuidString();
    EXPECT_TRUE(
        std::regex_match(guid, std::regex("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}")))
        << guid;
    EXPECT_NE(NewGuidString(), guid);
}

}  // namespace
