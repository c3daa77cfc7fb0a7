#include "base/files/TFileList.h"

#include "base/files/Drives.h"
#include "base/files/PortablePaths.h"
#include "base/files/ShellServices.h"
#include "base/files/TSettingsStorage.h"
#include "platform/FileSystem.h"
#include "platform/Files.h"

namespace {

constexpr std::int32_t kMaxEntries = 30;

std::string EntryName(std::int32_t index) {
    return std::string(1, static_cast<char>('A' + index));
}

}  // namespace

TFileList::TFileList(std::uint8_t kind) : Kind(kind) {
    CaseSensitive = true;
}

void TFileList::LoadFrom(TSettingsStorage& storage) {
    const std::int32_t n = storage.ReadInteger("Count", 0, kMaxEntries, 0);
    std::string value;
    for (std::int32_t i = n - 1; i >= 0; --i) {
        storage.ReadString(EntryName(i), "", value);
        const std::string path = FromPortablePath(value);
        if (!path.empty())
            Insert(0, path);
    }
    if (Kind == flFolders)
        Locked = storage.ReadBool("Locked", false);
}

void TFileList::SaveTo(TSettingsStorage& storage) const {
    storage.WriteInteger("Count", Count);
    for (std::int32_t i = 0; i < Count && i < kMaxEntries; ++i)
        storage.WriteString(EntryName(i), ToPortablePath(Items[i].String));
    if (Kind == flFolders)
        storage.WriteBool("Locked", Locked);
}

void TFileList::AddRecent(const std::string& path) {
    if (Locked)
        return;
    const std::int32_t maxLength = ShellServices().RecentListLength;
    const std::int32_t at = IndexOf(path);
    if (at >= 0)
        Delete(at);
    else
        TrimTo(maxLength - 1);
    if (maxLength > 0)
        Insert(0, path);
}

void TFileList::TrimTo(std::int32_t n) {
    if (Locked)
        return;
    while (Count > n && Count > 0)
        Delete(Count - 1);
}

void TFileList::RemoveMissing() {
    for (std::int32_t i = Count - 1; i >= 0; --i) {
        const std::string& path = Items[i].String;
        const bool gone =
            Kind == flFolders ? !Platform::FolderExists(path) && !IsRemovableDrive(path) : !Platform::FileExists(path);
        if (gone)
            Delete(i);
    }
}
