#include "files/encryption/TEncryptionManager.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

namespace {

std::string Hex(const std::uint8_t* bytes, std::size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < size; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

std::string Hex(const TCipherKey& key) {
    return Hex(key.data(), key.size());
}

// The vectors come from a separate transcription of the cipher's register
// description (its code function as a sequence of swaps and products), so a
// slip in the arithmetic here shows as a mismatch.
TEST(Pc1Cipher, FixedKeyVector) {
    TPc1State state;
    TCipherKey key{};
    for (std::size_t i = 0; i < key.size(); ++i)
        key[i] = static_cast<std::uint8_t>(i);
    state.SetKey(key);
    std::string text = "Rezozuri PC1 vector";
    std::vector<std::uint8_t> out;
    for (const char c : text) {
        const auto p = static_cast<std::uint8_t>(c);
        out.push_back(static_cast<std::uint8_t>(p ^ state.NextKeystreamByte()));
        state.Feedback(p);
    }
    EXPECT_EQ(Hex(out.data(), out.size()), "762320abde4bf5625653757c0532367894a9d1");
}

TEST(EncryptionHash, Vectors) {
    TEncryptionManager& manager = EncryptionManager();
    EXPECT_EQ(Hex(manager.Hash("", 0)), "c2aa5fc288cf9d1a2e7413a4fb6e93eb");
    EXPECT_EQ(Hex(manager.Hash("abc", 3)), "e0cda7c72785b2903c3f7779f22e8126");
    EXPECT_EQ(Hex(manager.PasswordKey("Secret")), "46a53d9ed941f2d20fdf46d29e8f7f26");
    // Letter case is part of the password.
    EXPECT_NE(manager.PasswordKey("secret"), manager.PasswordKey("Secret"));
}

// Hashing nothing runs only the 160 extra steps; 160 is a multiple of 16, so
// byte c of the result is the keystream byte of extra step 144 + c.
TEST(EncryptionHash, EmptyInputIsTheLastRoundOfExtraSteps) {
    TPc1State state;
    state.SetKey(TEncryptionManager::HashInitialKey);
    TCipherKey out{};
    for (int step = 0; step < TEncryptionManager::HashExtraSteps; ++step) {
        const std::uint8_t before = out[step % 16];
        out[step % 16] = state.NextKeystreamByte();
        state.Feedback(before);
    }
    EXPECT_EQ(EncryptionManager().Hash(nullptr, 0), out);
}

// The hash borrows state A: a body being enciphered goes on exactly as if
// no hash had been taken in between.
TEST(EncryptionHash, RestoresTheCipherState) {
    TEncryptionManager& manager = EncryptionManager();
    std::vector<std::uint8_t> one(64, 'x');
    std::vector<std::uint8_t> two = one;
    manager.SetKeysFromSeed(TCipherKey{1, 2, 3});
    manager.EncryptBuffer(one.data(), 32);
    manager.EncryptBuffer(one.data() + 32, 32);
    manager.SetKeysFromSeed(TCipherKey{1, 2, 3});
    manager.EncryptBuffer(two.data(), 32);
    (void)manager.Hash("interrupt", 9);
    manager.EncryptBuffer(two.data() + 32, 32);
    EXPECT_EQ(one, two);
}

TEST(EncryptionBuffers, AnySplitGivesTheSameCiphertext) {
    TEncryptionManager& manager = EncryptionManager();
    std::vector<std::uint8_t> plain(1000);
    for (std::size_t i = 0; i < plain.size(); ++i)
        plain[i] = static_cast<std::uint8_t>(i * 7 + 3);
    manager.SetKeysFromSeed(TCipherKey{9});
    std::vector<std::uint8_t> whole = plain;
    manager.EncryptBuffer(whole.data(), whole.size());
    for (const std::size_t piece : {1u, 7u, 16u, 333u}) {
        SCOPED_TRACE(piece);
        manager.SetKeysFromSeed(TCipherKey{9});
        std::vector<std::uint8_t> split = plain;
        for (std::size_t at = 0; at < split.size(); at += piece)
            manager.EncryptBuffer(split.data() + at, std::min(piece, split.size() - at));
        EXPECT_EQ(split, whole);
        manager.SetKeysFromSeed(TCipherKey{9});
        for (std::size_t at = 0; at < split.size(); at += piece)
            manager.DecryptBuffer(split.data() + at, std::min(piece, split.size() - at));
        EXPECT_EQ(split, plain);
    }
}

TEST(EncryptionHeader, KeysDifferFromFileToFileWithoutUserInput) {
    TEncryptionManager& manager = EncryptionManager();
    std::uint8_t first[kEncryptedHeaderSize];
    std::uint8_t second[kEncryptedHeaderSize];
    manager.BeginEncryption(first, "pw", false);
    manager.BeginEncryption(second, "pw", false);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(first), kEncryptedSignatureSize), "987D Ttcad");
    EXPECT_NE(Hex(first + 10, 32), Hex(second + 10, 32));
}

TEST(EncryptionProtection, RoundTripKeepsLength) {
    TEncryptionManager& manager = EncryptionManager();
    const std::string password = "Pass word 42";
    const std::string protectedForm = manager.ProtectString(password);
    EXPECT_EQ(protectedForm.size(), password.size());
    EXPECT_NE(protectedForm, password);
    EXPECT_EQ(manager.UnprotectString(protectedForm), password);
}

}  // namespace
