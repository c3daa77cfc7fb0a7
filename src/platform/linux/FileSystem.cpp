#include "platform/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
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

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL;  // some file systems cannot sync folders
    ::close(fd);
    return ok;
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
    static std::atomic<unsigned> counter{0};
    // Replace what a symbolic link points at, not the link.
    std::string target = path;
    char resolved[PATH_MAX];
    struct stat old;
    const bool existed = ::stat(path.c_str(), &old) == 0;
    if (existed && ::realpath(path.c_str(), resolved) != nullptr)
        target = resolved;
    const std::string temp = target + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    const int fd =
        ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, existed ? (old.st_mode & 07777) : 0666);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    auto fail = [&](int err) {
        ::close(fd);
        ::unlink(temp.c_str());
        error = std::strerror(err);
        return false;
    };
    const auto* p = static_cast<const char*>(data);
    std::int64_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, p + done, static_cast<std::size_t>(size - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        if (n == 0)
            return fail(ENOSPC);
        done += n;
    }
    if (existed)
        (void)::fchmod(fd, old.st_mode & 07777);  // keep the mode the user gave the file
    if (::fsync(fd) != 0)
        return fail(errno);
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        error = std::strerror(err);
        return false;
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        error = std::strerror(err);
        return false;
    }
    SyncFolder(FolderOf(target));
    return true;
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
