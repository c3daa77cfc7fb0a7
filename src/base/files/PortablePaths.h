#pragma once

#include <string>

// Paths kept in the settings so that they survive the program moving:
// a path inside the user's documents folder of the program becomes
// "%" + the rest; in portable mode, a path on the program's own drive
// becomes "%%" + the rest after the drive (the rest starts with "/"), so a
// memory stick mounted elsewhere next time still finds its files. Paths
// compare by their exact bytes here, as the file system does.

std::string ToPortablePath(const std::string& path);
std::string FromPortablePath(const std::string& path);
// In portable mode: a path that does not exist on its own drive, but does on
// the program's drive, is moved to the program's drive.
void FixDriveLetter(std::string& path);
