#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/text/TStringList.h"
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
// ZIP64. Damaged archives list the entries read before the damage; entries
// whose names would leave the target folder are not listed.
class TUnpackedZip : public TStringList {
public:
    TUnpackedZip(Platform::TFileHandle file, const std::string& targetFolder);
    ~TUnpackedZip() override;

    // Writes the entry listed as name to targetPath, or (targetPath empty)
    // to its own path once. False when the name is not listed or the entry
    // is damaged (its data does not inflate to exactly its size and CRC);
    // a failed extraction leaves no file behind.
    bool ExtractEntry(const std::string& name, const std::string& targetPath = std::string());
    // The entry's bytes in memory; false as above.
    bool ReadEntry(const std::string& name, std::vector<std::uint8_t>& out);

    std::vector<std::uint8_t> Image;
    std::vector<TUnpackedZipEntry> Entries;

private:
    bool Inflate(const TUnpackedZipEntry& entry, std::vector<std::uint8_t>& out) const;
};
