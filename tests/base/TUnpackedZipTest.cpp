#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>

#include "base/files/TUnpackedZip.h"
#include "base/files/TZipFile.h"
#include "platform/Files.h"
#include "support/HostileZips.h"
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

// An archive made by the test, opened from a file of its own.
class TArchiveFile {
public:
    explicit TArchiveFile(const std::string& bytes) : Path(Write(Dir, bytes)), File(Path), Zip(File.Handle, "t/") {}

    TestSupport::TTempDir Dir;
    std::string Path;
    TOpenFile File;
    TUnpackedZip Zip;

private:
    static std::string Write(TestSupport::TTempDir& dir, const std::string& bytes) {
        TestSupport::WriteFileBytes(dir.File("a.zip"), bytes);
        return dir.File("a.zip");
    }
};

std::string Text(const std::vector<std::uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
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
        // Names are taken from the central directory, which says "../xt",
        // "/atxt" and "C:/xt" where the local headers say a.txt: an entry
        // whose two names disagree is refused, and would not have been
        // listed under the unsafe name either.
        {"zip/yauzl__fail__invalid_relative_path_xt.zip", {"t/b.txt"}},
        {"zip/yauzl__fail__absolute_path_atxt.zip", {"t/b.txt"}},
        {"zip/yauzl__fail__absolute_path_C_xt.zip", {"t/b.txt"}},
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

// A table of damaged archives: what is listed, and the reason and offset of
// the first byte refused. The archive holds "a.txt" (stored) and "b.txt"
// (deflated), and each case spoils one field.
TEST(TUnpackedZipTest, DamagedArchivesNameTheFirstByteRefused) {
    using HostileZips::TArchive;
    const TArchive good = HostileZips::Build(
        {HostileZips::Stored("a.txt", "first"), HostileZips::Deflated("b.txt", std::string(1000, 'b'))});
    const std::size_t size = good.Bytes.size(), end = good.EndAt;
    const std::size_t c0 = good.CentralAt[0], c1 = good.CentralAt[1], l0 = good.LocalAt[0], l1 = good.LocalAt[1];
    auto set16 = [](std::size_t at, std::uint16_t v) { return [=](std::string& b) { StoreU16LE(&b[at], v); }; };
    auto set32 = [](std::size_t at, std::uint32_t v) { return [=](std::string& b) { StoreU32LE(&b[at], v); }; };
    struct Case {
        const char* what;
        std::function<void(std::string&)> spoil;
        std::vector<std::string> listed;
        std::string reason;
        std::size_t offset;
    };
    const Case cases[] = {
        {"whole", [](std::string&) {}, {"t/a.txt", "t/b.txt"}, "", 0},
        {"not an archive", [](std::string& b) { b[0] = 'X'; }, {}, "no local header at the start", 0},
        {"no end record", [&](std::string& b) { b.resize(end); }, {}, "no end of central directory record", end},
        {"a ZIP whose central directory points past the end",
         set32(end + 16, static_cast<std::uint32_t>(size + 100)),
         {},
         "central directory starts past the end record",
         end + 16},
        {"ZIP64 locator before the end record",
         set32(end - 20, 0x07064B50),
         {},
         "ZIP64 archives are not read",
         end - 20},
        {"more entries counted than recorded",
         set16(end + 10, 3),
         {"t/a.txt", "t/b.txt"},
         "central directory ends before its last record",
         end},
        {"second record without its signature",
         set32(c1, 0x02014B51),
         {"t/a.txt"},
         "no central directory record signature",
         c1},
        {"name running past the directory",
         set16(c1 + 28, 0xFFFF),
         {"t/a.txt"},
         "central directory record runs past the directory",
         c1 + 46},
        {"encrypted", set16(c0 + 8, 1), {}, "encrypted entries are not read", c0 + 8},
        {"bzip2", set16(c1 + 10, 12), {"t/a.txt"}, "compression method is neither stored nor deflated", c1 + 10},
        {"ZIP64 entry", set32(c0 + 20, 0xFFFFFFFF), {}, "ZIP64 entries are not read", c0 + 20},
        {"local header past the end",
         set32(c1 + 42, 0x7FFFFFF0),
         {"t/a.txt"},
         "local header lies past the end",
         c1 + 42},
        {"no local signature", set32(l1, 0x04034B51), {"t/a.txt"}, "no local header signature", l1},
        {"data past the end", set32(c1 + 20, 0x00FFFFFF), {"t/a.txt"}, "entry data runs past the end", l1 + 30},
        {"second record at the first local header",
         set32(c1 + 42, static_cast<std::uint32_t>(l0)),
         {"t/a.txt"},
         "entry overlaps another entry or the central directory",
         l0},
        {"local header inside the directory",
         set32(c1 + 42, static_cast<std::uint32_t>(c0)),
         {"t/a.txt"},
         "no local header signature",
         c0},
        {"local name differs",
         [&](std::string& b) { b[l1 + 30] = 'c'; },
         {"t/a.txt"},
         "local header names another file",
         l1 + 30},
        {"same name in another case",
         [&](std::string& b) {
             b[l1 + 30] = 'A';
             b[c1 + 46] = 'A';
         },
         {"t/a.txt"},
         "name is listed already",
         c1 + 46},
        {"stored sizes that differ",
         set32(c0 + 24, 6),
         {"t/b.txt"},
         "entry claims more than its data can hold",
         c0 + 24},
        {"deflated past 1032 to 1",
         set32(c1 + 24, 100000000),
         {"t/a.txt"},
         "entry claims more than its data can hold",
         c1 + 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bytes = good.Bytes;
        c.spoil(bytes);
        TArchiveFile archive(bytes);
        EXPECT_EQ(Listed(archive.Zip), c.listed);
        EXPECT_EQ(archive.Zip.Result.Good, c.reason.empty());
        EXPECT_EQ(archive.Zip.Result.Reason, c.reason);
        if (!c.reason.empty()) {
            EXPECT_EQ(archive.Zip.Result.Offset, c.offset);
        }
        // What is listed reads whole.
        for (std::int32_t i = 0; i < archive.Zip.GetCount(); ++i) {
            std::vector<std::uint8_t> bytesOut;
            EXPECT_TRUE(archive.Zip.ReadEntryAt(i, bytesOut)) << archive.Zip.GetString(i);
        }
    }
}

// Entry data is whole only when it inflates to exactly its recorded size
// and CRC; anything else reads as nothing at all.
TEST(TUnpackedZipTest, EntryDataMustInflateToItsSizeAndCrc) {
    const std::string text = HostileZips::Noise(3000, 3) + std::string(5000, 'x');
    using HostileZips::TEntry;
    auto deflated = [&] { return HostileZips::Deflated("e.bin", text); };
    struct Case {
        const char* what;
        TEntry entry;
        bool whole;
    };
    TEntry wrongCrc = deflated(), storedWrongCrc = HostileZips::Stored("e.bin", text), longer = deflated(),
           shorter = deflated(), endless = deflated(), cut = deflated();
    wrongCrc.Crc ^= 1;
    storedWrongCrc.Crc ^= 0x80000000;
    longer.Size += 1;   // the data ends before the size is reached
    shorter.Size -= 1;  // the data goes on past the size
    // All of the data, but the last block never says it is the last.
    endless.Data = HostileZips::Deflate(text, 9, Z_SYNC_FLUSH);
    cut.Data.resize(cut.Data.size() / 2);
    const Case cases[] = {
        {"deflated", deflated(), true},
        {"stored", HostileZips::Stored("e.bin", text), true},
        {"deflated, wrong CRC", wrongCrc, false},
        {"stored, wrong CRC", storedWrongCrc, false},
        {"size one more than the data", longer, false},
        {"size one less than the data", shorter, false},
        {"no final block", endless, false},
        {"cut in half", cut, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TArchiveFile archive(HostileZips::Build({c.entry}).Bytes);
        ASSERT_EQ(archive.Zip.GetCount(), 1);
        std::vector<std::uint8_t> out{1, 2, 3};
        EXPECT_EQ(archive.Zip.ReadEntry("t/e.bin", out), c.whole);
        EXPECT_EQ(Text(out), c.whole ? text : std::string());
        EXPECT_FALSE(archive.Zip.ExtractEntry("t/e.bin", archive.Dir.File("e.bin")) && !c.whole);
        EXPECT_EQ(std::filesystem::exists(archive.Dir.File("e.bin")), c.whole);
    }
}

// The hostile archives met so far, made here at their real size: each is
// refused, or listed and read with a result bounded by what the archive
// really holds (and never beyond the reader's limit). Nothing recurses into
// archives inside archives: the entries of the nested one read as the zips
// they are.
TEST(TUnpackedZipTest, HostileArchivesAreRefusedOrReadWithinBounds) {
    constexpr std::uint64_t kMiB = 1 << 20;
    struct Case {
        const char* what;
        std::function<std::string()> make;
        std::int32_t listed;
        std::string reason;
        bool readsWhole;         // every listed entry reads
        std::uint64_t mostRead;  // bytes that reading every listed entry may give
        bool read = true;
    };
    const std::string overlap = "entry overlaps another entry or the central directory";
    const std::string limit = "archive expands past the limit";
    const Case cases[] = {
        {"4 MB declaring nearly 4 GiB", [] { return HostileZips::HugeDeclaredSize(0xFFFFFFF0); }, 0, limit, true, 0},
        {"4 MB declaring a billion bytes", [] { return HostileZips::HugeDeclaredSize(1000000000); }, 1, "", false, 0},
        {"300 names sharing one 8 MiB payload", [] { return HostileZips::SharedLocalHeader(300, 8 * kMiB, false); }, 1,
         overlap, true, 8 * kMiB},
        {"65,535 central records at one local header",
         [] { return HostileZips::SharedLocalHeader(65535, 64 * 1024, true); }, 1, overlap, true, 64 * 1024},
        {"two central names over local headers that both say test1.txt", [] { return HostileZips::DuplicateNames(); },
         1, "local header names another file", true, 10},
        {"zips within zips", [] { return HostileZips::Nested(3, 16, 64 * kMiB); }, 16, "", true, 64 * kMiB},
        {"2 GiB of zeros", [] { return HostileZips::Zeros(2048 * kMiB, 0x80000000u); }, 0, limit, true, 0},
        {"2 GiB of zeros declaring 1 MiB", [] { return HostileZips::Zeros(2048 * kMiB, 1 << 20); }, 1, "", false, 0},
        {"three entries of 400 MiB",
         [] {
             std::vector<HostileZips::TEntry> entries;
             for (const char* name : {"1.bin", "2.bin", "3.bin"})
                 entries.push_back(HostileZips::DeflatedZeros(name, 400 * kMiB));
             return HostileZips::Build(entries).Bytes;
         },
         2, limit, true, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TArchiveFile archive(c.make());
        TUnpackedZip& zip = archive.Zip;
        EXPECT_EQ(zip.GetCount(), c.listed);
        EXPECT_EQ(zip.Result.Reason, c.reason);
        if (!c.read)
            continue;
        std::uint64_t read = 0;
        for (std::int32_t i = 0; i < zip.GetCount(); ++i) {
            std::vector<std::uint8_t> bytes;
            EXPECT_EQ(zip.ReadEntryAt(i, bytes), c.readsWhole) << zip.GetString(i);
            read += bytes.size();
            if (zip.GetString(i).ends_with(".zip")) {
                EXPECT_EQ(Text(bytes).substr(0, 4), "PK\x03\x04");
            }
        }
        EXPECT_LE(read, c.mostRead);
    }
}

// A name listed once reads its own bytes, however the central directory and
// the local headers try to confuse the two.
TEST(TUnpackedZipTest, EachListedNameReadsItsOwnEntry) {
    TArchiveFile archive(HostileZips::DuplicateNames());
    ASSERT_EQ(Listed(archive.Zip), (std::vector<std::string>{"t/test1.txt"}));
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(archive.Zip.ReadEntry("t/test1.txt", bytes));
    EXPECT_EQ(Text(bytes), "first file");
    EXPECT_FALSE(archive.Zip.ReadEntry("t/test2.txt", bytes));
    EXPECT_TRUE(bytes.empty());
}

// Names without the UTF-8 flag are read in the code page of the system that
// made the archive, as unzip reads them.
TEST(TUnpackedZipTest, NamesFollowTheSystemThatMadeTheArchive) {
    struct Case {
        const char* what;
        std::uint16_t madeBy;
        std::uint16_t flags;
        std::string raw;
        std::string listed;
    };
    const std::string cafe = "t/caf\xC3\xA9.txt";
    const Case cases[] = {
        {"MS-DOS, code page 437", 0x0014, 0, "caf\x82.txt", cafe},
        {"MS-DOS takes UTF-8 bytes as code page 437", 0x0014, 0, "caf\xC3\xA9.txt",
         "t/caf\xE2\x94\x9C\xE2\x8C\x90.txt"},
        {"Windows NTFS, code page 437", 0x0B3F, 0, "caf\x82.txt", cafe},
        {"Unix, UTF-8", 0x031E, 0, "caf\xC3\xA9.txt", cafe},
        {"Unix, not UTF-8: code page 437", 0x031E, 0, "caf\x82.txt", cafe},
        {"Mac OS X, UTF-8", 0x1314, 0, "caf\xC3\xA9.txt", cafe},
        {"flagged UTF-8 from MS-DOS", 0x0014, 0x0800, "caf\xC3\xA9.txt", cafe},
        {"ASCII", 0x0014, 0, "cafe.txt", "t/cafe.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HostileZips::TEntry e = HostileZips::Stored(c.raw, "x");
        e.MadeBy = c.madeBy;
        e.Flags = c.flags;
        TArchiveFile archive(HostileZips::Build({e}).Bytes);
        EXPECT_EQ(Listed(archive.Zip), std::vector<std::string>{c.listed});
    }
}

TEST(TUnpackedZipTest, NamesWrittenByZipOnLinuxReadAsUnzipShowsThem) {
    TestSupport::TTempDir dir;
    TestSupport::WriteFileBytes(dir.File("caf\xC3\xA9.txt"), "bonjour");
    int status = -1;
    TestSupport::RunCommand("cd '" + dir.Path() + "' && zip -q -X u.zip 'caf\xC3\xA9.txt' 2>&1", &status);
    ASSERT_EQ(status, 0);
    TOpenFile file(dir.File("u.zip"));
    TUnpackedZip zip(file.Handle, "t/");
    ASSERT_EQ(Listed(zip), std::vector<std::string>{"t/caf\xC3\xA9.txt"});
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(zip.ReadEntry("t/caf\xC3\xA9.txt", bytes));
    EXPECT_EQ(Text(bytes), "bonjour");
}
