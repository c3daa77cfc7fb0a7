#include "files/opening/EncryptedOpening.h"

#include <cstdint>
#include <vector>

#include "base/core/Errors.h"
#include "base/messages/MessageBoxes.h"
#include "files/encryption/EncryptedFiles.h"
#include "files/encryption/TEncryptionManager.h"
#include "files/rtf/RtfReader.h"
#include "model/document/TDoc.h"

namespace {

// Takes every byte the window still has to give, from a file or a memory
// block; a read error shows its message and raises the silent abort.
std::vector<std::uint8_t> ReadWholeSource(TReadWindow& window) {
    std::vector<std::uint8_t> bytes;
    if (window.FileSize > 0)
        bytes.reserve(static_cast<std::size_t>(window.FileSize));
    for (;;) {
        bytes.insert(bytes.end(), window.ReadPos, window.ReadEnd);
        window.ReadPos = window.ReadEnd;
        if (window.AtEnd)
            return bytes;
        window.FillReadBuffer();
    }
}

// Where a candidate password came from: silent ones are dropped without a
// question when they fail.
enum TPasswordSource { psNone, psSilent, psTyped };

// The next password to try after a failure; psNone when the user gave up.
TPasswordSource NextCandidate(TDoc& doc, const std::string& fileName, std::string& password) {
    std::string typed;
    if (!AskPasswordForOpening(fileName, typed))
        return psNone;
    password = typed;
    doc.Password = EncryptionManager().ProtectString(typed);
    return psTyped;
}

}  // namespace

bool ReadEncryptedDocument(TOpenContext& context) {
    TDoc& doc = *context.Doc;
    const std::string& fileName = context.Options->FileName;
    const std::vector<std::uint8_t> file = ReadWholeSource(context.Window);
    TEncryptionManager& manager = EncryptionManager();

    // The document's own password counts as typed; the remembered one is
    // tried silently.
    std::string password;
    TPasswordSource source = psNone;
    if (!doc.Password.empty()) {
        password = manager.UnprotectString(doc.Password);
        source = psTyped;
    } else if (RememberedOpeningPassword().TryForAll && !RememberedOpeningPassword().Protected.empty()) {
        password = manager.UnprotectString(RememberedOpeningPassword().Protected);
        source = psSilent;
    } else {
        source = NextCandidate(doc, fileName, password);
    }

    std::vector<std::uint8_t> body;
    for (;;) {
        if (source == psNone)
            throw EAbort();
        if (DecryptEncryptedFile(file, password, body))
            break;
        if (source == psTyped &&
            ShowMessageBox("Incorrect password. Would you like to try opening this encrypted document with another "
                           "password?",
                           mbkConfirm, mbYes | mbNo) != mrYes)
            throw EAbort();
        password.clear();
        doc.Password.clear();
        source = NextCandidate(doc, fileName, password);
    }
    if (doc.Password.empty())
        doc.Password = manager.ProtectString(password);
    password.assign(password.size(), '\0');

    TReadWindow window;
    window.AttachMemory(body.data(), body.size());
    window.FillReadBuffer();
    TRtfReadOptions options;
    TRtfReadOutcome outcome;
    const bool read = static_cast<bool>(ReadRtfDocument(doc, window, options, outcome));
    context.ListsIncomplete = !outcome.ListTableRead;
    context.NoteReferenceStyles[0] = outcome.NoteReferenceStyles[0];
    context.NoteReferenceStyles[1] = outcome.NoteReferenceStyles[1];
    return read;
}
