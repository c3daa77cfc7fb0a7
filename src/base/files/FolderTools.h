#pragma once

#include <string>
#include <string_view>

class TStrings;

// Folder operations on whole trees: listing, copying and moving, deleting
// into the desktop's trash. Paths are UTF-8 with "/".

// Appends "/" unless the path is empty or ends with one already. (The name
// keeps the one its callers know from other systems' separator.)
void AddTrailingBackslash(std::string& path);
// The components of a folder path from the first to the last
// ("/home/ann/Docs/" gives home, ann, Docs).
void SplitFolderPath(std::string_view path, TStrings& list);

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
// Trash specification: $XDG_DATA_HOME/Trash, its files/ and info/ with a
// .trashinfo record), from where the user can restore it. False, with
// nothing changed, when it cannot be done.
bool DeleteToRecycleBin(const std::string& path);
