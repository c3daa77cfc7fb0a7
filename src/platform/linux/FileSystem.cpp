#include "platform/FileSystem.h"

#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace Platform {
namespace {

std::uint32_t AttrOf(const std::string& name, const struct stat& st) {
    std::uint32_t attr = 0;
    if (S_ISDIR(st.st_mode))
        attr |= faDirectory;
    else if (S_ISREG(st.st_mode))
        attr |= faArchive;
    else
        attr |= faSysFile;
    if (!name.empty() && name[0] == '.')
        attr |= faHidden;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        attr |= faReadOnly;
    return attr;
}

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void FillInfo(const std::string& name, const struct stat& st, TFileInfo& info) {
    info.Attr = AttrOf(name, st);
    info.Size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::int64_t>(st.st_size);
    info.WriteTime = static_cast<std::int64_t>(st.st_mtim.tv_sec);
    info.CreationTime = info.WriteTime;
    info.AllocationUnit = st.st_blksize > 0 ? static_cast<std::int64_t>(st.st_blksize) : 4096;
}

void AddBirthTime(int dirFd, const char* path, TFileInfo& info) {
    struct statx sx;
    if (::statx(dirFd, path, 0, STATX_BTIME, &sx) == 0 && (sx.stx_mask & STATX_BTIME) != 0)
        info.CreationTime = static_cast<std::int64_t>(sx.stx_btime.tv_sec);
}

}  // namespace

bool GetFileInfo(const std::string& path, TFileInfo& info) {
    info = {};
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return false;
    FillInfo(BaseName(path), st, info);
    AddBirthTime(AT_FDCWD, path.c_str(), info);
    return true;
}

int ListFolder(const std::string& folder, std::vector<TFolderEntry>& entries) {
    entries.clear();
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr)
        return errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND;
    const int dirFd = ::dirfd(dir);
    while (struct dirent* e = ::readdir(dir)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        TFolderEntry entry;
        entry.Name = e->d_name;
        struct stat st;
        if (::fstatat(dirFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        entry.IsLink = S_ISLNK(st.st_mode);
        // A link is described by what it points at; a dangling one as itself.
        if (entry.IsLink)
            (void)::fstatat(dirFd, e->d_name, &st, 0);
        FillInfo(entry.Name, st, entry.Info);
        AddBirthTime(dirFd, e->d_name, entry.Info);
        entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    return 0;
}

bool FolderExists(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) == 0)
        return true;
    return errno == EEXIST && FolderExists(path);
}

bool RemoveFolder(const std::string& path) {
    return ::rmdir(path.c_str()) == 0;
}

std::string CurrentFolder() {
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer) == nullptr)
        return std::string();
    return buffer;
}

bool SetCurrentFolder(const std::string& path) {
    return !path.empty() && ::chdir(path.c_str()) == 0;
}

bool ReplaceFileAtomically(const std::string& path, const void* data, std::int64_t size, std::string& error) {
    TFileReplacement replacement;
    if (!BeginFileReplacement(path, replacement, error))
        return false;
    errno = 0;
    if (WriteFileBytes(replacement.File, data, size) != std::max<std::int64_t>(size, 0)) {
        const int err = errno != 0 ? errno : ENOSPC;
        AbandonFileReplacement(replacement);
        error = std::strerror(err);
        return false;
    }
    return CommitFileReplacement(replacement, error);
}

std::string SystemTempFolder() {
    const char* env = std::getenv("TMPDIR");
    std::string folder = env != nullptr && env[0] == '/' ? env : "/tmp";
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

bool EnsurePrivateFolder(const std::string& path, std::string& error) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        error = std::strerror(errno);
        return false;
    }
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) {
        error = std::strerror(errno);
        return false;
    }
    if (S_ISLNK(st.st_mode) || !S_ISDIR(st.st_mode)) {
        error = "it is not a folder";
        return false;
    }
    if (st.st_uid != ::geteuid()) {
        error = "it belongs to another user";
        return false;
    }
    if ((st.st_mode & 077) != 0 && ::chmod(path.c_str(), 0700) != 0) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace Platform
