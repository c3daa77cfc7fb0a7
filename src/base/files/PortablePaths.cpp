#include "base/files/PortablePaths.h"

#include "base/files/Drives.h"
#include "base/files/FolderLocations.h"
#include "base/files/ProgramPaths.h"
#include "base/files/ShellServices.h"
#include "platform/FileSystem.h"

namespace {

bool Exists(const std::string& path) {
    Platform::TFileInfo info;
    return Platform::GetFileInfo(path, info);
}

// The part of path after drive ("/docs/a.rtf" of "/media/ann/STICK/docs/a.rtf");
// false when path is not on that drive.
bool RestAfterDrive(const std::string& path, const std::string& drive, std::string& rest) {
    if (drive.empty() || path.empty())
        return false;
    if (drive == "/") {
        if (path[0] != '/')
            return false;
        rest = path;
        return true;
    }
    if (path.compare(0, drive.size(), drive) != 0 || (path.size() > drive.size() && path[drive.size()] != '/'))
        return false;
    rest = path.substr(drive.size());
    return true;
}

std::string OnDrive(const std::string& drive, const std::string& rest) {
    return drive == "/" ? rest : drive + rest;
}

}  // namespace

std::string ToPortablePath(const std::string& path) {
    const std::string docs = GetDataFolder(4);
    if (!docs.empty() && path.size() >= docs.size() && path.compare(0, docs.size(), docs) == 0) {
        std::string portable(1, '%');
        portable.append(path, docs.size());
        return portable;
    }
    std::string rest;
    if (PortableMode() && !ShellServices().WritingSettingsForOtherInstallation &&
        RestAfterDrive(path, ProgramDrive(), rest) && !rest.empty()) {
        std::string portable(2, '%');
        portable += rest;
        return portable;
    }
    return path;
}

std::string FromPortablePath(const std::string& path) {
    if (path.compare(0, 2, "%%") == 0)
        return OnDrive(ProgramDrive(), path.substr(2));
    if (path.compare(0, 1, "%") == 0)
        return GetDataFolder(4) + path.substr(1);
    return path;
}

void FixDriveLetter(std::string& path) {
    if (!PortableMode() || Exists(path))
        return;
    const std::string drive = DriveOfPath(path);
    std::string rest;
    if (drive == ProgramDrive() || !RestAfterDrive(path, drive, rest))
        return;
    const std::string moved = OnDrive(ProgramDrive(), rest);
    if (Exists(moved))
        path = moved;
}
