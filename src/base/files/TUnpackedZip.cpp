#include "base/files/TUnpackedZip.h"

#include <algorithm>
#include <map>
#include <set>
#include <string_view>

#include "base/core/Crc32.h"
#include "base/core/Errors.h"
#include "base/core/TCustomZStream.h"
#include "base/core/TFileStream.h"
#include "base/core/TReadOnlyMemoryStream.h"
#include "base/core/TReplacingFileStream.h"
#include "base/core/TZDecompressionStream.h"
#include "base/files/FolderOperations.h"
#include "base/text/CompareLocale.h"
#include "platform/CodePages.h"
#include "platform/Files.h"

namespace {

constexpr std::uint32_t kLocalSignature = 0x04034B50;
constexpr std::uint32_t kCentralSignature = 0x02014B50;
constexpr std::uint32_t kEndSignature = 0x06054B50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064B50;
constexpr std::size_t kEndRecordSize = 22;
constexpr std::size_t kCentralRecordSize = 46;
constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::size_t kZip64LocatorSize = 20;
constexpr int kOemCodePage = 437;

// Deflate expands at most 1032 to 1; an entry that claims more than that
// (plus a little for tiny entries) cannot be what its data holds.
bool PlausibleSizes(std::uint32_t compressed, std::uint32_t uncompressed, bool deflated) {
    if (!deflated)
        return compressed == uncompressed;
    return static_cast<std::uint64_t>(uncompressed) <= static_cast<std::uint64_t>(compressed) * 1032 + 65536;
}

bool IsValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<std::uint8_t>(s[i]);
        std::size_t n = 0;
        std::uint32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if (c >= 0xC2 && c <= 0xDF)
            n = 1, cp = c & 0x1F;
        else if (c >= 0xE0 && c <= 0xEF)
            n = 2, cp = c & 0x0F;
        else if (c >= 0xF0 && c <= 0xF4)
            n = 3, cp = c & 0x07;
        else
            return false;
        if (s.size() - i <= n)
            return false;
        for (std::size_t k = 1; k <= n; ++k) {
            const auto t = static_cast<std::uint8_t>(s[i + k]);
            if ((t & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (t & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF.
        if ((n == 2 && cp < 0x800) || (n == 3 && cp < 0x10000) || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += n + 1;
    }
    return true;
}

// APPNOTE.TXT 4.4.2 and 4.4.4, appendix D: a name is UTF-8 when flag bit 11
// says so; otherwise its code page is the one of the system that made the
// archive ("version made by", high byte). Info-ZIP's unzip reads names from
// MS-DOS (0), OS/2 HPFS (6) and Windows NTFS (11) in the OEM code page 437,
// and takes the bytes of every other system, Unix first of all, as they are,
// which on a UTF-8 system shows them right; so do we, where they are UTF-8.
std::string EntryName(std::string_view raw, std::uint16_t flags, std::uint16_t madeBy) {
    const bool ascii = std::none_of(raw.begin(), raw.end(), [](char ch) { return (ch & 0x80) != 0; });
    if (ascii || (flags & 0x0800) != 0)
        return std::string(raw);
    const int system = madeBy >> 8;
    const bool oem = system == 0 || system == 6 || system == 11;
    if (!oem && IsValidUtf8(raw))
        return std::string(raw);
    return Platform::Utf16ToUtf8(Platform::BytesToWide(kOemCodePage, std::string(raw)));
}

// An entry name made safe for joining to the target folder: backslashes
// count as separators, and names that are absolute, carry a drive letter or
// step out through ".." are refused (empty result).
std::string SafeName(std::string name) {
    std::replace(name.begin(), name.end(), '\\', '/');
    if (name.empty() || name[0] == '/' || (name.size() >= 2 && name[1] == ':'))
        return std::string();
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t end = std::min(name.find('/', start), name.size());
        const std::string part = name.substr(start, end - start);
        if (part == ".." || part == ".")
            return std::string();
        if (part.find('\0') != std::string::npos)
            return std::string();
        start = end + 1;
    }
    return name;
}

// The byte ranges of the archive that its records have claimed so far, as
// Info-ZIP's unzip keeps them: an entry (local header and data) that shares
// a byte with another entry or with the central directory is refused, so
// that no compressed byte is inflated twice.
class TCover {
public:
    // Claims [start, end) unless it meets a claimed range.
    bool Claim(std::uint64_t start, std::uint64_t end) {
        auto next = Spans.upper_bound(start);
        if (next != Spans.end() && next->first < end)
            return false;
        if (next != Spans.begin() && std::prev(next)->second > start)
            return false;
        Spans.emplace(start, end);
        return true;
    }

private:
    std::map<std::uint64_t, std::uint64_t> Spans;  // start -> end
};

}  // namespace

// PKWARE APPNOTE.TXT: 4.3.16 the end of central directory record (searched
// for from the end, since an archive comment may follow it), 4.3.15 the
// ZIP64 end of central directory locator (only recognised, to refuse it),
// 4.3.12 the central directory, 4.3.7 the local headers. The image is read
// whole; the listing itself is ReadDirectory.
TUnpackedZip::TUnpackedZip(Platform::TFileHandle file, const std::string& targetFolder) {
    const std::int64_t size = Platform::SeekFile(file, 0, Platform::kSeekFromEnd);
    if (size <= 0 || size > 0xFFFFFFFFLL || Platform::SeekFile(file, 0, Platform::kSeekFromStart) != 0) {
        Result = TReadResult::Failure(size == 0 ? "empty file" : "cannot read the file", 0);
        return;
    }
    try {
        Image.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        Result = TReadResult::Failure("no memory for the archive", 0);
        return;
    }
    for (std::int64_t at = 0; at < size;) {
        const std::int64_t piece = std::min<std::int64_t>(size - at, 1048576);
        if (Platform::ReadFileBytes(file, Image.data() + at, piece) != piece) {
            Image.clear();
            Result = TReadResult::Failure("cannot read the file", static_cast<std::uint64_t>(at));
            return;
        }
        at += piece;
    }
    Result = ReadDirectory(targetFolder);
    // The objects were indexes while the array grew; now they are addresses.
    for (std::int32_t i = 0; i < GetCount(); ++i)
        SetObject(i, &Entries[reinterpret_cast<std::size_t>(GetObject(i))]);
    SetSorted(true);
}

TReadResult TUnpackedZip::ReadDirectory(const std::string& targetFolder) {
    const TByteReader image(Image.data(), Image.size());
    const std::size_t n = Image.size();
    if (!image.HasAt(0, 4) || image.U32LEAt(0) != kLocalSignature)
        return image.ErrorAt("no local header at the start", 0);

    // The record whose comment length reaches exactly to the end of the file
    // wins; an archive comment may itself hold the signature. Failing that,
    // the last record found (some writers get the comment length wrong).
    std::size_t endAt = n, loose = n;
    for (std::size_t i = n >= kEndRecordSize ? n - kEndRecordSize + 1 : 0; i-- > 0 && n - i <= 22 + 65535;) {
        if (image.U32LEAt(i) != kEndSignature)
            continue;
        if (i + kEndRecordSize + image.U16LEAt(i + 20) == n) {
            endAt = i;
            break;
        }
        if (loose == n)
            loose = i;
    }
    if (endAt == n)
        endAt = loose;
    if (endAt == n)
        return image.ErrorAt("no end of central directory record", n);
    if (endAt >= kZip64LocatorSize && image.U32LEAt(endAt - kZip64LocatorSize) == kZip64LocatorSignature)
        return image.ErrorAt("ZIP64 archives are not read", endAt - kZip64LocatorSize);
    TByteReader end = image.SubAt(endAt, kEndRecordSize);
    end.Skip(10);  // signature, disk numbers, entries on this disk
    const std::uint16_t total = end.U16LE();
    end.Skip(4);  // the directory's size, which some writers get wrong: its records tell
    const std::uint32_t directoryAt = end.U32LE();
    if (directoryAt > endAt)
        return end.ErrorAt("central directory starts past the end record", 16);

    TCover cover;
    cover.Claim(directoryAt, n);
    TByteReader directory = image.SubAt(directoryAt, endAt - directoryAt);
    // Entries that are refused one by one are skipped; damage to the
    // directory itself ends the listing. Either way the first refusal is
    // what the listing reports.
    TReadResult result;
    auto refuse = [&result](TReadResult r) {
        if (result.Good)
            result = std::move(r);
    };
    auto stop = [&result](TReadResult r) { return result.Good ? std::move(r) : result; };
    std::uint64_t expanded = 0;
    // Names compare as the list compares them, so that Find meets each once.
    const TCompareLocaleScope scope(static_cast<std::uint32_t>(Language));
    auto less = [this](const std::string& a, const std::string& b) { return CompareStrings(a, b) < 0; };
    std::set<std::string, decltype(less)> names(less);
    Entries.reserve(total);
    for (std::uint32_t k = 0; k < total; ++k) {
        TByteReader c = directory.Sub(kCentralRecordSize);
        if (c.Failed())
            return stop(directory.Error("central directory ends before its last record"));
        if (c.U32LE() != kCentralSignature)
            return stop(c.ErrorAt("no central directory record signature", 0));
        const std::uint16_t madeBy = c.U16LE();
        c.Skip(2);  // version needed to extract
        const std::uint16_t flags = c.U16LE(), method = c.U16LE();
        c.Skip(4);  // time and date
        const std::uint32_t crc = c.U32LE(), compressed = c.U32LE(), uncompressed = c.U32LE();
        const std::uint16_t nameLength = c.U16LE(), extraLength = c.U16LE(), commentLength = c.U16LE();
        c.Skip(8);  // disk, attributes
        const std::uint32_t local = c.U32LE();
        const std::string_view rawName = directory.Chars(nameLength);
        directory.Skip(static_cast<std::size_t>(extraLength) + commentLength);
        if (directory.Failed())
            return stop(directory.Error("central directory record runs past the directory"));
        if ((flags & 1) != 0)
            return stop(c.ErrorAt("encrypted entries are not read", 8));
        if (method != 0 && method != 8)
            return stop(c.ErrorAt("compression method is neither stored nor deflated", 10));
        // A size or offset of all ones says that the real one is in a ZIP64 extra field.
        const std::size_t zip64At = compressed == 0xFFFFFFFF     ? 20
                                    : uncompressed == 0xFFFFFFFF ? 24
                                    : local == 0xFFFFFFFF        ? 42
                                                                 : 0;
        if (zip64At != 0)
            return stop(c.ErrorAt("ZIP64 entries are not read", zip64At));

        TByteReader header = image.SubAt(local, kLocalHeaderSize);
        if (header.Failed())
            return stop(c.ErrorAt("local header lies past the end", 42));
        if (header.U32LE() != kLocalSignature)
            return stop(header.ErrorAt("no local header signature", 0));
        header.Skip(22);  // versions, flags, method, time, date, CRC and sizes: the central record's count
        const std::uint16_t localNameLength = header.U16LE(), localExtraLength = header.U16LE();
        TByteReader body = image.SubAt(local + kLocalHeaderSize,
                                       static_cast<std::size_t>(localNameLength) + localExtraLength + compressed);
        if (body.Failed())
            return stop(image.ErrorAt("entry data runs past the end", local + kLocalHeaderSize));
        const std::string_view localName = body.Chars(localNameLength);
        body.Skip(localExtraLength);
        const std::uint8_t* data = body.Current();
        const std::uint64_t dataAt = body.InputOffset();

        if (!cover.Claim(local, dataAt + compressed)) {
            refuse(image.ErrorAt("entry overlaps another entry or the central directory", local));
            continue;
        }
        if (localName != rawName) {
            refuse(image.ErrorAt("local header names another file", local + kLocalHeaderSize));
            continue;
        }
        const std::string name = SafeName(EntryName(rawName, flags, madeBy));
        if (name.empty() || name.back() == '/' || uncompressed == 0)
            continue;  // folders, empty files and names that would leave the folder
        if (!PlausibleSizes(compressed, uncompressed, method == 8)) {
            refuse(c.ErrorAt("entry claims more than its data can hold", 24));
            continue;
        }
        if (uncompressed > kMaxExpandedBytes - expanded || compressed > kMaxExpandedBytes) {
            refuse(c.ErrorAt("archive expands past the limit", 24));
            continue;
        }
        if (!names.insert(targetFolder + name).second) {
            refuse(c.ErrorAt("name is listed already", kCentralRecordSize));
            continue;
        }
        expanded += uncompressed;
        TUnpackedZipEntry entry;
        entry.Data = data;
        entry.CompressedSize = compressed;
        entry.UncompressedSize = uncompressed;
        entry.Crc = crc;
        entry.Deflated = method == 8;
        Entries.push_back(entry);
        AddObject(targetFolder + name, reinterpret_cast<void*>(Entries.size() - 1));
    }
    return result;
}

TUnpackedZip::~TUnpackedZip() = default;

// The output grows with the data that really arrives, doubling up to the
// recorded size, so an entry that claims far more than its data holds costs
// only what its data holds.
bool TUnpackedZip::Inflate(const TUnpackedZipEntry& entry, std::vector<std::uint8_t>& out) const {
    out.clear();
    const std::size_t size = entry.UncompressedSize;
    if (!entry.Deflated) {
        out.assign(entry.Data, entry.Data + size);  // the listing checked that the bytes are there
    } else {
        TReadOnlyMemoryStream source(entry.Data, static_cast<std::int32_t>(entry.CompressedSize));
        const std::int32_t saved = ZlibWindowBits;
        ZlibWindowBits = -15;
        TZDecompressionStream inflater(source);
        ZlibWindowBits = saved;
        inflater.Limit = static_cast<std::int32_t>(entry.CompressedSize);
        std::size_t have = 0;
        while (have < size) {
            if (have == out.size())
                out.resize(std::min(size, std::max<std::size_t>(65536, 2 * have)));
            const auto piece = static_cast<std::int32_t>(std::min<std::size_t>(out.size() - have, 1 << 30));
            const std::int32_t got = inflater.Read(out.data() + have, piece);
            if (got <= 0) {
                out.clear();
                return false;  // damaged, or shorter than its recorded size
            }
            have += static_cast<std::size_t>(got);
        }
        // Data that goes on past its recorded size is damaged as well.
        std::uint8_t extra = 0;
        if (!inflater.Finished() && inflater.Read(&extra, 1) != 0) {
            out.clear();
            return false;
        }
        if (!inflater.Finished()) {
            out.clear();
            return false;
        }
    }
    if (UpdateCrc32(0, out.data(), static_cast<std::int64_t>(out.size())) != entry.Crc) {
        out.clear();
        return false;
    }
    return true;
}

bool TUnpackedZip::ReadEntryAt(std::int32_t index, std::vector<std::uint8_t>& out) {
    if (index < 0 || index >= GetCount()) {
        out.clear();
        return false;
    }
    return Inflate(*static_cast<TUnpackedZipEntry*>(GetObject(index)), out);
}

bool TUnpackedZip::ReadEntry(const std::string& name, std::vector<std::uint8_t>& out) {
    std::int32_t index = -1;
    if (!Find(name, index)) {
        out.clear();
        return false;
    }
    return ReadEntryAt(index, out);
}

bool TUnpackedZip::ExtractEntry(const std::string& name, const std::string& targetPath) {
    std::int32_t index = -1;
    if (!Find(name, index))
        return false;
    auto* entry = static_cast<TUnpackedZipEntry*>(GetObject(index));
    if (targetPath.empty() && entry->Extracted)
        return true;
    const std::string path = targetPath.empty() ? GetString(index) : targetPath;
    std::vector<std::uint8_t> bytes;
    if (!Inflate(*entry, bytes))
        return false;
    const std::size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0)
        ForceFolders(path.substr(0, slash));
    try {
        // Written beside the target and put in its place only when whole.
        TReplacingFileStream out(path);
        for (std::size_t at = 0; at < bytes.size();) {
            const auto piece = static_cast<std::int32_t>(std::min<std::size_t>(bytes.size() - at, 1 << 30));
            out.WriteExact(bytes.data() + at, piece);
            at += static_cast<std::size_t>(piece);
        }
        out.Commit();
    } catch (const EAbort&) {
        return false;
    }
    if (targetPath.empty())
        entry->Extracted = true;
    return true;
}
