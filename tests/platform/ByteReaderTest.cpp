#include "platform/ByteReader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

const std::uint8_t kBytes[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0xFF, 0xFE};

TEST(ByteReaderTest, ReadsBothByteOrders) {
    TByteReader r(kBytes, sizeof kBytes);
    EXPECT_EQ(r.U16LE(), 0x0201);
    EXPECT_EQ(r.U16BE(), 0x0304);
    EXPECT_EQ(r.U32LE(), 0x08070605u);
    EXPECT_EQ(r.I16LE(), -257);
    EXPECT_TRUE(r.AtEnd());
    EXPECT_FALSE(r.Failed());
    EXPECT_EQ(r.U32BEAt(0), 0x01020304u);
    EXPECT_EQ(r.U64LEAt(0), 0x0807060504030201ull);
    EXPECT_EQ(r.I32BEAt(6), static_cast<std::int32_t>(0x0708FFFEu));
}

TEST(ByteReaderTest, ShortReadFailsStickilyAtItsOffset) {
    TByteReader r(kBytes, sizeof kBytes);
    r.Skip(8);
    EXPECT_EQ(r.U32LE(), 0u);  // two bytes left: nothing read, nothing moved
    EXPECT_TRUE(r.Failed());
    EXPECT_EQ(r.Offset(), 8u);
    EXPECT_EQ(r.U16LE(), 0xFEFF);  // still readable, but the mark stays
    EXPECT_TRUE(r.Failed());
    const TReadResult result = r.Error("cut short");
    EXPECT_FALSE(result);
    EXPECT_EQ(result.Offset, 8u);
    EXPECT_EQ(result.Reason, "cut short");
}

TEST(ByteReaderTest, PositionalReadsPastTheEndReadZero) {
    struct Case {
        std::size_t offset;
        std::size_t width;
    };
    const Case cases[] = {{9, 2}, {10, 1}, {7, 4}, {SIZE_MAX, 1}, {SIZE_MAX - 1, 4}};
    TByteReader r(kBytes, sizeof kBytes);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        EXPECT_FALSE(r.HasAt(c.offset, c.width));
        EXPECT_EQ(c.width == 1 ? r.U8At(c.offset) : c.width == 2 ? r.U16LEAt(c.offset) : r.U32LEAt(c.offset), 0u);
    }
    EXPECT_FALSE(r.Failed());
}

TEST(ByteReaderTest, SubReadersCountOffsetsInTheWholeInput) {
    TByteReader r(kBytes, sizeof kBytes);
    r.Skip(2);
    TByteReader part = r.Sub(4);
    EXPECT_EQ(r.Offset(), 6u);
    EXPECT_EQ(part.Size(), 4u);
    EXPECT_EQ(part.U32LE(), 0x06050403u);
    part.U8();
    EXPECT_EQ(part.FailOffset(), 6u);
    EXPECT_EQ(part.Error("past the record").Offset, 6u);

    TByteReader tooLong = r.Sub(100);
    EXPECT_TRUE(tooLong.Failed());
    EXPECT_EQ(tooLong.Size(), 0u);
    EXPECT_TRUE(r.Failed());
    EXPECT_FALSE(r.SubAt(8, 3).Size());
    EXPECT_EQ(r.SubAt(8, 2).U16LE(), 0xFEFF);
}

TEST(ByteReaderTest, BytesAndSeek) {
    TByteReader r(kBytes, sizeof kBytes);
    std::uint8_t out[3] = {};
    EXPECT_TRUE(r.ReadBytes(out, 3));
    EXPECT_EQ(out[2], 3);
    EXPECT_FALSE(r.ReadBytes(out, 8));
    EXPECT_EQ(out[0], 1);  // a short copy writes nothing
    EXPECT_TRUE(r.Seek(10));
    EXPECT_TRUE(r.Span(0).empty());
    EXPECT_FALSE(r.Seek(11));
    EXPECT_EQ(r.Offset(), 10u);

    std::vector<std::uint8_t> buffer(6);
    StoreU16LE(buffer.data(), 0xABCD);
    StoreU32BE(buffer.data() + 2, 0x01020304);
    EXPECT_EQ(LoadU16LE(buffer.data()), 0xABCD);
    EXPECT_EQ(LoadU32BE(buffer.data() + 2), 0x01020304u);
    EXPECT_EQ(buffer[2], 1);
}

}  // namespace
