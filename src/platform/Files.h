#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Plain file access. Paths are UTF-8 with "/" as the separator. The layer
// absorbs interrupted and partial system calls: a read or write returns fewer
// bytes than asked only at the end of the file or on a real error.
namespace Platform {

using TFileHandle = int;
constexpr TFileHandle kNoFile = -1;

enum class TFileAccess : std::uint8_t { Read, Write, ReadWrite };

// Opens an existing file; kNoFile when it cannot be opened. Windows-style
// sharing modes have no counterpart here: other processes may always read.
TFileHandle OpenExistingFile(const std::string& path, TFileAccess access);
// Creates a file for reading and writing, emptying an existing one.
TFileHandle CreateFileAnew(const std::string& path);
// Creates a file for reading and writing that must not exist yet; kNoFile
// when it exists or cannot be made.
TFileHandle CreateNewFile(const std::string& path);
void CloseFile(TFileHandle file);
// Takes the advisory write lock by which our own instances tell that a file
// is open for editing; false when another open handle (in this process or
// another) holds it. Programs that take no such locks are not kept out.
// The lock goes with the handle when it is closed.
bool TryLockForEditing(TFileHandle file);

// Bytes transferred; 0 on failure.
std::int64_t ReadFileBytes(TFileHandle file, void* buffer, std::int64_t count);
std::int64_t WriteFileBytes(TFileHandle file, const void* buffer, std::int64_t count);

// Where SeekFile counts its offset from.
enum : int { kSeekFromStart = 0, kSeekFromCurrent = 1, kSeekFromEnd = 2 };
// origin: kSeekFromStart, kSeekFromCurrent or kSeekFromEnd. Returns the new
// position, or -1 on failure.
std::int64_t SeekFile(TFileHandle file, std::int64_t offset, int origin);
// Cuts or extends the file at the current position.
bool TruncateFileHere(TFileHandle file);

bool FileExists(const std::string& path);
bool DeleteFileAt(const std::string& path);
// Puts the file from in the place of the file to in one step, so that to is
// always either the old or the new file, never half of one. An existing to
// lends its permission bits to the new file; when to is a symbolic link, the
// file it points to is replaced. False (from left alone) when it fails.
bool MoveFileOver(const std::string& from, const std::string& to);

// A file being written anew beside the file it will replace. Savers write
// the whole new contents into File and then commit, which flushes them to
// the disk and renames the temporary file over the target in one step; until
// then the old file is untouched, and an abandoned replacement leaves no
// trace. The temporary file is hidden, lies in the target's folder (a rename
// cannot cross file systems) and carries the host and process id of its
// writer, so that a later writer can tell the leftovers of a killed one.
struct TFileReplacement {
    TFileHandle File = kNoFile;
    std::string Target;     // the file replaced: what a symbolic link names
    std::string Temporary;  // empty when no replacement is under way
    bool Existed = false;
    std::uint32_t Mode = 0;  // the old file's permission bits, kept for the new one
    std::uint32_t Owner = 0;
    std::uint32_t Group = 0;
};

// Creates the temporary file for replacing path. Fails, with the reason and
// nothing created, when the folder cannot take a new file, or when path is a
// folder, a device or another special file, or an existing file we may not
// write (a read-only file stays read-only). First removes the temporary
// files that writers which have since died left in the folder.
bool BeginFileReplacement(const std::string& path, TFileReplacement& replacement, std::string& error);
// Flushes the written file to the disk, gives it the old file's permission
// bits (and owner, where allowed) and puts it in the target's place. On
// failure the temporary file is removed and the old file stays as it was.
bool CommitFileReplacement(TFileReplacement& replacement, std::string& error);
// Closes and removes the temporary file; nothing when none is under way.
void AbandonFileReplacement(TFileReplacement& replacement);
// Removes the replacement files in folder whose writers on this host have
// died (a killed saver leaves its temporary file behind). A live writer's
// file, even one that is stopped, is never touched.
void RemoveStaleReplacementFiles(const std::string& folder);

// The last system error as readable text ("No such file or directory").
std::string LastErrorText();

}  // namespace Platform
