#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/core/DateTime.h"

// Single files: their sizes and dates and the texts shown for them,
// comparing two, and writing one whole.

// The file's size, -1 when it cannot be opened.
std::int64_t GetFileSizeByName(const std::string& name);
// Equal sizes and equal bytes. A file that cannot be read raises EAbort.
bool FilesIdentical(const std::string& a, const std::string& b);
// The size rounded up to whole allocation units of the file's file system.
std::int64_t AllocatedFileSize(const std::string& name);
// "1 000 bytes", "64 KB", "1 MB", "1 953 KB", "20.00 MB" (the decimal
// separator is the user's).
std::string FormatFileSize(std::int64_t size);
std::string FileSizeText(const std::string& name);
std::string FolderSizeText(const std::string& path);
// The file's creation (where the file system keeps it, else its last
// write) and last-write time, in local time, to even seconds; the current
// date-time when there is no such file.
TDateTime FileCreationDate(const std::string& name);
TDateTime FileLastWriteDate(const std::string& name);
// Seconds since 1 January of the year 1: compares times across midnight.
std::int64_t DateTimeToSeconds(TDateTime x);
// Writes the text as the whole file; the old file stays whole when that
// fails, which is reported and raises EAbort.
void SaveTextToFile(const std::string& fileName, std::string_view text);
// Moves the file pointer to the start; true on success.
bool RewindFile(int handle);
