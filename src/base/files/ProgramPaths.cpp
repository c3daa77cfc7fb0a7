#include "base/files/ProgramPaths.h"

#include "platform/Drives.h"
#include "platform/System.h"

namespace {

struct TProgramPaths {
    bool Portable = false;
    bool Known = false;
    std::string Folder;
    std::string Drive;
};

TProgramPaths& Paths() {
    static TProgramPaths paths;
    if (!paths.Known) {
        paths.Known = true;
        SetProgramFolder(Platform::ExecutableFolder());
    }
    return paths;
}

}  // namespace

bool PortableMode() {
    return Paths().Portable;
}

void SetPortableMode(bool portable) {
    Paths().Portable = portable;
}

const std::string& ProgramFolder() {
    return Paths().Folder;
}

const std::string& ProgramDrive() {
    return Paths().Drive;
}

void SetProgramFolder(const std::string& folder) {
    TProgramPaths& paths = Paths();
    paths.Folder = folder;
    if (paths.Folder.empty() || paths.Folder.back() != '/')
        paths.Folder.push_back('/');
    paths.Drive = Platform::DescribeDrive(folder).Drive;
}

void SetProgramDrive(const std::string& drive) {
    std::string d = drive;
    while (d.size() > 1 && d.back() == '/')
        d.pop_back();
    Paths().Drive = d;
}
