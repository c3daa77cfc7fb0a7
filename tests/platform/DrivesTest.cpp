#include "platform/Drives.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using TestSupport::TTempDir;

TEST(DrivesTest, MountInfoLinesAreParsedWithTheirEscapes) {
    const auto mounts = Platform::ParseMountInfo(
        "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
        "40 22 8:17 / /media/ann/MY\\040STICK rw,nosuid shared:5 master:2 - vfat /dev/sdb1 rw\n"
        "bad line\n"
        "41 22 0:50 / /net/share rw - nfs4 server:/export rw\n");
    ASSERT_EQ(mounts.size(), 3u);
    EXPECT_EQ(mounts[1].MountPoint, "/media/ann/MY STICK");
    EXPECT_EQ(mounts[1].FileSystem, "vfat");
    EXPECT_EQ(mounts[1].Source, "/dev/sdb1");
    EXPECT_EQ(mounts[1].Major, 8u);
    EXPECT_EQ(mounts[1].Minor, 17u);
    EXPECT_EQ(mounts[2].FileSystem, "nfs4");
}

// A /sys layout of our own: an internal SATA disk, a memory stick with
// removable media and a USB hard disk whose media are fixed.
class DriveFactsTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string sys = Sys();
        MakeDisk("pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0/block/sda", "sda2", "8:2", "0");
        MakeDisk("pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0/block/sdb", "sdb1", "8:17", "1");
        MakeDisk("pci0000:00/0000:00:14.0/usb3/3-2/3-2:1.0/host7/target7:0:0/7:0:0:0/block/sdc", "sdc1", "8:33", "0");
        fs::create_directories(Root.Path() + "/media/ann/STICK/docs");
        fs::create_directories(Root.Path() + "/media/ann/USBDISK");
        fs::create_directories(Root.Path() + "/home/ann");
        fs::create_directories(Root.Path() + "/net/share");
        Mounts = {
            {Root.Path(), "ext4", "/dev/sda2", 8, 2},
            {Root.Path() + "/media/ann/STICK", "vfat", "/dev/sdb1", 8, 17},
            {Root.Path() + "/media/ann/USBDISK", "ext4", "/dev/sdc1", 8, 33},
            {Root.Path() + "/net/share", "nfs4", "server:/export", 0, 50},
        };
    }

    std::string Sys() const { return Root.Path() + "/sys"; }

    void MakeDisk(const std::string& diskPath,
                  const std::string& partition,
                  const std::string& devNumber,
                  const char* removable) {
        const std::string disk = Sys() + "/devices/" + diskPath;
        fs::create_directories(disk + "/" + partition);
        TestSupport::WriteFileBytes(disk + "/" + partition + "/partition", "1\n");
        TestSupport::WriteFileBytes(disk + "/removable", std::string(removable) + "\n");
        fs::create_directories(Sys() + "/dev/block");
        fs::create_symlink(disk + "/" + partition, Sys() + "/dev/block/" + devNumber);
    }

    Platform::TDriveFacts Describe(const std::string& relative) const {
        return Platform::DescribeDriveWith(Root.Path() + relative, Mounts, Sys(), Root.Path());
    }

    TTempDir Root;
    std::vector<Platform::TMountEntry> Mounts;
};

TEST_F(DriveFactsTest, DrivesAreJudgedByTheirMountAndDevice) {
    struct Case {
        const char* Path;
        const char* Drive;  // relative to the test root
        int Type;
        bool Removable;
    };
    const Case cases[] = {
        // The internal disk.
        {"/home/ann/letter.rtf", "", Platform::DRIVE_FIXED, false},
        // A stick reports removable media.
        {"/media/ann/STICK/docs", "/media/ann/STICK", Platform::DRIVE_REMOVABLE, true},
        // A USB hard disk: fixed media, but on a bus that can go away.
        {"/media/ann/USBDISK", "/media/ann/USBDISK", Platform::DRIVE_FIXED, true},
        {"/net/share/x.doc", "/net/share", Platform::DRIVE_REMOTE, false},
        // A medium that is not plugged in: its path is missing under /media.
        {"/media/ann/GONE/docs/a.rtf", "/media/ann/GONE", Platform::DRIVE_REMOVABLE, true},
        // A missing file on a drive that is there is judged by that drive.
        {"/media/ann/STICK/missing/a.rtf", "/media/ann/STICK", Platform::DRIVE_REMOVABLE, true},
        {"/home/ann/missing/a.rtf", "", Platform::DRIVE_FIXED, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Path);
        const Platform::TDriveFacts facts = Describe(c.Path);
        EXPECT_EQ(facts.Drive, Root.Path() + c.Drive);
        EXPECT_EQ(facts.Type, c.Type);
        EXPECT_EQ(facts.Removable, c.Removable);
    }
}

TEST_F(DriveFactsTest, BlockDevicesTellRemovableMediaAndExternalBuses) {
    const auto internal = Platform::DescribeBlockDevice(Sys(), 8, 2);
    EXPECT_FALSE(internal.RemovableMedia);
    EXPECT_FALSE(internal.ExternalBus);
    const auto stick = Platform::DescribeBlockDevice(Sys(), 8, 17);
    EXPECT_TRUE(stick.RemovableMedia);
    EXPECT_TRUE(stick.ExternalBus);
    const auto unknown = Platform::DescribeBlockDevice(Sys(), 9, 9);
    EXPECT_FALSE(unknown.RemovableMedia || unknown.ExternalBus);
}

TEST(DrivesTest, TheRealSystemAnswersForTheRootFolder) {
    const Platform::TDriveFacts facts = Platform::DescribeDrive("/");
    EXPECT_EQ(facts.Drive, "/");
    EXPECT_NE(facts.Type, Platform::DRIVE_UNKNOWN);
}

}  // namespace
