#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class TStrings;

// Operations on folders and whole trees: creating, listing, measuring,
// copying and moving, deleting, and deleting into the desktop's trash.
// Paths are UTF-8 with "/".

bool FolderExists(const std::string& path);
// Creates the folder and its missing parents; nothing is reported.
void ForceFolders(const std::string& path);
// Deletes every file and subfolder of the folder, then the folder.
void DeleteFolderTree(const std::string& folder);
// The size of an allocation unit of the path's file system.
std::int64_t ClusterSize(const std::string& path);
// The sizes of all files below the folder, each rounded up to whole
// allocation units.
std::int64_t FolderSizeOnDisk(const std::string& path);

// The folder holds nothing at all (hidden entries count).
bool FolderIsEmpty(const std::string& path);
// Removes every direct subfolder that is empty.
void RemoveEmptySubfolders(const std::string& folder);

// Adds the full paths of the files below folder that match the mask, the
// files of each subfolder before those of the folder itself. "*" and "*.*"
// match every file; a mask with an extension matches exactly that extension,
// without case ("*.htm" does not take "a.html"). With includeEmptyFolders a
// subfolder in which nothing was found is added itself.
void ListFiles(const std::string& folder, std::string_view mask, TStrings& list, bool includeEmptyFolders);

// Copies (or moves) everything below source into destination, creating its
// folders. Only what was there when the call began is handled, so a
// destination inside the source is not copied into itself. An existing file
// is replaced only with overwrite; without it the destination's version is
// kept, and when moving, the source file is kept too: a source file is
// deleted only once it has been copied. True when every entry was handled.
bool CopyFolder(const std::string& source, const std::string& destination, bool overwrite, bool move);

// Moves a file or folder into the desktop's trash (the freedesktop.org
// Trash standard: $XDG_DATA_HOME/Trash, its files/ and info/ with a
// .trashinfo record), from where the user can restore it. False, with
// nothing changed, when it cannot be done.
bool DeleteToRecycleBin(const std::string& path);
