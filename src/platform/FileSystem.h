#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Folders, file facts and whole-file replacement. Paths are UTF-8 with "/".
namespace Platform {

// Attribute bits of file entries, with the values the file services have
// always used. Linux has no hidden or system flags of its own: a name that
// starts with "." counts as hidden, and anything that is neither a regular
// file nor a folder (devices, sockets, pipes) counts as a system file.
enum : std::uint32_t {
    faReadOnly = 0x01,
    faHidden = 0x02,
    faSysFile = 0x04,
    faVolumeID = 0x08,
    faDirectory = 0x10,
    faArchive = 0x20,
};

// Error codes of the folder search, with their usual numbers.
enum : int {
    ERROR_FILE_NOT_FOUND = 2,
    ERROR_PATH_NOT_FOUND = 3,
    ERROR_ACCESS_DENIED = 5,
    ERROR_NO_MORE_FILES = 18,
};

struct TFileInfo {
    std::uint32_t Attr = 0;
    std::int64_t Size = 0;
    std::int64_t WriteTime = 0;     // seconds since 1970 UTC
    std::int64_t CreationTime = 0;  // birth time where the file system keeps one, else the write time
    std::int64_t AllocationUnit = 0;
};

// Facts about a file or folder (symbolic links are followed); false when it
// does not exist.
bool GetFileInfo(const std::string& path, TFileInfo& info);

struct TFolderEntry {
    std::string Name;
    TFileInfo Info;       // of what a symbolic link points at
    bool IsLink = false;  // the entry itself is a symbolic link
};
// The entries of a folder except "." and "..", in the order the file system
// gives them. 0, or ERROR_PATH_NOT_FOUND / ERROR_ACCESS_DENIED.
int ListFolder(const std::string& folder, std::vector<TFolderEntry>& entries);

bool FolderExists(const std::string& path);
// Creates one folder (its parent must exist); true when it exists afterwards.
bool CreateFolder(const std::string& path);
// Removes an empty folder.
bool RemoveFolder(const std::string& path);
// The current folder, without a trailing "/"; and changing it.
std::string CurrentFolder();
bool SetCurrentFolder(const std::string& path);

// Replaces the whole file with data so that, whatever happens meanwhile (a
// crash, a killed process, a full disk), the file holds either its old or its
// new contents: the data goes to a temporary file in the same folder, is
// flushed to the disk and renamed over the file (BeginFileReplacement of
// platform/Files.h, with the same refusals). On failure the old file is
// untouched, the temporary file is removed and error says why.
bool ReplaceFileAtomically(const std::string& path, const void* data, std::int64_t size, std::string& error);

// The system's folder for temporary files ($TMPDIR, else /tmp), without a
// trailing "/".
std::string SystemTempFolder();
// Makes sure path is a folder of our own that nobody else may enter (created
// with mode 0700 when missing). False, with the reason, when it exists but is
// a symbolic link, is not a folder or belongs to another user: temporary
// files with guessable names must not be placed where someone else can
// plant links.
bool EnsurePrivateFolder(const std::string& path, std::string& error);

}  // namespace Platform
