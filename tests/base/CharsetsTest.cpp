#include "base/text/Charsets.h"

#include <gtest/gtest.h>

#include "base/graphics/TFont.h"

namespace {

TEST(CharsetsTest, CharsetsAndCodePagesTranslate) {
    struct Case {
        std::uint8_t charset;
        std::int32_t codePage;
    };
    const Case cases[] = {{0, 1252},   {238, 1250}, {204, 1251}, {161, 1253}, {162, 1254},
                          {177, 1255}, {178, 1256}, {186, 1257}, {163, 1258}, {222, 874},
                          {128, 932},  {134, 936},  {129, 949},  {136, 950},  {2, 42}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codePage);
        EXPECT_EQ(CharsetCodePage(c.charset), c.codePage);
        EXPECT_EQ(CodePageCharset(c.codePage), c.charset);
    }
    // What has no counterpart falls back to the defaults.
    EXPECT_EQ(CharsetCodePage(1), DefaultCodePage());
    EXPECT_EQ(CharsetCodePage(99), DefaultCodePage());
    EXPECT_EQ(CodePageCharset(65001), DefaultCharset());
}

TEST(CharsetsTest, LanguagesGiveCodePagesAndCharsets) {
    struct Case {
        std::uint16_t language;
        std::int32_t codePage;
        std::uint8_t charset;
    };
    const Case cases[] = {
        {0x0409, 1252, 0},   {0x0419, 1251, 204}, {0x0408, 1253, 161}, {0x0415, 1250, 238},
        {0x041F, 1254, 162}, {0x040D, 1255, 177}, {0x0401, 1256, 178}, {0x0426, 1257, 186},
        {0x042A, 1258, 163}, {0x041E, 874, 222},  {0x0411, 932, 128},  {0x0804, 936, 134},
        {0x0404, 950, 136},  {0x0C1A, 1251, 204}, {0x081A, 1250, 238}, {0x0439, 0, 0},  // Hindi: Unicode only
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        EXPECT_EQ(LanguageAnsiCodePage(c.language), c.codePage);
        EXPECT_EQ(LanguageCharset(c.language, false), c.charset);
    }
    // With the system fallback a Unicode-only language takes the system's set.
    EXPECT_EQ(LanguageCharset(0x0439, true), CodePageCharset(DefaultCodePage()));

    TFont font;
    SetFontCharsetForLanguage(font, 0x0419);
    EXPECT_EQ(font.GetCharset(), 204);
}

}  // namespace
