#include "files/saving/BackupNames.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace {

// " yy-mm-dd hhmm": a blank, eight characters of date and four of time.
constexpr std::size_t kStampSize = 14;

// The tables of the Backup Files options.
constexpr std::array<std::int32_t, 10> kMaxFiles = {1, 2, 3, 4, 6, 10, 20, 30, 50, UnlimitedBackups};
constexpr std::array<std::int32_t, 17> kMinDiffMinutes = {1,   2,   5,   10,  15,  20,  30,  45,  60,
                                                          120, 180, 240, 300, 360, 540, 720, 1440};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// True when the text at the position is a stamp.
bool IsStampAt(std::string_view name, std::size_t at) {
    if (at + kStampSize > name.size())
        return false;
    static constexpr std::string_view pattern = " 00-00-00 0000";
    for (std::size_t i = 0; i < kStampSize; ++i) {
        const char p = pattern[i];
        const char c = name[at + i];
        if (p == '0' ? !IsDigit(c) : c != p)
            return false;
    }
    return true;
}

std::size_t ExtensionStart(std::string_view fileName) {
    const std::size_t dot = fileName.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? fileName.size() : dot;
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string_view FileNamePart(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view FolderPart(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

}  // namespace

std::string BackupStamp(const Platform::TCalendarTime& time) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, " %02d-%02d-%02d %02d%02d", time.Year % 100, time.Month % 100, time.Day % 100,
                  time.Hour % 100, time.Minute % 100);
    return stamp;
}

std::string BackupFileName(std::string_view fileName, const Platform::TCalendarTime& time) {
    const std::size_t ext = ExtensionStart(fileName);
    return std::string(fileName.substr(0, ext)) + BackupStamp(time) + std::string(fileName.substr(ext));
}

bool DocumentNameOfBackup(std::string_view backupName, std::string& documentName) {
    const std::size_t ext = ExtensionStart(backupName);
    if (ext < kStampSize || !IsStampAt(backupName, ext - kStampSize))
        return false;
    documentName = std::string(backupName.substr(0, ext - kStampSize)) + std::string(backupName.substr(ext));
    return true;
}

std::string BackupFolderOf(std::string_view backupFolder, std::string_view documentPath, bool subfolderPerDocument) {
    std::string folder(backupFolder);
    const std::string_view documentFolder = FolderPart(documentPath);
    if (!documentFolder.empty()) {
        if (documentFolder.front() != '/')
            folder += '/';
        folder += documentFolder;
    }
    if (subfolderPerDocument) {
        folder += '/';
        folder += FileNamePart(documentPath);
    }
    return folder;
}

std::string BackupGroupOf(std::string_view backupFolder, std::string_view backupPath) {
    if (backupPath.size() <= backupFolder.size() || backupPath.substr(0, backupFolder.size()) != backupFolder ||
        backupPath[backupFolder.size()] != '/')
        return {};
    std::string documentName;
    if (!DocumentNameOfBackup(FileNamePart(backupPath), documentName))
        return {};
    std::string_view folder = FolderPart(backupPath.substr(backupFolder.size()));
    // A per-document subfolder carries the document's name; the document's
    // own folder is the path above it.
    if (FileNamePart(folder) == documentName)
        folder = FolderPart(folder);
    return Lower(std::string(folder) + "/" + documentName);
}

std::int32_t BackupMaxFiles(std::int32_t index) {
    if (index < 0 || index >= static_cast<std::int32_t>(kMaxFiles.size()))
        index = DefaultBackupMaxFilesIndex;
    return kMaxFiles[static_cast<std::size_t>(index)];
}

std::int32_t BackupMinDiffMinutes(std::int32_t index) {
    if (index < 0 || index >= static_cast<std::int32_t>(kMinDiffMinutes.size()))
        index = DefaultBackupMinDiffIndex;
    return kMinDiffMinutes[static_cast<std::size_t>(index)];
}

std::vector<std::string> BackupsToTrim(std::vector<TBackupFile> group, std::int32_t keep) {
    std::vector<std::string> doomed;
    if (keep == UnlimitedBackups || static_cast<std::int64_t>(group.size()) <= keep)
        return doomed;
    std::stable_sort(group.begin(), group.end(),
                     [](const TBackupFile& a, const TBackupFile& b) { return a.Time < b.Time; });
    const std::size_t excess = group.size() - static_cast<std::size_t>(std::max(keep, 0));
    for (std::size_t i = 0; i < excess; ++i)
        doomed.push_back(group[i].Path);
    return doomed;
}
