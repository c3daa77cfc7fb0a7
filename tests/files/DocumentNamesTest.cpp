#include "files/saving/DocumentNames.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(UntitledNames, SkipsOpenDocumentsAndWraps) {
    struct Case {
        const char* Name;
        std::int32_t Counter;
        std::set<std::string> Open;
        std::int32_t Format;
        std::string Expected;
        std::int32_t CounterAfter;
    };
    const Case cases[] = {
        {"first", 1, {}, 0, "/docs/Doc01.rtf", 2},
        {"three open", 1, {"/docs/Doc01.rtf", "/docs/Doc02.rtf", "/docs/Doc03.rtf"}, 0, "/docs/Doc04.rtf", 5},
        {"99 wraps to 1", 99, {}, 6, "/docs/Doc99.txt", 1},
        {"format extension", 7, {}, 4, "/docs/Doc07.cod", 8},
        {"other formats' names do not clash", 1, {"/docs/Doc01.rtf"}, 2, "/docs/Doc01.docx", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::int32_t counter = c.Counter;
        EXPECT_EQ(UntitledName(counter, c.Format, "/docs", [&](const std::string& n) { return c.Open.count(n) > 0; }),
                  c.Expected);
        EXPECT_EQ(counter, c.CounterAfter);
    }
}

// With every counter value taken, the attempt numbers from 100 on go on.
TEST(UntitledNames, BeyondTheCounter) {
    std::int32_t counter = 1;
    const std::string name = UntitledName(counter, 0, "", [](const std::string& n) { return n.size() == 9; });
    EXPECT_EQ(name, "Doc100.rtf");
}

TEST(SanitizeFileNames, ForbiddenCharactersBecomeBlanks) {
    struct Case {
        const char* Text;
        bool Keep;
        const char* Expected;
    };
    const Case cases[] = {
        {"Plans for 2025/2026", false, "Plans for 2025 2026"},
        {"Plans for 2025/2026", true, "Plans for 2025/2026"},
        {"Note: read", false, "Note  read"},
        {"  \tpadded\r\n ", false, "padded"},
        {"\x84quoted\x93 \xabtext\xbb", false, "quoted   text"},
        {"a*b<c>d?e[f]g{h}i|j\\k\"l", false, "a b c d e f g h i j k l"},
        {"???", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(SanitizeFileName(c.Text, c.Keep), c.Expected);
    }
}

}  // namespace
