#pragma once

#include <string>

// Drives as the file services see them (platform/Drives.h explains what a
// drive is here): the mount point of a path's file system, its type, and
// whether it can go away.

// The drive of the path: its mount point, or the folder a removable medium
// would be mounted on when the path lies on one that is not plugged in.
std::string DriveOfPath(const std::string& path);
// The platform's drive type of the path's drive (Platform::DRIVE_...).
int GetDriveTypeOf(const std::string& path);
// True for removable media and for disks on a USB or FireWire bus. The
// answer for a drive is worked out once and kept for the run.
bool IsRemovableDrive(const std::string& path);
// Forgets the kept answers (when drives come and go in tests).
void ForgetRemovableDrives();
