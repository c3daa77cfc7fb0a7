#include "files/saving/SaveDocument.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "base/core/Errors.h"
#include "base/messages/MessageBoxes.h"
#include "files/saving/SaveToFormat.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "platform/Files.h"

namespace {

constexpr std::string_view OpenedReadOnly = "Document \"%s\" was opened as read-only.";
constexpr std::string_view CannotCreateFolder = "Cannot create folder \"%s\".";
constexpr std::string_view TemplatesOutside =
    "Document templates should be stored under this folder (or any of its subfolders):\r\r%s";

TSaveDialog& Dialog() {
    static TSaveDialog dialog;
    return dialog;
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

int SaveDocument(TDoc& doc) {
    if (doc.ReadOnly != 0) {
        ShowInformationFmt(OpenedReadOnly, doc.FileName);
        return SaveDocumentAs(doc, {}, doc.FormatCode);
    }
    if (doc.FileName.empty() || doc.StateFlags[sfUntitled] != 0 || doc.StateFlags[sfTempCopy] != 0)
        return SaveDocumentAs(doc, {}, doc.FormatCode);
    if (ConfirmFormattingLoss(doc, nullptr, doc.FormatCode))
        return SaveDocumentAs(doc, {}, sfmtRtf);
    const int result = SaveToFormat(doc, OwnFileOptions(doc, doc.FormatCode, 0));
    if (result == srSaved)
        ReopenOwnFile(doc);
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
