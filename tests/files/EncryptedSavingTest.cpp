// Saving through the dispatcher in the formats whose writers sit beside the
// RTF writer: the encrypted format (enciphered RTF) and plain text.

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "DocumentDump.h"
#include "FontManagerScope.h"
#include "SaveTestSupport.h"
#include "TabManagerScope.h"
#include "base/core/TMemory.h"
#include "files/encryption/EncryptedFiles.h"
#include "files/encryption/TEncryptionManager.h"
#include "files/opening/OpenDocument.h"
#include "files/saving/SaveToFormat.h"
#include "files/text/PlainTextWriter.h"
#include "model/document/TDoc.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using TestSupport::TScriptedMessageBoxes;
using TestSupport::TTempDir;

class EncryptedSavingTest : public ::testing::Test {
protected:
    void SetUp() override { fonts.emplace(); }
    void TearDown() override {
        SetOpeningPasswordPrompt(nullptr);
        fonts.reset();
    }

private:
    TTabManagerScope tabs;
    std::optional<TFontManagerScope> fonts;
};

void AnswerPasswords(std::string password) {
    SetOpeningPasswordPrompt([password](const std::string&, std::string& answer) {
        answer = password;
        return true;
    });
}

std::unique_ptr<TDoc> OpenFile(const std::string& path, std::int32_t format = 0xFFFF) {
    auto doc = std::make_unique<TDoc>(true);
    doc->TakesParEndMarks = 1;
    TDocOpeningOptions options;
    options.Source = osFile;
    options.Format = format;
    options.FileName = path;
    options.OpenReadOnly = true;
    if (!OpenDocument(*doc, options))
        return nullptr;
    return doc;
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string SaveEncrypted(TDoc& doc, int& result) {
    TStringSink sink;
    TDocSavingOptions options;
    options.Flags = svCopy;
    options.Format = sfmtEncrypted;
    result = SaveToFormatStream(doc, options, sink);
    return sink.Bytes;
}

// Every corpus document saved encrypted opens, with its password, to the
// model of the plain file; the saved file never holds the RTF in clear.
TEST_F(EncryptedSavingTest, CorpusDocumentsOpenWithThePasswordAsTheyWereSaved) {
    const std::vector<fs::path> files = CorpusRtfFiles();
    if (files.empty())
        GTEST_SKIP() << "no corpus";
    TTempDir dir;
    const std::string target = dir.File("saved.cod");
    AnswerPasswords("corpus secret");
    for (const fs::path& path : files) {
        const std::string name = path.filename().string();
        // The encrypted body is the RTF: what cannot survive that cannot
        // survive this either.
        if (RtfRoundTripPins.count(name) != 0)
            continue;
        SCOPED_TRACE(name);
        std::unique_ptr<TDoc> plain = OpenFile(path.string());
        ASSERT_NE(plain, nullptr);
        plain->Password = EncryptionManager().ProtectString("corpus secret");
        int result = srFailed;
        const std::string saved = SaveEncrypted(*plain, result);
        ASSERT_EQ(result, srSaved);
        EXPECT_TRUE(LooksEncrypted({reinterpret_cast<const std::uint8_t*>(saved.data()), saved.size()}));
        EXPECT_EQ(saved.find("{\\rtf"), std::string::npos);
        WriteFileBytes(target, saved);
        std::unique_ptr<TDoc> again = OpenFile(target);
        ASSERT_NE(again, nullptr);
        EXPECT_EQ(again->FormatCode, ffEncrypted);
        EXPECT_TRUE(DumpDocumentModel(*plain) == DumpDocumentModel(*again));
    }
}

// A saved file with any part damaged, or opened with another password,
// gives no document; a document without a password is not saved at all.
TEST_F(EncryptedSavingTest, TamperedFilesAndMissingPasswordsAreRefused) {
    TTempDir dir;
    const std::string source = dir.File("source.rtf");
    WriteFileBytes(source, "{\\rtf1\\ansi Secret text\\par Second line\\par}");
    std::unique_ptr<TDoc> doc = OpenFile(source);
    ASSERT_NE(doc, nullptr);
    {
        TScriptedMessageBoxes boxes;
        int result = srSaved;
        SaveEncrypted(*doc, result);
        EXPECT_EQ(result, srFailed);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_NE(boxes.Shown()[0].Text.find("no password"), std::string::npos);
    }
    doc->Password = EncryptionManager().ProtectString("Right");
    int result = srFailed;
    const std::string good = SaveEncrypted(*doc, result);
    ASSERT_EQ(result, srSaved);
    struct Case {
        const char* Name;
        std::size_t At;  // the byte flipped; npos: none
        const char* Password;
        bool Opens;
    };
    const Case cases[] = {
        {"untouched", std::string::npos, "Right", true},
        {"wrong password", std::string::npos, "right", false},
        {"header", 20, "Right", false},
        {"first body byte", 42, "Right", false},
        {"last body byte", good.size() - 17, "Right", false},
        {"check value", good.size() - 1, "Right", false},
    };
    const std::string path = dir.File("case.cod");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::string file = good;
        if (c.At != std::string::npos)
            file[c.At] = static_cast<char>(file[c.At] ^ 0x21);
        WriteFileBytes(path, file);
        TScriptedMessageBoxes boxes({mrNo});
        AnswerPasswords(c.Password);
        std::unique_ptr<TDoc> again = OpenFile(path, ffEncrypted);
        EXPECT_EQ(again != nullptr, c.Opens);
        if (again != nullptr) {
            EXPECT_EQ(DumpDocumentModel(*again), DumpDocumentModel(*doc));
        }
    }
}

// Saving encrypted over an existing file replaces it whole and marks the
// document saved in that format.
TEST_F(EncryptedSavingTest, SavingOverAFileReplacesIt) {
    TTempDir dir;
    const std::string path = dir.File("doc.cod");
    WriteFileBytes(path, "{\\rtf1\\ansi Old text\\par}");
    std::unique_ptr<TDoc> doc = OpenFile(path);
    ASSERT_NE(doc, nullptr);
    doc->Password = EncryptionManager().ProtectString("pw");
    doc->FileName = path;
    TDocSavingOptions options;
    options.Format = sfmtEncrypted;
    ASSERT_EQ(SaveToFormat(*doc, options), srSaved);
    EXPECT_EQ(doc->FormatCode, sfmtEncrypted);
    const std::string bytes = ReadFileBytes(path);
    EXPECT_TRUE(LooksEncrypted({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}));
    AnswerPasswords("pw");
    std::unique_ptr<TDoc> again = OpenFile(path);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(DumpDocumentModel(*again), DumpDocumentModel(*doc));
}

// Plain text through the dispatcher is the plain-text writer's output, for
// files (mark, no final line end) and for memory (neither).
TEST_F(EncryptedSavingTest, PlainTextGoesThroughThePlainTextWriter) {
    TTempDir dir;
    const std::string source = dir.File("source.rtf");
    WriteFileBytes(source, "{\\rtf1\\ansi First \\b bold\\b0\\par Second}");
    std::unique_ptr<TDoc> doc = OpenFile(source);
    ASSERT_NE(doc, nullptr);
    struct Case {
        const char* Name;
        std::int32_t Encoding;
        std::uint8_t LineBreak;
        std::string File;
    };
    const Case cases[] = {
        {"UTF-8, CR LF", 0, 0, "First bold\r\nSecond"},
        {"UTF-8 with mark, LF", 1, 2,
         "\xEF\xBB\xBF"
         "First bold\nSecond"},
        {"UTF-16 LE, CR", 2, 1,
         std::string("\xFF\xFE"
                     "F\0i\0r\0s\0t\0 \0b\0o\0l\0d\0\r\0S\0e\0c\0o\0n\0d\0",
                     36)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TStringSink sink;
        TDocSavingOptions options;
        options.Flags = svCopy;
        options.Format = sfmtText;
        options.Encoding = c.Encoding;
        options.LineBreak = c.LineBreak;
        ASSERT_EQ(SaveToFormatStream(*doc, options, sink), srSaved);
        EXPECT_EQ(sink.Bytes, c.File);
    }
    TMemory out;
    TDocSavingOptions options;
    options.Target = stMemory;
    options.Output = &out;
    options.Flags = svCopy;
    options.Format = sfmtText;
    options.Encoding = 1;
    ASSERT_EQ(SaveToFormat(*doc, options), srSaved);
    TPlainTextWriteOptions text;
    text.Encoding = 1;
    text.FileTarget = false;
    EXPECT_EQ(std::string(out.View()), WritePlainTextBytes(*doc, text));
    EXPECT_EQ(std::string(out.View()).substr(0, 3), "Fir");
}

}  // namespace
