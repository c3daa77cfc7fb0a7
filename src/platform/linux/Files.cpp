#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace Platform {
namespace {

// Marks the temporary files of replacements: ".<name>.rez-save.<host>.<pid>.<n>".
constexpr std::string_view kReplacementMark = ".rez-save.";

std::string FolderOfPath(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The host name as it appears in replacement names: letters, digits and "-"
// only (so the name splits cleanly at its dots), and short.
const std::string& HostTag() {
    static const std::string tag = [] {
        char host[256] = {};
        if (::gethostname(host, sizeof host - 1) != 0 || host[0] == '\0')
            return std::string("localhost");
        std::string out;
        for (const char* p = host; *p != '\0' && out.size() < 32; ++p) {
            const char c = *p;
            const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
            out.push_back(plain ? c : '-');
        }
        return out;
    }();
    return tag;
}

std::string ReplacementName(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    const std::size_t slash = target.find_last_of('/');
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    // Long names are shortened, at a character boundary, so that the marks
    // still fit into the longest name a folder takes.
    if (base.size() > 120) {
        std::size_t cut = 120;
        while (cut > 0 && (static_cast<unsigned char>(base[cut]) & 0xC0) == 0x80)
            --cut;
        base.resize(cut);
    }
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    return folder + "." + base + std::string(kReplacementMark) + HostTag() + "." + std::to_string(::getpid()) + "." +
           std::to_string(counter++);
}

bool AllDigits(std::string_view s) {
    if (s.empty() || s.size() > 10)
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// The writer's process id of a replacement file made on this host, or 0.
pid_t ReplacementWriter(std::string_view name) {
    if (name.empty() || name[0] != '.')
        return 0;
    const std::size_t mark = name.rfind(kReplacementMark);
    if (mark == std::string_view::npos)
        return 0;
    const std::string_view rest = name.substr(mark + kReplacementMark.size());
    const std::size_t lastDot = rest.rfind('.');
    if (lastDot == std::string_view::npos || !AllDigits(rest.substr(lastDot + 1)))
        return 0;
    const std::string_view hostAndPid = rest.substr(0, lastDot);
    const std::size_t pidDot = hostAndPid.rfind('.');
    if (pidDot == std::string_view::npos || hostAndPid.substr(0, pidDot) != HostTag() ||
        !AllDigits(hostAndPid.substr(pidDot + 1)))
        return 0;
    const long pid = std::strtol(std::string(hostAndPid.substr(pidDot + 1)).c_str(), nullptr, 10);
    return pid > 0 && pid <= INT_MAX ? static_cast<pid_t>(pid) : 0;
}

bool ProcessIsGone(pid_t pid) {
    // Another user's live process answers EPERM: only "no such process" is gone.
    return pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH;
}

bool SyncFolderOf(const std::string& path) {
    const int fd = ::open(FolderOfPath(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL;  // some file systems cannot sync folders
    ::close(fd);
    return ok;
}

}  // namespace

bool TryLockForEditing(TFileHandle file) {
    int rc;
    do {
        rc = ::flock(file, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

TFileHandle OpenExistingFile(const std::string& path, TFileAccess access) {
    int flags = O_CLOEXEC;
    switch (access) {
        case TFileAccess::Read:
            flags |= O_RDONLY;
            break;
        case TFileAccess::Write:
            flags |= O_WRONLY;
            break;
        case TFileAccess::ReadWrite:
            flags |= O_RDWR;
            break;
    }
    int fd;
    do {
        fd = ::open(path.c_str(), flags);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return kNoFile;
    // Directories open fine on Linux but are not files to read.
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        return kNoFile;
    }
    return fd;
}

TFileHandle CreateFileAnew(const std::string& path) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd < 0 ? kNoFile : fd;
}

TFileHandle CreateNewFile(const std::string& path) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd < 0 ? kNoFile : fd;
}

void CloseFile(TFileHandle file) {
    if (file != kNoFile)
        ::close(file);
}

std::int64_t ReadFileBytes(TFileHandle file, void* buffer, std::int64_t count) {
    if (file == kNoFile || count <= 0)
        return 0;
    auto* p = static_cast<char*>(buffer);
    std::int64_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(file, p + done, static_cast<std::size_t>(count - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

std::int64_t WriteFileBytes(TFileHandle file, const void* buffer, std::int64_t count) {
    if (file == kNoFile || count <= 0)
        return 0;
    const auto* p = static_cast<const char*>(buffer);
    std::int64_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(file, p + done, static_cast<std::size_t>(count - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

std::int64_t SeekFile(TFileHandle file, std::int64_t offset, int origin) {
    int whence = SEEK_SET;
    if (origin == kSeekFromCurrent)
        whence = SEEK_CUR;
    else if (origin == kSeekFromEnd)
        whence = SEEK_END;
    const off_t pos = ::lseek(file, static_cast<off_t>(offset), whence);
    return pos < 0 ? -1 : static_cast<std::int64_t>(pos);
}

bool TruncateFileHere(TFileHandle file) {
    const off_t pos = ::lseek(file, 0, SEEK_CUR);
    return pos >= 0 && ::ftruncate(file, pos) == 0;
}

bool FileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DeleteFileAt(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

bool MoveFileOver(const std::string& from, const std::string& to) {
    std::string target = to;
    struct stat st;
    if (::lstat(to.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(to.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    if (::stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            errno = EISDIR;
            return false;
        }
        ::chmod(from.c_str(), st.st_mode & 07777);
    }
    return ::rename(from.c_str(), target.c_str()) == 0;
}

bool BeginFileReplacement(const std::string& path, TFileReplacement& replacement, std::string& error) {
    AbandonFileReplacement(replacement);
    replacement = {};
    if (path.empty() || path.back() == '/') {
        error = std::strerror(EISDIR);
        return false;
    }
    // Replace what a symbolic link names, not the link; a dangling link is
    // replaced itself.
    replacement.Target = path;
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            error = std::strerror(EISDIR);
            return false;
        }
        if (!S_ISREG(st.st_mode)) {
            error = "it is not a regular file";
            return false;
        }
        if (::access(path.c_str(), W_OK) != 0) {
            error = std::strerror(errno);
            return false;
        }
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            replacement.Target = real;
            std::free(real);
        }
        replacement.Existed = true;
        replacement.Mode = st.st_mode & 07777;
        replacement.Owner = st.st_uid;
        replacement.Group = st.st_gid;
    } else if (errno != ENOENT) {
        error = std::strerror(errno);
        return false;
    }
    RemoveStaleReplacementFiles(FolderOfPath(replacement.Target));
    const std::string temporary = ReplacementName(replacement.Target);
    int fd;
    do {
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, replacement.Existed ? 0600 : 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    replacement.File = fd;
    replacement.Temporary = temporary;
    return true;
}

bool CommitFileReplacement(TFileReplacement& replacement, std::string& error) {
    if (replacement.Temporary.empty()) {
        error = std::strerror(EBADF);
        return false;
    }
    auto fail = [&](int err) {
        AbandonFileReplacement(replacement);
        error = std::strerror(err);
        return false;
    };
    if (replacement.Existed) {
        // The owner first: changing it clears the set-id bits, which the mode restores.
        if (replacement.Owner != ::geteuid() || replacement.Group != ::getegid())
            (void)::fchown(replacement.File, replacement.Owner, replacement.Group);
        (void)::fchmod(replacement.File, replacement.Mode);
    }
    if (::fsync(replacement.File) != 0)
        return fail(errno);
    const int closed = ::close(replacement.File);
    replacement.File = kNoFile;
    if (closed != 0)
        return fail(errno);
    if (::rename(replacement.Temporary.c_str(), replacement.Target.c_str()) != 0)
        return fail(errno);
    replacement.Temporary.clear();
    SyncFolderOf(replacement.Target);
    return true;
}

void AbandonFileReplacement(TFileReplacement& replacement) {
    if (replacement.File != kNoFile) {
        ::close(replacement.File);
        replacement.File = kNoFile;
    }
    if (!replacement.Temporary.empty()) {
        ::unlink(replacement.Temporary.c_str());
        replacement.Temporary.clear();
    }
}

void RemoveStaleReplacementFiles(const std::string& folder) {
    const int saved = errno;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) {
        errno = saved;
        return;
    }
    const int dirFd = ::dirfd(dir);
    while (struct dirent* e = ::readdir(dir)) {
        const pid_t writer = ReplacementWriter(e->d_name);
        struct stat st;
        if (writer != 0 && ProcessIsGone(writer) && ::fstatat(dirFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode))
            ::unlinkat(dirFd, e->d_name, 0);
    }
    ::closedir(dir);
    errno = saved;
}

std::string LastErrorText() {
    return std::strerror(errno);
}

}  // namespace Platform
