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
void CloseFile(TFileHandle file);

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

// The last system error as readable text ("No such file or directory").
std::string LastErrorText();

}  // namespace Platform
