#pragma once

#include <string>
#include <string_view>
#include <vector>

// Drives. Linux has no drive letters: the "drive" of a path is the mount
// point of the file system that holds it ("/" for most paths,
// "/media/ann/STICK" for a memory stick). A path that does not exist is
// judged by the part of it that does; a missing path under one of the
// folders where the desktop mounts removable media (/media, /run/media,
// /mnt) belongs to a medium that is not plugged in, which counts as a
// removable drive of its own.
namespace Platform {

// Drive types with their conventional numbers.
enum : int {
    DRIVE_UNKNOWN = 0,
    DRIVE_NO_ROOT_DIR = 1,
    DRIVE_REMOVABLE = 2,
    DRIVE_FIXED = 3,
    DRIVE_REMOTE = 4,
    DRIVE_CDROM = 5,
    DRIVE_RAMDISK = 6,
};

struct TMountEntry {
    std::string MountPoint;
    std::string FileSystem;  // "ext4", "vfat", "nfs4" ...
    std::string Source;      // "/dev/sdb1"
    unsigned Major = 0, Minor = 0;
};

// Parses /proc/<pid>/mountinfo text (octal escapes such as \040 decoded).
std::vector<TMountEntry> ParseMountInfo(std::string_view text);

struct TDriveFacts {
    std::string Drive;  // the mount point; empty when nothing could be found
    int Type = DRIVE_UNKNOWN;
    // Removable media, or a disk on a USB or FireWire bus.
    bool Removable = false;
};

TDriveFacts DescribeDrive(const std::string& path);

// The same judgement on given mount entries and a given /sys tree, with the
// removable-media folders looked for below fsRoot ("" for the real ones):
// tests pass their own.
TDriveFacts DescribeDriveWith(const std::string& path,
                              const std::vector<TMountEntry>& mounts,
                              const std::string& sysRoot,
                              const std::string& fsRoot);

// What /sys (or a copy of its layout under sysRoot) tells of the block device
// major:minor: whether its media are removable (the disk's "removable" flag)
// and whether it hangs off a USB or FireWire bus (an external disk whose
// media are fixed).
struct TBlockDeviceFacts {
    bool RemovableMedia = false;
    bool ExternalBus = false;
};
TBlockDeviceFacts DescribeBlockDevice(const std::string& sysRoot, unsigned major, unsigned minor);

}  // namespace Platform
