#include "base/files/FolderLocations.h"

#include <map>
#include <vector>

#include "base/files/FolderOperations.h"
#include "base/files/ProgramPaths.h"
#include "platform/FileSystem.h"
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
