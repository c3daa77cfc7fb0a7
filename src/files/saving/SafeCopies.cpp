#include "files/saving/SafeCopies.h"

#include <string>

#include "base/files/TempFiles.h"
#include "files/saving/SaveToFormat.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "platform/Files.h"

namespace {

constexpr const char* SafeCopyExtension = ".mqd";

}  // namespace

int WriteSafeCopy(TDoc& doc) {
    const bool due = doc.StateFlags[sfChangedSinceSafeCopy] != 0;
    if (doc.WritingSafeCopy != 0 || !due || (doc.Modified == 0 && doc.FromSafeCopy == 0))
        return srCancelled;
    const bool first = doc.SafeCopyPath.empty();
    if (first)
        doc.SafeCopyPath = MakeTempFileName(SafeCopyExtension);
    TDocSavingOptions options;
    options.Target = stOwnFile;
    options.Flags = svCopy;
    options.Format = doc.FormatCode == sfmtEncrypted && !doc.Password.empty() ? sfmtEncrypted : sfmtRtf;
    options.OrigName = doc.FileName;
    options.SafeCopy = true;
    // The save goes to the safe copy's path; the document's own name (and
    // with it its file) comes back whatever happens.
    const std::string ownName = doc.FileName;
    doc.FileName = doc.SafeCopyPath;
    doc.WritingSafeCopy = 1;
    int result = srFailed;
    try {
        result = SaveToFormat(doc, options);
    } catch (...) {
        doc.FileName = ownName;
        doc.WritingSafeCopy = 0;
        throw;
    }
    doc.FileName = ownName;
    doc.WritingSafeCopy = 0;
    if (result == srSaved) {
        doc.StateFlags[sfChangedSinceSafeCopy] = 0;
        doc.SafeCopyUndoIndex = doc.UndoIndex;
    } else if (first) {
        if (Platform::FileExists(doc.SafeCopyPath))
            Platform::DeleteFileAt(doc.SafeCopyPath);
        doc.SafeCopyPath.clear();
    }
    return result;
}

void DiscardSafeCopy(TDoc& doc) {
    if (!doc.SafeCopyPath.empty() && Platform::FileExists(doc.SafeCopyPath))
        Platform::DeleteFileAt(doc.SafeCopyPath);
    doc.SafeCopyPath.clear();
    doc.FromSafeCopy = 0;
    doc.SafeCopyUndoIndex = static_cast<std::int32_t>(0x80000000u);
}
