#include "base/files/TSettingsStorage.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "base/files/TRegistryEx.h"
#include "platform/Heap.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::TScriptedMessageBoxes;
using TestSupport::TTempSettingsFolder;

const char kBase[] = "\\Software\\Rezozuri Word Processor\\";

TEST(TSettingsStorageTest, TheNullStoreAnswersDefaultsAndKeepsNothing) {
    TSettingsStorage store;
    store.OpenKey("General");
    store.WriteInteger("X", 3);
    store.WriteString("S", "text");
    EXPECT_FALSE(store.KeyExists("General"));
    EXPECT_EQ(store.ReadInteger("X", 0, 10, 5), 5);
    EXPECT_TRUE(store.ReadBool("B", true));
    std::string s;
    store.ReadString("S", "def", s);
    EXPECT_EQ(s, "def");
    std::u16string w;
    store.ReadWideString("W", u"wide", w);
    EXPECT_EQ(w, u"wide");
    std::int32_t size = -1;
    EXPECT_EQ(store.ReadBinaryLong("L", size), nullptr);
    EXPECT_EQ(size, 0);
}

TEST(TSettingsStorageTest, HexPairs) {
    const unsigned char bytes[] = {0x01, 0xAB, 0x00, 0xFF};
    EXPECT_EQ(BytesToHexPairs(bytes, 4), "01ab00ff");
}

// The registry store, over a settings folder of the test's own.
class TRegistryExTest : public ::testing::Test {
protected:
    TTempSettingsFolder Folder;
    TScriptedMessageBoxes Boxes;

    std::unique_ptr<TRegistryEx> Open() {
        auto store = std::make_unique<TRegistryEx>();
        store->BasePath = kBase;
        store->OpenKey("General");
        return store;
    }
};

TEST_F(TRegistryExTest, ReadIntegerClampsStoredValuesButNotTheDefault) {
    {
        auto store = Open();
        store->WriteInteger("High", 99);
        store->WriteInteger("Low", -3);
        store->WriteString("Text", "abc");
    }
    auto store = Open();
    EXPECT_EQ(store->ReadInteger("Missing", 0, 10, 5), 5);
    EXPECT_EQ(store->ReadInteger("Missing", 0, 10, 50), 50);
    EXPECT_EQ(store->ReadInteger("High", 0, 10, 5), 10);
    EXPECT_EQ(store->ReadInteger("Low", 0, 10, 5), 0);
    EXPECT_TRUE(store->KeyExists("General"));
    EXPECT_FALSE(store->KeyExists("Nothing"));
    EXPECT_TRUE(Boxes.Shown().empty());
}

TEST_F(TRegistryExTest, LongStringsSplitWhereNoBlankTouchesASeam) {
    struct Case {
        const char* Name;
        std::string Text;
        std::vector<std::size_t> Pieces;
    };
    std::string spaced(1025, 'a');
    spaced[512] = ' ';  // the 513th character
    std::string blanks(1100, 'b');
    for (std::size_t i = 505; i < 530; ++i)
        blanks[i] = '\t';
    const Case cases[] = {
        {"Letters", std::string(1100, 'x'), {512, 512, 76}},
        {"Spaced", spaced, {514, 511}},
        {"BlankRun", blanks, {531, 512, 57}},
        {"Empty", "", {}},
        {"Exact", std::string(512, 'y'), {512}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        {
            auto store = Open();
            store->WriteLongString(c.Name, c.Text);
        }
        auto store = Open();
        store->OpenKey(c.Name);
        EXPECT_EQ(store->ReadInteger("Count", -1, 1000, -1), static_cast<std::int32_t>(c.Pieces.size()));
        for (std::size_t i = 0; i < c.Pieces.size(); ++i) {
            std::string piece;
            store->ReadString(std::to_string(i), "", piece);
            EXPECT_EQ(piece.size(), c.Pieces[i]) << "piece " << i;
        }
        std::string back;
        store->ReadLongString(c.Name, "default", back);
        EXPECT_EQ(back, c.Text);
    }
    auto store = Open();
    std::string missing;
    store->ReadLongString("NoSuchText", "default", missing);
    EXPECT_EQ(missing, "default");
}

TEST_F(TRegistryExTest, BinaryValuesNeedTheExactLength) {
    const unsigned char bytes[] = {0x01, 0xAB, 0x00, 0xFF};
    const unsigned char def[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    {
        auto store = Open();
        store->WriteBinaryValue("Four", bytes, 4);
        store->WriteString("Fifteen", "0123456789abcde");
        store->WriteString("BadDigit", "0123456789abcdeg");
        store->WriteBinaryLong("Long", bytes, 4);
    }
    auto store = Open();
    std::string text;
    store->ReadString("Four", "", text);
    EXPECT_EQ(text, "01ab00ff");
    unsigned char out[8];
    store->ReadBinaryValue("Four", out, def, 4);
    EXPECT_EQ(std::memcmp(out, bytes, 4), 0);
    for (const char* name : {"Fifteen", "BadDigit", "Missing"}) {
        SCOPED_TRACE(name);
        std::memset(out, 0, 8);
        store->ReadBinaryValue(name, out, def, 8);
        EXPECT_EQ(std::memcmp(out, def, 8), 0);
    }
    std::int32_t size = 0;
    void* block = store->ReadBinaryLong("Long", size);
    ASSERT_EQ(size, 4);
    EXPECT_EQ(std::memcmp(block, bytes, 4), 0);
    Platform::HeapFree(block);
}

TEST_F(TRegistryExTest, WideStringsAreKeptAsUtf8) {
    {
        auto store = Open();
        store->WriteWideString("Wide", u"Gr\u00fc\u00dfe \U0001F600");
        store->WriteWideString("EmptyWide", u"");
    }
    auto store = Open();
    std::string raw;
    store->ReadString("Wide", "", raw);
    EXPECT_EQ(raw,
              "Gr\xc3\xbc\xc3\x9f"
              "e \xf0\x9f\x98\x80");
    std::u16string w;
    store->ReadWideString("Wide", u"x", w);
    EXPECT_EQ(w, u"Gr\u00fc\u00dfe \U0001F600");
    store->ReadWideString("EmptyWide", u"x", w);
    EXPECT_EQ(w, u"");  // stored empty is not missing
    store->ReadWideString("MissingWide", u"x", w);
    EXPECT_EQ(w, u"x");
}

TEST_F(TRegistryExTest, AWriteWithNoUsableKeyIsReportedOnce) {
    TRegistryEx store;
    store.BasePath = kBase;
    store.OpenKey("Bad\x01Key");
    store.WriteInteger("A", 1);
    store.WriteInteger("B", 2);
    ASSERT_EQ(Boxes.Shown().size(), 1u);
    EXPECT_NE(Boxes.Shown()[0].Text.find("\"A\" cannot be saved"), std::string::npos) << Boxes.Shown()[0].Text;
    EXPECT_EQ(Boxes.Shown()[0].Kind, mbkError);
}

// Writing the settings file fails (a file-size limit stands in for a full
// disk): the user is told, and the file keeps its old contents.
TEST_F(TRegistryExTest, AFailedSaveIsReportedAndTheOldFileKept) {
    {
        auto store = Open();
        store->WriteString("Keep", "old");
    }
    const std::string file = Platform::RegHiveFile(Platform::TRegRoot::CurrentUser);
    const std::string before = TestSupport::ReadFileBytes(file);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {1024, 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        TScriptedMessageBoxes boxes;
        {
            auto store = Open();
            store->WriteString("Keep", "new");
            store->WriteString("Big", std::string(10000, 'b'));
            store->Flush();
            store->Flush();  // failing again is not reported again
        }
        const bool told =
            boxes.Shown().size() == 1 && boxes.Shown()[0].Text.find("cannot be saved to") != std::string::npos;
        ::_exit(told ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(TestSupport::ReadFileBytes(file), before);
}

TEST_F(TRegistryExTest, DeleteKeyRemovesTheWholeTree) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Tree\\A\\B"));
    ASSERT_TRUE(reg.WriteInteger("V", 1));
    ASSERT_TRUE(reg.OpenKey("\\Tree\\C"));
    ASSERT_TRUE(reg.OpenKey("D"));  // relative to the current key
    EXPECT_EQ(reg.CurrentPath, "Tree\\C\\D");
    ASSERT_TRUE(reg.OpenKey("\\Tree"));
    EXPECT_TRUE(reg.DeleteKey("\\Tree"));
    EXPECT_FALSE(reg.KeyExists("\\Tree"));
    EXPECT_FALSE(reg.KeyExists("\\Tree\\A\\B"));
    EXPECT_FALSE(reg.HasCurrentKey);
    EXPECT_FALSE(reg.DeleteKey("\\Tree"));
    EXPECT_TRUE(reg.OpenKey("\\Other"));
    EXPECT_TRUE(reg.WriteString("S", std::string("a\0b", 3)));
    EXPECT_EQ(reg.ReadString("S"), "a");  // a zero byte ends a string value
    EXPECT_TRUE(reg.ValueExists("S"));
    EXPECT_TRUE(reg.DeleteValue("S"));
    EXPECT_FALSE(reg.ValueExists("S"));
}

}  // namespace
