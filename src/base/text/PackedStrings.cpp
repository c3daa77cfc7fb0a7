#include "base/text/PackedStrings.h"

#include "base/text/TStrings.h"
#include "platform/ByteReader.h"

namespace {

// An entry holds the text's offset above its length.
constexpr unsigned kOffsetShift = 10;
constexpr std::uint32_t kLengthMask = (1u << kOffsetShift) - 1;
constexpr std::size_t kCountSize = 4;
constexpr std::size_t kIdSize = 4;
constexpr std::size_t kEntrySize = 4;

// The number of texts; 0 for a table too small for the ids and entries it
// announces, so that no read passes its end.
std::uint32_t TextCount(const TByteReader& table) {
    if (!table.HasAt(0, kCountSize))
        return 0;
    const std::uint32_t count = table.U32LEAt(0);
    return count <= (table.Size() - kCountSize) / (kIdSize + kEntrySize) ? count : 0;
}

std::uint32_t IdAt(const TByteReader& table, std::uint32_t index) {
    return table.U32LEAt(kCountSize + static_cast<std::size_t>(index) * kIdSize);
}

// The text of the index-th entry; empty when it points outside the table.
std::string TextAt(const TByteReader& table, std::uint32_t count, std::uint32_t index) {
    const std::uint32_t entry = table.U32LEAt(kCountSize + static_cast<std::size_t>(count) * kIdSize +
                                              static_cast<std::size_t>(index) * kEntrySize);
    const TByteReader text = table.SubAt(entry >> kOffsetShift, entry & kLengthMask);
    if (text.Failed() || text.Size() == 0)
        return {};
    return std::string(reinterpret_cast<const char*>(text.Data()), text.Size());
}

}  // namespace

std::string LookupPackedString(const TPackedStringTable& table, std::uint32_t id) {
    if (table.Data == nullptr)
        return {};
    const TByteReader reader(table.Data, table.Size);
    const std::uint32_t count = TextCount(reader);
    std::uint32_t lo = 0, hi = count;
    while (lo < hi) {
        const std::uint32_t mid = lo + (hi - lo) / 2;
        const std::uint32_t value = IdAt(reader, mid);
        if (value < id)
            lo = mid + 1;
        else if (value > id)
            hi = mid;
        else
            return TextAt(reader, count, mid);
    }
    return {};
}

void LoadPackedStrings(const TPackedStringTable& table, TStrings& strings) {
    strings.Clear();
    if (table.Data == nullptr)
        return;
    const TByteReader reader(table.Data, table.Size);
    const std::uint32_t count = TextCount(reader);
    for (std::uint32_t i = 0; i < count; ++i)
        strings.AddObject(TextAt(reader, count, i),
                          reinterpret_cast<void*>(static_cast<std::uintptr_t>(IdAt(reader, i))));
}
