#pragma once

#include <string>

// Where the program lives, set by the application shell at start-up before
// any file service runs. Until it is set, the folder is the running
// executable's own.
//
// Portable mode: a copy of the program that runs from a removable drive and
// keeps its settings and data in its own folder. Linux has no drive letters;
// the program's "drive" is the mount point of the file system its folder is
// on (for a memory stick, "/media/ann/STICK"), so stored paths can survive
// the stick being mounted somewhere else next time.

bool PortableMode();
void SetPortableMode(bool portable);

// The program's folder, ending with "/".
const std::string& ProgramFolder();
// The mount point of the program's folder, without a trailing "/" ("/" for
// the root file system).
const std::string& ProgramDrive();
// Sets the program's folder (a trailing "/" is added) and its drive.
void SetProgramFolder(const std::string& folder);
// Tests and special set-ups may name the drive themselves.
void SetProgramDrive(const std::string& drive);
