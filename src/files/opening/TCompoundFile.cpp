#include "files/opening/TCompoundFile.h"

#include <algorithm>
#include <limits>

namespace {

// [MS-CFB] 2.2 header fields and 2.1 special sector numbers.
constexpr std::uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr std::size_t kHeaderSize = 512;
constexpr std::size_t kMajorVersionAt = 26;
constexpr std::size_t kByteOrderAt = 28;
constexpr std::size_t kSectorShiftAt = 30;
constexpr std::size_t kMiniSectorShiftAt = 32;
constexpr std::size_t kFatSectorCountAt = 44;
constexpr std::size_t kFirstDirectorySectorAt = 48;
constexpr std::size_t kMiniStreamCutoffAt = 56;
constexpr std::size_t kFirstMiniFatSectorAt = 60;
constexpr std::size_t kMiniFatSectorCountAt = 64;
constexpr std::size_t kFirstDifatSectorAt = 68;
constexpr std::size_t kDifatSectorCountAt = 72;
constexpr std::size_t kHeaderDifatAt = 76;
constexpr std::size_t kHeaderDifatEntries = 109;
constexpr std::uint16_t kByteOrderMark = 0xFFFE;
constexpr std::uint32_t kMaxRegularSector = 0xFFFFFFFA;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::uint32_t kMiniSectorShift = 6;
constexpr std::uint32_t kMiniStreamCutoff = 4096;

// [MS-CFB] 2.6.1 directory entry fields.
constexpr std::size_t kDirEntrySize = 128;
constexpr std::size_t kNameLengthAt = 64;
constexpr std::size_t kTypeAt = 66;
constexpr std::size_t kLeftAt = 68;
constexpr std::size_t kRightAt = 72;
constexpr std::size_t kChildAt = 76;
constexpr std::size_t kStartAt = 116;
constexpr std::size_t kStreamSizeAt = 120;

constexpr std::uint64_t kWholeChain = std::numeric_limits<std::uint64_t>::max();

char16_t UpperAscii(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

bool SameName(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char16_t x, char16_t y) { return UpperAscii(x) == UpperAscii(y); });
}

}  // namespace

bool TCompoundFile::HasSignature(std::span<const std::uint8_t> firstBytes) {
    return firstBytes.size() >= sizeof kSignature &&
           std::equal(kSignature, kSignature + sizeof kSignature, firstBytes.begin());
}

// [MS-CFB] 2.2 (header), 2.3 (the sector table and its DIFAT), 2.4 (the
// mini sector table), 2.6 (the directory).
TReadResult TCompoundFile::Open(TReadAt readAt, std::uint64_t fileSize) {
    ReadAt = std::move(readAt);
    FileSize = fileSize;
    Directory.clear();
    Fat.clear();
    FatSectors.clear();
    MiniFat.clear();
    MiniFatSectors.clear();
    DirectorySectors.clear();

    std::uint8_t header[kHeaderSize] = {};
    if (fileSize < kHeaderSize)
        return TReadResult::Failure("file is shorter than a compound file header", fileSize);
    if (!ReadAt(0, header, kHeaderSize))
        return TReadResult::Failure("cannot read the header", 0);
    const TByteReader h(header, kHeaderSize);
    if (!HasSignature(std::span<const std::uint8_t>(header, kHeaderSize)))
        return h.ErrorAt("no compound file signature", 0);
    if (h.U16LEAt(kByteOrderAt) != kByteOrderMark)
        return h.ErrorAt("byte order mark is not little-endian", kByteOrderAt);
    const std::uint16_t major = h.U16LEAt(kMajorVersionAt);
    if (major != 3 && major != 4)
        return h.ErrorAt("major version is neither 3 nor 4", kMajorVersionAt);
    SectorShift = h.U16LEAt(kSectorShiftAt);
    if (SectorShift != (major == 3 ? 9u : 12u))
        return h.ErrorAt("sector size does not match the version", kSectorShiftAt);
    MiniSectorShift = h.U16LEAt(kMiniSectorShiftAt);
    if (MiniSectorShift != kMiniSectorShift)
        return h.ErrorAt("mini sector size is not 64 bytes", kMiniSectorShiftAt);
    MiniStreamCutoff = h.U32LEAt(kMiniStreamCutoffAt);
    if (MiniStreamCutoff != kMiniStreamCutoff)
        return h.ErrorAt("mini stream cutoff is not 4096", kMiniStreamCutoffAt);

    const std::uint64_t sectorBytes = std::uint64_t{1} << SectorShift;
    SectorCount = fileSize > sectorBytes ? (fileSize - sectorBytes + sectorBytes - 1) >> SectorShift : 0;
    SectorCount = std::min<std::uint64_t>(SectorCount, kMaxRegularSector);
    const std::uint32_t fatCount = h.U32LEAt(kFatSectorCountAt);
    if (fatCount == 0 || fatCount > SectorCount)
        return h.ErrorAt("sector table size does not fit the file", kFatSectorCountAt);

    // The sector table's own sectors: the first 109 are named in the header,
    // the rest in a chain of DIFAT sectors whose last entry links the next.
    std::vector<std::uint64_t> fatSectorAt;  // where each was named, for refusals
    for (std::size_t i = 0; i < kHeaderDifatEntries && FatSectors.size() < fatCount; ++i) {
        FatSectors.push_back(h.U32LEAt(kHeaderDifatAt + 4 * i));
        fatSectorAt.push_back(kHeaderDifatAt + 4 * i);
    }
    std::uint32_t difat = h.U32LEAt(kFirstDifatSectorAt);
    std::uint64_t difatAt = kFirstDifatSectorAt;
    const std::uint32_t difatCount = h.U32LEAt(kDifatSectorCountAt);
    std::vector<std::uint8_t> sector(static_cast<std::size_t>(sectorBytes));
    const std::size_t perSector = static_cast<std::size_t>(sectorBytes / 4);
    for (std::uint32_t k = 0; k < difatCount && FatSectors.size() < fatCount; ++k) {
        if (difat >= SectorCount)
            return TReadResult::Failure("DIFAT sector lies past the end", difatAt);
        const std::uint64_t at = SectorOffset(difat);
        if (!ReadAt(at, sector.data(), sector.size()))
            return TReadResult::Failure("cannot read a DIFAT sector", at);
        const TByteReader d(sector.data(), sector.size());
        for (std::size_t i = 0; i + 1 < perSector && FatSectors.size() < fatCount; ++i) {
            FatSectors.push_back(d.U32LEAt(4 * i));
            fatSectorAt.push_back(at + 4 * i);
        }
        difat = d.U32LEAt(4 * (perSector - 1));
        difatAt = at + 4 * (perSector - 1);
    }
    if (FatSectors.size() < fatCount)
        return h.ErrorAt("DIFAT names fewer sector table sectors than the header counts", kFatSectorCountAt);

    Fat.reserve(static_cast<std::size_t>(fatCount) * perSector);
    for (std::size_t i = 0; i < FatSectors.size(); ++i) {
        if (FatSectors[i] >= SectorCount)
            return TReadResult::Failure("sector table sector lies past the end", fatSectorAt[i]);
        const std::uint64_t at = SectorOffset(FatSectors[i]);
        std::fill(sector.begin(), sector.end(), 0xFF);
        // The file's last sector may be cut short; what is missing reads as free.
        const std::size_t have = static_cast<std::size_t>(std::min<std::uint64_t>(sectorBytes, FileSize - at));
        if (!ReadAt(at, sector.data(), have))
            return TReadResult::Failure("cannot read a sector table sector", at);
        const TByteReader f(sector.data(), sector.size());
        for (std::size_t k = 0; k < perSector; ++k)
            Fat.push_back(f.U32LEAt(4 * k));
    }

    std::vector<std::uint8_t> directory;
    if (TReadResult r = ReadChain(h.U32LEAt(kFirstDirectorySectorAt), kFirstDirectorySectorAt, kWholeChain, directory,
                                  &DirectorySectors);
        !r)
        return r;
    const TByteReader dir(directory.data(), directory.size());
    for (std::size_t at = 0; at + kDirEntrySize <= directory.size(); at += kDirEntrySize) {
        TDirEntry e;
        const std::size_t nameBytes = std::min<std::size_t>(dir.U16LEAt(at + kNameLengthAt), kNameLengthAt);
        // The length counts the terminating zero.
        const std::size_t chars = nameBytes >= 2 ? nameBytes / 2 - 1 : 0;
        for (std::size_t i = 0; i < chars; ++i)
            e.Name.push_back(static_cast<char16_t>(dir.U16LEAt(at + 2 * i)));
        e.Type = dir.U8At(at + kTypeAt);
        e.Left = dir.U32LEAt(at + kLeftAt);
        e.Right = dir.U32LEAt(at + kRightAt);
        e.Child = dir.U32LEAt(at + kChildAt);
        e.Start = dir.U32LEAt(at + kStartAt);
        // Version 3 files may leave junk in the high half of the size.
        e.StreamSize = major == 3 ? dir.U32LEAt(at + kStreamSizeAt) : dir.U64LEAt(at + kStreamSizeAt);
        Directory.push_back(std::move(e));
    }
    if (Directory.empty() || Directory[0].Type != kRootEntry)
        return TReadResult::Failure(
            "directory does not start with the root entry",
            DirectorySectors.empty() ? kFirstDirectorySectorAt : SectorOffset(DirectorySectors[0]) + kTypeAt);

    const std::uint32_t miniFatStart = h.U32LEAt(kFirstMiniFatSectorAt);
    if (h.U32LEAt(kMiniFatSectorCountAt) != 0 && miniFatStart != kEndOfChain) {
        std::vector<std::uint8_t> miniFat;
        if (TReadResult r = ReadChain(miniFatStart, kFirstMiniFatSectorAt, kWholeChain, miniFat, &MiniFatSectors); !r)
            return r;
        const TByteReader m(miniFat.data(), miniFat.size());
        for (std::size_t at = 0; at + 4 <= miniFat.size(); at += 4)
            MiniFat.push_back(m.U32LEAt(at));
    }
    return TReadResult::Success();
}

std::uint64_t TCompoundFile::TableEntryOffset(bool mini, std::uint64_t index) const {
    const std::vector<std::uint32_t>& sectors = mini ? MiniFatSectors : FatSectors;
    const std::uint64_t perSector = (std::uint64_t{1} << SectorShift) / 4;
    const std::uint64_t which = index / perSector;
    if (which >= sectors.size())
        return 0;
    return SectorOffset(sectors[static_cast<std::size_t>(which)]) + 4 * (index % perSector);
}

std::uint64_t TCompoundFile::EntryStartOffset(std::size_t index) const {
    const std::uint64_t perSector = (std::uint64_t{1} << SectorShift) / kDirEntrySize;
    const std::uint64_t which = index / perSector;
    if (which >= DirectorySectors.size())
        return 0;
    return SectorOffset(DirectorySectors[static_cast<std::size_t>(which)]) + kDirEntrySize * (index % perSector) +
           kStartAt;
}

TReadResult TCompoundFile::ChainSectors(std::uint32_t start,
                                        std::uint64_t startAt,
                                        bool mini,
                                        std::uint64_t count,
                                        std::vector<std::uint32_t>& sectors) const {
    sectors.clear();
    const std::vector<std::uint32_t>& table = mini ? MiniFat : Fat;
    const std::uint32_t shift = mini ? MiniSectorShift : SectorShift;
    const std::uint64_t needed =
        count == kWholeChain ? kWholeChain : (count + (std::uint64_t{1} << shift) - 1) >> shift;
    // A regular sector must also begin inside the file.
    const std::uint64_t limit = mini ? table.size() : std::min<std::uint64_t>(table.size(), SectorCount);
    std::uint32_t s = start;
    std::uint64_t linkAt = startAt;
    while (sectors.size() < needed) {
        if (s == kEndOfChain) {
            if (count == kWholeChain)
                break;
            return TReadResult::Failure("chain ends before the stream does", linkAt);
        }
        if (s >= limit)
            return TReadResult::Failure(
                s == kFreeSector ? "chain runs into a free sector" : "sector number out of range", linkAt);
        // No chain is longer than the table: a longer one has looped.
        if (sectors.size() >= limit)
            return TReadResult::Failure("chain loops", linkAt);
        sectors.push_back(s);
        linkAt = TableEntryOffset(mini, s);
        s = table[s];
    }
    return TReadResult::Success();
}

TReadResult TCompoundFile::ReadChain(std::uint32_t start,
                                     std::uint64_t startAt,
                                     std::uint64_t count,
                                     std::vector<std::uint8_t>& out,
                                     std::vector<std::uint32_t>* sectorsOut) const {
    out.clear();
    std::vector<std::uint32_t> sectors;
    if (TReadResult r = ChainSectors(start, startAt, false, count, sectors); !r)
        return r;
    const std::uint64_t sectorBytes = std::uint64_t{1} << SectorShift;
    const std::uint64_t total = std::min<std::uint64_t>(count, sectors.size() * sectorBytes);
    out.resize(static_cast<std::size_t>(total));
    for (std::size_t i = 0; i < sectors.size(); ++i) {
        const std::uint64_t at = SectorOffset(sectors[i]);
        const std::uint64_t into = i * sectorBytes;
        const std::uint64_t want = std::min<std::uint64_t>(sectorBytes, total - into);
        if (want > FileSize - at)
            return TReadResult::Failure("file ends inside a sector", FileSize);
        if (!ReadAt(at, out.data() + into, static_cast<std::size_t>(want)))
            return TReadResult::Failure("cannot read a sector", at);
    }
    if (sectorsOut)
        *sectorsOut = std::move(sectors);
    return TReadResult::Success();
}

std::int32_t TCompoundFile::FindRootStream(std::u16string_view name) const {
    if (Directory.empty())
        return -1;
    // The root's children form a tree through their left and right links;
    // a damaged file may link them in a circle, so each is visited once.
    std::vector<bool> seen(Directory.size(), false);
    std::vector<std::uint32_t> todo{Directory[0].Child};
    while (!todo.empty()) {
        const std::uint32_t i = todo.back();
        todo.pop_back();
        if (i >= Directory.size() || seen[i])
            continue;
        seen[i] = true;
        const TDirEntry& e = Directory[i];
        if (e.Type == kStreamEntry && SameName(e.Name, name))
            return static_cast<std::int32_t>(i);
        todo.push_back(e.Left);
        todo.push_back(e.Right);
    }
    return -1;
}

TReadResult TCompoundFile::ReadStream(std::int32_t entry, std::uint64_t count, std::vector<std::uint8_t>& out) const {
    out.clear();
    if (entry < 0 || static_cast<std::size_t>(entry) >= Directory.size() ||
        Directory[static_cast<std::size_t>(entry)].Type != kStreamEntry)
        return TReadResult::Failure("no such stream", 0);
    const auto index = static_cast<std::size_t>(entry);
    const TDirEntry& e = Directory[index];
    const std::uint64_t n = std::min(count, e.StreamSize);
    if (n == 0)
        return TReadResult::Success();
    if (e.StreamSize >= MiniStreamCutoff)
        return ReadChain(e.Start, EntryStartOffset(index), n, out);

    // Small streams live in 64-byte sectors of the mini stream, which is
    // itself the root entry's chain of regular sectors.
    std::vector<std::uint32_t> sectors;
    if (TReadResult r = ChainSectors(e.Start, EntryStartOffset(index), true, n, sectors); !r)
        return r;
    std::vector<std::uint8_t> miniStream;
    const std::uint64_t miniBytes = std::min<std::uint64_t>(Directory[0].StreamSize, FileSize);
    if (TReadResult r = ReadChain(Directory[0].Start, EntryStartOffset(0), miniBytes, miniStream); !r)
        return r;
    out.resize(static_cast<std::size_t>(n));
    const std::uint64_t unit = std::uint64_t{1} << MiniSectorShift;
    for (std::size_t i = 0; i < sectors.size(); ++i) {
        const std::uint64_t from = sectors[i] * unit;
        const std::uint64_t into = i * unit;
        const std::uint64_t want = std::min<std::uint64_t>(unit, n - into);
        if (from + want > miniStream.size()) {
            out.clear();
            return TReadResult::Failure("mini sector lies past the mini stream", TableEntryOffset(true, sectors[i]));
        }
        std::copy_n(miniStream.begin() + static_cast<std::ptrdiff_t>(from), want,
                    out.begin() + static_cast<std::ptrdiff_t>(into));
    }
    return TReadResult::Success();
}
