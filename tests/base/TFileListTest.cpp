#include "base/files/TFileList.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/files/ShellServices.h"
#include "base/files/TRegistryEx.h"
#include "support/TestSupport.h"

namespace {

std::vector<std::string> Entries(const TFileList& list) {
    std::vector<std::string> out;
    for (std::int32_t i = 0; i < list.Count; ++i)
        out.push_back(list.GetString(i));
    return out;
}

class TFileListTest : public ::testing::Test {
protected:
    void SetUp() override { ShellServices().RecentListLength = 5; }
    void TearDown() override { ShellServices().RecentListLength = 10; }

    TestSupport::TTempSettingsFolder Folders;
};

TEST_F(TFileListTest, AddRecentMovesOrInsertsAtTheTop) {
    using V = std::vector<std::string>;
    TFileList list;
    for (const char* p : {"/e", "/d", "/c", "/b", "/a"})
        list.AddRecent(p);
    EXPECT_EQ(Entries(list), (V{"/a", "/b", "/c", "/d", "/e"}));
    list.AddRecent("/d");  // at position 3: to the top, the count unchanged
    EXPECT_EQ(Entries(list), (V{"/d", "/a", "/b", "/c", "/e"}));
    list.AddRecent("/f");  // full: the last one goes
    EXPECT_EQ(Entries(list), (V{"/f", "/d", "/a", "/b", "/c"}));
    list.AddRecent("/F");  // another case is another file here
    EXPECT_EQ(Entries(list), (V{"/F", "/f", "/d", "/a", "/b"}));
    list.Locked = true;
    list.AddRecent("/g");
    list.TrimTo(1);
    EXPECT_EQ(list.Count, 5);
    list.Locked = false;
    ShellServices().RecentListLength = 0;
    list.AddRecent("/h");  // a length of 0 empties the list and adds nothing
    EXPECT_EQ(list.Count, 0);
}

TEST_F(TFileListTest, SavedEntriesComeBackInOrder) {
    TFileList list(TFileList::flFolders);
    list.AddRecent("/second");
    list.AddRecent("/first");
    list.Locked = true;
    {
        TRegistryEx store;
        store.OpenKey("OpenDoc_Files");
        list.SaveTo(store);
        store.WriteString("C", "");  // an empty entry beyond the count is never read
    }
    TRegistryEx store;
    store.OpenKey("OpenDoc_Files");
    EXPECT_EQ(store.ReadInteger("Count", 0, 30, -1), 2);
    std::string a;
    store.ReadString("A", "", a);
    EXPECT_EQ(a, "/first");
    TFileList back(TFileList::flFolders);
    back.LoadFrom(store);
    EXPECT_EQ(Entries(back), Entries(list));
    EXPECT_TRUE(back.Locked);
}

TEST_F(TFileListTest, RemoveMissingKeepsFoldersOnRemovableMediaThatAreAway) {
    namespace fs = std::filesystem;
    const std::string here = Folders.Path() + "/here";
    fs::create_directories(here);
    TestSupport::WriteFileBytes(here + "/file.rtf", "x");

    TFileList files;
    files.Insert(0, here + "/file.rtf");
    files.Insert(0, here + "/gone.rtf");
    files.Insert(0, here);  // a folder is not a file
    files.RemoveMissing();
    EXPECT_EQ(Entries(files), (std::vector<std::string>{here + "/file.rtf"}));

    TFileList folders(TFileList::flFolders);
    folders.Insert(0, here);
    folders.Insert(0, here + "/gone");
    folders.Insert(0, "/media/nobody-here/STICK/docs");  // a stick that is not plugged in
    folders.RemoveMissing();
    EXPECT_EQ(Entries(folders), (std::vector<std::string>{"/media/nobody-here/STICK/docs", here}));
}

}  // namespace
