#include "base/files/PathNames.h"

#include <gtest/gtest.h>

#include <string>

#include "base/files/ShellServices.h"

namespace {

// Text widths as a fixed-pitch font gives them: 10 a character.
int Width(std::string_view s) {
    return static_cast<int>(s.size()) * 10;
}

TEST(PathNamesTest, FitPathToWidth) {
    ShellServices().ShowFullPaths = true;
    struct Case {
        const char* Path;
        int Width;
        const char* Result;
    };
    const Case cases[] = {
        // Fits as it is.
        {"/home/ann/a.rtf", 150, "/home/ann/a.rtf"},
        // Leading folders give way to "...", the second part first.
        {"/home/ann/letters/2024/a.rtf", 200, "/home/.../a.rtf"},
        {"/home/ann/letters/2024/a.rtf", 120, "/.../a.rtf"},
        // Then the middle of the file name, never below 10 characters.
        {"/a/averyverylongname.rtf", 200, "/.../avery...me.rtf"},
        {"/a/averyverylongname.rtf", 10, "/.../aver...me.rtf"},
        // A folder keeps its whole path.
        {"/home/ann/", 100, "/home/ann/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Path + std::string(" @ ") + std::to_string(c.Width));
        EXPECT_EQ(FitPathToWidth(c.Path, Width, c.Width), c.Result);
    }
    ShellServices().ShowFullPaths = false;
    EXPECT_EQ(FitPathToWidth("/home/ann/letter.rtf", Width, 1000), "letter.rtf");
    EXPECT_EQ(FitPathToWidth("/home/ann/averyverylongname.rtf", Width, 100), "aver...me.rtf");
}

TEST(PathNamesTest, SmallTextHelpers) {
    EXPECT_EQ(EscapeMenuCaption("Save & Close"), "Save && Close");
    EXPECT_EQ(EscapeMenuCaption("-"), "- ");
    EXPECT_EQ(EscapeMenuCaption("--"), "--");
    EXPECT_EQ(RemoveInvalidFileNameChars("a\"b*c/d:e<f>g?h\\i|j\tk"), "abcdefghij\tk");
    EXPECT_EQ(RemoveFileExt("/a.b/c.txt"), "/a.b/c");
    EXPECT_EQ(RemoveFileExt("/a.b/c"), "/a.b/c");
    EXPECT_TRUE(SameTextNoCase("Letter", "LETTER"));
    EXPECT_FALSE(SameTextNoCase("Letter", "Letters"));
}

}  // namespace
