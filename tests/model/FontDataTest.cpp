#include "model/managers/FontData.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "base/core/TList.h"
#include "base/text/TStringList.h"
#include "platform/DeviceContexts.h"
#include "platform/Fonts.h"
#include "support/TestSupport.h"

namespace {

std::vector<std::uint32_t> Codes(const TList& list) {
    std::vector<std::uint32_t> out;
    for (std::int32_t i = 0; i < list.Count; ++i)
        out.push_back(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(list.Item(i))));
    return out;
}

bool Has(const std::vector<std::uint32_t>& codes, std::uint32_t c) {
    return std::find(codes.begin(), codes.end(), c) != codes.end();
}

TEST(FontDataTest, UnicodeBlocks) {
    struct Case {
        std::uint32_t codePoint;
        const char* block;  // nullptr: none
    };
    const Case cases[] = {
        {0x41, "Basic Latin"},
        {0x20, "Basic Latin"},
        {0x1F, nullptr},
        {0xE9, "Latin-1"},
        {0x0416, "Cyrillic"},
        {0x0800, nullptr},
        {0x4E2D, "CJK Unified Ideographs"},
        {0xE123, "Private Use Area"},
        {0xFF21, "Halfwidth and Fullwidth Forms"},
        {0xFFF0, nullptr},
        {0x1F600, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codePoint);
        const std::int32_t block = UnicodeBlockOf(c.codePoint);
        if (c.block == nullptr)
            EXPECT_EQ(block, static_cast<std::int32_t>(0x80000000u));
        else
            EXPECT_STREQ(block >= 0 ? UnicodeBlocks[block].Name : "", c.block);
    }
    for (int i = 1; i < UnicodeBlockCount; ++i)
        EXPECT_GT(UnicodeBlocks[i].First, UnicodeBlocks[i - 1].Last) << i;
    EXPECT_TRUE(IsPrivateUseChar(0xE000));
    EXPECT_TRUE(IsPrivateUseChar(0xF8FF));
    EXPECT_FALSE(IsPrivateUseChar(0xF900));
    EXPECT_EQ(SwapBytes16(0x1234), 0x3412);
    EXPECT_EQ(SwapBytes32(0x12345678u), 0x78563412u);
}

TEST(FontDataTest, CharactersOfTheFixtureFont) {
    TestSupport::UseFixtureFonts();
    Platform::TLogFont lf;
    lf.FaceName = "Liberation Sans";
    lf.Height = -16;
    Platform::HFONT font = Platform::CreateFontIndirect(lf);
    Platform::HDC dc = Platform::CreateCompatibleDC(nullptr);
    Platform::SelectFont(dc, font);
    TList list;
    bool found = false;
    GetFontCharacters(dc, list, found);
    EXPECT_TRUE(found);
    const std::vector<std::uint32_t> codes = Codes(list);
    for (std::uint32_t c : {0x20u, 0x41u, 0xE9u, 0x416u, 0x20ACu, 0x3A9u})
        EXPECT_TRUE(Has(codes, c)) << c;
    for (std::uint32_t c : {0x1Fu, 0x80u, 0xA0u, 0xADu, 0x4E2Du, 0xFFFFu})
        EXPECT_FALSE(Has(codes, c)) << c;
    // The blocks the font covers, as the symbol dialogs group them.
    std::set<std::string> blocks;
    for (std::uint32_t c : codes) {
        const std::int32_t b = UnicodeBlockOf(c);
        if (b >= 0)
            blocks.insert(UnicodeBlocks[b].Name);
    }
    for (const char* name : {"Basic Latin", "Latin-1", "Latin Extended-A", "Greek and Coptic", "Cyrillic", "Hebrew",
                             "General Punctuation", "Currency Symbols", "Box Drawing"})
        EXPECT_EQ(blocks.count(name), 1u) << name;
    for (const char* name : {"CJK Unified Ideographs", "Hangul Syllables", "Thai"})
        EXPECT_EQ(blocks.count(name), 0u) << name;
    Platform::DeleteDC(dc);
    Platform::DeleteFont(font);
}

// A 'cmap' table with one format-4 subtable of the given segments
// (end 0xFFFF added), under the given platform and encoding.
std::vector<std::uint8_t> MakeCmap(std::uint16_t platform,
                                   std::uint16_t encoding,
                                   std::vector<std::pair<std::uint16_t, std::uint16_t>> segments) {
    segments.emplace_back(0xFFFF, 0xFFFF);
    std::vector<std::uint8_t> t;
    auto put16 = [&](std::uint16_t v) {
        t.push_back(static_cast<std::uint8_t>(v >> 8));
        t.push_back(static_cast<std::uint8_t>(v));
    };
    put16(0);
    put16(1);
    put16(platform);
    put16(encoding);
    put16(0);
    put16(12);
    put16(4);
    put16(0);
    put16(0);
    put16(static_cast<std::uint16_t>(segments.size() * 2));
    put16(0);
    put16(0);
    put16(0);
    for (auto s : segments)
        put16(s.second);
    put16(0);
    for (auto s : segments)
        put16(s.first);
    return t;
}

TEST(FontDataTest, CmapSubtablesAndDamage) {
    TList list;
    bool found = true;
    // A Windows Unicode subtable: segments listed from 32 up, the special
    // range and the soft hyphen left out, the last segment ignored.
    std::vector<std::uint8_t> cmap = MakeCmap(3, 1, {{0, 33}, {150, 175}, {0x410, 0x411}});
    CharactersOfCmap(cmap.data(), cmap.size(), list, found);
    EXPECT_TRUE(found);
    EXPECT_EQ(Codes(list), (std::vector<std::uint32_t>{32, 33, 161, 162, 163, 164, 165, 166, 167, 168, 169, 170, 171,
                                                       172, 174, 175, 0x410, 0x411}));

    // Without a Windows subtable: the Latin-1 range.
    std::vector<std::uint32_t> latin1;
    for (std::uint32_t c = 32; c <= 255; ++c)
        if (!(c >= 128 && c <= 160) && c != 173)
            latin1.push_back(c);
    struct Case {
        const char* name;
        std::vector<std::uint8_t> data;
    };
    std::vector<std::uint8_t> mac = MakeCmap(1, 0, {{65, 90}});
    std::vector<std::uint8_t> cut = MakeCmap(3, 1, {{65, 90}});
    cut.resize(cut.size() - 3);
    std::vector<std::uint8_t> wrongOffset = MakeCmap(3, 1, {{65, 90}});
    wrongOffset[11] = 0xF0;
    std::vector<std::uint8_t> manyTables = MakeCmap(3, 1, {{65, 90}});
    manyTables[3] = 0xFF;  // claims 255 encoding records
    manyTables[5] = 0;     // the first is no longer Windows
    const Case cases[] = {
        {"Macintosh only", mac},
        {"cut short", cut},
        {"subtable beyond the end", wrongOffset},
        {"records beyond the end", manyTables},
        {"empty", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CharactersOfCmap(c.data.data(), c.data.size(), list, found);
        EXPECT_FALSE(found);
        EXPECT_EQ(Codes(list), latin1);
    }
}

TEST(FontDataTest, ScanFontFilesListsEveryStyleOfEachFamily) {
    TestSupport::TTempDir dir;
    TestSupport::WriteFileBytes(dir.File("junk.ttf"), "not a font at all");
    TStringList paths, names, files;
    paths.Add(TestSupport::TestDataPath("fonts/LiberationSerif-Regular.ttf"));
    paths.Add(TestSupport::TestDataPath("fonts/LiberationSans-Regular.ttf"));
    paths.Add(dir.File("junk.ttf"));
    paths.Add(dir.File("missing.ttf"));
    ScanFontFileList(paths, names, files);
    ASSERT_EQ(names.Count, 2);
    EXPECT_EQ(names.GetString(0), "Liberation Sans");
    EXPECT_EQ(names.GetString(1), "Liberation Serif");
    ASSERT_EQ(files.Count, 8);
    for (std::int32_t i = 0; i < 2; ++i) {
        const auto first = reinterpret_cast<std::intptr_t>(names.GetObject(i));
        EXPECT_EQ(first, i * 4);
        for (int style = 0; style < 4; ++style) {
            EXPECT_EQ(reinterpret_cast<std::intptr_t>(files.GetObject(static_cast<std::int32_t>(first) + style)),
                      style);
            // Only regular files exist, so every style points at them.
            EXPECT_EQ(files.GetString(static_cast<std::int32_t>(first) + style), paths.GetString(1 - i));
        }
    }
}

}  // namespace
