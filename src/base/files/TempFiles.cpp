#include "base/files/TempFiles.h"

#include <vector>

#include "base/files/FolderLocations.h"
#include "base/files/FolderOperations.h"
#include "base/files/ProgramPaths.h"
#include "base/files/ShellServices.h"
#include "platform/FileSystem.h"
#include "platform/Files.h"
#include "platform/System.h"

namespace {

std::string g_tempFolder;
std::int32_t g_tempCounter = 0;

const char* const kKindExtensions[] = {"tmp", "mqd", "rtf", "bmp"};

bool Exists(const std::string& path) {
    Platform::TFileInfo info;
    return Platform::GetFileInfo(path, info);
}

std::string NextFreeName(const char* stem, const std::string& ext) {
    const std::string folder = GetTempFolder();
    for (;;) {
        std::string name = folder + stem + std::to_string(g_tempCounter++) + ext;
        if (!Exists(name))
            return name;
    }
}

}  // namespace

std::string GetTempFolder() {
    if (!g_tempFolder.empty())
        return g_tempFolder;
    std::string folder;
    if (PortableMode()) {
        folder = GetDataFolder(3) + "Temp";
        ForceFolders(folder);
        if (!Platform::FolderExists(folder))
            folder.clear();
    } else {
        folder = Platform::SystemTempFolder() + "/rezozuri-" + std::to_string(Platform::CurrentUserId());
        std::string error;
        if (!Platform::EnsurePrivateFolder(folder, error))
            folder.clear();
    }
    if (folder.empty())
        folder = GetShellFolder(5);  // the user's documents
    if (folder.empty() || folder.back() != '/')
        folder.push_back('/');
    g_tempFolder = folder;
    return g_tempFolder;
}

void ForgetTempFolder() {
    g_tempFolder.clear();
}

std::string MakeTempFileName(const std::string& ext) {
    return NextFreeName("~Zek", ext);
}

std::string MakeTempFileNamePlain(const std::string& ext) {
    return NextFreeName("Zek", ext);
}

std::string MakeTempFileNameOfKind(int kind) {
    if (kind < 0 || kind > 3)
        kind = 0;
    return MakeTempFileName(std::string(".") + kKindExtensions[kind]);
}

std::string MakeTempSubfolder() {
    const std::string folder = GetTempFolder();
    for (int n = 0;; ++n) {
        const std::string path = folder + "~Zek" + std::to_string(n);
        if (!Exists(path) && Platform::CreateFolder(path))
            return path;
    }
}

void DeleteTempFiles() {
    const auto& running = ShellServices().OtherInstanceRunning;
    if (running && running())
        return;  // it may still use them
    const std::string folder = GetTempFolder();
    std::vector<Platform::TFolderEntry> entries;
    if (Platform::ListFolder(folder, entries) == 0) {
        for (const Platform::TFolderEntry& e : entries) {
            if (e.Name.compare(0, 4, "~Zek") != 0)
                continue;
            if ((e.Info.Attr & Platform::faDirectory) && !e.IsLink)
                DeleteFolderTree(folder + e.Name);
            else
                Platform::DeleteFileAt(folder + e.Name);
        }
    }
    Platform::DeleteFileAt(folder + "Rezozuri Word Processor Setup.exe");
}

bool TempFileUsable(const std::string& name) {
    const std::string path = GetTempFolder() + name;
    Platform::TFileHandle f = Platform::OpenExistingFile(path, Platform::TFileAccess::Read);
    if (f != Platform::kNoFile) {
        Platform::CloseFile(f);
        return true;
    }
    // A file we may not read is still someone's file: only a new one is made.
    f = Platform::CreateNewFile(path);
    if (f == Platform::kNoFile)
        return false;
    Platform::CloseFile(f);
    Platform::DeleteFileAt(path);
    return true;
}
