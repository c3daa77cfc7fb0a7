#pragma once

#include <string>
#include <string_view>

class TDoc;

// Clips: parts of documents saved into the Clip Library folder tree, a
// document clip for text and a picture clip for a picture alone. The
// dialogs and settings around them belong to the window; these are the
// names and checks they rely on.

// The subfolders every Clip Library holds.
inline constexpr const char* ClipImagesFolder = "Images";
inline constexpr const char* ClipTablesFolder = "Tables";

// The longest clip name made from text, in characters.
inline constexpr std::size_t MaxClipNameLength = 50;

// The clip name of a text (UTF-16): trailing word delimiters (blanks,
// punctuation, quotes and marks) trimmed, cut to MaxClipNameLength
// characters, then every character a file name must not hold and every
// control character made a blank and blanks at both ends trimmed. UTF-8;
// empty when nothing is left.
std::string ClipNameFromText(std::u16string_view text);

// The clip name of the document's selection: the sentence at the start of
// its first range, at most to the end of that paragraph, as
// ClipNameFromText makes it. Empty without a selection or text.
std::string ClipNameFromSelection(TDoc& doc);

// The path offered for a new clip in folder (ending in "/"): the clip name
// with the extension, or, with no name, the first free "Clip 1.ext",
// "Clip 2.ext", ...
std::string SuggestedClipPath(const std::string& folder, const std::string& clipName, const std::string& extension);

// Whether path lies inside the Clip Library folder library or one of its
// subfolders. Both are compared as absolute paths with "." and ".." taken
// out, so "Clips/../Other/x.rtf" is outside; the library itself is no
// clip.
bool IsInsideClipLibrary(const std::string& path, const std::string& library);

// Creates the Clip Library folder with its subfolders where they are
// missing; false (and a reported error) when one cannot be made.
bool CreateClipLibraryFolders(const std::string& library);
