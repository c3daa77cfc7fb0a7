#include "base/files/TempFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "base/files/ProgramPaths.h"
#include "base/files/ShellServices.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

class TempFilesTest : public ::testing::Test {
protected:
    TestSupport::TTempSettingsFolder Folders;
};

TEST_F(TempFilesTest, TheTemporaryFolderIsTheUsersOwn) {
    const std::string folder = GetTempFolder();
    EXPECT_EQ(folder.compare(0, Folders.Path().size() + 5, Folders.Path() + "/tmp/"), 0) << folder;
    EXPECT_EQ(folder.back(), '/');
    struct stat st;
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(GetTempFolder(), folder);  // kept for the run
}

// Someone else's link in the shared temporary folder is not followed: the
// documents folder takes its place.
TEST_F(TempFilesTest, APlantedLinkIsNotUsedAsTheTemporaryFolder) {
    const std::string elsewhere = Folders.Path() + "/elsewhere";
    fs::create_directory(elsewhere);
    const std::string planned = GetTempFolder();
    ForgetTempFolder();
    fs::remove_all(planned);
    fs::create_directory_symlink(elsewhere, planned.substr(0, planned.size() - 1));
    const std::string folder = GetTempFolder();
    EXPECT_NE(folder, planned);
    EXPECT_EQ(folder, Folders.Path() + "/home/Documents/");
}

TEST_F(TempFilesTest, TemporaryNamesNeverRepeat) {
    const std::string a = MakeTempFileName(".tmp");
    const std::string b = MakeTempFileName(".tmp");
    EXPECT_NE(a, b);
    EXPECT_EQ(a.compare(0, GetTempFolder().size() + 4, GetTempFolder() + "~Zek"), 0);
    EXPECT_EQ(MakeTempFileNamePlain(".x").compare(GetTempFolder().size(), 3, "Zek"), 0);
    EXPECT_EQ(MakeTempFileNameOfKind(1).substr(MakeTempFileNameOfKind(1).size() - 4), ".mqd");
    // A name whose file exists is passed over.
    const std::string next = MakeTempFileName(".rtf");
    const std::size_t digits = GetTempFolder().size() + 4;
    const int n = std::stoi(next.substr(digits));
    TestSupport::WriteFileBytes(GetTempFolder() + "~Zek" + std::to_string(n + 1) + ".rtf", "taken");
    EXPECT_EQ(MakeTempFileName(".rtf"), GetTempFolder() + "~Zek" + std::to_string(n + 2) + ".rtf");
    const std::string sub = MakeTempSubfolder();
    EXPECT_EQ(sub, GetTempFolder() + "~Zek0");
    EXPECT_EQ(MakeTempSubfolder(), GetTempFolder() + "~Zek1");
    EXPECT_TRUE(TempFileUsable("~Zek-probe"));
    EXPECT_FALSE(fs::exists(GetTempFolder() + "~Zek-probe"));
}

TEST_F(TempFilesTest, DeleteTempFilesRemovesOnlyWhatTheProgramLeft) {
    const std::string folder = GetTempFolder();
    const std::string outside = Folders.Path() + "/precious";
    fs::create_directories(outside);
    TestSupport::WriteFileBytes(outside + "/keep.txt", "keep");
    TestSupport::WriteFileBytes(folder + "~Zek1.tmp", "x");
    TestSupport::WriteFileBytes(folder + "other.tmp", "x");
    fs::create_directories(folder + "~Zek2/inner");
    TestSupport::WriteFileBytes(folder + "~Zek2/inner/f", "x");
    fs::create_directory_symlink(outside, folder + "~Zek2/link");
    fs::create_directory_symlink(outside, folder + "~Zek3");
    TestSupport::WriteFileBytes(folder + "Rezozuri Word Processor Setup.exe", "x");

    // Not while another copy of the program may still use them.
    ShellServices().OtherInstanceRunning = [] { return true; };
    DeleteTempFiles();
    EXPECT_TRUE(fs::exists(folder + "~Zek1.tmp"));
    ShellServices().OtherInstanceRunning = nullptr;

    DeleteTempFiles();
    EXPECT_FALSE(fs::exists(folder + "~Zek1.tmp"));
    EXPECT_FALSE(fs::exists(folder + "~Zek2"));
    EXPECT_FALSE(fs::is_symlink(folder + "~Zek3"));
    EXPECT_FALSE(fs::exists(folder + "Rezozuri Word Processor Setup.exe"));
    EXPECT_TRUE(fs::exists(folder + "other.tmp"));
    // What the links pointed at is untouched.
    EXPECT_EQ(TestSupport::ReadFileBytes(outside + "/keep.txt"), "keep");
}

}  // namespace
