#include "base/files/Folders.h"

#include <map>
#include <vector>

#include "base/files/ProgramPaths.h"
#include "platform/FileSystem.h"
#include "platform/Files.h"
#include "platform/System.h"

namespace {

std::vector<std::string>& FolderStack() {
    static std::vector<std::string> stack;
    return stack;
}

std::map<int, std::string>& DataFolders() {
    static std::map<int, std::string> folders;
    return folders;
}

std::string WithSlash(std::string path) {
    if (!path.empty() && path.back() != '/')
        path.push_back('/');
    return path;
}

std::string WithoutSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::int64_t RoundUp(std::int64_t size, std::int64_t unit) {
    return unit > 0 ? (size + unit - 1) / unit * unit : size;
}

}  // namespace

std::string GetCurrentFolder() {
    return WithSlash(Platform::CurrentFolder());
}

void PushCurrentFolder() {
    FolderStack().push_back(GetCurrentFolder());
}

void PopCurrentFolder() {
    if (FolderStack().empty())
        return;
    Platform::SetCurrentFolder(FolderStack().back());
    FolderStack().pop_back();
}

std::string GetShellFolder(int csidl) {
    const std::string path = Platform::SpecialFolderPath(csidl);
    if (!path.empty())
        ForceFolders(path);
    return path;
}

std::string GetDataFolder(int kind) {
    auto found = DataFolders().find(kind);
    if (found != DataFolders().end())
        return found->second;
    std::string path;
    const bool portable = PortableMode();
    switch (kind) {
        case 0:
        case 3:
            if (portable) {
                path = ProgramFolder();
            } else {
                const std::string base =
                    GetShellFolder(kind == 0 ? Platform::CSIDL_COMMON_APPDATA : Platform::CSIDL_APPDATA);
                path = base.empty() ? GetShellFolder(Platform::CSIDL_PERSONAL) : WithSlash(base) + "rezozuri";
            }
            break;
        case 1:
            path = GetDataFolder(0) + "Hidden";
            break;
        case 2:
            path = GetDataFolder(0) + "Public";
            break;
        case 4:
            path = portable ? ProgramFolder() : WithSlash(GetShellFolder(Platform::CSIDL_PERSONAL)) + "Rezozuri";
            break;
        case 5:
            path = GetDataFolder(4) + "Spellcheck";
            break;
        default:
            return std::string();
    }
    path = WithSlash(path);
    ForceFolders(path);
    DataFolders()[kind] = path;
    return path;
}

void ForgetDataFolders() {
    DataFolders().clear();
}

bool FolderExists(const std::string& path) {
    return Platform::FolderExists(path);
}

void ForceFolders(const std::string& path) {
    const std::string folder = WithoutSlash(path);
    if (folder.empty() || Platform::FolderExists(folder))
        return;
    const std::size_t slash = folder.find_last_of('/');
    if (slash != std::string::npos && slash > 0)
        ForceFolders(folder.substr(0, slash));
    Platform::CreateFolder(folder);
}

void DeleteFolderTree(const std::string& folder) {
    const std::string base = WithSlash(folder);
    std::vector<Platform::TFolderEntry> entries;
    if (Platform::ListFolder(base, entries) == 0) {
        for (const Platform::TFolderEntry& e : entries) {
            // A link is removed itself: what it points at lies outside the
            // tree and is not ours to delete.
            if ((e.Info.Attr & Platform::faDirectory) && !e.IsLink)
                DeleteFolderTree(base + e.Name);
            else
                Platform::DeleteFileAt(base + e.Name);
        }
    }
    Platform::RemoveFolder(WithoutSlash(folder));
}

std::int64_t ClusterSize(const std::string& path) {
    Platform::TFileInfo info;
    return Platform::GetFileInfo(path, info) ? info.AllocationUnit : 4096;
}

std::int64_t FolderSizeOnDisk(const std::string& path) {
    const std::string base = WithSlash(path);
    std::vector<Platform::TFolderEntry> entries;
    if (Platform::ListFolder(base, entries) != 0)
        return 0;
    std::int64_t total = 0;
    for (const Platform::TFolderEntry& e : entries) {
        if (e.IsLink)
            continue;  // counted where it really lies, and no loops
        if (e.Info.Attr & Platform::faDirectory)
            total += FolderSizeOnDisk(base + e.Name);
        else
            total += RoundUp(e.Info.Size, e.Info.AllocationUnit);
    }
    return total;
}
