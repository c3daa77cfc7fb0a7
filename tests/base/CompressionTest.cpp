#include <gtest/gtest.h>
#include <zlib.h>

#include <random>

#include "base/core/Compression.h"
#include "base/core/Crc32.h"
#include "base/core/Errors.h"
#include "base/core/TMemoryStream.h"
#include "base/core/TReadOnlyMemoryStream.h"
#include "base/core/TZCompressionStream.h"
#include "base/core/TZDecompressionStream.h"

namespace {

// A stream that records the size of every write it receives.
class TRecordingStream : public TMemoryStream {
public:
    std::int32_t Write(const void* buffer, std::int32_t count) override {
        Writes.push_back(count);
        return TMemoryStream::Write(buffer, count);
    }
    std::vector<std::int32_t> Writes;
};

// A stream that takes only so many bytes.
class TFullStream : public TMemoryStream {
public:
    std::int32_t Write(const void* buffer, std::int32_t count) override {
        const std::int32_t n = std::min(count, Room);
        Room -= n;
        return TMemoryStream::Write(buffer, n);
    }
    std::int32_t Room = 1000;
};

std::string Noise(std::size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::string s(n, '\0');
    for (char& c : s)
        c = static_cast<char>(random());
    return s;
}

}  // namespace

TEST(Crc32Test, StandardValuesAndPieces) {
    EXPECT_EQ(UpdateCrc32(0, "abc", 3), 0x352441C2u);
    EXPECT_EQ(UpdateCrc32(UpdateCrc32(0, "a", 1), "bc", 2), 0x352441C2u);
    EXPECT_EQ(UpdateCrc32(0, "123456789", 9), 0xCBF43926u);  // the published check value
    EXPECT_EQ(UpdateCrc32(0, "", 0), 0u);
    const std::string noise = Noise(100000, 1);
    EXPECT_EQ(UpdateCrc32(0, noise.data(), static_cast<std::int64_t>(noise.size())),
              static_cast<std::uint32_t>(
                  ::crc32(0, reinterpret_cast<const Bytef*>(noise.data()), static_cast<uInt>(noise.size()))));
}

TEST(TZCompressionStreamTest, EmptyInputGivesAValidEmptyZlibStream) {
    TMemoryStream out;
    { TZCompressionStream deflater(out); }
    ASSERT_GE(out.MemSize, 6);
    // The Adler-32 of nothing is 1.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.Memory + out.MemSize - 4), 4), std::string("\0\0\0\1", 4));
    auto back = InflateToMemoryStream(out.Memory, out.MemSize);
    EXPECT_EQ(back->MemSize, 0);
}

TEST(TZCompressionStreamTest, OtherStreamSeesOnlyWholeBlocksUntilTheEnd) {
    TRecordingStream out;
    const std::string noise = Noise(300000, 2);
    {
        TZCompressionStream deflater(out);
        deflater.WriteExact(noise.data(), static_cast<std::int32_t>(noise.size()));
        EXPECT_EQ(deflater.Position(), 300000);
        ASSERT_FALSE(out.Writes.empty());
        for (std::int32_t w : out.Writes)
            EXPECT_EQ(w, 65536);
    }
    auto back = InflateToMemoryStream(out.Memory, out.MemSize);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(back->Memory), back->MemSize), noise);
}

TEST(TZCompressionStreamTest, AShortWriteAborts) {
    TFullStream out;
    const std::string noise = Noise(200000, 3);
    TZCompressionStream deflater(out);
    EXPECT_THROW(
        {
            deflater.WriteExact(noise.data(), static_cast<std::int32_t>(noise.size()));
            deflater.Finish();
        },
        EAbort);
}

TEST(TZDecompressionStreamTest, RoundTripsSeeksAndLimits) {
    const std::string text = std::string(50000, 'a') + Noise(50000, 4);
    auto packed = DeflateToMemoryStream(text.data(), static_cast<std::int32_t>(text.size()));
    EXPECT_EQ(packed->Position(), packed->MemSize);
    packed->SeekTo(0);
    TZDecompressionStream inflater(*packed);
    std::string part(10, '\0');
    inflater.Seek(60000, soFromBeginning);  // forward: read and discarded
    inflater.ReadExact(part.data(), 10);
    EXPECT_EQ(part, text.substr(60000, 10));
    EXPECT_EQ(inflater.Seek(0, soFromBeginning), 0);  // back to the start
    inflater.ReadExact(part.data(), 10);
    EXPECT_EQ(part, text.substr(0, 10));
    EXPECT_EQ(inflater.Seek(5, soFromBeginning), 10);  // backwards: nothing happens

    // Reading past the end gives the shorter count.
    std::string all(200000, '\0');
    EXPECT_EQ(inflater.Read(all.data(), 200000), static_cast<std::int32_t>(text.size()) - 10);
    EXPECT_TRUE(inflater.Finished());

    // A limit stops taking input even when the other stream holds more.
    packed->SeekTo(0);
    TZDecompressionStream limited(*packed);
    limited.Limit = 100;
    EXPECT_LT(limited.Read(all.data(), 200000), 100000);
    EXPECT_EQ(limited.Taken, 100);
}

TEST(TZDecompressionStreamTest, CorruptDataGivesMinusOneAndAnEmptyResult) {
    const std::string text = Noise(5000, 5) + std::string(5000, 'b');
    auto packed = DeflateToMemoryStream(text.data(), static_cast<std::int32_t>(text.size()));
    std::string damaged(reinterpret_cast<const char*>(packed->Memory), packed->MemSize);
    damaged[2] ^= 0x7F;
    damaged[3] ^= 0x3C;
    auto back = InflateToMemoryStream(damaged.data(), static_cast<std::int32_t>(damaged.size()));
    EXPECT_EQ(back->MemSize, 0);
    const std::string junk = "\x78\x9c\xff\xff\xff\xff";
    EXPECT_EQ(InflateToMemoryStream(junk.data(), 6)->MemSize, 0);
}

// Data that stops anywhere before its end, the checksum included, or whose
// checksum is wrong is damaged: none of it comes back.
TEST(InflateToMemoryStreamTest, CutDataOrAWrongChecksumGivesNothing) {
    const std::string text = Noise(3000, 6) + std::string(20000, 'c');
    auto packed = DeflateToMemoryStream(text.data(), static_cast<std::int32_t>(text.size()));
    const std::string whole(reinterpret_cast<const char*>(packed->Memory), packed->MemSize);
    std::string wrongChecksum = whole;
    wrongChecksum.back() ^= 1;
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"nothing", ""},
        {"the header alone", whole.substr(0, 2)},
        {"half", whole.substr(0, whole.size() / 2)},
        {"all but the checksum", whole.substr(0, whole.size() - 4)},
        {"all but one byte", whole.substr(0, whole.size() - 1)},
        {"a wrong checksum", wrongChecksum},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(InflateToMemoryStream(c.bytes.data(), static_cast<std::int32_t>(c.bytes.size()))->MemSize, 0);
    }
    auto back = InflateToMemoryStream(whole.data(), static_cast<std::int32_t>(whole.size()));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(back->Memory), back->MemSize), text);
}

TEST(TZDecompressionStreamTest, DataCutBeforeItsEndIsDamaged) {
    const std::string text = Noise(3000, 7) + std::string(20000, 'd');
    auto packed = DeflateToMemoryStream(text.data(), static_cast<std::int32_t>(text.size()));
    const auto size = static_cast<std::int32_t>(text.size());
    // Every byte is there but the checksum: a read of exactly the content
    // gives it, and the read that would meet the end finds it missing.
    TReadOnlyMemoryStream noChecksum(packed->Memory, packed->MemSize - 4);
    TZDecompressionStream inflater(noChecksum);
    std::string out(text.size(), '\0');
    EXPECT_EQ(inflater.Read(out.data(), size), size);
    EXPECT_EQ(out, text);
    char more = 0;
    EXPECT_EQ(inflater.Read(&more, 1), -1);
    EXPECT_FALSE(inflater.Finished());
    EXPECT_EQ(inflater.Read(&more, 1), -1);  // and stays damaged
    // Cut in half, a read for more than is there fails rather than giving a part.
    TReadOnlyMemoryStream half(packed->Memory, packed->MemSize / 2);
    TZDecompressionStream halfInflater(half);
    EXPECT_EQ(halfInflater.Read(out.data(), size), -1);
    EXPECT_THROW(TZDecompressionStream(half).ReadExact(out.data(), size), EAbort);
    // The whole stream ends with its content and then reads 0.
    TReadOnlyMemoryStream all(packed->Memory, packed->MemSize);
    TZDecompressionStream allInflater(all);
    EXPECT_EQ(allInflater.Read(out.data(), size + 10), size);
    EXPECT_TRUE(allInflater.Finished());
    EXPECT_EQ(allInflater.Read(&more, 1), 0);
}
