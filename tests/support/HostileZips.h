#pragma once

// ZIP archives put together field by field, for the tests and benchmarks of
// the ZIP reader, so that every lie a hostile archive tells can be told:
// names that differ between the local header and the central directory,
// central records that share one local header, sizes that claim more than
// the data holds. The layouts are PKWARE APPNOTE.TXT 4.3.7 (local header),
// 4.3.12 (central directory) and 4.3.16 (end record). Header only, so that
// the benchmarks use it without the test support library.

#include <zlib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ByteReader.h"

namespace HostileZips {

inline std::uint32_t Crc(const std::string& bytes) {
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

// Raw deflate, as ZIP entries hold it. A flush other than Z_FINISH leaves
// the stream without its end.
inline std::string Deflate(const std::string& plain, int level = 9, int flush = Z_FINISH) {
    z_stream z{};
    deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, static_cast<uLong>(plain.size())) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
    z.avail_in = static_cast<uInt>(plain.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, flush);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// Bytes that do not compress (a linear congruential sequence: fast even in
// the sanitizer build).
inline std::string Noise(std::size_t size, std::uint32_t seed) {
    std::string s(size, '\0');
    for (char& c : s) {
        seed = seed * 1664525u + 1013904223u;
        c = static_cast<char>(seed >> 24);
    }
    return s;
}

struct TEntry {
    std::string Name;                      // in the central directory
    std::optional<std::string> LocalName;  // in the local header, when it differs
    std::string Data;                      // as stored: deflated when Method is 8
    std::uint16_t Method = 0;
    std::uint32_t Crc = 0;
    std::uint32_t Size = 0;  // uncompressed, as recorded
    std::uint16_t Flags = 0;
    std::uint16_t MadeBy = 20;  // MS-DOS, version 2.0
    int LocalOf = -1;           // when set: no local header of its own, that entry's is used
};

inline TEntry Stored(const std::string& name, const std::string& plain) {
    TEntry e;
    e.Name = name;
    e.Data = plain;
    e.Crc = Crc(plain);
    e.Size = static_cast<std::uint32_t>(plain.size());
    return e;
}

inline TEntry Deflated(const std::string& name, const std::string& plain) {
    TEntry e = Stored(name, plain);
    e.Data = Deflate(plain);
    e.Method = 8;
    return e;
}

// count zeros deflated, built from zlib's own output without feeding it
// every zero: after a first megabyte, a block that repeats the megabyte
// before it decodes the same wherever it stands, so it is made once and
// written again and again. Two gibibytes come to about 2 MB.
inline TEntry DeflatedZeros(const std::string& name, std::uint64_t count) {
    constexpr std::uint64_t kStep = 1 << 20;
    const std::string zeros(kStep, '\0');
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string piece(kStep, '\0');
    auto run = [&](const std::string& in, int flush) {
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
        z.avail_in = static_cast<uInt>(in.size());
        z.next_out = reinterpret_cast<Bytef*>(piece.data());
        z.avail_out = static_cast<uInt>(piece.size());
        deflate(&z, flush);
        return piece.substr(0, piece.size() - z.avail_out);
    };
    TEntry e;
    e.Name = name;
    e.Method = 8;
    e.Size = static_cast<std::uint32_t>(count);
    const uLong stepCrc = crc32(0, reinterpret_cast<const Bytef*>(zeros.data()), static_cast<uInt>(kStep));
    uLong crc = 0;
    std::uint64_t left = count;
    if (left >= kStep) {
        e.Data = run(zeros, Z_FULL_FLUSH);
        crc = stepCrc;
        left -= kStep;
    }
    if (left >= kStep) {
        const std::string repeat = run(zeros, Z_FULL_FLUSH);
        e.Data.reserve(e.Data.size() + repeat.size() * (left / kStep) + 64);
        for (; left >= kStep; left -= kStep) {
            e.Data += repeat;
            crc = crc32_combine(crc, stepCrc, static_cast<z_off_t>(kStep));
        }
    }
    const std::string tail(left, '\0');
    e.Data += run(tail, Z_FINISH);
    e.Crc = static_cast<std::uint32_t>(
        crc32_combine(crc, crc32(0, reinterpret_cast<const Bytef*>(tail.data()), static_cast<uInt>(tail.size())),
                      static_cast<z_off_t>(left)));
    deflateEnd(&z);
    return e;
}

// An archive and where its records went.
struct TArchive {
    std::string Bytes;
    std::vector<std::size_t> LocalAt;    // per entry (the shared header's for LocalOf)
    std::vector<std::size_t> CentralAt;  // per entry
    std::size_t DirectoryAt = 0;
    std::size_t EndAt = 0;
};

inline TArchive Build(const std::vector<TEntry>& entries) {
    TArchive a;
    auto put16 = [&a](std::uint16_t v) {
        char b[2];
        StoreU16LE(b, v);
        a.Bytes.append(b, 2);
    };
    auto put32 = [&a](std::uint32_t v) {
        char b[4];
        StoreU32LE(b, v);
        a.Bytes.append(b, 4);
    };
    a.LocalAt.assign(entries.size(), 0);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TEntry& e = entries[i];
        if (e.LocalOf >= 0)
            continue;
        const std::string& name = e.LocalName ? *e.LocalName : e.Name;
        a.LocalAt[i] = a.Bytes.size();
        put32(0x04034B50);
        put16(20);
        put16(e.Flags);
        put16(e.Method);
        put32(0);  // time and date
        put32(e.Crc);
        put32(static_cast<std::uint32_t>(e.Data.size()));
        put32(e.Size);
        put16(static_cast<std::uint16_t>(name.size()));
        put16(0);
        a.Bytes += name;
        a.Bytes += e.Data;
    }
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].LocalOf >= 0)
            a.LocalAt[i] = a.LocalAt[static_cast<std::size_t>(entries[i].LocalOf)];
    a.DirectoryAt = a.Bytes.size();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TEntry& e = entries[i];
        const TEntry& data = e.LocalOf >= 0 ? entries[static_cast<std::size_t>(e.LocalOf)] : e;
        a.CentralAt.push_back(a.Bytes.size());
        put32(0x02014B50);
        put16(e.MadeBy);
        put16(20);
        put16(e.Flags);
        put16(data.Method);
        put32(0);
        put32(data.Crc);
        put32(static_cast<std::uint32_t>(data.Data.size()));
        put32(data.Size);
        put16(static_cast<std::uint16_t>(e.Name.size()));
        put32(0);  // extra and comment lengths
        put32(0);  // disk and internal attributes
        put32(0);  // external attributes
        put32(static_cast<std::uint32_t>(a.LocalAt[i]));
        a.Bytes += e.Name;
    }
    a.EndAt = a.Bytes.size();
    put32(0x06054B50);
    put32(0);  // disk numbers
    put16(static_cast<std::uint16_t>(entries.size()));
    put16(static_cast<std::uint16_t>(entries.size()));
    put32(static_cast<std::uint32_t>(a.EndAt - a.DirectoryAt));
    put32(static_cast<std::uint32_t>(a.DirectoryAt));
    put16(0);
    return a;
}

// The hostile archives, at the size they were met. Each is small on disk.

// 4 MB of data that claims to inflate to nearly 4 GiB (within what deflate
// could reach from 4 MB), and the same data claiming a billion bytes, which
// is below the reader's limit: only growing with the data keeps it cheap.
inline std::string HugeDeclaredSize(std::uint32_t declared) {
    TEntry e = Deflated("big.bin", std::string());
    const std::string noise = Noise(4 << 20, 7);
    e.Data = Deflate(noise, 0);
    e.Crc = Crc(noise);
    e.Size = declared;
    return Build({e}).Bytes;
}

// names central records that all point at one local header whose data
// inflates to payload zeros.
inline std::string SharedLocalHeader(int names, std::uint64_t payload, bool sameName) {
    std::vector<TEntry> entries;
    entries.push_back(DeflatedZeros("0.bin", payload));
    for (int i = 1; i < names; ++i) {
        TEntry e;
        e.Name = sameName ? std::string("0.bin") : std::to_string(i) + ".bin";
        e.LocalOf = 0;
        entries.push_back(e);
    }
    return Build(entries).Bytes;
}

// Two central names over two local headers that both say "test1.txt", and
// a third record that really is a second "test1.txt".
inline std::string DuplicateNames() {
    TEntry one = Stored("test1.txt", "first file");
    TEntry two = Stored("test2.txt", "second file");
    two.LocalName = "test1.txt";
    TEntry three = Stored("test1.txt", "third file");
    return Build({one, two, three}).Bytes;
}

// Zips within zips, fanout of each at every level, innermost entries of
// innermost zeros each: every level multiplies what a reader that opened
// the inner archives by itself would inflate.
inline std::string Nested(int levels, int fanout, std::uint64_t innermost) {
    std::vector<TEntry> entries;
    const TEntry zeros = DeflatedZeros("0.bin", innermost);
    for (int i = 0; i < fanout; ++i) {
        entries.push_back(zeros);
        entries.back().Name = std::to_string(i) + ".bin";
    }
    std::string archive = Build(entries).Bytes;
    for (int level = 1; level < levels; ++level) {
        entries.clear();
        const TEntry inner = Deflated("0.zip", archive);
        for (int i = 0; i < fanout; ++i) {
            entries.push_back(inner);
            entries.back().Name = std::to_string(i) + ".zip";
        }
        archive = Build(entries).Bytes;
    }
    return archive;
}

// count zeros in one deflated entry that records its size as declared.
inline std::string Zeros(std::uint64_t count, std::uint32_t declared) {
    TEntry e = DeflatedZeros("zeros.bin", count);
    e.Size = declared;
    return Build({e}).Bytes;
}

}  // namespace HostileZips
