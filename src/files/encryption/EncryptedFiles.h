#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/ByteReader.h"

// Reading and writing whole encrypted containers (layout in
// TEncryptionManager.h) with the process's encryption manager.

// True when the bytes start like an encrypted document and are long enough
// to hold one body byte.
bool LooksEncrypted(std::span<const std::uint8_t> file);

// Deciphers a whole container with the password. The check value is
// verified over the whole body before the body is handed out: a wrong
// password and a damaged file both fail the check, and then body is left
// empty. The reason names the first bad byte's offset: the start for a
// foreign signature, the size for a file too short, and the check value for a
// failed check.
TReadResult DecryptEncryptedFile(std::span<const std::uint8_t> file,
                                 const std::string& password,
                                 std::vector<std::uint8_t>& body);

// A whole container holding body, with fresh document keys.
std::vector<std::uint8_t> EncryptDocument(std::span<const std::uint8_t> body, const std::string& password);

// The password dialog for opening, which the window layer provides: it asks
// for the password of the named file; false when the user cancelled. Until
// one is installed every question is cancelled.
using TOpeningPasswordPrompt = std::function<bool(const std::string& fileName, std::string& password)>;
void SetOpeningPasswordPrompt(TOpeningPasswordPrompt prompt);
bool AskPasswordForOpening(const std::string& fileName, std::string& password);

// The password the user asked to try on every encrypted document, kept in
// protected form, and whether that choice is on ("Try opening &all encrypted
// documents with this password.").
struct TRememberedOpeningPassword {
    bool TryForAll = false;
    std::string Protected;
};
TRememberedOpeningPassword& RememberedOpeningPassword();
