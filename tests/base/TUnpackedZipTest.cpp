#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "base/files/TUnpackedZip.h"
#include "base/files/TZipFile.h"
#include "platform/Files.h"
#include "support/PictureSupport.h"
#include "support/TestSupport.h"

namespace {

// Opens an archive for as long as it lives.
class TOpenFile {
public:
    explicit TOpenFile(const std::string& path)
        : Handle(Platform::OpenExistingFile(path, Platform::TFileAccess::Read)) {}
    ~TOpenFile() {
        if (Handle != Platform::kNoFile)
            Platform::CloseFile(Handle);
    }
    Platform::TFileHandle Handle;
};

std::vector<std::string> Listed(const TUnpackedZip& zip) {
    std::vector<std::string> names;
    for (std::int32_t i = 0; i < zip.GetCount(); ++i)
        names.push_back(zip.GetString(i));
    return names;
}

std::vector<std::string> ListedIn(const std::string& corpusFile) {
    TOpenFile file(TestSupport::CorpusPath(corpusFile));
    TUnpackedZip zip(file.Handle, "t/");
    return Listed(zip);
}

}  // namespace

// Every DOCX, ODT and EPUB of the corpus opens, and each entry holds the
// bytes unzip extracts for it.
TEST(TUnpackedZipTest, DocumentPackagesMatchUnzip) {
    int archives = 0;
    for (const char* kind : {"docx", "odt", "epub"}) {
        for (const auto& e : std::filesystem::directory_iterator(TestSupport::CorpusPath(kind))) {
            const std::string path = e.path().string();
            SCOPED_TRACE(path);
            TestSupport::TTempDir dir;
            int status = -1;
            TestSupport::RunCommand("unzip -qq -o '" + path + "' -d '" + dir.Path() + "/u' 2>&1", &status);
            if (status > 1)
                continue;  // unzip itself refuses the file (a damaged test document)
            TOpenFile file(path);
            TUnpackedZip zip(file.Handle, dir.Path() + "/u/");
            std::size_t expected = 0;
            for (const auto& f : std::filesystem::recursive_directory_iterator(dir.Path() + "/u"))
                if (f.is_regular_file() && f.file_size() > 0)
                    ++expected;
            EXPECT_EQ(static_cast<std::size_t>(zip.GetCount()), expected);
            for (std::int32_t i = 0; i < zip.GetCount(); ++i) {
                const std::string name = zip.GetString(i);
                std::vector<std::uint8_t> bytes;
                ASSERT_TRUE(zip.ReadEntry(name, bytes)) << name;
                EXPECT_EQ(std::string(bytes.begin(), bytes.end()), TestSupport::ReadFileBytes(name)) << name;
            }
            ++archives;
        }
    }
    EXPECT_GT(archives, 60);
}

TEST(TUnpackedZipTest, EdgeArchivesOfTheCorpus) {
    struct Case {
        const char* file;
        std::vector<std::string> listed;
    };
    const Case cases[] = {
        // An archive comment after the end record.
        {"zip/go__test.zip", {"t/gophercolor16x16.png", "t/test.txt"}},
        {"zip/go__readme.zip", {"t/README"}},
        // Names that try to leave the folder are taken from the local
        // headers, which say a.txt; anything unsafe would not be listed.
        {"zip/yauzl__fail__invalid_relative_path_xt.zip", {"t/a.txt", "t/b.txt"}},
        {"zip/yauzl__fail__absolute_path_atxt.zip", {"t/a.txt", "t/b.txt"}},
        {"zip/yauzl__fail__absolute_path_C_xt.zip", {"t/a.txt", "t/b.txt"}},
        // Encrypted entries and ZIP64 records end the listing.
        {"zip/yauzl__traditional-encryption.zip", {}},
        {"zip/go__zip64.zip", {}},
        // Not archives, or too damaged to read.
        {"zip/go__readme.notzip", {}},
        {"zip/yauzl__empty.zip", {}},
        {"zip/yauzl__fail__End_of_central_directory_record_signature_not_found_Either_not_a_zip_file_or_file_is_"
         "truncated_1.zip",
         {}},
        // Entries whose data would run past the end of the file end the listing.
        {"zip/yauzl__fail__compressed_uncompressed_size_mismatch_for_stored_file_2147483647_5.zip", {}},
        {"zip/yauzl__fail__file_data_overflows_file_bounds_63_2147483647_308.zip", {}},
        // 985 bytes cannot inflate to 2048576: such an entry is refused before
        // anything is allocated for it.
        {"zip/yauzl__fail__not_enough_bytes_in_the_stream_expected_2048576_got_only_1000000.zip", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(ListedIn(c.file), c.listed);
    }
}

TEST(TUnpackedZipTest, EveryCorpusArchiveIsReadWithoutACrash) {
    for (const auto& e : std::filesystem::directory_iterator(TestSupport::CorpusPath("zip"))) {
        SCOPED_TRACE(e.path().string());
        TOpenFile file(e.path().string());
        TUnpackedZip zip(file.Handle, "t/");
        for (std::int32_t i = 0; i < zip.GetCount(); ++i) {
            std::vector<std::uint8_t> bytes;
            zip.ReadEntry(zip.GetString(i), bytes);
        }
    }
}

TEST(TUnpackedZipTest, ShortOrOverlongInflateIsAnError) {
    TestSupport::TTempDir dir;
    // Declared 82496 bytes while the data goes on further; damaged data.
    for (const char* name : {"zip/yauzl__fail__too_many_bytes_in_the_stream_expected_82496_got_at_least_98304.zip",
                             "zip/yauzl__fail__invalid_code_lengths_set.zip"}) {
        SCOPED_TRACE(name);
        TOpenFile file(TestSupport::CorpusPath(name));
        TUnpackedZip zip(file.Handle, dir.Path() + "/");
        ASSERT_EQ(zip.GetCount(), 1);
        const std::string target = zip.GetString(0);
        EXPECT_FALSE(zip.ExtractEntry(target));
        EXPECT_FALSE(std::filesystem::exists(target));
    }
}

TEST(TUnpackedZipTest, ExtractingWritesOnceAndToOtherPaths) {
    TestSupport::TTempDir dir;
    const std::string folder = dir.Path() + "/src/";
    TestSupport::WriteFileBytes(dir.File("x"), "");
    std::filesystem::create_directories(folder + "sub");
    std::filesystem::create_directories(folder + "emptydir");
    TestSupport::WriteFileBytes(folder + "sub/one.txt", std::string(3000, 'q'));
    TestSupport::WriteFileBytes(folder + "empty.txt", "");
    ASSERT_TRUE(ZipFolder(folder, dir.File("a.zip")));
    TOpenFile file(dir.File("a.zip"));
    TUnpackedZip zip(file.Handle, dir.Path() + "/out/");
    // Empty files are not listed.
    ASSERT_EQ(Listed(zip), (std::vector<std::string>{dir.Path() + "/out/sub/one.txt"}));
    const std::string target = zip.GetString(0);
    EXPECT_TRUE(zip.ExtractEntry(target));
    EXPECT_EQ(TestSupport::ReadFileBytes(target), std::string(3000, 'q'));
    TestSupport::WriteFileBytes(target, "changed");
    EXPECT_TRUE(zip.ExtractEntry(target));  // already extracted: not written again
    EXPECT_EQ(TestSupport::ReadFileBytes(target), "changed");
    EXPECT_TRUE(zip.ExtractEntry(target, dir.File("copy.txt")));
    EXPECT_EQ(TestSupport::ReadFileBytes(dir.File("copy.txt")), std::string(3000, 'q'));
    EXPECT_FALSE(zip.ExtractEntry(dir.Path() + "/out/missing.txt"));
}

TEST(TUnpackedZipTest, ARunawayEntryIsRefused) {
    // A deflated entry that declares 1000 bytes while its data inflates to a
    // megabyte: extraction stops at the declared size and fails.
    TestSupport::TTempDir dir, src;
    TestSupport::WriteFileBytes(src.File("big"), std::string(1 << 20, 'z'));
    ASSERT_TRUE(ZipFolder(src.Path() + "/", dir.File("bomb.zip")));
    std::string bytes = TestSupport::ReadFileBytes(dir.File("bomb.zip"));
    const std::size_t central = bytes.find("PK\x01\x02");
    ASSERT_NE(central, std::string::npos);
    const std::uint32_t declared = 1000;
    std::memcpy(&bytes[central + 24], &declared, 4);
    TestSupport::WriteFileBytes(dir.File("bomb.zip"), bytes);
    TOpenFile file(dir.File("bomb.zip"));
    TUnpackedZip zip(file.Handle, dir.Path() + "/out/");
    ASSERT_EQ(zip.GetCount(), 1);
    EXPECT_FALSE(zip.ExtractEntry(zip.GetString(0)));
}

TEST(TUnpackedZipTest, ACommentHoldingTheEndSignatureIsNotTakenForTheEnd) {
    TestSupport::TTempDir dir, src;
    TestSupport::WriteFileBytes(src.File("a.txt"), "hello");
    ASSERT_TRUE(ZipFolder(src.Path() + "/", dir.File("c.zip")));
    std::string bytes = TestSupport::ReadFileBytes(dir.File("c.zip"));
    const std::string comment = std::string("PK\x05\x06", 4) + std::string(18, '\x01') + " trailing words";
    const auto length = static_cast<std::uint16_t>(comment.size());
    std::memcpy(&bytes[bytes.size() - 2], &length, 2);
    TestSupport::WriteFileBytes(dir.File("c.zip"), bytes + comment);
    TOpenFile file(dir.File("c.zip"));
    TUnpackedZip zip(file.Handle, "t/");
    EXPECT_EQ(Listed(zip), (std::vector<std::string>{"t/a.txt"}));
}

TEST(TUnpackedZipTest, NamesThatWouldLeaveTheTargetFolderAreNotListed) {
    struct Case {
        const char* name;  // four characters, in place of "a.tx" in both headers
        bool listed;
    };
    const Case cases[] = {
        {"../x", false},  {"/abs", false}, {"C:xx", false}, {"..\\x", false},
        {"\\abs", false}, {"a/..", false}, {"a..b", true},  {"a\\bc", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestSupport::TTempDir dir, src;
        TestSupport::WriteFileBytes(src.File("a.tx"), "hello");
        ASSERT_TRUE(ZipFolder(src.Path() + "/", dir.File("s.zip")));
        std::string bytes = TestSupport::ReadFileBytes(dir.File("s.zip"));
        for (std::size_t at = bytes.find("a.tx"); at != std::string::npos; at = bytes.find("a.tx", at + 4))
            bytes.replace(at, 4, c.name);
        TestSupport::WriteFileBytes(dir.File("s.zip"), bytes);
        TOpenFile file(dir.File("s.zip"));
        TUnpackedZip zip(file.Handle, dir.Path() + "/out/");
        EXPECT_EQ(zip.GetCount(), c.listed ? 1 : 0);
        for (std::int32_t i = 0; i < zip.GetCount(); ++i)
            EXPECT_EQ(zip.GetString(i).rfind(dir.Path() + "/out/", 0), 0u);
    }
}
