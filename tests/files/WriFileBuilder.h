#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/ByteReader.h"

// Pieces of small Windows Write files built in tests, field by field.

// Property runs: each run's end as an offset in the text, and its property
// bytes after the count byte (empty for the defaults).
using TWriRuns = std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>>;

// Appends one 128-byte property page (character or paragraph properties)
// whose first run starts at file offset `first`; the property blocks are
// stored downwards from the end of the page, as Write stores them.
inline void AppendWriPropertyPage(std::vector<std::uint8_t>& file, std::uint32_t first, const TWriRuns& runs) {
    std::vector<std::uint8_t> page(128, 0);
    StoreU32LE(page.data(), first);
    std::size_t blockAt = 123;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        StoreU32LE(page.data() + 4 + 6 * i, 128 + runs[i].first);
        std::uint16_t offset = 0xFFFF;
        if (!runs[i].second.empty()) {
            blockAt -= runs[i].second.size() + 1;
            page[blockAt] = static_cast<std::uint8_t>(runs[i].second.size());
            std::copy(runs[i].second.begin(), runs[i].second.end(),
                      page.begin() + static_cast<std::ptrdiff_t>(blockAt + 1));
            offset = static_cast<std::uint16_t>(blockAt - 4);
        }
        StoreU16LE(page.data() + 4 + 6 * i + 4, offset);
    }
    page[127] = static_cast<std::uint8_t>(runs.size());
    file.insert(file.end(), page.begin(), page.end());
}
