#include "base/text/PackedStrings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text/TStringList.h"
#include "platform/ByteReader.h"

namespace {

struct TOut {
    std::vector<std::uint8_t> Bytes;
    void U32(std::uint32_t v) {
        std::uint8_t le[4];
        StoreU32LE(le, v);
        Bytes.insert(Bytes.end(), le, le + 4);
    }
};

// A packed string table of (id, text) pairs in ascending id order.
std::vector<std::uint8_t> PackedTable(const std::vector<std::pair<std::uint32_t, std::string>>& entries) {
    TOut t;
    t.U32(static_cast<std::uint32_t>(entries.size()));
    for (const auto& e : entries)
        t.U32(e.first);
    std::uint32_t offset = static_cast<std::uint32_t>(4 + entries.size() * 8);
    for (const auto& e : entries) {
        t.U32((offset << 10) | static_cast<std::uint32_t>(e.second.size()));
        offset += static_cast<std::uint32_t>(e.second.size());
    }
    for (const auto& e : entries)
        t.Bytes.insert(t.Bytes.end(), e.second.begin(), e.second.end());
    return t.Bytes;
}

TEST(PackedStringsTest, PackedStringTables) {
    const std::vector<std::uint8_t> bytes = PackedTable({{3, "Open"}, {7, ""}, {12, "Save as"}, {400, "Print"}});
    const TPackedStringTable table{bytes.data(), bytes.size()};
    struct Case {
        std::uint32_t Id;
        const char* Text;
    };
    const Case cases[] = {{3, "Open"}, {12, "Save as"}, {400, "Print"}, {7, ""}, {4, ""}, {0, ""}, {9999, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Id);
        EXPECT_EQ(LookupPackedString(table, c.Id), c.Text);
    }
    TStringList strings;
    strings.Add("left over");
    LoadPackedStrings(table, strings);
    ASSERT_EQ(strings.GetCount(), 4);
    EXPECT_EQ(strings.GetString(2), "Save as");
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(strings.GetObject(3)), 400u);

    // A damaged table gives nothing rather than reading past its end.
    std::vector<std::uint8_t> damaged = bytes;
    damaged[4 + 4 * 4 + 2 * 4 + 1] = 0xFF;  // the offset of id 12 far out
    EXPECT_EQ(LookupPackedString({damaged.data(), damaged.size()}, 12), "");
    std::vector<std::uint8_t> tooMany = bytes;
    tooMany[3] = 0x7F;
    EXPECT_EQ(LookupPackedString({tooMany.data(), tooMany.size()}, 3), "");
    EXPECT_EQ(LookupPackedString({nullptr, 0}, 3), "");
}

}  // namespace
