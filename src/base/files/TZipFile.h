#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/core/TMemory.h"
#include "base/text/TStringList.h"

class TReplacingFileStream;
class TStringList;

// Settings of the ZIP writer that its callers set around their calls.
// ZipShowProgress: AddFile reports its progress through ZipProgressHook.
extern bool ZipShowProgress;
// When set, ZipFolder writes a stored "mimetype" entry of this text first.
extern std::string ZipMimeType;
// When set, ZipFolder stores .jpg, .jpeg and .png files (any case).
extern bool ZipStoreImages;
// When set, a file of the folder found in ZipSourceNames (sorted) is read
// from the path of ZipSourceFiles at the index kept as that name's object.
extern TStringList* ZipSourceNames;
extern TStringList* ZipSourceFiles;
// One file whose content is held in memory: AddFile of exactly this path
// writes ZipPendingData instead of the file, then clears both.
extern std::string ZipPendingPath;
extern std::unique_ptr<TMemory> ZipPendingData;
// The status-bar progress of the main window: text (empty at the end),
// position and range. Nothing is shown until the shell sets it.
using TZipProgressHook = std::function<void(const std::string& text, std::int64_t position, std::int64_t total)>;
extern TZipProgressHook ZipProgressHook;

// Writes a ZIP archive entry by entry, stored or deflated, as PKWARE's
// application note describes it. The archive is written beside its place
// and put there by Finish only when every entry was added, so a failed
// archive never replaces a good file.
class TZipFile {
public:
    TZipFile();
    ~TZipFile();
    TZipFile(const TZipFile&) = delete;
    TZipFile& operator=(const TZipFile&) = delete;

    bool CreateArchive(const std::string& path);
    // Adds one file under entryName (made unique as "name (2).ext"...).
    // Shows "Cannot open file "%s"." when the file cannot be opened.
    bool AddFile(const std::string& path, const std::string& entryName);
    // Adds bytes held in memory as an entry.
    bool AddData(const void* data, std::int64_t size, const std::string& entryName);
    // Writes the central directory and the end record; false, with nothing
    // left behind, when that or any entry failed.
    bool Finish();

    std::string ArchivePath;
    TStringList EntryNames;
    bool Store = false;
    bool Failed = false;

private:
    struct TSource;
    struct TDeflater;
    bool AddEntry(TSource& source, const std::string& entryName);
    void Abandon();

    std::unique_ptr<TReplacingFileStream> Output;
    TMemory CentralDirectory;
    std::int32_t EntryCount = 0;
};

// Zips every file below folder (given with its trailing "/") into
// archivePath in sorted path order, names relative to folder with "/".
// False, with no archive left, when any entry fails.
bool ZipFolder(const std::string& folder, const std::string& archivePath);
