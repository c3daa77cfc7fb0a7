#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace {

using Platform::TRegRoot;
using Platform::TRegValue;
using TestSupport::TTempSettingsFolder;

constexpr TRegRoot kUser = TRegRoot::CurrentUser;

TRegValue Text(const std::string& s) {
    TRegValue v;
    v.Text = s;
    return v;
}

TRegValue Int(std::int32_t i) {
    TRegValue v;
    v.IsInteger = true;
    v.Integer = i;
    return v;
}

std::string ReadText(const std::string& path, const std::string& name) {
    TRegValue v;
    EXPECT_TRUE(Platform::RegGetValue(kUser, path, name, v)) << path << " / " << name;
    return v.Text;
}

std::string ValueName(int i) {
    std::string name = "V";
    name += std::to_string(i);
    return name;
}

void Flush() {
    std::string error;
    ASSERT_TRUE(Platform::RegFlush(kUser, error)) << error;
}

TEST(RegistryTest, KeysAndValuesSurviveAReadBackWithAwkwardText) {
    TTempSettingsFolder folder;
    ASSERT_TRUE(Platform::RegCreateKey(kUser, "Software\\Rezozuri Word Processor\\General"));
    const std::string awkward =
        std::string("line one\r\nline \"two\"\t\\end\x01\x7f") + "\xc3\xa9" + std::string(1, '\0') + "x";
    ASSERT_TRUE(Platform::RegSetValue(kUser, "Software\\Rezozuri Word Processor\\General", "Text", Text(awkward)));
    ASSERT_TRUE(Platform::RegSetValue(kUser, "Software\\Rezozuri Word Processor\\General", "na=me\"", Int(-5)));
    ASSERT_TRUE(Platform::RegCreateKey(kUser, "Software\\Rezozuri Word Processor\\Empty"));
    Flush();

    Platform::RegForgetAll();
    EXPECT_EQ(ReadText("software\\REZOZURI word processor\\general", "TEXT"), awkward);
    TRegValue v;
    ASSERT_TRUE(Platform::RegGetValue(kUser, "Software\\Rezozuri Word Processor\\General", "NA=ME\"", v));
    EXPECT_TRUE(v.IsInteger);
    EXPECT_EQ(v.Integer, -5);
    EXPECT_TRUE(Platform::RegKeyExists(kUser, "Software\\Rezozuri Word Processor\\Empty"));
    EXPECT_EQ(Platform::RegTakeLoadProblem(kUser), "");
}

TEST(RegistryTest, KeyNamesWithControlCharactersAreRefused) {
    TTempSettingsFolder folder;
    EXPECT_FALSE(Platform::RegCreateKey(kUser, "Software\\Bad\nName"));
    EXPECT_FALSE(Platform::RegKeyExists(kUser, "Software\\Bad\nName"));
    EXPECT_FALSE(Platform::RegSetValue(kUser, "Software\\Missing", "V", Int(1)));
}

TEST(RegistryTest, DeleteKeyRefusesAKeyWithSubKeys) {
    TTempSettingsFolder folder;
    ASSERT_TRUE(Platform::RegCreateKey(kUser, "A\\B\\C"));
    EXPECT_FALSE(Platform::RegDeleteKey(kUser, "A\\B"));
    EXPECT_TRUE(Platform::RegDeleteKey(kUser, "A\\B\\C"));
    EXPECT_TRUE(Platform::RegDeleteKey(kUser, "A\\B"));
    EXPECT_TRUE(Platform::RegKeyExists(kUser, "A"));
    EXPECT_FALSE(Platform::RegKeyExists(kUser, "A\\B"));
}

TEST(RegistryTest, DamagedLinesAreSkippedReportedAndTheFileKeptAside) {
    TTempSettingsFolder folder;
    const std::string file = Platform::RegHiveFile(kUser);
    ::mkdir((folder.Path() + "/rezozuri").c_str(), 0700);
    TestSupport::WriteFileBytes(file,
                                "Rezozuri settings 1\n"
                                "[Good]\n"
                                "\"A\"=\"kept\"\n"
                                "\"B\"=dword:zz\n"
                                "garbage without quotes\n"
                                "[Broken\n"
                                "\"C\"=\"lost in a broken key\"\n"
                                "[Good\\Child]\n"
                                "\"D\"=dword:0000002a\n");
    Platform::RegForgetAll();
    EXPECT_EQ(ReadText("Good", "A"), "kept");
    TRegValue v;
    EXPECT_FALSE(Platform::RegGetValue(kUser, "Good", "B", v));
    ASSERT_TRUE(Platform::RegGetValue(kUser, "Good\\Child", "D", v));
    EXPECT_EQ(v.Integer, 42);
    const std::string problem = Platform::RegTakeLoadProblem(kUser);
    EXPECT_NE(problem.find("4 line(s)"), std::string::npos) << problem;
    EXPECT_EQ(Platform::RegTakeLoadProblem(kUser), "");  // told once

    const std::string damaged = TestSupport::ReadFileBytes(file);
    ASSERT_TRUE(Platform::RegSetValue(kUser, "Good", "E", Int(1)));
    Flush();
    EXPECT_EQ(TestSupport::ReadFileBytes(file + ".damaged"), damaged);
    EXPECT_EQ(Platform::RegParseText(TestSupport::ReadFileBytes(file)).DamagedLines, 0);
}

// Another copy of the program changes the file between our read and our
// write: both sets of changes must be in the result.
TEST(RegistryTest, FlushMergesWithChangesMadeByAnotherProcess) {
    TTempSettingsFolder folder;
    ASSERT_TRUE(Platform::RegCreateKey(kUser, "Shared"));
    ASSERT_TRUE(Platform::RegSetValue(kUser, "Shared", "Mine", Text("before")));
    ASSERT_TRUE(Platform::RegSetValue(kUser, "Shared", "Theirs", Text("before")));
    Flush();

    ASSERT_TRUE(Platform::RegSetValue(kUser, "Shared", "Mine", Text("mine")));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Platform::RegForgetAll();
        std::string error;
        const bool ok = Platform::RegSetValue(kUser, "Shared", "Theirs", Text("theirs")) &&
                        Platform::RegCreateKey(kUser, "Other") && Platform::RegFlush(kUser, error);
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    Flush();
    EXPECT_EQ(ReadText("Shared", "Mine"), "mine");
    EXPECT_EQ(ReadText("Shared", "Theirs"), "theirs");
    EXPECT_TRUE(Platform::RegKeyExists(kUser, "Other"));
}

TEST(RegistryTest, RefreshSeesAnotherProcessesWritesAndKeepsPendingOnes) {
    TTempSettingsFolder folder;
    ASSERT_TRUE(Platform::RegCreateKey(kUser, "K"));
    Flush();
    ASSERT_TRUE(Platform::RegSetValue(kUser, "K", "Pending", Int(7)));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Platform::RegForgetAll();
        std::string error;
        ::_exit(Platform::RegSetValue(kUser, "K", "Fresh", Int(8)) && Platform::RegFlush(kUser, error) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    Platform::RegRefresh(kUser);
    TRegValue v;
    ASSERT_TRUE(Platform::RegGetValue(kUser, "K", "Fresh", v));
    EXPECT_EQ(v.Integer, 8);
    ASSERT_TRUE(Platform::RegGetValue(kUser, "K", "Pending", v));
    EXPECT_EQ(v.Integer, 7);
}

// A writer killed at random moments of its writes: the file must always read
// back whole, as one complete generation of the values.
TEST(RegistryTest, AWriterKilledMidWriteLeavesTheOldOrTheNewFile) {
    TTempSettingsFolder folder;
    const std::string big(20000, 'x');
    for (int round = 0; round < 12; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            Platform::RegForgetAll();
            std::string error;
            for (int generation = 0;; ++generation) {
                const std::string g = std::to_string(generation);
                Platform::RegCreateKey(kUser, "Gen");
                for (int i = 0; i < 50; ++i)
                    Platform::RegSetValue(kUser, "Gen", ValueName(i), Text(g + big));
                Platform::RegSetValue(kUser, "Gen", "Generation", Text(g));
                Platform::RegFlush(kUser, error);
            }
        }
        ::usleep(static_cast<useconds_t>(3000 + round * 2500));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);

        Platform::RegForgetAll();
        const std::string text = TestSupport::ReadFileBytes(Platform::RegHiveFile(kUser));
        if (text.empty())
            continue;  // killed before its first write finished: no file yet, which is fine
        const Platform::TRegParseStats stats = Platform::RegParseText(text);
        ASSERT_EQ(stats.DamagedLines, 0) << "round " << round;
        const std::string generation = ReadText("Gen", "Generation");
        for (int i = 0; i < 50; ++i)
            ASSERT_EQ(ReadText("Gen", ValueName(i)), generation + big) << "round " << round;
    }
}

// A full disk (here: a file-size limit) makes the write fail; the old file
// stays as it was and the changes stay pending.
TEST(RegistryTest, AFailedWriteKeepsTheOldFileAndThePendingChanges) {
    TTempSettingsFolder folder;
    ASSERT_TRUE(Platform::RegCreateKey(kUser, "K"));
    ASSERT_TRUE(Platform::RegSetValue(kUser, "K", "Small", Text("old")));
    Flush();
    const std::string before = TestSupport::ReadFileBytes(Platform::RegHiveFile(kUser));

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        Platform::RegSetValue(kUser, "K", "Small", Text("new"));
        Platform::RegSetValue(kUser, "K", "Big", Text(std::string(100000, 'b')));
        std::string error;
        const bool flushed = Platform::RegFlush(kUser, error);
        const bool stillPending = Platform::RegHasPendingChanges(kUser);
        TRegValue v;
        const bool inMemory = Platform::RegGetValue(kUser, "K", "Small", v) && v.Text == "new";
        ::_exit(!flushed && !error.empty() && stillPending && inMemory ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(TestSupport::ReadFileBytes(Platform::RegHiveFile(kUser)), before);
    // No temporary file is left behind.
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path() + "/rezozuri"))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"user.reg", "user.reg.lock"}));
}

}  // namespace
