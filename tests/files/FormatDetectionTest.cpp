#include "files/opening/FormatDetection.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "files/CompoundFiles.h"
#include "platform/ByteReader.h"
#include "platform/Files.h"
#include "support/HostileZips.h"
#include "support/TestSupport.h"

namespace {

constexpr std::size_t kWindowSize = 65536;

// The file opened as the opening code opens it: the first window read, the
// position left behind it.
class TOpenedFile {
public:
    explicit TOpenedFile(const std::string& path) {
        File = Platform::OpenExistingFile(path, Platform::TFileAccess::Read);
        const std::int64_t size = Platform::SeekFile(File, 0, Platform::kSeekFromEnd);
        Platform::SeekFile(File, 0, Platform::kSeekFromStart);
        Window.resize(static_cast<std::size_t>(std::min<std::int64_t>(size, kWindowSize)));
        Platform::ReadFileBytes(File, Window.data(), static_cast<std::int64_t>(Window.size()));
        Probe.Window = Window;
        Probe.FileSize = size;
        Probe.File = File;
    }
    ~TOpenedFile() { Platform::CloseFile(File); }
    std::int64_t Position() const { return Platform::SeekFile(File, 0, Platform::kSeekFromCurrent); }

    Platform::TFileHandle File = Platform::kNoFile;
    std::vector<std::uint8_t> Window;
    TFormatProbe Probe;
};

std::string Zip(const std::vector<HostileZips::TEntry>& entries) {
    return HostileZips::Build(entries).Bytes;
}

std::string ContentTypes(const std::string& mainType) {
    return "<?xml version=\"1.0\"?><Types "
           "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"><Default Extension=\"xml\" "
           "ContentType=\"application/xml\"/><Override PartName=\"/word/document.xml\" ContentType=\"" +
           mainType + "\"/></Types>";
}

std::string WriteHeader(std::uint16_t ident, std::uint16_t tool, std::uint16_t pages, std::size_t size) {
    std::string s(size, '\0');
    if (size >= 98) {
        StoreU16LE(s.data(), ident);
        StoreU16LE(s.data() + 4, tool);
        StoreU16LE(s.data() + 96, pages);
    }
    return s;
}

const std::string kEncryptedSignature = "987D Ttcad";
const std::string kDocxMain = "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";
const std::string kDocxTemplate = "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml";
const std::string kOdt = "application/vnd.oasis.opendocument.text";

struct Case {
    const char* Name;
    std::string Bytes;
    std::int32_t Expected;
    // Further codes 0 to 5 whose own test the bytes pass, beyond Expected.
    std::set<std::int32_t> AlsoPasses = {};
};

std::vector<Case> Cases() {
    using CompoundFiles::Build;
    using CompoundFiles::FibBytes;
    using HostileZips::Deflated;
    using HostileZips::Stored;
    return {
        {"empty file", "", ffPlainText},
        {"five-byte RTF start", "{\\rtf", ffPlainText},
        {"six-byte RTF", "{\\rtf1", ffRtf},
        {"RTF control word in capitals", "{\\RTF1\\ansi}", ffPlainText},
        {"RTF after a space", " {\\rtf1\\ansi}", ffPlainText},
        {"RTF after a line end", "\r\n{\\rtf1\\ansi}", ffPlainText},
        {"RTF after a UTF-8 byte-order mark", "\xEF\xBB\xBF{\\rtf1\\ansi}", ffPlainText},
        {"encrypted, 58 bytes", kEncryptedSignature + std::string(48, 'x'), ffPlainText},
        {"encrypted, 59 bytes", kEncryptedSignature + std::string(49, 'x'), ffEncrypted},
        {"encrypted signature with one byte changed", "987D Ttcae" + std::string(100, 'x'), ffPlainText},
        {"Write, one page", WriteHeader(0xBE31, 0xAB00, 1, 128), ffWindowsWrite},
        {"Write with objects, three pages", WriteHeader(0xBE32, 0xAB00, 3, 384), ffWindowsWrite},
        {"Write, size not a multiple of 128", WriteHeader(0xBE31, 0xAB00, 2, 200), ffPlainText},
        {"Write, one byte past a page", WriteHeader(0xBE31, 0xAB00, 2, 257), ffPlainText},
        // Real Write files leave the page-count word 0.
        {"Write, page count word left 0", WriteHeader(0xBE31, 0xAB00, 0, 256), ffWindowsWrite},
        {"Write, wrong tool word", WriteHeader(0xBE31, 0xAB01, 2, 256), ffPlainText},
        {"Write, wrong identifier", WriteHeader(0xBE33, 0xAB00, 2, 256), ffPlainText},
        {"Word 97 document", Build(u"WordDocument", FibBytes(0xA5EC, 193, 4096)), ffWordDoc},
        {"Word 6 document", Build(u"WordDocument", FibBytes(0xA5DC, 101, 8192)), ffWordDoc},
        {"Word stream name in other letter case", Build(u"WORDDOCUMENT", FibBytes(0xA5EC, 193, 4096)), ffWordDoc},
        {"Word stream in the mini stream", Build(u"WordDocument", FibBytes(0xA5EC, 193, 2000)), ffWordDoc},
        {"Word version 100", Build(u"WordDocument", FibBytes(0xA5DC, 100, 4096)), ffPlainText},
        {"Word stream with a foreign identifier", Build(u"WordDocument", FibBytes(0xA5DB, 193, 4096)), ffPlainText},
        {"Word stream shorter than its information block", Build(u"WordDocument", FibBytes(0xA5EC, 193, 1000)),
         ffPlainText},
        // Only an embedded object holds a WordDocument stream.
        {"compound file without a Word stream in its root", Build(u"Workbook", FibBytes(0xA5EC, 193, 4096)),
         ffPlainText},
        {"compound file cut after its header", Build(u"WordDocument", FibBytes(0xA5EC, 193, 4096)).substr(0, 700),
         ffPlainText},
        {"compound signature alone", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8), ffPlainText},
        {"DOCX", Zip({Stored("[Content_Types].xml", ContentTypes(kDocxMain))}), ffDocx},
        {"DOCX, deflated content types", Zip({Deflated("[Content_Types].xml", ContentTypes(kDocxMain))}), ffDocx},
        {"DOCX template", Zip({Deflated("[Content_Types].xml", ContentTypes(kDocxTemplate))}), ffDocx},
        {"spreadsheet package",
         Zip({Stored("[Content_Types].xml",
                     ContentTypes("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"))}),
         ffPlainText},
        {"content types only under a name that leaves the folder",
         Zip({Stored("../[Content_Types].xml", ContentTypes(kDocxMain))}), ffPlainText},
        {"content types that inflate past the detection limit",
         Zip({HostileZips::DeflatedZeros("[Content_Types].xml", std::uint64_t{20} << 20)}), ffPlainText},
        {"content types whose data does not match its checksum",
         [] {
             HostileZips::TEntry e = Stored("[Content_Types].xml", ContentTypes(kDocxMain));
             e.Crc ^= 1;
             return Zip({e});
         }(),
         ffPlainText},
        {"ODT", Zip({Stored("mimetype", kOdt), Deflated("content.xml", "<office:document-content/>")}), ffOdt},
        {"ODT mimetype with a line end", Zip({Stored("mimetype", kOdt + "\n")}), ffPlainText},
        {"ODF spreadsheet", Zip({Stored("mimetype", "application/vnd.oasis.opendocument.spreadsheet")}), ffPlainText},
        {"EPUB", Zip({Stored("mimetype", "application/epub+zip"), Deflated("OEBPS/content.opf", "<package/>")}),
         ffPlainText},
        // Both probes share the one package; ODT is tried first.
        {"package that is both ODT and DOCX",
         Zip({Stored("mimetype", kOdt), Stored("[Content_Types].xml", ContentTypes(kDocxMain))}),
         ffOdt,
         {ffDocx}},
        {"ZIP signature on damaged bytes", std::string("PK\x03\x04", 4) + std::string(200, '\x7F'), ffPlainText},
        {"HTML", "<!DOCTYPE html>\n<html><body><p>Hello</p></body></html>\n", ffPlainText},
        {"plain text", "Dear reader,\r\nthis is text.\r\n", ffPlainText},
    };
}

TEST(FormatDetectionTest, DetectsEachFormatFromItsFirstBytesAndFile) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.Name);
        TestSupport::TTempDir dir;
        const std::string path = dir.File("document");
        TestSupport::WriteFileBytes(path, c.Bytes);

        TOpenedFile file(path);
        const std::int64_t windowEnd = file.Position();
        EXPECT_EQ(DetectFileFormat(file.Probe), c.Expected);
        // The file stands where the window ends, for the readers' next fill.
        EXPECT_EQ(file.Position(), windowEnd);
        if (c.Expected == ffWindowsWrite || c.Expected == ffEncrypted) {
            EXPECT_FALSE(file.Probe.ZipProbed);
            EXPECT_EQ(file.Probe.DocProbe, 0);
        }
        if (c.Expected == ffWordDoc) {
            EXPECT_EQ(file.Probe.DocProbe, 1);
            ASSERT_NE(file.Probe.Storage, nullptr);
            EXPECT_GE(file.Probe.Stream, 0);
        }
        if (c.Expected == ffDocx || c.Expected == ffOdt) {
            EXPECT_NE(file.Probe.Zip, nullptr);
        }
        // Nothing was unpacked: the folder holds the document alone.
        const auto inFolder =
            std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator());
        EXPECT_EQ(inFolder, 1);
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(dir.Path()).parent_path() / "[Content_Types].xml"));
    }
}

TEST(FormatDetectionTest, EachCodeTestsOnlyItsOwnFormat) {
    const std::vector<std::int32_t> alwaysPass = {ffPlainText, 7, 100, ffHtml, -1};
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.Name);
        TestSupport::TTempDir dir;
        const std::string path = dir.File("document");
        TestSupport::WriteFileBytes(path, c.Bytes);
        for (std::int32_t code = ffRtf; code <= ffWindowsWrite; ++code) {
            SCOPED_TRACE(FormatDisplayName(code));
            TOpenedFile file(path);  // each test on a fresh probe, as when a caller names the format
            const bool passes = code == c.Expected || c.AlsoPasses.count(code) != 0;
            EXPECT_EQ(IsFileOfFormat(code, file.Probe), passes);
        }
        TOpenedFile file(path);
        for (const std::int32_t code : alwaysPass) {
            SCOPED_TRACE(code);
            EXPECT_TRUE(IsFileOfFormat(code, file.Probe));
        }
    }
}

TEST(FormatDetectionTest, ProbesRunOncePerLoadAndKeepWhatTheyOpened) {
    TestSupport::TTempDir dir;
    const std::string path = dir.File("document");
    TestSupport::WriteFileBytes(path, Zip({HostileZips::Stored("mimetype", kOdt)}));
    TOpenedFile file(path);
    ASSERT_TRUE(IsOdtPackage(file.Probe));
    TUnpackedZip* const package = file.Probe.Zip.get();
    // Replacing the file does not matter any more: the package is kept.
    TestSupport::WriteFileBytes(path, "plain");
    EXPECT_TRUE(IsOdtPackage(file.Probe));
    EXPECT_EQ(file.Probe.Zip.get(), package);
    EXPECT_FALSE(IsDocxPackage(file.Probe));

    // A failed Word probe is not tried again either.
    TFormatProbe probe;
    EXPECT_FALSE(IsWordDocFile(probe));
    EXPECT_EQ(probe.DocProbe, 2);
    probe.DocProbe = 1;
    EXPECT_TRUE(IsWordDocFile(probe));
}

TEST(FormatDetectionTest, MemoryBlocksAreTestedOnTheirOwnBytes) {
    struct MemoryCase {
        const char* Name;
        std::string Bytes;
        std::int32_t Format;
        bool Passes;
    };
    const std::vector<MemoryCase> cases = {
        {"RTF block", "{\\rtf1 x}", ffRtf, true},
        {"five-byte RTF block", "{\\rtf", ffRtf, false},
        {"Word document block", CompoundFiles::Build(u"WordDocument", CompoundFiles::FibBytes(0xA5EC, 193, 4096)),
         ffWordDoc, true},
        {"Word document block in the mini stream",
         CompoundFiles::Build(u"WordDocument", CompoundFiles::FibBytes(0xA5EC, 193, 1600)), ffWordDoc, true},
        // A package is read from files only.
        {"DOCX block", Zip({HostileZips::Stored("[Content_Types].xml", ContentTypes(kDocxMain))}), ffDocx, false},
    };
    for (const MemoryCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TFormatProbe probe;
        probe.Source = osMemory;
        probe.Window =
            std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(c.Bytes.data()), c.Bytes.size());
        probe.FileSize = static_cast<std::int64_t>(c.Bytes.size());
        EXPECT_EQ(IsFileOfFormat(c.Format, probe), c.Passes);
    }
}

TEST(FormatDetectionTest, NamesFormatsForMessages) {
    EXPECT_EQ(FormatDisplayName(ffRtf), "Rich Text Format");
    EXPECT_EQ(FormatDisplayName(ffOdt), "OpenDocument ODF");
    EXPECT_EQ(FormatDisplayName(ffPlainText), "Plain Text");
    EXPECT_EQ(FormatDisplayName(ffHtml), "");
    EXPECT_EQ(WordprocessingMLContentType("document.main"), kDocxMain);
}

// Every document of the shared corpus comes out as its kind. HTML is only
// ever read from memory and EPUB is not read at all, so files of both load
// as text; a few files are listed with what they really are.
TEST(FormatDetectionTest, CorpusDocumentsAreDetectedAsTheirKind) {
    const std::string root = REZ_CORPUS_DIR;
    if (!std::filesystem::is_directory(root))
        GTEST_SKIP() << "no corpus at " << root;
    const std::map<std::string, std::int32_t> folders = {
        {"rtf", ffRtf}, {"doc6", ffWordDoc},     {"doc97", ffWordDoc},  {"docx", ffDocx},
        {"odt", ffOdt}, {"wri", ffWindowsWrite}, {"html", ffPlainText}, {"epub", ffPlainText},
    };
    const std::map<std::string, std::int32_t> exceptions = {
        // Text before the opening brace.
        {"rtfpipe__RtfParserTest_fail_0.rtf", ffPlainText},
        // Word 2 wrote no compound file.
        {"poi__word2.doc", ffPlainText},
        // Its information block opens with 0xA699, an identifier of no Word version read here.
        {"poi__Bug51944.doc", ffPlainText},
        // A fuzzed archive cut short before its central directory.
        {"poi__clusterfuzz-testcase-minimized-POIXWPFFuzzer-5166796835258368.docx", ffPlainText},
    };
    for (const auto& [folder, expected] : folders) {
        const std::filesystem::path path = std::filesystem::path(root) / folder;
        if (!std::filesystem::is_directory(path))
            continue;
        for (const auto& item : std::filesystem::directory_iterator(path)) {
            const std::string name = item.path().filename().string();
            SCOPED_TRACE(folder + "/" + name);
            const auto exception = exceptions.find(name);
            TOpenedFile file(item.path().string());
            EXPECT_EQ(DetectFileFormat(file.Probe), exception != exceptions.end() ? exception->second : expected);
        }
    }
}

}  // namespace
