#pragma once

#include <cstdint>
#include <string>

// Dated backups of a document's file, taken just before a save writes over
// it; the names, folders and limits are those of BackupNames.h.

// The Backup Files options the caller reads from the settings.
struct TBackupSettings {
    bool CreateBackups = false;
    bool SubfolderPerDocument = false;
    std::int32_t MaxFilesIndex = 5;  // BackupMaxFiles
    std::int32_t MinDiffIndex = 2;   // BackupMinDiffMinutes
    // The size limit of the whole backup folder in megabytes; answering No
    // to the size question raises it here, for the caller to store.
    std::int32_t MaxAmountMegabytes = 100;
    // The backup folder, without a trailing "/".
    std::string Folder;
};

// Takes a backup of source, the file of the document named name, unless
// backups are off and the document does not force one, or the newest
// backup of the same document is younger than the minimum interval (unless
// skipInterval). Old backups beyond the count are deleted first. True: go
// on saving; false: the save is cancelled (the user cancelled a question,
// or the copy failed and was not retried). The source is only ever read.
bool CreateBackup(TBackupSettings& settings,
                  const std::string& name,
                  const std::string& source,
                  bool skipInterval,
                  bool forceBackup = false);
