#pragma once

#include <cstddef>
#include <string>

// Facts about the process, the user and the system.
namespace Platform {

// The value of an environment variable, empty when unset.
std::string EnvironmentValue(const char* name);
// The number of the user the program runs as.
unsigned CurrentUserId();
// The user's home folder, without a trailing "/".
std::string HomeFolder();
// The folder of the running program, without a trailing "/".
std::string ExecutableFolder();

// Special folders by their conventional numbers, mapped to the desktop's own
// folders (XDG base and user directories): 0 desktop, 5 documents, 13 music,
// 14 videos, 20 fonts, 21 templates, 26 the user's settings ($XDG_CONFIG_HOME),
// 28 the user's local data ($XDG_DATA_HOME), 35 data shared by the
// installation (also $XDG_DATA_HOME: nothing else is writable by a user),
// 39 pictures, 40 the home folder. No trailing "/"; empty for a number with
// no counterpart.
enum : int {
    CSIDL_DESKTOP = 0,
    CSIDL_PERSONAL = 5,
    CSIDL_MYMUSIC = 13,
    CSIDL_MYVIDEO = 14,
    CSIDL_FONTS = 20,
    CSIDL_TEMPLATES = 21,
    CSIDL_APPDATA = 26,
    CSIDL_LOCAL_APPDATA = 28,
    CSIDL_COMMON_APPDATA = 35,
    CSIDL_MYPICTURES = 39,
    CSIDL_PROFILE = 40,
};
std::string SpecialFolderPath(int csidl);

// Fills a block with random bytes from the kernel; false when none can be had.
bool RandomBytes(void* buffer, std::size_t count);

// The decimal separator of the user's number format (LC_NUMERIC).
char UserDecimalSeparator();

}  // namespace Platform
