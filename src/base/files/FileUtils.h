#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/core/DateTime.h"

class TCanvas;

// File names, sizes and dates, and their display texts.

// Equal under the comparison locale with case ignored.
bool SameTextNoCase(std::string_view a, std::string_view b);
// The name without its extension (the last "." of the last path part).
std::string RemoveFileExt(const std::string& name);
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
// Drops the characters " * / : < > ? \ | that file systems of other systems
// refuse, so that names stay valid on memory sticks (control characters
// stay).
std::string RemoveInvalidFileNameChars(std::string_view s);
// Paths have no short forms here: the path as it is.
std::string ExpandToLongPath(const std::string& path);
// Writes the text as the whole file; the old file stays whole when that
// fails, which is reported and raises EAbort.
void SaveTextToFile(const std::string& fileName, std::string_view text);
// Moves the file pointer to the start; true on success.
bool RewindFile(int handle);
// A caption shown as a menu item: "-" alone becomes "- " (not a
// separator); elsewhere every "&" is doubled (not an accelerator).
std::string EscapeMenuCaption(std::string_view s);
// A new random GUID in its registry text form without braces (36
// upper-case characters); the date-time when no randomness can be had.
std::string NewGuidString();

// Shortens a path for a menu or caption to maxWidth, as measured by
// textWidth: the file name alone unless whole paths are wanted (the shell's
// option) or the path names a folder; then leading folders give way to
// "...", and at last the middle of the file name, never below 10
// characters, so the result may stay wider.
std::string FitPathToWidth(const std::string& path,
                           const std::function<int(std::string_view)>& textWidth,
                           int maxWidth);
// The same, measured with the canvas's font.
std::string FitPathToWidth(const std::string& path, TCanvas& canvas, int maxWidth);
