#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ByteReader.h"

// A compound file (the structured storage of Word documents) opened for
// reading: its header, its sector allocation table and its directory are
// read, and streams are read on demand, sector by sector, through ReadAt.
// Nothing else is kept in memory, so probing a large document costs the
// table and the directory only. Every chain is walked with a step limit and
// every sector number is checked against the size of the file, so a damaged
// or hostile file ends in a read result instead of a loop or a wild read.
class TCompoundFile {
public:
    // Reads count bytes at offset of the file into dest; false when they
    // cannot all be read.
    using TReadAt = std::function<bool(std::uint64_t offset, void* dest, std::size_t count)>;

    // One directory entry ([MS-CFB] 2.6.1).
    struct TDirEntry {
        std::u16string Name;
        std::uint8_t Type = 0;  // kUnusedEntry, kStorageEntry, kStreamEntry or kRootEntry
        std::uint32_t Left = 0xFFFFFFFF;
        std::uint32_t Right = 0xFFFFFFFF;
        std::uint32_t Child = 0xFFFFFFFF;
        std::uint32_t Start = 0;
        std::uint64_t StreamSize = 0;
    };

    // Object types of a directory entry ([MS-CFB] 2.6.1).
    static constexpr std::uint8_t kUnusedEntry = 0;
    static constexpr std::uint8_t kStorageEntry = 1;
    static constexpr std::uint8_t kStreamEntry = 2;
    static constexpr std::uint8_t kRootEntry = 5;

    // The eight bytes every compound file starts with ([MS-CFB] 2.2).
    static bool HasSignature(std::span<const std::uint8_t> firstBytes);

    // Reads the header, the allocation tables and the directory of a file
    // of fileSize bytes. Good, or why the file is not a readable compound
    // file and the file offset of the first byte refused.
    TReadResult Open(TReadAt readAt, std::uint64_t fileSize);

    // The directory index of the stream named name (compared without case,
    // as the format compares names) directly inside the root storage; -1
    // when there is none.
    std::int32_t FindRootStream(std::u16string_view name) const;

    // The first count bytes of the stream at directory index entry (fewer
    // when the stream is shorter).
    TReadResult ReadStream(std::int32_t entry, std::uint64_t count, std::vector<std::uint8_t>& out) const;

    std::vector<TDirEntry> Directory;

private:
    // The sectors of the chain that starts at start, as many as hold count
    // bytes; mini chooses the mini sector table.
    // startAt is the file offset of the field that holds start.
    TReadResult ChainSectors(std::uint32_t start,
                             std::uint64_t startAt,
                             bool mini,
                             std::uint64_t count,
                             std::vector<std::uint32_t>& sectors) const;
    // count bytes of the regular chain from start (the whole chain for
    // kWholeChain).
    TReadResult ReadChain(std::uint32_t start,
                          std::uint64_t startAt,
                          std::uint64_t count,
                          std::vector<std::uint8_t>& out,
                          std::vector<std::uint32_t>* sectors = nullptr) const;
    // Where the start sector field of directory entry index lies.
    std::uint64_t EntryStartOffset(std::size_t index) const;
    // Where entry index of a sector table lies in the file, to name it in a
    // refusal.
    std::uint64_t TableEntryOffset(bool mini, std::uint64_t index) const;
    std::uint64_t SectorOffset(std::uint32_t sector) const {
        return (static_cast<std::uint64_t>(sector) + 1) << SectorShift;
    }

    TReadAt ReadAt;
    std::uint64_t FileSize = 0;
    std::uint32_t SectorShift = 9;
    std::uint32_t MiniSectorShift = 6;
    std::uint32_t MiniStreamCutoff = 4096;
    std::uint64_t SectorCount = 0;  // sectors that begin inside the file
    std::vector<std::uint32_t> Fat;
    std::vector<std::uint32_t> FatSectors;  // where the table's own sectors lie
    std::vector<std::uint32_t> MiniFat;
    std::vector<std::uint32_t> MiniFatSectors;
    std::vector<std::uint32_t> DirectorySectors;
};
