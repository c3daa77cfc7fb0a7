#include "files/saving/Backups.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "files/saving/BackupNames.h"
#include "platform/Time.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using TestSupport::TScriptedMessageBoxes;
using TestSupport::TTempDir;

std::int64_t LocalSeconds(int year, int month, int day, int hour, int minute) {
    Platform::TCalendarTime time;
    time.Year = year;
    time.Month = month;
    time.Day = day;
    time.Hour = hour;
    time.Minute = minute;
    std::int64_t seconds = 0;
    EXPECT_TRUE(Platform::LocalTimeToUnix(time, seconds));
    return seconds;
}

void WriteFile(const fs::path& path, std::size_t size, std::int64_t time) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << std::string(size, 'x');
    fs::last_write_time(path, std::chrono::file_clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(time))));
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The names of the files below a folder, sorted.
std::vector<std::string> Listing(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (it->is_regular_file())
            names.push_back(fs::relative(it->path(), folder).string());
    std::sort(names.begin(), names.end());
    return names;
}

// A document Report.rtf last written 3 January 2025 at 09:05, a second
// document of the same name in another folder, and the backup folder.
class BackupsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Doc = dir.File("docs/Report.rtf");
        Other = dir.File("other/Report.rtf");
        Settings.CreateBackups = true;
        Settings.Folder = dir.File("backup");
        SourceTime = LocalSeconds(2025, 1, 3, 9, 5);
        WriteFile(Doc, 1000, SourceTime);
    }
    // A backup of the document at path stamped the given minutes before the
    // source's time.
    void AddBackup(const std::string& path, int minutesBefore, std::size_t size = 10) {
        const std::int64_t time = SourceTime - minutesBefore * 60;
        const std::string name = BackupFileName(fs::path(path).filename().string(), Platform::UnixToLocalTime(time));
        WriteFile(fs::path(BackupFolderOf(Settings.Folder, path, false)) / name, size, time);
    }
    std::string DocFolder() const { return fs::relative(BackupFolderOf(Settings.Folder, Doc, false), Settings.Folder); }
    std::string OtherFolder() const {
        return fs::relative(BackupFolderOf(Settings.Folder, Other, false), Settings.Folder);
    }

    TTempDir dir;
    std::string Doc;
    std::string Other;
    TBackupSettings Settings;
    std::int64_t SourceTime = 0;
};

TEST_F(BackupsTest, BackupsAreTakenOnlyWhenAskedForAndDueByTheInterval) {
    struct Case {
        const char* Name;
        bool Create;
        bool Force;
        int NewestMinutesBefore;  // -1: no earlier backup
        bool SkipInterval;
        bool Taken;
    };
    const Case cases[] = {
        {"backups off", false, false, -1, false, false},
        {"off, but forced", false, true, -1, false, true},
        {"first backup", true, false, -1, false, true},
        {"newest 1 minute older, 5 minutes apart wanted", true, false, 1, false, false},
        {"the same, interval skipped", true, false, 1, true, true},
        {"newest 10 minutes older", true, false, 10, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        fs::remove_all(Settings.Folder);
        Settings.CreateBackups = c.Create;
        Settings.MinDiffIndex = 2;
        if (c.NewestMinutesBefore >= 0)
            AddBackup(Doc, c.NewestMinutesBefore);
        TScriptedMessageBoxes boxes;
        EXPECT_TRUE(CreateBackup(Settings, Doc, Doc, c.SkipInterval, c.Force));
        const fs::path expected = fs::path(Settings.Folder) / DocFolder() / "Report 25-01-03 0905.rtf";
        EXPECT_EQ(fs::exists(expected), c.Taken);
        if (c.Taken) {
            EXPECT_EQ(ReadFile(expected), ReadFile(Doc));
        }
        EXPECT_TRUE(boxes.Shown().empty());
    }
}

// With one backup kept, the four older ones of the document go before the
// new one is added, and the other document's group of the same file name
// keeps its newest.
TEST_F(BackupsTest, GroupsAreTrimmedByTheirDocumentsFullPath) {
    Settings.MaxFilesIndex = 0;
    for (int minutes : {100, 200, 300, 400})
        AddBackup(Doc, minutes);
    for (int minutes : {50, 150, 250})
        AddBackup(Other, minutes);
    ASSERT_TRUE(CreateBackup(Settings, Doc, Doc, false));
    EXPECT_EQ(Listing(Settings.Folder), (std::vector<std::string>{DocFolder() + "/Report 25-01-03 0905.rtf",
                                                                  OtherFolder() + "/Report 25-01-03 0815.rtf"}));
}

// Over the size limit: Yes deletes the oldest backups until the new one
// fits, No raises the limit by a fifth at a time, Cancel stops the save.
TEST_F(BackupsTest, TheSizeLimitAsksAndEachAnswerKeepsItsPromise) {
    struct Case {
        const char* Name;
        std::uint16_t Answer;
        bool Result;
        std::int32_t Limit;
        std::vector<std::string> Left;  // the other document's backups kept
    };
    const std::string a = "/Report 25-01-03 0605.rtf", b = "/Report 25-01-03 0705.rtf", c = "/Report 25-01-03 0805.rtf";
    const Case cases[] = {
        {"yes", mrYes, true, 1, {b, c}},
        {"no", mrNo, true, 2, {a, b, c}},
        {"cancel", mrCancel, false, 1, {a, b, c}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.Name);
        fs::remove_all(Settings.Folder);
        Settings.MaxAmountMegabytes = 1;
        Settings.MaxFilesIndex = 9;
        for (int minutes : {60, 120, 180})
            AddBackup(Other, minutes, 400 * 1024);
        TScriptedMessageBoxes boxes({k.Answer});
        EXPECT_EQ(CreateBackup(Settings, Doc, Doc, false), k.Result);
        EXPECT_EQ(Settings.MaxAmountMegabytes, k.Limit);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_NE(boxes.Shown()[0].Text.find("Your backup folder has reached its size limit."), std::string::npos);
        std::vector<std::string> left;
        for (const std::string& name : k.Left)
            left.push_back(OtherFolder() + name);
        if (k.Result)
            left.push_back(DocFolder() + "/Report 25-01-03 0905.rtf");
        std::sort(left.begin(), left.end());
        EXPECT_EQ(Listing(Settings.Folder), left);
    }
}

// A backup that cannot be written cancels the save after the question and
// leaves the document's file and the backup folder as they were.
TEST_F(BackupsTest, AFailedBackupLeavesTheDocumentAlone) {
    const std::string before = ReadFile(Doc);
    // A folder, not empty, where the backup file would go.
    const std::string blocker = DocFolder() + "/Report 25-01-03 0905.rtf/kept";
    WriteFile(fs::path(Settings.Folder) / blocker, 1, SourceTime);
    TScriptedMessageBoxes boxes({mrRetry, mrCancel});
    EXPECT_FALSE(CreateBackup(Settings, Doc, Doc, false));
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[0].Text.find("Error creating backup file (Report 25-01-03 0905.rtf) for document \"" + Doc),
              0u);
    EXPECT_EQ(ReadFile(Doc), before);
    EXPECT_EQ(Listing(Settings.Folder), std::vector<std::string>{blocker});

    const std::string longName = dir.File(std::string(240, 'n') + ".rtf");
    WriteFile(longName, 10, SourceTime);
    TScriptedMessageBoxes info;
    EXPECT_FALSE(CreateBackup(Settings, longName, longName, false));
    ASSERT_EQ(info.Shown().size(), 1u);
    EXPECT_EQ(info.Shown()[0].Text.find("Rezozuri cannot back up\r\"" + longName), 0u);
}

}  // namespace
