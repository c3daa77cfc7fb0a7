#include "base/files/TUnpackedZip.h"

#include <algorithm>
#include <cstring>

#include "base/core/Crc32.h"
#include "base/core/Errors.h"
#include "base/core/TCustomZStream.h"
#include "base/core/TFileStream.h"
#include "base/core/TReadOnlyMemoryStream.h"
#include "base/core/TZDecompressionStream.h"
#include "base/files/Folders.h"
#include "platform/CodePages.h"
#include "platform/Files.h"

namespace {

std::uint32_t Le32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t Le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// Deflate expands at most 1032 to 1; an entry that claims more than that
// (plus a little for tiny entries) is refused before anything is allocated.
bool PlausibleSizes(std::uint32_t compressed, std::uint32_t uncompressed, bool deflated) {
    if (!deflated)
        return compressed == uncompressed;
    return static_cast<std::uint64_t>(uncompressed) <= static_cast<std::uint64_t>(compressed) * 1032 + 65536;
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

}  // namespace

// PKWARE APPNOTE.TXT: 4.3.16 the end of central directory record (searched
// for from the end, since an archive comment may follow it), 4.3.12 the
// central directory, 4.3.7 the local headers. Every offset and size read
// from the archive is checked against the image before it is used.
TUnpackedZip::TUnpackedZip(Platform::TFileHandle file, const std::string& targetFolder) {
    const std::int64_t size = Platform::SeekFile(file, 0, Platform::kSeekFromEnd);
    if (size <= 0 || size > 0xFFFFFFFFLL || Platform::SeekFile(file, 0, Platform::kSeekFromStart) != 0)
        return;
    try {
        Image.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        return;
    }
    for (std::int64_t at = 0; at < size;) {
        const std::int64_t piece = std::min<std::int64_t>(size - at, 1048576);
        if (Platform::ReadFileBytes(file, Image.data() + at, piece) != piece) {
            Image.clear();
            return;
        }
        at += piece;
    }
    const std::uint8_t* data = Image.data();
    const std::size_t n = Image.size();
    if (n < 22 || Le32(data) != 0x04034B50)
        return;
    // The record whose comment length reaches exactly to the end of the file
    // wins; an archive comment may itself hold the signature. Failing that,
    // the last record found (some writers get the comment length wrong).
    std::size_t end = n, loose = n;
    for (std::size_t i = n - 22 + 1; i-- > 0 && n - i <= 22 + 65535;) {
        if (Le32(data + i) != 0x06054B50)
            continue;
        if (i + 22 + Le16(data + i + 20) == n) {
            end = i;
            break;
        }
        if (loose == n)
            loose = i;
    }
    if (end == n)
        end = loose;
    if (end == n)
        return;
    const std::uint32_t total = Le16(data + end + 10);
    std::uint64_t offset = Le32(data + end + 16);
    Entries.reserve(total);
    for (std::uint32_t k = 0; k < total; ++k) {
        if (offset + 46 > end)
            break;
        const std::uint8_t* c = data + offset;
        if (Le32(c) != 0x02014B50)
            break;
        const std::uint16_t flags = Le16(c + 8), method = Le16(c + 10);
        const std::uint32_t crc = Le32(c + 16), compressed = Le32(c + 20), uncompressed = Le32(c + 24);
        const std::uint64_t record = 46ull + Le16(c + 28) + Le16(c + 30) + Le16(c + 32);
        const std::uint64_t local = Le32(c + 42);
        if (offset + record > n || (flags & 1) != 0 || (method != 0 && method != 8))
            break;  // damaged, encrypted, or a method this program does not read
        offset += record;
        if (compressed == 0xFFFFFFFF || uncompressed == 0xFFFFFFFF || local == 0xFFFFFFFF)
            break;  // ZIP64
        if (local + 30 > n || Le32(data + local) != 0x04034B50)
            break;
        const std::uint64_t nameLength = Le16(data + local + 26), extraLength = Le16(data + local + 28);
        const std::uint64_t start = local + 30 + nameLength + extraLength;
        if (start > n || compressed > n - start)
            break;
        std::string name(reinterpret_cast<const char*>(data + local + 30), nameLength);
        if ((flags & 0x0800) == 0 && std::any_of(name.begin(), name.end(), [](char ch) { return ch & 0x80; }))
            name = Platform::Utf16ToUtf8(Platform::BytesToWide(437, name));
        name = SafeName(name);
        if (name.empty() || name.back() == '/' || uncompressed == 0)
            continue;  // folders, empty files and names that would leave the folder
        if (!PlausibleSizes(compressed, uncompressed, method == 8))
            continue;
        TUnpackedZipEntry entry;
        entry.Data = data + start;
        entry.CompressedSize = compressed;
        entry.UncompressedSize = uncompressed;
        entry.Crc = crc;
        entry.Deflated = method == 8;
        Entries.push_back(entry);
        AddObject(targetFolder + name, reinterpret_cast<void*>(Entries.size() - 1));
    }
    // The objects were indexes while the array grew; now they are addresses.
    for (std::int32_t i = 0; i < GetCount(); ++i)
        SetObject(i, &Entries[reinterpret_cast<std::size_t>(GetObject(i))]);
    SetSorted(true);
}

TUnpackedZip::~TUnpackedZip() = default;

bool TUnpackedZip::Inflate(const TUnpackedZipEntry& entry, std::vector<std::uint8_t>& out) const {
    out.assign(entry.UncompressedSize, 0);
    if (!entry.Deflated) {
        std::memcpy(out.data(), entry.Data, entry.UncompressedSize);
    } else {
        TReadOnlyMemoryStream source(entry.Data, static_cast<std::int32_t>(entry.CompressedSize));
        const std::int32_t saved = ZlibWindowBits;
        ZlibWindowBits = -15;
        TZDecompressionStream inflater(source);
        ZlibWindowBits = saved;
        inflater.Limit = static_cast<std::int32_t>(entry.CompressedSize);
        std::uint64_t at = 0;
        while (at < out.size()) {
            const auto piece = static_cast<std::int32_t>(std::min<std::uint64_t>(out.size() - at, 1 << 30));
            const std::int32_t got = inflater.Read(out.data() + at, piece);
            if (got <= 0)
                return false;  // damaged, or shorter than its recorded size
            at += static_cast<std::uint64_t>(got);
        }
        // Data that goes on past its recorded size is damaged as well.
        std::uint8_t extra = 0;
        if (!inflater.Finished() && inflater.Read(&extra, 1) != 0)
            return false;
        if (!inflater.Finished())
            return false;
    }
    return UpdateCrc32(0, out.data(), static_cast<std::int64_t>(out.size())) == entry.Crc;
}

bool TUnpackedZip::ReadEntry(const std::string& name, std::vector<std::uint8_t>& out) {
    std::int32_t index = -1;
    if (!Find(name, index))
        return false;
    return Inflate(*static_cast<TUnpackedZipEntry*>(GetObject(index)), out);
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
    const std::string temp = path + ".rez-unzipping";
    try {
        {
            TFileStream out(temp, TFileStream::fmCreate);
            for (std::size_t at = 0; at < bytes.size();) {
                const auto piece = static_cast<std::int32_t>(std::min<std::size_t>(bytes.size() - at, 1 << 30));
                out.WriteExact(bytes.data() + at, piece);
                at += static_cast<std::size_t>(piece);
            }
        }
        if (!Platform::MoveFileOver(temp, path))
            Abort();
    } catch (const EAbort&) {
        Platform::DeleteFileAt(temp);
        return false;
    }
    if (targetPath.empty())
        entry->Extracted = true;
    return true;
}
