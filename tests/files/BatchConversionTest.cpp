#include "files/saving/BatchConversion.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "DocumentDump.h"
#include "FontManagerScope.h"
#include "TabManagerScope.h"
#include "files/encryption/EncryptedFiles.h"
#include "files/opening/OpenDocument.h"
#include "files/output/SaveOutput.h"
#include "model/document/TDoc.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using TestSupport::TScriptedMessageBoxes;
using TestSupport::TTempDir;

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A source tree: documents at the top, in a subfolder and in a hidden
// folder, a document of another type, and one damaged document in the
// middle of the list.
class BatchConversionTest : public ::testing::Test {
protected:
    void SetUp() override {
        fonts.emplace();
        Source = dir.File("source");
        Dest = dir.File("dest");
        WriteFileBytes(Source + "/a.rtf", "{\\rtf1\\ansi Alpha\\par}");
        WriteFileBytes(Source + "/b-damaged.rtf", Damaged());
        WriteFileBytes(Source + "/c.rtf", "{\\rtf1\\ansi Gamma \\b bold\\b0\\par}");
        WriteFileBytes(Source + "/sub/d.RTF", "{\\rtf1\\ansi Delta\\par}");
        WriteFileBytes(Source + "/sub/e.rtfx", "{\\rtf1\\ansi not taken\\par}");
        WriteFileBytes(Source + "/.hidden/f.rtf", "{\\rtf1\\ansi hidden\\par}");
    }
    void TearDown() override {
        SetOpeningPasswordPrompt(nullptr);
        fonts.reset();
    }

    // An encrypted document whose body was damaged: no password opens it.
    static std::string Damaged() {
        const std::string rtf = "{\\rtf1\\ansi Beta\\par}";
        std::vector<std::uint8_t> file =
            EncryptDocument({reinterpret_cast<const std::uint8_t*>(rtf.data()), rtf.size()}, "pw");
        file[44] ^= 0x10;
        return {file.begin(), file.end()};
    }

    TBatchConversionOptions Options(std::int32_t format) const {
        TBatchConversionOptions options;
        options.SourceFolder = Source;
        options.DestFolder = Dest;
        options.Extensions = {"rtf"};
        options.IncludeSubfolders = true;
        options.Format = format;
        return options;
    }

    TTempDir dir;
    std::string Source;
    std::string Dest;

private:
    TTabManagerScope tabs;
    std::optional<TFontManagerScope> fonts;
};

std::unique_ptr<TDoc> Open(const std::string& path) {
    auto doc = std::make_unique<TDoc>(true);
    doc->TakesParEndMarks = 1;
    TDocOpeningOptions options;
    options.Source = osFile;
    options.Format = 0xFFFF;
    options.FileName = path;
    options.OpenReadOnly = true;
    if (!OpenDocument(*doc, options))
        return nullptr;
    return doc;
}

TEST_F(BatchConversionTest, CollectsTheTreeSubfoldersFirstWithoutHiddenFolders) {
    EXPECT_EQ(CollectBatchFiles(Source, {"rtf"}, true),
              (std::vector<std::string>{Source + "/a.rtf", Source + "/b-damaged.rtf", Source + "/c.rtf",
                                        Source + "/sub/d.RTF"}));
    EXPECT_EQ(CollectBatchFiles(Source, {"rtf"}, false),
              (std::vector<std::string>{Source + "/a.rtf", Source + "/b-damaged.rtf", Source + "/c.rtf"}));
    EXPECT_TRUE(CollectBatchFiles(Source, {"rt"}, true).empty());
    EXPECT_TRUE(CollectBatchFiles(dir.File("missing"), {"rtf"}, true).empty());
}

// The damaged file is reported and the files after it are still converted,
// in every target format, mirroring the tree.
TEST_F(BatchConversionTest, ADamagedFileIsReportedAndTheBatchGoesOn) {
    struct Case {
        const char* Name;
        std::int32_t Format;
        const char* Extension;
    };
    const Case cases[] = {{"RTF", sfmtRtf, ".rtf"}, {"TXT", sfmtText, ".txt"}, {"COD", sfmtEncrypted, ".cod"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        fs::remove_all(Dest);
        TBatchConversionOptions options = Options(c.Format);
        int asked = 0;
        options.AskPassword = [&asked](std::string& password) {
            ++asked;
            password = "batch";
            return true;
        };
        // The damaged file fails its check even with the right password;
        // the question that follows is answered No.
        SetOpeningPasswordPrompt([](const std::string&, std::string& password) {
            password = "pw";
            return true;
        });
        TScriptedMessageBoxes boxes({mrNo});
        const TBatchConversionReport report = RunBatchConversion(options);
        ASSERT_EQ(report.Files.size(), 4u);
        EXPECT_EQ(report.Files[1].Outcome, boUnreadable);
        EXPECT_EQ(report.Count(boConverted), 3);
        EXPECT_EQ(asked, c.Format == sfmtEncrypted ? 1 : 0);
        EXPECT_EQ(boxes.Shown().size(), 1u);
        for (const char* name : {"a", "c", "sub/d"})
            EXPECT_TRUE(fs::is_regular_file(Dest + "/" + name + c.Extension)) << name;
        EXPECT_FALSE(fs::exists(Dest + "/b-damaged" + std::string(c.Extension)));
        EXPECT_FALSE(fs::exists(Dest + "/.hidden"));
        if (c.Format == sfmtText) {
            EXPECT_EQ(ReadFileBytes(Dest + "/c.txt"), "\xEF\xBB\xBFGamma bold\r\n");
        } else {
            SetOpeningPasswordPrompt([](const std::string&, std::string& password) {
                password = "batch";
                return true;
            });
            std::unique_ptr<TDoc> converted = Open(Dest + "/c" + c.Extension);
            std::unique_ptr<TDoc> original = Open(Source + "/c.rtf");
            ASSERT_NE(converted, nullptr);
            ASSERT_NE(original, nullptr);
            EXPECT_EQ(DumpDocumentModel(*converted), DumpDocumentModel(*original));
        }
    }
}

// Converting into the source folder in the source's own format would write
// over the sources: each is reported and stays byte for byte; a target
// that is no source is still written.
TEST_F(BatchConversionTest, SourcesAreNeverWrittenOver) {
    const std::string alpha = ReadFileBytes(Source + "/a.rtf");
    const std::string delta = ReadFileBytes(Source + "/sub/d.RTF");
    WriteFileBytes(Source + "/a.txt", "Old text");
    TBatchConversionOptions options = Options(sfmtRtf);
    options.DestFolder = Source + "/";
    options.Extensions = {"rtf", "txt"};
    TScriptedMessageBoxes boxes;
    const TBatchConversionReport report = RunBatchConversion(options);
    ASSERT_EQ(report.Files.size(), 5u);
    // a.txt would become a.rtf, itself a source.
    EXPECT_EQ(report.Count(boWouldOverwrite), 4);
    EXPECT_EQ(report.Count(boUnreadable), 0);
    EXPECT_EQ(ReadFileBytes(Source + "/a.rtf"), alpha);
    EXPECT_EQ(ReadFileBytes(Source + "/sub/d.RTF"), delta);
    EXPECT_EQ(ReadFileBytes(Source + "/a.txt"), "Old text");
    EXPECT_EQ(boxes.Shown().size(), 4u);
}

// A file deleted after the list was made is skipped and still counted.
TEST_F(BatchConversionTest, AFileGoneSinceTheListWasMadeIsSkipped) {
    TBatchConversionOptions options = Options(sfmtText);
    options.Extensions = {"rtf"};
    std::vector<std::int32_t> numbers;
    options.Progress = [&](std::int32_t number, std::int32_t count, const std::string&) {
        numbers.push_back(number);
        EXPECT_EQ(count, 4);
        if (number == 1)
            fs::remove(Source + "/c.rtf");
    };
    TScriptedMessageBoxes boxes({mrNo});
    const TBatchConversionReport report = RunBatchConversion(options);
    ASSERT_EQ(report.Files.size(), 4u);
    EXPECT_EQ(report.Files[2].Outcome, boVanished);
    EXPECT_EQ(numbers, (std::vector<std::int32_t>{1, 2, 4}));
    EXPECT_TRUE(fs::exists(Dest + "/sub/d.txt"));
}

TEST_F(BatchConversionTest, CancellingThePasswordConvertsNothing) {
    TBatchConversionOptions options = Options(sfmtEncrypted);
    options.AskPassword = [](std::string&) { return false; };
    const TBatchConversionReport report = RunBatchConversion(options);
    EXPECT_TRUE(report.Cancelled);
    EXPECT_TRUE(report.Files.empty());
    EXPECT_FALSE(fs::exists(Dest));
}

}  // namespace
