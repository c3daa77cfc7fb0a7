#pragma once

#include <cstdint>

#include "base/text/TStringList.h"

class TSettingsStorage;

// A recent-files or recent-folders list: the newest entry first, kept in the
// settings as "Count" and one value per entry named "A", "B", ... in the
// portable path form (base/files/PortablePaths.h).
//
// Entries compare by their exact bytes: on this system two paths that differ
// only in case are two different files, and treating them as one would drop
// an entry the user still needs.
class TFileList : public TStringList {
public:
    enum : std::uint8_t { flFiles = 0, flFolders = 1 };

    explicit TFileList(std::uint8_t kind = flFiles);

    // From the current key: at most 30 entries, empty ones skipped; a folder
    // list also reads "Locked".
    void LoadFrom(TSettingsStorage& storage);
    void SaveTo(TSettingsStorage& storage) const;
    // Moves path to the top, or inserts it there, keeping at most the
    // options' recent-list length; nothing when Locked.
    void AddRecent(const std::string& path);
    // Deletes entries from the end while there are more than n; nothing
    // when Locked.
    void TrimTo(std::int32_t n);
    // Deletes the files that no longer exist, and the folders that no longer
    // exist and are not on a removable drive (a drive that may simply be
    // unplugged now).
    void RemoveMissing();

    std::uint8_t Kind = flFiles;
    bool Locked = false;
};
