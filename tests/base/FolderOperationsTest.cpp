#include "base/files/FolderOperations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "base/files/PathNames.h"
#include "base/text/TStringList.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using TestSupport::ReadFileBytes;
using TestSupport::TTempDir;
using TestSupport::WriteFileBytes;

std::vector<std::string> Sorted(const TStringList& list, const std::string& prefix) {
    std::vector<std::string> out;
    for (std::int32_t i = 0; i < list.Count; ++i)
        out.push_back(list.GetString(i).substr(prefix.size()));
    std::sort(out.begin(), out.end());
    return out;
}

// a.htm, b.html, c.HTM, sub/d.htm, sub/deeper/ (empty), empty/
void MakeTree(const TTempDir& dir) {
    WriteFileBytes(dir.File("a.htm"), "a");
    WriteFileBytes(dir.File("b.html"), "b");
    WriteFileBytes(dir.File("c.HTM"), "c");
    fs::create_directories(dir.File("sub/deeper"));
    fs::create_directories(dir.File("empty"));
    WriteFileBytes(dir.File("sub/d.htm"), "d");
}

TEST(FolderOperationsTest, ListingAndPaths) {
    TTempDir dir;
    MakeTree(dir);
    const std::string root = dir.Path() + "/";

    TStringList list;
    ListFiles(dir.Path(), "*.htm", list, false);
    EXPECT_EQ(Sorted(list, root), (std::vector<std::string>{"a.htm", "c.HTM", "sub/d.htm"}));
    // The files of a subfolder come before the folder's own.
    EXPECT_EQ(list.GetString(0), dir.File("sub/d.htm"));

    TStringList all;
    ListFiles(dir.Path(), "*.*", all, true);
    EXPECT_EQ(Sorted(all, root),
              (std::vector<std::string>{"a.htm", "b.html", "c.HTM", "empty", "sub/d.htm", "sub/deeper"}));

    EXPECT_FALSE(FolderIsEmpty(dir.Path()));
    EXPECT_TRUE(FolderIsEmpty(dir.File("empty")));
    EXPECT_FALSE(FolderIsEmpty(dir.File("missing")));
    RemoveEmptySubfolders(dir.Path());
    EXPECT_FALSE(fs::exists(dir.File("empty")));
    EXPECT_TRUE(fs::exists(dir.File("sub")));

    std::string path = "/a/b";
    AddTrailingBackslash(path);
    EXPECT_EQ(path, "/a/b/");
    AddTrailingBackslash(path);
    EXPECT_EQ(path, "/a/b/");
    std::string none;
    AddTrailingBackslash(none);
    EXPECT_EQ(none, "");
    TStringList parts;
    SplitFolderPath("/home/ann/Docs/", parts);
    ASSERT_EQ(parts.Count, 3);
    EXPECT_EQ(parts.GetString(2), "Docs");
}

TEST(FolderOperationsTest, CopyAndMove) {
    TTempDir dir;
    MakeTree(dir);
    const std::string dest = dir.File("sub/copy");  // inside the source: not copied into itself
    EXPECT_TRUE(CopyFolder(dir.Path(), dest, false, false));
    EXPECT_EQ(ReadFileBytes(dest + "/sub/d.htm"), "d");
    EXPECT_TRUE(fs::is_directory(dest + "/sub/deeper"));
    EXPECT_FALSE(fs::exists(dest + "/sub/copy"));
    EXPECT_EQ(ReadFileBytes(dir.File("a.htm")), "a");

    // Moving without overwriting keeps both versions of a file that exists
    // in the destination already: the source copy was never copied.
    TTempDir target;
    WriteFileBytes(target.File("a.htm"), "theirs");
    EXPECT_FALSE(CopyFolder(dir.Path(), target.Path(), false, true));
    EXPECT_EQ(ReadFileBytes(target.File("a.htm")), "theirs");
    EXPECT_EQ(ReadFileBytes(dir.File("a.htm")), "a");
    EXPECT_EQ(ReadFileBytes(target.File("b.html")), "b");
    EXPECT_FALSE(fs::exists(dir.File("b.html")));  // copied, so moved
    EXPECT_FALSE(fs::exists(dir.File("sub/deeper")));

    // With overwrite the move completes.
    EXPECT_TRUE(CopyFolder(dir.Path(), target.Path(), true, true));
    EXPECT_EQ(ReadFileBytes(target.File("a.htm")), "a");
    EXPECT_TRUE(FolderIsEmpty(dir.Path()));

    EXPECT_FALSE(CopyFolder(dir.File("missing"), target.Path(), false, false));
}

TEST(FolderOperationsTest, DeleteToTheTrash) {
    TTempDir dir;
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string savedValue = saved ? saved : "";
    setenv("XDG_DATA_HOME", dir.File("data").c_str(), 1);

    WriteFileBytes(dir.File("doc one.rtf"), "1");
    fs::create_directories(dir.File("folder"));
    WriteFileBytes(dir.File("folder/x"), "x");
    EXPECT_TRUE(DeleteToRecycleBin(dir.File("doc one.rtf")));
    EXPECT_TRUE(DeleteToRecycleBin(dir.File("folder")));
    WriteFileBytes(dir.File("doc one.rtf"), "2");  // the same name again
    EXPECT_TRUE(DeleteToRecycleBin(dir.File("doc one.rtf")));
    EXPECT_FALSE(DeleteToRecycleBin(dir.File("missing")));

    const std::string trash = dir.File("data/Trash");
    EXPECT_FALSE(fs::exists(dir.File("doc one.rtf")));
    EXPECT_EQ(ReadFileBytes(trash + "/files/doc one.rtf"), "1");
    EXPECT_EQ(ReadFileBytes(trash + "/files/doc one.rtf.2"), "2");
    EXPECT_EQ(ReadFileBytes(trash + "/files/folder/x"), "x");
    const std::string info = ReadFileBytes(trash + "/info/doc one.rtf.trashinfo");
    EXPECT_EQ(info.rfind("[Trash Info]\nPath=" + fs::path(dir.Path()).string() + "/doc%20one.rtf\nDeletionDate=", 0),
              0u)
        << info;
    EXPECT_TRUE(fs::exists(trash + "/info/folder.trashinfo"));

    if (saved)
        setenv("XDG_DATA_HOME", savedValue.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
}

}  // namespace
