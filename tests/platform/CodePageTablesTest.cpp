// Every byte of every single-byte code page the program uses converts as the
// system's iconv converts it, and back.
#include <iconv.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/CodePages.h"

namespace {

// iconv's character for one byte, or -1 when the code page leaves it
// undefined.
int IconvChar(const char* name, unsigned char byte) {
    iconv_t cd = iconv_open("UTF-16LE", name);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return -2;
    char in = static_cast<char>(byte);
    char out[8];
    char* pin = &in;
    char* pout = out;
    size_t inLeft = 1, outLeft = sizeof out;
    int result = -1;
    if (iconv(cd, &pin, &inLeft, &pout, &outLeft) != static_cast<size_t>(-1) &&
        iconv(cd, nullptr, nullptr, &pout, &outLeft) != static_cast<size_t>(-1) && outLeft == sizeof out - 2)
        result = static_cast<unsigned char>(out[0]) | (static_cast<unsigned char>(out[1]) << 8);
    iconv_close(cd);
    return result;
}

TEST(CodePageTablesTest, EveryByteAsIconvConvertsIt) {
    struct Case {
        int codePage;
        const char* iconvName;
    };
    const Case cases[] = {
        {1250, "CP1250"},     {1251, "CP1251"}, {1252, "CP1252"}, {1253, "CP1253"}, {1254, "CP1254"},
        {1255, "CP1255"},     {1256, "CP1256"}, {1257, "CP1257"}, {1258, "CP1258"}, {874, "CP874"},
        {10000, "MACINTOSH"}, {437, "CP437"},   {850, "CP850"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codePage);
        ASSERT_TRUE(Platform::IsSingleByteCodePage(c.codePage));
        for (int b = 0; b < 256; ++b) {
            SCOPED_TRACE(b);
            const int expected = IconvChar(c.iconvName, static_cast<unsigned char>(b));
            ASSERT_NE(expected, -2) << "iconv lacks " << c.iconvName;
            const std::string byte(1, static_cast<char>(b));
            const std::u16string wide = Platform::BytesToWide(c.codePage, byte);
            ASSERT_EQ(wide.size(), 1u);
            // A byte the code page leaves undefined keeps its own value.
            EXPECT_EQ(static_cast<int>(wide[0]), expected >= 0 ? expected : b);
            if (expected >= 0) {
                // Back to the lowest byte that gives the same character.
                int lowest = b;
                for (int other = 0; other < b; ++other)
                    if (IconvChar(c.iconvName, static_cast<unsigned char>(other)) == expected) {
                        lowest = other;
                        break;
                    }
                EXPECT_EQ(Platform::WideToBytes(c.codePage, wide), std::string(1, static_cast<char>(lowest)));
            }
        }
    }
}

}  // namespace
