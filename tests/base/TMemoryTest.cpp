#include "base/core/TMemory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/core/Errors.h"
#include "platform/Heap.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::TScriptedMessageBoxes;
using TestSupport::TTempDir;

std::string Bytes(const TMemory& m) {
    return std::string(m.View());
}

TEST(TMemoryTest, CapacityIsThePowerOfTwoAtOrAboveTheSizeFrom128) {
    struct Case {
        std::int32_t size, capacity;
    };
    TMemory m;
    EXPECT_EQ(m.Capacity, 0);
    // One buffer walked through the sizes: capacity only grows, except to 0.
    const Case steps[] = {{1, 128}, {129, 256}, {1000, 1024}, {1024, 1024}, {10, 1024}, {0, 0}, {200, 256}};
    for (const Case& c : steps) {
        SCOPED_TRACE(c.size);
        m.SetSize(c.size);
        EXPECT_EQ(m.Size, c.size);
        EXPECT_EQ(m.Capacity, c.capacity);
        EXPECT_EQ(m.Data == nullptr, c.capacity == 0);
    }
}

TEST(TMemoryTest, AppendsAreLittleEndianAndWithoutTerminators) {
    TMemory m;
    m.AppendWord(0x1234);
    m.AppendInt(1);
    m.AppendString("abc");
    m.AppendWideString(u"abc");
    m.AppendByte(0xFF);
    EXPECT_EQ(Bytes(m), std::string("\x34\x12\x01\x00\x00\x00"
                                    "abc"
                                    "a\0b\0c\0\xFF",
                                    16));
}

TEST(TMemoryTest, InsertAndDeleteRanges) {
    TMemory m;
    m.AssignString("hello world");
    m.InsertBuffer(",", 5, 1);
    EXPECT_EQ(Bytes(m), "hello, world");
    m.InsertBuffer("!", m.Size, 1);  // at the end: like an append
    EXPECT_EQ(Bytes(m), "hello, world!");
    m.DeleteRange(0, 7);
    EXPECT_EQ(Bytes(m), "world!");
    m.DeleteRange(0, m.Size);  // everything: the block is freed
    EXPECT_EQ(m.Size, 0);
    EXPECT_EQ(m.Capacity, 0);
}

TEST(TMemoryTest, CopiesFromItsOwnBytesSurviveGrowth) {
    TMemory m;
    m.AssignString(std::string(120, 'x') + "abcdefgh");  // 128 bytes: full
    m.AppendBuffer(m.Data + 120, 8);                     // must grow while reading itself
    EXPECT_EQ(Bytes(m).substr(120), "abcdefghabcdefgh");
    m.AssignString("0123456789");
    m.InsertBuffer(m.Data + 2, 4, 5);  // source overlaps the insertion point
    EXPECT_EQ(Bytes(m), "012323456456789");
}

TEST(TMemoryTest, AttachAdoptsTheBlockAndGrowsFromItsLength) {
    TMemory m;
    auto* block = static_cast<std::uint8_t*>(Platform::HeapAlloc(300));
    std::memset(block, 'a', 300);
    m.Attach(block, 300);
    EXPECT_EQ(m.Capacity, 300);
    EXPECT_EQ(m.Size, 300);
    m.AppendByte('b');
    EXPECT_EQ(m.Capacity, 512);
    EXPECT_EQ(m.Data[299], 'a');
    EXPECT_EQ(m.Data[300], 'b');
}

TEST(TMemoryTest, AssignCopiesAnotherBuffer) {
    TMemory a, b;
    a.AssignWideString(u"\u00E9");
    b.Assign(a);
    EXPECT_EQ(Bytes(b), std::string("\xE9\x00", 2));
    b.Assign(b);
    EXPECT_EQ(b.Size, 2);
}

TEST(TMemoryTest, FilesRoundTripAndMissingFilesAbort) {
    TTempDir dir;
    TMemory m;
    m.AssignString(std::string("binary\0data", 11));
    m.SaveToFile(dir.File("a.bin"));
    TMemory back;
    back.LoadFromFile(dir.File("a.bin"));
    EXPECT_EQ(Bytes(back), Bytes(m));

    TestSupport::WriteFileBytes(dir.File("empty"), "");
    back.LoadFromFile(dir.File("empty"));
    EXPECT_EQ(back.Size, 0);

    EXPECT_THROW(back.LoadFromFile(dir.File("missing")), EAbort);
    EXPECT_THROW(m.SaveToFile(dir.File("no/such/folder/x")), EAbort);
}

TEST(TMemoryTest, ShortWriteIsReportedThenAborts) {
    // /dev/full accepts the open and fails every write with ENOSPC.
    TScriptedMessageBoxes boxes;
    TMemory m;
    m.AssignString("data that will not fit");
    EXPECT_THROW(m.SaveToFile("/dev/full"), EAbort);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].Text, "Error writing file \"/dev/full\".");
}

TEST(TMemoryTest, ReadingAFolderAborts) {
    TTempDir dir;
    TMemory m;
    EXPECT_THROW(m.LoadFromFile(dir.Path()), EAbort);
}

}  // namespace
