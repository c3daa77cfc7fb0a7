#include "files/encryption/EncryptedFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "files/encryption/TEncryptionManager.h"
#include "files/opening/OpenDocument.h"
#include "model/document/TDoc.h"
#include "model/paragraphs/TPar.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::TScriptedMessageBoxes;
using TestSupport::TTempDir;

constexpr std::string_view kIncorrectPassword =
    "Incorrect password. Would you like to try opening this encrypted document with another password?";

std::vector<std::uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

TEST(EncryptedFiles, RoundTripOverBytes) {
    struct Case {
        std::string Body;
        std::string Password;
    };
    const Case cases[] = {
        {"x", "a"},
        {"{\\rtf1 Hello\\par}", "Secret"},
        {std::string(40000, 'q') + "end", "long body, spaces and \xc3\xa9"},
        {std::string("\0\xff\0", 3), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Body.size());
        const std::vector<std::uint8_t> file = EncryptDocument(Bytes(c.Body), c.Password);
        ASSERT_EQ(file.size(), c.Body.size() + kEncryptedHeaderSize + kEncryptedCheckSize);
        EXPECT_TRUE(LooksEncrypted(file));
        std::vector<std::uint8_t> body;
        const TReadResult result = DecryptEncryptedFile(file, c.Password, body);
        ASSERT_TRUE(result.Good) << result.Reason;
        EXPECT_EQ(std::string(body.begin(), body.end()), c.Body);
    }
}

// A wrong password and every kind of damage fail the check, and no byte of
// the body is handed out.
TEST(EncryptedFiles, DamageAndWrongPasswordsAreRefused) {
    const std::string password = "Secret";
    const std::vector<std::uint8_t> good = EncryptDocument(Bytes("{\\rtf1 Some text\\par}"), password);
    const std::vector<std::uint8_t> minimal = EncryptDocument(Bytes("}"), password);
    ASSERT_EQ(minimal.size(), 59u);
    struct Case {
        const char* Name;
        std::vector<std::uint8_t> File;
        std::string Password;
        std::string Reason;
        std::size_t Offset;
    };
    auto flipped = [](std::vector<std::uint8_t> file, std::size_t at) {
        file[at] ^= 0x01;
        return file;
    };
    auto cut = [](std::vector<std::uint8_t> file, std::size_t size) {
        file.resize(size);
        return file;
    };
    const std::size_t checkAt = good.size() - kEncryptedCheckSize;
    const Case cases[] = {
        {"wrong password", good, "secret", "wrong password or damaged file", checkAt},
        {"empty password", good, "", "wrong password or damaged file", checkAt},
        {"first body byte", flipped(good, 42), password, "wrong password or damaged file", checkAt},
        {"last body byte", flipped(good, checkAt - 1), password, "wrong password or damaged file", checkAt},
        {"check value", flipped(good, good.size() - 1), password, "wrong password or damaged file", checkAt},
        {"document key", flipped(good, 12), password, "wrong password or damaged file", checkAt},
        {"cut by one", cut(good, good.size() - 1), password, "wrong password or damaged file", checkAt - 1},
        {"59 bytes, body flipped", flipped(minimal, 42), password, "wrong password or damaged file", 43},
        {"59 bytes, check flipped", flipped(minimal, 50), password, "wrong password or damaged file", 43},
        {"58 bytes", cut(minimal, 58), password, "file too short for an encrypted document", 58},
        {"header only", cut(good, 42), password, "file too short for an encrypted document", 42},
        {"foreign signature", flipped(good, 3), password, "no encrypted-document signature", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<std::uint8_t> body = {1, 2, 3};
        const TReadResult result = DecryptEncryptedFile(c.File, c.Password, body);
        EXPECT_FALSE(result.Good);
        EXPECT_EQ(result.Reason, c.Reason);
        EXPECT_EQ(result.Offset, c.Offset);
        EXPECT_TRUE(body.empty());
    }
    std::vector<std::uint8_t> body;
    EXPECT_TRUE(DecryptEncryptedFile(minimal, password, body).Good);
    EXPECT_EQ(body, Bytes("}"));
}

// --- Opening --------------------------------------------------------------

// Answers the password questions from a list, recording how often it was
// asked; an exhausted list cancels.
class TScriptedPasswords {
public:
    explicit TScriptedPasswords(std::deque<std::string> answers) : Answers(std::move(answers)) {
        SetOpeningPasswordPrompt([this](const std::string&, std::string& password) {
            ++Asked;
            if (Answers.empty())
                return false;
            password = Answers.front();
            Answers.pop_front();
            return true;
        });
    }
    ~TScriptedPasswords() { SetOpeningPasswordPrompt(nullptr); }
    int Asked = 0;

private:
    std::deque<std::string> Answers;
};

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> ParTexts(const TDoc& doc) {
    std::vector<std::string> texts;
    for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
        const TPar& par = *doc.Par(p);
        texts.emplace_back(reinterpret_cast<const char*>(par.Chars.Data), static_cast<std::size_t>(par.CharCount()));
    }
    return texts;
}

bool Open(TDoc& doc, const std::string& path, std::int32_t format) {
    TDocOpeningOptions options;
    options.Source = osFile;
    options.Format = format;
    options.FileName = path;
    return OpenDocument(doc, options);
}

std::vector<std::string> Texts(const TScriptedMessageBoxes& boxes) {
    std::vector<std::string> texts;
    for (const auto& box : boxes.Shown())
        texts.push_back(box.Text);
    return texts;
}

const std::string kCorpusRtf = std::string(REZ_CORPUS_DIR) + "/rtf/lo__copypaste-footnote.rtf";

// The body of an encrypted file is RTF: a corpus document enciphered here
// opens to the same paragraphs as the plain file, found by detection.
TEST(EncryptedOpening, CorpusRtfOpensLikeThePlainFile) {
    const std::vector<std::uint8_t> rtf = ReadFileBytes(kCorpusRtf);
    if (rtf.empty())
        GTEST_SKIP() << "corpus document missing";
    TTempDir dir;
    const std::string path = dir.File("doc.cod");
    WriteFileBytes(path, EncryptDocument(rtf, "Open sesame"));

    TScriptedMessageBoxes boxes;
    TDoc plain(true);
    ASSERT_TRUE(Open(plain, kCorpusRtf, ffRtf));
    TScriptedPasswords passwords({"Open sesame"});
    TDoc doc(true);
    ASSERT_TRUE(Open(doc, path, 0xFFFF));
    EXPECT_EQ(doc.FormatCode, ffEncrypted);
    EXPECT_EQ(passwords.Asked, 1);
    EXPECT_EQ(ParTexts(doc), ParTexts(plain));
    EXPECT_TRUE(Texts(boxes).empty());
    // The document keeps its password, never in plain form.
    EXPECT_FALSE(doc.Password.empty());
    EXPECT_NE(doc.Password, "Open sesame");
    EXPECT_EQ(EncryptionManager().UnprotectString(doc.Password), "Open sesame");
}

TEST(EncryptedOpening, WrongPasswordsAndDamageGiveNoDocument) {
    TTempDir dir;
    const std::vector<std::uint8_t> good = EncryptDocument(Bytes("{\\rtf1 Secret text\\par}"), "Right");
    std::vector<std::uint8_t> damaged = good;
    damaged[45] ^= 0x40;
    struct Case {
        const char* Name;
        std::vector<std::uint8_t> File;
        std::deque<std::string> Passwords;
        std::vector<std::uint16_t> Answers;
        std::vector<std::string> Messages;
        bool Opens;
    };
    const Case cases[] = {
        {"cancelled at once", good, {}, {}, {}, false},
        {"wrong, then no", good, {"right"}, {mrNo}, {std::string(kIncorrectPassword)}, false},
        {"wrong, then right", good, {"wrong", "Right"}, {mrYes}, {std::string(kIncorrectPassword)}, true},
        {"damaged body", damaged, {"Right"}, {mrNo}, {std::string(kIncorrectPassword)}, false},
        {"damaged, retried",
         damaged,
         {"Right", "Right"},
         {mrYes, mrNo},
         {std::string(kIncorrectPassword), std::string(kIncorrectPassword)},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string path = dir.File("case.cod");
        WriteFileBytes(path, c.File);
        TScriptedMessageBoxes boxes(c.Answers);
        TScriptedPasswords passwords(c.Passwords);
        TDoc doc(true);
        EXPECT_EQ(Open(doc, path, ffEncrypted), c.Opens);
        // A refused password is a question, never "Error opening document".
        EXPECT_EQ(Texts(boxes), c.Messages);
        if (c.Opens)
            EXPECT_EQ(ParTexts(doc)[0].substr(0, 11), "Secret text");
    }
}

// A remembered password that fails is dropped without the incorrect-password
// question, and the user is asked instead.
TEST(EncryptedOpening, WrongRememberedPasswordAsksWithoutTheQuestion) {
    TTempDir dir;
    const std::string path = dir.File("doc.cod");
    WriteFileBytes(path, EncryptDocument(Bytes("{\\rtf1 Body\\par}"), "Right"));
    TRememberedOpeningPassword& remembered = RememberedOpeningPassword();
    remembered.TryForAll = true;
    remembered.Protected = EncryptionManager().ProtectString("Stale");
    TScriptedMessageBoxes boxes;
    TScriptedPasswords passwords({"Right"});
    TDoc doc(true);
    const bool opened = Open(doc, path, ffEncrypted);
    remembered = {};
    EXPECT_TRUE(opened);
    EXPECT_EQ(passwords.Asked, 1);
    EXPECT_TRUE(Texts(boxes).empty());
}

// Too short a file is not taken for an encrypted document at all.
TEST(EncryptedOpening, FileOf58BytesIsRefusedWhenTheFormatIsRequired) {
    TTempDir dir;
    std::vector<std::uint8_t> file = EncryptDocument(Bytes("}"), "pw");
    file.pop_back();
    const std::string path = dir.File("short.cod");
    WriteFileBytes(path, file);
    TScriptedMessageBoxes boxes;
    TScriptedPasswords passwords({"pw"});
    TDoc doc(true);
    doc.StrictFormat = 1;
    EXPECT_FALSE(Open(doc, path, ffEncrypted));
    EXPECT_EQ(passwords.Asked, 0);
}

}  // namespace
