#include "files/saving/Backups.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <map>
#include <system_error>
#include <vector>

#include "base/messages/MessageBoxes.h"
#include "files/saving/BackupNames.h"
#include "platform/Time.h"

namespace fs = std::filesystem;

namespace {

constexpr int BackupSizeLimitMessage = 5;
constexpr std::uint64_t ClusterSize = 4096;
constexpr std::size_t MaxBackupPath = 256;

constexpr std::string_view SizeLimitQuestion =
    "Your backup folder has reached its size limit. You can either delete some of the older backups, or increase "
    "the size of the current backup folder.\r\rClick \"Yes\" if you want Rezozuri to automatically remove part of "
    "the older backups.\r\rClick \"No\" if you want to extend the backup folder size limit.\r\rClick \"Cancel\" if "
    "you want to review the Backup options, or remove backup files manually.";
constexpr std::string_view NameTooLong =
    "Rezozuri cannot back up\r\"%s\"\rbecause this filename is too long.\r\rPlease either disable the \"Create "
    "backup files\" option of Rezozuri (launch \"Tools | Options...\", \"Load/Save\", \"Backup Files...\"), or save "
    "this document with a shorter filename (use \"File | Save As...\").";

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Fill(std::string_view fmt, std::initializer_list<std::string_view> args) {
    std::string out;
    auto arg = args.begin();
    for (std::size_t i = 0; i < fmt.size(); ++i) {
        if (fmt[i] == '%' && i + 1 < fmt.size() && fmt[i + 1] == 's' && arg != args.end()) {
            out += *arg++;
            ++i;
        } else {
            out += fmt[i];
        }
    }
    return out;
}

// The file's last write time in seconds since 1970, 0 when unknown.
std::int64_t WriteTime(const fs::path& path) {
    std::error_code error;
    const auto time = fs::last_write_time(path, error);
    if (error)
        return 0;
    const auto system = std::chrono::file_clock::to_sys(time);
    return std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count();
}

// The time of a backup's stamp; false when the name carries none.
bool StampTime(const std::string& backupName, std::int64_t& seconds) {
    std::string documentName;
    if (!DocumentNameOfBackup(backupName, documentName))
        return false;
    // The stamp " yy-mm-dd hhmm" sits where the document name's extension
    // starts (or at its end).
    const std::size_t dot = documentName.rfind('.');
    const std::size_t at = dot == std::string::npos ? documentName.size() : dot;
    if (backupName.size() < at + 14)
        return false;
    const std::string stamp = backupName.substr(at, 14);
    auto two = [&stamp](std::size_t i) { return (stamp[i] - '0') * 10 + (stamp[i + 1] - '0'); };
    Platform::TCalendarTime time;
    time.Year = 2000 + two(1);
    time.Month = two(4);
    time.Day = two(7);
    time.Hour = two(10);
    time.Minute = two(12);
    return Platform::LocalTimeToUnix(time, seconds);
}

struct TListedBackup {
    fs::path Path;
    std::int64_t Time = 0;
    std::uint64_t Size = 0;
};

std::uint64_t Clusters(std::uint64_t size) {
    return (size + ClusterSize - 1) / ClusterSize * ClusterSize;
}

void RemoveEmptyFolders(const fs::path& folder, bool isRoot) {
    std::error_code error;
    std::vector<fs::path> subfolders;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (it->is_directory(error))
            subfolders.push_back(it->path());
    for (const fs::path& sub : subfolders)
        RemoveEmptyFolders(sub, false);
    if (!isRoot && fs::is_empty(folder, error))
        fs::remove(folder, error);
}

// Copies through a new file beside the target, so that a failed copy leaves
// neither a half backup nor a changed source.
bool CopyBackup(const fs::path& source, const fs::path& target) {
    fs::path partial = target;
    partial += ".partial";
    std::error_code error;
    fs::copy_file(source, partial, fs::copy_options::overwrite_existing, error);
    if (!error)
        fs::rename(partial, target, error);
    if (error) {
        std::error_code ignored;
        fs::remove(partial, ignored);
        return false;
    }
    return true;
}

}  // namespace

bool CreateBackup(TBackupSettings& settings,
                  const std::string& name,
                  const std::string& source,
                  bool skipInterval,
                  bool forceBackup) {
    if (!settings.CreateBackups && !forceBackup)
        return true;
    std::error_code error;
    const fs::path root(settings.Folder);
    fs::create_directories(root, error);

    // Every backup below the folder, grouped by the full path of its
    // document, each group oldest first.
    std::map<std::string, std::vector<TListedBackup>> groups;
    std::vector<TListedBackup> all;
    std::uint64_t total = 0;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
        std::error_code kindError;
        if (!it->is_regular_file(kindError))
            continue;
        TListedBackup backup;
        backup.Path = it->path();
        backup.Size = it->file_size(kindError);
        total += Clusters(backup.Size);
        const std::string group = BackupGroupOf(settings.Folder, backup.Path.string());
        if (group.empty() || !StampTime(backup.Path.filename().string(), backup.Time))
            continue;
        groups[group].push_back(backup);
        all.push_back(backup);
    }
    auto older = [](const TListedBackup& a, const TListedBackup& b) { return a.Time < b.Time; };
    for (auto& [group, backups] : groups)
        std::sort(backups.begin(), backups.end(), older);

    const std::int64_t sourceTime = WriteTime(source);
    const std::string own = Lower(name);
    const std::int32_t keep = BackupMaxFiles(settings.MaxFilesIndex);
    for (auto& [group, backups] : groups) {
        if (group == own && !skipInterval && !backups.empty()) {
            const std::int64_t minutes = BackupMinDiffMinutes(settings.MinDiffIndex);
            if (std::llabs(sourceTime - backups.back().Time) < minutes * 60)
                return true;
        }
        if (keep == UnlimitedBackups)
            continue;
        std::vector<TBackupFile> files;
        for (const TListedBackup& backup : backups)
            files.push_back({backup.Path.string(), backup.Time});
        for (const std::string& path : BackupsToTrim(files, group == own ? keep - 1 : keep)) {
            const std::uint64_t size = fs::file_size(path, error);
            if (fs::remove(path, error)) {
                total -= std::min(total, Clusters(size));
                std::erase_if(all, [&path](const TListedBackup& b) { return b.Path == path; });
            }
        }
    }

    const std::uint64_t sourceSize = fs::file_size(source, error);
    auto limit = [&settings] { return static_cast<std::uint64_t>(settings.MaxAmountMegabytes) << 20; };
    if (total + Clusters(sourceSize) > limit()) {
        const std::uint16_t answer = ShowOptionalMessage(SizeLimitQuestion, mbkWarning, BackupSizeLimitMessage);
        if (answer == mrYes) {
            std::sort(all.begin(), all.end(), older);
            for (const TListedBackup& backup : all) {
                if (total + Clusters(sourceSize) <= limit())
                    break;
                if (fs::remove(backup.Path, error))
                    total -= std::min(total, Clusters(backup.Size));
            }
        } else if (answer == mrNo) {
            while (total + Clusters(sourceSize) > limit())
                settings.MaxAmountMegabytes =
                    std::max(settings.MaxAmountMegabytes + 1, settings.MaxAmountMegabytes * 6 / 5);
        } else {
            return false;
        }
    }

    RemoveEmptyFolders(root, true);
    const bool subfolder = settings.SubfolderPerDocument && (keep == UnlimitedBackups || keep > 1);
    const fs::path folder(BackupFolderOf(settings.Folder, name, subfolder));
    const fs::path target =
        folder / BackupFileName(fs::path(name).filename().string(), Platform::UnixToLocalTime(sourceTime));
    if (target.string().size() >= MaxBackupPath) {
        ShowInformation(Fill(NameTooLong, {name}));
        return false;
    }
    fs::create_directories(folder, error);
    const std::string backupName = target.filename().string();
    for (;;) {
        if (CopyBackup(source, target))
            return true;
        const std::string message = Fill(
            "Error creating backup file (%s) for document \"%s\". Please, check whether file \"%s\" is not locked by "
            "another application and there is enough free space on the destination drive.",
            {backupName, name, backupName});
        if (ShowMessageBox(message, mbkError, mbRetry | mbCancel) != mrRetry)
            return false;
    }
}
