#pragma once

#include <functional>
#include <string>
#include <string_view>

class TCanvas;
class TStrings;

// Paths and file names as text: comparing, taking apart, cleaning and
// fitting them for display. Paths are UTF-8 with "/".

// Equal under the comparison locale with case ignored.
bool SameTextNoCase(std::string_view a, std::string_view b);
// The name without its extension (the last "." of the last path part).
std::string RemoveFileExt(const std::string& name);
// Drops the characters " * / : < > ? \ | that file systems of other systems
// refuse, so that names stay valid on memory sticks (control characters
// stay).
std::string RemoveInvalidFileNameChars(std::string_view s);
// Paths have no short forms here: the path as it is.
std::string ExpandToLongPath(const std::string& path);
// Appends "/" unless the path is empty or ends with one already. (The name
// keeps the one its callers know from other systems' separator.)
void AddTrailingBackslash(std::string& path);
// The components of a folder path from the first to the last
// ("/home/ann/Docs/" gives home, ann, Docs).
void SplitFolderPath(std::string_view path, TStrings& list);
// A caption shown as a menu item: "-" alone becomes "- " (not a
// separator); elsewhere every "&" is doubled (not an accelerator).
std::string EscapeMenuCaption(std::string_view s);

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
