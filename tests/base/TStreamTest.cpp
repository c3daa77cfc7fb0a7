#include <gtest/gtest.h>

#include <string>

#include "base/core/Errors.h"
#include "base/core/TFileStream.h"
#include "base/core/TMemoryStream.h"
#include "base/core/TResourceStream.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::TTempDir;

// A stream that accepts only so many bytes, then refuses: proves that exact
// writes notice a short write.
class TFailingStream : public TMemoryStream {
public:
    explicit TFailingStream(std::int32_t limit) : Limit(limit) {}
    std::int32_t Write(const void* buffer, std::int32_t count) override {
        const std::int32_t room = Limit - static_cast<std::int32_t>(MemPosition);
        return TMemoryStream::Write(buffer, count < room ? count : (room > 0 ? room : 0));
    }

private:
    std::int32_t Limit;
};

TEST(TMemoryStreamTest, GrowsIn8192ByteSteps) {
    TMemoryStream s;
    const char one = 'x';
    EXPECT_EQ(s.Write(&one, 1), 1);
    EXPECT_EQ(s.Capacity, 8192);
    EXPECT_EQ(s.Size(), 1);
    const std::string more(8192, 'y');
    s.WriteExact(more.data(), 8192);
    EXPECT_EQ(s.Capacity, 16384);
    EXPECT_EQ(s.Size(), 8193);
}

TEST(TMemoryStreamTest, SeekingPastTheEndReadsNothingAndWritesExtend) {
    TMemoryStream s;
    s.WriteExact("0123456789", 10);
    s.SeekTo(s.Size() + 10);
    char buf[4];
    EXPECT_EQ(s.Read(buf, 4), 0);
    EXPECT_EQ(s.Write("ab", 2), 2);
    EXPECT_EQ(s.Size(), 22);
    EXPECT_EQ(s.Read(buf, -1), 0);
}

TEST(TMemoryStreamTest, ResizeMovesAPositionBeyondTheNewEnd) {
    TMemoryStream s;
    s.WriteExact("0123456789", 10);
    s.SeekTo(8);
    s.Resize(3);
    EXPECT_EQ(s.Position(), 3);
    EXPECT_EQ(s.Size(), 3);
    s.Clear();
    EXPECT_EQ(s.Size(), 0);
    EXPECT_EQ(s.Capacity, 0);
}

TEST(TStreamTest, ExactReadsAndWritesAbortWhenShort) {
    TMemoryStream s;
    s.WriteExact("abc", 3);
    s.SeekTo(0);
    char buf[8];
    s.ReadExact(buf, 0);  // nothing asked: never aborts
    EXPECT_THROW(s.ReadExact(buf, 4), EAbort);

    TFailingStream f(5);
    EXPECT_THROW(f.WriteExact("0123456789", 10), EAbort);
}

TEST(TStreamTest, CopyFromZeroCopiesTheWholeSource) {
    TMemoryStream src;
    std::string data(200000, '\0');
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 7);
    src.WriteExact(data.data(), static_cast<std::int32_t>(data.size()));
    src.SeekTo(1234);  // in the middle: still copies everything
    TMemoryStream dst;
    EXPECT_EQ(dst.CopyFrom(src, 0), 200000);
    ASSERT_EQ(dst.Size(), 200000);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(dst.Memory), 200000), data);

    src.SeekTo(10);
    TMemoryStream part;
    EXPECT_EQ(part.CopyFrom(src, 5), 5);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(part.Memory), 5), data.substr(10, 5));

    src.SeekTo(199999);
    TMemoryStream tooMuch;
    EXPECT_THROW(tooMuch.CopyFrom(src, 2), EAbort);
}

TEST(TFileStreamTest, CreateReadSeekAndResize) {
    TTempDir dir;
    const std::string path = dir.File("f.bin");
    {
        TFileStream f(path, TFileStream::fmCreate);
        f.WriteExact("hello world", 11);
        f.Resize(5);
        EXPECT_EQ(f.Size(), 5);
    }
    TFileStream f(path, TFileStream::fmOpenRead | TFileStream::fmShareDenyWrite);
    char buf[16] = {};
    EXPECT_EQ(f.Read(buf, 16), 5);
    EXPECT_EQ(std::string(buf, 5), "hello");
    EXPECT_EQ(f.Seek(-2, soFromEnd), 3);
    EXPECT_EQ(f.Read(buf, 2), 2);
    EXPECT_EQ(std::string(buf, 2), "lo");
    EXPECT_EQ(f.Write("x", 1), 0);  // opened for reading only

    EXPECT_THROW(TFileStream(dir.File("missing"), 0x40), EAbort);
    EXPECT_THROW(TFileStream(dir.File("missing/x"), TFileStream::fmCreate), EAbort);
}

TEST(TResourceStreamTest, EmbeddedResourcesAreFoundWithoutCase) {
    TResourceStream found("version", "rcdata");
    EXPECT_TRUE(found.Found);
    EXPECT_GT(found.Size(), 0);
    EXPECT_EQ(found.Write("x", 1), 0);

    TResourceStream missing("NoSuchThing", "RCDATA");
    EXPECT_FALSE(missing.Found);
    EXPECT_EQ(missing.Size(), 0);
}

}  // namespace
