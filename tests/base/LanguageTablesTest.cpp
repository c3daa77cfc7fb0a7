#include "base/text/LanguageTables.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(LanguageTablesTest, TablesAreCompleteAndSortedByBytesForTheBinarySearch) {
    ASSERT_EQ(LangCodes2().size(), 71u);
    ASSERT_EQ(LangTags().size(), 175u);
    for (auto table : {LangCodes2(), LangTags()})
        for (std::size_t i = 1; i < table.size(); ++i)
            ASSERT_LT(std::strcmp(table[i - 1].Tag, table[i].Tag), 0) << table[i].Tag;
    // Every entry is found by the search, including the pair that a careless
    // ordering would swap ("ko-KR" sorts before "kok-IN").
    for (auto table : {LangCodes2(), LangTags()})
        for (const TLangStrAndIntCode& entry : table)
            ASSERT_EQ(FindLangCode(table, entry.Tag), entry.Code) << entry.Tag;
    EXPECT_EQ(FindLangCode(LangTags(), "kok-IN"), 0x457);
    EXPECT_EQ(FindLangCode(LangTags(), "ko-KR"), 0x412);
    EXPECT_EQ(FindLangCode(LangCodes2(), "de"), 0x07);
    EXPECT_EQ(FindLangCode(LangTags(), "xx-XX"), -1);
    EXPECT_EQ(FindLangCode(LangTags(), "DE-DE"), -1);  // exact bytes
}

}  // namespace
