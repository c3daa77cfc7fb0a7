#include "files/saving/SaveDocument.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "TabManagerScope.h"
#include "base/messages/MessageBoxes.h"
#include "files/opening/OpenDocument.h"
#include "files/saving/SaveToFormat.h"
#include "model/document/TDoc.h"
#include "model/managers/TFontManager.h"
#include "platform/Files.h"
#include "support/FailingFileSystems.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using TestSupport::ReadFileBytes;
using TestSupport::TFileSizeLimit;
using TestSupport::TSmallFileSystem;
using TestSupport::TScriptedMessageBoxes;
using TestSupport::TTempDir;
using TestSupport::WriteFileBytes;

std::set<std::string> Entries(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.insert(e.path().filename().string());
    return names;
}

// An RTF document of about 200 KB, longer than every cut below.
std::string BigRtf() {
    std::string rtf = "{\\rtf1\\ansi ";
    for (int i = 0; rtf.size() < 200000; ++i)
        rtf += "Paragraph " + std::to_string(i) + " with {\\b some bold} text.\\par\n";
    return rtf + "}";
}

class SaveDocumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedTimes = DefaultCharFormat[caFont];
        savedArial = LabelCharFormat[caFont];
        manager = new TFontManager;
    }
    void TearDown() override {
        delete manager;
        SetConstantFormatFonts(savedTimes, savedArial);
    }

    // Opens path for editing, as the program does.
    std::unique_ptr<TDoc> Open(const std::string& path) {
        auto doc = std::make_unique<TDoc>(true);
        doc->TakesParEndMarks = 1;
        TDocOpeningOptions options;
        options.Source = osFile;
        options.Format = 0xFFFF;
        options.FileName = path;
        EXPECT_TRUE(OpenDocument(*doc, options));
        return doc;
    }

    TTempDir dir;

private:
    TTabManagerScope tabs;
    TFontManager* manager = nullptr;
    std::int32_t savedTimes = 0;
    std::int32_t savedArial = 0;
};

TEST_F(SaveDocumentTest, SaveReplacesTheFileAndKeepsItOpen) {
    const std::string path = dir.File("doc.rtf");
    WriteFileBytes(path, "{\\rtf1\\ansi Hello\\par}");
    std::unique_ptr<TDoc> doc = Open(path);
    ASSERT_NE(doc->FileHandle, Platform::kNoFile);
    doc->SetModified(true);
    TScriptedMessageBoxes boxes;
    EXPECT_EQ(SaveDocument(*doc), srSaved);
    EXPECT_TRUE(boxes.Shown().empty());
    const std::string saved = ReadFileBytes(path);
    EXPECT_EQ(saved.rfind("{\\rtf1\\ansi", 0), 0u);
    EXPECT_NE(saved.find("Hello"), std::string::npos);
    // The document keeps its name, is saved, and holds the new file open.
    EXPECT_EQ(doc->FileName, path);
    EXPECT_EQ(doc->Modified, 0);
    EXPECT_NE(doc->FileHandle, Platform::kNoFile);
    EXPECT_EQ(doc->LoadedFileSize, static_cast<std::int64_t>(saved.size()));
    EXPECT_EQ(Entries(dir.Path()), std::set<std::string>{"doc.rtf"});
    // A second instance cannot take the file for editing.
    const Platform::TFileHandle other = Platform::OpenExistingFile(path, Platform::TFileAccess::ReadWrite);
    ASSERT_NE(other, Platform::kNoFile);
    EXPECT_FALSE(Platform::TryLockForEditing(other));
    Platform::CloseFile(other);
}

TEST_F(SaveDocumentTest, AFailedSaveLeavesTheOriginalByteForByte) {
    const std::string path = dir.File("doc.rtf");
    const std::string original = BigRtf();
    WriteFileBytes(path, original);
    struct Case {
        const char* Name;
        rlim_t Cut;
    };
    const Case cases[] = {{"nothing written", 0}, {"one byte", 1}, {"one buffer", 65536}, {"most", 150000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<TDoc> doc = Open(path);
        doc->SetModified(true);
        // Cancel answers the write-error question.
        TScriptedMessageBoxes boxes({mrCancel});
        int result = srSaved;
        {
            const TFileSizeLimit limit(c.Cut);
            result = SaveDocument(*doc);
        }
        EXPECT_EQ(result, srFailed);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].Text, "Error writing file \"" + path + "\".");
        EXPECT_TRUE((boxes.Shown()[0].Buttons & mbRetry) != 0);
        EXPECT_TRUE(ReadFileBytes(path) == original);
        EXPECT_EQ(Entries(dir.Path()), std::set<std::string>{"doc.rtf"});
        EXPECT_EQ(doc->Modified, 1);
        EXPECT_EQ(doc->FileName, path);
    }
}

TEST_F(SaveDocumentTest, RetryAfterAFailedWriteSavesTheWholeFile) {
    const std::string path = dir.File("doc.rtf");
    WriteFileBytes(path, BigRtf());
    std::unique_ptr<TDoc> doc = Open(path);
    TMemory expected;
    TDocSavingOptions memory;
    memory.Target = stMemory;
    memory.Output = &expected;
    memory.Flags = svCopy;
    ASSERT_EQ(SaveToFormat(*doc, memory), srSaved);
    // The limit lifts when the question is asked; Retry then writes anew.
    auto limit = std::make_unique<TFileSizeLimit>(4096);
    std::vector<TMessageBoxRequest> shown;
    const TMessageBoxAnswerer previous = SetMessageBoxAnswerer([&](const TMessageBoxRequest& request) {
        shown.push_back(request);
        limit.reset();
        return static_cast<std::uint16_t>(mrRetry);
    });
    const int result = SaveDocument(*doc);
    SetMessageBoxAnswerer(previous);
    EXPECT_EQ(result, srSaved);
    EXPECT_EQ(shown.size(), 1u);
    const std::string saved = ReadFileBytes(path);
    // A file differs from a memory block only in its raw 8-bit text, which
    // this document does not have; its paragraph ends differ.
    EXPECT_GT(saved.size(), 100000u);
    EXPECT_EQ(saved.back(), '}');
    EXPECT_EQ(Entries(dir.Path()), std::set<std::string>{"doc.rtf"});
}

TEST_F(SaveDocumentTest, AReadOnlyFolderKeepsTheOriginal) {
    const std::string folder = dir.File("small");
    TSmallFileSystem small(folder, "2m");
    const bool root = geteuid() == 0;
    if (root && !small.IsMounted())
        GTEST_SKIP() << "root ignores permissions, and no read-only file system could be mounted";
    const std::string path = folder + "/doc.rtf";
    const std::string original = "{\\rtf1\\ansi Hello\\par}";
    WriteFileBytes(path, original);
    std::unique_ptr<TDoc> doc = Open(path);
    // A file system with a file open for writing cannot become read-only.
    doc->CloseFile();
    if (root)
        ASSERT_TRUE(small.SetReadOnly(true));
    else
        fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    TScriptedMessageBoxes boxes({mrCancel});
    const int result = SaveDocument(*doc);
    if (root)
        ASSERT_TRUE(small.SetReadOnly(false));
    else
        fs::permissions(folder, fs::perms::owner_all);
    EXPECT_EQ(result, srFailed);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].Text, "Cannot create file \"" + path + "\".");
    EXPECT_EQ(ReadFileBytes(path), original);
    EXPECT_EQ(Entries(folder), std::set<std::string>{"doc.rtf"});
}

TEST_F(SaveDocumentTest, AFileThatCannotBeCreatedIsReportedAndChangesNothing) {
    const std::string path = dir.File("doc.rtf");
    WriteFileBytes(path, "{\\rtf1\\ansi Hello\\par}");
    std::unique_ptr<TDoc> doc = Open(path);
    doc->SetModified(true);
    TScriptedMessageBoxes boxes({mrCancel});
    const std::string target = dir.File("missing/folder/doc.rtf");
    EXPECT_EQ(SaveDocumentAs(*doc, target, sfmtRtf), srFailed);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].Text, "Cannot create file \"" + target + "\".");
    EXPECT_EQ(doc->FileName, path);
    EXPECT_EQ(doc->Modified, 1);
    EXPECT_FALSE(fs::exists(target));
}

TEST_F(SaveDocumentTest, SaveAsAndSaveCopyAs) {
    const std::string path = dir.File("doc.rtf");
    WriteFileBytes(path, "{\\rtf1\\ansi Hello\\par}");
    std::unique_ptr<TDoc> doc = Open(path);
    doc->SetModified(true);
    TScriptedMessageBoxes boxes;
    // A copy leaves the document's name, format and modified state alone.
    const std::string copy = dir.File("copy.rtf");
    EXPECT_EQ(SaveDocumentCopyAs(*doc, copy, sfmtRtf), srSaved);
    EXPECT_EQ(doc->FileName, path);
    EXPECT_EQ(doc->Modified, 1);
    EXPECT_NE(ReadFileBytes(copy).find("Hello"), std::string::npos);
    // Save As moves the document to the new file and keeps that open.
    const std::string other = dir.File("other.rtf");
    EXPECT_EQ(SaveDocumentAs(*doc, other, sfmtRtf), srSaved);
    EXPECT_EQ(doc->FileName, other);
    EXPECT_EQ(doc->Modified, 0);
    EXPECT_NE(doc->FileHandle, Platform::kNoFile);
    EXPECT_NE(ReadFileBytes(other).find("Hello"), std::string::npos);
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(SaveDocumentTest, TemplatesStayInTheTemplatesFolder) {
    const std::string path = dir.File("doc.rtf");
    WriteFileBytes(path, "{\\rtf1\\ansi Hello\\par}");
    std::unique_ptr<TDoc> doc = Open(path);
    const std::string templates = dir.File("Templates");
    TScriptedMessageBoxes boxes;
    EXPECT_EQ(SaveDocumentAsTemplate(*doc, dir.File("outside.rtf"), templates), srCancelled);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_NE(boxes.Shown()[0].Text.find("Document templates should be stored under this folder"), std::string::npos);
    EXPECT_EQ(SaveDocumentAsTemplate(*doc, templates + "/Letter.rtf", templates), srSaved);
    EXPECT_TRUE(fs::exists(templates + "/Letter.rtf"));
    EXPECT_EQ(doc->FileName, path);
}

TEST_F(SaveDocumentTest, FormattingLoss) {
    const std::string path = dir.File("doc.rtf");
    WriteFileBytes(path, "{\\rtf1\\ansi Plain {\\b bold}\\par\\qc Centred\\par}");
    std::unique_ptr<TDoc> doc = Open(path);
    {
        // Formats that cannot be written at all.
        TScriptedMessageBoxes boxes;
        EXPECT_TRUE(ConfirmFormattingLoss(*doc, nullptr, sfmtOdt));
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_NE(boxes.Shown()[0].Text.find("doesn't support saving documents in the \"OpenDocument ODF\" format"),
                  std::string::npos);
    }
    std::string lost;
    EXPECT_FALSE(ListFormattingLoss(*doc, nullptr, sfmtRtf, lost));
    EXPECT_TRUE(ListFormattingLoss(*doc, nullptr, sfmtText, lost));
    EXPECT_EQ(lost, "\r\n* Paragraph formatting.\r\n* Font formatting.");
    {
        // No chooses another format; the question is asked once per save.
        TScriptedMessageBoxes boxes({mrNo});
        EXPECT_TRUE(ConfirmFormattingLoss(*doc, nullptr, sfmtText));
        EXPECT_FALSE(ConfirmFormattingLoss(*doc, nullptr, sfmtText));
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_NE(boxes.Shown()[0].Text.find("The following formatting will be lost:"), std::string::npos);
    }
}

}  // namespace
