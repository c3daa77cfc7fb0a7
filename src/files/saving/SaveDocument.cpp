#include "files/saving/SaveDocument.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "base/core/Errors.h"
#include "base/messages/MessageBoxes.h"
#include "files/saving/Backups.h"
#include "files/saving/SafeCopies.h"
#include "files/saving/SaveToFormat.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "platform/Files.h"

namespace {

constexpr std::string_view OpenedReadOnly = "Document \"%s\" was opened as read-only.";
constexpr std::string_view UsedByAnotherProgram = "File \"%s\" is used by another program.";
constexpr std::string_view CannotOpenFile = "Cannot open file \"%s\".";
constexpr std::string_view EditedElsewhere =
    "Document \"%s\" has been edited by another application. Saving will discard all changes made to that "
    "document by the other application. Save document?";
// The optional message that asks before a temporary copy is saved over its
// file.
constexpr int EditedElsewhereMessage = 3;
constexpr std::string_view CannotCreateFolder = "Cannot create folder \"%s\".";
constexpr std::string_view TemplatesOutside =
    "Document templates should be stored under this folder (or any of its subfolders):\r\r%s";

TSaveDialog& Dialog() {
    static TSaveDialog dialog;
    return dialog;
}

TBackupSettings*& InstalledBackupSettings() {
    static TBackupSettings* settings = nullptr;
    return settings;
}

// A backup of the file about to be overwritten; false cancels the save.
bool BackUp(TDoc& doc, const std::string& name) {
    TBackupSettings defaults;
    TBackupSettings* settings = InstalledBackupSettings();
    if (settings == nullptr && doc.ForceBackup == 0)
        return true;
    if (!Platform::FileExists(name))
        return true;
    const bool made = CreateBackup(settings != nullptr ? *settings : defaults, name, name, false, doc.ForceBackup != 0);
    if (made) {
        doc.ForceBackup = 0;
        doc.BackupUndoIndex = doc.UndoIndex;
    }
    return made;
}

// A document opened from a temporary copy saves over its file only when the
// file can be opened now and the user agrees to discard what the other
// program changed; srSaved here means "save in place".
int AskBeforeSavingOverTheOriginal(TDoc& doc) {
    const Platform::TFileHandle file = Platform::OpenExistingFile(doc.FileName, Platform::TFileAccess::ReadWrite);
    if (file == Platform::kNoFile) {
        ShowMessageBox(FormatOneString(CannotOpenFile, doc.FileName), mbkWarning, mbOK);
        return srFailed;
    }
    const bool free = Platform::TryLockForEditing(file);
    Platform::CloseFile(file);
    if (!free) {
        ShowMessageBox(FormatOneString(UsedByAnotherProgram, doc.FileName), mbkWarning, mbOK);
        return srFailed;
    }
    switch (ShowOptionalMessage(FormatOneString(EditedElsewhere, doc.FileName), mbkConfirm, EditedElsewhereMessage)) {
        case mrYes:
            return srSaved;
        case mrNo:
            return srFailed;
        default:
            return srCancelled;
    }
}

std::int64_t FileSizeOf(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? 0 : static_cast<std::int64_t>(size);
}

// After a save the document keeps its new file open for reading and writing
// (the old handle names the file that was replaced).
void ReopenOwnFile(TDoc& doc) {
    doc.CloseFile();
    doc.LoadedFileSize = FileSizeOf(doc.FileName);
    const Platform::TFileHandle file = Platform::OpenExistingFile(doc.FileName, Platform::TFileAccess::ReadWrite);
    if (file == Platform::kNoFile)
        return;
    if (!Platform::TryLockForEditing(file)) {
        Platform::CloseFile(file);
        return;
    }
    doc.FileHandle = file;
}

int RunDialog(TDoc& doc, const std::string& title, std::string& name, std::int32_t& format) {
    if (!Dialog() || !Dialog()(doc, title, name, format))
        return srCancelled;
    return srSaved;
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return a == b || std::filesystem::equivalent(a, b, error);
}

TDocSavingOptions OwnFileOptions(const TDoc& doc, std::int32_t format, std::uint8_t flags) {
    TDocSavingOptions options;
    options.Target = stOwnFile;
    options.Format = format;
    options.Flags = flags;
    options.Encoding = doc.TextEncoding;
    options.LineBreak = doc.LineBreakKind;
    options.OrigName = doc.FileName;
    return options;
}

}  // namespace

void SetSaveDialog(TSaveDialog dialog) {
    Dialog() = std::move(dialog);
}

bool RunSaveDialog(TDoc& doc, const std::string& title, std::string& name, std::int32_t& format) {
    return RunDialog(doc, title, name, format) == srSaved;
}

void SetBackupSettings(TBackupSettings* settings) {
    InstalledBackupSettings() = settings;
}

int SaveDocument(TDoc& doc) {
    if (doc.StateFlags[sfTempCopy] != 0 && !doc.FileName.empty() && doc.StateFlags[sfUntitled] == 0) {
        const int answer = AskBeforeSavingOverTheOriginal(doc);
        if (answer == srCancelled)
            return srCancelled;
        // Yes saves over the file without a dialog, anything else asks
        // where to save.
        return SaveDocumentAs(doc, answer == srSaved ? doc.FileName : std::string(), doc.FormatCode);
    }
    if (doc.ReadOnly != 0) {
        ShowInformationFmt(OpenedReadOnly, doc.FileName);
        return SaveDocumentAs(doc, {}, doc.FormatCode);
    }
    if (doc.FileName.empty() || doc.StateFlags[sfUntitled] != 0 || doc.FromSafeCopy != 0)
        return SaveDocumentAs(doc, {}, doc.FormatCode);
    if (ConfirmFormattingLoss(doc, nullptr, doc.FormatCode))
        return SaveDocumentAs(doc, {}, sfmtRtf);
    if (!BackUp(doc, doc.FileName))
        return srCancelled;
    const int result = SaveToFormat(doc, OwnFileOptions(doc, doc.FormatCode, 0));
    if (result == srSaved) {
        ReopenOwnFile(doc);
        DiscardSafeCopy(doc);
    }
    return result;
}

int SaveDocumentAs(TDoc& doc, const std::string& name, std::int32_t format) {
    std::string target = name;
    if (target.empty()) {
        target = doc.FileName;
        if (RunDialog(doc, "Save Document As", target, format) != srSaved)
            return srCancelled;
    }
    if (ConfirmFormattingLoss(doc, nullptr, format))
        return SaveDocumentAs(doc, {}, sfmtRtf);
    if (!BackUp(doc, target))
        return srCancelled;
    const std::string oldName = doc.FileName;
    doc.FileName = target;
    const int result = SaveToFormat(doc, OwnFileOptions(doc, format, 0));
    if (result != srSaved) {
        doc.FileName = oldName;
        return result;
    }
    doc.ReadOnly = 0;
    doc.StateFlags[sfTempCopy] = 0;
    ReopenOwnFile(doc);
    DiscardSafeCopy(doc);
    return srSaved;
}

int SaveDocumentToFile(TDoc& doc, const std::string& path) {
    const std::string oldName = doc.FileName;
    TDocSavingOptions options = OwnFileOptions(doc, doc.FormatCode, svCopy);
    options.OrigName = oldName;
    doc.FileName = path;
    const int result = SaveToFormat(doc, options);
    doc.FileName = oldName;
    return result;
}

int SaveDocumentCopyAs(TDoc& doc, const std::string& path, std::int32_t format) {
    std::string target = path;
    if (target.empty() && RunDialog(doc, "Save Copy As...", target, format) != srSaved)
        return srCancelled;
    const std::int32_t oldFormat = doc.FormatCode;
    doc.FormatCode = format;
    const int result = SaveDocumentToFile(doc, target);
    doc.FormatCode = oldFormat;
    return result;
}

int SaveDocumentAsTemplate(TDoc& doc, const std::string& path, const std::string& templatesFolder) {
    std::error_code error;
    if (!std::filesystem::is_directory(templatesFolder, error) &&
        !std::filesystem::create_directories(templatesFolder, error)) {
        ShowErrorFmt(CannotCreateFolder, templatesFolder);
        return srFailed;
    }
    const std::filesystem::path folder = std::filesystem::weakly_canonical(templatesFolder, error);
    const std::filesystem::path file = std::filesystem::weakly_canonical(path, error);
    const auto rel = file.lexically_relative(folder);
    if (rel.empty() || *rel.begin() == "..") {
        ShowInformationFmt(TemplatesOutside, templatesFolder);
        return srCancelled;
    }
    if (!doc.FileName.empty() && SameFile(path, doc.FileName))
        return SaveDocument(doc);
    return SaveDocumentCopyAs(doc, path, doc.FormatCode);
}
