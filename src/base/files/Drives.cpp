#include "base/files/Drives.h"

#include <map>

#include "platform/Drives.h"

namespace {

std::map<std::string, bool>& RemovableCache() {
    static std::map<std::string, bool> cache;
    return cache;
}

}  // namespace

std::string DriveOfPath(const std::string& path) {
    return Platform::DescribeDrive(path).Drive;
}

int GetDriveTypeOf(const std::string& path) {
    return Platform::DescribeDrive(path).Type;
}

bool IsRemovableDrive(const std::string& path) {
    const Platform::TDriveFacts facts = Platform::DescribeDrive(path);
    if (facts.Drive.empty())
        return false;
    auto [it, inserted] = RemovableCache().emplace(facts.Drive, facts.Removable);
    return it->second;
}

void ForgetRemovableDrives() {
    RemovableCache().clear();
}
