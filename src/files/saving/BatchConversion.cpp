#include "files/saving/BatchConversion.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <set>
#include <system_error>

#include "base/core/Errors.h"
#include "files/encryption/TEncryptionManager.h"
#include "files/opening/OpenDocument.h"
#include "files/output/SaveOutput.h"
#include "files/saving/SaveToFormat.h"
#include "model/document/TDoc.h"

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool HasExtension(const fs::path& path, const std::vector<std::string>& extensions) {
    const std::string extension = Lower(path.extension().string());
    if (extension.size() < 2)
        return false;
    for (const std::string& wanted : extensions)
        if (extension.substr(1) == Lower(wanted))
            return true;
    return false;
}

void Collect(const fs::path& folder,
             const std::vector<std::string>& extensions,
             bool includeSubfolders,
             std::vector<std::string>& files) {
    std::error_code error;
    std::vector<fs::path> folders, own;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const fs::path& path = it->path();
        std::error_code kindError;
        if (it->is_directory(kindError)) {
            if (includeSubfolders && path.filename().string().front() != '.')
                folders.push_back(path);
        } else if (HasExtension(path, extensions)) {
            own.push_back(path);
        }
    }
    std::sort(folders.begin(), folders.end());
    std::sort(own.begin(), own.end());
    for (const fs::path& sub : folders)
        Collect(sub, extensions, includeSubfolders, files);
    for (const fs::path& path : own)
        files.push_back(path.string());
}

// One identity for every spelling of a path, so that a target can be
// compared with the sources however either was written.
std::string Identity(const fs::path& path) {
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(path, error);
    return error ? fs::absolute(path, error).lexically_normal().string() : canonical.string();
}

}  // namespace

std::int32_t TBatchConversionReport::Count(TBatchOutcome outcome) const {
    return static_cast<std::int32_t>(std::count_if(
        Files.begin(), Files.end(), [outcome](const TBatchFileResult& f) { return f.Outcome == outcome; }));
}

std::string BatchTargetExtension(std::int32_t format) {
    switch (format) {
        case sfmtDoc:
            return "doc";
        case sfmtDocx:
            return "docx";
        case sfmtEncrypted:
            return "cod";
        case sfmtText:
            return "txt";
        default:
            return "rtf";
    }
}

std::vector<std::string> CollectBatchFiles(const std::string& folder,
                                           const std::vector<std::string>& extensions,
                                           bool includeSubfolders) {
    std::vector<std::string> files;
    Collect(fs::path(folder), extensions, includeSubfolders, files);
    std::sort(files.begin(), files.end());
    return files;
}

TBatchConversionReport RunBatchConversion(const TBatchConversionOptions& options) {
    TBatchConversionReport report;
    // The list is made before anything is written, so files the run
    // creates are never picked up.
    const std::vector<std::string> files =
        CollectBatchFiles(options.SourceFolder, options.Extensions, options.IncludeSubfolders);
    std::set<std::string> sources;
    for (const std::string& file : files)
        sources.insert(Identity(file));

    std::string protectedPassword;
    if (options.Format == sfmtEncrypted && !files.empty()) {
        std::string password;
        if (!options.AskPassword || !options.AskPassword(password)) {
            report.Cancelled = true;
            return report;
        }
        protectedPassword = EncryptionManager().ProtectString(password);
        std::fill(password.begin(), password.end(), '\0');
    }

    const fs::path sourceRoot = fs::path(options.SourceFolder);
    const fs::path destRoot = fs::path(options.DestFolder);
    const std::int32_t count = static_cast<std::int32_t>(files.size());
    for (std::int32_t i = 0; i < count; ++i) {
        TBatchFileResult result;
        result.Source = files[i];
        std::error_code error;
        if (!fs::is_regular_file(files[i], error)) {
            result.Outcome = boVanished;
            report.Files.push_back(result);
            continue;
        }
        if (options.Progress)
            options.Progress(i + 1, count, files[i]);
        fs::path target = destRoot / fs::path(files[i]).lexically_relative(sourceRoot);
        std::string extension(1, '.');
        extension += BatchTargetExtension(options.Format);
        target.replace_extension(extension);
        result.Target = target.string();
        // Checked before opening: writing over a source would lose the
        // original the moment the conversion is not faithful.
        if (sources.count(Identity(target)) != 0) {
            result.Outcome = boWouldOverwrite;
            ReportErrorFmt("\"%s\" was not converted: its converted file would replace a document of the batch.",
                           files[i]);
            report.Files.push_back(result);
            continue;
        }

        auto doc = std::make_unique<TDoc>(true);
        doc->QuietOpen = 1;
        doc->TakesParEndMarks = 1;
        TDocOpeningOptions opening;
        opening.Source = osFile;
        opening.Format = 0xFFFF;
        opening.FileName = files[i];
        opening.OpenReadOnly = true;
        bool opened = false;
        try {
            opened = OpenDocument(*doc, opening);
        } catch (const EAbort&) {
            opened = false;
        }
        if (!opened) {
            result.Outcome = boUnreadable;
            report.Files.push_back(result);
            continue;
        }

        fs::create_directories(target.parent_path(), error);
        doc->FileName = target.string();
        doc->Password = protectedPassword;
        TDocSavingOptions saving;
        saving.Format = options.Format;
        saving.Encoding = options.TextEncoding;
        saving.LineBreak = options.LineBreak;
        result.Outcome = SaveToFormat(*doc, saving) == srSaved ? boConverted : boNotWritten;
        report.Files.push_back(result);
    }
    return report;
}
