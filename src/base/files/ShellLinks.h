#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ByteReader.h"

// Windows shell links (.lnk files) as other programs leave them, for
// example in a document folder copied from Windows. They are read from
// their public format; the program never writes them, because a shell link
// means nothing to the desktops here (a desktop entry is their nearest
// counterpart, and no part of the program needs one).

// What a link file says. Texts are UTF-8; paths are as the link wrote them.
struct TShellLink {
    std::string TargetPath;  // the UNC path when the link has one, else the local path
    std::string Name;        // the description
    std::string RelativePath;
    std::string WorkingDir;
    std::string Arguments;
};

enum class TShellLinkStatus : std::uint8_t { Ok, TooShort, NotALink, Truncated };

struct TShellLinkResult {
    TShellLinkStatus Status = TShellLinkStatus::Ok;
    std::size_t Offset = 0;  // where reading stopped on an error
};

// Reads the bytes of a link file ([MS-SHLLINK] 2.1 to 2.4: the header, the
// item list it skips, the link information and the string data). ANSI texts
// are read in the default code page.
[[nodiscard]] TShellLinkResult ReadShellLink(std::string_view bytes, TShellLink& link);
// The same parse, telling why it stopped: a bad result names the reason and
// the offset of the header (too short, not a link) or of the record that
// runs past the end of the file; a good one the offset after the last
// record read.
[[nodiscard]] TReadResult ParseShellLink(std::string_view bytes, TShellLink& link);

// The upper-cased extension is ".LNK".
bool IsShellLinkFile(std::string_view fileName);

// The target of a link file: its arguments expanded as a portable path when
// they start with "%", else its target path; the link file's own name when
// it cannot be read or names no target.
std::string ResolveShellLink(const std::string& linkFile);
