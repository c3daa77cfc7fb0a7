#include "base/files/TZipFile.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <vector>

#include "base/core/Crc32.h"
#include "base/core/Errors.h"
#include "base/core/TCustomZStream.h"
#include "base/core/TFileStream.h"
#include "base/core/TReplacingFileStream.h"
#include "base/messages/MessageBoxes.h"
#include "base/text/TextCase.h"
#include "platform/ByteReader.h"
#include "platform/CodePages.h"
#include "platform/FileSystem.h"
#include "platform/Files.h"
#include "platform/Time.h"

bool ZipShowProgress = true;
std::string ZipMimeType;
bool ZipStoreImages = false;
TStringList* ZipSourceNames = nullptr;
TStringList* ZipSourceFiles = nullptr;
std::string ZipPendingPath;
std::unique_ptr<TMemory> ZipPendingData;
TZipProgressHook ZipProgressHook;

namespace {

constexpr std::int32_t kPiece = 16384;
constexpr int kOemCodePage = 437;

// MS-DOS date and time as the ZIP format keeps them, in local time.
void DosDateTime(std::int64_t unixSeconds, std::uint16_t& date, std::uint16_t& time) {
    Platform::TCalendarTime t = Platform::UnixToLocalTime(unixSeconds);
    if (t.Year < 1980)
        t = {1980, 1, 1, 0, 0, 0, 0};
    date = static_cast<std::uint16_t>(((std::min(t.Year, 2107) - 1980) << 9) | (t.Month << 5) | t.Day);
    time = static_cast<std::uint16_t>((t.Hour << 11) | (t.Minute << 5) | (t.Second / 2));
}

// The Windows attribute bits the central directory keeps for a file.
std::uint32_t WindowsAttributes(std::uint32_t attr) {
    return (attr & (Platform::faReadOnly | Platform::faHidden | Platform::faSysFile)) | Platform::faArchive;
}

std::string OemName(const std::string& utf8) {
    return Platform::WideToBytes(kOemCodePage, Platform::Utf8ToUtf16(utf8));
}

}  // namespace

// Where an entry's bytes come from: a file, or a block in memory.
struct TZipFile::TSource {
    Platform::TFileHandle File = Platform::kNoFile;
    const std::uint8_t* Memory = nullptr;
    std::int64_t Size = 0;
    std::int64_t Offset = 0;
    std::int64_t WriteTime = 0;
    std::uint32_t Attr = 0;
    std::string DisplayName;

    std::int32_t Read(std::uint8_t* buffer, std::int32_t count) {
        if (Memory != nullptr) {
            const auto n = static_cast<std::int32_t>(std::min<std::int64_t>(count, Size - Offset));
            std::memcpy(buffer, Memory + Offset, static_cast<std::size_t>(n));
            Offset += n;
            return n;
        }
        return static_cast<std::int32_t>(Platform::ReadFileBytes(File, buffer, count));
    }
};

struct TZipFile::TDeflater {
    z_stream Z{};
    bool Ready = false;
    ~TDeflater() {
        if (Ready)
            deflateEnd(&Z);
    }
};

TZipFile::TZipFile() = default;

TZipFile::~TZipFile() {
    Abandon();
}

void TZipFile::Abandon() {
    // The replacing stream removes its temporary file when dropped unfinished.
    Output.reset();
}

bool TZipFile::CreateArchive(const std::string& path) {
    Abandon();
    ArchivePath = path;
    EntryCount = 0;
    Failed = false;
    EntryNames.Clear();
    CentralDirectory.Clear();
    try {
        Output = std::make_unique<TReplacingFileStream>(path);
    } catch (const EAbort&) {
        return false;
    }
    return true;
}

bool TZipFile::AddFile(const std::string& path, const std::string& entryName) {
    if (!Output)
        return false;
    TSource source;
    source.DisplayName = path;
    Platform::TFileInfo info;
    const bool pending = !ZipPendingPath.empty() && path == ZipPendingPath;
    source.File = Platform::OpenExistingFile(path, Platform::TFileAccess::Read);
    if (source.File == Platform::kNoFile || !Platform::GetFileInfo(path, info)) {
        if (source.File != Platform::kNoFile)
            Platform::CloseFile(source.File);
        ShowErrorFmt("Cannot open file \"%s\".", path);
        Failed = true;
        return false;
    }
    source.WriteTime = info.WriteTime;
    source.Attr = info.Attr;
    source.Size = info.Size;
    std::unique_ptr<TMemory> pendingData;
    if (pending) {
        pendingData = std::move(ZipPendingData);
        ZipPendingPath.clear();
        source.Memory = pendingData ? pendingData->Data : nullptr;
        source.Size = pendingData ? pendingData->Size : 0;
    }
    const bool ok = AddEntry(source, entryName);
    Platform::CloseFile(source.File);
    return ok;
}

bool TZipFile::AddData(const void* data, std::int64_t size, const std::string& entryName) {
    if (!Output)
        return false;
    TSource source;
    source.Memory = static_cast<const std::uint8_t*>(data);
    source.Size = size;
    source.WriteTime = static_cast<std::int64_t>(std::time(nullptr));
    source.DisplayName = entryName;
    return AddEntry(source, entryName);
}

// PKWARE APPNOTE.TXT, 4.3.7 "Local file header" and 4.3.12 "Central
// directory structure": the local header is written with zero CRC and sizes
// and patched once the data is written.
bool TZipFile::AddEntry(TSource& source, const std::string& entryName) {
    // Unique names: "name (2).ext", "name (3).ext" ...
    std::string name = entryName;
    if (EntryNames.IndexOf(name) >= 0) {
        const std::size_t slash = name.find_last_of('/');
        std::size_t dot = name.find_last_of('.');
        if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
            dot = name.size();
        const std::string stem = name.substr(0, dot), ext = name.substr(dot);
        for (int n = 2;; ++n) {
            name = stem + " (" + std::to_string(n) + ")" + ext;
            if (EntryNames.IndexOf(name) < 0)
                break;
        }
    }
    const std::string oem = OemName(name);
    const bool store = Store;
    bool ok = true;
    try {
        // The format this program writes keeps every size and offset in 32 bits.
        const std::int64_t offset = Output->Position();
        if (oem.size() > 0xFFFF || source.Size >= 0xFFFFFFFFLL || offset >= 0xFFFFFFFFLL || EntryCount >= 0xFFFF)
            Abort();
        std::uint16_t date = 0, time = 0;
        DosDateTime(source.WriteTime, date, time);
        std::uint8_t central[46] = {};
        StoreU32LE(central, 0x02014B50);
        StoreU16LE(central + 4, 20);
        StoreU16LE(central + 6, 20);
        StoreU16LE(central + 8, store ? 0 : 2);
        StoreU16LE(central + 10, store ? 0 : 8);
        StoreU16LE(central + 12, time);
        StoreU16LE(central + 14, date);
        StoreU16LE(central + 28, static_cast<std::uint16_t>(oem.size()));
        StoreU32LE(central + 38, WindowsAttributes(source.Attr));
        StoreU32LE(central + 42, static_cast<std::uint32_t>(offset));
        std::uint8_t local[30] = {};
        StoreU32LE(local, 0x04034B50);
        StoreU16LE(local + 4, 20);
        std::memcpy(local + 6, central + 8, 8);  // flags, method, time, date
        StoreU16LE(local + 26, static_cast<std::uint16_t>(oem.size()));
        Output->WriteExact(local, 30);
        Output->WriteExact(oem.data(), static_cast<std::int32_t>(oem.size()));

        TDeflater deflater;
        std::vector<std::uint8_t> out(kPiece), in(kPiece);
        if (!store) {
            if (deflateInit2(&deflater.Z, ZlibCompressionLevel, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK)
                throw std::bad_alloc();
            deflater.Ready = true;
            deflater.Z.next_out = out.data();
            deflater.Z.avail_out = kPiece;
        }
        auto drain = [&](bool all) {
            const auto filled = static_cast<std::int32_t>(kPiece - deflater.Z.avail_out);
            if ((all && filled > 0) || deflater.Z.avail_out == 0) {
                Output->WriteExact(out.data(), filled);
                deflater.Z.next_out = out.data();
                deflater.Z.avail_out = kPiece;
            }
        };
        std::uint32_t crc = 0;
        std::int64_t read = 0, written = 0;
        if (ZipShowProgress && ZipProgressHook)
            ZipProgressHook(FormatOneString("Zipping file \"%s\" ...", source.DisplayName), 0, source.Size);
        while (read < source.Size) {
            const auto want = static_cast<std::int32_t>(std::min<std::int64_t>(kPiece, source.Size - read));
            const std::int32_t got = source.Read(in.data(), want);
            if (got != want)
                Abort();  // the file shrank or cannot be read
            read += got;
            crc = UpdateCrc32(crc, in.data(), got);
            if (store) {
                Output->WriteExact(in.data(), got);
                written += got;
            } else {
                deflater.Z.next_in = in.data();
                deflater.Z.avail_in = static_cast<uInt>(got);
                while (deflater.Z.avail_in > 0) {
                    deflate(&deflater.Z, Z_NO_FLUSH);
                    drain(false);
                }
            }
            if (ZipShowProgress && ZipProgressHook)
                ZipProgressHook(FormatOneString("Zipping file \"%s\" ...", source.DisplayName), read, source.Size);
        }
        if (!store) {
            int result = Z_OK;
            do {
                result = deflate(&deflater.Z, Z_FINISH);
                if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR)
                    Abort();
                drain(result == Z_STREAM_END);
            } while (result != Z_STREAM_END);
            written = static_cast<std::int64_t>(deflater.Z.total_out);
        }
        if (written >= 0xFFFFFFFFLL || Output->Position() >= 0xFFFFFFFFLL)
            Abort();
        StoreU32LE(central + 16, crc);
        StoreU32LE(central + 20, static_cast<std::uint32_t>(written));
        StoreU32LE(central + 24, static_cast<std::uint32_t>(read));
        CentralDirectory.AppendBuffer(central, 46);
        CentralDirectory.AppendBuffer(oem.data(), static_cast<std::int32_t>(oem.size()));
        const std::int64_t end = Output->Position();
        Output->SeekTo(offset + 14);
        Output->WriteExact(central + 16, 12);
        Output->SeekTo(end);
        ++EntryCount;
    } catch (const EAbort&) {
        ok = false;
    }
    if (!ok)
        Failed = true;
    else
        EntryNames.Add(name);
    if (ZipShowProgress && ZipProgressHook)
        ZipProgressHook(std::string(), ok ? source.Size : 0, source.Size);
    return ok;
}

// APPNOTE.TXT 4.3.16 "End of central directory record", without a comment.
bool TZipFile::Finish() {
    if (!Output)
        return false;
    bool ok = !Failed;
    if (ok) {
        try {
            const std::int64_t offset = Output->Position();
            if (offset + CentralDirectory.Size >= 0xFFFFFFFFLL)
                Abort();
            Output->WriteExact(CentralDirectory.Data, CentralDirectory.Size);
            std::uint8_t end[22] = {};
            StoreU32LE(end, 0x06054B50);
            StoreU16LE(end + 8, static_cast<std::uint16_t>(EntryCount));
            StoreU16LE(end + 10, static_cast<std::uint16_t>(EntryCount));
            StoreU32LE(end + 12, static_cast<std::uint32_t>(CentralDirectory.Size));
            StoreU32LE(end + 16, static_cast<std::uint32_t>(offset));
            Output->WriteExact(end, 22);
            Output->Commit();
        } catch (const EAbort&) {
            ok = false;
        }
    }
    Output.reset();
    return ok;
}

namespace {

// Every file below folder, its path relative to folder. Folders reached
// through symbolic links are not entered, so a link loop cannot trap the walk.
void ListFilesBelow(const std::string& folder, const std::string& relative, std::vector<std::string>& out) {
    std::vector<Platform::TFolderEntry> entries;
    if (Platform::ListFolder(folder + relative, entries) != 0)
        return;
    for (const Platform::TFolderEntry& e : entries) {
        if (e.Info.Attr & Platform::faDirectory) {
            if (!e.IsLink)
                ListFilesBelow(folder, relative + e.Name + "/", out);
        } else if ((e.Info.Attr & Platform::faSysFile) == 0) {
            out.push_back(relative + e.Name);
        }
    }
}

bool IsImageName(const std::string& name) {
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string::npos)
        return false;
    std::string ext = name.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".jpg" || ext == ".jpeg" || ext == ".png";
}

}  // namespace

bool ZipFolder(const std::string& folder, const std::string& archivePath) {
    TZipFile zip;
    if (!zip.CreateArchive(archivePath))
        return false;
    bool ok = true;
    if (!ZipMimeType.empty()) {
        zip.Store = true;
        ok = zip.AddData(ZipMimeType.data(), static_cast<std::int64_t>(ZipMimeType.size()), "mimetype");
        zip.Store = false;
    }
    std::vector<std::string> found;
    ListFilesBelow(folder, std::string(), found);
    TStringList files;
    for (const std::string& f : found)
        files.Add(folder + f);
    files.Sort();
    for (std::int32_t i = 0; ok && i < files.GetCount(); ++i) {
        const std::string path = files.GetString(i);
        std::string source = path;
        std::int32_t at = -1;
        if (ZipSourceNames != nullptr && ZipSourceFiles != nullptr && ZipSourceNames->Find(path, at)) {
            const auto index =
                static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(ZipSourceNames->GetObject(at)));
            if (index >= 0 && index < ZipSourceFiles->GetCount())
                source = ZipSourceFiles->GetString(index);
        }
        zip.Store = ZipStoreImages && IsImageName(path);
        ok = zip.AddFile(source, path.substr(folder.size()));
        zip.Store = false;
    }
    return zip.Finish() && ok;
}
