#include "files/encryption/EncryptedFiles.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "files/encryption/TEncryptionManager.h"

namespace {

// Verification deciphers in pieces of this size, as it would read a file.
constexpr std::size_t kChunkSize = 16384;

TOpeningPasswordPrompt& PasswordPrompt() {
    static TOpeningPasswordPrompt prompt;
    return prompt;
}

}  // namespace

bool LooksEncrypted(std::span<const std::uint8_t> file) {
    return static_cast<std::int64_t>(file.size()) >= kMinEncryptedFileSize &&
           std::memcmp(file.data(), kEncryptedSignature, kEncryptedSignatureSize) == 0;
}

TReadResult DecryptEncryptedFile(std::span<const std::uint8_t> file,
                                 const std::string& password,
                                 std::vector<std::uint8_t>& body) {
    body.clear();
    TByteReader reader(file);
    if (static_cast<std::int64_t>(file.size()) < kMinEncryptedFileSize)
        return reader.ErrorAt("file too short for an encrypted document", file.size());
    if (std::memcmp(reader.Span(kEncryptedSignatureSize).data(), kEncryptedSignature, kEncryptedSignatureSize) != 0)
        return reader.ErrorAt("no encrypted-document signature", 0);
    TEncryptionManager& manager = EncryptionManager();
    const auto header = std::span<const std::uint8_t, kEncryptedHeaderSize>(file.data(), kEncryptedHeaderSize);
    manager.BeginDecryption(header, password);
    const std::size_t bodySize = file.size() - kEncryptedHeaderSize - kEncryptedCheckSize;
    std::vector<std::uint8_t> plain(file.begin() + kEncryptedHeaderSize,
                                    file.begin() + static_cast<std::ptrdiff_t>(kEncryptedHeaderSize + bodySize));
    for (std::size_t at = 0; at < bodySize; at += kChunkSize)
        manager.DecryptBuffer(plain.data() + at, std::min(kChunkSize, bodySize - at));
    const std::size_t checkAt = kEncryptedHeaderSize + bodySize;
    if (!manager.CheckTrailer(file.data() + checkAt))
        return reader.ErrorAt("wrong password or damaged file", checkAt);
    body = std::move(plain);
    return TReadResult::Success();
}

std::vector<std::uint8_t> EncryptDocument(std::span<const std::uint8_t> body, const std::string& password) {
    TEncryptionManager& manager = EncryptionManager();
    std::vector<std::uint8_t> file(kEncryptedHeaderSize);
    manager.BeginEncryption(std::span<std::uint8_t, kEncryptedHeaderSize>(file.data(), kEncryptedHeaderSize), password,
                            false);
    file.insert(file.end(), body.begin(), body.end());
    manager.EncryptBuffer(file.data() + kEncryptedHeaderSize, body.size());
    // The check value is enciphered like the body, the cipher running on.
    TCipherKey check = manager.CheckValue();
    manager.EncryptBuffer(check.data(), check.size());
    file.insert(file.end(), check.begin(), check.end());
    return file;
}

void SetOpeningPasswordPrompt(TOpeningPasswordPrompt prompt) {
    PasswordPrompt() = std::move(prompt);
}

bool AskPasswordForOpening(const std::string& fileName, std::string& password) {
    const TOpeningPasswordPrompt& prompt = PasswordPrompt();
    return prompt ? prompt(fileName, password) : false;
}

TRememberedOpeningPassword& RememberedOpeningPassword() {
    static TRememberedOpeningPassword remembered;
    return remembered;
}
