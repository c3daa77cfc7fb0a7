#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/text/TStringList.h"
#include "platform/ByteReader.h"
#include "platform/Files.h"

// One listed entry of an archive.
struct TUnpackedZipEntry {
    const std::uint8_t* Data = nullptr;  // into the archive image
    std::uint32_t CompressedSize = 0;
    std::uint32_t UncompressedSize = 0;
    std::uint32_t Crc = 0;
    bool Deflated = false;
    bool Extracted = false;
};

// A whole ZIP archive read into memory, its entries listed by target path
// (the target folder followed by the entry name), sorted. Only what this
// program writes is read: stored and deflated entries, no encryption, no
// ZIP64. Names come from the central directory. Damaged archives list the
// entries read before the damage; entries whose names would leave the target
// folder are not listed, and neither are entries that overlap another, whose
// local header names another file, whose name is listed already, or that
// would take the archive past kMaxExpandedBytes. Result tells the first
// thing refused.
class TUnpackedZip : public TStringList {
public:
    // The most that the listed entries of one archive may inflate to
    // together: 1 GiB. A document's parts, pictures included, come to a few
    // hundred megabytes at the very most; beyond this an archive is a bomb,
    // and its further entries are refused so that reading every listed entry
    // costs no more than this.
    static constexpr std::uint64_t kMaxExpandedBytes = std::uint64_t{1} << 30;

    TUnpackedZip(Platform::TFileHandle file, const std::string& targetFolder);
    ~TUnpackedZip() override;

    // Writes the entry listed as name to targetPath, or (targetPath empty)
    // to its own path once. False when the name is not listed or the entry
    // is damaged (its data does not inflate to exactly its size and CRC);
    // a failed extraction leaves no file behind.
    bool ExtractEntry(const std::string& name, const std::string& targetPath = std::string());
    // The entry's bytes in memory; false (out empty) as above.
    bool ReadEntry(const std::string& name, std::vector<std::uint8_t>& out);
    // The same for the entry listed at index.
    bool ReadEntryAt(std::int32_t index, std::vector<std::uint8_t>& out);

    std::vector<std::uint8_t> Image;
    std::vector<TUnpackedZipEntry> Entries;
    // Good when every record of the archive was listed or skipped as
    // harmless (folders, empty files, unsafe names); otherwise the reason
    // and the offset of the first record refused.
    TReadResult Result;

private:
    TReadResult ReadDirectory(const std::string& targetFolder);
    bool Inflate(const TUnpackedZipEntry& entry, std::vector<std::uint8_t>& out) const;
};
