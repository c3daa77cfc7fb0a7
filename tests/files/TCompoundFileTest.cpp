#include "files/opening/TCompoundFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "files/CompoundFiles.h"
#include "platform/ByteReader.h"

namespace {

using CompoundFiles::kDirectoryAt;
using CompoundFiles::kFatAt;

TCompoundFile::TReadAt Reader(const std::string& bytes) {
    return [&bytes](std::uint64_t offset, void* dest, std::size_t count) {
        if (offset > bytes.size() || count > bytes.size() - offset)
            return false;
        std::memcpy(dest, bytes.data() + offset, count);
        return true;
    };
}

const std::string kStream = CompoundFiles::FibBytes(0xA5EC, 193, 5000);
const std::string kMiniStream = CompoundFiles::FibBytes(0xA5EC, 193, 1700);

TEST(TCompoundFileTest, ReadsRootStreamsFromRegularAndMiniSectors) {
    for (const std::string* data : {&kStream, &kMiniStream}) {
        SCOPED_TRACE(data->size());
        const std::string file = CompoundFiles::Build(u"WordDocument", *data);
        TCompoundFile storage;
        ASSERT_TRUE(storage.Open(Reader(file), file.size()));
        const std::int32_t stream = storage.FindRootStream(u"worddocument");
        ASSERT_EQ(stream, 1);  // the root's own, not the one inside ObjectPool
        std::vector<std::uint8_t> out;
        ASSERT_TRUE(storage.ReadStream(stream, 1536, out));
        EXPECT_EQ(std::string(out.begin(), out.end()), data->substr(0, 1536));
        ASSERT_TRUE(storage.ReadStream(stream, 1u << 20, out));
        EXPECT_EQ(std::string(out.begin(), out.end()), *data);
    }
}

// Each damage is refused with its reason at the offset of the field that
// holds the bad value; none reads past the file or loops.
TEST(TCompoundFileTest, RefusesDamagedFilesAtTheFirstBadField) {
    struct Case {
        const char* Name;
        std::function<void(std::string&)> Damage;
        bool OpenFails;  // else reading the stream does
        std::string Reason;
        std::uint64_t Offset;
    };
    const std::size_t streamEntry = kDirectoryAt + 128;
    const std::vector<Case> cases = {
        {"signature", [](std::string& f) { f[3] = 'x'; }, true, "no compound file signature", 0},
        {"byte order", [](std::string& f) { StoreU16LE(f.data() + 28, 0xFEFF); }, true,
         "byte order mark is not little-endian", 28},
        {"version", [](std::string& f) { StoreU16LE(f.data() + 26, 5); }, true, "major version is neither 3 nor 4", 26},
        {"sector size", [](std::string& f) { StoreU16LE(f.data() + 30, 12); }, true,
         "sector size does not match the version", 30},
        {"sector table count", [](std::string& f) { StoreU32LE(f.data() + 44, 1000); }, true,
         "sector table size does not fit the file", 44},
        {"sector table sector past the end", [](std::string& f) { StoreU32LE(f.data() + 76, 999); }, true,
         "sector table sector lies past the end", 76},
        {"directory start past the end", [](std::string& f) { StoreU32LE(f.data() + 48, 999); }, true,
         "sector number out of range", 48},
        {"directory chain looping", [](std::string& f) { StoreU32LE(f.data() + kFatAt + 4, 1); }, true, "chain loops",
         kFatAt + 4},
        {"root entry missing", [](std::string& f) { f[kDirectoryAt + 66] = 2; }, true,
         "directory does not start with the root entry", kDirectoryAt + 66},
        {"stream chain into a free sector", [](std::string& f) { StoreU32LE(f.data() + kFatAt + 8, 0xFFFFFFFF); },
         false, "chain runs into a free sector", kFatAt + 8},
        {"stream longer than its chain", [&](std::string& f) { StoreU32LE(f.data() + streamEntry + 120, 900000); },
         false, "chain ends before the stream does", kFatAt + 4 * 11},
        {"file cut inside the stream", [](std::string& f) { f.resize(f.size() - 700); }, false,
         "sector number out of range", kFatAt + 4 * 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::string file = CompoundFiles::Build(u"WordDocument", kStream);
        c.Damage(file);
        TCompoundFile storage;
        TReadResult r = storage.Open(Reader(file), file.size());
        if (!c.OpenFails) {
            ASSERT_TRUE(r) << r.Reason;
            std::vector<std::uint8_t> out;
            r = storage.ReadStream(storage.FindRootStream(u"WordDocument"), 1u << 20, out);
            EXPECT_TRUE(out.empty() || !r);
        }
        EXPECT_FALSE(r);
        EXPECT_EQ(r.Reason, c.Reason);
        EXPECT_EQ(r.Offset, c.Offset);
    }
}

}  // namespace
