#include <gtest/gtest.h>

#include <filesystem>

#include "base/files/FolderOperations.h"
#include "base/files/TZipFile.h"
#include "support/PictureSupport.h"
#include "support/TestSupport.h"

namespace {

struct TZipEntryInfo {
    std::string Name;
    std::string Method;  // "stor" or "defN"/"defX"...
};

// zipinfo's listing: one line per entry, its method and its name.
std::vector<TZipEntryInfo> ZipInfo(const std::string& archive) {
    std::vector<TZipEntryInfo> out;
    const std::string text = TestSupport::RunCommand("zipinfo '" + archive + "' 2>/dev/null");
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.size() < 10 || (line[0] != '-' && line[0] != 'd'))
            continue;
        std::istringstream fields(line);
        std::string perms, version, os, size, kind, method, date, time, name;
        fields >> perms >> version >> os >> size >> kind >> method >> date >> time;
        std::getline(fields, name);
        out.push_back({name.substr(name.find_first_not_of(' ')), method});
    }
    return out;
}

void MakeFile(const std::string& path, const std::string& bytes) {
    ForceFolders(path.substr(0, path.find_last_of('/')));
    TestSupport::WriteFileBytes(path, bytes);
}

}  // namespace

TEST(TZipFileTest, ZipFolderWritesAnEpubThatUnzipAccepts) {
    TestSupport::TTempDir dir;
    const std::string folder = dir.Path() + "/book/";
    MakeFile(folder + "OEBPS/content.opf", std::string(2000, 'x'));
    MakeFile(folder + "META-INF/container.xml", "<container/>");
    MakeFile(folder + "OEBPS/images/cover.PNG", std::string(300, '\x89'));
    MakeFile(folder + "OEBPS/text.xhtml", "<html>" + std::string(5000, 'a') + "</html>");
    const std::string archive = dir.File("book.epub");
    ZipMimeType = "application/epub+zip";
    ZipStoreImages = true;
    const bool ok = ZipFolder(folder, archive);
    ZipMimeType.clear();
    ZipStoreImages = false;
    ASSERT_TRUE(ok);
    int status = -1;
    const std::string test = TestSupport::RunCommand("unzip -t '" + archive + "' 2>&1", &status);
    EXPECT_EQ(status, 0) << test;
    const auto entries = ZipInfo(archive);
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0].Name, "mimetype");
    EXPECT_EQ(entries[0].Method, "stor");
    EXPECT_EQ(entries[1].Name, "META-INF/container.xml");
    EXPECT_EQ(entries[2].Name, "OEBPS/content.opf");
    EXPECT_EQ(entries[2].Method.substr(0, 3), "def");
    EXPECT_EQ(entries[3].Name, "OEBPS/images/cover.PNG");
    EXPECT_EQ(entries[3].Method, "stor");
    EXPECT_EQ(entries[4].Name, "OEBPS/text.xhtml");
    EXPECT_EQ(TestSupport::RunCommand("unzip -p '" + archive + "' mimetype"), "application/epub+zip");
    EXPECT_EQ(TestSupport::RunCommand("unzip -p '" + archive + "' OEBPS/text.xhtml"),
              "<html>" + std::string(5000, 'a') + "</html>");
    // The header flags say what the Part table says: 2 for deflated, 0 for stored.
    const std::string bytes = TestSupport::ReadFileBytes(archive);
    EXPECT_EQ(bytes.substr(0, 4), "PK\x03\x04");
    EXPECT_EQ(bytes[6], 0);
    EXPECT_EQ(bytes[8], 0);
}

TEST(TZipFileTest, DuplicateNamesGetNumbers) {
    TestSupport::TTempDir dir;
    const std::string file = dir.File("a.txt");
    TestSupport::WriteFileBytes(file, "hello");
    TZipFile zip;
    ASSERT_TRUE(zip.CreateArchive(dir.File("out.zip")));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(zip.AddFile(file, "a.txt"));
    EXPECT_TRUE(zip.AddFile(file, "noext"));
    EXPECT_TRUE(zip.AddFile(file, "noext"));
    ASSERT_TRUE(zip.Finish());
    std::vector<std::string> names;
    for (const auto& e : ZipInfo(dir.File("out.zip")))
        names.push_back(e.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "a (2).txt", "a (3).txt", "noext", "noext (2)"}));
}

TEST(TZipFileTest, AMissingFileIsReportedAndLeavesNoArchive) {
    TestSupport::TTempDir dir;
    TestSupport::TScriptedMessageBoxes boxes;
    const std::string archive = dir.File("out.zip");
    TestSupport::WriteFileBytes(archive, "the old archive");
    TZipFile zip;
    ASSERT_TRUE(zip.CreateArchive(archive));
    EXPECT_FALSE(zip.AddFile(dir.File("missing.txt"), "missing.txt"));
    EXPECT_FALSE(zip.Finish());
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].Text, "Cannot open file \"" + dir.File("missing.txt") + "\".");
    // The file that was there before is untouched, and nothing is left beside it.
    EXPECT_EQ(TestSupport::ReadFileBytes(archive), "the old archive");
    EXPECT_FALSE(std::filesystem::exists(archive + ".rez-zipping"));
}

TEST(TZipFileTest, PendingMemoryContentReplacesTheEmptyFile) {
    TestSupport::TTempDir dir;
    const std::string file = dir.File("document.xml");
    TestSupport::WriteFileBytes(file, "");
    ZipPendingPath = file;
    ZipPendingData = std::make_unique<TMemory>();
    ZipPendingData->AssignString("<document/>");
    TZipFile zip;
    ASSERT_TRUE(zip.CreateArchive(dir.File("out.zip")));
    ASSERT_TRUE(zip.AddFile(file, "word/document.xml"));
    ASSERT_TRUE(zip.Finish());
    EXPECT_TRUE(ZipPendingPath.empty());
    EXPECT_EQ(ZipPendingData, nullptr);
    EXPECT_EQ(TestSupport::RunCommand("unzip -p '" + dir.File("out.zip") + "' word/document.xml"), "<document/>");
}

TEST(TZipFileTest, NamesOutsideAsciiAreWrittenInTheOemCodePage) {
    TestSupport::TTempDir dir;
    const std::string file = dir.File("f.txt");
    TestSupport::WriteFileBytes(file, "x");
    TZipFile zip;
    ASSERT_TRUE(zip.CreateArchive(dir.File("out.zip")));
    ASSERT_TRUE(zip.AddFile(file, "\xC3\xA9t\xC3\xA9.txt"));  // "été.txt"
    ASSERT_TRUE(zip.Finish());
    const std::string bytes = TestSupport::ReadFileBytes(dir.File("out.zip"));
    EXPECT_EQ(bytes.substr(30, 7), "\x82t\x82.txt");  // é is 0x82 in code page 437
}
