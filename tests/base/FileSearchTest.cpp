#include "base/files/FileSearch.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::TTempDir;

class FileSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"a.htm", "b.html", "c.HTM", ".hidden.htm", "noext", "x.htm.bak"})
            TestSupport::WriteFileBytes(Dir.File(name), "12345");
        std::filesystem::create_directory(Dir.File("folder.htm"));
    }

    std::vector<std::string> Find(const std::string& pattern, std::uint32_t attr) {
        std::vector<std::string> names;
        TSearchRec rec;
        for (int r = FindFirstFileMatch(Dir.File(pattern), attr, rec); r == 0; r = FindNextFileMatch(rec))
            names.push_back(rec.Name);
        FindCloseMatch(rec);
        std::sort(names.begin(), names.end());
        return names;
    }

    TTempDir Dir;
};

TEST_F(FileSearchTest, MasksMatchExtensionsExactly) {
    using V = std::vector<std::string>;
    struct Case {
        const char* Pattern;
        std::uint32_t Attr;
        V Names;
    };
    const Case cases[] = {
        {"*.htm", 0, V{"a.htm", "c.HTM"}},
        {"*.*", 0, V{"a.htm", "b.html", "c.HTM", "noext", "x.htm.bak"}},
        {"*", 0, V{"a.htm", "b.html", "c.HTM", "noext", "x.htm.bak"}},
        // Folders and hidden entries only when asked for.
        {"*.htm", Platform::faDirectory, V{"a.htm", "c.HTM", "folder.htm"}},
        {"*.htm", Platform::faHidden, V{".hidden.htm", "a.htm", "c.HTM"}},
        {"?.htm*", 0, V{"a.htm", "b.html", "c.HTM", "x.htm.bak"}},
        {"A.HTM", 0, V{"a.htm"}},
        {"*.ht?", 0, V{"a.htm", "c.HTM"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Pattern);
        EXPECT_EQ(Find(c.Pattern, c.Attr), c.Names);
    }
}

TEST_F(FileSearchTest, ResultsCarryTheEntrysFactsAndErrorsTheirCodes) {
    TSearchRec rec;
    ASSERT_EQ(FindFirstFileMatch(Dir.File("a.htm"), 0, rec), 0);
    EXPECT_EQ(rec.Name, "a.htm");
    EXPECT_EQ(rec.Size, 5);
    EXPECT_TRUE(rec.Attr & Platform::faArchive);
    EXPECT_EQ(FindNextFileMatch(rec), Platform::ERROR_NO_MORE_FILES);
    EXPECT_EQ(FindFirstFileMatch(Dir.File("*.none"), 0, rec), Platform::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(FindFirstFileMatch(Dir.File("missing/*.*"), 0, rec), Platform::ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(FindNextFileMatch(rec), Platform::ERROR_NO_MORE_FILES);
}

TEST(MatchesMaskTest, Wildcards) {
    struct Case {
        const char* Name;
        const char* Pattern;
        bool Match;
    };
    const Case cases[] = {
        {"Report.DOC", "*.doc", true}, {"report", "*.*", true},  {"abc", "a?c", true}, {"ac", "a?c", false},
        {"aXbYc", "a*b*c", true},      {"aXbY", "a*b*c", false}, {"", "*", true},      {"x", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Name) + " / " + c.Pattern);
        EXPECT_EQ(MatchesMask(c.Name, c.Pattern), c.Match);
    }
}

}  // namespace
