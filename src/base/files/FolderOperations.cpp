#include "base/files/FolderOperations.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <set>
#include <system_error>
#include <vector>

#include "base/files/FileSearch.h"
#include "base/text/TStrings.h"
#include "platform/FileSystem.h"
#include "platform/Files.h"

namespace fs = std::filesystem;

namespace {

bool IsFolder(const fs::path& p) {
    std::error_code ec;
    return fs::is_directory(fs::symlink_status(p, ec));
}

std::string LowerAscii(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool MaskMatches(std::string_view mask, const std::string& name) {
    if (mask.empty() || mask == "*" || mask == "*.*")
        return true;
    // A mask with an extension takes that extension exactly.
    const std::size_t dot = mask.rfind('.');
    if (dot != std::string_view::npos && mask.back() != '*') {
        const std::size_t nameDot = name.rfind('.');
        if (nameDot == std::string::npos ||
            LowerAscii(name.substr(nameDot + 1)) != LowerAscii(std::string(mask.substr(dot + 1))))
            return false;
    }
    return MatchesMask(name, std::string(mask));
}

std::string WithSlash(std::string path) {
    if (!path.empty() && path.back() != '/')
        path.push_back('/');
    return path;
}

std::string WithoutSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::int64_t RoundUp(std::int64_t size, std::int64_t unit) {
    return unit > 0 ? (size + unit - 1) / unit * unit : size;
}

// Lists a folder's entries once, folders and files apart.
void ReadFolder(const fs::path& folder, std::vector<fs::path>& folders, std::vector<fs::path>& files) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (IsFolder(it->path()))
            folders.push_back(it->path());
        else
            files.push_back(it->path());
    }
}

bool ListInto(const fs::path& folder, std::string_view mask, TStrings& list, bool includeEmpty, bool isStart) {
    std::vector<fs::path> folders, files;
    ReadFolder(folder, folders, files);
    bool found = false;
    for (const fs::path& sub : folders)
        found |= ListInto(sub, mask, list, includeEmpty, false);
    for (const fs::path& file : files) {
        if (MaskMatches(mask, file.filename().string())) {
            list.Add(file.string());
            found = true;
        }
    }
    if (!found && includeEmpty && !isStart) {
        list.Add(folder.string());
        return true;
    }
    return found;
}

// Every entry below a folder, recursively, as it stands now.
void CollectTree(const fs::path& folder, std::set<fs::path>& entries) {
    std::vector<fs::path> folders, files;
    ReadFolder(folder, folders, files);
    for (const fs::path& sub : folders) {
        entries.insert(sub);
        CollectTree(sub, entries);
    }
    entries.insert(files.begin(), files.end());
}

bool CopyTree(const fs::path& source,
              const fs::path& destination,
              bool overwrite,
              bool move,
              const std::set<fs::path>& handled) {
    std::vector<fs::path> folders, files;
    ReadFolder(source, folders, files);
    std::erase_if(folders, [&](const fs::path& p) { return handled.count(p) == 0; });
    std::erase_if(files, [&](const fs::path& p) { return handled.count(p) == 0; });
    std::error_code ec;
    bool ok = true;
    for (const fs::path& sub : folders) {
        const fs::path target = destination / sub.filename();
        fs::create_directory(target, ec);
        if (!IsFolder(target)) {
            ok = false;
            continue;
        }
        ok &= CopyTree(sub, target, overwrite, move, handled);
        if (move)
            fs::remove(sub, ec);  // only an emptied folder goes
    }
    for (const fs::path& file : files) {
        const fs::path target = destination / file.filename();
        ec.clear();
        if (fs::is_symlink(fs::symlink_status(file, ec))) {
            if (fs::exists(fs::symlink_status(target, ec))) {
                if (!overwrite) {
                    ok = false;
                    continue;
                }
                fs::remove(target, ec);
            }
            ec.clear();
            fs::copy_symlink(file, target, ec);
        } else {
            ec.clear();
            const bool copied = fs::copy_file(
                file, target, overwrite ? fs::copy_options::overwrite_existing : fs::copy_options::none, ec);
            if (!copied || ec) {
                ok = false;
                continue;
            }
        }
        if (ec) {
            ok = false;
            continue;
        }
        if (move)
            fs::remove(file, ec);
    }
    return ok;
}

// RFC 2396 escaping of a path for the Path= line of a .trashinfo record.
std::string EscapePath(const std::string& path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~' || c == '!' || c == '*' ||
            c == '\'' || c == '(' || c == ')') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

fs::path TrashFolder() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && *dataHome == '/')
        return fs::path(dataHome) / "Trash";
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0')
        return {};
    return fs::path(home) / ".local/share/Trash";
}

}  // namespace

bool FolderExists(const std::string& path) {
    return Platform::FolderExists(path);
}

void ForceFolders(const std::string& path) {
    const std::string folder = WithoutSlash(path);
    if (folder.empty() || Platform::FolderExists(folder))
        return;
    const std::size_t slash = folder.find_last_of('/');
    if (slash != std::string::npos && slash > 0)
        ForceFolders(folder.substr(0, slash));
    Platform::CreateFolder(folder);
}

void DeleteFolderTree(const std::string& folder) {
    const std::string base = WithSlash(folder);
    std::vector<Platform::TFolderEntry> entries;
    if (Platform::ListFolder(base, entries) == 0) {
        for (const Platform::TFolderEntry& e : entries) {
            // A link is removed itself: what it points at lies outside the
            // tree and is not ours to delete.
            if ((e.Info.Attr & Platform::faDirectory) && !e.IsLink)
                DeleteFolderTree(base + e.Name);
            else
                Platform::DeleteFileAt(base + e.Name);
        }
    }
    Platform::RemoveFolder(WithoutSlash(folder));
}

std::int64_t ClusterSize(const std::string& path) {
    Platform::TFileInfo info;
    return Platform::GetFileInfo(path, info) ? info.AllocationUnit : 4096;
}

std::int64_t FolderSizeOnDisk(const std::string& path) {
    const std::string base = WithSlash(path);
    std::vector<Platform::TFolderEntry> entries;
    if (Platform::ListFolder(base, entries) != 0)
        return 0;
    std::int64_t total = 0;
    for (const Platform::TFolderEntry& e : entries) {
        if (e.IsLink)
            continue;  // counted where it really lies, and no loops
        if (e.Info.Attr & Platform::faDirectory)
            total += FolderSizeOnDisk(base + e.Name);
        else
            total += RoundUp(e.Info.Size, e.Info.AllocationUnit);
    }
    return total;
}

bool FolderIsEmpty(const std::string& path) {
    std::error_code ec;
    fs::directory_iterator it(path, ec);
    return !ec && it == fs::directory_iterator();
}

void RemoveEmptySubfolders(const std::string& folder) {
    std::vector<fs::path> folders, files;
    ReadFolder(folder, folders, files);
    for (const fs::path& sub : folders)
        if (FolderIsEmpty(sub.string())) {
            std::error_code ec;
            fs::remove(sub, ec);
        }
}

void ListFiles(const std::string& folder, std::string_view mask, TStrings& list, bool includeEmptyFolders) {
    ListInto(folder, mask, list, includeEmptyFolders, true);
}

bool CopyFolder(const std::string& source, const std::string& destination, bool overwrite, bool move) {
    if (!IsFolder(source))
        return false;
    // Everything below source is listed before anything is created, so that
    // a destination inside the source is not copied into itself.
    std::set<fs::path> handled;
    CollectTree(source, handled);
    std::error_code ec;
    fs::create_directories(destination, ec);
    if (!IsFolder(destination))
        return false;
    return CopyTree(source, destination, overwrite, move, handled);
}

bool DeleteToRecycleBin(const std::string& path) {
    std::error_code ec;
    const fs::path item = fs::absolute(path, ec).lexically_normal();
    if (ec || !fs::exists(fs::symlink_status(item, ec)) || item.filename().empty())
        return false;
    const fs::path trash = TrashFolder();
    if (trash.empty())
        return false;
    fs::create_directories(trash / "files", ec);
    fs::create_directories(trash / "info", ec);
    fs::permissions(trash, fs::perms::owner_all, ec);
    if (!IsFolder(trash / "files") || !IsFolder(trash / "info"))
        return false;

    // The info record is made first and exclusively: it reserves the name.
    const std::string base = item.filename().string();
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &local);
    for (int n = 1; n < 10000; ++n) {
        const std::string name = n == 1 ? base : base + "." + std::to_string(n);
        const fs::path info = trash / "info" / (name + ".trashinfo");
        FILE* f = std::fopen(info.c_str(), "wx");
        if (f == nullptr) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        const std::string record = "[Trash Info]\nPath=" + EscapePath(item.string()) + "\nDeletionDate=" + stamp + "\n";
        const bool written = std::fwrite(record.data(), 1, record.size(), f) == record.size();
        if (std::fclose(f) != 0 || !written) {
            fs::remove(info, ec);
            return false;
        }
        const fs::path target = trash / "files" / name;
        if (fs::exists(fs::symlink_status(target, ec))) {
            // A stray file without its record: leave it and take the next name.
            fs::remove(info, ec);
            continue;
        }
        ec.clear();
        fs::rename(item, target, ec);
        bool moved = !ec;
        if (ec == std::errc::cross_device_link) {
            // Another file system: copy, and delete only a complete copy.
            ec.clear();
            fs::copy(item, target, fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
            moved = !ec;
            std::error_code ignored;
            if (moved)
                fs::remove_all(item, ignored);
            else
                fs::remove_all(target, ignored);
        }
        if (!moved) {
            std::error_code ignored;
            fs::remove(info, ignored);
            return false;
        }
        return true;
    }
    return false;
}
