#pragma once

// Small compound files put together field by field for the tests of the
// storage probe: a version 3 file (512-byte sectors, [MS-CFB] 2.2) with one
// sector table sector, one directory sector and one named stream in the
// root, kept in regular sectors or, below 4096 bytes, in the mini stream.
// A storage "ObjectPool" beside it holds a "WordDocument" stream of its
// own, as documents with embedded Word objects do, so that a probe that
// searched the whole directory instead of the root would be caught.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ByteReader.h"

namespace CompoundFiles {

constexpr std::uint32_t kFree = 0xFFFFFFFF;
constexpr std::uint32_t kEnd = 0xFFFFFFFE;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::size_t kSector = 512;

// Where the fields a test may damage lie.
constexpr std::size_t kFatAt = kSector;            // sector 0
constexpr std::size_t kDirectoryAt = 2 * kSector;  // sector 1

// The stream's bytes: a Word file information block with ident and version
// at its start, padded to size.
inline std::string FibBytes(std::uint16_t ident, std::uint16_t version, std::size_t size) {
    std::string s(size, '\0');
    if (size >= 4) {
        StoreU16LE(s.data(), ident);
        StoreU16LE(s.data() + 2, version);
    }
    for (std::size_t i = 4; i < size; ++i)
        s[i] = static_cast<char>(i * 7);
    return s;
}

inline std::string Build(const std::u16string& streamName, const std::string& data) {
    const bool mini = data.size() < 4096;
    const std::size_t dataSectors = (data.size() + kSector - 1) / kSector;
    std::vector<std::uint32_t> fat(kSector / 4, kFree);
    fat[0] = kFatSector;
    fat[1] = kEnd;  // the directory
    std::uint32_t next = 2;
    std::uint32_t miniFatSector = kEnd;
    if (mini) {
        miniFatSector = next++;
        fat[miniFatSector] = kEnd;
    }
    const std::uint32_t dataStart = next;
    for (std::size_t i = 0; i < dataSectors; ++i)
        fat[next + i] = i + 1 < dataSectors ? static_cast<std::uint32_t>(next + i + 1) : kEnd;
    next += static_cast<std::uint32_t>(dataSectors);

    std::string file((next + 1) * kSector, '\0');
    char* h = file.data();
    const std::uint8_t signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::copy(signature, signature + 8, reinterpret_cast<std::uint8_t*>(h));
    StoreU16LE(h + 24, 0x3E);
    StoreU16LE(h + 26, 3);
    StoreU16LE(h + 28, 0xFFFE);
    StoreU16LE(h + 30, 9);
    StoreU16LE(h + 32, 6);
    StoreU32LE(h + 44, 1);  // sector table sectors
    StoreU32LE(h + 48, 1);  // first directory sector
    StoreU32LE(h + 56, 4096);
    StoreU32LE(h + 60, miniFatSector);
    StoreU32LE(h + 64, mini ? 1 : 0);
    StoreU32LE(h + 68, kEnd);  // no DIFAT sectors
    StoreU32LE(h + 72, 0);
    for (std::size_t i = 0; i < 109; ++i)
        StoreU32LE(h + 76 + 4 * i, i == 0 ? 0 : kFree);
    for (std::size_t i = 0; i < fat.size(); ++i)
        StoreU32LE(file.data() + kFatAt + 4 * i, fat[i]);

    auto entry = [&file](std::size_t index, const std::u16string& name, std::uint8_t type, std::uint32_t left,
                         std::uint32_t right, std::uint32_t child, std::uint32_t start, std::uint32_t size) {
        char* e = file.data() + kDirectoryAt + 128 * index;
        for (std::size_t i = 0; i < name.size(); ++i)
            StoreU16LE(e + 2 * i, name[i]);
        StoreU16LE(e + 64, static_cast<std::uint16_t>(2 * (name.size() + 1)));
        e[66] = static_cast<char>(type);
        e[67] = 1;  // black
        StoreU32LE(e + 68, left);
        StoreU32LE(e + 72, right);
        StoreU32LE(e + 76, child);
        StoreU32LE(e + 116, start);
        StoreU32LE(e + 120, size);
    };
    const auto size = static_cast<std::uint32_t>(data.size());
    if (mini) {
        // The mini stream is the root's chain; the stream takes its first
        // mini sectors in order.
        const std::size_t miniSectors = (data.size() + 63) / 64;
        for (std::size_t i = 0; i < miniSectors; ++i)
            StoreU32LE(file.data() + (miniFatSector + 1) * kSector + 4 * i,
                       i + 1 < miniSectors ? static_cast<std::uint32_t>(i + 1) : kEnd);
        for (std::size_t i = miniSectors; i < kSector / 4; ++i)
            StoreU32LE(file.data() + (miniFatSector + 1) * kSector + 4 * i, kFree);
        entry(0, u"Root Entry", 5, kFree, kFree, 1, dataStart, static_cast<std::uint32_t>(miniSectors * 64));
        entry(1, streamName, 2, kFree, 2, kFree, 0, size);
    } else {
        entry(0, u"Root Entry", 5, kFree, kFree, 1, kEnd, 0);
        entry(1, streamName, 2, kFree, 2, kFree, dataStart, size);
    }
    entry(2, u"ObjectPool", 1, kFree, kFree, 3, 0, 0);
    entry(3, u"WordDocument", 2, kFree, kFree, kFree, mini ? 0 : dataStart, size);
    std::copy(data.begin(), data.end(), file.begin() + static_cast<std::ptrdiff_t>((dataStart + 1) * kSector));
    return file;
}

}  // namespace CompoundFiles
