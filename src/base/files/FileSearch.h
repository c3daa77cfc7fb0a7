#pragma once

#include <cstdint>
#include <memory>
#include <string>

// A folder search by mask ("folder/*.htm") that matches extensions
// exactly: a mask ending in ".htm" finds "a.htm" and "c.HTM" but not
// "b.html". Wildcards are "*" and "?", letters match without case, and
// "*.*" matches every name. "." and ".." are never returned; hidden files
// (names starting with "."), system files (devices, sockets, pipes) and
// folders only when the attributes ask for them (platform/FileSystem.h).
struct TSearchRec {
    TSearchRec();
    ~TSearchRec();
    TSearchRec(const TSearchRec&) = delete;
    TSearchRec& operator=(const TSearchRec&) = delete;

    std::int32_t Size = 0;  // the low 32 bits of the file size
    std::uint32_t Attr = 0;
    std::string Name;
    std::int64_t FullSize = 0;
    std::int64_t WriteTime = 0;  // seconds since 1970 UTC
    std::uint32_t ExcludeAttr = 0;
    std::string RequiredExt;  // upper case, with its dot; empty for any

    struct TScan;
    std::unique_ptr<TScan> Scan;
};

// 0, or the error: ERROR_FILE_NOT_FOUND when nothing matches,
// ERROR_PATH_NOT_FOUND for a missing folder.
int FindFirstFileMatch(const std::string& mask, std::uint32_t attr, TSearchRec& rec);
// 0, or ERROR_NO_MORE_FILES.
int FindNextFileMatch(TSearchRec& rec);
// Ends the search (the record's destructor does it too).
void FindCloseMatch(TSearchRec& rec);

// Windows-style wildcard match, letters without case: "*" any run, "?" any
// one character; "*.*" matches everything.
bool MatchesMask(const std::string& name, const std::string& pattern);
