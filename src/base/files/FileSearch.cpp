#include "base/files/FileSearch.h"

#include <vector>

#include "platform/FileSystem.h"

struct TSearchRec::TScan {
    std::string Pattern;
    std::vector<Platform::TFolderEntry> Entries;
    std::size_t Next = 0;
};

TSearchRec::TSearchRec() = default;
TSearchRec::~TSearchRec() = default;

namespace {

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

std::string UpperExtension(const std::string& name) {
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string::npos)
        return std::string();
    std::string ext = name.substr(dot);
    for (char& c : ext)
        c = Upper(c);
    return ext;
}

bool Match(const char* n, const char* p) {
    // Iterative matching with one back-track point for the last "*".
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*n != '\0') {
        if (*p == '*') {
            star = p++;
            resume = n;
        } else if (*p != '\0' && (*p == '?' || Upper(*p) == Upper(*n))) {
            ++p;
            ++n;
        } else if (star != nullptr) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (*p == '*')
        ++p;
    return *p == '\0';
}

int NextMatch(TSearchRec& rec) {
    TSearchRec::TScan& scan = *rec.Scan;
    while (scan.Next < scan.Entries.size()) {
        const Platform::TFolderEntry& e = scan.Entries[scan.Next++];
        if ((e.Info.Attr & rec.ExcludeAttr) != 0 || !MatchesMask(e.Name, scan.Pattern))
            continue;
        // A file's extension must match the mask's whole extension.
        if (!rec.RequiredExt.empty() && (e.Info.Attr & Platform::faDirectory) == 0 &&
            !Match(UpperExtension(e.Name).c_str(), rec.RequiredExt.c_str()))
            continue;
        rec.Name = e.Name;
        rec.Attr = e.Info.Attr;
        rec.FullSize = e.Info.Size;
        rec.Size = static_cast<std::int32_t>(static_cast<std::uint32_t>(e.Info.Size));
        rec.WriteTime = e.Info.WriteTime;
        return 0;
    }
    return -1;
}

}  // namespace

bool MatchesMask(const std::string& name, const std::string& pattern) {
    if (pattern == "*.*" || pattern == "*")
        return true;
    return Match(name.c_str(), pattern.c_str());
}

int FindFirstFileMatch(const std::string& mask, std::uint32_t attr, TSearchRec& rec) {
    const std::size_t slash = mask.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : mask.substr(0, slash + 1);
    const std::string pattern = slash == std::string::npos ? mask : mask.substr(slash + 1);
    rec.ExcludeAttr = ~attr & (Platform::faHidden | Platform::faSysFile | Platform::faVolumeID | Platform::faDirectory);
    rec.RequiredExt.clear();
    if (!pattern.empty() && pattern.back() != '*' && pattern.find('.') != std::string::npos)
        rec.RequiredExt = UpperExtension(pattern);
    rec.Scan = std::make_unique<TSearchRec::TScan>();
    rec.Scan->Pattern = pattern;
    const int error = Platform::ListFolder(folder, rec.Scan->Entries);
    if (error != 0) {
        rec.Scan.reset();
        return error;
    }
    if (NextMatch(rec) != 0) {
        rec.Scan.reset();
        return Platform::ERROR_FILE_NOT_FOUND;
    }
    return 0;
}

int FindNextFileMatch(TSearchRec& rec) {
    if (rec.Scan == nullptr || NextMatch(rec) != 0)
        return Platform::ERROR_NO_MORE_FILES;
    return 0;
}

void FindCloseMatch(TSearchRec& rec) {
    rec.Scan.reset();
}
