#include "files/encryption/TEncryptionManager.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/ByteReader.h"
#include "platform/Screen.h"
#include "platform/System.h"
#include "platform/Time.h"

namespace {

// PC1's code function constants.
constexpr std::uint16_t Pc1MulB = 0x4E35;
constexpr std::uint16_t Pc1MulC = 0x015A;

std::uint16_t Mul16(std::uint32_t a, std::uint32_t b) {
    return static_cast<std::uint16_t>(a * b);
}

}  // namespace

void TPc1State::SetKey(const TCipherKey& key) {
    Key = key;
    Si = 0;
    X1a2 = 0;
}

std::uint8_t TPc1State::NextKeystreamByte() {
    std::uint16_t combined = 0;
    std::uint16_t word = 0;
    for (std::uint16_t i = 0; i < 8; ++i) {
        // The eight key words are chained: each is XORed with what the code
        // function made of the one before.
        const std::uint16_t keyWord = LoadU16BE(Key.data() + 2 * i);
        word = i == 0 ? keyWord : static_cast<std::uint16_t>(word ^ keyWord);
        // The code function, with the two running words carried from step
        // to step and from byte to byte.
        const std::uint16_t oldSi = Si;
        const std::uint16_t cx =
            static_cast<std::uint16_t>(Mul16(static_cast<std::uint16_t>(X1a2 + i), Pc1MulB) + Mul16(Pc1MulC, word));
        Si = Mul16(Pc1MulC, word);
        const std::uint16_t dx = static_cast<std::uint16_t>(cx + oldSi);
        word = static_cast<std::uint16_t>(Mul16(word, Pc1MulB) + 1);
        X1a2 = dx;
        combined ^= static_cast<std::uint16_t>(word ^ dx);
    }
    return static_cast<std::uint8_t>((combined >> 8) ^ (combined & 0xFF));
}

void TPc1State::Feedback(std::uint8_t plain) {
    for (std::uint8_t& k : Key)
        k ^= plain;
}

TEncryptionManager::TEncryptionManager() {
    // The protection seed: creation time (8 bytes), cursor position (2 + 2)
    // and the low 32 bits of the free space beside the program.
    const std::int64_t now =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    StoreU32LE(ProtectionSeed.data(), static_cast<std::uint32_t>(now));
    StoreU32LE(ProtectionSeed.data() + 4, static_cast<std::uint32_t>(static_cast<std::uint64_t>(now) >> 32));
    const Platform::TPoint cursor = Platform::CursorPos();
    StoreU16LE(ProtectionSeed.data() + 8, static_cast<std::uint16_t>(cursor.X));
    StoreU16LE(ProtectionSeed.data() + 10, static_cast<std::uint16_t>(cursor.Y));
    std::error_code error;
    const auto space = std::filesystem::space(Platform::ExecutableFolder(), error);
    StoreU32LE(ProtectionSeed.data() + 12, error ? 0u : static_cast<std::uint32_t>(space.available));
    // A seed that only the clock and the desktop fill is guessable; kernel
    // randomness makes the protected passwords of two runs unrelated.
    TCipherKey random{};
    if (Platform::RandomBytes(random.data(), random.size())) {
        for (std::size_t i = 0; i < random.size(); ++i)
            ProtectionSeed[i] ^= random[i];
    }
    MixKernelEntropy();
}

void TEncryptionManager::AddEntropy(std::uint8_t value) {
    const auto tick = static_cast<std::uint8_t>(Platform::MonotonicTickMs());
    EntropyPool[static_cast<std::size_t>(PoolIndex)] ^= static_cast<std::uint8_t>(value ^ tick);
    PoolIndex = (PoolIndex + 1) % PoolSize;
}

void TEncryptionManager::MixKernelEntropy() {
    std::array<std::uint8_t, PoolSize> random{};
    if (!Platform::RandomBytes(random.data(), random.size()))
        return;
    for (const std::uint8_t b : random)
        AddEntropy(b);
}

TCipherKey TEncryptionManager::Hash(const void* data, std::size_t size) {
    const TPc1State saved = StateA;
    StateA.SetKey(HashInitialKey);
    TCipherKey out{};
    std::size_t c = 0;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        out[c] = StateA.NextKeystreamByte();
        StateA.Feedback(bytes[i]);
        c = (c + 1) % out.size();
    }
    for (int step = 0; step < HashExtraSteps; ++step) {
        const std::uint8_t t = out[c];
        out[c] = StateA.NextKeystreamByte();
        StateA.Feedback(t);
        c = (c + 1) % out.size();
    }
    StateA = saved;
    return out;
}

TCipherKey TEncryptionManager::PasswordKey(const std::string& password) {
    TCipherKey key = Hash(password.data(), password.size());
    for (int round = 0; round < PasswordRounds; ++round)
        key = Hash(key.data(), key.size());
    return key;
}

void TEncryptionManager::ResetChecksum() {
    RunningChecksum.fill(0);
    ChecksumIndex = 0;
}

void TEncryptionManager::BeginEncryption(std::span<std::uint8_t, kEncryptedHeaderSize> header,
                                         const std::string& password,
                                         bool showProgress) {
    // The window layer shows the key derivation's progress; the engine has
    // nothing to draw it with.
    (void)showProgress;
    MixKernelEntropy();
    std::memcpy(header.data(), kEncryptedSignature, kEncryptedSignatureSize);
    const TCipherKey keyA = Hash(EntropyPool.data(), PoolSize / 2);
    const TCipherKey keyB = Hash(EntropyPool.data() + PoolSize / 2, PoolSize / 2);
    std::memcpy(header.data() + kEncryptedSignatureSize, keyA.data(), keyA.size());
    std::memcpy(header.data() + kEncryptedSignatureSize + 16, keyB.data(), keyB.size());
    const TCipherKey passwordKey = PasswordKey(password);
    StateA.SetKey(passwordKey);
    StateB.SetKey(passwordKey);
    EncryptBuffer(header.data() + kEncryptedSignatureSize, 16);
    EncryptBuffer(header.data() + kEncryptedSignatureSize + 16, 16);
    StateA.SetKey(keyA);
    StateB.SetKey(keyB);
    ResetChecksum();
}

void TEncryptionManager::BeginDecryption(std::span<const std::uint8_t, kEncryptedHeaderSize> header,
                                         const std::string& password) {
    const TCipherKey passwordKey = PasswordKey(password);
    StateA.SetKey(passwordKey);
    StateB.SetKey(passwordKey);
    TCipherKey keyA{};
    TCipherKey keyB{};
    std::memcpy(keyA.data(), header.data() + kEncryptedSignatureSize, keyA.size());
    std::memcpy(keyB.data(), header.data() + kEncryptedSignatureSize + 16, keyB.size());
    DecryptBuffer(keyA.data(), keyA.size());
    DecryptBuffer(keyB.data(), keyB.size());
    StateA.SetKey(keyA);
    StateB.SetKey(keyB);
    ResetChecksum();
}

void TEncryptionManager::EncryptBuffer(std::uint8_t* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t p = bytes[i];
        RunningChecksum[static_cast<std::size_t>(ChecksumIndex)] ^= p;
        ChecksumIndex = (ChecksumIndex + 1) % 16;
        bytes[i] = static_cast<std::uint8_t>(p ^ StateA.NextKeystreamByte());
        StateA.Feedback(p);
    }
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t q = bytes[i];
        bytes[i] = static_cast<std::uint8_t>(q ^ StateB.NextKeystreamByte());
        StateB.Feedback(q);
    }
}

void TEncryptionManager::DecryptBuffer(std::uint8_t* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t q = static_cast<std::uint8_t>(bytes[i] ^ StateB.NextKeystreamByte());
        StateB.Feedback(q);
        bytes[i] = q;
    }
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t p = static_cast<std::uint8_t>(bytes[i] ^ StateA.NextKeystreamByte());
        StateA.Feedback(p);
        RunningChecksum[static_cast<std::size_t>(ChecksumIndex)] ^= p;
        ChecksumIndex = (ChecksumIndex + 1) % 16;
        bytes[i] = p;
    }
}

TCipherKey TEncryptionManager::CheckValue() {
    const TCipherKey checksum = RunningChecksum;
    return Hash(checksum.data(), checksum.size());
}

bool TEncryptionManager::CheckTrailer(const std::uint8_t* encipheredCheck) {
    const TCipherKey expected = CheckValue();
    TCipherKey check{};
    std::memcpy(check.data(), encipheredCheck, check.size());
    DecryptBuffer(check.data(), check.size());
    return check == expected;
}

void TEncryptionManager::SetKeysFromSeed(const TCipherKey& seed) {
    const TCipherKey key = Hash(seed.data(), seed.size());
    StateA.SetKey(key);
    StateB.SetKey(key);
}

std::string TEncryptionManager::ProtectString(const std::string& text) {
    SetKeysFromSeed(ProtectionSeed);
    std::string out = text;
    EncryptBuffer(reinterpret_cast<std::uint8_t*>(out.data()), out.size());
    return out;
}

std::string TEncryptionManager::UnprotectString(const std::string& text) {
    SetKeysFromSeed(ProtectionSeed);
    std::string out = text;
    DecryptBuffer(reinterpret_cast<std::uint8_t*>(out.data()), out.size());
    return out;
}

TEncryptionManager& EncryptionManager() {
    static TEncryptionManager* manager = new TEncryptionManager();
    return *manager;
}
