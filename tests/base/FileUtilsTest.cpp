#include "base/files/FileUtils.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "base/core/Errors.h"
#include "base/files/ShellServices.h"
#include "platform/System.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::TTempDir;

// Text widths as a fixed-pitch font gives them: 10 a character.
int Width(std::string_view s) {
    return static_cast<int>(s.size()) * 10;
}

TEST(FileUtilsTest, FormatFileSize) {
    const std::string d(1, Platform::UserDecimalSeparator());
    struct Case {
        std::int64_t Size;
        std::string Text;
    };
    const Case cases[] = {
        {0, "0 bytes"},
        {1000, "1 000 bytes"},
        {65534, "65 534 bytes"},
        {65535, "64 KB"},
        {1048576, "1 MB"},
        {2000000, "1 953 KB"},
        {16777214, "16 384 KB"},
        {16777215, "16" + d + "00 MB"},
        {20971520, "20" + d + "00 MB"},
        {5368709120, "5 120" + d + "00 MB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Size);
        EXPECT_EQ(FormatFileSize(c.Size), c.Text);
    }
}

TEST(FileUtilsTest, FitPathToWidth) {
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

TEST(FileUtilsTest, SmallTextHelpers) {
    EXPECT_EQ(EscapeMenuCaption("Save & Close"), "Save && Close");
    EXPECT_EQ(EscapeMenuCaption("-"), "- ");
    EXPECT_EQ(EscapeMenuCaption("--"), "--");
    EXPECT_EQ(RemoveInvalidFileNameChars("a\"b*c/d:e<f>g?h\\i|j\tk"), "abcdefghij\tk");
    EXPECT_EQ(RemoveFileExt("/a.b/c.txt"), "/a.b/c");
    EXPECT_EQ(RemoveFileExt("/a.b/c"), "/a.b/c");
    EXPECT_TRUE(SameTextNoCase("Letter", "LETTER"));
    EXPECT_FALSE(SameTextNoCase("Letter", "Letters"));
    const std::string guid = NewGuidString();
    EXPECT_TRUE(
        std::regex_match(guid, std::regex("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}")))
        << guid;
    EXPECT_NE(NewGuidString(), guid);
}

TEST(FileUtilsTest, DateTimeToSecondsCountsFromTheYearOne) {
    TDateTime dt = 0;
    ASSERT_TRUE(TryEncodeDate(1, 1, 1, dt));
    EXPECT_EQ(DateTimeToSeconds(dt), 86400);  // day one counts as one
    TDateTime day = 0, time = 0;
    ASSERT_TRUE(TryEncodeDate(2024, 1, 1, day));
    ASSERT_TRUE(TryEncodeTime(1, 0, 1, 0, time));
    EXPECT_EQ(DateTimeToSeconds(day + time) - DateTimeToSeconds(day), 3601);
    EXPECT_EQ(DateTimeToSeconds(day + 1) - DateTimeToSeconds(day + time), 86400 - 3601);
}

TEST(FileUtilsTest, FilesSizesDatesAndComparison) {
    TTempDir dir;
    const std::string a = dir.File("a.txt"), b = dir.File("b.txt"), c = dir.File("c.txt");
    SaveTextToFile(a, "same text");
    SaveTextToFile(b, "same text");
    SaveTextToFile(c, "same size");
    EXPECT_EQ(GetFileSizeByName(a), 9);
    EXPECT_EQ(GetFileSizeByName(dir.File("missing")), -1);
    EXPECT_EQ(GetFileSizeByName(dir.Path()), -1);
    EXPECT_TRUE(FilesIdentical(a, b));
    EXPECT_FALSE(FilesIdentical(a, c));
    EXPECT_THROW(FilesIdentical(a, dir.File("missing")), EAbort);
    EXPECT_GE(AllocatedFileSize(a), 9);
    EXPECT_EQ(AllocatedFileSize(a) % 512, 0);

    const TDateTime written = FileLastWriteDate(a);
    EXPECT_NEAR(written, Now(), 1.0 / 24);
    int h, m, s, ms;
    DecodeTime(written, h, m, s, ms);
    EXPECT_EQ(s % 2, 0);  // two-second steps
    EXPECT_EQ(ms, 0);
    EXPECT_LE(FileCreationDate(a), written + 1.0 / 86400);
    EXPECT_NEAR(FileLastWriteDate(dir.File("missing")), Now(), 1.0 / 24);  // now, for a missing file

    // Saving over a file that cannot be replaced tells the user and keeps it.
    TestSupport::TScriptedMessageBoxes boxes;
    EXPECT_THROW(SaveTextToFile(dir.File("no/such/folder.txt"), "x"), EAbort);
    ASSERT_EQ(boxes.Shown().size(), 1u);
}

}  // namespace
