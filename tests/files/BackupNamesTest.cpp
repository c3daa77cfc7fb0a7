#include "files/saving/BackupNames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

Platform::TCalendarTime At(int year, int month, int day, int hour, int minute) {
    Platform::TCalendarTime t;
    t.Year = year;
    t.Month = month;
    t.Day = day;
    t.Hour = hour;
    t.Minute = minute;
    return t;
}

TEST(BackupNames, StampedNamesAndBack) {
    struct Case {
        const char* Name;
        Platform::TCalendarTime Time;
        const char* Backup;
    };
    const Case cases[] = {
        {"Report.rtf", At(2024, 5, 17, 15, 30), "Report 24-05-17 1530.rtf"},
        {"Notes.txt", At(2025, 1, 3, 9, 5), "Notes 25-01-03 0905.txt"},
        {"archive.tar.cod", At(2000, 12, 31, 23, 59), "archive.tar 00-12-31 2359.cod"},
        {"README", At(2026, 2, 1, 0, 0), "README 26-02-01 0000"},
        {".hidden", At(2026, 2, 1, 0, 7), ".hidden 26-02-01 0007"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(BackupFileName(c.Name, c.Time), c.Backup);
        std::string back;
        ASSERT_TRUE(DocumentNameOfBackup(c.Backup, back));
        EXPECT_EQ(back, c.Name);
    }
    std::string ignored;
    for (const char* plain : {"Report.rtf", "Report 24-05-17.rtf", "Report 24-05-17 15x0.rtf", "x 24-05-1 1530.rtf"}) {
        SCOPED_TRACE(plain);
        EXPECT_FALSE(DocumentNameOfBackup(plain, ignored));
    }
}

// Two documents of the same name in different folders are two groups; the
// per-document subfolder keeps the group the same.
TEST(BackupNames, GroupsFollowTheDocumentsFullPath) {
    const std::string root = "/home/u/.local/share/Rezozuri/Backup";
    const std::string a = BackupFolderOf(root, "/home/u/work/Report.rtf", false);
    const std::string b = BackupFolderOf(root, "/home/u/private/Report.rtf", false);
    const std::string aSub = BackupFolderOf(root, "/home/u/work/Report.rtf", true);
    EXPECT_EQ(a, root + "/home/u/work");
    EXPECT_EQ(aSub, root + "/home/u/work/Report.rtf");
    const std::string name = BackupFileName("Report.rtf", At(2024, 5, 17, 15, 30));
    EXPECT_EQ(BackupGroupOf(root, a + "/" + name), "/home/u/work/report.rtf");
    EXPECT_EQ(BackupGroupOf(root, aSub + "/" + name), "/home/u/work/report.rtf");
    EXPECT_EQ(BackupGroupOf(root, b + "/" + name), "/home/u/private/report.rtf");
    EXPECT_NE(BackupGroupOf(root, a + "/" + name), BackupGroupOf(root, b + "/" + name));
    // Letter case does not split a group; files that are no backups, or lie
    // outside the folder, belong to none.
    EXPECT_EQ(BackupGroupOf(root, a + "/REPORT 24-05-18 0900.RTF"), "/home/u/work/report.rtf");
    EXPECT_EQ(BackupGroupOf(root, a + "/Report.rtf"), "");
    EXPECT_EQ(BackupGroupOf(root, "/tmp/Report 24-05-17 1530.rtf"), "");
    EXPECT_EQ(BackupGroupOf(root, root + "x/Report 24-05-17 1530.rtf"), "");
}

TEST(BackupNames, LimitTables) {
    struct Case {
        std::int32_t Index;
        std::int32_t MaxFiles;
        std::int32_t MinDiff;
    };
    const Case cases[] = {
        {0, 1, 1},     {1, 2, 2},     {2, 3, 5},      {3, 4, 10},    {4, 6, 15},    {5, 10, 20},   {6, 20, 30},
        {7, 30, 45},   {8, 50, 60},   {9, -1, 120},   {10, 10, 180}, {11, 10, 240}, {12, 10, 300}, {13, 10, 360},
        {14, 10, 540}, {15, 10, 720}, {16, 10, 1440}, {17, 10, 5},   {-1, 10, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Index);
        EXPECT_EQ(BackupMaxFiles(c.Index), c.MaxFiles);
        EXPECT_EQ(BackupMinDiffMinutes(c.Index), c.MinDiff);
    }
}

TEST(BackupNames, TrimmingKeepsTheNewest) {
    const std::vector<TBackupFile> group = {{"c", 30}, {"a", 10}, {"d", 40}, {"b", 20}};
    EXPECT_EQ(BackupsToTrim(group, 1), (std::vector<std::string>{"a", "b", "c"}));
    // Room for the new backup of the document being saved: one fewer kept.
    EXPECT_EQ(BackupsToTrim(group, 0), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_TRUE(BackupsToTrim(group, 4).empty());
    EXPECT_TRUE(BackupsToTrim(group, UnlimitedBackups).empty());
}

}  // namespace
