#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Converting every document of chosen types in a folder tree into one
// format, mirroring the tree in a destination folder. The engine has no
// dialog: the caller fills the options.
struct TBatchConversionOptions {
    std::string SourceFolder;
    std::string DestFolder;
    // Extensions of the source types, without the dot ("rtf", "doc"...);
    // matched exactly, letter case ignored: "doc" never takes ".docx".
    std::vector<std::string> Extensions;
    bool IncludeSubfolders = false;
    // The format code written (SaveOutput.h) and, for plain text, the
    // encoding and line end.
    std::int32_t Format = 0;
    std::int32_t TextEncoding = 1;
    std::uint8_t LineBreak = 0;
    // Asked once per batch for the password of the encrypted format; false
    // when the user cancelled, which ends the batch before any file.
    std::function<bool(std::string& password)> AskPassword;
    // Told before each file that still exists: its number (from 1; files
    // gone since the list was made are counted too), the count and the path.
    std::function<void(std::int32_t number, std::int32_t count, const std::string& path)> Progress;
};

// What became of one listed file.
enum TBatchOutcome : std::uint8_t {
    boConverted,
    boVanished,        // gone since the list was made
    boUnreadable,      // could not be opened (the opening road said why)
    boWouldOverwrite,  // its target is one of the batch's sources
    boNotWritten,      // the save failed (its message has been shown)
};

struct TBatchFileResult {
    std::string Source;
    std::string Target;
    TBatchOutcome Outcome = boConverted;
};

struct TBatchConversionReport {
    std::vector<TBatchFileResult> Files;
    // The password question was cancelled: nothing was converted.
    bool Cancelled = false;
    std::int32_t Count(TBatchOutcome outcome) const;
};

// The files of the types below the folder, subfolders first and depth
// first when asked, sorted; hidden folders (a leading dot) are not
// searched, hidden files are taken.
std::vector<std::string> CollectBatchFiles(const std::string& folder,
                                           const std::vector<std::string>& extensions,
                                           bool includeSubfolders);

// Converts the files. A file that cannot be opened or written is recorded
// and the batch goes on with the next; a source is never written over, so
// a conversion into the source folder in the same format leaves every
// source as it was and reports it.
TBatchConversionReport RunBatchConversion(const TBatchConversionOptions& options);

// The extension written for a format code ("rtf", "txt", "cod"...).
std::string BatchTargetExtension(std::int32_t format);
