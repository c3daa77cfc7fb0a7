#include "base/files/FileOperations.h"

#include <gtest/gtest.h>

#include <string>

#include "base/core/Errors.h"
#include "platform/System.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::TTempDir;

TEST(FileOperationsTest, FormatFileSize) {
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

TEST(FileOperationsTest, DateTimeToSecondsCountsFromTheYearOne) {
    TDateTime dt = 0;
    ASSERT_TRUE(TryEncodeDate(1, 1, 1, dt));
    EXPECT_EQ(DateTimeToSeconds(dt), 86400);  // day one counts as one
    TDateTime day = 0, time = 0;
    ASSERT_TRUE(TryEncodeDate(2024, 1, 1, day));
    ASSERT_TRUE(TryEncodeTime(1, 0, 1, 0, time));
    EXPECT_EQ(DateTimeToSeconds(day + time) - DateTimeToSeconds(day), 3601);
    EXPECT_EQ(DateTimeToSeconds(day + 1) - DateTimeToSeconds(day + time), 86400 - 3601);
}

TEST(FileOperationsTest, FilesSizesDatesAndComparison) {
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
