#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace Platform {

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

std::string LastErrorText() {
    return std::strerror(errno);
}

}  // namespace Platform
