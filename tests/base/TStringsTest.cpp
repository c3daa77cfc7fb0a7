#include "base/text/TStrings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "base/core/Errors.h"
#include "base/core/TMemoryStream.h"
#include "base/text/TStringList.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::TTempDir;

// The smallest TStrings, the way a list-box adapter is one: it keeps only
// the abstract operations and records update-state changes.
class TRecordingStrings : public TStrings {
public:
    std::string GetString(std::int32_t index) const override { return Items[index].first; }
    std::int32_t GetCount() const override { return static_cast<std::int32_t>(Items.size()); }
    void* GetObject(std::int32_t index) const override { return Items[index].second; }
    void SetObject(std::int32_t index, void* obj) override { Items[index].second = obj; }
    void SetUpdateState(bool updating) override { Updates.push_back(updating); }
    void Clear() override { Items.clear(); }
    void Delete(std::int32_t index) override { Items.erase(Items.begin() + index); }
    void Insert(std::int32_t index, std::string s) override {
        Items.insert(Items.begin() + index, {std::move(s), nullptr});
        ++Inserts;
    }

    std::vector<std::pair<std::string, void*>> Items;
    std::vector<bool> Updates;
    int Inserts = 0;
};

std::vector<std::string> Strings(const TStrings& list) {
    std::vector<std::string> out;
    for (std::int32_t i = 0; i < list.GetCount(); ++i)
        out.push_back(list.GetString(i));
    return out;
}

TEST(TStringsTest, SetTextBreaksLinesAtCrLfAndCrLf) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"LF CR is two breaks", "a\n\rb", {"a", "", "b"}},
        {"lone CR and LF", "a\rb\nc", {"a", "b", "c"}},
        {"no final break", "a\r\nb", {"a", "b"}},
        {"only a break", "\r\n", {""}},
        {"empty lines kept", "\n\nx\n", {"", "", "x"}},
        {"empty text", "", {}},
        {"zero byte inside a line", std::string("a\0b\nc", 5), {std::string("a\0b", 3), "c"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TStringList list;
        list.Add("old");
        list.SetText(c.text);
        EXPECT_EQ(Strings(list), c.lines);
    }
}

TEST(TStringsTest, GetTextJoinsWithCrLfAndNoFinalBreak) {
    TStringList list;
    EXPECT_EQ(list.GetText(), "");
    list.Add("a");
    list.Add("b");
    EXPECT_EQ(list.GetText(), "a\r\nb");
    list.Add("");
    EXPECT_EQ(list.GetText(), "a\r\nb\r\n");
}

TEST(TStringsTest, BaseOperationsGoThroughTheAbstractOnes) {
    int x = 0, y = 0, z = 0;
    TRecordingStrings list;
    list.SetText("a\nb\nc");
    EXPECT_EQ(list.Updates, (std::vector<bool>{true, false}));
    list.SetObject(0, &x);
    list.SetObject(2, &y);

    list.Updates.clear();
    list.Exchange(0, 2);
    EXPECT_EQ(Strings(list), (std::vector<std::string>{"c", "b", "a"}));
    EXPECT_EQ(list.GetObject(0), &y);
    EXPECT_EQ(list.GetObject(2), &x);
    EXPECT_EQ(list.Updates, (std::vector<bool>{true, false}));

    list.Move(2, 0);
    EXPECT_EQ(Strings(list), (std::vector<std::string>{"a", "c", "b"}));
    EXPECT_EQ(list.GetObject(0), &x);

    // Replacing with an equal string changes nothing; a different one is
    // deleted and inserted again with its object.
    const int inserts = list.Inserts;
    list.ReplaceString(0, "a");
    EXPECT_EQ(list.Inserts, inserts);
    list.ReplaceString(0, "z");
    EXPECT_EQ(list.Inserts, inserts + 1);
    EXPECT_EQ(list.GetObject(0), &x);

    EXPECT_EQ(list.IndexOf("C"), 1);
    EXPECT_EQ(list.IndexOfObject(&y), 1);
    EXPECT_EQ(list.AddObject("w", &z), 3);
    EXPECT_EQ(list.IndexOfObject(&z), 3);

    // Nested updates tell the adapter once.
    list.Updates.clear();
    list.BeginUpdate();
    list.AddStrings(list);
    list.EndUpdate();
    EXPECT_EQ(list.Updates, (std::vector<bool>{true, false}));
    EXPECT_EQ(list.GetCount(), 8);
    EXPECT_EQ(list.UpdateCount, 0);
}

TEST(TStringsTest, LoadAndSaveThroughStreams) {
    TMemoryStream stream;
    stream.WriteExact("skip|one\r\ntwo\r\n", 15);
    stream.SeekTo(5);
    TStringList list;
    list.LoadFromStream(stream);  // from the current position to the end
    EXPECT_EQ(Strings(list), (std::vector<std::string>{"one", "two"}));

    TMemoryStream out;
    list.SaveToStream(out);
    EXPECT_EQ(out.Size(), 8);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.Memory), 8), "one\r\ntwo");
}

TEST(TStringsTest, FilesRoundTripAndFailSilently) {
    TTempDir dir;
    const std::string path = dir.File("words.txt");
    TStringList list;
    list.SetText("alpha\nbeta");
    list.SaveToFile(path);
    EXPECT_EQ(TestSupport::ReadFileBytes(path), "alpha\r\nbeta");

    // A shorter text replaces the file completely.
    list.SetText("x");
    list.SaveToFile(path);
    EXPECT_EQ(TestSupport::ReadFileBytes(path), "x");

    TStringList loaded;
    loaded.LoadFromFile(path);
    EXPECT_EQ(Strings(loaded), (std::vector<std::string>{"x"}));

    EXPECT_THROW(loaded.LoadFromFile(dir.File("missing.txt")), EAbort);
    EXPECT_THROW(list.SaveToFile(dir.File("no/such/folder.txt")), EAbort);
    EXPECT_EQ(Strings(loaded), (std::vector<std::string>{"x"}));
}

// A list whose writing fails halfway, as on a full disk.
class TFailingList : public TStringList {
public:
    void SaveToStream(TStream& stream) const override {
        stream.WriteExact("half", 4);
        Abort();
    }
};

TEST(TStringsTest, AFailedSaveLeavesTheOldFileWhole) {
    TTempDir dir;
    const std::string path = dir.File("dictionary.dic");
    TestSupport::WriteFileBytes(path, "the whole old list");
    namespace fs = std::filesystem;
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);

    TFailingList failing;
    EXPECT_THROW(failing.SaveToFile(path), EAbort);
    EXPECT_EQ(TestSupport::ReadFileBytes(path), "the whole old list");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);  // nothing left over

    // A successful save keeps the file's permissions and writes through a
    // symbolic link to the file it names.
    const std::string link = dir.File("link.dic");
    fs::create_symlink(path, link);
    TStringList list;
    list.Add("new");
    list.SaveToFile(link);
    EXPECT_EQ(TestSupport::ReadFileBytes(path), "new");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
}

}  // namespace
