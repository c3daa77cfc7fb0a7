#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

// The encrypted document format ("cod"): an RTF document enciphered with the
// PC1 stream cipher in its 128-bit form, behind a 42-byte header and followed
// by a 16-byte check value.
//
//   0   10  signature "987D Ttcad"
//   10  16  document key A, enciphered under the password key
//   26  16  document key B, the cipher running on from key A
//   42  n   the RTF text, enciphered under the document keys
//   42+n 16 Hash of the running checksum of the n plain bytes, enciphered
//           with the cipher running on from the body
inline constexpr char kEncryptedSignature[] = "987D Ttcad";
inline constexpr std::int32_t kEncryptedSignatureSize = 10;
inline constexpr std::int32_t kEncryptedHeaderSize = 42;
inline constexpr std::int32_t kEncryptedCheckSize = 16;
// One body byte at least.
inline constexpr std::int64_t kMinEncryptedFileSize = kEncryptedHeaderSize + 1 + kEncryptedCheckSize;

using TCipherKey = std::array<std::uint8_t, 16>;

// One state of PC1 with a 128-bit key (Alexander Pukall's published cipher):
// the key read as eight big-endian 16-bit words, chained through PC1's code
// function with the two running words; the keystream byte is the high byte
// XOR the low byte of the XOR of the eight results. After each byte the plain
// byte is XORed into every key byte (the cipher's feedback).
struct TPc1State {
    TCipherKey Key{};
    std::uint16_t Si = 0;
    std::uint16_t X1a2 = 0;

    // Keying sets the key and resets both running words.
    void SetKey(const TCipherKey& key);
    std::uint8_t NextKeystreamByte();
    void Feedback(std::uint8_t plain);
};

// The one cipher, hash, entropy pool and running checksum of the process.
// Document keys come from the pool, which user input feeds; every document
// key also takes fresh bytes from the kernel, so that keys are unpredictable
// even when no key was pressed since the program started.
class TEncryptionManager {
public:
    // The hash's fixed initial key.
    static constexpr TCipherKey HashInitialKey = {0x4c, 0x19, 0xd2, 0xe0, 0x7a, 0x5b, 0x83, 0xf6,
                                                  0xe2, 0xd0, 0x91, 0x6c, 0x5a, 0x7b, 0x38, 0xe4};
    // Extra cipher steps after the data (a multiple of the key size).
    static constexpr int HashExtraSteps = 160;
    // Further hashings of the password's hash.
    static constexpr int PasswordRounds = 2048;
    static constexpr int PoolSize = 32;

    TEncryptionManager();

    // Mixes one byte, with the low byte of the tick count, into the pool.
    void AddEntropy(std::uint8_t value);
    // The system's own hash built on PC1; state A is saved and restored.
    TCipherKey Hash(const void* data, std::size_t size);
    // Hash of the password, then PasswordRounds further hashings. The
    // password's bytes are taken as they are: letter case matters.
    TCipherKey PasswordKey(const std::string& password);

    // Makes a header with two fresh document keys and keys the cipher for
    // writing the body. showProgress asks for the key-derivation progress,
    // which the window layer shows; headless nothing.
    void BeginEncryption(std::span<std::uint8_t, kEncryptedHeaderSize> header,
                         const std::string& password,
                         bool showProgress);
    // Keys the cipher for reading the body that follows the header.
    void BeginDecryption(std::span<const std::uint8_t, kEncryptedHeaderSize> header, const std::string& password);
    void EncryptBuffer(std::uint8_t* bytes, std::size_t size);
    void DecryptBuffer(std::uint8_t* bytes, std::size_t size);
    // The check value a writer appends (before enciphering it): the hash of
    // the checksum of the body's plain bytes so far.
    TCipherKey CheckValue();
    // Decrypts the 16 enciphered check bytes and compares them with the hash
    // of the body's checksum; the cipher runs on over them.
    bool CheckTrailer(const std::uint8_t* encipheredCheck);

    // Passwords kept in memory are enciphered under the protection seed; the
    // protected form has the same length. Both replace any cipher state, so
    // they run only between document operations.
    std::string ProtectString(const std::string& text);
    std::string UnprotectString(const std::string& text);
    void SetKeysFromSeed(const TCipherKey& seed);

    const std::array<std::uint8_t, PoolSize>& Pool() const { return EntropyPool; }

private:
    void ResetChecksum();
    // Fresh kernel randomness XORed into the whole pool.
    void MixKernelEntropy();

    TPc1State StateA;
    TPc1State StateB;
    std::int32_t ChecksumIndex = 0;
    std::array<std::uint8_t, PoolSize> EntropyPool{};
    std::int32_t PoolIndex = 0;
    // The creation time, cursor position and free disk space when the
    // manager was made: the protection seed of in-memory passwords.
    TCipherKey ProtectionSeed{};
    TCipherKey RunningChecksum{};
};

// The single manager, made on first use and kept until exit.
TEncryptionManager& EncryptionManager();
