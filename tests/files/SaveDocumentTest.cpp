#include "files/saving/SaveDocument.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <optional>

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "FontManagerScope.h"
#include "TabManagerScope.h"
#include "base/messages/MessageBoxes.h"
#include "files/opening/OpenDocument.h"
#include "files/saving/Backups.h"
#include "files/saving/SafeCopies.h"
#include "files/saving/SaveSelection.h"
#include "files/saving/SaveToFormat.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TShape.h"
#include "platform/Files.h"
#include "support/FailingFileSystems.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using TestSupport::ReadFileBytes;
using TestSupport::TFileSizeLimit;
using TestSupport::TScriptedMessageBoxes;
using TestSupport::TSmallFileSystem;
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
    void SetUp() override { fonts.emplace(); }
    void TearDown() override { fonts.reset(); }

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
    std::optional<TFontManagerScope> fonts;
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

// --- Backups, temporary copies and safe copies ---------------------------

// Installs backup settings for the saves of one test.
class TBackupSettingsScope {
public:
    explicit TBackupSettingsScope(TBackupSettings& settings) { SetBackupSettings(&settings); }
    ~TBackupSettingsScope() { SetBackupSettings(nullptr); }
    TBackupSettingsScope(const TBackupSettingsScope&) = delete;
    TBackupSettingsScope& operator=(const TBackupSettingsScope&) = delete;
};

TEST_F(SaveDocumentTest, SaveBacksUpTheFileItOverwrites) {
    const std::string path = dir.File("doc.rtf");
    const std::string original = "{\\rtf1\\ansi Old\\par}";
    WriteFileBytes(path, original);
    std::unique_ptr<TDoc> doc = Open(path);
    TBackupSettings settings;
    settings.CreateBackups = true;
    settings.Folder = dir.File("backups");
    const TBackupSettingsScope scope(settings);
    TScriptedMessageBoxes boxes;
    ASSERT_EQ(SaveDocument(*doc), srSaved);
    std::vector<std::string> backups;
    for (const auto& e : fs::recursive_directory_iterator(settings.Folder))
        if (e.is_regular_file())
            backups.push_back(e.path().string());
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(ReadFileBytes(backups[0]), original);
    EXPECT_NE(ReadFileBytes(path), original);
}

TEST_F(SaveDocumentTest, AFailingBackupCancelsTheSaveAndLeavesTheFile) {
    const std::string path = dir.File("doc.rtf");
    const std::string original = "{\\rtf1\\ansi Old\\par}";
    WriteFileBytes(path, original);
    // The backup folder would have to be made below a plain file.
    WriteFileBytes(dir.File("plain"), "x");
    TBackupSettings settings;
    settings.CreateBackups = true;
    settings.Folder = dir.File("plain") + "/backups";
    const TBackupSettingsScope scope(settings);
    struct Case {
        const char* Name;
        bool Force;  // backups off, the document forcing one
    };
    for (const Case c : {Case{"backups on", false}, Case{"a forced backup", true}}) {
        SCOPED_TRACE(c.Name);
        settings.CreateBackups = !c.Force;
        std::unique_ptr<TDoc> doc = Open(path);
        doc->ForceBackup = c.Force ? 1 : 0;
        doc->SetModified(true);
        // Cancel answers the backup error.
        TScriptedMessageBoxes boxes({mrCancel, mrCancel});
        EXPECT_EQ(SaveDocument(*doc), srCancelled);
        ASSERT_FALSE(boxes.Shown().empty());
        EXPECT_NE(boxes.Shown()[0].Text.find("Error creating backup file"), std::string::npos);
        EXPECT_TRUE(ReadFileBytes(path) == original);
        EXPECT_EQ(doc->Modified, 1);
        EXPECT_EQ(doc->FileName, path);
    }
}

TEST_F(SaveDocumentTest, ATemporaryCopySavesOverItsFileOnlyWhenTheUserAgrees) {
    const std::string path = dir.File("doc.rtf");
    const std::string original = "{\\rtf1\\ansi Old\\par}";
    struct Case {
        const char* Name;
        std::uint16_t Answer;
        int Result;
        bool Overwritten;
    };
    const Case cases[] = {
        {"Yes saves over the file", mrYes, srSaved, true},
        // No asks where to save; no dialog is installed here.
        {"No asks for another name", mrNo, srCancelled, false},
        {"Cancel saves nothing", mrCancel, srCancelled, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        WriteFileBytes(path, original);
        std::unique_ptr<TDoc> doc = Open(path);
        doc->CloseFile();
        doc->StateFlags[sfTempCopy] = 1;
        TScriptedMessageBoxes boxes({c.Answer});
        EXPECT_EQ(SaveDocument(*doc), c.Result);
        ASSERT_GE(boxes.Shown().size(), 1u);
        EXPECT_NE(boxes.Shown()[0].Text.find("has been edited by another application"), std::string::npos);
        EXPECT_EQ(ReadFileBytes(path) != original, c.Overwritten);
        EXPECT_EQ(doc->StateFlags[sfTempCopy], c.Overwritten ? 0 : 1);
    }
    // A file another program holds is not written; the dialog is asked for.
    WriteFileBytes(path, original);
    std::unique_ptr<TDoc> held = Open(path);
    auto doc = std::make_unique<TDoc>(true);
    doc->FileName = path;
    doc->StateFlags[sfTempCopy] = 1;
    TScriptedMessageBoxes boxes({mrOk});
    EXPECT_EQ(SaveDocument(*doc), srCancelled);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].Text, "File \"" + path + "\" is used by another program.");
    EXPECT_TRUE(ReadFileBytes(path) == original);
}

TEST_F(SaveDocumentTest, SafeCopiesHoldTheUnsavedWorkAndNeverTouchTheFile) {
    const std::string path = dir.File("doc.rtf");
    const std::string original = "{\\rtf1\\ansi Hello\\par}";
    WriteFileBytes(path, original);
    std::unique_ptr<TDoc> doc = Open(path);
    // An unmodified document gets none.
    EXPECT_EQ(WriteSafeCopy(*doc), srCancelled);
    EXPECT_TRUE(doc->SafeCopyPath.empty());
    doc->SetModified(true);
    doc->StateFlags[sfChangedSinceSafeCopy] = 1;
    TScriptedMessageBoxes boxes;
    ASSERT_EQ(WriteSafeCopy(*doc), srSaved);
    const std::string copy = doc->SafeCopyPath;
    ASSERT_FALSE(copy.empty());
    EXPECT_EQ(fs::path(copy).extension(), ".mqd");
    const std::string written = ReadFileBytes(copy);
    EXPECT_EQ(written.rfind("{\\rtf1\\ansi", 0), 0u);
    EXPECT_NE(written.find("{\\*\\autosavedorigname " + path + "}"), std::string::npos);
    EXPECT_NE(written.find("{\\*\\autosavedorigfmt RTF}"), std::string::npos);
    EXPECT_NE(written.find("Hello"), std::string::npos);
    // The document is still its own file, unsaved; the file is untouched.
    EXPECT_EQ(doc->FileName, path);
    EXPECT_EQ(doc->Modified, 1);
    EXPECT_TRUE(ReadFileBytes(path) == original);
    // Not due again until the document changes.
    EXPECT_EQ(WriteSafeCopy(*doc), srCancelled);
    // A successful save removes it.
    ASSERT_EQ(SaveDocument(*doc), srSaved);
    EXPECT_FALSE(fs::exists(copy));
    EXPECT_TRUE(doc->SafeCopyPath.empty());
}

TEST_F(SaveDocumentTest, AFailingSafeCopyLeavesTheDocumentAndItsFile) {
    const std::string path = dir.File("doc.rtf");
    const std::string original = BigRtf();
    WriteFileBytes(path, original);
    std::unique_ptr<TDoc> doc = Open(path);
    doc->SetModified(true);
    doc->StateFlags[sfChangedSinceSafeCopy] = 1;
    {
        // A first safe copy cut short leaves no file behind.
        TScriptedMessageBoxes boxes({mrCancel});
        const TFileSizeLimit limit(4096);
        EXPECT_EQ(WriteSafeCopy(*doc), srFailed);
    }
    EXPECT_TRUE(doc->SafeCopyPath.empty());
    EXPECT_EQ(doc->FileName, path);
    EXPECT_TRUE(ReadFileBytes(path) == original);
    // A safe copy whose place has gone is given up for now.
    doc->SafeCopyPath = dir.File("gone") + "/copy.mqd";
    TScriptedMessageBoxes boxes({mrCancel});
    EXPECT_EQ(WriteSafeCopy(*doc), srFailed);
    EXPECT_EQ(doc->FileName, path);
    EXPECT_EQ(doc->StateFlags[sfChangedSinceSafeCopy], 1);
    EXPECT_TRUE(ReadFileBytes(path) == original);
    EXPECT_EQ(Entries(dir.Path()), std::set<std::string>{"doc.rtf"});
}

TEST_F(SaveDocumentTest, ADocumentRestoredFromASafeCopyIsSavedUnderANameTheUserChooses) {
    const std::string path = dir.File("doc.rtf");
    const std::string original = "{\\rtf1\\ansi Old\\par}";
    WriteFileBytes(path, original);
    std::unique_ptr<TDoc> doc = Open(path);
    doc->FromSafeCopy = 1;
    std::string offered;
    SetSaveDialog([&](TDoc&, const std::string& title, std::string& name, std::int32_t&) {
        offered = title;
        name = dir.File("chosen.rtf");
        return true;
    });
    TScriptedMessageBoxes boxes;
    EXPECT_EQ(SaveDocument(*doc), srSaved);
    SetSaveDialog(nullptr);
    EXPECT_EQ(offered, "Save Document As");
    EXPECT_EQ(doc->FileName, dir.File("chosen.rtf"));
    EXPECT_EQ(doc->FromSafeCopy, 0);
    EXPECT_TRUE(ReadFileBytes(path) == original);
}

// --- Saving selections and pictures ----------------------------------------

TEST_F(SaveDocumentTest, TheSelectionIsSavedAsADocumentOfItsOwn) {
    const std::string path = dir.File("doc.rtf");
    WriteFileBytes(path, "{\\rtf1\\ansi First paragraph\\par Second paragraph\\par}");
    std::unique_ptr<TDoc> doc = Open(path);
    doc->Selection->SetSingle(1, 0, 1, 6);
    TScriptedMessageBoxes boxes;
    const std::string target = dir.File("part.rtf");
    ASSERT_TRUE(SaveSelectionToFile(*doc, target, sfmtRtf));
    const std::string saved = ReadFileBytes(target);
    EXPECT_NE(saved.find("Second"), std::string::npos);
    EXPECT_EQ(saved.find("First"), std::string::npos);
    EXPECT_EQ(saved.find("paragraph"), std::string::npos);
    // The document stays its own.
    EXPECT_EQ(doc->FileName, path);
    // Several ranges cannot be written yet: nothing is.
    doc->Selection->SetCount(2);
    doc->Selection->Fragment(1) = doc->Selection->Fragment(0);
    EXPECT_FALSE(SaveSelectionToFile(*doc, dir.File("two.rtf"), sfmtRtf));
    EXPECT_FALSE(fs::exists(dir.File("two.rtf")));
}

TEST(PictureFilesTest, NamesLearnTheirNumberingFromTheChosenName) {
    struct Case {
        const char* Chosen;
        bool Dialog;
        bool OnePicture;
        const char* Template;
        std::int64_t Index;  // the next index
        std::int32_t Digits;
    };
    const Case cases[] = {
        {"/p/Holiday007.png", true, false, "Holiday%s.%s", 8, 3},
        {"/p/Holiday9.jpg", false, false, "Holiday%s.%s", 10, 1},
        {"/p/Scan.png", true, true, "Picture%s.%s", 6, 2},
        {"/p/Scan.png", true, false, "Scan%s.%s", 2, 2},
        {"/p/Scan.png", false, false, "Scan%s.%s", 6, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Chosen);
        TPictureNaming naming;
        naming.Index = 5;
        naming.Digits = 2;
        LearnPictureName(c.Chosen, c.Dialog, c.OnePicture, naming);
        EXPECT_EQ(naming.Template, c.Template);
        EXPECT_EQ(naming.Index, c.Index);
        EXPECT_EQ(naming.Digits, c.Digits);
    }
}

TEST(PictureFilesTest, NumberedFilesSkipNamesThatExist) {
    TTempDir dir;
    TPictureNaming naming;
    naming.Template = "Shot%s.%s";
    naming.Index = 1;
    naming.Digits = 3;
    WriteFileBytes(dir.File("Shot001.png"), "x");
    WriteFileBytes(dir.File("Shot002.png"), "x");
    EXPECT_EQ(NextPictureName(dir.Path() + "/", naming, pfPng, false), dir.File("Shot001.png"));
    EXPECT_EQ(NextPictureName(dir.Path() + "/", naming, pfPng, true), dir.File("Shot003.png"));
    EXPECT_EQ(NextPictureName(dir.Path() + "/", naming, pfJpeg, true), dir.File("Shot001.jpg"));
    WriteFileBytes(dir.File("Clip1.rtf"), "x");
    EXPECT_EQ(FirstFreeNumberedName(dir.Path() + "/Clip%d.rtf"), dir.File("Clip2.rtf"));
}

TEST(PictureFilesTest, StoredPicturesAreWrittenAsTheirOwnBytes) {
    TTempDir dir;
    TShapePicture png;
    png.Kind = pkPng;
    png.Data = std::string("\x89PNG\r\n\x1A\n-data-", 14);
    struct Case {
        const char* Name;
        std::int32_t Kind;
        bool Written;
    };
    const Case cases[] = {
        {"PNG as PNG", pfPng, true},
        // Another kind would need a conversion: nothing is written.
        {"PNG as JPEG", pfJpeg, false},
        {"PNG as BMP", pfBmp, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string path = dir.File(std::string("out.") + PictureFileExtensions[c.Kind]);
        EXPECT_EQ(WritePictureFile(png, path, c.Kind), c.Written);
        EXPECT_EQ(fs::exists(path), c.Written);
        if (c.Written)
            EXPECT_EQ(ReadFileBytes(path), png.Data);
    }
    // An existing file is replaced only by a complete new one.
    const std::string held = dir.File("held.png");
    WriteFileBytes(held, "old");
    TShapePicture empty;
    empty.Kind = pkPng;
    EXPECT_FALSE(WritePictureFile(empty, held, pfPng));
    EXPECT_EQ(ReadFileBytes(held), "old");
}

TEST_F(SaveDocumentTest, EveryPictureOfTheDocumentIsSavedUnderTheNextNumber) {
    const std::string png = "89504e470d0a1a0a0000000d49484452000000020000000308060000004352432f";
    const std::string path = dir.File("doc.rtf");
    WriteFileBytes(path, "{\\rtf1\\ansi A{\\pict\\pngblip " + png + "}B{\\pict\\pngblip " + png +
                             "}C{\\pict\\jpegblip ffd8ffc000110800040005010101010101010101ffd9}\\par}");
    std::unique_ptr<TDoc> doc = Open(path);
    TPictureNaming naming;
    // The JPEG picture cannot be written as PNG: the saving stops there.
    EXPECT_EQ(SavePictures(*doc, dir.File("Pic08.png"), pfPng, naming), 2);
    EXPECT_TRUE(fs::exists(dir.File("Pic08.png")));
    EXPECT_TRUE(fs::exists(dir.File("Pic09.png")));
    EXPECT_EQ(naming.Template, "Pic%s.%s");
}

}  // namespace
