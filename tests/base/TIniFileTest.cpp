#include "base/files/TIniFile.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <string>

#include "base/files/ShellServices.h"
#include "base/files/TFileList.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::ReadFileBytes;
using TestSupport::TScriptedMessageBoxes;
using TestSupport::TTempDir;
using TestSupport::WriteFileBytes;

const char kBase[] = "\\Software\\Rezozuri Word Processor\\";

class TIniFileTest : public ::testing::Test {
protected:
    std::string File() const { return Dir.File("Rezozuri.ini"); }

    std::unique_ptr<TIniFile> OpenRead(const std::string& text) {
        WriteFileBytes(File(), text);
        return OpenRead();
    }
    std::unique_ptr<TIniFile> OpenRead() {
        auto ini = std::make_unique<TIniFile>(File(), false);
        ini->BasePath = kBase;
        return ini;
    }
    std::unique_ptr<TIniFile> OpenWrite() {
        auto ini = std::make_unique<TIniFile>(File(), true);
        ini->BasePath = kBase;
        return ini;
    }
    std::string Read(TIniFile& ini, const char* name) {
        std::string value;
        ini.ReadString(name, "<default>", value);
        return value;
    }

    TestSupport::TTempSettingsFolder Folders;
    TTempDir Dir;
};

TEST_F(TIniFileTest, LinesReadAsTheyStandWithNothingTrimmed) {
    auto ini = OpenRead(
        "ignored=before any section\r\n"
        "[\\Software\\Rezozuri Word Processor\\General]\r\n"
        "a=b=c\n"
        "key = v\r"
        "B=\r\n"
        "no equals sign here\r\n"
        ";comment=still an entry\r\n"
        "Flag=true\r\n"
        "Two=2\r\n"
        "One=1\r\n"
        "Num=abc\r\n"
        "High=99\r\n"
        "Low=-3\r\n"
        "Dup=first\r\n"
        "[\\Software\\Rezozuri Word Processor\\Other]\r\n"
        "x=1\r\n"
        "[\\software\\REZOZURI word processor\\general]\r\n"
        "Dup=second\r\n"
        "Late=continued");
    ASSERT_TRUE(ini->KeyExists("General"));
    EXPECT_FALSE(ini->KeyExists("Missing"));
    ini->OpenKey("General");
    EXPECT_EQ(Read(*ini, "a"), "b=c");
    EXPECT_EQ(Read(*ini, "key "), " v");
    EXPECT_EQ(Read(*ini, "key"), "<default>");
    EXPECT_EQ(Read(*ini, "B"), "");  // a short line with a name and "=" is a value
    EXPECT_EQ(Read(*ini, ";comment"), "still an entry");
    EXPECT_EQ(Read(*ini, "no equals sign here"), "<default>");
    EXPECT_EQ(Read(*ini, "ignored"), "<default>");
    EXPECT_EQ(Read(*ini, "dup"), "first");       // names without case; the first one wins
    EXPECT_EQ(Read(*ini, "Late"), "continued");  // the section goes on under its header again
    EXPECT_FALSE(ini->ReadBool("Flag", true));   // only "1" is true
    EXPECT_FALSE(ini->ReadBool("Two", true));
    EXPECT_TRUE(ini->ReadBool("One", false));
    EXPECT_TRUE(ini->ReadBool("Missing", true));
    EXPECT_EQ(ini->ReadInteger("Missing", 0, 10, 5), 5);
    EXPECT_EQ(ini->ReadInteger("Num", 0, 10, 5), 5);
    EXPECT_EQ(ini->ReadInteger("High", 0, 10, 5), 10);
    EXPECT_EQ(ini->ReadInteger("Low", 0, 10, 5), 0);
    ini->OpenKey("Missing");
    EXPECT_EQ(Read(*ini, "a"), "<default>");
}

TEST_F(TIniFileTest, AMissingFileIsAnEmptyStore) {
    auto ini = OpenRead();
    EXPECT_FALSE(ini->KeyExists("General"));
    ini->OpenKey("General");
    EXPECT_EQ(ini->ReadInteger("X", 0, 10, 7), 7);
}

TEST_F(TIniFileTest, WrittenFilesHaveTheirOwnLayout) {
    {
        auto ini = OpenWrite();
        ini->OpenKey("General");
        ini->WriteInteger("Flags", 37);
        ini->WriteBool("On", true);
        ini->WriteString("Name", "a=b");
        ini->OpenKey("Other");
        ini->WriteBool("Off", false);
        EXPECT_FALSE(ini->KeyExists("General"));  // reads see nothing in write mode
        ini->OpenKey("General");
        EXPECT_EQ(ini->ReadInteger("Flags", 0, 100, -1), -1);
    }
    EXPECT_EQ(ReadFileBytes(File()),
              "[\\Software\\Rezozuri Word Processor\\General]\r\nFlags=37\r\nOn=1\r\nName=a=b\r\n\r\n"
              "[\\Software\\Rezozuri Word Processor\\Other]\r\nOff=0\r\n\r\n"
              "[\\Software\\Rezozuri Word Processor\\General]");
}

// Values and names that would break the line structure are escaped and
// read back whole; nothing around them is disturbed.
TEST_F(TIniFileTest, AwkwardValuesAndNamesRoundTrip) {
    struct Case {
        std::string Name;
        std::string Value;
    };
    const Case cases[] = {
        {"Multi", "line one\r\nline two\nline three\r"},
        {"Backslash", "C:\\path\\n\\r"},
        {"Mark", "\x01starts with the mark"},
        {"Zero", std::string("a\0b", 3)},
        {"name=with=equals", "v"},
        {"[bracketed", "v"},
        {"line\nbreak", "v"},
        {"\x01", "mark as a name"},
        {"Plain", "after them all"},
    };
    {
        auto ini = OpenWrite();
        ini->OpenKey("General");
        for (const Case& c : cases)
            ini->WriteString(c.Name, c.Value);
    }
    const std::string text = ReadFileBytes(File());
    EXPECT_NE(text.find("\r\nBackslash=C:\\path\\n\\r\r\n"), std::string::npos);  // no need to escape
    EXPECT_NE(text.find("\r\nPlain=after them all"), std::string::npos);
    auto ini = OpenRead();
    ini->OpenKey("General");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::string value;
        ASSERT_TRUE(ini->FindValue(c.Name, value));
        EXPECT_EQ(value, c.Value);
    }
}

TEST_F(TIniFileTest, LongBinaryAndWideValues) {
    std::string text(1025, 'x');
    text[512] = ' ';
    const unsigned char bytes[] = {0x01, 0xAB, 0x00, 0xFF};
    {
        auto ini = OpenWrite();
        ini->WriteLongString("FontHistory", text);
        ini->OpenKey("General");
        ini->WriteBinaryValue("Four", bytes, 4);
        ini->WriteString("Fifteen", "0123456789abcde");
        ini->WriteWideString("Wide", u"\u00c9t\u00e9 \u4e2d");
    }
    const std::string file = ReadFileBytes(File());
    EXPECT_NE(file.find("[\\Software\\Rezozuri Word Processor\\FontHistory]\r\nCount=2\r\n0="), std::string::npos);
    EXPECT_NE(file.find("Four=01ab00ff"), std::string::npos);
    EXPECT_NE(file.find("Wide=\xc3\x89t\xc3\xa9 \xe4\xb8\xad"), std::string::npos);

    auto ini = OpenRead();
    ini->OpenKey("FontHistory");
    std::string piece;
    ini->ReadString("0", "", piece);
    EXPECT_EQ(piece.size(), 514u);
    ini->ReadString("1", "", piece);
    EXPECT_EQ(piece.size(), 511u);
    std::string back;
    ini->ReadLongString("FontHistory", "", back);
    EXPECT_EQ(back, text);

    ini->OpenKey("General");
    unsigned char four[4] = {};
    const unsigned char def[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ini->ReadBinaryValue("Four", four, def, 4);
    EXPECT_EQ(std::memcmp(four, bytes, 4), 0);
    unsigned char eight[8] = {};
    ini->ReadBinaryValue("Fifteen", eight, def, 8);
    EXPECT_EQ(std::memcmp(eight, def, 8), 0);
    std::u16string wide;
    ini->ReadWideString("Wide", u"", wide);
    EXPECT_EQ(wide, u"\u00c9t\u00e9 \u4e2d");
}

// A full disk (a file-size limit here) while the file is written: the user
// is told and the old file stays whole.
TEST_F(TIniFileTest, AFailedWriteKeepsTheOldFile) {
    WriteFileBytes(File(), "[\\Software\\Rezozuri Word Processor\\General]\r\nKeep=old");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {1024, 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        TScriptedMessageBoxes boxes;
        bool ok;
        {
            auto ini = OpenWrite();
            ini->OpenKey("General");
            ini->WriteString("Keep", std::string(5000, 'n'));
            ok = ini->UpdateFile();
        }
        const bool told =
            boxes.Shown().size() == 1 && boxes.Shown()[0].Text.find("cannot be saved to") != std::string::npos;
        ::_exit(!ok && told ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadFileBytes(File()), "[\\Software\\Rezozuri Word Processor\\General]\r\nKeep=old");
}

TEST_F(TIniFileTest, ASectionNameWithALineBreakIsRefusedWithItsValues) {
    TScriptedMessageBoxes boxes;
    {
        auto ini = OpenWrite();
        ini->OpenKey("Bad\nKey");
        ini->WriteString("Lost", "x");
        ini->OpenKey("Good");
        ini->WriteString("Kept", "y");
    }
    EXPECT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(ReadFileBytes(File()), "[\\Software\\Rezozuri Word Processor\\Good]\r\nKept=y");
}

// A full recent list keeps entries 27 to 30 under "[", "\", "]" and "^":
// in an INI file those names must not read as section headers.
TEST_F(TIniFileTest, ThirtyRecentEntriesSurviveTheIniFile) {
    const std::int32_t oldLength = ShellServices().RecentListLength;
    ShellServices().RecentListLength = 30;
    TFileList list;
    for (int i = 30; i >= 1; --i)
        list.AddRecent("/docs/file" + std::to_string(i) + ".rtf");
    ASSERT_EQ(list.Count, 30);
    {
        auto ini = OpenWrite();
        ini->OpenKey("RecentDocs");
        list.SaveTo(*ini);
        ini->OpenKey("After");
        ini->WriteString("Still", "here");
    }
    auto ini = OpenRead();
    ini->OpenKey("RecentDocs");
    TFileList back;
    back.LoadFrom(*ini);
    ASSERT_EQ(back.Count, 30);
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(back.GetString(i), list.GetString(i));
    ini->OpenKey("After");
    EXPECT_EQ(Read(*ini, "Still"), "here");
    ShellServices().RecentListLength = oldLength;
}

}  // namespace
