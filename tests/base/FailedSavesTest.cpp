// Every saver of whole files, made to fail part of the way through: by a
// stream that stops after a given number of bytes, by a process file-size
// limit (the kernel refuses the write past the cut, as a full disk would),
// by a real full file system and by a read-only one. Whatever the cut, the
// old file must keep every byte and no temporary file may stay behind.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "base/core/Errors.h"
#include "base/core/TMemory.h"
#include "base/core/TReplacingFileStream.h"
#include "base/files/FileOperations.h"
#include "base/files/TIniFile.h"
#include "base/files/TRegistry.h"
#include "base/files/TUnpackedZip.h"
#include "base/files/TZipFile.h"
#include "base/graphics/TBitmap.h"
#include "base/pictures/PictureResources.h"
#include "base/text/TStringList.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "support/FailingFileSystems.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using TestSupport::ReadFileBytes;
using TestSupport::TFileSizeLimit;
using TestSupport::TSmallFileSystem;
using TestSupport::TScriptedMessageBoxes;
using TestSupport::TTempDir;
using TestSupport::TTempSettingsFolder;
using TestSupport::WriteFileBytes;

// Text of about 80 KB, longer than every cut point below.
std::string BigText(char seed) {
    std::string text;
    for (int i = 0; text.size() < 80000; ++i)
        text += std::string("line ") + seed + std::to_string(i) + "\r\n";
    return text;
}

// A saver of the code base: it writes path (a long version, longer than
// every cut point, or a short one) and says whether it succeeded. The registry writes its own file.
struct TSaver {
    const char* Name;
    std::function<bool(const std::string& path, bool longVersion)> Save;
    bool OwnFile = false;  // saves to Platform::RegHiveFile, not to path
};

bool Aborts(const std::function<void()>& save) {
    try {
        save();
        return true;
    } catch (const EAbort&) {
        return false;
    }
}

// Bytes that deflate cannot shrink, so that an archive holding them is
// longer than every cut point.
std::string NoiseBytes(std::size_t size) {
    std::string bytes(size, '\0');
    std::uint32_t state = 2463534242u;
    for (char& c : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        c = static_cast<char>(state);
    }
    return bytes;
}

// A folder to zip, and an archive to extract from, both kept apart from the
// folder a test makes fail. Made anew whenever a test's temporary folders
// (the settings folder moves the temporary folder into itself) took them.
const TTempDir& ZipSources() {
    static std::unique_ptr<TTempDir> dir;
    if (dir && fs::exists(dir->File("both.zip")))
        return *dir;
    dir = std::make_unique<TTempDir>();
    const TTempDir& d = *dir;
    for (const char* folder : {"long", "short", "both"})
        fs::create_directories(d.File(folder));
    WriteFileBytes(d.File("long/noise.bin"), NoiseBytes(100000));
    WriteFileBytes(d.File("short/note.txt"), "old archive");
    WriteFileBytes(d.File("both/long.bin"), NoiseBytes(100000));
    WriteFileBytes(d.File("both/short.txt"), "old entry");
    if (!ZipFolder(d.File("both/"), d.File("both.zip")))
        ADD_FAILURE() << "the archive to extract from could not be made";
    return d;
}

bool ExtractTo(const std::string& entry, const std::string& path) {
    const Platform::TFileHandle file =
        Platform::OpenExistingFile(ZipSources().File("both.zip"), Platform::TFileAccess::Read);
    if (file == Platform::kNoFile)
        return false;
    bool ok;
    {
        // Entries are listed under the folder they would unpack to.
        const std::string folder = ZipSources().File("unpacked/");
        TUnpackedZip zip(file, folder);
        ok = zip.ExtractEntry(folder + entry, path);
    }
    Platform::CloseFile(file);
    return ok;
}

const std::vector<TSaver>& Savers() {
    ZipSources();  // made now, before any test sets up its failure
    static const std::vector<TSaver> savers = {
        {"TMemory",
         [](const std::string& path, bool longVersion) {
             TMemory m;
             m.AssignString(longVersion ? BigText('m') : std::string("old bytes"));
             return Aborts([&] { m.SaveToFile(path); });
         }},
        {"TStrings",
         [](const std::string& path, bool longVersion) {
             TStringList list;
             list.SetText(longVersion ? BigText('s') : "old\nlist");
             return Aborts([&] { list.SaveToFile(path); });
         }},
        {"TGraphic",
         [](const std::string& path, bool longVersion) {
             TBitmap bitmap;
             bitmap.SetSize(longVersion ? 200 : 4, longVersion ? 120 : 4);
             return Aborts([&] { bitmap.SaveToFile(path); });
         }},
        {"SaveTextToFile",
         [](const std::string& path, bool longVersion) {
             return Aborts([&] { SaveTextToFile(path, longVersion ? BigText('t') : "old text"); });
         }},
        {"SaveResourceToFile",
         [](const std::string& path, bool) { return SaveResourceToFile("VERSION", "RCDATA", path); }},
        {"TIniFile",
         [](const std::string& path, bool longVersion) {
             TIniFile ini(path, true);
             ini.OpenKey("Section");
             ini.WriteString("value", longVersion ? BigText('i') : "old");
             return ini.UpdateFile();
         }},
        {"ZipFolder",
         [](const std::string& path, bool longVersion) {
             return ZipFolder(ZipSources().File(longVersion ? "long/" : "short/"), path);
         }},
        {"TUnpackedZip::ExtractEntry",
         [](const std::string& path, bool longVersion) {
             return ExtractTo(longVersion ? "long.bin" : "short.txt", path);
         }},
        {"TRegistry",
         [](const std::string&, bool longVersion) {
             bool ok;
             {
                 TRegistry registry;
                 registry.OpenKey("Software\\Rezozuri\\Saves");
                 registry.WriteString("value", longVersion ? BigText('r') : "old");
                 ok = registry.Flush();
                 Platform::RegForgetAll();  // drops what failed, so that nothing is written later
             }
             return ok;
         },
         true},
    };
    return savers;
}

std::set<std::string> Entries(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.insert(e.path().filename().string());
    return names;
}

// Saves the short version, then tries the long one under the failure that
// fail sets up; the old bytes must survive and the folder must hold what it
// held before.
void ExpectFailedSaveKeepsOldFile(const TSaver& saver,
                                  const std::string& folder,
                                  const std::function<void(const std::function<void()>&)>& fail) {
    SCOPED_TRACE(saver.Name);
    const std::string path =
        saver.OwnFile ? Platform::RegHiveFile(Platform::TRegRoot::CurrentUser) : folder + "/" + saver.Name + ".saved";
    ASSERT_TRUE(saver.Save(path, false)) << "the fixture could not save at all";
    const std::string old = ReadFileBytes(path);
    const std::set<std::string> before = Entries(fs::path(path).parent_path().string());
    bool saved = true;
    fail([&] { saved = saver.Save(path, true); });
    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadFileBytes(path), old);
    EXPECT_EQ(Entries(fs::path(path).parent_path().string()), before);
}

TEST(FailedSavesTest, AFileSizeLimitAtAnyCutKeepsTheOldFile) {
    TTempSettingsFolder settings;
    TScriptedMessageBoxes boxes;
    const rlim_t cuts[] = {0, 1, 4095, 4096, 65536};
    for (const TSaver& saver : Savers()) {
        for (const rlim_t cut : cuts) {
            SCOPED_TRACE("cut after " + std::to_string(cut) + " bytes");
            TTempDir dir;
            const std::string path = dir.File("probe");
            // Savers whose whole file is shorter than the cut cannot fail there.
            saver.Save(dir.File("whole"), true);
            const std::string whole = saver.OwnFile
                                          ? ReadFileBytes(Platform::RegHiveFile(Platform::TRegRoot::CurrentUser))
                                          : ReadFileBytes(dir.File("whole"));
            if (whole.size() <= cut)
                continue;
            ExpectFailedSaveKeepsOldFile(saver, dir.Path(), [&](const std::function<void()>& save) {
                const TFileSizeLimit limit(cut);
                save();
            });
        }
    }
    EXPECT_FALSE(boxes.Shown().empty());
}

// Passes the first Limit bytes on to Target, then writes nothing more, as a
// disk does that has filled up.
class TCutStream : public TStream {
public:
    TCutStream(TStream& target, std::int64_t limit) : Target(target), Limit(limit) {}

    std::int32_t Read(void*, std::int32_t) override { return 0; }
    std::int32_t Write(const void* buffer, std::int32_t count) override {
        const auto n = static_cast<std::int32_t>(std::clamp<std::int64_t>(Limit - Written, 0, count));
        const std::int32_t done = n > 0 ? Target.Write(buffer, n) : 0;
        Written += done;
        return done;
    }
    std::int64_t Seek(std::int64_t offset, int origin) override { return Target.Seek(offset, origin); }

private:
    TStream& Target;
    std::int64_t Limit;
    std::int64_t Written = 0;
};

TEST(FailedSavesTest, AStreamThatStopsAtAnyCutKeepsTheOldFile) {
    struct Case {
        const char* Name;
        std::function<void(TStream&)> Write;
    };
    TStringList list;
    list.SetText(BigText('c'));
    TBitmap bitmap;
    bitmap.SetSize(100, 100);
    const Case cases[] = {
        {"string list", [&](TStream& s) { list.SaveToStream(s); }},
        {"bitmap", [&](TStream& s) { bitmap.SaveToStream(s); }},
    };
    const std::int64_t cuts[] = {0, 1, 13, 14, 4096, 30000};
    TTempDir dir;
    const std::string path = dir.File("saved");
    WriteFileBytes(path, "the old file, whole");
    TScriptedMessageBoxes boxes;
    for (const Case& c : cases) {
        for (const std::int64_t cut : cuts) {
            SCOPED_TRACE(std::string(c.Name) + " cut after " + std::to_string(cut));
            EXPECT_THROW(SaveFileReplacing(path,
                                           [&](TStream& file) {
                                               TCutStream cutStream(file, cut);
                                               c.Write(cutStream);
                                           }),
                         EAbort);
            EXPECT_EQ(ReadFileBytes(path), "the old file, whole");
            EXPECT_EQ(Entries(dir.Path()), std::set<std::string>{"saved"});
        }
    }
    // The producer's own failure is its own to tell; the file side said nothing.
    EXPECT_TRUE(boxes.Shown().empty());
}

// Takes all the room a file system has left but about `spare` bytes.
void FillUp(const std::string& file, std::size_t spare) {
    const fs::space_info space = fs::space(fs::path(file).parent_path());
    const std::size_t room = space.available > spare ? space.available - spare : 0;
    WriteFileBytes(file, std::string(room, 'f'));
}

TEST(FailedSavesTest, AFullFileSystemKeepsTheOldFile) {
    TTempDir dir;
    const TSmallFileSystem small(dir.File("small"), "512k");
    if (!small.IsMounted())
        GTEST_SKIP() << "mounting a small file system needs root";
    TTempSettingsFolder settings;
    // The registry keeps its file in the settings folder: put that on the
    // small file system too.
    const TestSupport::TScopedEnv config("XDG_CONFIG_HOME", dir.File("small").c_str());
    Platform::RegForgetAll();
    TScriptedMessageBoxes boxes;
    for (const TSaver& saver : Savers()) {
        ExpectFailedSaveKeepsOldFile(saver, dir.File("small"), [&](const std::function<void()>& save) {
            FillUp(dir.File("small/filler"), 0);
            save();
            fs::remove(dir.File("small/filler"));
        });
    }
    Platform::RegForgetAll();
}

TEST(FailedSavesTest, AReadOnlyFolderKeepsTheOldFile) {
    TTempDir dir;
    TSmallFileSystem small(dir.File("small"), "512k");
    const bool root = geteuid() == 0;
    if (root && !small.IsMounted())
        GTEST_SKIP() << "root ignores permissions, and no read-only file system could be mounted";
    TTempSettingsFolder settings;
    const TestSupport::TScopedEnv config("XDG_CONFIG_HOME", dir.File("small").c_str());
    Platform::RegForgetAll();
    TScriptedMessageBoxes boxes;
    for (const TSaver& saver : Savers()) {
        ExpectFailedSaveKeepsOldFile(saver, dir.File("small"), [&](const std::function<void()>& save) {
            if (root) {
                ASSERT_TRUE(small.SetReadOnly(true));
                save();
                ASSERT_TRUE(small.SetReadOnly(false));
            } else {
                fs::permissions(dir.File("small"), fs::perms::owner_read | fs::perms::owner_exec |
                                                       fs::perms::group_read | fs::perms::group_exec |
                                                       fs::perms::others_read | fs::perms::others_exec);
                save();
                fs::permissions(dir.File("small"), fs::perms::owner_all);
            }
        });
    }
    Platform::RegForgetAll();
}

// The replacement files in folder.
std::set<std::string> Leftovers(const std::string& folder) {
    std::set<std::string> names;
    for (const std::string& name : Entries(folder))
        if (name.find(".rez-save.") != std::string::npos)
            names.insert(name);
    return names;
}

// Runs save in a child process that stops (SIGSTOP) as soon as it writes
// past a few bytes, in the middle of writing its temporary file; returns the
// stopped child's id.
pid_t StartWriterThatStops(const std::function<void()>& save) {
    const pid_t pid = fork();
    if (pid == 0) {
        signal(SIGXFSZ, [](int) { raise(SIGSTOP); });
        const rlimit limit{16, 16};
        setrlimit(RLIMIT_FSIZE, &limit);
        try {
            save();
        } catch (...) {
        }
        _exit(0);
    }
    int status = 0;
    if (pid > 0)
        waitpid(pid, &status, WUNTRACED);
    EXPECT_TRUE(pid > 0 && WIFSTOPPED(status));
    return pid;
}

void Reap(pid_t pid) {
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
}

TEST(FailedSavesTest, AnIniWriterKilledMidwayLeavesNothingForTheNextOne) {
    TTempDir dir;
    const std::string path = dir.File("Rezozuri.ini");
    auto write = [&](const std::string& value) {
        TIniFile ini(path, true);
        ini.OpenKey("Options");
        ini.WriteString("Name", value + BigText('k'));
        return ini.UpdateFile();
    };
    ASSERT_TRUE(write("first"));
    const std::string first = ReadFileBytes(path);

    const pid_t writer = StartWriterThatStops([&] { write("stopped"); });
    const std::set<std::string> left = Leftovers(dir.Path());
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(ReadFileBytes(path), first);

    // The writer is still alive (only stopped): its file is not ours to take.
    ASSERT_TRUE(write("second"));
    EXPECT_EQ(Leftovers(dir.Path()), left);
    const std::string second = ReadFileBytes(path);
    EXPECT_NE(second, first);

    Reap(writer);
    EXPECT_EQ(Leftovers(dir.Path()), left);  // nobody has written since
    ASSERT_TRUE(write("third"));
    EXPECT_TRUE(Leftovers(dir.Path()).empty());
}

TEST(FailedSavesTest, ASettingsWriterKilledMidwayLeavesNothingForTheNextOne) {
    TTempSettingsFolder settings;
    auto write = [](const std::string& value) {
        TRegistry registry;
        registry.OpenKey("Software\\Rezozuri\\Options");
        registry.WriteString("Name", value + BigText('g'));
        return registry.Flush();
    };
    ASSERT_TRUE(write("first"));
    const std::string file = Platform::RegHiveFile(Platform::TRegRoot::CurrentUser);
    const std::string folder = fs::path(file).parent_path().string();
    const std::string first = ReadFileBytes(file);

    // The killed writer held the store's lock, which its death releases.
    Reap(StartWriterThatStops([&] { write("killed"); }));
    ASSERT_EQ(Leftovers(folder).size(), 1u);
    EXPECT_EQ(ReadFileBytes(file), first);

    Platform::RegForgetAll();
    ASSERT_TRUE(write("second"));
    EXPECT_TRUE(Leftovers(folder).empty());
    EXPECT_NE(ReadFileBytes(file), first);
}

}  // namespace
