#include "base/files/PortablePaths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/files/FolderLocations.h"
#include "base/files/ProgramPaths.h"
#include "base/files/ShellServices.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

// The program on a "memory stick" mounted under the test's folder.
class PortablePathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        OldFolder = ProgramFolder();
        OldDrive = ProgramDrive();
        Stick = Folders.Path() + "/media/ann/STICK";
        fs::create_directories(Stick + "/Rezozuri");
        SetProgramFolder(Stick + "/Rezozuri");
        SetProgramDrive(Stick);
    }
    void TearDown() override {
        SetPortableMode(false);
        SetProgramFolder(OldFolder);
        SetProgramDrive(OldDrive);
        ForgetDataFolders();
    }

    TestSupport::TTempSettingsFolder Folders;
    std::string Stick, OldFolder, OldDrive;
};

TEST_F(PortablePathsTest, PathsInTheDocumentsFolderAreKeptRelative) {
    const std::string docs = GetDataFolder(4);
    EXPECT_EQ(docs, Folders.Path() + "/home/Documents/Rezozuri/");
    EXPECT_EQ(ToPortablePath(docs + "letters/a.rtf"), "%letters/a.rtf");
    EXPECT_EQ(FromPortablePath("%letters/a.rtf"), docs + "letters/a.rtf");
    // Exact bytes: another case is another folder here.
    const std::string other = Folders.Path() + "/home/documents/rezozuri/a.rtf";
    EXPECT_EQ(ToPortablePath(other), other);
    EXPECT_EQ(ToPortablePath(Stick + "/a.rtf"), Stick + "/a.rtf");  // not portable: nothing else changes
    EXPECT_EQ(FromPortablePath("/plain/path"), "/plain/path");
}

TEST_F(PortablePathsTest, InPortableModePathsOnTheProgramsDriveFollowTheDrive) {
    SetPortableMode(true);
    ForgetDataFolders();
    EXPECT_EQ(GetDataFolder(4), Stick + "/Rezozuri/");
    EXPECT_EQ(ToPortablePath(Stick + "/Rezozuri/x.rtf"), "%x.rtf");
    EXPECT_EQ(ToPortablePath(Stick + "/docs/a.rtf"), "%%/docs/a.rtf");
    EXPECT_EQ(ToPortablePath(Stick + "X/a.rtf"), Stick + "X/a.rtf");  // another drive with a longer name
    EXPECT_EQ(FromPortablePath("%%/docs/a.rtf"), Stick + "/docs/a.rtf");
    // Next time the stick is mounted elsewhere.
    SetProgramDrive(Folders.Path() + "/media/ann/STICK1");
    EXPECT_EQ(FromPortablePath("%%/docs/a.rtf"), Folders.Path() + "/media/ann/STICK1/docs/a.rtf");

    ShellServices().WritingSettingsForOtherInstallation = true;
    EXPECT_EQ(ToPortablePath(Folders.Path() + "/media/ann/STICK1/a.rtf"), Folders.Path() + "/media/ann/STICK1/a.rtf");
    ShellServices().WritingSettingsForOtherInstallation = false;
}

TEST_F(PortablePathsTest, AMissingPathMovesToTheProgramsDriveWhereItExists) {
    SetPortableMode(true);
    // The program now runs from the stick mounted as STICK1; a path stored
    // when it was mounted under /media (where nothing is mounted now) no
    // longer exists.
    const std::string now = Folders.Path() + "/media/ann/STICK1";
    fs::create_directories(now + "/docs");
    TestSupport::WriteFileBytes(now + "/docs/a.rtf", "x");
    SetProgramDrive(now);
    const std::string away = "/media/nobody-here/STICK";
    std::string path = away + "/docs/a.rtf";
    FixDriveLetter(path);
    EXPECT_EQ(path, now + "/docs/a.rtf");
    std::string missing = away + "/docs/none.rtf";
    FixDriveLetter(missing);
    EXPECT_EQ(missing, away + "/docs/none.rtf");
    SetPortableMode(false);
    std::string untouched = away + "/docs/a.rtf";
    FixDriveLetter(untouched);
    EXPECT_EQ(untouched, away + "/docs/a.rtf");
}

}  // namespace
