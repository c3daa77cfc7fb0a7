#include "files/rtf/RtfHexEscapes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(RtfHexEscapesTest, EscapedBytesOfEitherCase) {
    struct Case {
        char Hi, Lo;
        int Value;
    };
    const Case cases[] = {
        {'4', 'A', 0x4A}, {'4', 'a', 0x4A}, {'0', '0', 0},  {'f', 'F', 0xFF}, {'e', '9', 0xE9},
        {'g', '0', -1},   {'0', 'g', -1},   {'4', ' ', -1}, {'\\', '4', -1},  {'{', '}', -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((std::string{c.Hi, c.Lo}));
        EXPECT_EQ(RtfEscapedByte(static_cast<std::uint8_t>(c.Hi), static_cast<std::uint8_t>(c.Lo)), c.Value);
    }
}

// A run of escapes decodes in place to its front and stops before the first
// escape that is not whole, which is left as it was.
TEST(RtfHexEscapesTest, ARunDecodesInPlaceUpToTheFirstBadEscape) {
    struct Case {
        std::string Region;
        std::string Decoded;
        std::size_t Left;
    };
    const Case cases[] = {
        {"\\'4a\\'4A\\'e9", "JJ\xe9", 0},
        {"\\'41\\'zz\\'42", "A", 8},
        {"\\'41\\'4", "A", 3},  // cut short
        {"\\'41abcd", "A", 4},
        {"", "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Region);
        std::vector<std::uint8_t> region(c.Region.begin(), c.Region.end());
        const std::size_t left = DecodeRtfHexEscapes(region.data(), region.size());
        EXPECT_EQ(left, c.Left);
        const std::size_t decoded = (region.size() - left) / 4;
        EXPECT_EQ(std::string(region.begin(), region.begin() + decoded), c.Decoded);
        EXPECT_EQ(std::string(region.end() - left, region.end()), c.Region.substr(c.Region.size() - left));
    }
}

TEST(RtfHexEscapesTest, EncodingWritesLowerCaseDigitsThatDecodeBack) {
    std::vector<std::uint8_t> bytes(256);
    for (int i = 0; i < 256; ++i)
        bytes[i] = static_cast<std::uint8_t>(i);
    std::string escaped(4 * bytes.size(), '\0');
    EncodeRtfHexEscapes(bytes.data(), escaped.data(), bytes.size());
    EXPECT_EQ(escaped.substr(0, 8), "\\'00\\'01");
    EXPECT_EQ(escaped.substr(4 * 0xAB, 4), "\\'ab");

    std::vector<std::uint8_t> region(escaped.begin(), escaped.end());
    EXPECT_EQ(DecodeRtfHexEscapes(region.data(), region.size()), 0u);
    EXPECT_EQ(std::vector<std::uint8_t>(region.begin(), region.begin() + 256), bytes);
}

}  // namespace
