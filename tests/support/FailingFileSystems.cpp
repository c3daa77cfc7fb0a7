#include "support/FailingFileSystems.h"

#include <sys/mount.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

namespace TestSupport {

TFileSizeLimit::TFileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &Old);
    OldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit limit = Old;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
}

TFileSizeLimit::~TFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &Old);
    signal(SIGXFSZ, OldHandler);
}

TSmallFileSystem::TSmallFileSystem(const std::string& folder, const std::string& size) : Folder(folder), Size(size) {
    std::filesystem::create_directories(folder);
    const std::string options = "size=" + size + ",mode=0755";
    Mounted = geteuid() == 0 && mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

TSmallFileSystem::~TSmallFileSystem() {
    if (Mounted)
        umount2(Folder.c_str(), MNT_DETACH);
}

bool TSmallFileSystem::SetReadOnly(bool readOnly) {
    const std::string options = "size=" + Size;
    return mount("tmpfs", Folder.c_str(), "tmpfs", MS_REMOUNT | (readOnly ? MS_RDONLY : 0), options.c_str()) == 0;
}

}  // namespace TestSupport
