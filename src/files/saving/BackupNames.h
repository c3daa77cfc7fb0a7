#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Time.h"

// The names, folders and limits of document backups: a backup is the
// document's file name with the stamp of the file's last write time
// inserted before the extension ("Report 24-05-17 1530.rtf"), kept in the
// backup folder under the folder path of its document, so that two
// documents of the same name in different folders never share (and never
// trim) each other's backups.

// " yy-mm-dd hhmm" of a local time.
std::string BackupStamp(const Platform::TCalendarTime& time);

// The file name with the stamp before its extension (at the end when it has
// none).
std::string BackupFileName(std::string_view fileName, const Platform::TCalendarTime& time);

// The document's file name a backup's file name was made from; false when
// the name carries no stamp.
bool DocumentNameOfBackup(std::string_view backupName, std::string& documentName);

// The folder a document's backups go to: the backup folder, then the
// document's own folder path below it, then (with one subfolder per
// document, when more than one backup is kept) a folder named after the
// document's file name. Paths use "/"; backupFolder has no trailing "/".
std::string BackupFolderOf(std::string_view backupFolder, std::string_view documentPath, bool subfolderPerDocument);

// The group a backup belongs to: its document's full path, rebuilt from
// where the backup lies below the backup folder (letter case ignored).
// Empty for files that are no backups.
std::string BackupGroupOf(std::string_view backupFolder, std::string_view backupPath);

// Backups kept per document by the "Backup_MaxFiles" index (default 5);
// -1 unlimited. Indexes outside the table take the default.
std::int32_t BackupMaxFiles(std::int32_t index);
inline constexpr std::int32_t DefaultBackupMaxFilesIndex = 5;
inline constexpr std::int32_t UnlimitedBackups = -1;
// Minimum minutes between two backups of a document by the
// "Backup_MinDiff" index (default 2).
std::int32_t BackupMinDiffMinutes(std::int32_t index);
inline constexpr std::int32_t DefaultBackupMinDiffIndex = 2;

// The backups of one group to delete, oldest first, so that it keeps at most
// keep files; backups are given with their stamps' times in any order.
struct TBackupFile {
    std::string Path;
    std::int64_t Time = 0;  // the stamp's time, ordered like the stamp
};
std::vector<std::string> BackupsToTrim(std::vector<TBackupFile> group, std::int32_t keep);
