#pragma once

#include <sys/resource.h>

#include <cstddef>
#include <string>

// Ways to make writes fail the way a full or read-only disk makes them fail,
// for the tests that prove a failed save keeps the old file.
namespace TestSupport {

// Lowers the process's file-size limit while it lives: a write past the
// limit fails with EFBIG (the signal that would end the process is ignored
// meanwhile), as a write to a full disk fails with ENOSPC.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes);
    ~TFileSizeLimit();
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
    rlimit Old{};
    void (*OldHandler)(int) = nullptr;
};

// A small tmpfs of `size` (as mount takes it: "512k", "2m") mounted on
// folder for the test. Only root may mount, so callers skip when
// IsMounted() is false. Always unmounted, even when an expectation fails.
class TSmallFileSystem {
public:
    TSmallFileSystem(const std::string& folder, const std::string& size);
    ~TSmallFileSystem();
    TSmallFileSystem(const TSmallFileSystem&) = delete;
    TSmallFileSystem& operator=(const TSmallFileSystem&) = delete;

    bool IsMounted() const { return Mounted; }
    bool SetReadOnly(bool readOnly);

private:
    std::string Folder;
    std::string Size;
    bool Mounted = false;
};

}  // namespace TestSupport
